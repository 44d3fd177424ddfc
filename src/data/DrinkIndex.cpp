#include "data/DrinkIndex.h"

#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/RecordCursor.h"
#include "data/TextFold.h"

#include <QStringList>

#include <sqlite3.h>

namespace pv::drinkindex {

namespace {

// Raised when the folding rules change, so that old indexes are rebuilt.
constexpr int kVersion = 1;

const char *const kTriggers[] = {"pv_drinkfold_ins", "pv_drinkfold_upd", "pv_drinkfold_del"};

QString textArg(sqlite3_value *v)
{
    if (sqlite3_value_type(v) == SQLITE_NULL)
        return QString();
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray u = s.toUtf8();
    sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
}

// Ingredients folded one to a line: a search text never holds a line break
// (folding makes it a space), so no match runs from one into the next.
QString foldIngredients(int argc, sqlite3_value **argv)
{
    QString out;
    for (int i = 0; i < argc; ++i) {
        const QString f = foldForSearch(textArg(argv[i]));
        if (f.isEmpty())
            continue;
        if (!out.isEmpty())
            out += QLatin1Char('\n');
        out += f;
    }
    return out;
}

void foldFn(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    resultText(ctx, foldForSearch(textArg(argv[0])));
}

void foldIngsFn(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    resultText(ctx, foldIngredients(argc, argv));
}

// pv_fold_match(folded needle, name, ing1..ing10): 1 when the name or an
// ingredient holds the needle. A NULL name skips the name (ingredients only).
void foldMatchFn(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    const QString needle = textArg(argv[0]);
    bool hit = sqlite3_value_type(argv[1]) != SQLITE_NULL && foldForSearch(textArg(argv[1])).contains(needle);
    for (int i = 2; i < argc && !hit; ++i)
        hit = foldForSearch(textArg(argv[i])).contains(needle);
    sqlite3_result_int(ctx, hit ? 1 : 0);
}

bool exec(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
}

int scalarInt(sqlite3 *db, const char *sql, int fallback)
{
    sqlite3_stmt *st = nullptr;
    int v = fallback;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return v;
}

bool intact(sqlite3 *db)
{
    const int objects = scalarInt(db,
                                  "SELECT count(*) FROM sqlite_master WHERE (type = 'table' AND name IN "
                                  "('pv_drinkfold', 'pv_drinkfold_dirty', 'pv_drinkfold_meta')) OR (type = "
                                  "'trigger' AND tbl_name = 'drinklst' AND name IN ('pv_drinkfold_ins', "
                                  "'pv_drinkfold_upd', 'pv_drinkfold_del'))",
                                  0);
    return objects == 6 && scalarInt(db, "SELECT version FROM pv_drinkfold_meta", -1) == kVersion;
}

constexpr const char *kFoldSelect = "SELECT rowid, coalesce(pv_fold(DrinkName), ''), pv_fold_ings(Ing1, Ing2, Ing3, "
                                    "Ing4, Ing5, Ing6, Ing7, Ing8, Ing9, Ing10) FROM drinklst";

bool rebuild(sqlite3 *db)
{
    if (!exec(db, "BEGIN IMMEDIATE"))
        return false;
    QString sql;
    for (const char *t : kTriggers)
        sql += QStringLiteral("DROP TRIGGER IF EXISTS %1;").arg(QLatin1String(t));
    sql += QStringLiteral("DROP TABLE IF EXISTS pv_drinkfold; DROP TABLE IF EXISTS pv_drinkfold_dirty;"
                          "DROP TABLE IF EXISTS pv_drinkfold_meta;"
                          "CREATE TABLE pv_drinkfold (id INTEGER PRIMARY KEY, name TEXT NOT NULL, ings TEXT NOT NULL);"
                          "CREATE TABLE pv_drinkfold_dirty (id INTEGER PRIMARY KEY);"
                          "CREATE TABLE pv_drinkfold_meta (version INTEGER NOT NULL);"
                          "INSERT INTO pv_drinkfold_meta VALUES (%1);"
                          // Plain SQL only, so that every program that writes drinklst can run them.
                          "CREATE TRIGGER pv_drinkfold_ins AFTER INSERT ON drinklst BEGIN "
                          "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (new.rowid); END;"
                          "CREATE TRIGGER pv_drinkfold_upd AFTER UPDATE ON drinklst BEGIN "
                          "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (old.rowid);"
                          "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (new.rowid); END;"
                          "CREATE TRIGGER pv_drinkfold_del AFTER DELETE ON drinklst BEGIN "
                          "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (old.rowid); END;"
                          "INSERT INTO pv_drinkfold (id, name, ings) %2;")
               .arg(kVersion)
               .arg(QLatin1String(kFoldSelect));
    if (!exec(db, sql.toUtf8().constData()) || !exec(db, "COMMIT")) {
        exec(db, "ROLLBACK");
        return false;
    }
    return true;
}

bool foldDirty(sqlite3 *db)
{
    if (scalarInt(db, "SELECT EXISTS (SELECT 1 FROM pv_drinkfold_dirty)", 0) == 0)
        return true;
    if (!exec(db, "BEGIN IMMEDIATE"))
        return false;
    const QString sql = QStringLiteral("DELETE FROM pv_drinkfold WHERE id IN (SELECT id FROM pv_drinkfold_dirty);"
                                       "INSERT INTO pv_drinkfold (id, name, ings) %1 WHERE rowid IN "
                                       "(SELECT id FROM pv_drinkfold_dirty);"
                                       "DELETE FROM pv_drinkfold_dirty;")
                            .arg(QLatin1String(kFoldSelect));
    if (!exec(db, sql.toUtf8().constData()) || !exec(db, "COMMIT")) {
        exec(db, "ROLLBACK");
        return false;
    }
    return true;
}

} // namespace

void registerFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "pv_fold", 1, flags, nullptr, foldFn, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "pv_fold_ings", -1, flags, nullptr, foldIngsFn, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "pv_fold_match", -1, flags, nullptr, foldMatchFn, nullptr, nullptr, nullptr);
}

bool sync(sqlite3 *db)
{
    if (!intact(db))
        return rebuild(db);
    if (!foldDirty(db))
        return false;
    // A VACUUM may number the rows afresh (drinklst has no key column of
    // its own) and runs no triggers; it shows as other first or last keys.
    if (scalarInt(db,
                  "SELECT (SELECT min(rowid) FROM drinklst) IS (SELECT min(id) FROM pv_drinkfold) AND "
                  "(SELECT max(rowid) FROM drinklst) IS (SELECT max(id) FROM pv_drinkfold)",
                  0) == 0)
        return rebuild(db);
    return true;
}

void drop(sqlite3 *db)
{
    exec(db, "DROP TRIGGER IF EXISTS pv_drinkfold_ins; DROP TRIGGER IF EXISTS pv_drinkfold_upd;"
             "DROP TRIGGER IF EXISTS pv_drinkfold_del; DROP TABLE IF EXISTS pv_drinkfold;"
             "DROP TABLE IF EXISTS pv_drinkfold_dirty; DROP TABLE IF EXISTS pv_drinkfold_meta;");
}

QVector<qint64> drinksWithIngredient(const QString &cataloguePath, const QString &text)
{
    QVector<qint64> keys;
    const QString needle = foldForSearch(text);
    if (needle.isEmpty())
        return keys;
    sqlite3 *db = nullptr;
    int rc = sqlite3_open_v2(cataloguePath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_close(db);
        throw DataError(ErrCannotOpen, cataloguePath);
    }
    try {
        guard::secure(db, cataloguePath);
    } catch (...) {
        sqlite3_close(db);
        throw;
    }
    sqlite3_busy_timeout(db, RecordCursor::busyTimeoutMs());
    registerFunctions(db);
    const char *sql = sync(db) ? "SELECT id FROM pv_drinkfold WHERE instr(ings, ?1) > 0 ORDER BY id"
                               : "SELECT rowid FROM drinklst WHERE pv_fold_match(?1, NULL, Ing1, Ing2, Ing3, Ing4, "
                                 "Ing5, Ing6, Ing7, Ing8, Ing9, Ing10) ORDER BY rowid";
    sqlite3_stmt *st = nullptr;
    rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
    if (rc == SQLITE_OK) {
        const QByteArray n = needle.toUtf8();
        sqlite3_bind_text(st, 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
        while ((rc = sqlite3_step(st)) == SQLITE_ROW)
            keys.push_back(sqlite3_column_int64(st, 0));
    }
    const QString why = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_finalize(st);
    sqlite3_close(db);
    if (rc != SQLITE_DONE)
        throw DataError(ErrGeneral, why);
    return keys;
}

} // namespace pv::drinkindex

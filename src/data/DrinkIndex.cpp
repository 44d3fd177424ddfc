#include "data/DrinkIndex.h"

#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/RecordCursor.h"
#include "data/TextFold.h"

#include <QMutex>
#include <QSet>
#include <QStringList>

#include <iterator>
#include <limits>
#include <utility>

#include <sqlite3.h>

namespace pv::drinkindex {

namespace {

// Raised when the folding rules change, so that old indexes are rebuilt.
constexpr int kVersion = 2;

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

bool exec(sqlite3 *db, const QString &sql)
{
    return exec(db, sql.toUtf8().constData());
}

qint64 scalar(sqlite3 *db, const char *sql, qint64 fallback, qint64 arg = 0)
{
    sqlite3_stmt *st = nullptr;
    qint64 v = fallback;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) == SQLITE_OK) {
        if (sqlite3_bind_parameter_count(st) > 0)
            sqlite3_bind_int64(st, 1, arg);
        if (sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL)
            v = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    return v;
}

// Runs `sql` with ?1 bound; false on any failure.
bool execWith(sqlite3 *db, const QString &sql, qint64 arg)
{
    sqlite3_stmt *st = nullptr;
    bool ok = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_bind_int64(st, 1, arg);
        ok = sqlite3_step(st) == SQLITE_DONE;
    }
    sqlite3_finalize(st);
    return ok;
}

QString normalised(QString sql)
{
    return sql.simplified();
}

// Every object of the index with the text it is made with; one that reads
// otherwise was not made by this version and is made again.
struct Object {
    const char *type;
    const char *name;
    const char *sql;
    bool last = false; // made once every row is in, so its pages are filled
};

// Plain SQL only in the triggers, so that every program that writes
// drinklst can run them (the full-text index is written by sync alone).
const Object kObjects[] = {
    {"table", "pv_drinkfold",
     "CREATE TABLE pv_drinkfold (id INTEGER PRIMARY KEY, name TEXT NOT NULL, ings TEXT NOT NULL, glass TEXT NOT NULL)"},
    {"table", "pv_drinkfold_dirty", "CREATE TABLE pv_drinkfold_dirty (id INTEGER PRIMARY KEY)"},
    {"table", "pv_drinkfold_meta",
     "CREATE TABLE pv_drinkfold_meta (version INTEGER NOT NULL, complete INTEGER NOT NULL)"},
    {"index", "pv_drinkfold_byname", "CREATE INDEX pv_drinkfold_byname ON pv_drinkfold (name)", true},
    {"index", "pv_drinkfold_byglass", "CREATE INDEX pv_drinkfold_byglass ON pv_drinkfold (glass)", true},
    // Trigrams of the folded texts; detail=none keeps it small, since every
    // hit is confirmed on pv_drinkfold anyway.
    {"table", "pv_drinkfts",
     "CREATE VIRTUAL TABLE pv_drinkfts USING fts5(name, ings, content='pv_drinkfold', content_rowid='id', "
     "tokenize='trigram case_sensitive 1', detail=none, columnsize=0)"},
    {"trigger", "pv_drinkfold_ins",
     "CREATE TRIGGER pv_drinkfold_ins AFTER INSERT ON drinklst BEGIN "
     "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (new.rowid); END"},
    {"trigger", "pv_drinkfold_upd",
     "CREATE TRIGGER pv_drinkfold_upd AFTER UPDATE ON drinklst BEGIN "
     "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (old.rowid);"
     "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (new.rowid); END"},
    {"trigger", "pv_drinkfold_del",
     "CREATE TRIGGER pv_drinkfold_del AFTER DELETE ON drinklst BEGIN "
     "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (old.rowid); END"},
};

// The engine makes these for the full-text index itself.
const char *const kShadowTables[] = {"pv_drinkfts_data", "pv_drinkfts_idx", "pv_drinkfts_config"};

// Drinks folded to one transaction while building; rows changed by others
// taken in on a keystroke before the index counts as behind.
constexpr qint64 kBuildChunk = 20000;
constexpr qint64 kQuickRows = 2000;

// The catalogues whose full-text index this program built or checked since
// it started. An index read from a file is checked once before it is
// trusted: a damaged one (or one another program wrote) may quietly miss drinks.
QMutex g_trustMutex;
QSet<QString> g_trusted;

QString fileOf(sqlite3 *db)
{
    const char *f = sqlite3_db_filename(db, "main");
    return f ? QString::fromUtf8(f) : QString();
}

bool trusted(sqlite3 *db)
{
    QMutexLocker lock(&g_trustMutex);
    return g_trusted.contains(fileOf(db));
}

void trust(sqlite3 *db, bool yes)
{
    QMutexLocker lock(&g_trustMutex);
    if (yes)
        g_trusted.insert(fileOf(db));
    else
        g_trusted.remove(fileOf(db));
}

// Counts the objects of the index that read as this version makes them:
// those made first, and those made last.
std::pair<int, int> objectsIntact(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_master WHERE name LIKE 'pv\\_drinkf%' ESCAPE '\\'",
                           -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return {0, 0};
    }
    int first = 0, last = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        const auto text = [st](int i) {
            const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
            return t ? QString::fromUtf8(t) : QString();
        };
        const QString type = text(0), name = text(1), sql = text(2);
        for (const Object &o : kObjects)
            if (name == QLatin1String(o.name) && type == QLatin1String(o.type) &&
                normalised(sql) == normalised(QString::fromLatin1(o.sql)))
                ++(o.last ? last : first);
        for (const char *t : kShadowTables)
            if (name == QLatin1String(t) && type == QLatin1String("table"))
                ++first;
    }
    sqlite3_finalize(st);
    return {first, last};
}

int objectCount(bool last)
{
    int n = last ? 0 : int(std::size(kShadowTables));
    for (const Object &o : kObjects)
        n += o.last == last ? 1 : 0;
    return n;
}

bool structureIntact(sqlite3 *db)
{
    return objectsIntact(db).first == objectCount(false);
}

bool current(sqlite3 *db)
{
    return structureIntact(db) && scalar(db, "SELECT version FROM pv_drinkfold_meta", -1) == kVersion;
}

bool complete(sqlite3 *db)
{
    return scalar(db, "SELECT complete FROM pv_drinkfold_meta", 0) == 1 &&
           objectsIntact(db).second == objectCount(true);
}

constexpr const char *kFoldSelect = "SELECT rowid, coalesce(pv_fold(DrinkName), ''), pv_fold_ings(Ing1, Ing2, Ing3, "
                                    "Ing4, Ing5, Ing6, Ing7, Ing8, Ing9, Ing10), coalesce(pv_fold(Glass), '') "
                                    "FROM drinklst";

bool commitOrUndo(sqlite3 *db, bool ok)
{
    if (ok && exec(db, "COMMIT"))
        return true;
    exec(db, "ROLLBACK");
    return false;
}

// Drops whatever is there and makes the index empty, to be filled.
bool start(sqlite3 *db)
{
    if (!exec(db, "BEGIN IMMEDIATE"))
        return false;
    QString sql = QStringLiteral("DROP TABLE IF EXISTS pv_drinkfts;");
    for (const char *t : kTriggers)
        sql += QStringLiteral("DROP TRIGGER IF EXISTS %1;").arg(QLatin1String(t));
    sql += QStringLiteral("DROP TABLE IF EXISTS pv_drinkfold; DROP TABLE IF EXISTS pv_drinkfold_dirty;"
                          "DROP TABLE IF EXISTS pv_drinkfold_meta;");
    for (const Object &o : kObjects)
        if (!o.last)
            sql += QLatin1String(o.sql) + QLatin1Char(';');
    sql += QStringLiteral("INSERT INTO pv_drinkfold_meta VALUES (%1, 0);").arg(kVersion);
    return commitOrUndo(db, exec(db, sql));
}

// Folds the next drinks after those already folded; 0 when none are left, -1 on failure.
qint64 fillChunk(sqlite3 *db)
{
    if (!exec(db, "BEGIN IMMEDIATE"))
        return -1;
    const qint64 from = scalar(db, "SELECT max(id) FROM pv_drinkfold", std::numeric_limits<qint64>::min());
    const qint64 before = sqlite3_total_changes64(db);
    bool ok = execWith(db,
                       QStringLiteral("INSERT INTO pv_drinkfold (id, name, ings, glass) %1 WHERE rowid > ?1 "
                                      "ORDER BY rowid LIMIT %2")
                           .arg(QLatin1String(kFoldSelect))
                           .arg(kBuildChunk),
                       from);
    const qint64 added = sqlite3_total_changes64(db) - before;
    ok = ok && execWith(db,
                        QStringLiteral("INSERT INTO pv_drinkfts (rowid, name, ings) SELECT id, name, ings FROM "
                                       "pv_drinkfold WHERE id > ?1"),
                        from);
    return commitOrUndo(db, ok) ? added : -1;
}

// Folds again up to `limit` of the rows noted as changed; the number done, -1 on failure.
qint64 foldDirty(sqlite3 *db, qint64 limit)
{
    if (scalar(db, "SELECT EXISTS (SELECT 1 FROM pv_drinkfold_dirty)", 0) == 0)
        return 0;
    if (!exec(db, "BEGIN IMMEDIATE"))
        return -1;
    const QString some = QStringLiteral("(SELECT id FROM pv_drinkfold_dirty ORDER BY id LIMIT %1)").arg(limit);
    const qint64 n = scalar(db, QStringLiteral("SELECT count(*) FROM %1").arg(some).toUtf8().constData(), 0);
    // The full-text index forgets a row by the very texts it took in.
    const QString sql =
        QStringLiteral("INSERT INTO pv_drinkfts (pv_drinkfts, rowid, name, ings) SELECT 'delete', id, name, ings "
                       "FROM pv_drinkfold WHERE id IN %1;"
                       "DELETE FROM pv_drinkfold WHERE id IN %1;"
                       "INSERT INTO pv_drinkfold (id, name, ings, glass) %2 WHERE rowid IN %1;"
                       "INSERT INTO pv_drinkfts (rowid, name, ings) SELECT id, name, ings FROM pv_drinkfold "
                       "WHERE id IN %1;"
                       "DELETE FROM pv_drinkfold_dirty WHERE id IN %1;")
            .arg(some, QLatin1String(kFoldSelect));
    return commitOrUndo(db, exec(db, sql)) ? n : -1;
}

// A VACUUM may number the rows afresh (drinklst has no key column of its
// own) and runs no triggers; it shows as other first or last keys.
bool numberedAfresh(sqlite3 *db)
{
    return scalar(db,
                  "SELECT (SELECT min(rowid) FROM drinklst) IS (SELECT min(id) FROM pv_drinkfold) AND "
                  "(SELECT max(rowid) FROM drinklst) IS (SELECT max(id) FROM pv_drinkfold)",
                  0) == 0;
}

qint64 dirtyCount(sqlite3 *db, qint64 atMost)
{
    return scalar(db, "SELECT count(*) FROM (SELECT 1 FROM pv_drinkfold_dirty LIMIT ?1)", 0, atMost);
}

// Checks the full-text index against the folded texts it was made from.
bool verified(sqlite3 *db)
{
    const bool ok = exec(db, "INSERT INTO pv_drinkfts (pv_drinkfts) VALUES ('integrity-check')");
    trust(db, ok);
    return ok;
}

} // namespace

void registerFunctions(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "pv_fold", 1, flags, nullptr, foldFn, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "pv_fold_ings", -1, flags, nullptr, foldIngsFn, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "pv_fold_match", -1, flags, nullptr, foldMatchFn, nullptr, nullptr, nullptr);
}

Readiness refresh(sqlite3 *db)
{
    if (!current(db))
        return sqlite3_db_readonly(db, "main") == 1 ? Readiness::Unavailable : Readiness::NeedsBuild;
    if (!complete(db) || !trusted(db) || dirtyCount(db, kQuickRows + 1) > kQuickRows)
        return Readiness::NeedsBuild;
    if (foldDirty(db, kQuickRows) < 0)
        return Readiness::Unavailable;
    return numberedAfresh(db) ? Readiness::NeedsBuild : Readiness::Ready;
}

bool build(sqlite3 *db, const Progress &progress)
{
    if (current(db) && complete(db)) {
        // Behind by many rows: take them in a chunk at a time.
        const qint64 total = dirtyCount(db, std::numeric_limits<qint64>::max());
        qint64 done = 0, n;
        while ((n = foldDirty(db, kBuildChunk)) > 0) {
            done += n;
            if (progress && !progress(done, total))
                return false;
        }
        if (n < 0)
            return false;
        if (!numberedAfresh(db) && (trusted(db) || verified(db)))
            return true;
        if (!start(db))
            return false;
    } else if (!current(db) && !start(db)) {
        return false;
    }
    const qint64 first = scalar(db, "SELECT min(rowid) FROM drinklst", 0);
    const qint64 total = scalar(db, "SELECT max(rowid) FROM drinklst", 0) - first + 1;
    for (;;) {
        const qint64 added = fillChunk(db);
        if (added < 0)
            return false;
        if (added == 0)
            break;
        if (progress && !progress(scalar(db, "SELECT max(id) FROM pv_drinkfold", 0) - first + 1, total))
            return false;
    }
    // What other programs changed meanwhile.
    qint64 n;
    while ((n = foldDirty(db, kBuildChunk)) > 0) {
    }
    if (n < 0)
        return false;
    // One transaction for each index, with room to build it in memory: a
    // transaction that outgrows the page cache locks readers out until it ends.
    exec(db, "PRAGMA cache_size = -65536");
    for (const Object &o : kObjects) {
        if (!o.last)
            continue;
        if (!exec(db, "BEGIN IMMEDIATE") ||
            !commitOrUndo(db, exec(db, QStringLiteral("DROP INDEX IF EXISTS %1;").arg(QLatin1String(o.name)) +
                                           QLatin1String(o.sql))))
            return false;
        if (progress && !progress(total, total))
            return false;
    }
    if (!exec(db, "BEGIN IMMEDIATE"))
        return false;
    const bool done = commitOrUndo(db, exec(db, "UPDATE pv_drinkfold_meta SET complete = 1"));
    trust(db, done);
    return done;
}

bool sync(sqlite3 *db)
{
    switch (refresh(db)) {
    case Readiness::Ready:
        return true;
    case Readiness::Unavailable:
        return false;
    case Readiness::NeedsBuild:
        break;
    }
    return build(db) && refresh(db) == Readiness::Ready;
}

bool syncFile(const QString &cataloguePath)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(cataloguePath.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    bool ok = false;
    try {
        guard::secure(db, cataloguePath);
        sqlite3_busy_timeout(db, RecordCursor::busyTimeoutMs());
        registerFunctions(db);
        ok = sync(db);
    } catch (const DataError &) {
        ok = false;
    }
    sqlite3_close(db);
    return ok;
}

void drop(sqlite3 *db)
{
    trust(db, false);
    exec(db, "DROP TABLE IF EXISTS pv_drinkfts;"
             "DROP TRIGGER IF EXISTS pv_drinkfold_ins; DROP TRIGGER IF EXISTS pv_drinkfold_upd;"
             "DROP TRIGGER IF EXISTS pv_drinkfold_del; DROP TABLE IF EXISTS pv_drinkfold;"
             "DROP TABLE IF EXISTS pv_drinkfold_dirty; DROP TABLE IF EXISTS pv_drinkfold_meta;");
}

void distrustAll()
{
    QMutexLocker lock(&g_trustMutex);
    g_trusted.clear();
}

bool indexable(const QString &folded)
{
    // The trigram index finds nothing shorter than three characters, and a
    // NUL would end the query text.
    return !folded.contains(QChar(0)) && folded.toUcs4().size() >= 3;
}

QByteArray matchQuery(const QString &folded)
{
    // Trigrams every three characters and the last one cover the whole text;
    // each is one quoted term, so nothing the user typed reads as syntax.
    const QList<uint> cps = folded.toUcs4();
    const qsizetype n = cps.size();
    QStringList terms;
    const auto term = [&](qsizetype at) {
        QString t = QString::fromUcs4(reinterpret_cast<const char32_t *>(cps.constData() + at), 3);
        t.replace(QLatin1Char('"'), QLatin1String("\"\""));
        terms << QLatin1Char('"') + t + QLatin1Char('"');
    };
    for (qsizetype i = 0; i + 3 <= n; i += 3)
        term(i);
    if (n >= 3 && n % 3 != 0)
        term(n - 3);
    return terms.join(QLatin1String(" AND ")).toUtf8();
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
    // A menu command waits for no index: until it is built the rows are folded as they are read.
    const char *scan = "SELECT rowid FROM drinklst WHERE pv_fold_match(?1, NULL, Ing1, Ing2, Ing3, Ing4, Ing5, Ing6, "
                       "Ing7, Ing8, Ing9, Ing10) ORDER BY rowid";
    const char *sql = refresh(db) != Readiness::Ready ? scan
                      : indexable(needle)
                          ? "SELECT f.id FROM pv_drinkfts JOIN pv_drinkfold f ON f.id = pv_drinkfts.rowid "
                            "WHERE pv_drinkfts MATCH ?2 AND instr(f.ings, ?1) > 0 ORDER BY pv_drinkfts.rowid"
                          : "SELECT id FROM pv_drinkfold WHERE instr(ings, ?1) > 0 ORDER BY id";
    const auto run = [&](const char *query) {
        keys.clear();
        sqlite3_stmt *st = nullptr;
        rc = sqlite3_prepare_v2(db, query, -1, &st, nullptr);
        if (rc == SQLITE_OK) {
            const QByteArray n = needle.toUtf8();
            sqlite3_bind_text(st, 1, n.constData(), int(n.size()), SQLITE_TRANSIENT);
            const QByteArray q = matchQuery(needle);
            if (sqlite3_bind_parameter_count(st) >= 2)
                sqlite3_bind_text(st, 2, q.constData(), int(q.size()), SQLITE_TRANSIENT);
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                keys.push_back(sqlite3_column_int64(st, 0));
        }
        sqlite3_finalize(st);
    };
    run(sql);
    if (rc != SQLITE_DONE && sql != scan && !unreadable(rc)) {
        // A damaged index is made again later; the answer comes from the drinks themselves.
        forget(db);
        run(scan);
    }
    const QString why = QString::fromUtf8(sqlite3_errmsg(db));
    sqlite3_close(db);
    if (rc != SQLITE_DONE)
        throw DataError(ErrGeneral, why);
    return keys;
}

bool unreadable(int rc)
{
    const int primary = rc & 0xFF;
    return primary == SQLITE_BUSY || primary == SQLITE_LOCKED || primary == SQLITE_INTERRUPT || primary == SQLITE_NOMEM;
}

void forget(sqlite3 *db)
{
    trust(db, false);
    exec(db, "DELETE FROM pv_drinkfold_meta");
}

} // namespace pv::drinkindex

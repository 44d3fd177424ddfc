#include "data/CatalogueGuard.h"

#include "data/Catalogue.h"
#include "data/DataError.h"

#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

#include <sqlite3.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <cstdio>

namespace pv::guard {

namespace {

// The handler is asked every kStride steps; cheap enough to leave on.
constexpr int kStride = 1000;
// About a second of the engine's own work on one statement: three times the
// longest statement the program runs on a million drinks (the export, about
// 28 steps a drink), and a bound on the temporary space a statement can
// fill, since each step writes at most a row.
constexpr qint64 kDefaultBudget = 100'000'000;
// A statement that reads a stored query the file altered runs code the
// program did not write: it is stopped sooner, in about half a second, still
// well past a designed category query over a million drinks.
constexpr qint64 kForeignBudget = 30'000'000;
// The longest value the engine hands out or stores: a recipe of 100 MB of
// directions still fits.
constexpr int kMaxValueBytes = 256 * 1024 * 1024;
// What the engine may hold in memory at once, for all catalogues together.
constexpr sqlite3_int64 kHeapLimit = sqlite3_int64(1) << 30;

std::atomic<qint64> g_budget{kDefaultBudget};

struct State {
    qint64 steps = 0;
    qint64 limit = kDefaultBudget; // of the statement running now
    QSet<QString> alteredViews;    // folded names
    int schemaVersion = -1; // when the triggers were last looked at
    bool triggersOff = false;
    QString path;
    QSet<QString> foreignTriggers; // folded names
};

QMutex g_mutex;
QHash<sqlite3 *, State *> g_states;
std::function<void(const QString &)> g_notice;
QSet<QString> g_told;
QSet<QString> g_trustedForTests;

State *stateOf(sqlite3 *db)
{
    QMutexLocker lock(&g_mutex);
    return g_states.value(db);
}

int onProgress(void *p)
{
    auto *s = static_cast<State *>(p);
    s->steps += kStride;
    return s->steps > s->limit ? 1 : 0;
}

// True when the statement's text names one of `names` (folded) as an
// identifier, bare or quoted; text in string literals and comments is skipped.
bool namesAny(const char *sql, const QSet<QString> &names)
{
    const auto ident = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || (c & 0x80); };
    for (const char *p = sql; *p;) {
        const char c = *p;
        if (c == '\'') {
            for (++p; *p && !(*p == '\'' && p[1] != '\''); p += *p == '\'' ? 2 : 1) {
            }
            p += *p ? 1 : 0;
        } else if (c == '-' && p[1] == '-') {
            while (*p && *p != '\n')
                ++p;
        } else if (c == '/' && p[1] == '*') {
            const char *end = std::strstr(p + 2, "*/");
            p = end ? end + 2 : p + std::strlen(p);
        } else if (c == '"' || c == '[' || c == '`') {
            const char close = c == '[' ? ']' : c;
            QByteArray name;
            for (++p; *p && !(*p == close && p[1] != close); ++p) {
                name += *p;
                if (*p == close)
                    ++p;
            }
            p += *p ? 1 : 0;
            if (names.contains(QString::fromUtf8(name).toCaseFolded()))
                return true;
        } else if (ident(c)) {
            const char *start = p;
            while (*p && ident(*p))
                ++p;
            if (names.contains(QString::fromUtf8(start, p - start).toCaseFolded()))
                return true;
        } else {
            ++p;
        }
    }
    return false;
}

int onTrace(unsigned type, void *p, void *, void *x)
{
    // A new statement starts with a full budget; a trigger's part of one
    // (its text begins with "--") does not.
    if (type == SQLITE_TRACE_STMT) {
        const char *sql = static_cast<const char *>(x);
        if (!(sql && sql[0] == '-' && sql[1] == '-')) {
            auto *s = static_cast<State *>(p);
            s->steps = 0;
            const qint64 budget = g_budget.load(std::memory_order_relaxed);
            s->limit = !s->alteredViews.isEmpty() && sql && namesAny(sql, s->alteredViews)
                           ? std::min(budget, kForeignBudget)
                           : budget;
        }
    }
    return 0;
}

int onAuthorize(void *p, int action, const char *a, const char *b, const char *, const char *inner)
{
    auto *s = static_cast<State *>(p);
    // The file's triggers are switched off; should one still be coded into a
    // statement, the statement is refused instead of running it. (The name
    // may also be a view's or a WITH clause's, which run.)
    if (inner && s->foreignTriggers.contains(QString::fromUtf8(inner).toCaseFolded()))
        return SQLITE_DENY;
    switch (action) {
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return SQLITE_DENY;
    case SQLITE_PRAGMA:
        if (a && (qstricmp(a, "writable_schema") == 0 || qstricmp(a, "trusted_schema") == 0))
            return SQLITE_DENY;
        return SQLITE_OK;
    case SQLITE_FUNCTION:
        if (b && qstricmp(b, "load_extension") == 0)
            return SQLITE_DENY;
        return SQLITE_OK;
    default:
        return SQLITE_OK;
    }
}

void noop(sqlite3_context *ctx, int, sqlite3_value **)
{
    sqlite3_result_null(ctx);
}

void dropState(void *p)
{
    auto *s = static_cast<State *>(p);
    {
        QMutexLocker lock(&g_mutex);
        for (auto it = g_states.begin(); it != g_states.end();)
            it = it.value() == s ? g_states.erase(it) : std::next(it);
    }
    delete s;
}

QString columnText(sqlite3_stmt *st, int i)
{
    const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    return t ? QString::fromUtf8(t, sqlite3_column_bytes(st, i)) : QString();
}

QString normalised(const QString &sql)
{
    static const QRegularExpression space(QStringLiteral("\\s+"));
    QString s = sql;
    s.replace(space, QStringLiteral(" "));
    s.replace(QStringLiteral("; "), QStringLiteral(";"));
    return s.trimmed();
}

// The triggers the program itself makes, by folded name.
const QHash<QString, QString> &ownTriggers()
{
    static const QHash<QString, QString> list = [] {
        QHash<QString, QString> t;
        const QString fold = QStringLiteral("INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (%1.rowid);");
        t.insert(QStringLiteral("pv_drinkfold_ins"),
                 QStringLiteral("CREATE TRIGGER pv_drinkfold_ins AFTER INSERT ON drinklst BEGIN ") +
                     fold.arg(QLatin1String("new")) + QStringLiteral(" END"));
        t.insert(QStringLiteral("pv_drinkfold_upd"), QStringLiteral("CREATE TRIGGER pv_drinkfold_upd AFTER UPDATE ON "
                                                                    "drinklst BEGIN ") +
                                                         fold.arg(QLatin1String("old")) +
                                                         fold.arg(QLatin1String("new")) + QStringLiteral(" END"));
        t.insert(QStringLiteral("pv_drinkfold_del"),
                 QStringLiteral("CREATE TRIGGER pv_drinkfold_del AFTER DELETE ON drinklst BEGIN ") +
                     fold.arg(QLatin1String("old")) + QStringLiteral(" END"));
        for (const CollectionTable &c : collectionTables())
            if (c.numbered)
                t.insert(QStringLiteral("%1_number").arg(QLatin1String(c.table)).toCaseFolded(),
                         QStringLiteral("CREATE TRIGGER \"%1_number\" AFTER INSERT ON \"%1\" WHEN NEW.\"%2\" IS NULL "
                                        "OR NEW.\"%2\" = '' BEGIN UPDATE \"%1\" SET \"%2\" = (SELECT "
                                        "coalesce(max(CAST(\"%2\" AS INTEGER)), 0) + 1 FROM \"%1\") WHERE rowid = "
                                        "NEW.rowid; END")
                             .arg(QLatin1String(c.table), QLatin1String(c.shortColumn)));
        for (auto it = t.begin(); it != t.end(); ++it)
            it.value() = normalised(it.value());
        return t;
    }();
    return list;
}

int schemaVersion(sqlite3 *db)
{
    sqlite3_stmt *st = nullptr;
    int v = -1;
    if (sqlite3_prepare_v2(db, "PRAGMA schema_version", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int(st, 0);
    sqlite3_finalize(st);
    return v;
}

void tellOnce(const QString &path, const Findings &f)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    std::function<void(const QString &)> notice;
    {
        QMutexLocker lock(&g_mutex);
        if (g_told.contains(key))
            return;
        g_told.insert(key);
        notice = g_notice;
    }
    const QString text = noticeText(path, f);
    if (notice)
        notice(text);
    else
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

// Switches the connection's triggers off when the file carries foreign ones.
void setAsideTriggers(sqlite3 *db, State *s, const QStringList &foreign)
{
    if (foreign.isEmpty())
        return;
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_TRIGGER, 0, nullptr);
    s->triggersOff = true;
    for (const QString &t : foreign)
        s->foreignTriggers.insert(t.toCaseFolded());
}

QString quoteIdent(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

QString designedQueryOf(const QString &name)
{
    for (const Category &c : categories())
        if (name.compare(QLatin1String(c.queryName), Qt::CaseInsensitive) == 0)
            return QStringLiteral("SELECT rowid AS pv_key, * FROM drinklst WHERE '%1' IN (Category1, Catagory2, "
                                  "Category3)")
                .arg(QLatin1String(c.label));
    return QString();
}

} // namespace

QString designedQuery(const QString &name)
{
    return designedQueryOf(name);
}

void protect(sqlite3 *db)
{
    static const bool heapLimited = [] {
        sqlite3_hard_heap_limit64(kHeapLimit);
        return true;
    }();
    (void)heapLimited;
    auto *s = new State;
    {
        QMutexLocker lock(&g_mutex);
        g_states.insert(db, s);
    }
    // The state lives as long as the connection: the engine drops it with
    // this function when the connection closes.
    if (sqlite3_create_function_v2(db, "pv_guard", 0, SQLITE_UTF8, s, noop, nullptr, nullptr, dropState) !=
        SQLITE_OK) {
        // The engine already called dropState.
        throw DataError(ErrResources);
    }
    sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_ENABLE_LOAD_EXTENSION, 0, nullptr);
    sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
    sqlite3_limit(db, SQLITE_LIMIT_ATTACHED, 0);
    sqlite3_progress_handler(db, kStride, onProgress, s);
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, onTrace, s);
    sqlite3_set_authorizer(db, onAuthorize, s);
}

Findings inspect(sqlite3 *db)
{
    Findings f;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT type, name, sql FROM sqlite_master", -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return f;
    }
    QSet<QString> tables{QString::fromLatin1(kDrinkTable)};
    for (const CollectionTable &c : collectionTables())
        tables.insert(QString::fromLatin1(c.table).toCaseFolded());
    static const QRegularExpression plainTable(QStringLiteral("^\\s*CREATE\\s+TABLE\\b"),
                                               QRegularExpression::CaseInsensitiveOption);
    while (sqlite3_step(st) == SQLITE_ROW) {
        const QString type = columnText(st, 0);
        const QString name = columnText(st, 1);
        const QString sql = columnText(st, 2);
        const QString folded = name.toCaseFolded();
        if (tables.contains(folded) && (type != QLatin1String("table") || !plainTable.match(sql).hasMatch()))
            f.notTables << name;
        if (type == QLatin1String("trigger") && ownTriggers().value(folded) != normalised(sql)) {
            QMutexLocker lock(&g_mutex);
            if (!g_trustedForTests.contains(folded))
                f.foreignTriggers << name;
        }
        if (type == QLatin1String("view")) {
            const QString designed = designedQuery(name);
            if (!designed.isEmpty() &&
                normalised(sql) != normalised(QStringLiteral("CREATE VIEW %1 AS ").arg(quoteIdent(name)) + designed))
                f.alteredQueries << name;
        }
    }
    sqlite3_finalize(st);
    return f;
}

void requireOrdinaryFile(const QString &path)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        throw DataError(ErrNotCatalogue, path);
}

void secure(sqlite3 *db, const QString &path)
{
    if (const char *file = sqlite3_db_filename(db, "main"); file && *file)
        requireOrdinaryFile(QString::fromUtf8(file));
    protect(db);
    const Findings f = inspect(db);
    if (!f.notTables.isEmpty())
        throw DataError(ErrNotTable, f.notTables.first());
    State *s = stateOf(db);
    s->path = path;
    s->schemaVersion = schemaVersion(db);
    for (const QString &q : f.alteredQueries)
        s->alteredViews.insert(q.toCaseFolded());
    setAsideTriggers(db, s, f.foreignTriggers);
    if (!f.foreignTriggers.isEmpty() || !f.alteredQueries.isEmpty())
        tellOnce(path, f);
}

void beforeWrite(sqlite3 *db)
{
    State *s = stateOf(db);
    if (!s)
        return;
    // Another program may have added a trigger since the file was opened.
    const int version = schemaVersion(db);
    if (version == s->schemaVersion)
        return;
    s->schemaVersion = version;
    Findings f = inspect(db);
    for (const QString &q : f.alteredQueries)
        s->alteredViews.insert(q.toCaseFolded());
    QStringList fresh;
    for (const QString &t : f.foreignTriggers)
        if (!s->foreignTriggers.contains(t.toCaseFolded()))
            fresh << t;
    setAsideTriggers(db, s, fresh);
    if (!fresh.isEmpty()) {
        f.foreignTriggers = fresh;
        f.alteredQueries.clear();
        {
            QMutexLocker lock(&g_mutex);
            g_told.remove(QFileInfo(s->path).absoluteFilePath());
        }
        tellOnce(s->path, f);
    }
}

bool triggersOff(sqlite3 *db)
{
    const State *s = stateOf(db);
    return s && s->triggersOff;
}

void replayOwnTriggers(sqlite3 *db, const QString &table, qint64 rowid, bool inserted)
{
    if (!triggersOff(db))
        return;
    QString sql;
    if (table.compare(QLatin1String(kDrinkTable), Qt::CaseInsensitive) == 0) {
        // A missing index table is no fault: the index is built when first needed.
        sql = rowid < 0 ? QStringLiteral("DELETE FROM pv_drinkfold_meta")
                        : QStringLiteral("INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (%1)").arg(rowid);
    } else if (inserted) {
        for (const CollectionTable &c : collectionTables())
            if (c.numbered && table.compare(QLatin1String(c.table), Qt::CaseInsensitive) == 0)
                sql = QStringLiteral("UPDATE \"%1\" SET \"%2\" = (SELECT coalesce(max(CAST(\"%2\" AS INTEGER)), 0) + 1 "
                                     "FROM \"%1\") WHERE rowid = %3 AND (\"%2\" IS NULL OR \"%2\" = '')")
                          .arg(QLatin1String(c.table), QLatin1String(c.shortColumn))
                          .arg(rowid);
    }
    if (!sql.isEmpty())
        sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
}

qint64 stepBudget()
{
    return g_budget.load();
}

void setStepBudget(qint64 steps)
{
    g_budget.store(steps > 0 ? steps : kDefaultBudget);
}

void setNoticeHandler(std::function<void(const QString &)> handler)
{
    QMutexLocker lock(&g_mutex);
    g_notice = std::move(handler);
}

void trustTriggersForTests(const QStringList &names)
{
    QMutexLocker lock(&g_mutex);
    g_trustedForTests.clear();
    for (const QString &n : names)
        g_trustedForTests.insert(n.toCaseFolded());
}

void forgetNotices()
{
    QMutexLocker lock(&g_mutex);
    g_told.clear();
}

QString noticeText(const QString &path, const Findings &f)
{
    QStringList parts;
    if (!f.foreignTriggers.isEmpty())
        parts << QStringLiteral("Its %1 (%2) would change data whenever a drink or a row is saved, so Pourvale "
                                "does not let %3 run.")
                     .arg(f.foreignTriggers.size() == 1 ? QStringLiteral("trigger") : QStringLiteral("triggers"),
                          f.foreignTriggers.join(QStringLiteral(", ")),
                          f.foreignTriggers.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"));
    if (!f.alteredQueries.isEmpty())
        parts << QStringLiteral("Its stored %1 %2 %3 not the one Pourvale writes: Pourvale uses %4 only to read, "
                                "and stops %4 should %5 run too long.")
                     .arg(f.alteredQueries.size() == 1 ? QStringLiteral("query") : QStringLiteral("queries"),
                          f.alteredQueries.join(QStringLiteral(", ")),
                          f.alteredQueries.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                          f.alteredQueries.size() == 1 ? QStringLiteral("it") : QStringLiteral("them"),
                          f.alteredQueries.size() == 1 ? QStringLiteral("it") : QStringLiteral("they"));
    return QStringLiteral("The catalogue '%1' holds instructions that Pourvale did not write. ").arg(path) +
           parts.join(QLatin1Char(' ')) + QStringLiteral(" The file itself is left as it is.");
}

} // namespace pv::guard

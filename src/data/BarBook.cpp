#include "data/BarBook.h"

#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/RecordCursor.h"

#include <sqlite3.h>

#include <algorithm>

namespace pv::book {

namespace {

[[noreturn]] void fail(sqlite3 *db, int rc)
{
    switch (rc & 0xff) {
    case SQLITE_FULL:
        throw DataError(ErrDiskFull);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DataError(ErrLocked);
    case SQLITE_READONLY:
        throw DataError(ErrReadOnly);
    case SQLITE_IOERR:
        throw DataError(ErrDiskIo);
    default:
        throw DataError(ErrGeneral, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    }
}

void exec(sqlite3 *db, const char *sql)
{
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(db, rc);
}

struct Stmt {
    Stmt(sqlite3 *db, const char *sql) : db(db)
    {
        const int rc = sqlite3_prepare_v2(db, sql, -1, &st, nullptr);
        if (rc != SQLITE_OK)
            fail(db, rc);
    }
    ~Stmt() { sqlite3_finalize(st); }
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;
    void bind(int i, qint64 v) { sqlite3_bind_int64(st, i, v); }
    void bind(int i, const QString &v)
    {
        const QByteArray u = v.toUtf8();
        sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    bool row()
    {
        const int rc = sqlite3_step(st);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            fail(db, rc);
        return false;
    }
    qint64 integer(int i) const { return sqlite3_column_int64(st, i); }
    QString text(int i) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                 sqlite3_column_bytes(st, i));
    }
    sqlite3 *db;
    sqlite3_stmt *st = nullptr;
};

bool hasTable(sqlite3 *db, const char *name)
{
    Stmt st(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    st.bind(1, QString::fromLatin1(name));
    return st.row();
}

bool hasBook(sqlite3 *db)
{
    return hasTable(db, "pv_book") && hasTable(db, "pv_made");
}

void ensureTables(sqlite3 *db)
{
    exec(db, "CREATE TABLE IF NOT EXISTS pv_book (drink INTEGER, kept INTEGER, favourite INTEGER NOT NULL DEFAULT 0, "
             "rating INTEGER NOT NULL DEFAULT 0, note TEXT NOT NULL DEFAULT '');"
             "CREATE UNIQUE INDEX IF NOT EXISTS pv_book_drink ON pv_book (drink);"
             "CREATE TABLE IF NOT EXISTS pv_made (id INTEGER PRIMARY KEY, drink INTEGER, kept INTEGER, "
             "made_on TEXT NOT NULL, comment TEXT NOT NULL DEFAULT '');"
             "CREATE INDEX IF NOT EXISTS pv_made_drink ON pv_made (drink)");
}

QString oneLine(QString s)
{
    s.replace(QLatin1String("\r\n"), QLatin1String(" "));
    for (QChar &c : s)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return s;
}

// Layers by drink from two queries that give (drink, ...) rows; `arg` binds ?1 when set.
QHash<qint64, DrinkNotes> readWhere(sqlite3 *db, const char *bookSql, const char *madeSql, qint64 arg)
{
    QHash<qint64, DrinkNotes> out;
    if (!hasBook(db))
        return out;
    {
        Stmt st(db, bookSql);
        if (arg)
            st.bind(1, arg);
        while (st.row()) {
            DrinkNotes &n = out[st.integer(0)];
            n.favourite = st.integer(1) != 0;
            n.rating = int(std::clamp<qint64>(st.integer(2), 0, kMaxRating));
            n.note = st.text(3);
        }
    }
    Stmt st(db, madeSql);
    if (arg)
        st.bind(1, arg);
    while (st.row())
        out[st.integer(0)].made << MadeEntry{QDate::fromString(st.text(1), Qt::ISODate), st.text(2)};
    for (auto it = out.begin(); it != out.end();) {
        it.value() = bounded(it.value());
        it = it.value().isEmpty() ? out.erase(it) : std::next(it);
    }
    return out;
}

class Connection {
public:
    Connection(const QString &path, bool write)
    {
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                                       write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close(m_db);
            throw DataError(ErrCannotOpen, path);
        }
        try {
            guard::secure(m_db, path);
        } catch (...) {
            sqlite3_close(m_db);
            throw;
        }
        sqlite3_busy_timeout(m_db, RecordCursor::busyTimeoutMs());
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    sqlite3 *db() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

} // namespace

bool ensure(sqlite3 *db)
{
    try {
        if (hasBook(db))
            return true;
        ensureTables(db);
        return true;
    } catch (const DataError &) {
        return false;
    }
}

DrinkNotes bounded(DrinkNotes n)
{
    n.rating = qBound(0, n.rating, kMaxRating);
    if (n.note.size() > kMaxNoteChars)
        n.note.truncate(kMaxNoteChars);
    QList<MadeEntry> made;
    for (MadeEntry &e : n.made) {
        if (!e.date.isValid() || made.size() >= kMaxMadeEntries)
            continue;
        e.comment = oneLine(e.comment.left(kMaxCommentChars));
        made << e;
    }
    n.made = made;
    return n;
}

DrinkNotes read(sqlite3 *db, qint64 drink)
{
    return readWhere(db, "SELECT drink, favourite, rating, note FROM pv_book WHERE drink = ?1",
                     "SELECT drink, made_on, comment FROM pv_made WHERE drink = ?1 ORDER BY made_on, id", drink)
        .value(drink);
}

QHash<qint64, DrinkNotes> readAll(sqlite3 *db)
{
    // Only drinks that exist: a row left by another program's delete is not
    // shown against some later drink.
    return readWhere(db,
                     "SELECT b.drink, b.favourite, b.rating, b.note FROM pv_book b JOIN drinklst d "
                     "ON d.rowid = b.drink",
                     "SELECT m.drink, m.made_on, m.comment FROM pv_made m JOIN drinklst d ON d.rowid = m.drink "
                     "ORDER BY m.drink, m.made_on, m.id",
                     0);
}

bool has(sqlite3 *db, qint64 drink)
{
    return !read(db, drink).isEmpty();
}

void write(sqlite3 *db, qint64 drink, const DrinkNotes &given)
{
    const DrinkNotes n = bounded(given);
    ensureTables(db);
    {
        Stmt del(db, "DELETE FROM pv_book WHERE drink = ?1");
        del.bind(1, drink);
        del.row();
        Stmt delMade(db, "DELETE FROM pv_made WHERE drink = ?1");
        delMade.bind(1, drink);
        delMade.row();
    }
    if (n.isEmpty())
        return;
    Stmt ins(db, "INSERT INTO pv_book (drink, favourite, rating, note) VALUES (?1, ?2, ?3, ?4)");
    ins.bind(1, drink);
    ins.bind(2, n.favourite ? 1 : 0);
    ins.bind(3, n.rating);
    ins.bind(4, n.note);
    ins.row();
    Stmt made(db, "INSERT INTO pv_made (drink, made_on, comment) VALUES (?1, ?2, ?3)");
    for (const MadeEntry &e : n.made) {
        sqlite3_reset(made.st);
        made.bind(1, drink);
        made.bind(2, e.date.toString(Qt::ISODate));
        made.bind(3, e.comment);
        made.row();
    }
}

DrinkNotes read(const QString &catalogue, qint64 drink)
{
    Connection c(catalogue, false);
    return read(c.db(), drink);
}

QHash<qint64, DrinkNotes> readAll(const QString &catalogue)
{
    Connection c(catalogue, false);
    return readAll(c.db());
}

void write(const QString &catalogue, qint64 drink, const DrinkNotes &notes)
{
    Connection c(catalogue, true);
    exec(c.db(), "BEGIN IMMEDIATE");
    try {
        guard::beforeWrite(c.db());
        write(c.db(), drink, notes);
        exec(c.db(), "COMMIT");
    } catch (...) {
        sqlite3_exec(c.db(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void keepWith(sqlite3 *db, qint64 drink, qint64 entry)
{
    if (!hasBook(db) || entry <= 0)
        return;
    for (const char *sql : {"UPDATE pv_book SET kept = ?2, drink = NULL WHERE drink = ?1",
                            "UPDATE pv_made SET kept = ?2, drink = NULL WHERE drink = ?1"}) {
        Stmt st(db, sql);
        st.bind(1, drink);
        st.bind(2, entry);
        st.row();
    }
}

void restoreWith(sqlite3 *db, qint64 entry, qint64 drink)
{
    if (!hasBook(db))
        return;
    // A layer some other way left under that key gives way to the one that
    // belongs to the drink coming back.
    for (const char *sql : {"DELETE FROM pv_book WHERE drink = ?2", "DELETE FROM pv_made WHERE drink = ?2",
                            "UPDATE pv_book SET drink = ?2, kept = NULL WHERE kept = ?1",
                            "UPDATE pv_made SET drink = ?2, kept = NULL WHERE kept = ?1"}) {
        Stmt st(db, sql);
        st.bind(1, entry);
        st.bind(2, drink);
        st.row();
    }
}

void dropWith(sqlite3 *db, qint64 entry)
{
    if (!hasBook(db))
        return;
    for (const char *sql : {"DELETE FROM pv_book WHERE kept = ?1", "DELETE FROM pv_made WHERE kept = ?1"}) {
        Stmt st(db, sql);
        st.bind(1, entry);
        st.row();
    }
}

void prune(sqlite3 *db)
{
    if (!hasBook(db))
        return;
    const bool trash = hasTable(db, "pv_deleted");
    for (const char *table : {"pv_book", "pv_made"}) {
        QByteArray sql = QByteArray("DELETE FROM ") + table +
                         " WHERE (kept IS NULL AND (drink IS NULL OR drink NOT IN (SELECT rowid FROM drinklst)))";
        sql += trash ? " OR (kept IS NOT NULL AND kept NOT IN (SELECT id FROM pv_deleted))" : " OR kept IS NOT NULL";
        exec(db, sql.constData());
    }
}

void rekey(sqlite3 *db, const QHash<qint64, qint64> &moved)
{
    if (!hasBook(db) || moved.isEmpty())
        return;
    // Old and new keys overlap, so each row first takes its new key negated,
    // then all are turned back at once.
    for (const char *table : {"pv_book", "pv_made"}) {
        Stmt st(db, (QByteArray("UPDATE ") + table + " SET drink = ?2 WHERE drink = ?1").constData());
        for (auto it = moved.begin(); it != moved.end(); ++it) {
            sqlite3_reset(st.st);
            st.bind(1, it.key());
            st.bind(2, -it.value());
            st.row();
        }
        // What the merge did not move belongs to no drink it kept.
        exec(db, (QByteArray("DELETE FROM ") + table + " WHERE drink > 0").constData());
        exec(db, (QByteArray("UPDATE ") + table + " SET drink = -drink WHERE drink < 0").constData());
    }
    prune(db);
}

} // namespace pv::book

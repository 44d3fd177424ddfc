#include "data/RowHistory.h"

#include "data/BarBook.h"
#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/RecordCursor.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sqlite3.h>

namespace pv {

namespace {

[[noreturn]] void fail(sqlite3 *db, int rc, const QString &path = QString())
{
    switch (rc & 0xff) {
    case SQLITE_FULL:
        throw DataError(ErrDiskFull, path);
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DataError(ErrLocked, path);
    case SQLITE_READONLY:
        throw DataError(ErrReadOnly, path);
    case SQLITE_IOERR:
        throw DataError(ErrDiskIo, path);
    default:
        throw DataError(ErrGeneral, QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)));
    }
}

QString ident(const QString &name)
{
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

struct Stmt {
    Stmt(sqlite3 *db, const QString &sql) : db(db)
    {
        const int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
        if (rc != SQLITE_OK)
            fail(db, rc);
    }
    ~Stmt() { sqlite3_finalize(st); }
    Stmt(const Stmt &) = delete;
    Stmt &operator=(const Stmt &) = delete;
    void bind(int i, const QVariant &v)
    {
        if (v.isNull()) {
            sqlite3_bind_null(st, i);
        } else if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int) {
            sqlite3_bind_int64(st, i, v.toLongLong());
        } else if (v.typeId() == QMetaType::Double) {
            sqlite3_bind_double(st, i, v.toDouble());
        } else if (v.typeId() == QMetaType::QByteArray) {
            const QByteArray b = v.toByteArray();
            sqlite3_bind_blob(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        } else {
            const QByteArray u = v.toString().toUtf8();
            sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
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
    QString text(int i) const
    {
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)),
                                 sqlite3_column_bytes(st, i));
    }
    sqlite3 *db;
    sqlite3_stmt *st = nullptr;
};

void exec(sqlite3 *db, const char *sql)
{
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(db, rc);
}

void ensureTable(sqlite3 *db)
{
    exec(db, "CREATE TABLE IF NOT EXISTS pv_deleted (id INTEGER PRIMARY KEY, tbl TEXT NOT NULL, "
             "rowkey INTEGER NOT NULL, deleted_at INTEGER NOT NULL, caption TEXT NOT NULL, row TEXT NOT NULL)");
}

bool hasTrash(sqlite3 *db)
{
    Stmt st(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'pv_deleted'"));
    return st.row();
}

// A connection of its own for one piece of work.
class Connection {
public:
    explicit Connection(const QString &path, bool write) : m_path(path)
    {
        const int rc = sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                                       write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_close(m_db);
            m_db = nullptr;
            throw DataError(ErrCannotOpen, path);
        }
        try {
            guard::secure(m_db, path);
        } catch (...) {
            sqlite3_close(m_db);
            m_db = nullptr;
            throw;
        }
        sqlite3_busy_timeout(m_db, RecordCursor::busyTimeoutMs());
    }
    ~Connection() { sqlite3_close(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    sqlite3 *db() const { return m_db; }

    // Runs `work` in one write transaction.
    template <typename F> auto transaction(F work)
    {
        exec(m_db, "BEGIN IMMEDIATE");
        try {
            guard::beforeWrite(m_db);
            auto result = work();
            // Without triggers the drink index is told to catch up.
            guard::replayOwnTriggers(m_db, QStringLiteral("drinklst"), -1, false);
            exec(m_db, "COMMIT");
            return result;
        } catch (...) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
    }

private:
    QString m_path;
    sqlite3 *m_db = nullptr;
};

QByteArray toJson(const RowImage &row)
{
    QJsonObject o;
    o.insert(QStringLiteral("columns"), QJsonArray::fromStringList(row.columns));
    QJsonArray values;
    for (const QVariant &v : row.values)
        values << (v.isNull() ? QJsonValue() : QJsonValue::fromVariant(v));
    o.insert(QStringLiteral("values"), values);
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

RowImage fromJson(const QString &text)
{
    RowImage row;
    const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
    for (const QJsonValue &c : o.value(QLatin1String("columns")).toArray())
        row.columns << c.toString();
    for (const QJsonValue &v : o.value(QLatin1String("values")).toArray())
        row.values << (v.isNull() ? QVariant() : v.isDouble() ? QVariant(qint64(v.toDouble())) : v.toVariant());
    if (row.values.size() != row.columns.size())
        return RowImage();
    return row;
}

void writeRow(sqlite3 *db, const QString &table, qint64 key, const RowImage &row);

bool keyFree(sqlite3 *db, const QString &table, qint64 key)
{
    Stmt st(db, QStringLiteral("SELECT 1 FROM %1 WHERE rowid = ?1").arg(ident(table)));
    sqlite3_bind_int64(st.st, 1, key);
    return !st.row();
}

// Inserts the row under `key` when free, else under a new key.
qint64 insertRow(sqlite3 *db, const QString &table, qint64 key, const RowImage &row)
{
    if (row.isEmpty())
        throw DataError(ErrGeneral, QStringLiteral("the kept row cannot be read"));
    const bool sameKey = keyFree(db, table, key);
    QStringList cols, marks;
    if (sameKey) {
        cols << QStringLiteral("rowid");
        marks << QStringLiteral("?");
    }
    for (const QString &c : row.columns) {
        cols << ident(c);
        marks << QStringLiteral("?");
    }
    Stmt st(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                    .arg(ident(table), cols.join(QLatin1Char(',')), marks.join(QLatin1Char(','))));
    int i = 1;
    if (sameKey)
        sqlite3_bind_int64(st.st, i++, key);
    for (const QVariant &v : row.values)
        st.bind(i++, v);
    st.row();
    const qint64 inserted = sqlite3_last_insert_rowid(db);
    // The catalogue numbers a row inserted without a number; the row comes
    // back as it was, an empty number included.
    writeRow(db, table, inserted, row);
    return inserted;
}

void writeRow(sqlite3 *db, const QString &table, qint64 key, const RowImage &row)
{
    QStringList sets;
    for (const QString &c : row.columns)
        sets << ident(c) + QStringLiteral(" = ?");
    Stmt st(db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?").arg(ident(table), sets.join(QLatin1Char(','))));
    int i = 1;
    for (const QVariant &v : row.values)
        st.bind(i++, v);
    sqlite3_bind_int64(st.st, i, key);
    st.row();
    if (sqlite3_changes(db) == 0)
        throw DataError(ErrRecordDeleted);
}

void deleteRow(sqlite3 *db, const QString &table, qint64 key)
{
    Stmt st(db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(ident(table)));
    sqlite3_bind_int64(st.st, 1, key);
    st.row();
}

struct Kept {
    QString table;
    qint64 key = 0;
    RowImage row;
};

std::optional<Kept> keptEntry(sqlite3 *db, qint64 id)
{
    if (!hasTrash(db))
        return std::nullopt;
    Stmt st(db, QStringLiteral("SELECT tbl, rowkey, row FROM pv_deleted WHERE id = ?1"));
    sqlite3_bind_int64(st.st, 1, id);
    if (!st.row())
        return std::nullopt;
    return Kept{st.text(0), sqlite3_column_int64(st.st, 1), fromJson(st.text(2))};
}

void dropEntry(sqlite3 *db, qint64 id)
{
    if (!hasTrash(db))
        return;
    Stmt st(db, QStringLiteral("DELETE FROM pv_deleted WHERE id = ?1"));
    sqlite3_bind_int64(st.st, 1, id);
    st.row();
    book::dropWith(db, id);
}

} // namespace

QVariant RowImage::value(const QString &column) const
{
    const qsizetype i = columns.indexOf(column);
    return i < 0 ? QVariant() : values.value(i);
}

RowImage readRow(sqlite3 *db, const QString &table, qint64 key)
{
    RowImage row;
    Stmt st(db, QStringLiteral("SELECT * FROM %1 WHERE rowid = ?1").arg(ident(table)));
    sqlite3_bind_int64(st.st, 1, key);
    if (!st.row())
        return row;
    const int n = sqlite3_column_count(st.st);
    for (int i = 0; i < n; ++i) {
        row.columns << QString::fromUtf8(sqlite3_column_name(st.st, i));
        switch (sqlite3_column_type(st.st, i)) {
        case SQLITE_NULL:
            row.values << QVariant();
            break;
        case SQLITE_INTEGER:
            row.values << QVariant(qint64(sqlite3_column_int64(st.st, i)));
            break;
        case SQLITE_FLOAT:
            row.values << QVariant(sqlite3_column_double(st.st, i));
            break;
        default:
            row.values << QVariant(st.text(i));
        }
    }
    return row;
}

RowImage readRow(const QString &catalogue, const QString &table, qint64 key)
{
    Connection c(catalogue, false);
    return readRow(c.db(), table, key);
}

QString rowCaption(const QString &table, const RowImage &row)
{
    auto cut = [](QString s) {
        s = s.simplified();
        return s.size() > 40 ? s.left(39) + QChar(0x2026) : s;
    };
    const QString t = table.toLower();
    if (t == QLatin1String("drinklst")) {
        const QString name = cut(row.value(QStringLiteral("DrinkName")).toString());
        return name.isEmpty() ? QStringLiteral("a drink without a name") : name;
    }
    if (t == QLatin1String("joke"))
        return QStringLiteral("joke #%1 \u201C%2\u201D")
            .arg(row.value(QStringLiteral("ID")).toString(), cut(row.value(QStringLiteral("joke")).toString()));
    if (t == QLatin1String("pickuplines"))
        return QStringLiteral("line #%1 \u201C%2\u201D")
            .arg(row.value(QStringLiteral("ID")).toString(), cut(row.value(QStringLiteral("line")).toString()));
    if (t == QLatin1String("toasting"))
        return QStringLiteral("toast \u201C%1\u201D").arg(cut(row.value(QStringLiteral("Toasts")).toString()));
    const QString name = cut(row.value(QStringLiteral("name")).toString());
    return name.isEmpty() ? QStringLiteral("an entry of %1").arg(table) : name;
}

// ------------------------------------------------------------------ trash

namespace trash {

qint64 keep(sqlite3 *db, const QString &table, qint64 key)
{
    const RowImage row = readRow(db, table, key);
    if (row.isEmpty())
        return 0;
    ensureTable(db);
    Stmt st(db, QStringLiteral("INSERT INTO pv_deleted (tbl, rowkey, deleted_at, caption, row) VALUES (?, ?, ?, ?, ?)"));
    st.bind(1, table);
    sqlite3_bind_int64(st.st, 2, key);
    sqlite3_bind_int64(st.st, 3, QDateTime::currentSecsSinceEpoch());
    st.bind(4, rowCaption(table, row));
    st.bind(5, QString::fromUtf8(toJson(row)));
    st.row();
    const qint64 entry = sqlite3_last_insert_rowid(db);
    if (table.compare(QLatin1String("drinklst"), Qt::CaseInsensitive) == 0)
        book::keepWith(db, key, entry);
    return entry;
}

QList<DeletedRow> list(const QString &catalogue)
{
    QList<DeletedRow> out;
    {
        // Past the 30 days an entry is dropped; a file that cannot be
        // written still lists what it holds.
        try {
            Connection c(catalogue, true);
            if (hasTrash(c.db())) {
                Stmt st(c.db(), QStringLiteral("DELETE FROM pv_deleted WHERE deleted_at < ?1"));
                sqlite3_bind_int64(st.st, 1, QDateTime::currentSecsSinceEpoch() - qint64(kKeepDays) * 86400);
                st.row();
                book::prune(c.db());
            }
        } catch (const DataError &) {
        }
    }
    Connection c(catalogue, false);
    if (!hasTrash(c.db()))
        return out;
    Stmt st(c.db(), QStringLiteral("SELECT id, tbl, rowkey, deleted_at, caption, row FROM pv_deleted "
                                   "WHERE deleted_at >= ?1 ORDER BY deleted_at DESC, id DESC"));
    sqlite3_bind_int64(st.st, 1, QDateTime::currentSecsSinceEpoch() - qint64(kKeepDays) * 86400);
    while (st.row()) {
        DeletedRow d;
        d.id = sqlite3_column_int64(st.st, 0);
        d.table = st.text(1);
        d.key = sqlite3_column_int64(st.st, 2);
        d.when = QDateTime::fromSecsSinceEpoch(sqlite3_column_int64(st.st, 3));
        d.caption = st.text(4);
        d.row = fromJson(st.text(5));
        out << d;
    }
    return out;
}

qint64 restore(const QString &catalogue, qint64 id)
{
    Connection c(catalogue, true);
    return c.transaction([&] {
        const std::optional<Kept> kept = keptEntry(c.db(), id);
        if (!kept)
            throw DataError(ErrRecordDeleted);
        const qint64 key = insertRow(c.db(), kept->table, kept->key, kept->row);
        if (kept->table.compare(QLatin1String("drinklst"), Qt::CaseInsensitive) == 0)
            book::restoreWith(c.db(), id, key);
        dropEntry(c.db(), id);
        return key;
    });
}

void forget(const QString &catalogue, const QList<qint64> &ids)
{
    Connection c(catalogue, true);
    c.transaction([&] {
        for (qint64 id : ids)
            dropEntry(c.db(), id);
        return 0;
    });
}

} // namespace trash

// ---------------------------------------------------------------- history

QString RowHistory::Step::text() const
{
    switch (kind) {
    case Deleted:
        return QStringLiteral("Delete ") + caption;
    case Added:
        return (fromTrash ? QStringLiteral("Restore ") : QStringLiteral("Add ")) + caption;
    case Edited:
        break;
    }
    return QStringLiteral("Edit ") + caption;
}

RowHistory &RowHistory::instance()
{
    static RowHistory history;
    return history;
}

void RowHistory::record(Step step)
{
    m_done << std::move(step);
    if (m_done.size() > kMaxSteps)
        m_done.removeFirst();
    // A new change makes what was undone before it no longer redoable.
    const Step &last = m_done.last();
    m_undone.erase(std::remove_if(m_undone.begin(), m_undone.end(),
                                  [&last](const Step &s) {
                                      return s.catalogue == last.catalogue && s.table == last.table;
                                  }),
                   m_undone.end());
    Q_EMIT stepsChanged();
}

namespace {

template <typename List>
qsizetype newestOn(const List &steps, const QString &catalogue, const QStringList &tables)
{
    for (qsizetype i = steps.size() - 1; i >= 0; --i)
        if (steps[i].catalogue == catalogue && tables.contains(steps[i].table, Qt::CaseInsensitive))
            return i;
    return -1;
}

} // namespace

std::optional<RowHistory::Step> RowHistory::nextUndo(const QString &catalogue, const QStringList &tables) const
{
    const qsizetype i = newestOn(m_done, catalogue, tables);
    return i < 0 ? std::nullopt : std::optional<Step>(m_done[i]);
}

std::optional<RowHistory::Step> RowHistory::nextRedo(const QString &catalogue, const QStringList &tables) const
{
    const qsizetype i = newestOn(m_undone, catalogue, tables);
    return i < 0 ? std::nullopt : std::optional<Step>(m_undone[i]);
}

qint64 RowHistory::apply(Step &step, bool backwards)
{
    Connection c(step.catalogue, true);
    // Putting a row back and taking it away again are the two halves of a
    // delete; an add is the same pair the other way round.
    const bool putBack = (step.kind == Deleted) == backwards;
    return c.transaction([&]() -> qint64 {
        if (step.kind == Edited) {
            writeRow(c.db(), step.table, step.key, backwards ? step.before : step.after);
            return step.key;
        }
        if (putBack) {
            const std::optional<Kept> kept = step.trashId ? keptEntry(c.db(), step.trashId) : std::nullopt;
            // Restored from Recently Deleted or deleted for good since.
            if (step.trashId && !kept)
                throw DataError(ErrRecordDeleted);
            step.key = insertRow(c.db(), step.table, step.key, kept ? kept->row : step.after);
            if (kept && step.table.compare(QLatin1String("drinklst"), Qt::CaseInsensitive) == 0)
                book::restoreWith(c.db(), step.trashId, step.key);
            if (kept)
                dropEntry(c.db(), step.trashId);
            step.trashId = 0;
            return step.key;
        }
        // Taken away: kept in Recently Deleted first, as any delete.
        step.trashId = trash::keep(c.db(), step.table, step.key);
        if (step.trashId == 0)
            throw DataError(ErrRecordDeleted);
        deleteRow(c.db(), step.table, step.key);
        return -1;
    });
}

qint64 RowHistory::undo(const QString &catalogue, const QStringList &tables)
{
    return move(m_done, m_undone, catalogue, tables, true);
}

qint64 RowHistory::redo(const QString &catalogue, const QStringList &tables)
{
    return move(m_undone, m_done, catalogue, tables, false);
}

qint64 RowHistory::move(QList<Step> &from, QList<Step> &to, const QString &catalogue, const QStringList &tables,
                        bool backwards)
{
    const qsizetype i = newestOn(from, catalogue, tables);
    if (i < 0)
        return -1;
    Step step = from[i];
    const qint64 old = step.key;
    qint64 key = -1;
    try {
        key = apply(step, backwards);
    } catch (const DataError &e) {
        // A row gone meanwhile cannot be taken back; its step goes, so the
        // ones before it can still be reached.
        if (e.number() == ErrRecordDeleted) {
            from.removeAt(i);
            Q_EMIT stepsChanged();
        }
        throw;
    }
    rekey(step, old, step.key);
    from.removeAt(i);
    to << step;
    Q_EMIT changed(step.catalogue, step.table, key);
    Q_EMIT stepsChanged();
    return key;
}

void RowHistory::restored(const QString &catalogue, const QString &table, qint64 key, const RowImage &row)
{
    Step s;
    s.kind = Added;
    s.catalogue = catalogue;
    s.table = table;
    s.key = key;
    s.after = row;
    s.caption = rowCaption(table, row);
    s.fromTrash = true;
    record(s);
    Q_EMIT changed(catalogue, table, key);
}

// A row put back under a new key (its old one was taken meanwhile) is the
// same row for the steps around it.
void RowHistory::rekey(const Step &step, qint64 from, qint64 to)
{
    if (from == to)
        return;
    for (QList<Step> *list : {&m_done, &m_undone})
        for (Step &s : *list)
            if (s.catalogue == step.catalogue && s.table == step.table && s.key == from)
                s.key = to;
}

void RowHistory::clear()
{
    m_done.clear();
    m_undone.clear();
    Q_EMIT stepsChanged();
}

} // namespace pv

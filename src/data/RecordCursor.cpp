#include "data/RecordCursor.h"

#include "data/Criterion.h"
#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/DrinkIndex.h"
#include "data/JetLike.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QStorageInfo>

#include <sqlite3.h>

#include <algorithm>

namespace pv {

namespace {

int g_busyTimeoutMs = 3000;
QByteArray g_vfsForTests;
constexpr const char *kPatternType = "pv_like_pattern";

QString quoteIdent(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

// pv_like(text, pattern-pointer): NULL text gives NULL, as in the classic engine.
void likeFunction(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const auto *pattern = static_cast<const LikePattern *>(sqlite3_value_pointer(argv[1], kPatternType));
    if (!pattern) {
        sqlite3_result_error(ctx, "pv_like needs a compiled pattern", -1);
        return;
    }
    const auto *text = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
    const int n = sqlite3_value_bytes(argv[0]);
    sqlite3_result_int(ctx, pattern->matchesUtf8(std::string_view(text ? text : "", size_t(n))) ? 1 : 0);
}

bool isRowidName(const char *origin)
{
    if (!origin)
        return false;
    const QByteArray o = QByteArray(origin).toLower();
    return o == "rowid" || o == "_rowid_" || o == "oid";
}

QVariant columnValue(sqlite3_stmt *st, int i)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(qlonglong(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    case SQLITE_BLOB:
        return QVariant(QByteArray(static_cast<const char *>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i)));
    default:
        return QVariant(
            QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i)));
    }
}

void bindValue(sqlite3_stmt *st, int i, const QVariant &v)
{
    if (!v.isValid() || v.isNull()) {
        sqlite3_bind_null(st, i);
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        sqlite3_bind_int64(st, i, v.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(st, i, v.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(st, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray u = v.toString().toUtf8();
        sqlite3_bind_text(st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    }
}

// Marks the cursor as writing while a save runs, however the scope is left.
struct SavingScope {
    bool &flag;
    explicit SavingScope(bool &f) : flag(f) { flag = true; }
    ~SavingScope() { flag = false; }
};

// Finalises a statement however the scope is left.
struct Stmt {
    sqlite3_stmt *st = nullptr;
    ~Stmt() { sqlite3_finalize(st); }
};

} // namespace

void RecordCursor::setBusyTimeoutMs(int ms)
{
    g_busyTimeoutMs = std::max(0, ms);
}

int RecordCursor::busyTimeoutMs()
{
    return g_busyTimeoutMs;
}

void RecordCursor::setVfsForTests(const QByteArray &name)
{
    g_vfsForTests = name;
}

namespace {

bool diskShortOfSpace(const QString &path)
{
    const QStorageInfo disk(QFileInfo(path).absolutePath());
    if (!disk.isValid() || !disk.isReady())
        return true;
    const qint64 needed = std::max<qint64>(qint64(16) << 20, QFileInfo(path).size());
    return disk.bytesAvailable() < needed;
}

} // namespace

void RecordCursor::fail(int rc, const QString &what) const
{
    const QString engine = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DataError(ErrLocked, m_path);
    case SQLITE_READONLY:
    case SQLITE_PERM:
        throw DataError(ErrReadOnly, m_path);
    case SQLITE_AUTH:
        // Only the guard refuses: the statement would have run code of the file.
        throw DataError(ErrGeneral, QStringLiteral("a trigger or a stored query of the catalogue would have run "
                                                   "something Pourvale does not allow, so nothing was done"));
    case SQLITE_FULL:
        // Outside a save only the temporary space can be full.
        if (!m_saving)
            throw DataError(ErrResources, m_path);
        // The engine says "full" for other lacks of room too (a temporary
        // file elsewhere, a file size limit); a full disk is told only when
        // the disk that holds the catalogue is short of space.
        if (g_vfsForTests.isEmpty() && !diskShortOfSpace(m_path))
            throw DataError(ErrDiskIo, m_path);
        throw DataError(ErrDiskFull, m_path);
    case SQLITE_INTERRUPT:
    case SQLITE_NOMEM:
    case SQLITE_TOOBIG:
        throw DataError(ErrResources, m_path);
    case SQLITE_IOERR:
        // A failed write is the disk's fault, not the file's: the file is
        // whole (the journal undoes the half-done save) and a retry may work.
        if (m_saving)
            throw DataError(ErrDiskIo, m_path);
        throw DataError(ErrCannotOpen, m_path);
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
    case SQLITE_CANTOPEN:
        throw DataError(ErrCannotOpen, m_path);
    default:
        break;
    }
    static const QRegularExpression noTable(QStringLiteral("^no such (?:table|view): (?:\\w+\\.)?(.+)$"));
    static const QRegularExpression noColumn(QStringLiteral("^no such column: (.+)$"));
    if (auto m = noTable.match(engine); m.hasMatch())
        throw DataError(ErrNoSuchSource, m.captured(1));
    if (auto m = noColumn.match(engine); m.hasMatch())
        throw DataError(ErrNoSuchColumn, m.captured(1));
    throw DataError(ErrGeneral, what.isEmpty() ? engine : what + QStringLiteral(" (") + engine + QLatin1Char(')'));
}

void RecordCursor::exec(const QString &sql)
{
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
}

RecordCursor::RecordCursor(const QString &databasePath, const QString &recordSource)
    : m_path(databasePath), m_source(recordSource)
{
    const QFileInfo info(databasePath);
    if (!info.exists())
        throw DataError(ErrFileNotFound, databasePath);
    if (!info.isFile())
        throw DataError(ErrNotCatalogue, databasePath);

    // Look at the file before the engine does: an empty file or a file of
    // another format must be refused, not opened as an empty catalogue.
    QByteArray head;
    {
        QFile f(databasePath);
        if (!f.open(QIODevice::ReadOnly))
            throw DataError(ErrCannotOpen, databasePath);
        head = f.read(100);
        if (head.size() < 100 || !head.startsWith(QByteArray("SQLite format 3\0", 16)))
            throw DataError(ErrNotCatalogue, databasePath);
    }

    const int rc =
        sqlite3_open_v2(databasePath.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        g_vfsForTests.isEmpty() ? nullptr : g_vfsForTests.constData());
    try {
        if (rc != SQLITE_OK)
            fail(rc);
        guard::secure(m_db, databasePath);
        // A save once reported must survive a power cut. The rollback journal
        // is synced before the file is written, and EXTRA also syncs the
        // folder once the journal is deleted: without that a power cut can
        // bring the deleted journal back and the next start would undo the
        // save. Another program may have switched the file to WAL; it goes
        // back to a single file unless that program still has it open (WAL
        // with these syncs keeps saves as well).
        sqlite3_exec(m_db, "PRAGMA synchronous=EXTRA", nullptr, nullptr, nullptr);
        if (head.at(18) == 2)
            sqlite3_exec(m_db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr); // without waiting
        sqlite3_busy_timeout(m_db, g_busyTimeoutMs);
        sqlite3_extended_result_codes(m_db, 0);
        sqlite3_create_function_v2(m_db, "pv_like", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, likeFunction,
                                   nullptr, nullptr, nullptr);
        drinkindex::registerFunctions(m_db);

        // Which kind of row source is it?
        QString kind;
        QString objectName;
        {
            Stmt q;
            int r = sqlite3_prepare_v2(m_db,
                                       "SELECT type, name FROM sqlite_master WHERE name = ?1 COLLATE NOCASE "
                                       "AND type IN ('table','view')",
                                       -1, &q.st, nullptr);
            if (r != SQLITE_OK)
                fail(r);
            const QByteArray src = recordSource.toUtf8();
            sqlite3_bind_text(q.st, 1, src.constData(), int(src.size()), SQLITE_TRANSIENT);
            r = sqlite3_step(q.st);
            if (r == SQLITE_ROW) {
                kind = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q.st, 0)));
                objectName = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(q.st, 1)));
            } else if (r != SQLITE_DONE) {
                fail(r);
            }
        }

        static const QRegularExpression selectHead(QStringLiteral("^\\s*select\\s+(.*)$"),
                                                   QRegularExpression::CaseInsensitiveOption |
                                                       QRegularExpression::DotMatchesEverythingOption);
        QString keyExpr;
        QString fromPart;
        if (kind == QLatin1String("table")) {
            keyExpr = QStringLiteral("rowid");
            fromPart = QStringLiteral("* FROM ") + quoteIdent(objectName);
        } else if (kind == QLatin1String("view")) {
            // A stored query must carry its base rows' keys in one column.
            Stmt probe;
            const QString from = quoteIdent(objectName);
            const QByteArray sql = (QStringLiteral("SELECT * FROM ") + from).toUtf8();
            const int r = sqlite3_prepare_v2(m_db, sql.constData(), -1, &probe.st, nullptr);
            if (r != SQLITE_OK)
                fail(r);
            for (int i = 0; i < sqlite3_column_count(probe.st); ++i)
                if (isRowidName(sqlite3_column_origin_name(probe.st, i))) {
                    keyExpr = quoteIdent(QString::fromUtf8(sqlite3_column_name(probe.st, i)));
                    break;
                }
            if (keyExpr.isEmpty())
                throw DataError(
                    ErrGeneral,
                    QStringLiteral("the stored query '%1' does not carry the keys of its rows").arg(objectName));
            fromPart = QStringLiteral("* FROM ") + from;
        } else if (auto m = selectHead.match(recordSource); m.hasMatch()) {
            keyExpr = QStringLiteral("rowid");
            fromPart = m.captured(1);
        } else {
            throw DataError(ErrNoSuchSource, recordSource);
        }

        m_rowsQuery = QStringLiteral("SELECT ") + keyExpr + QStringLiteral(" AS pv__key, ") + fromPart;

        // Columns and the base table they come from.
        {
            Stmt probe;
            const QByteArray sql = m_rowsQuery.toUtf8();
            const int r = sqlite3_prepare_v2(m_db, sql.constData(), -1, &probe.st, nullptr);
            if (r != SQLITE_OK)
                fail(r);
            for (int i = 1; i < sqlite3_column_count(probe.st); ++i) {
                const char *origin = sqlite3_column_origin_name(probe.st, i);
                if (isRowidName(origin))
                    continue;
                const char *table = sqlite3_column_table_name(probe.st, i);
                if (table) {
                    const QString t = QString::fromUtf8(table);
                    if (m_baseTable.isEmpty())
                        m_baseTable = t;
                    else if (m_baseTable.compare(t, Qt::CaseInsensitive) != 0)
                        throw DataError(
                            ErrGeneral,
                            QStringLiteral("the rows of '%1' come from more than one table").arg(recordSource));
                }
                const QString fieldName = QString::fromUtf8(sqlite3_column_name(probe.st, i));
                if (!m_fieldIndex.contains(fieldName.toCaseFolded())) {
                    m_fieldIndex.insert(fieldName.toCaseFolded(), int(m_fields.size()));
                    m_fieldIndex.insert(fieldName, int(m_fields.size()));
                }
                m_fields << fieldName;
                m_baseColumns << (origin && table ? QString::fromUtf8(origin) : QString());
                const char *declared = sqlite3_column_decltype(probe.st, i);
                m_wholeNumber << (declared && QByteArray(declared).toUpper().contains("INT"));
            }
        }
        if (m_baseTable.isEmpty())
            throw DataError(ErrGeneral, QStringLiteral("'%1' has no columns that can be edited").arg(recordSource));

        // The keyset. Tables and stored queries deliver their rows in key
        // order, so their keys are listed a chunk at a time as moves reach
        // them: the first row shows at once however long the list is. SQL
        // texts may order rows otherwise and are listed whole.
        m_chunked = kind == QLatin1String("table") || kind == QLatin1String("view");
        if (m_chunked) {
            const QByteArray sql = (QStringLiteral("SELECT pv__key FROM (") + m_rowsQuery +
                                    QStringLiteral(") WHERE pv__key > ?1 ORDER BY pv__key LIMIT ?2"))
                                       .toUtf8();
            const int r = sqlite3_prepare_v3(m_db, sql.constData(), -1, SQLITE_PREPARE_PERSISTENT, &m_chunk, nullptr);
            if (r != SQLITE_OK)
                fail(r);
            loadChunk();
        } else {
            Stmt keys;
            const QByteArray sql = (QStringLiteral("SELECT pv__key FROM (") + m_rowsQuery + QLatin1Char(')')).toUtf8();
            int r = sqlite3_prepare_v2(m_db, sql.constData(), -1, &keys.st, nullptr);
            if (r != SQLITE_OK)
                fail(r);
            qint64 prev = std::numeric_limits<qint64>::min();
            while ((r = sqlite3_step(keys.st)) == SQLITE_ROW) {
                const qint64 k = sqlite3_column_int64(keys.st, 0);
                if (k <= prev)
                    m_sorted = false;
                prev = k;
                m_keys.push_back(k);
            }
            if (r != SQLITE_DONE)
                fail(r);
            m_complete = true;
        }

        QString fetchSql = QStringLiteral("SELECT ");
        for (int i = 0; i < m_fields.size(); ++i) {
            if (i)
                fetchSql += QStringLiteral(", ");
            fetchSql += m_baseColumns[i].isEmpty() ? QStringLiteral("NULL") : quoteIdent(m_baseColumns[i]);
        }
        fetchSql += QStringLiteral(" FROM ") + quoteIdent(m_baseTable) + QStringLiteral(" WHERE rowid = ?1");
        const QByteArray fs = fetchSql.toUtf8();
        const int r = sqlite3_prepare_v3(m_db, fs.constData(), -1, SQLITE_PREPARE_PERSISTENT, &m_fetch, nullptr);
        if (r != SQLITE_OK)
            fail(r);
    } catch (...) {
        for (sqlite3_stmt *st : std::as_const(m_findStatements))
            sqlite3_finalize(st);
        sqlite3_finalize(m_chunk);
        sqlite3_finalize(m_fetch);
        m_chunk = nullptr;
        sqlite3_close_v2(m_db);
        m_fetch = nullptr;
        m_db = nullptr;
        throw;
    }

    // Opening makes the first row current.
    if (!m_keys.empty())
        landOn(0);
}

void RecordCursor::loadChunk() const
{
    if (m_complete)
        return;
    // Chunks grow, so a long list needs few queries.
    const qint64 want = std::clamp<qint64>(qint64(m_keys.size()), 256, 262144);
    sqlite3_reset(m_chunk);
    sqlite3_bind_int64(m_chunk, 1, m_lastListedKey);
    sqlite3_bind_int64(m_chunk, 2, want);
    qint64 got = 0;
    int r;
    while ((r = sqlite3_step(m_chunk)) == SQLITE_ROW) {
        m_lastListedKey = sqlite3_column_int64(m_chunk, 0);
        m_keys.push_back(m_lastListedKey);
        ++got;
    }
    sqlite3_reset(m_chunk);
    if (r != SQLITE_DONE)
        fail(r);
    if (got < want)
        m_complete = true;
}

void RecordCursor::loadUntil(size_t count) const
{
    while (!m_complete && m_keys.size() < count)
        loadChunk();
}

void RecordCursor::loadAll() const
{
    while (!m_complete)
        loadChunk();
}

int RecordCursor::RecordCount() const
{
    loadAll();
    return int(m_keys.size());
}

RecordCursor::~RecordCursor()
{
    sqlite3_finalize(m_chunk);
    for (sqlite3_stmt *st : std::as_const(m_findStatements))
        sqlite3_finalize(st);
    sqlite3_finalize(m_fetch);
    sqlite3_close_v2(m_db);
}

int RecordCursor::fieldIndex(const QString &name) const
{
    // Names are matched without regard to case; most callers spell them
    // exactly, which the first look-up finds without folding.
    if (auto it = m_fieldIndex.constFind(name); it != m_fieldIndex.cend())
        return it.value();
    return m_fieldIndex.value(name.toCaseFolded(), -1);
}

bool RecordCursor::isWholeNumberField(const QString &name) const
{
    const int i = fieldIndex(name);
    return i >= 0 && m_wholeNumber.value(i);
}

int RecordCursor::requireField(const QString &name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DataError(ErrNoSuchColumn, name);
    return i;
}

int RecordCursor::AbsolutePosition() const
{
    if (m_bof || m_eof || m_onDeleted || m_mode == Mode::Adding || m_pos < 0 || m_pos >= int(m_keys.size()))
        return -1;
    return m_pos;
}

bool RecordCursor::hasCurrentRow() const
{
    return m_mode == Mode::Adding || AbsolutePosition() >= 0;
}

void RecordCursor::requireCurrentRow() const
{
    if (!hasCurrentRow())
        throw DataError(ErrNoCurrentRecord);
}

void RecordCursor::discardEdit()
{
    m_mode = Mode::None;
    m_buffer.clear();
    m_bufferSet.clear();
    // The row is read afresh when next shown: another program may have
    // changed or deleted it meanwhile.
    m_rowLoaded = false;
}

void RecordCursor::landOn(int index)
{
    discardEdit();
    m_pos = index;
    m_bof = m_eof = false;
    m_onDeleted = false;
    m_rowLoaded = false;
}

bool RecordCursor::isEmpty() const
{
    loadUntil(1);
    return m_keys.empty();
}

void RecordCursor::MoveFirst()
{
    loadUntil(1);
    if (m_keys.empty())
        throw DataError(ErrNoCurrentRecord);
    landOn(0);
}

void RecordCursor::MoveLast()
{
    loadAll();
    if (m_keys.empty())
        throw DataError(ErrNoCurrentRecord);
    landOn(int(m_keys.size()) - 1);
}

void RecordCursor::MoveNext()
{
    if (m_eof)
        throw DataError(ErrNoCurrentRecord);
    int target;
    if (m_onDeleted)
        target = m_pos; // the row that followed the deleted one moved up
    else if (m_bof)
        target = 0;
    else
        target = m_pos + 1;
    loadUntil(size_t(target) + 1);
    const int n = int(m_keys.size());
    if (target >= n) {
        discardEdit();
        m_pos = n;
        m_eof = true;
        m_bof = false;
        m_onDeleted = false;
        m_rowLoaded = false;
        return;
    }
    landOn(target);
}

void RecordCursor::MovePrevious()
{
    if (m_bof)
        throw DataError(ErrNoCurrentRecord);
    const int n = int(m_keys.size());
    int target = m_eof ? n - 1 : m_pos - 1;
    if (target < 0) {
        discardEdit();
        m_pos = -1;
        m_bof = true;
        m_eof = false;
        m_onDeleted = false;
        m_rowLoaded = false;
        return;
    }
    landOn(target);
}

void RecordCursor::AddNew()
{
    discardEdit();
    m_mode = Mode::Adding;
    m_buffer = QVector<QVariant>(m_fields.size());
    m_bufferSet = QVector<bool>(m_fields.size(), false);
}

void RecordCursor::CancelUpdate()
{
    discardEdit();
}

void RecordCursor::Update()
{
    if (m_mode == Mode::None)
        return;
    if (m_mode == Mode::Adding) {
        // List every key first: the new row goes after all of them, and must
        // not come back a second time from a later chunk.
        loadAll();
        const SavingScope saving(m_saving);
        QStringList cols;
        QVector<int> which;
        for (int i = 0; i < m_fields.size(); ++i)
            if (m_bufferSet[i]) {
                if (m_baseColumns[i].isEmpty())
                    throw DataError(ErrReadOnly, m_path);
                cols << quoteIdent(m_baseColumns[i]);
                which << i;
            }
        guard::beforeWrite(m_db);
        QString sql = QStringLiteral("INSERT INTO ") + quoteIdent(m_baseTable);
        if (cols.isEmpty()) {
            sql += QStringLiteral(" DEFAULT VALUES");
        } else {
            sql += QStringLiteral(" (") + cols.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (");
            for (int i = 0; i < which.size(); ++i)
                sql += i ? QStringLiteral(", ?") : QStringLiteral("?");
            sql += QLatin1Char(')');
        }
        Stmt st;
        int r = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st.st, nullptr);
        if (r != SQLITE_OK)
            fail(r);
        for (int i = 0; i < which.size(); ++i)
            bindValue(st.st, i + 1, m_buffer[which[i]]);
        r = sqlite3_step(st.st);
        if (r != SQLITE_DONE)
            fail(r);
        const qint64 key = sqlite3_last_insert_rowid(m_db);
        guard::replayOwnTriggers(m_db, m_baseTable, key, true);
        // The engine hands out again the key of a last row that another
        // program deleted. The list keeps that row's place, as it keeps any
        // deleted row's, under a key no row can have, so no key is listed twice.
        if (const int stale = indexOfKey(key); stale >= 0) {
            m_keys[size_t(stale)] = std::numeric_limits<qint64>::min() + m_retiredKeys++;
            m_sorted = false;
        }
        if (!m_keys.empty() && key <= m_keys.back())
            m_sorted = false;
        m_keys.push_back(key);
        // The new row goes after the end: an empty list is no longer before its start.
        if (m_bof && m_eof)
            m_bof = false;
        if (m_eof)
            m_pos = int(m_keys.size());
        m_lastModified = key;
        discardEdit();
        return;
    }

    // Editing an existing row.
    const SavingScope saving(m_saving);
    QString sql = QStringLiteral("UPDATE ") + quoteIdent(m_baseTable) + QStringLiteral(" SET ");
    QVector<int> which;
    for (int i = 0; i < m_fields.size(); ++i)
        if (m_bufferSet[i]) {
            if (m_baseColumns[i].isEmpty())
                throw DataError(ErrReadOnly, m_path);
            if (!which.isEmpty())
                sql += QStringLiteral(", ");
            sql += quoteIdent(m_baseColumns[i]) + QStringLiteral(" = ?");
            which << i;
        }
    const qint64 key = m_keys[size_t(m_pos)];
    if (which.isEmpty()) {
        discardEdit();
        return;
    }
    sql += QStringLiteral(" WHERE rowid = ?");
    guard::beforeWrite(m_db);
    Stmt st;
    int r = sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st.st, nullptr);
    if (r != SQLITE_OK)
        fail(r);
    for (int i = 0; i < which.size(); ++i)
        bindValue(st.st, i + 1, m_buffer[which[i]]);
    sqlite3_bind_int64(st.st, int(which.size()) + 1, key);
    r = sqlite3_step(st.st);
    if (r != SQLITE_DONE)
        fail(r);
    if (sqlite3_changes(m_db) == 0)
        throw DataError(ErrRecordDeleted);
    guard::replayOwnTriggers(m_db, m_baseTable, key, false);
    m_lastModified = key;
    m_rowLoaded = false;
    discardEdit();
}

void RecordCursor::Delete()
{
    if (m_mode == Mode::Adding || AbsolutePosition() < 0)
        throw DataError(ErrNoCurrentRecord);
    const qint64 key = m_keys[size_t(m_pos)];
    const SavingScope saving(m_saving);
    guard::beforeWrite(m_db);
    Stmt st;
    const QByteArray sql =
        (QStringLiteral("DELETE FROM ") + quoteIdent(m_baseTable) + QStringLiteral(" WHERE rowid = ?1")).toUtf8();
    int r = sqlite3_prepare_v2(m_db, sql.constData(), -1, &st.st, nullptr);
    if (r != SQLITE_OK)
        fail(r);
    sqlite3_bind_int64(st.st, 1, key);
    // The kept copy and the delete are one transaction. Begun as a writer, so that a
    // second program's save is waited for instead of meeting a read lock that cannot grow.
    const bool ownTransaction = m_deleteKeeper && sqlite3_get_autocommit(m_db);
    const char *const undo = ownTransaction ? "ROLLBACK" : "ROLLBACK TO pv_delete; RELEASE pv_delete";
    if (m_deleteKeeper) {
        if ((r = sqlite3_exec(m_db, ownTransaction ? "BEGIN IMMEDIATE" : "SAVEPOINT pv_delete", nullptr, nullptr,
                              nullptr)) != SQLITE_OK)
            fail(r);
        try {
            m_deleteKeeper(m_db, m_baseTable, key);
        } catch (const DataError &e) {
            sqlite3_exec(m_db, undo, nullptr, nullptr, nullptr);
            // The keeper does not know the file; the user is told which one is full.
            if (e.message() == DataError(e.number()).message())
                throw DataError(e.number(), m_path);
            throw;
        } catch (...) {
            sqlite3_exec(m_db, undo, nullptr, nullptr, nullptr);
            throw;
        }
    }
    r = sqlite3_step(st.st);
    if (m_deleteKeeper) {
        if (r == SQLITE_DONE)
            r = sqlite3_exec(m_db, ownTransaction ? "COMMIT" : "RELEASE pv_delete", nullptr, nullptr, nullptr) ==
                        SQLITE_OK
                    ? SQLITE_DONE
                    : sqlite3_errcode(m_db);
        if (r != SQLITE_DONE)
            sqlite3_exec(m_db, undo, nullptr, nullptr, nullptr);
    }
    if (r != SQLITE_DONE)
        fail(r);
    guard::replayOwnTriggers(m_db, m_baseTable, key, false);
    discardEdit();
    m_keys.erase(m_keys.begin() + m_pos);
    m_onDeleted = true;
    m_rowLoaded = false;
}

qint64 RecordCursor::Bookmark() const
{
    if (AbsolutePosition() < 0)
        throw DataError(ErrNoCurrentRecord);
    return m_keys[size_t(m_pos)];
}

int RecordCursor::indexOfKey(qint64 key) const
{
    while (!m_complete && key > m_lastListedKey)
        loadChunk();
    if (m_sorted) {
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
        return (it != m_keys.end() && *it == key) ? int(it - m_keys.begin()) : -1;
    }
    const auto it = std::find(m_keys.begin(), m_keys.end(), key);
    return it != m_keys.end() ? int(it - m_keys.begin()) : -1;
}

void RecordCursor::setBookmark(qint64 key)
{
    const int i = indexOfKey(key);
    if (i < 0)
        throw DataError(ErrNotValidBookmark);
    landOn(i);
}

qint64 RecordCursor::LastModified() const
{
    if (!m_lastModified)
        throw DataError(ErrNotValidBookmark);
    return *m_lastModified;
}

void RecordCursor::loadRow() const
{
    if (m_rowLoaded)
        return;
    sqlite3_reset(m_fetch);
    sqlite3_bind_int64(m_fetch, 1, m_keys[size_t(m_pos)]);
    const int r = sqlite3_step(m_fetch);
    if (r == SQLITE_DONE) {
        sqlite3_reset(m_fetch);
        throw DataError(ErrRecordDeleted);
    }
    if (r != SQLITE_ROW) {
        sqlite3_reset(m_fetch);
        fail(r);
    }
    m_row.resize(m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
        m_row[i] = columnValue(m_fetch, i);
    sqlite3_reset(m_fetch);
    m_rowLoaded = true;
}

QVariant RecordCursor::value(const QString &field) const
{
    const int i = requireField(field);
    requireCurrentRow();
    if (m_mode != Mode::None && m_bufferSet[i])
        return m_buffer[i];
    if (m_mode == Mode::Adding)
        return QVariant();
    loadRow();
    return m_row[i];
}

void RecordCursor::setValue(const QString &field, const QVariant &value)
{
    const int i = requireField(field);
    requireCurrentRow();
    if (m_mode == Mode::None) {
        m_mode = Mode::Editing;
        m_buffer = QVector<QVariant>(m_fields.size());
        m_bufferSet = QVector<bool>(m_fields.size(), false);
    }
    m_buffer[i] = value;
    m_bufferSet[i] = true;
}

void RecordCursor::FindFirst(const QString &criterion)
{
    find(criterion, 0);
}

void RecordCursor::FindNext(const QString &criterion)
{
    int start;
    if (m_bof)
        start = 0;
    else if (m_eof)
        start = int(m_keys.size()); // nothing lies beyond the end
    else if (m_onDeleted)
        start = m_pos;
    else
        start = m_pos + 1;
    find(criterion, start);
}

QByteArray RecordCursor::nameIndexQuery(int field, const LikePattern &pattern)
{
    const std::string letters = pattern.containedLetters();
    if (m_nameIndexOff || !drinkindex::indexable(QString::fromStdString(letters)))
        return QByteArray();
    if (m_nameField < -1) {
        // The field must be drinklst's own names, keyed by its own rows.
        m_nameField = -1;
        Stmt probe;
        const QByteArray sql =
            (QStringLiteral("SELECT pv__key, %1 FROM (%2)").arg(quoteIdent(m_fields[field]), m_rowsQuery)).toUtf8();
        if (sqlite3_prepare_v2(m_db, sql.constData(), -1, &probe.st, nullptr) == SQLITE_OK) {
            const auto is = [](const char *a, const char *b) { return a && qstricmp(a, b) == 0; };
            if (is(sqlite3_column_table_name(probe.st, 0), "drinklst") &&
                isRowidName(sqlite3_column_origin_name(probe.st, 0)) &&
                is(sqlite3_column_table_name(probe.st, 1), "drinklst") &&
                is(sqlite3_column_origin_name(probe.st, 1), "DrinkName"))
                m_nameField = field;
        }
    }
    if (m_nameField != field)
        return QByteArray();
    // A search waits for no index: until it is built the names are scanned.
    if (drinkindex::refresh(m_db) != drinkindex::Readiness::Ready)
        return QByteArray();
    return drinkindex::matchQuery(QString::fromStdString(letters));
}

void RecordCursor::find(const QString &criterion, int startIndex)
{
    const Criterion c = Criterion::parse(criterion);
    const int f = requireField(c.field);

    int found = -1;
    // FindFirst searches from the first row wherever the cursor stands.
    if (startIndex < int(m_keys.size()) || !m_complete) {
        // A run of plain letters in the drink names is looked up in the
        // trigram index first; the pattern still decides every row.
        const QByteArray match = m_sorted ? nameIndexQuery(f, c.pattern) : QByteArray();
        m_findUsedIndex = !match.isEmpty();
        QString sql = QStringLiteral("SELECT pv__key FROM (") + m_rowsQuery + QStringLiteral(") WHERE pv_like(") +
                      quoteIdent(m_fields[f]) + QStringLiteral(", ?1)");
        const bool bounded = m_sorted && startIndex > 0;
        if (bounded)
            sql += QStringLiteral(" AND pv__key > ?2");
        // The trigram index leads, in key order from the bound, so that the
        // first hit ends the search as the scan's would.
        if (!match.isEmpty())
            sql = QStringLiteral("SELECT s.pv__key FROM pv_drinkfts JOIN (%1) s ON s.pv__key = pv_drinkfts.rowid "
                                 "WHERE pv_drinkfts MATCH ?3 AND pv_like(s.%2, ?1) %3 ORDER BY pv_drinkfts.rowid")
                      .arg(m_rowsQuery, quoteIdent(m_fields[f]),
                           bounded ? QLatin1String("AND pv_drinkfts.rowid > ?2") : QLatin1String(""));
        sqlite3_stmt *st = m_findStatements.value(sql);
        if (!st) {
            const int r =
                sqlite3_prepare_v3(m_db, sql.toUtf8().constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
            if (r != SQLITE_OK)
                fail(r);
            m_findStatements.insert(sql, st);
        }
        sqlite3_reset(st);
        sqlite3_bind_pointer(st, 1, const_cast<LikePattern *>(&c.pattern), kPatternType, nullptr);
        if (bounded)
            sqlite3_bind_int64(st, 2, m_keys[size_t(startIndex - 1)]);
        if (!match.isEmpty())
            sqlite3_bind_text(st, 3, match.constData(), int(match.size()), SQLITE_TRANSIENT);
        int r;
        while ((r = sqlite3_step(st)) == SQLITE_ROW) {
            const int idx = indexOfKey(sqlite3_column_int64(st, 0));
            if (idx >= startIndex) {
                found = idx;
                break;
            }
        }
        sqlite3_reset(st);
        sqlite3_clear_bindings(st);
        if (r != SQLITE_ROW && r != SQLITE_DONE && !match.isEmpty() && !drinkindex::unreadable(r)) {
            // The index failed on its own account: it is built again later,
            // and this search goes without it.
            drinkindex::forget(m_db);
            m_nameIndexOff = true;
            find(criterion, startIndex);
            return;
        }
        if (r != SQLITE_ROW && r != SQLITE_DONE)
            fail(r);
    }

    if (found < 0) {
        // The row that was current stays current, read afresh: another
        // program may have changed or deleted it meanwhile.
        m_noMatch = true;
        m_rowLoaded = false;
        return;
    }
    m_noMatch = false;
    landOn(found);
}

} // namespace pv

#include "drinklist/DrinkListModel.h"

#include "data/BarBook.h"
#include "data/CatalogueGuard.h"
#include "data/DataError.h"
#include "data/DrinkIndex.h"
#include "data/RecordCursor.h"
#include "data/TextFold.h"
#include "ui/ScreenView.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <algorithm>

namespace pv {

namespace {

QString quoteIdent(const QString &name)
{
    QString n = name;
    n.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + n + QLatin1Char('"');
}

bool isRowidName(const char *origin)
{
    if (!origin)
        return false;
    const QByteArray o = QByteArray(origin).toLower();
    return o == "rowid" || o == "_rowid_" || o == "oid";
}

QString columnText(sqlite3_stmt *st, int i)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, i)), sqlite3_column_bytes(st, i));
}

// A cell shows one line: a text of megabytes from a file would be measured on
// every paint. It holds as much as a tooltip shows.
QString cellText(sqlite3_stmt *st, int i)
{
    constexpr int kShown = kToolTipChars;
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    const int bytes = sqlite3_column_bytes(st, i);
    if (bytes <= kShown)
        return QString::fromUtf8(p, bytes);
    // Four bytes a character at most: a character cut at the end falls past kShown.
    const QString text = QString::fromUtf8(p, std::min(bytes, 4 * kShown + 4));
    return text.size() > kShown ? text.left(kShown) + QChar(0x2026) : text;
}

// What each column sorts by: its text folded, so that "Café" sorts with "Cafe".
const char *const kSortExpr[DrinkListModel::ColumnCount] = {
    "d.DrinkName",
    "d.Glass",
    "coalesce(d.Category1, '') || ' ' || coalesce(d.Catagory2, '') || ' ' || coalesce(d.Category3, '')",
    "d.Ing1",
    "d.Ing2",
    "d.Ing3",
    "coalesce((SELECT b.favourite FROM pv_book b WHERE b.drink = d.rowid), 0)",
    "coalesce((SELECT b.rating FROM pv_book b WHERE b.drink = d.rowid), 0)",
};

} // namespace

DrinkListModel::DrinkListModel(QObject *parent) : QAbstractTableModel(parent) {}

DrinkListModel::~DrinkListModel()
{
    closeDb();
}

void DrinkListModel::closeDb()
{
    sqlite3_finalize(m_list);
    sqlite3_finalize(m_fetch);
    sqlite3_close_v2(m_db);
    m_list = nullptr;
    m_fetch = nullptr;
    m_db = nullptr;
}

void DrinkListModel::fail(int rc) const
{
    const QString why = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
    if ((rc & 0xFF) == SQLITE_BUSY || (rc & 0xFF) == SQLITE_LOCKED)
        throw DataError(ErrLocked, m_path);
    // The model only reads: a full disk is the temporary space.
    const int primary = rc & 0xFF;
    if (primary == SQLITE_INTERRUPT || primary == SQLITE_NOMEM || primary == SQLITE_TOOBIG || primary == SQLITE_FULL)
        throw DataError(ErrResources, m_path);
    throw DataError(ErrGeneral, why);
}

void DrinkListModel::open(const QString &cataloguePath, const QString &recordSource)
{
    // Opened aside, so that a failure leaves the open rows as they are.
    DrinkListModel next;
    next.m_path = cataloguePath;
    next.m_source = recordSource;
    {
        // RecordCursor refuses what is not a catalogue and tells a missing
        // row source apart; its row query is ours as well.
        const RecordCursor probe(cataloguePath, recordSource);
        (void)probe;
    }
    int rc = sqlite3_open_v2(cataloguePath.toUtf8().constData(), &next.m_db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK)
        next.fail(rc);
    guard::secure(next.m_db, cataloguePath);
    sqlite3_busy_timeout(next.m_db, RecordCursor::busyTimeoutMs());
    drinkindex::registerFunctions(next.m_db);
    // A file that cannot be written and has no marks yet simply lists none.
    next.m_hasBook = book::ensure(next.m_db);

    QString kind, object;
    {
        sqlite3_stmt *q = nullptr;
        rc = sqlite3_prepare_v2(next.m_db,
                                "SELECT type, name FROM sqlite_master WHERE name = ?1 COLLATE NOCASE AND type IN "
                                "('table','view')",
                                -1, &q, nullptr);
        if (rc != SQLITE_OK)
            next.fail(rc);
        const QByteArray src = recordSource.toUtf8();
        sqlite3_bind_text(q, 1, src.constData(), int(src.size()), SQLITE_TRANSIENT);
        if (sqlite3_step(q) == SQLITE_ROW) {
            kind = columnText(q, 0);
            object = columnText(q, 1);
        }
        sqlite3_finalize(q);
    }
    static const QRegularExpression selectHead(QStringLiteral("^\\s*select\\s+(.*)$"),
                                               QRegularExpression::CaseInsensitiveOption |
                                                   QRegularExpression::DotMatchesEverythingOption);
    if (kind == QLatin1String("table")) {
        next.m_rowsQuery = QStringLiteral("SELECT rowid AS pv__key, * FROM ") + quoteIdent(object);
        next.m_sourceIsDrinkTable = object.compare(QLatin1String("drinklst"), Qt::CaseInsensitive) == 0;
    } else if (kind == QLatin1String("view")) {
        sqlite3_stmt *probe = nullptr;
        const QString from = quoteIdent(object);
        const QByteArray sql = (QStringLiteral("SELECT * FROM ") + from).toUtf8();
        rc = sqlite3_prepare_v2(next.m_db, sql.constData(), -1, &probe, nullptr);
        if (rc != SQLITE_OK)
            next.fail(rc);
        QString keyColumn;
        for (int i = 0; i < sqlite3_column_count(probe) && keyColumn.isEmpty(); ++i)
            if (isRowidName(sqlite3_column_origin_name(probe, i)))
                keyColumn = QString::fromUtf8(sqlite3_column_name(probe, i));
        sqlite3_finalize(probe);
        if (keyColumn.isEmpty())
            throw DataError(ErrGeneral,
                            QStringLiteral("the stored query '%1' does not carry the keys of its rows").arg(object));
        next.m_rowsQuery =
            QStringLiteral("SELECT %1 AS pv__key, * FROM %2").arg(quoteIdent(keyColumn), from);
    } else if (auto m = selectHead.match(recordSource); m.hasMatch()) {
        next.m_rowsQuery = QStringLiteral("SELECT rowid AS pv__key, ") + m.captured(1);
    } else {
        throw DataError(ErrNoSuchSource, recordSource);
    }

    rc = sqlite3_prepare_v3(next.m_db,
                            next.m_hasBook ? "SELECT d.DrinkName, d.Glass, d.Category1, d.Catagory2, d.Category3, "
                                             "d.Ing1, d.Ing2, d.Ing3, b.favourite, b.rating FROM drinklst d "
                                             "LEFT JOIN pv_book b ON b.drink = d.rowid WHERE d.rowid = ?1"
                                           : "SELECT DrinkName, Glass, Category1, Catagory2, Category3, Ing1, Ing2, "
                                             "Ing3, 0, 0 FROM drinklst WHERE rowid = ?1",
                            -1, SQLITE_PREPARE_PERSISTENT, &next.m_fetch, nullptr);
    if (rc != SQLITE_OK)
        next.fail(rc);
    next.m_filterText = m_filterText;
    next.m_needle = m_needle;
    next.m_sortColumn = m_sortColumn;
    next.m_order = m_order;
    next.m_favouritesOnly = m_favouritesOnly;
    next.m_minRating = m_minRating;
    next.prepareListing();

    beginResetModel();
    closeDb();
    std::swap(m_db, next.m_db);
    std::swap(m_list, next.m_list);
    std::swap(m_fetch, next.m_fetch);
    m_path = next.m_path;
    m_source = next.m_source;
    m_rowsQuery = next.m_rowsQuery;
    m_sourceIsDrinkTable = next.m_sourceIsDrinkTable;
    m_indexed = next.m_indexed;
    m_hasBook = next.m_hasBook;
    m_fullText = next.m_fullText;
    m_keyset = next.m_keyset;
    m_sortedInQuery = next.m_sortedInQuery;
    m_windowed = next.m_windowed;
    m_indexPending = next.m_indexPending;
    m_scanOnly = next.m_scanOnly;
    m_scanFloor = next.m_scanFloor;
    m_scanCeiling = next.m_scanCeiling;
    m_match = next.m_match;
    m_cache.clear();
    m_dataVersion = dataVersion();
    m_total = countAll();
    endResetWithList(false);
}

void DrinkListModel::prepareListing()
{
    sqlite3_finalize(m_list);
    m_list = nullptr;
    m_indexed = false;
    m_fullText = false;
    m_keyset = false;
    m_sortedInQuery = false;
    m_windowed = false;
    m_indexPending = false;
    // Only the index's own few rows behind are taken in here: a keystroke
    // never waits for the whole index to be built. It is looked at even when
    // the list does not need it yet, so that it is built before it is.
    drinkindex::Readiness ready = drinkindex::Readiness::Unavailable;
    if (!m_scanOnly) {
        ready = drinkindex::refresh(m_db);
        m_indexPending = ready == drinkindex::Readiness::NeedsBuild;
    } else {
        m_indexPending = true;
    }
    const bool indexReady = ready == drinkindex::Readiness::Ready;
    const QString needle = QString::fromUtf8(m_needle);
    QString sql;
    const bool byIndexedColumn = m_sortColumn == Name || m_sortColumn == Glass;
    const bool up = m_order == Qt::AscendingOrder;
    const QLatin1String column(m_sortColumn == Name ? "name" : "glass");
    const QLatin1String direction(up ? "ASC" : "DESC");
    const QString hit = QStringLiteral("(instr(f.name, ?3) > 0 OR instr(f.ings, ?3) > 0)");
    // A text found in few drinks: those, sorted. Else the sorted index is
    // read in order, keeping the drinks that hold the text.
    constexpr int kFewHits = 5000;
    // The user's marks filter or sort a plain listing of keys.
    const bool marks = m_sortColumn == Favourite || m_sortColumn == Rating;
    const bool byBook = bookFiltered() || marks;
    const bool fewHits = !byBook && indexReady && byIndexedColumn && m_sourceIsDrinkTable && drinkindex::indexable(needle) &&
                         fullTextHits(drinkindex::matchQuery(needle), kFewHits) < kFewHits;
    if (fewHits) {
        m_indexed = m_fullText = m_sortedInQuery = true;
        sql = QStringLiteral("SELECT f.id FROM pv_drinkfts JOIN pv_drinkfold f ON f.id = pv_drinkfts.rowid "
                             "WHERE pv_drinkfts MATCH ?4 AND %1 ORDER BY f.%2 %3, f.id %3")
                  .arg(hit, column, direction);
    } else if (!byBook && indexReady && m_sourceIsDrinkTable && byIndexedColumn) {
        // The first screen of a sorted list straight from the index on the
        // folded text, a chunk at a time after the last key listed.
        m_keyset = true;
        m_indexed = !m_needle.isEmpty();
        sql = QStringLiteral("SELECT id, %1 FROM pv_drinkfold f WHERE (%1, id) %2 (?4, ?1) %4 ORDER BY %1 %3, id %3 "
                             "LIMIT ?2")
                  .arg(column, up ? QLatin1String(">") : QLatin1String("<"), direction,
                       m_needle.isEmpty() ? QString() : QStringLiteral("AND ") + hit);
    } else if (m_needle.isEmpty()) {
        sql = QStringLiteral("SELECT pv__key AS id FROM (%1) WHERE pv__key > ?1 AND ?3 IS NULL "
                             "ORDER BY pv__key LIMIT ?2")
                  .arg(m_rowsQuery);
    } else if (indexReady) {
        m_indexed = true;
        m_fullText = drinkindex::indexable(needle);
        if (m_fullText && m_sourceIsDrinkTable)
            sql = QStringLiteral("SELECT f.id AS id FROM pv_drinkfts JOIN pv_drinkfold f ON f.id = pv_drinkfts.rowid "
                                 "WHERE pv_drinkfts MATCH ?4 AND pv_drinkfts.rowid > ?1 AND %1 "
                                 "ORDER BY pv_drinkfts.rowid LIMIT ?2")
                      .arg(hit);
        else if (m_fullText)
            sql = QStringLiteral("SELECT s.pv__key AS id FROM (%1) s JOIN pv_drinkfold f ON f.id = s.pv__key "
                                 "WHERE s.pv__key > ?1 AND s.pv__key IN (SELECT rowid FROM pv_drinkfts WHERE "
                                 "pv_drinkfts MATCH ?4 AND rowid > ?1) AND %2 ORDER BY s.pv__key LIMIT ?2")
                      .arg(m_rowsQuery, hit);
        else if (m_sourceIsDrinkTable)
            sql = QStringLiteral("SELECT f.id AS id FROM pv_drinkfold f WHERE f.id > ?1 AND %1 ORDER BY f.id LIMIT ?2")
                      .arg(hit);
        else
            sql = QStringLiteral("SELECT s.pv__key AS id FROM (%1) s JOIN pv_drinkfold f ON f.id = s.pv__key "
                                 "WHERE s.pv__key > ?1 AND %2 ORDER BY s.pv__key LIMIT ?2")
                      .arg(m_rowsQuery, hit);
    } else {
        // Without the index a keystroke folds a window of rows at a time,
        // so that it answers within a frame; the list goes on from there.
        m_windowed = m_sourceIsDrinkTable && m_sortColumn < 0 && !byBook;
        sql = QStringLiteral("SELECT pv__key AS id FROM (%1) WHERE pv__key > ?1 %2 AND pv_fold_match(?3, DrinkName, "
                             "Ing1, Ing2, Ing3, Ing4, Ing5, Ing6, Ing7, Ing8, Ing9, Ing10) ORDER BY pv__key LIMIT ?2")
                  .arg(m_rowsQuery, m_windowed ? QLatin1String("AND pv__key <= ?5") : QLatin1String(""));
        if (m_windowed) {
            sqlite3_stmt *st = nullptr;
            m_scanFloor = std::numeric_limits<qint64>::min();
            m_scanCeiling = std::numeric_limits<qint64>::min();
            // Apart, so that each is one step down the table, not a scan.
            if (sqlite3_prepare_v2(m_db, "SELECT (SELECT min(rowid) FROM drinklst), (SELECT max(rowid) FROM drinklst)",
                                   -1, &st, nullptr) == SQLITE_OK &&
                sqlite3_step(st) == SQLITE_ROW && sqlite3_column_type(st, 0) != SQLITE_NULL) {
                m_scanFloor = sqlite3_column_int64(st, 0) - 1;
                m_scanCeiling = sqlite3_column_int64(st, 1);
            }
            sqlite3_finalize(st);
        }
    }
    if (bookFiltered()) {
        // Marked drinks are few; the list of them is taken whole.
        QString which = QStringLiteral("rating >= %1").arg(m_hasBook ? m_minRating : 0);
        if (m_favouritesOnly)
            which += QStringLiteral(" AND favourite <> 0");
        sql = m_hasBook ? QStringLiteral("SELECT id FROM (%1) WHERE id IN (SELECT drink FROM pv_book WHERE %2)")
                              .arg(sql, which)
                        : QStringLiteral("SELECT id FROM (%1) WHERE 0").arg(sql);
    }
    if (marks && !m_hasBook)
        sql = QStringLiteral("SELECT k.id FROM (%1) k ORDER BY k.id %2")
                  .arg(sql, m_order == Qt::AscendingOrder ? QLatin1String("ASC") : QLatin1String("DESC"));
    else if (marks)
        sql = QStringLiteral("SELECT k.id FROM (%1) k JOIN drinklst d ON d.rowid = k.id ORDER BY %2 %3, "
                             "pv_fold(d.DrinkName), k.id")
                  .arg(sql, QLatin1String(kSortExpr[m_sortColumn]),
                       m_order == Qt::AscendingOrder ? QLatin1String("ASC") : QLatin1String("DESC"));
    else if (m_sortColumn >= 0 && !m_keyset && !m_sortedInQuery)
        sql = QStringLiteral("SELECT k.id FROM (%1) k JOIN drinklst d ON d.rowid = k.id ORDER BY pv_fold(%2) %3, "
                             "k.id %3")
                  .arg(sql, QLatin1String(kSortExpr[m_sortColumn]),
                       m_order == Qt::AscendingOrder ? QLatin1String("ASC") : QLatin1String("DESC"));
    const QByteArray u = sql.toUtf8();
    const int rc = sqlite3_prepare_v3(m_db, u.constData(), -1, SQLITE_PREPARE_PERSISTENT, &m_list, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    m_match = m_fullText ? drinkindex::matchQuery(needle) : QByteArray();
}

qint64 DrinkListModel::fullTextHits(const QByteArray &match, int atMost) const
{
    sqlite3_stmt *st = nullptr;
    qint64 n = atMost;
    if (sqlite3_prepare_v2(m_db,
                           "SELECT count(*) FROM (SELECT rowid FROM pv_drinkfts WHERE pv_drinkfts MATCH ?1 LIMIT ?2)",
                           -1, &st, nullptr) == SQLITE_OK) {
        sqlite3_bind_text(st, 1, match.constData(), int(match.size()), SQLITE_TRANSIENT);
        sqlite3_bind_int(st, 2, atMost);
        if (sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
    }
    sqlite3_finalize(st);
    return n;
}

void DrinkListModel::listChunk()
{
    if (m_complete)
        return;
    const bool all = (m_sortColumn >= 0 && !m_keyset) || bookFiltered();
    // Chunks grow with the list, so the end of a long one is a few steps
    // away, each still well inside a frame.
    const qint64 want = std::clamp<qint64>(qint64(m_keys.size()), kChunk, 4096);
    sqlite3_reset(m_list);
    sqlite3_bind_int64(m_list, 1, all ? std::numeric_limits<qint64>::min() : m_lastKey);
    sqlite3_bind_int64(m_list, 2, all ? -1 : want);
    if (m_keyset) {
        if (!m_needle.isEmpty())
            sqlite3_bind_text(m_list, 3, m_needle.constData(), int(m_needle.size()), SQLITE_STATIC);
        if (!m_keys.empty())
            sqlite3_bind_text(m_list, 4, m_lastSortKey.constData(), int(m_lastSortKey.size()), SQLITE_TRANSIENT);
        else if (m_order == Qt::AscendingOrder)
            sqlite3_bind_text(m_list, 4, "", 0, SQLITE_STATIC);
        else
            sqlite3_bind_zeroblob(m_list, 4, 0); // after every text
    } else {
        if (m_needle.isEmpty())
            sqlite3_bind_null(m_list, 3);
        else
            sqlite3_bind_text(m_list, 3, m_needle.constData(), int(m_needle.size()), SQLITE_STATIC);
        if (m_fullText)
            sqlite3_bind_text(m_list, 4, m_match.constData(), int(m_match.size()), SQLITE_STATIC);
    }
    qint64 windowEnd = 0;
    if (m_windowed) {
        const qint64 from = std::max(m_lastKey, m_scanFloor);
        windowEnd = from > std::numeric_limits<qint64>::max() - scanWindow ? std::numeric_limits<qint64>::max()
                                                                           : from + scanWindow;
        sqlite3_bind_int64(m_list, 1, from);
        sqlite3_bind_int64(m_list, 5, windowEnd);
    }
    qint64 got = 0;
    int rc;
    while ((rc = sqlite3_step(m_list)) == SQLITE_ROW) {
        m_lastKey = sqlite3_column_int64(m_list, 0);
        if (m_keyset)
            m_lastSortKey = QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_list, 1)),
                                       sqlite3_column_bytes(m_list, 1));
        m_keys.push_back(m_lastKey);
        ++got;
    }
    sqlite3_reset(m_list);
    if (rc != SQLITE_DONE && m_fullText && !drinkindex::unreadable(rc)) {
        // The trigram index itself failed (damaged, or made by another
        // program): it is built again later, and the list goes on from the
        // last key found by folding the rows as they are read.
        drinkindex::forget(m_db);
        m_scanOnly = true;
        prepareListing();
        listChunk();
        return;
    }
    if (rc != SQLITE_DONE)
        fail(rc);
    if (m_windowed && got < want) {
        // The window is done: the next chunk starts after it.
        if (windowEnd >= m_scanCeiling)
            m_complete = true;
        else
            m_lastKey = windowEnd;
        return;
    }
    if (all || got < want)
        m_complete = true;
}

void DrinkListModel::relist(size_t atLeast)
{
    m_keys.clear();
    m_lastKey = std::numeric_limits<qint64>::min();
    m_complete = false;
    do
        listChunk();
    while (!m_complete && m_keys.size() < std::max<size_t>(atLeast, 1) && !(m_windowed && atLeast == 0));
}

void DrinkListModel::listAll()
{
    while (!m_complete)
        listChunk();
}

void DrinkListModel::setBookFilter(bool favouritesOnly, int minRating)
{
    minRating = std::clamp(minRating, 0, book::kMaxRating);
    if (favouritesOnly == m_favouritesOnly && minRating == m_minRating)
        return;
    m_favouritesOnly = favouritesOnly;
    m_minRating = minRating;
    if (m_db)
        relistFromStart();
}

void DrinkListModel::setFilter(const QString &text)
{
    const QByteArray needle = foldForSearch(text).toUtf8();
    m_filterText = text;
    if (needle == m_needle && m_db)
        return;
    m_needle = needle;
    if (!m_db)
        return;
    relistFromStart();
}

// Lists the keys anew from the first; a failure leaves an empty table.
void DrinkListModel::relistFromStart()
{
    beginResetModel();
    endResetWithList(true);
}

// Ends a model reset begun by the caller with the first keys listed.
void DrinkListModel::endResetWithList(bool prepare)
{
    try {
        if (prepare)
            prepareListing();
        relist(0);
    } catch (...) {
        m_keys.clear();
        m_complete = true;
        endResetModel();
        throw;
    }
    endResetModel();
}

void DrinkListModel::sort(int column, Qt::SortOrder order)
{
    const int c = (column >= 0 && column < ColumnCount) ? column : -1;
    if (c == m_sortColumn && order == m_order)
        return;
    m_sortColumn = c;
    m_order = order;
    if (!m_db)
        return;
    relistFromStart();
}

qint64 DrinkListModel::countAll() const
{
    qint64 n = 0;
    sqlite3_stmt *st = nullptr;
    const QByteArray sql =
        QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM (%1) LIMIT %2)").arg(m_rowsQuery).arg(kCountLimit + 1).toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, sql.constData(), -1, &st, nullptr);
    if (rc == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        n = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return n > kCountLimit ? -1 : n;
}

qint64 DrinkListModel::totalCount() const
{
    if (m_total < 0 && m_complete && m_needle.isEmpty())
        return qint64(m_keys.size());
    return m_total;
}

qint64 DrinkListModel::dataVersion() const
{
    qint64 v = 0;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(m_db, "PRAGMA data_version", -1, &st, nullptr) == SQLITE_OK &&
        sqlite3_step(st) == SQLITE_ROW)
        v = sqlite3_column_int64(st, 0);
    sqlite3_finalize(st);
    return v;
}

bool DrinkListModel::fileChanged()
{
    if (!m_db)
        return false;
    const qint64 v = dataVersion();
    if (v == m_dataVersion)
        return false;
    m_dataVersion = v;
    return true;
}

void DrinkListModel::reload()
{
    if (!m_db)
        return;
    const size_t had = m_keys.size();
    beginResetModel();
    m_cache.clear();
    m_total = countAll();
    try {
        // A filter or a sort reads the index, which must take in the rows just written.
        if (!m_needle.isEmpty() || m_sortColumn >= 0)
            prepareListing();
        relist(had);
    } catch (...) {
        m_keys.clear();
        m_complete = true;
        endResetModel();
        throw;
    }
    endResetModel();
    m_dataVersion = dataVersion();
}

void DrinkListModel::indexBuilt()
{
    if (!m_db || !m_indexPending)
        return;
    m_scanOnly = false;
    const size_t had = m_keys.size();
    beginResetModel();
    try {
        prepareListing();
        relist(had);
    } catch (...) {
        m_keys.clear();
        m_complete = true;
        endResetModel();
        throw;
    }
    endResetModel();
}

int DrinkListModel::rowOfKey(qint64 key) const
{
    if (m_sortColumn < 0) {
        const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), key);
        return (it != m_keys.end() && *it == key) ? int(it - m_keys.begin()) : -1;
    }
    const auto it = std::find(m_keys.begin(), m_keys.end(), key);
    return it != m_keys.end() ? int(it - m_keys.begin()) : -1;
}

const DrinkListModel::Row &DrinkListModel::row(qint64 key) const
{
    if (const auto it = m_cache.constFind(key); it != m_cache.constEnd())
        return *it;
    // Rows on screen are few; the cache only spares re-reading them as the view repaints.
    if (m_cache.size() > 4096)
        m_cache.clear();
    Row r;
    sqlite3_reset(m_fetch);
    sqlite3_bind_int64(m_fetch, 1, key);
    if (sqlite3_step(m_fetch) == SQLITE_ROW) {
        r.text[Name] = cellText(m_fetch, 0);
        r.text[Glass] = cellText(m_fetch, 1);
        QStringList cats;
        for (int i = 2; i <= 4; ++i)
            if (const QString c = cellText(m_fetch, i).trimmed(); !c.isEmpty())
                cats << c;
        r.text[Categories] = cats.join(QStringLiteral(", "));
        for (int i = 0; i < 3; ++i)
            r.text[Ingredient1 + i] = cellText(m_fetch, 5 + i);
        r.favourite = sqlite3_column_int64(m_fetch, 8) != 0;
        r.rating = int(std::clamp<qint64>(sqlite3_column_int64(m_fetch, 9), 0, book::kMaxRating));
        r.text[Favourite] = r.favourite ? QStringLiteral("\u2605") : QString();
        r.text[Rating] = r.rating ? QString(r.rating, QChar(0x2605)) : QString();
    }
    // A row deleted meanwhile shows empty until the list is read again.
    sqlite3_reset(m_fetch);
    return *m_cache.insert(key, r);
}

int DrinkListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size());
}

int DrinkListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DrinkListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_keys.size()))
        return QVariant();
    const int c = index.column();
    if (role == Qt::ToolTipRole && (c == Favourite || c == Rating)) {
        const Row &r = row(m_keys[size_t(index.row())]);
        if (c == Favourite)
            return r.favourite ? tr("Favourite") : QString();
        return r.rating ? tr("Rated %1 of 5").arg(r.rating) : QString();
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return row(m_keys[size_t(index.row())]).text[size_t(c)];
    if (role == Qt::TextAlignmentRole && (c == Favourite || c == Rating))
        return QVariant(Qt::AlignCenter);
    return QVariant();
}

QVariant DrinkListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == Favourite)
        return tr("Favourite");
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case Name:
        return tr("Name");
    case Glass:
        return tr("Glass");
    case Categories:
        return tr("Categories");
    case Ingredient1:
        return tr("Ingredient 1");
    case Ingredient2:
        return tr("Ingredient 2");
    case Ingredient3:
        return tr("Ingredient 3");
    case Favourite:
        return QStringLiteral("\u2605");
    case Rating:
        return tr("Rating");
    default:
        return QVariant();
    }
}

bool DrinkListModel::canFetchMore(const QModelIndex &parent) const
{
    return !parent.isValid() && !m_complete;
}

void DrinkListModel::fetchMore(const QModelIndex &parent)
{
    if (parent.isValid() || m_complete)
        return;
    const size_t before = m_keys.size();
    try {
        listChunk();
    } catch (const DataError &) {
        // The file went away or is locked: stop listing; a reload tries again.
        m_complete = true;
    }
    if (m_keys.size() > before) {
        // The keys are in already; the view learns of them here.
        const std::vector<qint64> added(m_keys.begin() + qsizetype(before), m_keys.end());
        m_keys.resize(before);
        beginInsertRows(QModelIndex(), int(before), int(before + added.size() - 1));
        m_keys.insert(m_keys.end(), added.begin(), added.end());
        endInsertRows();
    }
}

} // namespace pv

#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QVector>

#include <array>
#include <limits>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace pv {

// The drinks of one row source of the catalogue as a table: name, glass,
// categories and the first three ingredients. Rows are listed a chunk at a
// time as the view scrolls (fetchMore) and their texts are read by key when
// shown, so a list of a million drinks opens as fast as one of ten.
//
// A filter keeps the drinks whose name or any ingredient holds the text,
// case, accents and runs of spaces aside, through the trigram index kept in
// the catalogue for three letters or more. Sorting by name or glass reads
// the index on the folded text a chunk at a time; other sorts list every key
// once. Until the index is built (see indexPending) both scan instead.
class DrinkListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Name, Glass, Categories, Ingredient1, Ingredient2, Ingredient3, Favourite, Rating, ColumnCount };
    static constexpr int kChunk = 256;
    // Keys folded to a chunk when filtering without the index (about a
    // frame's work); tests make it small.
    static inline qint64 scanWindow = 8192;

    explicit DrinkListModel(QObject *parent = nullptr);
    ~DrinkListModel() override;

    // Opens the rows of `recordSource` (a table, stored query or SQL text)
    // in the catalogue. Throws DataError; the rows that were open then stay.
    void open(const QString &cataloguePath, const QString &recordSource);
    const QString &recordSource() const { return m_source; }
    bool isOpen() const { return m_db != nullptr; }

    void setFilter(const QString &text);
    // The user's own marks: only favourites, only drinks rated at least
    // `minRating` (0: any). Both hold together with the text filter.
    void setBookFilter(bool favouritesOnly, int minRating);
    bool favouritesOnly() const { return m_favouritesOnly; }
    int minRating() const { return m_minRating; }
    const QString &filterText() const { return m_filterText; }
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_order; }

    // The drinklst key of a listed row; the row of a key among those listed
    // so far (-1 when not listed yet).
    qint64 keyAt(int row) const { return m_keys.at(size_t(row)); }
    int rowOfKey(qint64 key) const;
    bool isComplete() const { return m_complete; }
    // The number of drinks of the row source, the filter aside; -1 when it
    // is more than kCountLimit and not all of them are listed (counting a
    // million rows would cost the first screen).
    static constexpr qint64 kCountLimit = 50000;
    qint64 totalCount() const;
    // True when the filter runs on the folded index kept in the catalogue.
    bool usesIndex() const { return m_indexed; }
    // True when the filter finds its rows through the trigram index.
    bool usesFullText() const { return m_fullText; }
    // True when the sorted list is read from the index in order.
    bool sortsByIndex() const { return m_keyset; }
    // True when the index should be built (in the background: see
    // IndexBuilder) for the filter or sort to use it; they scan meanwhile.
    bool indexPending() const { return m_indexPending; }
    // True when the filter folds the rows a window at a time (no index yet):
    // the list is then read on with fetchMore until complete.
    bool scansInWindows() const { return m_windowed; }
    // Reads the rows again now that the index is there, when it was missing.
    void indexBuilt();

    // True (once) when another connection has written the file since the
    // rows were read.
    bool fileChanged();
    // Reads the rows again, listing at least as many as before.
    void reload();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

private:
    struct Row {
        std::array<QString, ColumnCount> text;
        bool favourite = false;
        int rating = 0;
    };

    bool bookFiltered() const { return m_favouritesOnly || m_minRating > 0; }
    void closeDb();
    void prepareListing();
    void relistFromStart();
    void endResetWithList(bool prepare);
    void listChunk();
    void listAll();
    void relist(size_t atLeast);
    const Row &row(qint64 key) const;
    [[noreturn]] void fail(int rc) const;
    qint64 dataVersion() const;
    qint64 countAll() const;
    qint64 fullTextHits(const QByteArray &match, int atMost) const;

    sqlite3 *m_db = nullptr;
    QString m_path;
    QString m_source;
    QString m_rowsQuery; // SELECT <key> AS pv__key, ... FROM <source>
    bool m_sourceIsDrinkTable = false;
    QString m_filterText;
    QByteArray m_needle; // folded, UTF-8
    bool m_indexed = false;
    bool m_hasBook = false; // the catalogue holds the user's marks
    bool m_favouritesOnly = false;
    int m_minRating = 0;
    bool m_fullText = false;      // ?4 is the full-text query
    bool m_keyset = false;        // sorted from the index; ?4 the last sort key
    bool m_sortedInQuery = false; // the few drinks found are sorted by the query itself
    bool m_indexPending = false;
    bool m_scanOnly = false;  // the index failed on this connection
    bool m_windowed = false;  // ?5 ends the window of keys scanned
    qint64 m_scanFloor = 0;   // below the first key
    qint64 m_scanCeiling = 0; // the last key
    QByteArray m_match;
    QByteArray m_lastSortKey;
    int m_sortColumn = -1;
    Qt::SortOrder m_order = Qt::AscendingOrder;

    sqlite3_stmt *m_list = nullptr;  // ?1 after key, ?2 limit, ?3 needle
    sqlite3_stmt *m_fetch = nullptr; // texts of one drink by key
    std::vector<qint64> m_keys;
    qint64 m_lastKey = std::numeric_limits<qint64>::min();
    bool m_complete = true;
    qint64 m_dataVersion = 0;
    qint64 m_total = 0;

    mutable QHash<qint64, Row> m_cache;
};

} // namespace pv

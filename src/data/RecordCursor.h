#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

#include <functional>
#include <limits>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace pv {

class LikePattern;

// The ordered rows of one row source with one current row.
//
// A keyset cursor: opening lists, in row-source order, the base table's key
// (rowid) of every row; fields are read on demand by key, so moves cost O(1)
// and edits are written by key to the base table, also through stored
// queries (views that carry the base key) and simple SQL texts.
//
// Every failure is thrown as a DataError.
class RecordCursor {
public:
    RecordCursor(const QString &databasePath, const QString &recordSource);
    ~RecordCursor();
    RecordCursor(const RecordCursor &) = delete;
    RecordCursor &operator=(const RecordCursor &) = delete;

    // How long a write (or read) waits for a catalogue locked by someone else.
    static void setBusyTimeoutMs(int ms);
    static int busyTimeoutMs();
    // Tests only: open catalogues through the named engine file layer (one
    // that injects faults); empty means the engine's default, which the
    // program always uses.
    static void setVfsForTests(const QByteArray &name);

    const QString &databaseName() const { return m_path; }
    const QString &recordSource() const { return m_source; }
    // The table edits are written to.
    const QString &baseTable() const { return m_baseTable; }
    // Run on the cursor's connection just before a row is deleted, in one
    // transaction with the delete: what it writes stands or falls with it.
    using DeleteKeeper = std::function<void(sqlite3 *db, const QString &table, qint64 key)>;
    void setDeleteKeeper(DeleteKeeper keeper) { m_deleteKeeper = std::move(keeper); }
    QStringList fieldNames() const { return m_fields; }
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    // True when the field's column is declared to hold integers.
    bool isWholeNumberField(const QString &name) const;

    bool Bof() const { return m_bof; }
    bool Eof() const { return m_eof; }
    // Lists every remaining key first.
    int RecordCount() const;
    bool isEmpty() const;
    // Index of the current row from 0; -1 with no current row (or a new row).
    int AbsolutePosition() const;
    // True when a row (or a new row) can be read and written.
    bool hasCurrentRow() const;

    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();

    void AddNew();
    bool isAdding() const { return m_mode == Mode::Adding; }
    bool hasPendingEdit() const { return m_mode != Mode::None; }
    // Writes the pending edit or the new row. After a new row is stored the
    // row that was current before AddNew is current again.
    void Update();
    void CancelUpdate();

    void Delete();

    qint64 Bookmark() const;
    void setBookmark(qint64 key);
    bool hasLastModified() const { return m_lastModified.has_value(); }
    qint64 LastModified() const;

    void FindFirst(const QString &criterion);
    void FindNext(const QString &criterion);
    bool NoMatch() const { return m_noMatch; }
    // True when the last find narrowed its rows through the search index.
    bool lastFindUsedIndex() const { return m_findUsedIndex; }

    QVariant value(const QString &field) const;
    void setValue(const QString &field, const QVariant &value);

    // Bytes the keyset takes (for the benchmark).
    size_t keysetBytes() const { return m_keys.capacity() * sizeof(qint64); }

private:
    enum class Mode { None, Editing, Adding };

    int fieldIndex(const QString &name) const;
    int requireField(const QString &name) const;
    void requireCurrentRow() const;
    void landOn(int index);
    void discardEdit();
    void loadRow() const;
    void find(const QString &criterion, int startIndex);
    // The full-text query that narrows a search of drink names, or empty.
    QByteArray nameIndexQuery(int field, const LikePattern &pattern);
    int indexOfKey(qint64 key) const;
    void exec(const QString &sql);
    void loadChunk() const;
    void loadUntil(size_t count) const;
    void loadAll() const;
    [[noreturn]] void fail(int rc, const QString &what = QString()) const;

    sqlite3 *m_db = nullptr;
    QString m_path;
    QString m_source;
    QString m_baseTable;
    QString m_rowsQuery; // SELECT <key> AS pv__key, <fields> FROM <source>
    QStringList m_fields;
    QStringList m_baseColumns; // empty where a field is computed (read-only)
    QVector<bool> m_wholeNumber; // by field
    QHash<QString, int> m_fieldIndex; // by case-folded name
    QHash<QString, sqlite3_stmt *> m_findStatements;
    sqlite3_stmt *m_fetch = nullptr;

    // The keyset grows as moves reach rows not listed yet (see loadChunk).
    mutable std::vector<qint64> m_keys;
    mutable bool m_complete = false;
    mutable qint64 m_lastListedKey = std::numeric_limits<qint64>::min();
    bool m_chunked = false;
    sqlite3_stmt *m_chunk = nullptr;
    bool m_sorted = true;
    int m_nameField = -2;        // the field that holds drinklst's names; -1 none, -2 not looked at
    bool m_nameIndexOff = false; // the index failed on this connection
    bool m_findUsedIndex = false;
    qint64 m_retiredKeys = 0;
    int m_pos = -1;
    bool m_bof = true;
    bool m_eof = true;
    bool m_onDeleted = false;
    bool m_noMatch = false;
    bool m_saving = false; // an engine I/O error now means the save failed

    mutable bool m_rowLoaded = false;
    mutable QVector<QVariant> m_row;

    Mode m_mode = Mode::None;
    QVector<QVariant> m_buffer;
    QVector<bool> m_bufferSet;
    std::optional<qint64> m_lastModified;
    DeleteKeeper m_deleteKeeper;
};

} // namespace pv

#pragma once

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <optional>

struct sqlite3;

namespace pv {

// Every column of one row of a table, as stored (null included).
struct RowImage {
    QStringList columns;
    QVariantList values;

    bool isEmpty() const { return columns.isEmpty(); }
    QVariant value(const QString &column) const;
    bool operator==(const RowImage &other) const { return columns == other.columns && values == other.values; }
};

// Reads the row of `table` with rowid `key` on `db`; an empty image when
// there is none. Throws DataError.
RowImage readRow(sqlite3 *db, const QString &table, qint64 key);
// The same on a connection of its own.
RowImage readRow(const QString &catalogue, const QString &table, qint64 key);

// How a row is named to the user: "Negroni", "joke #12".
QString rowCaption(const QString &table, const RowImage &row);

// Drinks and collection entries deleted in the last 30 days, kept in the
// catalogue's own pv_deleted table, so they outlive the session and
// another program's edits.
struct DeletedRow {
    qint64 id = 0;
    QString table;
    qint64 key = 0; // its rowid when it was deleted
    QDateTime when;
    QString caption;
    RowImage row;
};

namespace trash {

inline constexpr int kKeepDays = 30;

// Keeps the row `key` of `table` in pv_deleted on `db`, in the caller's
// transaction (the delete that follows is on the same connection). Returns
// the entry's id. Throws DataError.
qint64 keep(sqlite3 *db, const QString &table, qint64 key);

// What is kept, newest first; entries past 30 days are dropped first (when
// the file can be written). Throws DataError.
QList<DeletedRow> list(const QString &catalogue);

// Puts the entry's row back into its table, under its old rowid when that
// is free (so it stands at its old place), else at the end, and drops the
// entry; both in one transaction. Returns the row's key. Throws DataError.
qint64 restore(const QString &catalogue, qint64 id);

// Drops entries for good. Throws DataError.
void forget(const QString &catalogue, const QList<qint64> &ids);

} // namespace trash

// The session's saved changes, newest last, for Undo and Redo: deletes,
// saved edits and added rows, on any table of any catalogue.
class RowHistory : public QObject {
    Q_OBJECT
public:
    enum Kind { Deleted, Edited, Added };
    struct Step {
        Kind kind = Edited;
        QString catalogue;
        QString table;
        qint64 key = 0;
        RowImage before; // Edited: the row before the save
        RowImage after;  // Edited, Added: the row after it; Deleted: the row
        qint64 trashId = 0; // Deleted: its entry in pv_deleted
        QString caption;
        bool fromTrash = false; // Added: put back from Recently Deleted
        QString text() const; // "Delete Negroni"
    };

    static RowHistory &instance();

    void record(Step step);
    // The newest step on one of `tables` of `catalogue` that Undo (or Redo)
    // would take, if any.
    std::optional<Step> nextUndo(const QString &catalogue, const QStringList &tables) const;
    std::optional<Step> nextRedo(const QString &catalogue, const QStringList &tables) const;
    // Takes that step back (or again) on the file. Returns the key of the row
    // to show, or -1 when none is left to show. Throws DataError; then
    // nothing changed.
    qint64 undo(const QString &catalogue, const QStringList &tables);
    qint64 redo(const QString &catalogue, const QStringList &tables);
    // A row put back from Recently Deleted: a step of its own.
    void restored(const QString &catalogue, const QString &table, qint64 key, const RowImage &row);

    void clear();
    int depth() const { return int(m_done.size()); }

    // Steps kept per session; the oldest go first.
    static constexpr int kMaxSteps = 200;

Q_SIGNALS:
    // A table of a catalogue changed by Undo, Redo or Restore.
    void changed(const QString &catalogue, const QString &table, qint64 key);
    // The steps on offer changed.
    void stepsChanged();

private:
    // Undo and Redo: the newest step of `from` on those tables, applied and moved to `to`.
    qint64 move(QList<Step> &from, QList<Step> &to, const QString &catalogue, const QStringList &tables,
                bool backwards);
    qint64 apply(Step &step, bool backwards);
    void rekey(const Step &step, qint64 from, qint64 to);
    QList<Step> m_done;
    QList<Step> m_undone;
};

} // namespace pv

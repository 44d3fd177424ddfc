#pragma once

#include <QDate>
#include <QHash>
#include <QList>
#include <QString>

struct sqlite3;

namespace pv {

// The user's own layer over a recipe: a favourite mark, a rating, a note and
// a log of when they made it. Kept in the catalogue's pv_book and pv_made,
// keyed by the drink's rowid, so it follows the drink through edits; the
// update merge carries it over when it renumbers drinks, and Recently
// Deleted keeps it with the drink.
struct MadeEntry {
    QDate date;
    QString comment; // one line
    bool operator==(const MadeEntry &o) const { return date == o.date && comment == o.comment; }
};

struct DrinkNotes {
    bool favourite = false;
    int rating = 0; // 0 for none, else 1 to 5
    QString note;
    QList<MadeEntry> made; // oldest first

    bool isEmpty() const { return !favourite && rating == 0 && note.isEmpty() && made.isEmpty(); }
    bool operator==(const DrinkNotes &o) const
    {
        return favourite == o.favourite && rating == o.rating && note == o.note && made == o.made;
    }
};

namespace book {

inline constexpr int kMaxRating = 5;
// A note is the user's own text, but a stranger's file may carry one; held
// to a size that any real note stays far below.
inline constexpr qsizetype kMaxNoteChars = 100000;
inline constexpr qsizetype kMaxCommentChars = 500;
inline constexpr qsizetype kMaxMadeEntries = 5000;

// Brings a layer read from elsewhere within bounds: the rating to 0..5, the
// comment to one line, the sizes to their limits, dates that are not dates
// dropped.
DrinkNotes bounded(DrinkNotes notes);

// Makes the two tables when the file has none; false when it cannot be
// written. Throws nothing.
bool ensure(sqlite3 *db);

// On a connection, in the caller's transaction. Throw DataError.
DrinkNotes read(sqlite3 *db, qint64 drink);
void write(sqlite3 *db, qint64 drink, const DrinkNotes &notes);
// Every drink's layer that is not empty.
QHash<qint64, DrinkNotes> readAll(sqlite3 *db);
bool has(sqlite3 *db, qint64 drink);

// The same, each on a connection of its own; write() in one transaction.
DrinkNotes read(const QString &catalogue, qint64 drink);
void write(const QString &catalogue, qint64 drink, const DrinkNotes &notes);
QHash<qint64, DrinkNotes> readAll(const QString &catalogue);

// Recently Deleted: the layer of a drink being deleted goes with its entry,
// comes back with it under the drink's new key, and goes when the entry goes.
void keepWith(sqlite3 *db, qint64 drink, qint64 entry);
void restoreWith(sqlite3 *db, qint64 entry, qint64 drink);
void dropWith(sqlite3 *db, qint64 entry);
// Drops what belongs to no entry or drink any more (an entry expired, a drink
// deleted by another program).
void prune(sqlite3 *db);

// The merge put drinks under new keys: old key -> new key.
void rekey(sqlite3 *db, const QHash<qint64, qint64> &moved);

} // namespace book
} // namespace pv

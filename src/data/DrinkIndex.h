#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <functional>

struct sqlite3;

namespace pv {

// The folded search text of every drink (name; ingredients; glass), kept in
// the catalogue beside drinklst as pv_drinkfold, with a trigram index over
// the name and ingredients (pv_drinkfts) and an index on the folded name and
// glass for sorting. Triggers on drinklst note each row that any program
// adds, changes or deletes; the next search folds just those. An index that
// is missing, of another version or another definition, or whose triggers
// are gone (the table was rebuilt) is built afresh. drinklst is only read.
namespace drinkindex {

// Registers the folding functions the queries below use on a connection:
// pv_fold(text), pv_fold_ings(ing1, ..., ing10) and
// pv_fold_match(needle, name, ing1, ..., ing10), the last for catalogues
// that cannot hold the index.
void registerFunctions(sqlite3 *db);

enum class Readiness {
    Ready,      // up to date: searches and sorts may read it
    NeedsBuild, // missing, stale or many rows behind: build() it, meanwhile scan
    Unavailable // the catalogue cannot hold it (read-only, locked too long)
};

// Takes in the few rows other programs changed since the last look; never
// builds the whole index, so it is cheap enough for a keystroke.
Readiness refresh(sqlite3 *db);

// Called between steps of build() with the drinks done and the total; false
// stops the build (what is done is kept, and a later build goes on from there).
using Progress = std::function<bool(qint64 done, qint64 total)>;

// Builds the index or brings it up to date, a few thousand drinks to a
// transaction so that other programs can write between them. False when
// stopped or when the catalogue cannot hold it.
bool build(sqlite3 *db, const Progress &progress = {});

// refresh(), then build() when needed: for the commands that write a
// catalogue (import, update merge, a new catalogue), which leave it indexed.
bool sync(sqlite3 *db);

// Opens the catalogue on a connection of its own and syncs it. False when it
// could not be indexed; throws nothing.
bool syncFile(const QString &cataloguePath);

// A failure of a search on the index that says nothing of the index itself
// (the file locked, the search stopped): the search is not tried another way.
bool unreadable(int rc);
// Marks the index to be built again (it gave an error of its own).
void forget(sqlite3 *db);

// Forgets which indexes were checked, as at the program's start (for tests).
void distrustAll();

// Drops the index and its triggers (for tests and benchmarks).
void drop(sqlite3 *db);

// Whether a folded text can be looked up in the trigram index (three
// characters or more), and the full-text query that finds a superset of the
// drinks holding it, every term quoted. The caller confirms each hit on the
// folded texts.
bool indexable(const QString &folded);
QByteArray matchQuery(const QString &folded);

// The drinklst keys, in key order, whose ingredients contain `text`, letter
// case, accents and runs of spaces aside. Empty for a text that folds to
// nothing. Reads the index when it is ready, else folds as it scans.
QVector<qint64> drinksWithIngredient(const QString &cataloguePath, const QString &text);

} // namespace drinkindex
} // namespace pv

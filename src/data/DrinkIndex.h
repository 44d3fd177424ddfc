#pragma once

#include <QString>
#include <QVector>

struct sqlite3;

namespace pv {

// The folded search text of every drink (name; ingredients), kept in the
// catalogue beside drinklst as pv_drinkfold so that a text found nowhere is
// answered without folding every row again. Triggers on drinklst note each
// row that any program adds, changes or deletes; the next search folds just
// those. An index that is missing, of another version, or whose triggers are
// gone (the table was rebuilt) is built afresh. drinklst itself is only read.
namespace drinkindex {

// Registers the folding functions the queries below use on a connection:
// pv_fold(text), pv_fold_ings(ing1, ..., ing10) and
// pv_fold_match(needle, name, ing1, ..., ing10), the last for catalogues
// that cannot hold the index.
void registerFunctions(sqlite3 *db);

// Brings the index up to date. False when the catalogue cannot hold it (a
// read-only file, a lock held too long): searches then fold as they scan.
bool sync(sqlite3 *db);

// Drops the index and its triggers (for tests and benchmarks).
void drop(sqlite3 *db);

// The drinklst keys, in key order, whose ingredients contain `text`, letter
// case, accents and runs of spaces aside. Empty for a text that folds to nothing.
QVector<qint64> drinksWithIngredient(const QString &cataloguePath, const QString &text);

} // namespace drinkindex
} // namespace pv

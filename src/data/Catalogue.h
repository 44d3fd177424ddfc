#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace pv {

inline constexpr const char *kCatalogueFileName = "pv.mdb";
inline constexpr const char *kDrinkTable = "drinklst";

// The catalogue lies in the application folder, under a fixed name, unless
// useUserCatalogue() chose the user's own copy.
QString cataloguePath(const QString &applicationFolder);

// A system-wide install keeps the bundled catalogue in a folder users cannot
// write, where every save would fail, so each user edits a copy of their own
// in `userFolder`. Called once at start-up: copies the bundled catalogue there
// when no copy exists yet, never replacing one (a newer bundle is merged into
// it later, as into any user's catalogue), and from then on cataloguePath()
// gives the copy. False, with `error` saying why, when no copy
// could be made. An empty `userFolder` returns to the application folder's.
bool useUserCatalogue(const QString &applicationFolder, const QString &userFolder, QString *error);

// The twenty glass names a recipe's Glass may hold, in the order the main
// window tests them.
const QStringList &glassNames();

struct Category {
    const char *label;     // as written in Category1, Catagory2, Category3
    const char *queryName; // the stored query that selects it
};
const std::array<Category, 16> &categories();

// Columns of drinklst in the order the builder creates them.
QStringList drinkColumns();

struct CollectionTable {
    const char *table;
    const char *shortColumn;
    const char *longColumn;
    bool numbered; // the short column is a number the builder assigns
};
const std::array<CollectionTable, 9> &collectionTables();

} // namespace pv

#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace pv {

inline constexpr const char *kCatalogueFileName = "pv.mdb";
inline constexpr const char *kDrinkTable = "drinklst";

// The catalogue lies in the application folder, under a fixed name.
QString cataloguePath(const QString &applicationFolder);

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

#include "data/Catalogue.h"

#include <QDir>

namespace pv {

QString cataloguePath(const QString &applicationFolder)
{
    return applicationFolder + QDir::separator() + QLatin1String(kCatalogueFileName);
}

const QStringList &glassNames()
{
    static const QStringList names = {
        QStringLiteral("Cocktail"),       QStringLiteral("Collins"),         QStringLiteral("Shot"),
        QStringLiteral("Highball"),       QStringLiteral("Old-Fashioned"),   QStringLiteral("Beer Mug"),
        QStringLiteral("Beer Pilsner"),   QStringLiteral("Irish Coffee"),    QStringLiteral("Pousse Cafe"),
        QStringLiteral("Parfait"),        QStringLiteral("Red Wine"),        QStringLiteral("White Wine"),
        QStringLiteral("Sherry"),         QStringLiteral("Champagne Flute"), QStringLiteral("Brandy Snifter"),
        QStringLiteral("Pony"),           QStringLiteral("Whiskey Sour"),    QStringLiteral("Punch Cup"),
        QStringLiteral("Coffee Mug"),     QStringLiteral("Goblet"),
    };
    return names;
}

const std::array<Category, 16> &categories()
{
    static const std::array<Category, 16> list = {{
        {"Aperitifs", "Aperitifs"},
        {"Beer", "Beer"},
        {"Bourbon", "Bourbon"},
        {"Brandy", "Brandy"},
        {"Cordials", "Cordials"},
        {"Gin", "Gin"},
        {"Hot Drinks", "HotDrinks"},
        {"Non-Alcoholic", "NonAlcoholic"},
        {"Punch", "Punch"},
        {"Rum", "Rum"},
        {"Scotch", "Scotch"},
        {"Tequila", "Tequila"},
        {"Tropical", "Tropical"},
        {"Vodka", "Vodka"},
        {"Whiskey", "Whiskey"},
        {"Wine", "Wine"},
    }};
    return list;
}

QStringList drinkColumns()
{
    QStringList c = {QStringLiteral("DrinkName"), QStringLiteral("Glass"),     QStringLiteral("Category1"),
                     QStringLiteral("Catagory2"), QStringLiteral("Category3"), QStringLiteral("Directions")};
    for (int i = 1; i <= 10; ++i)
        c << QStringLiteral("Ing%1").arg(i);
    for (int i = 1; i <= 10; ++i)
        c << QStringLiteral("Qty%1").arg(i);
    return c;
}

const std::array<CollectionTable, 9> &collectionTables()
{
    static const std::array<CollectionTable, 9> list = {{
        {"cardgames", "name", "instructions", false},
        {"dicegames", "name", "instructions", false},
        {"coingames", "name", "instructions", false},
        {"mediagames", "name", "instructions", false},
        {"vocalgames", "name", "instructions", false},
        {"boardgames", "name", "instructions", false},
        {"joke", "ID", "joke", true},
        {"Toasting", "Cat", "Toasts", false},
        {"pickuplines", "ID", "line", true},
    }};
    return list;
}

} // namespace pv

#pragma once

#include "data/BarMatcher.h"
#include "data/RecipeCard.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

namespace pv {

// One drink to shop for, and how many of it will be made.
struct ShoppingDrink {
    CardRecipe recipe;
    int servings = 1;
};

struct ShoppingOptions {
    double bottleMl = 750;     // the bottle size spirits and liqueurs are bought in
    bool includeShelf = false; // list what the shelf holds too, apart
    double partMl = 30;        // a recipe in parts: one part is this much
    double topUpMl = 120;      // "Top with": what one glass takes
};

// Bottle sizes offered for spirits and liqueurs.
QList<double> shoppingBottleSizes();

// Juice one fruit gives, in ml, for the citrus fruit the list counts as
// fruit (lemons, limes, oranges, grapefruit); 0 for other fruit.
double juicePerFruit(const QString &fruitName);

struct ShoppingItem {
    QString name; // the ingredient as the vocabulary names it, else as written
    IngredientKind kind = IngredientKind::Other;
    double ml = 0;     // volume in all (juice too)
    double pieces = 0; // counted things: wedges, sprigs, eggs, cherries
    double grams = 0;
    double dashes = 0;
    int buy = 0;        // bottles or fruit to buy; 0 when the amount is the list
    QString amount;     // "2 bottles (750 ml)", "5 lemons", "180 ml (6 oz)", "12"
    QString detail;     // "1.1 l in all", "about 40 ml of juice a lemon"
    QStringList drinks; // the drinks it goes into
};

struct ShoppingList {
    QList<ShoppingItem> items; // to buy, by kind and then name
    QList<ShoppingItem> shelf; // already on the shelf (when asked for)
    int leftOut = 0;           // things the shelf holds that are not listed
    QStringList unsure;        // "Salt: to taste (Margarita)"
    int drinks = 0;
    int servings = 0;
    // The list as plain text lines, headed by what it is for.
    QStringList lines(const ShoppingOptions &options) const;
};

// Adds up what the drinks need, by ingredient, in the units one buys them
// in. `served[i]` (one per ingredient of the index; may be empty): the shelf
// serves a line asking for i, so it is left out unless asked for.
ShoppingList makeShoppingList(const BarIndex &index, const std::vector<char> &served,
                              const QList<ShoppingDrink> &drinks, const ShoppingOptions &options);

// "180 ml (6 oz)", "1.25 l (42 oz)".
QString volumeText(double ml);

} // namespace pv

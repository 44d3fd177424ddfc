#pragma once

#include "data/RecipeCard.h"

#include <QString>
#include <QVector>

namespace pv {

// A party's servings, `total` of them, shared out over `drinks` drinks: as
// evenly as they go, the first drinks taking what does not divide.
QVector<int> shareServings(int total, int drinks);

// What is in a drink, on one line of a menu: its ingredients as the recipe
// names them, in its order, between middle dots.
QString menuLine(const CardRecipe &recipe);

inline constexpr int kMostGuests = 500;
inline constexpr int kMostDrinksPerGuest = 20;

} // namespace pv

#pragma once

#include "data/RecipeCard.h"

#include <QString>
#include <QVector>

#include <functional>

namespace pv {

// A party's servings, `total` of them, shared out over `drinks` drinks: as
// evenly as they go, the first drinks taking what does not divide.
QVector<int> shareServings(int total, int drinks);

// What is in a drink, on one line of a menu: its ingredients as the recipe
// names them, between middle dots, in its order except that what only
// dresses or rims the glass (`dresses(k)` true for line k) comes last, so
// the line starts with the spirit.
QString menuLine(const CardRecipe &recipe, const std::function<bool(int line)> &dresses = {});

inline constexpr int kMostGuests = 500;
inline constexpr int kMostDrinksPerGuest = 20;

} // namespace pv

#pragma once

#include <QString>

namespace pv {

class DrinkHost;

// Queries > "Find Drinks With Ingredient...": asks for a text and confines
// the main window's list to the drinks with an ingredient that holds it.
void findDrinksWithIngredient(DrinkHost *main);

// The same for a given text. False (and a message) when no drink has it;
// the main window then keeps its list.
bool confineToIngredient(DrinkHost *main, const QString &text);

} // namespace pv

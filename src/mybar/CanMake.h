#pragma once

namespace pv {

class DrinkHost;

// Queries > "Confine Drink List To Drinks I Can Make": confines the main
// window to the drinks the ticks of My Bar make, and keeps the list so while
// the ticks change, on the current drink when it is still in it.
void confineToDrinksICanMake(DrinkHost *host);

} // namespace pv

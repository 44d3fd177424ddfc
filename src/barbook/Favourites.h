#pragma once

namespace pv {

class DrinkHost;

// Queries > "Confine Drink List To Favourites": the drinks the user marked,
// in table order; the list follows the marks while it is shown.
void confineToFavourites(DrinkHost *host);

} // namespace pv

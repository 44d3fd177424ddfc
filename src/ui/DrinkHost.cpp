#include "ui/DrinkHost.h"

#include "ui/ScreenView.h"

namespace pv {

DrinkHost *DrinkHost::find()
{
    for (Form *f : Screen().forms())
        if (auto *host = dynamic_cast<DrinkHost *>(f))
            return host;
    return nullptr;
}

} // namespace pv

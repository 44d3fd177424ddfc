#pragma once

#include <QRect>
#include <QString>

namespace pv {

// A stored placement value (group "Settings" of the application's
// settings); text that is not a sensible number gives the default, and
// a number out of [lo, hi] is held to it.
double placementSetting(const QString &key, double fallback, double lo, double hi);

// True when part of the window's top edge lies on a screen, so that the
// window can be seen and dragged; true as well when no screen is known.
bool reachable(const QRect &edge);

} // namespace pv

#pragma once

#include <QMargins>
#include <QRect>
#include <QString>

class QWidget;

namespace pv {

// A stored placement value (group "Settings" of the application's
// settings); text that is not a sensible number gives the default, and
// a number out of [lo, hi] is held to it.
double placementSetting(const QString &key, double fallback, double lo, double hi);

// True when part of the window's top edge lies on a screen, so that the
// window can be seen and dragged; true as well when no screen is known.
bool reachable(const QRect &edge);

// The part of the screen a window may take: the desktop's free area of the
// screen that holds `anchor` (the main window), else of the primary screen.
QRect screenAreaFor(const QWidget *anchor);

// A window's outer rectangle (frame included) moved and cut so that it lies
// wholly inside `area`; the frame itself is not cut. `centreOn`, when valid,
// is where a window that has no place of its own yet is centred.
QRect fitInArea(const QRect &outer, const QMargins &frame, const QRect &area, const QRect &centreOn = QRect());

// The frame the window manager puts around `window`: its own once shown,
// else that of `anchor`, else none.
QMargins frameOf(const QWidget *window, const QWidget *anchor);

// Puts a window that is about to be shown wholly on the screen of `anchor`:
// a window not placed yet is centred on the anchor, a remembered size larger
// than the screen is cut to it.
void keepOnScreen(QWidget *window, const QWidget *anchor);

} // namespace pv

#pragma once
// The fixed windows are laid out for a 9 pt font; desktops often set 10 or
// 11 pt. These give a text the room it needs without moving the controls
// around it.

#include <QList>

class QLabel;
class QWidget;

namespace pv
{

// A one-line label at least as tall as a line of its font. It grows upward,
// so its bottom, and with it the distance to the box it names, stays.
void fitLabelHeight(QLabel *label);

// A word-wrapped label at least as tall as its wrapped text; it grows
// downward. Returns how many pixels it grew.
int fitWrappedHeight(QLabel *label);

// One font for a row of captions (buttons or labels): the largest, not above
// their own, at which every caption fits its control's width. The captions of
// a list keep one size rather than one of them standing out smaller.
void fitCaptionsInOneSize(const QList<QWidget *> &controls);

} // namespace pv

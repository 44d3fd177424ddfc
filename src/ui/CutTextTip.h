#pragma once

class QLineEdit;

namespace pv {

// A box too narrow for its text shows the whole text as its tooltip, as
// plain text; a text that fits has no tooltip of its own.
void showCutTextInToolTip(QLineEdit *box);

} // namespace pv

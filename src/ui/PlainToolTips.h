#pragma once

#include <QString>

class QApplication;

namespace pv {

// Tooltips show names and texts from files. Qt guesses rich text from the
// first tag it sees, so every tooltip of the program goes through one filter
// that shows it as plain text: escaped, broken into lines of at most
// `kToolTipLine` characters and cut after `kToolTipChars`.
inline constexpr int kToolTipLine = 120;
inline constexpr int kToolTipChars = 10000;

QString plainToolTip(const QString &text);
void installPlainToolTips(QApplication *app);

} // namespace pv

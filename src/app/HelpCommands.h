#pragma once

#include <QString>

class QWidget;

namespace pv
{

// The help file's name in the application folder; App.HelpFile is the
// application folder, a separator and this name.
inline const QString kHelpFileName = QStringLiteral("pourvale.qhc");

inline const QString kNoHelpMessage =
    QStringLiteral("Unable to display Help Contents. There is no Help associated with this project.");

// Help > Contents: the help viewer at its contents. mainCaption titles the
// message shown when there is no help file.
void helpContents(const QString &mainCaption);

// Help > Search for help on...: the help viewer at its keyword search, with
// nothing typed in yet.
void helpSearch(const QString &mainCaption);

// F1 opens the help at its contents from every window of the program while
// `window` (the main window) is open.
void addHelpKey(QWidget *window);

} // namespace pv

#pragma once

#include <QString>

namespace pv {

// Where the program's parts lie. From the build folder or a per-user install
// everything stands beside the executable, the user's catalogue too. Installed
// under a prefix (/usr), the executable is in <prefix>/bin, its data (the
// bundled catalogue, the help file) in <prefix>/share/pourvale and the web
// engine module in <prefix>/lib/pourvale.
struct AppFolders {
    QString data;        // the application folder, App.Path
    QString modules;     // the folder of the web engine module
    bool shared = false; // a system-wide install, not the user's to write in
};

AppFolders locateAppFolders(const QString &programFolder);

} // namespace pv

#pragma once

#include <QString>
#include <QStringList>

class QTextStream;

namespace pv::interchange {

// True when the arguments ask for a command-line task rather than the windows.
bool wantsCommandLine(const QStringList &arguments);

// Exit codes of the command line.
enum ExitCode { ExitOk = 0, ExitRefused = 1, ExitUsage = 2 };

// Runs --export, --import, --version or --help without a window. `arguments`
// excludes the program's name; messages go to `err`, help and version to
// `out`.
int runCommandLine(const QStringList &arguments, const QString &applicationFolder, QTextStream &out, QTextStream &err);

} // namespace pv::interchange

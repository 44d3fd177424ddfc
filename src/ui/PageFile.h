#pragma once

#include <QString>

#include <functional>

namespace pv {

// Writes a file beside `fileName` through `write(temporaryPath)` and moves it over the
// target only when it came out whole, so a failed save leaves the old file as it was.
// The saved file is as readable as any new file under the umask.
bool writeFileWhole(const QString &fileName, const std::function<bool(const QString &temporaryPath)> &write,
                    QString *error);

} // namespace pv

#include "ui/PageFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryFile>

#include <cstdio>
#include <sys/stat.h>

namespace pv {

bool writeFileWhole(const QString &fileName, const std::function<bool(const QString &temporaryPath)> &write,
                    QString *error)
{
    const QFileInfo target(fileName);
    QTemporaryFile part(target.absoluteDir().filePath(QLatin1Char('.') + target.fileName() + QStringLiteral(".XXXXXX")));
    if (!part.open()) {
        *error = QStringLiteral("%1 cannot be written: %2").arg(fileName, part.errorString());
        return false;
    }
    part.close();
    if (!write(part.fileName()) || QFile(part.fileName()).size() == 0) {
        *error = QStringLiteral("%1 cannot be written.").arg(fileName);
        return false;
    }
    // The temporary file is private; the saved one is as readable as any new file.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(part.fileName()).constData(), 0666 & ~mask);
    if (std::rename(QFile::encodeName(part.fileName()).constData(), QFile::encodeName(fileName).constData()) != 0) {
        *error = QStringLiteral("%1 cannot be written.").arg(fileName);
        return false;
    }
    part.setAutoRemove(false);
    return true;
}

} // namespace pv

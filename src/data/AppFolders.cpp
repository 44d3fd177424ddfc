#include "data/AppFolders.h"

#include "data/Catalogue.h"
#include "data/CatalogueUpdate.h"

#include <QDir>
#include <QFileInfo>

namespace pv {

AppFolders locateAppFolders(const QString &programFolder)
{
    const QDir program(programFolder);
    if (!QFileInfo::exists(program.filePath(QLatin1String(kCatalogueFileName)))) {
        const QString share = QDir::cleanPath(program.filePath(QStringLiteral("../share/pourvale")));
        if (QFileInfo::exists(share + QLatin1Char('/') + QLatin1String(kBundledCatalogueFileName)))
            return {share, QDir::cleanPath(program.filePath(QStringLiteral("../lib/pourvale"))), true};
    }
    // Beside the program, as in the build folder; also where a missing
    // catalogue is reported.
    return {programFolder, programFolder, false};
}

} // namespace pv

#include "app/HelpCommands.h"

#include "app/frmHelp.h"
#include "data/AppFolders.h"
#include "ui/ScreenView.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHelpEngine>
#include <QShortcut>
#include <QStandardPaths>

namespace pv {

namespace {

enum class HelpCommand { Contents, PartialKey };

// The help search keeps its index beside the help file, and a system-wide
// install's folder is not the user's to write: the viewer then reads a copy
// in the user's cache, renewed when the installed help changes. Should no
// copy be possible, the installed file is read, without the search.
QString helpFileToRead(const QString &file)
{
    if (!locateAppFolders(QCoreApplication::applicationDirPath()).shared)
        return file;
    const QFileInfo installed(file);
    QDir cache(QStandardPaths::writableLocation(QStandardPaths::CacheLocation) + QStringLiteral("/help"));
    if (!cache.mkpath(QStringLiteral(".")))
        return file;
    for (const QString &suffix : {QStringLiteral("qhc"), QStringLiteral("qch")}) {
        const QFileInfo from(installed.dir().filePath(installed.completeBaseName() + QLatin1Char('.') + suffix));
        const QFileInfo to(cache.filePath(from.fileName()));
        if (to.exists() && to.size() == from.size() && to.lastModified() >= from.lastModified())
            continue;
        // A changed help file needs a new index too.
        cache.removeRecursively();
        if (!cache.mkpath(QStringLiteral(".")))
            return file;
        for (const QString &s : {QStringLiteral("qhc"), QStringLiteral("qch")}) {
            const QString name = installed.completeBaseName() + QLatin1Char('.') + s;
            if (!QFile::copy(installed.dir().filePath(name), cache.filePath(name)))
                return file;
            QFile::setPermissions(cache.filePath(name), QFile::ReadOwner | QFile::WriteOwner);
        }
        break;
    }
    return cache.filePath(installed.fileName());
}

frmHelp *loadedViewer()
{
    for (Form *form : Screen().forms())
        if (auto *viewer = dynamic_cast<frmHelp *>(form))
            return viewer;
    return nullptr;
}

void showHelp(const QString &mainCaption, HelpCommand command)
{
    ScreenView &sv = Screen();
    const QString file = sv.App().HelpFile.isEmpty() ? QString() : helpFileToRead(sv.App().HelpFile);
    if (file.isEmpty()) {
        sv.MsgBox(kNoHelpMessage, vbInformation, mainCaption);
        return;
    }
    try {
        frmHelp *viewer = loadedViewer();
        const QString wanted = QFileInfo(file).absoluteFilePath();
        if (!viewer || viewer->helpFile() != wanted) {
            std::unique_ptr<QHelpEngine> engine = frmHelp::openHelpFile(file);
            // A viewer still showing another help file makes way for the new one.
            if (viewer)
                sv.Unload(viewer);
            viewer = sv.Load<frmHelp>();
            viewer->setHelpEngine(std::move(engine));
        }
        if (command == HelpCommand::Contents)
            viewer->showContents();
        else
            viewer->showSearch(QString());
        sv.Show(viewer);
    } catch (const ScreenError &e) {
        sv.MsgBox(e.description());
    }
}

} // namespace

void helpContents(const QString &mainCaption)
{
    showHelp(mainCaption, HelpCommand::Contents);
}

void helpSearch(const QString &mainCaption)
{
    showHelp(mainCaption, HelpCommand::PartialKey);
}

void addHelpKey(QWidget *window)
{
    auto *key = new QShortcut(QKeySequence::HelpContents, window);
    key->setObjectName(QStringLiteral("keyHelpContents"));
    key->setContext(Qt::ApplicationShortcut);
    QObject::connect(key, &QShortcut::activated, window,
                     [] { Screen().guard([] { helpContents(Screen().App().Title); }); });
}

} // namespace pv

#include "app/frmSplash.h"
#include "browser/frmMain.h"
#include "data/AppFolders.h"
#include "data/Catalogue.h"
#include "interchange/CommandLine.h"
#include "ui/ScreenView.h"
#include "web/WebEngineSetup.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>
#include <QTextStream>

#include <cstdio>
#include <new>

namespace {
QString userCatalogueFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/pourvale");
}
} // namespace

namespace {
// Running out of memory in one command is told, and the program goes on.
class Application : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc &) {
            pv::Screen().MsgBox(QStringLiteral("There is not enough memory to finish this. Nothing was changed."));
        }
        return false;
    }
};
} // namespace

int main(int argc, char **argv)
{
    // Backups and scripts run without a window, so without a display too.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    if (pv::interchange::wantsCommandLine(arguments)) {
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        QTextStream err(stderr);
        // The same catalogue the windows would open.
        const pv::AppFolders folders = pv::locateAppFolders(QCoreApplication::applicationDirPath());
        if (folders.shared) {
            QString problem;
            if (!pv::useUserCatalogue(folders.data, userCatalogueFolder(), &problem))
                err << "pourvale: " << problem << '\n';
        }
        return pv::interchange::runCommandLine(QCoreApplication::arguments().mid(1), folders.data, out, err);
    }

    pv::prepareWebEngine();
    Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pourvale"));
    QApplication::setOrganizationName(QStringLiteral("Pourvale"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    // Ties the windows to the installed launcher, so the desktop shows its
    // name and icon for them.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.pourvale.Pourvale"));
    pv::ScreenView &sv = pv::Screen();

    // Installed system-wide, each user edits a catalogue of their own.
    const pv::AppFolders folders = pv::locateAppFolders(QCoreApplication::applicationDirPath());
    if (folders.shared) {
        QString problem;
        if (!pv::useUserCatalogue(folders.data, userCatalogueFolder(), &problem))
            sv.MsgBox(problem);
    }

    // "Start" unloads the start-up window and then opens the main window; the
    // program ends when its last window is gone.
    frmSplash::openMainWindow = [&sv] { sv.Show(sv.Load<frmMain>()); };
    sv.setQuitWhenLastUnloaded(true);

    // The program begins at the start-up window and nowhere else.
    sv.Show(sv.Load<frmSplash>());
    return app.exec();
}

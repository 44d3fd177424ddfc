#include "app/frmSplash.h"
#include "browser/frmMain.h"
#include "data/AppFolders.h"
#include "data/Catalogue.h"
#include "ui/ScreenView.h"
#include "web/WebEngineSetup.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>

int main(int argc, char **argv)
{
    pv::prepareWebEngine();
    QApplication app(argc, argv);
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
        const QString mine =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/pourvale");
        QString problem;
        if (!pv::useUserCatalogue(folders.data, mine, &problem))
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

#include "app/frmSplash.h"
#include "browser/frmMain.h"
#include "ui/ScreenView.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pourvale"));
    QApplication::setOrganizationName(QStringLiteral("Pourvale"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    pv::ScreenView &sv = pv::Screen();
    sv.setQuitWhenLastUnloaded(true);

    // "Start" on the start-up window leads to the main window.
    frmSplash::openMainWindow = [&sv] { sv.Show(sv.Load<frmMain>()); };

    // The program begins at the start-up window and nowhere else.
    sv.Show(sv.Load<frmSplash>());
    return app.exec();
}

#include "browser/frmMain.h"
#include "ui/ScreenView.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pourvale"));
    QApplication::setOrganizationName(QStringLiteral("Pourvale"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    pv::ScreenView &sv = pv::Screen();
    sv.setQuitWhenLastUnloaded(true);
    sv.Show(sv.Load<frmMain>());
    return app.exec();
}

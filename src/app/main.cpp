#include "app/frmSplash.h"
#include "ui/ScreenView.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));

    // "Start" on the start-up window leads here.
    frmSplash::openMainWindow = [] {};

    pv::Screen().Show(pv::Screen().Load<frmSplash>());
    return app.exec();
}

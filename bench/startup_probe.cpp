// Starts like the program does and exits as soon as the first recipe is on
// screen: startup_probe main APPDIR
#include "browser/frmMain.h"
#include "ui/ScreenView.h"
#include "web/WebEngineSetup.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <cstdio>
#include <cstring>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc < 3 || std::strcmp(argv[1], "main") != 0)
        return 2;
    pv::prepareWebEngine();
    QApplication app(argc, argv);
    pv::ScreenView &sv = pv::Screen();
    sv.App().Path = QString::fromLocal8Bit(argv[2]);
    frmMain *m = sv.Load<frmMain>();
    QObject::connect(m->Data1, &pv::DataControl::Reposition, [m] {
        if (m->fieldText(0).isEmpty())
            _exit(1);
        _exit(0);
    });
    sv.Show(m);
    return app.exec();
}

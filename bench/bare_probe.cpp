// The baseline of the start-up benchmark: a bare Qt Widgets window that
// exits as soon as it is shown.
#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(400, 300);
    w.show();
    QTimer::singleShot(0, [] { _exit(0); });
    return app.exec();
}

// The baselines of the start-up benchmark: a bare Qt Widgets window that
// exits as soon as it is shown, or ("text") the same window with one label,
// which pays for the font database as every window with text does.
#include <QApplication>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include <unistd.h>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget w;
    w.resize(400, 300);
    if (argc > 1) {
        auto *label = new QLabel(QStringLiteral("Pourvale"), &w);
        label->move(10, 10);
    }
    w.show();
    QTimer::singleShot(0, [] { _exit(0); });
    return app.exec();
}

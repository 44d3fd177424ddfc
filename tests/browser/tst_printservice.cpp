// Printing when the print service cannot be reached. libcups settles on its
// server once per process, so this case has a program of its own that points
// it at a socket nobody listens on before anything asks for a printer.

#include "TestSupport.h"

#include "browser/frmMain.h"

#include <QPrinterInfo>

using pv::Screen;

class TestPrintService : public QObject
{
    Q_OBJECT

private slots:
    void noServiceMeansNoPrinter();
};

void TestPrintService::noServiceMeansNoPrinter()
{
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());

    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    frmMain *main = Screen().Load<frmMain>();
    Screen().Show(main);
    QTRY_COMPARE(main->fieldText(0), QStringLiteral("Bee's Knees"));

    pvtest::MsgRecorder msgs;
    main->mnuFilePrint->trigger();
    QCOMPARE(msgs.calls.size(), 1);
    QCOMPARE(msgs.calls.first().style, 0);
    QVERIFY(msgs.calls.first().title.isEmpty());
    const QString prompt = msgs.last();
    QVERIFY2(prompt.contains(QLatin1String("no printer is installed")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QLatin1String("printing service is not running")), qPrintable(prompt));

    // Nothing is left half done: the window goes on, and the next try says
    // the same.
    QTest::mouseClick(main->cmdNext, Qt::LeftButton);
    QCOMPARE(main->fieldText(0), QStringLiteral("Cuba Libre"));
    main->mnuFilePrint->trigger();
    QCOMPARE(msgs.calls.size(), 2);
    QCOMPARE(msgs.last(), prompt);
    pvtest::unloadAll();
}

int main(int argc, char **argv)
{
    pvtest::prepareEnvironment();
    static QTemporaryDir nowhere;
    qputenv("CUPS_SERVER", (nowhere.path() + QStringLiteral("/no-cupsd.sock")).toUtf8());
    qunsetenv("PRINTER");
    qunsetenv("LPDEST");
    QApplication app(argc, argv);
    TestPrintService tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_printservice.moc"

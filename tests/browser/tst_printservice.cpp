// Printing when the print service has stopped. libcups settles on its server
// once per process, so this case has a program of its own, whose print
// server is stopped half way.

#include "PrintServer.h"
#include "TestSupport.h"

#include "browser/frmMain.h"

#include <QPrinterInfo>

using pv::Screen;

class TestPrintService : public QObject {
    Q_OBJECT

public:
    explicit TestPrintService(pvtest::PrintServer &server) : m_server(server) {}

private slots:
    void stoppedServiceMeansNoPrinter();

private:
    pvtest::PrintServer &m_server;
};

void TestPrintService::stoppedServiceMeansNoPrinter()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QCOMPARE(QPrinterInfo::availablePrinterNames(), QStringList{m_server.queue()});
    m_server.stop();
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
    pvtest::PrintServer server;
    QApplication app(argc, argv);
    TestPrintService tc(server);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_printservice.moc"

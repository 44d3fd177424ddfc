// Printing when the print service cannot be reached. libcups settles on its
// server once per process, so this case has a program of its own that points
// it at a socket nobody listens on before anything asks for a printer.

#include "common/TestSupport.h"

#include "browser/RecipePrint.h"

#include <QPrinterInfo>

class TestPrintService : public QObject
{
    Q_OBJECT

private slots:
    void noServiceMeansNoPrinter();
};

void TestPrintService::noServiceMeansNoPrinter()
{
    QVERIFY(QPrinterInfo::availablePrinterNames().isEmpty());

    pv::RecipeText recipe;
    recipe.name = QStringLiteral("Cuba Libre");
    recipe.directions = QStringLiteral("Build over ice.");
    pvtest::MsgRecorder msgs;
    QCOMPARE(pv::printRecipeToDefaultPrinter(recipe, QFont()), pv::PrintResult::NoPrinter);
    QCOMPARE(msgs.calls.size(), 1);
    QCOMPARE(msgs.calls.first().style, 0);
    QVERIFY(msgs.calls.first().title.isEmpty());
    const QString prompt = msgs.last();
    QVERIFY2(prompt.contains(QLatin1String("no printer is installed")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QLatin1String("printing service is not running")), qPrintable(prompt));

    // Nothing is left half done: the next try says the same.
    QCOMPARE(pv::printRecipeToDefaultPrinter(recipe, QFont()), pv::PrintResult::NoPrinter);
    QCOMPARE(msgs.calls.size(), 2);
    QCOMPARE(msgs.last(), prompt);
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

#include "PrintServer.h"
#include "TestSupport.h"

#include "browser/RecipePrint.h"
#include "browser/frmMain.h"
#include "ui/Twips.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>

using pv::RecipeText;
using pv::Screen;

namespace {

// Keeps what the layout sends to the printer: font changes as "size:N" and
// "bold:0/1", lines as "|text", the end as "end".
class Recorder : public pv::LinePrinter {
public:
    QStringList events;
    void setFontSize(int points) override { events << QStringLiteral("size:%1").arg(points); }
    void setFontBold(bool on) override { events << QStringLiteral("bold:%1").arg(on ? 1 : 0); }
    void printLine(const QString &text) override { events << QLatin1Char('|') + text; }
    void endDoc() override { events << QStringLiteral("end"); }

    QStringList lines() const
    {
        QStringList out;
        for (const QString &e : events)
            if (e.startsWith(QLatin1Char('|')))
                out << e.mid(1);
        return out;
    }
};

// Every character 100 twips wide: a limit of 1000 holds ten characters.
double monoWidth(const QString &text)
{
    return text.size() * 100.0;
}

RecipeText negroni()
{
    RecipeText r;
    r.name = QStringLiteral("Negroni");
    r.quantities[0] = QStringLiteral("1 oz");
    r.ingredients[0] = QStringLiteral("Gin");
    r.quantities[1] = QStringLiteral("1 oz");
    r.ingredients[1] = QStringLiteral("Campari");
    r.quantities[2] = QStringLiteral("1 oz");
    r.ingredients[2] = QStringLiteral("Sweet Vermouth");
    r.directions = QStringLiteral("Stir over ice.");
    return r;
}

QString longDirections()
{
    return QStringLiteral(
        "Fill a mixing glass two thirds with cracked ice. Add the gin, the Campari and the sweet vermouth, "
        "then stir for about thirty seconds until the outside of the glass frosts. Strain into an "
        "old-fashioned glass over one large cube of ice, express a wide strip of orange peel over the top "
        "and drop it in. Serve at once.");
}

// The non-blank lines, each with its runs of spaces made single.
QStringList visibleLines(const QStringList &lines)
{
    QStringList out;
    for (const QString &l : lines) {
        const QString s = l.simplified();
        if (!s.isEmpty())
            out << s;
    }
    return out;
}

QString pdfText(const QString &pdf)
{
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return QString();
    return QString::fromUtf8(p.readAllStandardOutput());
}

QStringList pdfLines(const QString &pdf)
{
    return visibleLines(pdfText(pdf).split(QRegularExpression(QStringLiteral("[\n\f]"))));
}

// Checks a printed page against the recipe itself rather than against the
// layout code: the title, the name, the filled ingredient lines in order, then
// the directions cut only at spaces. A line ends at the last space that fits
// the measuring box, so the next word with its space would not have fitted;
// the text after the last space is not measured. Lines are compared as
// `visibleLines` gives them.
void checkPage(const QStringList &printed, const RecipeText &recipe, const pv::TextWidth &width)
{
    QStringList head{QStringLiteral("Pourvale"), QStringLiteral("Drink's Name: ") + recipe.name};
    for (int k = 0; k < 10; ++k) {
        const QString line = (recipe.quantities[k] + QLatin1Char(' ') + recipe.ingredients[k]).simplified();
        if (!line.isEmpty())
            head << line;
    }
    head << QStringLiteral("Directions:");
    QCOMPARE(printed.mid(0, head.size()), head);

    const QStringList directions = printed.mid(head.size());
    QCOMPARE(directions.join(QLatin1Char(' ')), recipe.directions.simplified());
    for (int i = 0; i + 1 < directions.size(); ++i) {
        const QString line = directions.at(i) + QLatin1Char(' ');
        if (line.count(QLatin1Char(' ')) > 1)
            QVERIFY2(width(line) <= pv::kRecipeMeasureWidth, qPrintable(line));
        const QString next = directions.at(i + 1).section(QLatin1Char(' '), 0, 0);
        QVERIFY2(width(line + next + QLatin1Char(' ')) > pv::kRecipeMeasureWidth, qPrintable(line));
    }
    if (!directions.isEmpty()) {
        const QString last = directions.last();
        QVERIFY2(width(last.left(last.lastIndexOf(QLatin1Char(' ')) + 1)) <= pv::kRecipeMeasureWidth, qPrintable(last));
    }
}

} // namespace

class TestPrinting : public QObject {
    Q_OBJECT

public:
    explicit TestPrinting(pvtest::PrintServer &server) : m_server(server) {}

private slots:
    void initTestCase();
    void cleanup();

    void layoutPrintsEveryLineInOrder();
    void emptyNameAndEmptyIngredients();
    void wrap_data();
    void wrap();
    void wrapAlwaysFinishes();
    void wrapInWindowFont();
    void pdfFileShowsTheLines();

    // The main window's File > Print.
    void boxesAreReadAsTheyStand();
    void noDefaultPrinterIsExplained();
    void menuPrintsToTheDefaultQueue();
    void unsavedEditsArePrinted();
    void refusedJobIsReported();

private:
    frmMain *openMain();
    void search(const QString &name);
    void printThroughQueue(const std::function<void()> &print, QString *job);
    QStringList expectedLines() const;

    pvtest::PrintServer &m_server;
    std::unique_ptr<pvtest::AppFolder> m_app;
    frmMain *m_main = nullptr;
};

void TestPrinting::initTestCase()
{
    QVERIFY2(m_server.start(), qPrintable(m_server.error()));
    QCOMPARE(QPrinterInfo::defaultPrinterName(), m_server.queue());
}

void TestPrinting::cleanup()
{
    pvtest::unloadAll();
    m_main = nullptr;
    m_app.reset();
}

frmMain *TestPrinting::openMain()
{
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_main = Screen().Load<frmMain>();
    Screen().Show(m_main);
    for (int i = 0; i < 50 && !m_main->Data1->cursor(); ++i)
        QTest::qWait(10);
    return m_main;
}

void TestPrinting::search(const QString &name)
{
    m_main->txtSearchString->clear();
    QTest::keyClicks(m_main->txtSearchString, name);
    QTest::mouseClick(m_main->cmdSearch, Qt::LeftButton);
    QCOMPARE(m_main->fieldText(0), name);
}

// Runs `print`, which must send one job to the default queue, and gives the
// document the queue wrote.
void TestPrinting::printThroughQueue(const std::function<void()> &print, QString *job)
{
    print();
    *job = m_server.waitForJob();
    QVERIFY2(!job->isEmpty(), qPrintable(m_server.error()));
}

// What the layout makes of the main window's boxes, measured as the window
// measures.
QStringList TestPrinting::expectedLines() const
{
    Recorder rec;
    pv::layoutRecipe(pv::recipeFromWindow(m_main), pv::screenTextWidth(m_main->Picture1->font()), 4155, rec);
    return visibleLines(rec.lines());
}

void TestPrinting::layoutPrintsEveryLineInOrder()
{
    Recorder rec;
    pv::layoutRecipe(negroni(), monoWidth, 1000, rec);
    const QString blank = QStringLiteral("| ");
    const QString empty = QStringLiteral("|  ");
    const QStringList expected = {
        QStringLiteral("size:24"),
        QStringLiteral("bold:1"),
        QStringLiteral("|                       Pourvale"),
        QStringLiteral("size:16"),
        QStringLiteral("bold:0"),
        blank,
        blank,
        QStringLiteral("|Drink's Name: Negroni"),
        blank,
        blank,
        QStringLiteral("|1 oz  Gin"),
        QStringLiteral("|1 oz  Campari"),
        QStringLiteral("|1 oz  Sweet Vermouth"),
        empty,
        empty,
        empty,
        empty,
        empty,
        empty,
        empty,
        blank,
        blank,
        QStringLiteral("|Directions:"),
        blank,
        QStringLiteral("|Stir over ice."),
        blank,
        QStringLiteral("end"),
    };
    QCOMPARE(rec.events, expected);
}

void TestPrinting::emptyNameAndEmptyIngredients()
{
    // A new recipe in which nothing was typed yet.
    Recorder rec;
    pv::layoutRecipe(RecipeText{}, monoWidth, 1000, rec);
    const QStringList lines = rec.lines();
    QCOMPARE(lines.size(), 22);
    QCOMPARE(lines.at(3), QStringLiteral("Drink's Name: "));
    for (int k = 0; k < 10; ++k)
        QCOMPARE(lines.at(6 + k), QStringLiteral("  "));
    // Empty directions are one empty line between the two blank ones.
    QCOMPARE(lines.mid(18),
             (QStringList{QStringLiteral("Directions:"), QStringLiteral(" "), QString(), QStringLiteral(" ")}));
}

void TestPrinting::wrap_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("lines");

    QTest::newRow("shorter than the limit") << QStringLiteral("Stir well.") << QStringList{"Stir well."};
    QTest::newRow("sentences break after the last space that fits")
        << QStringLiteral("Shake with ice. Strain into a chilled glass.")
        << QStringList{"Shake ", "with ice. ", "Strain ", "into a ", "chilled glass."};
    QTest::newRow("exactly the limit still fits")
        << QStringLiteral("aaaa bbbb cccc dd") << QStringList{"aaaa bbbb ", "cccc dd"};
    QTest::newRow("one more character does not")
        << QStringLiteral("aaaa bbbbb cccc dd") << QStringList{"aaaa ", "bbbbb ", "cccc dd"};
    QTest::newRow("last piece wider than the limit")
        << QStringLiteral("Stir gently-then-serve-at-once") << QStringList{"Stir gently-then-serve-at-once"};
    QTest::newRow("spaces before the next line are dropped")
        << QStringLiteral("aaaa bbbb     cc dd") << QStringList{"aaaa bbbb ", "cc dd"};
    QTest::newRow("unbreakable first word")
        << QStringLiteral("Muddle-muddle-muddle well now") << QStringList{"Muddle-muddle-muddle ", "well now"};
    QTest::newRow("unbreakable word inside") << QStringLiteral("Add superfinecastersugar and stir")
                                             << QStringList{"Add ", "superfinecastersugar ", "and stir"};
    QTest::newRow("empty") << QString() << QStringList{QString()};
    QTest::newRow("spaces only") << QStringLiteral("   ") << QStringList{"   "};
    QTest::newRow("more spaces than fit")
        << QString(15, QLatin1Char(' ')) << QStringList{QString(10, QLatin1Char(' '))};
    QTest::newRow("line breaks are not break points")
        << QStringLiteral("Ice.\nStir well") << QStringList{"Ice.\nStir well"};
    QTest::newRow("tabs are not break points")
        << QStringLiteral("Stir\twell and serve") << QStringList{"Stir\twell ", "and serve"};
}

void TestPrinting::wrap()
{
    QFETCH(QString, text);
    QFETCH(QStringList, lines);
    QCOMPARE(pv::wrapDirections(text, monoWidth, 1000), lines);
}

void TestPrinting::wrapAlwaysFinishes()
{
    // Random texts of words, runs of spaces, tabs, line breaks and words far
    // wider than the limit, against limits from nothing to everything.
    QRandomGenerator rng(20240611);
    const QStringList pieces = {"a", "bb", "ccc ", " ", "   ", "\t", "\n", "word ", QString(40, QLatin1Char('x'))};
    const double limits[] = {0, 50, 1000, 4155, 1e12};
    for (int round = 0; round < 300; ++round) {
        QString text;
        const int count = round == 0 ? 20000 : int(rng.bounded(60));
        for (int i = 0; i < count; ++i)
            text += pieces.at(int(rng.bounded(pieces.size())));
        const double limit = limits[rng.bounded(5)];
        const QStringList lines = pv::wrapDirections(text, monoWidth, limit);

        QVERIFY(!lines.isEmpty());
        QString joined = lines.join(QString());
        // Only the spaces that start a following line are dropped.
        QCOMPARE(joined.remove(QLatin1Char(' ')), QString(text).remove(QLatin1Char(' ')));
        for (int i = 0; i + 1 < lines.size(); ++i) {
            const QString &line = lines.at(i);
            QVERIFY2(line.endsWith(QLatin1Char(' ')), qPrintable(line));
            // Too wide only when it is one word with its space.
            if (monoWidth(line) > limit)
                QVERIFY2(!line.chopped(1).contains(QLatin1Char(' ')), qPrintable(line));
            QVERIFY(!lines.at(i + 1).startsWith(QLatin1Char(' ')));
        }
    }
}

void TestPrinting::wrapInWindowFont()
{
    // Measured in twips, in the screen font: each line fits the measuring
    // box, and the next word with its space would not have.
    const QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    const pv::TextWidth width = pv::screenTextWidth(font);
    QCOMPARE(width(QString()), 0.0);
    QCOMPARE(width(QStringLiteral("Stir ")), QFontMetricsF(font).horizontalAdvance(QStringLiteral("Stir ")) * 15);

    const QStringList lines = pv::wrapDirections(longDirections(), width, 4155);
    QVERIFY(lines.size() >= 3);
    for (int i = 0; i + 1 < lines.size(); ++i) {
        QVERIFY2(width(lines.at(i)) <= 4155, qPrintable(lines.at(i)));
        const QString nextWord = lines.at(i + 1).section(QLatin1Char(' '), 0, 0);
        QVERIFY2(width(lines.at(i) + nextWord + QLatin1Char(' ')) > 4155, qPrintable(lines.at(i)));
    }
}

void TestPrinting::pdfFileShowsTheLines()
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty(),
             "pdftotext is missing (scripts/install-deps installs poppler-utils)");
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("recipe.pdf"));

    // Directions long enough to need a second page at 16 points.
    RecipeText recipe = negroni();
    for (int i = 0; i < 6; ++i)
        recipe.directions += QLatin1Char(' ') + longDirections();
    const pv::TextWidth width = pv::screenTextWidth(QFont());

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    pv::PrinterLinePrinter out(printer);
    pv::layoutRecipe(recipe, width, 4155, out);
    QVERIFY(out.ok());

    Recorder rec;
    pv::layoutRecipe(recipe, width, 4155, rec);
    const QString text = pdfText(pdf);
    QVERIFY(!text.isEmpty());
    QVERIFY2(text.count(QLatin1Char('\f')) >= 2, "expected the directions to run onto a second page");
    QCOMPARE(visibleLines(text.split(QRegularExpression(QStringLiteral("[\n\f]")))), visibleLines(rec.lines()));

    // The title alone is bold.
    QProcess fonts;
    fonts.start(QStringLiteral("pdffonts"), {pdf});
    QVERIFY(fonts.waitForFinished(30000));
    const QString fontList = QString::fromUtf8(fonts.readAllStandardOutput());
    QVERIFY2(fontList.contains(QLatin1String("Bold")), qPrintable(fontList));
    QVERIFY2(fontList.count(QLatin1Char('\n')) >= 4, qPrintable(fontList)); // header, rule, two faces
}

void TestPrinting::boxesAreReadAsTheyStand()
{
    openMain();
    search(QStringLiteral("Negroni"));
    QCOMPARE(pv::pxToTwips(m_main->Picture1->width()), 4155.0);
    QCOMPARE(m_main->Picture1->font(), m_main->font());

    RecipeText read = pv::recipeFromWindow(m_main);
    QCOMPARE(read.name, QStringLiteral("Negroni"));
    QCOMPARE(read.quantities[2], QStringLiteral("1 oz"));
    QCOMPARE(read.ingredients[2], QStringLiteral("Sweet Vermouth"));
    QCOMPARE(read.quantities[3], QString());
    QCOMPARE(read.directions, QStringLiteral("Stir over ice."));

    // Typed, not saved: the boxes are read, not the catalogue.
    QTest::keyClicks(m_main->txtFields[19], QStringLiteral("1 strip"));
    QTest::keyClicks(m_main->txtFields[20], QStringLiteral("Orange Peel"));
    m_main->txtFields[21]->setFocus();
    QTest::keyClick(m_main->txtFields[21], Qt::Key_End, Qt::ControlModifier);
    QTest::keyClick(m_main->txtFields[21], Qt::Key_Return);
    QTest::keyClicks(m_main->txtFields[21], QStringLiteral("Garnish."));
    read = pv::recipeFromWindow(m_main);
    QCOMPARE(read.quantities[9], QStringLiteral("1 strip"));
    QCOMPARE(read.ingredients[9], QStringLiteral("Orange Peel"));
    QCOMPARE(read.directions, QStringLiteral("Stir over ice.\nGarnish."));
}

void TestPrinting::noDefaultPrinterIsExplained()
{
    // A default naming no installed printer is no default at all.
    const QByteArray oldPrinter = qgetenv("PRINTER");
    const QByteArray oldDest = qgetenv("LPDEST");
    qputenv("PRINTER", "pv-no-such-queue");
    qunsetenv("LPDEST");
    const auto restore = qScopeGuard([&] {
        oldPrinter.isNull() ? qunsetenv("PRINTER") : qputenv("PRINTER", oldPrinter);
        if (!oldDest.isNull())
            qputenv("LPDEST", oldDest);
    });
    QVERIFY(QPrinterInfo::defaultPrinter().isNull());

    openMain();
    pvtest::MsgRecorder msgs;
    m_main->mnuFilePrint->trigger();
    QCOMPARE(msgs.calls.size(), 1);
    QCOMPARE(msgs.calls.first().style, 0);
    const QString prompt = msgs.last();
    QVERIFY2(prompt.contains(QLatin1String("No printer has been chosen as the default")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QLatin1String("lpoptions -d NAME")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QPrinterInfo::availablePrinterNames().first()), qPrintable(prompt));

    // The window goes on as before.
    QTest::mouseClick(m_main->cmdNext, Qt::LeftButton);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Cuba Libre"));
}

void TestPrinting::menuPrintsToTheDefaultQueue()
{
    openMain();
    search(QStringLiteral("Negroni"));
    pvtest::MsgRecorder msgs;
    QString job;
    printThroughQueue([this] { m_main->mnuFilePrint->trigger(); }, &job);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(msgs.prompts(), QStringList());

    const QStringList printed = pdfLines(job);
    QCOMPARE(printed, expectedLines());
    checkPage(printed, pv::recipeFromWindow(m_main), pv::screenTextWidth(m_main->Picture1->font()));
    QCOMPARE(printed.mid(0, 6), (QStringList{"Pourvale", "Drink's Name: Negroni", "1 oz Gin", "1 oz Campari",
                                             "1 oz Sweet Vermouth", "Directions:"}));
}

void TestPrinting::unsavedEditsArePrinted()
{
    openMain();
    QTest::mouseClick(m_main->cmdAdd, Qt::LeftButton);
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("Zombie"));
    QTest::keyClicks(m_main->txtFields[1], QStringLiteral("1 1/2 oz"));
    QTest::keyClicks(m_main->txtFields[2], QStringLiteral("White Rum"));
    QTest::keyClicks(m_main->txtFields[3], QStringLiteral("1 oz"));
    QTest::keyClicks(m_main->txtFields[4], QStringLiteral("Dark Rum"));
    QTest::keyClicks(m_main->txtFields[21], longDirections());

    // Ctrl+P, as a person would.
    m_main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(m_main));
    pvtest::MsgRecorder msgs;
    QString job;
    printThroughQueue([this] { QTest::keyClick(m_main, Qt::Key_P, Qt::ControlModifier); }, &job);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(msgs.prompts(), QStringList());

    const QStringList printed = pdfLines(job);
    QCOMPARE(printed, expectedLines());
    checkPage(printed, pv::recipeFromWindow(m_main), pv::screenTextWidth(m_main->Picture1->font()));
    if (QTest::currentTestFailed())
        return;
    QVERIFY(printed.contains(QStringLiteral("Drink's Name: Zombie")));
    QVERIFY(printed.contains(QStringLiteral("1 1/2 oz White Rum")));
    QVERIFY2(printed.size() > 8, "the directions were expected on several lines");
    // Printing saved nothing.
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst WHERE DrinkName = 'Zombie'"),
             QStringList{"0"});
}

void TestPrinting::refusedJobIsReported()
{
    const QString queue = m_server.queue();
    QVERIFY(m_server.run(QStringLiteral("cupsreject"), {queue}));
    const auto accept = qScopeGuard([&] { m_server.run(QStringLiteral("cupsaccept"), {queue}); });

    openMain();
    pvtest::MsgRecorder msgs;
    m_main->mnuFilePrint->trigger();
    QCOMPARE(msgs.calls.size(), 1);
    const QString prompt = msgs.last();
    QVERIFY2(prompt.startsWith(QStringLiteral("The recipe could not be printed on \"%1\".").arg(queue)),
             qPrintable(prompt));
    QVERIFY2(prompt.contains(QLatin1String("accepting")), qPrintable(prompt));

    // The window goes on as before.
    QVERIFY(m_main->isVisible() && m_main->isEnabled());
    QTest::mouseClick(m_main->cmdNext, Qt::LeftButton);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Cuba Libre"));
}

int main(int argc, char **argv)
{
    pvtest::prepareEnvironment();
    pvtest::PrintServer server;
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestPrinting tc(server);
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_printing.moc"

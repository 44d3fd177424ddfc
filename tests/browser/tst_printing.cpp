#include "common/TestSupport.h"

#include "browser/RecipePrint.h"
#include "ui/Twips.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QStandardPaths>

using pv::PrintResult;
using pv::RecipeText;

namespace
{

// Keeps what the layout sends to the printer: font changes as "size:N" and
// "bold:0/1", lines as "|text", the end as "end".
class Recorder : public pv::LinePrinter
{
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

// A window shaped like the main window's recipe boxes and measuring box.
struct RecipeWindow {
    QWidget window;
    QList<QLineEdit *> lines;
    QPlainTextEdit *directions = nullptr;

    RecipeWindow()
    {
        for (int i = 0; i <= 20; ++i) {
            auto *e = new QLineEdit(&window);
            e->setObjectName(QStringLiteral("txtFields(%1)").arg(i));
            lines << e;
        }
        directions = new QPlainTextEdit(&window);
        directions->setObjectName(QStringLiteral("txtFields(21)"));
        auto *picture = new QWidget(&window);
        picture->setObjectName(QStringLiteral("Picture1"));
        picture->setGeometry(0, 0, pv::twipsToPx(4155), pv::twipsToPx(615));
        picture->hide();
    }
    void fill(const RecipeText &r)
    {
        lines[0]->setText(r.name);
        for (int k = 1; k <= 10; ++k) {
            lines[2 * k - 1]->setText(r.quantities[k - 1]);
            lines[2 * k]->setText(r.ingredients[k - 1]);
        }
        directions->setPlainText(r.directions);
    }
};

bool cupsPdfIsDefault()
{
    const QPrinterInfo target = QPrinterInfo::defaultPrinter();
    return !target.isNull() && target.makeAndModel().contains(QLatin1String("cups-pdf"), Qt::CaseInsensitive);
}

const char *const kNoQueue = "no default cups-pdf queue here (.ci/run creates one: lpadmin -p PDF -v cups-pdf:/ "
                             "-m <CUPS-PDF ppd> -E; lpoptions -d PDF)";

} // namespace

class TestPrinting : public QObject
{
    Q_OBJECT

private slots:
    void layoutPrintsEveryLineInOrder();
    void emptyNameAndEmptyIngredients();
    void wrap_data();
    void wrap();
    void wrapAlwaysFinishes();
    void wrapInWindowFont();
    void pdfFileShowsTheLines();
    void windowBoxesAreReadAsTheyStand();
    void noDefaultPrinterIsExplained();
    void cupsQueueReceivesTheJob();
    void refusedJobIsReported();
};

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
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
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

void TestPrinting::windowBoxesAreReadAsTheyStand()
{
    RecipeWindow w;
    RecipeText r = negroni();
    r.quantities[9] = QStringLiteral("1");
    r.ingredients[9] = QStringLiteral("Orange Peel");
    r.directions = QStringLiteral("Stir.\nStrain.");
    w.fill(r);
    const RecipeText read = pv::recipeFromWindow(&w.window);
    QCOMPARE(read.name, r.name);
    QCOMPARE(read.quantities, r.quantities);
    QCOMPARE(read.ingredients, r.ingredients);
    QCOMPARE(read.directions, r.directions);
}

void TestPrinting::noDefaultPrinterIsExplained()
{
    if (QPrinterInfo::availablePrinterNames().isEmpty())
        QSKIP("no printer installed here, so none can be left without a default");
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

    RecipeWindow w;
    w.fill(negroni());
    pvtest::MsgRecorder msgs;
    QCOMPARE(pv::printRecipeToDefaultPrinter(&w.window), PrintResult::NoDefault);
    QCOMPARE(msgs.calls.size(), 1);
    QCOMPARE(msgs.calls.first().style, 0);
    const QString prompt = msgs.last();
    QVERIFY2(prompt.contains(QLatin1String("No printer has been chosen as the default")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QLatin1String("lpoptions -d NAME")), qPrintable(prompt));
    QVERIFY2(prompt.contains(QPrinterInfo::availablePrinterNames().first()), qPrintable(prompt));
}

void TestPrinting::cupsQueueReceivesTheJob()
{
    if (!cupsPdfIsDefault())
        QSKIP(kNoQueue);
    QDir spool(QStringLiteral("/var/spool/cups"));
    if (!spool.isReadable())
        QSKIP("the CUPS spool /var/spool/cups cannot be read by this user");
    QProcess settings;
    settings.start(QStringLiteral("cupsctl"), QStringList());
    settings.waitForFinished(30000);
    if (!QString::fromUtf8(settings.readAllStandardOutput()).contains(QLatin1String("PreserveJobFiles=Yes")))
        QSKIP("CUPS keeps no job files here (cupsctl PreserveJobFiles=Yes)");

    const QStringList filter{QStringLiteral("d*-001")};
    const QStringList before = spool.entryList(filter, QDir::Files);

    RecipeWindow w;
    w.fill(negroni());
    w.directions->setPlainText(longDirections());
    pvtest::MsgRecorder msgs;
    QCOMPARE(pv::printRecipeToDefaultPrinter(&w.window), PrintResult::Printed);
    QCOMPARE(msgs.prompts(), QStringList());

    // The job's document is the one spool file that was not there before.
    const auto newJob = [&] {
        for (const QString &f : spool.entryList(filter, QDir::Files))
            if (!before.contains(f))
                return spool.filePath(f);
        return QString();
    };
    QTRY_VERIFY_WITH_TIMEOUT(!newJob().isEmpty(), 10000);
    const QString job = newJob();

    Recorder rec;
    pv::layoutRecipe(pv::recipeFromWindow(&w.window), pv::screenTextWidth(w.window.font()), 4155, rec);
    QTRY_COMPARE_WITH_TIMEOUT(visibleLines(pdfText(job).split(QRegularExpression(QStringLiteral("[\n\f]")))),
                              visibleLines(rec.lines()), 10000);
}

void TestPrinting::refusedJobIsReported()
{
    if (!cupsPdfIsDefault())
        QSKIP(kNoQueue);
    const QString queue = QPrinterInfo::defaultPrinterName();
    if (QProcess::execute(QStringLiteral("cupsreject"), {queue}) != 0)
        QSKIP("not allowed to make the queue refuse jobs (cupsreject)");
    const auto accept = qScopeGuard([&] { QProcess::execute(QStringLiteral("cupsaccept"), {queue}); });

    RecipeWindow w;
    w.fill(negroni());
    w.window.show();
    pvtest::MsgRecorder msgs;
    QCOMPARE(pv::printRecipeToDefaultPrinter(&w.window), PrintResult::Failed);
    QCOMPARE(msgs.calls.size(), 1);
    const QString prompt = msgs.last();
    QVERIFY2(prompt.startsWith(QStringLiteral("The recipe could not be printed on \"%1\".").arg(queue)),
             qPrintable(prompt));
    QVERIFY2(prompt.contains(QLatin1String("accepting")), qPrintable(prompt));
    QVERIFY(w.window.isVisible() && w.window.isEnabled());
}

PV_TEST_MAIN(TestPrinting)
#include "tst_printing.moc"

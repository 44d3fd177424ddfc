// --can-make and --plan as a script runs them: the program itself, its output
// and its exit codes.
#include "TestSupport.h"

#include "data/CatalogueBuilder.h"

#include <QProcess>

namespace {

struct Run {
    int code = -1;
    QStringList out;
    QString err;
};

} // namespace

class TestBarCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void canMake();
    void plan();
    void exitCodes_data();
    void exitCodes();

private:
    Run run(QStringList args, bool withCatalogue = true);
    QTemporaryDir m_dir;
    QString m_catalogue;
};

void TestBarCommands::initTestCase()
{
    pv::CatalogueSeed seed;
    seed.loadDirectory(QStringLiteral(PV_SOURCE_DIR "/content/catalogue"));
    m_catalogue = m_dir.filePath(QStringLiteral("pv.mdb"));
    seed.write(m_catalogue);
}

Run TestBarCommands::run(QStringList args, bool withCatalogue)
{
    if (withCatalogue)
        args << QStringLiteral("--catalogue") << m_catalogue;
    QProcess p;
    p.start(QStringLiteral(PV_APP_DIR "/pourvale"), args);
    Run r;
    if (!p.waitForFinished(30000))
        return r;
    r.code = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void TestBarCommands::canMake()
{
    // Names in any case and without accents, vocabulary names and recipe texts alike.
    const Run r = run({"--can-make", "--have", "london dry gin; CAMPARI; Sweet Vermouth ; cachaca; limes"});
    QCOMPARE(r.code, 0);
    QVERIFY(r.out.contains("Negroni"));
    QVERIFY(r.out.contains("Caipirinha"));
    QVERIFY(!r.out.contains("Martinez"));
    // In table order: the catalogue's order, which is by name.
    QVERIFY(r.out.indexOf("Caipirinha") < r.out.indexOf("Negroni"));
    QVERIFY(run({"--can-make", "--have", "Old Tom Gin; Sweet Vermouth; Maraschino Liqueur; Orange Bitters"})
                .out.contains("Martinez"));
    QVERIFY(!run({"--can-make", "--have", "Gin; Sweet Vermouth; Maraschino Liqueur; Orange Bitters"})
                 .out.contains("Martinez"));
    QVERIFY(run({"--can-make", "--substitutes", "--have", "Gin; Sweet Vermouth; Maraschino Liqueur; Orange Bitters"})
                .out.contains("Martinez"));
    // A garnish counted is needed; a rule of one's own counts.
    QVERIFY(!run({"--can-make", "--garnishes", "--have", "Gin; Campari; Sweet Vermouth"}).out.contains("Negroni"));
    QVERIFY(run({"--can-make", "--count-as", "Pastis=Absinthe", "--have",
                 "Rye; Pastis; Peychaud's Bitters; Angostura Bitters"})
                .out.contains("Sazerac"));
}

void TestBarCommands::plan()
{
    const Run r = run({"--plan", "3", "--have", "Gin; Sweet Vermouth; Lemons", "--exclude", "Campari"});
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out.size(), 4);
    QVERIFY(!r.out.contains("Campari"));
    QVERIFY(r.out.last().startsWith("total: "));
    QVERIFY2(r.out.last().endsWith(" drinks (optimal)"), qPrintable(r.out.last()));
    // The total is what --can-make says of the shelf with the bottles.
    const QStringList bottles = r.out.mid(0, 3);
    const Run made = run({"--can-make", "--have", "Gin; Sweet Vermouth; Lemons; " + bottles.join("; ")});
    QCOMPARE(r.out.last(), QStringLiteral("total: %1 drinks (optimal)").arg(made.out.size()));
    // A required drink is made.
    const Run must = run({"--plan", "2", "--have", "Gin", "--must", "gibson"});
    QCOMPARE(must.code, 0);
    QVERIFY(must.out.contains("Cocktail Onions"));
    // Unknown recipe texts of a catalogue are bottles of their own.
    QVERIFY(run({"--plan", "0"}).out == QStringList{"total: 0 drinks (optimal)"});
}

void TestBarCommands::exitCodes_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<bool>("withCatalogue");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");
    QTest::newRow("unknown ingredient names it") << QStringList{"--can-make", "--have", "Gin; Unicorn Tears"} << true
                                                 << 2 << "unknown ingredient 'Unicorn Tears'";
    QTest::newRow("unknown bottle to exclude")
        << QStringList{"--plan", "2", "--exclude", "Moon Dust"} << true << 2 << "unknown ingredient 'Moon Dust'";
    QTest::newRow("unknown drink to make")
        << QStringList{"--plan", "2", "--must", "Nothing Such"} << true << 2 << "unknown drink 'Nothing Such'";
    QTest::newRow("a plan needs a number") << QStringList{"--plan", "many"} << true << 2 << "--plan takes a number";
    QTest::newRow("two tasks at once") << QStringList{"--plan", "2", "--can-make"} << true << 2 << "give one of";
    QTest::newRow("exclude without a plan")
        << QStringList{"--can-make", "--exclude", "Gin"} << true << 2 << "belong to --plan";
    QTest::newRow("a shelf without a task") << QStringList{"--have", "Gin"} << true << 2 << "give one of";
    QTest::newRow("required drinks too many for the bottles")
        << QStringList{"--plan", "1", "--must", "Zombie; Gibson"} << true << 1 << "no 1 bottles make every drink";
    QTest::newRow("no catalogue there") << QStringList{"--can-make", "--catalogue", "/nonexistent/pv.mdb"} << false << 1
                                        << "there is no catalogue";
    QTest::newRow("an empty shelf is a shelf") << QStringList{"--can-make", "--have", ""} << true << 0 << "";
}

void TestBarCommands::exitCodes()
{
    QFETCH(QStringList, args);
    QFETCH(bool, withCatalogue);
    QFETCH(int, code);
    QFETCH(QString, says);
    const Run r = run(args, withCatalogue);
    QCOMPARE(r.code, code);
    QVERIFY2(r.err.contains(says), qPrintable(r.err));
}

PV_TEST_MAIN(TestBarCommands)
#include "tst_bar_commands.moc"

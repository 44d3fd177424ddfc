// The catalogue builder: the bundled seed passes, each broken rule is refused
// with its file and line, and a built catalogue is never overwritten.
#include "TestSupport.h"

#include "data/CatalogueBuilder.h"
#include "data/Catalogue.h"
#include "data/IngredientVocabulary.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

using pv::CatalogueSeed;

namespace {

const char *kGood = "name: Gimlet\nglass: Cocktail\ncategories: Gin\ning: 2 oz | Gin\ning: 3/4 oz | Lime Cordial\n"
                    "directions: Shake with ice and strain.\n";

QString bundledFile(const char *name)
{
    QFile f(QStringLiteral(PV_SOURCE_DIR "/content/catalogue/") + QLatin1String(name));
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QStringList problemsOf(const QString &drinks, bool fullCoverage = false)
{
    CatalogueSeed s;
    s.parseUnits(QStringLiteral("units.txt"), bundledFile("units.txt"));
    s.vocabularyFile = QStringLiteral("ingredients.txt");
    s.vocabularyText = bundledFile("ingredients.txt");
    s.parseDrinks(QStringLiteral("seed.txt"), drinks);
    pv::SeedCheckOptions o;
    o.requireEveryQueryFilled = fullCoverage;
    o.requireEveryTableFilled = fullCoverage;
    QStringList out;
    for (const pv::SeedProblem &p : s.check(o))
        out << p.toString();
    return out;
}

} // namespace

class TestCatalogueBuilder : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void bundledSeedPassesAndFillsEveryQuery();
    void eachBrokenRuleIsRefused_data();
    void eachBrokenRuleIsRefused();
    void categoryNeedsItsSpiritByTheVocabulary_data();
    void categoryNeedsItsSpiritByTheVocabulary();
    void collectionRules();
    void toolKeepsAnExistingCatalogue();
};

void TestCatalogueBuilder::bundledSeedPassesAndFillsEveryQuery()
{
    CatalogueSeed s;
    s.loadDirectory(QStringLiteral(PV_SOURCE_DIR "/content/catalogue"));
    const auto problems = s.check();
    for (const auto &p : problems)
        qWarning("%s", qPrintable(p.toString()));
    QVERIFY(problems.isEmpty());
    QVERIFY(s.drinks.size() >= 400);
    QTemporaryDir dir;
    const QString db = dir.path() + QStringLiteral("/pv.mdb");
    s.write(db);
    for (const pv::Category &c : pv::categories()) {
        const int n = pvtest::queryColumn(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(c.queryName))
                          .value(0)
                          .toInt();
        QVERIFY2(n >= 15, c.queryName);
    }
    for (const pv::CollectionTable &t : pv::collectionTables())
        QVERIFY2(pvtest::queryColumn(db, QStringLiteral("SELECT count(*) FROM \"%1\"").arg(t.table)).value(0).toInt() >= 5,
                 t.table);
    // A joke saved without a number gets the next one; a typed number stays.
    pvtest::execSql(db, "INSERT INTO joke (joke) VALUES ('unnumbered'); INSERT INTO joke (ID, joke) VALUES ('', 'blank');"
                        "INSERT INTO joke (ID, joke) VALUES (500, 'typed')");
    const int jokes = pvtest::queryColumn(db, "SELECT count(*) FROM joke").value(0).toInt();
    QCOMPARE(pvtest::queryColumn(db, "SELECT ID FROM joke WHERE joke IN ('unnumbered', 'blank', 'typed') ORDER BY rowid"),
             (QStringList{QString::number(jokes - 2), QString::number(jokes - 1), "500"}));
    // Columns exactly as the windows bind them, Catagory2 spelled so.
    QCOMPARE(pvtest::queryColumn(db, "SELECT name FROM pragma_table_info('drinklst')"), pv::drinkColumns());
    QCOMPARE(pvtest::queryColumn(db, "SELECT DrinkName FROM drinklst LIMIT 1"),
             pvtest::queryColumn(db, "SELECT DrinkName FROM drinklst ORDER BY DrinkName COLLATE NOCASE LIMIT 1"));
}

void TestCatalogueBuilder::eachBrokenRuleIsRefused_data()
{
    QTest::addColumn<QString>("seed");
    QTest::addColumn<QString>("expected");
    const QString good = QString::fromUtf8(kGood);
    QTest::newRow("empty name") << QStringLiteral("name: \nglass: Cocktail\ncategories: Gin\ning: 1 oz | Gin\n"
                                                  "directions: Stir.\n")
                                << "seed.txt:1: a drink has no name";
    QTest::newRow("duplicate in other case") << good + "\n" + good.toUpper().replace("NAME:", "name:")
                                                       .replace("GLASS: COCKTAIL", "glass: Cocktail")
                                                       .replace("CATEGORIES: GIN", "categories: Gin")
                                                       .replace("ING:", "ing:")
                                                       .replace("DIRECTIONS:", "directions:")
                                             << "seed.txt:8: 'GIMLET' is already named at seed.txt:1";
    QString eleven = QStringLiteral("name: Long\nglass: Collins\ncategories: Gin\n");
    for (int i = 0; i < 11; ++i)
        eleven += QStringLiteral("ing: 1 oz | Gin %1\n").arg(i);
    QTest::newRow("eleven ingredients") << eleven + "directions: Build.\n"
                                        << "seed.txt:1: 'Long' has 11 ingredients; at most ten fit";
    QTest::newRow("unknown glass") << QString(good).replace("Cocktail", "Martini Glass")
                                   << "seed.txt:1: 'Gimlet': 'Martini Glass' is not one of the twenty glasses";
    QTest::newRow("glass in other case") << QString(good).replace("Cocktail", "cocktail")
                                         << "seed.txt:1: 'Gimlet': 'cocktail' is not one of the twenty glasses";
    QTest::newRow("unknown category") << QString(good).replace("categories: Gin", "categories: Gin, Sours")
                                      << "seed.txt:1: 'Gimlet': 'Sours' is not one of the sixteen categories";
    QTest::newRow("spirit category without the spirit")
        << QString(good).replace("categories: Gin", "categories: Gin, Vodka")
        << "seed.txt:1: 'Gimlet' is in Vodka but no ingredient is Vodka or Citron Vodka or Vanilla Vodka, or a kind "
           "of it, by the ingredient vocabulary";
    QTest::newRow("non-alcoholic with alcohol")
        << QString(good).replace("categories: Gin", "categories: Non-Alcoholic")
        << "seed.txt:1: 'Gimlet' is Non-Alcoholic but 'Gin' contains alcohol";
    QTest::newRow("quantity missing") << QString(good).replace("ing: 2 oz | Gin", "ing:  | Gin")
                                      << "seed.txt:1: 'Gimlet': 'Gin' has no quantity";
    QTest::newRow("unit not in the list") << QString(good).replace("ing: 2 oz | Gin", "ing: 2 glugs | Gin")
                                          << "seed.txt:4: 'Gimlet': '2 glugs' is not a number with a unit from units.txt";
    QTest::newRow("unit without a number") << QString(good).replace("ing: 2 oz | Gin", "ing: oz | Gin")
                                           << "seed.txt:4: 'Gimlet': 'oz' is not a number with a unit from units.txt";
    QTest::newRow("absurd amount") << QString(good).replace("ing: 2 oz | Gin", "ing: 999 oz | Gin")
                                   << "seed.txt:4: 'Gimlet': '999 oz' is more than five litres";
    QTest::newRow("a spelling the list does not use") << QString(good).replace("ing: 2 oz | Gin", "ing: 2 fl oz | Gin")
                                                      << "seed.txt:4: 'Gimlet': '2 fl oz' is not a number with a unit from units.txt";
    QTest::newRow("directions missing") << QString(good).replace("directions: Shake with ice and strain.\n", "")
                                        << "seed.txt:1: 'Gimlet' has no directions";
    QTest::newRow("no category") << QString(good).replace("categories: Gin\n", "")
                                 << "seed.txt:1: 'Gimlet' needs one to three categories";
    QTest::newRow("unknown key") << good + "garnish: lime\n" << "seed.txt:7: unknown key 'garnish'";
    QTest::newRow("stray continuation") << "| lonely\n\n" + good << "seed.txt:1: a continuation line belongs to no field";
    QTest::newRow("not key value") << good + "just words\n" << "seed.txt:7: expected 'key: value'";
}

void TestCatalogueBuilder::eachBrokenRuleIsRefused()
{
    QFETCH(QString, seed);
    QFETCH(QString, expected);
    QVERIFY(problemsOf(QString::fromUtf8(kGood)).isEmpty());
    const QStringList problems = problemsOf(seed);
    QVERIFY2(problems.contains(expected), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestCatalogueBuilder::categoryNeedsItsSpiritByTheVocabulary_data()
{
    QTest::addColumn<QString>("category");
    QTest::addColumn<QString>("ingredient");
    QTest::addColumn<bool>("allowed");
    const struct {
        const char *category;
        const char *ingredient;
        bool allowed;
    } rows[] = {
        {"Gin", "Gin", true},
        {"Gin", "old tom GIN", true}, // texts are folded
        {"Gin", "Sloe Gin", false},   // a liqueur
        {"Gin", "Ginger Beer", false},
        {"Gin", "Bathtub Gin", false}, // unknown to the vocabulary
        {"Brandy", "Calvados", true},  // a kind of a kind of brandy
        {"Brandy", "Apricot Brandy", false},
        {"Rum", "Cachaça", true},
        {"Rum", "Coconut Rum", false},
        {"Tequila", "Mezcal", true},
        {"Bourbon", "Bacon-Washed Bourbon", true},
        {"Bourbon", "Rye Whiskey", false},
        {"Bourbon", "Bourbon or Rye Whiskey", true}, // the recipe line, not the bottles under it
        {"Scotch", "Irish Whiskey", false},
        {"Whiskey", "Islay Single Malt Scotch Whisky", true},
        {"Whiskey", "Southern Comfort", false},
        {"Beer", "Dry Hard Cider", true},
        {"Beer", "Fresh Apple Cider", false}, // apple juice
        {"Beer", "Ginger Beer", false},
        {"Wine", "Dry Vermouth", true},
        {"Wine", "Green Ginger Wine", true},
        {"Cordials", "Sloe Gin", true}, // no rule
    };
    for (const auto &r : rows)
        QTest::addRow("%s with %s", r.category, r.ingredient)
            << QString::fromUtf8(r.category) << QString::fromUtf8(r.ingredient) << r.allowed;
}

void TestCatalogueBuilder::categoryNeedsItsSpiritByTheVocabulary()
{
    QFETCH(QString, category);
    QFETCH(QString, ingredient);
    QFETCH(bool, allowed);
    static const pv::IngredientVocabulary v = pv::IngredientVocabulary::parse(bundledFile("ingredients.txt"));
    // Next to a lemon, so that the one ingredient decides.
    const QList<QPair<QString, QString>> ings = {{"1 oz", ingredient}, {"1/2 oz", "Fresh Lemon Juice"}};
    const QString why = CatalogueSeed::categoryRuleViolation(category, ings, &v);
    QVERIFY2(why.isEmpty() == allowed, qPrintable(why));
}

void TestCatalogueBuilder::collectionRules()
{
    // Soft drinks do not count as beer, and are fine without alcohol.
    QVERIFY(problemsOf("name: Cinder\nglass: Highball\ncategories: Non-Alcoholic\ning: 4 oz | Ginger Ale\n"
                       "ing: 2 oz | Root Beer\ndirections: Build.\n")
                .isEmpty());
    QVERIFY(!problemsOf("name: Mule\nglass: Highball\ncategories: Beer\ning: 4 oz | Ginger Beer\ndirections: Build.\n")
                 .isEmpty());
    // Every stored query and every table must have rows in the bundled catalogue.
    const QStringList all = problemsOf(QString::fromUtf8(kGood), true);
    QVERIFY(all.contains("drinks:0: no drink is in the category Beer; its stored query would be empty"));
    QVERIFY(all.contains("joke.txt:0: the table joke has no rows"));

    CatalogueSeed s;
    s.parseCollection(QStringLiteral("Toasting"), QStringLiteral("Toasting.txt"),
                      QStringLiteral("Cat: %1\nToasts: Cheers!\n\nCat: Birthday\nToasts: \n| Many happy\n| returns\n\n"
                                     "Cat: \nToasts: x\n\nID: 4\nToasts: y\n")
                          .arg(QString(51, QLatin1Char('c'))));
    QStringList got;
    for (const auto &p : s.check(pv::SeedCheckOptions{false, false, true}))
        got << p.toString();
    QVERIFY(got.contains("Toasting.txt:1: 'Cat' is longer than 50 characters"));
    QVERIFY(got.contains("Toasting.txt:9: 'Cat' is empty"));
    QVERIFY(got.contains("Toasting.txt:12: unknown key 'ID'"));
    QVERIFY(!got.join(QLatin1Char('\n')).contains(QLatin1String(":4:"))); // continued text is not empty
    QCOMPARE(s.collections.value(QStringLiteral("Toasting")).at(1).values.value(QStringLiteral("Toasts")),
             QStringLiteral("\nMany happy\nreturns"));
}

void TestCatalogueBuilder::toolKeepsAnExistingCatalogue()
{
    QTemporaryDir dir;
    const QString out = dir.path() + QStringLiteral("/pv.mdb");
    QProcess tool;
    tool.start(QStringLiteral(PV_MKCATALOGUE),
               {QStringLiteral("--if-missing"), QStringLiteral(PV_SOURCE_DIR "/content/catalogue"), out});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    pvtest::execSql(out, "UPDATE drinklst SET Glass = 'Edited by the user'");
    tool.start(QStringLiteral(PV_MKCATALOGUE),
               {QStringLiteral("--if-missing"), QStringLiteral(PV_SOURCE_DIR "/content/catalogue"), out});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 0);
    QCOMPARE(pvtest::queryColumn(out, "SELECT DISTINCT Glass FROM drinklst"), QStringList{"Edited by the user"});

    // A broken seed fails with file and line, and writes nothing.
    QTemporaryDir seedDir;
    QDir().mkpath(seedDir.path() + QStringLiteral("/drinks"));
    QFile f(seedDir.path() + QStringLiteral("/drinks/bad.txt"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("name: Oops\nglass: Jar\ncategories: Gin\ning: 1 oz | Gin\ndirections: Pour.\n");
    f.close();
    const QString other = dir.path() + QStringLiteral("/other.mdb");
    tool.start(QStringLiteral(PV_MKCATALOGUE), {seedDir.path(), other});
    QVERIFY(tool.waitForFinished(60000));
    QCOMPARE(tool.exitCode(), 1);
    QVERIFY(QString::fromUtf8(tool.readAllStandardError()).contains(QStringLiteral("bad.txt:1: 'Oops': 'Jar'")));
    QVERIFY(!QFile::exists(other));
}

PV_TEST_MAIN(TestCatalogueBuilder)
#include "tst_catalogue_builder.moc"

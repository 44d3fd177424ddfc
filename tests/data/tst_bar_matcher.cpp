// Matching a shelf against recipes: the rules as a bartender states them, on
// the bundled vocabulary and recipes; the lists checked against adding each
// bottle in turn; the vocabulary's own checks.
#include "TestSupport.h"

#include "data/BarMatcher.h"
#include "data/CatalogueBuilder.h"

#include <QFile>

#include <random>

namespace {

const QString kSeed = QStringLiteral(PV_SOURCE_DIR "/content/catalogue");

pv::IngredientVocabulary bundled()
{
    QFile f(kSeed + QStringLiteral("/ingredients.txt"));
    (void)f.open(QIODevice::ReadOnly);
    return pv::IngredientVocabulary::parse(QString::fromUtf8(f.readAll()));
}

QStringList names(const pv::BarIndex &ix, const std::vector<int> &drinks)
{
    QStringList out;
    for (int d : drinks)
        out << ix.drinkName(d);
    return out;
}

const char kHomeBar[] = "Gin; Bourbon; Vodka; White Rum; Blanco Tequila; Sweet Vermouth; Dry Vermouth; Campari; "
                        "Triple Sec; Lemons; Limes; Angostura Bitters; Soda Water";

} // namespace

class TestBarMatcher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void rules_data();
    void rules();
    void buyNextIsWhatEachBottleAdds();
    void vocabularyProblems();
    void seedTextsMustBePlaced();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<pv::BarIndex> m_index;
};

void TestBarMatcher::initTestCase()
{
    pv::CatalogueSeed seed;
    seed.loadDirectory(kSeed);
    const QString path = m_dir.filePath(QStringLiteral("pv.mdb"));
    seed.write(path);
    m_index = std::make_unique<pv::BarIndex>(bundled());
    m_index->loadCatalogue(path);
    QVERIFY(m_index->drinkCount() > 500);
}

void TestBarMatcher::rules_data()
{
    QTest::addColumn<QString>("have");
    QTest::addColumn<QString>("options"); // s: substitutes, g: garnishes, X=Y: a rule of the user's
    QTest::addColumn<QString>("drink");
    QTest::addColumn<bool>("makes");
    const QString home = QString::fromLatin1(kHomeBar);
    auto row = [](const char *reason, const QString &have, const char *options, const char *drink, bool makes) {
        QTest::newRow(reason) << have << QString::fromLatin1(options) << QString::fromUtf8(drink) << makes;
    };
    // A plain bottle makes what any bottle of the spirit makes.
    row("any gin makes a Negroni; the orange slice only dresses it", home, "", "Negroni", true);
    row("bourbon makes a Manhattan as well as rye does", home, "", "Manhattan", true);
    row("an Old Fashioned takes bourbon or rye", home, "", "Old Fashioned", true);
    row("white rum, limes and sugar are a Daiquiri", home, "", "Daiquiri", true);
    row("salt is a staple; a Cointreau line takes any triple sec", home, "", "Margarita", true);
    row("any tequila makes a Margarita", "Reposado Tequila; Triple Sec; Limes", "", "Margarita", true);
    row("any grape brandy makes a Sidecar", "Brandy; Triple Sec; Lemons", "", "Sidecar", true);
    row("a Martini's twist is a garnish", "Plymouth Gin; Dry Vermouth; Orange Bitters", "", "Martini", true);
    row("a Gibson is a Martini with its onion", home, "", "Gibson", false);
    row("with the onions it is a Gibson", "Gin; Dry Vermouth; Cocktail Onions", "", "Gibson", true);
    // A style that makes the drink.
    row("a Martinez wants Old Tom", "Gin; Sweet Vermouth; Maraschino Liqueur; Orange Bitters", "", "Martinez", false);
    row("London dry stands in for Old Tom", "Gin; Sweet Vermouth; Maraschino Liqueur; Orange Bitters", "s", "Martinez",
        true);
    row("a Sazerac is rye", "Bourbon; Absinthe; Peychaud's Bitters; Angostura Bitters", "", "Sazerac", false);
    row("bourbon stands in for rye", "Bourbon; Absinthe; Peychaud's Bitters; Angostura Bitters", "s", "Sazerac", true);
    row("a Mint Julep takes rye as a substitute", "Rye Whiskey; Mint", "s", "Mint Julep", true);
    // Flavoured, overproof, cask strength and washed bottles are their own.
    row("citron vodka is no plain vodka", "Citron Vodka; Limes; Ginger Beer", "", "Moscow Mule", false);
    row("nor as a substitute", "Vanilla Vodka; Limes; Ginger Beer", "s", "Moscow Mule", false);
    row("citron vodka makes the Cosmopolitan that names it", "Citron Vodka; Cointreau; Limes; Cranberry Juice", "",
        "Cosmopolitan", true);
    row("overproof rum makes no Daiquiri", "Overproof White Rum; Limes", "s", "Daiquiri", false);
    row("cask-strength scotch makes no Rob Roy", "Cask Strength Scotch Whisky; Sweet Vermouth; Angostura Bitters", "s",
        "Rob Roy", false);
    row("bacon-washed bourbon makes no Old Fashioned", "Bacon-Washed Bourbon; Angostura Bitters", "s", "Old Fashioned",
        false);
    // Families.
    row("kirsch is no brandy", "Kirsch; Triple Sec; Lemons", "s", "Sidecar", false);
    row("grappa is no brandy", "Grappa; Triple Sec; Lemons", "s", "Sidecar", false);
    row("brandy makes no Pisco Sour", "Brandy; Limes; Egg; Angostura Bitters", "s", "Pisco Sour", false);
    row("scotch makes a Rob Roy, not a Manhattan", "Scotch Whisky; Sweet Vermouth; Angostura Bitters", "s", "Manhattan",
        false);
    row("bourbon makes a Manhattan, not a Rob Roy", "Bourbon; Sweet Vermouth; Angostura Bitters", "s", "Rob Roy",
        false);
    row("no Islay malt Mint Julep", "Islay Single Malt Scotch Whisky; Mint", "s", "Mint Julep", false);
    row("light gold rum stands in for white", "Gold Rum; Limes", "s", "Daiquiri", true);
    row("blackstrap rum does not", "Blackstrap Rum; Limes", "s", "Daiquiri", false);
    row("spiced rum makes no Cuba Libre", "Spiced Rum; Limes; Cola", "s", "Cuba Libre", false);
    row("lager is no stout", "Lager Beer; Champagne", "s", "Black Velvet", false);
    row("porter stands in for stout", "Porter; Sparkling Wine", "s", "Black Velvet", true);
    row("cream sherry is no fino", "Cream Sherry; Sweet Vermouth; Orange Bitters", "s", "Adonis", false);
    row("white port is no ruby", "White Port; Brandy; Egg", "s", "Porto Flip", false);
    row("each amaro is its own", "Gin; Sweet Vermouth; Averna", "s", "Hanky Panky", false);
    row("pastis rinses a Sazerac as absinthe does", "Rye Whiskey; Pastis; Peychaud's Bitters; Angostura Bitters", "s",
        "Sazerac", true);
    row("sambuca does not", "Rye Whiskey; Sambuca; Peychaud's Bitters; Angostura Bitters", "s", "Sazerac", false);
    row("without substitutes pastis is not absinthe", "Rye Whiskey; Pastis; Peychaud's Bitters; Angostura Bitters", "",
        "Sazerac", false);
    row("unless the user counts it so", "Rye Whiskey; Pastis; Peychaud's Bitters; Angostura Bitters", "Pastis=Absinthe",
        "Sazerac", true);
    row("genever is no London dry", "Genever; Sweet Vermouth; Campari", "s", "Negroni", false);
    row("blackberries are no strawberries", "White Rum; Blackberry; Limes", "s", "Strawberry Daiquiri", false);
    row("triple sec is no blue curaçao", "Vodka; Triple Sec; Lemon-Lime Soda", "s", "Blue Lagoon", false);
    row("a British lemonade is lemon-lime soda", "Lager Beer; Lemon-Lime Soda", "", "Shandy", true);
    row("ginger ale stands in for ginger beer", "Dark Rum; Ginger Ale", "s", "Dark 'n' Stormy", true);
    row("but is not ginger beer", "Dark Rum; Ginger Ale", "", "Dark 'n' Stormy", false);
    // Garnishes and fruit.
    row("a honeydew slice only dresses a Japanese Slipper", "Melon Liqueur; Triple Sec; Lemons", "", "Japanese Slipper",
        true);
    row("a pineapple wedge only dresses a Piña Colada", "White Rum; Cream of Coconut; Pineapple Juice", "",
        "Piña Colada", true);
    row("grapefruits give their juice", "Vodka; Grapefruits", "", "Greyhound", true);
    row("oranges give theirs", "Vodka; Oranges", "", "Screwdriver", true);
    row("olives give their brine", "Vodka; Dry Vermouth; Green Olives", "", "Dirty Martini", true);
    row("the spiral makes a Horse's Neck", "Cognac; Ginger Ale; Angostura Bitters", "", "Horse's Neck", false);
    row("lemons give the spiral", "Cognac; Ginger Ale; Angostura Bitters; Lemons", "", "Horse's Neck", true);
    row("counted garnishes are needed", "Gin; Sweet Vermouth; Campari", "g", "Negroni", false);
    row("house-made Don's Mix from what it is made of",
        "Dark Jamaican Rum; Gold Rum; Overproof Demerara Rum; Limes; Falernum; Grapefruit Juice; Cinnamon Syrup; "
        "Grenadine; "
        "Angostura Bitters; Absinthe",
        "", "Zombie", true);
    row("unknown names on a shelf are left aside", "Unicorn Tears; ; GIN ;sweet vermouth;CAMPARI", "", "Negroni", true);
}

void TestBarMatcher::rules()
{
    QFETCH(QString, have);
    QFETCH(QString, options);
    QFETCH(QString, drink);
    QFETCH(bool, makes);
    const pv::BarIndex &ix = *m_index;
    pv::BarShelf shelf;
    for (const QString &n : have.split(QLatin1Char(';')))
        shelf.have << n.trimmed();
    for (const QString &o : options.split(QLatin1Char(' '), Qt::SkipEmptyParts))
        if (o == QLatin1String("s"))
            shelf.options.substitutes = true;
        else if (o == QLatin1String("g"))
            shelf.options.garnishes = true;
        else
            shelf.countAs << o;
    const QStringList made = names(ix, ix.compute(shelf.haveVector(ix), shelf.optionsFor(ix)).canMake);
    QCOMPARE(made.contains(drink), makes);
}

void TestBarMatcher::buyNextIsWhatEachBottleAdds()
{
    // Buy next against adding each bottle in turn, on random shelves: the
    // drinks each bottle adds, and never a bottle whose plainer kind adds as many.
    const pv::BarIndex &ix = *m_index;
    const int n = ix.ingredientCount();
    std::mt19937 rng(27);
    for (int round = 0; round < 12; ++round) {
        std::vector<char> have(n);
        for (int i = 0; i < n; ++i)
            have[i] = ix.ingredientKind(i) == pv::IngredientKind::Pantry || rng() % 5 == 0;
        pv::BarOptions o;
        o.substitutes = round % 2;
        o.garnishes = round % 3 == 0;
        const pv::BarLists lists = ix.compute(have, o);
        std::vector<int> gain(n, 0);
        for (int b = 0; b < n; ++b) {
            if (have[b] || ix.isHouseMade(b))
                continue;
            std::vector<char> plus = have;
            plus[b] = 1;
            const std::vector<int> after = ix.compute(plus, o).canMake;
            std::vector<int> adds;
            std::set_difference(after.begin(), after.end(), lists.canMake.begin(), lists.canMake.end(),
                                std::back_inserter(adds));
            QVERIFY2(ix.unlockedBy(lists, b) == adds,
                     qPrintable(ix.ingredientName(b) + ": " + names(ix, ix.unlockedBy(lists, b)).join(",") + " / " +
                                names(ix, adds).join(",")));
            gain[b] = int(adds.size());
        }
        QVERIFY(!lists.buyNext.empty());
        for (const auto &buy : lists.buyNext) {
            QCOMPARE(buy.drinks, gain[buy.ingredient]);
            for (int a : ix.serves(buy.ingredient))
                QVERIFY2(a == buy.ingredient || have[a] || gain[a] < buy.drinks,
                         qPrintable(ix.ingredientName(buy.ingredient) + " over " + ix.ingredientName(a)));
        }
    }
}

void TestBarMatcher::vocabularyProblems()
{
    QList<pv::VocabularyProblem> problems;
    const auto v = pv::IngredientVocabulary::parse(QStringLiteral("Orphan\n"           // 1
                                                                  "[potions]\n"        // 2
                                                                  "[spirit]\n"         // 3
                                                                  "Gin: Genever\n"     // 4
                                                                  "GIN\n"              // 5
                                                                  "Jenever: genever\n" // 6
                                                                  "Sloe < Plum\n"      // 7
                                                                  "A < B\n"            // 8
                                                                  "B < A\n"            // 9
                                                                  "~ Gin; Moon\n"      // 10
                                                                  "Mix = Gin + Dust\n" // 11
                                                                  "Rye < A (any)\n"    // 12
                                                                  "[needed]\n"         // 13
                                                                  "Gibson: Onion\n"),  // 14
                                                   &problems);
    QStringList got;
    for (const auto &p : problems)
        got << QStringLiteral("%1: %2").arg(p.line).arg(p.message);
    QCOMPARE(got, (QStringList{"1: an ingredient before its [kind]", "2: 'potions' is not a kind of ingredient",
                               "5: 'GIN' is already named at line 4", "6: 'genever' already means 'Gin'",
                               "7: the parent 'Plum' is not in the vocabulary", "9: 'B' would be a kind of itself",
                               "11: 'Dust', which it is made of, is not in the vocabulary",
                               "10: the substitute 'Moon' is not in the vocabulary",
                               "14: the garnish 'Onion' is not in the vocabulary"}));
    QCOMPARE(v.find(QStringLiteral(" genever ")), 0);
    QCOMPARE(v.at(v.find("A")).parent, v.find("B"));
    QCOMPARE(v.at(v.find("Mix")).madeFrom, QList<int>{v.find("Gin")});
    QVERIFY(v.at(v.find("Rye")).anyOfParent);
    QVERIFY(v.substituteGroups().isEmpty()); // a group of one stands in for nothing
}

void TestBarMatcher::seedTextsMustBePlaced()
{
    pv::CatalogueSeed seed;
    seed.parseDrinks(QStringLiteral("d.txt"), QStringLiteral("name: X\nglass: Cocktail\ncategories: Gin\n"
                                                             "ing: 1 oz | gin\ning: 1 oz | Moon Dust\n"
                                                             "directions: Stir.\n"));
    seed.vocabularyFile = QStringLiteral("ingredients.txt");
    seed.vocabularyText = QStringLiteral("[spirit]\nGin\n");
    QStringList got;
    for (const auto &p : seed.check(pv::SeedCheckOptions{false, false, true}))
        got << p.toString();
    QCOMPARE(got, QStringList{"d.txt:5: 'Moon Dust' is not placed in the ingredient vocabulary ingredients.txt"});
}

PV_TEST_MAIN(TestBarMatcher)
#include "tst_bar_matcher.moc"

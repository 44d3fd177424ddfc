// Matching a shelf against recipes: the rules by example, then every list
// checked against a brute-force reading of the rules on random shelves.
#include "TestSupport.h"

#include "data/CatalogueBuilder.h"
#include "data/BarMatcher.h"

#include <random>

namespace {

const char kVocabulary[] = "[spirit]\n"
                           "Gin\n"
                           "London Dry Gin < Gin\n"
                           "Old Tom Gin < Gin\n"
                           "Rum\n"
                           "White Rum < Rum\n"
                           "[wine]\n"
                           "Sweet Vermouth\n"
                           "[fruit]\n"
                           "Lime: Fresh Lime Juice\n"
                           "[garnish]\n"
                           "Lemon Peel\n"
                           "[pantry]\n"
                           "Sugar: Simple Syrup\n";

pv::BarIndex makeIndex()
{
    pv::BarIndex ix(pv::IngredientVocabulary::parse(QString::fromUtf8(kVocabulary)));
    ix.addDrink(10, "Gimlet", {"gin", "  FRESH   lime juice ", "Simple Syrup"});
    ix.addDrink(11, "Martinez", {"Old Tom Gin", "Sweet Vermouth", "Lemon Peel"});
    ix.addDrink(12, "Daiquiri", {"White Rum", "Fresh Lime Juice", "Simple Syrup"});
    ix.addDrink(13, "Rum Sour", {"Rum", "Fresh Lime Juice"});
    ix.addDrink(14, "Dry Martini", {"London Dry Gin", "Lemon Peel"});
    ix.addDrink(15, "Swizzle", {"Rum", QString::fromUtf8("Piña Syrup")});
    ix.addDrink(16, "Two Bottles", {"London Dry Gin", "White Rum", ""});
    return ix;
}

QStringList names(const pv::BarIndex &ix, const std::vector<int> &drinks)
{
    QStringList out;
    for (int d : drinks)
        out << ix.drinkName(d);
    return out;
}

// The rules as the vocabulary states them, walking parents one by one.
bool isKindOf(const pv::BarIndex &ix, int node, int of)
{
    for (int a = node; a >= 0; a = ix.ingredientParent(a))
        if (a == of)
            return true;
    return false;
}

bool wantSatisfied(const pv::BarIndex &ix, int want, const std::vector<char> &have, const pv::BarOptions &o)
{
    if (!o.garnishes && ix.ingredientKind(want) == pv::IngredientKind::Garnish)
        return true;
    const int parent = ix.ingredientParent(want);
    for (int h = 0; h < ix.ingredientCount(); ++h)
        if (have[h] && (isKindOf(ix, h, want) || (o.substitutes && parent >= 0 && isKindOf(ix, h, parent))))
            return true;
    return false;
}

int missingCount(const pv::BarIndex &ix, int d, const std::vector<char> &have, const pv::BarOptions &o)
{
    int missing = 0;
    for (int want : ix.drinkIngredients(d))
        missing += !wantSatisfied(ix, want, have, o);
    return missing;
}

} // namespace

class TestBarMatcher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void rules_data();
    void rules();
    void listsAgreeWithTheRules();
    void vocabularyProblems();
    void seedTextsMustBePlaced();
};

void TestBarMatcher::rules_data()
{
    QTest::addColumn<QStringList>("have");
    QTest::addColumn<QStringList>("without");
    QTest::addColumn<bool>("substitutes");
    QTest::addColumn<bool>("garnishes");
    QTest::addColumn<QStringList>("canMake");

    QTest::newRow("specific satisfies general; garnish optional; sugar at hand")
        << QStringList{"London Dry Gin", "Lime"} << QStringList{} << false << false
        << QStringList{"Gimlet", "Dry Martini"};
    QTest::newRow("general does not satisfy specific")
        << QStringList{"Gin", "Lime"} << QStringList{} << false << false << QStringList{"Gimlet"};
    QTest::newRow("substitutes: parent stands in")
        << QStringList{"Gin", "lime"} << QStringList{} << true << false << QStringList{"Gimlet", "Dry Martini"};
    QTest::newRow("substitutes: sibling stands in") << QStringList{"Old Tom Gin", "Sweet Vermouth"} << QStringList{}
                                                    << true << false << QStringList{"Martinez", "Dry Martini"};
    QTest::newRow("garnishes counted") << QStringList{"London Dry Gin"} << QStringList{} << false << true
                                       << QStringList{};
    QTest::newRow("garnishes counted and had")
        << QStringList{"London Dry Gin", "Lemon Peel"} << QStringList{} << false << true << QStringList{"Dry Martini"};
    QTest::newRow("unknown typed text, folded")
        << QStringList{"  pina SYRUP", "White Rum"} << QStringList{} << false << false << QStringList{"Swizzle"};
    QTest::newRow("staple unticked") << QStringList{"White Rum", "Lime"} << QStringList{"sugar"} << false << false
                                     << QStringList{"Rum Sour"};
    QTest::newRow("shelf names nothing known")
        << QStringList{"Unicorn Tears", "", "Gin"} << QStringList{"Gin"} << false << false << QStringList{};
}

void TestBarMatcher::rules()
{
    QFETCH(QStringList, have);
    QFETCH(QStringList, without);
    QFETCH(bool, substitutes);
    QFETCH(bool, garnishes);
    QFETCH(QStringList, canMake);
    const pv::BarIndex ix = makeIndex();
    pv::BarShelf shelf{have, without, {substitutes, garnishes}};
    const pv::BarLists lists = ix.compute(shelf.haveVector(ix), shelf.options);
    QCOMPARE(names(ix, lists.canMake), canMake);
}

void TestBarMatcher::listsAgreeWithTheRules()
{
    const pv::BarIndex ix = makeIndex();
    const int n = ix.ingredientCount();
    QCOMPARE(n, 10); // nine in the vocabulary, one typed text
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        std::vector<char> have(n);
        for (auto &h : have)
            h = rng() % 3 == 0;
        const pv::BarOptions o{bool(rng() % 2), bool(rng() % 2)};
        const pv::BarLists lists = ix.compute(have, o);
        const QString where = QStringLiteral("round %1").arg(round);

        std::vector<int> can, oneAway;
        for (int d = 0; d < ix.drinkCount(); ++d) {
            const int missing = missingCount(ix, d, have, o);
            if (missing == 0)
                can.push_back(d);
            else if (missing == 1)
                oneAway.push_back(d);
        }
        QVERIFY2(lists.canMake == can, qPrintable(where));
        std::vector<int> gotOneAway;
        for (const auto &a : lists.oneAway)
            gotOneAway.push_back(a.drink);
        QVERIFY2(gotOneAway == oneAway, qPrintable(where));

        // Buy next: every bottle without children that adds drinks, with
        // exactly the drinks it adds, most first.
        std::vector<std::pair<int, int>> expected; // -gain, ingredient
        for (int h = 0; h < n; ++h) {
            if (have[h] || ix.hasChildren(h))
                continue;
            std::vector<char> plus = have;
            plus[h] = 1;
            std::vector<int> adds;
            for (int d = 0; d < ix.drinkCount(); ++d)
                if (missingCount(ix, d, have, o) > 0 && missingCount(ix, d, plus, o) == 0)
                    adds.push_back(d);
            if (!adds.empty())
                expected.emplace_back(-int(adds.size()), h);
            QVERIFY2(ix.unlockedBy(lists, h) == adds, qPrintable(where + ix.ingredientName(h)));
        }
        std::sort(expected.begin(), expected.end(), [&ix](const auto &a, const auto &b) {
            if (a.first != b.first)
                return a.first < b.first;
            return ix.ingredientName(a.second).compare(ix.ingredientName(b.second), Qt::CaseInsensitive) < 0;
        });
        QCOMPARE(lists.buyNext.size(), expected.size());
        for (size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(lists.buyNext[i].ingredient, expected[i].second);
            QCOMPARE(lists.buyNext[i].drinks, -expected[i].first);
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
                                                                  "B < A\n"),          // 9
                                                   &problems);
    QStringList got;
    for (const auto &p : problems)
        got << QStringLiteral("%1: %2").arg(p.line).arg(p.message);
    QCOMPARE(got, (QStringList{"1: an ingredient before its [kind]", "2: 'potions' is not a kind of ingredient",
                               "5: 'GIN' is already named at line 4", "6: 'genever' already means 'Gin'",
                               "7: the parent 'Plum' is not in the vocabulary", "9: 'B' would be a kind of itself"}));
    QCOMPARE(v.find(QStringLiteral(" genever ")), 0);
    QCOMPARE(v.at(v.find("A")).parent, v.find("B"));
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

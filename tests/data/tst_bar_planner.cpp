// The bottle planner against a search over every set of bottles, on small
// random catalogues with kinds, substitutes, a house-made mix, garnishes,
// bottles never to buy and drinks that must be made.
#include "TestSupport.h"

#include "data/BarPlanner.h"

#include <random>

namespace {

const char kVocabulary[] = "[spirit]\n"
                           "Gin\n"
                           "London Dry Gin < Gin (any)\n"
                           "Old Tom Gin < Gin\n"
                           "~ Gin; Old Tom Gin\n"
                           "Rum\n"
                           "White Rum < Rum\n"
                           "Gold Rum < Rum\n"
                           "~ White Rum; Gold Rum\n"
                           "Citron Vodka\n"
                           "[liqueur]\n"
                           "Triple Sec\n"
                           "Campari\n"
                           "[juice]\n"
                           "Orange Juice\n"
                           "[syrup]\n"
                           "Cinnamon Syrup\n"
                           "Mix = Orange Juice + Cinnamon Syrup\n"
                           "[fruit]\n"
                           "Oranges < Orange Juice\n"
                           "Limes\n"
                           "[garnish]\n"
                           "Cherry\n"
                           "[pantry]\n"
                           "Sugar\n";

// Every set of at most `picks` allowed bottles; -1 when none makes the must drinks.
int bruteForce(const pv::BarIndex &ix, const pv::PlanRequest &r)
{
    std::vector<int> allowed;
    for (int b = 0; b < ix.ingredientCount(); ++b)
        if (!r.have[b] && !r.never[b] && !ix.isHouseMade(b))
            allowed.push_back(b);
    int best = -1;
    const int m = int(allowed.size());
    for (unsigned mask = 0; mask < (1u << m); ++mask) {
        if (__builtin_popcount(mask) > r.bottles)
            continue;
        std::vector<char> have = r.have;
        for (int k = 0; k < m; ++k)
            if (mask & (1u << k))
                have[allowed[k]] = 1;
        const std::vector<int> made = ix.compute(have, r.options).canMake;
        if (std::all_of(r.mustMake.begin(), r.mustMake.end(),
                        [&made](int d) { return std::binary_search(made.begin(), made.end(), d); }))
            best = std::max(best, int(made.size()));
    }
    return best;
}

} // namespace

class TestBarPlanner : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void matchesBruteForce();
};

void TestBarPlanner::matchesBruteForce()
{
    const auto vocabulary = pv::IngredientVocabulary::parse(QString::fromLatin1(kVocabulary));
    const QStringList texts = {"Gin",      "London Dry Gin", "Old Tom Gin", "Rum",     "White Rum",
                               "Gold Rum", "Citron Vodka",   "Triple Sec",  "Campari", "Orange Juice",
                               "Mix",      "Limes",          "Cherry",      "Sugar",   "Bitters Nobody Knows"};
    std::mt19937 rng(2027);
    int proven = 0, rounds = 0;
    for (int round = 0; round < 120; ++round) {
        pv::BarIndex ix(vocabulary);
        const int drinks = 4 + int(rng() % 14);
        for (int d = 0; d < drinks; ++d) {
            QStringList ings, qty;
            const int k = 1 + int(rng() % 4);
            for (int j = 0; j < k; ++j) {
                ings << texts[int(rng() % texts.size())];
                qty << (rng() % 4 ? QStringLiteral("1 oz") : QStringLiteral("1 wedge"));
            }
            ix.addDrink(d + 1, QStringLiteral("Drink %1").arg(d), ings, qty);
        }
        pv::PlanRequest r;
        r.bottles = 1 + int(rng() % 4);
        r.have = std::vector<char>(size_t(ix.ingredientCount()), 0);
        r.never = r.have;
        for (int i = 0; i < ix.ingredientCount(); ++i) {
            r.have[i] = ix.ingredientKind(i) == pv::IngredientKind::Pantry || rng() % 6 == 0;
            r.never[i] = rng() % 9 == 0;
        }
        r.options.substitutes = rng() % 2;
        r.options.garnishes = rng() % 3 == 0;
        if (rng() % 4 == 0)
            r.options.countAs.emplace_back(vocabulary.find("Gin"), vocabulary.find("Campari"));
        if (rng() % 3 == 0)
            r.mustMake.push_back(int(rng() % drinks));
        const QString where = QStringLiteral("round %1").arg(round);

        const int best = bruteForce(ix, r);
        const pv::Plan plan = pv::planBottles(ix, r);
        QVERIFY2(plan.feasible == (best >= 0), qPrintable(where));
        if (best < 0)
            continue;
        ++rounds;
        QVERIFY2(int(plan.bottles.size()) <= r.bottles, qPrintable(where));
        std::vector<char> have = r.have;
        for (int b : plan.bottles) {
            QVERIFY2(!r.never[b] && !ix.isHouseMade(b), qPrintable(where));
            have[b] = 1;
        }
        // The plan makes what it says, and nothing makes more.
        QCOMPARE(int(ix.compute(have, r.options).canMake.size()), plan.total);
        QVERIFY2(plan.optimal, qPrintable(where));
        QVERIFY2(plan.total == best, qPrintable(where + QStringLiteral(": %1 against %2").arg(plan.total).arg(best)));
        proven += plan.optimal;

        // The integer program alone finds the same.
        r.branchShare = 0;
        const pv::Plan program = pv::planBottles(ix, r);
        QVERIFY2(
            int(program.bottles.size()) <= r.bottles && program.optimal && program.total == best,
            qPrintable(
                where +
                QStringLiteral(" (integer program): %1 of %2, %3").arg(program.total).arg(best).arg(program.found) +
                QStringLiteral(" optimal %1 bottles %2 of %3 bound %4")
                    .arg(program.optimal)
                    .arg(program.bottles.size())
                    .arg(r.bottles)
                    .arg(program.upperBound)));
        r.branchShare = 1;

        // With no time to search, the plan is still real and its bound true.
        r.seconds = 1e-6;
        const pv::Plan rushed = pv::planBottles(ix, r);
        QVERIFY2(rushed.feasible && best <= rushed.upperBound, qPrintable(where));
        QVERIFY2(!rushed.found || rushed.total <= best, qPrintable(where));
    }
    QVERIFY(rounds > 60);
    QCOMPARE(proven, rounds);
}

PV_TEST_MAIN(TestBarPlanner)
#include "tst_bar_planner.moc"

// Quantities as numbers: the parser over every form, conversion and
// rounding, and strength worked by hand for a few drinks.
#include "TestSupport.h"

#include "data/Amounts.h"
#include "data/RecipeCard.h"

#include <QFile>

#include <cmath>

Q_DECLARE_METATYPE(pv::CardRecipe)

using pv::QuantityKind;
using pv::UnitChoice;

namespace {

const char kVocabulary[] = "[spirit]\n"
                           "Gin\n"
                           "Rum\n"
                           "White Rum < Rum\n"
                           "Overproof Rum < Rum\n"
                           "[liqueur]\n"
                           "Campari\n"
                           "[wine]\n"
                           "Sweet Vermouth\n"
                           "Prosecco\n"
                           "[bitters]\n"
                           "Angostura Bitters\n"
                           "[syrup]\n"
                           "Sugar: Simple Syrup\n"
                           "[juice]\n"
                           "Lime: Fresh Lime Juice\n"
                           "[soda]\n"
                           "Soda Water\n"
                           "[fruit]\n"
                           "Orange\n";

const char kStrengths[] = "Gin: 40\nRum: 40\nOverproof Rum: 75.5\nCampari: 24\nSweet Vermouth: 16\n"
                          "Prosecco: 11\nAngostura Bitters: 44.7\n";

pv::StrengthTable fixtureStrengths()
{
    QList<pv::StrengthTable::Problem> problems;
    const auto t = pv::StrengthTable::parse(QString::fromUtf8(kStrengths),
                                            pv::IngredientVocabulary::parse(QString::fromUtf8(kVocabulary)), &problems);
    if (!problems.isEmpty())
        qFatal("fixture strengths: %s", qPrintable(problems.first().message));
    return t;
}

pv::CardRecipe recipe(const QString &name, const QString &glass, const QList<QPair<QString, QString>> &ings,
                      const QString &directions)
{
    pv::CardRecipe r;
    r.name = name;
    r.glass = glass;
    for (int i = 0; i < ings.size(); ++i) {
        r.quantities[i] = ings[i].first;
        r.ingredients[i] = ings[i].second;
    }
    r.directions = directions;
    return r;
}

} // namespace

class TestAmounts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parser_data();
    void parser();
    void bundledQuantitiesAllParse();
    void conversion_data();
    void conversion();
    void strength_data();
    void strength();
    void batchAddsTheIcesWater();
    void strengthTableProblems();
    void partsTakeTheChosenSize();
};

void TestAmounts::parser_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<double>("low");
    QTest::addColumn<double>("high");
    QTest::addColumn<QString>("unit");
    const int V = int(QuantityKind::Volume), P = int(QuantityKind::Part), S = int(QuantityKind::Small),
              C = int(QuantityKind::Count), W = int(QuantityKind::Weight), Ph = int(QuantityKind::Phrase),
              A = int(QuantityKind::Absurd), U = int(QuantityKind::Unparsed);
    struct Row {
        const char *text;
        int kind;
        double low, high;
        const char *unit;
    };
    const Row rows[] = {
        // numbers
        {"1", C, 1, 1, ""},
        {"2.5 oz", V, 2.5, 2.5, "oz"},
        {"2,5 cl", V, 2.5, 2.5, "cl"},
        {"3/4 oz", V, 0.75, 0.75, "oz"},
        {"1 1/2 oz", V, 1.5, 1.5, "oz"},
        {"1-1/2 oz", V, 1.5, 1.5, "oz"},
        {"1\u00BD oz", V, 1.5, 1.5, "oz"},
        {"1 \u00BD oz", V, 1.5, 1.5, "oz"},
        {"\u00BE oz", V, 0.75, 0.75, "oz"},
        {"1\u20442 tsp", V, 0.5, 0.5, "tsp"},
        // ranges
        {"1-2 dashes", S, 1, 2, "dash"},
        {"1 - 2 oz", V, 1, 2, "oz"},
        {"1 to 2 tsp", V, 1, 2, "tsp"},
        {"1\u20132 oz", V, 1, 2, "oz"},
        {"1/2-3/4 oz", V, 0.5, 0.75, "oz"},
        // volumes, any spelling and case
        {"30 ml", V, 30, 30, "ml"},
        {"30 mL", V, 30, 30, "ml"},
        {"3 cl", V, 3, 3, "cl"},
        {"1 l", V, 1, 1, "l"},
        {"1 Litre", V, 1, 1, "l"},
        {"2 OZ.", V, 2, 2, "oz"},
        {"1 fl oz", V, 1, 1, "oz"},
        {"2 ounces", V, 2, 2, "oz"},
        {"1 tsp", V, 1, 1, "tsp"},
        {"2 teaspoons", V, 2, 2, "tsp"},
        {"2 tbsp", V, 2, 2, "tbsp"},
        {"1 cup", V, 1, 1, "cup"},
        {"2 cups", V, 2, 2, "cup"},
        {"1 bar spoon", V, 1, 1, "bar spoon"},
        {"1/2 bar spoon", V, 0.5, 0.5, "bar spoon"},
        {"2 barspoons", V, 2, 2, "bar spoon"},
        {"1 jigger", V, 1, 1, "jigger"},
        {"1 shot", V, 1, 1, "shot"},
        {"an ounce", V, 1, 1, "oz"},
        {"2 parts", P, 2, 2, "part"},
        {"1 part", P, 1, 1, "part"},
        // small measures
        {"2 dashes", S, 2, 2, "dash"},
        {"a dash", S, 1, 1, "dash"},
        {"6 drops", S, 6, 6, "drop"},
        {"1 splash", S, 1, 1, "splash"},
        {"1 pinch", S, 1, 1, "pinch"},
        // counts and weights
        {"1 slice", C, 1, 1, "slice"},
        {"3 wedges", C, 3, 3, "wedge"},
        {"1 wheel", C, 1, 1, "wheel"},
        {"6 leaves", C, 6, 6, "leaf"},
        {"1 leaf", C, 1, 1, "leaf"},
        {"4 sprigs", C, 4, 4, "sprig"},
        {"1 twist", C, 1, 1, "twist"},
        {"2 cubes", C, 2, 2, "cube"},
        {"1 whole", C, 1, 1, "whole"},
        {"1/2 slice", C, 0.5, 0.5, "slice"},
        {"40 g", W, 40, 40, "g"},
        // no amount
        {"Top with", Ph, 0, 0, ""},
        {"fill WITH", Ph, 0, 0, ""},
        {"to taste", Ph, 0, 0, ""},
        {"a splash", Ph, 0, 0, ""},
        {"", Ph, 0, 0, ""},
        // absurd: shown as typed, left out of sums
        {"999 oz", A, 999, 999, "oz"},
        {"-1", A, -1, -1, ""},
        {"-1 oz", A, -1, -1, "oz"},
        {"1/0", A, 0, 0, ""},
        {"0 oz", A, 0, 0, "oz"},
        {"2-1 oz", A, 2, 1, "oz"},
        {"500 dashes", A, 500, 500, "dash"},
        // not understood
        {"some ice", U, 0, 0, ""},
        {"1 oz (30 ml)", U, 0, 0, ""},
        {"oz", U, 0, 0, ""},
        {"1 glug", U, 0, 0, ""},
        {"1/", U, 0, 0, ""},
    };
    for (const Row &r : rows)
        QTest::newRow(r.text[0] ? r.text : "(empty)")
            << QString::fromUtf8(r.text) << r.kind << r.low << r.high << QString::fromLatin1(r.unit);
}

void TestAmounts::parser()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    const pv::Quantity q = pv::parseQuantity(text);
    QCOMPARE(int(q.kind), kind);
    if (kind == int(QuantityKind::Unparsed) || kind == int(QuantityKind::Phrase))
        return;
    QFETCH(double, low);
    QFETCH(double, high);
    QFETCH(QString, unit);
    QCOMPARE(q.low, low);
    QCOMPARE(q.high, high);
    QCOMPARE(q.unit, unit);
    QCOMPARE(q.isAmount(), kind != int(QuantityKind::Absurd));
    if (kind == int(QuantityKind::Absurd))
        QVERIFY(!q.problem.isEmpty());
}

void TestAmounts::bundledQuantitiesAllParse()
{
    // Every quantity the bundled recipes use reads as an amount or a phrase.
    const QDir dir(QStringLiteral(PV_SOURCE_DIR "/content/catalogue/drinks"));
    int seen = 0;
    for (const QString &name : dir.entryList({QStringLiteral("*.txt")})) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        int line = 0;
        for (const QString &l : QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'))) {
            ++line;
            if (!l.startsWith(QLatin1String("ing:")))
                continue;
            const QString qty = l.mid(4).section(QLatin1Char('|'), 0, 0).trimmed();
            const pv::Quantity q = pv::parseQuantity(qty);
            if (!q.isAmount() && q.kind != QuantityKind::Phrase)
                QFAIL(qPrintable(QStringLiteral("%1:%2: '%3'").arg(name).arg(line).arg(qty)));
            ++seen;
        }
    }
    QVERIFY(seen > 500);
}

void TestAmounts::conversion_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("units");
    QTest::addColumn<double>("factor");
    QTest::addColumn<QString>("shown");
    const int W = int(UnitChoice::AsWritten), Oz = int(UnitChoice::Oz), Ml = int(UnitChoice::Ml),
              Cl = int(UnitChoice::Cl);
    struct Row {
        const char *typed;
        int units;
        double factor;
        const char *shown;
    };
    const Row rows[] = {
        {"1 1/2 oz", W, 1, "1 1/2 oz"},   // as typed, untouched
        {"1 1/2 oz", Oz, 1, "1 1/2 oz"},  // already in oz
        {"1 1/2 oz", Ml, 1, "45 ml"},
        {"3/4 oz", Ml, 1, "20 ml"},       // 22.2 ml to the nearest 5
        {"1/4 oz", Ml, 1, "7.5 ml"},      // small amounts to 2.5 ml
        {"2 oz", Cl, 1, "6 cl"},
        {"1/2 oz", Cl, 1, "1.5 cl"},
        {"30 ml", Oz, 1, "1 oz"},
        {"45 ml", Oz, 1, "1\u00BD oz"},
        {"20 ml", Oz, 1, "\u00BE oz"},
        {"1 tsp", Ml, 1, "5 ml"},
        {"1 tsp", Oz, 1, "1 tsp"},        // ¼ oz would be half as much again
        {"1/2 tsp", Cl, 1, "1/2 tsp"},
        {"1-2 oz", Ml, 1, "30\u201360 ml"},
        {"1 cup", Ml, 1, "235 ml"},
        // servings
        {"1 oz", Ml, 8, "235 ml"},
        {"1 oz", W, 8, "8 oz"},
        {"3/4 oz", W, 3, "2\u00BC oz"},
        {"1 1/2 oz", Cl, 8, "35.5 cl"},
        {"2 dashes", Ml, 8, "16 dashes"},
        {"1 dash", Oz, 1, "1 dash"},
        {"1 slice", Ml, 8, "8 slices"},
        {"1/2 slice", W, 3, "1\u00BD slices"},
        {"1 leaf", W, 2, "2 leaves"},
        {"40 g", Oz, 2, "80 g"},
        {"Top with", Ml, 8, "Top with"},
        {"999 oz", Ml, 8, "999 oz"},
        {"1 glug", Ml, 2, "1 glug"},
    };
    for (const Row &r : rows)
        QTest::newRow(QStringLiteral("%1 %2 x%3").arg(QString::fromUtf8(r.typed)).arg(r.units).arg(r.factor).toUtf8())
            << QString::fromUtf8(r.typed) << r.units << r.factor << QString::fromUtf8(r.shown);
}

void TestAmounts::conversion()
{
    QFETCH(QString, typed);
    QFETCH(int, units);
    QFETCH(double, factor);
    QFETCH(QString, shown);
    QCOMPARE(pv::showAmount(typed, pv::parseQuantity(typed), factor, UnitChoice(units)), shown);
}

void TestAmounts::strength_data()
{
    // Worked by hand from the fits of measured shaken and stirred drinks
    // (docs/catalogue.md): start strength A, water share d(A), A / (1 + d).
    QTest::addColumn<pv::CardRecipe>("drink");
    QTest::addColumn<double>("abv");
    QTest::addColumn<double>("ml");
    QTest::addColumn<QString>("method");
    // 3 oz (88.7 ml) at 26.7%: stirred d = 0.391 -> 19.2%, 123 ml.
    QTest::newRow("Negroni") << recipe("Negroni", "Old-Fashioned",
                                       {{"1 oz", "Gin"}, {"1 oz", "Campari"}, {"1 oz", "Sweet Vermouth"},
                                        {"1 slice", "Orange"}},
                                       "Stir with ice until well chilled. Strain over fresh ice.")
                             << 19.2 << 123.4 << "stirred";
    // 2 oz rum, 3/4 lime, 1/2 syrup: 96 ml at 24.6%; shaken d = 0.537 -> 16.0%, 148 ml.
    QTest::newRow("Daiquiri") << recipe("Daiquiri", "Cocktail",
                                        {{"2 oz", "White Rum"}, {"3/4 oz", "Fresh Lime Juice"},
                                         {"1/2 oz", "Simple Syrup"}},
                                        "Shake hard with ice and double strain.")
                              << 16.0 << 148.0 << "shaken";
    // Built over ice, 10% water: 2 oz gin and a dash, 60.1 ml at 40.1% -> 36.4%, 66 ml.
    QTest::newRow("Gin on the rocks") << recipe("Gin Rocks", "Old-Fashioned",
                                                {{"2 oz", "Gin"}, {"1 dash", "Angostura Bitters"}},
                                                "Pour over ice.")
                                      << 36.4 << 66.1 << "built";
    // Campari, vermouth and a prosecco top: 59 ml at 20%, built on ice +10% = 65 ml;
    // the top fills an old-fashioned glass to 180 ml: 115 ml at 11%.
    // Alcohol 11.83 + 12.65 = 24.5 ml in 180 ml -> 13.6%.
    QTest::newRow("Sbagliato") << recipe("Sbagliato", "Old-Fashioned",
                                         {{"1 oz", "Campari"}, {"1 oz", "Sweet Vermouth"}, {"Top with", "Prosecco"}},
                                         "Pour over ice and stir briefly. Top with prosecco.")
                               << 13.6 << 180.0 << "built";
    // A hot drink, no ice: no water at all. 1 1/2 oz rum in 6 oz: 10%.
    QTest::newRow("Hot, no ice") << recipe("Toddy", "Coffee Mug",
                                           {{"1 1/2 oz", "Rum"}, {"4 1/2 oz", "Hot Water"}},
                                           "Build in a warmed mug and serve hot.")
                                 << 10.0 << 177.4 << "built";
}

void TestAmounts::strength()
{
    QFETCH(pv::CardRecipe, drink);
    QFETCH(double, abv);
    QFETCH(double, ml);
    QFETCH(QString, method);
    pv::CardOptions o;
    o.standard = {QStringLiteral("United States"), 14};
    const pv::RecipeCard card = pv::buildRecipeCard(drink, o, fixtureStrengths());
    if (drink.name == QLatin1String("Toddy")) {
        // Hot Water is not in the vocabulary: no number, a reason.
        QVERIFY(!card.strengthKnown);
        QCOMPARE(card.strengthLine(o.units), QStringLiteral("strength unknown: Hot Water has no ABV"));
        return;
    }
    QVERIFY2(card.strengthKnown, qPrintable(card.unknownReason));
    QCOMPARE(pv::methodName(card.method.method), method);
    QVERIFY2(std::abs(card.abv * 100 - abv) <= 0.5, qPrintable(QString::number(card.abv * 100)));
    QVERIFY2(std::abs(card.volumeMl - ml) <= 2, qPrintable(QString::number(card.volumeMl)));
    // Standard drinks follow from the same alcohol: volume x ABV x 0.789 g/ml / 14 g.
    QVERIFY(std::abs(card.standardDrinks - card.volumeMl * card.abv * 0.789 / 14) < 1e-9);
}

void TestAmounts::batchAddsTheIcesWater()
{
    const pv::CardRecipe daiquiri = recipe(
        "Daiquiri", "Cocktail",
        {{"2 oz", "White Rum"}, {"3/4 oz", "Fresh Lime Juice"}, {"1/2 oz", "Simple Syrup"}, {"1 wheel", "Lime"},
         {"999 oz", "Rum"}},
        "Shake hard with ice and double strain.");
    pv::CardOptions o;
    o.units = UnitChoice::Ml;
    o.batchMl = 750;
    const pv::RecipeCard card = pv::buildRecipeCard(daiquiri, o, fixtureStrengths());
    // 96.1 ml a glass, 51.6 ml of it water after shaking: 750 ml is 5.08 glasses.
    QVERIFY(std::abs(card.servings - 750 / 147.7) < 0.02);
    QVERIFY(std::abs(card.batchWaterMl - 750 * 0.537 / 1.537) < 2);
    QStringList shown;
    for (const pv::CardLine &l : card.lines)
        shown << l.amount + QLatin1Char('|') + l.ingredient;
    QCOMPARE(shown, (QStringList{"300 ml|White Rum", "115 ml|Fresh Lime Juice", "75 ml|Simple Syrup",
                                 "1 wheel (each glass)|Lime", "999 oz|Rum", "260 ml|Water"}));
    QVERIFY(card.notes.join(QLatin1Char('\n')).contains(QLatin1String("\"999 oz\" for Rum is more than five litres")));
    QVERIFY(card.notes.join(QLatin1Char('\n')).contains(QLatin1String("Water is added")));
    // Without the rum's amount no strength is claimed.
    QCOMPARE(card.strengthLine(o.units), QStringLiteral("strength unknown: Rum has no usable amount"));
    // The bottle holds what the lines add up to.
    QVERIFY(std::abs(300 + 115 + 75 + 260 - 750) <= 15);
}

void TestAmounts::strengthTableProblems()
{
    QList<pv::StrengthTable::Problem> problems;
    pv::StrengthTable::parse(QStringLiteral("Gin: 40\nMoonshine: 60\nGin: 41\nCampari: 240\nRum 40\n"),
                             pv::IngredientVocabulary::parse(QString::fromUtf8(kVocabulary)), &problems);
    QStringList got;
    for (const auto &p : problems)
        got << QStringLiteral("%1: %2").arg(p.line).arg(p.message);
    QCOMPARE(got, (QStringList{"2: 'Moonshine' is not an ingredient of the vocabulary", "3: 'Gin' is given twice",
                               "4: 'Campari' is stronger than pure alcohol",
                               "5: 'Rum 40' is not 'Name: ABV' or 'Name: ABV, N ml each'",
                               "0: 'Rum' has no typical strength", "0: 'White Rum' has no typical strength",
                               "0: 'Overproof Rum' has no typical strength", "0: 'Campari' has no typical strength",
                               "0: 'Sweet Vermouth' has no typical strength", "0: 'Prosecco' has no typical strength",
                               "0: 'Angostura Bitters' has no typical strength"}));
}

void TestAmounts::partsTakeTheChosenSize()
{
    const pv::CardRecipe r = recipe("Parts", "Old-Fashioned", {{"2 parts", "Gin"}, {"1 part", "Campari"}},
                                    "Pour over ice.");
    pv::CardOptions o;
    o.units = UnitChoice::Ml;
    o.partMl = 25;
    o.servings = 2;
    const pv::RecipeCard card = pv::buildRecipeCard(r, o, fixtureStrengths());
    QVERIFY(card.usesParts);
    QCOMPARE(card.lines[0].amount, QStringLiteral("2 parts (100 ml)"));
    QCOMPARE(card.lines[1].amount, QStringLiteral("1 part (50 ml)"));
    // One glass: 75 ml at (50 x 40% + 25 x 24%) / 75, built over ice (+10%).
    QVERIFY(std::abs(card.abv - (50 * 0.40 + 25 * 0.24) / 75 / 1.1) < 1e-9);
}

PV_TEST_MAIN(TestAmounts)
#include "tst_amounts.moc"

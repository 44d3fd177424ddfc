// The shopping list's sums, one row per rule: bottles for spirits (each
// size), fruit for citrus juice and pieces, syrups as volume, garnishes as
// counts, dashes, top-ups and parts, the shelf left out or listed apart, and
// amounts it cannot add up.
#include "TestSupport.h"

#include "data/ShoppingList.h"

#include <QFile>

namespace {

pv::BarIndex bundledIndex()
{
    QFile f(QStringLiteral(PV_SOURCE_DIR "/content/catalogue/ingredients.txt"));
    if (!f.open(QIODevice::ReadOnly))
        qFatal("no vocabulary");
    return pv::BarIndex(pv::IngredientVocabulary::parse(QString::fromUtf8(f.readAll())));
}

// "2 oz | White Rum; 3/4 oz | Fresh Lime Juice" as a recipe.
pv::CardRecipe recipe(const QString &name, const QString &lines)
{
    pv::CardRecipe r;
    r.name = name;
    const QStringList parts = lines.split(QLatin1Char(';'));
    for (int k = 0; k < parts.size() && k < 10; ++k) {
        r.quantities[size_t(k)] = parts[k].section(QLatin1Char('|'), 0, 0).trimmed();
        r.ingredients[size_t(k)] = parts[k].section(QLatin1Char('|'), 1).trimmed();
    }
    return r;
}

} // namespace

class TestShopping : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sums_data();
    void sums();
};

void TestShopping::sums_data()
{
    QTest::addColumn<QString>("lines");    // the drink's ingredients
    QTest::addColumn<int>("servings");
    QTest::addColumn<double>("bottleMl");
    QTest::addColumn<QString>("shelf");    // what the shelf holds, "; " between
    QTest::addColumn<bool>("withShelf");
    QTest::addColumn<QString>("item");     // the ingredient looked at
    QTest::addColumn<QString>("expected"); // its amount, detail; or "left out", "on shelf: ..."

    const QString daiquiri = QStringLiteral("2 oz | White Rum; 3/4 oz | Fresh Lime Juice; 1/2 oz | Honey Syrup");
    // 16 oz = 473 ml: one 750 ml bottle.
    QTest::newRow("rum, 8") << daiquiri << 8 << 750.0 << QString() << false << "White Rum"
                            << "1 bottle (750 ml); 475 ml (16 oz) in all";
    // 24 oz = 710 ml: just over one 700 ml bottle, just under one of 750 ml.
    QTest::newRow("rum, 12, 700 ml") << daiquiri << 12 << 700.0 << QString() << false << "White Rum"
                                     << "2 bottles (700 ml); 710 ml (24 oz) in all";
    QTest::newRow("rum, 12, 750 ml") << daiquiri << 12 << 750.0 << QString() << false << "White Rum"
                                     << "1 bottle (750 ml); 710 ml (24 oz) in all";
    // 6 oz of juice = 177 ml at 25 ml a lime: 7.1, so 8 limes.
    QTest::newRow("lime juice") << daiquiri << 8 << 750.0 << QString() << false << "Limes"
                                << "8 limes; 175 ml (6 oz) of juice, about 25 ml a fruit";
    QTest::newRow("syrup as volume") << daiquiri << 8 << 750.0 << QString() << false << "Honey"
                                     << "120 ml (4 oz); ";
    // Juice and slices together: 8 oz = 237 ml / 40 = 5.9 lemons, and 8 slices make one more.
    QTest::newRow("lemons, juice and slices")
        << "1 oz | Fresh Lemon Juice; 1 slice | Sliced Lemon" << 8 << 750.0 << QString() << false << "Lemons"
        << "7 lemons; 235 ml (8 oz) of juice, about 40 ml a fruit; 1 for wedges, slices or twists";
    QTest::newRow("one lemon") << "1/2 oz | Fresh Lemon Juice" << 1 << 750.0 << QString() << false << "Lemons"
                               << "1 lemon; 15 ml (0.5 oz) of juice, about 40 ml a fruit";
    QTest::newRow("garnish counted") << "2 oz | Gin; 1 | Maraschino Cherry" << 6 << 750.0 << QString() << false
                                     << "Maraschino Cherry" << "6; ";
    QTest::newRow("garnish by phrase") << "2 oz | Gin; for garnish | Maraschino Cherry" << 5 << 750.0 << QString()
                                       << false << "Maraschino Cherry" << "5; ";
    QTest::newRow("dashes") << "2 oz | Gin; 2 dashes | Angostura Bitters" << 10 << 750.0 << QString() << false
                            << "Angostura Bitters" << "1 bottle (200 ml); 20 dashes";
    QTest::newRow("top-ups") << "2 oz | Gin; Top with | Soda Water" << 4 << 750.0 << QString() << false
                             << "Soda Water" << "480 ml (16 oz); with 4 top-ups of about 120 ml";
    QTest::newRow("parts") << "2 parts | Gin; 1 part | Campari" << 10 << 750.0 << QString() << false << "Gin"
                           << "1 bottle (750 ml); 600 ml (20 oz) in all; a part counted as 30 ml";
    QTest::newRow("a range counts as its middle") << "1-2 oz | Gin" << 10 << 750.0 << QString() << false << "Gin"
                                                  << "1 bottle (750 ml); 445 ml (15 oz) in all";
    QTest::newRow("litres") << "2 oz | Gin" << 40 << 1000.0 << QString() << false << "Gin"
                            << "3 bottles (1000 ml); 2.37 l (80 oz) in all";
    QTest::newRow("shelf left out") << daiquiri << 8 << 750.0 << "White Rum" << false << "White Rum" << "left out";
    // A kind of the shelf's bottle serves: gin on the shelf serves London dry gin.
    QTest::newRow("shelf serves a style") << "2 oz | London Dry Gin" << 8 << 750.0 << "Gin" << false << "Gin"
                                          << "left out";
    QTest::newRow("shelf listed apart") << daiquiri << 8 << 750.0 << "White Rum" << true << "White Rum"
                                        << "on shelf: 1 bottle (750 ml); 475 ml (16 oz) in all";
    QTest::newRow("not an amount") << "some | Gin; 999 oz | Campari" << 2 << 750.0 << QString() << false
                                   << "unsure" << "Gin: some (Test)|"
                                                  "Campari: \u201C999 oz\u201D is no amount the list can add up (Test)";
}

void TestShopping::sums()
{
    QFETCH(QString, lines);
    QFETCH(int, servings);
    QFETCH(double, bottleMl);
    QFETCH(QString, shelf);
    QFETCH(bool, withShelf);
    QFETCH(QString, item);
    QFETCH(QString, expected);

    static const pv::BarIndex index = bundledIndex();
    pv::BarShelf bar;
    bar.have = shelf.split(QStringLiteral("; "), Qt::SkipEmptyParts);
    const std::vector<char> served = index.compute(bar.haveVector(index), bar.optionsFor(index)).ok;
    pv::ShoppingOptions options;
    options.bottleMl = bottleMl;
    options.includeShelf = withShelf;
    const pv::ShoppingList list =
        pv::makeShoppingList(index, served, {pv::ShoppingDrink{recipe(QStringLiteral("Test"), lines), servings}}, options);
    QCOMPARE(list.servings, servings);

    if (item == QLatin1String("unsure")) {
        QCOMPARE(list.unsure.join(QLatin1Char('|')), expected);
        return;
    }
    auto find = [&item](const QList<pv::ShoppingItem> &in) -> const pv::ShoppingItem * {
        for (const pv::ShoppingItem &i : in)
            if (i.name == item)
                return &i;
        return nullptr;
    };
    const pv::ShoppingItem *bought = find(list.items);
    const pv::ShoppingItem *had = find(list.shelf);
    if (expected == QLatin1String("left out")) {
        QVERIFY(!bought && !had);
        QVERIFY(list.leftOut > 0);
        QVERIFY(list.lines(options).join(QLatin1Char('\n')).contains(QLatin1String("already holds")));
        return;
    }
    if (expected.startsWith(QLatin1String("on shelf: "))) {
        QVERIFY(!bought);
        QVERIFY(had);
        QCOMPARE(had->amount + QStringLiteral("; ") + had->detail, expected.mid(10));
        return;
    }
    QVERIFY2(bought, qPrintable(list.lines(options).join(QLatin1Char('\n'))));
    QCOMPARE(bought->amount + QStringLiteral("; ") + bought->detail, expected);
}

PV_TEST_MAIN(TestShopping)
#include "tst_shopping.moc"

#include "data/ShoppingList.h"

#include "data/Quantity.h"
#include "data/TextFold.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <cmath>

namespace pv {

namespace {

// What the small measures hold, for juice and syrups measured so.
constexpr double kDashMl = 0.92; // 1/32 oz
constexpr double kDropMl = 0.05;
constexpr double kSplashMl = 5;
// A bitters bottle lasts: a 200 ml bottle gives about 200 dashes.
constexpr double kBittersBottleMl = 200;
constexpr double kWineBottleMl = 750;
constexpr double kBeerMl = 330;

// How many of each piece one fruit gives.
double piecesPerFruit(const QString &unit)
{
    if (unit == QLatin1String("wedge") || unit == QLatin1String("slice") || unit == QLatin1String("wheel"))
        return 8;
    if (unit == QLatin1String("twist") || unit == QLatin1String("peel"))
        return 4;
    return 1;
}

QString number(double v)
{
    return QLocale::c().toString(v, 'g', 4);
}

QString plural(int n, const QString &one, const QString &many)
{
    return QStringLiteral("%1 %2").arg(n).arg(n == 1 ? one : many);
}

// "Lemons" for 1 is "1 lemon".
QString fruitWord(const QString &name, int n)
{
    QString lower = name.toLower();
    if (n == 1 && lower.endsWith(QLatin1Char('s')))
        lower.chop(1);
    return QStringLiteral("%1 %2").arg(n).arg(lower);
}

struct Sum {
    ShoppingItem item;
    double fruitPieces = 0; // pieces of a citrus fruit, turned into fruit
    int topUps = 0;
    bool parts = false;
    bool onShelf = false;
};

void finish(Sum &s, const ShoppingOptions &options)
{
    ShoppingItem &it = s.item;
    QStringList detail;
    if (s.topUps)
        detail << QStringLiteral("with %1 of about %2 ml")
                      .arg(plural(s.topUps, QStringLiteral("top-up"), QStringLiteral("top-ups")))
                      .arg(number(options.topUpMl));
    if (s.parts)
        detail << QStringLiteral("a part counted as %1 ml").arg(number(options.partMl));
    switch (it.kind) {
    case IngredientKind::Spirit:
    case IngredientKind::Liqueur:
    case IngredientKind::Wine: {
        const double size = it.kind == IngredientKind::Wine ? kWineBottleMl : options.bottleMl;
        if (it.ml > 0) {
            it.buy = std::max(1, int(std::ceil(it.ml / size - 1e-9)));
            it.amount = QStringLiteral("%1 (%2 ml)")
                            .arg(plural(it.buy, QStringLiteral("bottle"), QStringLiteral("bottles")))
                            .arg(number(size));
            detail.prepend(volumeText(it.ml) + QStringLiteral(" in all"));
        } else if (it.dashes > 0) {
            it.buy = 1;
            it.amount = QStringLiteral("1 bottle");
            detail.prepend(plural(int(std::ceil(it.dashes)), QStringLiteral("dash"), QStringLiteral("dashes")));
        }
        break;
    }
    case IngredientKind::Beer:
        if (it.ml > 0) {
            it.buy = std::max(1, int(std::ceil(it.ml / kBeerMl - 1e-9)));
            it.amount = plural(it.buy, QStringLiteral("bottle or can"), QStringLiteral("bottles or cans")) +
                        QStringLiteral(" (%1 ml)").arg(number(kBeerMl));
            detail.prepend(volumeText(it.ml) + QStringLiteral(" in all"));
        }
        break;
    case IngredientKind::Bitters: {
        const double ml = it.ml + it.dashes * kDashMl;
        it.buy = std::max(1, int(std::ceil(ml / kBittersBottleMl - 1e-9)));
        it.amount = QStringLiteral("%1 (%2 ml)")
                        .arg(plural(it.buy, QStringLiteral("bottle"), QStringLiteral("bottles")))
                        .arg(number(kBittersBottleMl));
        if (it.dashes > 0)
            detail.prepend(plural(int(std::ceil(it.dashes)), QStringLiteral("dash"), QStringLiteral("dashes")));
        if (it.ml > 0)
            detail.prepend(volumeText(it.ml));
        break;
    }
    case IngredientKind::Fruit: {
        const double juice = juicePerFruit(it.name);
        if (juice > 0) {
            const double fruit = it.ml / juice + s.fruitPieces;
            it.buy = std::max(1, int(std::ceil(fruit - 1e-9)));
            it.amount = fruitWord(it.name, it.buy);
            if (it.ml > 0)
                detail.prepend(QStringLiteral("%1 of juice, about %2 ml a fruit").arg(volumeText(it.ml)).arg(number(juice)));
            if (s.fruitPieces > 0)
                detail << QStringLiteral("%1 for wedges, slices or twists").arg(number(std::ceil(s.fruitPieces)));
            break;
        }
        [[fallthrough]];
    }
    default: {
        QStringList parts;
        if (it.ml > 0)
            parts << volumeText(it.ml);
        if (it.pieces > 0)
            parts << number(std::ceil(it.pieces - 1e-9));
        if (it.grams > 0)
            parts << QStringLiteral("%1 g").arg(number(std::ceil(it.grams)));
        if (it.dashes > 0)
            parts << plural(int(std::ceil(it.dashes)), QStringLiteral("dash"), QStringLiteral("dashes"));
        it.amount = parts.join(QStringLiteral(" and "));
        break;
    }
    }
    it.detail = detail.join(QStringLiteral("; "));
}

} // namespace

QList<double> shoppingBottleSizes()
{
    return {700, 750, 1000};
}

double juicePerFruit(const QString &fruitName)
{
    const QString f = foldForSearch(fruitName);
    if (f.contains(QLatin1String("grapefruit")))
        return 150;
    if (f.contains(QLatin1String("orange")))
        return 80;
    if (f.contains(QLatin1String("lemon")))
        return 40;
    if (f.contains(QLatin1String("lime")))
        return 25;
    return 0;
}

QString volumeText(double ml)
{
    // To the nearest 5 ml, as one measures at a bar; the ounces for those who pour in them.
    const double shown = ml < 10 ? std::ceil(ml) : std::round(ml / 5) * 5;
    const double oz = ml / 29.5735;
    const QString ozText = oz < 10 ? number(std::round(oz * 4) / 4) : number(std::round(oz));
    if (shown >= 1000)
        return QStringLiteral("%1 l (%2 oz)").arg(number(std::round(shown / 10) / 100), ozText);
    return QStringLiteral("%1 ml (%2 oz)").arg(number(shown), ozText);
}

ShoppingList makeShoppingList(const BarIndex &index, const std::vector<char> &served,
                              const QList<ShoppingDrink> &drinks, const ShoppingOptions &options)
{
    ShoppingList out;
    QHash<QString, Sum> sums;
    QStringList order;
    for (const ShoppingDrink &d : drinks) {
        const int n = std::clamp(d.servings, 0, kMostServings * 100);
        if (n <= 0)
            continue;
        ++out.drinks;
        out.servings += n;
        const QString drinkName = d.recipe.name.trimmed();
        for (size_t k = 0; k < d.recipe.ingredients.size(); ++k) {
            const QString text = d.recipe.ingredients[k].trimmed();
            if (text.isEmpty())
                continue;
            int i = index.ingredientOf(text);
            const IngredientVocabulary &v = index.vocabulary();
            // A style where any bottle serves is bought as that bottle.
            if (i >= 0 && i < v.size() && v.at(i).anyOfParent && v.at(i).parent >= 0)
                i = v.at(i).parent;
            const QString key = i >= 0 ? QStringLiteral("#%1").arg(i) : foldForSearch(text);
            auto it = sums.find(key);
            if (it == sums.end()) {
                Sum s;
                s.item.name = i >= 0 ? index.ingredientName(i) : text;
                s.item.kind = i >= 0 ? index.ingredientKind(i) : IngredientKind::Other;
                s.onShelf = i >= 0 && size_t(i) < served.size() && served[size_t(i)];
                it = sums.insert(key, s);
                order << key;
            }
            Sum &s = *it;
            if (!s.item.drinks.contains(drinkName))
                s.item.drinks << drinkName;
            const Quantity q = parseQuantity(d.recipe.quantities[k]);
            const double amount = q.amount() * n;
            switch (q.kind) {
            case QuantityKind::Volume:
                s.item.ml += q.millilitres() * n;
                break;
            case QuantityKind::Part:
                s.item.ml += amount * options.partMl;
                s.parts = true;
                break;
            case QuantityKind::Small:
                if (q.unit == QLatin1String("dash"))
                    s.item.dashes += amount;
                else if (q.unit == QLatin1String("drop"))
                    s.item.ml += amount * kDropMl;
                else if (q.unit == QLatin1String("splash"))
                    s.item.ml += amount * kSplashMl;
                else
                    s.item.pieces += amount; // a pinch
                break;
            case QuantityKind::Count:
                if (s.item.kind == IngredientKind::Fruit && juicePerFruit(s.item.name) > 0)
                    s.fruitPieces += amount / piecesPerFruit(q.unit);
                else
                    s.item.pieces += amount;
                break;
            case QuantityKind::Weight:
                s.item.grams += amount;
                break;
            case QuantityKind::Phrase:
                if (q.topUp) {
                    s.item.ml += options.topUpMl * n;
                    s.topUps += n;
                } else if (s.item.kind == IngredientKind::Garnish || s.item.kind == IngredientKind::Fruit ||
                           s.item.kind == IngredientKind::Herb) {
                    s.item.pieces += n; // one to dress each glass
                } else {
                    out.unsure << QStringLiteral("%1: %2 (%3)").arg(s.item.name, d.recipe.quantities[k].trimmed(),
                                                                      drinkName);
                }
                break;
            case QuantityKind::Absurd:
            case QuantityKind::Unparsed:
                out.unsure << QStringLiteral("%1: \u201C%2\u201D is no amount the list can add up (%3)")
                                  .arg(s.item.name, d.recipe.quantities[k].trimmed(), drinkName);
                break;
            }
        }
    }
    for (const QString &key : order) {
        Sum &s = sums[key];
        if (s.item.ml <= 0 && s.item.pieces <= 0 && s.item.grams <= 0 && s.item.dashes <= 0 && s.fruitPieces <= 0)
            continue; // only amounts it could not add up, listed as unsure
        finish(s, options);
        if (!s.onShelf)
            out.items << s.item;
        else if (options.includeShelf)
            out.shelf << s.item;
        else
            ++out.leftOut;
    }
    auto byKind = [](const ShoppingItem &a, const ShoppingItem &b) {
        if (a.kind != b.kind)
            return int(a.kind) < int(b.kind);
        return QString::compare(a.name, b.name, Qt::CaseInsensitive) < 0;
    };
    std::stable_sort(out.items.begin(), out.items.end(), byKind);
    std::stable_sort(out.shelf.begin(), out.shelf.end(), byKind);
    return out;
}

QStringList ShoppingList::lines(const ShoppingOptions &options) const
{
    QStringList out;
    out << QStringLiteral("Shopping list for %1 of %2")
               .arg(plural(servings, QStringLiteral("serving"), QStringLiteral("servings")),
                    plural(drinks, QStringLiteral("drink"), QStringLiteral("drinks")));
    out << QStringLiteral("Spirits and liqueurs in bottles of %1 ml, wine in bottles of 750 ml.").arg(number(options.bottleMl));
    auto add = [&out](const QList<ShoppingItem> &list) {
        IngredientKind kind = IngredientKind(-1);
        for (const ShoppingItem &i : list) {
            if (i.kind != kind) {
                kind = i.kind;
                out << QString() << ingredientKindTitle(kind);
            }
            QString line = QStringLiteral("  %1: %2").arg(i.name, i.amount);
            if (!i.detail.isEmpty())
                line += QStringLiteral(" \u2013 ") + i.detail;
            out << line;
        }
    };
    if (items.isEmpty())
        out << QString() << QStringLiteral("Nothing to buy: the shelf holds everything.");
    add(items);
    if (!shelf.isEmpty()) {
        out << QString() << QStringLiteral("Already on your shelf (check there is enough):");
        add(shelf);
    } else if (leftOut > 0) {
        out << QString()
            << QStringLiteral("%1 your shelf already holds %2 left out.")
                   .arg(plural(leftOut, QStringLiteral("thing"), QStringLiteral("things")),
                        leftOut == 1 ? QStringLiteral("is") : QStringLiteral("are"));
    }
    if (!unsure.isEmpty()) {
        out << QString() << QStringLiteral("Not added up:");
        for (const QString &u : unsure)
            out << QStringLiteral("  ") + u;
    }
    return out;
}

} // namespace pv

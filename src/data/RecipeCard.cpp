#include "data/RecipeCard.h"

#include "data/CatalogueGuard.h"

#include <QHash>

#include <sqlite3.h>

#include <cmath>
#include <exception>

namespace pv {

namespace {

// The liquid of the small measures, for the sums only: a dash is 1/32 oz,
// a drop a twentieth of a millilitre, a splash ¼ oz; a pinch is a solid.
double smallMillilitres(const Quantity &q)
{
    if (q.unit == QLatin1String("dash"))
        return q.amount() * 29.5735 / 32;
    if (q.unit == QLatin1String("drop"))
        return q.amount() * 0.05;
    if (q.unit == QLatin1String("splash"))
        return q.amount() * 29.5735 / 4;
    return 0;
}

bool chilledWithIce(const MethodReading &m)
{
    return m.method == Method::Shaken || m.method == Method::Stirred || m.method == Method::Thrown;
}

QString percentText(double abv)
{
    const double p = abv * 100;
    return QString::number(p, 'f', p < 10 && p > 0 ? 1 : 0) + QStringLiteral("% ABV");
}

} // namespace

QList<BatchContainer> batchContainers()
{
    return {{QStringLiteral("750 ml bottle"), 750},
            {QStringLiteral("1 l bottle"), 1000},
            {QStringLiteral("Pitcher (1.8 l)"), 1800},
            {QStringLiteral("Punch bowl (4 l)"), 4000}};
}

double glassFillMillilitres(const QString &glass)
{
    static const QHash<QString, double> fill = {
        {QStringLiteral("collins"), 300},        {QStringLiteral("highball"), 240},
        {QStringLiteral("old-fashioned"), 180},  {QStringLiteral("cocktail"), 150},
        {QStringLiteral("champagne flute"), 150}, {QStringLiteral("beer mug"), 450},
        {QStringLiteral("beer pilsner"), 400},   {QStringLiteral("red wine"), 250},
        {QStringLiteral("white wine"), 200},     {QStringLiteral("goblet"), 250},
        {QStringLiteral("irish coffee"), 240},   {QStringLiteral("coffee mug"), 250},
        {QStringLiteral("punch cup"), 150},      {QStringLiteral("whiskey sour"), 150},
        {QStringLiteral("shot"), 45},            {QStringLiteral("pony"), 30},
        {QStringLiteral("sherry"), 90},          {QStringLiteral("brandy snifter"), 150},
        {QStringLiteral("parfait"), 250},        {QStringLiteral("pousse cafe"), 90},
    };
    return fill.value(glass.trimmed().toLower(), 200);
}

RecipeCard buildRecipeCard(const CardRecipe &recipe, const CardOptions &o, const StrengthTable &strengths)
{
    RecipeCard card;
    card.name = recipe.name;
    card.glass = recipe.glass;
    card.categories = recipe.categories;
    card.directions = recipe.directions;
    card.method = methodFromDirections(recipe.directions);

    struct Item {
        int slot;
        Quantity q;
    };
    QList<Item> items;
    QList<int> tops;
    double measured = 0; // ml before the ice
    double ethanol = 0;  // ml of alcohol
    auto unknown = [&](const QString &why) {
        if (card.unknownReason.isEmpty())
            card.unknownReason = why;
    };
    for (int k = 0; k < 10; ++k) {
        const QString &qty = recipe.quantities[k];
        const QString &ing = recipe.ingredients[k];
        if (qty.trimmed().isEmpty() && ing.trimmed().isEmpty())
            continue;
        const Quantity q = parseQuantity(qty);
        items.append({k, q});
        if (q.kind == QuantityKind::Part)
            card.usesParts = true;
        if (ing.trimmed().isEmpty())
            continue;
        const StrengthTable::Lookup s = strengths.lookup(ing);
        double ml = 0;
        switch (q.kind) {
        case QuantityKind::Volume: ml = q.millilitres(); break;
        case QuantityKind::Part: ml = q.amount() * o.partMl; break;
        case QuantityKind::Small: ml = smallMillilitres(q); break;
        case QuantityKind::Count: ml = q.amount() * s.mlEach; break;
        case QuantityKind::Weight: break;
        case QuantityKind::Phrase:
            if (q.topUp)
                tops.append(k);
            else if (!s.known || s.abv > 0)
                unknown(QStringLiteral("%1 has no measured amount").arg(s.name));
            break;
        case QuantityKind::Absurd:
            card.notes << QStringLiteral("\"%1\" for %2 %3, so it is left out of the sums.")
                              .arg(qty.trimmed(), ing.trimmed(), q.problem);
            break;
        case QuantityKind::Unparsed:
            card.notes << QStringLiteral("\"%1\" for %2 is not an amount the card can read, so it is left out "
                                         "of the sums.")
                              .arg(qty.trimmed(), ing.trimmed());
            break;
        }
        // Without the amount of something alcoholic, any strength would be wrong.
        if ((q.kind == QuantityKind::Absurd || q.kind == QuantityKind::Unparsed) && (!s.known || s.abv > 0))
            unknown(QStringLiteral("%1 has no usable amount").arg(s.name));
        if (ml <= 0)
            continue;
        if (!s.known)
            unknown(QStringLiteral("%1 has no ABV").arg(s.name));
        measured += ml;
        ethanol += ml * s.abv;
    }

    card.startAbv = measured > 0 ? ethanol / measured : 0;
    const double dilution = dilutionRatio(card.method, card.startAbv);
    const double diluted = measured * (1 + dilution);
    double topMl = 0;
    if (!tops.isEmpty()) {
        topMl = std::max(glassFillMillilitres(recipe.glass) - diluted, 30.0);
        for (int k : tops) {
            const StrengthTable::Lookup s = strengths.lookup(recipe.ingredients[k]);
            if (!s.known)
                unknown(QStringLiteral("%1 has no ABV").arg(s.name));
            ethanol += topMl / tops.size() * s.abv;
        }
        card.notes << QStringLiteral("The top-up is counted as about %1, what a %2 glass holds around its ice.")
                          .arg(showVolume(topMl, o.units), recipe.glass.trimmed().isEmpty()
                                                                ? QStringLiteral("typical")
                                                                : recipe.glass.trimmed());
    }
    card.volumeMl = diluted + topMl;
    if (card.volumeMl <= 0)
        unknown(QStringLiteral("the recipe has no measured amounts"));
    card.strengthKnown = card.unknownReason.isEmpty();
    if (card.strengthKnown) {
        card.abv = ethanol / card.volumeMl;
        card.standardDrinks = ethanol * kEthanolDensity / std::max(o.standard.grams, 1.0);
    }

    // Scaling: by servings, or to fill a container.
    double factor = std::clamp(o.servings, 1, kMostServings);
    const bool batch = o.batchMl > 0;
    if (batch) {
        const double perGlass = chilledWithIce(card.method) ? diluted : measured;
        factor = perGlass > 0 ? o.batchMl / perGlass : 1;
        card.notes << QStringLiteral("The batch fills %1: about %2 glasses.")
                          .arg(showVolume(o.batchMl, UnitChoice::Ml), QString::number(factor, 'f', 1));
        if (chilledWithIce(card.method)) {
            card.batchWaterMl = measured * dilution * factor;
            card.notes << QStringLiteral("Water is added for the ice a %1 drink melts; chill the batch well and "
                                         "pour it without ice.")
                              .arg(methodName(card.method.method));
        } else if (card.method.method == Method::Blended) {
            card.notes << QStringLiteral("Blend each serving with its ice when you pour it.");
        } else if (card.method.withIce) {
            card.notes << QStringLiteral("Pour each serving over ice.");
        }
    }
    card.servings = factor;

    for (const Item &item : items) {
        CardLine line;
        line.ingredient = recipe.ingredients[item.slot].trimmed();
        const bool garnish = item.q.kind == QuantityKind::Count || item.q.kind == QuantityKind::Phrase;
        line.perGlass = batch && garnish;
        line.amount = showAmount(recipe.quantities[item.slot], item.q, line.perGlass ? 1 : factor, o.units,
                                 card.usesParts ? o.partMl : 0);
        if (line.perGlass)
            line.amount += QStringLiteral(" (each glass)");
        card.lines.append(line);
    }
    if (card.batchWaterMl > 0)
        card.lines.append({showVolume(card.batchWaterMl, o.units), QStringLiteral("Water"), false});
    return card;
}

QString RecipeCard::strengthLine(UnitChoice units) const
{
    if (!strengthKnown)
        return QStringLiteral("strength unknown: ") + unknownReason;
    return QStringLiteral("%1 in %2").arg(percentText(abv), showVolume(volumeMl, units));
}

QString RecipeCard::standardLine(const DrinkStandard &standard) const
{
    if (!strengthKnown)
        return QString();
    return QStringLiteral("%1 standard drink%2 a glass (%3 g of alcohol each, %4)")
        .arg(QString::number(standardDrinks, 'f', 1), std::abs(standardDrinks - 1) < 0.05 ? "" : "s",
             QString::number(standard.grams, 'g', 4), standard.name);
}

QString RecipeCard::toPlainText(const CardOptions &o) const
{
    QString out = name + QLatin1Char('\n');
    int width = 0;
    for (const CardLine &l : lines)
        width = std::max(width, int(l.amount.size()));
    for (const CardLine &l : lines)
        out += l.amount.leftJustified(width) + QStringLiteral("  ") + l.ingredient + QLatin1Char('\n');
    out += directions.simplified() + QLatin1Char('\n');
    out += strengthLine(o.units) + QStringLiteral(" (an estimate; %1)\n").arg(methodName(method.method));
    if (strengthKnown)
        out += standardLine(o.standard) + QLatin1Char('\n');
    for (const QString &n : notes)
        out += n + QLatin1Char('\n');
    if (o.batchMl <= 0 && o.servings > 1)
        out += QStringLiteral("Amounts for %1 servings; the strength is that of one glass.\n").arg(o.servings);
    return out;
}

} // namespace pv

namespace pv {

bool readCardRecipe(const QString &catalogue, qint64 key, CardRecipe *recipe, QString *error)
{
    sqlite3 *db = nullptr;
    auto fail = [&](const QString &why) {
        if (error)
            *error = why;
        sqlite3_close(db);
        return false;
    };
    try {
        guard::requireOrdinaryFile(catalogue);
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    if (sqlite3_open_v2(catalogue.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        return fail(QStringLiteral("%1 cannot be opened").arg(catalogue));
    try {
        guard::secure(db, catalogue);
    } catch (const std::exception &e) {
        return fail(QString::fromUtf8(e.what()));
    }
    sqlite3_busy_timeout(db, 2000);
    const char *sql = "SELECT DrinkName, Glass, Category1, Catagory2, Category3, Directions, "
                      "Qty1, Ing1, Qty2, Ing2, Qty3, Ing3, Qty4, Ing4, Qty5, Ing5, "
                      "Qty6, Ing6, Qty7, Ing7, Qty8, Ing8, Qty9, Ing9, Qty10, Ing10 FROM drinklst WHERE rowid = ?1";
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_bind_int64(st, 1, key);
    auto column = [st](int i) {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        return text ? QString::fromUtf8(text, sqlite3_column_bytes(st, i)) : QString();
    };
    const int rc = sqlite3_step(st);
    bool found = false;
    if (rc == SQLITE_ROW) {
        CardRecipe r;
        r.name = column(0);
        r.glass = column(1);
        for (int c = 2; c <= 4; ++c)
            if (!column(c).trimmed().isEmpty())
                r.categories << column(c).trimmed();
        r.directions = column(5);
        for (int k = 0; k < 10; ++k) {
            r.quantities[k] = column(6 + 2 * k);
            r.ingredients[k] = column(7 + 2 * k);
        }
        *recipe = r;
        found = true;
    } else if (rc != SQLITE_DONE && error) {
        *error = QString::fromUtf8(sqlite3_errmsg(db));
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return found;
}

} // namespace pv

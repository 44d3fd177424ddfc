#include "RecipeLayout.h"

namespace pv
{

QStringList wrapDirections(const QString &text, const TextWidth &textWidth, double limit)
{
    QStringList lines;
    const qsizetype n = text.size();
    // The text still to print is text[from, n); positions below count from
    // 1 within it, as do `s` and `p`.
    qsizetype from = 0;
    do {
        const QStringView rest = QStringView(text).mid(from);
        qsizetype s = 0;
        qsizetype p = 0;
        for (;;) {
            s = p + 1;
            p = rest.indexOf(QLatin1Char(' '), s - 1) + 1;
            if (p == 0)
                break;
            if (textWidth(rest.left(p).toString()) > limit)
                break;
        }
        if (p == 0) {
            lines << rest.toString();
            from = n;
            continue;
        }
        // Up to and including the last space that fitted. When not even the
        // first word fitted that is nothing, and the text would never get
        // shorter: the word then goes out alone, with its space.
        const qsizetype take = s > 1 ? s - 1 : p;
        lines << rest.left(take).toString();
        from += take;
        while (from < n && text.at(from) == QLatin1Char(' '))
            ++from;
    } while (from < n);
    return lines;
}

void layoutRecipe(const RecipeText &recipe, const TextWidth &textWidth, double limit, LinePrinter &out)
{
    const QString blank = QStringLiteral(" ");

    out.setFontSize(24);
    out.setFontBold(true);
    out.printLine(QString(23, QLatin1Char(' ')) + QStringLiteral("Pourvale"));

    out.setFontSize(16);
    out.setFontBold(false);
    out.printLine(blank);
    out.printLine(blank);
    out.printLine(QStringLiteral("Drink's Name: ") + recipe.name);
    out.printLine(blank);
    out.printLine(blank);
    for (std::size_t k = 0; k < recipe.quantities.size(); ++k)
        out.printLine(recipe.quantities[k] + QStringLiteral("  ") + recipe.ingredients[k]);
    out.printLine(blank);
    out.printLine(blank);
    out.printLine(QStringLiteral("Directions:"));
    out.printLine(blank);
    for (const QString &line : wrapDirections(recipe.directions, textWidth, limit))
        out.printLine(line);
    out.printLine(blank);
    out.endDoc();
}

} // namespace pv

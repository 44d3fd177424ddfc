#include "data/PartyMenu.h"

#include <QStringList>

namespace pv {

QVector<int> shareServings(int total, int drinks)
{
    QVector<int> out;
    if (drinks <= 0)
        return out;
    total = qMax(0, total);
    out.fill(total / drinks, drinks);
    for (int i = 0; i < total % drinks; ++i)
        ++out[i];
    return out;
}

QString menuLine(const CardRecipe &recipe, const std::function<bool(int line)> &dresses)
{
    QStringList parts;
    QStringList last;
    for (int k = 0; k < int(recipe.ingredients.size()); ++k) {
        // One line of a card: a stranger's line breaks do not break it.
        const QString text = recipe.ingredients[size_t(k)].simplified();
        if (text.isEmpty() || parts.contains(text, Qt::CaseInsensitive) || last.contains(text, Qt::CaseInsensitive))
            continue;
        (dresses && dresses(k) ? last : parts) << text;
    }
    return (parts + last).join(QStringLiteral(" \u00B7 "));
}

} // namespace pv

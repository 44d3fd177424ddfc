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

QString menuLine(const CardRecipe &recipe)
{
    QStringList parts;
    for (const QString &ing : recipe.ingredients) {
        // One line of a card: a stranger's line breaks do not break it.
        const QString text = ing.simplified();
        if (!text.isEmpty() && !parts.contains(text, Qt::CaseInsensitive))
            parts << text;
    }
    return parts.join(QStringLiteral(" \u00B7 "));
}

} // namespace pv

#include "interchange/RecipeCommand.h"

#include "data/Catalogue.h"
#include "data/CatalogueGuard.h"
#include "data/RecipeCard.h"
#include "data/TextFold.h"

#include <QFileInfo>
#include <QLocale>
#include <QTextStream>

#include <sqlite3.h>

#include <exception>

namespace pv::interchange {

namespace {

QString column(sqlite3_stmt *st, int i)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(st, i)) : QString();
}

struct Found {
    QList<CardRecipe> matches;
    int exact = -1;
    QString error;
};

Found findDrinks(const QString &catalogue, const QString &name)
{
    Found found;
    if (!QFileInfo(catalogue).isFile()) {
        found.error = QStringLiteral("%1 does not exist").arg(catalogue);
        return found;
    }
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(catalogue.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        found.error = QStringLiteral("%1 cannot be opened").arg(catalogue);
        sqlite3_close(db);
        return found;
    }
    try {
        guard::secure(db, catalogue);
    } catch (const std::exception &e) {
        found.error = QString::fromUtf8(e.what());
        sqlite3_close(db);
        return found;
    }
    sqlite3_busy_timeout(db, 2000);
    const char *sql = "SELECT DrinkName, Glass, Category1, Catagory2, Category3, Directions, "
                      "Qty1, Ing1, Qty2, Ing2, Qty3, Ing3, Qty4, Ing4, Qty5, Ing5, "
                      "Qty6, Ing6, Qty7, Ing7, Qty8, Ing8, Qty9, Ing9, Qty10, Ing10 FROM drinklst ORDER BY rowid";
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        found.error = QStringLiteral("%1 is not a catalogue: %2").arg(catalogue, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_close(db);
        return found;
    }
    const QString wanted = foldForSearch(name);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        const QString drink = column(st, 0);
        const QString folded = foldForSearch(drink);
        if (!folded.contains(wanted))
            continue;
        CardRecipe r;
        r.name = drink;
        r.glass = column(st, 1);
        for (int c = 2; c <= 4; ++c)
            if (!column(st, c).trimmed().isEmpty())
                r.categories << column(st, c).trimmed();
        r.directions = column(st, 5);
        for (int k = 0; k < 10; ++k) {
            r.quantities[k] = column(st, 6 + 2 * k);
            r.ingredients[k] = column(st, 7 + 2 * k);
        }
        if (found.exact < 0 && folded == wanted)
            found.exact = int(found.matches.size());
        found.matches << r;
    }
    if (rc != SQLITE_DONE)
        found.error = QStringLiteral("%1 cannot be read: %2").arg(catalogue, QString::fromUtf8(sqlite3_errmsg(db)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return found;
}

} // namespace

int runRecipe(const QString &name, int servings, UnitChoice units, const QString &catalogue, QTextStream &out,
              QTextStream &err)
{
    const Found found = findDrinks(catalogue, name);
    if (!found.error.isEmpty()) {
        err << "pourvale: " << found.error << '\n';
        return 1;
    }
    if (found.matches.isEmpty() || foldForSearch(name).isEmpty()) {
        err << QStringLiteral("pourvale: no drink is named '%1'\n").arg(name);
        return 1;
    }
    const int chosen = found.exact >= 0 ? found.exact : 0;
    if (found.matches.size() > 1)
        err << QStringLiteral("pourvale: %1 drinks match '%2'; showing %3, %4.\n")
                   .arg(found.matches.size())
                   .arg(name, found.matches[chosen].name,
                        found.exact >= 0 ? QStringLiteral("the exact match")
                                         : QStringLiteral("the first in the catalogue's order"));
    CardOptions o;
    o.units = units;
    o.servings = servings;
    o.standard = standardForLocale(QLocale::system());
    const RecipeCard card = buildRecipeCard(found.matches[chosen], o);
    out << card.toPlainText(o);
    return 0;
}

} // namespace pv::interchange

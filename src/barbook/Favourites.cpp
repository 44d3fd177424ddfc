#include "barbook/Favourites.h"

#include "data/BarBook.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/DrinkNotesPanel.h"
#include "ui/ScreenView.h"

#include <QWidget>

#include <algorithm>

namespace pv {

namespace {

QString favouritesTitle()
{
    return QObject::tr("Favourites");
}

void confine(DrinkHost *host, bool following)
{
    QVector<qint64> keys;
    try {
        const QHash<qint64, DrinkNotes> all = book::readAll(host->drinkData()->DatabaseName());
        for (auto it = all.begin(); it != all.end(); ++it)
            if (it.value().favourite)
                keys << it.key();
    } catch (const std::exception &e) {
        if (!following)
            Screen().MsgBox(QObject::tr("Your favourites could not be read.\n\nWhat went wrong: %1")
                                .arg(QString::fromUtf8(e.what())));
        return;
    }
    if (keys.isEmpty() && !following) {
        Screen().MsgBox(QObject::tr("You have no favourites yet. Open View, Recipe Card... and tick "
                                    "Favourite on the drinks you like best."));
        return;
    }
    std::sort(keys.begin(), keys.end());
    const qint64 current = host->currentDrink();
    host->confineToDrinks(keys, favouritesTitle());
    if (current >= 0 && keys.contains(current))
        host->showDrink(current);
}

} // namespace

void confineToFavourites(DrinkHost *host)
{
    QWidget *window = host->hostWindow();
    if (!window->property("pvFavouritesWatch").toBool()) {
        window->setProperty("pvFavouritesWatch", true);
        QObject::connect(&BookNotifier::instance(), &BookNotifier::changed, window, [host] {
            if (host->listTitle() == favouritesTitle())
                Screen().guard([host] { confine(host, true); });
        });
    }
    confine(host, false);
}

} // namespace pv

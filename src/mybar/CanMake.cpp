#include "mybar/CanMake.h"

#include "mybar/MyBar.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/ScreenView.h"

#include <QPointer>
#include <QWidget>

namespace pv {

namespace {

QString canMakeTitle()
{
    return QObject::tr("Drinks I can make");
}

// False when the list could not be made; `following`: a change of the ticks,
// which shows an empty list rather than a message.
bool confine(DrinkHost *host, bool following)
{
    QVector<qint64> keys;
    try {
        keys = drinksICanMake(host->drinkData()->DatabaseName());
    } catch (const std::exception &e) {
        if (!following)
            Screen().MsgBox(QObject::tr("Choose View All Drinks and try once more; the drinks you can make could "
                                        "not be worked out.\n\nWhat went wrong: %1")
                                .arg(QString::fromUtf8(e.what())));
        return false;
    }
    if (keys.isEmpty() && !following) {
        Screen().MsgBox(QObject::tr("You cannot make any drink with what is ticked in My Bar yet. "
                                    "Open View, My Bar... and tick what you have."));
        return false;
    }
    const qint64 current = host->currentDrink();
    host->confineToDrinks(keys, canMakeTitle());
    if (current >= 0 && keys.contains(current))
        host->showDrink(current);
    return true;
}

} // namespace

void confineToDrinksICanMake(DrinkHost *host)
{
    QWidget *window = host->hostWindow();
    if (!window->property("pvCanMakeWatch").toBool()) {
        window->setProperty("pvCanMakeWatch", true);
        // The window outlives no connection: the context ends it.
        QObject::connect(&ShelfNotifier::instance(), &ShelfNotifier::shelfSaved, window, [host] {
            if (host->listTitle() == canMakeTitle())
                Screen().guard([host] { confine(host, true); });
        });
    }
    confine(host, false);
}

} // namespace pv

#include "mybar/CanMake.h"

#include "browser/frmMain.h"
#include "data/DataError.h"
#include "mybar/MyBar.h"

namespace pv {

namespace {

constexpr char kFollowing[] = "pvCanMakeFollows";

bool showsCanMake(const frmMain *main)
{
    const QString source = main->Data1->RecordSource();
    return !source.isEmpty() && main->property(kFollowing).toString() == source &&
           main->property("pvListSource").toString() == source;
}

// False when the list could not be made; `following`: a change of the ticks,
// which shows an empty list rather than a message.
bool confine(frmMain *main, bool following)
{
    QVector<qint64> keys;
    try {
        keys = drinksICanMake(main->Data1->DatabaseName());
    } catch (const std::exception &e) {
        if (!following)
            Screen().MsgBox(QObject::tr("Open the catalogue again (View All Drinks) and try once more; the drinks "
                                        "you can make could not be worked out.\n\nWhat went wrong: %1")
                                .arg(QString::fromUtf8(e.what())));
        return false;
    }
    if (keys.isEmpty() && !following) {
        Screen().MsgBox(QObject::tr("You cannot make any drink with what is ticked in My Bar yet. "
                                    "Open View, My Bar... and tick what you have."));
        return false;
    }
    qint64 current = -1;
    try {
        if (main->Data1->cursor() && main->Data1->cursor()->hasCurrentRow())
            current = main->Data1->recordset().Bookmark();
    } catch (const DataError &) {
    }
    main->confineToDrinks(keys);
    const QString source = main->Data1->RecordSource();
    main->setProperty(kFollowing, source);
    main->setProperty("pvListSource", source);
    main->setProperty("pvListName", QObject::tr("Drinks I can make"));
    if (current >= 0 && keys.contains(current)) {
        try {
            main->Data1->recordset().setBookmark(current);
        } catch (const DataError &) {
            // Gone meanwhile: the list shows its first drink.
        }
    }
    return true;
}

} // namespace

void confineToDrinksICanMake(frmMain *main)
{
    if (!main->property("pvCanMakeWatch").toBool()) {
        main->setProperty("pvCanMakeWatch", true);
        QObject::connect(&ShelfNotifier::instance(), &ShelfNotifier::shelfSaved, main, [main] {
            if (showsCanMake(main))
                Screen().guard([main] { confine(main, true); });
        });
    }
    confine(main, false);
}

} // namespace pv

#pragma once

#include <QString>
#include <QVector>

class QWidget;

namespace pv {

class DataControl;

// The window that shows one drink at a time, as the other windows see it:
// they show drinks in it and follow its list without knowing the window.
class DrinkHost {
public:
    virtual ~DrinkHost() = default;

    // The window itself: the owner of dialogs, the one raised to show a drink.
    virtual QWidget *hostWindow() = 0;
    // The data control over its list: the catalogue file, the row source,
    // the cursor and its Reposition.
    virtual DataControl *drinkData() const = 0;

    // Makes the drink with this drinklst key current, in the list shown when
    // it is there, else in the whole list. False when there is no such drink.
    virtual bool showDrink(qint64 key) = 0;
    // Confines the list to these drinks (drinklst keys), in table order, as a
    // category does. A title names the list in the caption until another
    // list is chosen.
    virtual void confineToDrinks(const QVector<qint64> &keys, const QString &title = QString()) = 0;
    // The title given with the list shown, else empty.
    virtual QString listTitle() const = 0;
    // The key of the drink shown, or -1 when no drink is current.
    virtual qint64 currentDrink() const = 0;

    // What a printed or saved recipe takes from the window: the glass
    // picture shown (a resource path, empty when none) and the hidden box
    // whose font and width the directions are wrapped to.
    virtual QString glassPicture() const = 0;
    virtual const QWidget *measureBox() const = 0;

    // Asks for the current drink's three categories and sets them, saved
    // as any edit is (Edit > Set Categories...).
    virtual void editCategories() = 0;

    // The loaded window that hosts drinks, or nullptr.
    static DrinkHost *find();
};

} // namespace pv

#include "drinklist/IngredientSearch.h"

#include "data/DrinkIndex.h"
#include "data/TextFold.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"

#include <QInputDialog>

namespace pv {

namespace {

// A typed text as a caption or message quotes it: one line, not too long.
QString quoted(const QString &text)
{
    QString t = text.simplified();
    for (QChar &c : t)
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format)
            c = QChar(0xFFFD);
    if (t.size() > 40)
        t = t.left(39) + QChar(0x2026);
    return QChar(0x201C) + t + QChar(0x201D);
}

} // namespace

bool confineToIngredient(DrinkHost *main, const QString &text)
{
    if (foldForSearch(text).isEmpty()) {
        Screen().MsgBox(QObject::tr("Type some letters of an ingredient, for example chartreuse."));
        return false;
    }
    const QVector<qint64> keys = drinkindex::drinksWithIngredient(main->drinkData()->DatabaseName(), text);
    if (keys.isEmpty()) {
        Screen().MsgBox(QObject::tr("No drink has an ingredient containing %1.").arg(quoted(text)));
        return false;
    }
    main->confineToDrinks(keys, QObject::tr("Drinks with %1").arg(quoted(text)));
    return true;
}

void findDrinksWithIngredient(DrinkHost *main)
{
    static QString last;
    QInputDialog dialog(main->hostWindow());
    dialog.setObjectName(QStringLiteral("dlgFindIngredient"));
    dialog.setWindowTitle(QObject::tr("Find Drinks With Ingredient"));
    dialog.setLabelText(QObject::tr("Show the drinks with an ingredient containing:"));
    dialog.setTextValue(last);
    dialog.setOkButtonText(QObject::tr("&Find"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    last = dialog.textValue();
    confineToIngredient(main, last);
}

} // namespace pv

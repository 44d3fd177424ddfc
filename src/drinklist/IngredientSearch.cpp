#include "drinklist/IngredientSearch.h"

#include "ui/ScreenView.h"
#include "browser/frmMain.h"
#include "data/DrinkIndex.h"
#include "data/TextFold.h"

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

constexpr const char *kListName = "pvListName";

// The caption names the ingredient while its list is in force; any other
// list (a category, View All) takes the caption back.
void watchListChanges(frmMain *main)
{
    if (main->property("pvIngredientWatch").toBool())
        return;
    main->setProperty("pvIngredientWatch", true);
    QObject::connect(main->Data1, &DataControl::Reposition, main, [main] {
        const QString source = main->property("pvIngredientSource").toString();
        if (!source.isEmpty() && main->Data1->RecordSource() != source) {
            main->setProperty("pvIngredientSource", QVariant());
            main->setProperty(kListName, QVariant());
            main->setWindowTitle(QStringLiteral("Pourvale"));
        }
    });
}

} // namespace

bool confineToIngredient(frmMain *main, const QString &text)
{
    if (foldForSearch(text).isEmpty()) {
        Screen().MsgBox(QObject::tr("Type some letters of an ingredient, for example chartreuse."));
        return false;
    }
    const QVector<qint64> keys = drinkindex::drinksWithIngredient(main->Data1->DatabaseName(), text);
    if (keys.isEmpty()) {
        Screen().MsgBox(QObject::tr("No drink has an ingredient containing %1.").arg(quoted(text)));
        return false;
    }
    watchListChanges(main);
    main->confineToDrinks(keys);
    const QString name = QObject::tr("Drinks with %1").arg(quoted(text));
    main->setProperty("pvIngredientSource", main->Data1->RecordSource());
    main->setProperty(kListName, name);
    main->setWindowTitle(pv::titleText(QStringLiteral("Pourvale - ") + name));
    return true;
}

void findDrinksWithIngredient(frmMain *main)
{
    static QString last;
    QInputDialog dialog(main);
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

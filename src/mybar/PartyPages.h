#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

class QPainter;
class QRectF;

namespace pv {

// A party's menu card: a title, an optional line under it, and the drinks
// with one line each of what is in them.
struct MenuCard {
    QString title;
    QString subtitle;
    QList<QPair<QString, QString>> drinks; // name, contents
};

// Lays the card out on `page` (device units) of `painter`, scaled to the
// device's resolution, so the preview and the PDF are one layout.
void paintMenuCard(QPainter &painter, const QRectF &page, const MenuCard &card);

// The card as one PDF page, A4 or Letter by the locale. The file appears
// whole or not at all.
bool saveMenuCardPdf(const MenuCard &card, const QString &fileName, QString *error);

// A shopping list's lines (ShoppingList::lines) as a PDF page, headed by its
// first line, the kinds in bold.
bool saveShoppingListPdf(const QStringList &lines, const QString &fileName, QString *error);
// The same on the default printer; failures are told in a message box.
void printShoppingList(const QStringList &lines);

} // namespace pv

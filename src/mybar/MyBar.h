#pragma once

#include "data/BarMatcher.h"

#include <QObject>
#include <QVector>

#include <memory>

namespace pv {

// The vocabulary bundled with the program.
const IngredientVocabulary &bundledVocabulary();

// The user's shelf from the settings (section MyBar). A damaged section is
// read as far as it makes sense; the rest is ignored without a word.
BarShelf loadShelf();
void saveShelf(const BarShelf &shelf);

// Tells, each time the shelf is saved, whoever shows a list made from it.
class ShelfNotifier : public QObject {
    Q_OBJECT
public:
    static ShelfNotifier &instance();
Q_SIGNALS:
    void shelfSaved();
};

// The drinklst keys of the catalogue's drinks the saved shelf can make, in
// table order. Throws std::runtime_error when the catalogue cannot be read.
QVector<qint64> drinksICanMake(const QString &catalogue);

// The catalogue's drinks read against the bundled vocabulary, or null after
// telling the user why they could not be read.
std::shared_ptr<BarIndex> readBarIndex(const QString &catalogue);

} // namespace pv

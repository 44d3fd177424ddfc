#pragma once

#include "data/RecipeCard.h"

#include <QWidget>

class QComboBox;
class QSettings;
class QLabel;
class QSpinBox;
class QSvgWidget;
class QTextBrowser;

namespace pv {

// The choices a card is shown with, kept per user; every card shown follows
// a change made on any of them.
class CardChoices : public QObject {
    Q_OBJECT
public:
    static CardChoices &instance();

    UnitChoice units = UnitChoice::AsWritten;
    int servings = 1;
    int batch = 0;          // 0 none, 1.. a container of batchContainers(), last: batchMl
    double batchMl = 1500;  // the volume typed in
    double partMl = 30;
    int standard = 0;       // 0 by locale, else drinkStandards()[standard - 1]

    CardOptions options() const;
    // Takes the new choices at once; they reach the settings file soon
    // after, and at the latest by flush() (a card window's closing, the
    // program's end).
    void save();
    void load();
    void flush();

Q_SIGNALS:
    void changed();

private:
    QSettings *store();
    QSettings *m_store = nullptr;
};

// A recipe card: the choices of units, servings and batch above, the card
// below with the glass picture beside it.
class RecipeCardView : public QWidget {
    Q_OBJECT
public:
    explicit RecipeCardView(QWidget *parent = nullptr);

    void setRecipe(const CardRecipe &recipe);
    void clear();
    const CardRecipe &recipe() const { return m_recipe; }
    bool hasRecipe() const { return m_hasRecipe; }
    const RecipeCard &card() const { return m_card; }
    CardOptions options() const { return CardChoices::instance().options(); }

    // Works the card out again and shows it.
    void render();

    QComboBox *cboUnits = nullptr;
    QSpinBox *spnServings = nullptr;
    QComboBox *cboBatch = nullptr;
    QSpinBox *spnBatchMl = nullptr;
    QLabel *lblPartMl = nullptr;
    QSpinBox *spnPartMl = nullptr;
    QComboBox *cboStandard = nullptr;
    QTextBrowser *txtCard = nullptr;
    QSvgWidget *picGlass = nullptr;
    QLabel *lblGlass = nullptr;

private:
    void takeChoices();
    void showChoices();

    CardRecipe m_recipe;
    RecipeCard m_card;
    bool m_hasRecipe = false;
    bool m_updating = false;
    QString m_picture;
};

} // namespace pv

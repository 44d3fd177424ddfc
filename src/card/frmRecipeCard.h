#pragma once

#include "ui/RecipeCardView.h"
#include "ui/ScreenView.h"

#include <QPointer>
#include <QPushButton>
#include <QWidget>

namespace pv {
class DataControl;
class DrinkHost;
class DrinkNotesPanel;
}

// "Recipe Card": the main window's current drink with its amounts in the
// chosen units, servings or batch, and its estimated strength. It follows
// the drink the main window shows.
class frmRecipeCard : public QWidget, public pv::Form {
    Q_OBJECT
public:
    frmRecipeCard();
    QWidget *widget() override { return this; }
    void Form_Load() override;
    void Form_Unload(int &Cancel) override;

    // Opens the one card window on the drinks of this window, or brings it
    // forward.
    static void open(pv::DrinkHost *host);

    pv::RecipeCardView *card = nullptr;
    // The user's own favourite mark, rating, note and log of the drink.
    pv::DrinkNotesPanel *notes = nullptr;
    QPushButton *cmdCategories = nullptr;
    QPushButton *cmdSavePdf = nullptr;
    QPushButton *cmdClose = nullptr;

public Q_SLOTS:
    // Shows the data control's current drink again, as saved.
    void followDrink();
    void cmdSavePdf_Click();
    void cmdCategories_Click();

protected:
    void changeEvent(QEvent *event) override;

private:
    pv::DrinkHost *host() const { return m_hostWindow ? m_host : nullptr; }

    pv::DrinkHost *m_host = nullptr;
    QPointer<QWidget> m_hostWindow; // gone with the window it belongs to
};

namespace pv {

// File > "Save Recipe Card as PDF...": the card of the window's current
// drink, with the chosen units, servings and batch.
void saveRecipeCardAsPdf(DrinkHost *host);

// The current drink of a data control over drinks, as saved; false when no
// drink is current.
bool currentCardRecipe(DataControl *drinks, CardRecipe *recipe);

} // namespace pv

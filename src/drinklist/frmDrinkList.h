#pragma once

#include "drinklist/DrinkListModel.h"
#include "drinklist/IndexBuilder.h"
#include "ui/ScreenView.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QWidget>

namespace pv {
class DrinkHost;
}

namespace pv {
class RecipeCardView;
class DrinkNotesPanel;
}
class QCheckBox;
class QComboBox;

// "Drink List": the main window's current list as a table, sortable and
// filtered as one types; Enter or a double-click shows the drink in the main
// window. It follows the main window: another category, an edit, an added or
// deleted drink shows without reopening.
class frmDrinkList : public QWidget, public pv::Form {
    Q_OBJECT
public:
    frmDrinkList();
    QWidget *widget() override { return this; }
    void Form_Load() override;
    void Form_Unload(int &Cancel) override;

    // Opens the one window on the main window's list, or brings it forward.
    static void open(pv::DrinkHost *main);

    pv::DrinkListModel *model() const { return m_model; }

    QLineEdit *txtFilter = nullptr;
    QTableView *grdDrinks = nullptr;
    QLabel *lblCount = nullptr;
    QPushButton *cmdClose = nullptr;
    // The recipe card of the drink picked in the table, beside it.
    pv::RecipeCardView *paneCard = nullptr;
    pv::DrinkNotesPanel *paneNotes = nullptr;
    // The user's own marks as filters.
    QCheckBox *chkFavouritesOnly = nullptr;
    QComboBox *cboMinRating = nullptr;
    // The line shown while the catalogue's search index is built behind
    // the window: what is done, and Cancel.
    QWidget *barIndex = nullptr;
    QLabel *lblIndex = nullptr;
    QProgressBar *prgIndex = nullptr;
    QPushButton *cmdIndexCancel = nullptr;
    pv::IndexBuilder *indexBuilder() const { return m_builder; }

public Q_SLOTS:
    void txtFilter_Change();
    void bookFilter_Change();
    void grdDrinks_Activated(const QModelIndex &index);
    // Re-reads what changed in the main window or the file; `moved`: the
    // main window went to another drink, which the table then shows picked.
    void followMain(bool moved);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void attach(pv::DrinkHost *main);
    // The main window while it is there, else nullptr.
    pv::DrinkHost *host() const { return m_mainWindow ? m_main : nullptr; }
    void updateCaption();
    void selectMainDrink();
    void showPaneCard();
    // Builds the index in the background when the list would use it.
    void buildIndexIfNeeded();
    void indexFinished(bool built, bool stopped);
    // Reads on a filter that scans a window at a time, one window per turn
    // of the event loop, until the table's screen is full or the list complete.
    void scanOn();

    pv::DrinkListModel *m_model = nullptr;
    pv::DrinkHost *m_main = nullptr;
    QPointer<QWidget> m_mainWindow;
    QTimer m_poll;
    QTimer m_scanMore;
    pv::IndexBuilder *m_builder = nullptr;
    QString m_indexGivenUp; // the catalogue whose index was cancelled or cannot be built
};

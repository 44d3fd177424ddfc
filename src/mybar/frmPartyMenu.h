#pragma once

#include "data/ShoppingList.h"
#include "mybar/PartyPages.h"
#include "ui/ScreenView.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTreeWidget;

namespace pv {
class DrinkHost;
}

// "Party Menu": pick the drinks of a party (from what My Bar can make now,
// a plan's drinks, the favourites or all), give the guests and the drinks
// each, and get the servings shared out, the shopping list for what the
// shelf lacks, and a menu card for the guests.
class frmPartyMenu : public QWidget, public pv::Form {
    Q_OBJECT
public:
    frmPartyMenu();
    QWidget *widget() override { return this; }
    void Form_Load() override;

    static frmPartyMenu *open(pv::DrinkHost *host);
    // Offers these drinks (a plan's) to pick from, all picked.
    void offerDrinks(const QVector<qint64> &keys, const QString &from);

    // The drinks picked, in the list's order, with their servings.
    QVector<QPair<qint64, int>> menu() const { return m_menu; }
    pv::MenuCard menuCard() const;
    const pv::ShoppingList &shopping() const { return m_shopping; }
    pv::ShoppingOptions shoppingOptions() const;

    QComboBox *cboFrom = nullptr;
    QLineEdit *txtPickFilter = nullptr;
    QListWidget *lstOffered = nullptr;
    QSpinBox *spnGuests = nullptr;
    QSpinBox *spnPerGuest = nullptr;
    QLabel *lblShare = nullptr;
    QTreeWidget *lstMenu = nullptr;
    QLineEdit *txtTitle = nullptr;
    QLineEdit *txtSubtitle = nullptr;
    QTabWidget *tabOut = nullptr;
    QWidget *picCard = nullptr; // the card as it prints, drawn to fit
    QPlainTextEdit *txtShopping = nullptr;
    QCheckBox *chkShelf = nullptr;
    QPushButton *cmdSaveCardPdf = nullptr;
    QPushButton *cmdSaveListPdf = nullptr;
    QPushButton *cmdShoppingList = nullptr;
    QPushButton *cmdClose = nullptr;

public Q_SLOTS:
    void cboFrom_Change();
    void cmdSaveCardPdf_Click();
    void cmdSaveListPdf_Click();
    void cmdShoppingList_Click();
    // Shares the servings out again and makes the list and the card anew.
    void recompute();

private:
    enum From { CanMake, Plan, Favourites, All };
    void attach(pv::DrinkHost *host);
    bool loadIndex();
    void fillOffered(const QVector<qint64> &keys, int picks);
    void showCard();
    pv::DrinkHost *host() const { return m_hostWindow ? m_host : nullptr; }

    pv::DrinkHost *m_host = nullptr;
    QPointer<QWidget> m_hostWindow;
    QString m_catalogue;
    std::shared_ptr<const pv::BarIndex> m_index;
    QVector<qint64> m_planDrinks;
    QVector<QPair<qint64, int>> m_menu;
    QStringList m_menuLines;
    pv::ShoppingList m_shopping;
    bool m_filling = false;
};

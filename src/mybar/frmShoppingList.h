#pragma once

#include "data/ShoppingList.h"
#include "ui/ScreenView.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace pv {
class DrinkHost;
}

// "Shopping List": drinks and the servings of each, and what they need added
// up in the units one buys, less what My Bar's shelf holds.
class frmShoppingList : public QWidget, public pv::Form {
    Q_OBJECT
public:
    frmShoppingList();
    QWidget *widget() override { return this; }
    void Form_Load() override;

    // Opens the one window on the drinks of this main window, or brings it forward.
    static frmShoppingList *open(pv::DrinkHost *host);
    // Lists these drinks (drinklst keys) with their servings, in place of
    // what was listed.
    void setDrinks(const QVector<QPair<qint64, int>> &drinks, const QString &title = QString());
    void addDrink(qint64 key, int servings);
    QVector<QPair<qint64, int>> drinks() const;
    const pv::ShoppingList &list() const { return m_list; }
    QStringList listLines() const { return m_list.lines(options()); }

    QLabel *lblFor = nullptr;
    QTableWidget *grdDrinks = nullptr;
    QComboBox *cboDrink = nullptr;
    QSpinBox *spnServings = nullptr;
    QPushButton *cmdAddDrink = nullptr;
    QPushButton *cmdAddShown = nullptr;
    QPushButton *cmdRemoveDrink = nullptr;
    QComboBox *cboBottle = nullptr;
    QCheckBox *chkShelf = nullptr;
    QPlainTextEdit *txtList = nullptr;
    QPushButton *cmdCopy = nullptr;
    QPushButton *cmdPrint = nullptr;
    QPushButton *cmdSavePdf = nullptr;
    QPushButton *cmdClose = nullptr;

public Q_SLOTS:
    void cmdAddDrink_Click();
    void cmdAddShown_Click();
    void cmdRemoveDrink_Click();
    void cmdCopy_Click();
    void cmdPrint_Click();
    void cmdSavePdf_Click();
    // Adds the list up again.
    void recompute();

private:
    void attach(pv::DrinkHost *host);
    bool loadIndex();
    pv::ShoppingOptions options() const;
    pv::DrinkHost *host() const { return m_hostWindow ? m_host : nullptr; }

    pv::DrinkHost *m_host = nullptr;
    QPointer<QWidget> m_hostWindow;
    QString m_catalogue;
    std::shared_ptr<const pv::BarIndex> m_index;
    pv::ShoppingList m_list;
    bool m_filling = false;
};

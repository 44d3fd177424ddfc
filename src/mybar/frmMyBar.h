#pragma once

#include "data/BarMatcher.h"
#include "ui/ScreenView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QWidget>

#include <memory>

namespace pv {
class LinePrinter;
}

// "My Bar": the ingredients at hand, ticked by kind, and what they make.
class frmMyBar : public QWidget, public pv::Form {
    Q_OBJECT
public:
    explicit frmMyBar(QWidget *parent = nullptr);
    ~frmMyBar() override;
    QWidget *widget() override { return this; }
    void Form_Load() override;

    // The "Buy next" list as text: one ingredient a line with the number of
    // drinks it adds, its drinks indented below.
    QStringList buyNextLines() const;
    // The printed page of that list.
    void layoutBuyNext(pv::LinePrinter &out) const;

    QLineEdit *txtFilter = nullptr;
    QTreeWidget *tvwIngredients = nullptr;
    QCheckBox *chkSubstitutes = nullptr;
    QCheckBox *chkGarnishes = nullptr;
    QLabel *lblCanMake = nullptr;
    QTreeWidget *lstCanMake = nullptr;
    QLabel *lblOneAway = nullptr;
    QTreeWidget *lstOneAway = nullptr;
    QLabel *lblBuyNext = nullptr;
    QTreeWidget *tvwBuyNext = nullptr;
    QPushButton *cmdPrintBuyNext = nullptr;
    QPushButton *cmdCopyBuyNext = nullptr;
    QPushButton *cmdClose = nullptr;
    // The user's own rules: "I count [cboCountAs] as [cboCountAsTarget]".
    QComboBox *cboCountAs = nullptr;
    QComboBox *cboCountAsTarget = nullptr;
    QPushButton *cmdAddCountAs = nullptr;
    QListWidget *lstCountAs = nullptr;
    QPushButton *cmdRemoveCountAs = nullptr;
    QPushButton *cmdPlan = nullptr;

    const pv::BarShelf &shelf() const { return m_shelf; }

public Q_SLOTS:
    void txtFilter_Change();
    void tvwIngredients_ItemChanged(QTreeWidgetItem *item);
    void chkSubstitutes_Click();
    void chkGarnishes_Click();
    void cmdPrintBuyNext_Click();
    void cmdCopyBuyNext_Click();
    void cmdClose_Click();
    void cmdAddCountAs_Click();
    void cmdRemoveCountAs_Click();
    void cmdPlan_Click();
    // Shows the drink of a list row in the main window.
    void drink_Activated(QTreeWidgetItem *item);

protected:
    void changeEvent(QEvent *event) override;

private:
    void buildForm();
    // Reads the catalogue again; the ingredient tree is rebuilt only when
    // what it shows has changed.
    void reload();
    void fillIngredients();
    void recompute();
    void fillCountAs();
    std::vector<char> ticks() const;
    QString catalogueFile() const;

    std::unique_ptr<pv::BarIndex> m_index;
    pv::BarShelf m_shelf;
    pv::BarLists m_lists;
    std::vector<QTreeWidgetItem *> m_items; // per ingredient
    std::vector<int> m_shownUsage;
    bool m_filling = false;
};

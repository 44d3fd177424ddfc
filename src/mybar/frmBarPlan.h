#pragma once

#include "data/BarPlanner.h"
#include "ui/ScreenView.h"

#include <QComboBox>
#include <QFutureWatcher>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QWidget>

#include <memory>

class QChartView;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace pv {
class LinePrinter;
}

// "Plan bottles": the N bottles to add to My Bar's shelf that make the most
// drinks, with bottles never to buy, drinks that must be made, and the curve
// of drinks against bottles added.
class frmBarPlan : public QWidget, public pv::Form {
    Q_OBJECT
public:
    explicit frmBarPlan(QWidget *parent = nullptr);
    ~frmBarPlan() override;
    QWidget *widget() override { return this; }
    void Form_Load() override;

    // The shelf and rules to plan for; plans anew when they changed.
    void setShelf(const pv::BarShelf &shelf);
    // True while a plan or the curve is being worked out.
    bool busy() const;
    const pv::Plan &plan() const { return m_plan; }
    // The plan as a shopping list: the bottles, then the drinks they add.
    QStringList shoppingList() const;
    void layoutPlan(pv::LinePrinter &out) const;
    // The curve's points: drinks with 0..30 bottles, best plan and one at a time.
    QList<int> bestCurve() const { return m_best; }
    QList<int> stepCurve() const { return m_steps; }

    QSpinBox *spnBottles = nullptr;
    QLabel *lblPlan = nullptr;
    QTreeWidget *lstPlanBottles = nullptr;
    QTreeWidget *lstPlanDrinks = nullptr;
    QPushButton *cmdNever = nullptr;
    QListWidget *lstNever = nullptr;
    QPushButton *cmdAllowAgain = nullptr;
    QComboBox *cboMust = nullptr;
    QPushButton *cmdMust = nullptr;
    QListWidget *lstMust = nullptr;
    QPushButton *cmdNotMust = nullptr;
    QChartView *chtCoverage = nullptr;
    QPushButton *cmdPrintPlan = nullptr;
    QPushButton *cmdCopyPlan = nullptr;
    // The plan's drinks as a shopping list or a party's menu.
    QPushButton *cmdShopPlan = nullptr;
    QPushButton *cmdPartyPlan = nullptr;
    QPushButton *cmdClose = nullptr;

public Q_SLOTS:
    void spnBottles_Change();
    void cmdNever_Click();
    void cmdAllowAgain_Click();
    void cmdMust_Click();
    void cmdNotMust_Click();
    void cmdPrintPlan_Click();
    void cmdCopyPlan_Click();
    void cmdShopPlan_Click();
    void cmdPartyPlan_Click();
    void cmdClose_Click();

Q_SIGNALS:
    void planShown();
    void curveShown();

private:
    struct Curve {
        QList<int> best, steps;
        QList<bool> proven;
    };
    void buildForm();
    void reload();
    pv::PlanRequest request(int bottles, double seconds) const;
    void replan();
    void showPlan();
    void drawCurve();
    void showCurve();
    void saveLists() const;

    std::shared_ptr<const pv::BarIndex> m_index;
    pv::BarShelf m_shelf;
    QStringList m_never, m_must;
    pv::Plan m_plan;
    QList<int> m_best, m_steps;
    QFutureWatcher<pv::Plan> m_planWatcher;
    QFutureWatcher<Curve> m_curveWatcher;
    bool m_planAgain = false, m_curveAgain = false;
    bool m_planPending = false, m_curvePending = false;
    QLineSeries *m_bestSeries = nullptr;
    QLineSeries *m_stepSeries = nullptr;
    QScatterSeries *m_here = nullptr;
    QValueAxis *m_axisX = nullptr;
    QValueAxis *m_axisY = nullptr;
};

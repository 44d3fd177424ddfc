#include "mybar/frmBarPlan.h"

#include "browser/RecipePrint.h"
#include "data/Catalogue.h"
#include "data/TextFold.h"
#include "mybar/MyBar.h"

#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QSettings>
#include <QSplitter>
#include <QVBoxLayout>
#include <QtCharts/QChart>
#include <QtCharts/QChartView>
#include <QtCharts/QLineSeries>
#include <QtCharts/QScatterSeries>
#include <QtCharts/QValueAxis>
#include <QtConcurrent/QtConcurrentRun>

namespace {

constexpr int kMaxBottles = 30;
constexpr int kKeyRole = Qt::UserRole;
// Each point of the curve gets a short search; the plan on show gets the full one.
constexpr double kCurveSeconds = 0.25;
constexpr double kPlanSeconds = 1.9;

const char kSection[] = "MyBar";

QStringList readNames(const char *key)
{
    const QString app = pv::Screen().App().Title;
    QSettings s(app, app);
    s.beginGroup(QLatin1String(kSection));
    const QVariant v = s.value(QLatin1String(key));
    QStringList raw = v.typeId() == QMetaType::QStringList ? v.toStringList() : v.toString().split(QLatin1Char('\n'));
    QStringList out;
    for (const QString &n : raw)
        if (!n.trimmed().isEmpty())
            out << n.trimmed();
    return out;
}

} // namespace

frmBarPlan::frmBarPlan(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmBarPlan"));
    setWindowTitle(QStringLiteral("Plan Bottles"));
    buildForm();
    connect(&m_planWatcher, &QFutureWatcher<pv::Plan>::finished, this, [this] { showPlan(); });
    connect(&m_curveWatcher, &QFutureWatcher<Curve>::finished, this, [this] { showCurve(); });
}

frmBarPlan::~frmBarPlan()
{
    m_planWatcher.waitForFinished();
    m_curveWatcher.waitForFinished();
}

void frmBarPlan::buildForm()
{
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);

    auto *left = new QWidget(split);
    auto *lv = new QVBoxLayout(left);
    lv->setContentsMargins(0, 0, 0, 0);
    auto *row = new QHBoxLayout;
    auto *nLabel = new QLabel(QStringLiteral("Bottles to &add:"), left);
    spnBottles = new QSpinBox(left);
    spnBottles->setObjectName(QStringLiteral("spnBottles"));
    spnBottles->setRange(1, kMaxBottles);
    spnBottles->setValue(5);
    nLabel->setBuddy(spnBottles);
    row->addWidget(nLabel);
    row->addWidget(spnBottles);
    row->addStretch(1);
    lv->addLayout(row);
    lblPlan = new QLabel(left);
    lblPlan->setObjectName(QStringLiteral("lblPlan"));
    lblPlan->setWordWrap(true);
    lv->addWidget(lblPlan);
    auto *bottlesLabel = new QLabel(QStringLiteral("B&uy these"), left);
    lstPlanBottles = new QTreeWidget(left);
    lstPlanBottles->setObjectName(QStringLiteral("lstPlanBottles"));
    lstPlanBottles->setColumnCount(2);
    lstPlanBottles->setHeaderHidden(true);
    lstPlanBottles->setRootIsDecorated(false);
    lstPlanBottles->header()->setStretchLastSection(false);
    lstPlanBottles->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstPlanBottles->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    bottlesLabel->setBuddy(lstPlanBottles);
    lv->addWidget(bottlesLabel);
    lv->addWidget(lstPlanBottles, 2);
    auto *drinksLabel = new QLabel(QStringLiteral("&Drinks they add"), left);
    lstPlanDrinks = new QTreeWidget(left);
    lstPlanDrinks->setObjectName(QStringLiteral("lstPlanDrinks"));
    lstPlanDrinks->setHeaderHidden(true);
    lstPlanDrinks->setRootIsDecorated(false);
    drinksLabel->setBuddy(lstPlanDrinks);
    lv->addWidget(drinksLabel);
    lv->addWidget(lstPlanDrinks, 3);

    auto *right = new QWidget(split);
    auto *rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    auto *never = new QGroupBox(QStringLiteral("Never buy"), right);
    auto *ng = new QGridLayout(never);
    cmdNever = new QPushButton(QStringLiteral("&Never buy the chosen bottle"), never);
    cmdNever->setObjectName(QStringLiteral("cmdNever"));
    lstNever = new QListWidget(never);
    lstNever->setObjectName(QStringLiteral("lstNever"));
    lstNever->setMaximumHeight(64);
    cmdAllowAgain = new QPushButton(QStringLiteral("Allo&w again"), never);
    cmdAllowAgain->setObjectName(QStringLiteral("cmdAllowAgain"));
    ng->addWidget(cmdNever, 0, 0, 1, 2);
    ng->addWidget(lstNever, 1, 0);
    ng->addWidget(cmdAllowAgain, 1, 1, Qt::AlignTop);
    auto *must = new QGroupBox(QStringLiteral("Must make"), right);
    auto *mg = new QGridLayout(must);
    cboMust = new QComboBox(must);
    cboMust->setObjectName(QStringLiteral("cboMust"));
    cboMust->setEditable(true);
    cboMust->setInsertPolicy(QComboBox::NoInsert);
    cmdMust = new QPushButton(QStringLiteral("&Require"), must);
    cmdMust->setObjectName(QStringLiteral("cmdMust"));
    lstMust = new QListWidget(must);
    lstMust->setObjectName(QStringLiteral("lstMust"));
    lstMust->setMaximumHeight(64);
    cmdNotMust = new QPushButton(QStringLiteral("Dro&p"), must);
    cmdNotMust->setObjectName(QStringLiteral("cmdNotMust"));
    mg->addWidget(cboMust, 0, 0);
    mg->addWidget(cmdMust, 0, 1);
    mg->addWidget(lstMust, 1, 0);
    mg->addWidget(cmdNotMust, 1, 1, Qt::AlignTop);
    rv->addWidget(never);
    rv->addWidget(must);

    auto *chart = new QChart;
    chart->setTitle(QStringLiteral("Drinks against bottles added"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    m_bestSeries = new QLineSeries;
    m_bestSeries->setName(QStringLiteral("Best plan for each number"));
    QPen solid(QColor(0x1f, 0x6f, 0xb4));
    solid.setWidth(3);
    m_bestSeries->setPen(solid);
    m_stepSeries = new QLineSeries;
    m_stepSeries->setName(QStringLiteral("Buy next, one at a time"));
    QPen dashed(QColor(0xd9, 0x5f, 0x02));
    dashed.setStyle(Qt::DashLine);
    dashed.setWidth(2);
    m_stepSeries->setPen(dashed);
    m_here = new QScatterSeries;
    m_here->setName(QStringLiteral("This plan"));
    m_here->setMarkerSize(11);
    m_here->setColor(QColor(0x2c, 0x9c, 0x3c));
    chart->addSeries(m_bestSeries);
    chart->addSeries(m_stepSeries);
    chart->addSeries(m_here);
    m_axisX = new QValueAxis;
    m_axisX->setRange(0, kMaxBottles);
    m_axisX->setTickCount(7);
    m_axisX->setLabelFormat(QStringLiteral("%d"));
    m_axisX->setTitleText(QStringLiteral("Bottles added"));
    m_axisY = new QValueAxis;
    m_axisY->setLabelFormat(QStringLiteral("%d"));
    // Whole numbers while the first plan is worked out, not "0 0 0 0 1".
    m_axisY->setRange(0, 10);
    m_axisY->setTickCount(6);
    m_axisY->setTitleText(QStringLiteral("Drinks"));
    chart->addAxis(m_axisX, Qt::AlignBottom);
    chart->addAxis(m_axisY, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(m_axisX);
        s->attachAxis(m_axisY);
    }
    chtCoverage = new QChartView(chart, right);
    chtCoverage->setObjectName(QStringLiteral("chtCoverage"));
    chtCoverage->setRenderHint(QPainter::Antialiasing);
    chtCoverage->setMinimumSize(360, 260);
    rv->addWidget(chtCoverage, 1);

    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);

    cmdPrintPlan = new QPushButton(QStringLiteral("Pr&int Plan"), this);
    cmdPrintPlan->setObjectName(QStringLiteral("cmdPrintPlan"));
    cmdCopyPlan = new QPushButton(QStringLiteral("&Copy Shopping List"), this);
    cmdCopyPlan->setObjectName(QStringLiteral("cmdCopyPlan"));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setShortcut(QKeySequence::Cancel);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdPrintPlan);
    buttons->addWidget(cmdCopyPlan);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto *top = new QVBoxLayout(this);
    top->addWidget(split, 1);
    top->addLayout(buttons);
    resize(980, 640);

    connect(spnBottles, &QSpinBox::valueChanged, this, [this] { spnBottles_Change(); });
    pv::onEvent(cmdNever, &QPushButton::clicked, this, [this] { cmdNever_Click(); });
    pv::onEvent(cmdAllowAgain, &QPushButton::clicked, this, [this] { cmdAllowAgain_Click(); });
    pv::onEvent(cmdMust, &QPushButton::clicked, this, [this] { cmdMust_Click(); });
    pv::onEvent(cmdNotMust, &QPushButton::clicked, this, [this] { cmdNotMust_Click(); });
    pv::onEvent(cmdPrintPlan, &QPushButton::clicked, this, [this] { cmdPrintPlan_Click(); });
    pv::onEvent(cmdCopyPlan, &QPushButton::clicked, this, [this] { cmdCopyPlan_Click(); });
    pv::onEvent(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    setTabOrder(spnBottles, lstPlanBottles);
    setTabOrder(lstPlanBottles, lstPlanDrinks);
    setTabOrder(lstPlanDrinks, cmdNever);
    setTabOrder(cmdNever, lstNever);
    setTabOrder(lstNever, cmdAllowAgain);
    setTabOrder(cmdAllowAgain, cboMust);
    setTabOrder(cboMust, cmdMust);
    setTabOrder(cmdMust, lstMust);
    setTabOrder(lstMust, cmdNotMust);
    setTabOrder(cmdNotMust, cmdPrintPlan);
    setTabOrder(cmdPrintPlan, cmdCopyPlan);
    setTabOrder(cmdCopyPlan, cmdClose);
}

void frmBarPlan::Form_Load()
{
    m_never = readNames("NeverBuy");
    m_must = readNames("MustMake");
    if (m_shelf.have.isEmpty() && m_shelf.without.isEmpty())
        m_shelf = pv::loadShelf();
    reload();
    spnBottles->setFocus();
}

void frmBarPlan::reload()
{
    auto index = std::make_shared<pv::BarIndex>(pv::bundledVocabulary());
    try {
        index->loadCatalogue(pv::cataloguePath(pv::Screen().App().Path));
    } catch (const std::exception &) {
        // The main window tells the user about an unreadable catalogue.
        index = std::make_shared<pv::BarIndex>(pv::bundledVocabulary());
    }
    m_index = index;
    QStringList drinks;
    for (int d = 0; d < index->drinkCount(); ++d)
        drinks << index->drinkName(d);
    drinks.sort(Qt::CaseInsensitive);
    cboMust->clear();
    cboMust->addItems(drinks);
    cboMust->setCurrentIndex(-1);
    cboMust->completer()->setCompletionMode(QCompleter::PopupCompletion);
    cboMust->completer()->setFilterMode(Qt::MatchContains);
    cboMust->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    replan();
    drawCurve();
}

void frmBarPlan::setShelf(const pv::BarShelf &shelf)
{
    const bool same = shelf.have == m_shelf.have && shelf.without == m_shelf.without &&
                      shelf.countAs == m_shelf.countAs && shelf.options.substitutes == m_shelf.options.substitutes &&
                      shelf.options.garnishes == m_shelf.options.garnishes;
    m_shelf = shelf;
    if (!same && m_index) {
        replan();
        drawCurve();
    }
}

bool frmBarPlan::busy() const
{
    // Until the results are on screen, not only until the work ends.
    return m_planPending || m_curvePending;
}

pv::PlanRequest frmBarPlan::request(int bottles, double seconds) const
{
    pv::PlanRequest r;
    r.bottles = bottles;
    r.seconds = seconds;
    r.have = m_shelf.haveVector(*m_index);
    r.options = m_shelf.optionsFor(*m_index);
    r.never.assign(size_t(m_index->ingredientCount()), 0);
    for (const QString &name : m_never)
        if (const int i = m_index->ingredientOf(name); i >= 0)
            r.never[size_t(i)] = 1;
    for (const QString &name : m_must) {
        const QString folded = pv::foldForSearch(name);
        for (int d = 0; d < m_index->drinkCount(); ++d)
            if (pv::foldForSearch(m_index->drinkName(d)) == folded) {
                r.mustMake.push_back(d);
                break;
            }
    }
    return r;
}

void frmBarPlan::replan()
{
    lstNever->clear();
    lstNever->addItems(m_never);
    cmdAllowAgain->setEnabled(!m_never.isEmpty());
    lstMust->clear();
    lstMust->addItems(m_must);
    cmdNotMust->setEnabled(!m_must.isEmpty());
    if (m_planWatcher.isRunning()) {
        // One search at a time; the newest wish is worked out when it ends.
        m_planAgain = true;
        return;
    }
    m_planAgain = false;
    lblPlan->setText(QStringLiteral("Working out the best %1 bottles...").arg(spnBottles->value()));
    const std::shared_ptr<const pv::BarIndex> index = m_index;
    const pv::PlanRequest r = request(spnBottles->value(), kPlanSeconds);
    m_planPending = true;
    m_planWatcher.setFuture(QtConcurrent::run([index, r] { return pv::planBottles(*index, r); }));
}

void frmBarPlan::showPlan()
{
    if (m_planAgain) {
        replan();
        return;
    }
    m_plan = m_planWatcher.result();
    m_planPending = false;
    const pv::BarIndex &ix = *m_index;
    const int n = spnBottles->value();
    const int added = m_plan.total - m_plan.shelfDrinks;
    QString text;
    if (!m_plan.feasible)
        text = QStringLiteral("No %1 bottles make every drink you require. Require fewer drinks, allow bottles "
                              "again, or add bottles.")
                   .arg(n);
    else if (!m_plan.found)
        text = QStringLiteral("No plan that makes every drink you require was found in %1 seconds. Require "
                              "fewer drinks or add bottles.")
                   .arg(2);
    else if (m_plan.bottles.empty())
        text = QStringLiteral("No bottle adds a drink to the %1 you can make now.").arg(m_plan.shelfDrinks);
    else {
        text = QStringLiteral("With these %1 bottles you make %2 drinks, %3 more than the %4 you can make now.")
                   .arg(m_plan.bottles.size())
                   .arg(m_plan.total)
                   .arg(added)
                   .arg(m_plan.shelfDrinks);
        if (m_plan.optimal)
            text += QStringLiteral(" No %1 bottles make more: this is the best plan.").arg(n);
        else
            text += QStringLiteral(" The search stopped after about %1 seconds without proving it the best; no %2 "
                                   "bottles make more than %3.")
                        .arg(2)
                        .arg(n)
                        .arg(m_plan.upperBound);
        if (int(m_plan.bottles.size()) < n)
            text += QStringLiteral(" More bottles would add nothing.");
    }
    lblPlan->setText(text);

    // Each bottle with the number of the plan's drinks it goes into, by the options and rules.
    const std::vector<std::vector<int>> cover = ix.coverage(m_shelf.optionsFor(ix));
    lstPlanBottles->clear();
    for (int b : m_plan.bottles) {
        int uses = 0;
        for (int d : m_plan.drinks)
            for (int w : ix.drinkIngredients(d)) {
                const auto &s = cover[size_t(b)];
                if (std::binary_search(s.begin(), s.end(), w)) {
                    ++uses;
                    break;
                }
            }
        auto *item = new QTreeWidgetItem(lstPlanBottles);
        item->setText(0, ix.ingredientName(b));
        item->setText(1, uses == 1 ? QStringLiteral("in 1 drink") : QStringLiteral("in %1 drinks").arg(uses));
        item->setData(0, kKeyRole, b);
    }
    if (lstPlanBottles->topLevelItemCount() > 0)
        lstPlanBottles->setCurrentItem(lstPlanBottles->topLevelItem(0));
    lstPlanDrinks->clear();
    for (int d : m_plan.drinks) {
        auto *item = new QTreeWidgetItem(lstPlanDrinks);
        item->setText(0, ix.drinkName(d));
    }
    cmdNever->setEnabled(!m_plan.bottles.empty());
    cmdPrintPlan->setEnabled(!m_plan.bottles.empty());
    cmdCopyPlan->setEnabled(!m_plan.bottles.empty());
    m_here->clear();
    if (m_plan.feasible)
        m_here->append(double(m_plan.bottles.size()), m_plan.total);
    Q_EMIT planShown();
}

void frmBarPlan::drawCurve()
{
    if (m_curveWatcher.isRunning()) {
        m_curveAgain = true;
        return;
    }
    m_curveAgain = false;
    const std::shared_ptr<const pv::BarIndex> index = m_index;
    // Required drinks and banned bottles shape the plan on show, not the curve.
    pv::PlanRequest r = request(kMaxBottles, kCurveSeconds);
    r.mustMake.clear();
    m_curvePending = true;
    m_curveWatcher.setFuture(QtConcurrent::run([index, r] {
        Curve c;
        const int now = int(index->compute(r.have, r.options).canMake.size());
        c.best << now;
        c.steps << now;
        for (int n = 1; n <= kMaxBottles; ++n) {
            pv::PlanRequest one = r;
            one.bottles = n;
            const pv::Plan p = pv::planBottles(*index, one);
            // A plan for more bottles never makes fewer drinks.
            c.best << std::max(p.total, c.best.back());
            c.proven << p.optimal;
        }
        for (int made : pv::oneAtATime(*index, r, kMaxBottles))
            c.steps << made;
        return c;
    }));
}

void frmBarPlan::showCurve()
{
    if (m_curveAgain) {
        drawCurve();
        return;
    }
    const Curve c = m_curveWatcher.result();
    m_curvePending = false;
    m_best = c.best;
    m_steps = c.steps;
    QList<QPointF> best, steps;
    for (int i = 0; i < c.best.size(); ++i)
        best << QPointF(i, c.best[i]);
    for (int i = 0; i < c.steps.size(); ++i)
        steps << QPointF(i, c.steps[i]);
    m_bestSeries->replace(best);
    m_stepSeries->replace(steps);
    // From the shelf up, so that the two paths can be told apart.
    int top = 10;
    for (int v : c.best)
        top = std::max(top, v);
    const int bottom = c.best.isEmpty() ? 0 : c.best.first() - c.best.first() / 10;
    m_axisY->setRange(std::max(0, bottom), top + std::max(2, top / 20));
    m_axisY->applyNiceNumbers();
    const int proven = int(std::count(c.proven.begin(), c.proven.end(), true));
    chtCoverage->chart()->setTitle(proven == int(c.proven.size())
                                       ? QStringLiteral("Drinks against bottles added")
                                       : QStringLiteral("Drinks against bottles added (%1 of %2 points proven best)")
                                             .arg(proven)
                                             .arg(c.proven.size()));
    Q_EMIT curveShown();
}

void frmBarPlan::spnBottles_Change()
{
    replan();
}

void frmBarPlan::saveLists() const
{
    const QString app = pv::Screen().App().Title;
    QSettings s(app, app);
    s.beginGroup(QLatin1String(kSection));
    auto list = [](const QStringList &l) { return l.isEmpty() ? QVariant(QString()) : QVariant(l); };
    s.setValue(QStringLiteral("NeverBuy"), list(m_never));
    s.setValue(QStringLiteral("MustMake"), list(m_must));
    s.endGroup();
    s.sync();
}

void frmBarPlan::cmdNever_Click()
{
    QTreeWidgetItem *item = lstPlanBottles->currentItem();
    if (!item)
        return;
    const QString name = item->text(0);
    if (!m_never.contains(name, Qt::CaseInsensitive))
        m_never << name;
    saveLists();
    replan();
}

void frmBarPlan::cmdAllowAgain_Click()
{
    QListWidgetItem *item = lstNever->currentItem();
    if (!item && lstNever->count() > 0)
        item = lstNever->item(lstNever->count() - 1);
    if (!item)
        return;
    m_never.removeAll(item->text());
    saveLists();
    replan();
}

void frmBarPlan::cmdMust_Click()
{
    const QString folded = pv::foldForSearch(cboMust->currentText());
    QString found;
    for (int d = 0; d < m_index->drinkCount() && found.isEmpty(); ++d)
        if (pv::foldForSearch(m_index->drinkName(d)) == folded)
            found = m_index->drinkName(d);
    if (found.isEmpty()) {
        pv::Screen().MsgBox(QStringLiteral("Choose a drink from the list: \"%1\" is not in the catalogue.")
                                .arg(cboMust->currentText().trimmed()));
        return;
    }
    if (!m_must.contains(found, Qt::CaseInsensitive))
        m_must << found;
    cboMust->setEditText(QString());
    saveLists();
    replan();
}

void frmBarPlan::cmdNotMust_Click()
{
    QListWidgetItem *item = lstMust->currentItem();
    if (!item && lstMust->count() > 0)
        item = lstMust->item(lstMust->count() - 1);
    if (!item)
        return;
    m_must.removeAll(item->text());
    saveLists();
    replan();
}

QStringList frmBarPlan::shoppingList() const
{
    QStringList out;
    if (!m_index || m_plan.bottles.empty())
        return out;
    out << QStringLiteral("Shopping list: %1 bottles for %2 more drinks (%3 in all%4)")
               .arg(m_plan.bottles.size())
               .arg(m_plan.total - m_plan.shelfDrinks)
               .arg(m_plan.total)
               .arg(m_plan.optimal ? QStringLiteral(", the best possible") : QString());
    for (int b : m_plan.bottles)
        out << QStringLiteral("[ ] ") + m_index->ingredientName(b);
    out << QString() << QStringLiteral("Drinks they add:");
    for (int d : m_plan.drinks)
        out << QStringLiteral("    ") + m_index->drinkName(d);
    return out;
}

void frmBarPlan::layoutPlan(pv::LinePrinter &out) const
{
    const QStringList lines = shoppingList();
    out.setFontSize(14);
    out.setFontBold(true);
    out.printLine(QStringLiteral("My Bar: ") + lines.value(0));
    out.setFontSize(12);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        out.setFontBold(lines[i].startsWith(QLatin1String("Drinks")));
        out.printLine(lines[i]);
    }
    out.endDoc();
}

void frmBarPlan::cmdPrintPlan_Click()
{
    pv::printToDefaultPrinter(pv::Screen().App().Title + QStringLiteral(" - Plan"),
                              [this](pv::LinePrinter &out) { layoutPlan(out); });
}

void frmBarPlan::cmdCopyPlan_Click()
{
    QApplication::clipboard()->setText(shoppingList().join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void frmBarPlan::cmdClose_Click()
{
    pv::Screen().Unload(this);
}

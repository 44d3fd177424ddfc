#include "mybar/frmMyBar.h"

#include "browser/RecipePrint.h"
#include "data/Catalogue.h"
#include "data/TextFold.h"
#include "mybar/MyBar.h"
#include "mybar/frmBarPlan.h"
#include "ui/DrinkHost.h"

#include <QApplication>
#include <QClipboard>
#include <QCompleter>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QSplitter>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

constexpr int kKeyRole = Qt::UserRole; // drinklst key of a drink row
constexpr int kIngredientRole = Qt::UserRole + 1;

// Enter on a drink row shows it, as a double-click does.
class DrinkList : public QTreeWidget {
public:
    using QTreeWidget::QTreeWidget;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentItem()) {
            Q_EMIT itemActivated(currentItem(), 0);
            return;
        }
        QTreeWidget::keyPressEvent(e);
    }
};

QTreeWidget *drinkList(QWidget *parent, const char *name, int columns)
{
    auto *list = new DrinkList(parent);
    list->setObjectName(QLatin1String(name));
    list->setColumnCount(columns);
    list->setHeaderHidden(true);
    list->setRootIsDecorated(columns > 1);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < columns; ++c)
        list->header()->setSectionResizeMode(c, QHeaderView::ResizeToContents);
    return list;
}

QTreeWidgetItem *drinkItem(const pv::BarIndex &index, int drink, QTreeWidgetItem *parent = nullptr)
{
    auto *item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem;
    item->setText(0, index.drinkName(drink));
    item->setData(0, kKeyRole, index.drinkKey(drink));
    return item;
}

} // namespace

frmMyBar::frmMyBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMyBar"));
    setWindowTitle(QStringLiteral("My Bar"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildForm();
}

frmMyBar::~frmMyBar() = default;

void frmMyBar::buildForm()
{
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("splMyBar"));
    split->setChildrenCollapsible(false);

    auto *left = new QWidget(split);
    auto *lv = new QVBoxLayout(left);
    lv->setContentsMargins(0, 0, 0, 0);
    auto *filterLabel = new QLabel(QStringLiteral("&Find an ingredient:"), left);
    txtFilter = new QLineEdit(left);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setClearButtonEnabled(true);
    filterLabel->setBuddy(txtFilter);
    tvwIngredients = new QTreeWidget(left);
    tvwIngredients->setObjectName(QStringLiteral("tvwIngredients"));
    tvwIngredients->setColumnCount(2);
    tvwIngredients->setHeaderLabels({QStringLiteral("What I have"), QStringLiteral("Drinks")});
    tvwIngredients->header()->setStretchLastSection(false);
    tvwIngredients->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tvwIngredients->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    tvwIngredients->setUniformRowHeights(true);
    chkSubstitutes = new QCheckBox(QStringLiteral("Count close &substitutes"), left);
    chkSubstitutes->setObjectName(QStringLiteral("chkSubstitutes"));
    chkGarnishes = new QCheckBox(QStringLiteral("Count &garnishes"), left);
    chkGarnishes->setObjectName(QStringLiteral("chkGarnishes"));
    lv->addWidget(filterLabel);
    lv->addWidget(txtFilter);
    lv->addWidget(tvwIngredients, 1);
    lv->addWidget(chkSubstitutes);
    lv->addWidget(chkGarnishes);
    // "I count Cointreau as Triple Sec": rules of the user's own.
    auto *countGrid = new QGridLayout;
    auto *countLabel = new QLabel(QStringLiteral("I co&unt"), left);
    auto *asLabel = new QLabel(QStringLiteral("as"), left);
    auto combo = [left](const char *name) {
        auto *c = new QComboBox(left);
        c->setObjectName(QLatin1String(name));
        c->setEditable(true);
        c->setInsertPolicy(QComboBox::NoInsert);
        c->setMinimumContentsLength(12);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        return c;
    };
    cboCountAs = combo("cboCountAs");
    cboCountAsTarget = combo("cboCountAsTarget");
    countLabel->setBuddy(cboCountAs);
    cmdAddCountAs = new QPushButton(QStringLiteral("&Add rule"), left);
    cmdAddCountAs->setObjectName(QStringLiteral("cmdAddCountAs"));
    lstCountAs = new QListWidget(left);
    lstCountAs->setObjectName(QStringLiteral("lstCountAs"));
    lstCountAs->setMaximumHeight(80);
    cmdRemoveCountAs = new QPushButton(QStringLiteral("Remo&ve rule"), left);
    cmdRemoveCountAs->setObjectName(QStringLiteral("cmdRemoveCountAs"));
    countGrid->addWidget(countLabel, 0, 0);
    countGrid->addWidget(cboCountAs, 0, 1);
    countGrid->addWidget(asLabel, 0, 2);
    countGrid->addWidget(cboCountAsTarget, 0, 3);
    countGrid->addWidget(cmdAddCountAs, 0, 4);
    countGrid->addWidget(lstCountAs, 1, 0, 1, 4);
    countGrid->addWidget(cmdRemoveCountAs, 1, 4, Qt::AlignTop);
    countGrid->setColumnStretch(1, 1);
    countGrid->setColumnStretch(3, 1);
    lv->addLayout(countGrid);

    auto *right = new QWidget(split);
    auto *rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    lblCanMake = new QLabel(right);
    lblCanMake->setTextFormat(Qt::PlainText);
    lblCanMake->setObjectName(QStringLiteral("lblCanMake"));
    lstCanMake = drinkList(right, "lstCanMake", 1);
    lblCanMake->setBuddy(lstCanMake);
    lblOneAway = new QLabel(right);
    lblOneAway->setTextFormat(Qt::PlainText);
    lblOneAway->setObjectName(QStringLiteral("lblOneAway"));
    lstOneAway = drinkList(right, "lstOneAway", 2);
    lstOneAway->setRootIsDecorated(false);
    lblOneAway->setBuddy(lstOneAway);
    lblBuyNext = new QLabel(QStringLiteral("&Buy next"), right);
    lblBuyNext->setObjectName(QStringLiteral("lblBuyNext"));
    tvwBuyNext = drinkList(right, "tvwBuyNext", 2);
    lblBuyNext->setBuddy(tvwBuyNext);
    rv->addWidget(lblCanMake);
    rv->addWidget(lstCanMake, 3);
    rv->addWidget(lblOneAway);
    rv->addWidget(lstOneAway, 2);
    rv->addWidget(lblBuyNext);
    rv->addWidget(tvwBuyNext, 3);

    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);

    cmdPrintBuyNext = new QPushButton(QStringLiteral("&Print Buy Next"), this);
    cmdPrintBuyNext->setObjectName(QStringLiteral("cmdPrintBuyNext"));
    cmdCopyBuyNext = new QPushButton(QStringLiteral("C&opy Buy Next"), this);
    cmdCopyBuyNext->setObjectName(QStringLiteral("cmdCopyBuyNext"));
    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setShortcut(QKeySequence::Cancel);
    cmdPlan = new QPushButton(QStringLiteral("Pla&n bottles..."), this);
    cmdPlan->setObjectName(QStringLiteral("cmdPlan"));
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdPlan);
    buttons->addWidget(cmdPrintBuyNext);
    buttons->addWidget(cmdCopyBuyNext);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);

    auto *top = new QVBoxLayout(this);
    top->addWidget(split, 1);
    top->addLayout(buttons);
    resize(900, 640);

    connect(txtFilter, &QLineEdit::textChanged, this, [this] { txtFilter_Change(); });
    connect(tvwIngredients, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem *i) { tvwIngredients_ItemChanged(i); });
    pv::onEvent(chkSubstitutes, &QCheckBox::clicked, this, [this] { chkSubstitutes_Click(); });
    pv::onEvent(chkGarnishes, &QCheckBox::clicked, this, [this] { chkGarnishes_Click(); });
    pv::onEvent(cmdPrintBuyNext, &QPushButton::clicked, this, [this] { cmdPrintBuyNext_Click(); });
    pv::onEvent(cmdCopyBuyNext, &QPushButton::clicked, this, [this] { cmdCopyBuyNext_Click(); });
    pv::onEvent(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    pv::onEvent(cmdAddCountAs, &QPushButton::clicked, this, [this] { cmdAddCountAs_Click(); });
    pv::onEvent(cmdRemoveCountAs, &QPushButton::clicked, this, [this] { cmdRemoveCountAs_Click(); });
    pv::onEvent(cmdPlan, &QPushButton::clicked, this, [this] { cmdPlan_Click(); });
    for (QTreeWidget *list : {lstCanMake, lstOneAway, tvwBuyNext}) {
        connect(list, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem *i) { drink_Activated(i); });
        connect(list, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem *i) { drink_Activated(i); });
    }
    setTabOrder(txtFilter, tvwIngredients);
    setTabOrder(tvwIngredients, chkSubstitutes);
    setTabOrder(chkSubstitutes, chkGarnishes);
    setTabOrder(chkGarnishes, cboCountAs);
    setTabOrder(cboCountAs, cboCountAsTarget);
    setTabOrder(cboCountAsTarget, cmdAddCountAs);
    setTabOrder(cmdAddCountAs, lstCountAs);
    setTabOrder(lstCountAs, cmdRemoveCountAs);
    setTabOrder(cmdRemoveCountAs, lstCanMake);
    setTabOrder(lstCanMake, lstOneAway);
    setTabOrder(lstOneAway, tvwBuyNext);
    setTabOrder(tvwBuyNext, cmdPlan);
    setTabOrder(cmdPlan, cmdPrintBuyNext);
    setTabOrder(cmdPrintBuyNext, cmdCopyBuyNext);
    setTabOrder(cmdCopyBuyNext, cmdClose);
}

QString frmMyBar::catalogueFile() const
{
    return pv::cataloguePath(pv::Screen().App().Path);
}

void frmMyBar::Form_Load()
{
    m_shelf = pv::loadShelf();
    chkSubstitutes->setChecked(m_shelf.options.substitutes);
    chkGarnishes->setChecked(m_shelf.options.garnishes);
    reload();
    txtFilter->setFocus();
}

void frmMyBar::changeEvent(QEvent *event)
{
    // Recipes edited in the main window count as soon as the user comes back.
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_index)
        reload();
    QWidget::changeEvent(event);
}

void frmMyBar::reload()
{
    auto index = std::make_unique<pv::BarIndex>(pv::bundledVocabulary());
    try {
        index->loadCatalogue(catalogueFile());
    } catch (const std::exception &) {
        // An unreadable catalogue leaves the lists empty; the main window
        // tells the user about the file itself.
        index = std::make_unique<pv::BarIndex>(pv::bundledVocabulary());
    }
    // Coming back to the window keeps its lists as they stand when no recipe changed.
    if (m_index && index->sameDrinks(*m_index))
        return;
    const std::vector<char> had = m_index ? ticks() : m_shelf.haveVector(*index);
    const std::vector<int> usage = index->servedUsage();
    const bool same = m_index && usage == m_shownUsage;
    if (m_index && !same) {
        // Keep the ticks across the rebuild, by name.
        m_shelf = m_shelf.withTicks(*m_index, had);
    }
    m_index = std::move(index);
    if (!same) {
        m_shownUsage = usage;
        fillIngredients();
    }
    recompute();
}

void frmMyBar::fillIngredients()
{
    m_filling = true;
    const std::vector<char> have = m_shelf.haveVector(*m_index);
    tvwIngredients->clear();
    const int n = m_index->ingredientCount();
    m_items.assign(n, nullptr);
    std::vector<QTreeWidgetItem *> groups(pv::kIngredientKindCount, nullptr);
    std::vector<int> order(n);
    for (int i = 0; i < n; ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        return m_index->ingredientName(a).compare(m_index->ingredientName(b), Qt::CaseInsensitive) < 0;
    });
    for (int i : order) {
        const auto kind = m_index->ingredientKind(i);
        // Texts the catalogue no longer uses are not worth a line.
        if (kind == pv::IngredientKind::Other && m_index->usage(i) == 0)
            continue;
        QTreeWidgetItem *&group = groups[int(kind)];
        if (!group) {
            group = new QTreeWidgetItem;
            group->setText(0, pv::ingredientKindTitle(kind));
            group->setFlags(Qt::ItemIsEnabled);
            group->setData(0, kIngredientRole, -1);
        }
        auto *item = new QTreeWidgetItem(group);
        item->setText(0, m_index->ingredientName(i));
        item->setText(1, QString::number(m_shownUsage[size_t(i)]));
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(0, have[i] ? Qt::Checked : Qt::Unchecked);
        item->setData(0, kIngredientRole, i);
        QString tip = pv::ingredientKindTitle(kind);
        if (const int p = m_index->ingredientParent(i); p >= 0)
            tip = QStringLiteral("A kind of %1").arg(m_index->ingredientName(p));
        if (m_index->isHouseMade(i)) {
            QStringList parts;
            for (int c : m_index->madeFrom(i))
                parts << m_index->ingredientName(c);
            tip = QStringLiteral("Make it yourself from %1").arg(parts.join(QStringLiteral(", ")));
        }
        item->setToolTip(0, tip);
        m_items[i] = item;
    }
    for (QTreeWidgetItem *g : groups)
        if (g)
            tvwIngredients->addTopLevelItem(g);
    tvwIngredients->expandAll();
    m_filling = false;
    txtFilter_Change();

    QStringList names;
    for (int i : order)
        if (m_index->ingredientKind(i) != pv::IngredientKind::Other || m_index->usage(i) > 0)
            names << m_index->ingredientName(i);
    for (QComboBox *c : {cboCountAs, cboCountAsTarget}) {
        const QString was = c->currentText();
        c->clear();
        c->addItems(names);
        c->setCurrentIndex(-1);
        c->setEditText(was);
        c->completer()->setCompletionMode(QCompleter::PopupCompletion);
        c->completer()->setFilterMode(Qt::MatchContains);
        c->completer()->setCaseSensitivity(Qt::CaseInsensitive);
    }
    fillCountAs();
}

void frmMyBar::fillCountAs()
{
    lstCountAs->clear();
    for (const QString &rule : m_shelf.countAs) {
        auto *item =
            new QListWidgetItem(QStringLiteral("I count %1 as %2")
                                    .arg(rule.section(QLatin1Char('='), 0, 0), rule.section(QLatin1Char('='), 1)),
                                lstCountAs);
        item->setData(Qt::UserRole, rule);
    }
    cmdRemoveCountAs->setEnabled(!m_shelf.countAs.isEmpty());
}

void frmMyBar::cmdAddCountAs_Click()
{
    if (!m_index)
        return;
    const int x = m_index->ingredientOf(cboCountAs->currentText());
    const int y = m_index->ingredientOf(cboCountAsTarget->currentText());
    QString problem;
    if (x < 0)
        problem = QStringLiteral("Choose what you have from the list: \"%1\" is not an ingredient.")
                      .arg(cboCountAs->currentText().trimmed());
    else if (y < 0)
        problem = QStringLiteral("Choose what it counts as from the list: \"%1\" is not an ingredient.")
                      .arg(cboCountAsTarget->currentText().trimmed());
    else if (x == y)
        problem = QStringLiteral("An ingredient counts as itself already.");
    if (!problem.isEmpty()) {
        pv::Screen().MsgBox(problem);
        return;
    }
    const QString rule = m_index->ingredientName(x) + QLatin1Char('=') + m_index->ingredientName(y);
    if (!m_shelf.countAs.contains(rule, Qt::CaseInsensitive))
        m_shelf.countAs << rule;
    pv::saveShelf(m_shelf);
    fillCountAs();
    cboCountAs->setEditText(QString());
    cboCountAsTarget->setEditText(QString());
    recompute();
}

void frmMyBar::cmdRemoveCountAs_Click()
{
    QListWidgetItem *item = lstCountAs->currentItem();
    if (!item && lstCountAs->count() > 0)
        item = lstCountAs->item(lstCountAs->count() - 1);
    if (!item)
        return;
    m_shelf.countAs.removeAll(item->data(Qt::UserRole).toString());
    pv::saveShelf(m_shelf);
    fillCountAs();
    recompute();
}

void frmMyBar::cmdPlan_Click()
{
    auto *plan = pv::Screen().Load<frmBarPlan>();
    plan->setShelf(m_shelf);
    pv::Screen().Show(plan);
}

std::vector<char> frmMyBar::ticks() const
{
    std::vector<char> v(m_items.size(), 0);
    for (size_t i = 0; i < m_items.size(); ++i)
        v[i] = m_items[i] && m_items[i]->checkState(0) == Qt::Checked;
    if (m_index && m_items.size() == size_t(m_index->ingredientCount())) {
        // Ingredients without a line (unused texts) keep what the shelf says.
        const std::vector<char> saved = m_shelf.haveVector(*m_index);
        for (size_t i = 0; i < m_items.size(); ++i)
            if (!m_items[i])
                v[i] = saved[i];
    }
    return v;
}

void frmMyBar::recompute()
{
    const std::vector<char> have = ticks();
    m_lists = m_index->compute(have, m_shelf.optionsFor(*m_index));
    const pv::BarIndex &ix = *m_index;

    lblCanMake->setText(QStringLiteral("&Can make now (%1)").arg(m_lists.canMake.size()));
    lstCanMake->setUpdatesEnabled(false);
    lstCanMake->clear();
    QList<QTreeWidgetItem *> rows;
    for (int d : m_lists.canMake)
        rows << drinkItem(ix, d);
    lstCanMake->addTopLevelItems(rows);
    lstCanMake->setUpdatesEnabled(true);

    lblOneAway->setText(QStringLiteral("&One away (%1)").arg(m_lists.oneAway.size()));
    lstOneAway->setUpdatesEnabled(false);
    lstOneAway->clear();
    rows.clear();
    for (const auto &o : m_lists.oneAway) {
        QTreeWidgetItem *item = drinkItem(ix, o.drink);
        item->setText(1, QStringLiteral("needs %1").arg(ix.ingredientName(o.missing)));
        rows << item;
    }
    lstOneAway->addTopLevelItems(rows);
    lstOneAway->setUpdatesEnabled(true);

    tvwBuyNext->setUpdatesEnabled(false);
    tvwBuyNext->clear();
    rows.clear();
    for (const auto &b : m_lists.buyNext) {
        auto *item = new QTreeWidgetItem;
        item->setText(0, ix.ingredientName(b.ingredient));
        item->setText(1, b.drinks == 1 ? QStringLiteral("+1 drink") : QStringLiteral("+%1 drinks").arg(b.drinks));
        item->setData(0, kIngredientRole, b.ingredient);
        for (int d : ix.unlockedBy(m_lists, b.ingredient))
            drinkItem(ix, d, item);
        rows << item;
    }
    // House-made things are never bought: what they take is on the list instead.
    for (int i = 0; i < ix.ingredientCount(); ++i) {
        if (!ix.isHouseMade(i) || m_lists.ok[size_t(i)] || ix.usage(i) == 0)
            continue;
        QStringList parts;
        for (int c : ix.madeFrom(i))
            parts << ix.ingredientName(c);
        auto *item = new QTreeWidgetItem;
        item->setText(0, QStringLiteral("Make it yourself: %1").arg(ix.ingredientName(i)));
        item->setToolTip(0, QStringLiteral("Made from %1").arg(parts.join(QStringLiteral(", "))));
        item->setData(0, kIngredientRole, i);
        for (const QString &part : parts)
            (new QTreeWidgetItem(item))->setText(0, QStringLiteral("from ") + part);
        rows << item;
    }
    tvwBuyNext->addTopLevelItems(rows);
    tvwBuyNext->setUpdatesEnabled(true);
    cmdPrintBuyNext->setEnabled(!m_lists.buyNext.empty());
    cmdCopyBuyNext->setEnabled(!m_lists.buyNext.empty());
    // An open plan follows the shelf.
    for (pv::Form *f : pv::Screen().forms())
        if (auto *plan = dynamic_cast<frmBarPlan *>(f))
            plan->setShelf(m_shelf);
}

void frmMyBar::txtFilter_Change()
{
    const QString f = pv::foldForSearch(txtFilter->text());
    for (int g = 0; g < tvwIngredients->topLevelItemCount(); ++g) {
        QTreeWidgetItem *group = tvwIngredients->topLevelItem(g);
        bool any = false;
        for (int c = 0; c < group->childCount(); ++c) {
            QTreeWidgetItem *item = group->child(c);
            const bool shown = f.isEmpty() || pv::foldForSearch(item->text(0)).contains(f);
            item->setHidden(!shown);
            any = any || shown;
        }
        group->setHidden(!any);
    }
}

void frmMyBar::tvwIngredients_ItemChanged(QTreeWidgetItem *item)
{
    if (m_filling || !m_index || item->data(0, kIngredientRole).toInt() < 0)
        return;
    m_shelf = m_shelf.withTicks(*m_index, ticks());
    pv::saveShelf(m_shelf);
    recompute();
}

void frmMyBar::chkSubstitutes_Click()
{
    m_shelf.options.substitutes = chkSubstitutes->isChecked();
    pv::saveShelf(m_shelf);
    recompute();
}

void frmMyBar::chkGarnishes_Click()
{
    m_shelf.options.garnishes = chkGarnishes->isChecked();
    pv::saveShelf(m_shelf);
    recompute();
}

QStringList frmMyBar::buyNextLines() const
{
    QStringList out;
    for (const auto &b : m_lists.buyNext) {
        out << QStringLiteral("%1 (+%2)").arg(m_index->ingredientName(b.ingredient)).arg(b.drinks);
        for (int d : m_index->unlockedBy(m_lists, b.ingredient))
            out << QStringLiteral("    ") + m_index->drinkName(d);
    }
    return out;
}

void frmMyBar::layoutBuyNext(pv::LinePrinter &out) const
{
    out.setFontSize(14);
    out.setFontBold(true);
    out.printLine(QStringLiteral("My Bar: Buy next"));
    out.setFontSize(12);
    out.setFontBold(false);
    for (const QString &line : buyNextLines()) {
        const bool heading = !line.startsWith(QLatin1Char(' '));
        if (heading)
            out.printLine(QString());
        out.setFontBold(heading);
        out.printLine(line);
    }
    out.endDoc();
}

void frmMyBar::cmdPrintBuyNext_Click()
{
    pv::printToDefaultPrinter(pv::Screen().App().Title + QStringLiteral(" - Buy next"),
                              [this](pv::LinePrinter &out) { layoutBuyNext(out); });
}

void frmMyBar::cmdCopyBuyNext_Click()
{
    QApplication::clipboard()->setText(QStringLiteral("Buy next\n") + buyNextLines().join(QLatin1Char('\n')) +
                                       QLatin1Char('\n'));
}

void frmMyBar::cmdClose_Click()
{
    pv::Screen().Unload(this);
}

void frmMyBar::drink_Activated(QTreeWidgetItem *item)
{
    if (!item || !item->data(0, kKeyRole).isValid())
        return;
    const qint64 key = item->data(0, kKeyRole).toLongLong();
    if (pv::DrinkHost *main = pv::DrinkHost::find()) {
        pv::Screen().guard([main, key] { main->showDrink(key); });
        main->hostWindow()->raise();
        main->hostWindow()->activateWindow();
    }
}

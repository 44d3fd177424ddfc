#include "mybar/frmShoppingList.h"

#include "mybar/MyBar.h"
#include "mybar/PartyPages.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/FileChooser.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCompleter>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

using pv::Screen;

namespace {

constexpr int kMostServingsPerDrink = 1000;

} // namespace

frmShoppingList::frmShoppingList()
{
    setObjectName(QStringLiteral("frmShoppingList"));
    setWindowFlag(Qt::Window);
    setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    setWindowTitle(tr("Shopping List"));

    auto *left = new QWidget(this);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    lblFor = new QLabel(tr("Drinks and servings:"), left);
    lblFor->setObjectName(QStringLiteral("lblFor"));
    lblFor->setTextFormat(Qt::PlainText);
    leftColumn->addWidget(lblFor);
    grdDrinks = new QTableWidget(0, 2, left);
    grdDrinks->setObjectName(QStringLiteral("grdDrinks"));
    grdDrinks->setHorizontalHeaderLabels({tr("Drink"), tr("Servings")});
    grdDrinks->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    grdDrinks->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    grdDrinks->verticalHeader()->hide();
    grdDrinks->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDrinks->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDrinks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDrinks->setAccessibleName(tr("Drinks and servings"));
    leftColumn->addWidget(grdDrinks, 1);

    auto *addRow = new QHBoxLayout;
    cboDrink = new QComboBox(left);
    cboDrink->setObjectName(QStringLiteral("cboDrink"));
    cboDrink->setEditable(true);
    cboDrink->setInsertPolicy(QComboBox::NoInsert);
    cboDrink->lineEdit()->setPlaceholderText(tr("A drink to add"));
    cboDrink->setAccessibleName(tr("Drink to add"));
    cboDrink->completer()->setFilterMode(Qt::MatchContains);
    cboDrink->completer()->setCompletionMode(QCompleter::PopupCompletion);
    cboDrink->setMinimumContentsLength(16);
    spnServings = new QSpinBox(left);
    spnServings->setObjectName(QStringLiteral("spnServings"));
    spnServings->setRange(1, kMostServingsPerDrink);
    spnServings->setValue(1);
    spnServings->setAccessibleName(tr("Servings of the drink to add"));
    cmdAddDrink = new QPushButton(tr("&Add"), left);
    cmdAddDrink->setObjectName(QStringLiteral("cmdAddDrink"));
    addRow->addWidget(cboDrink, 1);
    addRow->addWidget(spnServings);
    addRow->addWidget(cmdAddDrink);
    leftColumn->addLayout(addRow);
    auto *moreRow = new QHBoxLayout;
    cmdAddShown = new QPushButton(tr("Add the Drink &Shown"), left);
    cmdAddShown->setObjectName(QStringLiteral("cmdAddShown"));
    cmdAddShown->setToolTip(tr("Adds the main window's drink"));
    cmdRemoveDrink = new QPushButton(tr("&Remove"), left);
    cmdRemoveDrink->setObjectName(QStringLiteral("cmdRemoveDrink"));
    moreRow->addWidget(cmdAddShown);
    moreRow->addWidget(cmdRemoveDrink);
    moreRow->addStretch(1);
    leftColumn->addLayout(moreRow);

    auto *right = new QWidget(this);
    auto *rightColumn = new QVBoxLayout(right);
    rightColumn->setContentsMargins(0, 0, 0, 0);
    auto *optionsRow = new QHBoxLayout;
    auto *bottleLabel = new QLabel(tr("Spirits in &bottles of:"), right);
    cboBottle = new QComboBox(right);
    cboBottle->setObjectName(QStringLiteral("cboBottle"));
    for (double ml : pv::shoppingBottleSizes())
        cboBottle->addItem(ml >= 1000 ? tr("1 l") : tr("%1 ml").arg(ml), ml);
    cboBottle->setCurrentIndex(1);
    bottleLabel->setBuddy(cboBottle);
    chkShelf = new QCheckBox(tr("List what My Bar &has too"), right);
    chkShelf->setObjectName(QStringLiteral("chkShelf"));
    optionsRow->addWidget(bottleLabel);
    optionsRow->addWidget(cboBottle);
    optionsRow->addSpacing(12);
    optionsRow->addWidget(chkShelf);
    optionsRow->addStretch(1);
    rightColumn->addLayout(optionsRow);
    txtList = new QPlainTextEdit(right);
    txtList->setObjectName(QStringLiteral("txtList"));
    txtList->setReadOnly(true);
    txtList->setAccessibleName(tr("Shopping list"));
    txtList->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    rightColumn->addWidget(txtList, 1);

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    split->addWidget(left);
    split->addWidget(right);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);

    cmdCopy = new QPushButton(tr("&Copy"), this);
    cmdCopy->setObjectName(QStringLiteral("cmdCopy"));
    cmdPrint = new QPushButton(tr("&Print"), this);
    cmdPrint->setObjectName(QStringLiteral("cmdPrint"));
    cmdSavePdf = new QPushButton(tr("Save as P&DF..."), this);
    cmdSavePdf->setObjectName(QStringLiteral("cmdSavePdf"));
    cmdClose = new QPushButton(tr("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton *b : {cmdAddDrink, cmdAddShown, cmdRemoveDrink, cmdCopy, cmdPrint, cmdSavePdf, cmdClose})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdCopy);
    buttons->addWidget(cmdPrint);
    buttons->addWidget(cmdSavePdf);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto *column = new QVBoxLayout(this);
    column->addWidget(split, 1);
    column->addLayout(buttons);
    const int em = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    resize(em * 70, em * 40);

    pv::onEvent(cmdAddDrink, &QPushButton::clicked, this, [this] { cmdAddDrink_Click(); });
    pv::onEvent(cboDrink->lineEdit(), &QLineEdit::returnPressed, this, [this] { cmdAddDrink_Click(); });
    pv::onEvent(cmdAddShown, &QPushButton::clicked, this, [this] { cmdAddShown_Click(); });
    pv::onEvent(cmdRemoveDrink, &QPushButton::clicked, this, [this] { cmdRemoveDrink_Click(); });
    pv::onEvent(cmdCopy, &QPushButton::clicked, this, [this] { cmdCopy_Click(); });
    pv::onEvent(cmdPrint, &QPushButton::clicked, this, [this] { cmdPrint_Click(); });
    pv::onEvent(cmdSavePdf, &QPushButton::clicked, this, [this] { cmdSavePdf_Click(); });
    pv::onEvent(cboBottle, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { recompute(); });
    pv::onEvent(chkShelf, &QCheckBox::toggled, this, [this] { recompute(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { Screen().Unload(this); });
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { Screen().Unload(this); });
    connect(&pv::ShelfNotifier::instance(), &pv::ShelfNotifier::shelfSaved, this,
            [this] { Screen().guard([this] { recompute(); }); });
}

void frmShoppingList::Form_Load()
{
    recompute();
}

frmShoppingList *frmShoppingList::open(pv::DrinkHost *host)
{
    auto *w = Screen().Load<frmShoppingList>();
    if (host && w->host() != host)
        w->attach(host);
    Screen().Show(w);
    return w;
}

void frmShoppingList::attach(pv::DrinkHost *host)
{
    m_host = host;
    m_hostWindow = host->hostWindow();
    const QString catalogue = host->drinkData()->DatabaseName();
    if (catalogue != m_catalogue) {
        m_catalogue = catalogue;
        m_index.reset();
        loadIndex();
    }
}

bool frmShoppingList::loadIndex()
{
    if (m_index)
        return true;
    if (m_catalogue.isEmpty())
        return false;
    m_index = pv::readBarIndex(m_catalogue);
    if (!m_index)
        return false;
    // The drinks offered, by name.
    QList<QPair<QString, qint64>> names;
    for (int d = 0; d < m_index->drinkCount(); ++d)
        names << qMakePair(m_index->drinkName(d), m_index->drinkKey(d));
    std::sort(names.begin(), names.end(), [](const auto &a, const auto &b) {
        return QString::compare(a.first, b.first, Qt::CaseInsensitive) < 0;
    });
    const QSignalBlocker block(cboDrink);
    cboDrink->clear();
    for (const auto &n : names)
        cboDrink->addItem(n.first.simplified(), n.second);
    cboDrink->setCurrentIndex(-1);
    return true;
}

pv::ShoppingOptions frmShoppingList::options() const
{
    pv::ShoppingOptions o;
    o.bottleMl = cboBottle->currentData().toDouble();
    o.includeShelf = chkShelf->isChecked();
    return o;
}

void frmShoppingList::setDrinks(const QVector<QPair<qint64, int>> &drinks, const QString &title)
{
    m_filling = true;
    grdDrinks->setRowCount(0);
    for (const auto &d : drinks)
        addDrink(d.first, d.second);
    m_filling = false;
    lblFor->setText(title.isEmpty() ? tr("Drinks and servings:") : title);
    recompute();
}

void frmShoppingList::addDrink(qint64 key, int servings)
{
    pv::CardRecipe recipe;
    if (m_catalogue.isEmpty() || !pv::readCardRecipe(m_catalogue, key, &recipe))
        return;
    // A drink listed already takes the servings in its row.
    for (int row = 0; row < grdDrinks->rowCount(); ++row)
        if (grdDrinks->item(row, 0)->data(Qt::UserRole).toLongLong() == key) {
            auto *spin = static_cast<QSpinBox *>(grdDrinks->cellWidget(row, 1));
            spin->setValue(std::min(kMostServingsPerDrink, spin->value() + servings));
            return;
        }
    const int row = grdDrinks->rowCount();
    grdDrinks->insertRow(row);
    auto *item = new QTableWidgetItem(recipe.name.simplified());
    item->setData(Qt::UserRole, key);
    grdDrinks->setItem(row, 0, item);
    auto *spin = new QSpinBox(grdDrinks);
    spin->setRange(0, kMostServingsPerDrink);
    spin->setValue(std::clamp(servings, 0, kMostServingsPerDrink));
    spin->setAccessibleName(tr("Servings of %1").arg(recipe.name.simplified()));
    grdDrinks->setCellWidget(row, 1, spin);
    pv::onEvent(spin, qOverload<int>(&QSpinBox::valueChanged), this, [this] { recompute(); });
    if (!m_filling)
        recompute();
}

QVector<QPair<qint64, int>> frmShoppingList::drinks() const
{
    QVector<QPair<qint64, int>> out;
    for (int row = 0; row < grdDrinks->rowCount(); ++row)
        out << qMakePair(grdDrinks->item(row, 0)->data(Qt::UserRole).toLongLong(),
                         static_cast<QSpinBox *>(grdDrinks->cellWidget(row, 1))->value());
    return out;
}

void frmShoppingList::recompute()
{
    if (m_filling)
        return;
    cmdRemoveDrink->setEnabled(grdDrinks->rowCount() > 0);
    cmdAddShown->setEnabled(host() != nullptr);
    if (!loadIndex()) {
        m_list = pv::ShoppingList();
        txtList->setPlainText(tr("Open the list from the main window's View menu."));
        return;
    }
    QList<pv::ShoppingDrink> wanted;
    for (const auto &d : drinks()) {
        pv::ShoppingDrink s;
        s.servings = d.second;
        if (pv::readCardRecipe(m_catalogue, d.first, &s.recipe))
            wanted << s;
    }
    const pv::BarShelf shelf = pv::loadShelf();
    const std::vector<char> served = m_index->compute(shelf.haveVector(*m_index), shelf.optionsFor(*m_index)).ok;
    m_list = pv::makeShoppingList(*m_index, served, wanted, options());
    const bool any = m_list.servings > 0;
    txtList->setPlainText(any ? listLines().join(QLatin1Char('\n'))
                              : tr("Add drinks on the left, with how many of each you will make."));
    for (QPushButton *b : {cmdCopy, cmdPrint, cmdSavePdf})
        b->setEnabled(any);
}

void frmShoppingList::cmdAddDrink_Click()
{
    int i = cboDrink->currentIndex();
    const QString typed = cboDrink->currentText().simplified();
    if (i < 0 || cboDrink->itemText(i) != typed)
        i = cboDrink->findText(typed, Qt::MatchFixedString);
    if (i < 0) {
        Screen().MsgBox(typed.isEmpty() ? tr("Choose a drink to add first.")
                                        : tr("There is no drink named \u201C%1\u201D in the catalogue.").arg(typed));
        return;
    }
    addDrink(cboDrink->itemData(i).toLongLong(), spnServings->value());
    cboDrink->setCurrentIndex(-1);
    cboDrink->clearEditText();
}

void frmShoppingList::cmdAddShown_Click()
{
    pv::DrinkHost *h = host();
    const qint64 key = h ? h->currentDrink() : -1;
    if (key < 0) {
        Screen().MsgBox(tr("The main window shows no drink."));
        return;
    }
    addDrink(key, spnServings->value());
}

void frmShoppingList::cmdRemoveDrink_Click()
{
    const int row = grdDrinks->currentRow();
    if (row < 0)
        return;
    grdDrinks->removeRow(row);
    recompute();
}

void frmShoppingList::cmdCopy_Click()
{
    QApplication::clipboard()->setText(listLines().join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void frmShoppingList::cmdPrint_Click()
{
    pv::printShoppingList(listLines());
}

void frmShoppingList::cmdSavePdf_Click()
{
    const QString file =
        pv::choosePdfFile(this, tr("Save Shopping List as PDF"), tr("Shopping List"), tr("Shopping List"));
    if (file.isEmpty())
        return;
    QString error;
    if (!pv::saveShoppingListPdf(listLines(), file, &error))
        Screen().MsgBox(tr("The shopping list could not be saved as a PDF.\n\n") + error);
}

#include "mybar/frmPartyMenu.h"

#include "data/BarBook.h"
#include "data/PartyMenu.h"
#include "data/Quantity.h"
#include "mybar/MyBar.h"
#include "mybar/frmShoppingList.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/FileChooser.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPageSize>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QSplitter>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <QSet>

#include <algorithm>

using pv::Screen;

namespace {

// Picked at first: enough for a party, few enough to read on one card.
constexpr int kFirstPicks = 6;
constexpr int kMostOnCard = 24;

// The card drawn to fit the widget, at the widget's own resolution.
class CardPreview : public QWidget {
public:
    explicit CardPreview(QWidget *parent) : QWidget(parent) {}
    pv::MenuCard card;

protected:
    void paintEvent(QPaintEvent *) override
    {
        const QSizeF points = QPageSize(QPageSize::A4).size(QPageSize::Point);
        const double scale = std::min((width() - 16) / points.width(), (height() - 16) / points.height());
        if (scale <= 0)
            return;
        const qreal ratio = devicePixelRatioF();
        const QSize pixels(int(points.width() * scale * ratio), int(points.height() * scale * ratio));
        QImage page(pixels, QImage::Format_RGB32);
        const double dpi = 72 * scale * ratio;
        page.setDotsPerMeterX(int(dpi / 0.0254));
        page.setDotsPerMeterY(int(dpi / 0.0254));
        {
            QPainter p(&page);
            pv::paintMenuCard(p, QRectF(QPointF(0, 0), QSizeF(page.size())), card);
        }
        page.setDevicePixelRatio(ratio);
        QPainter p(this);
        const QSizeF shown = QSizeF(pixels) / ratio;
        const QPointF at((width() - shown.width()) / 2, (height() - shown.height()) / 2);
        p.fillRect(QRectF(at + QPointF(3, 3), shown), QColor(0, 0, 0, 40)); // a soft shadow
        p.drawImage(at, page);
    }
};

} // namespace

frmPartyMenu::frmPartyMenu()
{
    setObjectName(QStringLiteral("frmPartyMenu"));
    setWindowFlag(Qt::Window);
    setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    setWindowTitle(tr("Party Menu"));

    // Left: the drinks to pick from.
    auto *left = new QWidget(this);
    auto *leftColumn = new QVBoxLayout(left);
    leftColumn->setContentsMargins(0, 0, 0, 0);
    auto *fromLabel = new QLabel(tr("&Pick from:"), left);
    cboFrom = new QComboBox(left);
    cboFrom->setObjectName(QStringLiteral("cboFrom"));
    cboFrom->addItem(tr("Drinks I can make now"), CanMake);
    cboFrom->addItem(tr("My favourites"), Favourites);
    cboFrom->addItem(tr("All drinks"), All);
    fromLabel->setBuddy(cboFrom);
    auto *fromRow = new QHBoxLayout;
    fromRow->addWidget(fromLabel);
    fromRow->addWidget(cboFrom, 1);
    leftColumn->addLayout(fromRow);
    txtPickFilter = new QLineEdit(left);
    txtPickFilter->setObjectName(QStringLiteral("txtPickFilter"));
    txtPickFilter->setPlaceholderText(tr("Letters of a name"));
    txtPickFilter->setClearButtonEnabled(true);
    txtPickFilter->setAccessibleName(tr("Filter the drinks to pick from"));
    leftColumn->addWidget(txtPickFilter);
    lstOffered = new QListWidget(left);
    lstOffered->setObjectName(QStringLiteral("lstOffered"));
    lstOffered->setAccessibleName(tr("Drinks to pick; ticked ones are on the menu"));
    leftColumn->addWidget(lstOffered, 1);

    // Middle: the party and the menu.
    auto *middle = new QWidget(this);
    auto *middleColumn = new QVBoxLayout(middle);
    middleColumn->setContentsMargins(0, 0, 0, 0);
    auto *form = new QFormLayout;
    spnGuests = new QSpinBox(middle);
    spnGuests->setObjectName(QStringLiteral("spnGuests"));
    spnGuests->setRange(1, pv::kMostGuests);
    spnGuests->setValue(12);
    spnPerGuest = new QSpinBox(middle);
    spnPerGuest->setObjectName(QStringLiteral("spnPerGuest"));
    spnPerGuest->setRange(1, pv::kMostDrinksPerGuest);
    spnPerGuest->setValue(2);
    txtTitle = new QLineEdit(tr("Cocktails"), middle);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setMaxLength(60);
    txtSubtitle = new QLineEdit(middle);
    txtSubtitle->setObjectName(QStringLiteral("txtSubtitle"));
    txtSubtitle->setMaxLength(120);
    txtSubtitle->setPlaceholderText(tr("An occasion, a date (optional)"));
    form->addRow(tr("&Guests:"), spnGuests);
    form->addRow(tr("&Drinks per guest:"), spnPerGuest);
    form->addRow(tr("Card &title:"), txtTitle);
    form->addRow(tr("&Under the title:"), txtSubtitle);
    middleColumn->addLayout(form);
    lblShare = new QLabel(middle);
    lblShare->setObjectName(QStringLiteral("lblShare"));
    lblShare->setTextFormat(Qt::PlainText);
    lblShare->setWordWrap(true);
    middleColumn->addWidget(lblShare);
    lstMenu = new QTreeWidget(middle);
    lstMenu->setObjectName(QStringLiteral("lstMenu"));
    lstMenu->setRootIsDecorated(false);
    lstMenu->setHeaderLabels({tr("On the menu"), tr("Servings")});
    lstMenu->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    lstMenu->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    lstMenu->header()->setStretchLastSection(false);
    middleColumn->addWidget(lstMenu, 1);
    chkShelf = new QCheckBox(tr("Shopping list: also what My Bar &has"), middle);
    chkShelf->setObjectName(QStringLiteral("chkShelf"));
    chkShelf->setToolTip(tr("Fruit, juice and soda on the shelf may still run short for a party"));
    middleColumn->addWidget(chkShelf);

    // Right: the card and the shopping list.
    tabOut = new QTabWidget(this);
    tabOut->setObjectName(QStringLiteral("tabOut"));
    picCard = new CardPreview(tabOut);
    picCard->setObjectName(QStringLiteral("picCard"));
    picCard->setMinimumSize(200, 280);
    picCard->setAccessibleName(tr("The menu card as it will print"));
    txtShopping = new QPlainTextEdit(tabOut);
    txtShopping->setObjectName(QStringLiteral("txtShopping"));
    txtShopping->setReadOnly(true);
    tabOut->addTab(picCard, tr("Menu &Card"));
    tabOut->addTab(txtShopping, tr("Shopping &List"));

    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setChildrenCollapsible(false);
    split->addWidget(left);
    split->addWidget(middle);
    split->addWidget(tabOut);
    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 2);
    split->setStretchFactor(2, 3);

    cmdSaveCardPdf = new QPushButton(tr("Save &Menu Card as PDF..."), this);
    cmdSaveCardPdf->setObjectName(QStringLiteral("cmdSaveCardPdf"));
    cmdSaveListPdf = new QPushButton(tr("Save Shopping List as PD&F..."), this);
    cmdSaveListPdf->setObjectName(QStringLiteral("cmdSaveListPdf"));
    cmdShoppingList = new QPushButton(tr("&Open as Shopping List..."), this);
    cmdShoppingList->setObjectName(QStringLiteral("cmdShoppingList"));
    cmdShoppingList->setToolTip(tr("To change servings by hand, copy or print the list"));
    cmdClose = new QPushButton(tr("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton *b : {cmdSaveCardPdf, cmdSaveListPdf, cmdShoppingList, cmdClose})
        b->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdSaveCardPdf);
    buttons->addWidget(cmdSaveListPdf);
    buttons->addWidget(cmdShoppingList);
    buttons->addStretch(1);
    buttons->addWidget(cmdClose);
    auto *column = new QVBoxLayout(this);
    column->addWidget(split, 1);
    column->addLayout(buttons);
    const int em = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    resize(em * 90, em * 46);

    pv::onEvent(cboFrom, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { cboFrom_Change(); });
    connect(txtPickFilter, &QLineEdit::textChanged, this, [this](const QString &text) {
        for (int i = 0; i < lstOffered->count(); ++i)
            lstOffered->item(i)->setHidden(!text.trimmed().isEmpty() &&
                                           !lstOffered->item(i)->text().contains(text.trimmed(), Qt::CaseInsensitive));
    });
    pv::onEvent(lstOffered, &QListWidget::itemChanged, this, [this] { recompute(); });
    pv::onEvent(spnGuests, qOverload<int>(&QSpinBox::valueChanged), this, [this] { recompute(); });
    pv::onEvent(chkShelf, &QCheckBox::toggled, this, [this] { recompute(); });
    pv::onEvent(spnPerGuest, qOverload<int>(&QSpinBox::valueChanged), this, [this] { recompute(); });
    pv::onEvent(txtTitle, &QLineEdit::textChanged, this, [this] { showCard(); });
    pv::onEvent(txtSubtitle, &QLineEdit::textChanged, this, [this] { showCard(); });
    pv::onEvent(cmdSaveCardPdf, &QPushButton::clicked, this, [this] { cmdSaveCardPdf_Click(); });
    pv::onEvent(cmdSaveListPdf, &QPushButton::clicked, this, [this] { cmdSaveListPdf_Click(); });
    pv::onEvent(cmdShoppingList, &QPushButton::clicked, this, [this] { cmdShoppingList_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { Screen().Unload(this); });
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { Screen().Unload(this); });
    connect(&pv::ShelfNotifier::instance(), &pv::ShelfNotifier::shelfSaved, this,
            [this] { Screen().guard([this] { recompute(); }); });
}

void frmPartyMenu::Form_Load()
{
    recompute();
}

frmPartyMenu *frmPartyMenu::open(pv::DrinkHost *host)
{
    auto *w = Screen().Load<frmPartyMenu>();
    if (host && w->host() != host)
        w->attach(host);
    Screen().Show(w);
    return w;
}

void frmPartyMenu::attach(pv::DrinkHost *host)
{
    m_host = host;
    m_hostWindow = host->hostWindow();
    const QString catalogue = host->drinkData()->DatabaseName();
    if (catalogue == m_catalogue)
        return;
    m_catalogue = catalogue;
    m_index.reset();
    if (loadIndex())
        cboFrom_Change();
}

bool frmPartyMenu::loadIndex()
{
    if (m_index)
        return true;
    if (m_catalogue.isEmpty())
        return false;
    m_index = pv::readBarIndex(m_catalogue);
    if (!m_index)
        return false;
    return true;
}

void frmPartyMenu::offerDrinks(const QVector<qint64> &keys, const QString &from)
{
    m_planDrinks = keys;
    const QSignalBlocker block(cboFrom);
    const int at = cboFrom->findData(Plan);
    if (at >= 0)
        cboFrom->setItemText(at, from);
    else
        cboFrom->insertItem(1, from, Plan);
    cboFrom->setCurrentIndex(cboFrom->findData(Plan));
    fillOffered(keys, int(keys.size()));
}

void frmPartyMenu::cboFrom_Change()
{
    if (!loadIndex())
        return;
    const int from = cboFrom->currentData().toInt();
    QVector<qint64> keys;
    if (from == Plan) {
        keys = m_planDrinks;
    } else if (from == CanMake) {
        const pv::BarShelf shelf = pv::loadShelf();
        for (int d : m_index->compute(shelf.haveVector(*m_index), shelf.optionsFor(*m_index)).canMake)
            keys << m_index->drinkKey(d);
    } else {
        QHash<qint64, pv::DrinkNotes> notes;
        try {
            notes = pv::book::readAll(m_catalogue);
        } catch (const std::exception &) {
        }
        for (int d = 0; d < m_index->drinkCount(); ++d)
            if (from == All || notes.value(m_index->drinkKey(d)).favourite)
                keys << m_index->drinkKey(d);
    }
    fillOffered(keys, kFirstPicks);
}

// Lists `keys` to pick from, `picks` of them ticked: the favourites and the
// best rated first.
void frmPartyMenu::fillOffered(const QVector<qint64> &keys, int picks)
{
    QHash<qint64, QString> names;
    for (int d = 0; d < m_index->drinkCount(); ++d)
        names.insert(m_index->drinkKey(d), m_index->drinkName(d).simplified());
    QHash<qint64, pv::DrinkNotes> notes;
    try {
        notes = pv::book::readAll(m_catalogue);
    } catch (const std::exception &) {
    }
    QVector<qint64> ranked;
    for (qint64 k : keys)
        if (names.contains(k))
            ranked << k;
    QVector<qint64> order = ranked;
    std::stable_sort(order.begin(), order.end(), [&notes](qint64 a, qint64 b) {
        const pv::DrinkNotes &x = notes[a];
        const pv::DrinkNotes &y = notes[b];
        return std::make_pair(x.favourite, x.rating) > std::make_pair(y.favourite, y.rating);
    });
    // A menu of one spirit is a dull one: the first picks each have a base
    // of their own, as far as the list allows.
    QHash<qint64, int> drinkOf;
    for (int d = 0; d < m_index->drinkCount(); ++d)
        drinkOf.insert(m_index->drinkKey(d), d);
    auto base = [this, &drinkOf](qint64 key) {
        const std::vector<int> ings = m_index->drinkIngredients(drinkOf.value(key));
        int b = ings.empty() ? -1 : ings.front();
        for (int i : ings)
            if (m_index->ingredientKind(i) == pv::IngredientKind::Spirit) {
                b = i;
                break;
            }
        const int parent = b >= 0 ? m_index->ingredientParent(b) : -1;
        return parent >= 0 ? parent : b;
    };
    QVector<qint64> first;
    QSet<int> bases;
    for (int pass = 0; pass < 2; ++pass)
        for (qint64 k : order) {
            if (first.size() >= picks)
                break;
            if (first.contains(k) || (pass == 0 && bases.contains(base(k))))
                continue;
            first << k;
            bases.insert(base(k));
        }

    m_filling = true;
    lstOffered->clear();
    for (qint64 k : ranked) {
        const pv::DrinkNotes &n = notes[k];
        QString text = names.value(k);
        if (n.favourite)
            text += QStringLiteral("  \u2605");
        auto *item = new QListWidgetItem(text, lstOffered);
        item->setData(Qt::UserRole, k);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(first.contains(k) ? Qt::Checked : Qt::Unchecked);
    }
    m_filling = false;
    if (ranked.isEmpty()) {
        auto *item = new QListWidgetItem(cboFrom->currentData().toInt() == CanMake
                                             ? tr("My Bar's shelf makes no drink yet.\nTick what you have in\n"
                                                  "View, My Bar..., or pick\nfrom all drinks.")
                                             : tr("No drinks to pick from here."),
                                         lstOffered);
        item->setFlags(Qt::NoItemFlags);
    }
    recompute();
}

void frmPartyMenu::recompute()
{
    if (m_filling || !m_index)
        return;
    QVector<qint64> picked;
    for (int i = 0; i < lstOffered->count(); ++i)
        if (lstOffered->item(i)->checkState() == Qt::Checked)
            picked << lstOffered->item(i)->data(Qt::UserRole).toLongLong();
    const int total = spnGuests->value() * spnPerGuest->value();
    const QVector<int> shares = pv::shareServings(total, int(picked.size()));
    m_menu.clear();
    m_menuLines.clear();
    lstMenu->clear();
    QList<pv::ShoppingDrink> wanted;
    QStringList names;
    for (qsizetype i = 0; i < picked.size(); ++i) {
        pv::ShoppingDrink s;
        if (!pv::readCardRecipe(m_catalogue, picked[i], &s.recipe))
            continue;
        s.servings = shares[i];
        wanted << s;
        m_menu << qMakePair(picked[i], shares[i]);
        // Garnishes, rims and dressing fruit go last.
        const pv::CardRecipe &r = s.recipe;
        m_menuLines << pv::menuLine(r, [this, &r](int k) {
            const int i = m_index->ingredientOf(r.ingredients[size_t(k)]);
            const pv::IngredientKind kind = i >= 0 ? m_index->ingredientKind(i) : pv::IngredientKind::Other;
            if (kind == pv::IngredientKind::Garnish || kind == pv::IngredientKind::Pantry)
                return true;
            static const QStringList dressing = {QStringLiteral("twist"), QStringLiteral("slice"),
                                                 QStringLiteral("wedge"), QStringLiteral("wheel"),
                                                 QStringLiteral("sprig"), QStringLiteral("peel"),
                                                 QStringLiteral("leaf")};
            const pv::Quantity q = pv::parseQuantity(r.quantities[size_t(k)]);
            return (kind == pv::IngredientKind::Fruit || kind == pv::IngredientKind::Herb) &&
                   q.kind == pv::QuantityKind::Count && dressing.contains(q.unit);
        });
        names << s.recipe.name.simplified();
        auto *item = new QTreeWidgetItem(lstMenu, {s.recipe.name.simplified(), QString::number(shares[i])});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(0, m_menuLines.last());
    }
    if (m_menu.isEmpty())
        lblShare->setText(tr("Tick the drinks of the party on the left."));
    else
        lblShare->setText(tr("%1 guests \u00D7 %2 = %3 drinks, shared over %4 on the menu.")
                              .arg(spnGuests->value())
                              .arg(spnPerGuest->value())
                              .arg(total)
                              .arg(m_menu.size()));
    const pv::BarShelf shelf = pv::loadShelf();
    const std::vector<char> served = m_index->compute(shelf.haveVector(*m_index), shelf.optionsFor(*m_index)).ok;
    m_shopping = pv::makeShoppingList(*m_index, served, wanted, shoppingOptions());
    txtShopping->setPlainText(m_menu.isEmpty() ? QString()
                                               : m_shopping.lines(shoppingOptions()).join(QLatin1Char('\n')));
    const bool any = !m_menu.isEmpty();
    cmdSaveCardPdf->setEnabled(any && m_menu.size() <= kMostOnCard);
    cmdSaveCardPdf->setToolTip(m_menu.size() > kMostOnCard ? tr("A card holds at most %1 drinks").arg(kMostOnCard)
                                                           : QString());
    cmdSaveListPdf->setEnabled(any);
    cmdShoppingList->setEnabled(any);
    showCard();
}

pv::ShoppingOptions frmPartyMenu::shoppingOptions() const
{
    pv::ShoppingOptions o;
    o.includeShelf = chkShelf->isChecked();
    return o;
}

pv::MenuCard frmPartyMenu::menuCard() const
{
    pv::MenuCard card;
    card.title = txtTitle->text();
    card.subtitle = txtSubtitle->text();
    for (qsizetype i = 0; i < m_menu.size() && i < kMostOnCard; ++i)
        card.drinks << qMakePair(lstMenu->topLevelItem(int(i))->text(0), m_menuLines.value(i));
    return card;
}

void frmPartyMenu::showCard()
{
    static_cast<CardPreview *>(picCard)->card = menuCard();
    picCard->update();
}

void frmPartyMenu::cmdSaveCardPdf_Click()
{
    const QString file =
        pv::choosePdfFile(this, tr("Save Menu Card as PDF"), txtTitle->text().simplified(), tr("Menu Card"));
    if (file.isEmpty())
        return;
    QString error;
    if (!pv::saveMenuCardPdf(menuCard(), file, &error))
        Screen().MsgBox(tr("The menu card could not be saved as a PDF.\n\n") + error);
}

void frmPartyMenu::cmdSaveListPdf_Click()
{
    const QString file = pv::choosePdfFile(this, tr("Save Shopping List as PDF"), tr("Party Shopping List"),
                                           tr("Party Shopping List"));
    if (file.isEmpty())
        return;
    QString error;
    if (!pv::saveShoppingListPdf(m_shopping.lines(shoppingOptions()), file, &error))
        Screen().MsgBox(tr("The shopping list could not be saved as a PDF.\n\n") + error);
}

void frmPartyMenu::cmdShoppingList_Click()
{
    if (!host())
        return;
    frmShoppingList *list = frmShoppingList::open(host());
    list->chkShelf->setChecked(chkShelf->isChecked());
    list->setDrinks(m_menu, tr("For a party of %1, %2 drinks each:").arg(spnGuests->value()).arg(spnPerGuest->value()));
}

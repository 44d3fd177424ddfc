#include "drinklist/frmDrinkList.h"

#include "ui/RecipeCardView.h"
#include "ui/ScreenView.h"
#include "data/DataError.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/DrinkNotesPanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QVBoxLayout>

#include <algorithm>

using pv::Screen;

namespace {

const QString kSection = QStringLiteral("Settings");

QString setting(const QString &key)
{
    return Screen().GetSetting(Screen().App().Title, kSection, key);
}

void saveSetting(const QString &key, const QString &value)
{
    Screen().SaveSetting(Screen().App().Title, kSection, key, value);
}

// What the main window's list holds, in words for the caption: the title
// of a list the main window made itself (an ingredient, what My Bar can
// make), else the category.
QString listName(const pv::DrinkHost *main)
{
    const QString source = main->drinkData()->RecordSource();
    const QString described = main->listTitle();
    if (!described.isEmpty())
        return described;
    if (source.compare(QLatin1String("drinklst"), Qt::CaseInsensitive) == 0)
        return QObject::tr("All Drinks");
    if (source == QLatin1String("HotDrinks"))
        return QObject::tr("Hot Drinks");
    if (source == QLatin1String("NonAlcoholic"))
        return QObject::tr("Non-Alcoholic");
    static const QRegularExpression plainName(QStringLiteral("^\\w{1,40}$"));
    return plainName.match(source).hasMatch() ? source : QObject::tr("Drinks Found");
}

} // namespace

frmDrinkList::frmDrinkList()
{
    setObjectName(QStringLiteral("frmDrinkList"));
    setWindowFlag(Qt::Window);
    setWindowIcon(QIcon(QStringLiteral(":/icons/pourvale.svg")));
    setWindowTitle(tr("Drink List"));

    auto *column = new QVBoxLayout(this);
    auto *top = new QHBoxLayout;
    auto *label = new QLabel(tr("&Filter:"), this);
    label->setObjectName(QStringLiteral("lblFilter"));
    txtFilter = new QLineEdit(this);
    txtFilter->setObjectName(QStringLiteral("txtFilter"));
    txtFilter->setPlaceholderText(tr("Letters of a name or an ingredient"));
    txtFilter->setClearButtonEnabled(true);
    txtFilter->setAccessibleName(tr("Filter by name or ingredient"));
    label->setBuddy(txtFilter);
    top->addWidget(label);
    top->addWidget(txtFilter, 1);
    chkFavouritesOnly = new QCheckBox(tr("Favourites &only"), this);
    chkFavouritesOnly->setObjectName(QStringLiteral("chkFavouritesOnly"));
    top->addWidget(chkFavouritesOnly);
    auto *ratingLabel = new QLabel(tr("Ra&ted at least:"), this);
    cboMinRating = new QComboBox(this);
    cboMinRating->setObjectName(QStringLiteral("cboMinRating"));
    cboMinRating->addItem(tr("Any"));
    for (int i = 1; i <= pv::book::kMaxRating; ++i)
        cboMinRating->addItem(QString(i, QChar(0x2605)));
    ratingLabel->setBuddy(cboMinRating);
    top->addWidget(ratingLabel);
    top->addWidget(cboMinRating);
    column->addLayout(top);

    m_model = new pv::DrinkListModel(this);
    grdDrinks = new QTableView(this);
    grdDrinks->setObjectName(QStringLiteral("grdDrinks"));
    grdDrinks->setAccessibleName(tr("Drinks"));
    grdDrinks->setModel(m_model);
    grdDrinks->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdDrinks->setSelectionMode(QAbstractItemView::SingleSelection);
    grdDrinks->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grdDrinks->setAlternatingRowColors(true);
    grdDrinks->setWordWrap(false);
    grdDrinks->verticalHeader()->hide();
    grdDrinks->verticalHeader()->setDefaultSectionSize(grdDrinks->fontMetrics().height() + 6);
    grdDrinks->horizontalHeader()->setStretchLastSection(true);
    grdDrinks->horizontalHeader()->setSortIndicatorShown(true);
    grdDrinks->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    grdDrinks->setSortingEnabled(true);
    grdDrinks->setTabKeyNavigation(false);
    // The user's own marks stand by the name, where the eye looks first.
    QHeaderView *header = grdDrinks->horizontalHeader();
    header->moveSection(header->visualIndex(pv::DrinkListModel::Favourite), 0);
    header->moveSection(header->visualIndex(pv::DrinkListModel::Rating), 2);
    auto *split = new QSplitter(Qt::Horizontal, this);
    split->setObjectName(QStringLiteral("splDrinks"));
    split->setChildrenCollapsible(false);
    split->addWidget(grdDrinks);
    auto *pane = new QWidget(split);
    auto *paneColumn = new QVBoxLayout(pane);
    paneColumn->setContentsMargins(0, 0, 0, 0);
    paneCard = new pv::RecipeCardView(pane);
    paneCard->setObjectName(QStringLiteral("paneCard"));
    paneColumn->addWidget(paneCard, 1);
    // In a small window the notes scroll rather than push the card away.
    auto *notesScroll = new QScrollArea(pane);
    notesScroll->setObjectName(QStringLiteral("scrNotes"));
    notesScroll->setFrameShape(QFrame::NoFrame);
    notesScroll->setWidgetResizable(true);
    notesScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    paneNotes = new pv::DrinkNotesPanel(notesScroll);
    notesScroll->setWidget(paneNotes);
    notesScroll->setMinimumHeight(notesScroll->fontMetrics().lineSpacing() * 4);
    notesScroll->setMaximumHeight(paneNotes->sizeHint().height() + 4);
    paneColumn->addWidget(notesScroll);
    split->addWidget(pane);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    column->addWidget(split, 1);

    barIndex = new QWidget(this);
    barIndex->setObjectName(QStringLiteral("barIndex"));
    auto *indexRow = new QHBoxLayout(barIndex);
    indexRow->setContentsMargins(0, 0, 0, 0);
    lblIndex = new QLabel(tr("Preparing quick search; the list is filtered meanwhile, more slowly."), barIndex);
    lblIndex->setObjectName(QStringLiteral("lblIndex"));
    lblIndex->setTextFormat(Qt::PlainText);
    prgIndex = new QProgressBar(barIndex);
    prgIndex->setObjectName(QStringLiteral("prgIndex"));
    prgIndex->setAccessibleName(tr("Quick search prepared"));
    prgIndex->setRange(0, 0);
    prgIndex->setMaximumWidth(20 * fontMetrics().horizontalAdvance(QLatin1Char('M')));
    cmdIndexCancel = new QPushButton(tr("C&ancel"), barIndex);
    cmdIndexCancel->setObjectName(QStringLiteral("cmdIndexCancel"));
    cmdIndexCancel->setAutoDefault(false);
    indexRow->addWidget(lblIndex, 1);
    indexRow->addWidget(prgIndex);
    indexRow->addWidget(cmdIndexCancel);
    barIndex->hide();
    column->addWidget(barIndex);
    m_builder = new pv::IndexBuilder(this);
    connect(m_builder, &pv::IndexBuilder::progressed, this, [this](qint64 done, qint64 total) {
        if (total > 0) {
            prgIndex->setRange(0, 1000);
            prgIndex->setValue(int(std::clamp<qint64>(done * 1000 / total, 0, 1000)));
        }
    });
    connect(m_builder, &pv::IndexBuilder::finished, this,
            [this](bool built, bool stopped) { Screen().guard([=, this] { indexFinished(built, stopped); }); });
    connect(cmdIndexCancel, &QPushButton::clicked, this, [this] {
        m_indexGivenUp = m_builder->cataloguePath();
        m_builder->cancel();
        barIndex->hide();
    });

    auto *bottom = new QHBoxLayout;
    lblCount = new QLabel(this);
    lblCount->setObjectName(QStringLiteral("lblCount"));
    // It quotes what was typed into the filter.
    lblCount->setTextFormat(Qt::PlainText);
    bottom->addWidget(lblCount, 1);
    cmdClose = new QPushButton(tr("&Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);
    bottom->addWidget(cmdClose);
    column->addLayout(bottom);

    resize(1280, 720);

    pv::onEvent(txtFilter, &QLineEdit::textChanged, this, [this] { txtFilter_Change(); });
    pv::onEvent(chkFavouritesOnly, &QCheckBox::toggled, this, [this] { bookFilter_Change(); });
    pv::onEvent(cboMinRating, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { bookFilter_Change(); });
    // Enter in the filter shows the drink picked in the table (the first one found).
    pv::onEvent(txtFilter, &QLineEdit::returnPressed, this, [this] {
        const QModelIndex current = grdDrinks->currentIndex();
        grdDrinks_Activated(current.isValid() ? current : m_model->index(0, 0));
    });
    // Up and down in the filter move through the table.
    txtFilter->installEventFilter(this);
    pv::onEvent(grdDrinks, &QTableView::activated, this, [this] { grdDrinks_Activated(grdDrinks->currentIndex()); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { Screen().Unload(this); });
    auto *esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { Screen().Unload(this); });
    connect(m_model, &QAbstractItemModel::modelReset, this, &frmDrinkList::updateCaption);
    connect(m_model, &QAbstractItemModel::modelReset, this, &frmDrinkList::showPaneCard);
    connect(m_model, &QAbstractItemModel::modelReset, this, &frmDrinkList::buildIndexIfNeeded);
    connect(grdDrinks->selectionModel(), &QItemSelectionModel::currentRowChanged, this, &frmDrinkList::showPaneCard);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &frmDrinkList::updateCaption);

    m_scanMore.setSingleShot(true);
    m_scanMore.setInterval(0);
    connect(&m_scanMore, &QTimer::timeout, this, [this] { Screen().guard([this] { scanOn(); }); });
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        if (m_model->scansInWindows() && !m_model->isComplete())
            m_scanMore.start();
    });

    // Other programs write the file too.
    m_poll.setInterval(1000);
    connect(&m_poll, &QTimer::timeout, this, [this] {
        if (isVisible())
            Screen().guard([this] { followMain(false); });
    });
}

bool frmDrinkList::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtFilter && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Down || key == Qt::Key_Up || key == Qt::Key_PageDown || key == Qt::Key_PageUp) {
            QCoreApplication::sendEvent(grdDrinks, event);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmDrinkList::open(pv::DrinkHost *main)
{
    auto *w = Screen().Load<frmDrinkList>();
    if (w->host() != main)
        w->attach(main);
    Screen().Show(w);
    w->grdDrinks->setFocus();
}

void frmDrinkList::Form_Load()
{
    bool ok = false;
    const int w = setting(QStringLiteral("DrinkListWidth")).toInt(&ok);
    const int h = ok ? setting(QStringLiteral("DrinkListHeight")).toInt(&ok) : 0;
    if (ok && w >= 200 && h >= 150 && w <= 20000 && h <= 20000)
        resize(w, h);
    const QStringList widths = setting(QStringLiteral("DrinkListColumns")).split(QLatin1Char(','));
    for (int i = 0; i < widths.size() && i < pv::DrinkListModel::ColumnCount; ++i) {
        const int cw = widths[i].toInt(&ok);
        if (ok && cw >= 20 && cw <= 4000)
            grdDrinks->setColumnWidth(i, cw);
    }
    if (widths.size() < 2) {
        // Room for most names and ingredients without a sideways scroll.
        const int em = grdDrinks->fontMetrics().horizontalAdvance(QLatin1Char('M'));
        const int share[] = {17, 11, 13, 14, 14, 14, 3, 8};
        for (int i = 0; i < 8; ++i)
            grdDrinks->setColumnWidth(i, share[i] * em);
    }
    m_poll.start();
}

void frmDrinkList::Form_Unload(int &Cancel)
{
    (void)Cancel;
    m_poll.stop();
    paneNotes->flush();
    // What is built so far stays in the file; the next build goes on from there.
    m_builder->cancel();
    barIndex->hide();
    if (isMinimized() || isMaximized())
        return;
    saveSetting(QStringLiteral("DrinkListWidth"), QString::number(width()));
    saveSetting(QStringLiteral("DrinkListHeight"), QString::number(height()));
    QStringList widths;
    for (int i = 0; i < pv::DrinkListModel::ColumnCount; ++i)
        widths << QString::number(grdDrinks->columnWidth(i));
    saveSetting(QStringLiteral("DrinkListColumns"), widths.join(QLatin1Char(',')));
}

void frmDrinkList::attach(pv::DrinkHost *main)
{
    m_main = main;
    m_mainWindow = main->hostWindow();
    connect(main->drinkData(), &pv::DataControl::Reposition, this, [this] {
        // After the main window's handler has finished its own work.
        QTimer::singleShot(0, this, [this] { Screen().guard([this] { followMain(true); }); });
    });
    followMain(true);
}

void frmDrinkList::followMain(bool moved)
{
    pv::DrinkHost *main = host();
    if (!main)
        return;
    const QString path = main->drinkData()->DatabaseName();
    const QString source = main->drinkData()->RecordSource();
    if (path.isEmpty())
        return;
    if (!m_model->isOpen() || source != m_model->recordSource()) {
        const bool first = !m_model->isOpen();
        m_model->open(path, source);
        // The window opens sorted by name, and the header says so; a list
        // too long to sort at once opens in its own order, unmarked.
        if (first && m_model->totalCount() >= 0)
            grdDrinks->sortByColumn(pv::DrinkListModel::Name, Qt::AscendingOrder);
        selectMainDrink();
    } else if (m_model->fileChanged()) {
        const QModelIndex current = grdDrinks->currentIndex();
        const qint64 key = current.isValid() ? m_model->keyAt(current.row()) : -1;
        const int scroll = grdDrinks->verticalScrollBar()->value();
        m_model->reload();
        grdDrinks->verticalScrollBar()->setValue(scroll);
        if (const int row = key >= 0 ? m_model->rowOfKey(key) : -1; row >= 0)
            grdDrinks->setCurrentIndex(m_model->index(row, 0));
        if (moved || !grdDrinks->currentIndex().isValid())
            selectMainDrink();
    } else if (moved) {
        // The line picked in the table stays picked until the main window moves.
        selectMainDrink();
    }
    updateCaption();
}

void frmDrinkList::selectMainDrink()
{
    pv::DrinkHost *main = host();
    const qint64 key = main ? main->currentDrink() : -1;
    if (key < 0)
        return;
    const int row = m_model->rowOfKey(key);
    if (row >= 0 && row != grdDrinks->currentIndex().row())
        grdDrinks->setCurrentIndex(
            m_model->index(row, grdDrinks->currentIndex().isValid() ? grdDrinks->currentIndex().column() : 0));
}

void frmDrinkList::showPaneCard()
{
    const QModelIndex current = grdDrinks->currentIndex();
    pv::CardRecipe recipe;
    pv::DrinkHost *main = host();
    if (main && current.isValid() &&
        pv::readCardRecipe(main->drinkData()->DatabaseName(), m_model->keyAt(current.row()), &recipe)) {
        paneCard->setRecipe(recipe);
        paneNotes->setDrink(main->drinkData()->DatabaseName(), m_model->keyAt(current.row()));
    } else {
        paneCard->clear();
        paneNotes->setDrink(QString(), -1);
    }
}

void frmDrinkList::updateCaption()
{
    if (pv::DrinkHost *main = host())
        setWindowTitle(pv::titleText(tr("Drink List %1 %2").arg(QChar(0x2013), listName(main))));
    const qint64 total = m_model->totalCount();
    const int n = m_model->rowCount();
    const auto drinks = [](qint64 count) { return count == 1 ? tr("1 drink") : tr("%1 drinks").arg(count); };
    // Past the counting limit the total is known once every row is listed.
    const QString of = total >= 0 ? QString::number(total) : tr("more than %1").arg(pv::DrinkListModel::kCountLimit);
    if (m_model->favouritesOnly() || m_model->minRating() > 0) {
        QString which = m_model->favouritesOnly() ? tr("favourites") : tr("drinks");
        if (m_model->minRating() > 0)
            which += tr(" rated %1 or more").arg(m_model->minRating());
        lblCount->setText(tr("%1 of %2 are %3").arg(n).arg(of, which) +
                          (m_model->filterText().trimmed().isEmpty() ? QString() : tr(" and match the filter")));
        return;
    }
    if (m_model->filterText().trimmed().isEmpty()) {
        if (total < 0)
            lblCount->setText(tr("More than %1 drinks").arg(std::max<qint64>(n, pv::DrinkListModel::kCountLimit)));
        else
            lblCount->setText(total == 0 ? tr("No drinks in this list") : drinks(total));
        return;
    }
    // The filter as typed, on one line and not too long.
    QString typed = m_model->filterText().simplified();
    if (typed.size() > 40)
        typed = typed.left(39) + QChar(0x2026);
    const QString quoted = QChar(0x201C) + typed + QChar(0x201D);
    if (!m_model->isComplete())
        lblCount->setText(tr("More than %1 of %2 match %3").arg(n).arg(of, quoted));
    else if (n == 0)
        lblCount->setText(tr("None of %1 match %2").arg(total >= 0 ? drinks(total) : of + tr(" drinks"), quoted));
    else
        lblCount->setText(tr("%1 of %2 match %3").arg(n).arg(of, quoted));
}

void frmDrinkList::txtFilter_Change()
{
    // Only the index's few rows behind are taken in here; it is built behind the window.
    const int pointer = Screen().mousePointer();
    Screen().setMousePointer(pv::vbHourglass);
    try {
        m_model->setFilter(txtFilter->text());
    } catch (...) {
        Screen().setMousePointer(pointer);
        throw;
    }
    Screen().setMousePointer(pointer);
    if (m_model->rowCount() > 0)
        grdDrinks->setCurrentIndex(m_model->index(0, 0));
    selectMainDrink();
    updateCaption();
}

void frmDrinkList::bookFilter_Change()
{
    m_model->setBookFilter(chkFavouritesOnly->isChecked(), cboMinRating->currentIndex());
    if (m_model->rowCount() > 0)
        grdDrinks->setCurrentIndex(m_model->index(0, 0));
    selectMainDrink();
    updateCaption();
}

void frmDrinkList::scanOn()
{
    if (!m_model->scansInWindows() || m_model->isComplete() || !isVisible())
        return;
    const int screen = grdDrinks->viewport()->height() / std::max(1, grdDrinks->verticalHeader()->defaultSectionSize());
    if (m_model->rowCount() > screen)
        return;
    const int before = m_model->rowCount();
    m_model->fetchMore(QModelIndex());
    if (before == 0 && m_model->rowCount() > 0 && !grdDrinks->currentIndex().isValid())
        grdDrinks->setCurrentIndex(m_model->index(0, 0));
    updateCaption();
    if (!m_model->isComplete())
        m_scanMore.start();
}

void frmDrinkList::buildIndexIfNeeded()
{
    pv::DrinkHost *main = host();
    if (!main || !m_model->indexPending() || m_builder->isRunning())
        return;
    const QString path = main->drinkData()->DatabaseName();
    if (path.isEmpty() || path == m_indexGivenUp)
        return;
    prgIndex->setRange(0, 0);
    barIndex->show();
    m_builder->start(path);
}

void frmDrinkList::indexFinished(bool built, bool stopped)
{
    barIndex->hide();
    if (!built) {
        // The file cannot hold it (or Cancel was pressed): the list goes on
        // scanning. A build stopped as the window closed goes on next time.
        if (!stopped)
            m_indexGivenUp = m_builder->cataloguePath();
        return;
    }
    pv::DrinkHost *main = host();
    if (!main || main->drinkData()->DatabaseName() != m_builder->cataloguePath())
        return;
    const QModelIndex current = grdDrinks->currentIndex();
    const qint64 key = current.isValid() ? m_model->keyAt(current.row()) : -1;
    m_model->indexBuilt();
    if (const int row = key >= 0 ? m_model->rowOfKey(key) : -1; row >= 0)
        grdDrinks->setCurrentIndex(m_model->index(row, 0));
    updateCaption();
}

void frmDrinkList::grdDrinks_Activated(const QModelIndex &index)
{
    pv::DrinkHost *main = host();
    if (!index.isValid() || !main)
        return;
    const qint64 key = m_model->keyAt(index.row());
    try {
        main->drinkData()->recordset().setBookmark(key);
    } catch (const pv::DataError &) {
        Screen().MsgBox(tr("That drink is no longer in the main window's list."));
        followMain(true);
        return;
    }
    if (auto *form = dynamic_cast<pv::Form *>(main))
        Screen().Show(form);
}

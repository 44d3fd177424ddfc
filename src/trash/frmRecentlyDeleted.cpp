#include "trash/frmRecentlyDeleted.h"

#include "data/DataError.h"
#include "ui/Twips.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLocale>
#include <QVBoxLayout>

using pv::Screen;

namespace {

// The lists the tables stand in, as the menus name them.
QString listName(const QString &table)
{
    static const QList<QPair<QString, QString>> names = {
        {"drinklst", "Drinks"},         {"joke", "Jokes"},          {"Toasting", "Toasts"},
        {"pickuplines", "Pick-up lines"}, {"cardgames", "Card games"}, {"dicegames", "Dice games"},
        {"coingames", "Coin games"},    {"mediagames", "TV and movie games"}, {"vocalgames", "Speech games"},
        {"boardgames", "Board games"}};
    for (const auto &n : names)
        if (n.first.compare(table, Qt::CaseInsensitive) == 0)
            return n.second;
    return table;
}

enum Column { ColName, ColList, ColWhen };

} // namespace

frmRecentlyDeleted::frmRecentlyDeleted()
{
    setObjectName(QStringLiteral("frmRecentlyDeleted"));
    setWindowTitle(QStringLiteral("Recently Deleted"));
    setWindowFlag(Qt::Window);
    auto *column = new QVBoxLayout(this);
    lblInfo = new QLabel(QStringLiteral("Drinks and entries deleted in the last 30 days. Restore puts one back "
                                        "where it stood; Delete for Good removes it for ever."),
                         this);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    lblInfo->setTextFormat(Qt::PlainText);
    lblInfo->setWordWrap(true);
    column->addWidget(lblInfo);

    grdDeleted = new QTreeWidget(this);
    grdDeleted->setObjectName(QStringLiteral("grdDeleted"));
    grdDeleted->setColumnCount(3);
    grdDeleted->setHeaderLabels({QStringLiteral("Name"), QStringLiteral("From"), QStringLiteral("Deleted")});
    grdDeleted->setRootIsDecorated(false);
    grdDeleted->setUniformRowHeights(true);
    grdDeleted->setSelectionMode(QAbstractItemView::ExtendedSelection);
    grdDeleted->setAccessibleName(QStringLiteral("Deleted drinks and entries"));
    grdDeleted->header()->setStretchLastSection(false);
    grdDeleted->header()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    grdDeleted->installEventFilter(this);
    connect(grdDeleted, &QTreeWidget::itemSelectionChanged, this, &frmRecentlyDeleted::updateButtons);
    connect(grdDeleted, &QTreeWidget::itemActivated, this, &frmRecentlyDeleted::cmdRestore_Click);
    column->addWidget(grdDeleted, 1);

    auto *buttons = new QDialogButtonBox(this);
    cmdRestore = buttons->addButton(QStringLiteral("&Restore"), QDialogButtonBox::ActionRole);
    cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    cmdForget = buttons->addButton(QStringLiteral("Delete for &Good"), QDialogButtonBox::ActionRole);
    cmdForget->setObjectName(QStringLiteral("cmdForget"));
    cmdClose = buttons->addButton(QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdRestore, &QPushButton::clicked, this, &frmRecentlyDeleted::cmdRestore_Click);
    connect(cmdForget, &QPushButton::clicked, this, &frmRecentlyDeleted::cmdForget_Click);
    connect(cmdClose, &QPushButton::clicked, this, [this] { Screen().Unload(this); });
    column->addWidget(buttons);
    resize(pv::twipsToPx(8400), pv::twipsToPx(5400));
}

void frmRecentlyDeleted::Form_Load() {}

void frmRecentlyDeleted::Form_Unload(int &Cancel)
{
    Cancel = 0;
}

void frmRecentlyDeleted::open(const QString &catalogue, QWidget *owner)
{
    auto *w = Screen().Load<frmRecentlyDeleted>();
    w->m_catalogue = catalogue;
    if (owner && !w->isVisible())
        w->move(owner->geometry().center() - w->rect().center());
    w->reload();
    Screen().Show(w);
    w->grdDeleted->setFocus();
}

void frmRecentlyDeleted::reload()
{
    const QList<qint64> before = chosen();
    grdDeleted->clear();
    try {
        m_rows = pv::trash::list(m_catalogue);
    } catch (const pv::DataError &e) {
        m_rows.clear();
        Screen().MsgBox(e.message());
    }
    const QLocale locale;
    for (const pv::DeletedRow &r : std::as_const(m_rows)) {
        auto *item = new QTreeWidgetItem(grdDeleted);
        item->setText(ColName, r.caption);
        item->setToolTip(ColName, r.caption);
        item->setText(ColList, listName(r.table));
        item->setText(ColWhen, locale.toString(r.when, QLocale::ShortFormat));
        item->setData(ColName, Qt::UserRole, r.id);
        item->setSelected(before.contains(r.id));
    }
    grdDeleted->resizeColumnToContents(ColList);
    grdDeleted->resizeColumnToContents(ColWhen);
    if (!grdDeleted->currentItem() && grdDeleted->topLevelItemCount() > 0)
        grdDeleted->setCurrentItem(grdDeleted->topLevelItem(0));
    lblInfo->setText(m_rows.isEmpty() ? QStringLiteral("Nothing was deleted in the last 30 days.")
                                      : QStringLiteral("Drinks and entries deleted in the last 30 days. Restore puts "
                                                       "one back where it stood; Delete for Good removes it for ever."));
    updateButtons();
}

QList<qint64> frmRecentlyDeleted::chosen() const
{
    QList<qint64> ids;
    for (QTreeWidgetItem *i : grdDeleted->selectedItems())
        ids << i->data(ColName, Qt::UserRole).toLongLong();
    return ids;
}

void frmRecentlyDeleted::updateButtons()
{
    const bool any = !grdDeleted->selectedItems().isEmpty();
    cmdRestore->setEnabled(any);
    cmdForget->setEnabled(any);
}

void frmRecentlyDeleted::cmdRestore_Click()
{
    const QList<qint64> ids = chosen();
    QStringList failed;
    for (qint64 id : ids) {
        const auto it = std::find_if(m_rows.cbegin(), m_rows.cend(), [id](const pv::DeletedRow &r) { return r.id == id; });
        if (it == m_rows.cend())
            continue;
        try {
            const qint64 key = pv::trash::restore(m_catalogue, id);
            pv::RowHistory::instance().restored(m_catalogue, it->table, key, it->row);
        } catch (const pv::DataError &e) {
            failed << it->caption + QStringLiteral(": ") + e.message();
        }
    }
    reload();
    if (!failed.isEmpty())
        Screen().MsgBox(QStringLiteral("Not restored:\n") + failed.join(QLatin1Char('\n')));
}

void frmRecentlyDeleted::cmdForget_Click()
{
    const QList<qint64> ids = chosen();
    if (ids.isEmpty())
        return;
    const QString what = ids.size() == 1 ? grdDeleted->selectedItems().first()->text(ColName)
                                         : QStringLiteral("these %1 entries").arg(ids.size());
    if (Screen().MsgBox(QStringLiteral("Delete %1 for good? This cannot be undone.").arg(what),
                        pv::vbYesNo | pv::vbQuestion) != pv::vbYes)
        return;
    try {
        pv::trash::forget(m_catalogue, ids);
    } catch (const pv::DataError &e) {
        Screen().MsgBox(e.message());
    }
    reload();
}

bool frmRecentlyDeleted::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == grdDeleted && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
        cmdForget_Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

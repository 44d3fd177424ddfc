#include "ui/DrinkNotesPanel.h"

#include "data/DataError.h"
#include "ui/ScreenView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>

namespace pv {

BookNotifier &BookNotifier::instance()
{
    static BookNotifier notifier;
    return notifier;
}

namespace {

QString stars(int n)
{
    return QString(n, QChar(0x2605)) + QString(book::kMaxRating - n, QChar(0x2606));
}

QString madeText(const MadeEntry &e)
{
    const QString date = QLocale().toString(e.date, QLocale::ShortFormat);
    return e.comment.isEmpty() ? date : date + QStringLiteral(" \u2013 ") + e.comment;
}

} // namespace

DrinkNotesPanel::DrinkNotesPanel(QWidget *parent) : QGroupBox(tr("My Notes"), parent)
{
    setObjectName(QStringLiteral("grpMyNotes"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(6, 6, 6, 6);

    chkFavourite = new QCheckBox(tr("\u2605 Fa&vourite"), this);
    chkFavourite->setObjectName(QStringLiteral("chkFavourite"));
    auto *ratingLabel = new QLabel(tr("&Rating:"), this);
    cboRating = new QComboBox(this);
    cboRating->setObjectName(QStringLiteral("cboRating"));
    cboRating->addItem(tr("Not rated"));
    for (int i = 1; i <= book::kMaxRating; ++i)
        cboRating->addItem(stars(i) + QStringLiteral("  ") + QString::number(i));
    cboRating->setAccessibleName(tr("Rating, 1 to 5"));
    ratingLabel->setBuddy(cboRating);
    auto *top = new QHBoxLayout;
    top->addWidget(chkFavourite);
    top->addSpacing(12);
    top->addWidget(ratingLabel);
    top->addWidget(cboRating);
    top->addStretch();
    grid->addLayout(top, 0, 0, 1, 2);

    auto *noteLabel = new QLabel(tr("&Note:"), this);
    txtNote = new QPlainTextEdit(this);
    txtNote->setObjectName(QStringLiteral("txtNote"));
    txtNote->setTabChangesFocus(true);
    txtNote->setPlaceholderText(tr("Your own note on this drink"));
    txtNote->setAccessibleName(tr("Note"));
    noteLabel->setBuddy(txtNote);
    const int line = fontMetrics().lineSpacing();
    // Small windows squeeze the note and the log before the card.
    txtNote->setMinimumHeight(line * 2 + 10);
    txtNote->setMaximumHeight(line * 5 + 12);
    grid->addWidget(noteLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(txtNote, 1, 1);

    auto *madeLabel = new QLabel(tr("I made it:"), this);
    lstMade = new QListWidget(this);
    lstMade->setObjectName(QStringLiteral("lstMade"));
    lstMade->setAccessibleName(tr("Times I made it"));
    lstMade->setMinimumHeight(line + 8);
    lstMade->setMaximumHeight(line * 3 + 10);
    madeLabel->setBuddy(lstMade);
    grid->addWidget(madeLabel, 2, 0, Qt::AlignTop);
    grid->addWidget(lstMade, 2, 1);

    txtMadeComment = new QLineEdit(this);
    txtMadeComment->setObjectName(QStringLiteral("txtMadeComment"));
    txtMadeComment->setPlaceholderText(tr("A line about it (optional)"));
    txtMadeComment->setAccessibleName(tr("Comment on making it"));
    txtMadeComment->setMaxLength(int(book::kMaxCommentChars));
    cmdMadeIt = new QPushButton(tr("I &Made It Today"), this);
    cmdMadeIt->setObjectName(QStringLiteral("cmdMadeIt"));
    cmdMadeIt->setAutoDefault(false);
    cmdRemoveMade = new QPushButton(tr("R&emove"), this);
    cmdRemoveMade->setObjectName(QStringLiteral("cmdRemoveMade"));
    cmdRemoveMade->setAutoDefault(false);
    cmdRemoveMade->setToolTip(tr("Removes the entry picked in the list"));
    auto *madeRow = new QHBoxLayout;
    madeRow->addWidget(txtMadeComment, 1);
    madeRow->addWidget(cmdMadeIt);
    madeRow->addWidget(cmdRemoveMade);
    grid->addLayout(madeRow, 3, 1);

    m_noteTimer.setSingleShot(true);
    m_noteTimer.setInterval(800);
    connect(&m_noteTimer, &QTimer::timeout, this, [this] { Screen().guard([this] { flush(); }); });
    txtNote->installEventFilter(this);

    onEvent(chkFavourite, &QCheckBox::toggled, this, [this] {
        if (m_showing || m_drink < 0)
            return;
        DrinkNotes n = m_notes;
        n.favourite = chkFavourite->isChecked();
        save(n);
    });
    onEvent(cboRating, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        if (m_showing || m_drink < 0)
            return;
        DrinkNotes n = m_notes;
        n.rating = cboRating->currentIndex();
        save(n);
    });
    connect(txtNote, &QPlainTextEdit::textChanged, this, [this] {
        if (m_showing || m_drink < 0)
            return;
        m_noteDirty = true;
        m_noteTimer.start();
    });
    onEvent(cmdMadeIt, &QPushButton::clicked, this, [this] { madeIt(); });
    onEvent(txtMadeComment, &QLineEdit::returnPressed, this, [this] { madeIt(); });
    onEvent(cmdRemoveMade, &QPushButton::clicked, this, [this] { removeMade(); });
    connect(lstMade, &QListWidget::currentRowChanged, this,
            [this](int row) { cmdRemoveMade->setEnabled(m_drink >= 0 && row >= 0); });
    connect(&BookNotifier::instance(), &BookNotifier::changed, this, [this](const QString &catalogue, qint64 drink) {
        if (catalogue == m_catalogue && drink == m_drink && !m_noteDirty)
            Screen().guard([this] { reload(); });
    });
    setDrink(QString(), -1);
}

DrinkNotesPanel::~DrinkNotesPanel()
{
    // A note typed just before the window closed is not lost; a failure
    // cannot be told any more.
    if (m_noteDirty && m_drink >= 0) {
        DrinkNotes n = m_notes;
        n.note = txtNote->toPlainText();
        try {
            book::write(m_catalogue, m_drink, n);
        } catch (const std::exception &) {
        }
    }
}

void DrinkNotesPanel::setDrink(const QString &catalogue, qint64 drink)
{
    if (catalogue == m_catalogue && drink == m_drink && drink >= 0) {
        if (!m_noteDirty)
            reload();
        return;
    }
    flush();
    m_catalogue = catalogue;
    m_drink = catalogue.isEmpty() ? -1 : drink;
    reload();
}

void DrinkNotesPanel::reload()
{
    DrinkNotes n;
    if (m_drink >= 0) {
        try {
            n = book::read(m_catalogue, m_drink);
        } catch (const DataError &) {
            // Shown empty; a save tells what is wrong with the file.
        }
    }
    show(n);
}

void DrinkNotesPanel::show(const DrinkNotes &n)
{
    m_showing = true;
    m_notes = n;
    m_noteDirty = false;
    m_noteTimer.stop();
    const bool on = m_drink >= 0;
    for (QWidget *w : std::initializer_list<QWidget *>{chkFavourite, cboRating, txtNote, lstMade, txtMadeComment,
                                                       cmdMadeIt})
        w->setEnabled(on);
    chkFavourite->setChecked(n.favourite);
    cboRating->setCurrentIndex(n.rating);
    if (txtNote->toPlainText() != n.note)
        txtNote->setPlainText(n.note);
    lstMade->clear();
    // Newest first: the last time is what one looks for.
    for (qsizetype i = n.made.size(); i-- > 0;)
        lstMade->addItem(madeText(n.made[i]));
    cmdRemoveMade->setEnabled(false);
    const qsizetype times = n.made.size();
    setTitle(times == 0   ? tr("My Notes")
             : times == 1 ? tr("My Notes \u2013 made once")
                          : tr("My Notes \u2013 made %1 times").arg(times));
    m_showing = false;
}

bool DrinkNotesPanel::save(const DrinkNotes &wanted)
{
    DrinkNotes n = wanted;
    if (m_noteDirty)
        n.note = txtNote->toPlainText();
    try {
        book::write(m_catalogue, m_drink, n);
    } catch (const DataError &e) {
        Screen().MsgBox(tr("Your notes on this drink could not be saved.\n\n%1").arg(e.message()));
        reload();
        return false;
    }
    m_noteDirty = false;
    m_noteTimer.stop();
    const DrinkNotes saved = book::bounded(n);
    // The note box keeps its cursor: only the rest is shown again.
    const QString typed = txtNote->toPlainText();
    show(saved);
    if (typed != saved.note) {
        m_showing = true;
        txtNote->setPlainText(saved.note);
        m_showing = false;
    }
    Q_EMIT BookNotifier::instance().changed(m_catalogue, m_drink);
    return true;
}

bool DrinkNotesPanel::flush()
{
    if (!m_noteDirty || m_drink < 0)
        return true;
    return save(m_notes);
}

void DrinkNotesPanel::madeIt()
{
    if (m_drink < 0)
        return;
    DrinkNotes n = m_notes;
    n.made << MadeEntry{QDate::currentDate(), txtMadeComment->text().simplified()};
    if (save(n))
        txtMadeComment->clear();
}

void DrinkNotesPanel::removeMade()
{
    const int row = lstMade->currentRow();
    if (m_drink < 0 || row < 0 || row >= m_notes.made.size())
        return;
    DrinkNotes n = m_notes;
    n.made.removeAt(n.made.size() - 1 - row);
    save(n);
}

bool DrinkNotesPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == txtNote && event->type() == QEvent::FocusOut)
        Screen().guard([this] { flush(); });
    return QGroupBox::eventFilter(watched, event);
}

} // namespace pv

#include "collections/CollectionBrowser.h"

#include "data/Catalogue.h"
#include "data/DataError.h"
#include "ui/DataControl.h"
#include "ui/KeyboardAccess.h"
#include "ui/Twips.h"
#include "ui/UndoCommands.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

namespace pv {

namespace {

// Designed sizes of the three layouts, in twips.
struct LayoutSize {
    int width;
    int height;
    int shortBoxWidth;
};

LayoutSize layoutSize(CollectionLayout layout)
{
    switch (layout) {
    case CollectionLayout::Games:
        return {11550, 6900, 5400};
    case CollectionLayout::Numbered:
        return {11550, 4800, 1200};
    case CollectionLayout::Toasting:
        return {11550, 5100, 3600};
    }
    return {11550, 6900, 5400};
}

QString indexed(const char *array, int index)
{
    return QStringLiteral("%1(%2)").arg(QLatin1String(array)).arg(index);
}

} // namespace

CollectionBrowser::CollectionBrowser(const CollectionProfile &profile, QWidget *parent)
    : QWidget(parent), m_profile(profile)
{
    setObjectName(QLatin1String(profile.form));
    buildControls();

    onEvent(cmdBegofFile, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdBegofFile_Click); });
    onEvent(cmdPrevious, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdPrevious_Click); });
    onEvent(cmdNext, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdNext_Click); });
    onEvent(cmdEndofList, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdEndofList_Click); });
    onEvent(cmdAdd, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdAdd_Click); });
    onEvent(cmdDelete, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdDelete_Click); });
    onEvent(cmdRefresh, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdRefresh_Click); });
    onEvent(cmdUpdate, &QPushButton::clicked, this, [this] { press(&CollectionBrowser::cmdUpdate_Click); });
    onEvent(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(datPrimaryRS, &DataControl::Error, this, &CollectionBrowser::datPrimaryRS_Error);
    connect(datPrimaryRS, &DataControl::Reposition, this, &CollectionBrowser::datPrimaryRS_Reposition);
    connect(datPrimaryRS, &DataControl::Validate, this, &CollectionBrowser::datPrimaryRS_Validate);
    // Ctrl+Z and Ctrl+Shift+Z take back and bring again deletes and saves.
    (new UndoCommands(this, datPrimaryRS))->setWords([this](int number) { return inWords(number); });
}

QPushButton *CollectionBrowser::makeButton(const char *name, const QString &caption)
{
    auto *b = new QPushButton(caption, this);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

void CollectionBrowser::buildControls()
{
    const CollectionProfile &p = m_profile;
    const LayoutSize size = layoutSize(p.layout);
    setWindowTitle(QLatin1String(p.caption));

    const int count = std::max(p.shortBox.index, p.longBox.index) + 1;
    txtFields.assign(size_t(count), nullptr);
    lblLabels.assign(size_t(count), nullptr);

    auto makeLabel = [this](const CollectionBox &box) -> QLabel * {
        if (!box.label)
            return nullptr;
        auto *l = new QLabel(QLatin1String(box.label), this);
        l->setTextFormat(Qt::PlainText);
        l->setObjectName(indexed("lblLabels", box.index));
        lblLabels[size_t(box.index)] = l;
        return l;
    };

    m_shortBox = new QLineEdit(this);
    m_shortBox->setObjectName(indexed("txtFields", p.shortBox.index));
    if (p.shortMaxLength > 0)
        m_shortBox->setMaxLength(p.shortMaxLength);
    m_shortBox->setFixedWidth(twipsToPx(size.shortBoxWidth));
    txtFields[size_t(p.shortBox.index)] = m_shortBox;

    m_longBox = new QPlainTextEdit(this);
    m_longBox->setObjectName(indexed("txtFields", p.longBox.index));
    m_longBox->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_longBox->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_longBox->setTabChangesFocus(true);
    txtFields[size_t(p.longBox.index)] = m_longBox;

    QLabel *shortLabel = makeLabel(p.shortBox);
    QLabel *longLabel = makeLabel(p.longBox);

    if (p.heading) {
        Label1 = new QLabel(QLatin1String(p.heading), this);
        Label1->setTextFormat(Qt::PlainText);
        Label1->setObjectName(QStringLiteral("Label1"));
        QFont big = Label1->font();
        big.setPointSizeF(big.pointSizeF() * 1.7);
        big.setBold(true);
        Label1->setFont(big);
    }

    // Name (or number, or category) on top; the long text below, with its
    // label at the left where it has one.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(twipsToPx(120));
    grid->setVerticalSpacing(twipsToPx(120));
    if (shortLabel)
        grid->addWidget(shortLabel, 0, 0);
    grid->addWidget(m_shortBox, 0, 1, Qt::AlignLeft);
    if (Label1)
        grid->addWidget(Label1, 0, 2, Qt::AlignLeft | Qt::AlignVCenter);
    if (longLabel) {
        longLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        grid->addWidget(longLabel, 1, 0, Qt::AlignTop);
        grid->addWidget(m_longBox, 1, 1, 1, 2);
    } else {
        grid->addWidget(m_longBox, 1, 0, 1, 3);
    }
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);

    // Assistive tools name each box by the label beside it, or, where it has
    // none, by the window.
    if (shortLabel)
        shortLabel->setBuddy(m_shortBox);
    if (longLabel)
        longLabel->setBuddy(m_longBox);
    else
        m_longBox->setAccessibleName(QLatin1String(p.caption));

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(twipsToPx(60));
    cmdBegofFile = makeButton("cmdBegofFile", QStringLiteral("Beginning"));
    cmdPrevious = makeButton("cmdPrevious", QStringLiteral("Previous"));
    cmdNext = makeButton("cmdNext", QStringLiteral("Next"));
    cmdEndofList = makeButton("cmdEndofList", QStringLiteral("End of List"));
    cmdAdd = makeButton("cmdAdd", QStringLiteral("&Add"));
    cmdDelete = makeButton("cmdDelete", QStringLiteral("&Delete"));
    cmdRefresh = makeButton("cmdRefresh", QStringLiteral("&Refresh"));
    cmdUpdate = makeButton("cmdUpdate", QStringLiteral("&Update"));
    cmdClose = makeButton("cmdClose", QStringLiteral("&Close"));
    for (QPushButton *b : {cmdBegofFile, cmdPrevious, cmdNext, cmdEndofList, cmdAdd, cmdDelete, cmdRefresh,
                           cmdUpdate, cmdClose})
        buttons->addWidget(b, 1);
    // The four moves have no access letter in their captions; keys on the
    // buttons reach them from any box.
    setRecordKeys(cmdBegofFile, cmdPrevious, cmdNext, cmdEndofList);
    // Esc closes the window as its Close button does (which keeps Alt+C).
    connect(new QShortcut(QKeySequence::Cancel, this), &QShortcut::activated, cmdClose, &QPushButton::click);

    auto *body = new QVBoxLayout;
    const int margin = twipsToPx(120);
    body->setContentsMargins(margin, margin, margin, margin);
    body->setSpacing(twipsToPx(180));
    body->addLayout(grid, 1);
    body->addLayout(buttons);

    datPrimaryRS = new DataControl(this);
    datPrimaryRS->setObjectName(QStringLiteral("datPrimaryRS"));
    datPrimaryRS->setConnect(QStringLiteral("Access 2000;"));
    datPrimaryRS->setRecordSource(QLatin1String(p.recordSource));
    datPrimaryRS->setCaption(QStringLiteral(" "));
    datPrimaryRS->bind(m_shortBox, QLatin1String(p.shortBox.column));
    datPrimaryRS->bind(m_longBox, QLatin1String(p.longBox.column));

    // The data control is docked along the whole bottom edge.
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addLayout(body, 1);
    outer->addWidget(datPrimaryRS);

    resize(twipsToPx(size.width), twipsToPx(size.height));
}

void CollectionBrowser::Form_Load()
{
    datPrimaryRS->setDatabaseName(cataloguePath(Screen().App().Path));
}

void CollectionBrowser::Form_Unload(int &Cancel)
{
    if (!sayings())
        return;
    // Close the rows first: their closing raises a validate notification,
    // which shows the busy pointer, and the pointer must end as the default.
    // When the typing cannot be saved the window stays open with it, as any
    // window does whose rows cannot close; cancelling here keeps the failed
    // save from being tried and reported a second time.
    if (!datPrimaryRS->closeRows())
        Cancel = 1;
    Screen().setMousePointer(vbDefault);
}

void CollectionBrowser::tell(const QString &message)
{
    // Nothing is moving any more; no reposition will restore the pointer.
    Screen().setMousePointer(vbDefault);
    Screen().MsgBox(message);
}

QString CollectionBrowser::inWords(int number) const
{
    if (number == ErrNoRowForTyping)
        return noRowToSaveMessage(m_profile);
    if (number == ErrNotWholeNumber)
        return notWholeNumberMessage(m_profile);
    return QString();
}

void CollectionBrowser::press(void (CollectionBrowser::*handler)())
{
    try {
        (this->*handler)();
    } catch (const DataError &e) {
        const QString words = inWords(e.number());
        if (words.isEmpty())
            throw;
        tell(words);
    }
}

void CollectionBrowser::cmdBegofFile_Click()
{
    try {
        datPrimaryRS->recordset().MoveFirst();
    } catch (const DataError &e) {
        if (e.number() != ErrNoCurrentRecord || datPrimaryRS->recordset().RecordCount() != 0)
            throw;
        tell(emptyListMessage(m_profile));
    }
}

void CollectionBrowser::cmdPrevious_Click()
{
    Recordset &rs = datPrimaryRS->recordset();
    if (rs.Bof()) {
        Screen().MsgBox(QLatin1String(m_profile.beginningMessage));
        return;
    }
    rs.MovePrevious();
}

void CollectionBrowser::cmdNext_Click()
{
    Recordset &rs = datPrimaryRS->recordset();
    if (rs.Eof()) {
        Screen().MsgBox(QLatin1String(m_profile.endMessage));
        return;
    }
    rs.MoveNext();
}

void CollectionBrowser::cmdEndofList_Click()
{
    try {
        datPrimaryRS->recordset().MoveLast();
    } catch (const DataError &e) {
        if (e.number() != ErrNoCurrentRecord || datPrimaryRS->recordset().RecordCount() != 0)
            throw;
        tell(emptyListMessage(m_profile));
    }
}

void CollectionBrowser::cmdAdd_Click()
{
    datPrimaryRS->recordset().AddNew();
}

void CollectionBrowser::cmdDelete_Click()
{
    Recordset &rs = datPrimaryRS->recordset();
    if (rs.isAdding()) {
        // Delete on a new row abandons it, and only it.
        rs.CancelUpdate();
        return;
    }
    try {
        rs.Delete();
    } catch (const DataError &e) {
        if (e.number() != ErrNoCurrentRecord)
            throw;
        tell(nothingToDeleteMessage(m_profile));
        return;
    }
    try {
        if (!sayings() && rs.Eof())
            rs.MovePrevious();
        rs.MoveNext();
        if (rs.Eof())
            rs.MoveLast();
    } catch (const DataError &e) {
        if (e.number() != ErrNoCurrentRecord || rs.RecordCount() != 0)
            throw;
        tell(listEmptiedMessage(m_profile));
    }
}

void CollectionBrowser::cmdRefresh_Click()
{
    datPrimaryRS->Refresh();
}

void CollectionBrowser::cmdUpdate_Click()
{
    // The last changed row is the one just saved only when something was
    // saved; otherwise the row on screen stays.
    // Without rows, UpdateRecord says why.
    if (datPrimaryRS->cursor() && !datPrimaryRS->hasSomethingToSave()) {
        tell(nothingChangedMessage());
        return;
    }
    if (!datPrimaryRS->UpdateRecord())
        return;
    Recordset &rs = datPrimaryRS->recordset();
    rs.setBookmark(rs.LastModified());
}

void CollectionBrowser::cmdClose_Click()
{
    if (sayings())
        Screen().setMousePointer(vbDefault);
    Screen().Unload(this);
}

void CollectionBrowser::datPrimaryRS_Error(int DataErr, int &Response)
{
    const QString words = inWords(DataErr);
    Screen().MsgBox(QStringLiteral("Data error event hit err:")
                    + (words.isEmpty() ? datPrimaryRS->errorText(DataErr) : words));
    Response = vbDataErrContinue;
}

void CollectionBrowser::datPrimaryRS_Reposition()
{
    Screen().setMousePointer(vbDefault);
    try {
        datPrimaryRS->setCaption(QLatin1String(m_profile.counterPrefix)
                                 + QString::number(datPrimaryRS->recordset().AbsolutePosition() + 1));
    } catch (...) {
        // The counter keeps its previous text.
    }
}

void CollectionBrowser::datPrimaryRS_Validate(int &Action, int &Save)
{
    (void)Save;
    if (sayings())
        Screen().setMousePointer(vbHourglass);
    else if (Action == vbDataActionClose)
        Screen().setMousePointer(vbDefault);
}

} // namespace pv

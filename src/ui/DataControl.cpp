#include "ui/DataControl.h"

#include "data/RowHistory.h"

#include "data/DataError.h"
#include "ui/ScreenView.h"

#include <QHBoxLayout>
#include <QIconEngine>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QTimer>

#include <optional>

namespace pv {

// ---------------------------------------------------------------- Recordset

RecordCursor &Recordset::cursor() const
{
    return m_dc->requireCursor();
}

bool Recordset::Bof() const { return cursor().Bof(); }
bool Recordset::Eof() const { return cursor().Eof(); }
int Recordset::AbsolutePosition() const { return cursor().AbsolutePosition(); }
int Recordset::RecordCount() const { return cursor().RecordCount(); }
bool Recordset::isEmpty() const { return cursor().isEmpty(); }
bool Recordset::NoMatch() const { return cursor().NoMatch(); }

void Recordset::MoveFirst()
{
    m_dc->act(vbDataActionMoveFirst, [](RecordCursor &c) { c.MoveFirst(); });
}

void Recordset::MovePrevious()
{
    m_dc->act(vbDataActionMovePrevious, [](RecordCursor &c) { c.MovePrevious(); });
}

void Recordset::MoveNext()
{
    m_dc->act(vbDataActionMoveNext, [](RecordCursor &c) { c.MoveNext(); });
}

void Recordset::MoveLast()
{
    m_dc->act(vbDataActionMoveLast, [](RecordCursor &c) { c.MoveLast(); });
}

void Recordset::AddNew()
{
    m_dc->act(vbDataActionAddNew, [](RecordCursor &c) { c.AddNew(); });
}

void Recordset::Delete()
{
    // Deleting leaves no row current; the boxes keep showing it until the
    // next move, so there is no reposition.
    m_dc->act(vbDataActionDelete, [](RecordCursor &c) { c.Delete(); }, false);
}

bool Recordset::isAdding() const { return cursor().isAdding(); }

void Recordset::CancelUpdate()
{
    RecordCursor &c = cursor();
    c.CancelUpdate();
    m_dc->forgetTyping();
    m_dc->fillBoxes();
    Q_EMIT m_dc->Reposition();
}

void Recordset::FindFirst(const QString &criterion)
{
    m_dc->act(vbDataActionFind, [&criterion](RecordCursor &c) { c.FindFirst(criterion); });
}

void Recordset::FindNext(const QString &criterion)
{
    m_dc->act(vbDataActionFind, [&criterion](RecordCursor &c) { c.FindNext(criterion); });
}

qint64 Recordset::LastModified() const { return cursor().LastModified(); }
qint64 Recordset::Bookmark() const { return cursor().Bookmark(); }

void Recordset::setBookmark(qint64 bookmark)
{
    m_dc->act(vbDataActionBookmark, [bookmark](RecordCursor &c) { c.setBookmark(bookmark); });
}

QVariant Recordset::value(const QString &field) const
{
    return cursor().value(field);
}

// ------------------------------------------------------------- arrow icons

namespace {

// The busy pointer a validate handler shows is put back by the reposition
// that ends the action. An action that ends otherwise (refused, cancelled,
// failed, or with no row to show) is over all the same: nothing is busy.
class PointerGuard {
public:
    ~PointerGuard()
    {
        if (!m_done && Screen().mousePointer() == vbHourglass)
            Screen().setMousePointer(vbDefault);
    }
    void done() { m_done = true; }

private:
    bool m_done = false;
};

// The strip's arrows, drawn at whatever size and pixel density they are
// asked for, in the button text colour of the palette they were made with,
// so they stay sharp and stand out in light and dark themes alike.
class ArrowIcon : public QIconEngine {
public:
    ArrowIcon(int action, const QPalette &palette) : m_action(action), m_palette(palette) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State) override
    {
        const QColor color = m_palette.color(mode == QIcon::Disabled ? QPalette::Disabled : QPalette::Active,
                                             QPalette::ButtonText);
        const bool back = m_action == vbDataActionMoveFirst || m_action == vbDataActionMovePrevious;
        const bool end = m_action == vbDataActionMoveFirst || m_action == vbDataActionMoveLast;
        const QRectF r = QRectF(rect).adjusted(rect.width() * 0.25, rect.height() * 0.25, -rect.width() * 0.25,
                                               -rect.height() * 0.25);
        const qreal bar = end ? r.width() * 0.22 : 0;
        QPolygonF triangle;
        if (back)
            triangle << QPointF(r.right(), r.top()) << QPointF(r.right(), r.bottom())
                     << QPointF(r.left() + bar, r.center().y());
        else
            triangle << QPointF(r.left(), r.top()) << QPointF(r.left(), r.bottom())
                     << QPointF(r.right() - bar, r.center().y());
        painter->save();
        painter->setRenderHint(QPainter::Antialiasing);
        painter->setPen(Qt::NoPen);
        painter->setBrush(color);
        painter->drawPolygon(triangle);
        if (end)
            painter->drawRect(back ? QRectF(r.left(), r.top(), bar * 0.8, r.height())
                                   : QRectF(r.right() - bar * 0.8, r.top(), bar * 0.8, r.height()));
        painter->restore();
    }

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        QPixmap pixmap(size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        paint(&painter, QRect(QPoint(0, 0), size), mode, state);
        return pixmap;
    }

    QIconEngine *clone() const override { return new ArrowIcon(m_action, m_palette); }

private:
    int m_action;
    QPalette m_palette;
};

} // namespace

// -------------------------------------------------------------- DataControl

DataControl::DataControl(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("DataControl"));
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(0);
    auto makeButton = [this, lay](const char *name, const QString &tip, int action) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setProperty("dataAction", action);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setAutoRaise(false);
        b->setFocusPolicy(Qt::NoFocus);
        b->setFixedHeight(22);
        lay->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, action] { arrow(action); });
        return b;
    };
    m_first = makeButton("dataFirst", tr("First row"), vbDataActionMoveFirst);
    m_prev = makeButton("dataPrevious", tr("Previous row"), vbDataActionMovePrevious);
    m_caption = new QLabel(this);
    m_caption->setTextFormat(Qt::PlainText);
    m_caption->setObjectName(QStringLiteral("dataCaption"));
    m_caption->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_caption->setContentsMargins(6, 0, 6, 0);
    m_caption->setFrameShape(QFrame::StyledPanel);
    m_caption->setMinimumHeight(22);
    lay->addWidget(m_caption, 1);
    m_next = makeButton("dataNext", tr("Next row"), vbDataActionMoveNext);
    m_last = makeButton("dataLast", tr("Last row"), vbDataActionMoveLast);
    setFixedHeight(24);
    paintArrows();
}

void DataControl::paintArrows()
{
    for (QToolButton *b : {m_first, m_prev, m_next, m_last})
        b->setIcon(QIcon(new ArrowIcon(b->property("dataAction").toInt(), palette())));
}

void DataControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        paintArrows();
    QWidget::changeEvent(event);
}

DataControl::~DataControl() = default;

QString DataControl::Caption() const
{
    return m_caption->text();
}

void DataControl::setCaption(const QString &caption)
{
    m_caption->setText(caption);
}

RecordCursor &DataControl::requireCursor() const
{
    if (!m_cursor) {
        // Say what is missing each time, not merely that nothing is open.
        if (m_openError)
            throw *m_openError;
        throw DataError(ErrNotOpen);
    }
    return *m_cursor;
}

QString DataControl::boxText(QWidget *box)
{
    if (auto *le = qobject_cast<QLineEdit *>(box))
        return le->text();
    if (auto *pe = qobject_cast<QPlainTextEdit *>(box))
        return pe->toPlainText();
    if (auto *te = qobject_cast<QTextEdit *>(box))
        return te->toPlainText();
    return QString();
}

namespace {

// Longer texts are shown cut, and their box is read-only while it shows one:
// laying out megabytes in one box would hold the window for minutes, and a
// box holding part of a text must never save that part over the whole.
constexpr qsizetype kLongestInLine = 32767; // a line box's own limit
constexpr qsizetype kLongestInText = 100000;

bool isReadOnly(const QWidget *box)
{
    if (auto *le = qobject_cast<const QLineEdit *>(box))
        return le->isReadOnly();
    if (auto *pe = qobject_cast<const QPlainTextEdit *>(box))
        return pe->isReadOnly();
    if (auto *te = qobject_cast<const QTextEdit *>(box))
        return te->isReadOnly();
    return false;
}

void setReadOnly(QWidget *box, bool readOnly)
{
    if (auto *le = qobject_cast<QLineEdit *>(box))
        le->setReadOnly(readOnly);
    else if (auto *pe = qobject_cast<QPlainTextEdit *>(box))
        pe->setReadOnly(readOnly);
    else if (auto *te = qobject_cast<QTextEdit *>(box))
        te->setReadOnly(readOnly);
}

QString shownInBox(QWidget *box, const QString &text)
{
    const bool line = qobject_cast<QLineEdit *>(box);
    const qsizetype limit = line ? kLongestInLine : kLongestInText;
    const bool cut = text.size() > limit;
    if (cut != box->property("pvCut").toBool()) {
        if (cut)
            box->setProperty("pvReadOnlyBefore", isReadOnly(box));
        setReadOnly(box, cut || box->property("pvReadOnlyBefore").toBool());
        box->setProperty("pvCut", cut);
    }
    if (!cut)
        return text;
    if (line)
        return text.left(limit - 1) + QChar(0x2026);
    return text.left(limit) + QStringLiteral("\n\n[%1 more characters are not shown. A text this long cannot be "
                                             "changed here.]")
                                  .arg(text.size() - limit);
}

} // namespace

void DataControl::setBoxText(QWidget *box, const QString &whole)
{
    const QString text = shownInBox(box, whole);
    if (auto *le = qobject_cast<QLineEdit *>(box)) {
        if (le->text() != text)
            le->setText(text);
        le->setCursorPosition(0);
    } else if (auto *pe = qobject_cast<QPlainTextEdit *>(box)) {
        if (pe->toPlainText() != text)
            pe->setPlainText(text);
    } else if (auto *te = qobject_cast<QTextEdit *>(box)) {
        if (te->toPlainText() != text)
            te->setPlainText(text);
    }
}

void DataControl::bind(QWidget *box, const QString &column)
{
    m_bindings.append(Binding{box, column});
    const int index = int(m_bindings.size()) - 1;
    auto changed = [this, index] {
        if (!m_filling)
            m_bindings[index].dirty = true;
    };
    if (auto *le = qobject_cast<QLineEdit *>(box))
        connect(le, &QLineEdit::textChanged, this, changed);
    else if (auto *pe = qobject_cast<QPlainTextEdit *>(box))
        connect(pe, &QPlainTextEdit::textChanged, this, changed);
    else if (auto *te = qobject_cast<QTextEdit *>(box))
        connect(te, &QTextEdit::textChanged, this, changed);
}

void DataControl::watchDeletes(RecordCursor &c)
{
    if (!m_keepsHistory)
        return;
    c.setDeleteKeeper([this](sqlite3 *db, const QString &table, qint64 key) {
        const RowImage row = readRow(db, table, key);
        m_keptColumns = row.columns;
        m_keptValues = row.values;
        m_keptId = trash::keep(db, table, key);
    });
}

void DataControl::requireText(const QString &column, const QString &why)
{
    m_requiredColumn = column;
    m_requiredWhy = why;
}

void DataControl::forgetTyping()
{
    for (Binding &b : m_bindings)
        b.dirty = false;
}

bool DataControl::boxesBlank() const
{
    for (const Binding &b : m_bindings)
        if (b.box && !boxText(b.box).isEmpty())
            return false;
    return true;
}

bool DataControl::hasSomethingToSave() const
{
    if (!m_cursor || !dataChanged())
        return false;
    return !(m_cursor->isAdding() && boxesBlank());
}

QString DataControl::boxName(const Binding &b) const
{
    if (b.box && b.box->parentWidget())
        for (const QLabel *l : b.box->parentWidget()->findChildren<QLabel *>())
            if (l->buddy() == b.box) {
                QString t = l->text();
                t.remove(QLatin1Char('&'));
                while (t.endsWith(QLatin1Char(':')))
                    t.chop(1);
                return t.trimmed();
            }
    if (b.box && !b.box->accessibleName().isEmpty())
        return b.box->accessibleName();
    return b.column;
}

QVariant DataControl::storedValue(const Binding &b) const
{
    const QString text = boxText(b.box);
    if (!m_cursor->isWholeNumberField(b.column))
        return text;
    // A number column keeps numbers: letters would be stored as text in it.
    const QString t = text.trimmed();
    if (t.isEmpty())
        return QVariant();
    bool ok = false;
    const qlonglong n = t.toLongLong(&ok);
    if (!ok)
        throw DataError(ErrNotWholeNumber, boxName(b));
    return n;
}

bool DataControl::dataChanged() const
{
    for (const Binding &b : m_bindings)
        if (b.dirty && !b.missing)
            return true;
    return false;
}

QString DataControl::errorText(int number) const
{
    return number == m_lastErrorNumber ? m_lastErrorText : DataError::standardText(number);
}

void DataControl::reportError(const DataError &e)
{
    m_lastErrorNumber = e.number();
    m_lastErrorText = e.message();
    int response = vbDataErrDisplay;
    Q_EMIT Error(e.number(), response);
    if (response != vbDataErrContinue)
        Screen().MsgBox(e.message());
}

void DataControl::fillBoxes()
{
    m_filling = true;
    const bool row = m_cursor && m_cursor->hasCurrentRow();
    std::optional<DataError> failure;
    for (Binding &b : m_bindings) {
        b.dirty = false;
        if (!b.box)
            continue;
        QString text;
        if (row && !b.missing) {
            try {
                text = m_cursor->value(b.column).toString();
            } catch (const DataError &e) {
                // A row deleted by another window reads as empty; any other
                // failure (a damaged file) is told, once for the row.
                text.clear();
                if (e.number() != ErrRecordDeleted && !failure)
                    failure = e;
            }
        }
        setBoxText(b.box, text);
    }
    m_filling = false;
    if (failure)
        reportError(*failure);
}

namespace {

// Refusals that a second try cannot overcome: the file will not take the
// edit, or its row is gone.
bool refusedForGood(int number)
{
    return number == ErrReadOnly || number == ErrRecordDeleted || number == ErrNoRowForTyping;
}

} // namespace

void DataControl::savePending()
{
    RecordCursor &c = requireCursor();
    const bool typed = dataChanged();
    if (c.isAdding() && (!typed || boxesBlank())) {
        // A new row in which nothing was typed, or whose boxes were all
        // emptied again, is dropped.
        c.CancelUpdate();
        forgetTyping();
        return;
    }
    if (!typed)
        return;
    if (!c.hasCurrentRow()) {
        // Typed past either end or into an empty table: there is no row to
        // take it. Forget the typing, or every later move would fail on it.
        forgetTyping();
        throw DataError(ErrNoRowForTyping);
    }
    if (!m_requiredColumn.isEmpty()) {
        // Judged on what the box shows, as the user sees the row.
        for (const Binding &b : m_bindings)
            if (b.column == m_requiredColumn && b.box && !b.missing && boxText(b.box).isEmpty())
                throw DataError(ErrValueRequired, m_requiredWhy);
    }
    // Every value is checked before any reaches the cursor.
    QList<QPair<QString, QVariant>> values;
    for (const Binding &b : m_bindings)
        if (b.dirty && b.box && !b.missing)
            values.append({b.column, storedValue(b)});
    for (const auto &v : values)
        c.setValue(v.first, v.second);
    // The row as it was, for Undo; a failed read only costs the Undo.
    const bool adding = c.isAdding();
    RowImage before;
    qint64 key = -1;
    if (m_keepsHistory && !adding && c.AbsolutePosition() >= 0) {
        key = c.Bookmark();
        try {
            before = readRow(m_databaseName, c.baseTable(), key);
        } catch (const DataError &) {
        }
    }
    try {
        c.Update();
        if (m_keepsHistory && (adding ? c.hasLastModified() : !before.isEmpty())) {
            RowHistory::Step s;
            s.kind = adding ? RowHistory::Added : RowHistory::Edited;
            s.catalogue = m_databaseName;
            s.table = c.baseTable();
            s.key = adding ? c.LastModified() : key;
            s.before = before;
            try {
                s.after = readRow(m_databaseName, s.table, s.key);
            } catch (const DataError &) {
            }
            s.caption = rowCaption(s.table, s.after.isEmpty() ? before : s.after);
            if (!s.after.isEmpty() && !(s.after == before))
                RowHistory::instance().record(s);
        }
    } catch (const DataError &e) {
        // Keep the boxes as typed; the cursor's pending edit is dropped so a
        // later move does not write half of it.
        if (!c.isAdding() || refusedForGood(e.number()))
            c.CancelUpdate();
        // An edit that can never be saved is told once; after that the
        // window may leave the row (or close) instead of trying again.
        if (refusedForGood(e.number()))
            for (Binding &b : m_bindings)
                b.dirty = false;
        throw;
    }
    for (Binding &b : m_bindings)
        b.dirty = false;
}

void DataControl::act(int action, const std::function<void(RecordCursor &)> &step, bool reposition)
{
    RecordCursor &c = requireCursor();
    PointerGuard pointer;
    int a = action;
    int save = dataChanged() ? 1 : 0;
    Q_EMIT Validate(a, save);
    if (a == vbDataActionCancel)
        return;
    if (action == vbDataActionDelete) {
        // The row goes, and what was typed into it with it.
        m_keptId = 0;
        m_keptColumns.clear();
        const qint64 key = c.AbsolutePosition() >= 0 ? c.Bookmark() : -1;
        step(c);
        forgetTyping();
        if (m_keepsHistory && m_keptId) {
            RowHistory::Step s;
            s.kind = RowHistory::Deleted;
            s.catalogue = m_databaseName;
            s.table = c.baseTable();
            s.key = key;
            s.after = RowImage{m_keptColumns, m_keptValues};
            s.trashId = m_keptId;
            s.caption = rowCaption(s.table, s.after);
            RowHistory::instance().record(s);
        }
        return;
    }
    if (save)
        savePending();
    else if (c.hasPendingEdit())
        c.CancelUpdate(); // an untouched new row is dropped
    step(c);
    if (!reposition)
        return;
    fillBoxes();
    pointer.done();
    Q_EMIT Reposition();
}

bool DataControl::UpdateRecord()
{
    RecordCursor &c = requireCursor();
    const bool adding = c.isAdding();
    const bool writes = hasSomethingToSave();
    savePending();
    if (adding) {
        // The row that was current before the new one is current again; show
        // it so that later typing goes to the row on screen.
        fillBoxes();
    }
    return writes;
}

void DataControl::scheduleOpen()
{
    if (m_openScheduled)
        return;
    m_openScheduled = true;
    QTimer::singleShot(0, this, [this] {
        m_openScheduled = false;
        openRows();
    });
}

void DataControl::openRows()
{
    try {
        m_cursor = std::make_unique<RecordCursor>(m_databaseName, m_recordSource);
        watchDeletes(*m_cursor);
    } catch (const DataError &e) {
        m_cursor.reset();
        m_openError = e;
        fillBoxes();
        reportError(e);
        return;
    }
    m_openError.reset();
    for (Binding &b : m_bindings)
        b.missing = !m_cursor->hasField(b.column);
    fillBoxes();
    Q_EMIT Reposition();
    reportMissingColumn();
}

void DataControl::Refresh()
{
    PointerGuard pointer;
    if (m_cursor) {
        int a = vbDataActionClose;
        int save = dataChanged() ? 1 : 0;
        Q_EMIT Validate(a, save);
        if (a == vbDataActionCancel)
            return;
        if (save)
            savePending();
        else if (m_cursor->hasPendingEdit())
            m_cursor->CancelUpdate();
    }
    // Open the new rows before letting go of the old ones, so a failure
    // leaves the window on the rows (and the row source) it had.
    std::unique_ptr<RecordCursor> fresh;
    try {
        fresh = std::make_unique<RecordCursor>(m_databaseName, m_recordSource);
        watchDeletes(*fresh);
    } catch (const DataError &e) {
        if (m_cursor) {
            m_recordSource = m_cursor->recordSource();
            m_databaseName = m_cursor->databaseName();
            // The row on screen is current again.
            pointer.done();
            Q_EMIT Reposition();
        } else {
            m_openError = e;
        }
        throw;
    }
    m_openError.reset();
    m_cursor = std::move(fresh);
    for (Binding &b : m_bindings)
        b.missing = !m_cursor->hasField(b.column);
    fillBoxes();
    pointer.done();
    Q_EMIT Reposition();
    reportMissingColumn();
}

void DataControl::reportMissingColumn()
{
    for (const Binding &b : m_bindings)
        if (b.missing) {
            reportError(DataError(ErrNoSuchColumn, b.column));
            break;
        }
}

bool DataControl::closeRows()
{
    if (!m_cursor)
        return true;
    PointerGuard pointer;
    int a = vbDataActionClose;
    int save = dataChanged() ? 1 : 0;
    Q_EMIT Validate(a, save);
    if (save) {
        try {
            savePending();
        } catch (const DataError &e) {
            reportError(e);
            if (!refusedForGood(e.number()))
                return false;
        }
    }
    m_cursor.reset();
    return true;
}

void DataControl::arrow(int action)
{
    // The strip's own buttons stop at the first and the last row.
    if (!m_cursor || (m_cursor->isEmpty() && !m_cursor->isAdding()))
        return;
    try {
        switch (action) {
        case vbDataActionMoveFirst:
            act(action, [](RecordCursor &c) { c.MoveFirst(); });
            break;
        case vbDataActionMoveLast:
            act(action, [](RecordCursor &c) { c.MoveLast(); });
            break;
        case vbDataActionMovePrevious:
            act(action, [](RecordCursor &c) {
                if (c.Bof() || c.AbsolutePosition() == 0)
                    c.MoveFirst();
                else
                    c.MovePrevious();
                if (c.Bof())
                    c.MoveFirst();
            });
            break;
        case vbDataActionMoveNext:
            act(action, [](RecordCursor &c) {
                if (!c.Eof())
                    c.MoveNext();
                if (c.Eof())
                    c.MoveLast();
            });
            break;
        }
    } catch (const DataError &e) {
        reportError(e);
    }
}

} // namespace pv

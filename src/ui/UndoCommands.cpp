#include "ui/UndoCommands.h"

#include "data/DataError.h"
#include "data/RowHistory.h"
#include "ui/DataControl.h"
#include "ui/ScreenView.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace pv {

namespace {

// Whether the focused box has typing of its own to take back (or again).
bool boxCanTake(QWidget *focus, bool undo)
{
    if (auto *le = qobject_cast<QLineEdit *>(focus))
        return !le->isReadOnly() && (undo ? le->isUndoAvailable() : le->isRedoAvailable());
    if (auto *pe = qobject_cast<QPlainTextEdit *>(focus))
        return !pe->isReadOnly() && (undo ? pe->document()->isUndoAvailable() : pe->document()->isRedoAvailable());
    if (auto *te = qobject_cast<QTextEdit *>(focus))
        return !te->isReadOnly() && (undo ? te->document()->isUndoAvailable() : te->document()->isRedoAvailable());
    return false;
}

QString menuText(const QString &verb, const std::optional<RowHistory::Step> &step)
{
    if (!step)
        return QLatin1Char('&') + verb;
    QString what = step->text();
    what.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QLatin1Char('&') + verb + QLatin1Char(' ') + what;
}

} // namespace

UndoCommands::UndoCommands(QWidget *window, DataControl *dc) : QObject(window), m_window(window), m_dc(dc)
{
    setObjectName(QStringLiteral("pvUndoCommands"));
    m_undo = new QAction(QStringLiteral("&Undo"), window);
    m_undo->setObjectName(QStringLiteral("mnuEditUndo"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    m_redo = new QAction(QStringLiteral("&Redo"), window);
    m_redo->setObjectName(QStringLiteral("mnuEditRedo"));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    for (QAction *a : {m_undo, m_redo}) {
        a->setShortcutContext(Qt::WindowShortcut);
        window->addAction(a);
    }
    connect(m_undo, &QAction::triggered, this, &UndoCommands::undo);
    connect(m_redo, &QAction::triggered, this, &UndoCommands::redo);
    connect(&RowHistory::instance(), &RowHistory::stepsChanged, this, &UndoCommands::updateTexts);
    connect(&RowHistory::instance(), &RowHistory::changed, this, &UndoCommands::changedElsewhere);
    connect(dc, &DataControl::Reposition, this, &UndoCommands::updateTexts);
    // Typing makes Undo take it back; the entries say so at once.
    for (QLineEdit *le : window->findChildren<QLineEdit *>())
        connect(le, &QLineEdit::textChanged, this, &UndoCommands::updateTexts);
    for (QPlainTextEdit *pe : window->findChildren<QPlainTextEdit *>())
        connect(pe, &QPlainTextEdit::textChanged, this, &UndoCommands::updateTexts);
    // The text boxes keep their own Ctrl+Z while they have typing to undo.
    qApp->installEventFilter(this);
    updateTexts();
}

UndoCommands *UndoCommands::of(QWidget *window)
{
    return window ? window->findChild<UndoCommands *>(QStringLiteral("pvUndoCommands"), Qt::FindDirectChildrenOnly)
                  : nullptr;
}

bool UndoCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    auto *w = qobject_cast<QWidget *>(watched);
    if (!w || w->window() != m_window)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    const bool undo = key->matches(QKeySequence::Undo);
    const bool redo = key->matches(QKeySequence::Redo) ||
                      key->keyCombination() == QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z);
    if (!undo && !redo)
        return false;
    // With nothing typed to take back, the key goes to the window's Undo
    // instead of the box.
    if (!boxCanTake(w, undo)) {
        event->ignore();
        return true;
    }
    return false;
}

QStringList UndoCommands::tables() const
{
    if (m_dc && m_dc->cursor())
        return {m_dc->cursor()->baseTable()};
    return {};
}

void UndoCommands::updateTexts()
{
    if (!m_dc)
        return;
    const auto &h = RowHistory::instance();
    const QString catalogue = m_dc->DatabaseName();
    const auto undo = h.nextUndo(catalogue, tables());
    const auto redo = h.nextRedo(catalogue, tables());
    const bool typing = m_dc->cursor() && m_dc->dataChanged();
    m_undo->setText(typing ? QStringLiteral("&Undo Typing") : menuText(QStringLiteral("Undo"), undo));
    m_redo->setText(menuText(QStringLiteral("Redo"), redo));
    m_undo->setEnabled(undo.has_value() || typing);
    m_redo->setEnabled(redo.has_value());
}

void UndoCommands::undo()
{
    run(true);
}

void UndoCommands::redo()
{
    run(false);
}

void UndoCommands::run(bool backwards)
{
    if (!m_dc || !m_dc->cursor() || m_running)
        return;
    m_running = true;
    struct Done {
        bool &flag;
        ~Done() { flag = false; }
    } done{m_running};
    try {
        // Typing on screen is a change too: it is saved first, so Undo takes
        // it back and Redo can bring it again.
        if (m_dc->dataChanged()) {
            if (!backwards)
                return;
            m_dc->UpdateRecord();
        }
        auto &h = RowHistory::instance();
        const QString catalogue = m_dc->DatabaseName();
        if (!(backwards ? h.nextUndo(catalogue, tables()) : h.nextRedo(catalogue, tables())))
            return;
        const qint64 key = backwards ? h.undo(catalogue, tables()) : h.redo(catalogue, tables());
        reread(key);
    } catch (const DataError &e) {
        const QString words = m_words ? m_words(e.number()) : QString();
        Screen().MsgBox(words.isEmpty() ? e.message() : words);
    }
    Screen().setMousePointer(vbDefault);
    updateTexts();
}

void UndoCommands::reread(qint64 key)
{
    RecordCursor *c = m_dc->cursor();
    if (!c)
        return;
    // The window stays where it was unless the step brought a row back.
    const int pos = c->AbsolutePosition();
    qint64 here = -1;
    if (pos >= 0)
        here = c->Bookmark();
    m_dc->Refresh();
    Recordset &rs = m_dc->recordset();
    for (qint64 target : {key, here}) {
        if (target < 0)
            continue;
        try {
            rs.setBookmark(target);
            return;
        } catch (const DataError &) {
            // Not in this list (another category, or taken away).
        }
    }
    // The row on screen went: show the one that took its place.
    try {
        if (pos > 0 && !rs.isEmpty()) {
            rs.MoveFirst();
            for (int i = 0; i < pos && !rs.Eof(); ++i)
                rs.MoveNext();
            if (rs.Eof())
                rs.MoveLast();
        }
    } catch (const DataError &) {
    }
}

void UndoCommands::changedElsewhere(const QString &catalogue, const QString &table, qint64 key)
{
    if (m_running || !m_dc || !m_dc->cursor() || catalogue != m_dc->DatabaseName() ||
        !tables().contains(table, Qt::CaseInsensitive))
        return;
    // Typing on screen is never thrown away for it.
    if (m_dc->dataChanged())
        return;
    try {
        reread(key);
    } catch (const DataError &e) {
        Screen().MsgBox(e.message());
    }
}

UndoCommands *installEditMenu(QMainWindow *window, DataControl *dc, RecentlyDeletedOpener openRecentlyDeleted)
{
    auto *commands = new UndoCommands(window, dc);
    QMenuBar *bar = window->menuBar();
    auto *file = window->findChild<QMenu *>(QStringLiteral("mnuFile"));
    // One Edit menu, right after File where desktop programs keep it; Undo
    // and Redo head it.
    auto *edit = bar->findChild<QMenu *>(QStringLiteral("mnuEdit"));
    if (!edit) {
        edit = new QMenu(QStringLiteral("&Edit"), bar);
        edit->setObjectName(QStringLiteral("mnuEdit"));
        const QList<QAction *> top = bar->actions();
        const qsizetype at = file ? top.indexOf(file->menuAction()) : -1;
        bar->insertMenu(at >= 0 && at + 1 < top.size() ? top[at + 1] : nullptr, edit);
    }
    QAction *first = edit->actions().value(0);
    edit->insertAction(first, commands->undoAction());
    edit->insertAction(first, commands->redoAction());
    if (first)
        edit->insertSeparator(first)->setObjectName(QStringLiteral("mnuEditBarUndo"));
    QObject::connect(edit, &QMenu::aboutToShow, commands, &UndoCommands::updateTexts);

    if (file && openRecentlyDeleted) {
        auto *deleted = new QAction(QStringLiteral("&Recently Deleted\u2026"), file);
        deleted->setObjectName(QStringLiteral("mnuFileRecentlyDeleted"));
        QAction *exitBar = nullptr;
        for (QAction *a : file->actions())
            if (a->objectName() == QLatin1String("mnuFileBar4"))
                exitBar = a;
        file->insertAction(exitBar, deleted);
        QPointer<DataControl> control = dc;
        QObject::connect(deleted, &QAction::triggered, window, [window, control, openRecentlyDeleted] {
            if (control)
                openRecentlyDeleted(control->DatabaseName(), window);
        });
    }
    return commands;
}

} // namespace pv

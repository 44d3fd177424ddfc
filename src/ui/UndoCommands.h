#pragma once

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <functional>

class QAction;
class QMainWindow;
class QWidget;

namespace pv {

class DataControl;

// Undo and Redo for one window's data control: Ctrl+Z and Ctrl+Shift+Z on
// the window, over the session's deletes and saved edits of its table.
// While a text box has typing of its own to undo, the keys undo that first.
class UndoCommands : public QObject {
    Q_OBJECT
public:
    UndoCommands(QWidget *window, DataControl *dc);

    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }

    // Runs Undo or Redo as the menu entries do.
    void undo();
    void redo();

    // The undo commands of a window, if it has them.
    static UndoCommands *of(QWidget *window);
    // The entries' texts say what they would take back.
    void updateTexts();
    // The window's own words for an error number, where it has them.
    void setWords(std::function<QString(int)> words) { m_words = std::move(words); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList tables() const;
    void run(bool backwards);
    // Another window (Recently Deleted) changed this window's table.
    void changedElsewhere(const QString &catalogue, const QString &table, qint64 key);
    void reread(qint64 key);

    QWidget *m_window;
    QPointer<DataControl> m_dc;
    QAction *m_undo;
    QAction *m_redo;
    bool m_running = false;
    std::function<QString(int)> m_words;
};

// The main window's Edit menu (after File: Undo, Redo) and File > "Recently
// Deleted...", added around the designed entries.
// The window that lists deleted rows stands above this layer, so the caller hands it in.
using RecentlyDeletedOpener = void (*)(const QString &catalogue, QWidget *owner);
UndoCommands *installEditMenu(QMainWindow *window, DataControl *dc, RecentlyDeletedOpener openRecentlyDeleted);

} // namespace pv

#pragma once

#include "data/DataError.h"
#include "data/RecordCursor.h"
#include "ui/ScreenView.h"

#include <QLabel>
#include <QPointer>
#include <QString>
#include <QToolButton>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

namespace pv {

class DataControl;

// Validate action codes.
enum DataAction : int {
    vbDataActionCancel = 0,
    vbDataActionMoveFirst = 1,
    vbDataActionMovePrevious = 2,
    vbDataActionMoveNext = 3,
    vbDataActionMoveLast = 4,
    vbDataActionAddNew = 5,
    vbDataActionUpdate = 6,
    vbDataActionDelete = 7,
    vbDataActionFind = 8,
    vbDataActionBookmark = 9,
    vbDataActionClose = 10,
};

// Error notification responses.
enum DataErrResponse : int { vbDataErrContinue = 0, vbDataErrDisplay = 1 };

// What a window's code calls as `Data1.Recordset`: the cursor, with every
// row change passing through the data control (validate, automatic save,
// bound boxes filled, reposition). Errors are thrown to the caller.
class Recordset {
public:
    explicit Recordset(DataControl *owner) : m_dc(owner) {}

    bool Bof() const;
    bool Eof() const;
    int AbsolutePosition() const;
    int RecordCount() const;
    bool isEmpty() const;
    bool NoMatch() const;

    void MoveFirst();
    void MovePrevious();
    void MoveNext();
    void MoveLast();
    void AddNew();
    void Delete();
    // True while a new row started by AddNew is current.
    bool isAdding() const;
    // Abandons the new row or the typing on the row on screen; the row that
    // was current before is shown again. Nothing is written.
    void CancelUpdate();
    void FindFirst(const QString &criterion);
    void FindNext(const QString &criterion);

    qint64 LastModified() const;
    qint64 Bookmark() const;
    void setBookmark(qint64 bookmark);

    QVariant value(const QString &field) const;

private:
    RecordCursor &cursor() const;
    DataControl *m_dc;
};

// The data control: a strip with four arrow buttons and a caption that owns
// one RecordCursor and keeps the text boxes bound to it in step.
class DataControl : public QWidget, public FormPart {
    Q_OBJECT
public:
    explicit DataControl(QWidget *parent = nullptr);
    ~DataControl() override;

    QString DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &path) { m_databaseName = path; }
    QString RecordSource() const { return m_recordSource; }
    void setRecordSource(const QString &source) { m_recordSource = source; }
    QString Connect() const { return m_connect; }
    void setConnect(const QString &connect) { m_connect = connect; }
    QString Caption() const;
    void setCaption(const QString &caption);

    // Re-reads the row source from the file; the first row becomes current.
    // On failure the rows that were open stay open and the error is thrown.
    void Refresh();
    // Writes the changed bound boxes to the current (or new) row at once,
    // without a validate notification. False when nothing was written: nothing
    // was typed, or a new row was left blank (it is dropped).
    bool UpdateRecord();
    // True when leaving the row now would write something.
    bool hasSomethingToSave() const;

    Recordset &recordset() { return m_recordset; }
    // The open cursor, or nullptr before the rows are open (or after a
    // failed first opening).
    RecordCursor *cursor() const { return m_cursor.get(); }
    // Why the rows are not open, when an opening failed (else nullptr).
    const DataError *openError() const { return m_openError ? &*m_openError : nullptr; }

    // Binds a QLineEdit, QPlainTextEdit or QTextEdit to a column by name.
    void bind(QWidget *box, const QString &column);
    // A row whose `column` would be empty once saved is not
    // saved: the save fails as a full disk does, with `why` as the detail of
    // its message, and the typing is kept.
    void requireText(const QString &column, const QString &why);
    // Deletes, saved edits and new rows go into the session's history (for
    // Undo) and deleted rows into Recently Deleted. On unless switched off.
    void setKeepsHistory(bool keep) { m_keepsHistory = keep; }
    // True when a bound box was typed into since the row was shown.
    bool dataChanged() const;

    // The text of an error number: the full text of the last error of that
    // number (with its path or name), else the standard text.
    QString errorText(int number) const;

    // Open after the load handler has returned, and save and close when the
    // window unloads (false: the save failed).
    void scheduleOpen();
    bool closeRows();
    void formLoaded() override { scheduleOpen(); }
    bool formUnloading() override { return closeRows(); }

Q_SIGNALS:
    void Validate(int &Action, int &Save);
    void Reposition();
    void Error(int DataErr, int &Response);

protected:
    void changeEvent(QEvent *event) override;

private:
    friend class Recordset;

    void paintArrows();

    struct Binding {
        QPointer<QWidget> box;
        QString column;
        bool dirty = false;
        bool missing = false;
    };

    // Runs one row-changing action: validate, save, the cursor step, then
    // refill the boxes and notify. Throws the cursor's errors.
    void act(int action, const std::function<void(RecordCursor &)> &step, bool reposition = true);
    // Saves the pending edit or new row. Throws on failure (boxes untouched).
    void savePending();
    // True when every bound box is empty.
    bool boxesBlank() const;
    // The value to store for a box's text: whole-number columns take numbers.
    QVariant storedValue(const Binding &b) const;
    // How the window names a box: the label that stands for it, else its
    // accessible name, else the column.
    QString boxName(const Binding &b) const;
    void forgetTyping();
    void fillBoxes();
    void openRows();
    // Reports an error met in the control's own work.
    void reportError(const DataError &e);
    // A bound box whose column the rows lack is reported once per opening.
    void reportMissingColumn();
    void arrow(int action);
    RecordCursor &requireCursor() const;
    static QString boxText(QWidget *box);
    void setBoxText(QWidget *box, const QString &text);

    QString m_databaseName;
    QString m_recordSource;
    QString m_connect = QStringLiteral("Access 2000;");
    std::unique_ptr<RecordCursor> m_cursor;
    std::optional<DataError> m_openError;
    Recordset m_recordset{this};
    QList<Binding> m_bindings;
    // Hands the history's keeper to a cursor just opened.
    void watchDeletes(RecordCursor &c);
    bool m_keepsHistory = true;
    qint64 m_keptId = 0;
    QVariantList m_keptValues;
    QStringList m_keptColumns;
    QString m_requiredColumn;
    QString m_requiredWhy;
    bool m_filling = false;
    bool m_openScheduled = false;
    int m_lastErrorNumber = 0;
    QString m_lastErrorText;

    QLabel *m_caption;
    QToolButton *m_first;
    QToolButton *m_prev;
    QToolButton *m_next;
    QToolButton *m_last;
};

} // namespace pv

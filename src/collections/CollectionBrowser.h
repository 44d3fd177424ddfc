#pragma once

#include "collections/CollectionProfile.h"
#include "ui/ScreenView.h"

#include <QWidget>

#include <vector>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace pv {

class DataControl;

// A window that browses and edits one collection table a row at a time; the
// nine collection windows are this design with their own profile.
class CollectionBrowser : public QWidget, public Form {
    Q_OBJECT
public:
    explicit CollectionBrowser(const CollectionProfile &profile, QWidget *parent = nullptr);

    QWidget *widget() override { return this; }
    void Form_Load() override;
    void Form_Unload(int &Cancel) override;

    const CollectionProfile &profile() const { return m_profile; }

private:
    void buildControls();
    QPushButton *makeButton(const char *name, const QString &caption);
    bool sayings() const { return m_profile.variant == CollectionVariant::Sayings; }
    // A button found no row to act on: the data control is idle again.
    void tell(const QString &message);
    // Runs a button's handler; the data control's refusals of typing are
    // told in this window's words.
    void press(void (CollectionBrowser::*handler)());
    // The window's words for an error, where it has its own.
    QString inWords(int number) const;

    void cmdBegofFile_Click();
    void cmdPrevious_Click();
    void cmdNext_Click();
    void cmdEndofList_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdUpdate_Click();
    void cmdClose_Click();
    void datPrimaryRS_Error(int DataErr, int &Response);
    void datPrimaryRS_Reposition();
    void datPrimaryRS_Validate(int &Action, int &Save);

    const CollectionProfile &m_profile;

    // Controls. The arrays are addressed by their designed index; an index
    // the window does not have holds nullptr.
    std::vector<QWidget *> txtFields;
    std::vector<QLabel *> lblLabels;
    QLineEdit *m_shortBox = nullptr;     // txtFields(shortBox.index)
    QPlainTextEdit *m_longBox = nullptr; // txtFields(longBox.index)
    QLabel *Label1 = nullptr;
    QPushButton *cmdBegofFile = nullptr;
    QPushButton *cmdPrevious = nullptr;
    QPushButton *cmdNext = nullptr;
    QPushButton *cmdEndofList = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *cmdDelete = nullptr;
    QPushButton *cmdRefresh = nullptr;
    QPushButton *cmdUpdate = nullptr;
    QPushButton *cmdClose = nullptr;
    DataControl *datPrimaryRS = nullptr;
};

} // namespace pv

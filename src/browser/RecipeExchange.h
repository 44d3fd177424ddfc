#pragma once

#include "interchange/Interchange.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace pv {

// Asks what to export: the main window's list or the whole catalogue, and
// in which format.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    ExportDialog(const QString &listName, int listCount, QWidget *parent = nullptr);

    bool wholeCatalogue() const;
    interchange::Format format() const;
    bool collections() const;

    QRadioButton *optCurrentList = nullptr;
    QRadioButton *optWholeCatalogue = nullptr;
    QComboBox *cboFormat = nullptr;
    QCheckBox *chkCollections = nullptr;
    QPushButton *cmdExport = nullptr;
};

// Shows what an import will add, which drinks are duplicates (with a choice
// for each, or one for all) and which are refused, before anything is
// written.
class ImportPreview : public QDialog {
    Q_OBJECT
public:
    ImportPreview(interchange::ImportPlan &plan, const QString &fileName, QWidget *parent = nullptr);

    QLabel *lblSummary = nullptr;
    QTableWidget *grdPreview = nullptr;
    QComboBox *cboAllDuplicates = nullptr;
    QPushButton *cmdApplyAll = nullptr;
    QPushButton *cmdImport = nullptr;
    // What is kept as written, and the likely meanings offered for it.
    QLabel *lblNotes = nullptr;
    QList<QCheckBox *> chkOffers;
    // Drinks already here take the file's favourite marks, ratings and notes.
    QCheckBox *chkFileNotes = nullptr;
    // The chosen row's drink as it will be stored.
    QPlainTextEdit *txtDrink = nullptr;

    static QString choiceText(interchange::OnDuplicate choice);

    void accept() override;

private:
    void applyToAll();
    interchange::ImportPlan &m_plan;
};

// The main window's File menu commands.
class DrinkHost;
void exportFromMainWindow(DrinkHost *host);
void importIntoMainWindow(DrinkHost *host);
void importFileIntoMainWindow(DrinkHost *host, const QString &file);
// Files dropped on the main window are imported.
void acceptImportDrops(DrinkHost *host);
void saveRecipeAsPdfFromMainWindow(DrinkHost *host);

} // namespace pv

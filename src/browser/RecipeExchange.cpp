#include "browser/RecipeExchange.h"

#include "ui/ScreenView.h"
#include "browser/RecipePrint.h"
#include "browser/frmMain.h"
#include "data/Catalogue.h"
#include "data/DataError.h"
#include "ui/FileChooser.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

namespace pv {

using namespace interchange;

namespace {

struct FormatInfo {
    Format format;
    const char *caption;
    const char *suffix;
    const char *filter;
};

constexpr FormatInfo kFormats[] = {
    {Format::Json, "Pourvale JSON (every field)", "json", "JSON files (*.json)"},
    {Format::Csv, "CSV (spreadsheets)", "csv", "CSV files (*.csv)"},
    {Format::JsonLd, "Recipe JSON-LD (schema.org, for recipe managers and web pages)", "jsonld",
     "JSON-LD files (*.jsonld)"},
};

const FormatInfo &infoOf(Format f)
{
    for (const FormatInfo &i : kFormats)
        if (i.format == f)
            return i;
    return kFormats[0];
}

// A progress dialog shown when the work takes a while; its Cancel stops it.
class ProgressWindow {
public:
    ProgressWindow(QWidget *parent, const QString &label) : m_dialog(label, QStringLiteral("Cancel"), 0, 100, parent)
    {
        m_dialog.setObjectName(QStringLiteral("dlgProgress"));
        m_dialog.setWindowTitle(Screen().App().Title);
        m_dialog.setWindowModality(Qt::WindowModal);
        m_dialog.setMinimumDuration(400);
        m_dialog.setAutoClose(false);
        m_dialog.setAutoReset(false);
    }
    interchange::Progress callback()
    {
        return [this](qint64 done, qint64 total) {
            m_dialog.setValue(total > 0 ? int(done * 100 / total) : 0);
            QApplication::processEvents();
            return !m_dialog.wasCanceled();
        };
    }

private:
    QProgressDialog m_dialog;
};

// Edits made in the window are saved first, so that what is exported or
// compared is what the user sees, and nothing typed is lost by a re-read.
bool savePendingEdit(frmMain *main)
{
    try {
        if (main->Data1->cursor() && main->Data1->dataChanged())
            main->Data1->UpdateRecord();
        return true;
    } catch (const DataError &e) {
        Screen().MsgBox(e.message());
        return false;
    }
}

QString safeFileName(const QString &name)
{
    static const QRegularExpression unsafe(QStringLiteral("[\\\\/:*?\"<>|\\x00-\\x1f]"));
    QString s = name.trimmed();
    s.replace(unsafe, QStringLiteral("-"));
    return s.isEmpty() ? QStringLiteral("Recipe") : s;
}

QString withSuffix(const QString &file, const char *suffix)
{
    return QFileInfo(file).suffix().isEmpty() ? file + QLatin1Char('.') + QLatin1String(suffix) : file;
}

// Duplicates choose in their row with a list of the three choices.
class ChoiceDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *box = new QComboBox(parent);
        for (OnDuplicate c : {OnDuplicate::Skip, OnDuplicate::Replace, OnDuplicate::KeepBoth})
            box->addItem(ImportPreview::choiceText(c), int(c));
        // A choice counts as soon as it is made, also when Import follows at once.
        auto *self = const_cast<ChoiceDelegate *>(this);
        connect(box, &QComboBox::activated, self, [self, box] { Q_EMIT self->commitData(box); });
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        auto *box = static_cast<QComboBox *>(editor);
        box->setCurrentIndex(box->findText(index.data().toString()));
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText());
    }
};

enum PreviewColumn { ColDrink, ColFrom, ColAction, ColWhy };

} // namespace

// ------------------------------------------------------------ ExportDialog

ExportDialog::ExportDialog(const QString &listName, int listCount, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmExport"));
    setWindowTitle(QStringLiteral("Export"));
    auto *column = new QVBoxLayout(this);

    auto *what = new QGroupBox(QStringLiteral("Drinks"), this);
    auto *whatLayout = new QVBoxLayout(what);
    optCurrentList =
        new QRadioButton(QStringLiteral("The &list on screen: %1 (%2 drinks)").arg(listName).arg(listCount), what);
    optCurrentList->setObjectName(QStringLiteral("optCurrentList"));
    optWholeCatalogue = new QRadioButton(QStringLiteral("The &whole catalogue"), what);
    optWholeCatalogue->setObjectName(QStringLiteral("optWholeCatalogue"));
    optCurrentList->setChecked(true);
    whatLayout->addWidget(optCurrentList);
    whatLayout->addWidget(optWholeCatalogue);
    column->addWidget(what);

    auto *formatRow = new QHBoxLayout;
    auto *formatLabel = new QLabel(QStringLiteral("&Format:"), this);
    cboFormat = new QComboBox(this);
    cboFormat->setObjectName(QStringLiteral("cboFormat"));
    for (const FormatInfo &f : kFormats)
        cboFormat->addItem(QLatin1String(f.caption), int(f.format));
    formatLabel->setBuddy(cboFormat);
    formatRow->addWidget(formatLabel);
    formatRow->addWidget(cboFormat, 1);
    column->addLayout(formatRow);

    chkCollections = new QCheckBox(QStringLiteral("Include the nine &collections (jokes, toasts, lines, games)"), this);
    chkCollections->setObjectName(QStringLiteral("chkCollections"));
    column->addWidget(chkCollections);
    connect(cboFormat, &QComboBox::currentIndexChanged, this, [this] {
        chkCollections->setEnabled(format() == Format::Json);
        if (format() != Format::Json)
            chkCollections->setChecked(false);
    });

    auto *buttons = new QDialogButtonBox(this);
    cmdExport = buttons->addButton(QStringLiteral("&Export..."), QDialogButtonBox::AcceptRole);
    cmdExport->setObjectName(QStringLiteral("cmdExport"));
    cmdExport->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

bool ExportDialog::wholeCatalogue() const
{
    return optWholeCatalogue->isChecked();
}
Format ExportDialog::format() const
{
    return Format(cboFormat->currentData().toInt());
}
bool ExportDialog::collections() const
{
    return chkCollections->isChecked() && format() == Format::Json;
}

// ----------------------------------------------------------- ImportPreview

QString ImportPreview::choiceText(OnDuplicate choice)
{
    switch (choice) {
    case OnDuplicate::Skip:
        return QStringLiteral("Skip");
    case OnDuplicate::Replace:
        return QStringLiteral("Replace");
    case OnDuplicate::KeepBoth:
        return QStringLiteral("Keep both");
    }
    return QString();
}

ImportPreview::ImportPreview(ImportPlan &plan, const QString &fileName, QWidget *parent) : QDialog(parent), m_plan(plan)
{
    setObjectName(QStringLiteral("frmImportPreview"));
    setWindowTitle(pv::titleText(QStringLiteral("Import %1").arg(QFileInfo(fileName).fileName())));
    resize(twipsToPx(10500), twipsToPx(6600));
    auto *column = new QVBoxLayout(this);

    const int added = plan.count(PlanItem::New);
    const int dups = plan.count(PlanItem::Duplicate);
    const int refused = plan.count(PlanItem::Refused) + int(plan.collectionRefusals.size());
    int collectionRows = 0;
    for (const auto &rows : plan.collections)
        collectionRows += int(rows.size());
    QString summary = QStringLiteral("%1 new, %2 duplicate%3, %4 refused.")
                          .arg(added)
                          .arg(dups)
                          .arg(dups == 1 ? "" : "s")
                          .arg(refused);
    if (collectionRows)
        summary += QStringLiteral(" %1 collection rows (rows already there are left out).").arg(collectionRows);
    if (refused)
        summary += QStringLiteral(" Refused drinks are left out.");
    if (dups)
        summary += QStringLiteral(" Choose for each duplicate what to do, or one choice for all.");
    lblSummary = new QLabel(summary, this);
    lblSummary->setTextFormat(Qt::PlainText);
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setWordWrap(true);
    column->addWidget(lblSummary);

    grdPreview = new QTableWidget(int(plan.items.size() + plan.collectionRefusals.size()), 4, this);
    grdPreview->setObjectName(QStringLiteral("grdPreview"));
    grdPreview->setHorizontalHeaderLabels(
        {QStringLiteral("Drink"), QStringLiteral("From"), QStringLiteral("What happens"), QStringLiteral("Why")});
    grdPreview->setItemDelegateForColumn(ColAction, new ChoiceDelegate(grdPreview));
    grdPreview->setEditTriggers(QAbstractItemView::AllEditTriggers);
    grdPreview->setSelectionBehavior(QAbstractItemView::SelectRows);
    grdPreview->verticalHeader()->hide();
    grdPreview->horizontalHeader()->setStretchLastSection(true);
    grdPreview->setAccessibleName(QStringLiteral("What the import will do"));
    auto cell = [this](int row, int col, const QString &text, bool editable = false) {
        auto *item = new QTableWidgetItem(text);
        // A cell shows a long text cut; the tooltip holds all of it.
        if (text.size() > 40)
            item->setToolTip(text);
        if (!editable)
            item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        grdPreview->setItem(row, col, item);
    };
    int row = 0;
    for (const PlanItem &i : plan.items) {
        cell(row, ColDrink, i.entry.drink.name);
        cell(row, ColFrom, i.entry.where);
        switch (i.status) {
        case PlanItem::New:
            cell(row, ColAction, QStringLiteral("Add"));
            cell(row, ColWhy, QString());
            break;
        case PlanItem::Duplicate:
            cell(row, ColAction, choiceText(i.choice), true);
            cell(row, ColWhy, QStringLiteral("already there as '%1'").arg(i.duplicateOf));
            break;
        case PlanItem::Refused:
            cell(row, ColAction, QStringLiteral("Refused"));
            cell(row, ColWhy, i.entry.refusal);
            break;
        }
        ++row;
    }
    for (const QString &r : plan.collectionRefusals) {
        const qsizetype colon = r.indexOf(QLatin1String(": "));
        cell(row, ColDrink, QString());
        cell(row, ColFrom, r.left(colon));
        cell(row, ColAction, QStringLiteral("Refused"));
        cell(row, ColWhy, r.mid(colon + 2));
        ++row;
    }
    grdPreview->resizeColumnsToContents();
    grdPreview->setColumnWidth(ColDrink, std::min(grdPreview->columnWidth(ColDrink), twipsToPx(3600)));
    grdPreview->setColumnWidth(ColAction, std::max(grdPreview->columnWidth(ColAction), twipsToPx(1500)));
    column->addWidget(grdPreview, 1);

    auto *allRow = new QHBoxLayout;
    auto *allLabel = new QLabel(QStringLiteral("For &all duplicates:"), this);
    cboAllDuplicates = new QComboBox(this);
    cboAllDuplicates->setObjectName(QStringLiteral("cboAllDuplicates"));
    for (OnDuplicate c : {OnDuplicate::Skip, OnDuplicate::Replace, OnDuplicate::KeepBoth})
        cboAllDuplicates->addItem(choiceText(c), int(c));
    allLabel->setBuddy(cboAllDuplicates);
    cmdApplyAll = new QPushButton(QStringLiteral("A&pply to All"), this);
    cmdApplyAll->setObjectName(QStringLiteral("cmdApplyAll"));
    connect(cmdApplyAll, &QPushButton::clicked, this, &ImportPreview::applyToAll);
    allRow->addWidget(allLabel);
    allRow->addWidget(cboAllDuplicates);
    allRow->addWidget(cmdApplyAll);
    allRow->addStretch(1);
    for (QWidget *w : {static_cast<QWidget *>(allLabel), static_cast<QWidget *>(cboAllDuplicates),
                       static_cast<QWidget *>(cmdApplyAll)})
        w->setEnabled(dups > 0);
    column->addLayout(allRow);

    auto *buttons = new QDialogButtonBox(this);
    cmdImport = buttons->addButton(QStringLiteral("&Import"), QDialogButtonBox::AcceptRole);
    cmdImport->setObjectName(QStringLiteral("cmdImport"));
    cmdImport->setEnabled(added + dups + collectionRows > 0);
    cmdImport->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cmdCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    column->addWidget(buttons);
}

void ImportPreview::applyToAll()
{
    const QString text = cboAllDuplicates->currentText();
    for (int row = 0; row < m_plan.items.size(); ++row)
        if (m_plan.items[row].status == PlanItem::Duplicate)
            grdPreview->item(row, ColAction)->setText(text);
}

void ImportPreview::accept()
{
    for (int row = 0; row < m_plan.items.size(); ++row) {
        PlanItem &item = m_plan.items[row];
        if (item.status != PlanItem::Duplicate)
            continue;
        const QString text = grdPreview->item(row, ColAction)->text();
        for (OnDuplicate c : {OnDuplicate::Skip, OnDuplicate::Replace, OnDuplicate::KeepBoth})
            if (text == choiceText(c))
                item.choice = c;
    }
    QDialog::accept();
}

// ------------------------------------------------------- the File commands

void exportFromMainWindow(frmMain *main)
{
    if (!savePendingEdit(main))
        return;
    const QString source = main->Data1->RecordSource();
    int count = 0;
    try {
        count = main->Data1->cursor() ? main->Data1->recordset().RecordCount() : 0;
    } catch (const DataError &) {
    }
    static const QRegularExpression plainName(QStringLiteral("^\\w+$"));
    const bool named = plainName.match(source).hasMatch();
    const QString listName = source == QLatin1String(kDrinkTable) ? QStringLiteral("all drinks")
                             : named                              ? source
                                                                  : QStringLiteral("the drinks found");
    ExportDialog ask(listName, count, main);
    if (ask.exec() != QDialog::Accepted)
        return;
    const FormatInfo &info = infoOf(ask.format());
    const QString base = ask.wholeCatalogue() || source == QLatin1String(kDrinkTable)
                             ? QStringLiteral("Pourvale drinks")
                         : named ? source
                                 : QStringLiteral("Drinks");
    FileRequest request;
    request.mode = FileRequest::Save;
    request.caption = QStringLiteral("Export");
    request.suggested = QDir::home().filePath(base + QLatin1Char('.') + QLatin1String(info.suffix));
    request.filter = QLatin1String(info.filter);
    QString file = chooseFile(main, request);
    if (file.isEmpty())
        return;
    file = withSuffix(file, info.suffix);

    ExportOptions options;
    options.format = ask.format();
    options.rowSource = ask.wholeCatalogue() ? QLatin1String(kDrinkTable) : source;
    options.collections = ask.collections();
    ProgressWindow progress(main, QStringLiteral("Exporting drinks..."));
    const ExportResult r = exportDrinks(main->Data1->DatabaseName(), file, options, progress.callback());
    if (r.cancelled)
        Screen().MsgBox(QStringLiteral("The export was cancelled; no file was written."));
    else if (!r.ok)
        Screen().MsgBox(QStringLiteral("The drinks could not be exported.\n\n") + r.error);
    else
        Screen().MsgBox(QStringLiteral("Exported %1 drink%2 to %3.")
                            .arg(r.drinks)
                            .arg(r.drinks == 1 ? "" : "s")
                            .arg(QDir::toNativeSeparators(file)));
}

void importIntoMainWindow(frmMain *main)
{
    FileRequest request;
    request.mode = FileRequest::Open;
    request.caption = QStringLiteral("Import");
    request.suggested = QDir::homePath();
    request.filter = QStringLiteral("Recipe files (*.json *.jsonld *.csv);;All files (*)");
    const QString file = chooseFile(main, request);
    if (file.isEmpty() || !savePendingEdit(main))
        return;
    const QString catalogue = main->Data1->DatabaseName();

    QApplication::setOverrideCursor(Qt::WaitCursor);
    ImportPlan plan = planImport(catalogue, readDrinkFile(file));
    QApplication::restoreOverrideCursor();
    if (!plan.error.isEmpty()) {
        Screen().MsgBox(QStringLiteral("%1 cannot be imported.\n\n%2").arg(QDir::toNativeSeparators(file), plan.error));
        return;
    }
    ImportPreview preview(plan, file, main);
    if (preview.exec() != QDialog::Accepted)
        return;

    ImportOutcome outcome;
    {
        ProgressWindow progress(main, QStringLiteral("Importing drinks..."));
        outcome = applyImport(catalogue, plan, progress.callback());
    }
    if (outcome.cancelled) {
        Screen().MsgBox(QStringLiteral("The import was cancelled; the catalogue is as it was."));
        return;
    }
    if (!outcome.ok) {
        Screen().MsgBox(QStringLiteral("The drinks could not be imported.\n\n") + outcome.error);
        return;
    }
    // The window re-reads its list and stays on its drink.
    qint64 key = -1;
    try {
        if (main->Data1->cursor() && main->Data1->cursor()->hasCurrentRow())
            key = main->Data1->recordset().Bookmark();
        main->Data1->Refresh();
        if (key >= 0)
            main->Data1->recordset().setBookmark(key);
    } catch (const DataError &) {
        // A drink replaced away from a confined list: the window shows the first.
    }
    Screen().MsgBox(outcome.summary() + QLatin1Char('.'));
}

void saveRecipeAsPdfFromMainWindow(frmMain *main)
{
    const RecipeText recipe = recipeFromWindow(main);
    FileRequest request;
    request.mode = FileRequest::Save;
    request.caption = QStringLiteral("Save Recipe as PDF");
    request.suggested = QDir::home().filePath(safeFileName(recipe.name) + QStringLiteral(".pdf"));
    request.filter = QStringLiteral("PDF files (*.pdf)");
    QString file = chooseFile(main, request);
    if (file.isEmpty())
        return;
    file = withSuffix(file, "pdf");
    QString picture;
    for (QSvgWidget *w : main->glassPictures)
        if (w->isVisibleTo(main))
            picture = w->property("pvPicture").toString();
    const QWidget *measure = main->Picture1;
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = saveRecipePdf(recipe, measure ? measure->font() : main->font(),
                                  measure ? pxToTwips(measure->width()) : kRecipeMeasureWidth, picture, file, &error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        Screen().MsgBox(QStringLiteral("The recipe could not be saved as a PDF.\n\n") + error);
}

} // namespace pv

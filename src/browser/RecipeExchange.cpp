#include "browser/RecipeExchange.h"

#include "ui/ScreenView.h"
#include "browser/RecipePrint.h"
#include "card/frmRecipeCard.h"
#include "data/Catalogue.h"
#include "data/DataError.h"
#include "ui/CardDocument.h"
#include "ui/DataControl.h"
#include "ui/DrinkHost.h"
#include "ui/FileChooser.h"
#include "ui/Twips.h"
#include "ui/WorkProgress.h"

#include <QApplication>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
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

// Edits made in the window are saved first, so that what is exported or
// compared is what the user sees, and nothing typed is lost by a re-read.
bool savePendingEdit(DataControl *data)
{
    try {
        if (data->cursor() && data->dataChanged())
            data->UpdateRecord();
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

// A preview shows what a page can: longer texts from a file are cut before
// they are laid out, and stored whole.
constexpr qsizetype kPreviewLine = 500;
constexpr qsizetype kPreviewDirections = 20000;

QString previewCut(const QString &s, qsizetype limit = kPreviewLine)
{
    return s.size() > limit ? s.left(limit) + QChar(0x2026) : s;
}

// A drink read from a file, field by field, as the main window will show it.
QString drinkText(const DrinkSeed &d)
{
    QStringList lines;
    lines << previewCut(d.name);
    QStringList cats;
    for (const QString &c : d.categories)
        if (!c.isEmpty())
            cats << c;
    lines << QStringLiteral("Glass: %1    Categories: %2")
                 .arg(d.glass.isEmpty() ? QStringLiteral("(none)") : previewCut(d.glass),
                      cats.isEmpty() ? QStringLiteral("(none)") : previewCut(cats.join(QStringLiteral(", "))));
    for (const auto &ing : d.ingredients)
        if (!ing.first.isEmpty() || !ing.second.isEmpty())
            lines << QStringLiteral("  %1  %2")
                         .arg(previewCut(ing.first), previewCut(ing.second))
                         .trimmed()
                         .prepend(QStringLiteral("  "));
    lines << QStringLiteral("Directions: ") + previewCut(d.directions, kPreviewDirections);
    return lines.join(QLatin1Char('\n'));
}

// What of a drink has no place in the program's pictures and lists, and
// what was done to fit it, for its row of the preview.
QString keptAsWritten(const Entry &e)
{
    QStringList parts;
    const DrinkSeed &d = e.drink;
    if (!d.glass.isEmpty() && !glassNames().contains(d.glass))
        parts << QStringLiteral("glass '%1' has no picture").arg(previewCut(d.glass, 100));
    for (const QString &c : d.categories) {
        bool known = c.isEmpty();
        for (const Category &k : categories())
            known = known || c == QLatin1String(k.label);
        if (!known)
            parts << QStringLiteral("no list shows the category '%1'").arg(previewCut(c, 100));
    }
    parts << e.notes;
    return parts.join(QStringLiteral("; "));
}

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
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    lblSummary->setTextFormat(Qt::PlainText);
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
    auto cell = [this](int row, int col, const QString &whole, bool editable = false) {
        // As much as a tooltip shows: a text of megabytes would be measured for every paint.
        const QString text = previewCut(whole, kToolTipChars);
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
            cell(row, ColWhy, keptAsWritten(i.entry));
            break;
        case PlanItem::Duplicate:
            cell(row, ColAction, choiceText(i.choice), true);
            cell(row, ColWhy, QStringLiteral("already there as '%1'").arg(i.duplicateOf) +
                                  (keptAsWritten(i.entry).isEmpty() ? QString()
                                                                    : QStringLiteral("; ") + keptAsWritten(i.entry)));
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

    txtDrink = new QPlainTextEdit(this);
    txtDrink->setObjectName(QStringLiteral("txtDrink"));
    txtDrink->setReadOnly(true);
    txtDrink->setAccessibleName(QStringLiteral("The drink as it will be stored"));
    txtDrink->setMaximumHeight(twipsToPx(2100));
    txtDrink->setTabChangesFocus(true);
    column->addWidget(txtDrink);
    connect(grdPreview, &QTableWidget::currentCellChanged, this, [this](int current) {
        txtDrink->setPlainText(current >= 0 && current < m_plan.items.size() ? drinkText(m_plan.items[current].entry.drink)
                                                                             : QString());
    });
    if (!plan.items.isEmpty()) {
        grdPreview->setCurrentCell(0, ColDrink);
        txtDrink->setPlainText(drinkText(plan.items.first().entry.drink));
    }

    if (!plan.notes.isEmpty() || !plan.offers.isEmpty()) {
        auto *notes = new QGroupBox(QStringLiteral("Notes"), this);
        notes->setObjectName(QStringLiteral("grpNotes"));
        auto *notesLayout = new QVBoxLayout(notes);
        QStringList shown = plan.notes.mid(0, 8);
        if (plan.notes.size() > 8)
            shown << QStringLiteral("and %1 more").arg(plan.notes.size() - 8);
        lblNotes = new QLabel(shown.join(QLatin1Char('\n')), notes);
        lblNotes->setObjectName(QStringLiteral("lblNotes"));
        lblNotes->setTextFormat(Qt::PlainText);
        lblNotes->setWordWrap(true);
        lblNotes->setTextInteractionFlags(Qt::TextSelectableByMouse);
        lblNotes->setVisible(!shown.isEmpty());
        notesLayout->addWidget(lblNotes);
        for (qsizetype k = 0; k < plan.offers.size(); ++k) {
            auto *box = new QCheckBox(plan.offers[k].text(), notes);
            box->setObjectName(QStringLiteral("chkOffers(%1)").arg(k));
            notesLayout->addWidget(box);
            chkOffers << box;
        }
        column->addWidget(notes);
    }

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

    const int withNotes = plan.withNotes();
    chkFileNotes = new QCheckBox(
        QStringLiteral("For drinks I already have, use the file's favourites, ratings, notes and made-it log "
                       "(%1 drink%2 in the file carry them)")
            .arg(withNotes)
            .arg(withNotes == 1 ? "" : "s"),
        this);
    chkFileNotes->setObjectName(QStringLiteral("chkFileNotes"));
    chkFileNotes->setToolTip(QStringLiteral("Unticked, your own stay as they are; a drink without any takes the "
                                            "file's either way."));
    chkFileNotes->setEnabled(withNotes > 0 && dups > 0);
    chkFileNotes->setVisible(withNotes > 0);
    column->addWidget(chkFileNotes);

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
    for (qsizetype k = 0; k < chkOffers.size() && k < m_plan.offers.size(); ++k)
        m_plan.offers[k].accepted = chkOffers[k]->isChecked();
    m_plan.takeFileNotes = chkFileNotes->isChecked();
    for (int row = 0; row < m_plan.items.size(); ++row) {
        PlanItem &item = m_plan.items[row];
        if (item.status != PlanItem::Duplicate)
            continue;
        const QString text = grdPreview->item(row, ColAction)->text();
        for (OnDuplicate c : {OnDuplicate::Skip, OnDuplicate::Replace, OnDuplicate::KeepBoth})
            if (text == choiceText(c))
                item.choice = c;
    }
    m_plan.applyOffers();
    QDialog::accept();
}

// ------------------------------------------------------- the File commands

void exportFromMainWindow(DrinkHost *host)
{
    DataControl *data = host->drinkData();
    QWidget *main = host->hostWindow();
    if (!savePendingEdit(data))
        return;
    const QString source = data->RecordSource();
    int count = 0;
    try {
        count = data->cursor() ? data->recordset().RecordCount() : 0;
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
    WorkProgress progress(main, QStringLiteral("Exporting drinks..."));
    const ExportResult r = exportDrinks(data->DatabaseName(), file, options, progress.callback());
    progress.finish();
    if (r.cancelled)
        Screen().MsgBox(QStringLiteral("The export was cancelled; no file was written."));
    else if (!r.ok)
        Screen().MsgBox(QStringLiteral("Choose another folder or file name and export again; no file was written."
                                       "\n\nWhat went wrong: ") +
                        r.error);
    else
        Screen().MsgBox(QStringLiteral("Exported %1 drink%2 to %3.")
                            .arg(r.drinks)
                            .arg(r.drinks == 1 ? "" : "s")
                            .arg(QDir::toNativeSeparators(file)));
}

void importIntoMainWindow(DrinkHost *host)
{
    QWidget *main = host->hostWindow();
    FileRequest request;
    request.mode = FileRequest::Open;
    request.caption = QStringLiteral("Import");
    request.suggested = QDir::homePath();
    request.filter = QStringLiteral("Recipe files and web pages (*.json *.jsonld *.csv *.html *.htm);;All files (*)");
    const QString file = chooseFile(main, request);
    if (!file.isEmpty())
        importFileIntoMainWindow(host, file);
}

void importFileIntoMainWindow(DrinkHost *host, const QString &file)
{
    DataControl *data = host->drinkData();
    QWidget *main = host->hostWindow();
    if (!savePendingEdit(data))
        return;
    const QString catalogue = data->DatabaseName();

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
        WorkProgress progress(main, QStringLiteral("Importing drinks..."));
        outcome = applyImport(catalogue, plan, progress.callback());
    }
    if (outcome.cancelled) {
        Screen().MsgBox(QStringLiteral("The import was cancelled; the catalogue is as it was."));
        return;
    }
    if (!outcome.ok) {
        Screen().MsgBox(QStringLiteral("Close any other program that uses the catalogue and import again.\n\n"
                                       "What went wrong: ") +
                        outcome.error);
        return;
    }
    // The window re-reads its list and stays on its drink.
    qint64 key = -1;
    try {
        if (data->cursor() && data->cursor()->hasCurrentRow())
            key = data->recordset().Bookmark();
        data->Refresh();
        if (key >= 0)
            data->recordset().setBookmark(key);
    } catch (const DataError &) {
        // A drink replaced away from a confined list: the window shows the first.
    }
    Screen().MsgBox(outcome.summary() + QLatin1Char('.'));
}

namespace {

// Recipe files and saved pages dropped anywhere on the main window are
// imported, as File > Import does; other drops keep their usual meaning.
class ImportDrop : public QObject {
public:
    ImportDrop(DrinkHost *host) : QObject(host->hostWindow()), m_host(host), m_window(host->hostWindow()) {}

    static QString localFile(const QMimeData *data)
    {
        if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
            return QString();
        const QString file = data->urls().first().toLocalFile();
        return QFileInfo(file).isFile() ? file : QString();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto *e = static_cast<QDragMoveEvent *>(event);
            if (localFile(e->mimeData()).isEmpty())
                return false;
            e->setDropAction(Qt::CopyAction);
            e->accept();
            return true;
        }
        case QEvent::Drop: {
            auto *e = static_cast<QDropEvent *>(event);
            const QString file = localFile(e->mimeData());
            if (file.isEmpty())
                return false;
            e->setDropAction(Qt::CopyAction);
            e->accept();
            // The drag's own loop ends before the preview opens its own.
            QPointer<QWidget> window = m_window;
            DrinkHost *host = m_host;
            QTimer::singleShot(0, window, [window, host, file] {
                if (window)
                    importFileIntoMainWindow(host, file);
            });
            return true;
        }
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    DrinkHost *m_host;
    QWidget *m_window;
};

} // namespace

void acceptImportDrops(DrinkHost *host)
{
    QWidget *main = host->hostWindow();
    auto *drop = new ImportDrop(host);
    main->setAcceptDrops(true);
    main->installEventFilter(drop);
    for (QWidget *w : main->findChildren<QWidget *>())
        w->installEventFilter(drop);
}

void saveRecipeAsPdfFromMainWindow(DrinkHost *host)
{
    QWidget *main = host->hostWindow();
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
    // The text as the boxes hold it, unsaved edits too; the categories,
    // which no box shows, as saved.
    CardRecipe shown;
    currentCardRecipe(host->drinkData(), &shown);
    shown.name = recipe.name;
    shown.quantities = recipe.quantities;
    shown.ingredients = recipe.ingredients;
    shown.directions = recipe.directions;
    if (const auto *glass = main->findChild<QLineEdit *>(QStringLiteral("txtGlassname")))
        shown.glass = glass->text();
    QString error;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = saveCardPdf(buildRecipeCard(shown, CardOptions{}), CardOptions{}, {false, false}, file, &error);
    QApplication::restoreOverrideCursor();
    if (!ok)
        Screen().MsgBox(QStringLiteral("The recipe could not be saved as a PDF.\n\n") + error);
}

} // namespace pv

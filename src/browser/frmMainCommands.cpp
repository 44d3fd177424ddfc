// What the main window has beyond its design: the added commands in its
// menus (a new window is opened from here), its keys, the catalogue update
// at start, and what the other windows ask of it as their DrinkHost.
#include "browser/frmMain.h"

#include "browser/CategoryCommand.h"
#include "browser/RecipeExchange.h"
#include "card/frmRecipeCard.h"
#include "drinklist/IngredientSearch.h"
#include "drinklist/frmDrinkList.h"
#include "mybar/CanMake.h"
#include "mybar/MyBar.h"
#include "mybar/frmMyBar.h"
#include "trash/frmRecentlyDeleted.h"

#include "app/HelpCommands.h"
#include "data/CatalogueUpdate.h"
#include "data/DataError.h"
#include "data/Catalogue.h"
#include "ui/CutTextTip.h"
#include "ui/KeyboardAccess.h"
#include "ui/Twips.h"
#include "ui/ScreenView.h"
#include "ui/UndoCommands.h"

#include <QCompleter>
#include <QMenuBar>
#include <QShortcut>

using pv::Screen;

namespace {

QAction *actionNamed(QMenu *menu, const char *name)
{
    for (QAction *a : menu->actions())
        if (a->objectName() == QLatin1String(name))
            return a;
    return nullptr;
}

} // namespace

void frmMain::addCommands()
{
    auto *file = menuBar()->findChild<QMenu *>(QStringLiteral("mnuFile"));
    auto *view = menuBar()->findChild<QMenu *>(QStringLiteral("mnuView"));
    auto *queries = menuBar()->findChild<QMenu *>(QStringLiteral("mnuQueries"));

    // Each goes in before `before` (at the end when that is null), so the
    // designed entries keep their order around them.
    auto command = [this](QMenu *menu, QAction *before, const char *name, const QString &caption, auto fn) {
        auto *a = new QAction(caption, menu);
        a->setObjectName(QLatin1String(name));
        menu->insertAction(before, a);
        pv::onEvent(a, &QAction::triggered, this, fn);
    };
    auto separator = [](QMenu *menu, QAction *before, const char *name) {
        menu->insertSeparator(before)->setObjectName(QLatin1String(name));
    };

    QAction *fileEnd = actionNamed(file, "mnuFileBar4");
    command(file, fileEnd, "mnuFileSavePdf", QStringLiteral("Save Recipe as P&DF..."),
            [this] { pv::saveRecipeAsPdfFromMainWindow(this); });
    command(file, fileEnd, "mnuFileSaveCardPdf", QStringLiteral("Save Recipe &Card as PDF..."),
            [this] { pv::saveRecipeCardAsPdf(this); });
    separator(file, fileEnd, "mnuFileBarExchange");
    command(file, fileEnd, "mnuFileExport", QStringLiteral("&Export..."), [this] { pv::exportFromMainWindow(this); });
    command(file, fileEnd, "mnuFileImport", QStringLiteral("I&mport..."), [this] { pv::importIntoMainWindow(this); });

    QAction *viewTop = view->actions().value(0);
    command(view, viewTop, "mnuDrinkList", QStringLiteral("&Drink List..."), [this] { frmDrinkList::open(this); });
    command(view, viewTop, "mnuRecipeCard", QStringLiteral("Recipe &Card..."), [this] { frmRecipeCard::open(this); });
    separator(view, viewTop, "mnuDrinkListBar");
    command(view, actionNamed(view, "mnuWebbrowser2"), "mnuMyBar", QStringLiteral("&My Bar..."),
            [this] { mnuMyBar_Click(); });

    separator(queries, nullptr, "mnuQueriesBar1");
    command(queries, nullptr, "mnuFindIngredient", QStringLiteral("Find Drinks With &Ingredient..."),
            [this] { pv::findDrinksWithIngredient(this); });
    command(queries, nullptr, "mnuCanMake", QStringLiteral("Confine Drink List To Drinks I Can &Make"),
            [this] { mnuCanMake_Click(); });

    pv::addCategoryCommand(this);

    // A titled list names itself in the caption until another list is chosen.
    connect(Data1, &pv::DataControl::Reposition, this, [this] {
        if (!m_titledSource.isEmpty() && Data1->RecordSource() != m_titledSource) {
            m_titledSource.clear();
            m_listTitle.clear();
            setWindowTitle(QStringLiteral("Pourvale"));
        }
    });
    // Dropped files import; Edit holds Undo, Redo and Recently Deleted.
    pv::acceptImportDrops(this);
    pv::installEditMenu(this, Data1, &frmRecentlyDeleted::open)->setWords([](int number) {
        return number == pv::ErrNoRowForTyping
                   ? QStringLiteral("There is no drink here to save this to. Press Add first to start a new one.")
                   : QString();
    });
}

void frmMain::press(void (frmMain::*handler)())
{
    try {
        (this->*handler)();
    } catch (const pv::DataError &e) {
        if (e.number() != pv::ErrNoRowForTyping)
            throw;
        Screen().MsgBox(
            QStringLiteral("There is no drink here to save this to. Press Add first to start a new one."));
    }
}

void frmMain::addTypingAids(const QStringList &glassNames)
{
    // Names and ingredients longer than their boxes can be read whole.
    for (int i = 0; i <= 20; ++i)
        pv::showCutTextInToolTip(static_cast<QLineEdit *>(txtFields[size_t(i)]));
    pv::showCutTextInToolTip(txtGlassname);
    // The twenty glasses with a picture are offered while typing; any other
    // name is still taken as typed.
    auto *glassCompleter = new QCompleter(glassNames, txtGlassname);
    glassCompleter->setObjectName(QStringLiteral("glassCompleter"));
    glassCompleter->setCaseSensitivity(Qt::CaseInsensitive);
    glassCompleter->setFilterMode(Qt::MatchContains);
    txtGlassname->setCompleter(glassCompleter);
}

void frmMain::addKeys()
{
    // Tab reads the window as it is laid out: the name and the glass side by
    // side on the top line, the ingredient rows pair by pair, the
    // directions, then the two rows of buttons.
    QWidget *prev = txtFields[0];
    auto chain = [&prev](QWidget *next) {
        QWidget::setTabOrder(prev, next);
        prev = next;
    };
    chain(txtGlassname);
    for (int i = 1; i <= 21; ++i)
        chain(txtFields[i]);
    for (QWidget *w : std::initializer_list<QWidget *>{cmdBegofFile, cmdPrevious, cmdNext, cmdEndofList, cmdAdd,
                                                       cmdDelete, cmdRefresh, cmdUpdate, cmdSearch, txtSearchString,
                                                       cmdFindNext})
        chain(w);

    // The captions of the record and search buttons carry no access letter;
    // keys on the buttons reach them without changing the captions.
    pv::setRecordKeys(cmdBegofFile, cmdPrevious, cmdNext, cmdEndofList);
    pv::setButtonKey(cmdFindNext, QKeySequence(Qt::Key_F3));
    // Find puts the cursor in the search box; Enter there searches.
    auto *find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        txtSearchString->setFocus(Qt::ShortcutFocusReason);
        txtSearchString->selectAll();
    });
    txtSearchString->setToolTip(tr("Letters of a drink's name (%1); Enter searches")
                                    .arg(QKeySequence(QKeySequence::Find).toString(QKeySequence::NativeText)));
    pv::addHelpKey(this);
}

// A newer bundled catalogue reaches the user's own once, with one message;
// a merge that fails leaves the catalogue as it was and is tried next time.
void frmMain::bringCatalogueUpToDate(const QString &bundled, const QString &catalogue)
{
    const pv::CatalogueMergeResult merge = pv::mergeBundledCatalogue(bundled, catalogue);
    if (!merge.error.isEmpty())
        qWarning("The catalogue was not brought up to date: %s", qPrintable(merge.error));
    else if (merge.merged && !merge.message().isEmpty())
        Screen().MsgBox(merge.message(), pv::vbInformation);
}

void frmMain::mnuMyBar_Click()
{
    Screen().Show(Screen().Load<frmMyBar>());
}

void frmMain::mnuCanMake_Click()
{
    pv::confineToDrinksICanMake(this);
}

void frmMain::editCategories()
{
    pv::setCategoriesOfCurrentDrink(this);
}

// ------------------------------------------------------------- DrinkHost

void frmMain::confineToDrinks(const QVector<qint64> &keys, const QString &title)
{
    // Keys are numbers we produced, never typed text, so they may stand in the SQL.
    QString source = QStringLiteral("select * from drinklst where rowid in (");
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (i)
            source += QLatin1Char(',');
        source += QString::number(keys[i]);
    }
    source += QStringLiteral(") order by rowid");
    confineTo(source);
    if (title.isEmpty())
        return;
    m_titledSource = Data1->RecordSource();
    m_listTitle = title;
    setWindowTitle(pv::titleText(QStringLiteral("Pourvale - ") + title));
}

bool frmMain::showDrink(qint64 key)
{
    try {
        Data1->recordset().setBookmark(key);
        return true;
    } catch (const pv::DataError &) {
        // Not in the list shown: look for it among all the drinks.
    }
    mnuViewAll_Click();
    try {
        Data1->recordset().setBookmark(key);
        return true;
    } catch (const pv::DataError &) {
        Screen().setMousePointer(pv::vbDefault);
        return false;
    }
}

qint64 frmMain::currentDrink() const
{
    const pv::RecordCursor *c = Data1->cursor();
    if (!c)
        return -1;
    try {
        return c->AbsolutePosition() < 0 ? -1 : c->Bookmark();
    } catch (const pv::DataError &) {
        return -1;
    }
}

QString frmMain::glassPicture() const
{
    QString picture;
    for (QSvgWidget *w : glassPictures)
        if (w->isVisibleTo(this))
            picture = w->property("pvPicture").toString();
    return picture;
}

// The first start and the opening of the catalogue.
bool frmMain::firstStart() const
{
    pv::ScreenView &sv = Screen();
    for (const char *key : {"MainLeft", "MainTop", "MainWidth", "MainHeight"})
        if (!sv.GetSetting(sv.App().Title, QStringLiteral("Settings"), QLatin1String(key)).isEmpty())
            return false;
    return true;
}

QSize frmMain::designedSize() const
{
    // The designed client area, or what the form's lowest controls need
    // between the strips in the desktop's font, whichever is more.
    const QWidget *toolStrip = findChild<QWidget *>(QStringLiteral("toolStrip"));
    const QWidget *statusStrip = findChild<QWidget *>(QStringLiteral("statusStrip"));
    const int form = pv::twipsToPx(6090);
    // The strips have fixed heights.
    const int client = std::max(pv::twipsToPx(7260), toolStrip->maximumHeight() + form + Data1->sizeHint().height() +
                                                     statusStrip->maximumHeight());
    return QSize(pv::twipsToPx(9900), client + menuBar()->sizeHint().height());
}

void frmMain::loadCatalogue()
{
    const QString catalogue = pv::cataloguePath(Screen().App().Path);
    bringCatalogueUpToDate(pv::bundledCataloguePath(Screen().App().Path), catalogue);
    Data1->setDatabaseName(catalogue);
}

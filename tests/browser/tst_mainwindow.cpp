// The main window driven as a person would: placement, records, search,
// categories and the glass picture.
#include "TestSupport.h"

#include "browser/CategoryCommand.h"
#include "browser/frmMain.h"
#include "card/frmRecipeCard.h"
#include "data/Catalogue.h"
#include "ui/Twips.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QSettings>
#include <QTextDocument>
#include <QTimer>

using pv::Screen;

namespace {

// A window registered with ScreenView that records its unloading.
class ProbeForm : public QWidget, public pv::Form {
public:
    explicit ProbeForm(QStringList *log, QString name) : m_log(log), m_name(std::move(name)) {}
    QWidget *widget() override { return this; }
    void Form_Unload(int &) override { m_log->append(m_name); }

private:
    QStringList *m_log;
    QString m_name;
};

QString caption(frmMain *m)
{
    return m->Data1->Caption();
}

} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void opensOnFreshHomeAtDefaults();
    void placementSavedAndRestored();
    void minimisedClosingKeepsOldPlacement();
    void oddStoredValuesDoNotEndTheProgram();
    void menusAndToolbarAreComplete();
    void navigationAtBothEnds();
    void deleteMiddleLastAndOnly();
    void addTypeAndLeaveStoresTheRow();
    void updateAndRefresh();
    void busyPointerBetweenValidateAndReposition();
    void toolbarAndStatusBarToggles();
    void closingUnloadsOtherWindowsNewestFirst();
    void windowCommandsOpenOneWindowEach();

    void searchFindsAnywhereInAnyCase();
    void searchMessagesAndFindNextState();
    void searchTakesTypedTextLiterally();
    void searchMessagesGiveTheFocusBack();
    void categoriesFromMenuAndToolbar();
    void emptyCategoryAndMissingQuery();
    void categoriesForANewDrink();
    void glassBoxAndLongTextsHelp();

    void glassPictureFollowsGlassName();

private:
    frmMain *open();
    void click(const char *name);
    QString field(int i) { return m_main->fieldText(i); }

    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    frmMain *m_main = nullptr;
};

void TestMainWindow::init()
{
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
}

void TestMainWindow::cleanup()
{
    pvtest::unloadAll();
    m_main = nullptr;
    m_msgs.reset();
    m_app.reset();
}

frmMain *TestMainWindow::open()
{
    m_main = Screen().Load<frmMain>();
    Screen().Show(m_main);
    // The data control opens its rows once the event loop runs.
    for (int i = 0; i < 50 && !m_main->Data1->cursor(); ++i)
        QTest::qWait(10);
    return m_main;
}

void TestMainWindow::click(const char *name)
{
    auto *b = m_main->findChild<QPushButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void TestMainWindow::opensOnFreshHomeAtDefaults()
{
    open();
    QVERIFY(qAbs(m_main->Left() - 1000) < 15);
    QVERIFY(qAbs(m_main->Top() - 1000) < 15);
    // With nothing stored the window shows its whole layout, not 6500 x 6500.
    QCOMPARE(m_main->centralWidget()->width(), pv::twipsToPx(9900));
    QVERIFY(m_main->centralWidget()->height() >= pv::twipsToPx(7260));
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Pourvale"));
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 1"));
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    QCOMPARE(field(1), QStringLiteral("2 oz"));
    QCOMPARE(field(2), QStringLiteral("Gin"));
    QCOMPARE(field(21), QStringLiteral("Shake with ice and strain."));
    QCOMPARE(m_main->txtGlassname->text(), QStringLiteral("Cocktail"));
    QVERIFY(!m_main->cmdFindNext->isEnabled());
    QCOMPARE(Screen().App().HelpFile, m_app->path() + QStringLiteral("/pourvale.qhc"));
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestMainWindow::placementSavedAndRestored()
{
    open();
    m_main->move(200, 150);
    m_main->resize(700, 520);
    Screen().Unload(m_main);
    QSettings s(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
    QCOMPARE(s.value(QStringLiteral("Settings/MainLeft")).toString(), QStringLiteral("3000"));
    QCOMPARE(s.value(QStringLiteral("Settings/MainTop")).toString(), QStringLiteral("2250"));
    QCOMPARE(s.value(QStringLiteral("Settings/MainWidth")).toString(), QStringLiteral("10500"));
    QCOMPARE(s.value(QStringLiteral("Settings/MainHeight")).toString(), QStringLiteral("7800"));
    pvtest::unloadAll();
    open();
    QCOMPARE(m_main->pos(), QPoint(200, 150));
    QCOMPARE(m_main->size(), QSize(700, 520));
}

void TestMainWindow::minimisedClosingKeepsOldPlacement()
{
    QSettings s(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
    s.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("9000"));
    s.sync();
    open();
    m_main->resize(300, 300);
    m_main->showMinimized();
    QTRY_COMPARE(m_main->WindowState(), 1);
    Screen().Unload(m_main);
    s.sync();
    QCOMPARE(s.value(QStringLiteral("Settings/MainWidth")).toString(), QStringLiteral("9000"));
    QVERIFY(!s.contains(QStringLiteral("Settings/MainLeft")));
}

void TestMainWindow::oddStoredValuesDoNotEndTheProgram()
{
    QSettings s(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
    s.setValue(QStringLiteral("Settings/MainLeft"), QStringLiteral("wide"));
    s.setValue(QStringLiteral("Settings/MainTop"), QStringLiteral("1e30"));
    s.setValue(QStringLiteral("Settings/MainWidth"), QStringLiteral("-5"));
    s.setValue(QStringLiteral("Settings/MainHeight"), QStringLiteral("0"));
    s.sync();
    open();
    QVERIFY(qAbs(m_main->Left() - 1000) < 15); // not a number: the default
    QVERIFY(m_main->Top() <= 200000);          // huge: held to a reachable place
    QVERIFY(m_main->Width() >= 1500);          // negative and zero: a usable size
    QVERIFY(m_main->Height() >= 1500);
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
}

void TestMainWindow::menusAndToolbarAreComplete()
{
    open();
    const QStringList menus = {"mnuFile", "mnuView", "mnuSupplies", "mnuDrinkingGames", "mnuQueries", "mnuHelp"};
    for (const QString &m : menus)
        QVERIFY2(m_main->findChild<QMenu *>(m), qPrintable(m));
    const QList<QPair<QString, QString>> entries = {
        {"mnuFilePrint", "&Print..."}, {"mnuFileExit", "E&xit"}, {"mnuUtensils", "Utensils"},
        {"mnuGlasses", "Glasses"}, {"mnuStockLiquor", "Liquor"}, {"mnuPickuplines", "Pick Up Lines"},
        {"mnuToasting", "Toasting"}, {"mnuJokes", "Bar Jokes"}, {"mnuDice", "Dice"}, {"mnuCards", "Cards"},
        {"mnuCoins", "Coins"}, {"mnuBoardGames", "Board Games"}, {"mnuMedia", "TV and Movies"},
        {"mnuSpeech", "Speech"}, {"mnuViewBrowser", "&Web Browser..."}, {"mnuViewToolbar", "&Toolbar"},
        {"mnuViewStatusBar", "Status &Bar"}, {"mnuViewAll", "View All Drinks"},
        {"mnuHot", "Confine Drink List To Hot Drinks"}, {"mnuNonAlcoholic", "Confine Drink List To Non-Alcoholic"},
        {"mnuHelpContents", "&Contents"}, {"mnuHelpSearch", "Search for help on..."},
        {"mnuHelpAbout", "&About Pourvale..."}};
    for (const auto &e : entries) {
        auto *a = m_main->findChild<QAction *>(e.first);
        QVERIFY2(a, qPrintable(e.first));
        QCOMPARE(a->text(), e.second);
    }
    QCOMPARE(m_main->mnuFilePrint->shortcut(), QKeySequence(QStringLiteral("Ctrl+P")));
    // The seventeen designed entries come first; added commands follow them.
    const QList<QAction *> queries = m_main->findChild<QMenu *>("mnuQueries")->actions();
    QVERIFY(queries.size() >= 17);
    QCOMPARE(queries.at(0)->objectName(), QStringLiteral("mnuViewAll"));
    QCOMPARE(queries.at(16)->objectName(), QStringLiteral("mnuWine"));
    QVERIFY(queries.size() == 17 || queries.at(17)->isSeparator());

    const QList<QAction *> tb = m_main->tbToolBar->actions();
    QCOMPARE(tb.size(), 26);
    QStringList keys;
    int separators = 0;
    for (QAction *a : tb) {
        if (a->isSeparator())
            ++separators;
        else
            keys << a->data().toString();
    }
    QCOMPARE(separators, 4);
    QVERIFY(tb.first()->isSeparator());
    QCOMPARE(keys.size(), 22);
    QCOMPARE(keys.mid(0, 6), (QStringList{"Utensils", "Glasses", "Liquor", "Browser", "Help", "ViewAll"}));
    QCOMPARE(m_main->findChild<QAction *>("tbNonAlcoholic")->toolTip(), QStringLiteral("Non Alcoholic"));
    for (QAction *a : tb)
        QVERIFY(a->isSeparator() || !a->icon().isNull());
    QCOMPARE(m_main->findChild<QLabel *>("sbPanel1")->text(), QStringLiteral("What's Your Poison?"));
    QCOMPARE(m_main->findChild<QLabel *>("sbPanel2")->text(), QStringLiteral("Remember...Don't Drink & Drive !"));
    QVERIFY(!m_main->findChild<QLabel *>("sbPanel3")->text().isEmpty());
}

void TestMainWindow::navigationAtBothEnds()
{
    open();
    click("cmdPrevious"); // before the first row: no message yet
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 0"));
    QVERIFY(m_msgs->calls.isEmpty());
    click("cmdPrevious");
    QCOMPARE(m_msgs->last(), QStringLiteral("You are already at the beginning of the list of drinks!"));
    QCOMPARE(m_msgs->calls.last().style, 0);
    QVERIFY(m_msgs->calls.last().title.isEmpty());
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 0"));
    click("cmdNext");
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 1"));
    click("cmdEndofList");
    QCOMPARE(field(0), QStringLiteral("Shirley Temple"));
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 8"));
    click("cmdEndofList");
    m_msgs->clear();
    click("cmdNext");
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 0"));
    QCOMPARE(field(0), QString());
    QVERIFY(m_msgs->calls.isEmpty());
    click("cmdNext");
    QCOMPARE(m_msgs->prompts(), QStringList{"You are at the end of the list of drinks!"});
    click("cmdBegofFile");
    click("cmdBegofFile");
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 1"));
    QCOMPARE(m_msgs->calls.size(), 1); // Beginning and End of List never speak
}

void TestMainWindow::deleteMiddleLastAndOnly()
{
    open();
    click("cmdNext");
    click("cmdNext"); // Gin and Tonic
    click("cmdDelete");
    QCOMPARE(field(0), QStringLiteral("Manhattan"));
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 3"));
    click("cmdEndofList");
    click("cmdDelete");
    QCOMPARE(field(0), QStringLiteral("Planter's Punch"));
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 6"));
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst"), QStringList{"6"});
    QVERIFY(m_msgs->calls.isEmpty());

    // Past the end there is nothing to delete.
    click("cmdNext");
    click("cmdDelete");
    QCOMPARE(m_msgs->last(), QStringLiteral("There is no drink on the screen to delete. Move to a drink first."));

    // The only drink of a category.
    m_main->findChild<QAction *>("mnuAperitifs")->trigger();
    QCOMPARE(field(0), QStringLiteral("Negroni"));
    click("cmdDelete");
    QCOMPARE(m_msgs->last(), QStringLiteral("That was the last drink in this list; the list is now empty."));
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 0"));
    click("cmdDelete");
    QCOMPARE(m_msgs->last(), QStringLiteral("There are no drinks in this list to delete."));
    click("cmdNext");
    QCOMPARE(m_msgs->last(), QStringLiteral("You are at the end of the list of drinks!"));
    m_main->findChild<QAction *>("mnuViewAll")->trigger();
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 1"));
}

void TestMainWindow::addTypeAndLeaveStoresTheRow()
{
    open();
    click("cmdAdd");
    QCOMPARE(field(0), QString());
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 0"));
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("Zombie"));
    QTest::keyClicks(m_main->txtFields[1], QStringLiteral("1 1/2 oz"));
    QTest::keyClicks(m_main->txtFields[2], QStringLiteral("White Rum"));
    QTest::keyClicks(m_main->txtFields[21], QStringLiteral("Shake hard."));
    QTest::keyClicks(m_main->txtGlassname, QStringLiteral("Collins"));
    click("cmdNext");
    QCOMPARE(field(0), QStringLiteral("Cuba Libre")); // moved on from the row current before Add
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(),
                                 "SELECT DrinkName || '|' || Qty1 || '|' || Ing1 || '|' || Directions || '|' || Glass "
                                 "FROM drinklst WHERE DrinkName = 'Zombie'"),
             QStringList{"Zombie|1 1/2 oz|White Rum|Shake hard.|Collins"});
    click("cmdEndofList");
    QCOMPARE(field(0), QStringLiteral("Zombie"));

    // Add and leave without typing: nothing is stored.
    click("cmdAdd");
    click("cmdBegofFile");
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst"), QStringList{"9"});

    // An edit reaches the file when the row is left.
    m_main->txtFields[1]->setFocus();
    QTest::keyClick(m_main->txtFields[1], Qt::Key_End);
    QTest::keyClicks(m_main->txtFields[1], QStringLiteral(" plus"));
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT Qty1 FROM drinklst WHERE DrinkName='Bee''s Knees'"),
             QStringList{"2 oz"});
    click("cmdNext");
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT Qty1 FROM drinklst WHERE DrinkName='Bee''s Knees'"),
             QStringList{"2 oz plus"});
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestMainWindow::updateAndRefresh()
{
    open();
    click("cmdNext");
    QTest::keyClick(m_main->txtFields[0], Qt::Key_End);
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("!"));
    const QStringList before = pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst");
    click("cmdUpdate");
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst"), before);
    QVERIFY(m_msgs->calls.isEmpty());
    QCOMPARE(field(0), QStringLiteral("Cuba Libre!"));
    // Refresh saves the edit, re-reads and returns to the first row.
    pvtest::execSql(m_app->catalogue(), "INSERT INTO drinklst (DrinkName) VALUES ('Added elsewhere')");
    click("cmdRefresh");
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 1"));
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst WHERE DrinkName='Cuba Libre!'"),
             QStringList{"1"});
    click("cmdEndofList");
    QCOMPARE(field(0), QStringLiteral("Added elsewhere"));
}

void TestMainWindow::busyPointerBetweenValidateAndReposition()
{
    open();
    QList<int> seen;
    QObject listener;
    connect(m_main->Data1, &pv::DataControl::Validate, &listener,
            [&seen](int &, int &) { seen << Screen().mousePointer(); }, Qt::DirectConnection);
    int action = pv::vbDataActionMoveNext, save = 0;
    m_main->Data1_Validate(action, save);
    QCOMPARE(Screen().mousePointer(), int(pv::vbHourglass));
    QCOMPARE(save, 0);
    m_main->Data1_Reposition();
    QCOMPARE(Screen().mousePointer(), int(pv::vbDefault));
    action = pv::vbDataActionClose;
    m_main->Data1_Validate(action, save);
    QCOMPARE(Screen().mousePointer(), int(pv::vbHourglass));
    click("cmdNext");
    QCOMPARE(Screen().mousePointer(), int(pv::vbDefault));
    QCOMPARE(seen.size(), 1);
}

void TestMainWindow::toolbarAndStatusBarToggles()
{
    open();
    const QPoint before = m_main->txtFields[0]->mapTo(m_main, QPoint());
    QVERIFY(m_main->mnuViewToolbar->isChecked());
    m_main->mnuViewToolbar->trigger();
    QVERIFY(!m_main->tbToolBar->isVisible());
    QVERIFY(!m_main->mnuViewToolbar->isChecked());
    QCOMPARE(m_main->txtFields[0]->mapTo(m_main, QPoint()), before); // nothing moves
    m_main->mnuViewToolbar->trigger();
    QVERIFY(m_main->tbToolBar->isVisible() && m_main->mnuViewToolbar->isChecked());
    m_main->mnuViewStatusBar->trigger();
    QVERIFY(!m_main->sbStatusBar->isVisible() && !m_main->mnuViewStatusBar->isChecked());
    m_main->mnuViewStatusBar->trigger();
    QVERIFY(m_main->sbStatusBar->isVisible() && m_main->mnuViewStatusBar->isChecked());
}

void TestMainWindow::closingUnloadsOtherWindowsNewestFirst()
{
    open();
    QStringList log;
    auto *a = new ProbeForm(&log, QStringLiteral("first"));
    auto *b = new ProbeForm(&log, QStringLiteral("second"));
    auto *c = new ProbeForm(&log, QStringLiteral("third"));
    for (auto *f : {a, b, c}) {
        Screen().LoadNew(f);
        Screen().Show(f);
    }
    QCOMPARE(Screen().formsCount(), 4);
    m_main->mnuFileExit->trigger();
    QCOMPARE(log, (QStringList{"third", "second", "first"}));
    QCOMPARE(Screen().formsCount(), 0);
}

void TestMainWindow::windowCommandsOpenOneWindowEach()
{
    open();
    const QList<QPair<QString, QString>> commands = {
        {"mnuUtensils", "Bartender Utensils"}, {"mnuGlasses", "Glasses"}, {"mnuStockLiquor", "Liquors"},
        {"mnuPickuplines", "Pick Up Lines"}, {"mnuToasting", "Toasting"}, {"mnuJokes", "Bar Jokes"},
        {"mnuDice", "Drinking Games Using Dice"}, {"mnuCards", "Drinking Games Using Cards"},
        {"mnuCoins", "Games Using Coins"}, {"mnuBoardGames", "Drinking Games Using Board Games"},
        {"mnuMedia", "Drinking Games Using TV Shows And Movies"}, {"mnuSpeech", "Drinking Games Using Speech"}};
    int expected = 1;
    for (const auto &c : commands) {
        QAction *a = m_main->findChild<QAction *>(c.first);
        a->trigger();
        a->trigger(); // a second time shows the same window
        ++expected;
        QCOMPARE(Screen().formsCount(), expected);
        QWidget *w = Screen().Forms(expected - 1)->widget();
        QCOMPARE(w->windowTitle(), c.second);
        QVERIFY(w->isVisible());
    }
    // The toolbar's keys reach the same windows.
    for (const char *key : {"tbUtensils", "tbGlasses", "tbLiquor"})
        m_main->findChild<QAction *>(key)->trigger();
    QCOMPARE(Screen().formsCount(), expected);
    // Closed and chosen again: a fresh window, loaded anew.
    Screen().Unload(Screen().Forms(2));
    m_main->findChild<QAction *>("mnuGlasses")->trigger();
    QCOMPARE(Screen().formsCount(), expected);
    QCOMPARE(Screen().Forms(expected - 1)->widget()->windowTitle(), QStringLiteral("Glasses"));
    QVERIFY(Screen().Forms(expected - 1)->widget()->isVisible());
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestMainWindow::searchFindsAnywhereInAnyCase()
{
    open();
    QTest::keyClicks(m_main->txtSearchString, QStringLiteral("gin"));
    click("cmdSearch");
    QCOMPARE(field(0), QStringLiteral("Gin and Tonic")); // at the start, other case
    QVERIFY(m_main->cmdFindNext->isEnabled());
    click("cmdFindNext");
    QCOMPARE(field(0), QStringLiteral("Pink Gin")); // at the end
    m_main->txtSearchString->clear();
    QTest::keyClicks(m_main->txtSearchString, QStringLiteral("HAT"));
    click("cmdSearch");
    QCOMPARE(field(0), QStringLiteral("Manhattan")); // in the middle
    QVERIFY(m_msgs->calls.isEmpty());
}

// After a search message the focus is in the search box, never in a drink's
// box with its text selected, where the next key would replace the name.
void TestMainWindow::searchMessagesGiveTheFocusBack()
{
    open();
    QApplication::setActiveWindow(m_main);
    for (const char *text : {"", "zzz", "punch"}) {
        m_main->txtSearchString->setText(QLatin1String(text));
        m_main->cmdSearch->setFocus();
        click("cmdSearch");
        if (m_main->cmdFindNext->isEnabled()) {
            m_main->cmdFindNext->setFocus();
            click("cmdFindNext"); // runs out of matches
        }
        QVERIFY(!m_msgs->calls.isEmpty());
        QCOMPARE(QApplication::focusWidget(), m_main->txtSearchString);
        const QString name = field(0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
        click("cmdNext");
        click("cmdPrevious");
        QCOMPARE(field(0), name);
        for (QLineEdit *box : m_main->findChildren<QLineEdit *>())
            QVERIFY2(box == m_main->txtSearchString || !box->hasSelectedText(), qPrintable(box->objectName()));
        m_msgs->clear();
    }
}

void TestMainWindow::searchMessagesAndFindNextState()
{
    open();
    click("cmdSearch"); // empty text
    QCOMPARE(m_msgs->last(), QStringLiteral("You must enter at least some of the letters of the drink that you wish "
                                            "to search for into the text box just to the right of the Search button."));
    QVERIFY(!m_main->cmdFindNext->isEnabled());

    QTest::keyClicks(m_main->txtSearchString, QStringLiteral("zzz"));
    click("cmdSearch");
    QCOMPARE(m_msgs->last(), QStringLiteral("There are no drinks that match your search"));
    QVERIFY(!m_main->cmdFindNext->isEnabled());

    m_main->txtSearchString->setText(QStringLiteral("punch"));
    click("cmdSearch");
    QCOMPARE(field(0), QStringLiteral("Planter's Punch"));
    QVERIFY(m_main->cmdFindNext->isEnabled());
    click("cmdFindNext");
    QCOMPARE(m_msgs->last(), QStringLiteral("There are no more drinks that match your search"));
    QVERIFY(!m_main->cmdFindNext->isEnabled());

    // An empty search leaves an enabled button enabled.
    click("cmdSearch");
    QVERIFY(m_main->cmdFindNext->isEnabled());
    m_main->txtSearchString->clear();
    click("cmdSearch");
    QVERIFY(m_main->cmdFindNext->isEnabled());
    // Emptied box: find-next goes to the next drink that has a name.
    click("cmdFindNext");
    QCOMPARE(field(0), QStringLiteral("Shirley Temple"));

    // Only spaces is a real search: names that hold a space.
    m_main->txtSearchString->setText(QStringLiteral(" "));
    click("cmdSearch");
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    click("cmdFindNext");
    QCOMPARE(field(0), QStringLiteral("Cuba Libre"));
    m_main->txtSearchString->setText(QStringLiteral("   "));
    click("cmdSearch");
    QCOMPARE(m_msgs->last(), QStringLiteral("There are no drinks that match your search"));
}

void TestMainWindow::searchTakesTypedTextLiterally()
{
    pvtest::execSql(m_app->catalogue(), "INSERT INTO drinklst (DrinkName, Category1) VALUES "
                                        "('No. #7 [Special]', 'Gin'), ('Why? * Not', 'Gin')");
    open();
    const QList<QPair<QString, QString>> cases = {
        {"Planter's", "Planter's Punch"}, {"#7", "No. #7 [Special]"}, {"[Special]", "No. #7 [Special]"},
        {"[", "No. #7 [Special]"},        {"?", "Why? * Not"},        {"* N", "Why? * Not"},
    };
    for (const auto &c : cases) {
        m_main->txtSearchString->setText(c.first);
        click("cmdSearch");
        QCOMPARE(field(0), c.second);
        click("cmdFindNext"); // exactly one name holds each of these
        QCOMPARE(m_msgs->last(), QStringLiteral("There are no more drinks that match your search"));
    }
    // Wildcards do not widen the search.
    for (const char *t : {"*x", "#8", "G?n", "''", "[!x]", "[a-z]"}) {
        m_main->txtSearchString->setText(QString::fromUtf8(t));
        m_msgs->clear();
        click("cmdSearch");
        QCOMPARE(m_msgs->last(), QStringLiteral("There are no drinks that match your search"));
    }
    QCOMPARE(Screen().formsCount(), 1);
}

void TestMainWindow::categoriesFromMenuAndToolbar()
{
    open();
    m_main->findChild<QAction *>("mnuGin")->trigger();
    QCOMPARE(m_main->Data1->RecordSource(), QStringLiteral("Gin"));
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 1"));
    click("cmdEndofList");
    QCOMPARE(field(0), QStringLiteral("Pink Gin"));
    // A search finds only drinks of the category.
    m_main->txtSearchString->setText(QStringLiteral("a"));
    click("cmdSearch");
    QCOMPARE(field(0), QStringLiteral("Gin and Tonic"));
    click("cmdFindNext");
    QCOMPARE(m_msgs->last(), QStringLiteral("There are no more drinks that match your search"));
    // Refresh keeps the filter.
    click("cmdRefresh");
    QCOMPARE(m_main->Data1->RecordSource(), QStringLiteral("Gin"));
    click("cmdEndofList");
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 4"));

    // Every category: the toolbar button gives what the menu gives.
    for (const pv::Category &c : pv::categories()) {
        const QString q = QLatin1String(c.queryName);
        QAction *menuEntry = nullptr;
        for (QAction *a : m_main->findChild<QMenu *>("mnuQueries")->actions())
            if (a->text().endsWith(QLatin1String(c.label)))
                menuEntry = a;
        QVERIFY2(menuEntry, c.label);
        menuEntry->trigger();
        QCOMPARE(m_main->Data1->RecordSource(), q);
        const QString viaMenu = field(0) + caption(m_main);
        m_main->findChild<QAction *>("mnuViewAll")->trigger();
        m_main->findChild<QAction *>(QStringLiteral("tb") + q)->trigger();
        QCOMPARE(m_main->Data1->RecordSource(), q);
        QCOMPARE(field(0) + caption(m_main), viaMenu);
    }
    m_main->findChild<QAction *>("tbViewAll")->trigger();
    QCOMPARE(m_main->Data1->RecordSource(), QStringLiteral("drinklst"));
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
}

void TestMainWindow::emptyCategoryAndMissingQuery()
{
    pvtest::execSql(m_app->catalogue(), "DROP VIEW Tropical");
    open();
    click("cmdNext");
    m_main->findChild<QAction *>("mnuBeer")->trigger();
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 0"));
    QCOMPARE(field(0), QString());
    QVERIFY(m_msgs->calls.isEmpty());
    click("cmdEndofList"); // nothing to move to: reported, not fatal
    QCOMPARE(m_msgs->calls.size(), 1);
    m_main->findChild<QAction *>("mnuGin")->trigger();
    click("cmdNext");
    m_msgs->clear();
    m_main->findChild<QAction *>("mnuTropical")->trigger();
    QCOMPARE(m_msgs->calls.size(), 1);
    QVERIFY(m_msgs->last().contains(QStringLiteral("Tropical")));
    // Still on the Gin list, at the row it showed.
    QCOMPARE(m_main->Data1->RecordSource(), QStringLiteral("Gin"));
    QCOMPARE(field(0), QStringLiteral("Gin and Tonic"));
    QCOMPARE(caption(m_main), QStringLiteral("Drink# 2"));
    QCOMPARE(Screen().mousePointer(), int(pv::vbDefault));
    click("cmdNext");
    QCOMPARE(field(0), QStringLiteral("Negroni"));
}

// Edit > Set Categories: a drink the user adds is listed under the chosen
// categories, and a category of one's own is kept as typed.
void TestMainWindow::categoriesForANewDrink()
{
    open();
    QAction *command = m_main->findChild<QAction *>("mnuEditCategories");
    QVERIFY(command);
    // Answers the dialog once it is up: the three boxes, then OK or Cancel.
    auto answer = [](QStringList typed, bool ok) {
        QTimer::singleShot(0, [typed, ok] {
            auto *d = qobject_cast<pv::CategoryDialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            for (int i = 0; i < 3; ++i) {
                d->cboCategory[size_t(i)]->lineEdit()->selectAll();
                QTest::keyClicks(d->cboCategory[size_t(i)]->lineEdit(), typed.value(i));
            }
            ok ? d->accept() : d->reject();
        });
    };
    const auto ginCount = [this] {
        return pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM Gin").value(0).toInt();
    };
    const int ginBefore = ginCount();
    click("cmdAdd");
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("House Sour"));
    answer({"Gin", "Sours of my own", ""}, true);
    command->trigger();
    // Saved as any edit: when the drink is left.
    QCOMPARE(ginCount(), ginBefore);
    click("cmdBegofFile");
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(),
                                 "SELECT Category1 || '|' || Catagory2 || '|' || coalesce(Category3, '') FROM drinklst "
                                 "WHERE DrinkName = 'House Sour'"),
             QStringList{"Gin|Sours of my own|"});
    m_main->findChild<QAction *>("mnuGin")->trigger();
    QCOMPARE(m_main->Data1->recordset().RecordCount(), ginBefore + 1);
    // The dialog shows what is stored; Cancel changes nothing.
    click("cmdEndofList");
    QCOMPARE(field(0), QStringLiteral("House Sour"));
    answer({"Rum", "", ""}, false);
    command->trigger();
    click("cmdBegofFile");
    QCOMPARE(ginCount(), ginBefore + 1);
    // The recipe card's button does what the Edit menu does.
    click("cmdEndofList");
    frmRecipeCard::open(m_main);
    auto *cardWindow = Screen().Load<frmRecipeCard>();
    QVERIFY(cardWindow->cmdCategories->isEnabled());
    answer({"Gin", "Sours of my own", "Punch"}, true);
    QTest::mouseClick(cardWindow->cmdCategories, Qt::LeftButton);
    click("cmdBegofFile");
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(),
                                 "SELECT Category3 FROM drinklst WHERE DrinkName = 'House Sour'"),
             QStringList{"Punch"});
    Screen().Unload(cardWindow);
    // Past the end there is no drink to give categories to.
    click("cmdEndofList");
    click("cmdNext");
    m_msgs->clear();
    command->trigger();
    QCOMPARE(m_msgs->calls.size(), 1);
}

// The glass box offers the twenty names as one types, and takes any text;
// a text too long for its box is its tooltip, as plain text.
void TestMainWindow::glassBoxAndLongTextsHelp()
{
    open();
    QCompleter *completer = m_main->txtGlassname->completer();
    QVERIFY(completer);
    m_main->txtGlassname->setFocus();
    m_main->txtGlassname->selectAll();
    QTest::keyClicks(m_main->txtGlassname, QStringLiteral("snif"));
    QTRY_VERIFY(completer->popup()->isVisible());
    QCOMPARE(completer->currentCompletion(), QStringLiteral("Brandy Snifter"));
    QTest::keyClick(completer->popup(), Qt::Key_Escape);
    QCOMPARE(m_main->txtGlassname->text(), QStringLiteral("snif"));

    auto *ingredient = qobject_cast<QLineEdit *>(m_main->txtFields[2]);
    const QString longName = QStringLiteral("<b>Falernum</b> & a house syrup of lime zest, clove and almond, aged");
    for (const QString &text : {QStringLiteral("Gin"), longName}) {
        ingredient->setText(text);
        const bool cut = ingredient->fontMetrics().horizontalAdvance(text) > ingredient->width();
        QCOMPARE(!ingredient->toolTip().isEmpty(), cut);
        if (cut) {
            // Shown as typed: the markup in it is text, not formatting.
            QTextDocument shown;
            shown.setHtml(ingredient->toolTip());
            QCOMPARE(shown.toPlainText().simplified(), text);
        }
    }
}

void TestMainWindow::glassPictureFollowsGlassName()
{
    pvtest::execSql(m_app->catalogue(), "UPDATE drinklst SET Glass='nothing' WHERE DrinkName='Bee''s Knees'");
    open();
    auto visible = [this] {
        QStringList v;
        for (QSvgWidget *p : m_main->glassPictures)
            if (p->isVisibleTo(m_main))
                v << p->objectName();
        return v;
    };
    QCOMPARE(visible(), QStringList{}); // no match yet: no picture
    click("cmdNext");                   // Cuba Libre, Highball
    QCOMPARE(visible(), QStringList{"picHighball"});
    m_main->txtSearchString->setText(QStringLiteral("Planter"));
    click("cmdSearch"); // Collins
    QCOMPARE(visible(), QStringList{"picCollins"});
    // A name that is none of the twenty (or no name) shows no picture
    // rather than the previous drink's.
    for (const char *unknown : {"", "collins", "Collins ", "Unknown", "Pon"}) {
        m_main->txtGlassname->setText(QStringLiteral("Collins"));
        QCOMPARE(visible(), QStringList{"picCollins"});
        m_main->txtGlassname->setText(QString::fromUtf8(unknown));
        QVERIFY2(visible().isEmpty(), unknown);
    }
    click("cmdEndofList");
    QVERIFY(!visible().isEmpty());
    click("cmdNext"); // past the last drink: no drink, no picture
    QCOMPARE(visible(), QStringList{});
    click("cmdAdd"); // a new blank row has no glass yet
    QCOMPARE(m_main->txtGlassname->text(), QString());
    QCOMPARE(visible(), QStringList{});
    m_main->txtGlassname->setFocus();
    QTest::keyClicks(m_main->txtGlassname, QStringLiteral("Pon"));
    QCOMPARE(visible(), QStringList{});
    QTest::keyClicks(m_main->txtGlassname, QStringLiteral("y"));
    QCOMPARE(visible(), QStringList{"picPony"});
    // Every glass name shows its own picture, and only it.
    for (int i = 0; i < pv::glassNames().size(); ++i) {
        m_main->txtGlassname->setText(pv::glassNames()[i]);
        QCOMPARE(visible(), QStringList{m_main->glassPictures[size_t(i)]->objectName()});
    }
    const QRect whiskeySour = m_main->findChild<QWidget *>("picWhiskeySour")->geometry();
    const QRect parfait = m_main->findChild<QWidget *>("picParfait")->geometry();
    QCOMPARE(parfait.top() - whiskeySour.top(), pv::twipsToPx(120));
    QCOMPARE(m_main->findChild<QWidget *>("picCocktail")->width(), pv::twipsToPx(1560));
}

PV_TEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"

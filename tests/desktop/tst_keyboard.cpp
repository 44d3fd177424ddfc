// Every window from the keyboard: Tab follows the layout, every input has a
// name for assistive tools, menus' access keys are unique, and the commands
// whose captions carry no access letter have keys of their own.
#include "DesktopWindows.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextEdit>

#include <algorithm>

using pv::Screen;

namespace
{

// How a window's layout is read.
enum class Reading {
    Rows,      // line by line, left to right
    Columns,   // column by column, top to bottom
    ListFirst, // the selector list column by column, then the rest line by line
};

QString nameOf(const QWidget *w)
{
    return w ? w->objectName() : QStringLiteral("(no focus)");
}

QRect placeIn(const QWidget *window, const QWidget *w)
{
    return QRect(w->mapTo(window, QPoint(0, 0)), w->size());
}

// Widgets in reading order. Two widgets stand on one line (or in one
// column) when their extents across it overlap by more than half the
// smaller one; lines are read in order of their first widget.
QList<QWidget *> readingOrder(const QWidget *window, QList<QWidget *> widgets, bool byRows)
{
    auto start = [&](QWidget *w) { return byRows ? placeIn(window, w).top() : placeIn(window, w).left(); };
    auto extent = [&](QWidget *w) { return byRows ? placeIn(window, w).height() : placeIn(window, w).width(); };
    auto along = [&](QWidget *w) { return byRows ? placeIn(window, w).left() : placeIn(window, w).top(); };
    std::stable_sort(widgets.begin(), widgets.end(), [&](QWidget *a, QWidget *b) { return start(a) < start(b); });
    QList<QList<QWidget *>> lines;
    for (QWidget *w : widgets) {
        if (!lines.isEmpty()) {
            QWidget *first = lines.last().first();
            const int overlap = std::min(start(first) + extent(first), start(w) + extent(w)) - start(w);
            if (overlap * 2 > std::min(extent(first), extent(w))) {
                lines.last() << w;
                continue;
            }
        }
        lines.append({w});
    }
    QList<QWidget *> out;
    for (QList<QWidget *> &line : lines) {
        std::stable_sort(line.begin(), line.end(), [&](QWidget *a, QWidget *b) { return along(a) < along(b); });
        out << line;
    }
    return out;
}

// What Tab can reach in the window now.
QList<QWidget *> tabStops(QWidget *window)
{
    QList<QWidget *> out;
    for (QWidget *w : window->findChildren<QWidget *>())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) && !w->focusProxy() &&
            w->window() == window)
            out << w;
    return out;
}

QList<QWidget *> layoutOrder(QWidget *window, Reading reading)
{
    const QList<QWidget *> stops = tabStops(window);
    if (reading != Reading::ListFirst)
        return readingOrder(window, stops, reading == Reading::Rows);
    // The reference windows: the item selectors (buttons or names) are one
    // list in columns; the description and Close follow.
    QList<QWidget *> list, rest;
    for (QWidget *w : stops)
        (w->objectName().startsWith(QLatin1String("txt")) || w->objectName() == QLatin1String("cmdClose") ? rest : list)
            << w;
    return readingOrder(window, list, false) + readingOrder(window, rest, true);
}

// The widgets that Tab (or Shift+Tab) visits from `from` until it comes
// back, each once: a text browser keeps the focus while Tab steps through
// its links, so repeats in a row are one stop.
QList<QWidget *> walk(QWidget *from, bool backwards)
{
    from->setFocus(Qt::TabFocusReason);
    QList<QWidget *> seen{QApplication::focusWidget()};
    for (int i = 0; i < 300; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, backwards ? Qt::ShiftModifier : Qt::NoModifier);
        QWidget *now = QApplication::focusWidget();
        if (now == from)
            break;
        if (now != seen.last())
            seen << now;
    }
    return seen;
}

QStringList names(const QList<QWidget *> &widgets)
{
    QStringList out;
    for (const QWidget *w : widgets)
        out << nameOf(w);
    return out;
}

bool takesInput(const QWidget *w)
{
    return qobject_cast<const QLineEdit *>(w) || qobject_cast<const QPlainTextEdit *>(w) ||
           qobject_cast<const QTextEdit *>(w) || qobject_cast<const QComboBox *>(w) ||
           qobject_cast<const QAbstractButton *>(w);
}

// The toolkit's own helpers inside its widgets (a line edit's clear button,
// the overflow arrows of bars) are named by the toolkit or never reached.
bool toolkitPart(const QWidget *w)
{
    return w->objectName().startsWith(QLatin1String("qt_")) || w->inherits("QLineEditIconButton");
}

QString accessibleName(QWidget *w)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void tabFollowsLayout_data();
    void tabFollowsLayout();
    void everyInputIsNamed_data();
    void everyInputIsNamed();
    void menusByKeyboard_data();
    void menusByKeyboard();

    void recordKeysWorkFromTheTextBoxes();
    void recordKeysInTheCollections_data();
    void recordKeysInTheCollections();
    void searchFromTheKeyboard();
    void referenceItemsFromTheKeyboard_data();
    void referenceItemsFromTheKeyboard();
    void startWithEnter();
    void browserCommandsHaveKeys();
    void keysThatCloseAndOpenHelp_data();
    void keysThatCloseAndOpenHelp();

private:
    QWidget *openActive(const QString &name);
    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
};

void TestKeyboard::init()
{
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
}

void TestKeyboard::cleanup()
{
    pvtest::unloadAll();
    m_msgs.reset();
    m_app.reset();
}

QWidget *TestKeyboard::openActive(const QString &name)
{
    QWidget *w = desk::open(name);
    if (w && !QTest::qWaitForWindowActive(w))
        return nullptr;
    return w;
}

void TestKeyboard::tabFollowsLayout_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("reading");
    QTest::addColumn<bool>("afterSearch");
    const auto rows = int(Reading::Rows), columns = int(Reading::Columns), list = int(Reading::ListFirst);
    QTest::newRow("start-up") << "frmSplash" << rows << false;
    QTest::newRow("main") << "frmMain" << rows << false;
    QTest::newRow("main, Find Next enabled") << "frmMain" << rows << true;
    QTest::newRow("about") << "frmAbout" << rows << false;
    QTest::newRow("help") << "frmHelp" << columns << false;
    QTest::newRow("glasses") << "frmGlasses" << list << false;
    QTest::newRow("utensils") << "frmUtensils" << list << false;
    QTest::newRow("liquors") << "frmLiquor" << list << false;
    QTest::newRow("browser") << "frmBrowser" << rows << false;
    for (const char *collection : {"frmCards", "frmDice", "frmMoney", "frmMedia", "frmSpeech", "frmBgames", "frmJoke",
                                   "frmToasting", "frmLines"})
        QTest::newRow(collection) << collection << rows << false;
}

void TestKeyboard::tabFollowsLayout()
{
    QFETCH(QString, window);
    QFETCH(int, reading);
    QFETCH(bool, afterSearch);
    QWidget *w = openActive(window);
    QVERIFY(w);
    if (afterSearch) {
        auto *m = static_cast<frmMain *>(w);
        m->txtSearchString->setText(QStringLiteral("gin"));
        m->cmdSearch_Click();
        QVERIFY(m->cmdFindNext->isEnabled());
    }

    const QList<QWidget *> expected = layoutOrder(w, Reading(reading));
    QVERIFY(!expected.isEmpty());
    QCOMPARE(names(walk(expected.first(), false)), names(expected));

    QList<QWidget *> back = expected;
    std::reverse(back.begin() + 1, back.end());
    QCOMPARE(names(walk(expected.first(), true)), names(back));
}

void TestKeyboard::everyInputIsNamed_data()
{
    QTest::addColumn<QString>("window");
    for (const QString &name : desk::windowNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestKeyboard::everyInputIsNamed()
{
    QFETCH(QString, window);
    QWidget *w = desk::open(window);
    QVERIFY(w);
    QStringList unnamed;
    int checked = 0;
    // Hidden ones too: they show with another item or tab.
    for (QWidget *c : w->findChildren<QWidget *>()) {
        if (!takesInput(c) || toolkitPart(c))
            continue;
        ++checked;
        if (accessibleName(c).trimmed().isEmpty())
            unnamed << QStringLiteral("%1 (%2)").arg(c->objectName(), QLatin1String(c->metaObject()->className()));
    }
    QVERIFY(checked > 0);
    QVERIFY2(unnamed.isEmpty(), qPrintable(unnamed.join(QStringLiteral(", "))));
}

void TestKeyboard::menusByKeyboard_data()
{
    QTest::addColumn<QString>("window");
    QTest::newRow("main") << "frmMain";
    QTest::newRow("browser") << "frmBrowser";
}

void TestKeyboard::menusByKeyboard()
{
    QFETCH(QString, window);
    auto *w = qobject_cast<QMainWindow *>(openActive(window));
    QVERIFY(w);

    QList<QWidget *> menus{w->menuBar()};
    for (QMenu *m : w->findChildren<QMenu *>())
        menus << m;
    QVERIFY(menus.size() > 1);
    for (QWidget *menu : menus) {
        QMap<QString, QString> taken;
        for (QAction *a : menu->actions()) {
            if (a->isSeparator() || !a->isVisible())
                continue;
            const QKeySequence key = QKeySequence::mnemonic(a->text());
            if (key.isEmpty())
                continue;
            const QString letter = key.toString();
            QVERIFY2(!taken.contains(letter),
                     qPrintable(QStringLiteral("%1: %2 and %3 share %4")
                                    .arg(menu->objectName(), taken.value(letter), a->text(), letter)));
            taken.insert(letter, a->text());
        }
    }

    // Every entry the program added to the designed menus has its letter.
    if (window == QLatin1String("frmMain")) {
        static const QStringList designed = {
            "mnuFilePrint", "mnuFileExit", "mnuSupplies", "mnuUtensils", "mnuGlasses", "mnuStockLiquor",
            "mnuPickuplines", "mnuToasting", "mnuJokes", "mnuDrinkingGames", "mnuDice", "mnuCards", "mnuCoins",
            "mnuBoardGames", "mnuMedia", "mnuSpeech", "mnuViewBrowser", "mnuViewToolbar", "mnuViewStatusBar",
            "mnuViewAll", "mnuAperitifs", "mnuBeer", "mnuBourbon", "mnuBrandy", "mnuCordials", "mnuGin", "mnuHot",
            "mnuNonAlcoholic", "mnuPunch", "mnuRum", "mnuScotch", "mnuTequila", "mnuTropical", "mnuVodka",
            "mnuWhiskey", "mnuWine", "mnuHelpContents", "mnuHelpSearch", "mnuHelpAbout"};
        QStringList without;
        for (QMenu *m : w->findChildren<QMenu *>())
            for (QAction *a : m->actions()) {
                const QString name = a->menu() ? a->menu()->objectName() : a->objectName();
                if (!a->isSeparator() && !designed.contains(name) && QKeySequence::mnemonic(a->text()).isEmpty())
                    without << a->text();
            }
        QVERIFY2(without.isEmpty(), qPrintable(without.join(QStringLiteral(", "))));
    }

    // Alt alone opens the menu bar, so a menu whose title has no letter is
    // reached with the arrow keys.
    QTest::keyPress(QApplication::focusWidget(), Qt::Key_Alt, Qt::AltModifier);
    QTest::keyRelease(QApplication::focusWidget(), Qt::Key_Alt);
    QTRY_VERIFY(w->menuBar()->activeAction());
    QCOMPARE(w->menuBar()->activeAction(), w->menuBar()->actions().first());
    QTest::keyClick(w->menuBar(), Qt::Key_Escape);
}

void TestKeyboard::recordKeysWorkFromTheTextBoxes()
{
    auto *m = static_cast<frmMain *>(openActive(QStringLiteral("frmMain")));
    QVERIFY(m);
    QCOMPARE(m->Data1->Caption(), QStringLiteral("Drink# 1"));
    const QStringList captions{m->cmdBegofFile->text(), m->cmdPrevious->text(), m->cmdNext->text(),
                               m->cmdEndofList->text()};
    QCOMPARE(captions, (QStringList{"Beginning", "Previous", "Next", "End of List"}));

    // From a one-line box and from the directions box alike.
    m->txtFields[1]->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::AltModifier);
    QTRY_COMPARE(m->Data1->Caption(), QStringLiteral("Drink# 2"));
    m->txtFields[21]->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::AltModifier);
    QTRY_COMPARE(m->Data1->Caption(), QStringLiteral("Drink# 8"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::AltModifier);
    QTRY_COMPARE(m->Data1->Caption(), QStringLiteral("Drink# 7"));
    m->txtGlassname->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::AltModifier);
    QTRY_COMPARE(m->Data1->Caption(), QStringLiteral("Drink# 1"));

    // The keys press the buttons, so the buttons' own rules hold: a second
    // Previous before the first row gives the message.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::AltModifier);
    QTRY_COMPARE(m->Data1->Caption(), QStringLiteral("Drink# 0"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::AltModifier);
    QTRY_COMPARE(m_msgs->last(), QStringLiteral("You are already at the beginning of the list of drinks!"));
}

void TestKeyboard::recordKeysInTheCollections_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("prefix");
    QTest::newRow("games") << "frmCards"
                           << "Game # ";
    QTest::newRow("sayings") << "frmToasting"
                             << "Catagory #: ";
}

void TestKeyboard::recordKeysInTheCollections()
{
    QFETCH(QString, window);
    QFETCH(QString, prefix);
    QWidget *w = openActive(window);
    QVERIFY(w);
    auto *rows = w->findChild<pv::DataControl *>(QStringLiteral("datPrimaryRS"));
    QVERIFY(rows);
    QCOMPARE(rows->Caption(), prefix + QStringLiteral("1"));
    auto *text = w->findChild<QPlainTextEdit *>();
    text->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::AltModifier);
    QTRY_COMPARE(rows->Caption(), prefix + QStringLiteral("2"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_End, Qt::AltModifier);
    QTRY_COMPARE(rows->Caption(), prefix + QStringLiteral("3"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home, Qt::AltModifier);
    QTRY_COMPARE(rows->Caption(), prefix + QStringLiteral("1"));
    QVERIFY(text->hasFocus());
    // Close keeps its designed access letter.
    auto *form = dynamic_cast<pv::Form *>(w);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    QTRY_VERIFY(!Screen().isLoaded(form));
}

void TestKeyboard::searchFromTheKeyboard()
{
    auto *m = static_cast<frmMain *>(openActive(QStringLiteral("frmMain")));
    QVERIFY(m);
    QCOMPARE(m->cmdSearch->text(), QStringLiteral("Search..."));
    QCOMPARE(m->cmdFindNext->text(), QStringLiteral("Find Next..."));

    m->txtSearchString->setText(QStringLiteral("old text"));
    m->txtFields[3]->setFocus();
    QTest::keySequence(QApplication::focusWidget(), QKeySequence::Find);
    QVERIFY(m->txtSearchString->hasFocus());
    // What was there is chosen, so typing replaces it.
    QCOMPARE(m->txtSearchString->selectedText(), QStringLiteral("old text"));
    QTest::keyClicks(m->txtSearchString, QStringLiteral("gin"));
    QTest::keyClick(m->txtSearchString, Qt::Key_Return);
    QCOMPARE(m->fieldText(0), QStringLiteral("Gin and Tonic"));

    QTest::keyClick(m->txtSearchString, Qt::Key_F3);
    QTRY_COMPARE(m->fieldText(0), QStringLiteral("Pink Gin"));
    QTest::keyClick(m->txtSearchString, Qt::Key_F3);
    QTRY_COMPARE(m_msgs->last(), QStringLiteral("There are no more drinks that match your search"));
    QVERIFY(!m->cmdFindNext->isEnabled());
    // A disabled Find Next... is not pressed by its key either.
    const qsizetype shown = m_msgs->calls.size();
    QTest::keyClick(m->txtSearchString, Qt::Key_F3);
    QTest::qWait(300);
    QCOMPARE(m_msgs->calls.size(), shown);
}

void TestKeyboard::referenceItemsFromTheKeyboard_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("selector");
    QTest::addColumn<QString>("description");
    QTest::newRow("glasses") << "frmGlasses"
                             << "cmdCocktail"
                             << "txtCocktail";
    QTest::newRow("utensils") << "frmUtensils"
                              << "lblShaker"
                              << "txtShaker";
    QTest::newRow("liquors") << "frmLiquor"
                             << "lblGin"
                             << "txtGin";
}

void TestKeyboard::referenceItemsFromTheKeyboard()
{
    QFETCH(QString, window);
    QFETCH(QString, selector);
    QFETCH(QString, description);
    QWidget *w = openActive(window);
    QVERIFY(w);
    auto *item = w->findChild<QWidget *>(selector);
    auto *text = w->findChild<QWidget *>(description);
    QVERIFY(item && text);
    QVERIFY(!text->isVisible());

    // Every item is a Tab stop; Space on the focused item shows it, and Tab
    // then reaches its description.
    QVERIFY(tabStops(w).contains(item));
    item->setFocus(Qt::TabFocusReason);
    QVERIFY(item->hasFocus());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QTRY_VERIFY(text->isVisible());
    QVERIFY(walk(item, false).contains(text));

    // Assistive tools see a button they can press.
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(item);
    QVERIFY(face);
    QCOMPARE(face->role(), QAccessible::Button);
    QVERIFY(face->actionInterface());
    QVERIFY(!accessibleName(text).isEmpty());

    // Esc closes the window as Close does; its caption stays "Close".
    auto *close = w->findChild<QPushButton *>(QStringLiteral("cmdClose"));
    QCOMPARE(close->text(), QStringLiteral("Close"));
    auto *form = dynamic_cast<pv::Form *>(w);
    QTest::keyClick(text, Qt::Key_Escape);
    QTRY_VERIFY(!Screen().isLoaded(form));
}

void TestKeyboard::keysThatCloseAndOpenHelp_data()
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<QKeySequence>("key");
    for (const char *name : {"frmCards", "frmJoke", "frmToasting", "frmLines"})
        QTest::newRow(name) << QString::fromLatin1(name) << QKeySequence(Qt::Key_Escape);
    QTest::newRow("frmHelp, Esc") << QStringLiteral("frmHelp") << QKeySequence(Qt::Key_Escape);
    QTest::newRow("frmHelp, Ctrl+W") << QStringLiteral("frmHelp") << QKeySequence(Qt::CTRL | Qt::Key_W);
    // F1 opens the help instead.
    QTest::newRow("frmMain, F1") << QStringLiteral("frmMain") << QKeySequence(Qt::Key_F1);
}

void TestKeyboard::keysThatCloseAndOpenHelp()
{
    QFETCH(QString, window);
    QFETCH(QKeySequence, key);
    QWidget *w = openActive(window);
    QVERIFY(w);
    auto *form = dynamic_cast<pv::Form *>(w);
    QVERIFY(Screen().isLoaded(form));
    if (window == QLatin1String("frmMain"))
        Screen().App().HelpFile = desk::helpFile();
    // From whatever box has the focus.
    QWidget *focus = QApplication::focusWidget() ? QApplication::focusWidget() : w;
    QTest::keySequence(focus, key);
    if (key == QKeySequence(Qt::Key_F1)) {
        auto viewer = [] {
            for (pv::Form *f : Screen().forms())
                if (auto *h = dynamic_cast<frmHelp *>(f))
                    return h;
            return static_cast<frmHelp *>(nullptr);
        };
        QTRY_VERIFY(viewer() && viewer()->isVisible() && !viewer()->brwHelp->source().isEmpty());
        frmHelp *help = viewer();
        QCOMPARE(help->tabNavigation->currentWidget(), help->tabContents);
        QVERIFY(Screen().isLoaded(form));
    } else {
        QTRY_VERIFY(!Screen().isLoaded(form));
    }
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestKeyboard::startWithEnter()
{
    bool started = false;
    const auto previous = frmSplash::openMainWindow;
    frmSplash::openMainWindow = [&started] { started = true; };
    auto *splash = static_cast<frmSplash *>(openActive(QStringLiteral("frmSplash")));
    QVERIFY(splash);
    QCOMPARE(splash->cmdStart->text(), QStringLiteral("Start"));
    QVERIFY(splash->cmdStart->hasFocus());
    QTest::keyClick(splash->cmdStart, Qt::Key_Return);
    frmSplash::openMainWindow = previous;
    QVERIFY(started);
    QVERIFY(!Screen().isLoaded(splash));
}

void TestKeyboard::browserCommandsHaveKeys()
{
    auto *b = static_cast<frmBrowser *>(openActive(QStringLiteral("frmBrowser")));
    QVERIFY(b);
    auto *page = static_cast<FakePage *>(b->page());
    auto *address = b->findChild<QComboBox *>(QStringLiteral("cboAddress"));
    QVERIFY(address->hasFocus());

    const QList<QPair<QKeySequence, QString>> keys{
        {QKeySequence(Qt::ALT | Qt::Key_Left), "GoBack"},
        {QKeySequence(Qt::ALT | Qt::Key_Right), "GoForward"},
        {QKeySequence(Qt::Key_F5), "Refresh"},
        {QKeySequence(Qt::ALT | Qt::Key_Home), "GoHome"},
        {QKeySequence(Qt::CTRL | Qt::Key_E), "GoSearch"},
        {QKeySequence(Qt::Key_Escape), "Stop"},
    };
    for (const auto &[key, call] : keys) {
        page->calls.clear();
        QTest::keySequence(QApplication::focusWidget(), key);
        QVERIFY2(page->calls == QStringList{call},
                 qPrintable(key.toString() + QStringLiteral(" gave ") + page->calls.join(QLatin1Char(' '))));
    }
    // The toolbar keeps showing icons only; the tips name the keys.
    auto *back = b->findChild<QAction *>(QStringLiteral("tbBack"));
    QCOMPARE(back->text(), QStringLiteral("Back"));
    QVERIFY(back->toolTip().startsWith(QStringLiteral("Back (")));

    QTest::keySequence(QApplication::focusWidget(), QKeySequence(Qt::CTRL | Qt::Key_W));
    QTRY_VERIFY(!Screen().isLoaded(b));
}

PV_TEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"

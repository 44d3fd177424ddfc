// The My Bar window and the main window's list of drinks I can make, driven
// as a person would on the small fixture catalogue.
#include "TestSupport.h"

#include "browser/RecipeLayout.h"
#include "browser/frmMain.h"
#include "mybar/MyBar.h"
#include "mybar/frmBarPlan.h"
#include "mybar/frmMyBar.h"

#include <QApplication>
#include <QClipboard>
#include <QSettings>

using pv::Screen;

namespace {

// The printer seam: what would be printed, bold lines marked with '*'.
class LineRecorder : public pv::LinePrinter {
public:
    QStringList lines;
    bool ended = false;
    void setFontSize(int) override {}
    void setFontBold(bool on) override { m_bold = on; }
    void printLine(const QString &text) override { lines << (m_bold ? QStringLiteral("*") : QString()) + text; }
    void endDoc() override { ended = true; }

private:
    bool m_bold = false;
};

} // namespace

class TestMyBar : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void tickingFollowsAndShowsADrink();
    void canMakeListThroughAnEdit();
    void canMakeFollowsTheTicks();
    void damagedSettingsAreReadAsFarAsTheyGo();
    void rulesOfMyOwnAndAPlan();

private:
    frmMain *openMain();
    frmMyBar *openMyBar();
    void tick(frmMyBar *bar, const QString &name);
    QTreeWidgetItem *row(QTreeWidget *list, const QString &text);

    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    frmMain *m_main = nullptr;
};

void TestMyBar::init()
{
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
}

void TestMyBar::cleanup()
{
    pvtest::unloadAll();
    m_main = nullptr;
    m_msgs.reset();
    m_app.reset();
}

frmMain *TestMyBar::openMain()
{
    m_main = Screen().Load<frmMain>();
    Screen().Show(m_main);
    for (int i = 0; i < 50 && !m_main->Data1->cursor(); ++i)
        QTest::qWait(10);
    return m_main;
}

frmMyBar *TestMyBar::openMyBar()
{
    m_main->findChild<QAction *>(QStringLiteral("mnuMyBar"))->trigger();
    frmMyBar *bar = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *b = qobject_cast<frmMyBar *>(w))
            bar = b;
    return bar;
}

QTreeWidgetItem *TestMyBar::row(QTreeWidget *list, const QString &text)
{
    const auto found = list->findItems(text, Qt::MatchExactly | Qt::MatchRecursive, 0);
    return found.isEmpty() ? nullptr : found.first();
}

void TestMyBar::tick(frmMyBar *bar, const QString &name)
{
    // Find it with the filter box, then Space on the row, as from the keyboard.
    bar->txtFilter->clear();
    pvtest::typeText(bar->txtFilter, name);
    QTreeWidgetItem *item = row(bar->tvwIngredients, name);
    QVERIFY2(item && !item->isHidden(), qPrintable(name));
    bar->tvwIngredients->setFocus();
    bar->tvwIngredients->setCurrentItem(item);
    QTest::keyClick(bar->tvwIngredients, Qt::Key_Space);
}

void TestMyBar::tickingFollowsAndShowsADrink()
{
    openMain();
    frmMyBar *bar = openMyBar();
    QVERIFY(bar && bar->isVisible());
    QCOMPARE(bar->lblCanMake->text(), QStringLiteral("&Can make now (0)"));
    // The filter hides what does not match, whole groups included.
    pvtest::typeText(bar->txtFilter, QStringLiteral("vermo"));
    QVERIFY(!row(bar->tvwIngredients, "Sweet Vermouth")->isHidden());
    QVERIFY(row(bar->tvwIngredients, "Gin")->isHidden());
    QVERIFY(row(bar->tvwIngredients, "Spirits")->isHidden());
    QCOMPARE(row(bar->tvwIngredients, "Gin")->text(1), QStringLiteral("4"));

    const QList<std::tuple<QString, QString, QString>> steps = {
        {"Gin", "&Can make now (0)", "&One away (2)"}, // Gin and Tonic, Pink Gin
        {"Tonic Water", "&Can make now (1)", "&One away (1)"},
        {"Campari", "&Can make now (1)", "&One away (2)"}, // Negroni wants vermouth
        {"Sweet Vermouth", "&Can make now (2)", "&One away (1)"},
    };
    for (const auto &[name, can, away] : steps) {
        tick(bar, name);
        QCOMPARE(bar->lblCanMake->text(), can);
        QCOMPARE(bar->lblOneAway->text(), away);
    }
    QCOMPARE(row(bar->lstOneAway, "Pink Gin")->text(1), QStringLiteral("needs Angostura Bitters"));
    // Angostura completes Pink Gin; Manhattan still wants rye.
    QCOMPARE(bar->buyNextLines().mid(0, 2), (QStringList{"Angostura Bitters (+1)", "    Pink Gin"}));
    LineRecorder printed;
    bar->layoutBuyNext(printed);
    QVERIFY(printed.ended);
    QCOMPARE(printed.lines, (QStringList{"*My Bar: Buy next", "", "*Angostura Bitters (+1)", "    Pink Gin"}));
    bar->cmdCopyBuyNext->click();
    QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral("Buy next\nAngostura Bitters (+1)\n")));
    QVERIFY(pv::loadShelf().have.contains(QStringLiteral("Campari")));

    // Untick again: the counts go back at once.
    tick(bar, QStringLiteral("Campari"));
    QCOMPARE(bar->lblCanMake->text(), QStringLiteral("&Can make now (1)"));
    tick(bar, QStringLiteral("Campari"));

    QTreeWidgetItem *negroni = row(bar->lstCanMake, "Negroni");
    QVERIFY(negroni);
    const QRect r = bar->lstCanMake->visualItemRect(negroni);
    QTest::mouseClick(bar->lstCanMake->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(bar->lstCanMake->viewport(), Qt::LeftButton, {}, r.center());
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Negroni"));
    // Enter on another list's drink does the same.
    QTreeWidgetItem *pink = row(bar->lstOneAway, "Pink Gin");
    bar->lstOneAway->setFocus();
    bar->lstOneAway->setCurrentItem(pink);
    QTest::keyClick(bar->lstOneAway, Qt::Key_Return);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Pink Gin"));
    QVERIFY(m_msgs->calls.isEmpty());

    // One window at a time.
    QCOMPARE(openMyBar(), bar);
}

void TestMyBar::canMakeListThroughAnEdit()
{
    pv::saveShelf(pv::BarShelf{{"Gin", "Tonic Water", "Campari", "Sweet Vermouth"}, {}, {}, {}});
    openMain();
    m_main->findChild<QAction *>(QStringLiteral("mnuCanMake"))->trigger();
    QCOMPARE(m_main->Data1->recordset().RecordCount(), 2);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Gin and Tonic"));

    // Tonic becomes ginger beer: the drink is no longer makeable, but stays
    // in the list until the user asks for it again.
    auto *ing2 = qobject_cast<QLineEdit *>(m_main->txtFields[4]);
    ing2->selectAll();
    pvtest::typeText(ing2, QStringLiteral("Ginger Beer"));
    QTest::mouseClick(m_main->cmdNext, Qt::LeftButton);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Negroni"));
    QTest::mouseClick(m_main->cmdPrevious, Qt::LeftButton);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Gin and Tonic"));
    QCOMPARE(m_main->fieldText(4), QStringLiteral("Ginger Beer"));
    QCOMPARE(m_main->Data1->recordset().RecordCount(), 2);

    // Search works in that list as in a category.
    m_main->txtSearchString->setText(QStringLiteral("negr"));
    QTest::mouseClick(m_main->cmdSearch, Qt::LeftButton);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Negroni"));

    m_main->findChild<QAction *>(QStringLiteral("mnuCanMake"))->trigger();
    QCOMPARE(m_main->Data1->recordset().RecordCount(), 1);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Negroni"));

    // Nothing makeable any more: the list follows, empty, and the command
    // says why.
    pv::saveShelf(pv::BarShelf{{}, {}, {}, {}});
    QCOMPARE(m_main->Data1->recordset().RecordCount(), 0);
    m_main->findChild<QAction *>(QStringLiteral("mnuCanMake"))->trigger();
    QCOMPARE(m_msgs->calls.size(), 1);
}

void TestMyBar::canMakeFollowsTheTicks()
{
    pv::saveShelf(pv::BarShelf{{"Gin", "Tonic Water", "Campari", "Sweet Vermouth"}, {}, {}, {}});
    openMain();
    m_main->findChild<QAction *>(QStringLiteral("mnuCanMake"))->trigger();
    QTest::mouseClick(m_main->cmdNext, Qt::LeftButton);
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Negroni"));
    frmMyBar *bar = openMyBar();
    // Each tick changes the main window's list at once; the drink on screen
    // stays while it is still in the list.
    const QList<std::tuple<QString, int, QString>> steps = {
        {"Angostura Bitters", 3, "Negroni"}, // Pink Gin joins
        {"Tonic Water", 2, "Negroni"},       // Gin and Tonic leaves
        {"Campari", 1, "Pink Gin"},          // the drink on screen leaves
    };
    for (const auto &[name, count, shown] : steps) {
        tick(bar, name);
        QCOMPARE(m_main->Data1->recordset().RecordCount(), count);
        QCOMPARE(m_main->fieldText(0), shown);
    }
    // Another list stops the following.
    m_main->findChild<QAction *>(QStringLiteral("mnuViewAll"))->trigger();
    const int all = m_main->Data1->recordset().RecordCount();
    tick(bar, QStringLiteral("Campari"));
    QCOMPARE(m_main->Data1->recordset().RecordCount(), all);
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestMyBar::damagedSettingsAreReadAsFarAsTheyGo()
{
    {
        QSettings s(QStringLiteral("Pourvale"), QStringLiteral("Pourvale"));
        s.setValue(QStringLiteral("MyBar/Have"), QStringList{"gin", "", "No Such Bottle", "  TONIC water "});
        s.setValue(QStringLiteral("MyBar/Without"), 42);
        s.setValue(QStringLiteral("MyBar/Substitutes"), QStringLiteral("perhaps"));
        s.setValue(QStringLiteral("MyBar/Garnishes"), QVariantMap{{"x", 1}});
    }
    openMain();
    frmMyBar *bar = openMyBar();
    QVERIFY(bar);
    QCOMPARE(bar->lblCanMake->text(), QStringLiteral("&Can make now (1)"));
    QVERIFY(!bar->chkSubstitutes->isChecked());
    QVERIFY(!bar->chkGarnishes->isChecked());
    QVERIFY(m_msgs->calls.isEmpty());
    // A tick keeps the name the catalogue does not know.
    tick(bar, QStringLiteral("Campari"));
    QVERIFY(pv::loadShelf().have.contains(QStringLiteral("No Such Bottle")));
}

void TestMyBar::rulesOfMyOwnAndAPlan()
{
    openMain();
    frmMyBar *bar = openMyBar();
    for (const char *name : {"Gin", "Tonic Water", "Campari", "Sweet Vermouth"})
        tick(bar, QString::fromLatin1(name));
    QCOMPARE(bar->lblOneAway->text(), QStringLiteral("&One away (1)")); // Pink Gin

    // "I count gin as rye", typed as a person types, in any case.
    pvtest::typeText(bar->cboCountAs->lineEdit(), QStringLiteral("gin"));
    pvtest::typeText(bar->cboCountAsTarget->lineEdit(), QStringLiteral("rye whiskey"));
    bar->cmdAddCountAs->click();
    QCOMPARE(bar->lstCountAs->count(), 1);
    QCOMPARE(bar->lstCountAs->item(0)->text(), QStringLiteral("I count Gin as Rye Whiskey"));
    QCOMPARE(bar->lblOneAway->text(), QStringLiteral("&One away (2)")); // and the Manhattan
    QCOMPARE(pv::loadShelf().countAs, QStringList{"Gin=Rye Whiskey"});
    pvtest::typeText(bar->cboCountAs->lineEdit(), QStringLiteral("Moon Dust"));
    bar->cmdAddCountAs->click();
    QVERIFY2(m_msgs->last().contains(QStringLiteral("\"Moon Dust\" is not an ingredient")), qPrintable(m_msgs->last()));
    bar->lstCountAs->setCurrentRow(0);
    bar->cmdRemoveCountAs->click();
    QCOMPARE(bar->lstCountAs->count(), 0);
    QCOMPARE(bar->lblOneAway->text(), QStringLiteral("&One away (1)"));

    bar->cmdPlan->click();
    frmBarPlan *plan = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *p = qobject_cast<frmBarPlan *>(w))
            plan = p;
    QVERIFY(plan && plan->isVisible());
    auto settle = [plan] {
        for (int i = 0; i < 1000 && plan->busy(); ++i)
            QTest::qWait(10);
        return !plan->busy();
    };
    plan->spnBottles->setFocus();
    QTest::keyClick(plan->spnBottles, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(plan->spnBottles, QStringLiteral("2"));
    QVERIFY(settle());
    QCOMPARE(plan->spnBottles->value(), 2);
    QStringList bottles;
    for (int i = 0; i < plan->lstPlanBottles->topLevelItemCount(); ++i)
        bottles << plan->lstPlanBottles->topLevelItem(i)->text(0);
    // Bitters and rye add the Pink Gin and the Manhattan; nothing else adds two.
    QVERIFY2(bottles == (QStringList{"Angostura Bitters", "Rye Whiskey"}),
             qPrintable(plan->lblPlan->text() + bottles.join(",")));
    QVERIFY2(plan->lblPlan->text().contains(QStringLiteral("this is the best plan")),
             qPrintable(plan->lblPlan->text()));
    plan->cmdCopyPlan->click();
    QVERIFY(QApplication::clipboard()->text().startsWith(QStringLiteral(
        "Shopping list: 2 bottles for 2 more drinks (4 in all, the best possible)\n[ ] Angostura Bitters\n")));
    // The curve: the best plan for each number is never below one at a time.
    QCOMPARE(plan->bestCurve().size(), 31);
    QCOMPARE(plan->stepCurve().size(), 31);
    for (int n = 0; n <= 30; ++n)
        QVERIFY(plan->bestCurve()[n] >= plan->stepCurve()[n]);
    QCOMPARE(plan->bestCurve()[2], 4);
    // Never buy the bitters: the plan goes without them, and remembers it.
    plan->cmdNever->click();
    QVERIFY(settle());
    QCOMPARE(plan->lstNever->count(), 1);
    QVERIFY(plan->lstPlanBottles->findItems(QStringLiteral("Angostura Bitters"), Qt::MatchExactly).isEmpty());
    QCOMPARE(QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).value("MyBar/NeverBuy").toStringList(),
             QStringList{"Angostura Bitters"});
}

PV_TEST_MAIN(TestMyBar)
#include "tst_mybar.moc"

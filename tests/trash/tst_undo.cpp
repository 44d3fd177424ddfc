// Undo, Redo and Recently Deleted through the real windows, and the drink
// that cannot be saved without a name.
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "collections/CollectionBrowser.h"
#include "data/Catalogue.h"
#include "data/DataError.h"
#include "data/RowHistory.h"
#include "trash/frmRecentlyDeleted.h"
#include "ui/DataControl.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>

using namespace pv;

namespace {

QStringList rows(const QString &catalogue, const QString &table = QStringLiteral("drinklst"))
{
    QStringList cols;
    if (table == QLatin1String("drinklst"))
        for (const QString &c : drinkColumns())
            cols << QStringLiteral("coalesce(\"%1\", '~')").arg(c);
    else
        cols << QStringLiteral("ID") << QStringLiteral("joke");
    return pvtest::queryColumn(catalogue, QStringLiteral("SELECT rowid || '|' || %1 FROM \"%2\" ORDER BY rowid")
                                              .arg(cols.join(QStringLiteral(" || '|' || ")), table));
}

QAction *action(QWidget *w, const char *name)
{
    return w->findChild<QAction *>(QLatin1String(name));
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { RowHistory::instance().clear(); }
    void cleanup() { pvtest::unloadAll(); }
    void menusStandWhereDesktopsHaveThem();
    void deleteUndoQuitRestore();
    void editsUndoAndTypingKeepsItsOwnUndo();
    void deleteForGoodAndThirtyDays();
    void noNamelessDrink();
};

void TestUndo::menusStandWhereDesktopsHaveThem()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    auto *main = Screen().Load<frmMain>();
    QStringList top;
    for (QAction *a : main->menuBar()->actions())
        top << a->text();
    QCOMPARE(top.mid(0, 2), (QStringList{"&File", "&Edit"}));
    QStringList edit;
    for (QAction *a : main->findChild<QMenu *>("mnuEdit")->actions())
        edit << a->text() + QLatin1Char('=') + a->shortcut().toString();
    QCOMPARE(edit.mid(0, 2), (QStringList{"&Undo=Ctrl+Z", "&Redo=Ctrl+Shift+Z"}));
    QStringList file;
    for (QAction *a : main->findChild<QMenu *>("mnuFile")->actions())
        if (!a->isSeparator())
            file << a->objectName();
    QCOMPARE(file.mid(file.size() - 2), (QStringList{"mnuFileRecentlyDeleted", "mnuFileExit"}));
    QCOMPARE(action(main, "mnuFileRecentlyDeleted")->text(), QStringLiteral("&Recently Deleted\u2026"));
}

void TestUndo::deleteUndoQuitRestore()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    const QString cat = app.catalogue();
    pvtest::execSql(cat, "UPDATE drinklst SET Glass = 'Rocks', Category3 = 'Tiki' WHERE DrinkName = 'Manhattan'");
    const QStringList drinks = rows(cat), jokes = rows(cat, "joke");
    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    QTest::mouseClick(main->cmdNext, Qt::LeftButton);
    for (int i = 0; i < 3; ++i)
        QTest::mouseClick(main->cmdDelete, Qt::LeftButton);
    QCOMPARE(main->fieldText(0), QStringLiteral("Negroni"));
    auto *jokeWindow = pvtest::loadCollection("frmJoke");
    Screen().Show(jokeWindow);
    QTRY_VERIFY(jokeWindow->findChild<DataControl *>("datPrimaryRS")->cursor());
    QTest::mouseClick(jokeWindow->findChild<QPushButton *>("cmdDelete"), Qt::LeftButton);
    QCOMPARE(rows(cat, "joke").size(), jokes.size() - 1);

    // Each window undoes its own table: the joke window's entry names the joke.
    QVERIFY(action(jokeWindow, "mnuEditUndo")->text().startsWith("&Undo Delete joke #"));
    QCOMPARE(action(main, "mnuEditUndo")->text(), QStringLiteral("&Undo Delete Manhattan"));
    // Ctrl+Z in a box that has nothing typed reaches the window's Undo.
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    main->txtFields[0]->setFocus();
    QTest::keyClick(main->txtFields[0], Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(main->fieldText(0), QStringLiteral("Manhattan"));
    QCOMPARE(main->Data1->Caption(), QStringLiteral("Drink# 2"));
    action(main, "mnuEditUndo")->trigger();
    QCOMPARE(main->fieldText(0), QStringLiteral("Gin and Tonic"));
    QCOMPARE(action(main, "mnuEditRedo")->text(), QStringLiteral("&Redo Delete Gin and Tonic"));
    QTest::keyClick(main->txtFields[0], Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(main->fieldText(0), QStringLiteral("Manhattan"));
    action(main, "mnuEditUndo")->trigger();
    QCOMPARE(main->fieldText(0), QStringLiteral("Gin and Tonic"));
    QCOMPARE(action(main, "mnuEditUndo")->text(), QStringLiteral("&Undo Delete Cuba Libre"));
    QCOMPARE(msgs.prompts(), QStringList());

    // Quit; the next session finds the rest in Recently Deleted.
    pvtest::unloadAll();
    RowHistory::instance().clear();
    main = Screen().Load<frmMain>();
    Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    QVERIFY(!action(main, "mnuEditUndo")->isEnabled());
    action(main, "mnuFileRecentlyDeleted")->trigger();
    auto *bin = Screen().Load<frmRecentlyDeleted>();
    QVERIFY(bin->isVisible());
    QStringList listed;
    for (int i = 0; i < bin->grdDeleted->topLevelItemCount(); ++i)
        listed << bin->grdDeleted->topLevelItem(i)->text(0) + '|' + bin->grdDeleted->topLevelItem(i)->text(1);
    QCOMPARE(listed.size(), 2);
    QVERIFY2(listed[0].startsWith("joke #") && listed[0].endsWith("|Jokes") && listed[1] == "Cuba Libre|Drinks",
             qPrintable(listed.join(", ")));
    bin->grdDeleted->selectAll();
    QTest::mouseClick(bin->cmdRestore, Qt::LeftButton);
    QCOMPARE(bin->grdDeleted->topLevelItemCount(), 0);
    QCOMPARE(bin->lblInfo->text(), QStringLiteral("Nothing was deleted in the last 30 days."));
    // Every field back, each row at its place, Manhattan's odd glass too.
    QCOMPARE(rows(cat), drinks);
    QCOMPARE(rows(cat, "joke"), jokes);
    // The main window shows the drink put back, and can take it away again.
    QCOMPARE(main->fieldText(0), QStringLiteral("Cuba Libre"));
    QCOMPARE(action(main, "mnuEditUndo")->text(), QStringLiteral("&Undo Restore Cuba Libre"));
    QCOMPARE(msgs.prompts(), QStringList());
}

void TestUndo::editsUndoAndTypingKeepsItsOwnUndo()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    const QString cat = app.catalogue();
    const QStringList before = rows(cat);
    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    main->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(main));
    auto *directions = main->findChild<QPlainTextEdit *>("txtFields(21)");
    directions->setFocus();
    QTest::keyClicks(directions, " Twice.");
    // The box takes back its own typing first.
    QTest::keyClick(directions, Qt::Key_Z, Qt::ControlModifier);
    QVERIFY(!directions->toPlainText().startsWith(" Twice."));
    QTest::keyClicks(directions, " Twice.");
    QTest::mouseClick(main->cmdNext, Qt::LeftButton);
    QVERIFY(rows(cat) != before);
    QCOMPARE(action(main, "mnuEditUndo")->text(), QStringLiteral("&Undo Edit Bee's Knees"));
    action(main, "mnuEditUndo")->trigger();
    QCOMPARE(rows(cat), before);
    QCOMPARE(main->fieldText(0), QStringLiteral("Bee's Knees"));
    QCOMPARE(action(main, "mnuEditRedo")->text(), QStringLiteral("&Redo Edit Bee's Knees"));
    action(main, "mnuEditRedo")->trigger();
    QVERIFY(directions->toPlainText().startsWith(" Twice."));
    // Typing not yet saved: Undo saves it and takes it back, Redo brings it.
    QTest::keyClicks(main->txtFields[0], " Royale");
    QCOMPARE(action(main, "mnuEditUndo")->text(), QStringLiteral("&Undo Typing"));
    action(main, "mnuEditUndo")->trigger();
    QCOMPARE(main->fieldText(0), QStringLiteral("Bee's Knees"));
    action(main, "mnuEditRedo")->trigger();
    QCOMPARE(main->fieldText(0), QStringLiteral(" RoyaleBee's Knees"));
    // An added drink undone goes to Recently Deleted, not into nothing.
    QTest::mouseClick(main->cmdAdd, Qt::LeftButton);
    QTest::keyClicks(main->txtFields[0], "House Sour");
    QTest::mouseClick(main->cmdNext, Qt::LeftButton);
    QCOMPARE(action(main, "mnuEditUndo")->text(), QStringLiteral("&Undo Add House Sour"));
    action(main, "mnuEditUndo")->trigger();
    QCOMPARE(pvtest::queryColumn(cat, "SELECT caption FROM pv_deleted"), QStringList{"House Sour"});
    QCOMPARE(msgs.prompts(), QStringList());
}

void TestUndo::deleteForGoodAndThirtyDays()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    const QString cat = app.catalogue();
    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    QTest::mouseClick(main->cmdDelete, Qt::LeftButton);
    QTest::mouseClick(main->cmdDelete, Qt::LeftButton);
    // One entry from 31 days ago is past keeping.
    pvtest::execSql(cat, "UPDATE pv_deleted SET deleted_at = deleted_at - 31 * 86400 WHERE caption = 'Cuba Libre'");
    action(main, "mnuFileRecentlyDeleted")->trigger();
    auto *bin = Screen().Load<frmRecentlyDeleted>();
    QCOMPARE(bin->grdDeleted->topLevelItemCount(), 1);
    QCOMPARE(pvtest::queryColumn(cat, "SELECT caption FROM pv_deleted"), QStringList{"Bee's Knees"});
    bin->grdDeleted->topLevelItem(0)->setSelected(true);
    msgs.yesNoAnswer = vbNo;
    QTest::mouseClick(bin->cmdForget, Qt::LeftButton);
    QCOMPARE(msgs.last(), QStringLiteral("Delete Bee's Knees for good? This cannot be undone."));
    QCOMPARE(bin->grdDeleted->topLevelItemCount(), 1);
    msgs.yesNoAnswer = vbYes;
    QTest::keyClick(bin->grdDeleted, Qt::Key_Delete);
    QCOMPARE(bin->grdDeleted->topLevelItemCount(), 0);
    QCOMPARE(pvtest::queryColumn(cat, "SELECT count(*) FROM pv_deleted"), QStringList{"0"});
    // Undo of a drink deleted for good says so and lets the older steps be.
    msgs.clear();
    action(main, "mnuEditUndo")->trigger();
    QCOMPARE(msgs.prompts(), QStringList{DataError(ErrRecordDeleted).message()});
    QCOMPARE(action(main, "mnuEditUndo")->text(), QStringLiteral("&Undo Delete Bee's Knees"));
}

void TestUndo::noNamelessDrink()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    const QString cat = app.catalogue();
    const QStringList before = rows(cat);
    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    const QString refusal = DataError(ErrValueRequired, "A drink must have a name: type one into the Drink's Name box.")
                                .message();
    QCOMPARE(refusal, QStringLiteral("A drink must have a name: type one into the Drink's Name box. Nothing was saved; "
                                     "what you typed is kept."));
    // A new drink with a glass and no name, then an old one emptied.
    QTest::mouseClick(main->cmdAdd, Qt::LeftButton);
    QTest::keyClicks(main->findChild<QLineEdit *>("txtGlassname"), "Rocks");
    QTest::mouseClick(main->cmdNext, Qt::LeftButton);
    QCOMPARE(msgs.prompts(), QStringList{refusal});
    QCOMPARE(main->findChild<QLineEdit *>("txtGlassname")->text(), QStringLiteral("Rocks"));
    QCOMPARE(rows(cat), before);
    QTest::keyClicks(main->txtFields[0], "   On the Rocks");
    QTest::mouseClick(main->cmdNext, Qt::LeftButton);
    QCOMPARE(pvtest::queryColumn(cat, "SELECT Glass FROM drinklst WHERE DrinkName = '   On the Rocks'"),
             QStringList{"Rocks"});
    msgs.clear();
    QTest::mouseClick(main->cmdBegofFile, Qt::LeftButton);
    static_cast<QLineEdit *>(main->txtFields[0])->selectAll();
    QTest::keyClick(main->txtFields[0], Qt::Key_Backspace);
    // Closing meets the same refusal: the window stays with the typing.
    Screen().Unload(main);
    QVERIFY(Screen().isLoaded(main));
    QCOMPARE(msgs.prompts(), QStringList{refusal});
    QCOMPARE(main->fieldText(0), QString());
    QCOMPARE(pvtest::queryColumn(cat, "SELECT count(*) FROM drinklst WHERE DrinkName = ''"), QStringList{"0"});
    QTest::keyClicks(main->txtFields[0], "Bee's Knees");
}

PV_TEST_MAIN(TestUndo)
#include "tst_undo.moc"

#include "TestSupport.h"

#include "data/CatalogueGuard.h"

#include "collections/frmBgames.h"
#include "collections/frmCards.h"
#include "collections/frmDice.h"
#include "collections/frmJoke.h"
#include "collections/frmLines.h"
#include "collections/frmMedia.h"
#include "collections/frmMoney.h"
#include "collections/frmSpeech.h"
#include "collections/frmToasting.h"
#include "data/Catalogue.h"
#include "ui/DataControl.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>

using namespace pv;
using pvtest::MsgRecorder;

namespace {

CollectionBrowser *load(const QString &form)
{
    return pvtest::loadCollection(form);
}

// One shown collection window, driven through its controls.
struct Win {
    CollectionBrowser *form;
    explicit Win(CollectionBrowser *f) : form(f) { Screen().Show(form); }
    explicit Win(const QString &name) : Win(load(name)) {}
    const CollectionProfile &p() const { return form->profile(); }
    template <class T> T *get(const QString &name) const { return form->findChild<T *>(name); }
    QLineEdit *shortBox() const { return get<QLineEdit>(QStringLiteral("txtFields(0)")); }
    QPlainTextEdit *longBox() const
    {
        return get<QPlainTextEdit>(QStringLiteral("txtFields(%1)").arg(p().longBox.index));
    }
    DataControl *dat() const { return get<DataControl>(QStringLiteral("datPrimaryRS")); }
    QString counter() const { return dat()->Caption(); }
    QString at(int n) const { return QLatin1String(p().counterPrefix) + QString::number(n); }
    void click(const char *button) const
    {
        QPushButton *b = get<QPushButton>(QLatin1String(button));
        QVERIFY2(b, button);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void type(const QString &shortText, const QString &longText) const
    {
        if (!shortText.isEmpty())
            QTest::keyClicks(shortBox(), shortText);
        QTest::keyClicks(longBox(), longText);
    }
};

QString table(const CollectionProfile &p)
{
    for (const CollectionTable &t : collectionTables())
        if (QString::fromLatin1(p.recordSource).contains(QLatin1String(t.table)))
            return QLatin1String(t.table);
    return QString();
}

QStringList stored(const pvtest::AppFolder &app, const CollectionProfile &p)
{
    return pvtest::queryColumn(app.catalogue(), QStringLiteral("SELECT \"%1\" FROM \"%2\" ORDER BY rowid")
                                                     .arg(QLatin1String(p.longBox.column), table(p)));
}

} // namespace

class TestCollections : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { pvtest::unloadAll(); }

    // The table of nine against the catalogue's own list of tables.
    void profilesMatchTheCatalogue()
    {
        QCOMPARE(collectionProfiles().size(), collectionTables().size());
        QSet<QString> tables;
        for (const CollectionProfile &p : collectionProfiles()) {
            const QString t = table(p);
            QVERIFY2(!t.isEmpty(), p.form);
            tables << t;
            for (const CollectionTable &c : collectionTables())
                if (t == QLatin1String(c.table)) {
                    QCOMPARE(QLatin1String(p.shortBox.column), QLatin1String(c.shortColumn));
                    QCOMPARE(QLatin1String(p.longBox.column), QLatin1String(c.longColumn));
                }
            QCOMPARE(&collectionProfile(p.form), &p);
        }
        QCOMPARE(tables.size(), 9);
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, collectionProfile("frmMain"));
    }

    void windowAsDesigned_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QStringList>("labels"); // objectName=text, in index order
        QTest::addColumn<int>("longIndex");
        QTest::addColumn<int>("maxLength");
        QTest::addColumn<QString>("endMessage");
        const QStringList game{"lblLabels(0)=Name:", "lblLabels(3)=Instructions:"};
        const QString drinksEnd = QStringLiteral("You are at the end of the list of drinks!");
        QTest::newRow("cards") << "frmCards" << "Drinking Games Using Cards" << "Game # " << game << 3 << 50 << drinksEnd;
        QTest::newRow("dice") << "frmDice" << "Drinking Games Using Dice" << "Game # " << game << 3 << 50 << drinksEnd;
        QTest::newRow("coins") << "frmMoney" << "Games Using Coins" << "Game # " << game << 3 << 50 << drinksEnd;
        QTest::newRow("media") << "frmMedia" << "Drinking Games Using TV Shows And Movies" << "Game # " << game << 3
                               << 50 << drinksEnd;
        QTest::newRow("speech") << "frmSpeech" << "Drinking Games Using Speech" << "Game # " << game << 3 << 50
                                << drinksEnd;
        QTest::newRow("board") << "frmBgames" << "Drinking Games Using Board Games" << "Game # " << game << 3 << 50
                               << drinksEnd;
        QTest::newRow("jokes") << "frmJoke" << "Bar Jokes" << "Joke #: " << QStringList{"lblLabels(0)=Joke #"} << 1
                               << 32767 << drinksEnd;
        QTest::newRow("toasts") << "frmToasting" << "Toasting" << "Catagory #: "
                                << QStringList{"lblLabels(0)=Catagory:", "lblLabels(1)=Toasts:"} << 1 << 50
                                << drinksEnd;
        QTest::newRow("lines") << "frmLines" << "Pick Up Lines" << "Line #: " << QStringList{"lblLabels(0)=Line #"}
                               << 1 << 32767 << "You are at the end of the list of pick up lines!";
    }

    // Every window on the bundled catalogue: its designed controls and the
    // first row with its counter.
    void windowAsDesigned()
    {
        QFETCH(QString, form);
        QFETCH(QString, caption);
        QFETCH(QString, prefix);
        QFETCH(QStringList, labels);
        QFETCH(int, longIndex);
        QFETCH(int, maxLength);
        QFETCH(QString, endMessage);
        pvtest::AppFolder app;
        MsgRecorder rec;
        Win w(form);
        QCOMPARE(w.form->windowTitle(), caption);
        QTRY_COMPARE(w.counter(), prefix + "1");
        QVERIFY(!w.shortBox()->text().isEmpty());
        QVERIFY(!w.longBox()->toPlainText().isEmpty());
        QCOMPARE(w.shortBox()->maxLength(), maxLength);
        QCOMPARE(w.longBox()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);

        QStringList found;
        for (QLabel *l : w.form->findChildren<QLabel *>(QRegularExpression("^lblLabels")))
            found << l->objectName() + "=" + l->text();
        found.sort();
        QCOMPARE(found, labels);
        QStringList boxes;
        for (QWidget *b : w.form->findChildren<QWidget *>(QRegularExpression("^txtFields")))
            boxes << b->objectName();
        boxes.sort();
        QCOMPARE(boxes, (QStringList{"txtFields(0)", QStringLiteral("txtFields(%1)").arg(longIndex)}));
        QLabel *heading = w.get<QLabel>("Label1");
        QCOMPARE(heading != nullptr, form == "frmJoke");
        if (heading)
            QCOMPARE(heading->text(), QStringLiteral("So, this guy walks into a bar..."));

        QStringList captions;
        for (const char *b : {"cmdBegofFile", "cmdPrevious", "cmdNext", "cmdEndofList", "cmdAdd", "cmdDelete",
                              "cmdRefresh", "cmdUpdate", "cmdClose"})
            captions << w.get<QPushButton>(b)->text();
        QCOMPARE(captions, (QStringList{"Beginning", "Previous", "Next", "End of List", "&Add", "&Delete",
                                        "&Refresh", "&Update", "&Close"}));
        QCOMPARE(QLatin1String(w.p().endMessage), endMessage);
        QVERIFY(rec.calls.isEmpty());
    }

    void variants_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("games") << "frmCards";
        QTest::newRow("jokes") << "frmJoke";
        QTest::newRow("lines") << "frmLines";
    }

    // Next and Previous step past the ends first; only the press after that
    // speaks, and Beginning and End of List never do.
    void bothEnds_data() { variants_data(); }
    void bothEnds()
    {
        QFETCH(QString, form);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win w(form);
        QTRY_COMPARE(w.counter(), w.at(1));
        w.click("cmdEndofList");
        QCOMPARE(w.counter(), w.at(3));
        w.click("cmdNext");
        QCOMPARE(w.counter(), w.at(0));
        QCOMPARE(w.longBox()->toPlainText(), QString());
        QVERIFY(rec.calls.isEmpty());
        w.click("cmdNext");
        QCOMPARE(rec.prompts(), QStringList{QLatin1String(w.p().endMessage)});
        QCOMPARE(rec.calls[0].style, 0);
        QVERIFY(rec.calls[0].title.isEmpty());
        w.click("cmdBegofFile");
        QCOMPARE(w.counter(), w.at(1));
        w.click("cmdPrevious");
        QCOMPARE(w.counter(), w.at(0));
        QCOMPARE(rec.calls.size(), 1);
        w.click("cmdPrevious");
        QCOMPARE(rec.last(), QLatin1String(w.p().beginningMessage));
        w.click("cmdNext");
        QCOMPARE(w.counter(), w.at(1));
        QCOMPARE(rec.calls.size(), 2);
        QCOMPARE(rec.last().contains("pick up lines"), form == "frmLines");
    }

    // A middle row gives way to the one after it, the last row to the new last.
    void deleteRows_data() { variants_data(); }
    void deleteRows()
    {
        QFETCH(QString, form);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win w(form);
        QTRY_COMPARE(w.counter(), w.at(1));
        const QString t = table(w.p());
        w.click("cmdNext");
        w.click("cmdDelete");
        QCOMPARE(w.counter(), w.at(2));
        QCOMPARE(w.longBox()->toPlainText(), "Text of " + t + " row 3");
        w.click("cmdDelete");
        QCOMPARE(w.counter(), w.at(1));
        QCOMPARE(w.longBox()->toPlainText(), "Text of " + t + " row 1");
        QCOMPARE(stored(app, w.p()), QStringList{"Text of " + t + " row 1"});
        QVERIFY(rec.calls.isEmpty());
    }

    // Update after Add shows the new row, not the one shown before Add.
    void addThenUpdate_data() { variants_data(); }
    void addThenUpdate()
    {
        QFETCH(QString, form);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win w(form);
        QTRY_COMPARE(w.counter(), w.at(1));
        w.click("cmdAdd");
        QCOMPARE(w.longBox()->toPlainText(), QString());
        w.type(w.p().layout == CollectionLayout::Games ? "Coasters" : "", "Flip a coaster off the table edge.");
        w.click("cmdUpdate");
        QCOMPARE(w.counter(), w.at(4));
        QCOMPARE(w.longBox()->toPlainText(), "Flip a coaster off the table edge.");
        QCOMPARE(stored(app, w.p()).value(3), "Flip a coaster off the table edge.");
        // A joke or a line saved without a number is given the next one.
        if (w.p().layout != CollectionLayout::Games)
            QCOMPARE(w.shortBox()->text(), QStringLiteral("4"));
        QVERIFY(rec.calls.isEmpty());
    }

    // Typing not yet saved is stored when the window closes, by button or by
    // its close box, and the next opening starts again at the first row.
    void addThenClose_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<bool>("closeBox");
        QTest::newRow("games, button") << "frmDice" << false;
        QTest::newRow("toasts, close box") << "frmToasting" << true;
    }
    void addThenClose()
    {
        QFETCH(QString, form);
        QFETCH(bool, closeBox);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        {
            Win w(form);
            QTRY_COMPARE(w.counter(), w.at(1));
            w.click("cmdAdd");
            w.type("Last orders", "Everyone names a drink they have never tried.");
            if (closeBox)
                w.form->close();
            else
                w.click("cmdClose");
            QVERIFY(!Screen().isLoaded(w.form));
        }
        QCOMPARE(stored(app, collectionProfile(form.toLatin1().constData())).value(3),
                 "Everyone names a drink they have never tried.");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        Win again(form);
        QTRY_COMPARE(again.counter(), again.at(1));
        QVERIFY(rec.calls.isEmpty());
    }

    // Opening a window that is open already shows it on the row it was on.
    void openedAgainKeepsItsRow()
    {
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win w("frmSpeech");
        QTRY_COMPARE(w.counter(), w.at(1));
        w.click("cmdNext");
        CollectionBrowser *again = Screen().Load<frmSpeech>();
        Screen().Show(again);
        QCOMPARE(again, w.form);
        QCOMPARE(Screen().formsCount(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(w.counter(), w.at(2));
    }

    // Windows share no rows: a row saved in one shows in another after its
    // Refresh, which also starts again at the first row.
    void refreshShowsOtherWindowsRow()
    {
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win first("frmJoke");
        auto *other = new frmJoke;
        Screen().LoadNew(other);
        Win second(other);
        QTRY_COMPARE(first.counter(), first.at(1));
        QTRY_COMPARE(second.counter(), second.at(1));
        second.click("cmdAdd");
        second.type("", "A ghost walks into a bar and orders a spirit.");
        second.click("cmdUpdate");
        first.click("cmdEndofList");
        QCOMPARE(first.counter(), first.at(3));
        first.click("cmdNext");
        first.click("cmdRefresh");
        QCOMPARE(first.counter(), first.at(1));
        first.click("cmdEndofList");
        QCOMPARE(first.counter(), first.at(4));
        QCOMPARE(first.longBox()->toPlainText(), "A ghost walks into a bar and orders a spirit.");
        QVERIFY(rec.calls.isEmpty());
    }

    // The sayings show the busy pointer from each action until the next
    // reposition; closing always leaves the default pointer.
    void busyPointer_data()
    {
        QTest::addColumn<QString>("form");
        QTest::addColumn<int>("duringAction");
        QTest::newRow("games") << "frmBgames" << int(vbDefault);
        QTest::newRow("toasts") << "frmToasting" << int(vbHourglass);
    }
    void busyPointer()
    {
        QFETCH(QString, form);
        QFETCH(int, duringAction);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win w(form);
        QTRY_COMPARE(w.counter(), w.at(1));
        QList<int> seen;
        QObject::connect(w.dat(), &DataControl::Validate, w.form,
                         [&seen](int &, int &) { seen << Screen().mousePointer(); });
        for (const char *b : {"cmdNext", "cmdAdd", "cmdBegofFile"})
            w.click(b);
        QCOMPARE(seen, (QList<int>{duringAction, duringAction, duringAction}));
        QCOMPARE(Screen().mousePointer(), int(vbDefault));

        Screen().setMousePointer(vbHourglass);
        w.click("cmdClose");
        QCOMPARE(Screen().mousePointer(), int(vbDefault));
        Win again(form);
        QTRY_COMPARE(again.counter(), again.at(1));
        Screen().setMousePointer(vbHourglass);
        again.form->close();
        QVERIFY(!Screen().isLoaded(again.form));
        QCOMPARE(Screen().mousePointer(), int(vbDefault));
    }

    // Typing that cannot be stored on closing is reported once; the window
    // stays open with it, without the busy pointer, and closes once it can.
    void failedSaveOnClose_data()
    {
        QTest::addColumn<QString>("form");
        QTest::newRow("games") << "frmMedia";
        QTest::newRow("jokes") << "frmJoke";
    }
    void failedSaveOnClose()
    {
        QFETCH(QString, form);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win w(form);
        QTRY_COMPARE(w.counter(), w.at(1));
        const QString refuse = QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON \"%1\" "
                                              "BEGIN SELECT RAISE(ABORT, 'edits are refused'); END")
                                   .arg(table(w.p()));
        pv::guard::trustTriggersForTests({QStringLiteral("refuse")});
        pvtest::execSql(app.catalogue(), refuse);
        // Dropped however the test ends, so that the windows can close.
        const auto allowEdits = qScopeGuard(
            [&app] { pvtest::execSql(app.catalogue(), "DROP TRIGGER IF EXISTS refuse"); });
        QTest::keyClicks(w.longBox(), "Also: ");
        w.click("cmdClose");
        QCOMPARE(rec.calls.size(), 1);
        QVERIFY(rec.last().startsWith("Data error event hit err:"));
        QVERIFY(rec.last().contains("edits are refused"));
        QVERIFY(Screen().isLoaded(w.form));
        QCOMPARE(Screen().mousePointer(), int(vbDefault));

        pvtest::execSql(app.catalogue(), "DROP TRIGGER refuse");
        w.click("cmdClose");
        QVERIFY(!Screen().isLoaded(w.form));
        QCOMPARE(rec.calls.size(), 1);
        QVERIFY(stored(app, w.p()).value(0).startsWith("Also: Text of "));
    }

    // A missing table reaches the error notification; the window stays open
    // with its blank counter and its buttons still answer.
    void missingTable()
    {
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        pvtest::execSql(app.catalogue(), "DROP TABLE cardgames");
        MsgRecorder rec;
        Win w("frmCards");
        QTRY_COMPARE(rec.calls.size(), 1);
        QCOMPARE(rec.last(),
                 "Data error event hit err:" + DataError(ErrNoSuchSource, "cardgames").message());
        QCOMPARE(rec.calls[0].style, 0);
        QCOMPARE(w.counter(), " ");
        QVERIFY(Screen().isLoaded(w.form));
        // Each button that needs the rows names what is missing.
        rec.clear();
        const char *buttons[] = {"cmdBegofFile", "cmdPrevious", "cmdNext", "cmdEndofList",
                                 "cmdAdd",       "cmdDelete",   "cmdUpdate"};
        for (const char *b : buttons)
            w.click(b);
        QCOMPARE(rec.prompts(), QStringList(std::size(buttons), DataError(ErrNoSuchSource, "cardgames").message()));
        QCOMPARE(Screen().mousePointer(), int(vbDefault));
        // Put back, the table opens on Refresh.
        pvtest::execSql(app.catalogue(), "CREATE TABLE cardgames (name TEXT, instructions TEXT)");
        rec.clear();
        w.click("cmdRefresh");
        QVERIFY(rec.calls.isEmpty());
        QCOMPARE(w.counter(), w.at(0));
        w.click("cmdClose");
        QVERIFY(!Screen().isLoaded(w.form));
    }

    // Buttons that find no row to act on say so and leave the window usable.
    void emptyTable_data() { variants_data(); }
    void emptyTable()
    {
        QFETCH(QString, form);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        const CollectionProfile &p = collectionProfile(form.toLatin1().constData());
        pvtest::writeCatalogue(app.catalogue(), pvtest::smallDrinkSeed(), {{table(p), QStringLiteral("")}});
        MsgRecorder rec;
        Win w(form);
        QTRY_COMPARE(w.counter(), w.at(0));
        for (const char *b : {"cmdBegofFile", "cmdEndofList", "cmdNext", "cmdPrevious", "cmdDelete", "cmdUpdate"})
            w.click(b);
        QCOMPARE(rec.prompts(), (QStringList{emptyListMessage(p), emptyListMessage(p), QLatin1String(p.endMessage),
                                             QLatin1String(p.beginningMessage), nothingToDeleteMessage(p),
                                             nothingChangedMessage()}));
        QCOMPARE(Screen().mousePointer(), int(vbDefault));
        QCOMPARE(w.counter(), w.at(0));

        rec.clear();
        w.click("cmdAdd");
        w.type("", "The only one.");
        w.click("cmdUpdate");
        QCOMPARE(w.counter(), w.at(1));
        w.click("cmdDelete");
        QCOMPARE(rec.prompts(), QStringList{listEmptiedMessage(p)});
        QCOMPARE(w.counter(), w.at(0));
        QCOMPARE(stored(app, p), QStringList());
        QCOMPARE(Screen().mousePointer(), int(vbDefault));
    }

    void noCurrentRow_data() { variants_data(); }
    void noCurrentRow()
    {
        QFETCH(QString, form);
        pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
        MsgRecorder rec;
        Win w(form);
        QTRY_COMPARE(w.counter(), w.at(1));
        w.click("cmdUpdate");
        QCOMPARE(rec.prompts(), QStringList{nothingChangedMessage()});
        QCOMPARE(w.counter(), w.at(1));

        // Past the last row there is nothing to delete, and typing has no
        // row to go to; the window moves on as before.
        rec.clear();
        w.click("cmdEndofList");
        w.click("cmdNext");
        w.click("cmdDelete");
        w.type("", "Typed into thin air.");
        w.click("cmdUpdate");
        QCOMPARE(rec.prompts(), (QStringList{nothingToDeleteMessage(w.p()), noRowToSaveMessage(w.p())}));
        w.click("cmdPrevious");
        QCOMPARE(w.counter(), w.at(3));
        QCOMPARE(rec.calls.size(), 2);
        QCOMPARE(stored(app, w.p()).size(), 3);
        QCOMPARE(Screen().mousePointer(), int(vbDefault));
    }
};

PV_TEST_MAIN(TestCollections)
#include "tst_collections.moc"

// The data control and the screen services, driven through a small window.
#include "TestSupport.h"

#include "data/CatalogueGuard.h"

#include "data/Catalogue.h"
#include "data/DataError.h"
#include "ui/DataControl.h"
#include "ui/ScreenView.h"

#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

using pv::Screen;

namespace {

// A window with one data control and two bound boxes that logs every
// notification in order.
class LogForm : public QWidget, public pv::Form {
public:
    LogForm()
    {
        auto *lay = new QVBoxLayout(this);
        name = new QLineEdit(this);
        name->setObjectName(QStringLiteral("name"));
        directions = new QPlainTextEdit(this);
        data = new pv::DataControl(this);
        lay->addWidget(name);
        lay->addWidget(directions);
        lay->addWidget(data);
        data->setRecordSource(QStringLiteral("drinklst"));
        data->bind(name, QStringLiteral("DrinkName"));
        data->bind(directions, QStringLiteral("Directions"));
        QObject::connect(data, &pv::DataControl::Validate, this, [this](int &a, int &s) {
            log << QStringLiteral("validate %1 %2").arg(a).arg(s);
            if (cancelNext) {
                a = pv::vbDataActionCancel;
                cancelNext = false;
            }
        });
        QObject::connect(data, &pv::DataControl::Reposition, this, [this] {
            log << QStringLiteral("reposition %1").arg(name->text());
        });
        QObject::connect(data, &pv::DataControl::Error, this, [this](int err, int &response) {
            log << QStringLiteral("error %1").arg(err);
            response = errorResponse;
        });
        QObject::connect(name, &QLineEdit::textChanged, this, [this] { ++nameChanges; });
    }
    QWidget *widget() override { return this; }
    void Form_Load() override
    {
        loadedWithCursor = data->cursor() != nullptr;
        data->setDatabaseName(databasePath);
    }

    QString databasePath;
    QLineEdit *name;
    QPlainTextEdit *directions;
    pv::DataControl *data;
    QStringList log;
    int errorResponse = pv::vbDataErrContinue;
    bool cancelNext = false;
    bool loadedWithCursor = true;
    int nameChanges = 0;
};

} // namespace

class TestDataControl : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void opensAfterLoadAndNotifiesInOrder();
    void automaticSaveWhenLeavingARow();
    void newRowWithoutTypingIsDropped();
    void updateRecordHasNoValidate();
    void cancelledActionDoesNothing();
    void failedSaveKeepsTypedValues();
    void errorNotificationAndDefaultMessage();
    void arrowsStopAtBothEnds();
    void closingSavesPendingEdit();
    void screenServices();

private:
    LogForm *open(const QString &path = QString());
    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
};

void TestDataControl::init()
{
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
}

void TestDataControl::cleanup()
{
    pvtest::unloadAll();
    m_msgs.reset();
    m_app.reset();
}

LogForm *TestDataControl::open(const QString &path)
{
    auto *f = new LogForm;
    f->databasePath = path.isEmpty() ? m_app->catalogue() : path;
    Screen().LoadNew(f);
    Screen().Show(f);
    QTest::qWait(20);
    return f;
}

void TestDataControl::opensAfterLoadAndNotifiesInOrder()
{
    LogForm *f = open();
    QVERIFY(!f->loadedWithCursor);
    QCOMPARE(f->log, QStringList{"reposition Bee's Knees"});
    QVERIFY(f->nameChanges >= 1); // filling a box raises its change, as typing does
    f->log.clear();
    f->data->recordset().MoveNext();
    f->data->recordset().MoveLast();
    f->data->recordset().MovePrevious();
    f->data->recordset().MoveFirst();
    f->data->recordset().FindFirst(QStringLiteral("DrinkName Like '*gin*'"));
    f->data->recordset().setBookmark(f->data->recordset().Bookmark());
    f->data->recordset().AddNew();
    QCOMPARE(f->log, (QStringList{"validate 3 0", "reposition Cuba Libre", "validate 4 0",
                                  "reposition Shirley Temple", "validate 2 0", "reposition Planter's Punch",
                                  "validate 1 0", "reposition Bee's Knees", "validate 8 0",
                                  "reposition Gin and Tonic", "validate 9 0", "reposition Gin and Tonic",
                                  "validate 5 0", "reposition "}));
    f->log.clear();
    f->data->recordset().MoveFirst();
    f->data->recordset().Delete();
    QCOMPARE(f->log, (QStringList{"validate 1 0", "reposition Bee's Knees", "validate 7 0"}));
    f->log.clear();
    f->data->Refresh();
    QCOMPARE(f->log, (QStringList{"validate 10 0", "reposition Cuba Libre"}));
}

void TestDataControl::automaticSaveWhenLeavingARow()
{
    LogForm *f = open();
    f->name->setFocus();
    QTest::keyClick(f->name, Qt::Key_End);
    QTest::keyClicks(f->name, QStringLiteral(" Cocktail"));
    QVERIFY(f->data->dataChanged());
    f->log.clear();
    f->data->recordset().MoveNext();
    QCOMPARE(f->log.first(), QStringLiteral("validate 3 1"));
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst LIMIT 1"),
             QStringList{"Bee's Knees Cocktail"});
    QVERIFY(!f->data->dataChanged());

    // A new row with typing is stored when the cursor leaves it.
    f->data->recordset().AddNew();
    QTest::keyClicks(f->name, QStringLiteral("Sidecar"));
    QTest::keyClicks(f->directions, QStringLiteral("Shake."));
    f->data->recordset().MoveFirst();
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT Directions FROM drinklst WHERE DrinkName='Sidecar'"),
             QStringList{"Shake."});
    QCOMPARE(f->name->text(), QStringLiteral("Bee's Knees Cocktail"));
}

void TestDataControl::newRowWithoutTypingIsDropped()
{
    LogForm *f = open();
    f->data->recordset().AddNew();
    f->data->recordset().MoveLast();
    f->data->recordset().AddNew();
    f->data->Refresh();
    f->data->recordset().AddNew();
    f->data->UpdateRecord();
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst"), QStringList{"8"});
}

void TestDataControl::updateRecordHasNoValidate()
{
    LogForm *f = open();
    QTest::keyClick(f->name, Qt::Key_End);
    QTest::keyClicks(f->name, QStringLiteral("!"));
    f->log.clear();
    f->data->UpdateRecord();
    QVERIFY(f->log.isEmpty());
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst LIMIT 1"),
             QStringList{"Bee's Knees!"});
    QCOMPARE(f->data->recordset().LastModified(), f->data->recordset().Bookmark());

    // After storing a new row the row before it is current and on screen.
    f->data->recordset().AddNew();
    QTest::keyClicks(f->name, QStringLiteral("Bramble"));
    f->data->UpdateRecord();
    QCOMPARE(f->name->text(), QStringLiteral("Bee's Knees!"));
    f->data->recordset().setBookmark(f->data->recordset().LastModified());
    QCOMPARE(f->name->text(), QStringLiteral("Bramble"));
}

void TestDataControl::cancelledActionDoesNothing()
{
    LogForm *f = open();
    f->cancelNext = true;
    f->data->recordset().MoveNext();
    QCOMPARE(f->name->text(), QStringLiteral("Bee's Knees"));
    QCOMPARE(f->data->recordset().AbsolutePosition(), 0);
}

void TestDataControl::failedSaveKeepsTypedValues()
{
    LogForm *f = open();
    pv::RecordCursor::setBusyTimeoutMs(100);
    // A trigger of the test's own, which the program is told to let run.
    pv::guard::trustTriggersForTests({QStringLiteral("no_edits")});
    pvtest::execSql(m_app->catalogue(), "CREATE TRIGGER no_edits BEFORE UPDATE ON drinklst "
                                        "BEGIN SELECT RAISE(ABORT, 'edits are refused'); END");
    QTest::keyClick(f->name, Qt::Key_End);
    QTest::keyClicks(f->name, QStringLiteral(" typed"));
    try {
        f->data->recordset().MoveNext();
        QFAIL("the refused save went unreported");
    } catch (const pv::DataError &e) {
        QVERIFY(e.message().contains(QStringLiteral("edits are refused")));
    }
    // Nothing typed is lost, and the row did not change.
    QCOMPARE(f->name->text(), QStringLiteral("Bee's Knees typed"));
    QCOMPARE(f->data->recordset().AbsolutePosition(), 0);
    QVERIFY(f->data->dataChanged());
    pvtest::execSql(m_app->catalogue(), "DROP TRIGGER no_edits");
    f->data->recordset().MoveNext();
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst LIMIT 1"),
             QStringList{"Bee's Knees typed"});
    pv::RecordCursor::setBusyTimeoutMs(3000);
}

void TestDataControl::errorNotificationAndDefaultMessage()
{
    const QString missing = m_app->path() + QStringLiteral("/missing.mdb");
    LogForm *f = open(missing);
    QCOMPARE(f->log, QStringList{QStringLiteral("error %1").arg(pv::ErrFileNotFound)});
    QVERIFY(m_msgs->calls.isEmpty()); // response 0: no message of its own
    QVERIFY(f->data->errorText(pv::ErrFileNotFound).contains(missing));
    QVERIFY(!f->data->cursor());
    // The window stays usable; code that reaches for the rows gets an error.
    try {
        f->data->recordset().MoveNext();
        QFAIL("moved without rows");
    } catch (const pv::DataError &e) {
        QCOMPARE(e.number(), int(pv::ErrFileNotFound)); // what is missing, each time
    }
    pvtest::unloadAll();

    // Left as it came, the control shows the engine's message itself.
    auto *g = new LogForm;
    g->errorResponse = pv::vbDataErrDisplay;
    g->databasePath = missing;
    Screen().LoadNew(g);
    QTest::qWait(20);
    QCOMPARE(m_msgs->calls.size(), 1);
    QVERIFY(m_msgs->last().contains(missing));
    QCOMPARE(pv::DataError::standardText(pv::ErrNoCurrentRecord), QStringLiteral("No current record."));
}

void TestDataControl::arrowsStopAtBothEnds()
{
    LogForm *f = open();
    auto *prev = f->data->findChild<QToolButton *>(QStringLiteral("dataPrevious"));
    auto *next = f->data->findChild<QToolButton *>(QStringLiteral("dataNext"));
    auto *last = f->data->findChild<QToolButton *>(QStringLiteral("dataLast"));
    QTest::mouseClick(prev, Qt::LeftButton);
    QCOMPARE(f->data->recordset().AbsolutePosition(), 0);
    QTest::mouseClick(last, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    QTest::mouseClick(next, Qt::LeftButton);
    QCOMPARE(f->data->recordset().AbsolutePosition(), 7);
    QCOMPARE(f->name->text(), QStringLiteral("Shirley Temple"));
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestDataControl::closingSavesPendingEdit()
{
    LogForm *f = open();
    QTest::keyClick(f->name, Qt::Key_End);
    QTest::keyClicks(f->name, QStringLiteral("?"));
    f->log.clear();
    f->close(); // the close box
    QCOMPARE(f->log, QStringList{"validate 10 1"});
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst LIMIT 1"),
             QStringList{"Bee's Knees?"});
    QCOMPARE(Screen().formsCount(), 0);
}

void TestDataControl::screenServices()
{
    pv::ScreenView &sv = Screen();
    QCOMPARE(sv.App().Title, QStringLiteral("Pourvale"));
    QCOMPARE(sv.App().Major * 100 + sv.App().Minor * 10 + sv.App().Revision, 310);
    QCOMPARE(sv.GetSetting("Pourvale", "Settings", "Nothing", "dflt"), QStringLiteral("dflt"));
    sv.SaveSetting("Pourvale", "Settings", "Probe", "42");
    QCOMPARE(sv.GetSetting("Pourvale", "Settings", "Probe", "0"), QStringLiteral("42"));
    QVERIFY(!sv.Dir(m_app->catalogue()).isEmpty());
    QVERIFY(sv.Dir(m_app->path() + "/nope").isEmpty());
    QVERIFY(sv.Dir(m_app->path()).isEmpty()); // a folder is not a file
    QVERIFY_THROWS_EXCEPTION(pv::ScreenError, sv.Shell(m_app->path() + "/nope", 1));
    sv.setMousePointer(pv::vbHourglass);
    QVERIFY(QApplication::overrideCursor());
    sv.setMousePointer(pv::vbDefault);
    QVERIFY(!QApplication::overrideCursor());
    // Errors a handler leaves uncaught become a message, not a crash.
    sv.guard([] { throw pv::DataError(pv::ErrNoCurrentRecord); });
    QCOMPARE(m_msgs->last(), QStringLiteral("No current record."));
    QCOMPARE(m_msgs->calls.last().style, 0);
}

PV_TEST_MAIN(TestDataControl)
#include "tst_datacontrol.moc"

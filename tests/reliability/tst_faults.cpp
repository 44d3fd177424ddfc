// The main window on a catalogue that is missing, damaged, read-only, locked
// or short of a table, a stored query or a column: a clear message, a window
// that still works, and a file that holds nothing it was not asked to hold.
#include "Reliability.h"
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "data/RecordCursor.h"

#include <QDir>
#include <QSettings>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

using pv::Screen;

namespace {

// A file made read-only in a way that holds for root as well: the immutable
// attribute where the file system and our privileges allow it; otherwise,
// for root, the catalogue is opened with the rights of an unprivileged user
// (the descriptor the engine gets is then read-only); for anyone else, plain
// permissions.
class ReadOnlyFile {
public:
    enum class Way { Immutable, UnprivilegedOpen, Permissions };

    explicit ReadOnlyFile(QString path) : m_path(std::move(path))
    {
        if (setImmutable(true)) {
            m_way = Way::Immutable;
        } else if (geteuid() == 0) {
            m_way = Way::UnprivilegedOpen;
            QFile::setPermissions(QFileInfo(m_path).path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                                                QFile::ReadOther | QFile::ExeOther);
            QFile::setPermissions(m_path, QFile::ReadOwner | QFile::ReadOther);
        } else {
            m_way = Way::Permissions;
            QFile::setPermissions(m_path, QFile::ReadOwner);
        }
    }
    ~ReadOnlyFile()
    {
        if (m_way == Way::Immutable)
            setImmutable(false);
        QFile::setPermissions(m_path, QFile::ReadOwner | QFile::WriteOwner);
    }
    Way way() const { return m_way; }

    // Runs `open` (which opens the catalogue) with the rights that make the
    // file read-only.
    template <class Fn> void opening(Fn open)
    {
        if (m_way != Way::UnprivilegedOpen) {
            open();
            return;
        }
        QVERIFY(setegid(65534) == 0 && seteuid(65534) == 0);
        open();
        QVERIFY(seteuid(0) == 0 && setegid(0) == 0);
    }

private:
    bool setImmutable(bool on)
    {
        const int fd = ::open(m_path.toLocal8Bit().constData(), O_RDONLY);
        if (fd < 0)
            return false;
        int flags = 0;
        bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
        if (ok) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
        // Only trust the attribute if it really stops a write.
        if (ok && on) {
            const int w = ::open(m_path.toLocal8Bit().constData(), O_WRONLY | O_APPEND);
            if (w >= 0) {
                ::close(w);
                setImmutable(false);
                return false;
            }
        }
        return ok;
    }

    QString m_path;
    Way m_way = Way::Permissions;
};

// The folder's files and the bytes of each, to show that nothing was written.
QMap<QString, QByteArray> folderState(const QString &dir)
{
    QMap<QString, QByteArray> state;
    for (const QFileInfo &fi : QDir(dir).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
        state.insert(fi.fileName(), fi.isDir() ? QByteArray("<dir>") : pvrel::sha256(fi.filePath()));
    return state;
}

} // namespace

class TestFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void missingCatalogue();
    void unreadableCatalogue_data();
    void unreadableCatalogue();
    void damageFoundWhileBrowsing();
    void readOnlyCatalogue();
    void lockedWhenOpening();
    void lockedWhileSaving();
    void missingTable();
    void missingStoredQuery();
    void missingColumn();
    void storedQueryMissingAColumn();
    void rowDeletedByAnotherProgram();
    void unusualApplicationFolder();

private:
    frmMain *open();
    void click(const char *name);
    // Every command that only reads, as a person trying the window would;
    // the window must survive them all and stay the only window.
    void tryEverything();
    QString field(int i) { return m_main->fieldText(i); }

    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    frmMain *m_main = nullptr;
};

void TestFaults::init()
{
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Small);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
    pv::RecordCursor::setBusyTimeoutMs(3000);
}

void TestFaults::cleanup()
{
    pvtest::unloadAll();
    m_main = nullptr;
    m_msgs.reset();
    m_app.reset();
    pv::RecordCursor::setBusyTimeoutMs(3000);
}

frmMain *TestFaults::open()
{
    m_main = Screen().Load<frmMain>();
    Screen().Show(m_main);
    // The rows open once events run; a failure is told by then too.
    for (int i = 0; i < 50 && !m_main->Data1->cursor() && m_msgs->calls.isEmpty(); ++i)
        QTest::qWait(10);
    QTest::qWait(10);
    return m_main;
}

void TestFaults::click(const char *name)
{
    auto *b = m_main->findChild<QPushButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void TestFaults::tryEverything()
{
    for (const char *b : {"cmdBegofFile", "cmdNext", "cmdNext", "cmdPrevious", "cmdEndofList", "cmdNext", "cmdNext",
                          "cmdUpdate", "cmdRefresh", "cmdAdd", "cmdBegofFile"})
        click(b);
    m_main->txtSearchString->setText(QStringLiteral("gin"));
    click("cmdSearch");
    if (m_main->cmdFindNext->isEnabled())
        click("cmdFindNext");
    m_main->txtSearchString->clear();
    for (const char *m : {"mnuGin", "mnuTropical", "mnuViewAll"})
        m_main->findChild<QAction *>(QLatin1String(m))->trigger();
    m_main->findChild<QAction *>(QStringLiteral("tbBeer"))->trigger();
    m_main->findChild<QAction *>(QStringLiteral("tbViewAll"))->trigger();
    QCOMPARE(Screen().formsCount(), 1);
    QVERIFY(m_main->isVisible());
    for (const pv::MsgBoxCall &c : m_msgs->calls) {
        // Errors are plain; only the notice about a catalogue's own SQL informs.
        QCOMPARE(c.style, c.prompt.contains(QStringLiteral("did not write")) ? int(pv::vbInformation) : 0);
        QVERIFY(!c.prompt.trimmed().isEmpty());
    }
}

void TestFaults::missingCatalogue()
{
    QFile::remove(m_app->catalogue());
    const auto before = folderState(m_app->path());
    open();
    QCOMPARE(m_msgs->prompts(),
             QStringList{QStringLiteral("Could not find the catalogue file '%1'.").arg(m_app->catalogue())});
    QCOMPARE(field(0), QString());
    tryEverything();
    // Every button that needs the rows names the missing file.
    QVERIFY(!m_msgs->prompts().contains(QStringLiteral("The catalogue is not open.")));
    QVERIFY(m_msgs->prompts().count(m_msgs->prompts().first()) > 1);
    QCOMPARE(folderState(m_app->path()), before); // nothing created

    // Put back, the catalogue is found on the next refresh.
    pvtest::writeCatalogue(m_app->catalogue(), pvtest::smallDrinkSeed());
    m_msgs->clear();
    click("cmdRefresh");
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestFaults::unreadableCatalogue_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTemporaryDir dir;
    pvtest::writeCatalogue(dir.path() + QStringLiteral("/pv.mdb"), pvtest::smallDrinkSeed());
    QFile f(dir.path() + QStringLiteral("/pv.mdb"));
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    QVERIFY(good.size() > 16384);
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("text") << QByteArray("name: Negroni\nglass: Old-Fashioned\n").repeated(100);
    QTest::newRow("other database format") << QByteArray("\0\1\0\0Standard Jet DB\0", 19) + QByteArray(4077, '\0');
    QTest::newRow("header only") << good.left(100);
    QTest::newRow("first page only") << good.left(4096);
    QTest::newRow("cut in half") << good.left(good.size() / 2);
    QTest::newRow("last page missing") << good.left(good.size() - 4096);
    QByteArray scribbled = good;
    for (qsizetype i = 4096; i < scribbled.size(); i += 97)
        scribbled[i] = char(0xA5);
    QTest::newRow("pages overwritten") << scribbled;
}

void TestFaults::unreadableCatalogue()
{
    QFETCH(QByteArray, bytes);
    {
        QFile f(m_app->catalogue());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    const auto before = folderState(m_app->path());
    open();
    // Refused when opened: a short file is caught by the engine at once.
    QCOMPARE(m_msgs->calls.size(), 1);
    QVERIFY2(m_msgs->last().contains(m_app->catalogue()), qPrintable(m_msgs->last()));
    QVERIFY(m_msgs->last().contains(QStringLiteral("not a Pourvale catalogue")) ||
            m_msgs->last().contains(QStringLiteral("damaged")));
    QVERIFY(!m_main->Data1->cursor());
    tryEverything();
    QCOMPARE(folderState(m_app->path()), before);
    Screen().Unload(m_main);
    QCOMPARE(Screen().formsCount(), 0);
    QCOMPARE(folderState(m_app->path()), before);
}

void TestFaults::damageFoundWhileBrowsing()
{
    // The last drink's long directions fill the pages at the end of the file;
    // with one of those wiped the file still opens, and the damage shows only
    // on that row.
    pvtest::execSql(m_app->catalogue(),
                    "UPDATE drinklst SET Directions = 'Build over ice.' || printf('%.30000c', '!') WHERE rowid = 8");
    QFile f(m_app->catalogue());
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(f.size() - 3 * 4096));
    f.write(QByteArray(4096, '\0'));
    f.close();
    const auto before = folderState(m_app->path());
    open();
    QVERIFY(m_msgs->calls.isEmpty());
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    click("cmdEndofList");
    QCOMPARE(m_msgs->prompts(),
             QStringList{QStringLiteral("The catalogue '%1' is damaged or cannot be read.").arg(m_app->catalogue())});
    QCOMPARE(field(0), QString());
    click("cmdPrevious");
    QCOMPARE(field(0), QStringLiteral("Planter's Punch"));
    tryEverything();
    Screen().Unload(m_main);
    QCOMPARE(Screen().formsCount(), 0);
    QCOMPARE(folderState(m_app->path()), before);
}

void TestFaults::readOnlyCatalogue()
{
    ReadOnlyFile ro(m_app->catalogue());
    qInfo("read-only by %s", ro.way() == ReadOnlyFile::Way::Immutable          ? "the immutable attribute"
                             : ro.way() == ReadOnlyFile::Way::UnprivilegedOpen ? "an unprivileged open"
                                                                               : "permissions");
    const auto before = folderState(m_app->path());
    ro.opening([this] { open(); });
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    QVERIFY(m_msgs->calls.isEmpty()); // reading is fine

    // An edit is refused with a message; what was typed stays on screen.
    m_main->txtFields[1]->setFocus();
    QTest::keyClick(m_main->txtFields[1], Qt::Key_End);
    QTest::keyClicks(m_main->txtFields[1], QStringLiteral(" and a dash"));
    click("cmdNext");
    QCOMPARE(
        m_msgs->prompts(),
        QStringList{
            QStringLiteral("The catalogue '%1' is read-only; the change could not be saved.").arg(m_app->catalogue())});
    QCOMPARE(field(1), QStringLiteral("2 oz and a dash"));
    QCOMPARE(m_main->Data1->Caption(), QStringLiteral("Drink# 1"));
    QCOMPARE(folderState(m_app->path()), before);

    // The file cannot take the edit on a second try either: the window moves
    // on, and stays usable.
    click("cmdNext");
    QCOMPARE(field(0), QStringLiteral("Cuba Libre"));
    click("cmdPrevious");
    QCOMPARE(field(1), QStringLiteral("2 oz"));

    // A new row is refused the same way; nothing is added.
    m_msgs->clear();
    click("cmdAdd");
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("Read-only Fizz"));
    click("cmdBegofFile");
    QCOMPARE(m_msgs->calls.size(), 1);
    QCOMPARE(field(0), QStringLiteral("Read-only Fizz"));
    QCOMPARE(folderState(m_app->path()), before);

    // An edit pending at closing is told of once, and the program can end.
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("?"));
    m_main->findChild<QAction *>(QStringLiteral("mnuFileExit"))->trigger();
    QCOMPARE(Screen().formsCount(), 0);
    QCOMPARE(m_msgs->calls.size(), 2);
    QCOMPARE(folderState(m_app->path()), before);
}

void TestFaults::lockedWhenOpening()
{
    // Another program keeps even readers out for longer than we wait.
    pv::RecordCursor::setBusyTimeoutMs(200);
    QProcess holder;
    pvrel::startDriver(holder, {"hold", m_app->catalogue(), "1500", "exclusive"});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));
    const QByteArray before = pvrel::sha256(m_app->catalogue());
    open();
    QCOMPARE(m_msgs->calls.size(), 1);
    QVERIFY(m_msgs->last().contains(QStringLiteral("in use by another program")));
    QVERIFY(m_msgs->last().contains(m_app->catalogue()));
    tryEverything();
    QVERIFY(holder.waitForFinished(10000));
    QCOMPARE(pvrel::sha256(m_app->catalogue()), before);
    // Free again: a refresh opens the rows.
    m_msgs->clear();
    click("cmdRefresh");
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    QVERIFY(m_msgs->calls.isEmpty());
}

void TestFaults::lockedWhileSaving()
{
    pv::RecordCursor::setBusyTimeoutMs(300); // taken when the rows open
    open();
    click("cmdNext");
    QProcess holder;
    pvrel::startDriver(holder, {"hold", m_app->catalogue(), "1500"});
    QVERIFY(holder.waitForReadyRead(10000));
    QCOMPARE(holder.readLine().trimmed(), QByteArray("locked"));
    const QByteArray before = pvrel::sha256(m_app->catalogue());

    m_main->txtGlassname->setFocus();
    m_main->txtGlassname->selectAll();
    QTest::keyClicks(m_main->txtGlassname, QStringLiteral("Collins"));
    QElapsedTimer t;
    t.start();
    click("cmdNext");
    QVERIFY2(t.elapsed() >= 250, "the save did not wait for the lock");
    QCOMPARE(m_msgs->calls.size(), 1);
    QVERIFY(m_msgs->last().contains(QStringLiteral("in use by another program")));
    QCOMPARE(m_main->txtGlassname->text(), QStringLiteral("Collins"));
    QCOMPARE(field(0), QStringLiteral("Cuba Libre"));
    QCOMPARE(pvrel::sha256(m_app->catalogue()), before);

    // Once the other program lets go, the same move saves what was typed.
    QVERIFY(holder.waitForFinished(10000));
    click("cmdNext");
    QCOMPARE(field(0), QStringLiteral("Gin and Tonic"));
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT Glass FROM drinklst WHERE DrinkName='Cuba Libre'"),
             QStringList{"Collins"});
    QCOMPARE(m_msgs->calls.size(), 1);
}

void TestFaults::missingTable()
{
    pvtest::execSql(m_app->catalogue(), "DROP TABLE drinklst");
    const auto before = folderState(m_app->path());
    open();
    QCOMPARE(m_msgs->prompts(), QStringList{"The catalogue has no table or stored query named 'drinklst'."});
    tryEverything();
    QCOMPARE(folderState(m_app->path()), before);
}

void TestFaults::missingStoredQuery()
{
    // The message itself is the main window's own test; here: an edit the
    // user made before choosing the missing category is saved (it was asked
    // for), and nothing else is written.
    pvtest::execSql(m_app->catalogue(), "DROP VIEW Gin");
    open();
    QTest::keyClick(m_main->txtFields[21], Qt::Key_End);
    QTest::keyClicks(m_main->txtFields[21], QStringLiteral(" Twist."));
    m_main->findChild<QAction *>(QStringLiteral("mnuGin"))->trigger();
    QCOMPARE(m_msgs->prompts(), QStringList{"The catalogue has no table or stored query named 'Gin'."});
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT Directions FROM drinklst WHERE rowid = 1"),
             QStringList{"Shake with ice and strain. Twist."});
    const auto before = folderState(m_app->path());
    tryEverything();
    QCOMPARE(folderState(m_app->path()), before);
}

void TestFaults::missingColumn()
{
    pvtest::execSql(m_app->catalogue(), "ALTER TABLE drinklst DROP COLUMN Ing10");
    const auto before = folderState(m_app->path());
    open();
    QCOMPARE(m_msgs->prompts(), QStringList{"The rows have no column named 'Ing10'."});
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    tryEverything();
    QCOMPARE(folderState(m_app->path()), before);

    // The other boxes still save; what is typed into the orphaned box goes nowhere.
    m_msgs->clear();
    QTest::keyClicks(m_main->txtFields[20], QStringLiteral("Nutmeg"));
    QTest::keyClicks(m_main->txtFields[19], QStringLiteral("1 pinch"));
    click("cmdNext");
    QVERIFY(m_msgs->calls.isEmpty());
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT Qty10 FROM drinklst WHERE rowid = 1"),
             QStringList{"1 pinch"});
}

void TestFaults::storedQueryMissingAColumn()
{
    pvtest::execSql(m_app->catalogue(),
                    "DROP VIEW Gin; CREATE VIEW Gin AS SELECT rowid AS pv_key, DrinkName, Directions, Ing1, Qty1, "
                    "Ing2, Qty2, Ing3, Qty3, Ing4, Qty4, Ing5, Qty5, Ing6, Qty6, Ing7, Qty7, Ing8, Qty8, Ing9, Qty9, "
                    "Ing10, Qty10 FROM drinklst WHERE Category1 = 'Gin'");
    const auto before = folderState(m_app->path());
    open();
    m_main->findChild<QAction *>(QStringLiteral("mnuGin"))->trigger();
    // A stored query that is not the one the program writes is told of once.
    QTRY_COMPARE(m_msgs->prompts().size(), 2);
    QVERIFY(m_msgs->prompts().contains(QStringLiteral("The rows have no column named 'Glass'.")));
    QCOMPARE(m_msgs->prompts().filter(QStringLiteral("Its stored query Gin is not the one Pourvale writes")).size(), 1);
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    QCOMPARE(m_main->txtGlassname->text(), QString());
    tryEverything();
    QCOMPARE(folderState(m_app->path()), before);
}

void TestFaults::rowDeletedByAnotherProgram()
{
    open();
    click("cmdNext");
    QCOMPARE(field(0), QStringLiteral("Cuba Libre"));
    pvtest::execSql(m_app->catalogue(), "DELETE FROM drinklst WHERE DrinkName = 'Cuba Libre'");
    QTest::keyClick(m_main->txtFields[21], Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(m_main->txtFields[21], QStringLiteral(" Stir."));
    click("cmdNext");
    QCOMPARE(m_msgs->prompts(), QStringList{"The row has been deleted."});
    QCOMPARE(field(21), QStringLiteral("Build over ice. Stir."));
    // The row cannot come back by saving again: the window moves on.
    click("cmdNext");
    QCOMPARE(field(0), QStringLiteral("Gin and Tonic"));
    QCOMPARE(m_msgs->calls.size(), 1);
    QCOMPARE(pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst"), QStringList{"7"});
    m_main->mnuFileExit->trigger();
    QCOMPARE(Screen().formsCount(), 0);
}

void TestFaults::unusualApplicationFolder()
{
    QTemporaryDir base;
    const QString folder = base.path() + QStringLiteral("/Bar's \"Best\" Drinks – ünïcödé 酒 🍸");
    QVERIFY(QDir().mkpath(folder));
    pvtest::writeCatalogue(folder + QStringLiteral("/pv.mdb"), pvtest::smallDrinkSeed());
    Screen().App().Path = folder;
    open();
    QVERIFY(m_msgs->calls.isEmpty());
    QCOMPARE(field(0), QStringLiteral("Bee's Knees"));
    QTest::keyClick(m_main->txtFields[0], Qt::Key_End);
    QTest::keyClicks(m_main->txtFields[0], QStringLiteral("!"));
    click("cmdEndofList");
    QCOMPARE(pvtest::queryColumn(folder + QStringLiteral("/pv.mdb"), "SELECT DrinkName FROM drinklst WHERE rowid=1"),
             QStringList{"Bee's Knees!"});
}

PV_TEST_MAIN(TestFaults)
#include "tst_faults.moc"

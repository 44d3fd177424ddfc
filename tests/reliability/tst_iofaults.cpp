// A full disk and failing writes while the windows save: every I/O call of
// a save fails in turn until the save goes through untouched. Each time the
// user hears of it once, keeps the typed text, the file stays whole and
// holds the old row or the new one, and the same click saves it afterwards,
// once. Last, the same on a real file system that fills up.
#include "FaultVfs.h"
#include "Reliability.h"
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "collections/CollectionBrowser.h"
#include "data/DataError.h"
#include "data/RecordCursor.h"
#include "ui/DataControl.h"

#include <QDir>
#include <QPlainTextEdit>
#include <QSettings>

#include <cerrno>
#include <cstring>
#include <functional>
#include <sys/mount.h>

using pv::Screen;
using pvrel::FaultVfs;

namespace {

enum class Held { Old, New, Neither };

// One kind of save, as a person makes it in a window.
struct SaveKind {
    std::function<void(int n)> type;                  // puts the n-th change on screen
    std::function<void()> save;                       // the click that saves it
    std::function<bool(int n)> kept;                  // the screen still shows it
    std::function<Held(const QString &, int n)> held; // what a file holds of it
};

QString longText(const QString &head, int n)
{
    // Several pages, so that one save writes many.
    return QStringLiteral("%1 %2: ").arg(head).arg(n) + QStringLiteral("stir, strain, garnish; ").repeated(250);
}

// A copy of the catalogue and its journal, opened as the next start would
// open them: what a crash right now would leave.
class Snapshot {
public:
    explicit Snapshot(const QString &catalogue)
    {
        for (const QString &suffix : {QString(), QStringLiteral("-journal")})
            if (QFile::exists(catalogue + suffix))
                QFile::copy(catalogue + suffix, path() + suffix);
        m_integrity = pvrel::integrityCheck(path());
    }
    QString path() const { return m_dir.path() + QStringLiteral("/pv.mdb"); }
    const QString &integrity() const { return m_integrity; }

private:
    QTemporaryDir m_dir;
    QString m_integrity;
};

int count(const QString &path, const QString &sql)
{
    return pvtest::queryColumn(path, sql).value(0).toInt();
}

QString quoted(const QString &text)
{
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) + QLatin1Char('\'');
}

// A new row whose long column is `text`: absent, or present once and whole.
Held newRowHeld(const QString &path, const QString &table, const QString &column, const QString &text, int before)
{
    const int all = count(path, QStringLiteral("SELECT count(*) FROM ") + table);
    const int same =
        count(path, QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = %3").arg(table, column, quoted(text)));
    if (all == before && same == 0)
        return Held::Old;
    if (all == before + 1 && same == 1)
        return Held::New;
    return Held::Neither;
}

// An edited row's long column: the old text or the new, nothing else.
Held editHeld(const QString &path, const QString &table, const QString &column, qint64 key, const QString &oldText,
              const QString &newText)
{
    const QStringList got =
        pvtest::queryColumn(path, QStringLiteral("SELECT %1 FROM %2 WHERE rowid = %3").arg(column, table).arg(key));
    if (got == QStringList{oldText})
        return Held::Old;
    if (got == QStringList{newText})
        return Held::New;
    return Held::Neither;
}

QPlainTextEdit *longBox(QWidget *form)
{
    const auto boxes = form->findChildren<QPlainTextEdit *>(QRegularExpression(QStringLiteral("^txtFields")));
    return boxes.value(0);
}

void click(QWidget *form, const char *name)
{
    auto *b = form->findChild<QPushButton *>(QLatin1String(name));
    QVERIFY2(b, name);
    QTest::mouseClick(b, Qt::LeftButton);
}

} // namespace

class TestIoFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void cleanupTestCase();

    void newDrink();
    void editedDrink();
    void deletedDrink();
    void newJoke();
    void editedGame();
    void realFullDisk();

private:
    // Runs the save of `kind` with each I/O call failing in turn, for a full
    // disk and for write errors (once, and from then on).
    void everyFaultPoint(const char *label, const SaveKind &kind);
    frmMain *openMain();

    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    int m_n = 0;
    QStringList m_figures;
};

void TestIoFaults::init()
{
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Bundled);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
    FaultVfs::get().reset();
    pv::RecordCursor::setVfsForTests(FaultVfs::kName);
}

void TestIoFaults::cleanup()
{
    pvtest::unloadAll();
    FaultVfs::get().reset();
    pv::RecordCursor::setVfsForTests(QByteArray());
    m_msgs.reset();
    m_app.reset();
}

void TestIoFaults::cleanupTestCase()
{
    for (const QString &line : std::as_const(m_figures))
        qInfo("%s", qPrintable(line));
}

frmMain *TestIoFaults::openMain()
{
    auto *main = Screen().Load<frmMain>();
    Screen().Show(main);
    for (int i = 0; i < 100 && !main->Data1->cursor(); ++i)
        QTest::qWait(10);
    return main;
}

void TestIoFaults::everyFaultPoint(const char *label, const SaveKind &kind)
{
    struct Variant {
        const char *name;
        bool diskFull;
        bool fromThenOn;
    };
    const Variant variants[] = {
        {"full disk", true, true}, {"write error once", false, false}, {"write errors from then on", false, true}};
    const QString catalogue = m_app->catalogue();
    FaultVfs &vfs = FaultVfs::get();
    QStringList points;
    for (const Variant &v : variants) {
        const QString expected = pv::DataError(v.diskFull ? pv::ErrDiskFull : pv::ErrDiskIo, catalogue).message();
        int tried = 0;
        for (int k = 1;; ++k) {
            QVERIFY2(k < 500, "the save never ran without a fault");
            const int n = ++m_n;
            const QString where =
                QStringLiteral("%1, %2, call %3").arg(QLatin1String(label), QLatin1String(v.name)).arg(k);
            kind.type(n);
            m_msgs->clear();
            vfs.failAt(k, v.fromThenOn, v.diskFull);
            kind.save();
            const bool fired = vfs.faultsFired() > 0;
            vfs.failAt(0, false, false);
            if (!fired) {
                // Past the save's last call: it went through untouched.
                QVERIFY2(m_msgs->calls.isEmpty(), qPrintable(where + QStringLiteral(": ") + m_msgs->last()));
                QVERIFY2(kind.held(catalogue, n) == Held::New, qPrintable(where));
                break;
            }
            ++tried;
            QCOMPARE(m_msgs->prompts(), QStringList{expected});
            QVERIFY2(kind.kept(n), qPrintable(where + QStringLiteral(": the typed text is gone")));
            {
                const Snapshot crash(catalogue);
                QVERIFY2(crash.integrity() == QLatin1String("ok"),
                         qPrintable(where + QStringLiteral(": ") + crash.integrity()));
                QVERIFY2(kind.held(crash.path(), n) != Held::Neither,
                         qPrintable(where + QStringLiteral(": half a save")));
            }
            // The fault is gone: the same click saves, once.
            m_msgs->clear();
            kind.save();
            QVERIFY2(m_msgs->calls.isEmpty(), qPrintable(where + QStringLiteral(", again: ") + m_msgs->last()));
            QCOMPARE(pvrel::integrityCheck(catalogue), QStringLiteral("ok"));
            QVERIFY2(kind.held(catalogue, n) == Held::New, qPrintable(where + QStringLiteral(": not saved once")));
        }
        QVERIFY(tried > 0);
        points << QStringLiteral("%1 %2").arg(tried).arg(QLatin1String(v.name));
    }
    m_figures << QStringLiteral("fault points, %1: %2").arg(QLatin1String(label), points.join(QStringLiteral(", ")));
}

void TestIoFaults::newDrink()
{
    frmMain *main = openMain();
    int before = 0;
    everyFaultPoint("new drink",
                    {[&](int n) {
                         before = count(m_app->catalogue(), "SELECT count(*) FROM drinklst");
                         click(main, "cmdAdd");
                         static_cast<QLineEdit *>(main->txtFields[0])->setText(QStringLiteral("Fault Fizz %1").arg(n));
                         static_cast<QPlainTextEdit *>(main->txtFields[21])->setPlainText(longText("New", n));
                     },
                     [&] { click(main, "cmdBegofFile"); },
                     [&](int n) {
                         return main->fieldText(0) == QStringLiteral("Fault Fizz %1").arg(n) &&
                                main->fieldText(21) == longText("New", n);
                     },
                     [&](const QString &path, int n) {
                         return newRowHeld(path, "drinklst", "Directions", longText("New", n), before);
                     }});
}

void TestIoFaults::editedDrink()
{
    frmMain *main = openMain();
    click(main, "cmdNext");
    const qint64 key = main->Data1->recordset().Bookmark();
    QString old;
    everyFaultPoint("edited drink",
                    {[&](int n) {
                         main->Data1->recordset().setBookmark(key);
                         old = main->fieldText(21);
                         static_cast<QPlainTextEdit *>(main->txtFields[21])->setPlainText(longText("Edit", n));
                     },
                     [&] { click(main, "cmdNext"); }, [&](int n) { return main->fieldText(21) == longText("Edit", n); },
                     [&](const QString &path, int n) {
                         return editHeld(path, "drinklst", "Directions", key, old, longText("Edit", n));
                     }});
}

void TestIoFaults::deletedDrink()
{
    frmMain *main = openMain();
    qint64 key = 0;
    QString name;
    everyFaultPoint("deleted drink",
                    {[&](int) {
                         key = main->Data1->recordset().Bookmark();
                         name = main->fieldText(0);
                     },
                     [&] { click(main, "cmdDelete"); },
                     [&](int) { return main->fieldText(0) == name && main->Data1->recordset().Bookmark() == key; },
                     [&](const QString &path, int) {
                         const int n =
                             count(path, QStringLiteral("SELECT count(*) FROM drinklst WHERE rowid = %1").arg(key));
                         return n == 1 ? Held::Old : n == 0 ? Held::New : Held::Neither;
                     }});
}

void TestIoFaults::newJoke()
{
    pv::CollectionBrowser *form = pvtest::loadCollection(QStringLiteral("frmJoke"));
    Screen().Show(form);
    QTest::qWait(20);
    int before = 0;
    everyFaultPoint(
        "new joke",
        {[&](int n) {
             before = count(m_app->catalogue(), "SELECT count(*) FROM joke");
             click(form, "cmdAdd");
             longBox(form)->setPlainText(longText("Joke", n));
         },
         [&] { click(form, "cmdUpdate"); }, [&](int n) { return longBox(form)->toPlainText() == longText("Joke", n); },
         [&](const QString &path, int n) { return newRowHeld(path, "joke", "joke", longText("Joke", n), before); }});
}

void TestIoFaults::editedGame()
{
    pv::CollectionBrowser *form = pvtest::loadCollection(QStringLiteral("frmBgames"));
    Screen().Show(form);
    QTest::qWait(20);
    const qint64 key = form->findChild<pv::DataControl *>(QStringLiteral("datPrimaryRS"))->recordset().Bookmark();
    QString old;
    everyFaultPoint("edited game", {[&](int n) {
                                        old = longBox(form)->toPlainText();
                                        longBox(form)->setPlainText(longText("Game", n));
                                    },
                                    [&] { click(form, "cmdUpdate"); },
                                    [&](int n) { return longBox(form)->toPlainText() == longText("Game", n); },
                                    [&](const QString &path, int n) {
                                        return editHeld(path, "boardgames", "instructions", key, old,
                                                        longText("Game", n));
                                    }});
}

void TestIoFaults::realFullDisk()
{
    // The program's own file layer on a file system that really fills up.
    pv::RecordCursor::setVfsForTests(QByteArray());
    QTemporaryDir mountPoint;
    if (::mount("tmpfs", mountPoint.path().toLocal8Bit().constData(), "tmpfs", 0, "size=1m,mode=0700") != 0)
        QSKIP(qPrintable(QStringLiteral("no real full disk: mounting a small tmpfs is not allowed here (%1)")
                             .arg(QString::fromLocal8Bit(std::strerror(errno)))));
    struct Unmount {
        QString path;
        ~Unmount()
        {
            pvtest::unloadAll();
            ::umount2(path.toLocal8Bit().constData(), MNT_DETACH);
        }
    } unmount{mountPoint.path()};

    const QString catalogue = mountPoint.path() + QStringLiteral("/pv.mdb");
    QVERIFY(QFile::copy(m_app->catalogue(), catalogue));
    Screen().App().Path = mountPoint.path();
    frmMain *main = openMain();
    QVERIFY(m_msgs->calls.isEmpty());

    // Fill the disk to the last byte.
    const QString filler = mountPoint.path() + QStringLiteral("/filler");
    {
        QFile f(filler);
        QVERIFY(f.open(QIODevice::WriteOnly));
        const QByteArray block(4096, 'x');
        while (f.write(block) == block.size() && f.flush()) {
        }
        f.write("x", 1);
        f.flush();
    }
    const QByteArray before = pvrel::sha256(catalogue);
    click(main, "cmdAdd");
    QTest::keyClicks(main->txtFields[0], QStringLiteral("Full Disk Fizz"));
    static_cast<QPlainTextEdit *>(main->txtFields[21])->setPlainText(longText("Full", 0));
    click(main, "cmdBegofFile");
    QCOMPARE(m_msgs->prompts(),
             QStringList{QStringLiteral("There is not enough free disk space to save the change to '%1'. Free some "
                                        "space and try again.")
                             .arg(catalogue)});
    QCOMPARE(main->fieldText(0), QStringLiteral("Full Disk Fizz"));
    QCOMPARE(main->fieldText(21), longText("Full", 0));
    QCOMPARE(pvrel::sha256(catalogue), before);

    // Space made, the same click saves it.
    QVERIFY(QFile::remove(filler));
    m_msgs->clear();
    click(main, "cmdBegofFile");
    QVERIFY2(m_msgs->calls.isEmpty(), qPrintable(m_msgs->last()));
    QCOMPARE(pvrel::integrityCheck(catalogue), QStringLiteral("ok"));
    QCOMPARE(pvtest::queryColumn(catalogue, "SELECT Directions FROM drinklst WHERE DrinkName = 'Full Disk Fizz'"),
             QStringList{longText("Full", 0)});
}

PV_TEST_MAIN(TestIoFaults)
#include "tst_iofaults.moc"

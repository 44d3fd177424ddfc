// A newer bundled catalogue merged into a user's: every pairing of what the
// user did to a row and what the bundle did to it, for recipes and a
// collection, on a catalogue with and without a shipping record; a merge
// killed half-way; and the one message at start-up.
#include "TestSupport.h"

#include "data/CatalogueBuilder.h"
#include "data/CatalogueGuard.h"
#include "browser/frmMain.h"
#include "data/CatalogueUpdate.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

namespace {

// user: '-' left alone, 'e' edited, 'd' deleted, '+' added a row of their own.
// bundle: '=' same again, 'c' changed, 'x' dropped, '+' new, ' ' never had it.
// expect: the text the user's row must hold afterwards, or none.
struct Case {
    const char *name;
    char user;
    char bundle;
    const char *expect;
};
const Case kCases[] = {
    {"Untouched Same", '-', '=', "old"},      {"Untouched Changed", '-', 'c', "new"},
    {"Untouched Dropped", '-', 'x', nullptr}, {"Edited Same", 'e', '=', "mine"},
    {"Edited Changed", 'e', 'c', "mine"},     {"Edited Dropped", 'e', 'x', "mine"},
    {"Deleted Same", 'd', '=', nullptr},      {"Deleted Changed", 'd', 'c', nullptr},
    {"New In Bundle", ' ', '+', "new"},       {"Added By User", '+', ' ', "mine"},
};

QString drink(const QString &name, const QString &text)
{
    return QStringLiteral("name: %1\nglass: Cocktail\ncategories: Gin\ning: 1 oz | Gin\ndirections: %2\n\n")
        .arg(name, text);
}

QString game(const QString &name, const QString &text)
{
    return QStringLiteral("name: %1\ninstructions: %2\n\n").arg(name, text);
}

void build(const QString &path, bool newer, const QString &version, const QList<pv::ShippedRow> &history = {})
{
    QString drinks;
    QString games;
    for (const Case &c : kCases) {
        const bool has =
            newer ? (c.bundle == '=' || c.bundle == 'c' || c.bundle == '+') : (c.bundle != '+' && c.bundle != ' ');
        const QString text = newer && c.bundle != '=' ? QStringLiteral("new") : QStringLiteral("old");
        if (has) {
            drinks += drink(QLatin1String(c.name), text);
            games += game(QLatin1String(c.name), text);
        }
    }
    pv::CatalogueSeed s;
    s.parseDrinks(QStringLiteral("d.txt"), drinks);
    s.parseCollection(QStringLiteral("cardgames"), QStringLiteral("c.txt"), games);
    s.version = version;
    s.previousVersion = history.isEmpty() ? QString() : history.last().version;
    s.history = history;
    s.write(path);
}

QList<pv::ShippedRow> shippedBy(const QString &path, const QString &version)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QList<pv::ShippedRow> rows = pv::fingerprintRows(db, version);
    sqlite3_close(db);
    return rows;
}

// A 1.0 catalogue the user has worked on, and the 2.0 bundle beside it; with
// `between`, a 1.5 release already brought the bundle's changes.
void prepare(const QString &dir, bool recorded, bool between = false)
{
    const QString user = dir + QStringLiteral("/pv.mdb");
    build(user, false, QStringLiteral("1.0"));
    QList<pv::ShippedRow> history = shippedBy(user, QStringLiteral("1.0"));
    if (between) {
        const QString mid = dir + QStringLiteral("/pv-1.5.mdb");
        build(mid, true, QStringLiteral("1.5"), history);
        history += shippedBy(mid, QStringLiteral("1.5"));
    }
    build(dir + QStringLiteral("/pv-bundled.mdb"), true, QStringLiteral("2.0"), history);
    if (!recorded)
        pvtest::execSql(user, "DROP TABLE pv_shipped; DROP TABLE pv_catalogue");
    for (const Case &c : kCases) {
        const QString n = QLatin1String(c.name);
        if (c.user == 'e')
            pvtest::execSql(user, QStringLiteral("UPDATE drinklst SET Directions = 'mine' WHERE DrinkName = '%1';"
                                                 "UPDATE cardgames SET instructions = 'mine' WHERE name = '%1'")
                                      .arg(n));
        else if (c.user == 'd')
            pvtest::execSql(user, QStringLiteral("DELETE FROM drinklst WHERE DrinkName = '%1';"
                                                 "DELETE FROM cardgames WHERE name = '%1'")
                                      .arg(n));
        else if (c.user == '+')
            pvtest::execSql(user, QStringLiteral("INSERT INTO drinklst (DrinkName, Directions) VALUES ('%1', 'mine');"
                                                 "INSERT INTO cardgames VALUES ('%1', 'mine')")
                                      .arg(n));
    }
}

QStringList dump(const QString &db)
{
    return pvtest::queryColumn(db, "SELECT DrinkName || '=' || Directions FROM drinklst ORDER BY rowid") +
           pvtest::queryColumn(db, "SELECT name || '=' || instructions FROM cardgames ORDER BY rowid");
}

} // namespace

class TestCatalogueUpdate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void eachChangeMergesAsTheUserLeftIt_data();
    void eachChangeMergesAsTheUserLeftIt();
    void aChangedToastStaysWithItsTheme();
    void killedMergeLeavesTheCatalogueAndIsRetried();
    void startUpTellsOnce();
};

void TestCatalogueUpdate::eachChangeMergesAsTheUserLeftIt_data()
{
    QTest::addColumn<bool>("recorded");
    QTest::addColumn<bool>("between");
    QTest::newRow("catalogue from before records") << false << false;
    QTest::newRow("catalogue with its record") << true << false;
    QTest::newRow("before records, a release skipped") << false << true;
    QTest::newRow("with its record, a release skipped") << true << true;
}

void TestCatalogueUpdate::eachChangeMergesAsTheUserLeftIt()
{
    QFETCH(bool, recorded);
    QFETCH(bool, between);
    QTemporaryDir dir;
    prepare(dir.path(), recorded, between);
    const QString user = dir.path() + QStringLiteral("/pv.mdb");
    const QStringList before = dump(user);

    const pv::CatalogueMergeResult r = pv::mergeBundledCatalogue(dir.path() + QStringLiteral("/pv-bundled.mdb"), user);
    QVERIFY2(r.merged, qPrintable(r.error));
    for (const Case &c : kCases) {
        const QStringList want = c.expect ? QStringList{QLatin1String(c.expect)} : QStringList();
        const QString n = QString::fromLatin1(c.name);
        QCOMPARE(
            pvtest::queryColumn(user, QStringLiteral("SELECT Directions FROM drinklst WHERE DrinkName = '%1'").arg(n)),
            want);
        QCOMPARE(
            pvtest::queryColumn(user, QStringLiteral("SELECT instructions FROM cardgames WHERE name = '%1'").arg(n)),
            want);
    }
    QCOMPARE(QList<int>({r.recipesUpdated, r.recipesAdded, r.recipesRemoved, r.recipesKept}), QList<int>({1, 1, 1, 3}));
    QCOMPARE(QList<int>({r.otherUpdated, r.otherAdded, r.otherRemoved, r.otherKept}), QList<int>({1, 1, 1, 3}));
    QVERIFY(r.message().contains(
        QStringLiteral("1 recipe was updated, 1 added and 1 retired; your own 3 edited recipes were kept")));
    // Still browsed alphabetically; the backup holds the catalogue as it was.
    const QStringList names = pvtest::queryColumn(user, "SELECT DrinkName FROM drinklst ORDER BY rowid");
    QStringList sorted = names;
    std::sort(sorted.begin(), sorted.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    QCOMPARE(names, sorted);
    QCOMPARE(r.backupPath, user + QStringLiteral(".bak-1.0"));
    QCOMPARE(dump(r.backupPath), before);

    // Once merged, the same bundle changes nothing more.
    const QStringList after = dump(user);
    QVERIFY(!pv::mergeBundledCatalogue(dir.path() + QStringLiteral("/pv-bundled.mdb"), user).merged);
    QCOMPARE(dump(user), after);
}

void TestCatalogueUpdate::aChangedToastStaysWithItsTheme()
{
    QTemporaryDir dir;
    auto toasts = [&](const QString &path, const QString &version, const QStringList &rows,
                      const QList<pv::ShippedRow> &history) {
        QString text;
        for (const QString &r : rows)
            text += QStringLiteral("Cat: %1\nToasts: %2\n\n").arg(r.section(QLatin1Char(':'), 0, 0),
                                                                   r.section(QLatin1Char(':'), 1));
        pv::CatalogueSeed s;
        s.parseDrinks(QStringLiteral("d.txt"), drink(QStringLiteral("Gimlet"), QStringLiteral("old")));
        s.parseCollection(QStringLiteral("Toasting"), QStringLiteral("t.txt"), text);
        s.version = version;
        s.history = history;
        s.previousVersion = history.isEmpty() ? QString() : history.last().version;
        s.write(path);
    };
    const QString user = dir.path() + QStringLiteral("/pv.mdb");
    const QString bundled = dir.path() + QStringLiteral("/pv-bundled.mdb");
    toasts(user, QStringLiteral("1.0"), {"Birthday:b1", "Birthday:b2", "Wedding:w1"}, {});
    toasts(bundled, QStringLiteral("2.0"), {"Birthday:b1", "Birthday:b2 mended", "Wedding:w1", "Wedding:w2"},
           shippedBy(user, QStringLiteral("1.0")));
    pvtest::execSql(user, "INSERT INTO Toasting VALUES ('Mine', 'm1')");
    const pv::CatalogueMergeResult r = pv::mergeBundledCatalogue(bundled, user);
    QVERIFY2(r.merged, qPrintable(r.error));
    QCOMPARE(pvtest::queryColumn(user, "SELECT Cat || ':' || Toasts FROM Toasting ORDER BY rowid"),
             (QStringList{"Birthday:b1", "Birthday:b2 mended", "Wedding:w1", "Wedding:w2", "Mine:m1"}));
}

void TestCatalogueUpdate::killedMergeLeavesTheCatalogueAndIsRetried()
{
    QTemporaryDir dir;
    prepare(dir.path(), true);
    const QString user = dir.path() + QStringLiteral("/pv.mdb");
    const QString bundled = dir.path() + QStringLiteral("/pv-bundled.mdb");
    // A fault half-way: nothing changes and no copy is left behind.
    const QStringList untouched = dump(user);
    pv::guard::trustTriggersForTests({QStringLiteral("pv_fail")});
    pvtest::execSql(user,
                    "CREATE TRIGGER pv_fail AFTER INSERT ON drinklst BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    QVERIFY(pv::mergeBundledCatalogue(bundled, user).error.contains(QStringLiteral("disk trouble")));
    QCOMPARE(dump(user), untouched);
    QVERIFY(!QFile::exists(user + QStringLiteral(".bak-1.0")));
    pvtest::execSql(user, "DROP TRIGGER pv_fail");
    // The merge can write but not commit while this reader holds the file:
    // it waits in its busy timeout, which is when it is killed. (A slow
    // trigger in the file would not do: the merge does not run it.)
    const QStringList before = dump(user);
    sqlite3 *reader = nullptr;
    sqlite3_open_v2(user.toUtf8().constData(), &reader, SQLITE_OPEN_READONLY, nullptr);
    QCOMPARE(sqlite3_exec(reader, "BEGIN; SELECT count(*) FROM drinklst", nullptr, nullptr, nullptr), SQLITE_OK);
    QProcess merge;
    merge.start(QStringLiteral(PV_MKCATALOGUE),
                {QStringLiteral("--merge"), dir.path() + QStringLiteral("/pv-bundled.mdb"), user});
    QVERIFY(merge.waitForStarted());
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(user + QStringLiteral(".bak-1.0")), 20000);
    QTest::qWait(300);
    merge.kill();
    QVERIFY(merge.waitForFinished());
    QCOMPARE(merge.exitStatus(), QProcess::CrashExit);

    QCOMPARE(dump(user), before);
    QCOMPARE(pvtest::queryColumn(user, "SELECT value FROM pv_catalogue WHERE name = 'version'"), QStringList{"1.0"});
    sqlite3_exec(reader, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(reader);
    const pv::CatalogueMergeResult r = pv::mergeBundledCatalogue(dir.path() + QStringLiteral("/pv-bundled.mdb"), user);
    QVERIFY2(r.merged, qPrintable(r.error));
    QCOMPARE(r.backupPath, user + QStringLiteral(".bak-1.0-2"));
    QCOMPARE(pvtest::queryColumn(user, "SELECT Directions FROM drinklst WHERE DrinkName = 'Untouched Changed'"),
             QStringList{"new"});
}

void TestCatalogueUpdate::startUpTellsOnce()
{
    QTemporaryDir dir;
    prepare(dir.path(), false);
    pv::Screen().App().Path = dir.path();
    pvtest::MsgRecorder msgs;
    for (int start = 0; start < 2; ++start) {
        pv::Screen().Load<frmMain>();
        pvtest::unloadAll();
    }
    QCOMPARE(msgs.calls.size(), 1);
    QVERIFY(msgs.last().startsWith(QStringLiteral("The catalogue was brought up to date. 1 recipe was updated")));
    QCOMPARE(msgs.calls[0].style, int(pv::vbInformation));
}

PV_TEST_MAIN(TestCatalogueUpdate)
#include "tst_catalogue_update.moc"

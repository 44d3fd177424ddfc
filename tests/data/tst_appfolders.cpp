// Where an installed program finds its parts, and the user's own catalogue of
// a system-wide install.
#include "TestSupport.h"

#include "data/AppFolders.h"
#include "data/Catalogue.h"

class TestAppFolders : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { pv::useUserCatalogue(QString(), QString(), nullptr); }
    void locate();
    void userCatalogue();
};

namespace {
void touch(const QString &path, const QByteArray &content = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(content);
}
} // namespace

void TestAppFolders::locate()
{
    QTemporaryDir dir;
    const QString d = dir.path();
    // A build folder: everything beside the program.
    touch(d + "/build/bin/pv.mdb");
    // A prefix install: program in bin, data in share, module in lib.
    touch(d + "/usr/bin/pourvale");
    touch(d + "/usr/share/pourvale/pv-bundled.mdb");
    // A bin with nothing anywhere: the program's own folder, where the
    // missing catalogue is then reported.
    QDir().mkpath(d + "/bare/bin");

    struct Row {
        QString program, data, modules;
        bool shared;
    } rows[] = {
        {d + "/build/bin", d + "/build/bin", d + "/build/bin", false},
        {d + "/usr/bin", d + "/usr/share/pourvale", d + "/usr/lib/pourvale", true},
        {d + "/bare/bin", d + "/bare/bin", d + "/bare/bin", false},
    };
    for (const Row &r : rows) {
        const pv::AppFolders f = pv::locateAppFolders(r.program);
        QCOMPARE(f.data, r.data);
        QCOMPARE(f.modules, r.modules);
        QCOMPARE(f.shared, r.shared);
    }
}

void TestAppFolders::userCatalogue()
{
    QTemporaryDir dir;
    const QString app = dir.filePath("usr/share/pourvale");
    touch(app + "/pv-bundled.mdb", "bundled");
    QFile::setPermissions(app + "/pv-bundled.mdb", QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QString home = dir.filePath("home/.local/share/pourvale");
    QString error;

    // First start: a writable copy of the bundled catalogue, which
    // cataloguePath now names.
    QVERIFY2(pv::useUserCatalogue(app, home, &error), qPrintable(error));
    const QString mine = home + "/pv.mdb";
    QCOMPARE(pv::cataloguePath(app), mine);
    QFile copy(mine);
    QVERIFY(copy.open(QIODevice::ReadWrite));
    QCOMPARE(copy.readAll(), QByteArray("bundled"));
    copy.write(" and edited");
    copy.close();
    QVERIFY(!QFileInfo::exists(mine + ".part"));

    // Later starts keep the user's file, whatever the bundled one says now.
    QFile::remove(app + "/pv-bundled.mdb");
    touch(app + "/pv-bundled.mdb", "a newer bundled one");
    QVERIFY(pv::useUserCatalogue(app, home, &error));
    QVERIFY(copy.open(QIODevice::ReadOnly));
    QCOMPARE(copy.readAll(), QByteArray("bundled and edited"));
    copy.close();

    // No folder can be made (a file stands in its way): said, and nothing
    // half made is left.
    const QString blocked = dir.filePath("blocked");
    touch(blocked);
    error.clear();
    QVERIFY(!pv::useUserCatalogue(app, blocked + "/pourvale", &error));
    QVERIFY2(error.contains(QDir::toNativeSeparators(blocked + "/pourvale/pv.mdb")), qPrintable(error));
    QVERIFY(!QFileInfo::exists(blocked + "/pourvale"));

    // Run from a build folder again: the application folder's own.
    QVERIFY(pv::useUserCatalogue(app, QString(), &error));
    QCOMPARE(pv::cataloguePath(app), app + "/pv.mdb");
}

PV_TEST_MAIN(TestAppFolders)
#include "tst_appfolders.moc"

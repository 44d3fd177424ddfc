// The keyset cursor over real catalogue files.
#include "TestSupport.h"

#include "data/Catalogue.h"
#include "data/DataError.h"
#include "data/DrinkIndex.h"
#include "data/RecordCursor.h"

#include <QFile>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>

using pv::DataError;
using pv::RecordCursor;

namespace {

QString name(const RecordCursor &c)
{
    return c.value(QStringLiteral("DrinkName")).toString();
}

template <class F>
int errorOf(F &&f)
{
    try {
        f();
    } catch (const DataError &e) {
        return e.number();
    }
    return 0;
}

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.readAll();
}

} // namespace

class TestRecordCursor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void movesAndEnds();
    void emptyCursor();
    void deleteInMiddleAtEndAndOnly();
    void addNewAndLastModified();
    void editWritesByKey();
    void findAndNoMatch();
    void findRules();
    void nameSearchThroughTheIndex();
    void storedQueryIsEditable();
    void sqlTextSource();
    void twoCursorsOnOneFile();
    void engineErrors();
    void notACatalogueIsLeftUntouched();
    void readOnlyAndLockedFiles();
    void longListsAreListedAsNeeded();

private:
    QTemporaryDir m_dir;
    QString m_db;
};

void TestRecordCursor::init()
{
    m_db = m_dir.path() + QStringLiteral("/pv.mdb");
    QFile::remove(m_db);
    pvtest::writeCatalogue(m_db, pvtest::smallDrinkSeed());
}

void TestRecordCursor::movesAndEnds()
{
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    QCOMPARE(c.RecordCount(), 8);
    QVERIFY(!c.Bof() && !c.Eof());
    QCOMPARE(c.AbsolutePosition(), 0);
    QCOMPARE(name(c), QStringLiteral("Bee's Knees"));

    c.MoveLast();
    QCOMPARE(c.AbsolutePosition(), 7);
    QCOMPARE(name(c), QStringLiteral("Shirley Temple"));
    c.MoveNext(); // past the end: no current row
    QVERIFY(c.Eof() && !c.Bof());
    QCOMPARE(c.AbsolutePosition(), -1);
    QCOMPARE(errorOf([&] { name(c); }), int(pv::ErrNoCurrentRecord));
    QCOMPARE(errorOf([&] { c.MoveNext(); }), int(pv::ErrNoCurrentRecord));
    QVERIFY(c.Eof());
    c.MovePrevious();
    QCOMPARE(name(c), QStringLiteral("Shirley Temple"));

    c.MoveFirst();
    c.MovePrevious();
    QVERIFY(c.Bof() && !c.Eof());
    QCOMPARE(c.AbsolutePosition(), -1);
    QCOMPARE(errorOf([&] { c.MovePrevious(); }), int(pv::ErrNoCurrentRecord));
    c.MoveNext();
    QCOMPARE(c.AbsolutePosition(), 0);
    // First and last again change nothing.
    c.MoveFirst();
    QCOMPARE(c.AbsolutePosition(), 0);
}

void TestRecordCursor::emptyCursor()
{
    RecordCursor c(m_db, QStringLiteral("Beer")); // a stored query with no rows
    QVERIFY(c.Bof() && c.Eof());
    QCOMPARE(c.RecordCount(), 0);
    QCOMPARE(c.AbsolutePosition(), -1);
    for (auto move : {&RecordCursor::MoveFirst, &RecordCursor::MoveLast, &RecordCursor::MoveNext,
                      &RecordCursor::MovePrevious, &RecordCursor::Delete})
        QCOMPARE(errorOf([&] { (c.*move)(); }), int(pv::ErrNoCurrentRecord));
    QCOMPARE(errorOf([&] { name(c); }), int(pv::ErrNoCurrentRecord));
    c.FindFirst(QStringLiteral("DrinkName Like '*'"));
    QVERIFY(c.NoMatch());
}

void TestRecordCursor::deleteInMiddleAtEndAndOnly()
{
    {
        RecordCursor c(m_db, QStringLiteral("drinklst"));
        c.MoveNext();
        c.MoveNext(); // Gin and Tonic
        c.Delete();
        QCOMPARE(c.AbsolutePosition(), -1);
        QVERIFY(!c.Bof() && !c.Eof());
        QCOMPARE(errorOf([&] { name(c); }), int(pv::ErrNoCurrentRecord));
        QCOMPARE(errorOf([&] { c.Delete(); }), int(pv::ErrNoCurrentRecord));
        c.MoveNext(); // the row that followed
        QCOMPARE(name(c), QStringLiteral("Manhattan"));
        QCOMPARE(c.AbsolutePosition(), 2);
        QCOMPARE(c.RecordCount(), 7);

        c.MoveLast();
        c.Delete();
        c.MoveNext();
        QVERIFY(c.Eof());
        c.MovePrevious();
        QCOMPARE(name(c), QStringLiteral("Planter's Punch"));
    }
    QCOMPARE(pvtest::queryColumn(m_db, QStringLiteral("SELECT count(*) FROM drinklst")), QStringList{"6"});

    // The only row of a list.
    RecordCursor only(m_db, QStringLiteral("NonAlcoholic"));
    QCOMPARE(only.RecordCount(), 0); // Shirley Temple went above
    RecordCursor rum(m_db, QStringLiteral("Rum"));
    QCOMPARE(rum.RecordCount(), 2);
    rum.Delete();
    rum.MoveNext();
    rum.Delete();
    QCOMPARE(rum.RecordCount(), 0);
    rum.MoveNext();
    QVERIFY(rum.Eof() && !rum.Bof());
    rum.MovePrevious();
    QVERIFY(rum.Bof());
}

void TestRecordCursor::addNewAndLastModified()
{
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    QCOMPARE(errorOf([&] { c.LastModified(); }), int(pv::ErrNotValidBookmark));
    c.MoveNext();
    c.AddNew();
    QVERIFY(c.isAdding());
    QCOMPARE(c.value(QStringLiteral("DrinkName")), QVariant());
    c.setValue(QStringLiteral("DrinkName"), QStringLiteral("Zombie"));
    c.setValue(QStringLiteral("Glass"), QStringLiteral("Collins"));
    c.Update();
    // The row current before AddNew is current again; the new row is last.
    QCOMPARE(name(c), QStringLiteral("Cuba Libre"));
    QCOMPARE(c.RecordCount(), 9);
    c.setBookmark(c.LastModified());
    QCOMPARE(name(c), QStringLiteral("Zombie"));
    QCOMPARE(c.AbsolutePosition(), 8);

    // A move while adding drops the new row.
    c.AddNew();
    c.setValue(QStringLiteral("DrinkName"), QStringLiteral("Dropped"));
    c.MoveFirst();
    QCOMPARE(c.RecordCount(), 9);
    QCOMPARE(pvtest::queryColumn(m_db, QStringLiteral("SELECT count(*) FROM drinklst WHERE DrinkName='Dropped'")),
             QStringList{"0"});

    // Adding to an empty list.
    RecordCursor beer(m_db, QStringLiteral("Beer"));
    beer.AddNew();
    beer.setValue(QStringLiteral("DrinkName"), QStringLiteral("Shandy"));
    beer.setValue(QStringLiteral("Category1"), QStringLiteral("Beer"));
    beer.Update();
    QVERIFY(beer.Eof() && !beer.Bof());
    beer.MoveFirst();
    QCOMPARE(name(beer), QStringLiteral("Shandy"));
}

void TestRecordCursor::editWritesByKey()
{
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    c.MoveLast();
    c.setValue(QStringLiteral("glass"), QStringLiteral("Highball")); // names ignore case
    QCOMPARE(c.value(QStringLiteral("Glass")).toString(), QStringLiteral("Highball"));
    c.Update();
    QCOMPARE(c.LastModified(), c.Bookmark());
    QCOMPARE(pvtest::queryColumn(m_db, QStringLiteral("SELECT Glass FROM drinklst WHERE DrinkName='Shirley Temple'")),
             QStringList{"Highball"});
    // Unicode and very long text survive a round trip.
    const QString text = QStringLiteral("Café 日本 🍸 ") + QString(10000, QLatin1Char('x'));
    c.setValue(QStringLiteral("Directions"), text);
    c.Update();
    RecordCursor again(m_db, QStringLiteral("drinklst"));
    again.MoveLast();
    QCOMPARE(again.value(QStringLiteral("Directions")).toString(), text);
    QCOMPARE(errorOf([&] { c.setValue(QStringLiteral("NoSuchColumn"), 1); }), int(pv::ErrNoSuchColumn));
}

void TestRecordCursor::findAndNoMatch()
{
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    c.FindFirst(QStringLiteral("DrinkName Like '*GIN*'"));
    QVERIFY(!c.NoMatch());
    QCOMPARE(name(c), QStringLiteral("Gin and Tonic")); // start of a name, other case
    c.FindNext(QStringLiteral("DrinkName Like '*GIN*'"));
    QCOMPARE(name(c), QStringLiteral("Pink Gin")); // end of a name
    c.FindNext(QStringLiteral("DrinkName Like '*GIN*'"));
    QVERIFY(c.NoMatch());
    QCOMPARE(name(c), QStringLiteral("Pink Gin")); // a failed find leaves the row
    c.FindFirst(QStringLiteral("DrinkName Like '*hat*'"));
    QCOMPARE(name(c), QStringLiteral("Manhattan")); // middle
    c.FindFirst(QStringLiteral("DrinkName Like '*Planter''s*'"));
    QCOMPARE(name(c), QStringLiteral("Planter's Punch"));
    c.FindFirst(QStringLiteral("DrinkName Like '*zzz*'"));
    QVERIFY(c.NoMatch());
    QCOMPARE(name(c), QStringLiteral("Planter's Punch"));

    // From past the end there is nothing further; from before the start, everything.
    c.MoveLast();
    c.MoveNext();
    c.FindNext(QStringLiteral("DrinkName Like '*'"));
    QVERIFY(c.NoMatch());
    c.MoveFirst();
    c.MovePrevious();
    c.FindNext(QStringLiteral("DrinkName Like '*'"));
    QCOMPARE(c.AbsolutePosition(), 0);
}

// Search and Find Next over runs of plain letters read the index, and find
// exactly the rows, in the same order, that the Like matcher finds alone:
// the names of the cases above and of letters that fold onto plain ones.
void TestRecordCursor::nameSearchThroughTheIndex()
{
    const QStringList extra = {"CAFÉ Gin",       "xxAB\u00e9",     "a\u00e9b",        "Whi\u017Fkey Sour",
                               "ab\u212A Sling", "GI\u0307N Fizz", "G\u0130N Rickey", "  spaced   gin  ",
                               "Gîn Sour",       "PINK GIN"};
    for (const QString &n : extra)
        pvtest::execSql(m_db, QStringLiteral("INSERT INTO drinklst (DrinkName) VALUES ('%1')").arg(n));
    pvtest::execSql(m_db, "INSERT INTO drinklst (DrinkName, Ing1) VALUES (NULL, 'Gin')");
    const QString bare = m_dir.path() + QStringLiteral("/bare.mdb");
    QFile::remove(bare);
    QVERIFY(QFile::copy(m_db, bare));
    QVERIFY(pv::drinkindex::syncFile(m_db));

    QStringList names = pvtest::queryColumn(m_db, "SELECT DrinkName FROM drinklst");
    QSet<QString> patterns = {"*zzz*", "*ZZZZZZ*"};
    for (const QString &n : names) {
        for (int from = 0; from < n.size(); ++from)
            for (int len = 3; len <= 5 && from + len <= n.size(); ++len) {
                const QString run = n.mid(from, len);
                if (std::all_of(run.begin(), run.end(), [](QChar ch) { return ch.isLetter() && ch.unicode() < 0x80; }))
                    patterns << QStringLiteral("*%1*").arg(run) << QStringLiteral("*%1*").arg(run.toUpper());
            }
    }
    const auto found = [](RecordCursor &c, const QString &criterion, bool indexed) {
        QList<int> at;
        c.MoveFirst();
        c.FindFirst(criterion);
        while (!c.NoMatch()) {
            at << c.AbsolutePosition();
            if (c.lastFindUsedIndex() != indexed)
                return QList<int>{-1};
            c.FindNext(criterion);
        }
        return at;
    };
    RecordCursor withIndex(m_db, QStringLiteral("drinklst")), without(bare, QStringLiteral("drinklst"));
    int hits = 0;
    for (const QString &p : patterns) {
        const QString criterion = QStringLiteral("DrinkName Like '%1'").arg(p);
        const QList<int> want = found(without, criterion, false);
        QCOMPARE(found(withIndex, criterion, true), want);
        hits += int(want.size());
    }
    QVERIFY(hits > int(patterns.size()));
    // Any other pattern is the matcher's alone.
    withIndex.FindFirst(QStringLiteral("DrinkName Like '*gi?*'"));
    QVERIFY(!withIndex.lastFindUsedIndex());
}

void TestRecordCursor::findRules()
{
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    c.FindFirst(QStringLiteral("DrinkName Like 'Cuba?Libre'"));
    QCOMPARE(name(c), QStringLiteral("Cuba Libre"));
    c.FindFirst(QStringLiteral("DrinkName Like '[m-n]*'"));
    QCOMPARE(name(c), QStringLiteral("Manhattan"));
    c.FindFirst(QStringLiteral("DrinkName Like '[!a-m]*'"));
    QCOMPARE(name(c), QStringLiteral("Negroni"));
    QCOMPARE(errorOf([&] { c.FindFirst(QStringLiteral("DrinkName Like '*[gin*'")); }), int(pv::ErrInvalidPattern));
    QCOMPARE(errorOf([&] { c.FindFirst(QStringLiteral("DrinkName Like '*Planter's*'")); }), int(pv::ErrSyntax));
    QCOMPARE(errorOf([&] { c.FindFirst(QStringLiteral("Nope Like '*'")); }), int(pv::ErrNoSuchColumn));
    QCOMPARE(name(c), QStringLiteral("Negroni")); // errors leave the row
    // NULL names never match, not even '*'.
    pvtest::execSql(m_db, QStringLiteral("INSERT INTO drinklst (Glass) VALUES ('Shot')"));
    RecordCursor d(m_db, QStringLiteral("drinklst"));
    d.MoveLast();
    QCOMPARE(d.value(QStringLiteral("DrinkName")), QVariant());
    d.MoveFirst();
    int found = 0;
    for (d.FindFirst(QStringLiteral("DrinkName Like '*'")); !d.NoMatch(); d.FindNext(QStringLiteral("DrinkName Like '*'")))
        ++found;
    QCOMPARE(found, 8);
}

void TestRecordCursor::storedQueryIsEditable()
{
    RecordCursor gin(m_db, QStringLiteral("Gin"));
    QCOMPARE(gin.RecordCount(), 4);
    QCOMPARE(name(gin), QStringLiteral("Bee's Knees"));
    QVERIFY(!gin.hasField(QStringLiteral("pv_key"))); // the key is not a field
    gin.MoveLast();
    gin.setValue(QStringLiteral("Directions"), QStringLiteral("Stir, do not shake."));
    gin.Update();
    gin.Delete();
    gin.AddNew();
    gin.setValue(QStringLiteral("DrinkName"), QStringLiteral("Gimlet"));
    gin.setValue(QStringLiteral("Category1"), QStringLiteral("Gin"));
    gin.Update();
    QCOMPARE(pvtest::queryColumn(m_db, QStringLiteral("SELECT Directions FROM drinklst WHERE DrinkName='Pink Gin'")),
             QStringList{});
    QCOMPARE(pvtest::queryColumn(m_db, QStringLiteral("SELECT DrinkName FROM Gin")),
             (QStringList{"Bee's Knees", "Gin and Tonic", "Negroni", "Gimlet"}));
    RecordCursor negroni(m_db, QStringLiteral("Aperitifs"));
    negroni.setValue(QStringLiteral("Glass"), QStringLiteral("Cocktail"));
    negroni.Update();
    QCOMPARE(pvtest::queryColumn(m_db, QStringLiteral("SELECT Glass FROM drinklst WHERE DrinkName='Negroni'")),
             QStringList{"Cocktail"});
}

void TestRecordCursor::sqlTextSource()
{
    RecordCursor j(m_db, QStringLiteral("select * from [joke]"));
    QCOMPARE(j.RecordCount(), 3);
    QCOMPARE(j.value(QStringLiteral("ID")).toString(), QStringLiteral("1"));
    j.MoveNext();
    j.setValue(QStringLiteral("joke"), QStringLiteral("Edited"));
    j.Update();
    QCOMPARE(pvtest::queryColumn(m_db, QStringLiteral("SELECT joke FROM joke WHERE ID=2")), QStringList{"Edited"});
    j.AddNew();
    j.setValue(QStringLiteral("joke"), QStringLiteral("New one"));
    j.Update();
    QCOMPARE(j.RecordCount(), 4);
}

void TestRecordCursor::twoCursorsOnOneFile()
{
    RecordCursor a(m_db, QStringLiteral("drinklst"));
    RecordCursor b(m_db, QStringLiteral("drinklst"));
    a.setValue(QStringLiteral("Glass"), QStringLiteral("Goblet"));
    a.Update();
    // b reads fields on demand, so it sees a's save the next time it lands on the row.
    b.MoveNext();
    b.MovePrevious();
    QCOMPARE(b.value(QStringLiteral("Glass")).toString(), QStringLiteral("Goblet"));
    a.AddNew();
    a.setValue(QStringLiteral("DrinkName"), QStringLiteral("Added"));
    a.Update();
    QCOMPARE(b.RecordCount(), 8);
    RecordCursor refreshed(m_db, QStringLiteral("drinklst"));
    QCOMPARE(refreshed.RecordCount(), 9);
    // A row deleted by the other cursor reads as deleted, not as garbage.
    b.MoveLast();
    a.MoveLast();
    a.MovePrevious();
    a.Delete();
    b.MoveLast();
    QCOMPARE(errorOf([&] { name(b); }), int(pv::ErrRecordDeleted));
}

void TestRecordCursor::engineErrors()
{
    const QString missing = m_dir.path() + QStringLiteral("/nowhere/pv.mdb");
    try {
        RecordCursor c(missing, QStringLiteral("drinklst"));
        QFAIL("opened a missing file");
    } catch (const DataError &e) {
        QCOMPARE(e.number(), int(pv::ErrFileNotFound));
        QVERIFY(e.message().contains(missing));
    }
    QCOMPARE(errorOf([&] { RecordCursor c(m_db, QStringLiteral("nosuchtable")); }), int(pv::ErrNoSuchSource));
    QCOMPARE(errorOf([&] { RecordCursor c(m_db, QStringLiteral("select * from [gone]")); }), int(pv::ErrNoSuchSource));
    pvtest::execSql(m_db, QStringLiteral("DROP VIEW Gin; CREATE VIEW Gin AS SELECT rowid AS pv_key, nosuch FROM drinklst"));
    QCOMPARE(errorOf([&] { RecordCursor c(m_db, QStringLiteral("Gin")); }), int(pv::ErrNoSuchColumn));
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    QCOMPARE(errorOf([&] { c.value(QStringLiteral("Nope")); }), int(pv::ErrNoSuchColumn));
    QCOMPARE(errorOf([&] { c.setBookmark(123456); }), int(pv::ErrNotValidBookmark));
}

void TestRecordCursor::notACatalogueIsLeftUntouched()
{
    const QList<QByteArray> contents = {QByteArray(), QByteArray("Standard Jet DB\0\0\0garbage", 26),
                                        QByteArray(4096, 'x'), fileBytes(m_db).left(2048)};
    int i = 0;
    for (const QByteArray &bytes : contents) {
        const QString path = m_dir.path() + QStringLiteral("/bad%1.mdb").arg(i++);
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const int err = errorOf([&] {
            RecordCursor c(path, QStringLiteral("drinklst"));
            c.MoveLast();
            c.value(QStringLiteral("DrinkName"));
        });
        QVERIFY2(err == pv::ErrNotCatalogue || err == pv::ErrCannotOpen, qPrintable(QString::number(err)));
        QCOMPARE(fileBytes(path), bytes);
        QVERIFY(!QFile::exists(path + QStringLiteral("-journal")));
    }
}

void TestRecordCursor::readOnlyAndLockedFiles()
{
    if (geteuid() != 0) {
        // As an ordinary user, permissions make the file read-only.
        QFile::setPermissions(m_db, QFile::ReadOwner | QFile::ReadUser);
        RecordCursor c(m_db, QStringLiteral("drinklst"));
        c.setValue(QStringLiteral("Glass"), QStringLiteral("Pony"));
        QCOMPARE(errorOf([&] { c.Update(); }), int(pv::ErrReadOnly));
        QFile::setPermissions(m_db, QFile::ReadOwner | QFile::WriteOwner);
    }
    // Another connection holds the write lock longer than our busy timeout.
    RecordCursor::setBusyTimeoutMs(200);
    sqlite3 *other = nullptr;
    sqlite3_open(m_db.toUtf8().constData(), &other);
    QCOMPARE(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    QElapsedTimer t;
    t.start();
    const int err = errorOf([&] {
        RecordCursor c(m_db, QStringLiteral("drinklst"));
        c.setValue(QStringLiteral("Glass"), QStringLiteral("Pony"));
        c.Update();
    });
    QCOMPARE(err, int(pv::ErrLocked));
    QVERIFY(t.elapsed() >= 150); // it waited first
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);
    RecordCursor::setBusyTimeoutMs(3000);
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    c.setValue(QStringLiteral("Glass"), QStringLiteral("Pony"));
    c.Update();
}

void TestRecordCursor::longListsAreListedAsNeeded()
{
    // Far more rows than the first chunk of keys, with gaps in the keys.
    pvtest::execSql(m_db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
                                         "INSERT INTO drinklst (DrinkName, Category1) "
                                         "SELECT printf('Row %05d', i), 'Gin' FROM n; "
                                         "DELETE FROM drinklst WHERE DrinkName LIKE 'Row %7'"));
    const int total = 8 + 3000 - 300;
    RecordCursor c(m_db, QStringLiteral("drinklst"));
    for (int i = 1; i < 700; ++i)
        c.MoveNext();
    QCOMPARE(c.AbsolutePosition(), 699);
    QCOMPARE(name(c), QStringLiteral("Row 00769")); // 8 drinks, then rows without the deleted ones
    const QString at700 = name(c);
    c.MovePrevious();
    c.MoveNext();
    QCOMPARE(name(c), at700);

    // Find far ahead, and bookmarks to rows not listed yet.
    RecordCursor d(m_db, QStringLiteral("Gin"));
    d.FindFirst(QStringLiteral("DrinkName Like 'Row 02999'"));
    QVERIFY(!d.NoMatch());
    const qint64 far = d.Bookmark();
    RecordCursor e(m_db, QStringLiteral("Gin"));
    e.setBookmark(far);
    QCOMPARE(name(e), QStringLiteral("Row 02999"));
    e.FindNext(QStringLiteral("DrinkName Like 'Row 0300*'"));
    QCOMPARE(name(e), QStringLiteral("Row 03000"));
    e.FindNext(QStringLiteral("DrinkName Like 'Row*'"));
    QVERIFY(e.NoMatch());

    // Counting, the last row, and a new row after all of them.
    RecordCursor f(m_db, QStringLiteral("drinklst"));
    f.AddNew();
    f.setValue(QStringLiteral("DrinkName"), QStringLiteral("Newest"));
    f.Update();
    QCOMPARE(f.RecordCount(), total + 1);
    f.MoveLast();
    QCOMPARE(name(f), QStringLiteral("Newest"));
    QCOMPARE(f.AbsolutePosition(), total);
    int walked = 1;
    for (f.MoveFirst(); (f.MoveNext(), !f.Eof());)
        ++walked;
    QCOMPARE(walked, total + 1);
}

PV_TEST_MAIN(TestRecordCursor)
#include "tst_recordcursor.moc"

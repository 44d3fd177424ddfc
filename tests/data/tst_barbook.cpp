// The user's own layer over the recipes (favourite, rating, note, made-it
// log) followed through what can happen to a drink: an edit, a delete and its
// restore, an update merge that renumbers and retires drinks, and a JSON
// export imported into a new catalogue and back onto the old one.
#include "TestSupport.h"

#include "data/BarBook.h"
#include "data/CatalogueBuilder.h"
#include "data/CatalogueUpdate.h"
#include "data/RecordCursor.h"
#include "data/RowHistory.h"
#include "interchange/Interchange.h"

#include <QFile>

#include <sqlite3.h>

using pv::DrinkNotes;
using pv::MadeEntry;

namespace {

using Layers = QMap<QString, DrinkNotes>; // drink name -> its layer

QString drink(const QString &name, const QString &text)
{
    return QStringLiteral("name: %1\nglass: Cocktail\ncategories: Gin\ning: 1 oz | Gin\ndirections: %2\n\n")
        .arg(name, text);
}

void build(const QString &path, const QStringList &names, const QString &text, const QString &version,
           const QList<pv::ShippedRow> &history = {})
{
    QString seed;
    for (const QString &n : names)
        seed += drink(n, text);
    pv::CatalogueSeed s;
    s.parseDrinks(QStringLiteral("d.txt"), seed);
    s.version = version;
    s.previousVersion = history.isEmpty() ? QString() : history.last().version;
    s.history = history;
    s.write(path);
}

qint64 keyOf(const QString &catalogue, const QString &name)
{
    const QStringList k =
        pvtest::queryColumn(catalogue, QStringLiteral("SELECT rowid FROM drinklst WHERE DrinkName = '%1'").arg(name));
    return k.isEmpty() ? -1 : k.first().toLongLong();
}

// Every layer in the catalogue, by the name of its drink.
Layers layersOf(const QString &catalogue)
{
    Layers out;
    const QHash<qint64, DrinkNotes> all = pv::book::readAll(catalogue);
    for (auto it = all.begin(); it != all.end(); ++it) {
        const QStringList name = pvtest::queryColumn(
            catalogue, QStringLiteral("SELECT DrinkName FROM drinklst WHERE rowid = %1").arg(it.key()));
        out.insert(name.value(0, QStringLiteral("?")), it.value());
    }
    return out;
}

QString describe(const Layers &l)
{
    QStringList parts;
    for (auto it = l.begin(); it != l.end(); ++it)
        parts << QStringLiteral("%1: fav=%2 rating=%3 note=%4 made=%5")
                     .arg(it.key())
                     .arg(it->favourite)
                     .arg(it->rating)
                     .arg(it->note.size())
                     .arg(it->made.size());
    return parts.join(QStringLiteral("; "));
}

#define COMPARE_LAYERS(actual, expected)                                                                               \
    QVERIFY2((actual) == (expected), qPrintable(describe(actual) + QStringLiteral("\n  expected ") + describe(expected)))

void importFile(const QString &catalogue, const QString &file, bool takeFileNotes)
{
    pv::interchange::ImportPlan plan = pv::interchange::planImport(catalogue, pv::interchange::readDrinkFile(file));
    QVERIFY2(plan.error.isEmpty(), qPrintable(plan.error));
    plan.takeFileNotes = takeFileNotes;
    const pv::interchange::ImportOutcome out = pv::interchange::applyImport(catalogue, plan);
    QVERIFY2(out.ok, qPrintable(out.error));
}

} // namespace

class TestBarBook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layerStaysWithItsDrink();
};

void TestBarBook::layerStaysWithItsDrink()
{
    QTemporaryDir dir;
    const QString user = dir.filePath(QStringLiteral("pv.mdb"));
    const QString bundled = dir.filePath(QStringLiteral("pv-bundled.mdb"));
    build(user, {QStringLiteral("Alpha"), QStringLiteral("Mango"), QStringLiteral("Zulu")}, QStringLiteral("old"),
          QStringLiteral("1.0"));

    // A note of several lines in several scripts, a comment with quotes; a
    // rating alone; a favourite of a drink the next release drops.
    Layers expected;
    expected[QStringLiteral("Alpha")] =
        DrinkNotes{true, 5, QStringLiteral("Line one\nZweite Zeile, \u00FC\u00DF\n\u4E09 \"quoted\" \\ done"),
                   {MadeEntry{QDate(2026, 11, 28), QStringLiteral("for Sam's \"birthday\"")},
                    MadeEntry{QDate(2026, 12, 6), QString()}}};
    expected[QStringLiteral("Mango")] = DrinkNotes{false, 3, QString(), {}};
    expected[QStringLiteral("Zulu")] = DrinkNotes{true, 0, QString(), {MadeEntry{QDate(2025, 1, 2), {}}}};
    for (auto it = expected.begin(); it != expected.end(); ++it)
        pv::book::write(user, keyOf(user, it.key()), it.value());
    COMPARE_LAYERS(layersOf(user), expected);

    // An edit renames the drink: the layer stays with it.
    pvtest::execSql(user, "UPDATE drinklst SET DrinkName = 'Alpha Prime', Directions = 'mine' WHERE DrinkName = 'Alpha'");
    expected[QStringLiteral("Alpha Prime")] = expected.take(QStringLiteral("Alpha"));
    COMPARE_LAYERS(layersOf(user), expected);

    // A delete takes it to Recently Deleted; a drink added meanwhile under the
    // freed key does not inherit it; restoring brings it back.
    {
        pv::RecordCursor c(user, QStringLiteral("drinklst"));
        c.setDeleteKeeper([](sqlite3 *db, const QString &table, qint64 key) { pv::trash::keep(db, table, key); });
        c.setBookmark(keyOf(user, QStringLiteral("Zulu")));
        c.Delete();
    }
    const DrinkNotes zulu = expected.take(QStringLiteral("Zulu"));
    COMPARE_LAYERS(layersOf(user), expected);
    pvtest::execSql(user, "INSERT INTO drinklst (DrinkName, Directions) VALUES ('Newcomer', 'x')");
    COMPARE_LAYERS(layersOf(user), expected);
    const QList<pv::DeletedRow> trash = pv::trash::list(user);
    QCOMPARE(trash.size(), 1);
    pv::trash::restore(user, trash.first().id);
    expected[QStringLiteral("Zulu")] = zulu;
    COMPARE_LAYERS(layersOf(user), expected);

    // The update merge adds a drink in alphabetical place (every drink after
    // it is renumbered), changes one, drops Zulu: the layers follow their
    // drinks, and Zulu, marked by the user, is not dropped.
    sqlite3 *db = nullptr;
    sqlite3_open_v2(user.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QList<pv::ShippedRow> history = pv::fingerprintRows(db, QStringLiteral("1.0"));
    sqlite3_close(db);
    build(bundled, {QStringLiteral("Alpha"), QStringLiteral("Banana"), QStringLiteral("Mango")},
          QStringLiteral("new"), QStringLiteral("2.0"), history);
    const pv::CatalogueMergeResult merged = pv::mergeBundledCatalogue(bundled, user);
    QVERIFY2(merged.merged, qPrintable(merged.error));
    QCOMPARE(merged.recipesAdded, 1); // Banana; Alpha, renamed by the user, is theirs
    QVERIFY(keyOf(user, QStringLiteral("Banana")) < keyOf(user, QStringLiteral("Mango")));
    QVERIFY(keyOf(user, QStringLiteral("Zulu")) > 0);
    QCOMPARE(pvtest::queryColumn(user, "SELECT Directions FROM drinklst WHERE DrinkName = 'Mango'"),
             QStringList{QStringLiteral("new")});
    COMPARE_LAYERS(layersOf(user), expected);

    // JSON out and into a new catalogue: exact. CSV carries none of it.
    const QString json = dir.filePath(QStringLiteral("book.json"));
    pv::interchange::ExportOptions options;
    QVERIFY(pv::interchange::exportDrinks(user, json, options).ok);
    options.format = pv::interchange::Format::Csv;
    const QString csv = dir.filePath(QStringLiteral("book.csv"));
    QVERIFY(pv::interchange::exportDrinks(user, csv, options).ok);
    QFile csvFile(csv);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    QVERIFY(!csvFile.readAll().contains("Zweite Zeile"));
    const QString fresh = dir.filePath(QStringLiteral("fresh.mdb"));
    pv::interchange::createEmptyCatalogue(fresh);
    importFile(fresh, json, false);
    COMPARE_LAYERS(layersOf(fresh), expected);

    // Back onto the first catalogue, changed meanwhile: a drink that exists
    // keeps the user's own layer unless the file's is chosen; one that had
    // none takes the file's.
    const DrinkNotes changed{false, 1, QStringLiteral("changed my mind"), {}};
    pv::book::write(user, keyOf(user, QStringLiteral("Mango")), changed);
    pv::book::write(user, keyOf(user, QStringLiteral("Alpha Prime")), DrinkNotes{});
    Layers mine = expected;
    mine[QStringLiteral("Mango")] = changed;
    importFile(user, json, false);
    COMPARE_LAYERS(layersOf(user), mine);
    importFile(user, json, true);
    COMPARE_LAYERS(layersOf(user), expected);
}

PV_TEST_MAIN(TestBarBook)
#include "tst_barbook.moc"

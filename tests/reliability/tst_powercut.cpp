// Power cuts while saving: each round opens the rows as a window does, saves
// at random and loses the power at a random I/O call of a random save. What
// the disk then holds (unsynced writes lost, or partly kept and torn) is
// opened as the next start would: the file must check whole, every save
// reported before the cut must be there and the save under way whole or
// absent. PV_POWERCUT_ROUNDS and PV_POWERCUT_SEED repeat or lengthen a run.
#include "FaultVfs.h"
#include "Reliability.h"
#include "TestSupport.h"

#include "data/RecordCursor.h"
#include "ui/DataControl.h"

#include <QLineEdit>
#include <QPlainTextEdit>

#include <random>

using pvrel::FaultVfs;
using pvrel::StoredRow;

namespace {

bool operator==(const StoredRow &a, const StoredRow &b)
{
    return a.name == b.name && a.directions == b.directions;
}

// The rows of one window: a data control bound to two boxes.
struct Rows {
    explicit Rows(const QString &path)
    {
        data.setDatabaseName(path);
        data.setRecordSource(QStringLiteral("drinklst"));
        data.bind(&name, QStringLiteral("DrinkName"));
        data.bind(&directions, QStringLiteral("Directions"));
    }
    QLineEdit name;
    QPlainTextEdit directions;
    pv::DataControl data;
};

// Runs what a click runs; false when the save was refused.
template <class Fn> bool attempt(Fn fn)
{
    try {
        fn();
        return true;
    } catch (const pv::DataError &) {
        return false;
    }
}

} // namespace

class TestPowerCut : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cutsWhileSaving_data();
    void cutsWhileSaving();
};

void TestPowerCut::cutsWhileSaving_data()
{
    QTest::addColumn<bool>("otherInWal");
    QTest::newRow("rollback journal") << false;
    QTest::newRow("another program keeps the file in WAL mode") << true;
}

void TestPowerCut::cutsWhileSaving()
{
    QFETCH(bool, otherInWal);
    const int rounds = qEnvironmentVariableIsSet("PV_POWERCUT_ROUNDS")
                           ? qEnvironmentVariableIntValue("PV_POWERCUT_ROUNDS")
                           : (otherInWal ? 300 : 1000);
    const unsigned seed = qEnvironmentVariableIsSet("PV_POWERCUT_SEED")
                              ? unsigned(qEnvironmentVariableIntValue("PV_POWERCUT_SEED"))
                              : std::random_device{}();
    std::mt19937 rng(seed);
    auto below = [&rng](int n) { return int(rng() % unsigned(n)); };

    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/pv.mdb");
    pvtest::writeCatalogue(path, pvtest::smallDrinkSeed());
    QMap<qint64, StoredRow> saved = pvrel::storedRows(path); // what the user was told is saved
    FaultVfs &vfs = FaultVfs::get();
    vfs.reset();
    pv::RecordCursor::setVfsForTests(FaultVfs::kName);
    pvtest::MsgRecorder msgs;

    int cutsInSaves = 0;
    qint64 acknowledged = 0;
    qint64 seq = 0;
    for (int round = 0; round < rounds; ++round) {
        const QString where = QStringLiteral("seed %1, round %2").arg(seed).arg(round);
        auto rows = std::make_unique<Rows>(path);
        rows->data.Refresh();
        pv::Recordset &rs = rows->data.recordset();
        sqlite3 *other = nullptr;
        if (otherInWal) {
            // Another program switches the open catalogue to WAL mode and
            // keeps it open; the window's next saves go through the WAL.
            QCOMPARE(sqlite3_open_v2(path.toUtf8().constData(), &other, SQLITE_OPEN_READWRITE, FaultVfs::kName),
                     SQLITE_OK);
            sqlite3_exec(other, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(int(f.read(20).at(18)), 2);
        }
        vfs.track();
        vfs.cutAt(1 + below(60));

        // The save under way when the power went: its key (0: a new row),
        // and the row it would leave (nullopt: a deletion).
        qint64 key = -1;
        std::optional<StoredRow> wanted;
        for (int s = 0; s < 4 && !vfs.powerIsOff(); ++s) {
            const int what = saved.size() > 40 ? 9 : below(10);
            bool ok;
            if (what < 5 || saved.isEmpty()) {
                key = 0;
                wanted = StoredRow{QStringLiteral("Cut %1").arg(++seq),
                                   QStringLiteral("add %1 ").arg(seq) + QString(below(12000), QLatin1Char('a'))};
                ok = attempt([&] { rs.AddNew(); }) &&
                     (rows->name.setText(wanted->name), rows->directions.setPlainText(wanted->directions), true) &&
                     attempt([&] { rows->data.UpdateRecord(); });
                if (ok)
                    key = rs.LastModified();
            } else {
                key = std::next(saved.cbegin(), below(int(saved.size()))).key();
                ok = attempt([&] { rs.setBookmark(key); });
                QVERIFY2(ok || vfs.powerIsOff(), qPrintable(where));
                if (what < 8) {
                    wanted = StoredRow{saved[key].name,
                                       QStringLiteral("edit %1 ").arg(++seq) + QString(below(12000), QLatin1Char('e'))};
                    rows->directions.setPlainText(wanted->directions);
                    ok = ok &&
                         (what < 7 ? attempt([&] { rs.MoveFirst(); }) : attempt([&] { rows->data.UpdateRecord(); }));
                } else {
                    wanted.reset();
                    ok = ok && attempt([&] { rs.Delete(); });
                }
            }
            if (!ok) {
                QVERIFY2(vfs.powerIsOff(), qPrintable(where + QStringLiteral(": a save failed with the power on")));
                ++cutsInSaves;
                break;
            }
            // Reported to the user as saved.
            ++acknowledged;
            if (wanted)
                saved[key] = *wanted;
            else
                saved.remove(key);
            key = -1;
        }
        if (!vfs.powerIsOff())
            vfs.cutAt(1); // the cut comes between saves

        // The power is gone: the program and the other one end without
        // writing anything more, and the disk settles.
        rows.reset();
        sqlite3_close(other);
        vfs.restoreAfterCut(below(4) == 0 ? FaultVfs::Cut::DropAll : FaultVfs::Cut::Torn, rng);

        // The next start.
        const QString integrity = pvrel::integrityCheck(path);
        QVERIFY2(integrity == QLatin1String("ok"), qPrintable(where + QStringLiteral(": ") + integrity));
        const QMap<qint64, StoredRow> stored = pvrel::storedRows(path);
        for (auto it = stored.cbegin(); it != stored.cend(); ++it) {
            if (saved.contains(it.key()) && it.key() != key)
                QVERIFY2(it.value() == saved[it.key()],
                         qPrintable(where + QStringLiteral(": row %1 is not as saved").arg(it.key())));
            else if (!saved.contains(it.key()))
                QVERIFY2(key == 0 && wanted && it.value() == *wanted,
                         qPrintable(where + QStringLiteral(": row %1 came from nowhere").arg(it.key())));
        }
        for (auto it = saved.cbegin(); it != saved.cend(); ++it)
            QVERIFY2(stored.contains(it.key()) || (key == it.key() && !wanted),
                     qPrintable(where + QStringLiteral(": saved row %1 (%2) is lost").arg(it.key()).arg(it->name)));
        if (key > 0 && stored.contains(key))
            QVERIFY2(stored[key] == saved[key] || (wanted && stored[key] == *wanted),
                     qPrintable(where + QStringLiteral(": row %1 is half saved").arg(key)));
        // Whatever the cut left is what the user finds from now on.
        saved = stored;
    }
    pv::RecordCursor::setVfsForTests(QByteArray());
    qInfo("power cuts: %d rounds (%d inside a save), %lld reported saves checked, 0 lost, seed %u", rounds, cutsInSaves,
          acknowledged, seed);
}

PV_TEST_MAIN(TestPowerCut)
#include "tst_powercut.moc"

// Two programs on one catalogue: both writers' saves arrive, and a file kept
// busy by the other is waited for, then reported, never passed over.
#include "Reliability.h"
#include "TestSupport.h"

#include "data/DataError.h"

#include <QElapsedTimer>

namespace {

QStringList finish(QProcess &p, int ms = 60000)
{
    if (!p.waitForFinished(ms))
        p.kill();
    return pvrel::completeLines(p.readAllStandardOutput());
}

bool waitForLine(QProcess &p, const QString &line, int ms = 10000)
{
    QElapsedTimer t;
    t.start();
    QByteArray seen;
    while (t.elapsed() < ms) {
        if (p.canReadLine()) {
            if (QString::fromUtf8(p.readLine()).trimmed() == line)
                return true;
            continue;
        }
        p.waitForReadyRead(100);
    }
    return false;
}

QStringList messages(const QStringList &lines)
{
    QStringList out;
    for (const QString &l : lines)
        if (l.startsWith(QLatin1String("msg ")))
            out << l.mid(4);
    return out;
}

QList<qint64> addedKeys(const QStringList &lines)
{
    QList<qint64> keys;
    for (const QString &l : lines)
        if (l.startsWith(QLatin1String("add ")))
            keys << l.section(QLatin1Char(' '), 1, 1).toLongLong();
    return keys;
}

int netRows(const QStringList &lines)
{
    int n = 0;
    for (const QString &l : lines)
        n += l.startsWith(QLatin1String("add ")) ? 1 : l.startsWith(QLatin1String("del ")) ? -1 : 0;
    return n;
}

} // namespace

class TestTwoProcesses : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void bothWritersArrive();
    void shortLockIsWaitedOutSilently();
    void longLockIsWaitedForThenReported();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_db;
};

void TestTwoProcesses::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    m_db = m_dir->path() + QStringLiteral("/pv.mdb");
    pvtest::writeCatalogue(m_db, pvtest::smallDrinkSeed());
}

void TestTwoProcesses::bothWritersArrive()
{
    // Both open the catalogue, then start saving at the same moment.
    const QString gate = m_dir->path() + QStringLiteral("/go");
    QProcess a, b;
    pvrel::startDriver(a, {"write", m_db, "a", "0", "100", "5000", "11", gate});
    pvrel::startDriver(b, {"write", m_db, "b", "0", "100", "5000", "12", gate});
    QVERIFY(waitForLine(a, "ready 8"));
    QVERIFY(waitForLine(b, "ready 8"));
    QFile(gate).open(QIODevice::WriteOnly);
    const QStringList la = finish(a);
    const QStringList lb = finish(b);
    QCOMPARE(a.exitCode(), 0);
    QCOMPARE(b.exitCode(), 0);
    QCOMPARE(la.last(), QStringLiteral("done"));
    QCOMPARE(lb.last(), QStringLiteral("done"));
    QVERIFY2(messages(la).isEmpty(), qPrintable(messages(la).join(QLatin1Char('\n'))));
    QVERIFY2(messages(lb).isEmpty(), qPrintable(messages(lb).join(QLatin1Char('\n'))));

    QCOMPARE(pvrel::integrityCheck(m_db), QStringLiteral("ok"));
    const auto stored = pvrel::storedRows(m_db);
    pvrel::SaveLedger ledgerA, ledgerB;
    const int saves = ledgerA.take(la) + ledgerB.take(lb);
    QCOMPARE(ledgerA.missing(stored), QStringList());
    QCOMPARE(ledgerB.missing(stored), QStringList());
    QCOMPARE(int(stored.size()), 8 + netRows(la) + netRows(lb));

    // They really wrote side by side: their new rows' keys interleave.
    const QList<qint64> ka = addedKeys(la), kb = addedKeys(lb);
    QVERIFY(!ka.isEmpty() && !kb.isEmpty());
    QVERIFY(ka.first() < kb.last() && kb.first() < ka.last());
    qInfo("%d saves from two processes, all found", saves);
}

void TestTwoProcesses::shortLockIsWaitedOutSilently()
{
    QProcess holder, writer;
    pvrel::startDriver(holder, {"hold", m_db, "600"});
    QVERIFY(waitForLine(holder, "locked"));
    QElapsedTimer t;
    t.start();
    pvrel::startDriver(writer, {"write", m_db, "w", "0", "5", "3000", "3"});
    const QStringList lines = finish(writer);
    QCOMPARE(lines.last(), QStringLiteral("done"));
    QCOMPARE(messages(lines), QStringList());
    QVERIFY2(t.elapsed() >= 400, "the writer did not wait for the lock");
    finish(holder);
    pvrel::SaveLedger ledger;
    QVERIFY(ledger.take(lines) >= 1);
    QCOMPARE(ledger.missing(pvrel::storedRows(m_db)), QStringList());
}

void TestTwoProcesses::longLockIsWaitedForThenReported()
{
    // The other program keeps the write lock four times as long as a save waits.
    const int busyMs = 300, holdMs = 1200;
    QProcess holder, writer;
    pvrel::startDriver(holder, {"hold", m_db, QString::number(holdMs)});
    QVERIFY(waitForLine(holder, "locked"));
    QElapsedTimer t;
    t.start();
    pvrel::startDriver(writer, {"write", m_db, "w", "0", "3", QString::number(busyMs), "5"});
    const QStringList lines = finish(writer);
    finish(holder);
    QCOMPARE(lines.last(), QStringLiteral("done"));

    // Every refusal was told, after a wait: with a wait of busyMs each, a
    // lock of holdMs allows only a few refusals, not one per retry.
    const QStringList told = messages(lines);
    QVERIFY2(!told.isEmpty(), "the busy file went unreported");
    QVERIFY2(told.size() <= holdMs / busyMs + 1, qPrintable(told.join('\n')));
    for (const QString &m : told) {
        QVERIFY2(m.contains(QStringLiteral("in use by another program")), qPrintable(m));
        QVERIFY(m.contains(m_db));
    }
    // The first save was the one kept waiting; it went in once the lock was
    // gone, and so did the rest.
    const int firstTry = int(lines.indexOf(QRegularExpression(QStringLiteral("try .*"))));
    QVERIFY(lines.value(firstTry + 1).startsWith(QLatin1String("msg ")));
    pvrel::SaveLedger ledger;
    QVERIFY(ledger.take(lines) >= 1);
    QCOMPARE(ledger.missing(pvrel::storedRows(m_db)), QStringList());
    QCOMPARE(pvrel::integrityCheck(m_db), QStringLiteral("ok"));
    QVERIFY(t.elapsed() >= holdMs - 200);
}

PV_TEST_MAIN(TestTwoProcesses)
#include "tst_twoprocesses.moc"

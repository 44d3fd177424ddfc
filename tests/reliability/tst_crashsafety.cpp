// A program killed at any moment leaves a sound catalogue that holds every
// save it had reported as done.
#include "Reliability.h"
#include "TestSupport.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

class TestCrashSafety : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWritersLoseNothingReported();
};

void TestCrashSafety::killedWritersLoseNothingReported()
{
    QTemporaryDir dir;
    const QString db = dir.path() + QStringLiteral("/pv.mdb");
    pvtest::writeCatalogue(db, pvtest::smallDrinkSeed());

    const quint32 seed = qEnvironmentVariableIsSet("PV_CRASH_SEED")
                             ? quint32(qEnvironmentVariableIntValue("PV_CRASH_SEED"))
                             : QRandomGenerator::global()->generate();
    QRandomGenerator rnd(seed);
    const int rounds =
        qEnvironmentVariableIsSet("PV_CRASH_ROUNDS") ? qEnvironmentVariableIntValue("PV_CRASH_ROUNDS") : 40;

    pvrel::SaveLedger ledger;
    int saves = 0;
    int killedWhileSaving = 0;
    QElapsedTimer total;
    total.start();
    for (int round = 0; round < rounds; ++round) {
        QProcess p;
        pvrel::startDriver(p,
                           {QStringLiteral("write"), db, QStringLiteral("k"), QString::number(qint64(round) * 1000000),
                            QStringLiteral("0"), QStringLiteral("3000"), QString::number(rnd.generate())});
        QVERIFY2(p.waitForStarted(5000), qPrintable(p.errorString()));
        // From the start of the process, so that some kills land while it
        // opens the file and most while it saves.
        const int delay = rnd.bounded(0, 450);
        p.waitForFinished(delay);
        QVERIFY2(p.state() == QProcess::Running, qPrintable(QStringLiteral("the driver ended by itself: ") +
                                                            QString::fromUtf8(p.readAllStandardError())));
        p.kill(); // SIGKILL
        QVERIFY(p.waitForFinished(5000));
        QCOMPARE(p.exitStatus(), QProcess::CrashExit);

        const QStringList lines = pvrel::completeLines(p.readAllStandardOutput());
        for (const QString &l : lines)
            QVERIFY2(!l.startsWith(QLatin1String("msg ")), qPrintable(l));
        const int reported = ledger.take(lines);
        saves += reported;
        if (!lines.isEmpty() && lines.first().startsWith(QLatin1String("ready ")))
            ++killedWhileSaving; // else while it started or opened the file

        const QString check = pvrel::integrityCheck(db);
        QVERIFY2(check == QLatin1String("ok"), qPrintable(QStringLiteral("round %1: %2").arg(round).arg(check)));
        const QStringList problems = ledger.missing(pvrel::storedRows(db));
        QVERIFY2(problems.isEmpty(), qPrintable(QStringLiteral("round %1 (seed %2): %3")
                                                    .arg(round)
                                                    .arg(seed)
                                                    .arg(problems.join(QStringLiteral("; ")))));
    }

    // After all that, the program still opens the file and saves as usual.
    QProcess last;
    pvrel::startDriver(last, {QStringLiteral("write"), db, QStringLiteral("k"), QStringLiteral("999000000"),
                              QStringLiteral("20"), QStringLiteral("3000"), QStringLiteral("7")});
    QVERIFY(last.waitForFinished(30000));
    QCOMPARE(last.exitCode(), 0);
    const QStringList lines = pvrel::completeLines(last.readAllStandardOutput());
    QCOMPARE(lines.last(), QStringLiteral("done"));
    saves += ledger.take(lines);
    QCOMPARE(pvrel::integrityCheck(db), QStringLiteral("ok"));
    QVERIFY(ledger.missing(pvrel::storedRows(db)).isEmpty());

    qInfo("%d kill rounds survived, %d with saves under way; %d saves reported and found; %lld ms; seed %u", rounds,
          killedWhileSaving, saves, total.elapsed(), seed);
    // The kills did land among saves. How many saves fit between kills
    // depends on the machine's load and its disk's sync time, so only
    // their presence is required.
    QVERIFY(killedWhileSaving > 0);
    QVERIFY(saves > 0);
}

PV_TEST_MAIN(TestCrashSafety)
#include "tst_crashsafety.moc"

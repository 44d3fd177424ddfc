// Helpers shared by the reliability tests: the driver program, the catalogue
// as the engine sees it, and the saves a driver has reported.
#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QString>
#include <QStringList>

#include <sqlite3.h>

namespace pvrel {

inline QString driverPath()
{
    return QStringLiteral(PV_TEST_BIN_DIR "/pv_catalogue_driver");
}

// Starts the driver; its lines are read from the process as they come.
inline void startDriver(QProcess &p, const QStringList &args)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(driverPath(), args);
}

// The complete lines in `out` (a line cut short by a kill is not a report).
inline QStringList completeLines(const QByteArray &out)
{
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < out.size(); ++i)
        if (out.at(i) == '\n') {
            lines << QString::fromUtf8(out.mid(start, i - start));
            start = i + 1;
        }
    return lines;
}

inline QByteArray sha256(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// Opens the file as the next start of the program would (a hot journal left
// by a killed writer is rolled back) and asks the engine to check it.
inline QString integrityCheck(const QString &path)
{
    sqlite3 *db = nullptr;
    QString result;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK) {
        sqlite3_busy_timeout(db, 5000);
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &st, nullptr) == SQLITE_OK) {
            int rc;
            while ((rc = sqlite3_step(st)) == SQLITE_ROW)
                result += QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
            if (rc != SQLITE_DONE)
                result += QStringLiteral(" [step %1]").arg(rc);
        } else {
            result = QString::fromUtf8(sqlite3_errmsg(db));
        }
        sqlite3_finalize(st);
    } else {
        result = QStringLiteral("cannot open");
    }
    sqlite3_close(db);
    return result;
}

struct StoredRow {
    QString name;
    QString directions;
};

inline QMap<qint64, StoredRow> storedRows(const QString &path)
{
    QMap<qint64, StoredRow> rows;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, "SELECT rowid, DrinkName, Directions FROM drinklst", -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            rows.insert(sqlite3_column_int64(st, 0),
                        {QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 1))),
                         QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 2)))});
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

// What the drivers have reported as saved, in the order reported.
class SaveLedger {
public:
    struct Row {
        QString name;
        qint64 seq = 0; // of the last reported save
        int length = 0; // of Directions at that save
        bool edited = false;
    };

    // Takes one driver's lines; returns the number of saves among them. A
    // save begun and not reported (the writer was killed) may or may not
    // have reached the file.
    int take(const QStringList &lines)
    {
        int saves = 0;
        for (const QString &l : lines) {
            const QStringList w = l.split(QLatin1Char(' '));
            if (w.value(0) == QLatin1String("try")) {
                m_unreportedDelete = w.value(1) == QLatin1String("del") ? w.value(2).toLongLong() : -1;
                continue;
            }
            if (w.value(0) != QLatin1String("msg"))
                m_unreportedDelete = -1;
            if (w.value(0) == QLatin1String("add") && w.size() == 4) {
                const qint64 key = w[1].toLongLong();
                Row r;
                r.name = w[2];
                r.length = w[3].toInt();
                m_rows.insert(key, r);
                m_deleted.remove(key);
                ++saves;
            } else if (w.value(0) == QLatin1String("edit") && w.size() == 4) {
                Row &r = m_rows[w[1].toLongLong()];
                r.seq = w[2].toLongLong();
                r.length = w[3].toInt();
                r.edited = true;
                ++saves;
            } else if (w.value(0) == QLatin1String("del") && w.size() == 2) {
                const qint64 key = w[1].toLongLong();
                m_deleted.insert(key, m_rows.value(key).name);
                m_rows.remove(key);
                ++saves;
            }
        }
        return saves;
    }

    // Every reported save is in `stored`; the one save a killed writer had
    // under way may have gone further (a newer edit, an added or deleted row).
    QStringList missing(const QMap<qint64, StoredRow> &stored)
    {
        // The delete under way when the writer was killed did happen.
        if (m_unreportedDelete >= 0 && !stored.contains(m_unreportedDelete))
            m_rows.remove(m_unreportedDelete);
        m_unreportedDelete = -1;
        QStringList problems;
        for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
            const Row &want = it.value();
            if (!stored.contains(it.key())) {
                problems << QStringLiteral("row %1 (%2) is gone").arg(it.key()).arg(want.name);
                continue;
            }
            const StoredRow &got = stored[it.key()];
            // A row added by a save cut short is known only by its key.
            if (!want.name.isEmpty() && got.name != want.name) {
                problems << QStringLiteral("row %1 is named %2, not %3").arg(it.key()).arg(got.name, want.name);
                continue;
            }
            const QStringList head = got.directions.section(QLatin1Char(' '), 0, 1).split(QLatin1Char(' '));
            const qint64 seq = head.value(1).toLongLong();
            if (!want.edited && head.value(0) == QLatin1String("add") && got.directions.size() != want.length)
                problems << QStringLiteral("row %1 holds a torn row").arg(it.key());
            else if (want.edited && (head.value(0) != QLatin1String("edit") || seq < want.seq))
                problems << QStringLiteral("row %1 lost the edit %2").arg(it.key()).arg(want.seq);
            else if (want.edited && seq == want.seq && got.directions.size() != want.length)
                problems << QStringLiteral("row %1 holds a torn edit").arg(it.key());
        }
        for (auto it = m_deleted.cbegin(); it != m_deleted.cend(); ++it)
            if (stored.contains(it.key()) && stored[it.key()].name == it.value())
                problems << QStringLiteral("deleted row %1 (%2) is back").arg(it.key()).arg(it.value());
        return problems;
    }

    int rows() const { return int(m_rows.size()); }

private:
    QMap<qint64, Row> m_rows;
    QMap<qint64, QString> m_deleted; // key, the name it had
    qint64 m_unreportedDelete = -1;
};

} // namespace pvrel

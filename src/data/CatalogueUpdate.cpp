#include "data/CatalogueUpdate.h"
#include "data/DrinkIndex.h"

#include "data/BarBook.h"
#include "data/CatalogueGuard.h"
#include "data/SafeFiles.h"
#include "data/Catalogue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QSet>
#include <QVersionNumber>

#include <sqlite3.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <tuple>

namespace pv {

QString bundledCataloguePath(const QString &applicationFolder)
{
    return applicationFolder + QDir::separator() + QLatin1String(kBundledCatalogueFileName);
}

namespace {

struct TableShape {
    QString table;
    QStringList columns;
    // Toasts have no name of their own (their short column is a theme that
    // many share), so a toast is known by its whole text.
    bool keyedByContent = false;
};

QList<TableShape> tableShapes()
{
    QList<TableShape> out;
    out << TableShape{QLatin1String(kDrinkTable), drinkColumns(), false};
    for (const CollectionTable &t : collectionTables()) {
        const bool byContent = !t.numbered && QLatin1String(t.shortColumn) != QLatin1String("name");
        out << TableShape{
            QLatin1String(t.table), {QLatin1String(t.shortColumn), QLatin1String(t.longColumn)}, byContent};
    }
    return out;
}

QString hashOf(const QStringList &values)
{
    return QString::fromLatin1(
        QCryptographicHash::hash(values.join(QChar(0x1f)).toUtf8(), QCryptographicHash::Sha1).toHex().left(24));
}

QString keyOf(const TableShape &shape, const QStringList &values)
{
    if (shape.keyedByContent)
        return QStringLiteral("#") + hashOf(values);
    return values.value(0).trimmed().toCaseFolded();
}

struct Row {
    qint64 rowid = 0;
    QStringList values;
    QString key;
    QString fingerprint;
};

void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

using Statement = std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt *)>;

Statement prepare(sqlite3 *db, const QString &sql)
{
    sqlite3_stmt *st = nullptr;
    check(db, sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), "prepare");
    return Statement(st, sqlite3_finalize);
}

void exec(sqlite3 *db, const QString &sql)
{
    check(db, sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), "catalogue");
}

QString columnText(sqlite3_stmt *st, int i)
{
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    return p ? QString::fromUtf8(p, sqlite3_column_bytes(st, i)) : QString();
}

void bind(sqlite3_stmt *st, const QStringList &values, int first = 1)
{
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray u = values[i].toUtf8();
        sqlite3_bind_text(st, first + i, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
}

QString quoted(const QString &ident)
{
    return QLatin1Char('"') + QString(ident).replace(QLatin1Char('"'), QStringLiteral("\"\"")) + QLatin1Char('"');
}

QString columnList(const TableShape &shape)
{
    QStringList q;
    for (const QString &c : shape.columns)
        q << quoted(c);
    return q.join(QStringLiteral(", "));
}

QList<Row> readRows(sqlite3 *db, const TableShape &shape)
{
    QList<Row> rows;
    Statement st = prepare(
        db, QStringLiteral("SELECT rowid, %1 FROM %2 ORDER BY rowid").arg(columnList(shape), quoted(shape.table)));
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        Row r;
        r.rowid = sqlite3_column_int64(st.get(), 0);
        for (int i = 0; i < shape.columns.size(); ++i)
            r.values << columnText(st.get(), i + 1);
        r.key = keyOf(shape, r.values);
        r.fingerprint = hashOf(r.values);
        rows << r;
    }
    check(db, rc, "read");
    return rows;
}

bool hasTable(sqlite3 *db, const char *name)
{
    Statement st = prepare(db, QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1"));
    sqlite3_bind_text(st.get(), 1, name, -1, SQLITE_STATIC);
    return sqlite3_step(st.get()) == SQLITE_ROW;
}

QMap<QString, QString> readMeta(sqlite3 *db)
{
    QMap<QString, QString> meta;
    if (!hasTable(db, "pv_catalogue"))
        return meta;
    Statement st = prepare(db, QStringLiteral("SELECT name, value FROM pv_catalogue"));
    while (sqlite3_step(st.get()) == SQLITE_ROW)
        meta[columnText(st.get(), 0)] = columnText(st.get(), 1);
    return meta;
}

QList<ShippedRow> readShipped(sqlite3 *db)
{
    QList<ShippedRow> rows;
    if (!hasTable(db, "pv_shipped"))
        return rows;
    Statement st = prepare(db, QStringLiteral("SELECT version, tbl, key, fingerprint FROM pv_shipped"));
    while (sqlite3_step(st.get()) == SQLITE_ROW)
        rows << ShippedRow{columnText(st.get(), 0), columnText(st.get(), 1), columnText(st.get(), 2),
                           columnText(st.get(), 3)};
    return rows;
}

void writeRecord(sqlite3 *db, const QList<ShippedRow> &rows, const QMap<QString, QString> &meta)
{
    exec(db,
         QStringLiteral("CREATE TABLE IF NOT EXISTS pv_shipped (version TEXT, tbl TEXT, key TEXT, fingerprint TEXT)"));
    exec(db, QStringLiteral("CREATE TABLE IF NOT EXISTS pv_catalogue (name TEXT PRIMARY KEY, value TEXT)"));
    exec(db, QStringLiteral("DELETE FROM pv_shipped"));
    Statement ins = prepare(db, QStringLiteral("INSERT INTO pv_shipped VALUES (?1, ?2, ?3, ?4)"));
    for (const ShippedRow &r : rows) {
        sqlite3_reset(ins.get());
        bind(ins.get(), {r.version, r.table, r.key, r.fingerprint});
        check(db, sqlite3_step(ins.get()), "record");
    }
    Statement put = prepare(db, QStringLiteral("INSERT OR REPLACE INTO pv_catalogue VALUES (?1, ?2)"));
    for (auto it = meta.cbegin(); it != meta.cend(); ++it) {
        sqlite3_reset(put.get());
        bind(put.get(), {it.key(), it.value()});
        check(db, sqlite3_step(put.get()), "record");
    }
}

QString editionOf(QList<ShippedRow> rows)
{
    std::sort(rows.begin(), rows.end(), [](const ShippedRow &a, const ShippedRow &b) {
        return std::tie(a.table, a.key, a.fingerprint) < std::tie(b.table, b.key, b.fingerprint);
    });
    QStringList parts;
    for (const ShippedRow &r : rows)
        parts << r.table + QLatin1Char('\t') + r.key + QLatin1Char('\t') + r.fingerprint;
    return hashOf(parts).left(16);
}

struct Database {
    sqlite3 *db = nullptr;
    ~Database() { sqlite3_close(db); }
};

void open(Database &d, const QString &path, int flags)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &d.db, flags, nullptr) != SQLITE_OK)
        throw std::runtime_error("cannot open " + path.toStdString() + ": " +
                                 (d.db ? sqlite3_errmsg(d.db) : "out of memory"));
    guard::secure(d.db, path);
    sqlite3_busy_timeout(d.db, 5000);
}

// Copies the whole catalogue through SQLite, so that a backup is consistent
// even while another program has it open. The file is made first, new and
// no more open than the catalogue; a copy that fails leaves nothing.
void backUp(sqlite3 *from, const QString &to, unsigned permissions, bool *taken)
{
    QString error;
    if (!safefiles::createNew(to, permissions, [](int) { return true; }, &error, taken))
        throw std::runtime_error("cannot back up the catalogue: " + error.toStdString());
    try {
        Database dest;
        open(dest, to, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW);
        sqlite3_backup *b = sqlite3_backup_init(dest.db, "main", from, "main");
        if (!b)
            throw std::runtime_error("cannot back up the catalogue: " + std::string(sqlite3_errmsg(dest.db)));
        const int rc = sqlite3_backup_step(b, -1);
        sqlite3_backup_finish(b);
        if (rc != SQLITE_DONE)
            throw std::runtime_error("cannot back up the catalogue: " + std::string(sqlite3_errstr(rc)));
    } catch (...) {
        QFile::remove(to);
        QFile::remove(to + QStringLiteral("-journal"));
        throw;
    }
}

// Returns where each row went: old rowid -> new rowid.
QHash<qint64, qint64> rewriteInOrder(sqlite3 *db, const TableShape &shape, const QList<Row> &rows)
{
    QHash<qint64, qint64> moved;
    exec(db, QStringLiteral("DELETE FROM ") + quoted(shape.table));
    QStringList marks;
    for (int i = 1; i <= shape.columns.size(); ++i)
        marks << QStringLiteral("?%1").arg(i);
    Statement ins = prepare(db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                    .arg(quoted(shape.table), columnList(shape), marks.join(QStringLiteral(", "))));
    for (const Row &r : rows) {
        sqlite3_reset(ins.get());
        bind(ins.get(), r.values);
        check(db, sqlite3_step(ins.get()), "reorder");
        moved.insert(r.rowid, sqlite3_last_insert_rowid(db));
    }
    return moved;
}

void sortDrinksByName(sqlite3 *db, const TableShape &shape)
{
    QList<Row> rows = readRows(db, shape);
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return QString::compare(a.values.value(0), b.values.value(0), Qt::CaseInsensitive) < 0;
    });
    // The user's own notes follow their drinks to the new keys.
    book::rekey(db, rewriteInOrder(db, shape, rows));
}

// Toasts are browsed in stored order, grouped by theme: a new one goes after
// the last of its theme rather than to the end, and the rest stay as they are.
void placeWithTheirTheme(sqlite3 *db, const TableShape &shape, const QSet<qint64> &added)
{
    QList<Row> placed;
    QList<Row> newcomers;
    for (const Row &r : readRows(db, shape))
        (added.contains(r.rowid) ? newcomers : placed) << r;
    for (const Row &n : newcomers) {
        const QString theme = n.values.value(0).trimmed().toCaseFolded();
        qsizetype at = placed.size();
        for (qsizetype i = placed.size(); i-- > 0;)
            if (placed[i].values.value(0).trimmed().toCaseFolded() == theme) {
                at = i + 1;
                break;
            }
        placed.insert(at, n);
    }
    rewriteInOrder(db, shape, placed);
}

QString oldestVersion(const QList<ShippedRow> &rows, const QString &own, const QString &fallback)
{
    QString oldest;
    for (const ShippedRow &r : rows)
        if (r.version != own &&
            (oldest.isEmpty() ||
             QVersionNumber::compare(QVersionNumber::fromString(r.version), QVersionNumber::fromString(oldest)) < 0))
            oldest = r.version;
    return oldest.isEmpty() ? fallback : oldest;
}

QString counted(int n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

// "12 recipes were updated and 15 added", or the parts of it that apply.
QString changesPhrase(int updated, int added, int removed, const char *one, const char *many)
{
    QList<QPair<int, QString>> parts;
    if (updated)
        parts << qMakePair(updated, QStringLiteral("updated"));
    if (added)
        parts << qMakePair(added, QStringLiteral("added"));
    if (removed)
        parts << qMakePair(removed, QStringLiteral("retired"));
    if (parts.isEmpty())
        return QString();
    const int first = parts[0].first;
    QString s =
        counted(first, one, many) + (first == 1 ? QStringLiteral(" was ") : QStringLiteral(" were ")) + parts[0].second;
    for (int i = 1; i < parts.size(); ++i)
        s += (i == parts.size() - 1 ? QStringLiteral(" and ") : QStringLiteral(", ")) +
             QString::number(parts[i].first) + QLatin1Char(' ') + parts[i].second;
    return s;
}

} // namespace

QList<ShippedRow> fingerprintRows(sqlite3 *db, const QString &version)
{
    QList<ShippedRow> out;
    for (const TableShape &shape : tableShapes())
        for (const Row &r : readRows(db, shape))
            out << ShippedRow{version, shape.table, r.key, r.fingerprint};
    return out;
}

void recordShipped(sqlite3 *db, const QString &version, const QString &previousVersion,
                   const QList<ShippedRow> &history)
{
    const QList<ShippedRow> own = fingerprintRows(db, version);
    QList<ShippedRow> all = own;
    for (const ShippedRow &r : history)
        if (r.version != version)
            all << r;
    QMap<QString, QString> meta;
    meta[QStringLiteral("version")] = version;
    meta[QStringLiteral("previous")] = previousVersion;
    meta[QStringLiteral("edition")] = editionOf(own);
    writeRecord(db, all, meta);
}

QList<ShippedRow> parseShippedHistory(const QString &version, const QString &text)
{
    QList<ShippedRow> rows;
    for (const QString &line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const QStringList f = line.split(QLatin1Char('\t'));
        if (f.size() == 3)
            rows << ShippedRow{version, f[0], f[1], f[2].trimmed()};
    }
    return rows;
}

QString formatShippedRows(const QList<ShippedRow> &rows)
{
    QString out;
    for (const ShippedRow &r : rows)
        out += r.table + QLatin1Char('\t') + r.key + QLatin1Char('\t') + r.fingerprint + QLatin1Char('\n');
    return out;
}

QString CatalogueMergeResult::message() const
{
    QString s = changesPhrase(recipesUpdated, recipesAdded, recipesRemoved, "recipe", "recipes");
    if (!s.isEmpty() && recipesKept)
        s += QStringLiteral("; your own %1 %2 kept")
                 .arg(counted(recipesKept, "edited recipe", "edited recipes"))
                 .arg(QLatin1String(recipesKept == 1 ? "was" : "were"));
    QStringList other;
    if (otherUpdated)
        other << QStringLiteral("%1 updated").arg(otherUpdated);
    if (otherAdded)
        other << QStringLiteral("%1 added").arg(otherAdded);
    if (otherRemoved)
        other << QStringLiteral("%1 retired").arg(otherRemoved);
    if (!other.isEmpty()) {
        if (!s.isEmpty())
            s += QStringLiteral(".\n");
        const QString last = other.takeLast();
        s += QStringLiteral("Jokes, toasts, pick-up lines and games: ") +
             (other.isEmpty() ? last : other.join(QStringLiteral(", ")) + QStringLiteral(" and ") + last);
        if (otherKept)
            s += QStringLiteral("; your own %1 %2 kept")
                     .arg(counted(otherKept, "edited entry", "edited entries"))
                     .arg(QLatin1String(otherKept == 1 ? "was" : "were"));
    }
    if (s.isEmpty())
        return s;
    return QStringLiteral("The catalogue was brought up to date. ") + s + QLatin1Char('.');
}

CatalogueMergeResult mergeBundledCatalogue(const QString &bundledPath, const QString &userPath)
{
    CatalogueMergeResult r;
    const QFileInfo bundledInfo(bundledPath);
    const QFileInfo userInfo(userPath);
    if (!bundledInfo.isFile() || !userInfo.isFile() || bundledInfo.canonicalFilePath() == userInfo.canonicalFilePath())
        return r;
    Database bundle;
    Database user;
    try {
        open(bundle, bundledPath, SQLITE_OPEN_READONLY);
        const QMap<QString, QString> bundleMeta = readMeta(bundle.db);
        const QString edition = bundleMeta.value(QStringLiteral("edition"));
        if (edition.isEmpty())
            return r;
        open(user, userPath, SQLITE_OPEN_READWRITE);
        const QMap<QString, QString> userMeta = readMeta(user.db);
        if (userMeta.value(QStringLiteral("edition")) == edition)
            return r;

        // What this user was shipped: their own record, or for a catalogue
        // from before records were kept, the first release (taking the one
        // before this bundle would count every later addition as deleted).
        const QList<ShippedRow> bundleShipped = readShipped(bundle.db);
        const QList<ShippedRow> userShipped = readShipped(user.db);
        const QString userVersion = userMeta.value(
            QStringLiteral("version"),
            oldestVersion(bundleShipped, bundleMeta.value(QStringLiteral("version")),
                          bundleMeta.value(QStringLiteral("previous"))));
        QHash<QString, QSet<QString>> known; // table + key -> every fingerprint shipped
        QSet<QString> base;                  // table + key shipped to this user
        auto id = [](const QString &table, const QString &key) { return table + QLatin1Char('\n') + key; };
        const QList<ShippedRow> &shippedToUser = userMeta.isEmpty() ? bundleShipped : userShipped;
        for (const QList<ShippedRow> *list : {&bundleShipped, &userShipped})
            for (const ShippedRow &s : *list)
                known[id(s.table, s.key)].insert(s.fingerprint);
        for (const ShippedRow &s : shippedToUser)
            if (s.version == userVersion)
                base.insert(id(s.table, s.key));

        // The version comes from the file: only a safe part of it names the backup.
        const QString stem = userPath + QStringLiteral(".bak-") +
                             safefiles::fileNamePart(userVersion, QStringLiteral("old"));
        const unsigned permissions = safefiles::permissionsLike(userPath);
        QString backup = stem;
        for (int n = 2;; ++n) {
            bool taken = false;
            try {
                backUp(user.db, backup, permissions, &taken);
                break;
            } catch (const std::exception &) {
                if (!taken || n > 100)
                    throw;
            }
            backup = stem + QLatin1Char('-') + QString::number(n);
        }
        r.backupPath = backup;

        exec(user.db, QStringLiteral("BEGIN IMMEDIATE"));
        guard::beforeWrite(user.db);
        try {
            for (const TableShape &shape : tableShapes()) {
                const bool drinks = shape.table == QLatin1String(kDrinkTable);
                int &updated = drinks ? r.recipesUpdated : r.otherUpdated;
                int &added = drinks ? r.recipesAdded : r.otherAdded;
                int &removed = drinks ? r.recipesRemoved : r.otherRemoved;
                int &kept = drinks ? r.recipesKept : r.otherKept;

                const QList<Row> theirs = readRows(user.db, shape);
                QHash<QString, QList<const Row *>> byKey;
                for (const Row &u : theirs)
                    byKey[u.key] << &u;
                QSet<QString> bundleKeys;
                QSet<qint64> addedRows;
                QStringList marks;
                QStringList sets;
                for (int i = 1; i <= shape.columns.size(); ++i) {
                    marks << QStringLiteral("?%1").arg(i);
                    sets << quoted(shape.columns[i - 1]) + QStringLiteral(" = ?") + QString::number(i);
                }
                Statement upd = prepare(user.db, QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                                                     .arg(quoted(shape.table), sets.join(QStringLiteral(", ")))
                                                     .arg(shape.columns.size() + 1));
                Statement ins = prepare(
                    user.db, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                 .arg(quoted(shape.table), columnList(shape), marks.join(QStringLiteral(", "))));
                Statement del =
                    prepare(user.db, QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(quoted(shape.table)));

                for (const Row &b : readRows(bundle.db, shape)) {
                    bundleKeys.insert(b.key);
                    const QList<const Row *> mine = byKey.value(b.key);
                    if (mine.isEmpty()) {
                        if (base.contains(id(shape.table, b.key)))
                            continue; // the user deleted it
                        sqlite3_reset(ins.get());
                        bind(ins.get(), b.values);
                        check(user.db, sqlite3_step(ins.get()), "add");
                        addedRows.insert(sqlite3_last_insert_rowid(user.db));
                        guard::replayOwnTriggers(user.db, shape.table, sqlite3_last_insert_rowid(user.db), true);
                        ++added;
                    } else if (mine.size() == 1 && mine[0]->fingerprint == b.fingerprint) {
                        continue;
                    } else if (mine.size() == 1 && known.value(id(shape.table, b.key)).contains(mine[0]->fingerprint)) {
                        sqlite3_reset(upd.get());
                        bind(upd.get(), b.values);
                        sqlite3_bind_int64(upd.get(), int(shape.columns.size()) + 1, mine[0]->rowid);
                        check(user.db, sqlite3_step(upd.get()), "update");
                        ++updated;
                    } else {
                        ++kept;
                    }
                }
                // Rows the bundle no longer ships go only if the user left them as shipped.
                for (const Row &u : theirs) {
                    const QString k = id(shape.table, u.key);
                    if (bundleKeys.contains(u.key) || !base.contains(k))
                        continue;
                    // A drink the user rated, noted or made is theirs as much as an edited one.
                    if (byKey.value(u.key).size() != 1 || !known.value(k).contains(u.fingerprint) ||
                        (drinks && book::has(user.db, u.rowid))) {
                        ++kept; // the user's edited copy of a retired row
                        continue;
                    }
                    sqlite3_reset(del.get());
                    sqlite3_bind_int64(del.get(), 1, u.rowid);
                    check(user.db, sqlite3_step(del.get()), "retire");
                    ++removed;
                }
                // The main window browses in stored order, which is alphabetical.
                if (drinks && added)
                    sortDrinksByName(user.db, shape);
                else if (shape.keyedByContent && !addedRows.isEmpty())
                    placeWithTheirTheme(user.db, shape, addedRows);
                guard::replayOwnTriggers(user.db, shape.table, -1, false);
            }
            writeRecord(user.db, bundleShipped, bundleMeta);
            exec(user.db, QStringLiteral("COMMIT"));
        } catch (...) {
            sqlite3_exec(user.db, "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        r.merged = true;
    } catch (const std::exception &e) {
        // The catalogue is as it was, so its copy would only pile up with
        // every start that fails the same way.
        if (!r.backupPath.isEmpty())
            QFile::remove(r.backupPath);
        CatalogueMergeResult failed;
        failed.error = QString::fromUtf8(e.what());
        return failed;
    }
    if (r.merged)
        drinkindex::syncFile(userPath);
    return r;
}

} // namespace pv

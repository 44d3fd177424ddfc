#include "interchange/Interchange.h"

#include "data/BarBook.h"
#include "data/CatalogueGuard.h"
#include "data/SafeFiles.h"
#include "data/Catalogue.h"
#include "data/DrinkIndex.h"
#include "data/RecordCursor.h"
#include "data/TextFold.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>

#include <sqlite3.h>

#include <stdexcept>

namespace pv::interchange {

QString formatName(Format format)
{
    switch (format) {
    case Format::Json:
        return QStringLiteral("json");
    case Format::Csv:
        return QStringLiteral("csv");
    case Format::JsonLd:
        return QStringLiteral("jsonld");
    case Format::Html:
        return QStringLiteral("html");
    }
    return QString();
}

bool formatFromName(const QString &name, Format *format)
{
    for (Format f : {Format::Json, Format::Csv, Format::JsonLd})
        if (name.compare(formatName(f), Qt::CaseInsensitive) == 0) {
            *format = f;
            return true;
        }
    return false;
}

Format formatForFileName(const QString &fileName)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return Format::Csv;
    if (suffix == QLatin1String("jsonld"))
        return Format::JsonLd;
    return Format::Json;
}

Format detectFormat(const QByteArray &content)
{
    qsizetype i = content.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < content.size() && (content[i] == ' ' || content[i] == '\t' || content[i] == '\r' || content[i] == '\n'))
        ++i;
    if (i < content.size() && content[i] == '<')
        return Format::Html;
    if (i >= content.size() || (content[i] != '{' && content[i] != '['))
        return Format::Csv;
    // Our own format names itself near the top; schema.org data does not.
    const QByteArray head = content.mid(i, 4096);
    if (head.contains("\"pourvale-recipes\""))
        return Format::Json;
    if (head.contains("\"@context\"") || head.contains("\"@type\"") || head.contains("\"@graph\"") || content[i] == '[')
        return Format::JsonLd;
    return Format::Json;
}

bool duplicateChoiceFromName(const QString &name, OnDuplicate *choice)
{
    if (name == QLatin1String("skip"))
        *choice = OnDuplicate::Skip;
    else if (name == QLatin1String("replace"))
        *choice = OnDuplicate::Replace;
    else if (name == QLatin1String("keep-both"))
        *choice = OnDuplicate::KeepBoth;
    else
        return false;
    return true;
}

namespace {

// A connection to the catalogue file for one export or import.
class Db {
public:
    explicit Db(const QString &path, bool write)
    {
        if (!QFileInfo::exists(path))
            throw std::runtime_error(QStringLiteral("The catalogue %1 does not exist.").arg(path).toStdString());
        if (QFileInfo(path).isDir())
            throw std::runtime_error(QStringLiteral("%1 is a folder, not a catalogue file.").arg(path).toStdString());
        const int flags = write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
        // A constructor that throws runs no destructor: the connection is
        // closed here on every way out.
        try {
            if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, flags, nullptr) != SQLITE_OK)
                fail(QStringLiteral("The catalogue %1 cannot be opened").arg(path));
            guard::secure(m_db, path);
            sqlite3_busy_timeout(m_db, RecordCursor::busyTimeoutMs());
            // Anything but a catalogue (another kind of file, a damaged one) is
            // refused before a byte is written.
            sqlite3_stmt *st = nullptr;
            if (sqlite3_prepare_v2(m_db, "SELECT count(*) FROM drinklst", -1, &st, nullptr) != SQLITE_OK) {
                sqlite3_finalize(st);
                fail(QStringLiteral("%1 is not a Pourvale catalogue").arg(path));
            }
            sqlite3_finalize(st);
        } catch (...) {
            sqlite3_close(m_db);
            m_db = nullptr;
            throw;
        }
    }
    ~Db() { sqlite3_close(m_db); }
    Db(const Db &) = delete;
    Db &operator=(const Db &) = delete;

    [[noreturn]] void fail(const QString &what) const
    {
        throw std::runtime_error((what + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(m_db))).toStdString());
    }
    void exec(const char *sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            fail(QString::fromUtf8(sql));
    }
    sqlite3_stmt *prepare(const QString &sql)
    {
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            fail(QStringLiteral("The catalogue cannot be read"));
        }
        return st;
    }
    sqlite3 *handle() const { return m_db; }

private:
    sqlite3 *m_db = nullptr;
};

struct Statement {
    explicit Statement(sqlite3_stmt *s) : st(s) {}
    ~Statement() { sqlite3_finalize(st); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *st;
};

QString quotedColumns()
{
    QStringList cols;
    for (const QString &c : drinkColumns())
        cols << QLatin1Char('"') + c + QLatin1Char('"');
    return cols.join(QLatin1Char(','));
}

// A row source as SQL: a plain name stands for its table or stored query.
QString sourceSql(const QString &rowSource)
{
    static const QRegularExpression plainName(QStringLiteral("^\\[?(\\w+)\\]?$"));
    const QRegularExpressionMatch m = plainName.match(rowSource.trimmed());
    if (m.hasMatch())
        return QStringLiteral("SELECT * FROM \"%1\"").arg(m.captured(1));
    return rowSource;
}

// The row source with each drink's key as pv__key, or empty when its rows
// carry no key (a query that hides it).
QString keyedSource(sqlite3 *db, const QString &rowSource)
{
    static const QRegularExpression plainName(QStringLiteral("^\\[?(\\w+)\\]?$"));
    static const QRegularExpression selectHead(QStringLiteral("^\\s*select\\s+(.*)$"),
                                               QRegularExpression::CaseInsensitiveOption |
                                                   QRegularExpression::DotMatchesEverythingOption);
    QString sql;
    if (const QRegularExpressionMatch m = plainName.match(rowSource.trimmed()); m.hasMatch()) {
        const QString from = QStringLiteral("\"%1\"").arg(m.captured(1));
        sqlite3_stmt *probe = nullptr;
        if (sqlite3_prepare_v2(db, (QStringLiteral("SELECT * FROM ") + from).toUtf8().constData(), -1, &probe,
                               nullptr) == SQLITE_OK) {
            for (int i = 0; i < sqlite3_column_count(probe) && sql.isEmpty(); ++i) {
                const QByteArray origin = QByteArray(sqlite3_column_origin_name(probe, i)).toLower();
                if (origin == "rowid" || origin == "_rowid_" || origin == "oid")
                    sql = QStringLiteral("SELECT \"%1\" AS pv__key, * FROM %2")
                              .arg(QString::fromUtf8(sqlite3_column_name(probe, i)), from);
            }
        }
        sqlite3_finalize(probe);
        if (sql.isEmpty())
            sql = QStringLiteral("SELECT rowid AS pv__key, * FROM ") + from;
    } else if (const QRegularExpressionMatch s = selectHead.match(rowSource); s.hasMatch()) {
        sql = QStringLiteral("SELECT rowid AS pv__key, ") + s.captured(1);
    }
    if (sql.isEmpty())
        return sql;
    sqlite3_stmt *probe = nullptr;
    const bool ok = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &probe, nullptr) == SQLITE_OK;
    sqlite3_finalize(probe);
    return ok ? sql : QString();
}

QByteArrayView columnView(sqlite3_stmt *st, int i)
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
    return text ? QByteArrayView(text, sqlite3_column_bytes(st, i)) : QByteArrayView("", 0);
}

} // namespace

ExportResult exportDrinks(const QString &cataloguePath, const QString &fileName, const ExportOptions &options,
                          const Progress &progress)
{
    ExportResult result;
    try {
        Db db(cataloguePath, false);
        // One read transaction: the count and the rows agree.
        db.exec("BEGIN");
        const QString source = sourceSql(options.rowSource);
        qint64 total = 0;
        {
            Statement count(db.prepare(QStringLiteral("SELECT count(*) FROM (%1)").arg(source)));
            if (sqlite3_step(count.st) == SQLITE_ROW)
                total = sqlite3_column_int64(count.st, 0);
        }
        const bool collections = options.collections && options.format == Format::Json;
        auto writer = detail::makeWriter(options.format, total == 1, collections);
        if (!writer) {
            result.error = QStringLiteral("Drinks cannot be written as %1.").arg(formatName(options.format));
            return result;
        }

        // A pipe, a device or a folder would be replaced by the new file,
        // and a link followed; neither is what the user asked for.
        if (const QString problem = safefiles::exportTargetProblem(fileName, cataloguePath); !problem.isEmpty()) {
            result.error = problem;
            return result;
        }
        QSaveFile file(fileName);
        if (!file.open(QIODevice::WriteOnly)) {
            result.error = QStringLiteral("%1 cannot be written: %2").arg(fileName, file.errorString());
            return result;
        }
        QByteArray buffer;
        buffer.reserve(1 << 20);
        auto flush = [&](bool always) {
            if (always || buffer.size() >= (1 << 20)) {
                if (file.write(buffer) != buffer.size())
                    throw std::runtime_error(
                        QStringLiteral("%1 cannot be written: %2").arg(fileName, file.errorString()).toStdString());
                buffer.clear();
            }
        };
        writer->begin(buffer);
        // Our JSON carries the user's own layer, found by each drink's key.
        QHash<qint64, DrinkNotes> notes;
        QString keyed;
        if (options.format == Format::Json) {
            notes = book::readAll(db.handle());
            if (!notes.isEmpty())
                keyed = keyedSource(db.handle(), options.rowSource);
        }
        Statement rows(db.prepare(keyed.isEmpty()
                                      ? QStringLiteral("SELECT 0, %1 FROM (%2)").arg(quotedColumns(), source)
                                      : QStringLiteral("SELECT pv__key, %1 FROM (%2)").arg(quotedColumns(), keyed)));
        detail::Row row;
        int rc;
        while ((rc = sqlite3_step(rows.st)) == SQLITE_ROW) {
            for (int i = 0; i < 26; ++i)
                row[size_t(i)] = columnView(rows.st, i + 1);
            const auto own = keyed.isEmpty() ? notes.constEnd() : notes.constFind(sqlite3_column_int64(rows.st, 0));
            writer->nextNotes(own == notes.constEnd() ? nullptr : &own.value());
            writer->drink(buffer, row, result.drinks == 0);
            ++result.drinks;
            if ((result.drinks & 1023) == 0) {
                flush(false);
                if (progress && !progress(result.drinks, total)) {
                    file.cancelWriting();
                    result.cancelled = true;
                    return result;
                }
            }
        }
        if (rc != SQLITE_DONE)
            db.fail(QStringLiteral("The catalogue cannot be read"));
        if (collections) {
            QMap<QString, QList<std::array<QByteArray, 2>>> tables;
            for (const CollectionTable &t : collectionTables()) {
                Statement st(db.prepare(
                    QStringLiteral("SELECT \"%1\", \"%2\" FROM \"%3\" ORDER BY rowid")
                        .arg(QLatin1String(t.shortColumn), QLatin1String(t.longColumn), QLatin1String(t.table))));
                auto &list = tables[QLatin1String(t.table)];
                while (sqlite3_step(st.st) == SQLITE_ROW)
                    list.append({columnView(st.st, 0).toByteArray(), columnView(st.st, 1).toByteArray()});
            }
            writer->collections(buffer, tables);
        }
        writer->end(buffer);
        flush(true);
        if (progress && !progress(result.drinks, total)) {
            file.cancelWriting();
            result.cancelled = true;
            return result;
        }
        if (!file.commit()) {
            result.error = QStringLiteral("%1 cannot be written: %2").arg(fileName, file.errorString());
            return result;
        }
        result.ok = true;
    } catch (const std::exception &e) {
        result.error = QString::fromUtf8(e.what());
    }
    return result;
}

// ----------------------------------------------------------------- import

QString importRefusal(const DrinkSeed &d)
{
    // A name of spaces is a name, as the main window stores it.
    if (d.name.isEmpty())
        return QStringLiteral("the drink has no name");
    qsizetype used = d.ingredients.size();
    while (used > 0 && d.ingredients[used - 1].first.isEmpty() && d.ingredients[used - 1].second.isEmpty())
        --used;
    if (used > 10)
        return QStringLiteral("%1 ingredients; at most ten fit").arg(used);
    qsizetype cats = d.categories.size();
    while (cats > 0 && d.categories[cats - 1].isEmpty())
        --cats;
    if (cats > 3)
        return QStringLiteral("%1 categories; at most three fit").arg(cats);
    return QString();
}

namespace {

ReadResult finishRead(ReadResult out)
{
    if (out.error.isEmpty() && out.entries.isEmpty() && out.collections.isEmpty())
        out.error = QStringLiteral("The file holds no drinks.");
    for (Entry &e : out.entries)
        if (e.refusal.isEmpty())
            e.refusal = importRefusal(e.drink);
    return out;
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

} // namespace

ReadResult readDrinks(const QByteArray &content, Format format)
{
    ReadResult out;
    if (format == Format::Html) {
        // A page is read in whatever state it was saved; its own checks
        // of the encoding are in the page reader.
        out = detail::readHtml(content);
    } else {
        QString error;
        const QByteArrayView text = detail::checkUtf8(content, &error);
        if (!error.isEmpty()) {
            out.error = error;
            return out;
        }
        switch (format) {
        case Format::Json:
            out = detail::readJson(text);
            break;
        case Format::JsonLd:
            out = detail::readJsonLd(text);
            break;
        case Format::Csv:
            out = detail::readCsv(QString::fromUtf8(text));
            break;
        case Format::Html:
            break;
        }
    }
    return finishRead(std::move(out));
}

ReadResult readDrinkFile(const QString &fileName)
{
    ReadResult r;
    QFile file(fileName);
    // A pipe or a device could be read for ever; a folder not at all.
    const QFileInfo info(fileName);
    if (info.exists() && !info.isFile()) {
        r.error = QStringLiteral("The file is not an ordinary file; only files can be imported.");
        return r;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        // The caller names the file.
        r.error = QFileInfo::exists(fileName) ? QStringLiteral("The file cannot be read (%1).").arg(file.errorString())
                                              : QStringLiteral("The file does not exist.");
        return r;
    }
    const auto megabytes = [](qint64 bytes) { return QString::number((bytes + (1 << 20) - 1) >> 20); };
    if (file.size() > kMaxImportBytes) {
        r.error = QStringLiteral("The file is %1 MB, and files over %2 MB are not imported. Nothing was imported.")
                      .arg(megabytes(file.size()), megabytes(kMaxImportBytes));
        return r;
    }
    try {
        // CSV is read as it goes; the other formats' readers need the whole text.
        const QByteArray head = file.peek(64 * 1024);
        if (detectFormat(head) == Format::Csv && std::any_of(head.begin(), head.end(), [](char c) { return !isBlank(c); }))
            return finishRead(detail::readCsv(file));
        const QByteArray content = file.read(kMaxImportBytes + 1);
        if (content.size() > kMaxImportBytes) {
            r.error = QStringLiteral("The file is over %1 MB, and such files are not imported. Nothing was imported.")
                          .arg(megabytes(kMaxImportBytes));
            return r;
        }
        return readDrinks(content, detectFormat(content));
    } catch (const std::bad_alloc &) {
        r = ReadResult();
        r.error = QStringLiteral("There is not enough memory to read the file. Nothing was imported.");
        return r;
    }
}

int ImportPlan::withNotes() const
{
    int n = 0;
    for (const PlanItem &i : items)
        n += i.status != PlanItem::Refused && i.entry.own && !i.entry.own->isEmpty();
    return n;
}

int ImportPlan::count(PlanItem::Status status) const
{
    int n = 0;
    for (const PlanItem &i : items)
        n += i.status == status;
    return n;
}

int ImportPlan::refusals() const
{
    return count(PlanItem::Refused) + int(collectionRefusals.size());
}

void ImportPlan::chooseForAll(OnDuplicate choice)
{
    for (PlanItem &i : items)
        i.choice = choice;
}

namespace {

QString nameKey(const QString &name)
{
    return foldForSearch(name);
}

// Folded name -> keys of the drinks of that name, in the catalogue's order,
// and the first one's name as written.
QHash<QString, QList<qint64>> existingNames(Db &db, QHash<QString, QString> *shown = nullptr)
{
    QHash<QString, QList<qint64>> names;
    Statement st(db.prepare(QStringLiteral("SELECT rowid, DrinkName FROM drinklst ORDER BY rowid")));
    while (sqlite3_step(st.st) == SQLITE_ROW) {
        const QString name = QString::fromUtf8(columnView(st.st, 1));
        const QString key = nameKey(name);
        auto &keys = names[key];
        if (keys.isEmpty() && shown)
            shown->insert(key, name);
        keys << sqlite3_column_int64(st.st, 0);
    }
    return names;
}

QString drinksText(int n)
{
    return n == 1 ? QStringLiteral("1 drink uses") : QStringLiteral("%1 drinks use").arg(n);
}

// "Rocks (2), Tiki Mug": the texts in the order first met, with their counts.
QString countedList(const QStringList &order, const QHash<QString, int> &counts)
{
    QStringList parts;
    for (const QString &whole : order) {
        // A glass or a category is named in a few words; a note shows no more.
        const QString t = whole.size() > 100 ? whole.left(100) + QChar(0x2026) : whole;
        parts << (counts.value(whole) > 1 ? QStringLiteral("%1 (%2)").arg(t).arg(counts.value(whole)) : t);
    }
    if (parts.size() > 50) {
        const qsizetype more = parts.size() - 50;
        parts.resize(50);
        parts << QStringLiteral("and %1 more").arg(more);
    }
    return parts.join(QStringLiteral(", "));
}

void listNotesAndOffers(ImportPlan &plan, bool keepAccepted)
{
    QList<Offer> before = plan.offers;
    plan.notes.clear();
    plan.offers.clear();
    QStringList glassOrder, categoryOrder;
    QHash<QString, int> glassCount, categoryCount;
    int glassDrinks = 0, categoryDrinks = 0;
    QStringList fitted;
    for (const PlanItem &i : plan.items) {
        if (i.status == PlanItem::Refused)
            continue;
        const DrinkSeed &d = i.entry.drink;
        if (!d.glass.isEmpty() && !glassNames().contains(d.glass)) {
            ++glassDrinks;
            if (!glassCount.contains(d.glass))
                glassOrder << d.glass;
            ++glassCount[d.glass];
        }
        bool odd = false;
        for (const QString &c : d.categories) {
            bool known = false;
            for (const Category &k : categories())
                known = known || c == QLatin1String(k.label);
            if (c.isEmpty() || known)
                continue;
            odd = true;
            if (!categoryCount.contains(c))
                categoryOrder << c;
            ++categoryCount[c];
        }
        categoryDrinks += odd;
        for (const QString &n : i.entry.notes)
            fitted << i.entry.where + QStringLiteral(": ") + n;
    }
    if (glassDrinks)
        plan.notes << QStringLiteral("%1 a glass with no picture: %2")
                          .arg(drinksText(glassDrinks), countedList(glassOrder, glassCount));
    if (categoryDrinks)
        plan.notes << QStringLiteral("%1 a category that no category list shows: %2")
                          .arg(drinksText(categoryDrinks), countedList(categoryOrder, categoryCount));
    plan.notes << fitted;
    auto offer = [&](Offer::Field field, const QString &from, const QString &to, int n) {
        Offer o{field, from, to, n, false};
        if (keepAccepted)
            for (const Offer &b : before)
                if (b.field == field && b.from == from && b.to == to)
                    o.accepted = b.accepted;
        plan.offers << o;
    };
    for (const QString &g : glassOrder) {
        const QString to = glassSynonym(g);
        if (!to.isEmpty())
            offer(Offer::Glass, g, to, glassCount.value(g));
    }
    for (const QString &c : categoryOrder) {
        const QString to = categorySynonym(c);
        if (!to.isEmpty())
            offer(Offer::Category, c, to, categoryCount.value(c));
    }
}

} // namespace

QString Offer::text() const
{
    return QStringLiteral("Use the %1 '%2' for '%3' (%4)")
        .arg(field == Glass ? QStringLiteral("glass") : QStringLiteral("category"), to, from,
             drinks == 1 ? QStringLiteral("1 drink") : QStringLiteral("%1 drinks").arg(drinks));
}

void ImportPlan::applyOffers()
{
    for (const Offer &o : std::as_const(offers)) {
        if (!o.accepted)
            continue;
        for (PlanItem &i : items) {
            DrinkSeed &d = i.entry.drink;
            if (o.field == Offer::Glass && d.glass == o.from)
                d.glass = o.to;
            if (o.field == Offer::Category)
                for (QString &c : d.categories)
                    if (c == o.from)
                        c = o.to;
        }
    }
    // What was taken is no longer a note; what was not stays offered.
    QList<Offer> kept;
    for (const Offer &o : std::as_const(offers))
        if (!o.accepted)
            kept << o;
    offers = kept;
    listNotesAndOffers(*this, true);
}

ImportPlan planImport(const QString &cataloguePath, ReadResult read)
{
    ImportPlan plan;
    plan.error = read.error;
    plan.collections = std::move(read.collections);
    plan.collectionRefusals = read.collectionRefusals;
    if (!plan.error.isEmpty())
        return plan;
    QHash<QString, QList<qint64>> names;
    QHash<QString, QString> shownNames;
    try {
        Db db(cataloguePath, false);
        names = existingNames(db, &shownNames);
    } catch (const std::exception &e) {
        plan.error = QString::fromUtf8(e.what());
        return plan;
    }
    QHash<QString, int> seen; // drinks of each name so far in the file
    plan.items.reserve(read.entries.size());
    for (Entry &e : read.entries) {
        PlanItem item;
        item.entry = std::move(e);
        if (!item.entry.refusal.isEmpty()) {
            item.status = PlanItem::Refused;
        } else {
            const QString key = nameKey(item.entry.drink.name);
            if (seen[key]++ < names.value(key).size()) {
                item.status = PlanItem::Duplicate;
                item.duplicateOf = shownNames.value(key, item.entry.drink.name);
            }
        }
        plan.items << std::move(item);
    }
    listNotesAndOffers(plan, false);
    return plan;
}

QString ImportOutcome::summary() const
{
    auto drinks = [](int n) { return n == 1 ? QStringLiteral("1 drink") : QStringLiteral("%1 drinks").arg(n); };
    auto dups = [](int n) { return n == 1 ? QStringLiteral("1 duplicate") : QStringLiteral("%1 duplicates").arg(n); };
    QStringList parts;
    parts << QStringLiteral("Imported ") + drinks(added);
    if (replaced)
        parts << QStringLiteral("replaced ") + dups(replaced);
    if (skipped)
        parts << QStringLiteral("skipped ") + dups(skipped);
    if (collectionRows)
        parts << QStringLiteral("added %1 collection row%2").arg(collectionRows).arg(collectionRows == 1 ? "" : "s");
    if (ownTaken)
        parts << QStringLiteral("took favourites, ratings and notes for ") + drinks(ownTaken);
    if (!refusals.isEmpty()) {
        QStringList shown = refusals.mid(0, 3);
        if (refusals.size() > 3)
            shown << QStringLiteral("and %1 more").arg(refusals.size() - 3);
        parts << QStringLiteral("refused %1 (%2)").arg(refusals.size()).arg(shown.join(QStringLiteral("; ")));
    }
    QString text = parts.join(QStringLiteral("; "));
    if (!notes.isEmpty()) {
        QStringList shown = notes.mid(0, 5);
        if (notes.size() > 5)
            shown << QStringLiteral("and %1 more notes").arg(notes.size() - 5);
        text += QStringLiteral(".\n") + shown.join(QStringLiteral(".\n"));
    }
    return text;
}

namespace {

void bindText(Db &db, sqlite3_stmt *st, int index, const QString &text)
{
    const QByteArray u = text.toUtf8();
    if (sqlite3_bind_text(st, index, u.constData(), int(u.size()), SQLITE_TRANSIENT) != SQLITE_OK)
        db.fail(QStringLiteral("The drink cannot be written"));
}

void bindDrink(Db &db, sqlite3_stmt *st, const DrinkSeed &d, const QString &name)
{
    bindText(db, st, 1, name);
    bindText(db, st, 2, d.glass);
    for (int i = 0; i < 3; ++i)
        bindText(db, st, 3 + i, d.categories.value(i));
    bindText(db, st, 6, d.directions);
    for (int i = 0; i < 10; ++i) {
        const bool has = i < d.ingredients.size();
        bindText(db, st, 7 + i, has ? d.ingredients[i].second : QString());
        bindText(db, st, 17 + i, has ? d.ingredients[i].first : QString());
    }
}

void step(Db &db, sqlite3_stmt *st)
{
    if (sqlite3_step(st) != SQLITE_DONE)
        db.fail(QStringLiteral("The catalogue cannot be written"));
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
}

// Imports collection rows that the table does not hold yet. A number that
// is taken is dropped, so the table numbers the row itself.
int importCollections(Db &db, const QMap<QString, QList<CollectionRow>> &collections)
{
    int added = 0;
    for (const CollectionTable &t : collectionTables()) {
        const QList<CollectionRow> rows = collections.value(QLatin1String(t.table));
        if (rows.isEmpty())
            continue;
        const QString shortCol = QLatin1String(t.shortColumn);
        const QString longCol = QLatin1String(t.longColumn);
        // As with drinks, the n-th row of a text in the file meets the n-th
        // row of that text in the table, so a table restores onto itself.
        QHash<QString, int> texts;
        QHash<QString, int> seen;
        QSet<QString> numbers;
        {
            Statement st(db.prepare(
                QStringLiteral("SELECT \"%1\", \"%2\" FROM \"%3\"").arg(shortCol, longCol, QLatin1String(t.table))));
            while (sqlite3_step(st.st) == SQLITE_ROW) {
                numbers << QString::fromUtf8(columnView(st.st, 0));
                ++texts[QString::fromUtf8(columnView(st.st, 1))];
            }
        }
        Statement ins(db.prepare(QStringLiteral("INSERT INTO \"%3\" (\"%1\", \"%2\") VALUES (?, ?)")
                                     .arg(shortCol, longCol, QLatin1String(t.table))));
        for (const CollectionRow &row : rows) {
            const QString text = row.values.value(longCol);
            if (seen[text]++ < texts.value(text))
                continue;
            QString shortValue = row.values.value(shortCol);
            if (t.numbered && (shortValue.isEmpty() || numbers.contains(shortValue)))
                sqlite3_bind_null(ins.st, 1);
            else
                bindText(db, ins.st, 1, shortValue);
            bindText(db, ins.st, 2, text);
            step(db, ins.st);
            guard::replayOwnTriggers(db.handle(), QLatin1String(t.table), sqlite3_last_insert_rowid(db.handle()), true);
            numbers << shortValue;
            ++added;
        }
    }
    return added;
}

} // namespace

ImportOutcome applyImport(const QString &cataloguePath, const ImportPlan &plan, const Progress &progress)
{
    ImportOutcome out;
    if (!plan.error.isEmpty()) {
        out.error = plan.error;
        return out;
    }
    for (const PlanItem &i : plan.items)
        if (i.status == PlanItem::Refused)
            out.refusals << i.entry.where + QStringLiteral(": ") + i.entry.refusal;
    out.refusals << plan.collectionRefusals;
    out.notes = plan.notes;
    try {
        Db db(cataloguePath, true);
        db.exec("BEGIN IMMEDIATE");
        guard::beforeWrite(db.handle());
        try {
            // Names as they stand in the file at this moment; a copy kept
            // beside a duplicate takes the first free "Name (n)".
            // Without duplicates no name needs looking up.
            const bool hasDuplicates = plan.count(PlanItem::Duplicate) > 0;
            QHash<QString, QList<qint64>> names;
            QSet<QString> taken;
            if (hasDuplicates) {
                names = existingNames(db);
                for (auto it = names.cbegin(); it != names.cend(); ++it)
                    taken << it.key();
            }
            QHash<QString, int> seen;
            const QString cols = quotedColumns();
            Statement ins(db.prepare(QStringLiteral("INSERT INTO drinklst (%1) VALUES (%2)")
                                         .arg(cols, QStringList(26, QStringLiteral("?")).join(QLatin1Char(',')))));
            QStringList assignments;
            for (const QString &c : drinkColumns())
                assignments << QStringLiteral("\"%1\" = ?").arg(c);
            Statement upd(db.prepare(
                QStringLiteral("UPDATE drinklst SET %1 WHERE rowid = ?27").arg(assignments.join(QLatin1Char(',')))));
            const qint64 total = plan.items.size();
            qint64 done = 0;
            for (const PlanItem &item : plan.items) {
                if (progress && (++done & 255) == 0 && !progress(done, total)) {
                    db.exec("ROLLBACK");
                    out.cancelled = true;
                    return out;
                }
                if (item.status == PlanItem::Refused)
                    continue;
                const DrinkSeed &d = item.entry.drink;
                QString name = d.name;
                // A new drink takes the file's layer; one already here keeps
                // the user's unless they chose the file's, or have none.
                auto takeNotes = [&](qint64 drink, bool existing) {
                    if (!item.entry.own || item.entry.own->isEmpty())
                        return;
                    if (existing && !plan.takeFileNotes && book::has(db.handle(), drink))
                        return;
                    book::write(db.handle(), drink, *item.entry.own);
                    ++out.ownTaken;
                };
                if (!hasDuplicates) {
                    bindDrink(db, ins.st, d, name);
                    step(db, ins.st);
                    takeNotes(sqlite3_last_insert_rowid(db.handle()), false);
                    ++out.added;
                    continue;
                }
                // The n-th drink of a name in the file meets the n-th of
                // that name in the catalogue as it stands now.
                const QString key = nameKey(name);
                const int nth = seen[key]++;
                const QList<qint64> &same = names[key];
                if (item.status == PlanItem::Duplicate && nth < same.size()) {
                    if (item.choice == OnDuplicate::Skip) {
                        takeNotes(same[nth], true);
                        ++out.skipped;
                        continue;
                    }
                    if (item.choice == OnDuplicate::Replace) {
                        bindDrink(db, upd.st, d, name);
                        sqlite3_bind_int64(upd.st, 27, same[nth]);
                        step(db, upd.st);
                        takeNotes(same[nth], true);
                        ++out.replaced;
                        continue;
                    }
                    for (int n = 2;; ++n) {
                        name = QStringLiteral("%1 (%2)").arg(d.name).arg(n);
                        if (!taken.contains(nameKey(name)))
                            break;
                    }
                }
                bindDrink(db, ins.st, d, name);
                step(db, ins.st);
                takeNotes(sqlite3_last_insert_rowid(db.handle()), false);
                taken << nameKey(name);
                ++out.added;
            }
            out.collectionRows = importCollections(db, plan.collections);
            guard::replayOwnTriggers(db.handle(), QString::fromLatin1(kDrinkTable), -1, false);
            if (progress && !progress(total, total)) {
                db.exec("ROLLBACK");
                out.cancelled = true;
                return out;
            }
            db.exec("COMMIT");
        } catch (...) {
            sqlite3_exec(db.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
            throw;
        }
        out.ok = true;
    } catch (const std::exception &e) {
        out = ImportOutcome();
        out.error = QString::fromUtf8(e.what()) + QStringLiteral("\nNothing was imported; the catalogue is as it was.");
    }
    // The new drinks are found at once by the next search; a file that
    // cannot hold the index is searched without it.
    if (out.ok)
        drinkindex::syncFile(cataloguePath);
    return out;
}

void createEmptyCatalogue(const QString &path)
{
    CatalogueSeed().write(path);
}

} // namespace pv::interchange

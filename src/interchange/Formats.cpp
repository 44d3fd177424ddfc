// Reading and writing the three file formats: our own JSON, CSV with the
// catalogue's column names, and schema.org Recipe data in JSON-LD.

#include "data/Catalogue.h"
#include "interchange/Interchange.h"

#include <QFileDevice>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRegularExpression>

#include <cstring>

namespace pv::interchange::detail {

namespace {

constexpr const char *kFormatTag = "pourvale-recipes";
constexpr int kFormatVersion = 1;
// The user's own layer is a part of the format with a version of its own, so
// that a reader of format 1 that knows no layer reads the drinks still.
constexpr int kNotesVersion = 1;

int lineOfOffset(const QByteArray &bytes, qsizetype offset)
{
    return int(QByteArrayView(bytes).first(std::clamp<qsizetype>(offset, 0, bytes.size())).count('\n')) + 1;
}

QString errorAtLine(int line, const QString &what)
{
    return QStringLiteral("line %1: %2").arg(line).arg(what);
}

// Empty slots at the end of a list are not written.
template <typename T, typename Empty> qsizetype usedLength(const T &list, qsizetype size, Empty isEmpty)
{
    while (size > 0 && isEmpty(list, size - 1))
        --size;
    return size;
}

qsizetype usedCategories(const Row &row)
{
    return usedLength(row, 3, [](const Row &r, qsizetype i) { return r[size_t(Cat1 + i)].isEmpty(); });
}

qsizetype usedIngredients(const Row &row)
{
    return usedLength(row, 10, [](const Row &r, qsizetype i) {
        return r[size_t(Ing1 + i)].isEmpty() && r[size_t(Qty1 + i)].isEmpty();
    });
}

QByteArrayView trimmedView(QByteArrayView v)
{
    return v.trimmed();
}

} // namespace

void appendJsonString(QByteArray &out, QByteArrayView utf8)
{
    static const char hex[] = "0123456789abcdef";
    out += '"';
    const char *p = utf8.data();
    const char *end = p + utf8.size();
    const char *run = p;
    for (; p < end; ++p) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 0x20 && c != '"' && c != '\\')
            continue;
        out.append(run, p - run);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
        run = p + 1;
    }
    out.append(run, end - run);
    out += '"';
}

namespace {

// The length of the well-formed UTF-8 at the start of p[0..n): no overlong
// forms, surrogates or code points past U+10FFFF. With `more`, a sequence
// cut by the end of the piece is left for the next one, not called wrong.
qsizetype validUtf8(const unsigned char *p, qsizetype n, bool more)
{
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int len = 0;
        unsigned char lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF)
            len = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            len = 3;
            lo = c == 0xE0 ? 0xA0 : 0x80;
            hi = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            len = 4;
            lo = c == 0xF0 ? 0x90 : 0x80;
            hi = c == 0xF4 ? 0x8F : 0xBF;
        }
        if (len == 0)
            return i;
        const qsizetype have = std::min<qsizetype>(len, n - i);
        bool ok = have < 2 || (p[i + 1] >= lo && p[i + 1] <= hi);
        for (int k = 2; ok && k < have; ++k)
            ok = p[i + k] >= 0x80 && p[i + k] <= 0xBF;
        if (!ok || (have < len && !more))
            return i;
        if (have < len)
            return i; // the rest comes with the next piece
        i += len;
    }
    return n;
}

} // namespace

QByteArrayView checkUtf8(const QByteArray &content, QString *error)
{
    QByteArrayView bytes(content);
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    if (bytes.trimmed().isEmpty()) {
        *error = QStringLiteral("The file is empty.");
        return {};
    }
    const qsizetype valid = validUtf8(reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), false);
    if (valid < bytes.size()) {
        *error = errorAtLine(int(bytes.first(valid).count('\n')) + 1, QStringLiteral("the file is not UTF-8 text"));
        return {};
    }
    return bytes;
}

namespace {

// The parser keeps every value in memory, and an empty object takes far more
// than its two bytes: a file of a few megabytes of "{}," would take
// gigabytes. A 256 MB export holds about 3 million lists and objects.
constexpr qint64 kMaxJsonContainers = 5'000'000;
constexpr qint64 kMaxJsonValues = 20'000'000;

} // namespace

bool jsonWithinBounds(QByteArrayView text, QString *error)
{
    qint64 containers = 0, values = 1;
    const char *p = text.data();
    const char *end = p + text.size();
    while (p < end) {
        const char c = *p++;
        if (c == '"') {
            // A string is skipped whole, to its closing quote: one not
            // escaped by an odd run of backslashes.
            for (;;) {
                const auto *q = static_cast<const char *>(std::memchr(p, '"', size_t(end - p)));
                if (!q) {
                    p = end;
                    break;
                }
                const char *run = q;
                while (run > p && run[-1] == '\\')
                    --run;
                p = q + 1;
                if ((q - run) % 2 == 0)
                    break;
            }
            continue;
        }
        containers += c == '{' || c == '[';
        values += c == ',';
        if (containers > kMaxJsonContainers || values > kMaxJsonValues) {
            *error = QStringLiteral("The file holds more than %1 lists and objects or %2 values, more than Pourvale "
                                    "reads from one file. Nothing was imported.")
                         .arg(QLocale(QLocale::English).toString(kMaxJsonContainers),
                              QLocale(QLocale::English).toString(kMaxJsonValues));
            return false;
        }
    }
    return true;
}

// ------------------------------------------------------------------ JSON

namespace {

// Text of a field that should hold text: absent and null are empty; any
// other kind is a refusal.
bool textOf(const QJsonValue &v, const QString &key, QString *out, QString *refusal)
{
    if (v.isString()) {
        *out = v.toString();
        return true;
    }
    if (v.isUndefined() || v.isNull()) {
        out->clear();
        return true;
    }
    if (refusal->isEmpty())
        *refusal = QStringLiteral("'%1' is %2 where text belongs")
                       .arg(key, v.isDouble()  ? QStringLiteral("a number")
                                 : v.isBool()  ? QStringLiteral("true or false")
                                 : v.isArray() ? QStringLiteral("a list")
                                               : QStringLiteral("an object"));
    return false;
}

QString tooManyDrinks()
{
    return QStringLiteral("The file holds more than %1 drinks, more than Pourvale imports from one file. Import it "
                          "in parts. Nothing was imported.")
        .arg(QLocale(QLocale::English).toString(kMaxImportDrinks));
}

QJsonValue parseJson(QByteArrayView text, QString *error)
{
    if (!jsonWithinBounds(text, error))
        return QJsonValue();
    const QByteArray bytes = QByteArray::fromRawData(text.data(), text.size());
    QJsonParseError err;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &err);
    if (err.error != QJsonParseError::NoError) {
        *error = errorAtLine(lineOfOffset(bytes, err.offset),
                             QStringLiteral("the file is not valid JSON (%1)").arg(err.errorString()));
        return QJsonValue();
    }
    return doc.isArray() ? QJsonValue(doc.array()) : QJsonValue(doc.object());
}

// The user's layer of a drink; a field of the wrong kind is left out, with a note.
std::optional<DrinkNotes> jsonNotes(const QJsonValue &v, QStringList *notes)
{
    if (v.isUndefined() || v.isNull())
        return std::nullopt;
    if (!v.isObject()) {
        *notes << QStringLiteral("its 'barbook' is not an object and was left out");
        return std::nullopt;
    }
    const QJsonObject o = v.toObject();
    DrinkNotes n;
    QStringList wrong;
    const QJsonValue fav = o.value(QLatin1String("favourite"));
    if (fav.isBool())
        n.favourite = fav.toBool();
    else if (!fav.isUndefined() && !fav.isNull())
        wrong << QStringLiteral("favourite");
    const QJsonValue rating = o.value(QLatin1String("rating"));
    if (rating.isDouble() && rating.toDouble() >= 0 && rating.toDouble() <= book::kMaxRating &&
        rating.toDouble() == double(rating.toInt()))
        n.rating = rating.toInt();
    else if (!rating.isUndefined() && !rating.isNull())
        wrong << QStringLiteral("rating");
    const QJsonValue note = o.value(QLatin1String("note"));
    if (note.isString())
        n.note = note.toString();
    else if (!note.isUndefined() && !note.isNull())
        wrong << QStringLiteral("note");
    const QJsonValue made = o.value(QLatin1String("made"));
    if (made.isArray()) {
        for (const QJsonValue &m : made.toArray()) {
            const QJsonObject mo = m.toObject();
            const QDate date = QDate::fromString(mo.value(QLatin1String("date")).toString(), Qt::ISODate);
            const QJsonValue comment = mo.value(QLatin1String("comment"));
            if (!m.isObject() || !date.isValid() || !(comment.isString() || comment.isUndefined() || comment.isNull())) {
                if (!wrong.contains(QStringLiteral("made")))
                    wrong << QStringLiteral("made");
                continue;
            }
            n.made << MadeEntry{date, comment.toString()};
        }
    } else if (!made.isUndefined() && !made.isNull()) {
        wrong << QStringLiteral("made");
    }
    if (!wrong.isEmpty())
        *notes << QStringLiteral("its own %1 could not be read and %2 left out")
                      .arg(wrong.join(QStringLiteral(", ")),
                           wrong.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    const DrinkNotes kept = book::bounded(n);
    if (!(kept == n))
        *notes << QStringLiteral("its own note or log was longer than the program keeps and was shortened");
    return kept;
}

Entry jsonDrink(const QJsonValue &value, int number)
{
    Entry e;
    e.where = QStringLiteral("entry %1").arg(number);
    if (!value.isObject()) {
        e.refusal = QStringLiteral("a drink must be an object");
        return e;
    }
    const QJsonObject o = value.toObject();
    DrinkSeed &d = e.drink;
    textOf(o.value(QLatin1String("name")), QStringLiteral("name"), &d.name, &e.refusal);
    textOf(o.value(QLatin1String("glass")), QStringLiteral("glass"), &d.glass, &e.refusal);
    textOf(o.value(QLatin1String("directions")), QStringLiteral("directions"), &d.directions, &e.refusal);
    const QJsonValue cats = o.value(QLatin1String("categories"));
    if (cats.isArray()) {
        for (const QJsonValue &c : cats.toArray()) {
            QString label;
            textOf(c, QStringLiteral("categories"), &label, &e.refusal);
            d.categories << label;
        }
    } else {
        QString label;
        if (textOf(cats, QStringLiteral("categories"), &label, &e.refusal) && !label.isEmpty())
            d.categories << label;
    }
    const QJsonValue ings = o.value(QLatin1String("ingredients"));
    if (ings.isArray()) {
        for (const QJsonValue &i : ings.toArray()) {
            QString qty, ing;
            if (!i.isObject()) {
                if (e.refusal.isEmpty())
                    e.refusal = QStringLiteral("an ingredient must be an object with a quantity and an ingredient");
                continue;
            }
            textOf(i.toObject().value(QLatin1String("quantity")), QStringLiteral("quantity"), &qty, &e.refusal);
            textOf(i.toObject().value(QLatin1String("ingredient")), QStringLiteral("ingredient"), &ing, &e.refusal);
            d.ingredients << qMakePair(qty, ing);
        }
    } else if (!ings.isUndefined() && !ings.isNull() && e.refusal.isEmpty()) {
        e.refusal = QStringLiteral("'ingredients' must be a list");
    }
    e.own = jsonNotes(o.value(QLatin1String("barbook")), &e.notes);
    return e;
}

void jsonCollections(const QJsonObject &all, ReadResult &out)
{
    for (const CollectionTable &t : collectionTables()) {
        const QString table = QLatin1String(t.table);
        const QJsonArray rows = all.value(table).toArray();
        int number = 0;
        for (const QJsonValue &v : rows) {
            ++number;
            const QJsonObject o = v.toObject();
            CollectionRow row;
            row.line = number;
            QString refusal;
            for (const char *column : {t.shortColumn, t.longColumn}) {
                const QString col = QLatin1String(column);
                const QJsonValue cell = o.value(col);
                QString text;
                // A number column may hold a number.
                if (t.numbered && column == t.shortColumn && cell.isDouble())
                    text = QString::number(cell.toInteger());
                else
                    textOf(cell, col, &text, &refusal);
                row.values[col] = text;
            }
            if (refusal.isEmpty() && row.values.value(QLatin1String(t.longColumn)).trimmed().isEmpty())
                refusal = QStringLiteral("'%1' is empty").arg(QLatin1String(t.longColumn));
            if (refusal.isEmpty())
                out.collections[table] << row;
            else
                out.collectionRefusals << QStringLiteral("%1 entry %2: %3").arg(table).arg(number).arg(refusal);
        }
    }
}

} // namespace

ReadResult readJson(QByteArrayView text)
{
    ReadResult out;
    const QJsonValue top = parseJson(text, &out.error);
    if (!out.error.isEmpty())
        return out;
    const QJsonObject o = top.toObject();
    if (!top.isObject() || !o.value(QLatin1String("drinks")).isArray()) {
        out.error = QStringLiteral("The file is not a Pourvale recipe file: it has no list of \"drinks\".");
        return out;
    }
    const QJsonValue version = o.value(QLatin1String("version"));
    if (version.isDouble() && version.toDouble() > kFormatVersion) {
        out.error = QStringLiteral("The file was written by a newer Pourvale (format version %1); this one reads "
                                   "version %2.")
                        .arg(version.toDouble())
                        .arg(kFormatVersion);
        return out;
    }
    int number = 0;
    const QJsonArray drinks = o.value(QLatin1String("drinks")).toArray();
    if (drinks.size() > kMaxImportDrinks) {
        out.error = tooManyDrinks();
        return out;
    }
    out.entries.reserve(drinks.size());
    // A layer of a later version is not guessed at: the drinks come in without it.
    const QJsonValue notesVersion = o.value(QLatin1String("barbookVersion"));
    const bool newerNotes = notesVersion.isDouble() && notesVersion.toDouble() > kNotesVersion;
    for (const QJsonValue &v : drinks) {
        out.entries << jsonDrink(v, ++number);
        if (newerNotes && out.entries.last().own) {
            out.entries.last().own.reset();
            out.entries.last().notes << QStringLiteral("its own notes are of a newer kind and were left out");
        }
    }
    jsonCollections(o.value(QLatin1String("collections")).toObject(), out);
    return out;
}

// --------------------------------------------------------------- JSON-LD

namespace {

bool isType(const QJsonObject &o, const QString &type)
{
    const QJsonValue t = o.value(QLatin1String("@type"));
    if (t.isArray())
        return t.toArray().contains(type);
    const QString s = t.toString();
    return s == type || s == QStringLiteral("schema:") + type || s == QStringLiteral("https://schema.org/") + type ||
           s == QStringLiteral("http://schema.org/") + type;
}

} // namespace

void collectRecipeNodes(const QJsonValue &v, QList<QJsonObject> &out, int depth)
{
    // Recipes stand at the top, in a @graph, or in a list; no deeper.
    if (depth > 4)
        return;
    if (v.isArray()) {
        for (const QJsonValue &item : v.toArray())
            collectRecipeNodes(item, out, depth + 1);
        return;
    }
    const QJsonObject o = v.toObject();
    if (isType(o, QStringLiteral("Recipe"))) {
        out << o;
        return;
    }
    if (o.contains(QLatin1String("@graph")))
        collectRecipeNodes(o.value(QLatin1String("@graph")), out, depth + 1);
    if (o.contains(QLatin1String("itemListElement")))
        collectRecipeNodes(o.value(QLatin1String("itemListElement")), out, depth + 1);
    if (isType(o, QStringLiteral("ListItem")))
        collectRecipeNodes(o.value(QLatin1String("item")), out, depth + 1);
    // A page's recipe often hangs off the page node ("mainEntity").
    if (o.value(QLatin1String("mainEntity")).isObject() || o.value(QLatin1String("mainEntity")).isArray())
        collectRecipeNodes(o.value(QLatin1String("mainEntity")), out, depth + 1);
}

namespace {

// A name given as text, or as an object with a name.
QString nameOf(const QJsonValue &v)
{
    if (v.isObject())
        return v.toObject().value(QLatin1String("name")).toString();
    if (v.isArray())
        return v.toArray().isEmpty() ? QString() : nameOf(v.toArray().first());
    return v.toString();
}

QString instructionsOf(const QJsonValue &v, int depth = 0)
{
    // Lists of sections of steps, and no deeper.
    if (depth > 8)
        return QString();
    if (v.isString())
        return v.toString();
    if (v.isArray()) {
        QStringList steps;
        for (const QJsonValue &s : v.toArray()) {
            const QString t = instructionsOf(s, depth + 1);
            if (!t.isEmpty())
                steps << t;
        }
        return steps.join(QLatin1Char(' '));
    }
    const QJsonObject o = v.toObject();
    if (o.contains(QLatin1String("itemListElement")))
        return instructionsOf(o.value(QLatin1String("itemListElement")), depth + 1);
    // A step names itself when it has no text of its own.
    const QString text = instructionsOf(o.value(QLatin1String("text")), depth + 1);
    return text.isEmpty() ? instructionsOf(o.value(QLatin1String("name")), depth + 1) : text;
}

QString quantityOf(const QJsonValue &v)
{
    if (v.isObject()) {
        const QJsonObject q = v.toObject();
        const QJsonValue value = q.value(QLatin1String("value"));
        const QString amount = value.isDouble() ? QString::number(value.toDouble()) : value.toString();
        return (amount + QLatin1Char(' ') + q.value(QLatin1String("unitText")).toString()).trimmed();
    }
    return v.isDouble() ? QString::number(v.toDouble()) : v.toString();
}

// A recipe of the web fits a row: ingredients past the tenth go into the
// directions and categories past the third are left out, each with a note;
// a page that names no glass gets the one its directions name.
void fitWebRecipe(Entry &e, bool fromPage)
{
    DrinkSeed &d = e.drink;
    while (!d.ingredients.isEmpty() && d.ingredients.last().first.isEmpty() && d.ingredients.last().second.isEmpty())
        d.ingredients.removeLast();
    if (d.ingredients.size() > 10) {
        QStringList rest;
        for (qsizetype i = 10; i < d.ingredients.size(); ++i)
            rest << (d.ingredients[i].first + QLatin1Char(' ') + d.ingredients[i].second).trimmed();
        d.ingredients.resize(10);
        d.directions = (d.directions.isEmpty() ? QString() : d.directions + QStringLiteral("\n\n")) +
                       QStringLiteral("Also: ") + rest.join(QStringLiteral("; "));
        e.notes << QStringLiteral("%1 ingredient%2 past the tenth put in the directions")
                       .arg(rest.size())
                       .arg(rest.size() == 1 ? "" : "s");
    }
    if (d.categories.size() > 3) {
        const QStringList rest = d.categories.mid(3);
        d.categories.resize(3);
        e.notes << QStringLiteral("categories past the third left out: %1").arg(rest.join(QStringLiteral(", ")));
    }
    if (fromPage && d.glass.isEmpty()) {
        d.glass = glassInText(d.directions);
        if (!d.glass.isEmpty())
            e.notes << QStringLiteral("the glass '%1' is taken from the directions").arg(d.glass);
    }
}

// "2 1/2 oz London Dry Gin" -> "2 1/2 oz", "London Dry Gin".
QPair<QString, QString> splitIngredient(const QString &line)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*((?:[\\d\\x{00BC}-\\x{00BE}\\x{2150}-\\x{215E}]+(?:[./]\\d+)?\\s*(?:-\\s*)?)+"
                       "(?:(?:fl\\.?\\s*)?(?:oz|ounces?|ml|cl|l|dash(?:es)?|tsp|teaspoons?|tbsp|tablespoons?|cups?|"
                       "parts?|slices?|wedges?|wheels?|twists?|sprigs?|leaves|leaf|drops?|splash(?:es)?|"
                       "pinch(?:es)?|barspoons?|bar\\s+spoons?|shots?|jiggers?|pints?|bottles?|cans?|scoops?|"
                       "cubes?|pieces?|sticks?|cl|dl)\\b\\.?)?)\\s+(\\S.*)$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = re.match(line);
    if (!m.hasMatch())
        return qMakePair(QString(), line.trimmed());
    return qMakePair(m.captured(1).trimmed(), m.captured(2).trimmed());
}

Entry recipeDrink(const QJsonObject &o, int number, bool fromPage)
{
    Entry e;
    e.where = QStringLiteral("recipe %1").arg(number);
    DrinkSeed &d = e.drink;
    // Pages write their texts as HTML, entities and tags included.
    auto clean = [fromPage](const QString &t) { return fromPage ? htmlToText(t) : t; };
    textOf(o.value(QLatin1String("name")), QStringLiteral("name"), &d.name, &e.refusal);
    d.name = clean(d.name);
    d.glass = clean(nameOf(o.value(QLatin1String("tool")))).trimmed();
    const QJsonValue cats = o.value(QLatin1String("recipeCategory"));
    for (const QJsonValue &c : cats.isArray() ? cats.toArray() : QJsonArray{cats})
        if (!c.toString().trimmed().isEmpty())
            d.categories << clean(c.toString()).trimmed();
    d.directions = clean(instructionsOf(o.value(QLatin1String("recipeInstructions"))));

    // The structured supplies say quantity and slot exactly; the ingredient
    // lines are all that most pages give.
    const QJsonArray supplies = o.value(QLatin1String("supply")).toArray();
    if (!supplies.isEmpty()) {
        for (const QJsonValue &s : supplies) {
            const QJsonObject item = s.toObject();
            const int position = item.value(QLatin1String("position")).toInt(0);
            const auto pair = qMakePair(quantityOf(item.value(QLatin1String("requiredQuantity"))),
                                        item.value(QLatin1String("name")).toString());
            if (position >= 1 && position <= 10 && position > d.ingredients.size()) {
                while (d.ingredients.size() < position - 1)
                    d.ingredients << qMakePair(QString(), QString());
                d.ingredients << pair;
            } else {
                d.ingredients << pair;
            }
        }
    } else {
        const QJsonValue lines = o.value(QLatin1String("recipeIngredient"));
        for (const QJsonValue &l : lines.isArray() ? lines.toArray() : QJsonArray{lines})
            if (l.isString() && !clean(l.toString()).trimmed().isEmpty())
                d.ingredients << splitIngredient(clean(l.toString()));
    }
    fitWebRecipe(e, fromPage);
    return e;
}

} // namespace

ReadResult readJsonLd(QByteArrayView text)
{
    ReadResult out;
    const QJsonValue top = parseJson(text, &out.error);
    if (!out.error.isEmpty())
        return out;
    QList<QJsonObject> recipes;
    collectRecipeNodes(top, recipes, 0);
    if (recipes.isEmpty()) {
        out.error = QStringLiteral("The file holds no schema.org Recipe.");
        return out;
    }
    readRecipeNodes(recipes, false, out);
    return out;
}

void readRecipeNodes(const QList<QJsonObject> &recipes, bool fromPage, ReadResult &out)
{
    int number = int(out.entries.size());
    for (const QJsonObject &r : recipes)
        out.entries << recipeDrink(r, ++number, fromPage);
}

// ------------------------------------------------------------------- CSV

namespace {

struct CsvRecord {
    QStringList fields;
    int line = 0;
};

// A spreadsheet runs a cell that starts so as a formula; the export puts a
// ' in front, which a spreadsheet shows as text and the import takes away.
bool startsFormula(QChar c)
{
    return c == QLatin1Char('=') || c == QLatin1Char('+') || c == QLatin1Char('-') || c == QLatin1Char('@') ||
           c == QLatin1Char('\t') || c == QLatin1Char('\r') || c == QLatin1Char('\'');
}

QString fromCsvCell(const QString &cell)
{
    if (cell.size() >= 2 && cell[0] == QLatin1Char('\'') && startsFormula(cell[1]))
        return cell.mid(1);
    return cell;
}

// The text of a CSV file, decoded a piece at a time, so that a file is
// never held whole: a few megabytes of it at most, besides what it holds.
class CsvText {
public:
    explicit CsvText(const QString &whole) : m_buf(whole), m_sawText(true) {}
    explicit CsvText(QIODevice &device) : m_device(&device) {}

    // True when the character k places on is there.
    bool has(qsizetype k = 0) { return m_pos + k < m_buf.size() || fill(k); }
    QChar peek(qsizetype k = 0) { return has(k) ? m_buf[m_pos + k] : QChar(); }
    void skip(qsizetype n = 1) { m_pos += n; }
    // What is decoded and not yet read: at least one character, or none at the end.
    QStringView rest() { return has() ? QStringView(m_buf).sliced(m_pos) : QStringView(); }

    QString error;    // not UTF-8, or the device failed
    bool sawText() const { return m_sawText; }

private:
    bool fill(qsizetype k)
    {
        while (m_device && m_pos + k >= m_buf.size()) {
            if (m_pos > 0) {
                m_buf.remove(0, m_pos);
                m_pos = 0;
            }
            if (m_read > kMaxImportBytes) {
                // A file that grows while it is read would be read for ever.
                error = QStringLiteral("The file grew past %1 MB while it was read. Nothing was imported.")
                            .arg(kMaxImportBytes >> 20);
                m_device = nullptr;
                break;
            }
            const QByteArray piece = m_device->read(kPiece);
            m_read += piece.size();
            QByteArray bytes = m_carry + piece;
            const bool more = !m_device->atEnd() && !piece.isEmpty();
            if (m_first && bytes.startsWith("\xEF\xBB\xBF"))
                bytes.remove(0, 3);
            m_first = false;
            const qsizetype valid =
                validUtf8(reinterpret_cast<const unsigned char *>(bytes.constData()), bytes.size(), more);
            if (valid < bytes.size() && !more) {
                error = errorAtLine(m_lines + int(QByteArrayView(bytes).first(valid).count('\n')) + 1,
                                    QStringLiteral("the file is not UTF-8 text"));
                m_device = nullptr;
            }
            const QByteArrayView good = QByteArrayView(bytes).first(valid);
            m_carry = bytes.mid(valid);
            if (more && m_carry.size() >= 4) {
                error = errorAtLine(m_lines + int(good.count('\n')) + 1, QStringLiteral("the file is not UTF-8 text"));
                m_device = nullptr;
            }
            m_lines += int(good.count('\n'));
            if (!m_sawText && !good.trimmed().isEmpty())
                m_sawText = true;
            m_buf += QString::fromUtf8(good);
            if (!more && m_device) {
                if (auto *file = qobject_cast<QFileDevice *>(m_device); file && file->error() != QFileDevice::NoError)
                    error = QStringLiteral("The file could not be read to its end (%1).").arg(file->errorString());
                m_device = nullptr;
            }
        }
        return m_pos + k < m_buf.size();
    }

    static constexpr qint64 kPiece = 1 << 20;
    QIODevice *m_device = nullptr;
    QString m_buf;
    qsizetype m_pos = 0;
    QByteArray m_carry; // the start of a character cut by the end of a piece
    qint64 m_read = 0;
    int m_lines = 0;    // line ends in the bytes decoded so far
    bool m_first = true;
    bool m_sawText = false;
};

// A drink has 26 columns, and ten more ingredients are counted to refuse
// them; a line of a million commas would hold a million texts.
constexpr qsizetype kMaxCsvFields = 1000;

// The next record, or false at the end or on an error (`error` set).
// RFC 4180, lenient where spreadsheets are: CR, LF or CRLF line ends, a
// quote inside an unquoted field taken as it stands. Blank lines hold no record.
bool nextCsvRecord(CsvText &t, int &line, CsvRecord &rec, QString *error)
{
    const auto isEnd = [](QChar c) { return c == QLatin1Char(',') || c == QLatin1Char('\n') || c == QLatin1Char('\r'); };
    while (t.has()) {
        rec.fields.clear();
        rec.line = line;
        for (;;) {
            QString field;
            if (t.peek() == QLatin1Char('"')) {
                const int opened = line;
                t.skip();
                for (;;) {
                    const QStringView run = t.rest();
                    if (run.isEmpty()) {
                        *error = t.error.isEmpty() ? errorAtLine(opened, QStringLiteral("a quoted field is not closed "
                                                                                     "(is the file cut short?)"))
                                                   : t.error;
                        return false;
                    }
                    qsizetype n = 0;
                    while (n < run.size() && run[n] != QLatin1Char('"'))
                        line += run[n++] == QLatin1Char('\n');
                    field += run.first(n);
                    t.skip(n);
                    if (n < run.size()) {
                        if (t.peek(1) == QLatin1Char('"')) {
                            field += QLatin1Char('"');
                            t.skip(2);
                            continue;
                        }
                        t.skip();
                        break;
                    }
                }
            }
            // Unquoted text, or whatever follows a closing quote.
            for (QStringView run = t.rest(); !run.isEmpty(); run = t.rest()) {
                qsizetype n = 0;
                while (n < run.size() && !isEnd(run[n]))
                    ++n;
                field += run.first(n);
                t.skip(n);
                if (n < run.size())
                    break;
            }
            rec.fields << field;
            if (rec.fields.size() > kMaxCsvFields) {
                *error = errorAtLine(rec.line, QStringLiteral("more than %1 fields in one line").arg(kMaxCsvFields));
                return false;
            }
            if (!t.has())
                break;
            if (t.peek() == QLatin1Char(',')) {
                t.skip();
                continue;
            }
            if (t.peek() == QLatin1Char('\r') && t.peek(1) == QLatin1Char('\n'))
                t.skip();
            t.skip();
            ++line;
            break;
        }
        if (!(rec.fields.size() == 1 && rec.fields.first().isEmpty()))
            return true;
    }
    if (!t.error.isEmpty())
        *error = t.error;
    return false;
}

ReadResult readCsvText(CsvText &text)
{
    ReadResult out;
    int line = 1;
    CsvRecord header;
    if (!nextCsvRecord(text, line, header, &out.error)) {
        if (out.error.isEmpty())
            out.error = QStringLiteral("The file is empty.");
        return out;
    }
    const QStringList columns = drinkColumns();
    QList<int> columnOf;  // field index -> drinkColumns index, -1 ignored
    QList<int> extraSlot; // field index -> ingredient slot past ten, else 0
    static const QRegularExpression slotRe(QStringLiteral("^(Ing|Qty)(\\d+)$"),
                                           QRegularExpression::CaseInsensitiveOption);
    for (const QString &h : header.fields) {
        QString name = h.trimmed();
        // The catalogue spells its second category column so; people do not.
        if (name.compare(QLatin1String("Category2"), Qt::CaseInsensitive) == 0)
            name = QStringLiteral("Catagory2");
        int index = -1;
        for (int i = 0; i < columns.size(); ++i)
            if (columns[i].compare(name, Qt::CaseInsensitive) == 0)
                index = i;
        if (index >= 0 && columnOf.contains(index)) {
            out.error = errorAtLine(header.line, QStringLiteral("the column %1 is named twice").arg(columns[index]));
            return out;
        }
        columnOf << index;
        const QRegularExpressionMatch m = slotRe.match(name);
        extraSlot << (index < 0 && m.hasMatch() ? m.captured(2).toInt() : 0);
    }
    if (!columnOf.contains(Name)) {
        out.error =
            errorAtLine(header.line, QStringLiteral("the first line must name the columns, DrinkName among them"));
        return out;
    }
    CsvRecord r;
    while (nextCsvRecord(text, line, r, &out.error)) {
        if (out.entries.size() >= kMaxImportDrinks) {
            out.error = tooManyDrinks();
            break;
        }
        Entry e;
        e.where = QStringLiteral("line %1").arg(r.line);
        if (r.fields.size() != header.fields.size())
            e.refusal =
                QStringLiteral("%1 fields where the header has %2").arg(r.fields.size()).arg(header.fields.size());
        std::array<QString, 26> v;
        int lastSlot = 0;
        for (qsizetype i = 0; i < r.fields.size() && i < columnOf.size(); ++i) {
            if (columnOf[i] >= 0)
                v[size_t(columnOf[i])] = fromCsvCell(r.fields[i]);
            else if (extraSlot[i] > 10 && !r.fields[i].isEmpty())
                lastSlot = std::max(lastSlot, extraSlot[i]);
        }
        DrinkSeed &d = e.drink;
        d.name = v[Name];
        d.glass = v[Glass];
        d.directions = v[Directions];
        for (int i = 0; i < 3; ++i)
            d.categories << v[size_t(Cat1 + i)];
        while (!d.categories.isEmpty() && d.categories.last().isEmpty())
            d.categories.removeLast();
        for (int i = 0; i < 10; ++i)
            d.ingredients << qMakePair(v[size_t(Qty1 + i)], v[size_t(Ing1 + i)]);
        while (!d.ingredients.isEmpty() && d.ingredients.last().first.isEmpty() &&
               d.ingredients.last().second.isEmpty())
            d.ingredients.removeLast();
        // A slot past the tenth is refused by its number, as the rules word
        // it; a header naming Ing999999999 must not cost a slot for each.
        if (lastSlot > 10 && e.refusal.isEmpty())
            e.refusal = QStringLiteral("%1 ingredients; at most ten fit").arg(lastSlot);
        d.line = r.line;
        // A million small drinks should not each keep room for ten.
        d.ingredients.squeeze();
        d.categories.squeeze();
        out.entries << e;
    }
    if (!out.error.isEmpty())
        out.entries.clear();
    else if (!text.sawText())
        out.error = QStringLiteral("The file is empty.");
    return out;
}

} // namespace

ReadResult readCsv(const QString &text)
{
    CsvText t(text);
    return readCsvText(t);
}

ReadResult readCsv(QIODevice &device)
{
    CsvText t(device);
    return readCsvText(t);
}

// --------------------------------------------------------------- writers

namespace {

class JsonWriter : public Writer {
public:
    explicit JsonWriter(bool withCollections) : m_collections(withCollections) {}
    void begin(QByteArray &out) override
    {
        out += "{\n  \"format\": \"";
        out += kFormatTag;
        out += "\",\n  \"version\": ";
        out += QByteArray::number(kFormatVersion);
        out += ",\n  \"barbookVersion\": ";
        out += QByteArray::number(kNotesVersion);
        out += ",\n  \"drinks\": [";
    }
    void nextNotes(const DrinkNotes *notes) override { m_notes = notes; }
    void drink(QByteArray &out, const Row &row, bool first) override
    {
        out += first ? "\n    {\"name\": " : ",\n    {\"name\": ";
        appendJsonString(out, row[Name]);
        out += ", \"glass\": ";
        appendJsonString(out, row[Glass]);
        out += ", \"categories\": [";
        const qsizetype cats = usedCategories(row);
        for (qsizetype i = 0; i < cats; ++i) {
            if (i)
                out += ", ";
            appendJsonString(out, row[size_t(Cat1 + i)]);
        }
        out += "], \"ingredients\": [";
        const qsizetype ings = usedIngredients(row);
        for (qsizetype i = 0; i < ings; ++i) {
            out += i ? ", {\"quantity\": " : "{\"quantity\": ";
            appendJsonString(out, row[size_t(Qty1 + i)]);
            out += ", \"ingredient\": ";
            appendJsonString(out, row[size_t(Ing1 + i)]);
            out += '}';
        }
        out += "], \"directions\": ";
        appendJsonString(out, row[Directions]);
        if (m_notes && !m_notes->isEmpty())
            appendNotes(out, *m_notes);
        m_notes = nullptr;
        out += '}';
    }
    static void appendNotes(QByteArray &out, const DrinkNotes &n)
    {
        out += ",\n     \"barbook\": {\"favourite\": ";
        out += n.favourite ? "true" : "false";
        out += ", \"rating\": ";
        out += QByteArray::number(n.rating);
        out += ", \"note\": ";
        appendJsonString(out, n.note.toUtf8());
        out += ", \"made\": [";
        for (qsizetype i = 0; i < n.made.size(); ++i) {
            out += i ? ", {\"date\": " : "{\"date\": ";
            appendJsonString(out, n.made[i].date.toString(Qt::ISODate).toUtf8());
            out += ", \"comment\": ";
            appendJsonString(out, n.made[i].comment.toUtf8());
            out += '}';
        }
        out += "]}";
    }
    void collections(QByteArray &out, const QMap<QString, QList<std::array<QByteArray, 2>>> &tables) override
    {
        out += "\n  ],\n  \"collections\": {";
        bool firstTable = true;
        for (const CollectionTable &t : collectionTables()) {
            out += firstTable ? "\n    " : ",\n    ";
            firstTable = false;
            appendJsonString(out, QByteArray(t.table));
            out += ": [";
            bool firstRow = true;
            for (const auto &row : tables.value(QLatin1String(t.table))) {
                out += firstRow ? "\n      {" : ",\n      {";
                firstRow = false;
                appendJsonString(out, QByteArray(t.shortColumn));
                out += ": ";
                appendJsonString(out, row[0]);
                out += ", ";
                appendJsonString(out, QByteArray(t.longColumn));
                out += ": ";
                appendJsonString(out, row[1]);
                out += '}';
            }
            out += "\n    ]";
        }
        out += "\n  }";
        m_closedDrinks = true;
    }
    void end(QByteArray &out) override
    {
        if (!m_closedDrinks)
            out += "\n  ]";
        out += "\n}\n";
    }

private:
    bool m_collections;
    bool m_closedDrinks = false;
    const DrinkNotes *m_notes = nullptr;
};

class CsvWriter : public Writer {
public:
    void begin(QByteArray &out) override
    {
        out += drinkColumns().join(QLatin1Char(',')).toUtf8();
        out += "\r\n";
    }
    static void field(QByteArray &out, QByteArrayView v)
    {
        const bool guard = !v.isEmpty() && startsFormula(QLatin1Char(v.front()));
        bool quote = false;
        for (char c : v)
            if (c == ',' || c == '"' || c == '\n' || c == '\r') {
                quote = true;
                break;
            }
        if (quote)
            out += '"';
        if (guard)
            out += '\'';
        if (!quote) {
            out.append(v);
            return;
        }
        for (char c : v) {
            if (c == '"')
                out += '"';
            out += c;
        }
        out += '"';
    }
    void drink(QByteArray &out, const Row &row, bool) override
    {
        for (size_t i = 0; i < row.size(); ++i) {
            if (i)
                out += ',';
            field(out, row[i]);
        }
        out += "\r\n";
    }
    void end(QByteArray &) override {}
};

class JsonLdWriter : public Writer {
public:
    explicit JsonLdWriter(bool single) : m_single(single) {}
    void begin(QByteArray &out) override
    {
        out += m_single ? "{\n  \"@context\": \"https://schema.org\","
                        : "{\n  \"@context\": \"https://schema.org\",\n  \"@graph\": [";
    }
    void drink(QByteArray &out, const Row &row, bool first) override
    {
        if (m_single)
            out += "\n  \"@type\": \"Recipe\",\n  \"name\": ";
        else
            out += first ? "\n    {\"@type\": \"Recipe\", \"name\": " : ",\n    {\"@type\": \"Recipe\", \"name\": ";
        const char *sep = m_single ? ",\n  " : ", ";
        appendJsonString(out, row[Name]);
        if (!row[Glass].isEmpty()) {
            out += sep;
            out += "\"tool\": {\"@type\": \"HowToTool\", \"name\": ";
            appendJsonString(out, row[Glass]);
            out += '}';
        }
        const qsizetype cats = usedCategories(row);
        bool any = false;
        for (qsizetype i = 0; i < cats; ++i) {
            if (row[size_t(Cat1 + i)].isEmpty())
                continue;
            out += any ? ", " : sep;
            if (!any)
                out += "\"recipeCategory\": [";
            any = true;
            appendJsonString(out, row[size_t(Cat1 + i)]);
        }
        if (any)
            out += ']';
        const qsizetype ings = usedIngredients(row);
        out += sep;
        out += "\"recipeIngredient\": [";
        QByteArray line;
        bool firstLine = true;
        for (qsizetype i = 0; i < ings; ++i) {
            const QByteArrayView qty = trimmedView(row[size_t(Qty1 + i)]);
            const QByteArrayView ing = trimmedView(row[size_t(Ing1 + i)]);
            if (qty.isEmpty() && ing.isEmpty())
                continue;
            line.clear();
            line.append(qty);
            if (!qty.isEmpty() && !ing.isEmpty())
                line += ' ';
            line.append(ing);
            if (!firstLine)
                out += ", ";
            firstLine = false;
            appendJsonString(out, line);
        }
        out += ']';
        out += sep;
        out += "\"supply\": [";
        firstLine = true;
        for (qsizetype i = 0; i < ings; ++i) {
            if (row[size_t(Qty1 + i)].isEmpty() && row[size_t(Ing1 + i)].isEmpty())
                continue;
            if (!firstLine)
                out += ", ";
            firstLine = false;
            out += "{\"@type\": \"HowToSupply\", \"position\": ";
            out += QByteArray::number(i + 1);
            out += ", \"name\": ";
            appendJsonString(out, row[size_t(Ing1 + i)]);
            out += ", \"requiredQuantity\": ";
            appendJsonString(out, row[size_t(Qty1 + i)]);
            out += '}';
        }
        out += ']';
        out += sep;
        out += "\"recipeInstructions\": ";
        appendJsonString(out, row[Directions]);
        if (!m_single)
            out += '}';
    }
    void end(QByteArray &out) override { out += m_single ? "\n}\n" : "\n  ]\n}\n"; }

private:
    bool m_single;
};

} // namespace

std::unique_ptr<Writer> makeWriter(Format format, bool single, bool withCollections)
{
    switch (format) {
    case Format::Json:
        return std::make_unique<JsonWriter>(withCollections);
    case Format::Csv:
        return std::make_unique<CsvWriter>();
    case Format::JsonLd:
        return std::make_unique<JsonLdWriter>(single);
    case Format::Html:
        break; // read only
    }
    return nullptr;
}

} // namespace pv::interchange::detail

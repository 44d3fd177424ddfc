// Export and import of drinks: round trips, duplicates, refusals, bad input,
// the command line, and the File menu's commands in the main window.
#include "TestSupport.h"

#include "data/CatalogueGuard.h"

#include "browser/RecipeExchange.h"
#include "browser/frmMain.h"
#include "data/Catalogue.h"
#include "interchange/Interchange.h"
#include "ui/FileChooser.h"

#include <QComboBox>
#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

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

ImportOutcome importFile(const QString &catalogue, const QString &file, OnDuplicate choice = OnDuplicate::Skip)
{
    ImportPlan plan = planImport(catalogue, readDrinkFile(file));
    plan.chooseForAll(choice);
    return applyImport(catalogue, plan);
}

// Runs `fn` on the named dialog once it is shown (it runs its own loop).
void onDialog(const QString &name, std::function<void(QWidget *)> fn)
{
    // The pending timer holds the only strong reference, so nothing is left
    // behind once the dialog is found or the tries run out.
    auto attempt = std::make_shared<std::function<void(int)>>();
    std::weak_ptr<std::function<void(int)>> self = attempt;
    *attempt = [name, fn, self](int left) {
        for (QWidget *w : QApplication::topLevelWidgets())
            if (w->objectName() == name && w->isVisible()) {
                fn(w);
                return;
            }
        if (left > 0)
            if (auto next = self.lock())
                QTimer::singleShot(10, [next, left] { (*next)(left - 1); });
    };
    QTimer::singleShot(0, [attempt] { (*attempt)(500); });
}

} // namespace

class TestInterchange : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void duplicates_data();
    void duplicates();
    void badInput_data();
    void badInput();
    void refusedOrCancelledLeavesEverythingAsItWas();
    void commandLine();
    void fromTheMainWindow();
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
    QStringList replacedTwice = before;
    replacedTwice[4] = QStringLiteral("negroni");
    QTest::newRow("skip") << QList<int>{skip, skip, skip} << before + QStringList{"Zombie"}
                          << "Imported 1 drink; skipped 2 duplicates";
    QTest::newRow("replace") << QList<int>{replace, replace, replace} << replacedTwice + QStringList{"Zombie"}
                             << "Imported 1 drink; replaced 2 duplicates";
    QTest::newRow("keep both") << QList<int>{both, both, both}
                               << before + QStringList{"NÉGRONI (2)", "Zombie", "negroni (3)"} << "Imported 3 drinks";
    QTest::newRow("each its own") << QList<int>{replace, skip, both} << replaced + QStringList{"Zombie", "negroni (2)"}
                                  << "Imported 2 drinks; replaced 1 duplicate";
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
    QCOMPARE(plan.count(PlanItem::Duplicate), 2);
    QCOMPARE(plan.items[0].duplicateOf, QStringLiteral("Negroni"));
    for (int i = 0; i < 3; ++i)
        plan.items[i].choice = OnDuplicate(choices[i]);
    const ImportOutcome outcome = applyImport(app.catalogue(), plan);
    QVERIFY2(outcome.ok, qPrintable(outcome.error));
    QCOMPARE(outcome.summary(), summary);
    QCOMPARE(pvtest::queryColumn(app.catalogue(), "SELECT DrinkName FROM drinklst ORDER BY rowid"), names);
    // A replaced drink keeps its place and takes every field of the new one.
    if (choices[0] == int(OnDuplicate::Replace) && choices[2] != int(OnDuplicate::Replace))
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
        << QString() << QStringList{"line 2|Gin, Tonic|", "line 4|Next|glass 'Tiki Mug' is not one of the twenty"};
    QTest::newRow("CSV cut short") << QByteArray("DrinkName,Directions\nGimlet,\"Shake and")
                                   << "line 2: a quoted field is not closed (is the file cut short?)" << QStringList();
    QTest::newRow("CSV short row") << QByteArray("DrinkName,Glass,Directions\nGimlet,Cocktail\n") << QString()
                                   << QStringList{"line 2|Gimlet|2 fields where the header has 3"};
    QTest::newRow("CSV eleven ingredients") << QByteArray("DrinkName,Ing10,Qty11,Ing11\nLong,Gin,1 oz,Tonic\n")
                                            << QString() << QStringList{"line 2|Long|11 ingredients; at most ten fit"};
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
    const QString program = QStringLiteral(PV_APP_DIR "/pourvale");
    writeFile(dir.filePath("bad.csv"), "DrinkName,Glass\nZombie,Collins\nTiki Thing,Tiki Mug\n");
    writeFile(dir.filePath("good.csv"), "DrinkName,Glass\nZombie,Collins\nnegroni,Cocktail\n");
    const QString cat = app.catalogue();
    struct Run {
        QStringList args;
        int exitCode;
        QString stderrHas;
    };
    const QList<Run> runs = {
        {{"--version"}, 0, ""},
        {{"--help"}, 0, ""},
        {{"--export"}, 2, "--export needs a value"},
        {{"--export", "x.json", "--format", "xml"}, 2, "--format must be json, csv or jsonld"},
        {{"--import", "a", "--export", "b"}, 2, "give either --export FILE or --import FILE"},
        {{"--exprot", "x.json"}, 2, "unknown argument '--exprot'"},
        {{"--export", dir.filePath("all.jsonld"), "--catalogue", cat}, 0, "Exported 8 drinks"},
        {{"--export", dir.filePath("nowhere/x.json"), "--catalogue", cat}, 1, "cannot be written"},
        {{"--export", dir.filePath("x.json"), "--catalogue", dir.filePath("missing.mdb")}, 1, "does not exist"},
        {{"--import", dir.filePath("bad.csv"), "--catalogue", cat},
         1,
         "line 3: glass 'Tiki Mug' is not one of the twenty"},
        {{"--import", dir.filePath("good.csv"), "--catalogue", cat, "--on-duplicate", "keep-both"},
         0,
         "Imported 2 drinks"},
        {{"--import", dir.filePath("all.jsonld"), "--catalogue", dir.filePath("restored.mdb")}, 0, "Imported 8 drinks"},
    };
    QByteArray hash = fileHash(cat);
    for (const Run &run : runs) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // No display at all: the command line must not need one.
        env.remove(QStringLiteral("DISPLAY"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        p.setProcessEnvironment(env);
        p.setWorkingDirectory(dir.path());
        p.start(program, run.args);
        QVERIFY(p.waitForFinished(30000));
        const QString err = QString::fromUtf8(p.readAllStandardError());
        QVERIFY2(p.exitStatus() == QProcess::NormalExit && p.exitCode() == run.exitCode,
                 qPrintable(run.args.join(' ') + " -> " + QString::number(p.exitCode()) + ": " + err));
        QVERIFY2(err.contains(run.stderrHas), qPrintable(err));
        if (run.args.first() == QLatin1String("--version"))
            QCOMPARE(p.readAllStandardOutput(), QByteArray("Pourvale 3.1.0\n"));
        // Only a successful import touches the catalogue.
        const bool changes =
            run.exitCode == 0 && run.args.first() == QLatin1String("--import") && run.args.contains(cat);
        QCOMPARE(fileHash(cat) != hash, changes);
        hash = fileHash(cat);
    }
    QCOMPARE(pvtest::queryColumn(cat, "SELECT DrinkName FROM drinklst WHERE rowid > 8"),
             (QStringList{"Zombie", "negroni (2)"}));
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

    // A hand-made CSV with a duplicate, a bad row and a new drink.
    nextFile = dir.filePath(QStringLiteral("hand.csv"));
    writeFile(nextFile, "DrinkName,Glass,Category1,Qty1,Ing1\r\n\"Pink gin\",Cocktail,Gin,2 oz,Gin\r\n"
                        "Tiki Thing,Tiki Mug,Tropical,,\r\nGin Fizz,Highball,Gin,2 oz,Gin\r\n");
    onDialog(QStringLiteral("frmImportPreview"), [](QWidget *w) {
        auto *d = static_cast<pv::ImportPreview *>(w);
        QStringList actions;
        for (int row = 0; row < d->grdPreview->rowCount(); ++row)
            actions << d->grdPreview->item(row, 2)->text();
        QCOMPARE(actions, (QStringList{"Skip", "Refused", "Add"}));
        d->cboAllDuplicates->setCurrentIndex(2);
        QTest::mouseClick(d->cmdApplyAll, Qt::LeftButton);
        QCOMPARE(d->grdPreview->item(0, 2)->text(), QStringLiteral("Keep both"));
        QTest::mouseClick(d->cmdImport, Qt::LeftButton);
    });
    trigger("mnuFileImport");
    QCOMPARE(msgs.last(),
             QStringLiteral("Imported 2 drinks; refused 1 (line 3: glass 'Tiki Mug' is not one of the twenty)."));
    // Still on its drink, and the Gin list holds the new ones.
    QCOMPARE(main->fieldText(0), shown);
    QCOMPARE(main->Data1->recordset().RecordCount(), 6);

    // The recipe on screen as a PDF, read back.
    nextFile = dir.filePath(QStringLiteral("recipe.pdf"));
    trigger("mnuFileSavePdf");
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {nextFile, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    QVERIFY2(text.contains(QStringLiteral("Drink's Name: ") + shown) && text.contains(QStringLiteral("Pourvale")) &&
                 text.contains(QStringLiteral("Directions:")),
             qPrintable(text));
    pv::setFileChooser(previous);
    pvtest::unloadAll();
}

PV_TEST_MAIN(TestInterchange)
#include "tst_interchange.moc"

// Whatever comes from outside stays inert: hostile texts in the windows,
// catalogues that carry SQL of their own, oversized and odd files, and the
// files the program makes beside a catalogue.
#include "TestSupport.h"

#include "browser/RecipeExchange.h"
#include "browser/RecipePrint.h"
#include "browser/frmMain.h"
#include "data/Catalogue.h"
#include "data/CatalogueBuilder.h"
#include "data/CatalogueGuard.h"
#include "data/CatalogueUpdate.h"
#include "data/DataError.h"
#include "data/RecordCursor.h"
#include "data/SafeFiles.h"
#include "drinklist/frmDrinkList.h"
#include "interchange/CommandLine.h"
#include "interchange/Interchange.h"
#include "ui/FileChooser.h"
#include "ui/ScreenView.h"

#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTableView>
#include <QTableWidget>
#include <QTextDocument>
#include <QTextStream>
#include <QToolTip>

#include <sqlite3.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace pv::interchange;

namespace {

QByteArray fileHash(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256)
                                       : QByteArray();
}

// Every message goes to the real box, which is read and closed once shown.
struct ShownBox {
    QString prompt;
    Qt::TextFormat format = Qt::AutoText;
    QString label;
    QString details;
    qint64 ms = 0;
};

class RealBoxes {
public:
    RealBoxes()
    {
        m_previous = pv::Screen().setMsgBoxHandler([this](const pv::MsgBoxCall &call) {
            ShownBox shown;
            shown.prompt = call.prompt;
            auto look = std::make_shared<std::function<void(int)>>();
            std::weak_ptr<std::function<void(int)>> self = look;
            *look = [&shown, self](int left) {
                if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                    const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
                    shown.format = label->textFormat();
                    shown.label = label->text();
                    shown.details = box->detailedText();
                    box->done(QMessageBox::No);
                    return;
                }
                if (left > 0)
                    if (auto next = self.lock())
                        QTimer::singleShot(10, [next, left] { (*next)(left - 1); });
            };
            QTimer::singleShot(0, [look] { (*look)(300); });
            QElapsedTimer t;
            t.start();
            const int answer = pv::ScreenView::showMessageBox(call);
            shown.ms = t.elapsed();
            boxes << shown;
            return answer;
        });
    }
    ~RealBoxes() { pv::Screen().setMsgBoxHandler(m_previous); }
    QList<ShownBox> boxes;

private:
    pv::ScreenView::MsgBoxHandler m_previous;
};

using pvtest::onDialog;

QByteArray drinksJson(const QString &text)
{
    QJsonObject good{{"name", text},
                     {"glass", "Cocktail"},
                     {"categories", QJsonArray{"Gin"}},
                     {"ingredients", QJsonArray{QJsonObject{{"quantity", "1 oz"}, {"ingredient", text}}}},
                     {"directions", text}};
    // A glass of no picture is kept as written, and told in the summary's notes.
    QJsonObject odd{{"name", "Odd glass"}, {"glass", text}};
    return QJsonDocument(QJsonObject{{"format", "pourvale-recipes"}, {"version", 1},
                                     {"drinks", QJsonArray{good, odd}}})
        .toJson();
}

frmMain *openMain()
{
    auto *main = pv::Screen().Load<frmMain>();
    pv::Screen().Show(main);
    return main;
}

int runCli(const QStringList &args, QString *errText)
{
    QString out;
    QTextStream o(&out);
    QTextStream e(errText);
    return runCommandLine(args, QString(), o, e);
}

// What a tooltip shows, as text.
QString shownText(const QString &html)
{
    QTextDocument d;
    d.setHtml(html);
    QString t = d.toPlainText();
    t.remove(QChar::LineSeparator);
    t.remove(QLatin1Char('\n'));
    return t;
}

} // namespace

class TestInert : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void hostileTextsShowAsTyped_data();
    void hostileTextsShowAsTyped();
    void foreignSql_data();
    void foreignSql();
    void triggerAddedWhileOpen();
    void boundBrokenIsToldPlainly();
    void oversizedAndOddImports();
    void backupFollowsNoLink();
    void userCopyKeepsTheUmask();
    void exportRefusesOddTargets();
    void longDirectionsPrintBounded();
};

void TestInert::init()
{
    pv::guard::forgetNotices();
}

void TestInert::hostileTextsShowAsTyped_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("nested tables") << QString(QStringLiteral("<table><tr><td>").repeated(3000) + QStringLiteral("x"));
    QTest::newRow("huge image") << QStringLiteral("<img width=40000 height=40000>");
    QTest::newRow("local image") << QStringLiteral("<img src=\"" PV_SOURCE_DIR "/content/icons/pourvale.svg\">");
    QTest::newRow("link") << QStringLiteral("<a href=\"http://127.0.0.1:9/x\">Click me</a>");
    QTest::newRow("10,000 characters") << QStringLiteral("Long ") + QString(9995, QLatin1Char('w'));
}

void TestInert::hostileTextsShowAsTyped()
{
    QFETCH(QString, text);
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    RealBoxes boxes;
    QTemporaryDir dir;
    QString nextFile;
    const auto previous = pv::setFileChooser([&](const pv::FileRequest &) { return nextFile; });
    const auto restore = qScopeGuard([&] {
        pv::setFileChooser(previous);
        pvtest::unloadAll();
    });
    frmMain *main = openMain();
    QTRY_VERIFY(main->Data1->cursor());
    auto trigger = [main](const char *name) { main->findChild<QAction *>(QLatin1String(name))->trigger(); };
    const auto plain = [](const ShownBox &b) {
        return b.format == Qt::PlainText && b.label == pv::cutForDisplay(b.prompt) &&
               (b.label == b.prompt || b.details == b.prompt);
    };

    // A file named with the text, that is not a drinks file: the error names it.
    QString fileName = text.left(200);
    fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
    nextFile = dir.filePath(fileName);
    {
        QFile f(nextFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("{ not json");
    }
    trigger("mnuFileImport");
    QCOMPARE(boxes.boxes.size(), 1);
    QVERIFY(boxes.boxes[0].prompt.contains(fileName));
    QVERIFY(plain(boxes.boxes[0]));
    QVERIFY2(boxes.boxes[0].ms < 1000, qPrintable(QString::number(boxes.boxes[0].ms)));

    // The import preview and its summary.
    nextFile = dir.filePath(QStringLiteral("drinks.json"));
    {
        QFile f(nextFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(drinksJson(text));
    }
    QElapsedTimer t;
    t.start();
    qint64 previewMs = -1;
    onDialog(QStringLiteral("frmImportPreview"), [&](QWidget *w) {
        previewMs = t.elapsed();
        auto *d = static_cast<pv::ImportPreview *>(w);
        QCOMPARE(d->grdPreview->item(0, 0)->text(), text);
        QVERIFY(d->grdPreview->item(1, 3)->text().contains(text));
        QCOMPARE(d->lblSummary->textFormat(), Qt::PlainText);
        QVERIFY(!d->windowTitle().contains(QLatin1Char('<')) || d->windowTitle().size() <= 200);
        QTest::mouseClick(d->cmdImport, Qt::LeftButton);
    });
    trigger("mnuFileImport");
    QVERIFY(previewMs >= 0 && previewMs < 1000);
    QCOMPARE(boxes.boxes.size(), 2);
    QVERIFY2(boxes.boxes[1].prompt.startsWith(QStringLiteral("Imported 2 drinks")), qPrintable(boxes.boxes[1].prompt.left(300)));
    QVERIFY(boxes.boxes[1].prompt.contains(text.left(50)));
    QVERIFY(plain(boxes.boxes[1]));
    QVERIFY(boxes.boxes[1].ms < 1000);
    QCOMPARE(pvtest::queryColumn(app.catalogue(), "SELECT count(*) FROM drinklst WHERE DrinkName = Directions"),
             QStringList{"1"});

    // The Drink List: the cell, a picture of the list, and the tooltip.
    trigger("mnuDrinkList");
    auto *list = pv::Screen().Load<frmDrinkList>();
    QTRY_VERIFY(list->isVisible());
    QTableView *view = list->grdDrinks;
    QModelIndex cell;
    while (list->model()->canFetchMore(QModelIndex()))
        list->model()->fetchMore(QModelIndex());
    for (int r = 0; r < list->model()->rowCount() && !cell.isValid(); ++r)
        if (list->model()->index(r, 0).data().toString() == text)
            cell = list->model()->index(r, 0);
    QVERIFY(cell.isValid());
    view->scrollTo(cell);
    t.restart();
    (void)view->grab();
    const QRect rect = view->visualRect(cell);
    QHelpEvent hover(QEvent::ToolTip, rect.center(), view->viewport()->mapToGlobal(rect.center()));
    QApplication::sendEvent(view->viewport(), &hover);
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    const QString tip = QToolTip::text();
    QCOMPARE(tip, pv::plainToolTip(text));
    const QString expected = text.size() > pv::kToolTipChars ? text.left(pv::kToolTipChars) + QChar(0x2026) : text;
    QCOMPARE(shownText(tip), expected);
    for (const char *tag : {"<a ", "<img", "<table"})
        QVERIFY(!tip.contains(QLatin1String(tag)));
    QToolTip::hideText();
}

void TestInert::foreignSql_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("refusedFor"); // the table named in the refusal, or none
    QTest::addColumn<QString>("notice");     // what the notice names, or none

    QTest::newRow("endless view") << QStringLiteral(
        "ALTER TABLE drinklst RENAME TO d0; CREATE VIEW drinklst AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL "
        "SELECT x + 1 FROM n) SELECT d0.* FROM d0, n") << QStringLiteral("drinklst") << QString();
    QTest::newRow("filling view") << QStringLiteral(
        "ALTER TABLE drinklst RENAME TO d0; CREATE VIEW drinklst AS SELECT a.* FROM d0 a, d0 b, d0 c, d0 d, d0 e, "
        "d0 f ORDER BY random()") << QStringLiteral("drinklst") << QString();
    QTest::newRow("view for a collection table")
        << QStringLiteral("ALTER TABLE joke RENAME TO j0; CREATE VIEW joke AS SELECT * FROM j0")
        << QStringLiteral("joke") << QString();
    QTest::newRow("trigger") << QStringLiteral(
        "CREATE TRIGGER evil AFTER INSERT ON drinklst BEGIN DELETE FROM joke; DELETE FROM drinklst WHERE rowid <> "
        "new.rowid; END") << QString() << QStringLiteral("evil");
    QTest::newRow("altered own trigger") << QStringLiteral(
        "DROP TRIGGER joke_number; CREATE TRIGGER joke_number AFTER INSERT ON drinklst BEGIN DELETE FROM drinklst; "
        "END") << QString() << QStringLiteral("joke_number");
    QTest::newRow("endless stored query") << QStringLiteral(
        "DROP VIEW Gin; CREATE VIEW Gin AS WITH RECURSIVE n(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM n) "
        "SELECT d.rowid AS pv_key, d.* FROM drinklst d, n") << QString() << QStringLiteral("Gin");
}

void TestInert::foreignSql()
{
    QFETCH(QString, sql);
    QFETCH(QString, refusedFor);
    QFETCH(QString, notice);
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    const QString cat = app.catalogue();
    const QStringList gin = pvtest::queryColumn(cat, "SELECT DrinkName FROM Gin ORDER BY rowid");
    pvtest::execSql(cat, sql);
    const QByteArray before = fileHash(cat);
    QTemporaryDir dir;
    const auto notices = [&] {
        int n = 0;
        for (const QString &p : msgs.prompts())
            n += p.contains(QStringLiteral("did not write"));
        return n;
    };

    // The windows.
    QElapsedTimer t;
    t.start();
    frmMain *main = openMain();
    QTRY_VERIFY(main->Data1->cursor() || !msgs.calls.isEmpty());
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    if (!refusedFor.isEmpty()) {
        QCOMPARE(msgs.last(), pv::DataError(pv::ErrNotTable, refusedFor).message());
        QVERIFY(!main->Data1->cursor());
    } else {
        QTRY_COMPARE(notices(), 1);
        QVERIFY(msgs.last().contains(notice));
    }
    pvtest::unloadAll();

    // The command line.
    const QString out = dir.filePath(QStringLiteral("out.json"));
    QString err;
    t.restart();
    const int code = runCli({QStringLiteral("--export"), out, QStringLiteral("--catalogue"), cat}, &err);
    QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
    QCOMPARE(code, refusedFor.isEmpty() ? 0 : 1);
    if (!refusedFor.isEmpty()) {
        QVERIFY2(err.contains(QLatin1Char('\'') + refusedFor + QLatin1Char('\'')), qPrintable(err));
        QVERIFY(!QFile::exists(out));
    }
    QCOMPARE(fileHash(cat), before);
    if (!refusedFor.isEmpty())
        return;

    // Writing runs none of the file's triggers; the program's own work goes on.
    const int drinks = pvtest::queryColumn(cat, "SELECT count(*) FROM drinklst").value(0).toInt();
    const QStringList jokes = pvtest::queryColumn(cat, "SELECT joke FROM joke ORDER BY rowid");
    const QString file = dir.filePath(QStringLiteral("one.json"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(drinksJson(QStringLiteral("Brand New")));
    }
    const ImportOutcome imported = applyImport(cat, planImport(cat, readDrinkFile(file)));
    QVERIFY2(imported.ok, qPrintable(imported.error));
    QCOMPARE(pvtest::queryColumn(cat, "SELECT count(*) FROM drinklst").value(0).toInt(), drinks + 2);
    QCOMPARE(pvtest::queryColumn(cat, "SELECT joke FROM joke ORDER BY rowid"), jokes);
    // A joke saved without a number is still numbered, and the name index follows.
    {
        pv::RecordCursor c(cat, QStringLiteral("joke"));
        c.AddNew();
        c.setValue(QStringLiteral("joke"), QStringLiteral("A new one"));
        c.Update();
    }
    QCOMPARE(pvtest::queryColumn(cat, "SELECT ID FROM joke WHERE joke = 'A new one'"),
             QStringList{QString::number(jokes.size() + 1)});

    // The stored query the file defines is read through, within the bound
    // (lowered here so that breaking it is quick). One the file altered has
    // a tighter bound of its own: with the usual one lifted, it still stops.
    const qint64 normal = pv::guard::stepBudget();
    pv::guard::setStepBudget(notice == QLatin1String("Gin") ? qint64(1) << 50 : 5'000'000);
    const auto restore = qScopeGuard([normal] { pv::guard::setStepBudget(normal); });
    main = openMain();
    QTRY_VERIFY(main->Data1->cursor());
    msgs.clear();
    main->findChild<QAction *>(QStringLiteral("mnuGin"))->trigger();
    if (notice == QLatin1String("Gin")) {
        QCOMPARE(msgs.prompts(), QStringList{pv::DataError(pv::ErrResources, cat).message()});
        main->findChild<QAction *>(QStringLiteral("mnuViewAll"))->trigger();
        QTRY_VERIFY(main->Data1->cursor());
        QCOMPARE(main->Data1->recordset().RecordCount(), drinks + 2);
    } else {
        QStringList shown;
        pv::Recordset &rows = main->Data1->recordset();
        for (rows.MoveFirst(); !rows.Eof(); rows.MoveNext())
            shown << rows.value(QStringLiteral("DrinkName")).toString();
        QCOMPARE(shown, gin + QStringList{QStringLiteral("Brand New")});
    }
    pvtest::unloadAll();
    QCOMPARE(notices(), 0); // told once, however often the file is opened
}

void TestInert::triggerAddedWhileOpen()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    pvtest::MsgRecorder msgs;
    pv::RecordCursor c(app.catalogue(), QStringLiteral("drinklst"));
    pvtest::execSql(app.catalogue(), "CREATE TRIGGER later AFTER UPDATE ON drinklst BEGIN DELETE FROM joke; END");
    c.setValue(QStringLiteral("Directions"), QStringLiteral("Shake hard."));
    c.Update();
    QCOMPARE(pvtest::queryColumn(app.catalogue(), "SELECT count(*) FROM joke"), QStringList{"3"});
    QCOMPARE(pvtest::queryColumn(app.catalogue(), "SELECT Directions FROM drinklst WHERE rowid = 1"),
             QStringList{"Shake hard."});
    QTRY_COMPARE(msgs.prompts().filter(QStringLiteral("Its trigger (later)")).size(), 1);
}

void TestInert::boundBrokenIsToldPlainly()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    const qint64 normal = pv::guard::stepBudget();
    const auto restore = qScopeGuard([normal] { pv::guard::setStepBudget(normal); });
    pv::guard::setStepBudget(200000);
    // A row source of the program's own that asks for endless work.
    const QString endless = QStringLiteral("select * from drinklst where (with recursive n(x) as (select 1 union all "
                                           "select x + 1 from n) select count(*) from n) > 0");
    QElapsedTimer t;
    t.start();
    try {
        pv::RecordCursor c(app.catalogue(), endless);
        QFAIL("the endless row source opened");
    } catch (const pv::DataError &e) {
        QCOMPARE(e.number(), int(pv::ErrResources));
        QVERIFY(!e.message().contains(QStringLiteral("disk space")));
    }
    QVERIFY(t.elapsed() < 1000);
    // Ordinary work is far inside the bound.
    pv::guard::setStepBudget(normal);
    pv::RecordCursor c(app.catalogue(), QStringLiteral("drinklst"));
    QCOMPARE(c.RecordCount(), 8);
}

void TestInert::oversizedAndOddImports()
{
    QTemporaryDir dir;
    const QString huge = dir.filePath(QStringLiteral("huge.json"));
    {
        QFile f(huge);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QVERIFY(f.resize(qint64(3) << 30)); // sparse: no disk space used
    }
    const QString fifo = dir.filePath(QStringLiteral("pipe.json"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const struct {
        QString file;
        QString says;
        QString commandLineSays;
    } cases[] = {
        {huge, QStringLiteral("is 3072 MB, and files over 256 MB are not imported"),
         QStringLiteral("is 3072 MB, and files over 256 MB are not imported")},
        {fifo, QStringLiteral("is not an ordinary file"), QStringLiteral("is not an ordinary file")},
        // The command line names a folder as one.
        {dir.path(), QStringLiteral("is not an ordinary file"), QStringLiteral("is a folder")},
    };
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    const QByteArray before = fileHash(app.catalogue());
    for (const auto &c : cases) {
        QElapsedTimer t;
        t.start();
        const ReadResult r = readDrinkFile(c.file);
        QVERIFY2(r.error.contains(c.says), qPrintable(r.error));
        QString err;
        QCOMPARE(runCli({QStringLiteral("--import"), c.file, QStringLiteral("--catalogue"), app.catalogue()}, &err), 1);
        QVERIFY2(err.contains(c.commandLineSays), qPrintable(err));
        QVERIFY(t.elapsed() < 1000);
    }
    QCOMPARE(fileHash(app.catalogue()), before);
    // A pipe or a device given as the catalogue is refused before it is
    // opened, by every verb, read-only ones too (which would wait on a pipe).
    for (const QString &catalogue : {fifo, QStringLiteral("/dev/zero")})
        for (const QStringList &verb : {QStringList{QStringLiteral("--export"), dir.filePath(QStringLiteral("o.json"))},
                                        QStringList{QStringLiteral("--can-make"), QStringLiteral("--have"),
                                                    QStringLiteral("Gin")},
                                        QStringList{QStringLiteral("--recipe"), QStringLiteral("Gimlet")}}) {
            QString err;
            QCOMPARE(runCli(verb + QStringList{QStringLiteral("--catalogue"), catalogue}, &err), 1);
            QVERIFY2(err.contains(QStringLiteral("is not an ordinary file")), qPrintable(err));
        }
    try {
        pv::RecordCursor c(fifo, QStringLiteral("drinklst"));
        QFAIL("a pipe opened as a catalogue");
    } catch (const pv::DataError &e) {
        QCOMPARE(e.number(), int(pv::ErrNotCatalogue));
    }
}

void TestInert::backupFollowsNoLink()
{
    QTemporaryDir dir;
    QTemporaryDir elsewhere;
    const QString user = dir.filePath(QStringLiteral("pv.mdb"));
    const QString bundled = dir.filePath(QStringLiteral("pv-bundled.mdb"));
    const auto build = [](const QString &path, const QString &version, const QString &directions) {
        pv::CatalogueSeed s;
        s.parseDrinks(QStringLiteral("d.txt"),
                      QStringLiteral("name: Gimlet\nglass: Cocktail\ncategories: Gin\ning: 2 oz | Gin\n"
                                     "directions: %1\n")
                          .arg(directions));
        s.version = version;
        s.write(path);
    };
    const mode_t mask = ::umask(022);
    const auto restore = qScopeGuard([mask] { ::umask(mask); });
    for (const QString &version : {QStringLiteral("1.0"), QStringLiteral("../../up/1.0")}) {
        QFile::remove(user);
        build(user, version, QStringLiteral("old"));
        build(bundled, QStringLiteral("2.0"), QStringLiteral("new"));
        QVERIFY(QFile::setPermissions(user, QFile::ReadOwner | QFile::WriteOwner));
        // A link where the backup goes, pointing out of the folder.
        const QString stem = user + QStringLiteral(".bak-") + pv::safefiles::fileNamePart(version, "old");
        const QString target = elsewhere.filePath(QStringLiteral("planted"));
        QVERIFY(QFile::link(target, stem));
        const pv::CatalogueMergeResult r = pv::mergeBundledCatalogue(bundled, user);
        QVERIFY2(r.merged, qPrintable(r.error));
        QVERIFY(!QFile::exists(target));
        QCOMPARE(r.backupPath, stem + QStringLiteral("-2"));
        QCOMPARE(QFileInfo(r.backupPath).absolutePath(), dir.path());
        QCOMPARE(QFileInfo(r.backupPath).permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
        QCOMPARE(pvtest::queryColumn(r.backupPath, "SELECT Directions FROM drinklst"), QStringList{"old"});
        for (const QString &f : QDir(dir.path()).entryList({QStringLiteral("pv.mdb.bak*")}, QDir::System | QDir::Files))
            QFile::remove(dir.filePath(f));
    }
    // A backup cut short (here by a limit on the size of files this process
    // may write, as a full disk would) leaves nothing, and the catalogue as it was.
    QFile::remove(user);
    build(user, QStringLiteral("1.0"), QStringLiteral("old"));
    const QByteArray before = fileHash(user);
    struct rlimit old {};
    QCOMPARE(::getrlimit(RLIMIT_FSIZE, &old), 0);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    std::signal(SIGXFSZ, SIG_IGN);
    QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const pv::CatalogueMergeResult failed = pv::mergeBundledCatalogue(bundled, user);
    ::setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(!failed.merged && !failed.error.isEmpty());
    QCOMPARE(fileHash(user), before);
    QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("pv.mdb.*")}, QDir::System | QDir::Files), QStringList());
}

void TestInert::userCopyKeepsTheUmask()
{
    QTemporaryDir appDir;
    QTemporaryDir home;
    pvtest::writeCatalogue(pv::bundledCataloguePath(appDir.path()), pvtest::smallDrinkSeed());
    QVERIFY(QFile::setPermissions(pv::bundledCataloguePath(appDir.path()),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    const mode_t mask = ::umask(077);
    const auto restore = qScopeGuard([&] {
        ::umask(mask);
        pv::useUserCatalogue(appDir.path(), QString(), nullptr);
    });
    QString error;
    QVERIFY2(pv::useUserCatalogue(appDir.path(), home.path(), &error), qPrintable(error));
    const QFileInfo copy(home.filePath(QStringLiteral("pv.mdb")));
    QVERIFY(copy.isFile());
    QCOMPARE(copy.permissions() & 0x0777, QFile::ReadUser | QFile::WriteUser);
    QCOMPARE(fileHash(copy.filePath()), fileHash(pv::bundledCataloguePath(appDir.path())));
}

void TestInert::exportRefusesOddTargets()
{
    pvtest::AppFolder app(pvtest::AppFolder::Seed::Small);
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("pipe.json"));
    QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString kept = dir.filePath(QStringLiteral("kept.json"));
    {
        QFile f(kept);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("mine");
    }
    const QString link = dir.filePath(QStringLiteral("link.json"));
    QVERIFY(QFile::link(kept, link));
    const QByteArray before = fileHash(app.catalogue());
    const struct {
        QString target;
        QString says;
    } cases[] = {
        {fifo, QStringLiteral("is not an ordinary file")},
        {dir.path(), QStringLiteral("is a folder")},
        {link, QStringLiteral("is a symbolic link")},
        {app.catalogue(), QStringLiteral("is the catalogue being exported")},
    };
    for (const auto &c : cases) {
        const ExportResult r = exportDrinks(app.catalogue(), c.target, ExportOptions());
        QVERIFY(!r.ok);
        QVERIFY2(r.error.contains(c.says), qPrintable(r.error));
        QString err;
        QCOMPARE(runCli({QStringLiteral("--export"), c.target, QStringLiteral("--catalogue"), app.catalogue()}, &err),
                 1);
        QVERIFY2(err.contains(c.says), qPrintable(err));
    }
    struct stat st {};
    QCOMPARE(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(fileHash(kept), QCryptographicHash::hash("mine", QCryptographicHash::Sha256));
    QCOMPARE(fileHash(app.catalogue()), before);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size(), 3);
}

void TestInert::longDirectionsPrintBounded()
{
    pv::RecipeText recipe;
    recipe.name = QString(5000, QLatin1Char('N'));
    recipe.directions = QStringLiteral("Stir. ").repeated(1000000); // 6 million characters
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
    QString error;
    QVERIFY2(pv::saveRecipePdf(recipe, QApplication::font(), 4000, QString(), pdf, &error), qPrintable(error));
    // A few pages, not thousands.
    QVERIFY2(QFileInfo(pdf).size() < 2 * 1024 * 1024, qPrintable(QString::number(QFileInfo(pdf).size())));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext (poppler-utils) is not installed");
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(p.waitForFinished(30000));
    const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
    QVERIFY2(text.contains(QStringLiteral("which are not printed")), qPrintable(text.right(300)));
}

PV_TEST_MAIN(TestInert)
#include "tst_inert.moc"

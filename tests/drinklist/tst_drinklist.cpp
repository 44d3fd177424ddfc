// Finding drinks at once: the accent-blind name search, the ingredient
// search of the Queries menu and the Drink List window, driven as a person
// would on the bundled catalogue.
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "data/CatalogueBuilder.h"
#include "data/DataError.h"
#include "data/DrinkIndex.h"
#include "data/TextFold.h"
#include "drinklist/IngredientSearch.h"
#include "drinklist/frmDrinkList.h"

#include <QFile>
#include <QHeaderView>
#include <QInputDialog>
#include <QSettings>

#include <sqlite3.h>

#include <algorithm>
#include <functional>
#include <random>

using pv::Screen;

namespace {

// How many drinks of the catalogue have the text in an ingredient, by plain SQL.
int drinksWithIngredientSql(const QString &catalogue, const QString &ascii)
{
    QStringList any;
    for (int i = 1; i <= 10; ++i)
        any << QStringLiteral("Ing%1 LIKE '%%2%'").arg(i).arg(ascii);
    return pvtest::queryColumn(catalogue, QStringLiteral("SELECT count(*) FROM drinklst WHERE ") + any.join(" OR "))
        .value(0)
        .toInt();
}

// The drinks whose name or an ingredient holds `text`, found by folding
// every row as it is scanned (no index).
QSet<qint64> scanned(const QString &catalogue, const QString &folded)
{
    sqlite3 *db = nullptr;
    sqlite3_open(catalogue.toUtf8().constData(), &db);
    pv::drinkindex::registerFunctions(db);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid FROM drinklst WHERE pv_fold_match(?1, DrinkName, Ing1, Ing2, Ing3, Ing4, Ing5, "
                       "Ing6, Ing7, Ing8, Ing9, Ing10)",
                       -1, &st, nullptr);
    const QByteArray u = folded.toUtf8();
    sqlite3_bind_text(st, 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    QSet<qint64> keys;
    while (sqlite3_step(st) == SQLITE_ROW)
        keys.insert(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return keys;
}

// The drinks with `folded` in an ingredient, by folding every row.
QVector<qint64> scannedIngredients(const QString &catalogue, const QString &folded)
{
    sqlite3 *db = nullptr;
    sqlite3_open(catalogue.toUtf8().constData(), &db);
    pv::drinkindex::registerFunctions(db);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid FROM drinklst WHERE pv_fold_match(?1, NULL, Ing1, Ing2, Ing3, Ing4, Ing5, "
                       "Ing6, Ing7, Ing8, Ing9, Ing10) ORDER BY rowid",
                       -1, &st, nullptr);
    const QByteArray u = folded.toUtf8();
    sqlite3_bind_text(st, 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
    QVector<qint64> keys;
    while (sqlite3_step(st) == SQLITE_ROW)
        keys.push_back(sqlite3_column_int64(st, 0));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return keys;
}

QVector<qint64> listedKeys(pv::DrinkListModel &m)
{
    while (m.canFetchMore(QModelIndex()))
        m.fetchMore(QModelIndex());
    QVector<qint64> keys;
    for (int r = 0; r < m.rowCount(); ++r)
        keys.push_back(m.keyAt(r));
    return keys;
}

} // namespace

class TestDrinkList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void nameSearchIgnoresAccents();
    void ingredientSearchThroughTheMenu();
    void drinkListFiltersSortsAndJumps();
    void drinkListFollowsTheMainWindow();
    void drinkListSaysWhereItIs();
    void indexStaysExactThroughOtherPrograms();
    void indexedSearchesMatchTheScan();

private:
    void openMain();
    frmDrinkList *openList();
    void search(const QString &text);
    QStringList listedNames(frmDrinkList *w, int column = 0);

    std::unique_ptr<pvtest::AppFolder> m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs;
    frmMain *m_main = nullptr;
};

void TestDrinkList::init()
{
    QSettings(QStringLiteral("Pourvale"), QStringLiteral("Pourvale")).clear();
    m_app = std::make_unique<pvtest::AppFolder>(pvtest::AppFolder::Seed::Bundled);
    m_msgs = std::make_unique<pvtest::MsgRecorder>();
}

void TestDrinkList::cleanup()
{
    pvtest::unloadAll();
    m_main = nullptr;
    m_msgs.reset();
    m_app.reset();
}

void TestDrinkList::openMain()
{
    m_main = Screen().Load<frmMain>();
    Screen().Show(m_main);
    for (int i = 0; i < 50 && !m_main->Data1->cursor(); ++i)
        QTest::qWait(10);
    QVERIFY(m_main->Data1->cursor());
}

frmDrinkList *TestDrinkList::openList()
{
    m_main->findChild<QAction *>(QStringLiteral("mnuDrinkList"))->trigger();
    auto *w = Screen().Load<frmDrinkList>();
    QCoreApplication::processEvents();
    return w;
}

void TestDrinkList::search(const QString &text)
{
    m_main->txtSearchString->clear();
    pvtest::typeText(m_main->txtSearchString, text);
    QTest::mouseClick(m_main->cmdSearch, Qt::LeftButton);
}

QStringList TestDrinkList::listedNames(frmDrinkList *w, int column)
{
    while (w->model()->canFetchMore(QModelIndex()))
        w->model()->fetchMore(QModelIndex());
    QStringList names;
    for (int r = 0; r < w->model()->rowCount(); ++r)
        names << w->model()->index(r, column).data().toString();
    return names;
}

void TestDrinkList::nameSearchIgnoresAccents()
{
    openMain();
    // Typed text, then the name found first ("" for none).
    const QList<QPair<QString, QString>> cases = {
        {"pina colada", "Piña Colada"},
        {"PIÑA", "Piña Colada"},
        {"vieux carre", "Vieux Carré"},
        {"Vieux Carré", "Vieux Carré"},
        {"glogg", "Glögg"},
        {"champs-elysees", "Champs-Élysées"},
        {"cafe brulot", "Café Brûlot"},
        {"jäger", "Jäger Bomb"},
        {"Pìñâ", "Piña Colada"},
        {"pina*", ""},
        {"p?na", ""},
        {"[p]ina", ""},
        {"pina'", ""},
        {"reviver #2", "Corpse Reviver #2"},
        {"[#]", ""},
    };
    for (const auto &c : cases) {
        m_msgs->clear();
        search(c.first);
        if (c.second.isEmpty()) {
            QVERIFY2(m_msgs->last() == QStringLiteral("There are no drinks that match your search"),
                     qPrintable(c.first + ": " + m_main->fieldText(0)));
            QVERIFY(!m_main->cmdFindNext->isEnabled());
        } else {
            QVERIFY2(m_msgs->calls.isEmpty(), qPrintable(c.first + ": " + m_msgs->last()));
            QCOMPARE(m_main->fieldText(0), c.second);
        }
    }
    // A pasted 10,000-letter text is a search like any other.
    m_msgs->clear();
    m_main->txtSearchString->setText(QString(10000, QChar(0xE9)));
    QTest::mouseClick(m_main->cmdSearch, Qt::LeftButton);
    QCOMPARE(m_msgs->last(), QStringLiteral("There are no drinks that match your search"));

    // Find Next goes on accent-blind: "cafe" finds every name with "Café" or "Cafe".
    const int expected = pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst WHERE DrinkName "
                                                                 "LIKE '%cafe%' OR DrinkName LIKE '%café%'")
                             .value(0)
                             .toInt();
    m_msgs->clear();
    QVERIFY(expected >= 3);
    search(QStringLiteral("cafe"));
    int found = m_msgs->calls.isEmpty() ? 1 : 0;
    while (m_main->cmdFindNext->isEnabled() && found < 1000) {
        QTest::mouseClick(m_main->cmdFindNext, Qt::LeftButton);
        found += m_main->cmdFindNext->isEnabled() ? 1 : 0;
    }
    QCOMPARE(found, expected);
}

void TestDrinkList::ingredientSearchThroughTheMenu()
{
    openMain();
    auto ask = [this](const QString &text) {
        QTimer::singleShot(0, [text] {
            auto *d = qobject_cast<QInputDialog *>(QApplication::activeModalWidget());
            QVERIFY(d);
            QCOMPARE(d->objectName(), QStringLiteral("dlgFindIngredient"));
            d->setTextValue(text);
            d->accept();
        });
        m_main->findChild<QAction *>(QStringLiteral("mnuFindIngredient"))->trigger();
    };

    const int chartreuse = drinksWithIngredientSql(m_app->catalogue(), QStringLiteral("chartreuse"));
    QVERIFY(chartreuse >= 5);
    ask(QStringLiteral("  CHARTREUSE "));
    QVERIFY(m_msgs->calls.isEmpty());
    QCOMPARE(m_main->Data1->recordset().RecordCount(), chartreuse);
    QCOMPARE(m_main->windowTitle(), QString::fromUtf8("Pourvale - Drinks with \u201CCHARTREUSE\u201D"));
    // It behaves as a category: the last drink, and Find within it.
    QTest::mouseClick(m_main->cmdEndofList, Qt::LeftButton);
    QCOMPARE(m_main->Data1->Caption(), QStringLiteral("Drink# %1").arg(chartreuse));
    search(QStringLiteral("swizzle"));
    QCOMPARE(m_main->fieldText(0), QStringLiteral("Chartreuse Swizzle"));

    // Accents aside: "curacao" finds "Curaçao" as the SQL "çao" spelling does.
    ask(QStringLiteral("curacao"));
    QCOMPARE(m_main->Data1->recordset().RecordCount(),
             drinksWithIngredientSql(m_app->catalogue(), QString::fromUtf8("curaçao")) +
                 drinksWithIngredientSql(m_app->catalogue(), QStringLiteral("curacao")));

    // Nothing found, or odd input: a message, and the list stays.
    const int before = m_main->Data1->recordset().RecordCount();
    const QString source = m_main->Data1->RecordSource();
    for (const QString &odd :
         {QStringLiteral("zzqx"), QStringLiteral("'; DROP TABLE drinklst; --"), QStringLiteral("*"),
          QString(10000, QLatin1Char('a')), QString::fromUtf8("\x01\x7f"), QString::fromUtf8("🍹")}) {
        m_msgs->clear();
        ask(odd);
        QCOMPARE(m_msgs->calls.size(), 1);
        QVERIFY(m_msgs->last().startsWith(QStringLiteral("No drink has an ingredient containing")));
        QCOMPARE(m_main->Data1->RecordSource(), source);
        QCOMPARE(m_main->Data1->recordset().RecordCount(), before);
    }
    m_msgs->clear();
    ask(QStringLiteral("   "));
    QCOMPARE(m_msgs->calls.size(), 1);

    // Another list takes the caption back.
    m_main->findChild<QAction *>(QStringLiteral("mnuGin"))->trigger();
    QCOMPARE(m_main->windowTitle(), QStringLiteral("Pourvale"));
}

void TestDrinkList::drinkListFiltersSortsAndJumps()
{
    openMain();
    frmDrinkList *w = openList();
    QVERIFY(w->isVisible());
    const int all = pvtest::queryColumn(m_app->catalogue(), "SELECT count(*) FROM drinklst").value(0).toInt();
    QCOMPARE(listedNames(w).size(), all);
    // It opens sorted by name, and the header shows it.
    QHeaderView *header = w->grdDrinks->horizontalHeader();
    QCOMPARE(header->sortIndicatorSection(), int(pv::DrinkListModel::Name));
    QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
    QCOMPARE(w->model()->sortColumn(), int(pv::DrinkListModel::Name));
    QCOMPARE(w->model()->index(0, 0).data().toString(),
             pvtest::queryColumn(m_app->catalogue(), "SELECT DrinkName FROM drinklst").first());
    // One window at a time.
    QCOMPARE(openList(), w);

    // Filter as typed: accents, case and spaces aside; signs and odd input literal.
    const QList<QPair<QString, QString>> cases = {
        {"glogg", "Glögg"},
        {"PINA  colada", "Piña Colada"},
        {"  chartreuse", "Chartreuse Swizzle"},
        {"zzqx", ""},
        {"*", ""},
        {"planter's", "Planter's Punch"},
        {"[a-z]", ""},
        {"%", ""},
        {QString(10000, QLatin1Char('x')), ""},
        {"\t\x01", ""},
        {"🍹", ""},
        {"_", ""},
    };
    for (const auto &c : cases) {
        w->txtFilter->clear();
        // Typed key by key where a keyboard could; pasted otherwise.
        const bool typeable = c.first.size() < 50 && !c.first.contains(QLatin1Char('\t'));
        if (typeable)
            pvtest::typeText(w->txtFilter, c.first);
        else
            w->txtFilter->setText(c.first);
        const QStringList names = listedNames(w);
        if (c.second.isEmpty())
            QVERIFY2(names.isEmpty() || c.first.trimmed().isEmpty(), qPrintable(c.first));
        else
            QVERIFY2(names.contains(c.second), qPrintable(c.first));
    }
    w->txtFilter->clear();
    pvtest::typeText(w->txtFilter, QStringLiteral("chartreuse"));
    QCOMPARE(listedNames(w).size(), drinksWithIngredientSql(m_app->catalogue(), QStringLiteral("chartreuse")));

    // Sorting by a column, both ways, accents aside.
    w->txtFilter->clear();
    for (int col : {0, 1}) {
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(col) + 5, header->height() / 2));
        for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
            QCOMPARE(w->model()->sortColumn(), col);
            QCOMPARE(w->model()->sortOrder(), header->sortIndicatorOrder());
            const QStringList names = listedNames(w, col);
            QCOMPARE(names.size(), all);
            QStringList sorted = names;
            std::stable_sort(sorted.begin(), sorted.end(), [](const QString &a, const QString &b) {
                return a.normalized(QString::NormalizationForm_D)
                           .compare(b.normalized(QString::NormalizationForm_D), Qt::CaseInsensitive) < 0;
            });
            if (header->sortIndicatorOrder() == Qt::DescendingOrder)
                std::reverse(sorted.begin(), sorted.end());
            QCOMPARE(names.first(), sorted.first());
            QCOMPARE(names.last(), sorted.last());
            (void)order;
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(col) + 5, header->height() / 2));
        }
    }

    // Enter on a line shows that drink in the main window.
    pvtest::typeText(w->txtFilter, QStringLiteral("vieux"));
    QCOMPARE(w->model()->rowCount(), 1);
    QTest::keyClick(w->txtFilter, Qt::Key_Return);
    QCOMPARE(m_main->fieldText(0), QString::fromUtf8("Vieux Carré"));
    w->grdDrinks->setFocus();
    w->txtFilter->clear();
    w->grdDrinks->setCurrentIndex(w->model()->index(3, 0));
    const QString fourth = w->model()->index(3, 0).data().toString();
    QTest::keyClick(w->grdDrinks, Qt::Key_Return);
    QCOMPARE(m_main->fieldText(0), fourth);

    // Size and column widths come back in the next opening.
    w->resize(640, 420);
    w->grdDrinks->setColumnWidth(0, 211);
    Screen().Unload(w);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    w = openList();
    QCOMPARE(w->size(), QSize(640, 420));
    QCOMPARE(w->grdDrinks->columnWidth(0), 211);
}

void TestDrinkList::drinkListFollowsTheMainWindow()
{
    openMain();
    frmDrinkList *w = openList();
    auto settle = [] {
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
    };
    const int all = listedNames(w).size();

    m_main->findChild<QAction *>(QStringLiteral("mnuGin"))->trigger();
    settle();
    QVERIFY(w->windowTitle().endsWith(QStringLiteral("Gin")));
    QCOMPARE(listedNames(w).size(), m_main->Data1->recordset().RecordCount());

    // An edit shows once the main window saves it.
    m_main->findChild<QAction *>(QStringLiteral("mnuViewAll"))->trigger();
    auto *name = qobject_cast<QLineEdit *>(m_main->txtFields[0]);
    name->selectAll();
    pvtest::typeText(name, QStringLiteral("Zephyr Fizz"));
    QTest::mouseClick(m_main->cmdNext, Qt::LeftButton);
    settle();
    QVERIFY(listedNames(w).contains(QStringLiteral("Zephyr Fizz")));
    // The filter sees the edit too.
    pvtest::typeText(w->txtFilter, QStringLiteral("zephyr"));
    QCOMPARE(listedNames(w), QStringList{QStringLiteral("Zephyr Fizz")});
    w->txtFilter->clear();

    // An added and a deleted drink.
    QTest::mouseClick(m_main->cmdAdd, Qt::LeftButton);
    pvtest::typeText(name, QStringLiteral("Brand New Sour"));
    QTest::mouseClick(m_main->cmdBegofFile, Qt::LeftButton);
    settle();
    QCOMPARE(listedNames(w).size(), all + 1);
    QVERIFY(listedNames(w).contains(QStringLiteral("Brand New Sour")));
    const QString first = m_main->fieldText(0);
    QTest::mouseClick(m_main->cmdDelete, Qt::LeftButton);
    settle();
    QCOMPARE(listedNames(w).size(), all);
    QVERIFY(!listedNames(w).contains(first));
}

// The caption names the list in words, whatever made it, and the status line
// counts the drinks, and the matches of a filter among them.
void TestDrinkList::drinkListSaysWhereItIs()
{
    openMain();
    frmDrinkList *w = openList();
    const QString cat = m_app->catalogue();
    auto count = [&](const QString &sql) { return pvtest::queryColumn(cat, sql).value(0).toInt(); };
    const int all = count("SELECT count(*) FROM drinklst");
    auto ingredient = [this](const QString &text) { QVERIFY(pv::confineToIngredient(m_main, text)); };
    auto menu = [this](const char *name) { m_main->findChild<QAction *>(QLatin1String(name))->trigger(); };
    struct Case {
        std::function<void()> choose;
        QString listName; // how the caption ends
        int drinks;
        QString filter;
        int matches;
    };
    const QList<Case> cases = {
        {[&] { menu("mnuViewAll"); }, "All Drinks", all, "", 0},
        {[&] { menu("mnuGin"); }, "Gin", count("SELECT count(*) FROM Gin"), "", 0},
        {[&] { menu("mnuHot"); }, "Hot Drinks", count("SELECT count(*) FROM HotDrinks"), "", 0},
        {[&] { ingredient(QStringLiteral("chartreuse")); }, QString::fromUtf8("Drinks with \u201Cchartreuse\u201D"),
         drinksWithIngredientSql(cat, QStringLiteral("chartreuse")), "", 0},
        {[&] { menu("mnuViewAll"); }, "All Drinks", all, "creme", int(scanned(cat, QStringLiteral("creme")).size())},
        {[&] { menu("mnuGin"); }, "Gin", count("SELECT count(*) FROM Gin"), "zzqx", 0},
    };
    for (const Case &c : cases) {
        w->txtFilter->clear();
        c.choose();
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        if (!c.filter.isEmpty())
            pvtest::typeText(w->txtFilter, c.filter);
        const QString title = w->windowTitle();
        QVERIFY2(title.endsWith(QChar(0x2013) + QLatin1Char(' ') + c.listName), qPrintable(title));
        QVERIFY2(!title.contains(QLatin1String("select"), Qt::CaseInsensitive), qPrintable(title));
        const QString status = w->lblCount->text();
        QVERIFY2(status.contains(QString::number(c.drinks)),
                 qPrintable(status + " / " + c.listName + " " + QString::number(c.drinks)));
        if (!c.filter.isEmpty()) {
            QVERIFY2(status.contains(c.filter), qPrintable(status));
            QCOMPARE(listedNames(w).size(), c.matches);
            if (c.matches)
                QVERIFY2(status.startsWith(QString::number(c.matches) + QLatin1Char(' ')), qPrintable(status));
        } else {
            QCOMPARE(listedNames(w).size(), c.drinks);
        }
    }
}

void TestDrinkList::indexStaysExactThroughOtherPrograms()
{
    openMain();
    frmDrinkList *w = openList();
    const QString cat = m_app->catalogue();
    const QStringList schemaBefore =
        pvtest::queryColumn(cat, "SELECT sql FROM sqlite_master WHERE name NOT LIKE 'pv%' ORDER BY name");
    auto filtered = [w](const QString &text) -> QSet<qint64> {
        w->txtFilter->setText(text);
        // An index missing or behind is built behind the window; the keystroke scans meanwhile.
        for (int i = 0; i < 2000 && w->indexBuilder()->isRunning(); ++i)
            QTest::qWait(10);
        QSet<qint64> keys;
        while (w->model()->canFetchMore(QModelIndex()))
            w->model()->fetchMore(QModelIndex());
        for (int r = 0; r < w->model()->rowCount(); ++r)
            keys.insert(w->model()->keyAt(r));
        return keys;
    };
    const QStringList texts = {"gin", "chartreuse", "ñ", "sour", "zephyr", "mint julep"};
    auto agree = [&](const char *when) {
        for (const QString &t : texts) {
            const QSet<qint64> got = filtered(t);
            QVERIFY2(w->model()->usesIndex(), when);
            QCOMPARE(w->model()->usesFullText(), pv::drinkindex::indexable(pv::foldForSearch(t)));
            QVERIFY2(got == scanned(cat, pv::foldForSearch(t)), qPrintable(QString::fromUtf8(when) + ": " + t));
        }
    };
    agree("built");
    // Another program adds, edits and deletes rows.
    pvtest::execSql(cat, "INSERT INTO drinklst (DrinkName, Ing1) VALUES ('Zephyr Cooler', 'Crème de Menthe')");
    pvtest::execSql(cat, "UPDATE drinklst SET Ing2 = 'Jägermeister' WHERE DrinkName = 'Mint Julep'");
    pvtest::execSql(cat, "UPDATE drinklst SET DrinkName = 'Zephyr Gin' WHERE rowid = 3");
    pvtest::execSql(cat, "DELETE FROM drinklst WHERE DrinkName LIKE '%sour%' AND rowid % 2 = 0");
    agree("after another program's writes");
    // A missing index, or one of another version, is built again.
    pvtest::execSql(cat, "DROP TABLE pv_drinkfold");
    agree("after the index was dropped");
    pvtest::execSql(cat, "UPDATE pv_drinkfold_meta SET version = 0");
    pvtest::execSql(cat, "UPDATE drinklst SET Ing3 = 'Zephyr Syrup' WHERE rowid = 5");
    agree("after a version change");
    // A program that drops a trigger (or rebuilds the table) is noticed.
    pvtest::execSql(cat, "DROP TRIGGER pv_drinkfold_upd; UPDATE drinklst SET DrinkName = 'Zephyr Punch' "
                         "WHERE rowid = 7");
    agree("after a trigger was dropped");
    // Rows numbered afresh (as a VACUUM may do), which runs no trigger.
    pvtest::execSql(cat, "DROP TRIGGER pv_drinkfold_del; DELETE FROM drinklst WHERE rowid < 40;"
                         "UPDATE drinklst SET rowid = rowid - 39;"
                         "CREATE TRIGGER pv_drinkfold_del AFTER DELETE ON drinklst BEGIN "
                         "INSERT OR IGNORE INTO pv_drinkfold_dirty (id) VALUES (old.rowid); END;"
                         "DELETE FROM pv_drinkfold_dirty");
    agree("after the rows were numbered afresh");
    // The ten tables keep their columns; what was added is named pv_drinkfold...
    QCOMPARE(pvtest::queryColumn(cat, "SELECT sql FROM sqlite_master WHERE name NOT LIKE 'pv%' ORDER BY name"),
             schemaBefore);
    QCOMPARE(pvtest::queryColumn(cat, "SELECT name FROM sqlite_master WHERE name LIKE 'pv_drinkf%' ORDER BY name"),
             (QStringList{"pv_drinkfold", "pv_drinkfold_byglass", "pv_drinkfold_byname", "pv_drinkfold_del",
                          "pv_drinkfold_dirty", "pv_drinkfold_ins", "pv_drinkfold_meta", "pv_drinkfold_upd",
                          "pv_drinkfts", "pv_drinkfts_config", "pv_drinkfts_data", "pv_drinkfts_idx"}));
    // A full-text table of another making is not read but made again, and
    // a damaged one gives way to the scan until it is.
    pvtest::execSql(cat, "DROP TABLE pv_drinkfts; CREATE VIRTUAL TABLE pv_drinkfts USING fts5(name, ings, "
                         "content='drinklst', content_rowid='rowid', tokenize='trigram')");
    agree("after another program made the full-text table");
    // A damaged index quietly misses drinks: the program checks the index
    // of a file once before it reads it.
    pvtest::execSql(cat, "UPDATE pv_drinkfts_data SET block = zeroblob(40) WHERE id > 10");
    pv::drinkindex::distrustAll();
    agree("after the full-text index was damaged");
    // A view of another making over the full-text table is refused, not run.
    pvtest::execSql(cat, "CREATE VIEW pv_stranger AS SELECT rowid AS pv_key, * FROM drinklst WHERE rowid IN "
                         "(SELECT rowid FROM pv_drinkfts WHERE pv_drinkfts MATCH 'gin')");
    pv::DrinkListModel stranger;
    QVERIFY_THROWS_EXCEPTION(pv::DataError, stranger.open(cat, QStringLiteral("pv_stranger")));
}

// Generated catalogues of awkward texts (accents, letter case, runs of
// spaces, quotes and full-text syntax, letters beyond the first plane); the
// filter and the ingredient search through the index give exactly what a
// scan that folds every row gives, for texts cut from the drinks and made up.
void TestDrinkList::indexedSearchesMatchTheScan()
{
    const QStringList pieces = {"gin", "Gîn",  "GIN",  "sour",    "Crème", "creme", "de",         "  ",
                                " ",   "\"",   "\"\"", "AND",     "OR",    "NEAR(", "*",          "^",
                                "-",   "'",    "ñ",    "N\u0303", "ß",     "ss",    "\U0001F378", "\u00e6",
                                "ae",  "lime", "Lîme", "juice",   "x",     "yz"};
    std::mt19937 rng(7);
    const auto text = [&](int parts) {
        QString t;
        for (int i = 0; i < parts; ++i)
            t += pieces[int(rng() % pieces.size())];
        return t;
    };
    for (int round = 0; round < 3; ++round) {
        const QString path = m_app->path() + QStringLiteral("/gen%1.mdb").arg(round);
        pv::CatalogueSeed().write(path);
        sqlite3 *db = nullptr;
        sqlite3_open(path.toUtf8().constData(), &db);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *ins = nullptr;
        sqlite3_prepare_v2(db,
                           "INSERT INTO drinklst (DrinkName, Glass, Ing1, Ing2, Ing3, Ing10) VALUES (?, ?, ?, ?, ?, ?)",
                           -1, &ins, nullptr);
        QStringList texts;
        for (int i = 0; i < 400; ++i) {
            for (int c = 1; c <= 6; ++c) {
                if (rng() % 5 == 0) {
                    sqlite3_bind_null(ins, c);
                    continue;
                }
                const QString t = text(1 + int(rng() % 4));
                texts << t;
                const QByteArray u = t.toUtf8();
                sqlite3_bind_text(ins, c, u.constData(), int(u.size()), SQLITE_TRANSIENT);
            }
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(ins);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        QVERIFY(pv::drinkindex::syncFile(path));

        // The same file without its index, filtered a few keys at a time.
        const QString bare = path + QStringLiteral(".bare");
        QVERIFY(QFile::copy(path, bare));
        {
            sqlite3 *b = nullptr;
            sqlite3_open(bare.toUtf8().constData(), &b);
            pv::drinkindex::drop(b);
            sqlite3_close(b);
        }
        pv::DrinkListModel::scanWindow = 7;
        pv::DrinkListModel m, scan;
        m.open(path, QStringLiteral("drinklst"));
        scan.open(bare, QStringLiteral("drinklst"));
        for (int q = 0; q < 60; ++q) {
            // Cut from a stored text, in another case, or made up.
            QString typed = texts[int(rng() % texts.size())];
            const int from = int(rng() % typed.size());
            typed = typed.mid(from, 1 + int(rng() % 8));
            if (q % 3 == 1)
                typed = typed.toUpper();
            if (q % 3 == 2)
                typed = text(1 + int(rng() % 3));
            const QString folded = pv::foldForSearch(typed);
            if (folded.isEmpty())
                continue;
            m.setFilter(typed);
            QVERIFY(m.usesIndex());
            QCOMPARE(m.usesFullText(), pv::drinkindex::indexable(folded));
            const QVector<qint64> got = listedKeys(m);
            const QSet<qint64> want = scanned(path, folded);
            QCOMPARE(QSet<qint64>(got.begin(), got.end()), want);
            QVERIFY(std::is_sorted(got.begin(), got.end()));
            QCOMPARE(pv::drinkindex::drinksWithIngredient(path, typed), scannedIngredients(path, folded));
            // Without the index: the keystroke reads one window, the rest follows.
            scan.setFilter(typed);
            QVERIFY(!scan.usesIndex() && scan.indexPending() && scan.scansInWindows());
            QCOMPARE(listedKeys(scan), got);
        }
        pv::DrinkListModel::scanWindow = 8192;
        // Sorted from the index, filtered or not (a text in many drinks, one
        // in few, one too short for the trigrams): the order of the folded
        // texts, ties by key.
        const QStringList filters = {QString(), QStringLiteral("GIN"), texts.first(), QStringLiteral("e")};
        for (const int column : {int(pv::DrinkListModel::Name), int(pv::DrinkListModel::Glass)}) {
            for (const Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                for (const QString &filter : filters) {
                    m.setFilter(filter);
                    m.sort(column, order);
                    QVERIFY(m.sortsByIndex() || !filter.isEmpty());
                    QVERIFY(m.usesIndex() || filter.isEmpty());
                    const QVector<qint64> got = listedKeys(m);
                    const QSet<qint64> hits = scanned(path, pv::foldForSearch(filter));
                    std::vector<std::pair<QByteArray, qint64>> want;
                    const QStringList rows = pvtest::queryColumn(
                        path, QStringLiteral("SELECT rowid || char(9) || coalesce(%1, '') FROM drinklst")
                                  .arg(column == pv::DrinkListModel::Name ? "DrinkName" : "Glass"));
                    for (const QString &r : rows)
                        if (filter.isEmpty() || hits.contains(r.section(QLatin1Char('\t'), 0, 0).toLongLong()))
                            want.emplace_back(pv::foldForSearch(r.section(QLatin1Char('\t'), 1)).toUtf8(),
                                              r.section(QLatin1Char('\t'), 0, 0).toLongLong());
                    std::sort(want.begin(), want.end());
                    if (order == Qt::DescendingOrder)
                        std::reverse(want.begin(), want.end());
                    QVector<qint64> wantKeys;
                    for (const auto &w : want)
                        wantKeys.push_back(w.second);
                    QCOMPARE(got, wantKeys);
                }
            }
        }
        m.sort(-1);
    }
}

PV_TEST_MAIN(TestDrinkList)
#include "tst_drinklist.moc"

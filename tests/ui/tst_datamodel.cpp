// Random sequences of button presses and typing, played on the real windows
// and on the reference model (DataModel.h), compared after every step: the
// stored rows, the row on screen, the caption, the messages and the pointer.
//
// PV_MODEL_SEED=n      plays sequence n only (as printed by a failure)
// PV_MODEL_SEQUENCES   how many sequences (default 2000)
// PV_MODEL_STEPS       steps per sequence (default 40)
// PV_MODEL_FIRST       the first sequence number (default 1)
// PV_MODEL_KEEP_GOING  1: report every failing sequence, not only the first
// PV_MODEL_WINDOW      plays in this window only (frmMain, frmJoke, frmLines, frmCards)
// PV_MODEL_ACTIONS     draws from these actions only (First,Type,...)

#include "DataModel.h"
#include "TestSupport.h"

#include "browser/frmMain.h"
#include "collections/CollectionBrowser.h"
#include "collections/CollectionProfile.h"
#include "data/DataError.h"
#include "data/RowHistory.h"
#include "ui/DataControl.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <sqlite3.h>

#include <random>

using namespace pv;

namespace {

struct Target {
    const char *form; // frmMain or a collection window
    model::Kind kind;
    const char *table;
    QStringList columns;
    QStringList boxes;
    int idField;
};

const Target kTargets[] = {
    {"frmMain",
     model::Kind::Main,
     "drinklst",
     {"DrinkName", "Ing1", "Directions"},
     {"txtFields(0)", "txtFields(2)", "txtFields(21)"},
     -1},
    {"frmJoke", model::Kind::Sayings, "joke", {"ID", "joke"}, {"txtFields(0)", "txtFields(1)"}, 0},
    {"frmLines", model::Kind::Sayings, "pickuplines", {"ID", "line"}, {"txtFields(0)", "txtFields(1)"}, 0},
    {"frmCards", model::Kind::Games, "cardgames", {"name", "instructions"}, {"txtFields(0)", "txtFields(3)"}, -1},
};

std::string str(const QString &s)
{
    return s.toStdString();
}

model::Words wordsFor(const Target &t)
{
    model::Words w;
    w.rowGone = str(DataError(ErrRecordDeleted).message());
    if (t.kind == model::Kind::Main) {
        w.prefix = "Drink# ";
        w.end = "You are at the end of the list of drinks!";
        w.beginning = "You are already at the beginning of the list of drinks!";
        w.emptyList = "There are no drinks in this list yet. Press Add to write the first one.";
        w.emptyDelete = "There are no drinks in this list to delete.";
        w.nothingToDelete = "There is no drink on the screen to delete. Move to a drink first.";
        w.listEmptied = "That was the last drink in this list; the list is now empty.";
        w.noRowToSave = "There is no drink here to save this to. Press Add first to start a new one.";
        w.mustEnter = "You must enter at least some of the letters of the drink that you wish to search for into "
                      "the text box just to the right of the Search button.";
        w.noMatch = "There are no drinks that match your search";
        w.noMore = "There are no more drinks that match your search";
        w.nameRequired = str(DataError(ErrValueRequired, "A drink must have a name: type one into the Drink's Name box.")
                                 .message());
        return w;
    }
    const CollectionProfile &p = collectionProfile(t.form);
    w.prefix = p.counterPrefix;
    w.end = p.endMessage;
    w.beginning = p.beginningMessage;
    w.emptyList = str(emptyListMessage(p));
    w.nothingToDelete = str(nothingToDeleteMessage(p));
    w.listEmptied = str(listEmptiedMessage(p));
    w.nothingChanged = str(nothingChangedMessage());
    w.noRowToSave = str(noRowToSaveMessage(p));
    if (t.idField >= 0)
        w.notWholeNumber = str(notWholeNumberMessage(p));
    return w;
}

const char *actName(model::Act a)
{
    static const char *names[] = {"First",    "Previous", "Next",  "Last",    "Add",  "Delete", "Refresh", "Update",
                                  "Type",     "Search",   "FindNext", "Close", "Foreign", "Undo", "Redo"};
    return names[int(a)];
}

std::string describe(const model::Step &s)
{
    std::string d = actName(s.act);
    if (s.act == model::Act::Type || s.act == model::Act::Foreign)
        d += " " + std::to_string(s.field);
    if (s.act == model::Act::Type || s.act == model::Act::Search || s.act == model::Act::FindNext ||
        s.act == model::Act::Foreign)
        d += " \"" + s.text + "\"";
    return d;
}

std::vector<model::Step> generate(const Target &t, std::uint64_t seed, int steps)
{
    using model::Act;
    std::mt19937_64 rng(seed);
    auto pick = [&rng](int n) { return int(rng() % std::uint64_t(n)); };
    std::vector<std::pair<Act, int>> weights = {
        {Act::First, 5},  {Act::Previous, 10}, {Act::Next, 12},  {Act::Last, 5},  {Act::Add, 9},
        {Act::Delete, 8}, {Act::Refresh, 3},   {Act::Update, 7}, {Act::Type, 26}, {Act::Foreign, 2},
        {Act::Undo, 6},   {Act::Redo, 3}};
    if (t.kind == model::Kind::Main) {
        weights.push_back({Act::Search, 6});
        weights.push_back({Act::FindNext, 5});
    } else {
        weights.push_back({Act::Close, 3});
    }
    if (const QByteArray only = qgetenv("PV_MODEL_ACTIONS"); !only.isEmpty()) {
        const QList<QByteArray> names = only.split(',');
        std::erase_if(weights, [&names](const auto &w) { return !names.contains(actName(w.first)); });
    }
    int total = 0;
    for (const auto &w : weights)
        total += w.second;
    static const char *words[] = {"gin", "Lime", "t", "Fizz", "ginger", "x"};
    static const char *ids[] = {"", "7", "42", "abc", "-3", "1"};
    static const char *searches[] = {"gin", "GIN", "x", "zz", "", "i"};
    std::vector<model::Step> out;
    for (int i = 0; i < steps; ++i) {
        int r = pick(total);
        Act a = Act::First;
        for (const auto &w : weights) {
            if (r < w.second) {
                a = w.first;
                break;
            }
            r -= w.second;
        }
        model::Step s{a, 0, {}};
        if (a == Act::Type) {
            s.field = pick(int(t.columns.size()));
            if (s.field == t.idField)
                s.text = ids[pick(6)];
            else if (pick(5) == 0)
                s.text = "";
            else
                s.text = std::string(words[pick(6)]) + std::to_string(pick(100));
        } else if (a == Act::Search || a == Act::FindNext) {
            s.text = searches[pick(6)];
        } else if (a == Act::Foreign) {
            s.field = pick(2);
            s.text = std::to_string(pick(100));
        }
        out.push_back(s);
    }
    return out;
}

QString boxText(QWidget *w)
{
    if (auto *le = qobject_cast<QLineEdit *>(w))
        return le->text();
    if (auto *pe = qobject_cast<QPlainTextEdit *>(w))
        return pe->toPlainText();
    return QString();
}

std::vector<model::FileRow> readFile(const QString &path, const Target &t)
{
    std::vector<model::FileRow> rows;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    QString sql = QStringLiteral("SELECT rowid");
    for (const QString &c : t.columns)
        sql += QStringLiteral(", \"%1\"").arg(c);
    sql += QStringLiteral(" FROM \"%1\" ORDER BY rowid").arg(QLatin1String(t.table));
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW) {
            model::FileRow r{sqlite3_column_int64(st, 0), {}};
            for (int i = 1; i <= int(t.columns.size()); ++i)
                r.fields.push_back(sqlite3_column_type(st, i) == SQLITE_NULL
                                       ? model::Value()
                                       : model::Value(reinterpret_cast<const char *>(sqlite3_column_text(st, i))));
            rows.push_back(r);
        }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

std::string show(const model::Value &v)
{
    return v ? "\"" + *v + "\"" : "NULL";
}

std::string showRows(const std::vector<model::FileRow> &rows)
{
    std::string s;
    for (const model::FileRow &r : rows) {
        s += "[" + std::to_string(r.key);
        for (const model::Value &v : r.fields)
            s += " " + show(v);
        s += "]";
    }
    return s;
}

// Thousands of catalogues are made and thrown away: in memory where the
// system offers a folder there, so that the engine's syncs cost nothing.
QString scratch()
{
    const QString shm = QStringLiteral("/dev/shm");
    return (QFileInfo(shm).isDir() && QFileInfo(shm).isWritable() ? shm : QDir::tempPath()) +
           QStringLiteral("/pv-model-XXXXXX");
}

// One play of a sequence on the real window and the model.
class Play {
public:
    Play(const Target &t, const QString &templateFile) : m_t(t), m_app(scratch())
    {
        QFile::copy(templateFile, m_app.path() + QStringLiteral("/pv.mdb"));
        QFile(catalogue()).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        Screen().App().Path = m_app.path();
        Screen().setMousePointer(vbDefault);
        RowHistory::instance().clear();
        openWindow();
        m_model.emplace(t.kind, wordsFor(t), int(t.columns.size()), t.idField, readFile(catalogue(), t));
    }
    ~Play()
    {
        m_msgs.reset();
        pvtest::MsgRecorder quiet;
        pvtest::unloadAll();
        // A window kept open by typing it cannot save is emptied and closed.
        if (Screen().formsCount() > 0) {
            for (Form *f : Screen().forms()) {
                for (QLineEdit *le : f->widget()->findChildren<QLineEdit *>())
                    le->clear();
                for (QPlainTextEdit *pe : f->widget()->findChildren<QPlainTextEdit *>())
                    pe->clear();
            }
            pvtest::unloadAll();
        }
        // A drink emptied of its name is not saved either: it gets one.
        if (Screen().formsCount() > 0) {
            for (Form *f : Screen().forms())
                if (auto *name = f->widget()->findChild<QLineEdit *>(QStringLiteral("txtFields(0)")))
                    name->setText(QStringLiteral("closing"));
            pvtest::unloadAll();
        }
        Screen().setMousePointer(vbDefault);
    }

    QString catalogue() const { return m_app.path() + QStringLiteral("/pv.mdb"); }

    // Empty when the window agrees with the model after the step.
    std::string step(const model::Step &s)
    {
        m_msgs->clear();
        perform(s);
        m_model->apply(s);
        return compare();
    }

    std::string compare()
    {
        std::string d;
        const auto rows = readFile(catalogue(), m_t);
        auto same = [](const std::vector<model::FileRow> &a, const std::vector<model::FileRow> &b) {
            if (a.size() != b.size())
                return false;
            for (size_t i = 0; i < a.size(); ++i)
                if (a[i].fields != b[i].fields)
                    return false;
            return true;
        };
        if (!same(rows, m_model->file))
            d += "  file rows " + showRows(rows) + "\n  expected  " + showRows(m_model->file) + "\n";
        for (int f = 0; f < int(m_t.boxes.size()); ++f) {
            const std::string got = str(boxText(box(f)));
            if (got != m_model->screen[size_t(f)])
                d += "  box " + str(m_t.boxes[f]) + " shows \"" + got + "\", expected \"" + m_model->screen[size_t(f)] +
                     "\"\n";
        }
        const std::string caption = str(data()->Caption());
        if (caption != m_model->caption)
            d += "  caption \"" + caption + "\", expected \"" + m_model->caption + "\"\n";
        std::vector<std::string> told;
        for (const QString &p : m_msgs->prompts())
            told.push_back(str(p));
        if (told != m_model->messages) {
            d += "  messages:";
            for (const std::string &m : told)
                d += " \"" + m + "\"";
            d += "\n  expected:";
            for (const std::string &m : m_model->messages)
                d += " \"" + m + "\"";
            d += "\n";
        }
        if (Screen().mousePointer() != vbDefault)
            d += "  the busy pointer stays\n";
        return d;
    }

private:
    QWidget *window() const { return m_form->widget(); }
    QWidget *box(int f) const { return window()->findChild<QWidget *>(m_t.boxes[f]); }
    DataControl *data() const
    {
        return window()->findChild<DataControl *>(m_t.kind == model::Kind::Main ? QStringLiteral("Data1")
                                                                                : QStringLiteral("datPrimaryRS"));
    }
    void click(const char *name)
    {
        auto *b = window()->findChild<QPushButton *>(QLatin1String(name));
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void typeInto(QWidget *w, const std::string &text)
    {
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Backspace);
        QTest::keyClicks(w, QString::fromStdString(text));
    }

    void openWindow()
    {
        if (m_t.kind == model::Kind::Main)
            m_form = Screen().Load<frmMain>();
        else
            m_form = pvtest::loadCollection(QLatin1String(m_t.form));
        Screen().Show(m_form);
        for (int i = 0; i < 100 && !data()->cursor(); ++i)
            QCoreApplication::processEvents();
    }

    void perform(const model::Step &s)
    {
        using model::Act;
        switch (s.act) {
        case Act::First:
            return click("cmdBegofFile");
        case Act::Previous:
            return click("cmdPrevious");
        case Act::Next:
            return click("cmdNext");
        case Act::Last:
            return click("cmdEndofList");
        case Act::Add:
            return click("cmdAdd");
        case Act::Delete:
            return click("cmdDelete");
        case Act::Refresh:
            return click("cmdRefresh");
        case Act::Update:
            return click("cmdUpdate");
        case Act::Type:
            return typeInto(box(s.field), s.text);
        case Act::Search:
        case Act::FindNext:
            typeInto(window()->findChild<QLineEdit *>(QStringLiteral("txtSearchString")), s.text);
            return click(s.act == Act::Search ? "cmdSearch" : "cmdFindNext");
        case Act::Close:
            click("cmdClose");
            if (!Screen().isLoaded(m_form)) {
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                openWindow();
            }
            return;
        case Act::Undo:
        case Act::Redo: {
            auto *a = window()->findChild<QAction *>(s.act == Act::Undo ? QStringLiteral("mnuEditUndo")
                                                                          : QStringLiteral("mnuEditRedo"));
            // Disabled entries cannot be chosen.
            if (a->isEnabled())
                a->trigger();
            return;
        }
        case Act::Foreign: {
            const auto &file = m_model->file;
            if (s.field == 0) {
                const std::int64_t key = m_model->nextKey();
                QString sql = QStringLiteral("INSERT INTO \"%1\" (rowid").arg(QLatin1String(m_t.table));
                QString values = QString::number(key);
                for (int f = 0; f < int(m_t.columns.size()); ++f) {
                    sql += QStringLiteral(", \"%1\"").arg(m_t.columns[f]);
                    values += f == m_t.idField ? QStringLiteral(", %1").arg(900 + key)
                                               : QStringLiteral(", 'other %1'").arg(key);
                }
                pvtest::execSql(catalogue(), sql + QStringLiteral(") VALUES (") + values + QLatin1Char(')'));
            } else if (!file.empty()) {
                const std::int64_t key = file[std::stoul(s.text) % file.size()].key;
                pvtest::execSql(
                    catalogue(),
                    QStringLiteral("DELETE FROM \"%1\" WHERE rowid = %2").arg(QLatin1String(m_t.table)).arg(key));
            }
            return;
        }
        }
    }

    const Target &m_t;
    QTemporaryDir m_app;
    std::unique_ptr<pvtest::MsgRecorder> m_msgs = std::make_unique<pvtest::MsgRecorder>();
    Form *m_form = nullptr;
    std::optional<model::Window> m_model;
};

int envInt(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok ? v : fallback;
}

} // namespace

Q_DECLARE_METATYPE(std::vector<model::Step>)

class TestDataModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        // Every window shown on the offscreen platform says that it cannot
        // be raised; thousands of those would crowd out the test's own log.
        s_log = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context, const QString &text) {
            if (!text.startsWith(QLatin1String("This plugin does not support")))
                s_log(type, context, text);
        });
        pvtest::writeCatalogue(m_dir.path() + QStringLiteral("/template.mdb"), pvtest::smallDrinkSeed());
    }
    void cleanup() { pvtest::unloadAll(); }
    void cleanupTestCase() { qInstallMessageHandler(s_log); }

    void randomSequencesAgreeWithModel();
    void sequencesThatLostRows_data();
    void sequencesThatLostRows();

private:
    // The first step at which the window and the model part, with what differs.
    struct Failure {
        int step = -1;
        std::string what;
    };
    Failure play(const Target &t, const std::vector<model::Step> &steps)
    {
        Play p(t, m_dir.path() + QStringLiteral("/template.mdb"));
        if (std::string d = p.compare(); !d.empty())
            return {0, "on opening\n" + d};
        for (size_t i = 0; i < steps.size(); ++i) {
            ++m_steps;
            if (std::string d = p.step(steps[i]); !d.empty())
                return {int(i), d};
        }
        return {};
    }

    // Drops steps while the sequence still fails, to the shortest found.
    std::vector<model::Step> shrink(const Target &t, std::vector<model::Step> steps, Failure &f)
    {
        steps.resize(size_t(f.step) + 1);
        for (bool dropped = true; dropped;) {
            dropped = false;
            for (size_t i = 0; i < steps.size();) {
                auto shorter = steps;
                shorter.erase(shorter.begin() + long(i));
                if (Failure g = play(t, shorter); g.step >= 0) {
                    // A failure on opening needs no step at all.
                    shorter.resize(std::min(shorter.size(), size_t(g.step) + 1));
                    steps = shorter;
                    f = g;
                    dropped = true;
                } else {
                    ++i;
                }
            }
        }
        return steps;
    }

    QTemporaryDir m_dir;
    long long m_steps = 0;
    static inline QtMessageHandler s_log = nullptr;
};

void TestDataModel::randomSequencesAgreeWithModel()
{
    const int only = envInt("PV_MODEL_SEED", 0);
    const int first = only ? only : envInt("PV_MODEL_FIRST", 1);
    const int count = only ? 1 : envInt("PV_MODEL_SEQUENCES", 2000);
    const int length = envInt("PV_MODEL_STEPS", 40);
    // Reports every failing sequence instead of stopping at the first.
    const bool keepGoing = envInt("PV_MODEL_KEEP_GOING", 0) != 0;
    int failed = 0;
    QElapsedTimer clock;
    clock.start();
    const QByteArray window = qgetenv("PV_MODEL_WINDOW");
    for (int seed = first; seed < first + count; ++seed) {
        const Target &t = kTargets[size_t(seed) % std::size(kTargets)];
        if (!window.isEmpty() && window != t.form)
            continue;
        auto steps = generate(t, std::uint64_t(seed), length);
        Failure f = play(t, steps);
        if (f.step < 0)
            continue;
        steps = shrink(t, steps, f);
        std::string report = "sequence PV_MODEL_SEED=" + std::to_string(seed) + " in " + t.form + ", shortest (" +
                             std::to_string(steps.size()) + " steps):\n";
        for (size_t i = 0; i < steps.size(); ++i)
            report += "  " + std::to_string(i + 1) + ". " + describe(steps[i]) + "\n";
        report += "after the last step:\n" + f.what;
        if (!keepGoing)
            QFAIL(report.c_str());
        qWarning("%s", report.c_str());
        ++failed;
    }
    qInfo("%d sequences, %lld steps in %.1f s", count, m_steps, clock.elapsed() / 1000.0);
    QCOMPARE(failed, 0);
}

// The shortest sequences this test found before the faults were mended, one
// row per fault, kept so that each is tried on every run.
void TestDataModel::sequencesThatLostRows_data()
{
    using model::Act;
    QTest::addColumn<int>("target");
    QTest::addColumn<std::vector<model::Step>>("steps");
    const std::vector<model::Step> addDelete = {{Act::Add}, {Act::Type, 1, "x"}, {Act::Delete}};
    QTest::newRow("add, delete: main") << 0 << addDelete;
    QTest::newRow("add, delete: jokes") << 1 << addDelete;
    QTest::newRow("add, delete: games") << 3 << addDelete;
    QTest::newRow("search past the end") << 0
                                         << std::vector<model::Step>{{Act::Last}, {Act::Next}, {Act::Search, 0, "GIN"}};
    QTest::newRow("search on a new row") << 0 << std::vector<model::Step>{{Act::Add}, {Act::Search, 0, "gin"}};
    QTest::newRow("update without typing")
        << 3 << std::vector<model::Step>{{Act::Type, 0, "gin90"}, {Act::Last}, {Act::Update}};
    QTest::newRow("typing past the end") << 1
                                         << std::vector<model::Step>{{Act::Previous}, {Act::Type, 1, "x"}, {Act::Next}};
    QTest::newRow("letters in a number") << 2 << std::vector<model::Step>{{Act::Type, 0, "abc"}, {Act::Update},
                                                                          {Act::Next},           {Act::Close},
                                                                          {Act::Type, 0, ""},    {Act::Close}};
    QTest::newRow("a blank new row") << 3 << std::vector<model::Step>{{Act::Add},          {Act::Type, 0, "x61"},
                                                                      {Act::Type, 0, ""},  {Act::Add},
                                                                      {Act::Type, 1, "y"}, {Act::Type, 1, ""},
                                                                      {Act::Update},       {Act::Last}};
}

void TestDataModel::sequencesThatLostRows()
{
    QFETCH(int, target);
    QFETCH(std::vector<model::Step>, steps);
    const Failure f = play(kTargets[size_t(target)], steps);
    QVERIFY2(f.step < 0, ("step " + std::to_string(f.step + 1) + ":\n" + f.what).c_str());
}

int main(int argc, char **argv)
{
    pvtest::prepareEnvironment();
    // Thousands of sequences take longer than one test function may by default.
    if (qEnvironmentVariableIsEmpty("QTEST_FUNCTION_TIMEOUT"))
        qputenv("QTEST_FUNCTION_TIMEOUT", "3600000");
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    TestDataModel tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "tst_datamodel.moc"

#include "TestSupport.h"

#include "data/CatalogueBuilder.h"
#include "collections/frmBgames.h"
#include "collections/frmCards.h"
#include "collections/frmDice.h"
#include "collections/frmJoke.h"
#include "collections/frmLines.h"
#include "collections/frmMedia.h"
#include "collections/frmMoney.h"
#include "collections/frmSpeech.h"
#include "collections/frmToasting.h"
#include "data/Catalogue.h"
#include "data/DrinkIndex.h"

#include <QApplication>
#include <QTimer>
#include <QDir>
#include <QStandardPaths>
#include <QWidget>

#include <sqlite3.h>

#include <cstdlib>

namespace pvtest {

void prepareEnvironment()
{
    static QTemporaryDir home(QDir::tempPath() + QStringLiteral("/pv-home-XXXXXX"));
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
}

MsgRecorder::MsgRecorder()
{
    m_previous = pv::Screen().setMsgBoxHandler([this](const pv::MsgBoxCall &c) {
        calls.append(c);
        return (c.style & 7) == pv::vbYesNo ? yesNoAnswer : int(pv::vbOK);
    });
}

MsgRecorder::~MsgRecorder()
{
    pv::Screen().setMsgBoxHandler(m_previous);
}

QStringList MsgRecorder::prompts() const
{
    QStringList out;
    for (const pv::MsgBoxCall &c : calls)
        out << c.prompt;
    return out;
}

AppFolder::AppFolder(Seed seed)
{
    if (seed == Seed::Bundled) {
        pv::CatalogueSeed s;
        s.loadDirectory(QStringLiteral(PV_SOURCE_DIR "/content/catalogue"));
        s.write(catalogue());
        // As the shipped catalogue is: with its search index.
        pv::drinkindex::syncFile(catalogue());
    } else {
        writeCatalogue(catalogue(), smallDrinkSeed());
    }
    pv::Screen().App().Path = path();
}

QString AppFolder::catalogue() const
{
    return m_dir.path() + QStringLiteral("/pv.mdb");
}

void writeCatalogue(const QString &path, const QString &drinks, const QMap<QString, QString> &tables,
                    bool fillEmptyTables)
{
    pv::CatalogueSeed s;
    s.parseDrinks(QStringLiteral("drinks.txt"), drinks);
    for (const pv::CollectionTable &t : pv::collectionTables()) {
        const QString name = QLatin1String(t.table);
        QString text = tables.value(name);
        if (text.isNull() && fillEmptyTables) {
            for (int i = 1; i <= 3; ++i) {
                if (!t.numbered)
                    text += QStringLiteral("%1: %2 %3\n").arg(QLatin1String(t.shortColumn), name).arg(i);
                text += QStringLiteral("%1: Text of %2 row %3\n\n").arg(QLatin1String(t.longColumn), name).arg(i);
            }
        }
        s.parseCollection(name, name + QStringLiteral(".txt"), text);
    }
    pv::SeedCheckOptions o;
    o.requireEveryQueryFilled = false;
    o.requireEveryTableFilled = false;
    const auto problems = s.check(o);
    if (!problems.isEmpty())
        qFatal("bad fixture seed: %s", qPrintable(problems.first().toString()));
    s.write(path);
}

QString smallDrinkSeed()
{
    return QStringLiteral(
        "name: Bee's Knees\nglass: Cocktail\ncategories: Gin\ning: 2 oz | Gin\ning: 3/4 oz | Honey Syrup\n"
        "ing: 3/4 oz | Fresh Lemon Juice\ndirections: Shake with ice and strain.\n\n"
        "name: Cuba Libre\nglass: Highball\ncategories: Rum\ning: 2 oz | White Rum\ning: 4 oz | Cola\n"
        "ing: 1 wedge | Lime\ndirections: Build over ice.\n\n"
        "name: Gin and Tonic\nglass: Highball\ncategories: Gin\ning: 2 oz | Gin\ning: 4 oz | Tonic Water\n"
        "directions: Build over ice.\n\n"
        "name: Manhattan\nglass: Cocktail\ncategories: Whiskey\ning: 2 oz | Rye Whiskey\n"
        "ing: 1 oz | Sweet Vermouth\ning: 2 dashes | Angostura Bitters\ndirections: Stir and strain.\n\n"
        "name: Negroni\nglass: Old-Fashioned\ncategories: Gin, Aperitifs\ning: 1 oz | Gin\ning: 1 oz | Campari\n"
        "ing: 1 oz | Sweet Vermouth\ndirections: Stir over ice.\n\n"
        "name: Pink Gin\nglass: Cocktail\ncategories: Gin\ning: 2 oz | Gin\ning: 3 dashes | Angostura Bitters\n"
        "directions: Swirl and serve.\n\n"
        "name: Planter's Punch\nglass: Collins\ncategories: Rum, Punch\ning: 3 oz | Dark Rum\n"
        "ing: 1 oz | Fresh Lime Juice\ndirections: Shake and pour.\n\n"
        "name: Shirley Temple\nglass: Collins\ncategories: Non-Alcoholic\ning: 6 oz | Ginger Ale\n"
        "ing: 1/2 oz | Grenadine\ndirections: Build over ice.\n");
}

void execSql(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    // The program may be writing its search index meanwhile.
    sqlite3_busy_timeout(db, 10000);
    char *err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString m = QString::fromUtf8(err);
        sqlite3_free(err);
        sqlite3_close(db);
        qFatal("execSql failed: %s", qPrintable(m));
    }
    sqlite3_close(db);
}

QStringList queryColumn(const QString &path, const QString &sql)
{
    QStringList out;
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_busy_timeout(db, 10000);
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK)
        while (sqlite3_step(st) == SQLITE_ROW)
            out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    sqlite3_close(db);
    return out;
}

pv::CollectionBrowser *loadCollection(const QString &form)
{
    pv::ScreenView &sv = pv::Screen();
    static const QMap<QString, std::function<pv::CollectionBrowser *()>> loaders = {
        {"frmCards", [&sv] { return sv.Load<frmCards>(); }},
        {"frmDice", [&sv] { return sv.Load<frmDice>(); }},
        {"frmMoney", [&sv] { return sv.Load<frmMoney>(); }},
        {"frmMedia", [&sv] { return sv.Load<frmMedia>(); }},
        {"frmSpeech", [&sv] { return sv.Load<frmSpeech>(); }},
        {"frmBgames", [&sv] { return sv.Load<frmBgames>(); }},
        {"frmJoke", [&sv] { return sv.Load<frmJoke>(); }},
        {"frmToasting", [&sv] { return sv.Load<frmToasting>(); }},
        {"frmLines", [&sv] { return sv.Load<frmLines>(); }},
    };
    return loaders.value(form)();
}

void typeText(QWidget *w, const QString &text)
{
    w->setFocus();
    for (qsizetype i = 0; i < text.size(); ++i) {
        QString one(text.at(i));
        if (text.at(i).isHighSurrogate() && i + 1 < text.size())
            one += text.at(++i);
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, one, Qt::NoModifier);
    }
}

void unloadAll()
{
    pv::ScreenView &sv = pv::Screen();
    for (int i = sv.formsCount() - 1; i >= 0; --i)
        sv.Unload(sv.Forms(i));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

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

} // namespace pvtest

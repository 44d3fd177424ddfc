// Quantities as numbers: parsing every quantity of a catalogue of 1,000,000
// drinks against a plain SQLite scan of the same ten columns, and redrawing
// a recipe card after a change of servings or units.
//   build/bench/bench_amounts
#include "data/CatalogueBuilder.h"
#include "ui/RecipeCardView.h"
#include "data/Quantity.h"

#include <QApplication>
#include <QComboBox>
#include <QSpinBox>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <random>

namespace {

const QString kSeed = QStringLiteral(PV_SOURCE_DIR "/content/catalogue");

// The bundled recipes over and over, their quantities as written, now and
// then one typed by hand in another form.
QString catalogue(int rows)
{
    const QString path = QStringLiteral(PV_BENCH_DIR "/amounts-%1.mdb").arg(rows);
    if (QFileInfo::exists(path))
        return path;
    pv::CatalogueSeed seed;
    seed.loadDirectory(kSeed);
    const QList<pv::DrinkSeed> drinks = seed.drinks;
    seed.drinks.clear();
    seed.write(path);
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
    QString sql = QStringLiteral("INSERT INTO drinklst (DrinkName, Glass, Category1, Directions");
    for (int i = 1; i <= 10; ++i)
        sql += QStringLiteral(", Ing%1, Qty%1").arg(i);
    sql += QStringLiteral(") VALUES (?, ?, ?, ?");
    for (int i = 1; i <= 20; ++i)
        sql += QStringLiteral(", ?");
    sql += QLatin1Char(')');
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    const char *typed[] = {"1½ oz", "30 ml", "1-2 dashes", "a splash", "to taste", "2 1/2 cl", "999 oz", "1 glug"};
    std::mt19937 rng(29);
    for (int r = 0; r < rows; ++r) {
        const pv::DrinkSeed &d = drinks[r % drinks.size()];
        QStringList values = {QStringLiteral("%1 %2").arg(d.name).arg(r), d.glass, d.categories.value(0), d.directions};
        for (int i = 0; i < 10; ++i) {
            const bool has = i < d.ingredients.size();
            QString qty = has ? d.ingredients[i].first : QString();
            if (has && rng() % 20 == 0)
                qty = QString::fromUtf8(typed[rng() % std::size(typed)]);
            values << (has ? d.ingredients[i].second : QString()) << qty;
        }
        for (int i = 0; i < values.size(); ++i) {
            const QByteArray u = values[i].toUtf8();
            sqlite3_bind_text(st, i + 1, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return path;
}

// Reads the ten quantity columns of every row; `parse` also makes each an
// amount.
void scan(benchmark::State &state, bool parse)
{
    const QByteArray path = catalogue(int(state.range(0))).toUtf8();
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT Qty1, Qty2, Qty3, Qty4, Qty5, Qty6, Qty7, Qty8, Qty9, Qty10 FROM drinklst", -1,
                           &st, nullptr);
        double sum = 0;
        size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < 10; ++c) {
                const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, c));
                const int n = sqlite3_column_bytes(st, c);
                bytes += size_t(n);
                if (parse && n > 0)
                    sum += pv::parseQuantity(QString::fromUtf8(text, n)).low;
            }
        sqlite3_finalize(st);
        sqlite3_close(db);
        benchmark::DoNotOptimize(bytes);
        benchmark::DoNotOptimize(sum);
    }
}

void BM_BaselineScan(benchmark::State &state) { scan(state, false); }
void BM_ParseEveryQuantity(benchmark::State &state) { scan(state, true); }

// One change of servings or units on an open card, and the card drawn again.
void BM_CardRedraw(benchmark::State &state)
{
    pv::RecipeCardView view;
    view.resize(700, 900);
    view.show();
    pv::CardRecipe zombie;
    zombie.name = QStringLiteral("Zombie");
    zombie.glass = QStringLiteral("Collins");
    zombie.categories = {QStringLiteral("Rum"), QStringLiteral("Tropical")};
    const char *q[] = {"1 1/2 oz", "1 1/2 oz", "1 oz", "3/4 oz", "1/2 oz", "1/2 oz", "1 tsp", "1 dash", "6 drops", "1 sprig"};
    const char *i[] = {"Dark Jamaican Rum", "Gold Puerto Rican Rum", "Overproof Demerara Rum", "Fresh Lime Juice",
                       "Falernum", "Don's Mix (grapefruit juice and cinnamon syrup)", "Grenadine",
                       "Angostura Bitters", "Absinthe", "Mint"};
    for (int k = 0; k < 10; ++k) {
        zombie.quantities[k] = QString::fromUtf8(q[k]);
        zombie.ingredients[k] = QString::fromUtf8(i[k]);
    }
    zombie.directions = QStringLiteral("Blend all the liquid ingredients with a cup of crushed ice for no more than "
                                       "five seconds. Pour into a tall glass, add ice to fill and garnish with a mint "
                                       "sprig; serve no more than two to a guest.");
    view.setRecipe(zombie);
    QCoreApplication::processEvents();
    int step = 0;
    for (auto _ : state) {
        ++step;
        if (step % 2)
            view.spnServings->setValue(view.spnServings->value() == 8 ? 1 : 8);
        else
            view.cboUnits->setCurrentIndex((view.cboUnits->currentIndex() + 1) % 4);
        // Laid out and painted, as the screen would show it.
        view.repaint();
    }
}

} // namespace

BENCHMARK(BM_BaselineScan)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseEveryQuantity)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CardRedraw)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

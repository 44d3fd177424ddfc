// My Bar matching on catalogues of 530, 100,000 and 1,000,000 drinks, against
// a plain SQLite scan of the ten ingredient columns measured in the same run; and the bottle plan for every N.
//   build/bench/bench_mybar
#include "data/BarMatcher.h"
#include "data/BarPlanner.h"
#include "data/CatalogueBuilder.h"

#include <QFile>
#include <QFileInfo>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <map>
#include <memory>
#include <random>

namespace {

const QString kSeed = QStringLiteral(PV_SOURCE_DIR "/content/catalogue");

pv::IngredientVocabulary vocabulary()
{
    QFile f(kSeed + QStringLiteral("/ingredients.txt"));
    (void)f.open(QIODevice::ReadOnly);
    return pv::IngredientVocabulary::parse(QString::fromUtf8(f.readAll()));
}

// The bundled drinks over and over, under new names; now and then a text in
// other case and spacing, or one the vocabulary does not know.
QString catalogue(int rows)
{
    const QString path = QStringLiteral(PV_BENCH_DIR "/mybar-%1.mdb").arg(rows);
    if (QFileInfo::exists(path))
        return path;
    pv::CatalogueSeed seed;
    seed.loadDirectory(kSeed);
    if (rows == int(seed.drinks.size())) {
        seed.write(path);
        return path;
    }
    const QList<pv::DrinkSeed> drinks = seed.drinks;
    seed.drinks.clear();
    seed.write(path);
    sqlite3 *db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
    QString sql = QStringLiteral("INSERT INTO drinklst (DrinkName, Glass, Category1, Directions");
    for (int i = 1; i <= 10; ++i)
        sql += QStringLiteral(", Ing%1, Qty%1").arg(i);
    sql += QStringLiteral(") VALUES (?, ?, ?, 'Mix.'");
    for (int i = 1; i <= 20; ++i)
        sql += QStringLiteral(", ?");
    sql += QLatin1Char(')');
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr);
    std::mt19937 rng(18);
    for (int r = 0; r < rows; ++r) {
        const pv::DrinkSeed &d = drinks[r % drinks.size()];
        QStringList values = {QStringLiteral("%1 %2").arg(d.name).arg(r), d.glass, d.categories.value(0)};
        for (int i = 0; i < 10; ++i) {
            QString ing = i < d.ingredients.size() ? d.ingredients[i].second : QString();
            if (!ing.isEmpty() && rng() % 50 == 0)
                ing = QStringLiteral("  ") + ing.toUpper();
            if (!ing.isEmpty() && rng() % 1000 == 0)
                ing = QStringLiteral("House Tincture %1").arg(rng() % 500);
            values << ing << (ing.isEmpty() ? QString() : QStringLiteral("1 oz"));
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

void BM_BaselineScan(benchmark::State &state)
{
    const QByteArray path = catalogue(int(state.range(0))).toUtf8();
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT Ing1, Ing2, Ing3, Ing4, Ing5, Ing6, Ing7, Ing8, Ing9, Ing10 FROM drinklst", -1,
                           &st, nullptr);
        size_t bytes = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            for (int c = 0; c < 10; ++c) {
                sqlite3_column_text(st, c);
                bytes += size_t(sqlite3_column_bytes(st, c));
            }
        sqlite3_finalize(st);
        sqlite3_close(db);
        benchmark::DoNotOptimize(bytes);
    }
}

void BM_BuildIndex(benchmark::State &state)
{
    const QString path = catalogue(int(state.range(0)));
    const pv::IngredientVocabulary v = vocabulary();
    for (auto _ : state) {
        pv::BarIndex ix(v);
        ix.loadCatalogue(path);
        benchmark::DoNotOptimize(ix.drinkCount());
    }
}

const pv::BarIndex &indexFor(int rows)
{
    static std::map<int, std::unique_ptr<pv::BarIndex>> indexes;
    auto &ix = indexes[rows];
    if (!ix) {
        ix = std::make_unique<pv::BarIndex>(vocabulary());
        ix->loadCatalogue(catalogue(rows));
    }
    return *ix;
}

// range(1): 0 an empty shelf (pantry staples only), 1 the small home bar.
pv::BarShelf shelfFor(int which)
{
    pv::BarShelf shelf;
    if (which == 1)
        shelf.have = {"Gin",        "Bourbon", "Sweet Vermouth", "Dry Vermouth",      "Campari",
                      "Triple Sec", "Lemons",  "Limes",          "Angostura Bitters", "Soda Water"};
    return shelf;
}

// Each step ticks or unticks Campari and recomputes the three lists.
void BM_RecomputeAfterTick(benchmark::State &state)
{
    const pv::BarIndex &ix = indexFor(int(state.range(0)));
    const pv::BarShelf shelf = shelfFor(int(state.range(1)));
    std::vector<char> have = shelf.haveVector(ix);
    const pv::BarOptions options = shelf.optionsFor(ix);
    const int campari = ix.ingredientOf(QStringLiteral("Campari"));
    size_t made = 0;
    for (auto _ : state) {
        have[campari] = !have[campari];
        const pv::BarLists lists = ix.compute(have, options);
        made += lists.canMake.size() + lists.oneAway.size() + lists.buyNext.size();
    }
    benchmark::DoNotOptimize(made);
}

// A plan for every N from 1 to 30, as the plan window's curve asks for them
// with the full search time each; reports the slowest and how many proved.
void BM_PlanEachN(benchmark::State &state)
{
    const pv::BarIndex &ix = indexFor(int(state.range(0)));
    const pv::BarShelf shelf = shelfFor(int(state.range(1)));
    pv::PlanRequest r;
    r.have = shelf.haveVector(ix);
    r.options = shelf.optionsFor(ix);
    double slowest = 0;
    int proven = 0, total = 0;
    for (auto _ : state) {
        proven = 0;
        for (int n = 1; n <= 30; ++n) {
            r.bottles = n;
            const auto t0 = std::chrono::steady_clock::now();
            const pv::Plan p = pv::planBottles(ix, r);
            slowest = std::max(slowest, std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
            proven += p.optimal;
            total = p.total;
        }
    }
    state.counters["slowest_s"] = slowest;
    state.counters["proven_of_30"] = proven;
    state.counters["drinks_at_30"] = total;
}

} // namespace

BENCHMARK(BM_BaselineScan)->Arg(530)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildIndex)->Arg(530)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecomputeAfterTick)->ArgsProduct({{530, 100000, 1000000}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlanEachN)->ArgsProduct({{530}, {0, 1}})->Iterations(1)->Unit(benchmark::kSecond);

BENCHMARK_MAIN();

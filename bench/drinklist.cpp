// Drink List figures: opening, scrolling, filtering and sorting the model
// over catalogues of 510 to 1,000,000 drinks, with the search index and on a
// copy never indexed, against a plain SQLite LIKE scan of the name and the
// ten ingredient columns on the same file in the same run. Google Benchmark
// gives wall ("Time") and the thread's CPU ("CPU") for each.
#include "BigCatalogue.h"

#include "data/DrinkIndex.h"
#include "drinklist/DrinkListModel.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>

namespace {

QTemporaryDir *g_dir;
std::map<int, QString> g_files;
std::map<int, QString> g_bare;
std::map<int, qint64> g_bytes, g_bareBytes; // as written, before any benchmark changed them
constexpr int kScreenRows = 40; // lines on a first screen

const QString &catalogueOf(int rows)
{
    auto it = g_files.find(rows);
    if (it == g_files.end()) {
        const QString path = g_dir->path() + QStringLiteral("/pv%1.mdb").arg(rows);
        writeBigCatalogue(path, rows);
        g_bytes[rows] = fileBytes(path);
        it = g_files.emplace(rows, path).first;
    }
    return it->second;
}

// The same drinks in a file that was never indexed.
const QString &bareCatalogueOf(int rows)
{
    auto it = g_bare.find(rows);
    if (it == g_bare.end()) {
        const QString path = g_dir->path() + QStringLiteral("/bare%1.mdb").arg(rows);
        writeBigCatalogue(path, rows, false);
        g_bareBytes[rows] = fileBytes(path);
        it = g_bare.emplace(rows, path).first;
    }
    return it->second;
}

// What a view asks for to paint its first screen.
void paintFirstScreen(const pv::DrinkListModel &m)
{
    const int rows = std::min(kScreenRows, m.rowCount());
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < pv::DrinkListModel::ColumnCount; ++c)
            benchmark::DoNotOptimize(m.index(r, c).data());
}

// The thread's own CPU time: other builds share the machine, and a frame's
// wall time then includes the time the thread waited for a core.
double cpuSeconds()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void BaselineLikeScan(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db,
                       "SELECT rowid FROM drinklst WHERE DrinkName LIKE ?1 OR Ing1 LIKE ?1 OR Ing2 LIKE ?1 OR "
                       "Ing3 LIKE ?1 OR Ing4 LIKE ?1 OR Ing5 LIKE ?1 OR Ing6 LIKE ?1 OR Ing7 LIKE ?1 OR Ing8 LIKE "
                       "?1 OR Ing9 LIKE ?1 OR Ing10 LIKE ?1",
                       -1, &st, nullptr);
    for (auto _ : state) {
        sqlite3_reset(st);
        sqlite3_bind_text(st, 1, "%zzqx%", -1, SQLITE_STATIC);
        int n = 0;
        while (sqlite3_step(st) == SQLITE_ROW)
            ++n;
        benchmark::DoNotOptimize(n);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

// Once per catalogue, outside the other figures: the index is built.
void BuildIndex(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    pv::drinkindex::registerFunctions(db);
    for (auto _ : state) {
        state.PauseTiming();
        pv::drinkindex::drop(db);
        state.ResumeTiming();
        if (!pv::drinkindex::sync(db))
            state.SkipWithError("the index could not be built");
    }
    sqlite3_close(db);
}

void OpenFirstScreen(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    for (auto _ : state) {
        pv::DrinkListModel m;
        m.open(path, QStringLiteral("drinklst"));
        paintFirstScreen(m);
    }
}

// Scrolling to the end a screen at a time, then back to the top: the
// slowest frame's model work (listing more rows, reading the rows shown).
void ScrollToEndAndBack(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    double slowest = 0, slowestCpu = 0;
    int frames = 0;
    for (auto _ : state) {
        pv::DrinkListModel m;
        m.open(path, QStringLiteral("drinklst"));
        auto frame = [&](int top) {
            const auto t0 = std::chrono::steady_clock::now();
            const double c0 = cpuSeconds();
            if (top + kScreenRows >= m.rowCount() && m.canFetchMore(QModelIndex()))
                m.fetchMore(QModelIndex());
            for (int r = top; r < std::min(top + kScreenRows, m.rowCount()); ++r)
                for (int c = 0; c < pv::DrinkListModel::ColumnCount; ++c)
                    benchmark::DoNotOptimize(m.index(r, c).data());
            slowest = std::max(slowest, seconds(t0));
            slowestCpu = std::max(slowestCpu, cpuSeconds() - c0);
            ++frames;
        };
        int top = 0;
        for (; top + kScreenRows < m.rowCount() || m.canFetchMore(QModelIndex()); top += kScreenRows * 25)
            frame(top);
        for (; top >= 0; top -= kScreenRows * 25)
            frame(top);
    }
    state.counters["slowest_frame_ms"] = slowest * 1000;
    state.counters["slowest_frame_cpu_ms"] = slowestCpu * 1000;
    state.counters["frames"] = frames;
}

void FilterKeystroke(benchmark::State &state, const QString &text)
{
    const QString &path = catalogueOf(int(state.range(0)));
    pv::DrinkListModel m;
    m.open(path, QStringLiteral("drinklst"));
    m.setFilter(QStringLiteral("x")); // the index is up to date before timing
    for (auto _ : state) {
        state.PauseTiming();
        m.setFilter(QString());
        state.ResumeTiming();
        m.setFilter(text);
        paintFirstScreen(m);
    }
    state.counters["rows_on_screen"] = std::min(kScreenRows, m.rowCount());
    state.counters["indexed"] = m.usesIndex() ? 1 : 0;
}

// A keystroke on a file never indexed: the first window of rows is folded
// (the window goes on reading, and the index is built, behind it).
void FirstKeystrokeNeverIndexed(benchmark::State &state)
{
    const QString &path = bareCatalogueOf(int(state.range(0)));
    pv::DrinkListModel m;
    m.open(path, QStringLiteral("drinklst"));
    for (auto _ : state) {
        state.PauseTiming();
        m.setFilter(QString());
        state.ResumeTiming();
        m.setFilter(QStringLiteral("zzqx"));
        paintFirstScreen(m);
    }
    state.counters["indexed"] = m.usesIndex() ? 1 : 0;
}

// The same text read to the end without the index, window after window:
// what the slow way costs in all.
void FilterRareWithoutIndex(benchmark::State &state)
{
    const QString &path = bareCatalogueOf(int(state.range(0)));
    pv::DrinkListModel m;
    m.open(path, QStringLiteral("drinklst"));
    for (auto _ : state) {
        state.PauseTiming();
        m.setFilter(QString());
        state.ResumeTiming();
        m.setFilter(QStringLiteral("zzqx"));
        while (m.canFetchMore(QModelIndex()))
            m.fetchMore(QModelIndex());
    }
}

void FilterCommon(benchmark::State &state)
{
    FilterKeystroke(state, QStringLiteral("gin"));
}

void FilterRare(benchmark::State &state)
{
    FilterKeystroke(state, QStringLiteral("zzqx"));
}

void SortBy(benchmark::State &state, const QString &path, int column)
{
    pv::DrinkListModel m;
    m.open(path, QStringLiteral("drinklst"));
    for (auto _ : state) {
        m.sort(column, Qt::DescendingOrder);
        paintFirstScreen(m);
        state.PauseTiming();
        m.sort(-1);
        state.ResumeTiming();
    }
    m.sort(column, Qt::DescendingOrder);
    state.counters["from_index"] = m.sortsByIndex() ? 1 : 0;
}

void SortByName(benchmark::State &state)
{
    SortBy(state, catalogueOf(int(state.range(0))), pv::DrinkListModel::Name);
}

void SortByGlass(benchmark::State &state)
{
    SortBy(state, catalogueOf(int(state.range(0))), pv::DrinkListModel::Glass);
}

// Sorting every key, as without the index.
void SortByNameWithoutIndex(benchmark::State &state)
{
    SortBy(state, bareCatalogueOf(int(state.range(0))), pv::DrinkListModel::Name);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            times[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    const std::vector<int64_t> sizes = {510, 100000, 1000000};
    for (int64_t n : sizes) {
        benchmark::RegisterBenchmark("BaselineLikeScan", BaselineLikeScan)->Arg(n)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("BuildIndex", BuildIndex)->Arg(n)->Iterations(1)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("OpenFirstScreen", OpenFirstScreen)->Arg(n)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("ScrollToEndAndBack", ScrollToEndAndBack)
            ->Arg(n)
            ->Iterations(1)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("FilterCommon", FilterCommon)->Arg(n)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("FilterRare", FilterRare)->Arg(n)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("FirstKeystrokeNeverIndexed", FirstKeystrokeNeverIndexed)
            ->Arg(n)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("FilterRareWithoutIndex", FilterRareWithoutIndex)
            ->Arg(n)
            ->Iterations(n > 100000 ? 1 : 5)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("SortByName", SortByName)->Arg(n)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("SortByGlass", SortByGlass)->Arg(n)->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("SortByNameWithoutIndex", SortByNameWithoutIndex)
            ->Arg(n)
            ->Iterations(n > 100000 ? 1 : 5)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRare-text filter against the LIKE scan (same file, same run, wall time):\n");
    for (int64_t n : sizes) {
        const std::string s = "/" + std::to_string(n);
        auto t = [&](const char *name) {
            for (const auto &[k, v] : reporter.times)
                if (k.rfind(std::string(name) + s, 0) == 0)
                    return v;
            return 0.0;
        };
        if (t("BaselineLikeScan") > 0)
            std::printf("  %8lld drinks: filter %.3f ms, baseline %.3f ms, ratio %.3fx; never indexed: first "
                        "keystroke %.3f ms, to the end %.1f ms\n",
                        static_cast<long long>(n), t("FilterRare"), t("BaselineLikeScan"),
                        t("FilterRare") / t("BaselineLikeScan"), t("FirstKeystrokeNeverIndexed"),
                        t("FilterRareWithoutIndex"));
    }
    std::printf("\nFile sizes (bytes): without the index, with it, what the index adds:\n");
    for (const auto &[n, without] : g_bareBytes) {
        if (!g_bytes.count(n))
            continue;
        const qint64 with = g_bytes[n];
        std::printf("  %8d drinks: %lld, %lld, +%.1f%%\n", n, static_cast<long long>(without),
                    static_cast<long long>(with), 100.0 * double(with - without) / double(without));
        // Where the bytes go (the file was changed by the benchmarks since, by little).
        sqlite3 *db = nullptr;
        sqlite3_open_v2(g_files[n].toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
        sqlite3_stmt *st = nullptr;
        if (sqlite3_prepare_v2(db,
                               "SELECT name, sum(pgsize) FROM dbstat WHERE name LIKE 'pv\\_drinkf%' ESCAPE '\\' "
                               "OR name = 'drinklst' GROUP BY name ORDER BY 2 DESC",
                               -1, &st, nullptr) == SQLITE_OK)
            while (sqlite3_step(st) == SQLITE_ROW)
                std::printf("      %-24s %lld\n", reinterpret_cast<const char *>(sqlite3_column_text(st, 0)),
                            static_cast<long long>(sqlite3_column_int64(st, 1)));
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
    return 0;
}

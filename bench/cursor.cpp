// Cursor figures against plain SQLite on the same file, in the same run.
#include "BigCatalogue.h"

#include "data/RecordCursor.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>

namespace {

QTemporaryDir *g_dir;
std::map<int, QString> g_files;
std::map<int, QString> g_bare;

const QString &catalogueOf(int rows)
{
    auto it = g_files.find(rows);
    if (it == g_files.end()) {
        const QString path = g_dir->path() + QStringLiteral("/pv%1.mdb").arg(rows);
        writeBigCatalogue(path, rows);
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
        it = g_bare.emplace(rows, path).first;
    }
    return it->second;
}

void BaselineListRowids(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    for (auto _ : state) {
        sqlite3 *db = nullptr;
        sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_stmt *st = nullptr;
        sqlite3_prepare_v2(db, "SELECT rowid FROM drinklst", -1, &st, nullptr);
        std::vector<sqlite3_int64> keys;
        while (sqlite3_step(st) == SQLITE_ROW)
            keys.push_back(sqlite3_column_int64(st, 0));
        benchmark::DoNotOptimize(keys.data());
        sqlite3_finalize(st);
        sqlite3_close(db);
    }
}

void OpenToFirstRow(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    size_t bytes = 0;
    for (auto _ : state) {
        pv::RecordCursor c(path, QStringLiteral("drinklst"));
        benchmark::DoNotOptimize(c.value(QStringLiteral("DrinkName")));
        // Memory once every key is listed, which a move to the end does.
        state.PauseTiming();
        benchmark::DoNotOptimize(c.RecordCount());
        bytes = c.keysetBytes();
        state.ResumeTiming();
    }
    state.counters["keyset_bytes_per_row"] = double(bytes) / double(state.range(0));
}

// The first MoveLast lists every key not listed yet.
void FirstMoveLast(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        auto c = std::make_unique<pv::RecordCursor>(path, QStringLiteral("drinklst"));
        state.ResumeTiming();
        c->MoveLast();
        benchmark::DoNotOptimize(c->value(QStringLiteral("DrinkName")));
        state.PauseTiming();
        c.reset();
        state.ResumeTiming();
    }
}

void MoveLast(benchmark::State &state)
{
    pv::RecordCursor c(catalogueOf(int(state.range(0))), QStringLiteral("drinklst"));
    for (auto _ : state) {
        c.MoveFirst();
        c.MoveLast();
        benchmark::DoNotOptimize(c.value(QStringLiteral("DrinkName")));
    }
}

void MoveNextWithFields(benchmark::State &state)
{
    pv::RecordCursor c(catalogueOf(int(state.range(0))), QStringLiteral("drinklst"));
    const QStringList fields = c.fieldNames();
    for (auto _ : state) {
        c.MoveNext();
        if (c.Eof()) {
            state.PauseTiming();
            c.MoveFirst();
            state.ResumeTiming();
        }
        for (const QString &f : fields)
            benchmark::DoNotOptimize(c.value(f));
    }
}

void BaselineLikeScan(benchmark::State &state)
{
    const QString &path = catalogueOf(int(state.range(0)));
    sqlite3 *db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, "SELECT rowid FROM drinklst WHERE DrinkName LIKE '%zzqx%'", -1, &st, nullptr);
    for (auto _ : state) {
        while (sqlite3_step(st) == SQLITE_ROW) {
        }
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
}

void FindFirstNoMatch(benchmark::State &state)
{
    pv::RecordCursor c(catalogueOf(int(state.range(0))), QStringLiteral("drinklst"));
    for (auto _ : state) {
        c.FindFirst(QStringLiteral("DrinkName Like '*zzqx*'"));
        benchmark::DoNotOptimize(c.NoMatch());
    }
}

// The same search through the trigram index (the file is indexed), and one
// that finds the first of many.
void FindFirstNoMatchScan(benchmark::State &state)
{
    pv::RecordCursor c(bareCatalogueOf(int(state.range(0))), QStringLiteral("drinklst"));
    for (auto _ : state) {
        c.FindFirst(QStringLiteral("DrinkName Like '*zzqx*'"));
        benchmark::DoNotOptimize(c.NoMatch());
    }
}

void FindNextCommon(benchmark::State &state)
{
    pv::RecordCursor c(catalogueOf(int(state.range(0))), QStringLiteral("drinklst"));
    c.FindFirst(QStringLiteral("DrinkName Like '*julep*'"));
    for (auto _ : state) {
        c.FindNext(QStringLiteral("DrinkName Like '*julep*'"));
        if (c.NoMatch())
            c.FindFirst(QStringLiteral("DrinkName Like '*julep*'"));
    }
}

// Collects each run's time so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            times[r.benchmark_name()] = r.GetAdjustedCPUTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    const std::vector<int64_t> sizes = {1000, 100000, 1000000};
    for (auto *b : {benchmark::RegisterBenchmark("BaselineListRowids", BaselineListRowids),
                    benchmark::RegisterBenchmark("OpenToFirstRow", OpenToFirstRow),
                    benchmark::RegisterBenchmark("FirstMoveLast", FirstMoveLast),
                    benchmark::RegisterBenchmark("MoveLast", MoveLast),
                    benchmark::RegisterBenchmark("MoveNextWithFields", MoveNextWithFields),
                    benchmark::RegisterBenchmark("BaselineLikeScan", BaselineLikeScan),
                    benchmark::RegisterBenchmark("FindFirstNoMatch", FindFirstNoMatch),
                    benchmark::RegisterBenchmark("FindFirstNoMatchScan", FindFirstNoMatchScan),
                    benchmark::RegisterBenchmark("FindNextCommon", FindNextCommon)})
        for (int64_t n : sizes)
            b->Arg(n)->Unit(benchmark::kMicrosecond);
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\nRatios to the plain-SQLite baselines (same file, same run, CPU time):\n");
    for (int64_t n : sizes) {
        const std::string s = "/" + std::to_string(n);
        auto t = [&](const char *name) { return reporter.times[std::string(name) + s]; };
        if (t("BaselineListRowids") > 0 && t("BaselineLikeScan") > 0)
            std::printf("  %8lld rows: open %.2fx, no-match find %.3fx (without the index %.2fx), MoveNext+fields "
                        "%.2f us, MoveLast %.2f us\n",
                        static_cast<long long>(n), t("OpenToFirstRow") / t("BaselineListRowids"),
                        t("FindFirstNoMatch") / t("BaselineLikeScan"),
                        t("FindFirstNoMatchScan") / t("BaselineLikeScan"), t("MoveNextWithFields"), t("MoveLast"));
    }
    benchmark::Shutdown();
    return 0;
}

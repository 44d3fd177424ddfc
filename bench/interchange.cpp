// Export and import of 100,000 drinks, against `sqlite3 -csv` dumping the
// same drinklst to a file in the same run. Wall-clock time: the baseline
// runs in a process of its own.
#include "interchange/Interchange.h"

#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

namespace {

constexpr int kDrinks = 100000;
QTemporaryDir *g_dir = nullptr;

QString path(const char *name)
{
    return g_dir->filePath(QLatin1String(name));
}

// Every column filled as a real recipe fills it: a name, a glass, two
// categories, four ingredients with quantities and a sentence or two of
// directions, some with commas and quotes that the writers must escape.
void writeCatalogue(const QString &file)
{
    pv::interchange::createEmptyCatalogue(file);
    sqlite3 *db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(
        db,
        "INSERT INTO drinklst (DrinkName, Glass, Category1, Catagory2, Category3, Directions, Ing1, Qty1, "
        "Ing2, Qty2, Ing3, Qty3, Ing4, Qty4, Ing5, Qty5, Ing6, Qty6, Ing7, Qty7, Ing8, Qty8, Ing9, Qty9, "
        "Ing10, Qty10) VALUES (?1, 'Cocktail', 'Gin', 'Aperitifs', '', ?2, 'London Dry Gin', '2 oz', "
        "'Fresh Lime Juice', '3/4 oz', 'Simple Syrup', '1/2 oz', 'Lime', '1 wheel', '', '', '', '', "
        "'', '', '', '', '', '', '', '')",
        -1, &st, nullptr);
    for (int i = 0; i < kDrinks; ++i) {
        const QByteArray name = QStringLiteral("Gimlet No. %1").arg(i).toUtf8();
        const QByteArray directions =
            i % 3 ? QByteArray("Shake the gin, lime juice and syrup hard with ice. Strain into a chilled cocktail "
                               "glass and float a lime wheel on top.")
                  : QByteArray("Stir, don't shake: the \"house\" way, over one large cube.");
        sqlite3_bind_text(st, 1, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, directions.constData(), int(directions.size()), SQLITE_TRANSIENT);
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void BaselineSqliteCsv(benchmark::State &state)
{
    const QByteArray command = "sqlite3 -csv -header '" + path("big.mdb").toUtf8() + "' 'SELECT * FROM drinklst' > '" +
                               path("baseline.csv").toUtf8() + "'";
    for (auto _ : state)
        if (std::system(command.constData()) != 0)
            state.SkipWithError("sqlite3 failed");
}

void Export(benchmark::State &state, pv::interchange::Format format)
{
    pv::interchange::ExportOptions options;
    options.format = format;
    const QString out = path("export.") + pv::interchange::formatName(format);
    for (auto _ : state) {
        const auto r = pv::interchange::exportDrinks(path("big.mdb"), out, options);
        if (!r.ok || r.drinks != kDrinks)
            state.SkipWithError("export failed");
    }
}

void Import(benchmark::State &state, pv::interchange::Format format)
{
    const QString in = path("export.") + pv::interchange::formatName(format);
    pv::interchange::ExportOptions options;
    options.format = format;
    pv::interchange::exportDrinks(path("big.mdb"), in, options);
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(path("fresh.mdb"));
        pv::interchange::createEmptyCatalogue(path("fresh.mdb"));
        state.ResumeTiming();
        pv::interchange::ImportPlan plan =
            pv::interchange::planImport(path("fresh.mdb"), pv::interchange::readDrinkFile(in));
        const auto r = pv::interchange::applyImport(path("fresh.mdb"), plan);
        if (!r.ok || r.added != kDrinks)
            state.SkipWithError("import failed");
    }
}

class TimesReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            times[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

} // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    g_dir = &dir;
    writeCatalogue(path("big.mdb"));
    using pv::interchange::Format;
    const std::pair<const char *, Format> formats[] = {
        {"Json", Format::Json}, {"Csv", Format::Csv}, {"JsonLd", Format::JsonLd}};
    std::vector<benchmark::internal::Benchmark *> all = {
        benchmark::RegisterBenchmark("BaselineSqliteCsv", BaselineSqliteCsv)};
    for (const auto &[name, format] : formats)
        all.push_back(benchmark::RegisterBenchmark((std::string("Export") + name).c_str(), Export, format));
    for (const auto &[name, format] : formats)
        if (format != Format::JsonLd)
            all.push_back(benchmark::RegisterBenchmark((std::string("Import") + name).c_str(), Import, format));
    for (auto *b : all)
        b->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    TimesReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double base = reporter.times["BaselineSqliteCsv"];
    std::printf("\n100,000 drinks, wall-clock, against `sqlite3 -csv` dumping drinklst (%.0f ms):\n", base);
    for (const auto &[name, format] : formats) {
        const double e = reporter.times[std::string("Export") + name];
        std::printf("  export %-6s %7.0f ms  %.2fx the dump\n", name, e, base > 0 ? e / base : 0.0);
    }
    for (const char *name : {"Json", "Csv"})
        std::printf("  import %-6s %7.0f ms\n", name, reporter.times[std::string("Import") + name]);
    benchmark::Shutdown();
    return 0;
}

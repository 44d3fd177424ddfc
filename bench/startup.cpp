// Start-up time: process start to the first recipe bound in the main window,
// against a bare Qt Widgets window started in the same run.
#include "BigCatalogue.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

std::string g_probe = PV_BENCH_DIR "/startup_probe";
std::string g_bare = PV_BENCH_DIR "/bare_probe";
std::string g_bundledDir;
std::string g_bigDir;

void runProbe(benchmark::State &state, const std::string &program, const std::vector<std::string> &args)
{
    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    for (auto _ : state) {
        pid_t pid = 0;
        if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) {
            state.SkipWithError("cannot start the probe");
            return;
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("the probe failed");
            return;
        }
    }
}

void BareWindow(benchmark::State &state) { runProbe(state, g_bare, {}); }
void BareWindowWithText(benchmark::State &state) { runProbe(state, g_bare, {"text"}); }
void MainWindowBundled(benchmark::State &state) { runProbe(state, g_probe, {"main", g_bundledDir}); }
void MainWindowMillion(benchmark::State &state) { runProbe(state, g_probe, {"main", g_bigDir}); }

class RatioReporter : public benchmark::ConsoleReporter {
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir bundled, big;
    pv::CatalogueSeed seed;
    seed.loadDirectory(QStringLiteral(PV_SOURCE_DIR "/content/catalogue"));
    seed.write(bundled.path() + QStringLiteral("/pv.mdb"));
    writeBigCatalogue(big.path() + QStringLiteral("/pv.mdb"), 1000000);
    g_bundledDir = bundled.path().toStdString();
    g_bigDir = big.path().toStdString();

    benchmark::RegisterBenchmark("BareWindow", BareWindow)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
    benchmark::RegisterBenchmark("BareWindowWithText", BareWindowWithText)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
    benchmark::RegisterBenchmark("MainWindowBundled", MainWindowBundled)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
    benchmark::RegisterBenchmark("MainWindowMillion", MainWindowMillion)->Unit(benchmark::kMillisecond)->MinTime(2)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double bare = reporter.times["BareWindow"];
    const double withText = reporter.times["BareWindowWithText"];
    const double bundledT = reporter.times["MainWindowBundled"];
    const double million = reporter.times["MainWindowMillion"];
    if (bare > 0 && withText > 0 && bundledT > 0)
        std::printf("\nBundled catalogue: %.2fx the bare window (%.2fx the bare window with text); "
                    "1,000,000 drinks: %.2fx the bundled start\n",
                    bundledT / bare, bundledT / withText, million / bundledT);
    benchmark::Shutdown();
    return 0;
}

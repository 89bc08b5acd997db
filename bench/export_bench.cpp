// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the exports at other rates: the design and evaluation at 192 kHz with the window's
// initial counts scaled (901/701/301 → 3923/3053/1311), the FRD responses there, every file kind
// at the six rates 44.1 ... 192 kHz in this process, and the same as one whole run of
// kaiser-crossover-cli, start-up included, the engines' configurations among them (the budgets:
// 40 ms and 200 ms).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "dsp/calculation.h"
#include "dsp/complex_response.h"
#include "export/export_set.h"
#include "export/frd_export.h"

namespace {

namespace fs = std::filesystem;
using kc::dsp::CrossoverParameters;

const std::vector<int32_t> kSixRates = {44100, 48000, 88200, 96000, 176400, 192000};

CrossoverParameters At192k() {
    return kc::dsp::AtSampleRate(CrossoverParameters{}, 192000);
}

void BM_DesignAndEvaluateAt192k(benchmark::State& state) {
    const CrossoverParameters p = At192k();
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::CalculateCrossover(p));
    }
}

void BM_FrdResponsesAt192k(benchmark::State& state) {
    const kc::dsp::CrossoverTaps taps = kc::dsp::DesignCrossover(At192k());
    const std::vector<double> frequencies = kc::exporting::FrdFrequencies(192000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::DelayFreeResponses(taps, frequencies));
    }
}

// A fresh folder for one benchmark's files, removed afterwards.
struct Folder {
    fs::path path = fs::temp_directory_path() / ("kc-export-bench-" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
    std::string Name(const char* name) const { return (path / name).string(); }
};

kc::exporting::ExportRequest AllFormats(const Folder& folder) {
    kc::exporting::ExportRequest request;
    request.Kind("tapsCsv").name = folder.Name("xo-{rate}.csv");
    request.Kind("responseCsv").name = folder.Name("xo-{rate}-response.csv");
    for (const char* prefixed : {"wav", "raw", "text", "frd"}) {
        request.Kind(prefixed).name = folder.Name("xo-{rate}");
    }
    request.Kind("camillaDsp").name = folder.Name("xo-{rate}.yml");
    request.Kind("bruteFir").name = folder.Name("xo-{rate}.conf");
    request.Kind("pipeWire").name = folder.Name("xo-pipewire.conf");
    request.Kind("equalizerApo").name = folder.Name("xo-apo.txt");
    return request;
}

void BM_AllFormatsAtSixRatesInProcess(benchmark::State& state) {
    const Folder folder;
    for (auto _ : state) {
        const kc::exporting::ExportPlan plan =
            kc::exporting::PlanExport(CrossoverParameters{}, kSixRates, AllFormats(folder));
        kc::exporting::WriteExportSet(plan);
    }
}

// Runs the command line program with `arguments` (its output to /dev/null) once an iteration.
void RunCliEachIteration(benchmark::State& state, const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 1);
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = 0;
        int status = 0;
        if (posix_spawn(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
            waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("kaiser-crossover-cli failed");
            break;
        }
    }
    posix_spawn_file_actions_destroy(&actions);
}

void BM_AllFormatsAtSixRatesAsOneCliRun(benchmark::State& state) {
    const Folder folder;
    RunCliEachIteration(state, {KC_CLI_PATH,       "design",
                                "--sample-rate",   "44100,48000,88200,96000,176400,192000",
                                "--taps",          folder.Name("xo-{rate}.csv"),
                                "--response",      folder.Name("xo-{rate}-response.csv"),
                                "--wav",           folder.Name("xo-{rate}"),
                                "--raw",           folder.Name("xo-{rate}"),
                                "--text",          folder.Name("xo-{rate}"),
                                "--frd",           folder.Name("xo-{rate}"),
                                "--camilladsp",    folder.Name("xo-{rate}.yml"),
                                "--brutefir",      folder.Name("xo-{rate}.conf"),
                                "--pipewire",      folder.Name("xo-pipewire.conf"),
                                "--equalizer-apo", folder.Name("xo-apo.txt")});
}

// --align at the default design with the three example drivers, the aligned taps exported.
void BM_AlignAsOneCliRun(benchmark::State& state) {
    const Folder folder;
    const std::string examples = KC_DRIVER_EXAMPLES;
    RunCliEachIteration(state,
                        {KC_CLI_PATH, "design", "--align", "--driver-low", examples + "/woofer.frd",
                         "--driver-mid", examples + "/midrange.frd", "--driver-high",
                         examples + "/tweeter.frd", "--wav", folder.Name("xo")});
}

void Timed(benchmark::internal::Benchmark* b) {
    b->Repetitions(5)->ReportAggregatesOnly(true)->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

BENCHMARK(BM_DesignAndEvaluateAt192k)->Apply(Timed);
BENCHMARK(BM_FrdResponsesAt192k)->Apply(Timed);
BENCHMARK(BM_AllFormatsAtSixRatesInProcess)->Apply(Timed);
BENCHMARK(BM_AllFormatsAtSixRatesAsOneCliRun)->Apply(Timed);
BENCHMARK(BM_AlignAsOneCliRun)->Apply(Timed);

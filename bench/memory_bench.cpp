// SPDX-License-Identifier: GPL-3.0-or-later
// The peak memory of one calculation at 100001 taps a band against what its arrays need: the
// resident set's high-water mark is reset (Linux: "5" into /proc/self/clear_refs) and read back
// after the calculation, while its result is still alive. Large blocks are kept on their own
// mappings, so that memory freed by an earlier calculation is given back to the system and not
// counted in the resident set before this one.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <fstream>
#include <string>

#include "dsp/calculation.h"

namespace {

// A "Vm...:" line of /proc/self/status in bytes, or -1 when it cannot be read.
double StatusBytes(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string name;
    double kilobytes = 0.0;
    std::string unit;
    while (status >> name) {
        if (name == key + ":") {
            status >> kilobytes >> unit;
            return kilobytes * 1024.0;
        }
        status.ignore(1 << 12, '\n');
    }
    return -1.0;
}

bool ResetPeakResidentSet() {
    std::ofstream clearRefs("/proc/self/clear_refs");
    clearRefs << "5";
    clearRefs.flush();
    return static_cast<bool>(clearRefs);
}

// Counters: the arrays a calculation keeps (four tap arrays of CommonLength doubles and the
// eight curves of the store), the growth of the resident set's peak over the resident set just
// before the calculation, and their ratio.
void BM_CalculationPeakMemory(benchmark::State& state) {
    kc::dsp::CrossoverParameters p;
    p.lowCount = p.midCount = p.highCount = static_cast<int32_t>(state.range(0));
    // glibc's default, fixed: a freed large block would otherwise raise the threshold and stay
    // in the heap for reuse.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    benchmark::DoNotOptimize(kc::dsp::CalculateCrossover(p));  // the transform's plan, once
    double peakGrowth = 0.0;
    double arrays = 0.0;
    for (auto _ : state) {
        if (!ResetPeakResidentSet()) {
            state.SkipWithError("the peak resident set cannot be reset here");
            return;
        }
        const double before = StatusBytes("VmRSS");
        const auto result = kc::dsp::CalculateCrossover(p);
        peakGrowth = StatusBytes("VmHWM") - before;
        arrays = 4.0 * sizeof(double) * static_cast<double>(result.taps.CommonLength) +
                 static_cast<double>(sizeof(kc::dsp::ResponseStore));
    }
    state.counters["arrays_MiB"] = arrays / (1 << 20);
    state.counters["peak_MiB"] = peakGrowth / (1 << 20);
    state.counters["peak_per_arrays"] = peakGrowth / arrays;
}

}  // namespace

BENCHMARK(BM_CalculationPeakMemory)
    ->Arg(100001)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

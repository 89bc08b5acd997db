// Timings of the crossover calculation: design and evaluation at the window's initial tap counts
// and at longer filters.
#include <benchmark/benchmark.h>

#include "dsp/crossover.h"
#include "dsp/evaluation.h"

namespace {

kc::dsp::CrossoverParameters Parameters(int32_t low, int32_t mid, int32_t high) {
    kc::dsp::CrossoverParameters p;
    p.lowCount = low;
    p.midCount = mid;
    p.highCount = high;
    return p;
}

void BM_Design(benchmark::State& state) {
    const auto p =
        Parameters(static_cast<int32_t>(state.range(0)), static_cast<int32_t>(state.range(1)),
                   static_cast<int32_t>(state.range(2)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::DesignCrossover(p));
    }
}

void BM_EvaluateLiteral(benchmark::State& state) {
    const auto taps = kc::dsp::DesignCrossover(Parameters(static_cast<int32_t>(state.range(0)),
                                                          static_cast<int32_t>(state.range(1)),
                                                          static_cast<int32_t>(state.range(2))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::EvaluateResponsesLiteral(taps));
    }
}

}  // namespace

BENCHMARK(BM_Design)
    ->Args({901, 701, 301})
    ->Args({4001, 2001, 1001})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EvaluateLiteral)
    ->Args({901, 701, 301})
    ->Args({4001, 2001, 1001})
    ->Unit(benchmark::kMillisecond);

// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the crossover calculation: the design and the evaluation each by the literal method
// and by the fast one the program uses, and both together as the Calc button runs them, at the
// window's initial tap counts (901/701/301), at 4001/2001/1001, at 100001 and at 1000001 taps a
// band; the grid transforms alone, which is what the evaluation costs without its guard against
// false zeros; and the whole calculation at 3 × 1000001 taps at rates whose transform lengths
// have small factors (768000 Hz: 384000 = 2^10·3·5^3) and large ones (764100 Hz: 382050 =
// 2·3^3·5^2·283; 767951 Hz, a prime), which must cost about the same.
//
// The literal evaluation at 100001 taps a band takes minutes (950 × 4 × 100001 sine-cosine pairs)
// and is left out; the literal design there runs once per repetition.
#include <benchmark/benchmark.h>

#include "dsp/calculation.h"
#include "dsp/crossover.h"
#include "dsp/evaluation.h"
#include "dsp/grid_transform.h"

namespace {

using kc::dsp::CrossoverParameters;

CrossoverParameters Parameters(const benchmark::State& state) {
    CrossoverParameters p;
    p.lowCount = static_cast<int32_t>(state.range(0));
    p.midCount = static_cast<int32_t>(state.range(1));
    p.highCount = static_cast<int32_t>(state.range(2));
    return p;
}

void BM_DesignLiteral(benchmark::State& state) {
    const CrossoverParameters p = Parameters(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::DesignCrossoverLiteral(p));
    }
}

void BM_Design(benchmark::State& state) {
    const CrossoverParameters p = Parameters(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::DesignCrossover(p));
    }
}

void BM_EvaluateLiteral(benchmark::State& state) {
    const auto taps = kc::dsp::DesignCrossover(Parameters(state));
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::EvaluateResponsesLiteral(taps));
    }
}

void BM_Evaluate(benchmark::State& state) {
    const auto taps = kc::dsp::DesignCrossover(Parameters(state));
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::EvaluateResponses(taps));
    }
}

// The four arrays' transforms and nothing else: the evaluation less its guard and its levels.
void BM_TransformsAlone(benchmark::State& state) {
    const auto taps = kc::dsp::DesignCrossover(Parameters(state));
    kc::dsp::GridTransform transform;
    kc::dsp::ResponseStore store;
    for (auto _ : state) {
        transform.Magnitudes(taps.LowTaps, taps.MidTaps, store.LowMag, store.MidMag);
        transform.Magnitudes(taps.HighTaps, taps.SumTaps, store.HighMag, store.SumMag);
        benchmark::DoNotOptimize(store);
    }
}

// The whole calculation at the rate of range(0) with range(1) taps in every band.
void BM_CalculationAtRate(benchmark::State& state) {
    CrossoverParameters p;
    p.sampleRateHz = static_cast<int32_t>(state.range(0));
    p.lowCount = p.midCount = p.highCount = static_cast<int32_t>(state.range(1));
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::CalculateCrossover(p));
    }
}

// What the Calc button computes by the literal methods: design, evaluation and the CMax line.
void BM_CalculationLiteral(benchmark::State& state) {
    const CrossoverParameters p = Parameters(state);
    for (auto _ : state) {
        const auto taps = kc::dsp::DesignCrossoverLiteral(p);
        const auto evaluation = kc::dsp::EvaluateResponsesLiteral(taps);
        benchmark::DoNotOptimize(kc::dsp::CMaxLine(evaluation.CMax));
    }
}

// The same as the program runs it.
void BM_Calculation(benchmark::State& state) {
    const CrossoverParameters p = Parameters(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::dsp::CalculateCrossover(p));
    }
}

// Medians of five repetitions for the fast paths; three single runs for the slow literal ones.
void Fast(benchmark::internal::Benchmark* b) {
    b->Args({901, 701, 301})
        ->Args({4001, 2001, 1001})
        ->Args({100001, 100001, 100001})
        ->Args({1000001, 1000001, 1000001})
        ->Repetitions(5)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

void Slow(benchmark::internal::Benchmark* b) {
    b->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

}  // namespace

BENCHMARK(BM_Design)->Apply(Fast);
BENCHMARK(BM_Evaluate)->Apply(Fast);
BENCHMARK(BM_Calculation)->Apply(Fast);
BENCHMARK(BM_TransformsAlone)->Apply(Fast);
BENCHMARK(BM_CalculationAtRate)
    ->Args({768000, 1000001})
    ->Args({764100, 1000001})
    ->Args({767951, 1000001})
    ->Apply(Slow);
BENCHMARK(BM_DesignLiteral)
    ->Args({901, 701, 301})
    ->Args({4001, 2001, 1001})
    ->Args({100001, 100001, 100001})
    ->Apply(Slow);
BENCHMARK(BM_EvaluateLiteral)->Args({901, 701, 301})->Args({4001, 2001, 1001})->Apply(Slow);
BENCHMARK(BM_CalculationLiteral)->Args({901, 701, 301})->Apply(Slow);

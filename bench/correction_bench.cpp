// SPDX-License-Identifier: GPL-3.0-or-later
// The driver correction of a design at 48 kHz with the example drivers (docs/examples/drivers),
// every band corrected at its own count (4001, 2001 or 1001 taps a band): the correction alone
// from a completed crossover, and the crossover's design with its correction.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "acoustic/correction.h"
#include "acoustic/impulse_reader.h"
#include "dsp/calculation.h"

namespace {

kc::acoustic::Correction ExampleCorrection() {
    kc::acoustic::Drivers drivers;
    const char* names[] = {"woofer.frd", "midrange.frd", "tweeter.frd"};
    for (std::size_t b = 0; b < kc::dsp::kBandCount; ++b) {
        drivers[b] = kc::acoustic::ReadDriverFile(std::string(KC_DRIVER_EXAMPLES) + "/" + names[b],
                                                  names[b]);
    }
    kc::acoustic::Correction correction{{}, std::make_shared<const kc::acoustic::Drivers>(drivers)};
    correction.settings.bands.fill(true);
    return correction;
}

kc::dsp::CrossoverParameters Parameters(int32_t taps) {
    kc::dsp::CrossoverParameters p;
    p.lowCount = p.midCount = p.highCount = taps;
    p.adjustCoefficient = true;
    p.sampleRateHz = 48000;
    return p;
}

void BM_Correction(benchmark::State& state) {
    const kc::acoustic::Correction correction = ExampleCorrection();
    const kc::dsp::CalculationResult design =
        kc::dsp::CalculateCrossover(Parameters(static_cast<int32_t>(state.range(0))));
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::acoustic::CorrectDesign(design, correction));
    }
}

void BM_CorrectedDesign(benchmark::State& state) {
    const kc::acoustic::Correction correction = ExampleCorrection();
    const kc::dsp::CrossoverParameters p = Parameters(static_cast<int32_t>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kc::acoustic::CorrectDesign(kc::dsp::CalculateCrossover(p), correction));
    }
}

}  // namespace

BENCHMARK(BM_Correction)->Arg(4001)->Arg(2001)->Arg(1001)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CorrectedDesign)->Arg(4001)->Arg(2001)->Arg(1001)->Unit(benchmark::kMillisecond);

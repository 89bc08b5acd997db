// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the time-response window following a completed calculation: the time series, the
// pre-ringing figures and the decimated picture at the window's size, and the acoustic view's
// crossover responses, for the initial design and for 100 001 taps a band.
#include <benchmark/benchmark.h>

#include <memory>

#include "app/design_session.h"
#include "app/time_response_window.h"
#include "dsp/calculation.h"

namespace {

std::shared_ptr<const kc::dsp::CalculationResult> DesignWithCounts(int32_t count) {
    kc::dsp::CrossoverParameters parameters;  // the initial texts
    if (count > 0) {
        parameters.lowCount = parameters.midCount = parameters.highCount = count;
    }
    return std::make_shared<const kc::dsp::CalculationResult>(
        kc::dsp::CalculateCrossover(parameters));
}

// Argument: taps a band, 0 for the initial texts (901, 701, 301).
void BM_TimeWindowFollow(benchmark::State& state) {
    const auto result = DesignWithCounts(static_cast<int32_t>(state.range(0)));
    kc::app::DesignSession session;
    kc::app::TimeResponseWindow window(
        nullptr, session,
        [](QWidget*, const QString&, const QStringList&) { return kc::app::ChosenFile{}; },
        [](QWidget*, const QString&, const QStringList&) { return false; },
        [](const std::function<void()>& handler) { handler(); });
    window.show();  // the plot gets its size from the window's layout
    for (auto _ : state) {
        session.SetResult(result);
        benchmark::DoNotOptimize(window.Picture().constBits());
    }
    state.counters["width"] = window.Picture().width();
    state.counters["height"] = window.Picture().height();
}

}  // namespace

BENCHMARK(BM_TimeWindowFollow)
    ->ArgName("taps")
    ->Arg(0)
    ->Arg(100001)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

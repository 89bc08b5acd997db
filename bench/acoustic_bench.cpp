// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the acoustic view with three 1000-point driver files (docs/examples/drivers) and
// 4001 taps a band: an update after a change of gain, delay or polarity (the responses from what
// the model keeps and the picture at the window's size), the same without the picture, and what a
// completed calculation costs the view (the three crossover responses at the frequencies), the
// automatic alignment; and the reading of a 1000-point magnitude-only file, its minimum phase
// derived.
#include <benchmark/benchmark.h>

#include <QDoubleSpinBox>
#include <QTabWidget>
#include <cmath>
#include <string>
#include <utility>

#include "acoustic/auto_align.h"
#include "acoustic/frd_reader.h"
#include "app/design_session.h"
#include "app/time_response_window.h"
#include "dsp/crossover.h"
#include "graph/acoustic_plot.h"

namespace {

using kc::acoustic::Band;

kc::dsp::CrossoverTaps Design4001() {
    kc::dsp::CrossoverParameters parameters;  // the initial cut-offs
    parameters.lowCount = parameters.midCount = parameters.highCount = 4001;
    return kc::dsp::DesignCrossover(parameters);
}

QString Example(const char* name) {
    return QStringLiteral(KC_DRIVER_EXAMPLES) + '/' + QString::fromLatin1(name);
}

// The window as a user has it: the acoustic tab shown, three drivers, a 4001-tap design.
struct Window {
    kc::app::DesignSession session;
    kc::app::TimeResponseWindow window{
        nullptr, session,
        [](QWidget*, const QString&, const QStringList&) { return kc::app::ChosenFile{}; },
        [](QWidget*, const QString&, const QStringList&) { return false; },
        [](const std::function<void()>& handler) { handler(); }};

    Window() {
        window.findChild<QTabWidget*>("Views")->setCurrentWidget(&window.Acoustic());
        window.show();
        kc::dsp::CalculationResult result;
        result.taps = Design4001();
        session.SetResult(std::move(result));
        window.Acoustic().LoadDriver(Band::Low, Example("woofer.frd"));
        window.Acoustic().LoadDriver(Band::Mid, Example("midrange.frd"));
        window.Acoustic().LoadDriver(Band::High, Example("tweeter.frd"));
    }
};

// One change of the mid band's gain through its box, as a slider step makes it.
void BM_AcousticUpdate(benchmark::State& state) {
    Window w;
    auto* gain = w.window.Acoustic().findChild<QDoubleSpinBox*>("GainMid");
    double db = 0.0;
    for (auto _ : state) {
        db = db == 0.0 ? -0.1 : 0.0;
        gain->setValue(db);
        benchmark::DoNotOptimize(w.window.Acoustic().Picture().constBits());
    }
    state.counters["points"] = static_cast<double>(w.window.Acoustic().Response().sum.size());
    state.counters["width"] = w.window.Acoustic().Picture().width();
    state.counters["height"] = w.window.Acoustic().Picture().height();
}

// The numbers of one update alone: the responses and the plot's levels and phase.
void BM_AcousticEvaluate(benchmark::State& state) {
    Window w;
    const kc::acoustic::AcousticModel& model = w.window.Acoustic().Model();
    kc::acoustic::Settings settings;
    kc::acoustic::AcousticResponse response;
    for (auto _ : state) {
        settings[1].gainDb = settings[1].gainDb == 0.0 ? -0.1 : 0.0;
        model.Evaluate(settings, response);
        benchmark::DoNotOptimize(kc::graph::AcousticPlotInputsOf(model, response));
    }
}

// What each completed calculation adds: the crossover responses at the frequencies.
void BM_AcousticFollowDesign(benchmark::State& state) {
    const kc::dsp::CrossoverTaps taps = Design4001();
    kc::acoustic::AcousticModel model;
    model.SetDriver(Band::Low,
                    kc::acoustic::ReadFrdFile(Example("woofer.frd").toStdString(), "woofer.frd"));
    for (auto _ : state) {
        model.SetDesign(taps);
    }
}

// The Align button's work at the window's 4001-tap design: the inputs from the model and the
// search.
void BM_Align(benchmark::State& state) {
    Window w;
    const kc::acoustic::AcousticModel& model = w.window.Acoustic().Model();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            kc::acoustic::Align(kc::acoustic::AlignInputsOf(model, {}), kc::acoustic::Settings{}));
    }
}

// A data sheet's 1000 points of frequency and magnitude, 10 Hz ... 20 kHz, read and given their
// minimum phase.
void BM_MinimumPhase1000(benchmark::State& state) {
    std::string text = "Frequency SPL\n";
    for (int i = 0; i < 1000; ++i) {
        const double f = 10.0 * std::pow(2000.0, i / 999.0);
        const double ratio = f / 60.0;
        text +=
            std::to_string(f) + ' ' +
            std::to_string(88.0 - 10.0 * std::log10(1.0 + 1.0 / (ratio * ratio * ratio * ratio))) +
            '\n';
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(kc::acoustic::ParseFrd(text, "sheet.txt"));
    }
}

}  // namespace

BENCHMARK(BM_MinimumPhase1000)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AcousticUpdate)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AcousticEvaluate)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_Align)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_AcousticFollowDesign)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

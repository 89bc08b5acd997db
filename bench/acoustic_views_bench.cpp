// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of the second window's views with three 1000-point driver files (docs/examples/drivers)
// and 4001 taps a band: switching the acoustic plot's right axis through its box (the picture at
// the window's size), and the speaker's predicted impulse after a change of gain, through the box
// on its tab as a user has it, and the numbers alone.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QTabWidget>
#include <utility>

#include "acoustic/impulse_reader.h"
#include "acoustic/speaker_time.h"
#include "app/design_session.h"
#include "app/speaker_time_view.h"
#include "app/time_response_window.h"
#include "dsp/crossover.h"

namespace {

using kc::acoustic::Band;

QString Example(const char* name) {
    return QStringLiteral(KC_DRIVER_EXAMPLES) + '/' + QString::fromLatin1(name);
}

kc::dsp::CrossoverTaps Design4001() {
    kc::dsp::CrossoverParameters parameters;  // the initial cut-offs
    parameters.lowCount = parameters.midCount = parameters.highCount = 4001;
    return kc::dsp::DesignCrossover(parameters);
}

// The window with three drivers and a 4001-tap design, `page` shown.
struct Window {
    kc::app::DesignSession session;
    kc::app::TimeResponseWindow window{
        nullptr, session,
        [](QWidget*, const QString&, const QStringList&) { return kc::app::ChosenFile{}; },
        [](QWidget*, const QString&, const QStringList&) { return false; },
        [](const std::function<void()>& handler) { handler(); }};

    explicit Window(bool speaker) {
        window.findChild<QTabWidget*>("Views")->setCurrentWidget(
            speaker ? static_cast<QWidget*>(&window.Speaker())
                    : static_cast<QWidget*>(&window.Acoustic()));
        window.show();
        kc::dsp::CalculationResult result;
        result.taps = Design4001();
        session.SetResult(std::move(result));
        window.Acoustic().LoadDriver(Band::Low, Example("woofer.frd"));
        window.Acoustic().LoadDriver(Band::Mid, Example("midrange.frd"));
        window.Acoustic().LoadDriver(Band::High, Example("tweeter.frd"));
    }
};

// From one right axis to the next: none, the sum's phase, the bands' phases, group delay.
void BM_RightAxisSwitch(benchmark::State& state) {
    Window w(false);
    auto* axis = w.window.Acoustic().findChild<QComboBox*>("RightAxis");
    int index = 0;
    for (auto _ : state) {
        index = (index + 1) % axis->count();
        axis->setCurrentIndex(index);
        benchmark::DoNotOptimize(w.window.Acoustic().Picture().constBits());
    }
}

// A change of the mid band's gain with the speaker's tab shown: its impulse, figures, picture.
void BM_SpeakerImpulseAfterGain(benchmark::State& state) {
    Window w(true);
    auto* gain = w.window.Acoustic().findChild<QDoubleSpinBox*>("GainMid");
    double db = 0.0;
    for (auto _ : state) {
        db = db == 0.0 ? -0.1 : 0.0;
        gain->setValue(db);
        benchmark::DoNotOptimize(w.window.Speaker().Picture().constBits());
    }
    state.counters["samples"] = w.window.Speaker().Response().Length();
}

// The numbers alone: the four inverse transforms and the steps.
void BM_SpeakerEvaluate(benchmark::State& state) {
    kc::acoustic::SpeakerTimeModel model;
    kc::acoustic::Drivers drivers;
    drivers[0] = kc::acoustic::ReadDriverFile(Example("woofer.frd").toStdString(), "woofer.frd");
    model.Set(Design4001(), drivers);
    kc::acoustic::Settings settings{};
    for (auto _ : state) {
        settings[1].gainDb = settings[1].gainDb == 0.0 ? -0.1 : 0.0;
        benchmark::DoNotOptimize(model.Evaluate(settings));
    }
}

}  // namespace

BENCHMARK(BM_RightAxisSwitch)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SpeakerImpulseAfterGain)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_SpeakerEvaluate)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of a full redraw of the graph into Qt images, as the window does it: a fresh 593 x 337
// picture and a fresh label layer the size of the window's client area, painted with Qt's
// painter, from the store of the initial design.
#include <benchmark/benchmark.h>

#include <QString>

#include "app/look/window_look.h"
#include "dsp/calculation.h"
#include "graph/draw_graph.h"
#include "graph/qt/retained_graph.h"

namespace {

// Argument 0: logarithmic frequency axis (CheckBox1); argument 1: levels in dB (CheckBox2).
void BM_RedrawQImage(benchmark::State& state) {
    const auto result = kc::dsp::CalculateCrossover(kc::dsp::CrossoverParameters{});
    kc::graph::GraphInputs inputs;
    inputs.logFrequency = state.range(0) != 0;
    inputs.levelsInDb = state.range(1) != 0;
    kc::graph::RetainedGraph host(QSize(674, 599));  // the main window's client area
    host.SetLabelFont(kc::app::WindowFont(kc::app::kWindowFontPixels));
    for (auto _ : state) {
        kc::graph::DrawGraph(inputs, *result.evaluation.store, host);
        benchmark::DoNotOptimize(host.Picture().constBits());
    }
}

}  // namespace

BENCHMARK(BM_RedrawQImage)
    ->ArgNames({"log", "dB"})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

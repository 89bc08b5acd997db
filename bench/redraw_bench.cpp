// SPDX-License-Identifier: GPL-3.0-or-later
// Timings of a full redraw of the graph from the store of the initial design, on a canvas that
// draws nothing: the cost of the redraw itself (frame, grid, markers, labels and the four
// traced curves) without any pixels.
#include <benchmark/benchmark.h>

#include "dsp/calculation.h"
#include "graph/draw_graph.h"

namespace {

using kc::graph::Canvas;
using kc::graph::Color;
using kc::graph::PenStyle;

class NullCanvas final : public Canvas {
  public:
    void SetPenColor(Color /*color*/) override {}
    void SetPenStyle(PenStyle /*style*/) override {}
    void SetBrushColor(Color /*color*/) override {}
    void MoveTo(int32_t /*x*/, int32_t /*y*/) override {}
    void LineTo(int32_t x, int32_t y) override { benchmark::DoNotOptimize(x + y); }
    void Rectangle(int32_t /*x1*/, int32_t /*y1*/, int32_t /*x2*/, int32_t /*y2*/) override {}
    void TextOut(int32_t /*x*/, int32_t /*y*/, std::string_view text) override {
        benchmark::DoNotOptimize(text.data());
    }
};

class NullHost final : public kc::graph::GraphHost {
  public:
    Canvas& BeginImage(int32_t /*width*/, int32_t /*height*/) override { return canvas_; }
    Canvas& BeginLabels() override { return canvas_; }
    void ShowRedraw() override {}
    void DiscardRedraw() override {}
    void SetBusyCursor() override {}
    void SetDefaultCursor() override {}
    void ProcessMessages() override {}

  private:
    NullCanvas canvas_;
};

// Argument 0: logarithmic frequency axis (CheckBox1); argument 1: levels in dB (CheckBox2).
void BM_RedrawNullCanvas(benchmark::State& state) {
    const auto result = kc::dsp::CalculateCrossover(kc::dsp::CrossoverParameters{});
    kc::graph::GraphInputs inputs;
    inputs.logFrequency = state.range(0) != 0;
    inputs.levelsInDb = state.range(1) != 0;
    NullHost host;
    for (auto _ : state) {
        kc::graph::DrawGraph(inputs, *result.evaluation.store, host);
    }
}

}  // namespace

BENCHMARK(BM_RedrawNullCanvas)
    ->ArgNames({"log", "dB"})
    ->Args({1, 1})
    ->Args({0, 0})
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/draw_graph.h"

#include <array>
#include <string_view>

#include "base/text_convert.h"
#include "graph/layout.h"
#include "graph/plot_curve.h"

namespace kc::graph {
namespace {

// The curves of one amplitude mode, in drawing order; the last one is the sum.
struct CurveSet {
    std::array<const dsp::Curve*, 3> bands;
    const dsp::Curve* sum;
};

// White inside a 1-pixel black frame on the four edges.
void ClearImage(Canvas& image, const GraphGeometry& geometry) {
    image.SetBrushColor(clWhite);
    image.SetPenColor(clBlack);
    image.SetPenStyle(PenStyle::psSolid);
    image.Rectangle(0, 0, geometry.W, geometry.H);
}

void DrawGrid(Canvas& image, const GraphGeometry& geometry, bool logFrequency) {
    image.SetPenStyle(PenStyle::psDot);
    for (const int32_t y : HorizontalGridRows(geometry.H)) {
        image.MoveTo(0, y);
        image.LineTo(geometry.W, y);
    }
    const auto drawColumn = [&](int32_t x) {
        image.MoveTo(x, 0);
        image.LineTo(x, geometry.H);
    };
    if (logFrequency) {
        for (const int32_t x : LogGridColumns(geometry.W)) {
            drawColumn(x);
        }
    } else {
        for (const int32_t x : LinearGridColumns(geometry.W)) {
            drawColumn(x);
        }
    }
}

// The marker text is read as it stands now, even if it changed after the last calculation.
void DrawMarker(Canvas& image, const GraphInputs& inputs, std::string_view frequencyText) {
    const long double frequencyHz = base::StrToFloat(frequencyText);
    const auto x = MarkerX(frequencyHz, inputs.logFrequency, inputs.geometry.W);
    if (x) {
        image.MoveTo(*x, 0);
        image.LineTo(*x, inputs.geometry.H);
    }
}

void DrawMarkers(Canvas& image, const GraphInputs& inputs) {
    image.SetPenColor(clRed);
    image.SetPenStyle(PenStyle::psSolid);
    DrawMarker(image, inputs, inputs.lowerEdgeText);
    image.SetPenColor(clBlue);
    DrawMarker(image, inputs, inputs.upperEdgeText);
}

// The label surface's font and brush belong to the window: only the texts are drawn here.
void DrawLabels(Canvas& labels, const GraphInputs& inputs) {
    for (const GraphLabel& label : FrequencyLabels(inputs.geometry, inputs.logFrequency)) {
        labels.TextOut(label.x, label.y, label.text);
    }
    for (const GraphLabel& label : AmplitudeLabels(inputs.geometry, inputs.levelsInDb)) {
        labels.TextOut(label.x, label.y, label.text);
    }
}

CurveSet ChooseCurves(const dsp::ResponseStore& store, bool levelsInDb) {
    if (levelsInDb) {
        return {{&store.LowDb, &store.MidDb, &store.HighDb}, &store.SumDb};
    }
    return {{&store.LowMag, &store.MidMag, &store.HighMag}, &store.SumMag};
}

void DrawCurves(Canvas& image, const GraphInputs& inputs, const dsp::ResponseStore& store) {
    const auto plot = inputs.logFrequency ? &PlotCurveLog : &PlotCurveLinear;
    const int32_t W = inputs.geometry.W;
    const int32_t H = inputs.geometry.H;
    const CurveSet curves = ChooseCurves(store, inputs.levelsInDb);
    for (const dsp::Curve* band : curves.bands) {
        plot(image, W, H, *band, dsp::kGridPoints, 0);
    }
    plot(image, W, H, *curves.sum, dsp::kGridPoints, 1);
}

}  // namespace

void DrawGraph(const GraphInputs& inputs, const dsp::ResponseStore& store, GraphHost& host) {
    host.SetBusyCursor();
    try {
        Canvas& image = host.BeginImage(inputs.geometry.W, inputs.geometry.H);
        Canvas& labels = host.BeginLabels();
        ClearImage(image, inputs.geometry);
        DrawGrid(image, inputs.geometry, inputs.logFrequency);
        DrawMarkers(image, inputs);
        DrawLabels(labels, inputs);
        DrawCurves(image, inputs, store);
    } catch (...) {
        // Nothing of a failed redraw is shown: the previous picture and labels stay on screen and
        // the busy cursor stays until a later redraw completes.
        host.DiscardRedraw();
        throw;
    }
    host.ShowRedraw();
    host.ProcessMessages();
    host.SetDefaultCursor();
}

}  // namespace kc::graph

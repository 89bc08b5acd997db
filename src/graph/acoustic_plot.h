// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of the acoustic view: the level in dB of each band and of the sum over a
// logarithmic frequency axis and, on request, the phases or the group delay against a second axis
// on the right and each driver alone, drawn on the abstract Canvas; and the readout of one
// frequency.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "acoustic/view_choices.h"
#include "dsp/bands.h"
#include "graph/canvas.h"
#include "graph/time_plot.h"

namespace kc::graph {

// A part of the plot: frequencies from firstHz to lastHz, levels from bottomDb to topDb.
struct AcousticRange {
    double firstHz = 1.0;
    double lastHz = 2.0;
    double bottomDb = -60.0;
    double topDb = 0.0;
    friend bool operator==(const AcousticRange&, const AcousticRange&) = default;
};

// What the picture shows.
struct AcousticPlotInputs {
    std::vector<double> frequenciesHz;                                // rising
    std::array<std::vector<double>, dsp::kCurveCount> levelsDb;       // low, mid, high, sum
    std::vector<double> sumPhaseDeg;                                  // in (−180, 180]
    std::array<std::vector<double>, dsp::kBandCount> bandPhasesDeg;   // in (−180, 180]
    std::array<std::vector<double>, dsp::kCurveCount> groupDelaysMs;  // latency taken out
    std::array<std::vector<double>, dsp::kBandCount> rawLevelsDb;     // each driver alone
    // Per band and frequency whether it lies beyond the ends of the band's file (drawn dashed).
    std::array<std::vector<char>, dsp::kBandCount> continued;
    acoustic::ViewChoices choices;  // the right axis, the drivers alone, the level range
    // The part shown: frequencies and levels; nothing for the whole (AxisOf, LevelAxisOf).
    std::optional<AcousticRange> zoom;
    // The correction's target at each frequency, dB, drawn dashed in black; empty for none.
    std::vector<double> targetDb;
    // Each corrected band's correction in dB, drawn dashed in its colour about the target line;
    // empty for a band without.
    std::array<std::vector<double>, dsp::kBandCount> correctionDb;
    std::array<std::string, dsp::kCurveCount> legend;  // "low (woofer.frd)", ...
    std::string note;     // when not empty, shown instead of the curves
    int32_t width = 800;  // the picture, pixels
    int32_t height = 480;
};

// The inputs for a model's responses: the levels and the sum's phase of `response`, the legend
// naming each band's driver file, and the note when there is nothing to draw (no design yet, or
// no frequency the files share). The size and the phase's showing are left as they are.
// `settings` are those `response` was evaluated with (they steady its group delays).
AcousticPlotInputs AcousticPlotInputsOf(const acoustic::AcousticModel& model,
                                        const acoustic::AcousticResponse& response,
                                        const acoustic::Settings& settings = {});

// The plot area of a picture imageWidth x imageHeight whose labels are textHeight pixels high:
// room for the level labels on the left, the phase labels on the right, the title above, the
// frequency labels and the legend below. Never smaller than 1 x 1.
PlotFrame AcousticPlotFrame(int32_t imageWidth, int32_t imageHeight, int32_t textHeight);

// The ends of the frequency axis: the first and the last frequency, or a 48th of an octave on
// either side of a single one (1 kHz when there is none).
struct FrequencyAxis {
    double firstHz = 1.0;
    double lastHz = 2.0;
};
FrequencyAxis AxisOf(const std::vector<double>& frequenciesHz);

// Pixel column (unrounded) of a frequency on the logarithmic axis, and back: firstHz on the left
// edge of column 0, lastHz on the right edge of the last column.
double XOfFrequency(const PlotFrame& frame, const FrequencyAxis& axis, double hz);
double FrequencyOfX(const PlotFrame& frame, const FrequencyAxis& axis, double x);

// The level axis: at the top the highest level of the four curves with min(3 dB, a tenth of the
// range) to spare, rounded up to a multiple of 10 dB (of the tick step for a range below 30 dB);
// the choices' level range below it at the bottom (kAcousticSpanDb by default).
inline constexpr double kAcousticSpanDb = acoustic::kDefaultLevelRangeDb;
struct LevelAxis {
    double bottomDb = -60.0;
    double topDb = 0.0;
};
LevelAxis LevelAxisOf(const AcousticPlotInputs& inputs);

// The axes the picture shows: the zoom's, else the whole (AxisOf, LevelAxisOf).
FrequencyAxis ShownFrequencyAxis(const AcousticPlotInputs& inputs);
LevelAxis ShownLevelAxis(const AcousticPlotInputs& inputs);
AcousticRange ShownRange(const AcousticPlotInputs& inputs);

// The right axis of the group delay, ms: the smallest and largest group delay of the four curves
// at the frequencies shown where the curve's level lies on the level axis, 10 % to spare, at
// least 0.1 ms wide.
struct DelayAxis {
    double bottomMs = -0.05;
    double topMs = 0.05;
};
DelayAxis DelayAxisOf(const AcousticPlotInputs& inputs);

// 1, 2 and 5 times the powers of ten from axis.firstHz to axis.lastHz (both included), and a tick
// frequency as its label: "20", "500", "1k", "20k", "0.5".
std::vector<double> FrequencyTicks(const FrequencyAxis& axis);
std::string FrequencyTickText(double hz);

// Draws the whole picture: white background, title, dotted grid at the ticks, the curves (the
// bands in their colours, dashed where continued beyond their files, the sum blue), the drivers
// alone in paler colours when chosen, the right axis's curves (the sum's phase grey, each band's
// phase or group delay dotted in its colour), the frame, the labels and the legend.
// With a note, or without frequencies, only the frame and the note.
void DrawAcousticPlot(Canvas& canvas, const AcousticPlotInputs& inputs, const TextMetrics& metrics);

// The index of the frequency nearest to `hz` on the logarithmic axis; nothing without any.
std::optional<std::size_t> NearestFrequency(const std::vector<double>& frequenciesHz, double hz);

// The index of the frequency that the readout names for pixel column x of the picture: the
// nearest on the axis to x's frequency; nothing when x lies outside the frame's columns or there
// is nothing to read (a note instead of the curves, no frequency).
std::optional<std::size_t> FrequencyIndexAtPixel(const PlotFrame& frame,
                                                 const AcousticPlotInputs& inputs, double x);

// "f = 1000.0 Hz: low -6.02 dB, mid -6.03 dB, high -92.10 dB, sum 0.01 dB, phase 3.2°" for point
// `index`, with the window's decimal separator.
std::string AcousticReadoutText(const AcousticPlotInputs& inputs, std::size_t index);

}  // namespace kc::graph

// SPDX-License-Identifier: GPL-3.0-or-later
// The picture of a time view: the impulse or step responses of the four curves against time in
// ms, with grid, tick labels and a legend of the pre-ringing figures, drawn on the abstract Canvas.
// Long designs are drawn decimated: per pixel column the first, last, smallest and largest value
// of the taps that fall into it, so that the picture is that of every tap at a fixed cost.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dsp/time_response.h"
#include "graph/canvas.h"

namespace kc::graph {

// The visible part of a view: time in ms (t = 0 at the centre tap) and amplitude (linear, or dB).
struct TimeRange {
    double tMinMs = -1.0;
    double tMaxMs = 1.0;
    double yMin = -1.0;
    double yMax = 1.0;
    friend bool operator==(const TimeRange&, const TimeRange&) = default;
};

// The plot area inside the picture, pixels: columns left ... left + width − 1, rows top ...
// top + height − 1.
struct PlotFrame {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
    friend bool operator==(const PlotFrame&, const PlotFrame&) = default;
};

// The width in pixels of a text in the font the labels are drawn in, and the height of a line.
struct TextMetrics {
    std::function<int32_t(std::string_view)> width;
    int32_t height = 12;
};

// The plot area of a picture imageWidth x imageHeight whose labels are textHeight pixels high:
// room for the amplitude labels on the left, the title above, the time labels and the legend
// below. Never smaller than 1 x 1.
PlotFrame TimePlotFrame(int32_t imageWidth, int32_t imageHeight, int32_t textHeight);

// Pixel position (unrounded) of time tMs and of amplitude value in the frame, and back: tMinMs
// lies on the left edge of column 0, tMaxMs on the right edge of the last column; yMax on the top
// row, yMin on the bottom row.
double XOfTime(const PlotFrame& frame, const TimeRange& range, double tMs);
double TimeOfX(const PlotFrame& frame, const TimeRange& range, double x);
double YOfValue(const PlotFrame& frame, const TimeRange& range, double value);
double ValueOfY(const PlotFrame& frame, const TimeRange& range, double y);

// The range that shows every tap of the response and the whole amplitude of the shown curves
// (5 % to spare); the dB view runs from 5 dB below the floor to 5 dB above its top.
TimeRange FullTimeRange(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                        const std::array<bool, dsp::kCurveCount>& shown);

// The full range narrowed in time to where the ringing is: from 1.25 times the longest
// pre-ringing (of `figures`) plus 0.5 ms before t = 0 to 2.5 times it plus 2 ms after, within the
// taps. The speaker's predicted responses are long transforms whose ends hold little.
TimeRange RingingTimeRange(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                           const std::array<dsp::PreRinging, dsp::kCurveCount>& figures);

// Tick values between lo and hi (both included) at a step of 1, 2 or 5 times a power of ten,
// the smallest such step that gives at most maxCount ticks; empty when hi <= lo.
std::vector<double> TickValues(double lo, double hi, int32_t maxCount);

// A tick value as its label: as many decimals as the step between ticks needs ("0.25", "-160").
std::string TickText(double value, double step);

// The taps that fall into one pixel column: the first and last of them in index order and the
// smallest and largest value.
struct ColumnExtent {
    int32_t column = 0;
    double first = 0.0;
    double last = 0.0;
    double min = 0.0;
    double max = 0.0;
    friend bool operator==(const ColumnExtent&, const ColumnExtent&) = default;
};

// Groups values[i] into pixel columns floor((i − firstSample) / samplesPerColumn) and returns
// one extent per column that holds a tap, in column order: every column 0 ... columns − 1, and
// the nearest tap on each side beyond them (its column, however far, pulled into ±2^30) so that
// the curve runs in from the edges. With `magnitudes` the extents are of |values[i]|.
std::vector<ColumnExtent> DecimateByColumn(std::span<const double> values, double firstSample,
                                           double samplesPerColumn, int32_t columns,
                                           bool magnitudes);

// The part of the segment (x1, y1) - (x2, y2) inside the rectangle [xMin, xMax] x [yMin, yMax],
// or nothing when it lies wholly outside.
struct Segment {
    double x1, y1, x2, y2;
};
std::optional<Segment> ClipSegment(Segment segment, double xMin, double yMin, double xMax,
                                   double yMax);

// Draws a segment with both of its end pixels (rounded to the nearest pixel).
void DrawSegment(Canvas& canvas, const Segment& segment);
// Draws the part of a segment inside the frame's plot area.
void DrawClippedSegment(Canvas& canvas, const PlotFrame& frame, const Segment& segment);
// Draws the one-pixel box just outside the frame's plot area.
void DrawPlotFrame(Canvas& canvas, const PlotFrame& frame);

// What the picture shows.
struct TimePlotInputs {
    const dsp::TimeResponse* response = nullptr;  // nullptr: no design yet
    dsp::TimeSeriesKind kind = dsp::TimeSeriesKind::Impulse;
    std::array<bool, dsp::kCurveCount> shown{true, true, true, true};  // low, mid, high, sum
    TimeRange range;
    int32_t thresholdDb = dsp::kDefaultPreRingingDb;
    std::array<dsp::PreRinging, dsp::kCurveCount> preRinging{};
    std::optional<int32_t> cursorTap;  // the tap under the pointer: a line and its readout
    std::string title;                 // empty: the crossover's ("Impulse response, ...")
    int32_t width = 800;               // the picture, pixels
    int32_t height = 480;
};

// Draws the whole picture: white background, title, dotted grid at the ticks, the shown curves
// (each in its colour of graph/curve_colors.h, the sum last), each shown curve's pre-ringing
// threshold as a dotted line in its colour (dB below its step's largest magnitude: in dB in the
// dB view, as ± that magnitude in the others) and a mark rising from the frame's bottom where its
// pre-ringing starts, the frame, the tick labels, the legend line "Pre-ringing (-60 dB): low ...
// ms, ..." with a swatch of each colour and, with a cursor tap, a grey line at its time with the
// time and the shown curves' values beside it. Without a response only the frame and a note.
void DrawTimePlot(Canvas& canvas, const TimePlotInputs& inputs, const TextMetrics& metrics);

// The title of the speaker's predicted responses: "Speaker's predicted impulse response (drivers
// and crossover), time in ms from the crossover's latency".
std::string SpeakerTitle(dsp::TimeSeriesKind kind);

// The tap nearest to time tMs, or nothing outside the taps.
std::optional<int32_t> NearestTap(const dsp::TimeResponse& response, double tMs);

// The value of `curve` at tap `index` as the readout gives it: "0.0123456", or "-23.45 dB" in the
// dB view, with the window's decimal separator.
std::string TimeValueText(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                          std::size_t curve, int32_t index);

// The readout of tap `index`: "t = -1.2245 ms, tap 396: low 0.0123456, mid ..., high ...,
// sum ..." (levels in the dB view, "low -23.45 dB"), with the window's decimal separator.
std::string TimeReadoutText(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                            int32_t index);

}  // namespace kc::graph

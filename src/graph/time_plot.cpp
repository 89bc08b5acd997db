// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/time_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>

#include "base/text_convert.h"
#include "graph/curve_colors.h"

namespace kc::graph {
namespace {

constexpr int32_t kLeftMargin = 60;
constexpr int32_t kRightMargin = 16;
constexpr double kFarColumn = 1073741824.0;  // 2^30: a column far beyond any picture
constexpr double kSpareFraction = 0.05;
constexpr double kSpareDb = 5.0;
constexpr int32_t kLegendSampleWidth = 18;
constexpr int32_t kMarkRows = 12;   // the height of a pre-ringing mark above the frame's bottom
constexpr int32_t kReadoutGap = 6;  // between the cursor line and its readout

Color CurveColor(std::size_t curve) {
    return kCurveColors[curve];
}

int32_t Round(double value) {
    return static_cast<int32_t>(std::floor(value + 0.5));
}

// One curve from its column extents: a line from each column's last tap to the next column's
// first, and each column's span from its smallest to its largest value.
void DrawCurve(Canvas& canvas, const PlotFrame& frame, const TimePlotInputs& inputs,
               std::size_t curve) {
    const dsp::TimeResponse& response = *inputs.response;
    const TimeRange& range = inputs.range;
    const bool db = inputs.kind == dsp::TimeSeriesKind::ImpulseDb;
    const std::span<const double> values = inputs.kind == dsp::TimeSeriesKind::Step
                                               ? std::span<const double>(response.step[curve])
                                               : response.impulse[curve];
    const double samplesPerMs = response.sampleRateHz / 1000.0;
    const double firstSample = response.centre + range.tMinMs * samplesPerMs;
    const double samplesPerColumn = (range.tMaxMs - range.tMinMs) * samplesPerMs / frame.width;
    const auto extents = DecimateByColumn(values, firstSample, samplesPerColumn, frame.width, db);
    const auto y = [&](double value) {
        return YOfValue(frame, range, db ? dsp::ImpulseLevelDb(value) : value);
    };
    canvas.SetPenColor(CurveColor(curve));
    for (std::size_t i = 0; i < extents.size(); ++i) {
        const ColumnExtent& e = extents[i];
        const double x = frame.left + static_cast<double>(e.column);
        if (i > 0) {
            const ColumnExtent& before = extents[i - 1];
            DrawClippedSegment(
                canvas, frame,
                {frame.left + static_cast<double>(before.column), y(before.last), x, y(e.first)});
        }
        DrawClippedSegment(canvas, frame, {x, y(e.max), x, y(e.min)});
    }
}

void DrawGrid(Canvas& canvas, const PlotFrame& frame, const TimeRange& range) {
    canvas.SetPenColor(clBlack);
    canvas.SetPenStyle(PenStyle::psDot);
    const int32_t right = frame.left + frame.width - 1;
    const int32_t bottom = frame.top + frame.height - 1;
    for (const double t : TickValues(range.tMinMs, range.tMaxMs, std::max(1, frame.width / 80))) {
        const int32_t x = static_cast<int32_t>(std::floor(XOfTime(frame, range, t)));
        canvas.MoveTo(x, frame.top);
        canvas.LineTo(x, bottom);
    }
    for (const double v : TickValues(range.yMin, range.yMax, std::max(1, frame.height / 40))) {
        const int32_t y = Round(YOfValue(frame, range, v));
        canvas.MoveTo(frame.left, y);
        canvas.LineTo(right, y);
    }
    canvas.SetPenStyle(PenStyle::psSolid);
}

double TickStep(const std::vector<double>& ticks) {
    return ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0;
}

void DrawTickLabels(Canvas& canvas, const PlotFrame& frame, const TimeRange& range,
                    const TextMetrics& metrics) {
    const auto times = TickValues(range.tMinMs, range.tMaxMs, std::max(1, frame.width / 80));
    const int32_t below = frame.top + frame.height + 4;
    for (const double t : times) {
        const std::string text = TickText(t, TickStep(times));
        const int32_t x = static_cast<int32_t>(std::floor(XOfTime(frame, range, t)));
        canvas.TextOut(x - metrics.width(text) / 2, below, text);
    }
    const auto values = TickValues(range.yMin, range.yMax, std::max(1, frame.height / 40));
    for (const double v : values) {
        const std::string text = TickText(v, TickStep(values));
        const int32_t y = Round(YOfValue(frame, range, v));
        canvas.TextOut(frame.left - 6 - metrics.width(text), y - metrics.height / 2, text);
    }
}

std::string TitleOf(const TimePlotInputs& inputs) {
    if (!inputs.title.empty()) {
        return inputs.title;
    }
    std::string title = inputs.kind == dsp::TimeSeriesKind::Step ? "Step response"
                        : inputs.kind == dsp::TimeSeriesKind::ImpulseDb
                            ? "Impulse response in dB (floor -160 dB)"
                            : "Impulse response";
    if (inputs.response != nullptr) {
        title += ", time in ms from the centre tap (tap " +
                 std::to_string(inputs.response->centre) + ")";
    }
    return title;
}

// "Pre-ringing (-60 dB):", then per curve a short line in its colour and "low 3.288 ms".
void DrawLegend(Canvas& canvas, const TimePlotInputs& inputs, const TextMetrics& metrics) {
    const int32_t top = inputs.height - metrics.height - 6;
    int32_t x = TimePlotFrame(inputs.width, inputs.height, metrics.height).left;
    const std::string head = "Pre-ringing (-" + std::to_string(inputs.thresholdDb) + " dB):";
    canvas.TextOut(x, top, head);
    x += metrics.width(head);
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        std::string text = std::string(dsp::kCurveNames[curve].id) + ' ' +
                           dsp::FormatMs3(inputs.preRinging[curve].ms) + " ms";
        if (curve == dsp::kSumCurve && inputs.response->adjusted) {
            text += " (unit impulse)";
        }
        x += 12;
        canvas.SetPenColor(CurveColor(curve));
        const int32_t middle = top + metrics.height / 2;
        DrawSegment(canvas, {double(x), double(middle), double(x + kLegendSampleWidth - 1),
                             double(middle)});
        x += kLegendSampleWidth + 4;
        canvas.TextOut(x, top, text);
        x += metrics.width(text);
    }
}

// The threshold of a curve's pre-ringing in the units the view shows: dB for the dB view, else
// the step's magnitude (drawn above and below zero); nothing for a curve whose step is zero.
std::optional<double> ThresholdValue(const TimePlotInputs& inputs, std::size_t curve) {
    double largest = 0.0;
    for (const double value : inputs.response->step[curve]) {
        largest = std::max(largest, std::fabs(value));
    }
    if (!(largest > 0.0)) {
        return std::nullopt;
    }
    const double db = 20.0 * std::log10(largest) - inputs.thresholdDb;
    if (inputs.kind == dsp::TimeSeriesKind::ImpulseDb) {
        return db;
    }
    return std::pow(10.0, db / 20.0);
}

// A dotted line across the frame at value `value`, when it lies inside the range.
void DrawLevelLine(Canvas& canvas, const PlotFrame& frame, const TimeRange& range, double value) {
    if (!(value >= range.yMin && value <= range.yMax)) {
        return;
    }
    const int32_t y = Round(YOfValue(frame, range, value));
    canvas.MoveTo(frame.left, y);
    canvas.LineTo(frame.left + frame.width - 1, y);
}

// For each shown curve that rings: its threshold as a dotted line in its colour and, at the time
// its pre-ringing starts, a mark rising from the frame's bottom.
void DrawPreRingingMarks(Canvas& canvas, const PlotFrame& frame, const TimePlotInputs& inputs) {
    const int32_t bottom = frame.top + frame.height - 1;
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        if (!inputs.shown[curve]) {
            continue;
        }
        canvas.SetPenColor(CurveColor(curve));
        if (const auto value = ThresholdValue(inputs, curve)) {
            canvas.SetPenStyle(PenStyle::psDot);
            DrawLevelLine(canvas, frame, inputs.range, *value);
            if (inputs.kind != dsp::TimeSeriesKind::ImpulseDb) {
                DrawLevelLine(canvas, frame, inputs.range, -*value);
            }
            canvas.SetPenStyle(PenStyle::psSolid);
        }
        if (inputs.preRinging[curve].ms > 0.0) {
            const double x = std::floor(XOfTime(frame, inputs.range, -inputs.preRinging[curve].ms));
            DrawClippedSegment(canvas, frame, {x, double(bottom - kMarkRows), x, double(bottom)});
        }
    }
}

// The cursor: a line at the tap's time and, beside it (to its left near the right edge), the
// time and each shown curve's value, one a line.
void DrawCursor(Canvas& canvas, const PlotFrame& frame, const TimePlotInputs& inputs,
                const TextMetrics& metrics) {
    const dsp::TimeResponse& response = *inputs.response;
    const int32_t tap = *inputs.cursorTap;
    if (tap < 0 || tap >= response.Length()) {
        return;
    }
    const double tMs = dsp::TapTimeMs(tap, response.centre, response.sampleRateHz);
    const double x = std::floor(XOfTime(frame, inputs.range, tMs));
    if (!(x >= frame.left && x < frame.left + frame.width)) {
        return;
    }
    canvas.SetPenColor(kCursorColor);
    DrawSegment(canvas, {x, double(frame.top), x, double(frame.top + frame.height - 1)});
    std::vector<std::string> lines{base::WithDecimalSeparator(base::FixedPointText(tMs, 4)) +
                                   " ms"};
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        if (inputs.shown[curve]) {
            lines.push_back(std::string(dsp::kCurveNames[curve].id) + ' ' +
                            TimeValueText(response, inputs.kind, curve, tap));
        }
    }
    int32_t widest = 0;
    for (const std::string& line : lines) {
        widest = std::max(widest, metrics.width(line));
    }
    const bool left = x + kReadoutGap + widest > frame.left + frame.width - 1;
    const int32_t textX = left ? static_cast<int32_t>(x) - kReadoutGap - widest
                               : static_cast<int32_t>(x) + kReadoutGap;
    int32_t y = frame.top + 4;
    for (const std::string& line : lines) {
        canvas.TextOut(textX, y, line);
        y += metrics.height;
    }
}

}  // namespace

PlotFrame TimePlotFrame(int32_t imageWidth, int32_t imageHeight, int32_t textHeight) {
    const int32_t top = textHeight + 12;
    const int32_t bottom = 2 * textHeight + 22;
    return {kLeftMargin, top, std::max(1, imageWidth - kLeftMargin - kRightMargin),
            std::max(1, imageHeight - top - bottom)};
}

double XOfTime(const PlotFrame& frame, const TimeRange& range, double tMs) {
    return frame.left + (tMs - range.tMinMs) / (range.tMaxMs - range.tMinMs) * frame.width;
}

double TimeOfX(const PlotFrame& frame, const TimeRange& range, double x) {
    return range.tMinMs + (x - frame.left) / frame.width * (range.tMaxMs - range.tMinMs);
}

double YOfValue(const PlotFrame& frame, const TimeRange& range, double value) {
    return frame.top + (range.yMax - value) / (range.yMax - range.yMin) * (frame.height - 1);
}

double ValueOfY(const PlotFrame& frame, const TimeRange& range, double y) {
    const double rows = std::max(1, frame.height - 1);
    return range.yMax - (y - frame.top) / rows * (range.yMax - range.yMin);
}

TimeRange FullTimeRange(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                        const std::array<bool, dsp::kCurveCount>& shown) {
    TimeRange range;
    const int32_t last = std::max(0, response.Length() - 1);
    const double halfTapMs = 500.0 / response.sampleRateHz;
    range.tMinMs = dsp::TapTimeMs(0, response.centre, response.sampleRateHz) - halfTapMs;
    range.tMaxMs = dsp::TapTimeMs(last, response.centre, response.sampleRateHz) + halfTapMs;
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        for (int32_t i = 0; shown[curve] && i < response.Length(); ++i) {
            const double value = dsp::TimeSeriesValue(response, kind, curve, i);
            low = std::min(low, value);
            high = std::max(high, value);
        }
    }
    if (kind == dsp::TimeSeriesKind::ImpulseDb) {
        range.yMin = dsp::kImpulseFloorDb - kSpareDb;
        range.yMax = std::max(0.0, high) + kSpareDb;
        return range;
    }
    if (!(low < high)) {  // nothing shown, or a flat curve
        low = std::isfinite(low) ? low - 1.0 : -1.0;
        high = std::isfinite(high) ? high + 1.0 : 1.0;
    }
    range.yMin = low - kSpareFraction * (high - low);
    range.yMax = high + kSpareFraction * (high - low);
    return range;
}

TimeRange RingingTimeRange(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                           const std::array<dsp::PreRinging, dsp::kCurveCount>& figures) {
    TimeRange range = FullTimeRange(response, kind, {true, true, true, true});
    double longestMs = 0.0;
    for (const dsp::PreRinging& figure : figures) {
        longestMs = std::max(longestMs, figure.ms);
    }
    range.tMinMs = std::max(range.tMinMs, -(1.25 * longestMs + 0.5));
    range.tMaxMs = std::min(range.tMaxMs, 2.5 * longestMs + 2.0);
    return range;
}

std::vector<double> TickValues(double lo, double hi, int32_t maxCount) {
    if (!(hi > lo) || maxCount < 1) {
        return {};
    }
    const double raw = (hi - lo) / maxCount;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double normal = raw / magnitude;
    const double step = (normal <= 1.0   ? 1.0
                         : normal <= 2.0 ? 2.0
                         : normal <= 5.0 ? 5.0
                                         : 10.0) *
                        magnitude;
    std::vector<double> ticks;
    const double first = std::ceil(lo / step - 1e-9);
    const double last = std::floor(hi / step + 1e-9);
    for (double k = first; k <= last; k += 1.0) {
        ticks.push_back(k * step);
    }
    return ticks;
}

std::string TickText(double value, double step) {
    const int decimals = step >= 1.0 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    return base::FixedPointText(value, decimals);
}

std::vector<ColumnExtent> DecimateByColumn(std::span<const double> values, double firstSample,
                                           double samplesPerColumn, int32_t columns,
                                           bool magnitudes) {
    std::vector<ColumnExtent> extents;
    const auto count = static_cast<int64_t>(values.size());
    if (count == 0 || columns < 1 || !(samplesPerColumn > 0.0)) {
        return extents;
    }
    // The taps in columns 0 ... columns − 1, and one more on each side.
    const double lastVisible = firstSample + columns * samplesPerColumn;
    const int64_t from = static_cast<int64_t>(
        std::clamp(std::ceil(firstSample) - 1.0, 0.0, static_cast<double>(count - 1)));
    const int64_t to = static_cast<int64_t>(
        std::clamp(std::ceil(lastVisible), 0.0, static_cast<double>(count - 1)));
    for (int64_t i = from; i <= to; ++i) {
        const double tap = values[static_cast<std::size_t>(i)];
        const double value = magnitudes ? std::fabs(tap) : tap;
        const double column =
            std::clamp(std::floor((static_cast<double>(i) - firstSample) / samplesPerColumn),
                       -kFarColumn, kFarColumn);
        const auto c = static_cast<int32_t>(column);
        if (!extents.empty() && extents.back().column == c) {
            ColumnExtent& e = extents.back();
            e.last = value;
            e.min = std::min(e.min, value);
            e.max = std::max(e.max, value);
        } else {
            extents.push_back({c, value, value, value, value});
        }
    }
    return extents;
}

// Liang and Barsky: the segment as x1 + u·dx, y1 + u·dy for u in [0, 1], narrowed edge by edge.
std::optional<Segment> ClipSegment(Segment segment, double xMin, double yMin, double xMax,
                                   double yMax) {
    const double dx = segment.x2 - segment.x1;
    const double dy = segment.y2 - segment.y1;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {segment.x1 - xMin, xMax - segment.x1, segment.y1 - yMin, yMax - segment.y1};
    double enter = 0.0;
    double leave = 1.0;
    for (int edge = 0; edge < 4; ++edge) {
        if (p[edge] == 0.0) {
            if (q[edge] < 0.0) {
                return std::nullopt;  // parallel to this edge and outside it
            }
            continue;
        }
        const double u = q[edge] / p[edge];
        if (p[edge] < 0.0) {
            enter = std::max(enter, u);
        } else {
            leave = std::min(leave, u);
        }
    }
    if (enter > leave) {
        return std::nullopt;
    }
    return Segment{segment.x1 + enter * dx, segment.y1 + enter * dy, segment.x1 + leave * dx,
                   segment.y1 + leave * dy};
}

void DrawTimePlot(Canvas& canvas, const TimePlotInputs& inputs, const TextMetrics& metrics) {
    const PlotFrame frame = TimePlotFrame(inputs.width, inputs.height, metrics.height);
    canvas.SetPenStyle(PenStyle::psSolid);
    canvas.SetPenColor(clWhite);
    canvas.SetBrushColor(clWhite);
    canvas.Rectangle(0, 0, inputs.width, inputs.height);
    canvas.TextOut(frame.left, 6, TitleOf(inputs));
    if (inputs.response == nullptr) {
        DrawPlotFrame(canvas, frame);
        canvas.TextOut(frame.left + 12, frame.top + 12,
                       "No design yet: press Calc in the main window.");
        return;
    }
    DrawGrid(canvas, frame, inputs.range);
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        if (inputs.shown[curve]) {
            DrawCurve(canvas, frame, inputs, curve);
        }
    }
    DrawPreRingingMarks(canvas, frame, inputs);
    DrawPlotFrame(canvas, frame);
    DrawTickLabels(canvas, frame, inputs.range, metrics);
    DrawLegend(canvas, inputs, metrics);
    if (inputs.cursorTap) {
        DrawCursor(canvas, frame, inputs, metrics);
    }
    canvas.SetPenColor(clBlack);
}

std::string SpeakerTitle(dsp::TimeSeriesKind kind) {
    const char* what = kind == dsp::TimeSeriesKind::Step        ? "step response"
                       : kind == dsp::TimeSeriesKind::ImpulseDb ? "impulse response in dB"
                                                                : "impulse response";
    return std::string("Speaker's predicted ") + what +
           " (drivers and crossover), time in ms from the crossover's latency";
}

std::optional<int32_t> NearestTap(const dsp::TimeResponse& response, double tMs) {
    const double index = std::floor(response.centre + tMs * response.sampleRateHz / 1000.0 + 0.5);
    if (!(index >= 0.0 && index < response.Length())) {
        return std::nullopt;
    }
    return static_cast<int32_t>(index);
}

std::string TimeValueText(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                          std::size_t curve, int32_t index) {
    const double value = dsp::TimeSeriesValue(response, kind, curve, index);
    char digits[64];
    const auto [end, error] =
        std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::general, 6);
    const std::string number = kind == dsp::TimeSeriesKind::ImpulseDb
                                   ? base::FixedPointText(value, 2) + " dB"
                                   : std::string(digits, error == std::errc() ? end : digits);
    return base::WithDecimalSeparator(number);
}

std::string TimeReadoutText(const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
                            int32_t index) {
    const double tMs = dsp::TapTimeMs(index, response.centre, response.sampleRateHz);
    std::string text = "t = " + base::WithDecimalSeparator(base::FixedPointText(tMs, 4)) +
                       " ms, tap " + std::to_string(index) + ":";
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        text += std::string(curve == 0 ? " " : ", ") + std::string(dsp::kCurveNames[curve].id) +
                ' ' + TimeValueText(response, kind, curve, index);
    }
    return text;
}

// The canvas leaves out the end pixel of a line, so it is set on its own.
void DrawSegment(Canvas& canvas, const Segment& segment) {
    const int32_t x1 = Round(segment.x1);
    const int32_t y1 = Round(segment.y1);
    const int32_t x2 = Round(segment.x2);
    const int32_t y2 = Round(segment.y2);
    canvas.MoveTo(x1, y1);
    canvas.LineTo(x2, y2);
    canvas.MoveTo(x2, y2);
    canvas.LineTo(x2, y2 + 1);
}

void DrawClippedSegment(Canvas& canvas, const PlotFrame& frame, const Segment& segment) {
    const auto clipped = ClipSegment(segment, frame.left, frame.top, frame.left + frame.width - 1,
                                     frame.top + frame.height - 1);
    if (clipped) {
        DrawSegment(canvas, *clipped);
    }
}

void DrawPlotFrame(Canvas& canvas, const PlotFrame& frame) {
    const int32_t right = frame.left + frame.width - 1;
    const int32_t bottom = frame.top + frame.height - 1;
    canvas.SetPenColor(clBlack);
    DrawSegment(canvas, {double(frame.left - 1), double(frame.top - 1), double(right + 1),
                         double(frame.top - 1)});
    DrawSegment(canvas,
                {double(right + 1), double(frame.top - 1), double(right + 1), double(bottom + 1)});
    DrawSegment(canvas, {double(frame.left - 1), double(bottom + 1), double(right + 1),
                         double(bottom + 1)});
    DrawSegment(canvas, {double(frame.left - 1), double(frame.top - 1), double(frame.left - 1),
                         double(bottom + 1)});
}

}  // namespace kc::graph

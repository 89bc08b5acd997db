// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/acoustic_plot.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "acoustic/group_delay.h"
#include "base/text_convert.h"
#include "graph/curve_colors.h"

namespace kc::graph {
namespace {

constexpr int32_t kLeftMargin = 60;
constexpr int32_t kRightMargin = 48;
constexpr double kSpareDb = 3.0;
constexpr double kLevelStepDb = 10.0;
constexpr int32_t kLegendSampleWidth = 18;
constexpr double kFloorShownDb = -299.0;  // levels at the FRD floor (-300 dB) set no axis

int32_t Round(double value) {
    return static_cast<int32_t>(std::floor(value + 0.5));
}

double YOfLevel(const PlotFrame& frame, const LevelAxis& axis, double db) {
    return frame.top + (axis.topDb - db) / (axis.topDb - axis.bottomDb) * (frame.height - 1);
}

double YOfPhase(const PlotFrame& frame, double degrees) {
    return frame.top + (180.0 - degrees) / 360.0 * (frame.height - 1);
}

double YOfDelay(const PlotFrame& frame, const DelayAxis& axis, double ms) {
    return frame.top + (axis.topMs - ms) / (axis.topMs - axis.bottomMs) * (frame.height - 1);
}

// Half way to white: a driver alone beside its band.
Color Paler(Color color) {
    const auto half = [](uint8_t c) { return static_cast<uint8_t>((c + 255) / 2); };
    return {half(color.r), half(color.g), half(color.b)};
}

bool Shows(const AcousticPlotInputs& inputs, acoustic::RightAxis axis) {
    return inputs.choices.rightAxis == axis;
}

bool ShowsPhase(const AcousticPlotInputs& inputs) {
    return Shows(inputs, acoustic::RightAxis::SumPhase) ||
           Shows(inputs, acoustic::RightAxis::BandPhases);
}

constexpr double kDashPixels = 6.0;
constexpr double kGapPixels = 4.0;

// The dashes of a segment, `along` carrying where in the pattern the last segment ended so that
// the dashes run on along a curve.
void DrawDashedSegment(Canvas& canvas, const PlotFrame& frame, const Segment& segment,
                       double& along) {
    const double dx = segment.x2 - segment.x1;
    const double dy = segment.y2 - segment.y1;
    const double length = std::hypot(dx, dy);
    const double period = kDashPixels + kGapPixels;
    double at = 0.0;
    while (at < length) {
        const double phase = std::fmod(along + at, period);
        const double step =
            std::min(length - at, phase < kDashPixels ? kDashPixels - phase : period - phase);
        if (phase < kDashPixels && length > 0.0) {
            const double t0 = at / length;
            const double t1 = (at + step) / length;
            DrawClippedSegment(canvas, frame,
                               {segment.x1 + t0 * dx, segment.y1 + t0 * dy, segment.x1 + t1 * dx,
                                segment.y1 + t1 * dy});
        }
        at += step;
    }
    along = std::fmod(along + length, period);
}

// A polyline through the points (xs[i], y(values[i])); `breakAt` leaves out the step between two
// points whose values differ by more than it (a phase wrapping round); a step with an end where
// `dashed` holds is drawn dashed.
template <typename YOf>
void DrawPolyline(Canvas& canvas, const PlotFrame& frame, const std::vector<double>& xs,
                  const std::vector<double>& values, YOf y, double breakAt,
                  const std::vector<char>& dashed = {}) {
    double along = 0.0;
    for (std::size_t i = 1; i < xs.size() && i < values.size(); ++i) {
        if (!(std::fabs(values[i] - values[i - 1]) <= breakAt)) {
            continue;
        }
        const Segment segment{xs[i - 1], y(values[i - 1]), xs[i], y(values[i])};
        if (i < dashed.size() && (dashed[i - 1] != 0 || dashed[i] != 0)) {
            DrawDashedSegment(canvas, frame, segment, along);
        } else {
            DrawClippedSegment(canvas, frame, segment);
        }
    }
}

// A curve's group delays where its level lies on the shown level axis, NaN elsewhere (no line
// is drawn there): below it the phase of a stop band turns at random.
std::vector<double> ShownDelays(const AcousticPlotInputs& inputs, std::size_t curve) {
    const LevelAxis levels = ShownLevelAxis(inputs);
    std::vector<double> delays = inputs.groupDelaysMs[curve];
    for (std::size_t i = 0; i < delays.size(); ++i) {
        if (!(i < inputs.levelsDb[curve].size() && inputs.levelsDb[curve][i] >= levels.bottomDb)) {
            delays[i] = std::numeric_limits<double>::quiet_NaN();
        }
    }
    return delays;
}

// The right axis's curves: each band's dotted in its colour when chosen, the sum's grey.
template <typename YOf>
void DrawRightCurves(Canvas& canvas, const PlotFrame& frame, const std::vector<double>& xs,
                     const AcousticPlotInputs& inputs, YOf y, double breakAt) {
    const bool delays = Shows(inputs, acoustic::RightAxis::GroupDelay);
    const auto values = [&](std::size_t curve) {
        return delays                    ? ShownDelays(inputs, curve)
               : curve == dsp::kSumCurve ? inputs.sumPhaseDeg
                                         : inputs.bandPhasesDeg[curve];
    };
    if (delays || Shows(inputs, acoustic::RightAxis::BandPhases)) {
        canvas.SetPenStyle(PenStyle::psDot);
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            canvas.SetPenColor(kCurveColors[b]);
            DrawPolyline(canvas, frame, xs, values(b), y, breakAt);
        }
        canvas.SetPenStyle(PenStyle::psSolid);
    }
    canvas.SetPenColor(kPhaseColor);
    DrawPolyline(canvas, frame, xs, values(dsp::kSumCurve), y, breakAt);
}

void DrawCurves(Canvas& canvas, const PlotFrame& frame, const AcousticPlotInputs& inputs) {
    const FrequencyAxis axis = ShownFrequencyAxis(inputs);
    std::vector<double> xs(inputs.frequenciesHz.size());
    std::transform(inputs.frequenciesHz.begin(), inputs.frequenciesHz.end(), xs.begin(),
                   [&](double hz) { return XOfFrequency(frame, axis, hz); });
    if (ShowsPhase(inputs)) {
        DrawRightCurves(
            canvas, frame, xs, inputs, [&](double degrees) { return YOfPhase(frame, degrees); },
            180.0);
    } else if (Shows(inputs, acoustic::RightAxis::GroupDelay)) {
        const DelayAxis delays = DelayAxisOf(inputs);
        DrawRightCurves(
            canvas, frame, xs, inputs, [&](double ms) { return YOfDelay(frame, delays, ms); },
            std::numeric_limits<double>::infinity());
    }
    const LevelAxis levels = ShownLevelAxis(inputs);
    const auto yOfLevel = [&](double db) { return YOfLevel(frame, levels, db); };
    if (inputs.choices.rawDrivers) {
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            canvas.SetPenColor(Paler(kCurveColors[b]));
            DrawPolyline(canvas, frame, xs, inputs.rawLevelsDb[b], yOfLevel,
                         std::numeric_limits<double>::infinity(), inputs.continued[b]);
        }
    }
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        canvas.SetPenColor(kCurveColors[curve]);
        DrawPolyline(canvas, frame, xs, inputs.levelsDb[curve], yOfLevel,
                     std::numeric_limits<double>::infinity(),
                     curve < dsp::kBandCount ? inputs.continued[curve] : std::vector<char>{});
    }
    for (std::size_t b = 0; b < dsp::kBandCount && !inputs.targetDb.empty(); ++b) {
        const std::vector<double>& correction = inputs.correctionDb[b];
        if (correction.size() == inputs.targetDb.size()) {
            std::vector<double> aboutTarget(correction.size());
            for (std::size_t i = 0; i < correction.size(); ++i) {
                aboutTarget[i] = inputs.targetDb[i] + correction[i];
            }
            canvas.SetPenColor(kCurveColors[b]);
            DrawPolyline(
                canvas, frame, xs, aboutTarget,
                [&](double db) { return YOfLevel(frame, levels, db); },
                std::numeric_limits<double>::infinity(), std::vector<char>(xs.size(), 1));
        }
    }
    if (!inputs.targetDb.empty()) {
        canvas.SetPenColor(clBlack);
        DrawPolyline(
            canvas, frame, xs, inputs.targetDb,
            [&](double db) { return YOfLevel(frame, levels, db); },
            std::numeric_limits<double>::infinity(), std::vector<char>(xs.size(), 1));
    }
}

void DrawGrid(Canvas& canvas, const PlotFrame& frame, const AcousticPlotInputs& inputs) {
    const FrequencyAxis axis = ShownFrequencyAxis(inputs);
    const LevelAxis levels = ShownLevelAxis(inputs);
    canvas.SetPenColor(clBlack);
    canvas.SetPenStyle(PenStyle::psDot);
    const int32_t right = frame.left + frame.width - 1;
    const int32_t bottom = frame.top + frame.height - 1;
    for (const double hz : FrequencyTicks(axis)) {
        const int32_t x = static_cast<int32_t>(std::floor(XOfFrequency(frame, axis, hz)));
        canvas.MoveTo(x, frame.top);
        canvas.LineTo(x, bottom);
    }
    for (const double db : TickValues(levels.bottomDb, levels.topDb, 6)) {
        const int32_t y = Round(YOfLevel(frame, levels, db));
        canvas.MoveTo(frame.left, y);
        canvas.LineTo(right, y);
    }
    canvas.SetPenStyle(PenStyle::psSolid);
}

void DrawLabels(Canvas& canvas, const PlotFrame& frame, const AcousticPlotInputs& inputs,
                const TextMetrics& metrics) {
    const FrequencyAxis axis = ShownFrequencyAxis(inputs);
    const int32_t below = frame.top + frame.height + 4;
    for (const double hz : FrequencyTicks(axis)) {
        const std::string text = FrequencyTickText(hz);
        const int32_t x = static_cast<int32_t>(std::floor(XOfFrequency(frame, axis, hz)));
        canvas.TextOut(x - metrics.width(text) / 2, below, text);
    }
    const LevelAxis levels = ShownLevelAxis(inputs);
    const auto ticks = TickValues(levels.bottomDb, levels.topDb, 6);
    for (const double db : ticks) {
        const std::string text = TickText(db, ticks.size() > 1 ? ticks[1] - ticks[0] : 1.0) + " dB";
        const int32_t y = Round(YOfLevel(frame, levels, db));
        canvas.TextOut(frame.left - 6 - metrics.width(text), y - metrics.height / 2, text);
    }
    const int32_t right = frame.left + frame.width + 6;
    if (ShowsPhase(inputs)) {
        for (const double deg : {-180.0, -90.0, 0.0, 90.0, 180.0}) {
            const int32_t y = Round(YOfPhase(frame, deg));
            canvas.TextOut(right, y - metrics.height / 2, base::FixedPointText(deg, 0) + "°");
        }
    } else if (Shows(inputs, acoustic::RightAxis::GroupDelay)) {
        const DelayAxis delays = DelayAxisOf(inputs);
        const auto ms = TickValues(delays.bottomMs, delays.topMs, 6);
        for (const double value : ms) {
            const int32_t y = Round(YOfDelay(frame, delays, value));
            canvas.TextOut(right, y - metrics.height / 2,
                           TickText(value, ms.size() > 1 ? ms[1] - ms[0] : 1.0));
        }
    }
}

// Per curve a short line in its colour and its name; the phase last when shown.
void DrawLegend(Canvas& canvas, const AcousticPlotInputs& inputs, const TextMetrics& metrics) {
    const int32_t top = inputs.height - metrics.height - 6;
    int32_t x = AcousticPlotFrame(inputs.width, inputs.height, metrics.height).left;
    const auto entry = [&](Color color, const std::string& text) {
        canvas.SetPenColor(color);
        const int32_t middle = top + metrics.height / 2;
        DrawSegment(canvas, {double(x), double(middle), double(x + kLegendSampleWidth - 1),
                             double(middle)});
        x += kLegendSampleWidth + 4;
        canvas.TextOut(x, top, text);
        x += metrics.width(text) + 12;
    };
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        entry(kCurveColors[curve], inputs.legend[curve]);
    }
    if (inputs.choices.rawDrivers) {
        entry(Paler(kCurveColors[0]), "drivers alone");
    }
    if (Shows(inputs, acoustic::RightAxis::SumPhase)) {
        entry(kPhaseColor, "phase of the sum");
    } else if (Shows(inputs, acoustic::RightAxis::BandPhases)) {
        entry(kPhaseColor, "phase (bands dotted)");
    } else if (Shows(inputs, acoustic::RightAxis::GroupDelay)) {
        entry(kPhaseColor, "group delay ms (bands dotted)");
    }
}

std::string TitleOf(const AcousticPlotInputs& inputs) {
    std::string head =
        "Acoustic response: level of each band and of the sum in dB, frequency in Hz";
    switch (inputs.choices.rightAxis) {
        case acoustic::RightAxis::SumPhase:
            return head + "; phase of the sum on the right";
        case acoustic::RightAxis::BandPhases:
            return head + "; phases on the right";
        case acoustic::RightAxis::GroupDelay:
            return head + "; group delay in ms on the right";
        case acoustic::RightAxis::None:
            break;
    }
    return head;
}

}  // namespace

AcousticPlotInputs AcousticPlotInputsOf(const acoustic::AcousticModel& model,
                                        const acoustic::AcousticResponse& response,
                                        const acoustic::Settings& settings) {
    AcousticPlotInputs inputs;
    inputs.frequenciesHz = response.frequenciesHz;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        inputs.levelsDb[b] = acoustic::LevelsDb(response.bands[b]);
        const auto& driver = model.DriverFiles()[b];
        // The file's name without its folders: the legend has room for little more.
        const std::string name =
            driver ? driver->name.substr(driver->name.find_last_of('/') + 1) : "ideal driver";
        inputs.legend[b] = std::string(dsp::kCurveNames[b].id) + " (" + name + ")";
        inputs.continued[b].resize(inputs.frequenciesHz.size());
        for (std::size_t i = 0; i < inputs.frequenciesHz.size(); ++i) {
            inputs.continued[b][i] = acoustic::IsContinued(driver, inputs.frequenciesHz[i]) ? 1 : 0;
        }
    }
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        inputs.bandPhasesDeg[b] = acoustic::PhasesDeg(response.bands[b]);
        inputs.groupDelaysMs[b] =
            acoustic::GroupDelaysMs(response.bands[b], response.frequenciesHz);
        if (model.DriverValues()[b].size() == inputs.frequenciesHz.size()) {
            inputs.rawLevelsDb[b] = acoustic::LevelsDb(model.DriverValues()[b]);
        }
    }
    inputs.groupDelaysMs = acoustic::CurveGroupDelaysMs(response, settings);
    inputs.levelsDb[dsp::kSumCurve] = acoustic::LevelsDb(response.sum);
    inputs.sumPhaseDeg = acoustic::PhasesDeg(response.sum);
    inputs.legend[dsp::kSumCurve] = dsp::kCurveNames[dsp::kSumCurve].id;
    if (!model.HasDesign()) {
        inputs.note = "No design yet: press Calc in the main window.";
    } else if (model.Frequencies().empty()) {
        inputs.note = "The driver files hold no frequency below half the sample rate.";
    }
    return inputs;
}

PlotFrame AcousticPlotFrame(int32_t imageWidth, int32_t imageHeight, int32_t textHeight) {
    const int32_t top = textHeight + 12;
    const int32_t bottom = 2 * textHeight + 22;
    return {kLeftMargin, top, std::max(1, imageWidth - kLeftMargin - kRightMargin),
            std::max(1, imageHeight - top - bottom)};
}

FrequencyAxis AxisOf(const std::vector<double>& frequenciesHz) {
    const double step = std::exp2(1.0 / 48.0);
    if (frequenciesHz.empty()) {
        return {1000.0 / step, 1000.0 * step};
    }
    if (frequenciesHz.size() == 1) {
        return {frequenciesHz.front() / step, frequenciesHz.front() * step};
    }
    return {frequenciesHz.front(), frequenciesHz.back()};
}

double XOfFrequency(const PlotFrame& frame, const FrequencyAxis& axis, double hz) {
    return frame.left +
           std::log(hz / axis.firstHz) / std::log(axis.lastHz / axis.firstHz) * frame.width;
}

double FrequencyOfX(const PlotFrame& frame, const FrequencyAxis& axis, double x) {
    return axis.firstHz * std::pow(axis.lastHz / axis.firstHz,
                                   (x - frame.left) / static_cast<double>(frame.width));
}

LevelAxis LevelAxisOf(const AcousticPlotInputs& inputs) {
    double highest = -std::numeric_limits<double>::infinity();
    for (const auto& levels : inputs.levelsDb) {
        for (const double db : levels) {
            highest = std::max(highest, db);
        }
    }
    if (!(highest > kFloorShownDb)) {
        highest = 0.0;
    }
    const double span = inputs.choices.levelRangeDb;
    const auto ticks = TickValues(0.0, span, 6);
    const double step = span >= 30.0 || ticks.size() < 2 ? kLevelStepDb : ticks[1] - ticks[0];
    const double top = std::ceil((highest + std::min(kSpareDb, span / 10.0)) / step) * step;
    return {top - span, top};
}

FrequencyAxis ShownFrequencyAxis(const AcousticPlotInputs& inputs) {
    return inputs.zoom ? FrequencyAxis{inputs.zoom->firstHz, inputs.zoom->lastHz}
                       : AxisOf(inputs.frequenciesHz);
}

LevelAxis ShownLevelAxis(const AcousticPlotInputs& inputs) {
    return inputs.zoom ? LevelAxis{inputs.zoom->bottomDb, inputs.zoom->topDb} : LevelAxisOf(inputs);
}

AcousticRange ShownRange(const AcousticPlotInputs& inputs) {
    const FrequencyAxis frequencies = ShownFrequencyAxis(inputs);
    const LevelAxis levels = ShownLevelAxis(inputs);
    return {frequencies.firstHz, frequencies.lastHz, levels.bottomDb, levels.topDb};
}

DelayAxis DelayAxisOf(const AcousticPlotInputs& inputs) {
    const FrequencyAxis frequencies = ShownFrequencyAxis(inputs);
    const LevelAxis levels = ShownLevelAxis(inputs);
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        const auto& delays = inputs.groupDelaysMs[curve];
        for (std::size_t i = 0; i < delays.size() && i < inputs.frequenciesHz.size(); ++i) {
            const double hz = inputs.frequenciesHz[i];
            const double db = inputs.levelsDb[curve][i];
            if (hz >= frequencies.firstHz && hz <= frequencies.lastHz && db >= levels.bottomDb &&
                std::isfinite(delays[i])) {
                low = std::min(low, delays[i]);
                high = std::max(high, delays[i]);
            }
        }
    }
    if (!(low <= high)) {
        return {};
    }
    const double spare = std::max(0.1 * (high - low), 0.5 * std::max(0.0, 0.1 - (high - low)));
    return {low - spare, high + spare};
}

std::vector<double> FrequencyTicks(const FrequencyAxis& axis) {
    std::vector<double> ticks;
    const double lowestDecade = std::floor(std::log10(axis.firstHz));
    for (double decade = lowestDecade; std::pow(10.0, decade) <= axis.lastHz; decade += 1.0) {
        for (const double mantissa : {1.0, 2.0, 5.0}) {
            const double hz = mantissa * std::pow(10.0, decade);
            if (hz >= axis.firstHz * (1.0 - 1e-12) && hz <= axis.lastHz * (1.0 + 1e-12)) {
                ticks.push_back(hz);
            }
        }
    }
    return ticks;
}

std::string FrequencyTickText(double hz) {
    if (hz >= 1000.0) {
        return base::FixedPointText(hz / 1000.0, hz / 1000.0 == std::floor(hz / 1000.0) ? 0 : 1) +
               "k";
    }
    if (hz >= 1.0) {
        return base::FixedPointText(hz, 0);
    }
    std::array<char, 32> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), hz,
                                      std::chars_format::general, 3);
    return std::string(digits.data(), result.ptr);
}

void DrawAcousticPlot(Canvas& canvas, const AcousticPlotInputs& inputs,
                      const TextMetrics& metrics) {
    const PlotFrame frame = AcousticPlotFrame(inputs.width, inputs.height, metrics.height);
    canvas.SetPenStyle(PenStyle::psSolid);
    canvas.SetPenColor(clWhite);
    canvas.SetBrushColor(clWhite);
    canvas.Rectangle(0, 0, inputs.width, inputs.height);
    canvas.TextOut(frame.left, 6, TitleOf(inputs));
    if (!inputs.note.empty() || inputs.frequenciesHz.empty()) {
        DrawPlotFrame(canvas, frame);
        canvas.TextOut(frame.left + 12, frame.top + 12, inputs.note);
        return;
    }
    DrawGrid(canvas, frame, inputs);
    DrawCurves(canvas, frame, inputs);
    DrawPlotFrame(canvas, frame);
    DrawLabels(canvas, frame, inputs, metrics);
    DrawLegend(canvas, inputs, metrics);
    canvas.SetPenColor(clBlack);
}

std::optional<std::size_t> NearestFrequency(const std::vector<double>& frequenciesHz, double hz) {
    if (frequenciesHz.empty() || !(hz > 0.0)) {
        return std::nullopt;
    }
    const auto upper = std::lower_bound(frequenciesHz.begin(), frequenciesHz.end(), hz);
    if (upper == frequenciesHz.begin()) {
        return 0;
    }
    if (upper == frequenciesHz.end()) {
        return frequenciesHz.size() - 1;
    }
    const auto i = static_cast<std::size_t>(upper - frequenciesHz.begin());
    // Nearer on the logarithmic axis: the ratio to each neighbour.
    return hz / frequenciesHz[i - 1] <= frequenciesHz[i] / hz ? i - 1 : i;
}

std::optional<std::size_t> FrequencyIndexAtPixel(const PlotFrame& frame,
                                                 const AcousticPlotInputs& inputs, double x) {
    if (!(x >= frame.left && x < frame.left + frame.width) || !inputs.note.empty()) {
        return std::nullopt;
    }
    return NearestFrequency(inputs.frequenciesHz,
                            FrequencyOfX(frame, ShownFrequencyAxis(inputs), x));
}

std::string AcousticReadoutText(const AcousticPlotInputs& inputs, std::size_t index) {
    std::string text =
        "f = " + base::WithDecimalSeparator(base::FixedPointText(inputs.frequenciesHz[index], 1)) +
        " Hz:";
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        text += std::string(curve == 0 ? " " : ", ") + std::string(dsp::kCurveNames[curve].id) +
                ' ' +
                base::WithDecimalSeparator(base::FixedPointText(inputs.levelsDb[curve][index], 2)) +
                " dB";
    }
    text += ", phase " +
            base::WithDecimalSeparator(base::FixedPointText(inputs.sumPhaseDeg[index], 1)) + "°";
    if (Shows(inputs, acoustic::RightAxis::GroupDelay)) {
        text += "; group delay";
        for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
            const auto& delays = inputs.groupDelaysMs[curve];
            text += std::string(curve == 0 ? " " : ", ") + std::string(dsp::kCurveNames[curve].id) +
                    ' ' +
                    base::WithDecimalSeparator(
                        base::FixedPointText(index < delays.size() ? delays[index] : 0.0, 3)) +
                    " ms";
        }
    }
    return text;
}

}  // namespace kc::graph

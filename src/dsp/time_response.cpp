// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/time_response.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <utility>

#include "base/errors.h"
#include "base/float_checks.h"
#include "base/text_convert.h"
#include "dsp/bands.h"

namespace kc::dsp {

namespace {

// values[index], std::out_of_range beyond the values (as the step's vectors do).
double Checked(std::span<const double> values, std::size_t index) {
    if (index >= values.size()) {
        throw std::out_of_range("tap index beyond the taps");
    }
    return values[index];
}

double SamplesToMs(int64_t samples, int32_t sampleRateHz) {
    return base::StoreDouble(
        base::CheckedDivide(static_cast<long double>(samples) * 1000.0L, sampleRateHz));
}

}  // namespace

double TapTimeMs(int32_t index, int32_t centre, int32_t sampleRateHz) {
    return SamplesToMs(int64_t{index} - centre, sampleRateHz);
}

std::vector<double> StepResponse(std::span<const double> taps) {
    std::vector<double> step(taps.size());
    long double sum = 0.0L;
    for (std::size_t i = 0; i < taps.size(); ++i) {
        sum += taps[i];
        step[i] = base::StoreDouble(sum);
    }
    return step;
}

double ImpulseLevelDb(double tap) {
    const double magnitude = std::fabs(tap);
    if (magnitude == 0.0) {
        return kImpulseFloorDb;
    }
    return std::max(20.0 * std::log10(magnitude), kImpulseFloorDb);
}

PreRinging PreRingingOf(std::span<const double> step, int32_t centre, int32_t thresholdDb,
                        int32_t sampleRateHz) {
    if (thresholdDb < kMinPreRingingDb || thresholdDb > kMaxPreRingingDb) {
        base::RaiseRangeError();
    }
    double peak = 0.0;
    for (const double value : step) {
        peak = std::max(peak, std::fabs(value));
    }
    if (peak == 0.0) {
        return {centre, 0.0};
    }
    // The threshold as a magnitude, in extended precision so that a sample exactly at it counts.
    const long double threshold = peak * std::pow(10.0L, -thresholdDb / 20.0L);
    std::size_t first = 0;
    while (std::fabs(step[first]) < threshold) {
        ++first;  // stops at the latest at the largest sample
    }
    if (first >= static_cast<std::size_t>(centre)) {
        return {centre, 0.0};
    }
    // Between the samples at times first − ½ and first + ½; |step| rises through the threshold
    // there, so the fraction lies in (0, 1].
    const long double before = first == 0 ? 0.0L : std::fabs(step[first - 1]);
    const long double at = std::fabs(step[first]);
    const long double crossing =
        static_cast<long double>(first) - 0.5L + (threshold - before) / (at - before);
    const long double ms = (static_cast<long double>(centre) - crossing) * 1000.0L / sampleRateHz;
    return {static_cast<int32_t>(first), base::StoreDouble(ms)};
}

TimeResponse MakeTimeResponse(std::shared_ptr<const CrossoverTaps> taps, bool adjusted) {
    TimeResponse response;
    response.centre = taps->CommonCentre;
    response.sampleRateHz = taps->sampleRateHz;
    response.adjusted = adjusted;
    const auto arrays = CurveTaps(*taps);
    response.taps = std::move(taps);
    for (std::size_t curve = 0; curve < kCurveCount; ++curve) {
        response.impulse[curve] = *arrays[curve];
        response.step[curve] = StepResponse(response.impulse[curve]);
    }
    return response;
}

TimeResponse MakeTimeResponse(const CrossoverTaps& taps, bool adjusted) {
    return MakeTimeResponse(std::make_shared<const CrossoverTaps>(taps), adjusted);
}

double TimeSeriesValue(const TimeResponse& response, TimeSeriesKind kind, std::size_t curve,
                       int32_t index) {
    const auto at = static_cast<std::size_t>(index);
    switch (kind) {
        case TimeSeriesKind::Impulse:
            return Checked(response.impulse.at(curve), at);
        case TimeSeriesKind::ImpulseDb:
            return ImpulseLevelDb(Checked(response.impulse.at(curve), at));
        case TimeSeriesKind::Step:
            return response.step.at(curve).at(at);
    }
    return 0.0;  // not reached: every kind is listed above
}

std::array<PreRinging, kCurveCount> PreRingingFigures(const TimeResponse& response,
                                                      int32_t thresholdDb) {
    std::array<PreRinging, kCurveCount> figures;
    for (std::size_t curve = 0; curve < kCurveCount; ++curve) {
        figures[curve] =
            PreRingingOf(response.step[curve], response.centre, thresholdDb, response.sampleRateHz);
    }
    return figures;
}

std::string FormatMs3(double ms) {
    return base::FixedPointText(ms, 3);
}

std::string PreRingingLine(const std::array<PreRinging, kCurveCount>& figures,
                           int32_t thresholdDb) {
    std::string line = "Pre-ringing (-" + std::to_string(thresholdDb) + " dB): ";
    for (std::size_t curve = 0; curve < kCurveCount; ++curve) {
        line += std::string(curve == 0 ? "" : ", ") + std::string(kCurveNames[curve].id) + ' ' +
                FormatMs3(figures[curve].ms) + " ms";
    }
    return line;
}

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
// The crossover in the time domain: each band's impulse response (its taps) and step response
// (their running sum) against time, and how long each band rings before its centre tap. No Qt:
// the time-response window and the command line only present these numbers.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "dsp/bands.h"
#include "dsp/crossover.h"
#include "dsp/response_store.h"

namespace kc::dsp {

// The curves of the time domain are the bands and their sum (bands.h), in the order of every
// array below.

// What a time view shows of each curve: the taps, their level 20·log10|h| in dB (floored at
// kImpulseFloorDb), or the running sum of the taps.
enum class TimeSeriesKind { Impulse, ImpulseDb, Step };

// The lowest level the dB view shows, dB; a zero tap lies there too.
inline constexpr double kImpulseFloorDb = -160.0;

// The pre-ringing threshold, dB below the largest magnitude of a band's step response: its default
// and its range.
inline constexpr int32_t kDefaultPreRingingDb = 60;
inline constexpr int32_t kMinPreRingingDb = 20;
inline constexpr int32_t kMaxPreRingingDb = 160;

// The time of tap `index` in ms, relative to the centre tap: (index − centre) · 1000 / rate.
double TapTimeMs(int32_t index, int32_t centre, int32_t sampleRateHz = SampleRate);

// The running sum of `taps`: entry i is taps[0] + ... + taps[i], summed in extended precision.
std::vector<double> StepResponse(std::span<const double> taps);

// 20·log10|tap| in dB, never below kImpulseFloorDb (a zero tap gives the floor).
double ImpulseLevelDb(double tap);

// The definition of the pre-ringing figure as the time window explains it.
inline constexpr std::string_view kPreRingingDefinition =
    "Pre-ringing: the time from where the step response first reaches the threshold (dB below its "
    "largest magnitude) to the centre tap, the crossing interpolated between samples, so that the "
    "same filter reads the same at every sample rate; 0 when the step reaches the threshold only "
    "at the centre.";

// How long a band rings before its centre tap, measured on its step response so that the figure
// belongs to the filter, not to its sampling: the same filter (the same length in time) gives the
// same figure at every rate, within some microseconds. The threshold is thresholdDb below the
// step's largest magnitude. Sample n of the step, the sum of the taps up to n, stands for the
// step at time n + ½ (the end of tap n's sample; before the first tap the step is 0), and the time
// where |step| first reaches the threshold is interpolated linearly between the two samples
// around it. The figure is the time from there to the centre tap; 0 when no sample before the
// centre reaches the threshold (a unit impulse, the adjusted sum).
struct PreRinging {
    int32_t firstIndex = 0;  // the first step sample at or above the threshold, else the centre
    double ms = 0.0;         // (centre − crossing time) · 1000 / rate
};

// The pre-ringing of the step response `step` (centred at `centre`) for a threshold of thresholdDb
// (20 ... 160 dB; ERangeError outside). A step of zeros does not ring: its first index is the
// centre, 0 ms.
PreRinging PreRingingOf(std::span<const double> step, int32_t centre, int32_t thresholdDb,
                        int32_t sampleRateHz = SampleRate);

// A design in the time domain: the four impulse responses (low, mid, high, sum: the design's
// taps, which it shares) and their step responses, all CommonLength entries long, with t = 0 at
// `centre`. A copy shares the taps too.
struct TimeResponse {
    int32_t centre = 0;
    int32_t sampleRateHz = SampleRate;
    // The design was adjusted: its bands add up to a unit impulse at the centre, a pure delay.
    bool adjusted = false;
    std::shared_ptr<const CrossoverTaps> taps;  // what `impulse` shows; null for no design
    std::array<std::span<const double>, kCurveCount> impulse;
    std::array<std::vector<double>, kCurveCount> step;

    int32_t Length() const { return static_cast<int32_t>(impulse[0].size()); }
};

// The time domain of a completed design, at the rate its taps were designed for: sharing `taps`
// (not null), or with a copy of them.
TimeResponse MakeTimeResponse(std::shared_ptr<const CrossoverTaps> taps, bool adjusted);
TimeResponse MakeTimeResponse(const CrossoverTaps& taps, bool adjusted);

// The value that a view of `kind` shows of `curve` at tap `index` (0 ... Length() − 1).
double TimeSeriesValue(const TimeResponse& response, TimeSeriesKind kind, std::size_t curve,
                       int32_t index);

// The pre-ringing of the four curves, in the order low, mid, high, sum, from their steps.
std::array<PreRinging, kCurveCount> PreRingingFigures(const TimeResponse& response,
                                                      int32_t thresholdDb);

// "Pre-ringing (-60 dB): low 3.288 ms, mid 1.043 ms, high 0.204 ms, sum 0.000 ms": the threshold
// and each figure with three decimals and a full stop.
std::string PreRingingLine(const std::array<PreRinging, kCurveCount>& figures, int32_t thresholdDb);

// A figure in ms with three decimals and a full stop ("3.288").
std::string FormatMs3(double ms);

}  // namespace kc::dsp

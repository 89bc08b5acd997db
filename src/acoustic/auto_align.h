// SPDX-License-Identifier: GPL-3.0-or-later
// The automatic alignment: the gains, delays and polarities that bring the acoustic sum closest to
// the target, measured as the mean absolute deviation in dB over log-frequency where the sum rests
// on the drivers' data (the mean rather than the RMS, so that a roll-off no setting can lift does
// not pull a band's level away from the target where it plays). It works on each band's complex
// response before its gain, delay and polarity (the driver times its crossover, or a corrected
// band), so that any source of them aligns alike.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "acoustic/target.h"
#include "dsp/bands.h"

namespace kc::acoustic {

// The delays searched, relative to the reference band, ms; and the steps of the search: every
// coarse step over the whole range, then the fine step about the best.
inline constexpr double kAlignDelayRangeMs = 2.0;
inline constexpr double kAlignCoarseStepMs = 0.005;
inline constexpr double kAlignFineStepMs = 0.0002;
// Delays whose deviations lie this close to the best count as equally good; the one at which the
// band adds most coherently to the others wins.
inline constexpr double kAlignEquivalentDb = 0.005;
// The band whose delay (0) and polarity (normal) the others are aligned to: the middle one, which
// meets both others.
inline constexpr std::size_t kAlignReferenceBand = dsp::kBandCount / 2;

// What the alignment measures: at each of `frequenciesHz` (log-spaced) each band's response
// without gain, delay and polarity and where its crossover passes (PassBandPoints), the target's
// level in dB, and whether the point counts.
struct AlignInputs {
    std::vector<double> frequenciesHz;
    std::array<ComplexCurve, dsp::kBandCount> bands;
    std::array<std::vector<bool>, dsp::kBandCount> passBands;
    double targetLevelDb = 0.0;  // the target's level at its pivot
    std::vector<double> targetDb;
    std::vector<bool> counted;
};

struct AlignResult {
    Settings settings;               // the aligned gains, delays and polarities
    double deviationBeforeDb = 0.0;  // deviation from the target with the settings given
    double deviationAfterDb = 0.0;   // with the aligned settings
    double firstHz = 0.0;            // the range measured over (the first and last counted points)
    double lastHz = 0.0;
    std::size_t points = 0;      // how many points counted
    double targetLevelDb = 0.0;  // the inputs' target level
};

// The points where the sum rests on data: every band with a file either holds the frequency in
// its file or lies there more than kContinuedWithinDb below its pass band (|H_b| under 0.1).
// `crossovers` are H_b at `frequenciesHz`. All points when none qualifies.
std::vector<bool> DataPoints(const Drivers& files,
                             const std::array<ComplexCurve, dsp::kBandCount>& crossovers,
                             const std::vector<double>& frequenciesHz);

// The mean of |20·log10|Σ_b band_b·settings_b| − target| over the counted points, dB; each point's
// deviation is limited to ±kAlignLargestDeviationDb, so that a deep notch counts as a large error
// but does not outweigh the rest. 0 when no point counts.
inline constexpr double kAlignLargestDeviationDb = 60.0;
double MeanDeviationDb(const AlignInputs& inputs, const Settings& settings);

// The aligned settings: the reference band keeps delay 0 and normal polarity, each other band gets
// the polarity and the delay within ±kAlignDelayRangeMs (to kAlignFineStepMs) that make the sum
// closest to the target (of delays about equally close, kAlignEquivalentDb, the most coherent),
// every band the gain (kMinGainDb ... kMaxGainDb, to 0.01 dB) that does; the search alternates
// between delays and gains three times, starting from gains that bring each band's median level
// over its pass band to the target. `current` only gives deviationBeforeDb.
AlignResult Align(const AlignInputs& inputs, const Settings& current);

// Where the loudspeaker plays: from the lowest point where the lowest band passes and lies within
// kAlignUsableWithinDb of its plateau (the median of its pass band's levels within
// kAlignPlateauWithinDb of the loudest), up to the highest such point of the highest band (a
// woofer's −3 dB point at the low end, a tweeter's at the high end). The points outside no longer
// count: no gain or delay brings a roll-off to the target, and counting it would lift the band
// above the others where it plays.
inline constexpr double kAlignUsableWithinDb = 3.0;
inline constexpr double kAlignPlateauWithinDb = 10.0;
void KeepUsableRange(AlignInputs& inputs);

// The alignment's inputs from the model: each band's response for neutral settings, the target
// (its level the settings' own or DefaultTargetLevelDb of the drivers without gain), the points
// of DataPoints within the usable range (KeepUsableRange). Empty without a design.
AlignInputs AlignInputsOf(const AcousticModel& model, const TargetSettings& target);

// "low -3.00 dB +0.000 ms, mid 0.00 dB +0.000 ms, high -5.00 dB -0.150 ms inverted".
std::string AlignedSettingsText(const Settings& settings);
// "mean deviation from the target (88.00 dB) 3.41 dB before, 0.02 dB after, over 10.0 Hz ...
// 20.00 kHz (527 frequencies)"; "no frequency to measure" when none counted.
std::string AlignedDeviationText(const AlignResult& result);

}  // namespace kc::acoustic

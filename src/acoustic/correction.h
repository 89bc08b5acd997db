// SPDX-License-Identifier: GPL-3.0-or-later
// The driver correction: each band with a driver gets a filter that brings its driver to the
// target, in level and in phase, over the band's range; the band's exported filter is its
// crossover response times that correction, designed afresh at each rate from the same file.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "acoustic/target.h"
#include "dsp/bands.h"
#include "dsp/calculation.h"

namespace kc::acoustic {

// The ranges the window and the command line accept, and the defaults.
inline constexpr double kDefaultMaxBoostDb = 6.0;
inline constexpr double kMinMaxBoostDb = 0.0;
inline constexpr double kMaxMaxBoostDb = 24.0;
inline constexpr double kDefaultSmoothingOctaves = 1.0 / 6.0;
inline constexpr double kMinSmoothingOctaves = 0.0;  // none
inline constexpr double kMaxSmoothingOctaves = 1.0;
inline constexpr int32_t kMinCorrectionTaps = 3;
inline constexpr int32_t kMaxCorrectionTaps = 1 << 20;
// The correction acts where the band's crossover is at least this (dB); beyond it the correction
// holds the value it has at that edge, so that the crossover's stop band stays as designed.
inline constexpr double kCorrectionRangeDb = -40.0;
// The deepest cut a correction makes, dB.
inline constexpr double kMaxCutDb = -40.0;

struct CorrectionSettings {
    std::array<bool, dsp::kBandCount> bands{};  // which bands are corrected (those with a file)
    TargetSettings target;
    double maxBoostDb = kDefaultMaxBoostDb;
    double smoothingOctaves = kDefaultSmoothingOctaves;
    bool correctPhase = true;  // off: the level alone, by a symmetric (linear-phase) filter
    // Each band's correction taps at tapsRateHz, odd; 0: the band's own count at each rate.
    std::array<int32_t, dsp::kBandCount> taps{};
    int32_t tapsRateHz = dsp::SampleRate;

    // Whether any band is corrected.
    bool Any() const;
    bool operator==(const CorrectionSettings&) const = default;
};

// The correction of an export: the settings and the drivers they correct.
struct Correction {
    CorrectionSettings settings;
    std::shared_ptr<const Drivers> drivers;  // none: nothing is corrected

    // Whether some band with a file is corrected.
    bool Active() const;
    bool operator==(const Correction&) const = default;
};

// What one band's correction does at one rate.
struct BandCorrectionFigures {
    bool corrected = false;
    int32_t taps = 0;             // of the correction filter
    double resolutionHz = 0.0;    // rate / taps: the narrowest feature it can follow
    double lowestHz = 0.0;        // the lowest frequency it corrects (no lower than the resolution)
    double highestHz = 0.0;       // the highest frequency it corrects
    double largestBoostDb = 0.0;  // the most the correction lifts the band within its range
    double deepestCutDb = 0.0;    // the most it lowers it (negative)
    double limitedDb = 0.0;       // how far the boost limit left the driver below the target
    // The largest |corrected driver − target| where the pass band is corrected without limit:
    // what the taps' resolution and the smoothing leave.
    double residualDb = 0.0;
};

struct CorrectedDesign {
    dsp::CrossoverTaps taps;  // each band its crossover convolved with its correction
    double targetLevelDb = 0.0;
    std::array<BandCorrectionFigures, dsp::kBandCount> bands{};
    // Each corrected band's correction in dB at AcousticFrequencies of the drivers and the rate
    // (the acoustic model's frequencies); empty for a band left as it is.
    std::array<std::vector<double>, dsp::kBandCount> correctionsDb;
};

// The crossover of `design` with each corrected band's filter convolved with its correction: the
// driver's level smoothed (settings.smoothingOctaves, power average), its distance from the target
// within [kMaxCutDb, maxBoostDb], held constant beyond the band's range (where the crossover is
// above kCorrectionRangeDb, inside the driver's file, above rate/taps); with correctPhase the
// phase of the minimum-phase response of the driver's whole distance from the target, so that the
// driver's minimum phase is taken out and the band adds up as the crossover alone does. Realised as
// a Kaiser-windowed FIR of the band's count (or settings.taps) about its centre. Every band, the
// uncorrected ones too, goes through one common length of correction taps (a unit impulse for
// those), so that all keep one latency: half the longest correction more than the crossover's.
// Nothing corrected: the design's taps unchanged. ERangeError, naming the band, when its
// correction would have more than kMaxCorrectionTaps taps at the design's rate or the taps would
// reach 2^28.
CorrectedDesign CorrectDesign(const dsp::CalculationResult& design, const Correction& correction);

// The correction taps of band b at `sampleRateHz`: settings.taps scaled from tapsRateHz, else the
// band's own count; odd, at least kMinCorrectionTaps.
int32_t CorrectionTapsAt(const CorrectionSettings& settings, std::size_t band,
                         const dsp::CrossoverParameters& parameters);

// How many samples the correction adds to the latency of every band at these parameters.
int32_t CorrectionLatencySamples(const Correction& correction,
                                 const dsp::CrossoverParameters& parameters);

// One line per corrected band: "low: 2001 taps, resolution 24.0 Hz, corrects 24.1 Hz ... 364.4 Hz
// by -6.0 ... 6.0 dB (the limit leaves up to 4.5 dB below the target), residual 0.3 dB where
// corrected in full"; then "target 81.1 dB".
std::vector<std::string> CorrectionLines(const CorrectedDesign& corrected);

// The range over which the summary states how far the sum strays from the target.
inline constexpr double kDeviationFirstHz = 80.0;
inline constexpr double kDeviationLastHz = 15000.0;

// The largest |level of `sum` − target| in dB over [firstHz, lastHz] of `frequenciesHz`; 0 when
// no frequency lies there.
double LargestDeviationDb(const std::vector<double>& frequenciesHz, const ComplexCurve& sum,
                          const std::vector<double>& targetDb, double firstHz, double lastHz);

// "within 0.62 dB of the target (88.0 dB, 0.0 dB an octave) over 80.0 Hz ... 15.00 kHz" for the
// sum of `response`, the range kDeviationFirstHz ... kDeviationLastHz within its frequencies.
std::string DeviationText(const AcousticResponse& response, const TargetSettings& target,
                          double levelDb);

}  // namespace kc::acoustic

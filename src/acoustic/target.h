// SPDX-License-Identifier: GPL-3.0-or-later
// The target the loudspeaker's sum should follow: a level in dB, by default the least sensitive
// driver's level within its own band (so that no band has to be lifted overall), and a tilt in dB
// per octave about a pivot frequency.
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "dsp/bands.h"

namespace kc::acoustic {

// The ranges the window and the command line accept.
inline constexpr double kMinTargetLevelDb = -200.0;
inline constexpr double kMaxTargetLevelDb = 200.0;
inline constexpr double kMinTargetTiltDbPerOctave = -6.0;
inline constexpr double kMaxTargetTiltDbPerOctave = 6.0;
inline constexpr double kDefaultTiltPivotHz = 1000.0;

struct TargetSettings {
    std::optional<double> levelDb;  // the level at the pivot; none: DefaultTargetLevelDb
    double tiltDbPerOctave = 0.0;   // a negative tilt falls towards high frequencies
    double tiltPivotHz = kDefaultTiltPivotHz;
    bool operator==(const TargetSettings&) const = default;
};

// The level at the pivot: the settings' own level, else `defaultLevelDb`.
double TargetLevelDb(const TargetSettings& settings, double defaultLevelDb);

// The target's level in dB at each frequency: levelDb + tilt · log2(f / pivot).
std::vector<double> TargetLevelsDb(const TargetSettings& settings, double levelDb,
                                   const std::vector<double>& frequenciesHz);

// Where a band's crossover passes: its response |H_b| at least one half of its largest (−6 dB,
// the level of a linear-phase crossover at its cut-off), so that the pass band runs between the
// design's crossover frequencies, for a corrected band too. One flag per frequency; all true for an
// empty `crossover` (no design).
std::vector<bool> PassBandPoints(const ComplexCurve& crossover, std::size_t frequencyCount);

// The least sensitive driver's level within its own band, in dB: for each band with a file, the
// median of 20·log10|D_b| + gainsDb[b] over the points of its pass band that lie inside its file
// (all pass-band points if none do), and of those levels the lowest. Bands without a file do not
// count; with no file at all, IdealLevelDb (0 dB). `drivers` are D_b and `crossovers` H_b at
// `frequenciesHz` (a crossover may be empty: no design, the whole range is its band).
double DefaultTargetLevelDb(const Drivers& files,
                            const std::array<ComplexCurve, dsp::kBandCount>& drivers,
                            const std::array<ComplexCurve, dsp::kBandCount>& crossovers,
                            const std::vector<double>& frequenciesHz,
                            const std::array<double, dsp::kBandCount>& gainsDb = {});

// The same for the model's drivers and design, at its frequencies.
double DefaultTargetLevelDb(const AcousticModel& model,
                            const std::array<double, dsp::kBandCount>& gainsDb = {});

}  // namespace kc::acoustic

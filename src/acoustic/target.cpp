// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/target.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>

namespace kc::acoustic {
namespace {

// The band's levels in dB at the points of its pass band, those inside its file if any are.
std::vector<double> LevelsInBand(const DriverResponse& file, const ComplexCurve& driver,
                                 const ComplexCurve& crossover,
                                 const std::vector<double>& frequenciesHz) {
    const std::vector<bool> passes = PassBandPoints(crossover, frequenciesHz.size());
    const std::vector<double> levels = LevelsDb(driver);
    std::vector<double> inFile;
    std::vector<double> inBand;
    for (std::size_t i = 0; i < frequenciesHz.size(); ++i) {
        if (!passes[i]) {
            continue;
        }
        inBand.push_back(levels[i]);
        if (frequenciesHz[i] >= file.FirstHz() && frequenciesHz[i] <= file.LastHz()) {
            inFile.push_back(levels[i]);
        }
    }
    return inFile.empty() ? inBand : inFile;
}

}  // namespace

double TargetLevelDb(const TargetSettings& settings, double defaultLevelDb) {
    return settings.levelDb.value_or(defaultLevelDb);
}

std::vector<double> TargetLevelsDb(const TargetSettings& settings, double levelDb,
                                   const std::vector<double>& frequenciesHz) {
    std::vector<double> levels(frequenciesHz.size());
    std::transform(frequenciesHz.begin(), frequenciesHz.end(), levels.begin(), [&](double hz) {
        return levelDb + settings.tiltDbPerOctave * std::log2(hz / settings.tiltPivotHz);
    });
    return levels;
}

std::vector<bool> PassBandPoints(const ComplexCurve& crossover, std::size_t frequencyCount) {
    if (crossover.empty()) {
        return std::vector<bool>(frequencyCount, true);
    }
    // Relative to the band's largest magnitude, so that a corrected band, whose correction may
    // lower it as a whole (a driver more sensitive than the target), keeps its pass band.
    double largest = 0.0;
    for (const std::complex<double> h : crossover) {
        largest = std::max(largest, std::abs(h));
    }
    std::vector<bool> passes(crossover.size());
    std::transform(crossover.begin(), crossover.end(), passes.begin(),
                   [largest](std::complex<double> h) {
                       return largest > 0.0 && std::abs(h) >= 0.5 * largest;
                   });
    return passes;
}

double DefaultTargetLevelDb(const Drivers& files,
                            const std::array<ComplexCurve, dsp::kBandCount>& drivers,
                            const std::array<ComplexCurve, dsp::kBandCount>& crossovers,
                            const std::vector<double>& frequenciesHz,
                            const std::array<double, dsp::kBandCount>& gainsDb) {
    double lowest = std::numeric_limits<double>::infinity();
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        if (!files[b]) {
            continue;
        }
        const std::vector<double> levels =
            LevelsInBand(*files[b], drivers[b], crossovers[b], frequenciesHz);
        if (!levels.empty()) {
            lowest = std::min(lowest, Median(levels) + gainsDb[b]);
        }
    }
    return std::isfinite(lowest) ? lowest : IdealLevelDb(files);
}

double DefaultTargetLevelDb(const AcousticModel& model,
                            const std::array<double, dsp::kBandCount>& gainsDb) {
    return DefaultTargetLevelDb(model.DriverFiles(), model.DriverValues(), model.CrossoverValues(),
                                model.Frequencies(), gainsDb);
}

}  // namespace kc::acoustic

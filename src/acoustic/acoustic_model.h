// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic response of the loudspeaker: for each band b at frequency f the driver D_b(f)
// times the band's crossover response H_b(f) (latency taken out as the delay all bands share)
// times its gain, polarity and delay, and the complex sum of the three bands.
#pragma once

#include <array>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "acoustic/frd_reader.h"
#include "dsp/bands.h"
#include "dsp/crossover.h"

namespace kc::acoustic {

using dsp::Band;

// The frequencies: kPointsPerOctave a octave over the union of the loaded files' ranges, none
// below kLowestHz; with no file from kIdealFirstHz up to kIdealLastHz. Always below half the rate.
inline constexpr int32_t kPointsPerOctave = 48;
inline constexpr double kIdealFirstHz = 10.0;
inline constexpr double kIdealLastHz = 20000.0;
inline constexpr double kLowestHz = 1.0;

// What the user sets per band, and the ranges the window offers.
inline constexpr double kMinGainDb = -40.0;
inline constexpr double kMaxGainDb = 20.0;
inline constexpr double kMinDelayMs = -20.0;
inline constexpr double kMaxDelayMs = 20.0;

struct BandSettings {
    double gainDb = 0.0;
    double delayMs = 0.0;   // a positive delay makes the band later: e^(−j·2π·f·delay)
    bool inverted = false;  // polarity −1
    bool operator==(const BandSettings&) const = default;
};
using Settings = std::array<BandSettings, dsp::kBandCount>;

using Drivers = std::array<std::optional<DriverResponse>, dsp::kBandCount>;
using ComplexCurve = std::vector<std::complex<double>>;

// lo·2^(i/48) for i = 0, 1, ... up to hi (included) and below half the rate, where lo is the
// smallest first frequency of the files (at least kLowestHz) and hi the largest last one; without
// files lo = kIdealFirstHz and hi = kIdealLastHz. Empty when every file lies above half the rate.
std::vector<double> AcousticFrequencies(const Drivers& drivers, int32_t sampleRateHz);

// D(f) at each of `frequenciesHz`: the level in dB and the unwrapped phase interpolated linearly
// over log-frequency between the neighbouring points of the file. Beyond the file's ends it is
// continued: the level by its end slope (EndSlopeDbPerOctave: never rising away from the file),
// the phase by its end group delay (EndGroupDelaySeconds), as a driver's response goes on past
// the range a measurement gated or cut.
ComplexCurve InterpolateDriver(const DriverResponse& driver,
                               const std::vector<double>& frequenciesHz);

// The median of `values` (not empty): the middle one, the mean of the two middle ones for an even
// count.
double Median(std::vector<double> values);

// Whether `hz` lies beyond the ends of the band's file (never for an ideal driver).
bool IsContinued(const std::optional<DriverResponse>& driver, double hz);

// The level of the ideal drivers when any file is loaded: the mean of the loaded files' median
// levels in dB, so that an ideal band sits beside measured ones as a driver of their sensitivity
// would; 0 dB without files.
double IdealLevelDb(const Drivers& drivers);

// Raises EDriverFileError, naming each file with its range, when no file holds a frequency below
// half of sampleRateHz (AcousticFrequencies gives none).
void CheckCommonFrequencies(const Drivers& drivers, int32_t sampleRateHz);

// Where a driver's sound lies in frequency: e^(mean of ln f weighted by the power 10^(dB/10) over
// log-frequency), Hz. It orders a woofer, a midrange and a tweeter from low to high.
double CentreFrequencyHz(const DriverResponse& driver);

// The band of each of dsp::kBandCount drivers given in any order, by where their sound lies: entry
// b is the index in `drivers` of band b's driver, the lowest CentreFrequencyHz the low band (equal
// centres keep their order).
std::array<std::size_t, dsp::kBandCount> BandsByCentreFrequency(
    std::span<const DriverResponse, dsp::kBandCount> drivers);

// The responses for some settings, at the model's frequencies.
struct AcousticResponse {
    std::vector<double> frequenciesHz;
    std::array<ComplexCurve, dsp::kBandCount> bands;
    ComplexCurve sum;
};

// A band's continued data counts for the sum where its level lies within this of the sum's.
inline constexpr double kContinuedWithinDb = 20.0;

// A stretch of frequencies where the sum rests on continued data: at each of its points some
// band lies beyond its file's ends with a level within kContinuedWithinDb of the sum's.
struct ContinuedStretch {
    double firstHz = 0.0;
    double lastHz = 0.0;
    std::array<bool, dsp::kBandCount> bands{};  // which bands are continued there
};
std::vector<ContinuedStretch> ContinuedStretches(const Drivers& drivers,
                                                 const AcousticResponse& response);
// "the sum rests on continued data at 1.00 ... 1.26 kHz (mid), 18.3 ... 20.0 kHz (low)" (the
// first four stretches, then how many more); empty where there is none.
std::string ContinuedText(const std::vector<ContinuedStretch>& stretches);

// 20·log10|v| of each value, −300 dB below a magnitude of 1e-15 (as the FRD files write it).
std::vector<double> LevelsDb(const ComplexCurve& values);
// The phase of each value in degrees, in (−180, 180].
std::vector<double> PhasesDeg(const ComplexCurve& values);

// The drivers and the design with what they fix at the frequencies (H_b per design, D_b per file),
// so that a change of gain, delay or polarity costs one multiplication a point and band.
class AcousticModel {
  public:
    // No design, ideal drivers, the frequencies without files at the default rate.
    AcousticModel();

    // A completed design replaces the last one: H_b afresh at the frequencies now set. The model
    // keeps the taps shared (a copy of them for the reference).
    void SetDesign(std::shared_ptr<const dsp::CrossoverTaps> taps);
    void SetDesign(const dsp::CrossoverTaps& taps);
    bool HasDesign() const { return design_ != nullptr; }
    // The design's rate and latency (CommonCentre), or the default rate and 0 without design.
    int32_t SampleRateHz() const;
    int32_t LatencySamples() const;

    // Replaces the drivers (an empty entry is an ideal driver: 0°, at IdealLevelDb): the
    // frequencies follow the files, D_b afresh, and H_b when the frequencies changed.
    // EDriverFileError when no file holds a frequency below half the rate; nothing changes then.
    void SetDrivers(Drivers drivers);
    void SetDriver(Band band, std::optional<DriverResponse> driver);
    const Drivers& DriverFiles() const { return drivers_; }
    const std::optional<DriverResponse>& Driver(Band band) const;

    const std::vector<double>& Frequencies() const { return frequencies_; }
    // EDriverFileError, naming the files and their ranges, when there is no frequency: the files
    // share none below half the design's rate.
    void CheckFrequencies() const;

    // The responses for `settings` from what is kept; empty without a design. `out` keeps its
    // memory from one call to the next.
    void Evaluate(const Settings& settings, AcousticResponse& out) const;

    // What is kept, at Frequencies(): D_b (always) and H_b (empty without a design).
    const std::array<ComplexCurve, dsp::kBandCount>& DriverValues() const { return driver_; }
    const std::array<ComplexCurve, dsp::kBandCount>& CrossoverValues() const { return crossover_; }

  private:
    std::shared_ptr<const dsp::CrossoverTaps> design_;
    Drivers drivers_;
    std::vector<double> frequencies_;
    std::array<ComplexCurve, dsp::kBandCount> crossover_;  // H_b at frequencies_, with a design
    std::array<ComplexCurve, dsp::kBandCount> driver_;     // D_b at frequencies_, always
};

}  // namespace kc::acoustic

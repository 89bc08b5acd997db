// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/acoustic_model.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

#include "acoustic/continuation.h"
#include "base/math_constants.h"
#include "base/text_convert.h"
#include "dsp/complex_response.h"
#include "dsp/split_work.h"

namespace kc::acoustic {
namespace {

constexpr double kFloorDb = -300.0;
constexpr double kSmallestMagnitude = 1e-15;

std::string HzText(double hz) {
    std::array<char, 64> digits{};
    const auto result =
        std::to_chars(digits.data(), digits.data() + digits.size(), hz, std::chars_format::general);
    return std::string(digits.data(), result.ptr);
}

// The message when no file holds a frequency below half the rate: each file with its range.
std::string NoCommonFrequency(const Drivers& drivers, int32_t sampleRateHz) {
    std::string message = "the driver files hold no frequency below half the rate (" +
                          HzText(sampleRateHz / 2.0) + " Hz):";
    const char* separator = " ";
    for (const auto& driver : drivers) {
        if (driver) {
            message += separator + driver->name + " covers " + HzText(driver->FirstHz()) + " ... " +
                       HzText(driver->LastHz()) + " Hz";
            separator = ", ";
        }
    }
    return message;
}

std::complex<double> FromLevelAndPhase(double levelDb, double phaseDeg) {
    const double magnitude = std::pow(10.0, levelDb / 20.0);
    // The whole turns go first, exactly, so that an unwrapped phase of many turns keeps its
    // precision.
    const double radians =
        std::remainder(phaseDeg, 360.0) * static_cast<double>(base::kPi / 180.0L);
    return std::polar(magnitude, radians);
}

// H_b of the three bands at the frequencies, the design's latency taken out.
std::array<ComplexCurve, dsp::kBandCount> CrossoverAt(const dsp::CrossoverTaps& taps,
                                                      const std::vector<double>& frequenciesHz) {
    const auto bandTaps = dsp::BandTaps(taps);
    std::array<ComplexCurve, dsp::kBandCount> responses;
    dsp::RunInTwoHalves(dsp::kBandCount, 2, [&](std::size_t begin, std::size_t end) {
        for (std::size_t b = begin; b < end; ++b) {
            responses[b] = dsp::DelayFreeResponse(*bandTaps[b], taps.CommonCentre,
                                                  taps.sampleRateHz, frequenciesHz);
        }
    });
    return responses;
}

// D_b of the three bands at the frequencies: each file interpolated, the ideal driver (0° at the
// ideal level) without one.
std::array<ComplexCurve, dsp::kBandCount> DriversAt(const Drivers& drivers,
                                                    const std::vector<double>& frequenciesHz) {
    std::array<ComplexCurve, dsp::kBandCount> values;
    const double ideal = std::pow(10.0, IdealLevelDb(drivers) / 20.0);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        values[b] = drivers[b] ? InterpolateDriver(*drivers[b], frequenciesHz)
                               : ComplexCurve(frequenciesHz.size(), ideal);
    }
    return values;
}

std::string StretchHzText(double firstHz, double lastHz) {
    const bool kilo = lastHz >= 1000.0;
    const double unit = kilo ? 1000.0 : 1.0;
    const auto text = [&](double hz) {
        const double value = hz / unit;
        return base::FixedPointText(value, value < 10.0 ? 2 : value < 100.0 ? 1 : 0);
    };
    return text(firstHz) + " ... " + text(lastHz) + (kilo ? " kHz" : " Hz");
}

}  // namespace

std::vector<double> AcousticFrequencies(const Drivers& drivers, int32_t sampleRateHz) {
    double first = kIdealFirstHz;
    double last = kIdealLastHz;
    if (std::any_of(drivers.begin(), drivers.end(), [](const auto& d) { return d.has_value(); })) {
        first = std::numeric_limits<double>::infinity();
        last = 0.0;
        for (const auto& driver : drivers) {
            if (driver) {
                first = std::min(first, driver->FirstHz());
                last = std::max(last, driver->LastHz());
            }
        }
        first = std::max(first, kLowestHz);
    }
    // The last frequency is included: every frequency below the next double after it.
    const double below =
        std::min(std::nextafter(last, std::numeric_limits<double>::infinity()), sampleRateHz / 2.0);
    return dsp::LogSpacedFrequencies(first, kPointsPerOctave, below);
}

ComplexCurve InterpolateDriver(const DriverResponse& driver,
                               const std::vector<double>& frequenciesHz) {
    const std::vector<double>& at = driver.frequenciesHz;
    const std::array<double, 2> slopeDbPerOctave = {
        EndSlopeDbPerOctave(at, driver.levelsDb, End::Low),
        EndSlopeDbPerOctave(at, driver.levelsDb, End::High)};
    const std::array<double, 2> delaySeconds = {
        EndGroupDelaySeconds(at, driver.phasesDeg, End::Low),
        EndGroupDelaySeconds(at, driver.phasesDeg, End::High)};
    ComplexCurve values;
    values.reserve(frequenciesHz.size());
    for (const double f : frequenciesHz) {
        const auto upper = std::upper_bound(at.begin(), at.end(), f);
        if (upper == at.begin() || upper == at.end()) {
            const std::size_t side = upper == at.begin() ? 0 : 1;
            const std::size_t end = side == 0 ? 0 : at.size() - 1;
            // The level floored where it would leave the range a file may hold.
            const double level =
                std::max(driver.levelsDb[end] + slopeDbPerOctave[side] * std::log2(f / at[end]),
                         -kMaxFrdLevelDb);
            const double phase = driver.phasesDeg[end] - 360.0 * delaySeconds[side] * (f - at[end]);
            values.push_back(FromLevelAndPhase(level, phase));
            continue;
        }
        const auto i = static_cast<std::size_t>(upper - at.begin()) - 1;
        // Neighbours a few units in the last place apart may have a logarithmic distance that
        // rounds to 0; the lower point's value stands for both then.
        const double span = std::log(at[i + 1] / at[i]);
        const double t = span > 0.0 ? std::clamp(std::log(f / at[i]) / span, 0.0, 1.0) : 0.0;
        const double level = driver.levelsDb[i] + t * (driver.levelsDb[i + 1] - driver.levelsDb[i]);
        const double phase =
            driver.phasesDeg[i] + t * (driver.phasesDeg[i + 1] - driver.phasesDeg[i]);
        values.push_back(FromLevelAndPhase(level, phase));
    }
    return values;
}

double Median(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 != 0) {
        return *middle;
    }
    return 0.5 * (*middle + *std::max_element(values.begin(), middle));
}

bool IsContinued(const std::optional<DriverResponse>& driver, double hz) {
    return driver && (hz < driver->FirstHz() || hz > driver->LastHz());
}

double IdealLevelDb(const Drivers& drivers) {
    double sum = 0.0;
    int32_t files = 0;
    for (const auto& driver : drivers) {
        if (driver) {
            sum += Median(driver->levelsDb);
            ++files;
        }
    }
    return files == 0 ? 0.0 : sum / files;
}

std::vector<ContinuedStretch> ContinuedStretches(const Drivers& drivers,
                                                 const AcousticResponse& response) {
    std::vector<ContinuedStretch> stretches;
    bool open = false;
    for (std::size_t i = 0; i < response.sum.size(); ++i) {
        const double hz = response.frequenciesHz[i];
        const double threshold =
            std::abs(response.sum[i]) * std::pow(10.0, -kContinuedWithinDb / 20.0);
        std::array<bool, dsp::kBandCount> bands{};
        bool any = false;
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            bands[b] = IsContinued(drivers[b], hz) && std::abs(response.bands[b][i]) >= threshold &&
                       std::abs(response.bands[b][i]) > 0.0;
            any = any || bands[b];
        }
        if (!any) {
            open = false;
            continue;
        }
        if (!open) {
            stretches.push_back({hz, hz, {}});
            open = true;
        }
        stretches.back().lastHz = hz;
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            stretches.back().bands[b] = stretches.back().bands[b] || bands[b];
        }
    }
    return stretches;
}

std::string ContinuedText(const std::vector<ContinuedStretch>& stretches) {
    if (stretches.empty()) {
        return {};
    }
    constexpr std::size_t kShown = 4;
    std::string text = "the sum rests on continued data at ";
    for (std::size_t s = 0; s < stretches.size() && s < kShown; ++s) {
        text +=
            (s == 0 ? "" : ", ") + StretchHzText(stretches[s].firstHz, stretches[s].lastHz) + " (";
        const char* separator = "";
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            if (stretches[s].bands[b]) {
                text += separator + std::string(dsp::kCurveNames[b].id);
                separator = ", ";
            }
        }
        text += ")";
    }
    if (stretches.size() > kShown) {
        text += " and " + std::to_string(stretches.size() - kShown) + " more stretches";
    }
    return text;
}

void CheckCommonFrequencies(const Drivers& drivers, int32_t sampleRateHz) {
    if (AcousticFrequencies(drivers, sampleRateHz).empty()) {
        throw EDriverFileError(NoCommonFrequency(drivers, sampleRateHz));
    }
}

double CentreFrequencyHz(const DriverResponse& driver) {
    const std::vector<double>& f = driver.frequenciesHz;
    const double top = *std::max_element(driver.levelsDb.begin(), driver.levelsDb.end());
    double weightedLog = 0.0;
    double weights = 0.0;
    for (std::size_t i = 1; i < f.size(); ++i) {
        // Each interval by the mean power of its ends, relative to the loudest point so that
        // nothing overflows.
        const double power = (std::pow(10.0, (driver.levelsDb[i - 1] - top) / 10.0) +
                              std::pow(10.0, (driver.levelsDb[i] - top) / 10.0)) /
                             2.0;
        const double weight = power * std::log(f[i] / f[i - 1]);
        weightedLog += weight * 0.5 * (std::log(f[i - 1]) + std::log(f[i]));
        weights += weight;
    }
    return weights > 0.0 ? std::exp(weightedLog / weights)
                         : std::exp(0.5 * (std::log(f.front()) + std::log(f.back())));
}

std::array<std::size_t, dsp::kBandCount> BandsByCentreFrequency(
    std::span<const DriverResponse, dsp::kBandCount> drivers) {
    std::array<double, dsp::kBandCount> centresHz{};
    std::array<std::size_t, dsp::kBandCount> order{};
    for (std::size_t i = 0; i < dsp::kBandCount; ++i) {
        centresHz[i] = CentreFrequencyHz(drivers[i]);
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return centresHz[a] < centresHz[b]; });
    return order;
}

std::vector<double> LevelsDb(const ComplexCurve& values) {
    std::vector<double> levels(values.size());
    std::transform(values.begin(), values.end(), levels.begin(), [](std::complex<double> v) {
        const double magnitude = std::abs(v);
        return magnitude < kSmallestMagnitude ? kFloorDb : 20.0 * std::log10(magnitude);
    });
    return levels;
}

std::vector<double> PhasesDeg(const ComplexCurve& values) {
    std::vector<double> phases(values.size());
    std::transform(values.begin(), values.end(), phases.begin(), [](std::complex<double> v) {
        const double degrees = std::arg(v) * static_cast<double>(180.0L / base::kPi);
        return degrees <= -180.0 ? degrees + 360.0 : degrees;
    });
    return phases;
}

AcousticModel::AcousticModel()
    : frequencies_(AcousticFrequencies({}, dsp::SampleRate)),
      driver_(DriversAt({}, frequencies_)) {}

void AcousticModel::SetDesign(const dsp::CrossoverTaps& taps) {
    SetDesign(std::make_shared<const dsp::CrossoverTaps>(taps));
}

void AcousticModel::SetDesign(std::shared_ptr<const dsp::CrossoverTaps> taps) {
    std::vector<double> frequencies = AcousticFrequencies(drivers_, taps->sampleRateHz);
    std::array<ComplexCurve, dsp::kBandCount> crossover = CrossoverAt(*taps, frequencies);
    if (frequencies != frequencies_) {
        driver_ = DriversAt(drivers_, frequencies);
    }
    design_ = std::move(taps);
    frequencies_ = std::move(frequencies);
    crossover_ = std::move(crossover);
}

int32_t AcousticModel::SampleRateHz() const {
    return design_ ? design_->sampleRateHz : dsp::SampleRate;
}

int32_t AcousticModel::LatencySamples() const {
    return design_ ? design_->CommonCentre : 0;
}

void AcousticModel::SetDrivers(Drivers drivers) {
    std::vector<double> frequencies = AcousticFrequencies(drivers, SampleRateHz());
    if (frequencies.empty()) {
        throw EDriverFileError(NoCommonFrequency(drivers, SampleRateHz()));
    }
    std::array<ComplexCurve, dsp::kBandCount> driverValues = DriversAt(drivers, frequencies);
    if (design_ && frequencies != frequencies_) {
        crossover_ = CrossoverAt(*design_, frequencies);
    }
    drivers_ = std::move(drivers);
    frequencies_ = std::move(frequencies);
    driver_ = std::move(driverValues);
}

void AcousticModel::CheckFrequencies() const {
    if (frequencies_.empty()) {
        throw EDriverFileError(NoCommonFrequency(drivers_, SampleRateHz()));
    }
}

void AcousticModel::SetDriver(Band band, std::optional<DriverResponse> driver) {
    Drivers drivers = drivers_;
    drivers[static_cast<std::size_t>(band)] = std::move(driver);
    SetDrivers(std::move(drivers));
}

const std::optional<DriverResponse>& AcousticModel::Driver(Band band) const {
    return drivers_[static_cast<std::size_t>(band)];
}

void AcousticModel::Evaluate(const Settings& settings, AcousticResponse& out) const {
    out.frequenciesHz = frequencies_;
    const std::size_t count = design_ ? frequencies_.size() : 0;
    out.sum.assign(count, 0.0);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const BandSettings& band = settings[b];
        const double gain = std::pow(10.0, band.gainDb / 20.0);
        const double polarity = band.inverted ? -1.0 : 1.0;
        const long double delaySeconds = static_cast<long double>(band.delayMs) / 1000.0L;
        out.bands[b].resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            // e^(−j·2π·f·τ), its whole turns taken off in extended precision first.
            const long double turns = frequencies_[i] * delaySeconds;
            const auto angle = static_cast<double>(-base::kTwoPi * (turns - std::nearbyint(turns)));
            const std::complex<double> value =
                driver_[b][i] * crossover_[b][i] * std::polar(gain, angle) * polarity;
            out.bands[b][i] = value;
            out.sum[i] += value;
        }
    }
}

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/auto_align.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <vector>

#include "base/math_constants.h"

namespace kc::acoustic {
namespace {

constexpr double kGainToleranceDb = 0.01;
constexpr int kSearchRounds = 3;
// The gain search reaches this far from the starting gain either way, within the gain range.
constexpr double kGainReachDb = 24.0;

// 20·log10|v| − target, limited to ±kAlignLargestDeviationDb; from |v|² to spare the root.
double DeviationDb(std::complex<double> value, double targetDb) {
    const double power = std::norm(value);
    const double levelDb = power > 0.0 ? 10.0 * std::log10(power) : -1e300;
    return std::clamp(levelDb - targetDb, -kAlignLargestDeviationDb, kAlignLargestDeviationDb);
}

// e^(−j·2π·f·τ), the whole turns taken off in extended precision first.
std::complex<double> DelayFactor(double hz, double delayMs) {
    const long double turns = hz * (static_cast<long double>(delayMs) / 1000.0L);
    return std::polar(1.0, static_cast<double>(-base::kTwoPi * (turns - std::nearbyint(turns))));
}

std::complex<double> BandFactor(const BandSettings& band, double hz) {
    return DelayFactor(hz, band.delayMs) * std::pow(10.0, band.gainDb / 20.0) *
           (band.inverted ? -1.0 : 1.0);
}

// The search's state: the settings, the counted points, each band's value at them for its
// settings and the sum of the other bands', so that a change of one band costs one pass.
class Search {
  public:
    Search(const AlignInputs& inputs, const Settings& settings) : settings_(settings) {
        for (std::size_t i = 0; i < inputs.frequenciesHz.size(); ++i) {
            if (inputs.counted[i]) {
                points_.push_back(i);
                hz_.push_back(inputs.frequenciesHz[i]);
                targetDb_.push_back(inputs.targetDb[i]);
            }
        }
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            for (const std::size_t i : points_) {
                raw_[b].push_back(inputs.bands[b][i]);
            }
            values_[b].resize(points_.size());
            Apply(b);
        }
    }

    std::size_t Points() const { return points_.size(); }
    const Settings& Current() const { return settings_; }

    double Rms() const {
        return RmsOf([&](std::size_t k) {
            std::complex<double> sum = 0.0;
            for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
                sum += values_[b][k];
            }
            return sum;
        });
    }

    // Band b's polarity and delay: every coarse step over the range, then the fine step about the
    // best.
    void SearchDelay(std::size_t b) {
        const std::vector<std::complex<double>> others = Others(b);
        const double gain = std::pow(10.0, settings_[b].gainDb / 20.0);
        Best best = ScanDelays(
            b, others, gain, -kAlignDelayRangeMs, kAlignCoarseStepMs,
            static_cast<int>(std::lround(2.0 * kAlignDelayRangeMs / kAlignCoarseStepMs)));
        const double from = std::max(-kAlignDelayRangeMs, best.delayMs - kAlignCoarseStepMs);
        const double to = std::min(kAlignDelayRangeMs, best.delayMs + kAlignCoarseStepMs);
        const Best fine = ScanDelays(b, others, gain, from, kAlignFineStepMs,
                                     static_cast<int>(std::lround((to - from) / kAlignFineStepMs)));
        if (fine.rmsDb <= best.rmsDb) {
            best = fine;
        }
        settings_[b].delayMs = best.delayMs;
        settings_[b].inverted = best.inverted;
        Apply(b);
    }

    // Band b's gain by golden-section search (the deviation is smooth in the gain near its best).
    void SearchGain(std::size_t b, double startDb) {
        const std::vector<std::complex<double>> others = Others(b);
        std::vector<std::complex<double>> unit(points_.size());
        BandSettings neutral = settings_[b];
        neutral.gainDb = 0.0;
        for (std::size_t k = 0; k < points_.size(); ++k) {
            unit[k] = raw_[b][k] * BandFactor(neutral, hz_[k]);
        }
        const auto rmsAt = [&](double gainDb) {
            const double gain = std::pow(10.0, gainDb / 20.0);
            return RmsOf([&](std::size_t k) { return others[k] + gain * unit[k]; });
        };
        double low = std::max(kMinGainDb, startDb - kGainReachDb);
        double high = std::min(kMaxGainDb, startDb + kGainReachDb);
        const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
        double a = high - ratio * (high - low);
        double c = low + ratio * (high - low);
        double rmsA = rmsAt(a);
        double rmsC = rmsAt(c);
        while (high - low > kGainToleranceDb) {
            if (rmsA <= rmsC) {
                high = c;
                c = a;
                rmsC = rmsA;
                a = high - ratio * (high - low);
                rmsA = rmsAt(a);
            } else {
                low = a;
                a = c;
                rmsA = rmsC;
                c = low + ratio * (high - low);
                rmsC = rmsAt(c);
            }
        }
        const double found = std::round(50.0 * (low + high)) / 100.0;
        if (rmsAt(found) <= rmsAt(settings_[b].gainDb)) {
            settings_[b].gainDb = found;
            Apply(b);
        }
    }

  private:
    struct Best {
        double rmsDb = 0.0;
        double delayMs = 0.0;
        bool inverted = false;
    };

    template <class Sum>
    double RmsOf(const Sum& sumAt) const {
        if (points_.empty()) {
            return 0.0;
        }
        double squares = 0.0;
        for (std::size_t k = 0; k < points_.size(); ++k) {
            const double deviation = DeviationDb(sumAt(k), targetDb_[k]);
            squares += deviation * deviation;
        }
        return std::sqrt(squares / static_cast<double>(points_.size()));
    }

    // The delays from + step·n for n = 0 ... count, both polarities. The delay factor of each
    // point goes from one delay to the next by one multiplication; over a few thousand steps its
    // rounding stays near 1e-13, far below what a deviation in dB can show.
    Best ScanDelays(std::size_t b, const std::vector<std::complex<double>>& others, double gain,
                    double fromMs, double stepMs, int count) const {
        std::vector<std::complex<double>> scaled(points_.size());
        std::vector<std::complex<double>> step(points_.size());
        for (std::size_t k = 0; k < points_.size(); ++k) {
            scaled[k] = gain * raw_[b][k] * DelayFactor(hz_[k], fromMs);
            step[k] = DelayFactor(hz_[k], stepMs);
        }
        Best best{std::numeric_limits<double>::infinity(), 0.0, false};
        for (int n = 0; n <= count; ++n) {
            const double delayMs = fromMs + stepMs * n;
            for (const bool inverted : {false, true}) {
                const double sign = inverted ? -1.0 : 1.0;
                const double rms =
                    RmsOf([&](std::size_t k) { return others[k] + sign * scaled[k]; });
                if (rms < best.rmsDb) {
                    best = {rms, delayMs, inverted};
                }
            }
            for (std::size_t k = 0; k < points_.size(); ++k) {
                scaled[k] *= step[k];
            }
        }
        return best;
    }

    std::vector<std::complex<double>> Others(std::size_t band) const {
        std::vector<std::complex<double>> sum(points_.size());
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            if (b != band) {
                for (std::size_t k = 0; k < points_.size(); ++k) {
                    sum[k] += values_[b][k];
                }
            }
        }
        return sum;
    }

    void Apply(std::size_t b) {
        for (std::size_t k = 0; k < points_.size(); ++k) {
            values_[b][k] = raw_[b][k] * BandFactor(settings_[b], hz_[k]);
        }
    }

    Settings settings_;
    std::vector<std::size_t> points_;
    std::vector<double> hz_;
    std::vector<double> targetDb_;
    std::array<std::vector<std::complex<double>>, dsp::kBandCount> raw_;
    std::array<std::vector<std::complex<double>>, dsp::kBandCount> values_;
};

double Median(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

// The gain that brings band b's median level over the counted points of its pass band to the
// target there (over its whole pass band if none counts), within the gain range.
double StartingGainDb(const AlignInputs& inputs, std::size_t b) {
    std::vector<double> counted;
    std::vector<double> inBand;
    for (std::size_t i = 0; i < inputs.frequenciesHz.size(); ++i) {
        if (!inputs.passBands[b][i] || std::abs(inputs.bands[b][i]) <= 0.0) {
            continue;
        }
        const double gap = inputs.targetDb[i] - 20.0 * std::log10(std::abs(inputs.bands[b][i]));
        inBand.push_back(gap);
        if (inputs.counted[i]) {
            counted.push_back(gap);
        }
    }
    const std::vector<double>& gaps = counted.empty() ? inBand : counted;
    return gaps.empty() ? 0.0 : std::clamp(Median(gaps), kMinGainDb, kMaxGainDb);
}

}  // namespace

std::vector<bool> DataPoints(const Drivers& files,
                             const std::array<ComplexCurve, dsp::kBandCount>& crossovers,
                             const std::vector<double>& frequenciesHz) {
    const double quiet = std::pow(10.0, -kContinuedWithinDb / 20.0);
    std::vector<bool> points(frequenciesHz.size(), true);
    for (std::size_t i = 0; i < frequenciesHz.size(); ++i) {
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            const bool heard = crossovers[b].empty() || std::abs(crossovers[b][i]) >= quiet;
            if (heard && IsContinued(files[b], frequenciesHz[i])) {
                points[i] = false;
            }
        }
    }
    if (std::none_of(points.begin(), points.end(), [](bool p) { return p; })) {
        points.assign(frequenciesHz.size(), true);
    }
    return points;
}

double RmsDeviationDb(const AlignInputs& inputs, const Settings& settings) {
    return Search(inputs, settings).Rms();
}

AlignResult Align(const AlignInputs& inputs, const Settings& current) {
    Settings start;
    std::array<double, dsp::kBandCount> startingGainsDb{};
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        startingGainsDb[b] = StartingGainDb(inputs, b);
        start[b].gainDb = startingGainsDb[b];
    }
    Search search(inputs, start);
    AlignResult result;
    result.rmsBeforeDb = RmsDeviationDb(inputs, current);
    result.points = search.Points();
    if (search.Points() > 0) {
        for (int round = 0; round < kSearchRounds; ++round) {
            for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
                if (b != kAlignReferenceBand) {
                    search.SearchDelay(b);
                }
            }
            for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
                search.SearchGain(b, startingGainsDb[b]);
            }
        }
        const auto first = std::find(inputs.counted.begin(), inputs.counted.end(), true);
        const auto last = std::find(inputs.counted.rbegin(), inputs.counted.rend(), true);
        result.firstHz =
            inputs.frequenciesHz[static_cast<std::size_t>(first - inputs.counted.begin())];
        result.lastHz =
            inputs.frequenciesHz[inputs.counted.size() - 1 -
                                 static_cast<std::size_t>(last - inputs.counted.rbegin())];
    }
    result.settings = search.Current();
    result.rmsAfterDb = search.Rms();
    return result;
}

AlignInputs AlignInputsOf(const AcousticModel& model, const TargetSettings& target) {
    AcousticResponse response;
    model.Evaluate(Settings{}, response);
    AlignInputs inputs;
    const std::size_t count = response.sum.size();
    if (count == 0) {
        return inputs;
    }
    inputs.frequenciesHz = response.frequenciesHz;
    inputs.bands = response.bands;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        inputs.passBands[b] = PassBandPoints(model.CrossoverValues()[b], count);
    }
    inputs.targetDb = TargetLevelsDb(target, TargetLevelDb(target, DefaultTargetLevelDb(model)),
                                     inputs.frequenciesHz);
    inputs.counted = DataPoints(model.DriverFiles(), model.CrossoverValues(), inputs.frequenciesHz);
    return inputs;
}

}  // namespace kc::acoustic

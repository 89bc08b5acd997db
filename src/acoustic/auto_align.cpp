// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/auto_align.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstddef>
#include <limits>
#include <optional>
#include <stdexcept>
#include <vector>

#include "base/math_constants.h"
#include "base/text_convert.h"

namespace kc::acoustic {
namespace {

constexpr double kGainToleranceDb = 0.01;
constexpr int kSearchRounds = 3;
// The gain search reaches this far from the starting gain either way, within the gain range.
constexpr double kGainReachDb = 24.0;

// The upper of the two middle values for an even count, so that the result is one of `values`.
double UpperMedian(std::vector<double> values) {
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

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

    double Deviation() const {
        return DeviationOf([&](std::size_t k) {
            std::complex<double> sum = 0.0;
            for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
                sum += values_[b][k];
            }
            return sum;
        });
    }

    // Band b's polarity and delay: every coarse step over the range; of the local minima within
    // kAlignEquivalentDb of the best the most coherent one (a steep crossover's bands meet over a
    // narrow range, where another period of delay, or half of one with the polarity inverted,
    // sums almost alike but adds the bands out of phase beside it); then the fine step about it.
    void SearchDelay(std::size_t b) {
        const std::vector<std::complex<double>> others = Others(b);
        const double gain = std::pow(10.0, settings_[b].gainDb / 20.0);
        const int coarseSteps =
            static_cast<int>(std::lround(2.0 * kAlignDelayRangeMs / kAlignCoarseStepMs));
        const auto coarse =
            ScanDelays(b, others, gain, -kAlignDelayRangeMs, kAlignCoarseStepMs, coarseSteps);
        const Candidate chosen =
            MostCoherentEquivalent(coarse, -kAlignDelayRangeMs, kAlignCoarseStepMs);
        const double from = std::max(-kAlignDelayRangeMs, chosen.delayMs - kAlignCoarseStepMs);
        const double to = std::min(kAlignDelayRangeMs, chosen.delayMs + kAlignCoarseStepMs);
        const int fineSteps = static_cast<int>(std::lround((to - from) / kAlignFineStepMs));
        const std::vector<double> fine =
            ScanDelays(b, others, gain, from, kAlignFineStepMs, fineSteps)[chosen.inverted ? 1 : 0]
                .deviations;
        const auto best = std::min_element(fine.begin(), fine.end());
        // To the fine step's four decimals, so that the design file holds 0.15, not 0.1499999…
        const double delayMs = from + kAlignFineStepMs * static_cast<double>(best - fine.begin());
        settings_[b].delayMs = std::round(delayMs * 1e4) / 1e4;
        settings_[b].inverted = chosen.inverted;
        Apply(b);
    }

    // Band b's gain by golden-section search (the deviation falls towards its best gain and rises
    // beyond it).
    void SearchGain(std::size_t b, double startDb) {
        const std::vector<std::complex<double>> others = Others(b);
        std::vector<std::complex<double>> unit(points_.size());
        BandSettings neutral = settings_[b];
        neutral.gainDb = 0.0;
        for (std::size_t k = 0; k < points_.size(); ++k) {
            unit[k] = raw_[b][k] * BandFactor(neutral, hz_[k]);
        }
        const auto deviationAt = [&](double gainDb) {
            const double gain = std::pow(10.0, gainDb / 20.0);
            return DeviationOf([&](std::size_t k) { return others[k] + gain * unit[k]; });
        };
        double low = std::max(kMinGainDb, startDb - kGainReachDb);
        double high = std::min(kMaxGainDb, startDb + kGainReachDb);
        const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
        double a = high - ratio * (high - low);
        double c = low + ratio * (high - low);
        double deviationA = deviationAt(a);
        double deviationC = deviationAt(c);
        while (high - low > kGainToleranceDb) {
            if (deviationA <= deviationC) {
                high = c;
                c = a;
                deviationC = deviationA;
                a = high - ratio * (high - low);
                deviationA = deviationAt(a);
            } else {
                low = a;
                a = c;
                deviationA = deviationC;
                c = low + ratio * (high - low);
                deviationC = deviationAt(c);
            }
        }
        const double found = std::round(50.0 * (low + high)) / 100.0;
        if (deviationAt(found) <= deviationAt(settings_[b].gainDb)) {
            settings_[b].gainDb = found;
            Apply(b);
        }
    }

  private:
    struct Candidate {
        double delayMs = 0.0;
        bool inverted = false;
    };
    // One polarity's deviations from the target at each delay scanned, and how coherently the
    // band adds to the others there: the mean cosine of their phase difference, weighted by the
    // product of their magnitudes (1 where they add in phase wherever they overlap).
    struct Scan {
        std::vector<double> deviations;
        std::vector<double> coherences;
    };

    // Of the local minima of the deviations (per polarity, at fromMs + stepMs·n) within
    // kAlignEquivalentDb of the smallest, the most coherent one.
    static Candidate MostCoherentEquivalent(const std::array<Scan, 2>& scans, double fromMs,
                                            double stepMs) {
        double smallest = std::numeric_limits<double>::infinity();
        for (const Scan& scan : scans) {
            smallest = std::min(smallest,
                                *std::min_element(scan.deviations.begin(), scan.deviations.end()));
        }
        Candidate chosen;
        double coherence = -std::numeric_limits<double>::infinity();
        for (std::size_t p = 0; p < scans.size(); ++p) {
            const std::vector<double>& d = scans[p].deviations;
            for (std::size_t n = 0; n < d.size(); ++n) {
                const bool minimum =
                    (n == 0 || d[n] <= d[n - 1]) && (n + 1 == d.size() || d[n] <= d[n + 1]);
                if (minimum && d[n] <= smallest + kAlignEquivalentDb &&
                    scans[p].coherences[n] > coherence) {
                    coherence = scans[p].coherences[n];
                    chosen = {fromMs + stepMs * static_cast<double>(n), p == 1};
                }
            }
        }
        return chosen;
    }

    template <class Sum>
    double DeviationOf(const Sum& sumAt) const {
        if (points_.empty()) {
            return 0.0;
        }
        double deviations = 0.0;
        for (std::size_t k = 0; k < points_.size(); ++k) {
            deviations += std::abs(DeviationDb(sumAt(k), targetDb_[k]));
        }
        return deviations / static_cast<double>(points_.size());
    }

    // The deviation and the coherence at the delays from + step·n for n = 0 ... stepCount, normal
    // polarity first, then inverted. The delay factor of each point goes from one delay to the
    // next by one multiplication; over a few thousand steps its rounding stays near 1e-13, far
    // below what a deviation in dB can show.
    std::array<Scan, 2> ScanDelays(std::size_t b, const std::vector<std::complex<double>>& others,
                                   double gain, double fromMs, double stepMs, int stepCount) const {
        std::vector<std::complex<double>> scaled(points_.size());
        std::vector<std::complex<double>> step(points_.size());
        double weights = 0.0;
        for (std::size_t k = 0; k < points_.size(); ++k) {
            scaled[k] = gain * raw_[b][k] * DelayFactor(hz_[k], fromMs);
            step[k] = DelayFactor(hz_[k], stepMs);
            weights += std::abs(scaled[k]) * std::abs(others[k]);
        }
        std::array<Scan, 2> scans;
        for (int n = 0; n <= stepCount; ++n) {
            double inPhase = 0.0;
            for (std::size_t k = 0; k < points_.size(); ++k) {
                inPhase += (scaled[k] * std::conj(others[k])).real();
            }
            for (const bool inverted : {false, true}) {
                const double sign = inverted ? -1.0 : 1.0;
                Scan& scan = scans[inverted ? 1 : 0];
                scan.deviations.push_back(
                    DeviationOf([&](std::size_t k) { return others[k] + sign * scaled[k]; }));
                scan.coherences.push_back(weights > 0.0 ? sign * inPhase / weights : 0.0);
            }
            for (std::size_t k = 0; k < points_.size(); ++k) {
                scaled[k] *= step[k];
            }
        }
        return scans;
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
    return gaps.empty() ? 0.0 : std::clamp(UpperMedian(gaps), kMinGainDb, kMaxGainDb);
}

// Band b's levels in dB at the counted points of its pass band (at all of its pass band if none
// counts there).
std::vector<double> PassBandLevelsDb(const AlignInputs& inputs, std::size_t b) {
    std::vector<double> counted;
    std::vector<double> inBand;
    for (std::size_t i = 0; i < inputs.frequenciesHz.size(); ++i) {
        const double magnitude = std::abs(inputs.bands[b][i]);
        if (inputs.passBands[b][i] && magnitude > 0.0) {
            inBand.push_back(20.0 * std::log10(magnitude));
            if (inputs.counted[i]) {
                counted.push_back(inBand.back());
            }
        }
    }
    return counted.empty() ? inBand : counted;
}

// Where a band plays in its pass band: the median of its levels within kAlignPlateauWithinDb of the
// loudest, so that a roll-off over much of the pass band (a woofer's file from 10 Hz) does not
// lower it.
double PlateauLevelDb(std::vector<double> levels) {
    const double loudest = *std::max_element(levels.begin(), levels.end());
    std::erase_if(levels, [loudest](double db) { return db < loudest - kAlignPlateauWithinDb; });
    return UpperMedian(std::move(levels));
}

// The index of the first point (from the low end, or from the high end when `fromTop`) where
// band b passes and lies within kAlignUsableWithinDb of its plateau level.
std::optional<std::size_t> UsableEnd(const AlignInputs& inputs, std::size_t b, bool fromTop) {
    std::vector<double> levels = PassBandLevelsDb(inputs, b);
    if (levels.empty()) {
        return std::nullopt;
    }
    const double lowest =
        std::pow(10.0, (PlateauLevelDb(std::move(levels)) - kAlignUsableWithinDb) / 20.0);
    const std::size_t count = inputs.frequenciesHz.size();
    for (std::size_t n = 0; n < count; ++n) {
        const std::size_t i = fromTop ? count - 1 - n : n;
        if (inputs.passBands[b][i] && std::abs(inputs.bands[b][i]) >= lowest) {
            return i;
        }
    }
    return std::nullopt;
}

std::string SignedText(double value, int decimals) {
    const std::string text = base::FixedPointText(value, decimals);
    return text.starts_with('-') ? text : "+" + text;
}

std::string FrequencyText(double hz) {
    return hz >= 1000.0 ? base::FixedPointText(hz / 1000.0, 2) + " kHz"
                        : base::FixedPointText(hz, 1) + " Hz";
}

}  // namespace

std::string AlignedSettingsText(const Settings& settings) {
    std::string text;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        text += (b == 0 ? "" : ", ") + std::string(dsp::kCurveNames[b].id) + " " +
                base::FixedPointText(settings[b].gainDb, 2) + " dB " +
                SignedText(settings[b].delayMs, 3) + " ms" +
                (settings[b].inverted ? " inverted" : "");
    }
    return text;
}

std::string AlignedDeviationText(const AlignResult& result) {
    if (result.points == 0) {
        return "no frequency to measure";
    }
    return "mean deviation from the target (" + base::FixedPointText(result.targetLevelDb, 2) +
           " dB) " + base::FixedPointText(result.deviationBeforeDb, 2) + " dB before, " +
           base::FixedPointText(result.deviationAfterDb, 2) + " dB after, over " +
           FrequencyText(result.firstHz) + " ... " + FrequencyText(result.lastHz) + " (" +
           std::to_string(result.points) + " frequencies)";
}

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

void KeepUsableRange(AlignInputs& inputs) {
    const std::optional<std::size_t> first = UsableEnd(inputs, 0, false);
    const std::optional<std::size_t> last = UsableEnd(inputs, dsp::kBandCount - 1, true);
    if (!first || !last || *first > *last) {
        return;
    }
    for (std::size_t i = 0; i < inputs.counted.size(); ++i) {
        inputs.counted[i] = inputs.counted[i] && i >= *first && i <= *last;
    }
}

double MeanDeviationDb(const AlignInputs& inputs, const Settings& settings) {
    return Search(inputs, settings).Deviation();
}

AlignResult Align(const AlignInputs& inputs, const Settings& current) {
    const std::size_t count = inputs.frequenciesHz.size();
    const bool consistent =
        inputs.targetDb.size() == count && inputs.counted.size() == count &&
        std::all_of(inputs.bands.begin(), inputs.bands.end(),
                    [count](const ComplexCurve& band) { return band.size() == count; }) &&
        std::all_of(inputs.passBands.begin(), inputs.passBands.end(),
                    [count](const std::vector<bool>& band) { return band.size() == count; });
    if (!consistent) {
        throw std::invalid_argument("the alignment's inputs differ in length");
    }
    Settings start;
    std::array<double, dsp::kBandCount> startingGainsDb{};
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        startingGainsDb[b] = StartingGainDb(inputs, b);
        start[b].gainDb = startingGainsDb[b];
    }
    Search search(inputs, start);
    AlignResult result;
    result.deviationBeforeDb = MeanDeviationDb(inputs, current);
    result.points = search.Points();
    result.targetLevelDb = inputs.targetLevelDb;
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
    // Nothing measured, nothing changed.
    result.settings = search.Points() > 0 ? search.Current() : current;
    result.deviationAfterDb = MeanDeviationDb(inputs, result.settings);
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
    inputs.targetLevelDb = TargetLevelDb(target, DefaultTargetLevelDb(model));
    inputs.targetDb = TargetLevelsDb(target, inputs.targetLevelDb, inputs.frequenciesHz);
    inputs.counted = DataPoints(model.DriverFiles(), model.CrossoverValues(), inputs.frequenciesHz);
    KeepUsableRange(inputs);
    return inputs;
}

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/correction.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <mutex>
#include <new>
#include <utility>

#include "base/errors.h"
#include "base/math_constants.h"
#include "base/text_convert.h"
#include "dsp/complex_response.h"
#include "dsp/crossover.h"
#include "dsp/grid_transform.h"
#include "dsp/kaiser.h"

namespace kc::acoustic {
namespace {

// The correction filter's window: side lobes near −44 dB, a main lobe about 2.2·rate/taps wide
// each side, which is what sets the narrowest feature it follows.
constexpr double kWindowBeta = 6.0;
// The pass band within which the residual and the boost limit are measured: |H_b| ≥ −6 dB.
constexpr double kPassBandGain = 0.5;
constexpr int32_t kMaxCommonLength = 1 << 28;
// How far the driver's distance from the target counts for the phase taken out, dB.
constexpr double kMaxPhaseLevelDb = 40.0;

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

// A real transform of one power-of-two length: the spectrum's bins 0 ... L/2 and back.
class RealTransform {
  public:
    explicit RealTransform(std::size_t length)
        : length_(length),
          real_(static_cast<double*>(fftw_malloc(sizeof(double) * length))),
          bins_(static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * (length / 2 + 1)))) {
        if (!real_ || !bins_) {
            throw std::bad_alloc();
        }
        const std::lock_guard<std::recursive_mutex> lock(dsp::PlannerMutex());
        const int n = static_cast<int>(length);
        forward_ = fftw_plan_dft_r2c_1d(n, real_.get(), bins_.get(), FFTW_ESTIMATE);
        inverse_ = fftw_plan_dft_c2r_1d(n, bins_.get(), real_.get(), FFTW_ESTIMATE);
        if (forward_ == nullptr || inverse_ == nullptr) {
            Destroy();
            throw std::bad_alloc();
        }
    }
    RealTransform(const RealTransform&) = delete;
    RealTransform& operator=(const RealTransform&) = delete;
    ~RealTransform() { Destroy(); }

    std::size_t Length() const { return length_; }
    std::size_t Bins() const { return length_ / 2 + 1; }

    // The spectrum of `samples`, zero-padded to the length.
    std::vector<std::complex<double>> Forward(const std::vector<double>& samples) {
        std::fill(real_.get(), real_.get() + length_, 0.0);
        std::copy_n(samples.begin(), std::min(samples.size(), length_), real_.get());
        fftw_execute(forward_);
        std::vector<std::complex<double>> spectrum(Bins());
        for (std::size_t k = 0; k < spectrum.size(); ++k) {
            spectrum[k] = {bins_.get()[k][0], bins_.get()[k][1]};
        }
        return spectrum;
    }

    // The samples of `spectrum` (bins 0 ... L/2), scaled by 1/L so that Inverse(Forward(x)) = x.
    std::vector<double> Inverse(const std::vector<std::complex<double>>& spectrum) {
        for (std::size_t k = 0; k < Bins(); ++k) {
            bins_.get()[k][0] = spectrum[k].real();
            bins_.get()[k][1] = spectrum[k].imag();
        }
        fftw_execute(inverse_);
        std::vector<double> samples(real_.get(), real_.get() + length_);
        const double scale = 1.0 / static_cast<double>(length_);
        for (double& x : samples) {
            x *= scale;
        }
        return samples;
    }

  private:
    void Destroy() {
        const std::lock_guard<std::recursive_mutex> lock(dsp::PlannerMutex());
        if (forward_ != nullptr) {
            fftw_destroy_plan(forward_);
        }
        if (inverse_ != nullptr) {
            fftw_destroy_plan(inverse_);
        }
    }

    std::size_t length_;
    std::unique_ptr<double, FftwFree> real_;
    std::unique_ptr<fftw_complex, FftwFree> bins_;
    fftw_plan forward_ = nullptr;
    fftw_plan inverse_ = nullptr;
};

std::size_t PowerOfTwoAtLeast(std::size_t n) {
    std::size_t length = 1;
    while (length < n) {
        length *= 2;
    }
    return length;
}

double Level(std::complex<double> value) {
    return 20.0 * std::log10(std::max(std::abs(value), 1e-15));
}

// The levels in dB averaged as power over `octaves` about each point of a grid of
// kPointsPerOctave points an octave (the ends over what lies inside the grid).
std::vector<double> SmoothedLevelsDb(const std::vector<double>& levelsDb, double octaves) {
    const auto half = static_cast<std::ptrdiff_t>(std::lround(octaves * kPointsPerOctave / 2.0));
    if (half <= 0 || levelsDb.empty()) {
        return levelsDb;
    }
    const double top = *std::max_element(levelsDb.begin(), levelsDb.end());
    std::vector<double> prefix(levelsDb.size() + 1, 0.0);
    for (std::size_t i = 0; i < levelsDb.size(); ++i) {
        prefix[i + 1] = prefix[i] + std::pow(10.0, (levelsDb[i] - top) / 10.0);
    }
    const auto count = static_cast<std::ptrdiff_t>(levelsDb.size());
    std::vector<double> smoothed(levelsDb.size());
    for (std::ptrdiff_t i = 0; i < count; ++i) {
        const std::ptrdiff_t first = std::max<std::ptrdiff_t>(0, i - half);
        const std::ptrdiff_t last = std::min(count - 1, i + half);
        const double mean =
            (prefix[static_cast<std::size_t>(last + 1)] - prefix[static_cast<std::size_t>(first)]) /
            static_cast<double>(last - first + 1);
        smoothed[static_cast<std::size_t>(i)] = top + 10.0 * std::log10(std::max(mean, 1e-300));
    }
    return smoothed;
}

// The correction's level (dB) at each bin k·rate/L of a transform of `bins` bins: `levelsDb` at the
// log-spaced `frequenciesHz` interpolated over log-frequency, held beyond the ends.
std::vector<double> LevelsAtBins(const std::vector<double>& frequenciesHz,
                                 const std::vector<double>& levelsDb, std::size_t bins,
                                 int32_t sampleRateHz) {
    const double binHz = sampleRateHz / (2.0 * static_cast<double>(bins - 1));
    std::vector<double> atBins(bins);
    std::size_t i = 0;
    for (std::size_t k = 0; k < bins; ++k) {
        const double f = static_cast<double>(k) * binHz;
        if (f <= frequenciesHz.front()) {
            atBins[k] = levelsDb.front();
            continue;
        }
        if (f >= frequenciesHz.back()) {
            atBins[k] = levelsDb.back();
            continue;
        }
        while (frequenciesHz[i + 1] < f) {
            ++i;
        }
        const double t =
            std::log(f / frequenciesHz[i]) / std::log(frequenciesHz[i + 1] / frequenciesHz[i]);
        atBins[k] = levelsDb[i] + t * (levelsDb[i + 1] - levelsDb[i]);
    }
    return atBins;
}

// The window at `position` from its centre, of `halfLength` each side, over I0(β) `denominator`.
double KaiserAt(double position, double halfLength, double denominator) {
    const double x = position / halfLength;
    return dsp::FastBesselI0(kWindowBeta * std::sqrt(std::max(0.0, 1.0 - x * x))) / denominator;
}

// The minimum-phase response whose level follows `binLevelsDb`, at the bins: the exponential of
// the folded real cepstrum of the log-magnitude.
std::vector<std::complex<double>> MinimumPhaseSpectrum(RealTransform& fft,
                                                       const std::vector<double>& binLevelsDb) {
    const double toNeper = std::log(10.0) / 20.0;
    std::vector<std::complex<double>> logMagnitude(fft.Bins());
    for (std::size_t k = 0; k < logMagnitude.size(); ++k) {
        logMagnitude[k] = binLevelsDb[k] * toNeper;
    }
    std::vector<double> cepstrum = fft.Inverse(logMagnitude);
    const std::size_t length = fft.Length();
    for (std::size_t n = 1; n < length / 2; ++n) {
        cepstrum[n] *= 2.0;
        cepstrum[length - n] = 0.0;
    }
    std::vector<std::complex<double>> spectrum = fft.Forward(cepstrum);
    for (std::complex<double>& value : spectrum) {
        value = std::exp(value);
    }
    return spectrum;
}

// The FIR of `taps` taps (odd) whose response follows `spectrum` at the bins, its delay taps/2
// taken out: the impulse about n = 0 windowed into −taps/2 ... taps/2.
std::vector<double> CentredTaps(RealTransform& fft,
                                const std::vector<std::complex<double>>& spectrum, int32_t taps) {
    const std::vector<double> impulse = fft.Inverse(spectrum);
    const int32_t half = taps / 2;
    const double denominator = dsp::FastBesselI0(kWindowBeta);
    std::vector<double> filter(static_cast<std::size_t>(taps));
    for (int32_t j = 0; j < taps; ++j) {
        const int32_t n = j - half;
        const std::size_t at =
            n >= 0 ? static_cast<std::size_t>(n) : fft.Length() - static_cast<std::size_t>(-n);
        filter[static_cast<std::size_t>(j)] = impulse[at] * KaiserAt(n, half + 1.0, denominator);
    }
    return filter;
}

// `taps` convolved with `filter` into taps.size() + filter.size() − 1 taps by one transform.
std::vector<double> Convolved(const std::vector<double>& taps, const std::vector<double>& filter) {
    const std::size_t length = taps.size() + filter.size() - 1;
    RealTransform fft(PowerOfTwoAtLeast(length));
    std::vector<std::complex<double>> spectrum = fft.Forward(taps);
    const std::vector<std::complex<double>> filterSpectrum = fft.Forward(filter);
    for (std::size_t k = 0; k < spectrum.size(); ++k) {
        spectrum[k] *= filterSpectrum[k];
    }
    std::vector<double> result = fft.Inverse(spectrum);
    result.resize(length);
    return result;
}

// What is known of the drivers and the crossover at the log-spaced frequencies of one rate.
struct BandValues {
    std::vector<double> frequenciesHz;
    std::array<ComplexCurve, dsp::kBandCount> drivers;
    std::array<ComplexCurve, dsp::kBandCount> crossovers;
    std::vector<double> targetDb;
    double targetLevelDb = 0.0;
};

BandValues ValuesAt(const dsp::CrossoverTaps& taps, const Drivers& files,
                    const TargetSettings& target) {
    BandValues v;
    v.frequenciesHz = AcousticFrequencies(files, taps.sampleRateHz);
    if (v.frequenciesHz.empty()) {
        CheckCommonFrequencies(files, taps.sampleRateHz);
    }
    const double ideal = std::pow(10.0, IdealLevelDb(files) / 20.0);
    const auto bandTaps = dsp::BandTaps(taps);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        v.drivers[b] = files[b] ? InterpolateDriver(*files[b], v.frequenciesHz)
                                : ComplexCurve(v.frequenciesHz.size(), ideal);
        v.crossovers[b] = dsp::DelayFreeResponse(*bandTaps[b], taps.CommonCentre, taps.sampleRateHz,
                                                 v.frequenciesHz);
    }
    v.targetLevelDb = TargetLevelDb(
        target, DefaultTargetLevelDb(files, v.drivers, v.crossovers, v.frequenciesHz));
    v.targetDb = TargetLevelsDb(target, v.targetLevelDb, v.frequenciesHz);
    return v;
}

// The correction's level at the log-spaced frequencies and its figures (all but the residual).
struct BandPlan {
    std::vector<double> levelsDb;
    // The driver's distance from the target over its whole file (within ±kMaxPhaseLevelDb), held
    // beyond: its minimum phase is the phase the correction takes out. The band's own range would
    // not do: a driver's phase within its band owes much to its level outside it.
    std::vector<double> phaseLevelsDb;
    std::vector<bool> measured;  // the pass band's points it corrects in full (no limit)
    BandCorrectionFigures figures;
};

// `levels` at the points where `inside` holds given by `level`, and beyond the first and last of
// them the value there.
template <class Inside, class LevelAt>
void HeldOutside(std::vector<double>& levels, const std::vector<double>& frequenciesHz,
                 Inside inside, LevelAt level) {
    std::size_t first = frequenciesHz.size();
    std::size_t last = 0;
    for (std::size_t i = 0; i < frequenciesHz.size(); ++i) {
        if (inside(i)) {
            first = std::min(first, i);
            last = i;
            levels[i] = level(i);
        }
    }
    if (first > last) {
        return;
    }
    std::fill(levels.begin(), levels.begin() + static_cast<std::ptrdiff_t>(first), levels[first]);
    std::fill(levels.begin() + static_cast<std::ptrdiff_t>(last) + 1, levels.end(), levels[last]);
}

BandPlan PlanBand(const BandValues& v, std::size_t b, const DriverResponse& file,
                  const CorrectionSettings& settings, int32_t taps, int32_t sampleRateHz) {
    BandPlan plan;
    BandCorrectionFigures& figures = plan.figures;
    figures.corrected = true;
    figures.taps = taps;
    figures.resolutionHz = static_cast<double>(sampleRateHz) / taps;
    const std::vector<double>& f = v.frequenciesHz;
    std::vector<double> levels(f.size());
    for (std::size_t i = 0; i < f.size(); ++i) {
        levels[i] = Level(v.drivers[b][i]);
    }
    const std::vector<double> smoothed = SmoothedLevelsDb(levels, settings.smoothingOctaves);
    const double rangeGain = std::pow(10.0, kCorrectionRangeDb / 20.0);
    std::size_t first = f.size();
    std::size_t last = 0;
    for (std::size_t i = 0; i < f.size(); ++i) {
        if (std::abs(v.crossovers[b][i]) >= rangeGain && f[i] >= file.FirstHz() &&
            f[i] <= file.LastHz() && f[i] >= figures.resolutionHz) {
            first = std::min(first, i);
            last = i;
        }
    }
    plan.levelsDb.assign(f.size(), 0.0);
    plan.phaseLevelsDb.assign(f.size(), 0.0);
    plan.measured.assign(f.size(), false);
    HeldOutside(
        plan.phaseLevelsDb, f,
        [&](std::size_t i) {
            return f[i] >= file.FirstHz() && f[i] <= file.LastHz() && f[i] >= figures.resolutionHz;
        },
        [&](std::size_t i) {
            return std::clamp(v.targetDb[i] - smoothed[i], -kMaxPhaseLevelDb, kMaxPhaseLevelDb);
        });
    if (first > last) {
        return plan;  // nothing of the band lies where it can be corrected
    }
    figures.lowestHz = f[first];
    figures.highestHz = f[last];
    figures.largestBoostDb = -std::numeric_limits<double>::infinity();
    figures.deepestCutDb = std::numeric_limits<double>::infinity();
    for (std::size_t i = first; i <= last; ++i) {
        const double wanted = v.targetDb[i] - smoothed[i];
        plan.levelsDb[i] = std::clamp(wanted, kMaxCutDb, settings.maxBoostDb);
        figures.largestBoostDb = std::max(figures.largestBoostDb, plan.levelsDb[i]);
        figures.deepestCutDb = std::min(figures.deepestCutDb, plan.levelsDb[i]);
        if (std::abs(v.crossovers[b][i]) >= kPassBandGain) {
            figures.limitedDb = std::max(figures.limitedDb, wanted - settings.maxBoostDb);
            plan.measured[i] = wanted == plan.levelsDb[i];
        }
    }
    std::fill(plan.levelsDb.begin(), plan.levelsDb.begin() + static_cast<std::ptrdiff_t>(first),
              plan.levelsDb[first]);
    std::fill(plan.levelsDb.begin() + static_cast<std::ptrdiff_t>(last) + 1, plan.levelsDb.end(),
              plan.levelsDb[last]);
    return plan;
}

// The largest |level of D_b·C_b − target| where the plan corrects the pass band in full.
double ResidualDb(const BandValues& v, std::size_t b, const BandPlan& plan,
                  const ComplexCurve& correction) {
    double largest = 0.0;
    for (std::size_t i = 0; i < v.frequenciesHz.size(); ++i) {
        if (plan.measured[i]) {
            largest =
                std::max(largest, std::abs(Level(v.drivers[b][i] * correction[i]) - v.targetDb[i]));
        }
    }
    return largest;
}

std::string HzText(double hz) {
    if (hz >= 1000.0) {
        return base::FixedPointText(hz / 1000.0, 2) + " kHz";
    }
    return base::FixedPointText(hz, 1) + " Hz";
}

}  // namespace

bool CorrectionSettings::Any() const {
    return std::any_of(bands.begin(), bands.end(), [](bool b) { return b; });
}

bool Correction::Active() const {
    if (!drivers) {
        return false;
    }
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        if (settings.bands[b] && (*drivers)[b]) {
            return true;
        }
    }
    return false;
}

int32_t CorrectionTapsAt(const CorrectionSettings& settings, std::size_t band,
                         const dsp::CrossoverParameters& parameters) {
    const int32_t given = settings.taps[band];
    int32_t taps =
        given > 0 ? dsp::ScaledTapCount(given | 1, settings.tapsRateHz, parameters.sampleRateHz)
                  : dsp::BandCounts(parameters)[band];
    taps |= 1;
    return std::max(taps, kMinCorrectionTaps);
}

int32_t CorrectionLatencySamples(const Correction& correction,
                                 const dsp::CrossoverParameters& parameters) {
    if (!correction.Active()) {
        return 0;
    }
    int32_t longest = 1;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        if (correction.settings.bands[b] && (*correction.drivers)[b]) {
            longest = std::max(longest, CorrectionTapsAt(correction.settings, b, parameters));
        }
    }
    return longest / 2;
}

CorrectedDesign CorrectDesign(const dsp::CalculationResult& design, const Correction& correction) {
    CorrectedDesign corrected{design.taps, 0.0, {}, {}};
    if (!correction.Active()) {
        return corrected;
    }
    const CorrectionSettings& settings = correction.settings;
    const Drivers& files = *correction.drivers;
    const int32_t rate = design.taps.sampleRateHz;
    const BandValues v = ValuesAt(design.taps, files, settings.target);
    corrected.targetLevelDb = v.targetLevelDb;

    std::array<std::vector<double>, dsp::kBandCount> filters;
    int32_t longest = 1;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        if (!settings.bands[b] || !files[b]) {
            continue;
        }
        const int32_t taps = CorrectionTapsAt(settings, b, design.parameters);
        // Checked before its transforms (sixteen times as long) are allocated.
        if (taps > kMaxCorrectionTaps ||
            int64_t{design.taps.CommonLength} + taps - 1 >= kMaxCommonLength) {
            base::RunMarkingWhere(dsp::kCurveNames[b].place, [] { base::RaiseRangeError(); });
        }
        const BandPlan plan = PlanBand(v, b, *files[b], settings, taps, rate);
        RealTransform fft(PowerOfTwoAtLeast(16 * static_cast<std::size_t>(taps)));
        const std::vector<double> binLevels =
            LevelsAtBins(v.frequenciesHz, plan.levelsDb, fft.Bins(), rate);
        std::vector<std::complex<double>> spectrum(fft.Bins());
        for (std::size_t k = 0; k < spectrum.size(); ++k) {
            spectrum[k] = std::pow(10.0, binLevels[k] / 20.0);
        }
        if (settings.correctPhase) {
            const std::vector<std::complex<double>> minimum = MinimumPhaseSpectrum(
                fft, LevelsAtBins(v.frequenciesHz, plan.phaseLevelsDb, fft.Bins(), rate));
            for (std::size_t k = 0; k < spectrum.size(); ++k) {
                spectrum[k] *= std::polar(1.0, std::arg(minimum[k]));
            }
        }
        filters[b] = CentredTaps(fft, spectrum, taps);
        corrected.bands[b] = plan.figures;
        const ComplexCurve response =
            dsp::DelayFreeResponse(filters[b], taps / 2, rate, v.frequenciesHz);
        corrected.bands[b].residualDb = ResidualDb(v, b, plan, response);
        corrected.correctionsDb[b] = LevelsDb(response);
        longest = std::max(longest, taps);
    }
    // Every band through `longest` taps: its correction, or a unit impulse, about one centre, so
    // that all share one latency.
    const int64_t length = int64_t{design.taps.CommonLength} + longest - 1;
    if (length >= kMaxCommonLength) {
        base::RaiseRangeError();
    }
    const int32_t centre = longest / 2;
    const auto bandTaps = dsp::BandTaps(corrected.taps);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        std::vector<double>& taps = *bandTaps[b];
        if (filters[b].empty()) {
            std::vector<double> shifted(static_cast<std::size_t>(length), 0.0);
            std::copy(taps.begin(), taps.end(), shifted.begin() + centre);
            taps = std::move(shifted);
            continue;
        }
        const int32_t half = static_cast<int32_t>(filters[b].size()) / 2;
        const std::ptrdiff_t offset = centre - half;
        std::vector<double> placed(static_cast<std::size_t>(longest), 0.0);
        std::copy(filters[b].begin(), filters[b].end(), placed.begin() + offset);
        taps = Convolved(taps, placed);
    }
    corrected.taps.CommonLength = static_cast<int32_t>(length);
    corrected.taps.CommonCentre += centre;
    corrected.taps.SumTaps.assign(static_cast<std::size_t>(length), 0.0);
    for (const std::vector<double>* taps : dsp::BandTaps(corrected.taps)) {
        for (std::size_t i = 0; i < taps->size(); ++i) {
            corrected.taps.SumTaps[i] += (*taps)[i];
        }
    }
    return corrected;
}

std::vector<std::string> CorrectionLines(const CorrectedDesign& corrected) {
    std::vector<std::string> lines;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const BandCorrectionFigures& f = corrected.bands[b];
        if (!f.corrected) {
            continue;
        }
        std::string line = std::string(dsp::kCurveNames[b].id) + ": " + std::to_string(f.taps) +
                           " taps, resolution " + HzText(f.resolutionHz) + ", ";
        if (f.highestHz <= 0.0) {
            lines.push_back(line + "nothing of the band lies where it can be corrected");
            continue;
        }
        line += "corrects " + HzText(f.lowestHz) + " ... " + HzText(f.highestHz) + " by " +
                base::FixedPointText(f.deepestCutDb, 1) + " ... " +
                base::FixedPointText(f.largestBoostDb, 1) + " dB";
        if (f.limitedDb > 0.05) {
            line += " (the limit leaves up to " + base::FixedPointText(f.limitedDb, 1) +
                    " dB below the target)";
        }
        lines.push_back(line + ", residual " + base::FixedPointText(f.residualDb, 1) +
                        " dB where corrected in full");
    }
    lines.push_back("target " + base::FixedPointText(corrected.targetLevelDb, 1) + " dB");
    return lines;
}

double LargestDeviationDb(const std::vector<double>& frequenciesHz, const ComplexCurve& sum,
                          const std::vector<double>& targetDb, double firstHz, double lastHz) {
    double largest = 0.0;
    for (std::size_t i = 0; i < frequenciesHz.size() && i < sum.size(); ++i) {
        if (frequenciesHz[i] >= firstHz && frequenciesHz[i] <= lastHz) {
            largest = std::max(largest, std::abs(Level(sum[i]) - targetDb[i]));
        }
    }
    return largest;
}

std::string DeviationText(const AcousticResponse& response, const TargetSettings& target,
                          double levelDb) {
    if (response.frequenciesHz.empty()) {
        return "no frequency to compare with the target";
    }
    const double first = std::max(kDeviationFirstHz, response.frequenciesHz.front());
    const double last = std::min(kDeviationLastHz, response.frequenciesHz.back());
    const double deviation =
        LargestDeviationDb(response.frequenciesHz, response.sum,
                           TargetLevelsDb(target, levelDb, response.frequenciesHz), first, last);
    return "within " + base::FixedPointText(deviation, 2) + " dB of the target (" +
           base::FixedPointText(levelDb, 1) + " dB, " +
           base::FixedPointText(target.tiltDbPerOctave, 1) + " dB an octave) over " +
           HzText(first) + " ... " + HzText(last);
}

}  // namespace kc::acoustic

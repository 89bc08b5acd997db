// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/alignment.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "base/errors.h"
#include "base/text_convert.h"
#include "dsp/fractional_delay.h"
#include "dsp/headroom.h"
#include "export/wav_export.h"

namespace kc::exporting {
namespace {

constexpr long double kWholeTolerance = 1e-9L;

double Decibels(double gain) {
    return gain > 0.0 ? 20.0 * std::log10(gain) : -std::numeric_limits<double>::infinity();
}

// Band b's taps aligned into `length` taps: delayed by its whole samples (and through the
// fractional-delay filter, when the alignment has one), times its gain.
std::vector<double> AlignedBand(const std::vector<double>& taps, const RateAlignment& a,
                                std::size_t band, std::size_t length) {
    std::vector<double> filter;
    if (a.filterHalfLength == 0) {
        filter = {1.0};
    } else if (a.fractions[band] == 0.0) {
        filter.assign(2 * static_cast<std::size_t>(a.filterHalfLength) + 1, 0.0);
        filter[static_cast<std::size_t>(a.filterHalfLength)] = 1.0;
    } else {
        filter = dsp::FractionalDelayTaps(a.fractions[band]);
    }
    std::vector<double> aligned =
        dsp::DelayedConvolution(taps, filter, a.wholeSamples[band], length);
    for (double& tap : aligned) {
        tap *= a.gains[band];
    }
    return aligned;
}

void Scale(dsp::CrossoverTaps& taps, double factor) {
    for (std::vector<double>* array : dsp::BandTaps(taps)) {
        for (double& tap : *array) {
            tap *= factor;
        }
    }
}

void Resum(dsp::CrossoverTaps& taps) {
    taps.SumTaps.assign(taps.LowTaps.size(), 0.0);
    for (std::size_t i = 0; i < taps.SumTaps.size(); ++i) {
        taps.SumTaps[i] = taps.LowTaps[i] + taps.MidTaps[i] + taps.HighTaps[i];
    }
}

Headroom Measure(const dsp::CrossoverTaps& taps) {
    const auto arrays = dsp::CurveTaps(taps);
    Headroom headroom;
    for (std::size_t i = 0; i < arrays.size(); ++i) {
        headroom.peakDb[i] = Decibels(dsp::PeakGain(*arrays[i], taps.sampleRateHz));
        headroom.worstCaseDb[i] = Decibels(dsp::WorstCaseGain(*arrays[i]));
    }
    return headroom;
}

// The attenuation (dB, 0 or negative) that brings the largest gain of the measure down to 0 dB.
double Attenuation(const Headroom& headroom, Normalization normalization) {
    if (normalization == Normalization::None) {
        return 0.0;
    }
    const auto& gains =
        normalization == Normalization::Peak ? headroom.peakDb : headroom.worstCaseDb;
    return std::min(0.0, -*std::max_element(gains.begin(), gains.begin() + dsp::kBandCount));
}

std::string Fixed(double value, int decimals) {
    return base::FixedPointText(value, decimals);
}

}  // namespace

bool RateAlignment::Neutral() const {
    return filterHalfLength == 0 &&
           std::all_of(gains.begin(), gains.end(), [](double g) { return g == 1.0; }) &&
           std::all_of(wholeSamples.begin(), wholeSamples.end(), [](int64_t n) { return n == 0; });
}

double RateAlignment::AddedDelaySamples(std::size_t band) const {
    return static_cast<double>(filterHalfLength + wholeSamples[band]) + fractions[band];
}

int64_t RateAlignment::AddedLength() const {
    return 2 * int64_t{filterHalfLength} +
           *std::max_element(wholeSamples.begin(), wholeSamples.end());
}

RateAlignment AlignmentAt(const ExportAlignment& alignment, int32_t sampleRateHz) {
    RateAlignment a;
    a.sampleRateHz = sampleRateHz;
    if (!alignment.apply) {
        return a;
    }
    const auto& bands = alignment.bands;
    double earliestMs = bands[0].delayMs;
    for (const acoustic::BandSettings& band : bands) {
        earliestMs = std::min(earliestMs, band.delayMs);
    }
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const long double gain = std::pow(10.0L, static_cast<long double>(bands[b].gainDb) / 20.0L);
        a.gains[b] = static_cast<double>(bands[b].inverted ? -gain : gain);
        const long double samples =
            (static_cast<long double>(bands[b].delayMs) - earliestMs) * sampleRateHz / 1000.0L;
        const long double nearest = std::nearbyint(samples);
        const bool isWhole = std::fabs(samples - nearest) < kWholeTolerance;
        const long double whole = isWhole ? nearest : std::floor(samples);
        a.wholeSamples[b] = static_cast<int64_t>(whole);
        a.fractions[b] = isWhole ? 0.0 : static_cast<double>(samples - whole);
    }
    if (std::any_of(a.fractions.begin(), a.fractions.end(), [](double f) { return f != 0.0; })) {
        a.filterHalfLength = dsp::kFractionalDelayHalfLength;
    }
    return a;
}

ExportLatency LatencyAt(const RateAlignment& alignment, int32_t commonCentre) {
    ExportLatency latency;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        latency.bandSamples[b] = commonCentre + alignment.AddedDelaySamples(b);
    }
    latency.sumSamples = *std::min_element(latency.bandSamples.begin(), latency.bandSamples.end());
    return latency;
}

bool Headroom::CanClip() const {
    // A millionth of a dB above 0 is the rounding of a band normalised to full scale.
    constexpr double kRoundingDb = 1e-6;
    return std::any_of(worstCaseDb.begin(), worstCaseDb.begin() + dsp::kBandCount,
                       [](double db) { return db > kRoundingDb; });
}

ExportedRate ExportRate(dsp::CalculationResult crossover, const ExportAlignment& alignment) {
    ExportedRate exported{std::move(crossover), {}, 0.0, {}, {}, {}};
    dsp::CrossoverTaps& taps = exported.design.taps;
    if (alignment.correction.Active()) {
        acoustic::CorrectedDesign corrected =
            acoustic::CorrectDesign(exported.design, alignment.correction);
        taps = std::move(corrected.taps);
        exported.correctionLines = acoustic::CorrectionLines(corrected);
    }
    exported.alignment = AlignmentAt(alignment, taps.sampleRateHz);
    const RateAlignment& a = exported.alignment;
    exported.latency = LatencyAt(a, taps.CommonCentre);
    if (!a.Neutral()) {
        const int64_t length = int64_t{taps.CommonLength} + a.AddedLength();
        if (length >= std::numeric_limits<int32_t>::max()) {
            base::RaiseRangeError();
        }
        const auto bands = dsp::BandTaps(taps);
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            *bands[b] = AlignedBand(*bands[b], a, b, static_cast<std::size_t>(length));
        }
        Resum(taps);
        taps.CommonLength = static_cast<int32_t>(length);
        taps.CommonCentre += a.filterHalfLength;
    }
    exported.headroom = Measure(taps);
    exported.attenuationDb = Attenuation(exported.headroom, alignment.normalization);
    if (exported.attenuationDb < 0.0) {
        Scale(taps, std::pow(10.0, exported.attenuationDb / 20.0));
        Resum(taps);
        exported.headroom = Measure(taps);
    }
    return exported;
}

std::string AlignmentText(const ExportAlignment& alignment, const RateAlignment& atRate) {
    if (!alignment.apply) {
        return "none, the pure crossover";
    }
    std::string text;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const acoustic::BandSettings& band = alignment.bands[b];
        text += (b == 0 ? "" : ", ");
        text += std::string(dsp::kCurveNames[b].id) + ' ' + Fixed(band.gainDb, 1) + " dB " +
                Fixed(band.delayMs, 3) + " ms" + (band.inverted ? " inverted" : "");
    }
    if (atRate.filterHalfLength == 0) {
        return text;
    }
    const int32_t M = atRate.filterHalfLength;
    return text + " (fractions of a sample by a " + std::to_string(2 * M + 1) +
           "-tap Kaiser-windowed sinc: " + std::to_string(M) + " samples more latency)";
}

std::string SamplesText(double samples) {
    return samples == std::floor(samples) ? Fixed(samples, 0) : Fixed(samples, 3);
}

std::string LatencyText(const ExportLatency& latency, int32_t sampleRateHz) {
    const auto one = [sampleRateHz](std::string_view name, double samples) {
        return std::string(name) + ' ' + SamplesText(samples) + " samples (" +
               Fixed(1000.0 * samples / sampleRateHz, 3) + " ms)";
    };
    std::string text;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        text += one(dsp::kCurveNames[b].id, latency.bandSamples[b]) + ", ";
    }
    return text + one(dsp::kCurveNames[dsp::kSumCurve].id, latency.sumSamples);
}

std::string GainsText(const std::array<double, dsp::kBandCount + 1>& gainsDb) {
    std::string text;
    for (std::size_t i = 0; i < dsp::kCurveCount; ++i) {
        text += (i == 0 ? "" : ", ");
        text += std::string(dsp::kCurveNames[i].id) + ' ' + Fixed(gainsDb[i], 2) + " dB";
    }
    return text;
}

std::string ClipWarning() {
    return "a band's worst-case gain exceeds 0 dB: a signal of full scale can clip "
           "(normalizing to the worst case prevents it).";
}

std::string NormalizationText(Normalization normalization, double attenuationDb) {
    std::string name(NormalizationChoices()[static_cast<std::size_t>(normalization)].name);
    if (normalization == Normalization::None) {
        return name;
    }
    return name + ", " + Fixed(attenuationDb, 2) + " dB on every band";
}

std::string Pcm24Note(const dsp::CrossoverTaps* taps) {
    std::string text =
        "24-bit PCM rounds every tap to a step of 2^-23, which costs the stop band: the initial "
        "144 dB design's stop bands reach -109 dB (low) and -115 dB (high) as 24-bit PCM, against "
        "-145 dB and -142 dB as 32-bit float.";
    if (taps == nullptr) {
        return text;
    }
    text += " Here the rounding adds up to ";
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        text += (b == 0 ? "" : ", ");
        text += std::string(dsp::kCurveNames[b].id) + ' ' +
                Fixed(Decibels(Pcm24ErrorGain(*dsp::BandTaps(*taps)[b], taps->sampleRateHz)), 1) +
                " dB";
    }
    return text + " at " + std::to_string(taps->sampleRateHz) + " Hz.";
}

}  // namespace kc::exporting

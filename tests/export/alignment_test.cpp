// SPDX-License-Identifier: GPL-3.0-or-later
// The alignment of exported taps, held to an evaluation of its own: each band's exported response,
// by the direct sum of its taps, against the crossover's, by the direct sum of its taps, times
// the gain, the polarity and the ideal delay e^(−j·2π·f·latency).
#include "export/alignment.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>

#include "dsp/headroom.h"

namespace kc::exporting {
namespace {

// Σ taps[n]·e^(−j·2π·f·n/R), each term's angle reduced in extended precision first.
std::complex<double> DirectSum(const std::vector<double>& taps, double frequencyHz,
                               int32_t sampleRateHz) {
    std::complex<long double> sum = 0.0L;
    for (std::size_t n = 0; n < taps.size(); ++n) {
        const long double turns = static_cast<long double>(frequencyHz) * n / sampleRateHz;
        const long double angle =
            -2.0L * std::numbers::pi_v<long double> * (turns - std::floor(turns));
        sum += std::polar(static_cast<long double>(taps[n]), angle);
    }
    return {static_cast<double>(sum.real()), static_cast<double>(sum.imag())};
}

std::complex<double> IdealDelay(double latencySamples, double frequencyHz, int32_t sampleRateHz) {
    const long double turns = static_cast<long double>(frequencyHz) * latencySamples / sampleRateHz;
    const long double angle = -2.0L * std::numbers::pi_v<long double> * (turns - std::floor(turns));
    return std::polar(1.0, static_cast<double>(angle));
}

const std::vector<double>& Band(const dsp::CrossoverTaps& taps, std::size_t band) {
    return *dsp::BandTaps(taps)[band];
}

struct AlignmentCase {
    const char* name;
    acoustic::Settings bands;
};

// The tuning (tweeter −2 dB and 0.05 ms later, midrange inverted), negative and tiny
// fractional delays, and delays of whole samples at 48 kHz only.
const AlignmentCase kCases[] = {
    {"tweeter later, midrange inverted",
     {{{0.0, 0.0, false}, {0.0, 0.0, true}, {-2.0, 0.05, false}}}},
    {"negative and fractional",
     {{{3.5, -0.0137, true}, {-7.25, 0.0071, false}, {0.0, -0.2, false}}}},
    {"whole samples at 48 kHz", {{{-1.0, 0.5, false}, {0.0, 0.0, false}, {0.0, 1.0, true}}}},
};

TEST(AlignmentTest, ExportedBandIsTheCrossoverTimesGainPolarityAndDelay) {
    for (const int32_t rate : {44100, 48000, 96000, 192000}) {
        dsp::CrossoverParameters p;
        p.lowCount = 301;  // shorter than the initial design, so that the direct sums stay quick
        p.midCount = 201;
        p.highCount = 101;
        const dsp::CrossoverParameters atRate = dsp::AtSampleRate(p, rate);
        const dsp::CalculationResult crossover = dsp::CalculateCrossover(atRate);
        for (const AlignmentCase& c : kCases) {
            SCOPED_TRACE(std::to_string(rate) + " Hz, " + c.name);
            const ExportAlignment alignment{true, c.bands, Normalization::None, {}};
            const ExportedRate exported = ExportRate(dsp::CalculateCrossover(atRate), alignment);
            double earliestMs = 1e9;
            for (const auto& band : c.bands) {
                earliestMs = std::min(earliestMs, band.delayMs);
            }
            const double commonLatency = exported.latency.sumSamples;
            for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
                const double latency = exported.latency.bandSamples[b];
                // The latencies stated are the delays asked for, from the earliest band.
                EXPECT_NEAR(latency - commonLatency,
                            (c.bands[b].delayMs - earliestMs) * rate / 1000.0, 1e-6);
                const double gain =
                    std::pow(10.0, c.bands[b].gainDb / 20.0) * (c.bands[b].inverted ? -1.0 : 1.0);
                const double crossoverLatency = crossover.taps.CommonCentre;
                int checked = 0;
                for (double f = 20.0; f <= 0.9 * rate / 2.0; f *= std::pow(2.0, 1.0 / 4.0)) {
                    const std::complex<double> h = DirectSum(Band(crossover.taps, b), f, rate) *
                                                   std::conj(IdealDelay(crossoverLatency, f, rate));
                    if (20.0 * std::log10(std::abs(h)) <= -60.0) {
                        continue;
                    }
                    const std::complex<double> want = h * gain * IdealDelay(latency, f, rate);
                    const std::complex<double> got =
                        DirectSum(Band(exported.design.taps, b), f, rate);
                    const std::complex<double> ratio = got / want;
                    EXPECT_NEAR(20.0 * std::log10(std::abs(ratio)), 0.0, 0.01) << f << " Hz";
                    EXPECT_NEAR(std::arg(ratio) * 180.0 / std::numbers::pi, 0.0, 0.5) << f << " Hz";
                    ++checked;
                }
                EXPECT_GT(checked, 5);
            }
        }
    }
}

// What the acoustic view predicts with ideal drivers is what the exported taps do, but for the
// delay every band shares: the exported latency less the earliest band's delay.
TEST(AlignmentTest, ExportedBandsAreTheAcousticViewsPrediction) {
    for (const int32_t rate : {44100, 96000}) {
        const dsp::CrossoverParameters p = dsp::AtSampleRate(dsp::CrossoverParameters{}, rate);
        const dsp::CalculationResult crossover = dsp::CalculateCrossover(p);
        const AlignmentCase& c = kCases[1];
        acoustic::AcousticModel model;
        model.SetDesign(crossover.taps);
        model.SetDrivers({});
        acoustic::AcousticResponse predicted;
        model.Evaluate(c.bands, predicted);
        const ExportedRate exported =
            ExportRate(dsp::CalculateCrossover(p), {true, c.bands, Normalization::None, {}});
        double earliestMs = 0.0;
        for (const auto& band : c.bands) {
            earliestMs = std::min(earliestMs, band.delayMs);
        }
        const double shared = exported.latency.sumSamples - earliestMs * rate / 1000.0;
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            SCOPED_TRACE(std::to_string(rate) + " Hz, band " + std::to_string(b));
            for (std::size_t i = 0; i < predicted.frequenciesHz.size(); i += 8) {
                const double f = predicted.frequenciesHz[i];
                if (f > 0.9 * rate / 2.0 || std::abs(predicted.bands[b][i]) < 1e-3) {
                    continue;
                }
                const std::complex<double> got = DirectSum(Band(exported.design.taps, b), f, rate) *
                                                 std::conj(IdealDelay(shared, f, rate));
                const std::complex<double> ratio = got / predicted.bands[b][i];
                EXPECT_NEAR(20.0 * std::log10(std::abs(ratio)), 0.0, 0.01) << f << " Hz";
                EXPECT_NEAR(std::arg(ratio) * 180.0 / std::numbers::pi, 0.0, 0.5) << f << " Hz";
            }
        }
    }
}

TEST(AlignmentTest, NeutralSettingsLeaveTheCrossoverAsItIsAndNoAlignmentIgnoresThem) {
    const dsp::CalculationResult crossover = dsp::CalculateCrossover(dsp::CrossoverParameters{});
    const ExportAlignment tuned{false, kCases[0].bands, Normalization::None, {}};
    for (const ExportAlignment& alignment : {ExportAlignment{}, tuned}) {
        const ExportedRate exported =
            ExportRate(dsp::CalculateCrossover(dsp::CrossoverParameters{}), alignment);
        EXPECT_EQ(exported.design.taps.LowTaps, crossover.taps.LowTaps);
        EXPECT_EQ(exported.design.taps.HighTaps, crossover.taps.HighTaps);
        EXPECT_EQ(exported.design.taps.SumTaps, crossover.taps.SumTaps);
        EXPECT_EQ(exported.latency.sumSamples, crossover.taps.CommonCentre);
    }
}

// Normalising brings the largest band's measure to 0 dB and scales every band alike.
TEST(AlignmentTest, NormalizationAttenuatesEveryBandAlikeToFullScale) {
    const ExportAlignment plain{true, kCases[0].bands, Normalization::None, {}};
    const ExportedRate unscaled =
        ExportRate(dsp::CalculateCrossover(dsp::CrossoverParameters{}), plain);
    for (const Normalization n : {Normalization::Peak, Normalization::WorstCase}) {
        ExportAlignment alignment = plain;
        alignment.normalization = n;
        const ExportedRate scaled =
            ExportRate(dsp::CalculateCrossover(dsp::CrossoverParameters{}), alignment);
        double largest = 0.0;
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            const std::vector<double>& taps = Band(scaled.design.taps, b);
            largest = std::max(largest, n == Normalization::Peak ? dsp::PeakGain(taps, 44100)
                                                                 : dsp::WorstCaseGain(taps));
            const double factor = std::pow(10.0, scaled.attenuationDb / 20.0);
            EXPECT_NEAR(taps[500], Band(unscaled.design.taps, b)[500] * factor, 1e-15);
        }
        EXPECT_NEAR(largest, 1.0, 1e-6);
        EXPECT_LT(scaled.attenuationDb, 0.0);
        EXPECT_FALSE(n == Normalization::WorstCase && scaled.headroom.CanClip());
    }
}

// A peak between the FFT's bins: a short windowed tone, whose largest gain a dense search of its
// own finds.
TEST(HeadroomTest, PeakGainFindsThePeakBetweenBins) {
    std::vector<double> taps(48);
    for (std::size_t n = 0; n < taps.size(); ++n) {
        const auto t = static_cast<double>(n);
        taps[n] = std::cos(2.0 * std::numbers::pi * 1234.567 * t / 44100.0) *
                  std::sin(std::numbers::pi * (t + 0.5) / 48.0);
    }
    double dense = 0.0;
    double at = 0.0;
    for (double f = 0.0; f <= 22050.0; f += 2.0) {
        const double gain = std::abs(DirectSum(taps, f, 44100));
        if (gain > dense) {
            dense = gain;
            at = f;
        }
    }
    for (double f = at - 2.0; f <= at + 2.0; f += 0.002) {
        dense = std::max(dense, std::abs(DirectSum(taps, f, 44100)));
    }
    EXPECT_NEAR(dsp::PeakGain(taps, 44100), dense, 1e-6 * dense);
}

}  // namespace
}  // namespace kc::exporting

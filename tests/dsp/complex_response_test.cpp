// SPDX-License-Identifier: GPL-3.0-or-later
// The complex response at any frequency against closed forms and an independent extended sum.
#include "dsp/complex_response.h"

#include <gtest/gtest.h>

#include <cmath>

#include "base/errors.h"

namespace kc::dsp {
namespace {

constexpr long double kTwoPi = 6.283185307179586477L;

// Σ x[n]·e^(−j2π·f·(n − d)/R) summed term by term in extended precision, the turns of each term
// reduced before its own sine and cosine: independent of the pairing and the rotation.
std::complex<double> ExtendedSum(const std::vector<double>& taps, int32_t delay, int32_t rate,
                                 double f) {
    long double re = 0.0L;
    long double im = 0.0L;
    for (std::size_t n = 0; n < taps.size(); ++n) {
        long double turns =
            static_cast<long double>(f) * (static_cast<long double>(n) - delay) / rate;
        turns -= std::nearbyint(turns);
        re += taps[n] * std::cos(kTwoPi * turns);
        im -= taps[n] * std::sin(kTwoPi * turns);
    }
    return {static_cast<double>(re), static_cast<double>(im)};
}

TEST(DelayFreeResponseTest, AgreesWithAnExtendedSumAtEveryRate) {
    for (int32_t rate : {44100, 96000, 192000, 22051}) {
        const CrossoverTaps taps = DesignCrossover(AtSampleRate(CrossoverParameters{}, rate));
        const std::vector<double> frequencies = LogSpacedFrequencies(10.0, 48, rate / 2.0);
        const CrossoverResponses r = DelayFreeResponses(taps, frequencies);
        EXPECT_EQ(r.delaySamples, taps.CommonCentre);
        for (const auto& [array, response] : {std::pair{&taps.LowTaps, &r.low},
                                              {&taps.MidTaps, &r.mid},
                                              {&taps.HighTaps, &r.high},
                                              {&taps.SumTaps, &r.sum}}) {
            double absoluteSum = 0.0;
            for (double tap : *array) {
                absoluteSum += std::fabs(tap);
            }
            for (std::size_t i = 0; i < frequencies.size(); i += 13) {
                const std::complex<double> exact =
                    ExtendedSum(*array, taps.CommonCentre, rate, frequencies[i]);
                EXPECT_LE(std::abs((*response)[i] - exact), 1e-13 * absoluteSum)
                    << rate << " Hz at " << frequencies[i] << " Hz";
            }
        }
    }
}

TEST(DelayFreeResponseTest, ImpulsesGiveTheirDelaysPhase) {
    // An impulse at n0 with the delay d taken out: e^(−j2π·f·(n0 − d)/R), exactly of modulus 1.
    std::vector<double> impulse(4001, 0.0);
    impulse[3000] = 1.0;
    const std::vector<double> frequencies = {10.0, 1000.5, 12000.25, 23999.9};
    for (int32_t delay : {3000, 2000, 0}) {
        const auto response = DelayFreeResponse(impulse, delay, 48000, frequencies);
        for (std::size_t i = 0; i < frequencies.size(); ++i) {
            const long double turns = frequencies[i] * (3000.0L - delay) / 48000.0L;
            const long double theta = kTwoPi * (turns - std::nearbyint(turns));
            EXPECT_NEAR(response[i].real(), static_cast<double>(std::cos(theta)), 1e-13);
            EXPECT_NEAR(response[i].imag(), static_cast<double>(-std::sin(theta)), 1e-13);
        }
    }
    EXPECT_THROW(DelayFreeResponse(impulse, 0, 1000, frequencies), base::ERangeError);
}

TEST(PhaseDegreesTest, WrapsIntoTheHalfOpenTurn) {
    struct Row {
        std::complex<double> value;
        double frequencyHz;
        int32_t delay;
        double expected;
    };
    // Hand values: −1 is 180°, never −180° (also from −0 imaginary); a delay of 1 sample at R/4
    // is a quarter turn back; 4410 samples at 10 Hz is exactly one turn; at 10.5 Hz 1.05 turns.
    for (const Row& row : {Row{{1.0, 0.0}, 1000.0, 0, 0.0}, Row{{-1.0, 0.0}, 1000.0, 0, 180.0},
                           Row{{-1.0, -0.0}, 1000.0, 0, 180.0}, Row{{0.0, 1.0}, 1.0, 0, 90.0},
                           Row{{1.0, 0.0}, 11025.0, 1, -90.0}, Row{{-1.0, 0.0}, 11025.0, 1, 90.0},
                           Row{{1.0, 0.0}, 10.0, 4410, 0.0}, Row{{1.0, 0.0}, 10.5, 4410, -18.0}}) {
        EXPECT_NEAR(PhaseDegrees(row.value, row.frequencyHz, row.delay, 44100), row.expected, 1e-9)
            << row.value << " " << row.frequencyHz << " " << row.delay;
    }
}

TEST(LogSpacedFrequenciesTest, FortyEightPerOctaveBelowHalfTheRate) {
    const std::vector<double> f = LogSpacedFrequencies(10.0, 48, 22050.0);
    // 10·2^(i/48) < 22050 for i < 48·log2(2205) = 533.1: 534 points.
    ASSERT_EQ(f.size(), 534u);
    EXPECT_EQ(f[0], 10.0);
    EXPECT_EQ(f[48], 20.0);
    EXPECT_EQ(f[480], 10240.0);
    EXPECT_LT(f.back(), 22050.0);
    EXPECT_GE(f.back() * std::exp2(1.0 / 48), 22050.0);
}

}  // namespace
}  // namespace kc::dsp

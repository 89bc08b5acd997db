// SPDX-License-Identifier: GPL-3.0-or-later
// The group delay of a response and the speaker's predicted impulse responses, against closed
// forms: a pure delay's group delay is that delay; ideal drivers give back the crossover's taps,
// scaled, inverted and shifted by whole samples as the band's settings say.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstddef>
#include <numbers>
#include <string>
#include <vector>

#include "acoustic/frd_reader.h"
#include "acoustic/group_delay.h"
#include "acoustic/speaker_time.h"
#include "dsp/bands.h"
#include "dsp/crossover.h"

namespace kc::acoustic {
namespace {

// e^(−j·2π·f·τ) at 48 points an octave from 10 Hz to 20 kHz.
struct DelayCurve {
    std::vector<double> frequenciesHz;
    ComplexCurve values;
};
DelayCurve PureDelay(double delayMs) {
    DelayCurve curve;
    for (double f = 10.0; f <= 20000.0; f *= std::exp2(1.0 / 48.0)) {
        curve.frequenciesHz.push_back(f);
        curve.values.push_back(std::polar(1.0, -2.0 * std::numbers::pi * f * delayMs / 1000.0));
    }
    return curve;
}

TEST(GroupDelay, PureDelayReadsAsItsDelayWithAReferenceBeyondHalfATurn) {
    struct Row {
        double delayMs;
        double referenceMs;  // 0: none given
    };
    // 0.3 and −1 ms turn less than half a turn between neighbours up to 20 kHz; 20 ms needs the
    // reference, 19.5 ms one that is off by half a millisecond.
    for (const Row row : {Row{0.3, 0.0}, Row{-1.0, 0.0}, Row{20.0, 20.0}, Row{20.0, 19.5}}) {
        const DelayCurve curve = PureDelay(row.delayMs);
        const std::vector<double> reference(curve.values.size(), row.referenceMs);
        const auto delays =
            GroupDelaysMs(curve.values, curve.frequenciesHz,
                          row.referenceMs == 0.0 ? std::vector<double>{} : reference);
        ASSERT_EQ(delays.size(), curve.values.size());
        for (std::size_t i = 0; i < delays.size(); ++i) {
            ASSERT_NEAR(delays[i], row.delayMs, 1e-9)
                << row.delayMs << " ms at " << curve.frequenciesHz[i] << " Hz";
        }
    }
    const auto phases = UnwrappedPhasesDeg(PureDelay(0.3).values);
    EXPECT_NEAR(phases.back(), -360.0 * PureDelay(0.3).frequenciesHz.back() * 0.0003, 1e-6);
}

dsp::CrossoverTaps Design48k() {
    dsp::CrossoverParameters parameters;
    parameters.sampleRateHz = 48000;
    return dsp::DesignCrossover(parameters);
}

// Ideal drivers at 0 dB: each band's predicted impulse is its taps, centred at N/2, times its
// gain and polarity and moved by its delay (whole samples at 48 kHz), and the sum theirs.
TEST(SpeakerTime, IdealDriversGiveTheCrossoverTapsAsTheSettingsSay) {
    const dsp::CrossoverTaps taps = Design48k();
    SpeakerTimeModel model;
    model.Set(taps, Drivers{});
    struct Row {
        BandSettings settings;
        double scale;
        int shiftSamples;
    };
    const Row rows[] = {{{0.0, 0.0, false}, 1.0, 0},
                        {{20.0 * std::log10(0.5), 1.0, true}, -0.5, 48},
                        {{0.0, -0.25, false}, 1.0, -12}};
    for (const Row& row : rows) {
        Settings settings{};
        settings[1] = row.settings;
        const dsp::TimeResponse response = model.Evaluate(settings);
        ASSERT_EQ(response.centre, response.Length() / 2);
        ASSERT_EQ(response.sampleRateHz, 48000);
        const auto bands = dsp::BandTaps(taps);
        std::vector<double> sum(static_cast<std::size_t>(response.Length()), 0.0);
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            const double scale = b == 1 ? row.scale : 1.0;
            const int shift = b == 1 ? row.shiftSamples : 0;
            std::vector<double> expected(sum.size(), 0.0);
            for (std::size_t n = 0; n < bands[b]->size(); ++n) {
                const auto at = static_cast<std::size_t>(response.centre + shift +
                                                         static_cast<int>(n) - taps.CommonCentre);
                expected[at] = scale * (*bands[b])[n];
                sum[at] += expected[at];
            }
            for (std::size_t i = 0; i < expected.size(); ++i) {
                ASSERT_NEAR(response.impulse[b][i], expected[i], 1e-12) << b << " tap " << i;
            }
        }
        for (std::size_t i = 0; i < sum.size(); ++i) {
            ASSERT_NEAR(response.impulse[dsp::kSumCurve][i], sum[i], 1e-12) << "sum tap " << i;
        }
    }
}

// A woofer that rolls off at 12 dB an octave below 40 Hz has no response at DC: the prediction
// must not give it a constant floor, whose running sum would read as pre-ringing over the whole
// transform. Its pre-ringing stays near the crossover's own (the driver is minimum phase).
TEST(SpeakerTime, RollingOffDriverKeepsTheCrossoversPreRinging) {
    std::string text = "Frequency SPL\n";
    for (double f = 10.0; f <= 20000.0; f *= std::exp2(1.0 / 24.0)) {
        const double fc = 40.0;
        const double highPass = f * f / std::hypot(fc * fc - f * f, f * fc / 0.7);
        text += std::to_string(f) + ' ' + std::to_string(85.0 + 20.0 * std::log10(highPass)) + '\n';
    }
    Drivers drivers;
    drivers[0] = ParseFrd(text, "woofer.txt");
    const dsp::CrossoverTaps taps = Design48k();
    SpeakerTimeModel model;
    model.Set(taps, drivers);
    const auto speaker = dsp::PreRingingFigures(model.Evaluate(Settings{}), 60);
    const auto crossover = dsp::PreRingingFigures(dsp::MakeTimeResponse(taps, false), 60);
    EXPECT_NEAR(speaker[0].ms, crossover[0].ms, 1.0);
}

}  // namespace
}  // namespace kc::acoustic

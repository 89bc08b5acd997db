// SPDX-License-Identifier: GPL-3.0-or-later
// The target's level and the automatic alignment, with analytic drivers: flat levels, a pure delay
// as a linear phase and a polarity as 180°, so that the settings that undo them are known exactly.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "acoustic/auto_align.h"
#include "acoustic/target.h"
#include "dsp/crossover.h"

namespace kc::acoustic {
namespace {

// A driver flat at `levelDb` over 10 Hz ... 20 kHz, 48 points an octave, `delayMs` late and
// inverted when asked: its phase −360°·f·delay (+180°).
DriverResponse Analytic(const std::string& name, double levelDb, double delayMs, bool inverted) {
    DriverResponse driver{name, {}, {}, {}};
    for (double hz = 10.0; hz <= 20000.0; hz *= std::exp2(1.0 / 48.0)) {
        driver.frequenciesHz.push_back(hz);
        driver.levelsDb.push_back(levelDb);
        driver.phasesDeg.push_back(-360.0 * hz * delayMs / 1000.0 + (inverted ? 180.0 : 0.0));
    }
    return driver;
}

AcousticModel ModelOf(const Drivers& drivers, int32_t sampleRateHz = dsp::SampleRate) {
    dsp::CrossoverParameters parameters;  // 300 Hz and 2 kHz, 901/701/301 taps
    parameters.adjustCoefficient = true;  // the bands sum to a pure delay
    AcousticModel model;
    model.SetDrivers(drivers);
    model.SetDesign(dsp::DesignCrossover(dsp::AtSampleRate(parameters, sampleRateHz)));
    return model;
}

// Each row's drivers and the settings that undo them, by hand: a band late by τ wants −τ against
// the reference (mid) band, an inverted one its polarity inverted, a band louder than the least
// sensitive one (the default target) that much less gain; the other bands want nothing. At the
// window's rate and at 192 kHz (the counts scaled, as an export scales them).
TEST(AutoAlignTest, FindsTheDelayPolarityAndGainThatUndoTheDrivers) {
    struct Band {
        double levelDb, delayMs;
        bool inverted;
    };
    struct Row {
        const char* name;
        std::array<Band, dsp::kBandCount> bands;
    };
    const Row rows[] = {
        {"late tweeter", {{{90, 0, false}, {90, 0, false}, {90, 0.15, false}}}},
        {"inverted tweeter", {{{90, 0, false}, {90, 0, false}, {90, 0, true}}}},
        {"early woofer, late mid", {{{90, -0.4, false}, {90, 0.25, false}, {90, 0.25, false}}}},
        {"sensitivities 88/91/93", {{{88, 0, false}, {91, 0, false}, {93, 0, false}}}},
        {"all at once", {{{88, 1.2, true}, {91, 0, false}, {93, 0.15, true}}}},
    };
    for (const int32_t rateHz : {44100, 192000}) {
        for (const Row& row : rows) {
            SCOPED_TRACE(rateHz);
            Drivers drivers;
            for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
                const Band& band = row.bands[b];
                drivers[b] = Analytic(std::string(dsp::kCurveNames[b].id), band.levelDb,
                                      band.delayMs, band.inverted);
            }
            const AcousticModel model = ModelOf(drivers, rateHz);
            const AlignResult result = Align(AlignInputsOf(model, {}), Settings{});
            const Band& reference = row.bands[kAlignReferenceBand];
            const double leastDb =
                std::min_element(row.bands.begin(), row.bands.end(),
                                 [](const Band& x, const Band& y) { return x.levelDb < y.levelDb; })
                    ->levelDb;
            for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
                const Band& band = row.bands[b];
                const BandSettings& found = result.settings[b];
                EXPECT_NEAR(found.delayMs, reference.delayMs - band.delayMs, 0.01)
                    << row.name << ", " << b;
                EXPECT_EQ(found.inverted, band.inverted != reference.inverted)
                    << row.name << ", " << b;
                EXPECT_NEAR(found.gainDb, leastDb - band.levelDb, 0.05) << row.name << ", " << b;
            }
            EXPECT_LT(result.deviationAfterDb, 0.05) << row.name;
            EXPECT_GE(result.deviationBeforeDb, result.deviationAfterDb) << row.name;
        }
    }
}

// A woofer rolling off below 60 Hz (a closed box: the second-order Butterworth high-pass
// s²/(s² + √2·ω·s + ω²), level and phase in closed form) beside flat drivers at its level: no
// gain lifts a roll-off, so the alignment measures from the woofer's −3 dB point and leaves its
// level where it plays at the others' (within 0.5 dB; counting from its −10 dB point lifted it by
// 1.3 dB) and the sum within 0.5 dB of the target from 120 Hz up.
TEST(AutoAlignTest, RollOffDoesNotPullTheWooferAboveTheOthers) {
    DriverResponse woofer = Analytic("woofer", 90.0, 0.0, false);
    for (std::size_t i = 0; i < woofer.frequenciesHz.size(); ++i) {
        const std::complex<double> s(0.0, woofer.frequenciesHz[i] / 60.0);  // s/ω
        const std::complex<double> h = s * s / (s * s + std::sqrt(2.0) * s + 1.0);
        woofer.levelsDb[i] += 20.0 * std::log10(std::abs(h));
        woofer.phasesDeg[i] = std::arg(h) * 180.0 / M_PI;  // from 180° at 0 Hz down to 0°
    }
    const AcousticModel model =
        ModelOf({woofer, Analytic("mid", 90.0, 0.0, false), Analytic("tweeter", 90.0, 0.0, false)});
    const AlignResult result = Align(AlignInputsOf(model, {}), Settings{});
    EXPECT_NEAR(result.settings[0].gainDb, result.settings[1].gainDb, 0.5);
    EXPECT_NEAR(result.settings[2].gainDb, result.settings[1].gainDb, 0.5);
    AcousticResponse response;
    model.Evaluate(result.settings, response);
    const std::vector<double> levels = LevelsDb(response.sum);
    for (std::size_t i = 0; i < levels.size(); ++i) {
        if (response.frequenciesHz[i] >= 120.0) {
            EXPECT_NEAR(levels[i], result.targetLevelDb, 0.5) << response.frequenciesHz[i];
        }
    }
}

// The default target is the least sensitive driver within its band: a woofer loud below its band
// (100 dB under 30 Hz) but 85 dB in it does not lift the target; the tilt adds its dB an octave
// from the pivot (closed form).
TEST(TargetTest, DefaultLevelIsTheLeastSensitiveDriverWithinItsBandAndTiltGoesByOctaves) {
    DriverResponse woofer = Analytic("woofer", 85.0, 0.0, false);
    for (std::size_t i = 0; woofer.frequenciesHz[i] < 30.0; ++i) {
        woofer.levelsDb[i] = 100.0;
    }
    const AcousticModel model =
        ModelOf({woofer, Analytic("mid", 90.0, 0.0, false), Analytic("tweeter", 92.0, 0.0, false)});
    EXPECT_NEAR(DefaultTargetLevelDb(model), 85.0, 1e-9);
    EXPECT_NEAR(DefaultTargetLevelDb(model, {10.0, 0.0, 0.0}), 90.0, 1e-9);  // mid is least now
    EXPECT_NEAR(DefaultTargetLevelDb(ModelOf({})), 0.0, 1e-12);

    const TargetSettings tilted{std::nullopt, -1.5, 1000.0};
    const std::vector<double> levels = TargetLevelsDb(tilted, 85.0, {250.0, 1000.0, 8000.0});
    EXPECT_NEAR(levels[0], 88.0, 1e-12);
    EXPECT_NEAR(levels[1], 85.0, 1e-12);
    EXPECT_NEAR(levels[2], 80.5, 1e-12);
    EXPECT_EQ(TargetLevelDb({80.0, 0.0, 1000.0}, 85.0), 80.0);
}

}  // namespace
}  // namespace kc::acoustic

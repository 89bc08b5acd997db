// SPDX-License-Identifier: GPL-3.0-or-later
// The driver correction on analytic drivers (correction/make_test_drivers.py: resonances,
// roll-offs, sensitivities 88/91/93 dB, a tweeter 0.15 ms late) and on the example drivers
// (docs/examples/drivers/make_drivers.py): the corrected, aligned sum against the target.
#include "acoustic/correction.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>

#include "acoustic/auto_align.h"
#include "acoustic/impulse_reader.h"
#include "base/errors.h"
#include "dsp/calculation.h"
#include "dsp/complex_response.h"
#include "dsp/crossover.h"

namespace kc::acoustic {
namespace {

std::shared_ptr<const Drivers> ReadDrivers(const std::string& folder) {
    Drivers drivers;
    const char* names[] = {"woofer.frd", "midrange.frd", "tweeter.frd"};
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        drivers[b] = ReadDriverFile(folder + "/" + names[b], names[b]);
    }
    return std::make_shared<const Drivers>(std::move(drivers));
}

dsp::CalculationResult AdjustedDesign(int32_t taps, int32_t rateHz) {
    dsp::CrossoverParameters p;
    p.lowCount = p.midCount = p.highCount = taps;
    p.adjustCoefficient = true;
    p.sampleRateHz = rateHz;
    return dsp::CalculateCrossover(p);
}

// The largest distance of the sum from the target over [firstHz, lastHz], with the design's bands
// corrected (when `correct`) and the delays of `settings`, or those the alignment search finds.
double SumDeviationDb(const dsp::CalculationResult& design,
                      const std::shared_ptr<const Drivers>& drivers, bool correct,
                      std::optional<Settings> settings, double firstHz, double lastHz) {
    Correction correction{{}, drivers};
    correction.settings.bands.fill(correct);
    correction.settings.tapsRateHz = design.taps.sampleRateHz;
    CorrectedDesign corrected = CorrectDesign(design, correction);
    if (!correct) {
        // The target the correction would have aimed at.
        correction.settings.bands.fill(true);
        corrected.targetLevelDb = CorrectDesign(design, correction).targetLevelDb;
    }
    AcousticModel model;
    model.SetDrivers(*drivers);
    model.SetDesign(corrected.taps);
    if (!settings) {
        // Aligned to the target the bands were corrected to, as the command line and window do.
        TargetSettings target = correction.settings.target;
        target.levelDb = corrected.targetLevelDb;
        settings = Align(AlignInputsOf(model, target), {}).settings;
    }
    AcousticResponse response;
    model.Evaluate(*settings, response);
    const std::vector<double> target =
        TargetLevelsDb(correction.settings.target, corrected.targetLevelDb, response.frequenciesHz);
    return LargestDeviationDb(response.frequenciesHz, response.sum, target, firstHz, lastHz);
}

// The tweeter's lateness, as the generator makes it: the other bands delayed by as much.
Settings AnalyticAlignment() {
    Settings settings{};
    settings[0].delayMs = 0.15;
    settings[1].delayMs = 0.15;
    return settings;
}

// With the tweeter's lateness known, or found by the alignment search on the corrected bands.
TEST(CorrectionTest, AnalyticDriversSumWithinOneDecibelOfTheTargetOnlyWhenCorrected) {
    const auto drivers = ReadDrivers(KC_CORRECTION_DRIVERS);
    for (const int32_t taps : {4001, 2001, 1001}) {
        SCOPED_TRACE(taps);
        const dsp::CalculationResult design = AdjustedDesign(taps, 48000);
        const Settings aligned = AnalyticAlignment();
        EXPECT_LE(SumDeviationDb(design, drivers, true, aligned, 80.0, 15000.0), 1.0);
        EXPECT_GT(SumDeviationDb(design, drivers, false, aligned, 80.0, 15000.0), 1.0);
        EXPECT_LE(SumDeviationDb(design, drivers, true, std::nullopt, 80.0, 15000.0), 1.0);
    }
}

TEST(CorrectionTest, ExampleDriversSumWithinOneDecibelOfTheTarget) {
    const auto drivers = ReadDrivers(KC_DRIVER_EXAMPLES);
    // The acoustic centres of make_drivers.py: woofer 25 mm, midrange 12 mm behind the tweeter.
    constexpr double kSpeedOfSound = 343.0;
    Settings aligned{};
    aligned[1].delayMs = (0.025 - 0.012) / kSpeedOfSound * 1000.0;
    aligned[2].delayMs = 0.025 / kSpeedOfSound * 1000.0;
    for (const int32_t rate : {44100, 48000, 96000}) {
        SCOPED_TRACE(rate);
        dsp::CrossoverParameters p;  // the initial design, adjusted
        p.adjustCoefficient = true;
        const dsp::CalculationResult design = dsp::CalculateCrossover(dsp::AtSampleRate(p, rate));
        EXPECT_LE(SumDeviationDb(design, drivers, true, aligned, 100.0, 15000.0), 1.0);
        EXPECT_LE(SumDeviationDb(design, drivers, true, std::nullopt, 100.0, 15000.0), 1.0);
    }
}

// Only the corrected band changes; the others are the crossover's taps moved by the latency every
// band gains, so that they still add up with it; the figures follow the taps and the limit.
TEST(CorrectionTest, UncorrectedBandsKeepTheirTapsAndTheBoostStaysWithinItsLimit) {
    const auto drivers = ReadDrivers(KC_CORRECTION_DRIVERS);
    const dsp::CalculationResult design = AdjustedDesign(1001, 48000);
    for (const double limitDb : {0.0, 3.0, 6.0}) {
        SCOPED_TRACE(limitDb);
        Correction correction{{}, drivers};
        correction.settings.bands = {true, false, false};
        correction.settings.maxBoostDb = limitDb;
        correction.settings.taps = {2001, 0, 0};
        correction.settings.tapsRateHz = 48000;
        const CorrectedDesign corrected = CorrectDesign(design, correction);
        const int32_t added = 2001 / 2;
        EXPECT_EQ(corrected.taps.CommonCentre, design.taps.CommonCentre + added);
        EXPECT_EQ(CorrectionLatencySamples(correction, design.parameters), added);
        for (std::size_t i = 0; i < design.taps.MidTaps.size(); ++i) {
            ASSERT_EQ(corrected.taps.MidTaps[i + added], design.taps.MidTaps[i]) << i;
            ASSERT_EQ(corrected.taps.HighTaps[i + added], design.taps.HighTaps[i]) << i;
        }
        const BandCorrectionFigures& low = corrected.bands[0];
        EXPECT_EQ(low.taps, 2001);
        EXPECT_DOUBLE_EQ(low.resolutionHz, 48000.0 / 2001);
        EXPECT_LE(low.largestBoostDb, limitDb + 1e-9);
        // The woofer's 40 Hz roll-off needs more than any of these limits below 30 Hz.
        EXPECT_GT(low.limitedDb, 0.0);
        // The band's corrected level at 30 Hz lies no more than the limit (and the window's
        // ripple) above the driver's own.
        const std::vector<double> at30 = {30.0};
        const double driverDb = LevelsDb(InterpolateDriver(*(*drivers)[0], at30))[0];
        const double crossoverDb = LevelsDb(
            dsp::DelayFreeResponse(design.taps.LowTaps, design.taps.CommonCentre, 48000, at30))[0];
        const double correctedDb = LevelsDb(dsp::DelayFreeResponse(
            corrected.taps.LowTaps, corrected.taps.CommonCentre, 48000, at30))[0];
        EXPECT_LE(correctedDb - crossoverDb, limitDb + 0.5) << driverDb;
    }
}

// A correction too long for the rate is refused, naming its band, before anything is allocated:
// 1048576 taps meant at 44.1 kHz are more than 2^20 at 88.2 kHz.
TEST(CorrectionTest, CorrectionBeyondItsLongestIsARangeErrorOfItsBand) {
    const auto drivers = ReadDrivers(KC_CORRECTION_DRIVERS);
    const dsp::CalculationResult design = AdjustedDesign(101, 88200);
    Correction correction{{}, drivers};
    correction.settings.bands = {false, false, true};
    correction.settings.taps = {0, 0, kMaxCorrectionTaps - 1};
    correction.settings.tapsRateHz = 44100;
    try {
        CorrectDesign(design, correction);
        FAIL() << "no error";
    } catch (const base::Error& error) {
        EXPECT_EQ(error.Where(), "high band");
    }
}

}  // namespace
}  // namespace kc::acoustic

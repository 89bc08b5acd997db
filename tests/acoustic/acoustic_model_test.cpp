// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic model: the frequencies, the interpolation of a driver over log frequency, and the
// sum of ideal drivers against the electrical sum of the crossover.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "dsp/crossover.h"
#include "support/raised_error.h"

namespace kc::acoustic {
namespace {

DriverResponse Flat(const std::string& name, double firstHz, double lastHz) {
    return {name, {firstHz, lastHz}, {0.0, 0.0}, {0.0, 0.0}};
}

// Hand calculation: 200 Hz lies halfway between 100 and 400 Hz on the log axis, so it takes the
// mean of the levels (0 and −12 dB) and of the unwrapped phases (170° and −170° + 360°). Beyond
// the ends, by hand: the slope is −6 dB an octave, which the high end continues and the low end
// may not (the level would rise away from the file), and the phase goes on at its group delay of
// 20° over 300 Hz.
TEST(AcousticModelTest, InterpolatesLevelAndUnwrappedPhaseOverLogFrequency) {
    const DriverResponse driver{"d.frd", {100.0, 400.0}, {0.0, -12.0}, {170.0, 190.0}};
    struct Row {
        double hz, levelDb, phaseDeg;
    };
    const Row rows[] = {
        {200.0, -6.0, 180.0},                          // the middle
        {100.0 * std::sqrt(2.0), -3.0, 175.0},         // a quarter of the way
        {50.0, 0.0, 170.0 - 50.0 * 20.0 / 300.0},      // below the file
        {800.0, -18.0, 190.0 + 400.0 * 20.0 / 300.0},  // above
    };
    for (const Row& row : rows) {
        const std::complex<double> d = InterpolateDriver(driver, {row.hz}).front();
        EXPECT_NEAR(20.0 * std::log10(std::abs(d)), row.levelDb, 1e-9) << row.hz;
        EXPECT_NEAR(std::remainder(std::arg(d) * 180.0 / M_PI - row.phaseDeg, 360.0), 0.0, 1e-9)
            << row.hz;
    }
}

TEST(AcousticModelTest, FrequenciesAre48AnOctaveOverTheUnionOfTheFiles) {
    const std::vector<double> ideal = AcousticFrequencies({}, 44100);
    ASSERT_EQ(ideal.size(), 527u);  // 10·2^(i/48) < 20 kHz for i ≤ 48·log2(2000) = 526.4
    EXPECT_EQ(ideal.front(), 10.0);
    EXPECT_NEAR(ideal[48], 20.0, 1e-12);
    EXPECT_LT(AcousticFrequencies({}, 22050).back(), 11025.0);

    const Drivers drivers = {Flat("a.frd", 20.0, 10000.0), std::nullopt,
                             Flat("b.frd", 40.0, 40000.0)};
    const std::vector<double> both = AcousticFrequencies(drivers, 48000);
    EXPECT_EQ(both.front(), 20.0);
    EXPECT_LT(both.back(), 24000.0);
    EXPECT_GE(both.back() * std::exp2(1.0 / 48.0), 24000.0);
    EXPECT_EQ(AcousticFrequencies({Flat("c.frd", 0.01, 100.0)}, 44100).front(), kLowestHz);
}

// Ideal bands beside measured ones take the mean of the files' median levels (by hand: 90 and
// 84 dB give 87 dB).
TEST(AcousticModelTest, IdealBandsTakeTheLevelOfTheMeasuredOnes) {
    EXPECT_EQ(IdealLevelDb({}), 0.0);
    DriverResponse loud = Flat("loud.frd", 10.0, 1000.0);
    loud.levelsDb = {90.0, 90.0};
    DriverResponse quiet{"quiet.frd", {1000.0, 2000.0, 4000.0}, {84.0, 80.0, 95.0}, {0, 0, 0}};
    EXPECT_DOUBLE_EQ(IdealLevelDb({loud, std::nullopt, quiet}), 87.0);
    // The ideal mid is a flat 87 dB file over the same range.
    DriverResponse mid87 = Flat("mid.frd", 10.0, 4000.0);
    mid87.levelsDb = {87.0, 87.0};
    const dsp::CrossoverTaps taps = dsp::DesignCrossover(dsp::CrossoverParameters{});
    std::array<AcousticResponse, 2> responses;
    std::array<AcousticModel, 2> models;
    models[0].SetDrivers({loud, std::nullopt, quiet});
    models[1].SetDrivers({loud, mid87, quiet});
    for (std::size_t m = 0; m < 2; ++m) {
        models[m].SetDesign(taps);
        models[m].Evaluate({}, responses[m]);
    }
    EXPECT_EQ(responses[0].bands[1], responses[1].bands[1]);
}

TEST(AcousticModelTest, FilesAboveHalfTheRateLeaveTheModelAsItWas) {
    AcousticModel model;
    model.SetDriver(Band::Low, Flat("woofer.frd", 10.0, 500.0));
    const std::vector<double> before = model.Frequencies();
    model.SetDriver(Band::Low, std::nullopt);
    EXPECT_EQ(testing_support::RaisedMessage(
                  [&] { model.SetDriver(Band::High, Flat("ultra.frd", 30000.0, 40000.0)); }),
              "the driver files hold no frequency below half the rate (22050 Hz): ultra.frd "
              "covers 30000 ... 40000 Hz");
    EXPECT_FALSE(model.Driver(Band::High).has_value());

    // A file wholly above half a design's rate leaves no frequency at that rate.
    model.SetDriver(Band::Low, Flat("ultra.frd", 12000.0, 40000.0));
    dsp::CrossoverParameters parameters;
    parameters.lowCount = parameters.midCount = parameters.highCount = 21;
    parameters.sampleRateHz = 22050;
    model.SetDesign(dsp::DesignCrossover(parameters));
    EXPECT_TRUE(model.Frequencies().empty());
    EXPECT_NE(testing_support::RaisedMessage([&] { model.CheckFrequencies(); }), "none");
}

// The check before drivers are kept: the model's message, and nothing raised for files of which
// one reaches below half the rate, overlapping or not.
TEST(AcousticModelTest, FrequencyCheckNamesTheFilesAndTheirRanges) {
    EXPECT_EQ(testing_support::RaisedMessage([] {
                  CheckCommonFrequencies({Flat("ultra.frd", 25000.0, 50000.0), std::nullopt,
                                          Flat("bat.frd", 30000.0, 90000.0)},
                                         44100);
              }),
              "the driver files hold no frequency below half the rate (22050 Hz): ultra.frd "
              "covers 25000 ... 50000 Hz, bat.frd covers 30000 ... 90000 Hz");
    EXPECT_NO_THROW(CheckCommonFrequencies(
        {Flat("a.frd", 10.0, 500.0), Flat("b.frd", 1000.0, 4000.0), std::nullopt}, 44100));
    EXPECT_NO_THROW(CheckCommonFrequencies({}, 44100));  // ideal drivers
}

// A flat file's sound lies at the geometric mean of its ends (every interval weighs the same), by
// hand: 40 ... 1000 Hz at 200 Hz, 200 ... 5000 Hz at 1000 Hz, 2000 ... 20000 Hz at 6325 Hz.
TEST(AcousticModelTest, DroppedDriversGoToTheBandsByWhereTheirSoundLies) {
    struct Row {
        const char* what;
        std::array<DriverResponse, dsp::kBandCount> drivers;
        std::array<std::size_t, dsp::kBandCount> bands;  // the index of each band's driver
    };
    const DriverResponse woofer = Flat("woofer", 40.0, 1000.0);
    const DriverResponse mid = Flat("mid", 200.0, 5000.0);
    const DriverResponse tweeter = Flat("tweeter", 2000.0, 20000.0);
    const Row rows[] = {
        {"in order", {woofer, mid, tweeter}, {0, 1, 2}},
        {"reversed", {tweeter, mid, woofer}, {2, 1, 0}},
        {"shuffled", {mid, tweeter, woofer}, {2, 0, 1}},
        // Two files of the same response lie at the same frequency: they keep their order.
        {"equal centres", {Flat("b", 100.0, 400.0), tweeter, Flat("a", 100.0, 400.0)}, {0, 2, 1}},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(BandsByCentreFrequency(row.drivers), row.bands) << row.what;
    }
}

// Independent of the fast evaluation: the direct sum of the taps in extended precision.
double DirectLevelDb(const std::vector<double>& taps, double hz, int32_t rateHz) {
    long double re = 0.0L;
    long double im = 0.0L;
    for (std::size_t n = 0; n < taps.size(); ++n) {
        const long double theta = 2.0L * 3.14159265358979323846264L * n * hz / rateHz;
        re += taps[n] * std::cos(theta);
        im -= taps[n] * std::sin(theta);
    }
    return static_cast<double>(10.0L * std::log10(re * re + im * im));
}

TEST(AcousticModelTest, IdealDriversSumToTheElectricalSum) {
    AcousticModel model;
    const dsp::CrossoverTaps taps = dsp::DesignCrossover(dsp::CrossoverParameters{});
    model.SetDesign(taps);
    // Files of 0 dB and 0° everywhere are ideal drivers.
    model.SetDrivers({Flat("low.frd", 1.0, 30000.0), Flat("mid.frd", 1.0, 30000.0),
                      Flat("high.frd", 1.0, 30000.0)});
    AcousticResponse response;
    model.Evaluate({}, response);
    const std::vector<double> levels = LevelsDb(response.sum);
    ASSERT_EQ(response.frequenciesHz.front(), 1.0);
    ASSERT_GT(response.frequenciesHz.back() * std::exp2(1.0 / 48.0), 22050.0);
    for (std::size_t i = 0; i < levels.size(); i += 7) {
        const double hz = response.frequenciesHz[i];
        EXPECT_NEAR(levels[i], DirectLevelDb(taps.SumTaps, hz, taps.sampleRateHz), 0.001) << hz;
    }
}

// A woofer measured 10 Hz ... 2 kHz near field and a tweeter 1 ... 20 kHz gated: the sum covers
// both files, each band continued beyond its file, and says where the continued data matters.
TEST(AcousticModelTest, EachDriverCountsOverItsOwnRange) {
    AcousticModel model;
    const dsp::CrossoverTaps taps = dsp::DesignCrossover(dsp::CrossoverParameters{});
    model.SetDesign(taps);
    model.SetDrivers(
        {Flat("woofer.frd", 10.0, 2000.0), std::nullopt, Flat("tweeter.frd", 1000.0, 20000.0)});
    AcousticResponse response;
    model.Evaluate({}, response);
    ASSERT_LE(response.frequenciesHz.front(), 20.0);
    ASSERT_GE(response.frequenciesHz.back(), 18000.0);
    // Flat drivers at 0 dB (the ideal mid at their median level, 0 dB), continued flat and at
    // no delay: the crossover's own sum everywhere.
    const std::vector<double> levels = LevelsDb(response.sum);
    for (std::size_t i = 0; i < levels.size(); i += 5) {
        const double hz = response.frequenciesHz[i];
        EXPECT_NEAR(levels[i], DirectLevelDb(taps.SumTaps, hz, taps.sampleRateHz), 0.001) << hz;
    }
    // Beyond their files the woofer and the tweeter lie more than 20 dB below the sum (the
    // crossover is at 300 Hz and 2 kHz); a mid measured 500 Hz ... 1 kHz does not.
    EXPECT_TRUE(ContinuedStretches(model.DriverFiles(), response).empty());
    model.SetDriver(Band::Mid, Flat("mid.frd", 500.0, 1000.0));
    model.Evaluate({}, response);
    const std::vector<ContinuedStretch> stretches =
        ContinuedStretches(model.DriverFiles(), response);
    ASSERT_EQ(stretches.size(), 2u);
    EXPECT_LT(stretches[0].firstHz, 400.0);
    EXPECT_LT(stretches[0].lastHz, 500.0);
    EXPECT_GT(stretches[1].firstHz, 1000.0);
    EXPECT_GT(stretches[1].lastHz, 1500.0);
    EXPECT_TRUE(stretches[0].bands[1] && !stretches[0].bands[0] && !stretches[0].bands[2]);
    EXPECT_TRUE(ContinuedText(stretches).starts_with("the sum rests on continued data at "))
        << ContinuedText(stretches);
}

}  // namespace
}  // namespace kc::acoustic

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
// mean of the levels (0 and −12 dB) and of the unwrapped phases (170° and −170° + 360°).
TEST(AcousticModelTest, InterpolatesLevelAndUnwrappedPhaseOverLogFrequency) {
    const DriverResponse driver{"d.frd", {100.0, 400.0}, {0.0, -12.0}, {170.0, 190.0}};
    struct Row {
        double hz, levelDb, phaseDeg;
    };
    const Row rows[] = {
        {200.0, -6.0, 180.0},                   // the middle
        {100.0 * std::sqrt(2.0), -3.0, 175.0},  // a quarter of the way
        {50.0, 0.0, 170.0},                     // below the file: its first point
        {800.0, -12.0, -170.0},                 // above: its last
    };
    for (const Row& row : rows) {
        const std::complex<double> d = InterpolateDriver(driver, {row.hz}).front();
        EXPECT_NEAR(20.0 * std::log10(std::abs(d)), row.levelDb, 1e-9) << row.hz;
        EXPECT_NEAR(std::remainder(std::arg(d) * 180.0 / M_PI - row.phaseDeg, 360.0), 0.0, 1e-9)
            << row.hz;
    }
}

TEST(AcousticModelTest, FrequenciesAre48AnOctaveOverWhatEveryFileCovers) {
    const std::vector<double> ideal = AcousticFrequencies({}, 44100);
    ASSERT_EQ(ideal.size(), 527u);  // 10·2^(i/48) < 20 kHz for i ≤ 48·log2(2000) = 526.4
    EXPECT_EQ(ideal.front(), 10.0);
    EXPECT_NEAR(ideal[48], 20.0, 1e-12);
    EXPECT_LT(AcousticFrequencies({}, 22050).back(), 11025.0);

    const Drivers drivers = {Flat("a.frd", 20.0, 20000.0), std::nullopt,
                             Flat("b.frd", 40.0, 40000.0)};
    const std::vector<double> both = AcousticFrequencies(drivers, 48000);
    EXPECT_EQ(both.front(), 40.0);
    EXPECT_LE(both.back(), 20000.0);
    EXPECT_GT(both.back() * std::exp2(1.0 / 48.0), 20000.0);
    EXPECT_EQ(AcousticFrequencies({Flat("c.frd", 0.01, 100.0)}, 44100).front(), kLowestHz);
}

TEST(AcousticModelTest, FilesWithoutACommonFrequencyLeaveTheModelAsItWas) {
    AcousticModel model;
    model.SetDriver(Band::Low, Flat("woofer.frd", 10.0, 500.0));
    const std::vector<double> before = model.Frequencies();
    EXPECT_EQ(testing_support::RaisedMessage(
                  [&] { model.SetDriver(Band::High, Flat("tweeter.frd", 1000.0, 20000.0)); }),
              "the driver files share no frequency below half the rate (22050 Hz): woofer.frd "
              "covers 10 ... 500 Hz, tweeter.frd covers 1000 ... 20000 Hz");
    EXPECT_FALSE(model.Driver(Band::High).has_value());
    EXPECT_EQ(model.Frequencies(), before);

    // A file wholly above half a design's rate leaves no frequency at that rate.
    model.SetDriver(Band::Low, Flat("ultra.frd", 12000.0, 40000.0));
    dsp::CrossoverParameters parameters;
    parameters.lowCount = parameters.midCount = parameters.highCount = 21;
    parameters.sampleRateHz = 22050;
    model.SetDesign(dsp::DesignCrossover(parameters));
    EXPECT_TRUE(model.Frequencies().empty());
    EXPECT_NE(testing_support::RaisedMessage([&] { model.CheckFrequencies(); }), "none");
}

// The check before drivers are kept: the model's message, and nothing raised for files that
// overlap below half the rate.
TEST(AcousticModelTest, CommonFrequencyCheckNamesTheFilesAndTheirRanges) {
    EXPECT_EQ(testing_support::RaisedMessage([] {
                  CheckCommonFrequencies({Flat("woofer.frd", 10.0, 500.0), std::nullopt,
                                          Flat("tweeter.frd", 1000.0, 20000.0)},
                                         44100);
              }),
              "the driver files share no frequency below half the rate (22050 Hz): woofer.frd "
              "covers 10 ... 500 Hz, tweeter.frd covers 1000 ... 20000 Hz");
    EXPECT_NO_THROW(CheckCommonFrequencies(
        {Flat("a.frd", 10.0, 500.0), Flat("b.frd", 400.0, 4000.0), std::nullopt}, 44100));
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

}  // namespace
}  // namespace kc::acoustic

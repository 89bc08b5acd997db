// SPDX-License-Identifier: GPL-3.0-or-later
// Impulse responses as drivers: the WAV of a known filter (an RBJ low-pass biquad computed here
// by its difference equation) reads back as the filter's closed-form response; bad files and
// options are refused naming the file.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <complex>
#include <string>
#include <vector>

#include "acoustic/impulse_reader.h"
#include "support/file_bytes.h"
#include "support/raised_error.h"

namespace kc::acoustic {
namespace {

using testing_support::RaisedMessage;

struct Biquad {
    double b0, b1, b2, a1, a2;  // a0 = 1

    // H(e^(jω)) at `hz` for `rateHz`.
    std::complex<double> At(double hz, double rateHz) const {
        const std::complex<double> z1 = std::polar(1.0, -2.0 * M_PI * hz / rateHz);
        return (b0 + b1 * z1 + b2 * z1 * z1) / (1.0 + a1 * z1 + a2 * z1 * z1);
    }
};

// The RBJ cookbook low-pass at cornerHz, Q = 1/√2.
Biquad LowPass(double cornerHz, double rateHz) {
    const double w0 = 2.0 * M_PI * cornerHz / rateHz;
    const double alpha = std::sin(w0) / std::sqrt(2.0);
    const double a0 = 1.0 + alpha;
    const double c = std::cos(w0);
    return {(1.0 - c) / 2.0 / a0, (1.0 - c) / a0, (1.0 - c) / 2.0 / a0, -2.0 * c / a0,
            (1.0 - alpha) / a0};
}

// Writes `frames` of `channels` as a 32-bit float WAV.
void WriteWav(const std::string& path, int rateHz, int channels,
              const std::vector<float>& samples) {
    SF_INFO info{};
    info.samplerate = rateHz;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()) / channels);
    sf_close(file);
}

// A stereo file at 96 kHz, silence on the left, on the right the low-pass at 1 kHz delayed by
// 96 samples (1 ms): channel 2 reads back within 0.1 dB and 1° of the closed form (delay
// included) from 20 Hz to 20 kHz, its peak reported just after 1 ms.
TEST(ImpulseReaderTest, ReadsTheResponseOfAKnownFilter) {
    const int rate = 96000;
    const Biquad filter = LowPass(1000.0, rate);
    const std::size_t frames = 19200;  // 0.2 s
    std::vector<float> samples(2 * frames, 0.0F);
    double x1 = 0.0;
    double x2 = 0.0;
    double y1 = 0.0;
    double y2 = 0.0;
    for (std::size_t n = 96; n < frames; ++n) {
        const double x = n == 96 ? 1.0 : 0.0;
        const double y =
            filter.b0 * x + filter.b1 * x1 + filter.b2 * x2 - filter.a1 * y1 - filter.a2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        samples[2 * n + 1] = static_cast<float>(y);
    }
    const std::string path = testing::TempDir() + "lowpass-ir.wav";
    WriteWav(path, rate, 2, samples);
    const DriverResponse driver = ReadDriverFile(path, "lowpass-ir.wav", {.channel = 2});
    EXPECT_EQ(driver.kind, DriverKind::ImpulseResponse);
    EXPECT_TRUE(
        driver.reading.starts_with("impulse response, 96000 Hz, channel 2 of 2, peak at 1.1"))
        << driver.reading;
    std::size_t compared = 0;
    for (std::size_t i = 0; i < driver.frequenciesHz.size(); ++i) {
        const double hz = driver.frequenciesHz[i];
        if (hz < 20.0 || hz > 20000.0) {
            continue;
        }
        const std::complex<double> h =
            filter.At(hz, rate) * std::polar(1.0, -2.0 * M_PI * hz * 96.0 / rate);
        EXPECT_NEAR(driver.levelsDb[i], 20.0 * std::log10(std::abs(h)), 0.1) << hz;
        EXPECT_NEAR(std::remainder(driver.phasesDeg[i] - std::arg(h) * 180.0 / M_PI, 360.0), 0.0,
                    1.0)
            << hz;
        ++compared;
    }
    EXPECT_GT(compared, 600u);  // every bin up to about 200 Hz, 96 an octave above
    EXPECT_EQ(RaisedMessage([&] { ReadDriverFile(path, "lowpass-ir.wav", {.channel = 3}); }),
              "lowpass-ir.wav: has no channel 3 (it has 2)");
    EXPECT_EQ(RaisedMessage([&] { ReadDriverFile(path, "lowpass-ir.wav", {.channel = 1}); }),
              "lowpass-ir.wav: channel 1 is silent");
}

TEST(ImpulseReaderTest, BrokenFilesAreRefusedNamingTheFile) {
    std::string header("RIFF\x24\0\0\0WAVEfmt ", 16);
    header.resize(44, '\0');
    const std::string truncated = header.substr(0, 20);
    EXPECT_TRUE(IsWavFile(truncated));
    EXPECT_TRUE(RaisedMessage([&] {
                    ParseImpulseWav(truncated, "cut\x1b.wav", {});
                }).starts_with("cut\\x1B.wav: is no WAV file that can be read ("));
    EXPECT_EQ(RaisedMessage([&] { ParseImpulseWav(truncated, "a.wav", {.gateMs = -1.0}); }),
              "a.wav: gate -1.00 ms lies outside 0 ... 10000 ms");
    EXPECT_FALSE(IsWavFile("20 0 0\n30 0 0\n"));
}

}  // namespace
}  // namespace kc::acoustic

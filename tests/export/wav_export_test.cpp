// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/wav_export.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "support/wav_file.h"

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;

using testing_support::ReadWav;
using testing_support::WavFile;

TEST(WavExportTest, BandsReadBackAtTheSampleRateInBothFormats) {
    const fs::path folder =
        fs::temp_directory_path() / ("kc-wav-export-test-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    dsp::CrossoverTaps taps;
    taps.CommonLength = 5;
    taps.LowTaps = {1e-9, 0.1, 0.7, 0.1, 1e-9};
    taps.MidTaps = {-0.25, 0.0, 0.5, 0.0, -0.25};
    taps.HighTaps = {0.0, -0.1, 0.2, -0.1, 0.0};
    for (const auto format : {WavSampleFormat::Float32, WavSampleFormat::Float64}) {
        WriteBandWavs((folder / "xo").string(), taps, format);
        const WavFile low = ReadWav(folder / "xo-low.wav");
        ASSERT_TRUE(low.opened);
        EXPECT_EQ(low.info.samplerate, 44100);
        EXPECT_EQ(low.info.channels, 1);
        EXPECT_EQ(low.info.frames, 5);
        const int subtype = low.info.format & SF_FORMAT_SUBMASK;
        EXPECT_EQ(subtype, format == WavSampleFormat::Float64 ? SF_FORMAT_DOUBLE : SF_FORMAT_FLOAT);
        for (std::size_t i = 0; i < 5; ++i) {
            const double expected = format == WavSampleFormat::Float64
                                        ? taps.LowTaps[i]
                                        : static_cast<double>(static_cast<float>(taps.LowTaps[i]));
            EXPECT_EQ(low.samples[i], expected) << i;
        }
        EXPECT_EQ(ReadWav(folder / "xo-mid.wav").samples[0], -0.25);
        const double highCentre =
            format == WavSampleFormat::Float64 ? 0.2 : static_cast<double>(0.2f);
        EXPECT_EQ(ReadWav(folder / "xo-high.wav").samples[2], highCentre);
    }
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kc::exporting

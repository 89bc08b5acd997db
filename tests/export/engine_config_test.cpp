// SPDX-License-Identifier: GPL-3.0-or-later
// What the engines' configurations share, and the Equalizer APO include file read as its
// configuration reference describes the commands.
#include "export/engine_config.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "export/brutefir_export.h"
#include "export/export_set.h"

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;

TEST(BruteFirPartitionTest, CoversTheTapsInPowerOfTwoBlocks) {
    struct Case {
        int32_t taps, rateHz, block, blocks;  // by hand: block ≤ the rate's chunk, blocks to cover
    };
    const Case cases[] = {
        {1, 44100, 64, 1},         {65, 44100, 128, 1},    {901, 44100, 1024, 1},
        {1024, 48000, 1024, 1},    {1025, 48000, 1024, 2}, {4501, 44100, 1024, 5},
        {3923, 192000, 4096, 1},   {1963, 96000, 2048, 1}, {15001, 768000, 16384, 1},
        {100001, 44100, 1024, 98},
    };
    for (const Case& c : cases) {
        const FilterPartition p = PartitionFor(c.taps, c.rateHz);
        EXPECT_EQ(p.blockSamples, c.block) << c.taps << " at " << c.rateHz;
        EXPECT_EQ(p.blocks, c.blocks) << c.taps << " at " << c.rateHz;
    }
}

TEST(PathFromConfigTest, RelativeInTheFolderOrBelowElseAbsolute) {
    struct Case {
        const char* file;
        const char* config;
        const char* expected;
    };
    const Case cases[] = {
        {"/out/xo-low.wav", "/out/xo.yml", "xo-low.wav"},
        {"/out/coeffs/xo-low.wav", "/out/xo.yml", "coeffs/xo-low.wav"},
        {"/out/./a/../xo-low.wav", "/out/b/../xo.yml", "xo-low.wav"},
        {"/xo-low.wav", "/out/xo.yml", "/xo-low.wav"},
        {"/other/xo-low.wav", "/out/xo.yml", "/other/xo-low.wav"},
        {"/outside/xo-low.wav", "/out/xo.yml", "/outside/xo-low.wav"},  // not below "/out"
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PathFromConfig(c.file, c.config), c.expected) << c.file;
    }
    // Relative names are taken from the working folder first.
    EXPECT_EQ(PathFromConfig("xo-low.wav", "sub/xo.yml"),
              (fs::current_path() / "xo-low.wav").string());
}

std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.front() != '#') {
            lines.push_back(line);
        }
    }
    return lines;
}

TEST(EqualizerApoTest, IncludeFileRoutesAndConvolvesPerRate) {
    const fs::path folder =
        fs::temp_directory_path() / ("kc-equalizer-apo-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    fs::create_directories(folder / "coeffs");
    ExportRequest request;
    request.Kind("wav").name = (folder / "coeffs" / "xo-{rate}").string();
    request.Kind("equalizerApo").name = (folder / "xo.txt").string();
    dsp::CrossoverParameters design;
    design.lowCount = 61;
    design.midCount = 41;
    design.highCount = 21;
    const std::vector<int32_t> rates = {44100, 96000};
    WriteExportSet(PlanExport(design, rates, request));

    // Copy: each target from its source; the sources read before any of them is overwritten.
    const std::vector<std::string> lines = Lines(folder / "xo.txt");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Copy: 6=R 5=R 4=R 3=L 2=L 1=L");
    std::size_t at = 1;
    const char* bands[] = {"low", "mid", "high"};
    for (const int32_t rate : rates) {
        ASSERT_LT(at, lines.size());
        EXPECT_EQ(lines[at++], "If: sampleRate == " + std::to_string(rate));
        for (int channel = 1; channel <= 6; ++channel) {
            ASSERT_LT(at + 1, lines.size());
            EXPECT_EQ(lines[at++], "Channel: " + std::to_string(channel));
            const std::string file =
                "coeffs/xo-" + std::to_string(rate) + "-" + bands[(channel - 1) % 3] + ".wav";
            EXPECT_EQ(lines[at++], "Convolution: " + file);
            EXPECT_TRUE(fs::exists(folder / file)) << file;
        }
        ASSERT_LT(at, lines.size());
        EXPECT_EQ(lines[at++], "EndIf:");
    }
    ASSERT_EQ(lines.size(), at + 1);
    EXPECT_EQ(lines[at], "Channel: all");
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kc::exporting

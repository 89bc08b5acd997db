// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic FRD files: what they say they hold, and that the driver reader reads them back as
// the responses they were written from.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "acoustic/frd_reader.h"
#include "dsp/crossover.h"
#include "export/acoustic_frd.h"

namespace kc::exporting {
namespace {

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(AcousticFrdTest, FilesReadBackAsTheResponsesTheyWereWrittenFrom) {
    acoustic::AcousticModel model;
    dsp::CrossoverParameters parameters;
    parameters.lowCount = parameters.midCount = parameters.highCount = 201;
    model.SetDesign(dsp::DesignCrossover(parameters));
    model.SetDriver(
        acoustic::Band::Low,
        acoustic::DriverResponse{"woofer.frd", {10.0, 30000.0}, {80.0, 60.0}, {0.0, -2000.0}});
    acoustic::Settings settings;
    settings[0].inverted = true;
    settings[1].gainDb = -3.0;
    settings[2].delayMs = 0.25;
    acoustic::AcousticResponse response;
    model.Evaluate(settings, response);
    const auto texts = AcousticFrdTexts(model, settings, response);
    EXPECT_NE(texts[0].find("* low band: driver woofer.frd, gain +0.00 dB, delay +0.000 ms, "
                            "polarity inverted\n"),
              std::string::npos);
    // The ideal mid at the woofer's median level, by hand (80 + 60) / 2 dB.
    EXPECT_NE(texts[3].find("* mid band: ideal driver (+70.00 dB: the mean of the measured "
                            "drivers' median levels, 0 degrees), gain -3.00 dB"),
              std::string::npos);
    EXPECT_NE(texts[3].find("* Crossover latency: 100 samples (2.268 ms), taken out"),
              std::string::npos);

    for (std::size_t file = 0; file < texts.size(); ++file) {
        const acoustic::ComplexCurve& curve = file < 3 ? response.bands[file] : response.sum;
        const acoustic::DriverResponse back = acoustic::ParseFrd(texts[file], "back.frd");
        const std::vector<double> levels = acoustic::LevelsDb(curve);
        const std::vector<double> phases = acoustic::PhasesDeg(curve);
        ASSERT_EQ(back.frequenciesHz.size(), response.frequenciesHz.size()) << file;
        for (std::size_t i = 0; i < levels.size(); ++i) {
            // Six decimals: half a unit of the sixth is the most a value may move.
            EXPECT_NEAR(back.frequenciesHz[i], response.frequenciesHz[i], 5e-7) << file << ' ' << i;
            EXPECT_NEAR(back.levelsDb[i], levels[i], 5e-7) << file << ' ' << i;
            EXPECT_NEAR(std::remainder(back.phasesDeg[i] - phases[i], 360.0), 0.0, 5e-7)
                << file << ' ' << i;
        }
    }

    const auto folder =
        std::filesystem::temp_directory_path() / ("kc-acoustic-frd-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    WriteAcousticFrd((folder / "xo").string(), texts);
    const char* names[] = {"xo-low.frd", "xo-mid.frd", "xo-high.frd", "xo-sum.frd"};
    for (std::size_t file = 0; file < texts.size(); ++file) {
        EXPECT_EQ(FileText(folder / names[file]), texts[file]) << names[file];
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace kc::exporting

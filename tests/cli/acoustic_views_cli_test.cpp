// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's views of the loudspeaker: the responses as CSV with group delay, the
// speaker's predicted impulse picture, and the refusal of bad view options.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <tuple>

#include "graph/curve_colors.h"
#include "support/csv_rows.h"
#include "support/program_run.h"

namespace {

namespace fs = std::filesystem;

using kc::testing_support::Cells;
using kc::testing_support::Lines;
using kc::testing_support::Outcome;

Outcome RunCli(const QStringList& arguments) {
    return kc::testing_support::RunProgram(QStringLiteral(KC_CLI_PATH), arguments, {});
}

class AcousticViewsCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("kc-views-cli-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    QString Path(const std::string& name) const {
        return QString::fromStdString((folder_ / name).string());
    }

    // A flat driver that is a pure delay of delayMs: phase −360°·f·τ, wrapped as FRD files hold
    // it, at 36 points an octave from 10 Hz to 22 kHz (other points than the view's 48).
    QString DelayDriver(double delayMs) const {
        std::ofstream out(folder_ / "delay.frd");
        for (int i = 0; 10.0 * std::exp2(i / 36.0) < 22000.0; ++i) {
            const double f = 10.0 * std::exp2(i / 36.0);
            const double phase = std::remainder(-360.0 * f * delayMs / 1000.0, 360.0);
            char line[96];
            std::snprintf(line, sizeof line, "%.6f 0 %.6f\n", f, phase);
            out << line;
        }
        return Path("delay.frd");
    }

    fs::path folder_;
};

// The driver's delay is the mid band's group delay wherever the band passes (within 1 dB of its
// top); the ideal low band, a linear-phase filter with its latency taken out, has none.
TEST_F(AcousticViewsCliTest, PureDelayDriverGivesItsBandThatGroupDelay) {
    const Outcome run = RunCli(
        {"design", "--driver-mid", DelayDriver(0.3), "--acoustic-csv", Path("acoustic.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    std::ifstream in(folder_ / "acoustic.csv");
    const auto lines = Lines(in);
    ASSERT_GT(lines.size(), 500u);
    const auto header = Cells(lines[0]);
    std::map<std::string, std::size_t> column;
    for (std::size_t i = 0; i < header.size(); ++i) {
        column[header[i]] = i;
    }
    ASSERT_EQ(header.size(), 13u);
    struct Band {
        const char* id;
        double delayMs;
    };
    for (const Band band : {Band{"mid", 0.3}, Band{"low", 0.0}}) {
        const std::string id = band.id;
        int inPassBand = 0;
        for (std::size_t i = 1; i < lines.size(); ++i) {
            const auto cells = Cells(lines[i]);
            if (std::stod(cells.at(column.at(id + "_db"))) > -1.0) {
                ++inPassBand;
                EXPECT_NEAR(std::stod(cells.at(column.at(id + "_group_delay_ms"))), band.delayMs,
                            0.01)
                    << id << " at " << cells[0] << " Hz";
            }
        }
        EXPECT_GT(inPassBand, 48) << id;
    }
}

// Each band and the sum in a colour of its own: all four are in the picture.
TEST_F(AcousticViewsCliTest, SpeakerImpulsePictureHasFourDistinctColours) {
    const Outcome run = RunCli({"design", "--driver-mid", DelayDriver(0.3),
                                "--acoustic-impulse-plot", Path("impulse.png")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Speaker Pre-ringing (-60 dB): low "), std::string::npos) << run.out;
    const QImage image(Path("impulse.png"));
    ASSERT_FALSE(image.isNull());
    std::set<std::tuple<int, int, int>> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            colours.insert({c.red(), c.green(), c.blue()});
        }
    }
    for (const kc::graph::Color colour : kc::graph::kCurveColors) {
        EXPECT_EQ(colours.count({colour.r, colour.g, colour.b}), 1u)
            << int(colour.r) << ',' << int(colour.g) << ',' << int(colour.b);
    }
}

// With a correction the group-delay picture is the acoustic plot with that axis, target line and
// corrections included, as the window draws it.
TEST_F(AcousticViewsCliTest, CorrectedGroupDelayPictureIsTheAcousticPlotWithThatAxis) {
    const Outcome run = RunCli({"design", "--driver-mid", DelayDriver(0.3), "--correct",
                                "--group-delay-plot", Path("gd.png"), "--acoustic-plot",
                                Path("plot.png"), "--right-axis", "group-delay"});
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage groupDelay(Path("gd.png"));
    ASSERT_FALSE(groupDelay.isNull());
    EXPECT_EQ(groupDelay, QImage(Path("plot.png")));
}

TEST_F(AcousticViewsCliTest, BadViewOptionIsAUsageErrorAndWritesNothing) {
    struct Row {
        QStringList arguments;
        std::string err;
    };
    const Row rows[] = {
        {{"--right-axis", "phase"},
         "--right-axis takes none, sum-phase, band-phases or group-delay.\n"},
        {{"--level-range", "1"}, "--level-range takes dB from 2 to 200.\n"},
        {{"--level-range", "6 dB"}, "--level-range takes dB from 2 to 200.\n"},
    };
    for (const Row& row : rows) {
        const Outcome run = RunCli(QStringList{"design", "--acoustic-csv", Path("a.csv"),
                                               "--group-delay-plot", Path("gd.png")} +
                                   row.arguments);
        EXPECT_EQ(run.status, 2) << row.err;
        EXPECT_EQ(run.err, row.err);
        EXPECT_TRUE(fs::is_empty(folder_)) << row.err;
    }
}

}  // namespace

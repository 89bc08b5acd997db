// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's acoustic options, end to end: driver files in, FRD files out. Ideal
// drivers give the electrical sum; a driver delayed, inverted or attenuated and the opposite
// setting on its band give the ideal result; a bad driver file writes nothing.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QString>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <string>

#include "design_file/design_file.h"
#include "support/file_bytes.h"
#include "support/program_run.h"

namespace {

namespace fs = std::filesystem;

using kc::testing_support::Outcome;

// Runs the command line program in `workingFolder`, or in the test's own.
Outcome RunCli(const QStringList& arguments, const QString& workingFolder = {}) {
    return kc::testing_support::RunProgram(QStringLiteral(KC_CLI_PATH), arguments,
                                           {{}, {}, workingFolder});
}

// The level and phase of each frequency of an FRD file (its own text as the key).
struct Point {
    double levelDb;
    double phaseDeg;
};
std::map<std::string, Point> ReadPoints(const fs::path& path) {
    std::map<std::string, Point> points;
    std::ifstream in(path);
    std::string f;
    for (std::string line; std::getline(in, line);) {
        char frequency[64];
        Point p{};
        if (line.starts_with('*') ||
            std::sscanf(line.c_str(), "%63s %lf %lf", frequency, &p.levelDb, &p.phaseDeg) != 3) {
            continue;
        }
        points[frequency] = p;
    }
    return points;
}

class AcousticCliTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("kc-acoustic-cli-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    QString Path(const std::string& name) const {
        return QString::fromStdString((folder_ / name).string());
    }

    // A driver file at 10·2^(i/48) Hz, the frequencies the responses are taken at, so that no
    // interpolation stands between the file and the result: level and phase from `of`.
    QString Driver(const std::string& name, const std::function<Point(double)>& of) const {
        std::ofstream out(folder_ / name);
        out << "* test driver\n";
        for (int i = 0; i <= 526; ++i) {
            const double f = 10.0 * std::exp2(i / 48.0);
            const Point p = of(f);
            char line[128];
            std::snprintf(line, sizeof line, "%.17g %.17g %.17g\n", f, p.levelDb, p.phaseDeg);
            out << line;
        }
        return Path(name);
    }

    QStringList IdealDrivers() const {
        const QString ideal = Driver("ideal.frd", [](double) { return Point{0.0, 0.0}; });
        return {"--driver-low", ideal, "--driver-mid", ideal, "--driver-high", ideal};
    }

    fs::path folder_;
};

// The electrical sum comes from --frd (the crossover's own FRD, latency taken out as here).
TEST_F(AcousticCliTest, IdealDriverFilesGiveTheElectricalSum) {
    const Outcome run = RunCli(
        QStringList{"design", "--acoustic", Path("ac"), "--frd", Path("el")} + IdealDrivers());
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Acoustic sum: "), std::string::npos);
    const auto acoustic = ReadPoints(folder_ / "ac-sum.frd");
    const auto electrical = ReadPoints(folder_ / "el-sum.frd");
    ASSERT_EQ(acoustic.size(), 527u);
    for (const auto& [frequency, point] : acoustic) {
        ASSERT_EQ(electrical.count(frequency), 1u) << frequency;
        EXPECT_NEAR(point.levelDb, electrical.at(frequency).levelDb, 0.001) << frequency;
    }
}

TEST_F(AcousticCliTest, OppositeSettingUndoesADelayedInvertedOrQuieterDriver) {
    const QStringList ideal = IdealDrivers();
    ASSERT_EQ(RunCli(QStringList{"design", "--acoustic", Path("ideal")} + ideal).status, 0);
    const auto expected = ReadPoints(folder_ / "ideal-sum.frd");
    struct Row {
        const char* band;
        std::function<Point(double)> driver;
        QStringList setting;
    };
    const Row rows[] = {
        {"low",
         [](double f) {
             return Point{0.0, -360.0 * f * 0.001};
         },
         {"--delay-low", "-1"}},
        {"mid",
         [](double) {
             return Point{0.0, 180.0};
         },
         {"--invert-mid"}},
        {"high",
         [](double) {
             return Point{-6.0, 0.0};
         },
         {"--gain-high", "6"}},
    };
    for (const Row& row : rows) {
        QStringList arguments = QStringList{"design", "--acoustic", Path("changed")} + ideal;
        arguments[arguments.indexOf(QString("--driver-") + row.band) + 1] =
            Driver(std::string(row.band) + ".frd", row.driver);
        const Outcome run = RunCli(arguments + row.setting);
        ASSERT_EQ(run.status, 0) << row.band << ": " << run.err;
        for (const char* file : {"-low.frd", "-mid.frd", "-high.frd", "-sum.frd"}) {
            const auto changed = ReadPoints(folder_ / (std::string("changed") + file));
            const auto reference = ReadPoints(folder_ / (std::string("ideal") + file));
            ASSERT_EQ(changed.size(), reference.size()) << row.band << file;
            for (const auto& [frequency, point] : reference) {
                const Point& other = changed.at(frequency);
                // Six decimals in the files: a unit in the last of them apart at most.
                EXPECT_NEAR(other.levelDb, point.levelDb, 2e-6) << row.band << file << frequency;
                EXPECT_NEAR(std::remainder(other.phaseDeg - point.phaseDeg, 360.0), 0.0, 1e-4)
                    << row.band << file << frequency;
            }
        }
    }
    EXPECT_EQ(expected.size(), 527u);
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// A file without its comment lines (FRD files name the driver files as they were given there).
std::string WithoutComments(const fs::path& path) {
    std::ifstream in(path);
    std::string kept;
    for (std::string line; std::getline(in, line);) {
        kept += line.starts_with('*') ? "" : line + "\n";
    }
    return kept;
}

// A design saved with rates, formats, threshold and drivers gives the same output when reopened,
// also after its folder has moved with the drivers in it and from another working folder.
TEST_F(AcousticCliTest, DesignFileKeepsTheSettingsAndFindsItsDriversWhenMoved) {
    fs::create_directories(folder_ / "project" / "drivers");
    fs::create_directories(folder_ / "project" / "designs");
    Driver("project/drivers/woofer.frd", [](double f) { return Point{-f / 1000.0, -f / 10.0}; });
    Driver("project/drivers/tweeter.frd", [](double f) { return Point{f / 2000.0, f / 30.0}; });
    const auto outputs = [this](const std::string& tag) {
        return QStringList{"--low-taps",      "301",        "--wav",
                           Path(tag + "-xo"), "--acoustic", Path(tag + "-ac")};
    };
    // Driver files named from the working folder, the design written into a folder below it.
    const Outcome saved =
        RunCli(QStringList{"design", "--save-design", "designs/d.kcx", "--sample-rate", "48000",
                           "--wav-format", "pcm24", "--pre-ringing-db", "80", "--driver-low",
                           "drivers/woofer.frd", "--driver-high", "drivers/tweeter.frd",
                           "--gain-low", "-3", "--delay-mid", "0.25", "--invert-high"} +
                   outputs("saved"),
               Path("project"));
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string text = ReadBytes(folder_ / "project" / "designs" / "d.kcx");
    EXPECT_NE(text.find(R"("driverFile": "../drivers/woofer.frd")"), std::string::npos) << text;

    fs::rename(folder_ / "project", folder_ / "moved");
    const Outcome reopened =
        RunCli(QStringList{"design", "--design", "moved/designs/d.kcx"} + outputs("reopened"),
               QString::fromStdString(folder_.string()));
    ASSERT_EQ(reopened.status, 0) << reopened.err;
    EXPECT_EQ(reopened.out, saved.out);  // rate, pre-ringing at -80 dB, acoustic sum
    for (const char* file : {"-xo-low.wav", "-xo-high.wav"}) {
        EXPECT_TRUE(ReadBytes(folder_ / ("reopened" + std::string(file))) ==
                    ReadBytes(folder_ / ("saved" + std::string(file))))
            << file;
    }
    for (const char* file : {"-ac-low.frd", "-ac-mid.frd", "-ac-high.frd", "-ac-sum.frd"}) {
        const std::string points = WithoutComments(folder_ / ("saved" + std::string(file)));
        EXPECT_GT(points.size(), 10000u) << file;
        EXPECT_TRUE(WithoutComments(folder_ / ("reopened" + std::string(file))) == points) << file;
    }
}

// A tweeter 0.15 ms late and an inverted woofer beside an ideal mid: --align finds the opposite
// settings (within 0.01 ms), prints them, saves them in the design and makes the acoustic files
// with them, whose sum is then the ideal drivers' (by the --adjust design: the bands sum to a
// delay).
TEST_F(AcousticCliTest, AlignFindsALateTweeterAndAnInvertedWoofer) {
    const QStringList ideal = IdealDrivers();
    ASSERT_EQ(RunCli(QStringList{"design", "--adjust", "--acoustic", Path("ideal")} + ideal).status,
              0);
    QStringList arguments =
        QStringList{"design",        "--adjust",      "--align",          "--acoustic",
                    Path("aligned"), "--save-design", Path("aligned.kcx")} +
        ideal;
    arguments[arguments.indexOf("--driver-high") + 1] = Driver("late.frd", [](double f) {
        return Point{0.0, -360.0 * f * 0.15e-3};
    });
    arguments[arguments.indexOf("--driver-low") + 1] = Driver("inverted.frd", [](double) {
        return Point{0.0, 180.0};
    });
    const Outcome run = RunCli(arguments);
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("\nAligned: low "), std::string::npos) << run.out;
    const std::size_t exported = run.out.find("Alignment: low ");  // what the export applies
    EXPECT_LT(run.out.find("inverted, mid ", exported), run.out.find('\n', exported)) << run.out;

    const kc::design_file::Design saved =
        kc::design_file::ReadDesignFile((folder_ / "aligned.kcx").string());
    EXPECT_TRUE(saved.acoustic[0].band.inverted);
    EXPECT_FALSE(saved.acoustic[2].band.inverted);
    EXPECT_NEAR(saved.acoustic[0].band.delayMs, 0.0, 0.01);
    EXPECT_NEAR(saved.acoustic[2].band.delayMs, -0.15, 0.01);
    const auto expected = ReadPoints(folder_ / "ideal-sum.frd");
    const auto aligned = ReadPoints(folder_ / "aligned-sum.frd");
    ASSERT_EQ(aligned.size(), expected.size());
    for (const auto& [frequency, point] : expected) {
        EXPECT_NEAR(aligned.at(frequency).levelDb, point.levelDb, 0.05) << frequency;
    }
}

// Whatever else the command was asked to write, a bad driver file leaves the folder empty.
// A data sheet's magnitude as a spreadsheet saves it: read, given its minimum phase, and said so
// in the summary and in the FRD files' comments.
TEST_F(AcousticCliTest, MagnitudeOnlyCsvIsReadWithItsMinimumPhase) {
    {
        std::ofstream sheet(folder_ / "sheet.csv");
        sheet << "Frequency;SPL\n20;80\n200;88,5\n2000;86\n20000;70\n";
    }
    const Outcome run =
        RunCli({"design", "--acoustic", Path("ac"), "--driver-low", Path("sheet.csv")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("low driver: " + (folder_ / "sheet.csv").string() +
                           ": text, columns 1-2 (frequency, magnitude): minimum phase derived, "
                           "decimal commas, header 'Frequency;SPL'\n"),
              std::string::npos)
        << run.out;
    EXPECT_NE(kc::testing_support::ReadBytes((folder_ / "ac-low.frd").string())
                  .find("minimum phase derived"),
              std::string::npos);
}

TEST_F(AcousticCliTest, BadDriverFileWritesNothing) {
    {
        std::ofstream bad(folder_ / "bad.frd");
        bad << "* falling\n100 0 0\n200 0 0\n150 0 0\n";
    }
    const QStringList outputs = {
        "--taps",     Path("taps.csv"),  "--response",      Path("r.csv"),
        "--wav",      Path("xo"),        "--frd",           Path("el"),
        "--plot",     Path("graph.png"), "--impulse-plot",  Path("impulse.png"),
        "--acoustic", Path("ac"),        "--acoustic-plot", Path("ac.png")};
    struct Row {
        QStringList arguments;
        int status;
        std::string err;
    };
    const std::string bad = (folder_ / "bad.frd").string();
    const std::string missing = (folder_ / "none.frd").string();
    const Row rows[] = {
        {{"--driver-mid", Path("bad.frd")},
         1,
         bad + ":4: frequency 150 does not rise above 200.\n"},
        {{"--driver-high", Path("none.frd")},
         1,
         missing + ": cannot be read (No such file or directory)\n"},
        {{"--gain-low", "21"}, 2, "--gain-low takes dB from -40 to 20, not '21'.\n"},
        {{"--delay-mid", "1,5"}, 2, "--delay-mid takes ms from -20 to 20, not '1,5'.\n"},
        {{"--channel-low", "1.5"}, 2, "--channel-low takes a channel from 1 to 64, not '1.5'.\n"},
        {{"--gate-high", "-1"}, 2, "--gate-high takes ms from 0 to 10000, not '-1'.\n"},
        {{"--align"},
         2,
         "--align needs a driver file (--driver-low, --driver-mid or --driver-high, or a "
         "design file's).\n"},
    };
    for (const Row& row : rows) {
        const Outcome run = RunCli(QStringList{"design"} + outputs + row.arguments);
        EXPECT_EQ(run.status, row.status) << row.err;
        EXPECT_EQ(run.err, row.err);
        std::size_t files = 0;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            files += entry.path().filename() == "bad.frd" ? 0 : 1;
        }
        EXPECT_EQ(files, 0u) << row.err;
    }
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built kaiser-crossover-cli and checks what it prints and writes.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "app/look/window_look.h"
#include "base/version.h"
#include "dsp/calculation.h"
#include "export/csv_export.h"
#include "graph/qt/graph_area.h"
#include "support/comma_locale.h"
#include "support/csv_rows.h"
#include "support/file_bytes.h"
#include "support/program_run.h"
#include "support/wav_file.h"

namespace {

namespace fs = std::filesystem;

using kc::testing_support::Outcome;

// Runs the command line program, with `environment` added to the test's own environment and
// `inChild` run in the child process before the program starts.
Outcome RunCli(const QStringList& arguments, const QStringList& environment = {},
               const std::function<void()>& inChild = {}) {
    return kc::testing_support::RunProgram(QStringLiteral(KC_CLI_PATH), arguments,
                                           {environment, inChild, {}});
}

std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path);
    return kc::testing_support::Lines(in);
}

using kc::testing_support::Cells;

class CliTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // One folder per process: the test runner may run several of these processes at once.
        folder_ = fs::temp_directory_path() / ("kc-cli-test-" + std::to_string(::getpid()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        initial_ = RunCli({"design", "--taps", Path("taps.csv"), "--response", Path("response.csv"),
                           "--wav", Path("xo"), "--plot", Path("graph.png")});
        reference_ = new kc::dsp::CalculationResult(
            kc::dsp::CalculateCrossover(kc::dsp::CrossoverParameters{}));
    }
    static void TearDownTestSuite() {
        fs::remove_all(folder_);
        delete reference_;
    }
    static QString Path(const char* name) {
        return QString::fromStdString((folder_ / name).string());
    }

    static fs::path folder_;
    static Outcome initial_;
    static kc::dsp::CalculationResult* reference_;
};

fs::path CliTest::folder_;
Outcome CliTest::initial_;
kc::dsp::CalculationResult* CliTest::reference_ = nullptr;

TEST_F(CliTest, DesignPrintsTheSummaryOfTheInitialDesign) {
    ASSERT_EQ(initial_.status, 0) << initial_.err;
    EXPECT_NE(initial_.out.find("Tap counts: low 901, mid 701, high 301\n"), std::string::npos);
    EXPECT_NE(initial_.out.find("Common length: 901 taps\n"), std::string::npos);
    EXPECT_NE(initial_.out.find("Latency: 450 samples (10.204 ms at 44100 Hz)\n"),
              std::string::npos);
    EXPECT_NE(initial_.out.find(reference_->cmaxLine + "\n"), std::string::npos);
    EXPECT_TRUE(initial_.err.empty()) << initial_.err;
}

TEST_F(CliTest, CsvFilesHoldTheLibrarysNumbersToTheLastBit) {
    const auto taps = Lines(folder_ / "taps.csv");
    ASSERT_EQ(taps.size(), 902u);
    EXPECT_EQ(taps[0], "index,low,mid,high,sum");
    EXPECT_EQ(std::strtod(Cells(taps[450])[1].c_str(), nullptr), reference_->taps.LowTaps[449]);

    const auto response = Lines(folder_ / "response.csv");
    ASSERT_EQ(response.size(), 951u);
    const kc::dsp::ResponseStore& store = *reference_->evaluation.store;
    for (std::size_t k : {1u, 150u, 500u, 501u, 950u}) {
        const auto cells = Cells(response[k]);
        ASSERT_EQ(cells.size(), 10u);
        EXPECT_EQ(std::strtod(cells[2].c_str(), nullptr), store.LowMag[k]) << k;
        EXPECT_EQ(std::strtod(cells[5].c_str(), nullptr), store.SumMag[k]) << k;
    }
}

TEST_F(CliTest, WavFilesReadBackWithRateLengthAndSamples) {
    const kc::testing_support::WavFile mid = kc::testing_support::ReadWav(folder_ / "xo-mid.wav");
    ASSERT_TRUE(mid.opened);
    EXPECT_EQ(mid.info.samplerate, 44100);
    EXPECT_EQ(mid.info.channels, 1);
    ASSERT_EQ(mid.info.frames, 901);
    EXPECT_EQ(mid.samples[100],
              static_cast<double>(static_cast<float>(reference_->taps.MidTaps[100])));
    EXPECT_EQ(mid.samples[450],
              static_cast<double>(static_cast<float>(reference_->taps.MidTaps[450])));
    EXPECT_TRUE(fs::exists(folder_ / "xo-low.wav"));
    EXPECT_TRUE(fs::exists(folder_ / "xo-high.wav"));
}

TEST_F(CliTest, PlotIsAPngOfTheGraphWithItsLabels) {
    const QImage image(Path("graph.png"));
    ASSERT_FALSE(image.isNull());
    EXPECT_GE(image.width(), 593);
    EXPECT_GE(image.height(), 337);
}

TEST_F(CliTest, AdjustDesignsTheAdjustedCrossover) {
    // Adjusted, the mid band has taps outside its own 701: MidTaps[0] = −LowTaps[0], not 0.
    const Outcome outcome = RunCli({"design", "--adjust", "--taps", Path("adjusted.csv")});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    kc::dsp::CrossoverParameters p;
    p.adjustCoefficient = true;
    const kc::dsp::CalculationResult adjusted = kc::dsp::CalculateCrossover(p);
    EXPECT_NE(outcome.out.find(adjusted.cmaxLine + "\n"), std::string::npos) << outcome.out;
    const auto taps = Lines(folder_ / "adjusted.csv");
    ASSERT_EQ(taps.size(), 902u);
    EXPECT_NE(adjusted.taps.MidTaps[0], 0.0);
    EXPECT_EQ(std::strtod(Cells(taps[1])[2].c_str(), nullptr), adjusted.taps.MidTaps[0]);
}

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

TEST_F(CliTest, DesignFileGivesWhatItsOptionsGive) {
    const QStringList options = {"--low-taps", "900",  "--mid-low", "250",
                                 "--mid-high", "2500", "--adjust",  "--linear-frequency"};
    const Outcome saved = RunCli(QStringList{"design", "--save-design", Path("d.kcx"), "--taps",
                                             Path("o.csv"), "--plot", Path("o.png")} +
                                 options);
    ASSERT_EQ(saved.status, 0) << saved.err;
    EXPECT_NE(ReadText(folder_ / "d.kcx").find(R"("lowTaps": "900")"), std::string::npos);
    const Outcome reopened = RunCli(
        {"design", "--design", Path("d.kcx"), "--taps", Path("f.csv"), "--plot", Path("f.png")});
    ASSERT_EQ(reopened.status, 0) << reopened.err;
    EXPECT_EQ(reopened.out, saved.out);
    EXPECT_EQ(ReadText(folder_ / "f.csv"), ReadText(folder_ / "o.csv"));
    EXPECT_EQ(QImage(Path("f.png")), QImage(Path("o.png")));  // the file's axes, linear frequency

    // Options given with the file override it.
    const Outcome overridden = RunCli(
        {"design", "--design", Path("d.kcx"), "--mid-high", "3000", "--taps", Path("v.csv")});
    const Outcome direct = RunCli(QStringList{"design"} + options +
                                  QStringList{"--mid-high", "3000", "--taps", Path("w.csv")});
    ASSERT_EQ(overridden.status, 0) << overridden.err;
    ASSERT_EQ(direct.status, 0) << direct.err;
    EXPECT_EQ(ReadText(folder_ / "v.csv"), ReadText(folder_ / "w.csv"));
}

// The engines' settings reach their configurations, and a design file keeps them.
TEST_F(CliTest, EngineOptionsReachTheConfigurationsAndTheDesignFile) {
    const QStringList files = {"--raw",        Path("xo"),   "--camilladsp",
                               Path("xo.yml"), "--brutefir", Path("xo.conf")};
    const Outcome given =
        RunCli(QStringList{"design", "--camilladsp-version", "2", "--capture", "file:in.raw",
                           "--playback", "alsa:hw:1", "--save-design", Path("e.kcx")} +
               files);
    ASSERT_EQ(given.status, 0) << given.err;
    const std::string yml = ReadText(folder_ / "xo.yml");
    EXPECT_NE(yml.find("  capture:\n    type: File\n    channels: 2\n    filename: \"in.raw\"\n"
                       "    format: FLOAT32LE\n"),
              std::string::npos)
        << yml;
    EXPECT_NE(yml.find("    channel: 5\n"), std::string::npos) << yml;  // version 2's steps
    const std::string conf = ReadText(folder_ / "xo.conf");
    EXPECT_NE(conf.find(R"(device: "alsa" { device: "hw:1"; };)"), std::string::npos) << conf;
    const Outcome reopened = RunCli(QStringList{"design", "--design", Path("e.kcx")} + files);
    ASSERT_EQ(reopened.status, 0) << reopened.err;
    EXPECT_EQ(ReadText(folder_ / "xo.yml"), yml);
    EXPECT_EQ(ReadText(folder_ / "xo.conf"), conf);
}

// Each field's option is kept under that field's key of the design file, as the help and the
// description of the design file name them.
TEST_F(CliTest, EachFieldOptionIsSavedUnderItsOwnKey) {
    struct Row {
        const char* option;
        const char* text;
        const char* key;
    };
    const Row rows[] = {{"--low-taps", "61", "lowTaps"},   {"--mid-taps", "63", "midTaps"},
                        {"--high-taps", "65", "highTaps"}, {"--low-cut", "310", "lowCut"},
                        {"--mid-low", "320", "midLow"},    {"--mid-high", "2100", "midHigh"},
                        {"--high-cut", "2200", "highCut"}, {"--attenuation", "90", "attenuation"}};
    QStringList arguments = {"design", "--save-design", Path("d.kcx")};
    for (const Row& row : rows) {
        arguments << row.option << row.text;
    }
    const Outcome saved = RunCli(arguments);
    ASSERT_EQ(saved.status, 0) << saved.err;
    const std::string file = ReadText(folder_ / "d.kcx");
    for (const Row& row : rows) {
        std::string entry = "\"";  // appended, not "\"" + ..., which GCC 12 warns of wrongly
        entry += row.key;
        entry += "\": \"";
        entry += row.text;
        entry += '"';
        EXPECT_NE(file.find(entry), std::string::npos) << row.option << " in\n" << file;
    }
}

TEST_F(CliTest, RefusedDesignFileExitsNamingItAndWritesNothing) {
    std::ofstream(folder_ / "broken.kcx")
        << R"({"format": "kaiser-crossover-design", "version": 1,)";
    for (const char* name : {"broken.kcx", "missing.kcx"}) {
        const Outcome outcome = RunCli({"design", "--design", Path(name), "--taps",
                                        Path("never.csv"), "--save-design", Path("never.kcx")});
        EXPECT_EQ(outcome.status, 1);
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on the chained operator+.
        std::string named = "'";
        named += (folder_ / name).string();
        named += "' を読み込めません: ";
        EXPECT_EQ(outcome.err.rfind(named, 0), 0u) << outcome.err;
        EXPECT_TRUE(outcome.out.empty()) << outcome.out;
        EXPECT_FALSE(fs::exists(folder_ / "never.csv"));
        EXPECT_FALSE(fs::exists(folder_ / "never.kcx"));
    }
}

TEST_F(CliTest, LinearAxisOptionsPlotWhatTheWindowShowsForThem) {
    // Rendering labels needs an application object in this process too.
    static int argc = 1;
    static char name[] = "cli_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication application(argc, argv);
    struct Row {
        const char* option;
        bool logFrequency;
        bool levelsInDb;
    };
    for (const Row& row :
         {Row{"--linear-frequency", false, true}, Row{"--linear-amplitude", true, false}}) {
        const Outcome outcome = RunCli({"design", row.option, "--plot", Path("linear.png")});
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        kc::graph::GraphInputs inputs;
        inputs.logFrequency = row.logFrequency;
        inputs.levelsInDb = row.levelsInDb;
        const QImage expected = kc::graph::RenderGraphArea(inputs, *reference_->evaluation.store,
                                                           kc::app::MainWindowGraphLook());
        EXPECT_EQ(QImage(Path("linear.png")).convertToFormat(QImage::Format_RGB32),
                  expected.convertToFormat(QImage::Format_RGB32))
            << row.option;
    }
}

TEST_F(CliTest, CMaxLineUsesTheLocalesDecimalSeparator) {
    ASSERT_TRUE(kc::testing_support::CompileCommaLocale(folder_ / "locales"));
    const Outcome outcome =
        RunCli({"design"}, {"LOCPATH=" + Path("locales"),
                            QStringLiteral("LC_ALL=") + kc::testing_support::kCommaLocale});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::string& line = reference_->cmaxLine;
    const std::size_t point = line.rfind('.');
    const std::string withComma = line.substr(0, point) + "," + line.substr(point + 1);
    EXPECT_NE(outcome.out.find(withComma + "\n"), std::string::npos) << outcome.out;
}

TEST_F(CliTest, EstimatePrintsTheTwoCaptions) {
    const Outcome outcome = RunCli({"estimate", "--pass", "300", "--stop", "900"});
    EXPECT_EQ(outcome.status, 0);
    EXPECT_EQ(outcome.out, "CutOff     ：600Hz\nIdeal Taps： 699\n");
    // At 48 000 Hz the same transition is narrower in radians a sample: M = 757.8 (by hand).
    const Outcome at48k =
        RunCli({"estimate", "--pass", "300", "--stop", "900", "--sample-rate", "48000"});
    EXPECT_EQ(at48k.out, "CutOff     ：600Hz\nIdeal Taps： 759\n");
}

TEST_F(CliTest, SeveralRatesPrintEachRatesSummaryAndWriteItsFiles) {
    const Outcome outcome =
        RunCli({"design", "--sample-rate", "48000,96000", "--wav", Path("rates-{rate}"), "--frd",
                Path("rates-{rate}"), "--text", Path("rates-{rate}")});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    // The counts are the window's, at 44 100 Hz: the centres 450, 350, 150 scaled by hand,
    // 489.8, 381.0, 163.3 at 48 kHz and 979.6, 761.9, 326.5 at 96 kHz; the latency stays 10.2 ms.
    for (const char* line : {"Sample rate: 48000 Hz\nTap counts: low 981, mid 763, high 327\n",
                             "Latency: 490 samples (10.208 ms at 48000 Hz)\n",
                             "Sample rate: 96000 Hz\nTap counts: low 1961, mid 1525, high 655\n",
                             "Latency: 980 samples (10.208 ms at 96000 Hz)\n"}) {
        EXPECT_NE(outcome.out.find(line), std::string::npos) << line << outcome.out;
    }
    const kc::testing_support::WavFile high =
        kc::testing_support::ReadWav(folder_ / "rates-96000-high.wav");
    EXPECT_EQ(high.info.samplerate, 96000);
    EXPECT_EQ(high.info.frames, 1961);
    for (const char* file : {"rates-48000-mid.frd", "rates-96000-sum.frd", "rates-48000-low.txt"}) {
        EXPECT_TRUE(fs::exists(folder_ / file)) << file;
    }
}

// The band settings reach the exported taps (0.5 ms is 24 whole samples at 48 kHz, so that the
// taps are the crossover's exactly, shifted and scaled); --no-alignment writes the crossover.
TEST_F(CliTest, BandSettingsGoIntoTheExportUnlessNoAlignment) {
    const QStringList tuned{"design", "--sample-rate", "48000",       "--delay-low",
                            "0.5",    "--invert-mid",  "--gain-high", "-6"};
    const Outcome aligned =
        RunCli(tuned + QStringList{"--raw", Path("tuned"), "--raw-format", "float64"});
    const Outcome pure = RunCli(
        tuned + QStringList{"--no-alignment", "--raw", Path("pure"), "--raw-format", "float64"});
    ASSERT_EQ(aligned.status, 0) << aligned.err;
    ASSERT_EQ(pure.status, 0) << pure.err;
    const kc::dsp::CalculationResult crossover =
        kc::dsp::CalculateCrossover(kc::dsp::AtSampleRate(kc::dsp::CrossoverParameters{}, 48000));
    const auto doubles = [](const char* name) {
        const std::string bytes = kc::testing_support::ReadBytes((folder_ / name).string());
        std::vector<double> values(bytes.size() / sizeof(double));
        std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
        return values;
    };
    const std::vector<double> low = doubles("tuned-low.dbl");
    const std::vector<double> mid = doubles("tuned-mid.dbl");
    const std::vector<double> high = doubles("tuned-high.dbl");
    ASSERT_EQ(low.size(), crossover.taps.LowTaps.size() + 24);
    const double gain = std::pow(10.0, -6.0 / 20.0);
    for (std::size_t n : {0u, 100u, 490u}) {
        EXPECT_EQ(low[n + 24], crossover.taps.LowTaps[n]) << n;
        EXPECT_EQ(mid[n], -crossover.taps.MidTaps[n]) << n;
        EXPECT_NEAR(high[n], gain * crossover.taps.HighTaps[n], 1e-16) << n;
    }
    EXPECT_EQ(doubles("pure-low.dbl"), crossover.taps.LowTaps);
    EXPECT_EQ(doubles("pure-mid.dbl"), crossover.taps.MidTaps);
    for (const char* line :
         {"Alignment: low 0.0 dB 0.500 ms, mid 0.0 dB 0.000 ms inverted, high -6.0 dB 0.000 ms\n",
          "Exported latency: low 514 samples (10.708 ms), mid 490 samples (10.208 ms), high 490 "
          "samples (10.208 ms), sum 490 samples (10.208 ms)\n",
          "Peak gain: low 0.00 dB, mid 0.00 dB, high -6.00 dB, sum ", "Warning: a band's"}) {
        EXPECT_NE(aligned.out.find(line), std::string::npos) << line << aligned.out;
    }
    EXPECT_NE(pure.out.find("Alignment: none, the pure crossover\n"), std::string::npos);
}

// --counts-rate, and the design file's key that --save-design writes, say the counts are meant at
// 48 kHz: that rate keeps them, 96 kHz doubles the centres (450, 350, 150).
TEST_F(CliTest, CountsRateKeepsTheCountsThereAndScalesThemElsewhere) {
    const QString design = Path("counts.kcx");
    const Outcome given = RunCli({"design", "--sample-rate", "48000,96000", "--counts-rate",
                                  "48000", "--save-design", design});
    const Outcome reopened = RunCli({"design", "--design", design});
    for (const Outcome& outcome : {given, reopened}) {
        ASSERT_EQ(outcome.status, 0) << outcome.err;
        for (const char* line : {"Tap counts: low 901, mid 701, high 301\n",
                                 "Latency: 450 samples (9.375 ms at 48000 Hz)\n",
                                 "Tap counts: low 1801, mid 1401, high 601\n",
                                 "Latency: 900 samples (9.375 ms at 96000 Hz)\n"}) {
            EXPECT_NE(outcome.out.find(line), std::string::npos) << line << outcome.out;
        }
    }
}

// A high-pass cut-off at half of one export rate leaves that rate's band without taps: the
// window's message, then the rate and the band; nothing of the set is written.
TEST_F(CliTest, AnErrorOfOneRateNamesTheRateAndTheBand) {
    const Outcome outcome = RunCli({"design", "--sample-rate", "44100,22050", "--high-cut", "11025",
                                    "--wav", Path("z-{rate}")});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "0 による浮動小数点数除算. (22050 Hz, high band)\n");
    EXPECT_FALSE(fs::exists(folder_ / "z-44100-high.wav"));
}

TEST(CliOutputTest, UsageErrorsWriteNothing) {
    const fs::path folder =
        fs::temp_directory_path() / ("kc-cli-usage-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const QString wav = QString::fromStdString((folder / "xo").string());
    const QString yml = QString::fromStdString((folder / "xo.yml").string());
    const QStringList requests[] = {
        {"--sample-rate", "44100,48000", "--wav", wav},      // no {rate}
        {"--sample-rate", "96 kHz", "--wav", wav},           // not whole hertz
        {"--sample-rate", "800000", "--wav", wav},           // beyond 768000
        {"--counts-rate", "44100,48000", "--wav", wav},      // not one rate
        {"--wav", wav, "--wav-format", "pcm16"},             // unknown format
        {"--wav", wav, "--frd", wav, "--frd-phase", "min"},  // unknown phase
        {"--camilladsp", yml},                               // no coefficients to name
        {"--wav", wav, "--wav-layout", "multichannel", "--equalizer-apo", yml},
        {"--raw", wav, "--capture", "hw:0", "--brutefir", yml},  // not alsa: or file:
    };
    for (const QStringList& request : requests) {
        const Outcome outcome = RunCli(QStringList{"design"} + request);
        EXPECT_EQ(outcome.status, 2) << request.join(' ').toStdString();
        EXPECT_FALSE(outcome.err.empty());
    }
    EXPECT_TRUE(fs::is_empty(folder));
    fs::remove_all(folder);
}

TEST(CliOutputTest, FileSizeLimitLeavesNoFileOfTheSet) {
    // Each WAV file of 901 float taps is about 3.7 KB, each text file about 22 KB: under a limit of
    // 16 KB the three WAV files are written in full and the first text file fails. The set then
    // leaves nothing, and the file it would have replaced stays.
    const fs::path folder =
        fs::temp_directory_path() / ("kc-cli-limit-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::ofstream(folder / "xo-low.wav") << "old";
    const QString prefix = QString::fromStdString((folder / "xo").string());
    const Outcome outcome = RunCli({"design", "--wav", prefix, "--text", prefix}, {}, [] {
        const rlimit limit{16384, 16384};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_NE(outcome.err.find((folder / "xo-low.txt").string()), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(std::strerror(EFBIG)), std::string::npos) << outcome.err;
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) {
        left.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{"xo-low.wav"});
    EXPECT_EQ(kc::testing_support::ReadBytes((folder / "xo-low.wav").string()), "old");
    fs::remove_all(folder);
}

struct ErrorCase {
    const char* name;
    QStringList arguments;
    int status;
    std::string err;  // the exact standard error, or empty to check only the status
};

void PrintTo(const ErrorCase& row, std::ostream* out) {
    *out << row.name;
}

class CliErrorTest : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(CliErrorTest, ReportsWithTheWindowsMessageOrUsage) {
    const Outcome outcome = RunCli(GetParam().arguments);
    EXPECT_EQ(outcome.status, GetParam().status) << outcome.err;
    if (!GetParam().err.empty()) {
        EXPECT_EQ(outcome.err, GetParam().err);
    } else {
        EXPECT_FALSE(outcome.err.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CliErrorTest,
    ::testing::Values(ErrorCase{"TapCountNotAnInteger",
                                {"design", "--mid-taps", "abc"},
                                1,
                                "'abc' は整数ではありません.\n"},
                      ErrorCase{"LowCutOffZero",
                                {"design", "--low-taps", "31", "--low-cut", "0"},
                                1,
                                "0 による浮動小数点数除算. (44100 Hz, low band)\n"},
                      ErrorCase{"EqualEdges",
                                {"estimate", "--pass", "500", "--stop", "500"},
                                1,
                                "0 による浮動小数点数除算.\n"},
                      ErrorCase{"UnknownOption", {"design", "--bass", "3"}, 2, ""},
                      ErrorCase{"MissingValue", {"design", "--taps"}, 2, ""},
                      ErrorCase{"MissingStopEdge", {"estimate", "--pass", "300"}, 2, ""},
                      ErrorCase{"UnknownCommand", {"mix"}, 2, ""},
                      ErrorCase{"BadWavFormat", {"design", "--wav-format", "pcm16"}, 2, ""},
                      ErrorCase{"PlotSizeTooSmall", {"design", "--plot-size", "100x80"}, 2, ""},
                      ErrorCase{"PlotSizeNotWxH", {"design", "--plot-size", "800"}, 2, ""},
                      ErrorCase{"ThresholdBelowRange", {"design", "--pre-ringing-db", "19"}, 2, ""},
                      ErrorCase{
                          "ThresholdNotWhole", {"design", "--pre-ringing-db", "60.5"}, 2, ""}),
    [](const auto& row) { return std::string(row.param.name); });

// The pre-ringing line recomputed from a taps CSV by its definition: for each column (low, mid,
// high, sum) the step (the running sum of the taps, sample n standing for time n + ½), the first
// sample whose level 20·log10(|step| / largest |step|) reaches −thresholdDb, the crossing between
// it and the sample before (0 before the first) by linear interpolation of |step|, and its
// distance to the centre row in ms at 44 100 Hz, 0 when the first such sample is the centre or
// later, printed with three decimals.
std::string PreRingingFromTapsCsv(const fs::path& csv, int thresholdDb) {
    const auto lines = Lines(csv);
    std::vector<std::vector<double>> steps(4);
    std::vector<long double> sums(4, 0.0L);
    for (std::size_t row = 1; row < lines.size(); ++row) {
        const auto cells = Cells(lines[row]);
        for (std::size_t c = 0; c < 4; ++c) {
            sums[c] += std::strtod(cells.at(c + 1).c_str(), nullptr);
            steps[c].push_back(static_cast<double>(sums[c]));
        }
    }
    const auto centre = static_cast<long>(steps[0].size() / 2);
    std::string line = "Pre-ringing (-" + std::to_string(thresholdDb) + " dB):";
    const char* names[] = {"low", "mid", "high", "sum"};
    for (std::size_t c = 0; c < 4; ++c) {
        double largest = 0.0;
        for (const double s : steps[c]) {
            largest = std::max(largest, std::fabs(s));
        }
        double ms = 0.0;
        for (std::size_t i = 0; largest > 0.0 && i < steps[c].size() / 2; ++i) {
            const double at = std::fabs(steps[c][i]);
            if (20.0 * std::log10(at / largest) >= -thresholdDb) {
                const double before = i == 0 ? 0.0 : std::fabs(steps[c][i - 1]);
                const double threshold = largest * std::pow(10.0, -thresholdDb / 20.0);
                const double crossing =
                    static_cast<double>(i) - 0.5 + (threshold - before) / (at - before);
                ms = (static_cast<double>(centre) - crossing) * 1000.0 / 44100.0;
                break;
            }
        }
        char figure[64];
        std::snprintf(figure, sizeof figure, "%s %s %.3f ms", c == 0 ? "" : ",", names[c], ms);
        line += figure;
    }
    return line;
}

struct PreRingingCase {
    const char* name;
    QStringList options;
    int thresholdDb;
};

void PrintTo(const PreRingingCase& row, std::ostream* out) {
    *out << row.name;
}

class CliPreRingingTest : public ::testing::TestWithParam<PreRingingCase> {};

TEST_P(CliPreRingingTest, SummaryLineEqualsTheDefinitionAppliedToTheExportedTaps) {
    const fs::path csv =
        fs::temp_directory_path() /
        ("kc-pre-ringing-" + std::to_string(::getpid()) + GetParam().name + ".csv");
    const Outcome outcome =
        RunCli(QStringList{"design", "--taps", QString::fromStdString(csv)} + GetParam().options);
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    const std::string expected = PreRingingFromTapsCsv(csv, GetParam().thresholdDb);
    fs::remove(csv);
    EXPECT_NE(outcome.out.find("\n" + expected + "\n"), std::string::npos)
        << "expected " << expected << "\nin\n"
        << outcome.out;
}

INSTANTIATE_TEST_SUITE_P(
    Designs, CliPreRingingTest,
    ::testing::Values(
        PreRingingCase{"Initial", {}, 60}, PreRingingCase{"Adjusted", {"--adjust"}, 60},
        PreRingingCase{"Short", {"--low-taps", "3", "--mid-taps", "5", "--high-taps", "7"}, 60},
        PreRingingCase{
            "Long", {"--low-taps", "4001", "--mid-taps", "2001", "--high-taps", "1001"}, 60},
        PreRingingCase{"InitialAt120Db", {"--pre-ringing-db", "120"}, 120}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(CliOutputTest, ImpulseAndStepPlotsHaveTheAskedSize) {
    const fs::path folder = fs::temp_directory_path() / ("kc-time-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const QString impulse = QString::fromStdString(folder / "impulse.png");
    const QString step = QString::fromStdString(folder / "step.png");
    const Outcome outcome = RunCli({"design", "--low-taps", "31", "--impulse-plot", impulse,
                                    "--step-plot", step, "--time-db", "--plot-size", "640x400"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    for (const QString& path : {impulse, step}) {
        const QImage image(path);
        EXPECT_EQ(image.size(), QSize(640, 400)) << path.toStdString();
    }
    fs::remove_all(folder);
}

TEST(CliOutputTest, UnwritableFileIsNamedAndNotLeftBehind) {
    const std::string target = "/nonexistent-folder-of-kc/taps.csv";
    const Outcome outcome =
        RunCli({"design", "--low-taps", "31", "--taps", QString::fromStdString(target)});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_NE(outcome.err.find(target), std::string::npos) << outcome.err;
    EXPECT_FALSE(fs::exists(target));
}

TEST(CliOutputTest, HelpAndVersionSucceed) {
    EXPECT_EQ(RunCli({"--help"}).status, 0);
    EXPECT_EQ(RunCli({"design", "--help"}).status, 0);
    const Outcome version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "kaiser-crossover-cli " + std::string(kc::base::kVersion) + "\n");
}

}  // namespace

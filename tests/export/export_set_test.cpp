// SPDX-License-Identifier: GPL-3.0-or-later
// The export set: what a request may ask, and every file read back as an engine would read it.
#include "export/export_set.h"

#include <gtest/gtest.h>
#include <yaml-cpp/yaml.h>

#include <charconv>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "export/file_write.h"
#include "support/file_bytes.h"
#include "support/wav_file.h"

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;

using testing_support::ReadWav;
using testing_support::WavFile;
using testing_support::WavFormatTag;

std::string ReadAll(const fs::path& path) {
    return testing_support::ReadBytes(path.string());
}

std::vector<std::string> Lines(const fs::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

double Number(const std::string& text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    return value;
}

// The design of each rate of the plan, as the export makes it: what its files are checked against.
std::vector<dsp::CalculationResult> Designs(const ExportPlan& plan) {
    std::vector<dsp::CalculationResult> designs;
    for (const RatePlan& rate : plan.rates) {
        designs.push_back(dsp::CalculateCrossover(rate.parameters));
    }
    return designs;
}

class ExportSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("kc-export-set-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }
    std::string In(const std::string& name) const { return (folder_ / name).string(); }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path folder_;
};

struct RequestCase {
    const char* name;
    std::vector<int32_t> rates;
    std::function<void(ExportRequest&)> ask;
    const char* reason;  // part of the message
};

TEST(ExportRequestTest, ImpossibleRequestsAreRefusedWithTheirReason) {
    const RequestCase cases[] = {
        {"RateTooLow", {22049}, [](ExportRequest&) {}, "outside 22050 to 768000"},
        {"RateTwice", {48000, 96000, 48000}, [](ExportRequest&) {}, "given twice"},
        {"NameWithoutRate",
         {44100, 48000},
         [](ExportRequest& f) { f.Kind("frd").name = "xo"; },
         "'xo' does not"},
        {"CamillaDspWithoutCoefficients",
         {44100},
         [](ExportRequest& f) { f.Kind("camillaDsp").name = "c.yml"; },
         "needs the WAV, raw or text files"},
        {"BruteFirWithWavOnly",
         {44100},
         [](ExportRequest& f) {
             f.Kind("wav").name = "xo";
             f.Kind("bruteFir").name = "b.conf";
         },
         "needs the raw or text files"},
        {"PipeWireWithoutWav",
         {44100},
         [](ExportRequest& f) {
             f.Kind("raw").name = "xo";
             f.Kind("pipeWire").name = "p.conf";
         },
         "needs the WAV files"},
        {"EqualizerApoWithMultichannelWav",
         {44100},
         [](ExportRequest& f) {
             f.Kind("wav").name = "xo";
             f.Option("wavLayout") = "multichannel";
             f.Kind("equalizerApo").name = "e.txt";
         },
         "one per band"},
        {"IncludeFileNamedPerRate",
         {44100, 48000},
         [](ExportRequest& f) {
             f.Kind("wav").name = "xo-{rate}";
             f.Kind("equalizerApo").name = "e-{rate}.txt";
         },
         "takes no {rate}"},
        {"CamillaDspWithoutRate",
         {44100, 48000},
         [](ExportRequest& f) {
             f.Kind("wav").name = "xo-{rate}";
             f.Kind("camillaDsp").name = "c.yml";
         },
         "'c.yml' does not"},
        {"DeviceOfNoKind",
         {44100},
         [](ExportRequest& f) { f.Option("capture") = "hw:0"; },
         "capture 'hw:0' must be alsa:DEVICE or file:PATH"},
        {"DeviceWithQuote",
         {44100},
         [](ExportRequest& f) { f.Option("playback") = "file:a\"b.raw"; },
         "holds a quote"},
        {"DeviceWithControlCharacter",
         {44100},
         [](ExportRequest& f) { f.Option("playback") = "alsa:hw:0\x1b[2J"; },
         "'alsa:hw:0\\x1B[2J' holds a control character"},
        {"FivePositions",
         {44100},
         [](ExportRequest& f) { f.Option("pipeWirePositions") = "FL,FR,FC,LFE,RL"; },
         "must be six channel positions"},
        {"SameNameTwice",
         {44100},
         [](ExportRequest& f) {
             f.Kind("tapsCsv").name = "out/../a.csv";
             f.Kind("responseCsv").name = "a.csv";
         },
         "both be named 'a.csv'"},
        {"UnknownChoice",
         {44100},
         [](ExportRequest& f) {
             f.Kind("wav").name = "xo";
             f.Option("wavFormat") = "pcm16";
         },
         "'pcm16' is none of its choices"},
    };
    for (const RequestCase& row : cases) {
        ExportRequest formats;
        row.ask(formats);
        try {
            PlanExport(dsp::CrossoverParameters{}, row.rates, formats);
            ADD_FAILURE() << row.name << ": accepted";
        } catch (const ExportRequestError& error) {
            EXPECT_NE(std::string(error.what()).find(row.reason), std::string::npos)
                << row.name << ": " << error.what();
        }
    }
}

TEST(ExportRequestTest, RatesAreWholeHertzInRangeSeparatedByCommas) {
    EXPECT_EQ(ParseRates("44100"), (std::vector<int32_t>{44100}));
    EXPECT_EQ(ParseRates("22050,768000,48001"), (std::vector<int32_t>{22050, 768000, 48001}));
    for (const char* bad : {"", "48k", "48000,", ",48000", "44100.0", "-44100", " 44100", "768001",
                            "22049", "44100;48000", "99999999999999999999"}) {
        EXPECT_THROW(ParseRates(bad), ExportRequestError) << bad;
    }
}

TEST(ExportRequestTest, OtherRatesScaleTheCountsOfTheDesignsOwnRate) {
    ExportRequest formats;
    formats.Kind("wav").name = "xo-{rate}";
    formats.Kind("frd").name = "xo-{rate}";
    const ExportPlan plan = PlanExport(dsp::CrossoverParameters{}, {48000, 44100}, formats);
    ASSERT_EQ(plan.rates.size(), 2u);
    // The centres 450, 350, 150 times 48000/44100: 489.8, 381.0, 163.3.
    const dsp::CrossoverParameters& at48k = plan.rates[0].parameters;
    EXPECT_EQ(at48k.sampleRateHz, 48000);
    EXPECT_EQ(at48k.lowCount, 981);
    EXPECT_EQ(at48k.midCount, 763);
    EXPECT_EQ(at48k.highCount, 327);
    EXPECT_EQ(plan.rates[0].latencySamples, 490);
    EXPECT_NEAR(plan.rates[0].latencyMs, 10.2083333, 1e-6);
    EXPECT_EQ(plan.rates[1].parameters.lowCount, 901);
    EXPECT_EQ(plan.rates[1].latencySamples, 450);
    EXPECT_EQ(plan.rates[0].files,
              (std::vector<std::string>{"xo-48000-low.wav", "xo-48000-mid.wav", "xo-48000-high.wav",
                                        "xo-48000-low.frd", "xo-48000-mid.frd", "xo-48000-high.frd",
                                        "xo-48000-sum.frd"}));
}

// A design file's "rates": [] and a dialog with no rate checked export the design's own rate.
TEST(ExportRequestTest, NoRateMeansTheDesignsOwn) {
    ExportRequest formats;
    formats.Kind("wav").name = "xo";
    dsp::CrossoverParameters design;
    design.sampleRateHz = 96000;
    const ExportPlan plan = PlanExport(design, {}, formats);
    ASSERT_EQ(plan.rates.size(), 1u);
    EXPECT_EQ(plan.rates[0].parameters.sampleRateHz, 96000);
    EXPECT_EQ(plan.rates[0].parameters.lowCount, design.lowCount);
    EXPECT_NO_THROW(CheckExportRequest({}, formats));
}

// Σ x[n]·e^(−j2π·f·(n − d)/R) in extended precision, term by term, from taps read back from an
// exported file: the response an FRD line must show.
std::complex<long double> ResponseOf(const std::vector<double>& taps, double f, int32_t rate,
                                     int32_t delay) {
    std::complex<long double> sum = 0.0L;
    for (std::size_t n = 0; n < taps.size(); ++n) {
        long double turns = f * (static_cast<long double>(n) - delay) / rate;
        turns -= std::nearbyint(turns);
        sum += static_cast<long double>(taps[n]) * std::polar(1.0L, -6.283185307179586477L * turns);
    }
    return sum;
}

// Checks an FRD file line by line against the response of `taps`, within 0.001 dB and 0.01°
// wherever the magnitude is above −120 dB.
void ExpectFrdOf(const fs::path& path, const std::vector<double>& taps, int32_t rate,
                 int32_t delay) {
    const std::vector<std::string> lines = Lines(path);
    std::size_t header = 0;
    while (header < lines.size() && lines[header].starts_with('*')) {
        ++header;
    }
    ASSERT_GE(header, 3u);
    // 48 a octave from 10 Hz below R/2: 1 + floor(48·log2(R/20)) points.
    ASSERT_EQ(lines.size() - header,
              static_cast<std::size_t>(1 + std::floor(48 * std::log2(rate / 20.0))));
    double previous = 0.0;
    for (std::size_t i = header; i < lines.size(); ++i) {
        std::istringstream fields(lines[i]);
        std::string f;
        std::string db;
        std::string degrees;
        std::string extra;
        fields >> f >> db >> degrees;
        EXPECT_FALSE(fields >> extra) << lines[i];
        const double frequency = Number(f);
        EXPECT_GT(frequency, previous);
        previous = frequency;
        const std::complex<long double> h = ResponseOf(taps, frequency, rate, delay);
        const double expectedDb = static_cast<double>(20.0L * std::log10(std::abs(h)));
        const double phase = Number(degrees);
        EXPECT_TRUE(phase > -180.0 && phase <= 180.0) << lines[i];
        if (expectedDb > -120.0) {
            EXPECT_NEAR(Number(db), expectedDb, 0.001) << path << ": " << lines[i];
            const double expectedPhase = static_cast<double>(std::arg(h) * 180.0L / M_PIl);
            EXPECT_NEAR(std::remainder(phase - expectedPhase, 360.0), 0.0, 0.01)
                << path << ": " << lines[i];
        }
    }
    EXPECT_LT(previous, rate / 2.0);
}

std::vector<double> TextTaps(const fs::path& path) {
    std::vector<double> taps;
    for (const std::string& line : Lines(path)) {
        taps.push_back(Number(line));
    }
    return taps;
}

TEST_F(ExportSetTest, EveryFileReadsBackAtTwoRates) {
    ExportRequest f;
    f.Kind("tapsCsv").name = In("taps-{rate}.csv");
    f.Kind("wav").name = In("xo-{rate}");
    f.Kind("raw").name = In("xo-{rate}");
    f.Option("rawFormat") = "float64";
    f.Kind("text").name = In("xo-{rate}");
    f.Kind("frd").name = In("xo-{rate}");
    f.Kind("camillaDsp").name = In("camilla-{rate}.yml");
    const ExportPlan plan = PlanExport(dsp::CrossoverParameters{}, {44100, 48000}, f);
    WriteExportSet(plan);
    const std::vector<dsp::CalculationResult> designs = Designs(plan);
    EXPECT_EQ(FolderEntries().size(), plan.AllFiles().size());

    const dsp::CrossoverTaps& taps = designs[1].taps;  // 48 000 Hz
    const char* bands[] = {"low", "mid", "high"};
    const std::vector<double>* arrays[] = {&taps.LowTaps, &taps.MidTaps, &taps.HighTaps};
    for (std::size_t b = 0; b < 3; ++b) {
        const std::string stem = In("xo-48000-") + bands[b];
        const WavFile wav = ReadWav(stem + ".wav");
        ASSERT_TRUE(wav.opened) << stem;
        EXPECT_EQ(wav.info.samplerate, 48000);
        EXPECT_EQ(wav.info.channels, 1);
        ASSERT_EQ(wav.info.frames, 981);
        EXPECT_EQ(WavFormatTag(stem + ".wav"), 3);
        for (std::size_t i = 0; i < 981; ++i) {
            ASSERT_EQ(wav.samples[i], static_cast<double>(static_cast<float>((*arrays[b])[i])));
        }
        const std::string raw = ReadAll(stem + ".dbl");
        ASSERT_EQ(raw.size(), 981u * 8u);
        std::vector<double> fromRaw(981);
        std::memcpy(fromRaw.data(), raw.data(), raw.size());  // little-endian, as this machine
        EXPECT_EQ(fromRaw, *arrays[b]);
        EXPECT_EQ(TextTaps(stem + ".txt"), *arrays[b]);
        ExpectFrdOf(stem + ".frd", TextTaps(stem + ".txt"), 48000, 490);
    }
    ExpectFrdOf(In("xo-48000-sum.frd"), taps.SumTaps, 48000, 490);
}

// The spellings of each CamillaDSP major version, as its documentation gives them.
struct CamillaDspSyntax {
    const char* version;
    const char* alsaFormat;
    const char* float64;
    const char* fileCapture;  // the device type that reads raw samples
    const char* fileFormat;   // raw 32-bit float
    bool channelList;         // a filter step's `channels: [n]`, else `channel: n`
};

// Where the configuration's filter for output o reads band o % 3, which coefficient file kind it
// names, and with which parameters.
struct CamillaDspSource {
    const char* kind;  // "wav", "raw", "text"
    const char* layout;
    const char* type;    // the Conv filter's parameters.type
    const char* suffix;  // the band file's ending after "-low" etc., or the one file's
};

TEST_F(ExportSetTest, CamillaDspConfigurationFollowsEachVersionsSyntax) {
    const CamillaDspSyntax versions[] = {
        {"4", "S32_LE", "F64_LE", "RawFile", "F32_LE", true},
        {"3", "S32LE", "FLOAT64LE", "RawFile", "FLOAT32LE", true},
        {"2", "S32LE", "FLOAT64LE", "File", "FLOAT32LE", false},
    };
    const CamillaDspSource sources[] = {
        {"wav", "bands", "Wav", ".wav"},
        {"wav", "multichannel", "Wav", ".wav"},
        {"raw", "bands", "Raw", ".dbl"},
        {"text", "bands", "Raw", ".txt"},
    };
    dsp::CrossoverParameters design;
    design.lowCount = 61;
    design.midCount = 41;
    design.highCount = 21;
    const char* bands[] = {"low", "mid", "high"};
    for (const CamillaDspSyntax& v : versions) {
        for (const CamillaDspSource& source : sources) {
            const std::string label =
                std::string(v.version) + " " + source.kind + " " + source.layout;
            ExportRequest f;
            f.Kind(source.kind).name = In("xo \"{rate}\"");  // YAML must escape the quotes
            f.Option("wavLayout") = source.layout;
            f.Option("rawFormat") = "float64";
            f.Kind("camillaDsp").name = In("camilla-{rate}.yml");
            f.Option("camillaDspVersion") = v.version;
            f.Option("capture") = "file:in put.raw";
            f.Option("playback") = "alsa:hw:CARD=Six,DEV=0";
            WriteExportSet(PlanExport(design, {48000, 96000}, f));

            const YAML::Node config = YAML::LoadFile(In("camilla-96000.yml"));
            const YAML::Node devices = config["devices"];
            EXPECT_EQ(devices["samplerate"].as<int>(), 96000) << label;
            EXPECT_EQ(devices["chunksize"].as<int>(), 2048) << label;  // suggested at 96 kHz
            const YAML::Node capture = devices["capture"];
            EXPECT_EQ(capture["type"].as<std::string>(), v.fileCapture) << label;
            EXPECT_EQ(capture["channels"].as<int>(), 2) << label;
            EXPECT_EQ(capture["filename"].as<std::string>(), "in put.raw") << label;
            EXPECT_EQ(capture["format"].as<std::string>(), v.fileFormat) << label;
            const YAML::Node playback = devices["playback"];
            EXPECT_EQ(playback["type"].as<std::string>(), "Alsa") << label;
            EXPECT_EQ(playback["channels"].as<int>(), 6) << label;
            EXPECT_EQ(playback["device"].as<std::string>(), "hw:CARD=Six,DEV=0") << label;
            EXPECT_EQ(playback["format"].as<std::string>(), v.alsaFormat) << label;

            const YAML::Node mixer = config["mixers"].begin()->second;
            EXPECT_EQ(mixer["channels"]["in"].as<int>(), 2) << label;
            EXPECT_EQ(mixer["channels"]["out"].as<int>(), 6) << label;
            ASSERT_EQ(mixer["mapping"].size(), 6u) << label;  // one mapping a destination
            const YAML::Node pipeline = config["pipeline"];
            ASSERT_EQ(pipeline.size(), 7u) << label;
            EXPECT_EQ(pipeline[0]["type"].as<std::string>(), "Mixer") << label;
            EXPECT_EQ(pipeline[0]["name"].as<std::string>(),
                      config["mixers"].begin()->first.as<std::string>());
            for (int output = 0; output < 6; ++output) {
                // Output o takes input o / 3 (left, then right) through band o % 3's filter.
                const YAML::Node mapping = mixer["mapping"][output];
                EXPECT_EQ(mapping["dest"].as<int>(), output) << label;
                ASSERT_EQ(mapping["sources"].size(), 1u) << label;
                EXPECT_EQ(mapping["sources"][0]["channel"].as<int>(), output / 3) << label;
                const YAML::Node step = pipeline[output + 1];
                EXPECT_EQ(step["type"].as<std::string>(), "Filter") << label;
                EXPECT_EQ(v.channelList ? step["channels"][0].as<int>() : step["channel"].as<int>(),
                          output)
                    << label;
                EXPECT_FALSE(step[v.channelList ? "channel" : "channels"]) << label;
                const YAML::Node filter = config["filters"][step["names"][0].as<std::string>()];
                ASSERT_TRUE(filter.IsMap()) << label << output;
                EXPECT_EQ(filter["type"].as<std::string>(), "Conv") << label;
                const YAML::Node parameters = filter["parameters"];
                EXPECT_EQ(parameters["type"].as<std::string>(), source.type) << label;
                const bool oneFile = std::string(source.layout) == "multichannel";
                const std::string band = oneFile ? "" : std::string("-") + bands[output % 3];
                // Named from the configuration's folder, which holds the files.
                EXPECT_EQ(parameters["filename"].as<std::string>(),
                          "xo \"96000\"" + band + source.suffix)
                    << label;
                if (std::string(source.type) == "Wav") {
                    EXPECT_EQ(parameters["channel"].as<int>(), oneFile ? output % 3 : 0) << label;
                } else {
                    EXPECT_EQ(parameters["format"].as<std::string>(),
                              std::string(source.kind) == "raw" ? v.float64 : "TEXT")
                        << label;
                }
            }
            EXPECT_EQ(YAML::LoadFile(In("camilla-48000.yml"))["devices"]["chunksize"].as<int>(),
                      1024)
                << label;
            fs::remove_all(folder_);
            fs::create_directories(folder_);
        }
    }
}

struct WavCase {
    const char* format;  // the options' values
    const char* layout;
    int tag;      // the header's format tag
    int subtype;  // libsndfile's sample format
    double (*expected)(double tap);
};

double AsDouble(double tap) {
    return tap;
}

double AsFloat(double tap) {
    return static_cast<double>(static_cast<float>(tap));
}

// The nearest step of 2^−23 (every tap here lies well inside ±1).
double AsPcm24(double tap) {
    return std::nearbyint(tap * 0x1p23) * 0x1p-23;
}

TEST_F(ExportSetTest, WavFormatsAndLayoutsReadBackAtTheRate) {
    dsp::CrossoverParameters design;
    design.lowCount = 61;
    design.midCount = 41;
    design.highCount = 21;
    for (const WavCase& row : {WavCase{"float32", "bands", 3, SF_FORMAT_FLOAT, AsFloat},
                               WavCase{"float64", "bands", 3, SF_FORMAT_DOUBLE, AsDouble},
                               WavCase{"pcm24", "bands", 1, SF_FORMAT_PCM_24, AsPcm24},
                               WavCase{"float64", "multichannel", 3, SF_FORMAT_DOUBLE, AsDouble},
                               WavCase{"pcm24", "multichannel", 1, SF_FORMAT_PCM_24, AsPcm24}}) {
        ExportRequest f;
        f.Kind("wav").name = In("w");
        f.Option("wavFormat") = row.format;
        f.Option("wavLayout") = row.layout;
        const ExportPlan plan = PlanExport(design, {88200}, f);
        WriteExportSet(plan);
        const std::vector<dsp::CalculationResult> designs = Designs(plan);
        const dsp::CrossoverTaps& taps = designs[0].taps;  // 121, 81, 41 taps: centres doubled
        ASSERT_EQ(taps.CommonLength, 121);
        const std::vector<double>* arrays[] = {&taps.LowTaps, &taps.MidTaps, &taps.HighTaps};
        const bool multichannel = std::string(row.layout) == "multichannel";
        for (std::size_t b = 0; b < 3; ++b) {
            const std::string path = multichannel ? In("w.wav") : plan.rates[0].files[b];
            const WavFile wav = ReadWav(path);
            ASSERT_TRUE(wav.opened) << path;
            EXPECT_EQ(WavFormatTag(path), row.tag) << path;
            EXPECT_EQ(wav.info.format & SF_FORMAT_SUBMASK, row.subtype) << path;
            EXPECT_EQ(wav.info.samplerate, 88200);
            EXPECT_EQ(wav.info.channels, multichannel ? 3 : 1);
            ASSERT_EQ(wav.info.frames, 121);
            for (std::size_t i = 0; i < 121; ++i) {
                EXPECT_EQ(wav.At(i, multichannel ? b : 0), row.expected((*arrays[b])[i]))
                    << path << " " << i;
            }
        }
    }
}

// libsndfile's PEAK chunk held the time of writing: two runs a second apart wrote different bytes.
TEST_F(ExportSetTest, SameDesignWritesTheSameWavBytes) {
    std::vector<std::string> bytes;
    for (const char* name : {"a", "b"}) {
        ExportRequest request;
        request.Kind("wav").name = In(name);
        request.Option("wavLayout") = "multichannel";
        const std::time_t started = std::time(nullptr);
        while (std::time(nullptr) == started && bytes.size() == 1) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        WriteExportSet(PlanExport(dsp::CrossoverParameters{}, {48000}, request));
        bytes.push_back(ReadAll(In(std::string(name) + ".wav")));
    }
    EXPECT_EQ(bytes[0], bytes[1]);
}

TEST_F(ExportSetTest, Float32RawAndFullPhaseFrd) {
    ExportRequest f;
    f.Kind("raw").name = In("r");
    f.Kind("frd").name = In("r");
    f.Option("frdPhase") = "full";
    dsp::CrossoverParameters design;
    design.lowCount = 301;
    design.midCount = 201;
    design.highCount = 101;
    design.sampleRateHz = 96000;
    const ExportPlan plan = PlanExport(design, {96000}, f);
    WriteExportSet(plan);
    const std::vector<dsp::CalculationResult> designs = Designs(plan);
    const std::string raw = ReadAll(In("r-mid.raw"));
    ASSERT_EQ(raw.size(), 301u * 4u);
    std::vector<float> samples(301);
    std::memcpy(samples.data(), raw.data(), raw.size());
    for (std::size_t i = 0; i < 301; ++i) {
        EXPECT_EQ(samples[i], static_cast<float>(designs[0].taps.MidTaps[i])) << i;
    }
    // The full phase keeps the latency: the response of the taps counted from their first one.
    ExpectFrdOf(In("r-high.frd"), designs[0].taps.HighTaps, 96000, 0);
}

// Each rate's files are written from its design before the next rate is designed, so that only
// one rate's design is held at a time however many rates an export has.
TEST_F(ExportSetTest, RatesAreDesignedAndWrittenOneAtATime) {
    ExportRequest f;
    f.Kind("text").name = In("xo-{rate}");
    f.Kind("plotPng").name = In("graph-{rate}.png");
    dsp::CrossoverParameters design;
    design.lowCount = 31;
    const ExportPlan plan = PlanExport(design, {44100, 48000, 96000}, f);
    std::vector<std::string> events;
    AtomicFileSet set(plan.AllFiles());
    WriteExportRates(
        plan, set,
        [&events](const dsp::CalculationResult& d, const std::string& temporary) {
            events.push_back("write " + std::to_string(d.taps.sampleRateHz));
            WriteBytes(temporary, "png", 3);
        },
        [&events](const dsp::CalculationResult& d) {
            events.push_back("design " + std::to_string(d.taps.sampleRateHz));
        });
    set.Commit();
    EXPECT_EQ(events, (std::vector<std::string>{"design 44100", "write 44100", "design 48000",
                                                "write 48000", "design 96000", "write 96000"}));
    EXPECT_EQ(FolderEntries().size(), plan.AllFiles().size());
}

TEST_F(ExportSetTest, FailureLeavesNoFileOfTheSetAndTheOldFilesAsTheyWere) {
    std::ofstream(In("xo-low.wav")) << "old";
    ExportRequest f;
    f.Kind("tapsCsv").name = In("taps.csv");
    f.Kind("wav").name = In("xo");
    f.Kind("text").name =
        In("missing-folder/xo");  // written after the WAV files; its folder is missing
    dsp::CrossoverParameters design;
    design.lowCount = 31;
    const ExportPlan plan = PlanExport(design, {44100}, f);
    try {
        WriteExportSet(plan);
        FAIL() << "no error";
    } catch (const EFileWriteError& error) {
        EXPECT_NE(std::string(error.what()).find(In("missing-folder/xo-low.txt")),
                  std::string::npos)
            << error.what();
    }
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"xo-low.wav"});
    EXPECT_EQ(ReadAll(In("xo-low.wav")), "old");
}

}  // namespace
}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
// Design files: what is written reads back unchanged, the documented example is what the program
// writes, later additions and missing keys are taken in stride, and every refusal names the file
// and the key or the line.
#include "design_file/design_file.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace kc::design_file {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

// The message of the refusal that reading `content` as `name` raises, empty when it is read.
std::string RefusalOf(const std::string& content, const std::string& name = "d.kcx") {
    try {
        ParseDesign(content, name);
    } catch (const EDesignFileError& error) {
        return error.what();
    }
    return {};
}

// The same for reading the file at `path`.
std::string ReadRefusalOf(const std::string& path) {
    try {
        ReadDesignFile(path);
    } catch (const EDesignFileError& error) {
        return error.what();
    }
    return {};
}

const std::string kHeader = R"({"format": "kaiser-crossover-design", "version": 1)";

TEST(DesignFileTest, DocumentedExampleIsWhatTheInitialDesignWrites) {
    const std::string doc = ReadText(fs::path(KC_SOURCE_DIR) / "docs" / "design-file.md");
    const std::size_t start = doc.find("```json\n");
    ASSERT_NE(start, std::string::npos);
    const std::size_t end = doc.find("```\n", start + 8);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(DesignJson(Design{}), doc.substr(start + 8, end - start - 8));
}

TEST(DesignFileTest, EveryTextAndBoxReadsBackAsWritten) {
    std::vector<Design> designs(6);
    designs[1].crossover = {"  901", "$2BD", "0x12D", "+300", "250", "2500", "abc", "1.5e2", true};
    designs[1].graph = {false, false};
    designs[2].crossover.lowTaps = "";  // an empty field
    designs[2].crossover.midLow = "九〇〇";
    designs[2].estimate = {"300 ", "a\"b\\c/d"};
    designs[3].crossover.highCut = "1 2\u00A03 ½";  // no control character: those are refused
    designs[3].graph.logAmplitude = false;
    // Every later setting away from its default; the driver files at absolute paths, which go
    // into the file relative to it and come back as they were.
    ExportSettings& exported = designs[4].exportSettings;
    for (const char* kind : {"tapsCsv", "responseCsv", "raw", "text", "frd", "camillaDsp"}) {
        exported.kinds[exporting::KindIndex(kind)].chosen = true;
    }
    exported.kinds[exporting::KindIndex("wav")] = {false, {"pcm24", "multichannel"}};
    designs[4].window = {true, design_file::WindowTab::Speaker};
    exported.kinds[exporting::KindIndex("raw")].options = {"float64"};
    exported.kinds[exporting::KindIndex("frd")].options = {"full"};
    exported.ratesHz = {96000, 44100, 22050, 768000};
    exported.name = "xo {rate}-九";
    exported.countsRateHz = 48000;
    exported.alignment = false;
    exported.normalize = "worst-case";
    designs[4].time = {160, true, true};
    designs[4].acoustic[0] = {"/kc-nowhere/drivers/woofer.frd", {-40.0, 20.0, true}};
    designs[4].acoustic[2] = {"/kc-nowhere/tweeter 1.frd", {0.1, -0.01, false}, {2, 35.5}};
    designs[4].acousticView = {acoustic::RightAxis::GroupDelay, true, 6.5,
                               dsp::TimeSeriesKind::ImpulseDb};
    designs[5].acousticView.rightAxis = acoustic::RightAxis::BandPhases;
    designs[4].correction = {
        {true, false, true}, {0, 4001, 3}, false, 85.5, -0.5, 3.0, 0.25, false};
    designs[5].exportSettings.ratesHz.clear();  // no rate chosen
    designs[5].time.preRingingDb = 20;
    const fs::path folder =
        fs::temp_directory_path() / ("kc-design-file-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    for (std::size_t i = 0; i < designs.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(ParseDesign(DesignJson(designs[i]), "d.kcx"), designs[i]);
        const std::string path = (folder / "d.kcx").string();
        WriteDesignFile(path, designs[i]);
        EXPECT_EQ(ReadDesignFile(path), designs[i]);
    }
    fs::remove_all(folder);
}

TEST(DesignFileTest, MissingKeysTakeTheirDefaultsAndUnknownKeysAreIgnored) {
    EXPECT_EQ(ParseDesign(kHeader + "}", "d.kcx"), Design{});
    Design expected;
    expected.crossover.midTaps = "41";
    expected.graph.logFrequency = false;
    // Keys of later features at every level, of every JSON type.
    const std::string content = kHeader + R"(,
        "crossover": {"midTaps": "41", "gainsDb": [0, -1.5, 2], "window": null},
        "graph": {"logFrequency": false, "threshold": {"db": -60}},
        "export": {"formats": ["wav32"], "folder": "/home/someone", "pattern": "{band}"},
        "acoustic": {"low": {"driverFile": "", "eq": [{"hz": 80, "db": -3}]}, "sub": {}},
        "comment": "written by hand"})";
    EXPECT_EQ(ParseDesign(content, "d.kcx"), expected);
}

struct Refusal {
    const char* what;
    std::string content;
    std::string reason;  // the message after "'d.kcx' を読み込めません: "
};

TEST(DesignFileTest, RefusalsNameTheFileAndTheKeyOrTheLine) {
    const Refusal refusals[] = {
        {"broken literal", kHeader + ",\n\n  \"graph\": {\"logFrequency\": tru}\n}",
         "not valid JSON at line 3: syntax error while parsing value - invalid literal"},
        {"cut short", kHeader + ",\n  \"crossover\": {\n",
         "not valid JSON at line 3: "
         "syntax error while parsing object key - unexpected end of input; expected string "
         "literal"},
        {"number too large", "{\n\"version\": 1e999}",
         "not valid JSON at line 2: number overflow parsing '1e999'"},
        {"text for a number", kHeader + R"(, "crossover": {"lowTaps": 901}})",
         "key \"crossover.lowTaps\" must be a JSON string, not a JSON number"},
        {"text for a flag", kHeader + R"(, "crossover": {"adjustCoefficient": "yes"}})",
         "key \"crossover.adjustCoefficient\" must be true or false, not a JSON string"},
        {"null section", kHeader + R"(, "graph": null})",
         "key \"graph\" must be a JSON object, not a JSON null"},
        {"newer version", R"({"format": "kaiser-crossover-design", "version": 2})",
         "version 2 is newer than this program reads (1)"},
        {"version as text", R"({"format": "kaiser-crossover-design", "version": "1"})",
         "key \"version\" must be a whole number"},
        {"version zero", R"({"format": "kaiser-crossover-design", "version": 0})",
         "version 0 does not exist"},
        {"other format", R"({"format": "something-else", "version": 1})",
         "not a design: key \"format\" must be \"kaiser-crossover-design\""},
        {"an array", "[1, 2]", "not a design: the file holds a JSON array, not an object"},
        {"gain out of range", kHeader + R"(, "acoustic": {"low": {"gainDb": 25}}})",
         "key \"acoustic.low.gainDb\" must be from -40 to 20, not 25"},
        {"delay as text", kHeader + R"(, "acoustic": {"high": {"delayMs": "1"}}})",
         "key \"acoustic.high.delayMs\" must be a JSON number, not a JSON string"},
        {"boost limit out of range", kHeader + R"(, "correction": {"maxBoostDb": 30}})",
         "key \"correction.maxBoostDb\" must be from 0 to 24, not 30"},
        {"correction taps out of range", kHeader + R"(, "correction": {"mid": {"taps": -1}}})",
         "key \"correction.mid.taps\" must be a whole number from 0 to 1048576, not -1"},
        {"channel 0", kHeader + R"(, "acoustic": {"mid": {"channel": 0}}})",
         "key \"acoustic.mid.channel\" must be a whole number from 1 to 64, not 0"},
        {"threshold with a fraction", kHeader + R"(, "time": {"preRingingDb": 60.5}})",
         "key \"time.preRingingDb\" must be a whole number from 20 to 160, not 60.5"},
        {"threshold beyond 64 bits",
         kHeader + R"(, "time": {"preRingingDb": 18446744073709551615}})",
         "key \"time.preRingingDb\" must be a whole number from 20 to 160, not "
         "18446744073709551615"},
        {"rate out of range", kHeader + R"(, "export": {"rates": [44100, 8000]}})",
         "key \"export.rates\" must hold whole numbers of hertz from 22050 to 768000, not 8000"},
        {"rate twice", kHeader + R"(, "export": {"rates": [48000, 96000, 48000]}})",
         "key \"export.rates\" holds 48000 twice"},
        {"counts' rate out of range", kHeader + R"(, "export": {"countsRate": 800000}})",
         "key \"export.countsRate\" must be a whole number from 22050 to 768000, not 800000"},
        {"unknown format", kHeader + R"(, "export": {"wavFormat": "pcm16"}})",
         "key \"export.wavFormat\" must be \"float32\", \"float64\" or \"pcm24\""},
        {"unknown normalization", kHeader + R"(, "export": {"normalize": "loud"}})",
         "key \"export.normalize\" must be \"none\", \"peak\" or \"worst-case\""},
        {"unknown right axis", kHeader + R"(, "acousticView": {"rightAxis": "phase"}})",
         "key \"acousticView.rightAxis\" must be \"none\", \"sumPhase\", \"bandPhases\" or "
         "\"groupDelay\""},
        {"level range out of range", kHeader + R"(, "acousticView": {"levelRangeDb": 1}})",
         "key \"acousticView.levelRangeDb\" must be from 2 to 200, not 1"},
        // Texts, names and paths are checked where they enter.
        {"NUL in the export name", kHeader + R"(, "export": {"name": "/home/u/notes.txt\u0000"}})",
         "export.name holds a control character"},
        {"terminal escape in a field", kHeader + R"(, "crossover": {"lowTaps": "\u001b[2J901"}})",
         "crossover.lowTaps holds a control character"},
        {"line break in a driver path",
         kHeader + R"(, "acoustic": {"mid": {"driverFile": "a\nb.frd"}}})",
         "acoustic.mid.driverFile holds a control character"},
        {"device of no kind", kHeader + R"(, "export": {"capture": "/dev/dsp"}})",
         "export.capture must be alsa:DEVICE or file:PATH"},
        {"escape in a device", kHeader + R"(, "export": {"playback": "alsa:\u001b]0;x"}})",
         "export.playback holds a control character"},
        {"export name leaving its folder", kHeader + R"(, "export": {"name": "../../x-{rate}"}})",
         "export.name must be one file name, without \"/\", \"\\\" or \"..\""},
        {"absolute export name", kHeader + R"(, "export": {"name": "/tmp/x"}})",
         "export.name must be one file name, without \"/\", \"\\\" or \"..\""},
        {"backslash in the export name", kHeader + R"(, "export": {"name": "a\\b"}})",
         "export.name must be one file name, without \"/\", \"\\\" or \"..\""},
        {"text longer than a field",
         kHeader + R"(, "estimate": {"passBand": ")" + std::string(32768, '1') + "\"}}",
         "estimate.passBand is longer than 32767 bytes"},
        {"UTF-16", std::string("\xFF\xFE{\0}\0", 6), "UTF-16 is not read: save the file as UTF-8"},
    };
    for (const Refusal& row : refusals) {
        EXPECT_EQ(RefusalOf(row.content), "'d.kcx' を読み込めません: " + row.reason) << row.what;
    }
}

TEST(DesignFileTest, DriverFilesGoRelativeToTheDesignsFolderAndMoveWithIt) {
    const fs::path root =
        fs::temp_directory_path() / ("kc-design-paths-" + std::to_string(::getpid()));
    const fs::path moved = root.string() + "-moved";
    fs::create_directories(root / "designs");
    Design design;
    design.acoustic[0].driverFile = (root / "designs" / "drivers" / "woofer.frd").string();
    design.acoustic[1].driverFile = (root / "mid.frd").string();  // above the design's folder
    const fs::path path = root / "designs" / "d.kcx";
    WriteDesignFile(path.string(), design);
    const std::string text = ReadText(path);
    EXPECT_NE(text.find(R"("driverFile": "drivers/woofer.frd")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("driverFile": "../mid.frd")"), std::string::npos) << text;
    EXPECT_NE(text.find(R"("driverFile": "")"), std::string::npos) << text;  // the ideal driver
    EXPECT_EQ(ReadDesignFile(path.string()), design);

    // Moved with its drivers, the design names them where they now are.
    fs::remove_all(moved);
    fs::rename(root, moved);
    const Design read = ReadDesignFile((moved / "designs" / "d.kcx").string());
    EXPECT_EQ(read.acoustic[0].driverFile, (moved / "designs" / "drivers" / "woofer.frd").string());
    EXPECT_EQ(read.acoustic[1].driverFile, (moved / "mid.frd").string());
    EXPECT_EQ(read.acoustic[2].driverFile, "");
    fs::remove_all(moved);
}

TEST(DesignFileTest, FilesOverOneMegabyteOrUnreadableAreRefused) {
    const fs::path folder =
        fs::temp_directory_path() / ("kc-design-size-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string body = kHeader + "}";
    const std::string path = (folder / "big.kcx").string();
    // Blanks are valid JSON: the largest file allowed is read, one byte more is refused unparsed.
    for (const std::size_t size : {kMaxFileBytes, kMaxFileBytes + 1}) {
        std::ofstream(path, std::ios::binary) << body << std::string(size - body.size(), ' ');
        ASSERT_EQ(fs::file_size(path), size);
    }
    EXPECT_EQ(ReadRefusalOf(path), "'" + path +
                                       "' を読み込めません: larger than 1 MB (1048576 bytes); a "
                                       "design file is far smaller");
    fs::resize_file(path, kMaxFileBytes);
    EXPECT_EQ(ReadDesignFile(path), Design{});
    const std::string missing = (folder / "missing.kcx").string();
    EXPECT_EQ(ReadRefusalOf(missing),
              "'" + missing + "' を読み込めません: No such file or directory");
    fs::remove_all(folder);
}

}  // namespace
}  // namespace kc::design_file

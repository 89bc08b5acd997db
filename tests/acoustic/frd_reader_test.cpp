// SPDX-License-Identifier: GPL-3.0-or-later
// The FRD reader: the forms measurement programs write load, and every malformed file is refused
// with a message that names the file and the line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "acoustic/frd_reader.h"
#include "support/raised_error.h"

namespace kc::acoustic {
namespace {

using testing_support::RaisedMessage;

struct Refusal {
    const char* what;
    std::string text;
    std::string message;  // after "bad.frd:"
};

std::string Repeated(const std::string& line, std::size_t times) {
    std::string text;
    text.reserve(line.size() * times);
    for (std::size_t i = 0; i < times; ++i) {
        text += line;
    }
    return text;
}

TEST(FrdReaderTest, MalformedFilesAreRefusedNamingFileAndLine) {
    const Refusal refusals[] = {
        {"phase on some lines only", "10 -1\n20 -2 5\n", "2: holds 3 values where line 1 holds 2"},
        {"falling", "100 0 0\n200 0 0\n150 0 0\n", "3: frequency 150 does not rise above 200"},
        {"repeated", "* head\n125 0 0\n125.0 0 0\n", "3: frequency 125.0 does not rise above 125"},
        {"NaN", "10 0 0\n20 nan 0\n", "2: magnitude nan is not a finite number"},
        {"inf", "10 0 -inf\n20 0 0\n", "1: phase -inf is not a finite number"},
        {"infinite frequency", "10 0 0\ninf 0 0\n", "2: frequency inf is not a finite number"},
        {"beyond double", "10 0 0\n1e999 0 0\n", "2: frequency 1e999 is out of range"},
        {"magnitude beyond double", "10 1e309 0\n", "1: magnitude 1e309 is out of range"},
        {"UTF-16 with its mark, cut short",
         std::string("\xFF\xFE"
                     "1\0"
                     "0\0 \0"
                     "0",
                     9),
         " UTF-16 text of an odd number of bytes (cut short?)"},
        {"UTF-16 without a mark",
         std::string("1\0"
                     "0\0 \0"
                     "0\0 \0"
                     "0\0",
                     12),
         " UTF-16 without a byte-order mark is not read: save the file as UTF-8, or as UTF-16 "
         "with its mark"},
        {"negative frequency", "-20 0 0\n20 0 0\n", "1: frequency -20 is not positive"},
        {"zero frequency", "0 0 0\n20 0 0\n", "1: frequency 0 is not positive"},
        {"one point", "# one\n100 0 0\n\n", "2: only one point; at least 2 are needed"},
        {"comments only", "* a\n* b\n",
         "2: no data: at least 2 lines of frequency and magnitude (and phase) are needed"},
        {"empty", "",
         "1: no data: at least 2 lines of frequency and magnitude (and phase) are needed"},
        {"binary garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         "1: frequency '\\x89PNG' is not a number"},
        {"NUL in a number", std::string("10\0 0 0\n", 8), "1: frequency '10\\x00' is not a number"},
        {"heading among the data", "Freq(Hz) SPL Phase\n10 0 0\nHz dB deg\n20 0 0\n",
         "3: frequency 'Hz' is not a number"},
        {"thousands separator", "Hz;dB\n1.000,5;-3,2\n",
         "2: frequency '1.000,5' mixes a decimal comma and a point"},
        {"decimal comma, commas: one point", "10,5,-3,2,45,0\n",
         "1: only one point; at least 2 are needed"},
        {"mixed separators", "10;-3 45\n", "1: mixes ';' and blanks between values"},
        {"empty value", "10,,0\n", "1: value 2 is empty"},
        {"one value", "10 0 0\n20\n",
         "2: holds one value; a line needs frequency (Hz) and magnitude (dB), and phase (degrees) "
         "where the file has it"},
        {"hexadecimal", "0x10 0 0\n", "1: frequency '0x10' is not a number"},
        {"level beyond reason", "10 1e4 0\n20 0 0\n",
         "1: magnitude 1e4 dB lies outside -1000 ... 1000 dB"},
        {"too many lines", Repeated("* comment\n", kMaxFrdLines + 1),
         "100001: more than 100000 lines"},
        {"long garbage", std::string(70, '\x01') + " 0 0\n",
         "1: frequency '" + Repeated("\\x01", 60) + "…' is not a number"},
        {"terminal escapes", "\x1b[2J\x1b]0\x07 0 0\n",
         "1: frequency '\\x1B[2J\\x1B]0\\x07' is not a number"},
    };
    for (const Refusal& r : refusals) {
        EXPECT_EQ(RaisedMessage([&] { ParseFrd(r.text, "bad.frd"); }), "bad.frd:" + r.message)
            << r.what;
    }
}

TEST(FrdReaderTest, HugeAndMissingFilesAreRefusedBeforeReading) {
    const std::string huge(kMaxFrdBytes + 1, '*');
    EXPECT_EQ(RaisedMessage([&] { ParseFrd(huge, "huge.frd"); }),
              "huge.frd: 16777217 bytes, more than the 16 MB (16777216 bytes) a driver file may "
              "hold");
    EXPECT_EQ(RaisedMessage([] { ReadFrdFile("/nonexistent/woofer.frd", "woofer.frd"); }),
              "woofer.frd: cannot be read (No such file or directory)");
}

struct Accepted {
    const char* what;
    std::string text;
    std::vector<double> frequenciesHz;
    std::vector<double> levelsDb;
    std::vector<double> phasesDeg;
};

TEST(FrdReaderTest, ReadsTheFormsMeasurementProgramsWrite) {
    const Accepted cases[] = {
        // -170° follows 20° closer as 190°: the phase is unwrapped.
        {"BOM, CRLF, every comment mark, tabs",
         "\xEF\xBB\xBF* head\r\n\r\n10\t-1.5\t20\r\n# c\r\n; c\r\n  \"c\"\r\n20\t-2\t-170\r\n",
         {10, 20},
         {-1.5, -2},
         {20, 190}},
        {"commas with blanks", "10, -1, 5\n20 ,-2 , 6", {10, 20}, {-1, -2}, {5, 6}},
        {"CR alone ends a line", "* old Mac\r10 -1 5\r20 -2 6\r", {10, 20}, {-1, -2}, {5, 6}},
        {"semicolons", "10;-1;5\n20;-2;6\n", {10, 20}, {-1, -2}, {5, 6}},
        {"exponents and plus signs",
         "1e1 +0.5 -1.5E1\n2E1 0 +3.5e2\n",
         {10, 20},
         {0.5, 0},
         {-15, -10}},
        {"an unwrapped phase stays",
         "1000 0 -360\n1100 0 -396\n1200 0 -432\n",
         {1000, 1100, 1200},
         {0, 0, 0},
         {-360, -396, -432}},
        // 3037.5 turns apart: a step of exactly half a turn, where a rounded quotient of turns
        // left 180.00000000003°.
        {"half a turn between large phases",
         "10 0 -152984.991\n20 0 940515.009\n",
         {10, 20},
         {0, 0},
         {-152984.991, -152984.991 - 180.0}},
    };
    for (const Accepted& c : cases) {
        const DriverResponse driver = ParseFrd(c.text, "good.frd");
        EXPECT_EQ(driver.name, "good.frd") << c.what;
        EXPECT_EQ(driver.frequenciesHz, c.frequenciesHz) << c.what;
        EXPECT_EQ(driver.levelsDb, c.levelsDb) << c.what;
        EXPECT_EQ(driver.phasesDeg, c.phasesDeg) << c.what;
    }
}

// The same four points as the exports of measurement programs and spreadsheets give them, written
// from the programs' documentation: each reads as the plain FRD file does, within 0.01 dB and
// 0.01°, and says how it was read.
TEST(FrdReaderTest, RealWorldExportsReadAsThePlainFile) {
    const std::string plain = "20 85.12 -45.67\n100 87.5 -10.5\n1000 86 30.25\n5000 80.25 -120\n";
    const DriverResponse reference = ParseFrd(plain, "plain.frd");
    struct Export {
        const char* what;
        std::string text;
        const char* reading;
    };
    const auto utf16 = [](std::string_view text, bool bigEndian) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : text) {
            bytes += bigEndian ? std::string{'\0', c} : std::string{c, '\0'};
        }
        return bytes;
    };
    const std::string rewHeader =
        "* Measurement data measured by REW V5.20.13\r\n* Source: UMIK-1 , Input 1\r\n"
        "* Format: 1/48 octave smoothing, 96 PPO\r\n* Dated: 9-Dec-2026 10:15:00\r\n"
        "* REW Settings:\r\n*  C-weighting compensation: Off\r\n*\r\n* Measurement: woofer\r\n"
        "* Smoothing: None\r\n*\r\n* Freq(Hz), SPL(dB), Phase(degrees)\r\n";
    const Export exports[] = {
        {"REW text export, header block, comma delimiter, CRLF",
         rewHeader + "20.000000, 85.120, -45.670\r\n100.000000, 87.500, -10.500\r\n"
                     "1000.000000, 86.000, 30.250\r\n5000.000000, 80.250, -120.000\r\n",
         "text, columns 1-3 (frequency, magnitude, phase)"},
        {"older REW export: plain header lines, comma delimiter",
         "SPL measurements acquired by REW V3.08\nSource: D:\\REW\\woofer.txt\n"
         "Format: Comma delimited data\nDated: 05-Mar-2005 17:53:56\n\n"
         "20.0, 85.12, -45.67\n100.0, 87.5, -10.5\n1000.0, 86.0, 30.25\n5000.0, 80.25, -120\n",
         "text, columns 1-3 (frequency, magnitude, phase), header 'Dated: 05-Mar-2005 17:53:56' "
         "(last of 4 lines)"},
        {"spreadsheet CSV: decimal commas, semicolons, trailing separator, CRLF",
         "Frequenz (Hz);Pegel (dB);Phase (Grad);\r\n20;85,12;-45,67;\r\n100;87,5;-10,5;\r\n"
         "1000;86;30,25;\r\n5000;80,25;-120;\r\n",
         "text, columns 1-3 (frequency, magnitude, phase), decimal commas, header 'Frequenz "
         "(Hz);Pegel (dB);Phase (Grad);'"},
        {"decimal commas between tabs, CR line ends",
         "20\t85,12\t-45,67\r100\t87,5\t-10,5\r1000\t86\t30,25\r5000\t80,25\t-120\r",
         "text, columns 1-3 (frequency, magnitude, phase), decimal commas"},
        {"plain header line, a fourth column (coherence)",
         "Freq(Hz) SPL(dB) Phase(deg) Coherence\n20 85.12 -45.67 0.91\n100 87.5 -10.5 0.99\n"
         "1000 86 30.25 1\n5000 80.25 -120 0.97\n",
         "text, columns 1-3 of 4 (frequency, magnitude, phase), header 'Freq(Hz) SPL(dB) "
         "Phase(deg) Coherence'"},
        {"UTF-16LE with its mark, CRLF (a Windows editor's \"Unicode\")",
         utf16("* woofer\r\n20 85.12 -45.67\r\n100 87.5 -10.5\r\n1000 86 30.25\r\n"
               "5000 80.25 -120\r\n",
               false),
         "text, columns 1-3 (frequency, magnitude, phase), UTF-16LE"},
        {"UTF-16BE with its mark, phase wrapped differently",
         utf16("20 85.12 314.33\n100 87.5 -10.5\n1000 86 -329.75\n5000 80.25 240\n", true),
         "text, columns 1-3 (frequency, magnitude, phase), UTF-16BE"},
    };
    for (const Export& e : exports) {
        const DriverResponse driver = ParseFrd(e.text, "export.txt");
        ASSERT_EQ(driver.frequenciesHz, reference.frequenciesHz) << e.what;
        for (std::size_t i = 0; i < reference.frequenciesHz.size(); ++i) {
            EXPECT_NEAR(driver.levelsDb[i], reference.levelsDb[i], 0.01) << e.what;
            EXPECT_NEAR(std::remainder(driver.phasesDeg[i] - reference.phasesDeg[i], 360.0), 0.0,
                        0.01)
                << e.what;
        }
        EXPECT_FALSE(driver.minimumPhase) << e.what;
        EXPECT_EQ(driver.reading, e.reading) << e.what;
    }
    // A data sheet's magnitude alone: the levels as given, the phase derived.
    const DriverResponse magnitudeOnly =
        ParseFrd("Frequency,SPL\n20,85.12\n100,87.5\n1000,86\n5000,80.25\n", "sheet.csv");
    EXPECT_EQ(magnitudeOnly.levelsDb, reference.levelsDb);
    EXPECT_TRUE(magnitudeOnly.minimumPhase);
    EXPECT_EQ(magnitudeOnly.reading,
              "text, columns 1-2 (frequency, magnitude): minimum phase derived, header "
              "'Frequency,SPL'");
}

// A 1/6-octave file of a 0.3 ms delay: from 7.2 kHz up the phase steps by more than 90° from
// one point to the next (360°·0.3 ms·f·(2^(1/6) − 1)), which the reader names.
TEST(FrdReaderTest, UndersampledPhaseIsNamedWithItsFrequency) {
    std::string text;
    for (int i = 0; i <= 60; ++i) {
        const double f = 20.0 * std::exp2(i / 6.0);
        text += std::to_string(f) + " 0 " +
                std::to_string(std::remainder(-360.0 * 3e-4 * f, 360.0)) + "\n";
    }
    const DriverResponse driver = ParseFrd(text, "delay.frd");
    ASSERT_EQ(driver.warnings.size(), 1u);
    EXPECT_TRUE(
        driver.warnings[0].starts_with("the phase steps by 96° between 7.24 kHz and 8.13 kHz"))
        << driver.warnings[0];
}

}  // namespace
}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
// The FRD reader: the forms measurement programs write load, and every malformed file is refused
// with a message that names the file and the line.
#include <gtest/gtest.h>

#include <string>
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
        {"no phase", "10 -1\n20 -2\n",
         "1: has no phase column (frequency and magnitude only): a sum without phase would "
         "mislead"},
        {"falling", "100 0 0\n200 0 0\n150 0 0\n", "3: frequency 150 does not rise above 200"},
        {"repeated", "* head\n125 0 0\n125.0 0 0\n", "3: frequency 125.0 does not rise above 125"},
        {"NaN", "10 0 0\n20 nan 0\n", "2: magnitude nan is not a finite number"},
        {"inf", "10 0 -inf\n20 0 0\n", "1: phase -inf is not a finite number"},
        {"infinite frequency", "10 0 0\ninf 0 0\n", "2: frequency inf is not a finite number"},
        {"beyond double", "10 0 0\n1e999 0 0\n", "2: frequency 1e999 is out of range"},
        {"magnitude beyond double", "10 1e309 0\n", "1: magnitude 1e309 is out of range"},
        {"UTF-16 with its mark",
         std::string("\xFF\xFE"
                     "1\0"
                     "0\0 \0"
                     "0\0",
                     10),
         " UTF-16 is not read: save the file as UTF-8"},
        {"UTF-16 without a mark",
         std::string("1\0"
                     "0\0 \0"
                     "0\0 \0"
                     "0\0",
                     12),
         " UTF-16 is not read: save the file as UTF-8"},
        {"negative frequency", "-20 0 0\n20 0 0\n", "1: frequency -20 is not positive"},
        {"zero frequency", "0 0 0\n20 0 0\n", "1: frequency 0 is not positive"},
        {"one point", "# one\n100 0 0\n\n", "2: only one point; at least 2 are needed"},
        {"comments only", "* a\n* b\n",
         "2: no data: at least 2 lines of frequency, magnitude and phase are needed"},
        {"empty", "", "1: no data: at least 2 lines of frequency, magnitude and phase are needed"},
        {"binary garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16),
         "1: frequency '\\x89PNG' is not a number"},
        {"NUL in a number", std::string("10\0 0 0\n", 8), "1: frequency '10\\x00' is not a number"},
        {"heading without mark", "Freq(Hz) SPL Phase\n10 0 0\n20 0 0\n",
         "1: frequency 'Freq(Hz)' is not a number"},
        {"decimal comma, semicolons", "10,5;-3,2;45,0\n",
         "1: mixes ',' and ';' between values (the decimal point is '.', not ',')"},
        {"decimal comma, blanks", "10,5 -3,2 45,0\n", "1: mixes ',' and blanks between values"},
        {"decimal comma, commas", "10,5,-3,2,45,0\n",
         "1: holds 6 values where 3 belong (frequency Hz, magnitude dB, phase degrees); is ',' "
         "a decimal comma? The decimal point is '.'"},
        {"mixed separators", "10;-3 45\n", "1: mixes ';' and blanks between values"},
        {"empty value", "10,,0\n", "1: value 2 is empty"},
        {"four values", "10 0 0 0\n",
         "1: holds 4 values where 3 belong (frequency Hz, magnitude "
         "dB, phase degrees)"},
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

}  // namespace
}  // namespace kc::acoustic

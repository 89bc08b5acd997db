// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/text_convert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "base/errors.h"
#include "base/float_checks.h"

namespace kc::base {
namespace {

struct IntCase {
    const char* name;
    std::string text;
    int32_t expected;
};

class StrToIntAcceptsTest : public ::testing::TestWithParam<IntCase> {};

TEST_P(StrToIntAcceptsTest, ConvertsToTheStatedValue) {
    EXPECT_EQ(StrToInt(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, StrToIntAcceptsTest,
    ::testing::Values(IntCase{"Plain", "901", 901}, IntCase{"LeadingBlanks", "  901", 901},
                      IntCase{"PlusSign", "+901", 901}, IntCase{"Negative", "-7", -7},
                      IntCase{"LeadingZeros", "007", 7}, IntCase{"DollarHex", "$385", 901},
                      IntCase{"ZeroXHex", "0x385", 901}, IntCase{"XHex", "x385", 901},
                      IntCase{"UpperXHex", "X385", 901}, IntCase{"NegativeHex", "-$10", -16},
                      IntCase{"EightFsAreMinusOne", "$FFFFFFFF", -1},
                      IntCase{"HexLeadingZerosDoNotCount", "$000000000385", 901},
                      IntCase{"Largest", "2147483647", 2147483647},
                      IntCase{"Smallest", "-2147483648", -2147483647 - 1}),
    [](const auto& row) { return std::string(row.param.name); });

class StrToIntRejectsTest : public ::testing::TestWithParam<std::string> {};

TEST_P(StrToIntRejectsTest, RaisesTheIntegerMessageQuotingTheWholeText) {
    const std::string& text = GetParam();
    try {
        StrToInt(text);
        FAIL() << "converted: " << text;
    } catch (const EConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'" + text + "' は整数ではありません");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToIntRejectsTest,
                         ::testing::Values("901 ", "9.0", "", "   ", "-", "+", "- 7", "2147483648",
                                           "-2147483649", "\xEF\xBC\x99\xEF\xBC\x90\xEF\xBC\x91",
                                           "$", "0x", "$100000000", "$12G", "abc", "\t901", "1,000",
                                           "0x-5"));

struct FloatCase {
    const char* name;
    std::string text;
    long double expected;
};

class StrToFloatAcceptsTest : public ::testing::TestWithParam<FloatCase> {};

TEST_P(StrToFloatAcceptsTest, ConvertsToTheStatedValue) {
    EXPECT_EQ(StrToFloat(GetParam().text), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToFloatAcceptsTest,
                         ::testing::Values(FloatCase{"Plain", "144", 144.0L},
                                           FloatCase{"BetweenBlanks", "  144  ", 144.0L},
                                           FloatCase{"Exponent", "1.5e2", 150.0L},
                                           FloatCase{"EmptyExponent", "1E", 1.0L},
                                           FloatCase{"SignedEmptyExponent", "1e+", 1.0L},
                                           FloatCase{"LoneSeparator", ".", 0.0L},
                                           FloatCase{"NegativeFraction", "-.5", -0.5L},
                                           FloatCase{"PlusSign", "+2.25", 2.25L},
                                           FloatCase{"NegativeExponent", "25e-2", 0.25L},
                                           FloatCase{"Fraction", "300.4", 3004.0L / 10.0L},
                                           FloatCase{"TinyUnderflowsToZero", "1e-4999", 0.0L}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(StrToFloatTest, BeyondDoubleConvertsButCannotBeStored) {
    const long double value = StrToFloat("1e400");
    EXPECT_GT(value, 1e308L);
    EXPECT_THROW(StoreDouble(value), EOverflow);
}

TEST(StrToFloatTest, ExponentDigitsStopAtFiveHundred) {
    // "1e4999" reads its whole exponent and overflows the extended range; one more digit is
    // left unread and the text does not end where it should.
    EXPECT_THROW(StrToFloat("1e4999"), EConvertError);
    EXPECT_THROW(StrToFloat("1e-50000"), EConvertError);
    EXPECT_EQ(StrToFloat("1e499"), 1e499L);
}

class StrToFloatRejectsTest : public ::testing::TestWithParam<std::string> {};

TEST_P(StrToFloatRejectsTest, RaisesTheFloatMessageQuotingTheWholeText) {
    const std::string& text = GetParam();
    try {
        StrToFloat(text);
        FAIL() << "converted: " << text;
    } catch (const EConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'" + text + "' は浮動小数点数ではありません");
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, StrToFloatRejectsTest,
                         ::testing::Values("", "  ", "1,5", "1e4999", "INF", "NAN", "$10", "-",
                                           "e5", "1.2.3", "1 e5", "\t1", "abc"));

TEST(StrToFloatTest, UsesTheChosenDecimalSeparator) {
    {
        const ScopedDecimalSeparator comma(",");
        EXPECT_EQ(StrToFloat("1,5"), 1.5L);
        EXPECT_THROW(StrToFloat("1.5"), EConvertError);
        EXPECT_EQ(FormatFixed5_6(1.5), "1,500000");
    }
    const ScopedDecimalSeparator empty("");
    EXPECT_EQ(DecimalSeparator(), ".");
    EXPECT_EQ(StrToFloat("1.5"), 1.5L);
}

struct FormatCase {
    double value;
    const char* expected;
};

class FormatFixedTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatFixedTest, WritesSixDecimalsRoundedFromEighteenDigits) {
    EXPECT_EQ(FormatFixed5_6(GetParam().value), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, FormatFixedTest,
    ::testing::Values(FormatCase{1.0, "1.000000"}, FormatCase{0.0, "0.000000"},
                      FormatCase{-0.0, "0.000000"}, FormatCase{1.0000005, "1.000001"},
                      FormatCase{1.0000004999, "1.000000"}, FormatCase{-2.5, "-2.500000"},
                      FormatCase{-0.0000004, "0.000000"}, FormatCase{0.9999996, "1.000000"},
                      FormatCase{999999.9999996, "1000000.000000"}, FormatCase{1.5e-7, "0.000000"},
                      FormatCase{6e-7, "0.000001"},
                      // 0.0000005 is stored as 4.99999999999999977e-7: its 18 digits round down.
                      FormatCase{0.0000005, "0.000000"}, FormatCase{123456.75, "123456.750000"},
                      FormatCase{1e20, "100000000000000000000.000000"}));

TEST(IntToStrTest, WritesPlainDecimal) {
    EXPECT_EQ(IntToStr(0), "0");
    EXPECT_EQ(IntToStr(-600), "-600");
    EXPECT_EQ(IntToStr(9223372036854775807LL), "9223372036854775807");
}

}  // namespace
}  // namespace kc::base

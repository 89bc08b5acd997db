// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/errors.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace kc::base {
namespace {

struct KindCase {
    const char* name;
    std::function<void()> raise;
    std::string report;
};

class ErrorKindTest : public ::testing::TestWithParam<KindCase> {};

TEST_P(ErrorKindTest, ReportShowsTheMessageWithAFullStop) {
    try {
        GetParam().raise();
        FAIL() << "nothing raised";
    } catch (const Error& error) {
        EXPECT_EQ(ReportTextWithFullStop(error.what()), GetParam().report);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ErrorKindTest,
    ::testing::Values(
        KindCase{"NotAnInteger", [] { RaiseNotAnInteger("abc"); }, "'abc' は整数ではありません."},
        KindCase{"NotAFloat", [] { RaiseNotAFloat(" x "); }, "' x ' は浮動小数点数ではありません."},
        KindCase{"Range", [] { RaiseRangeError(); }, "範囲チェックエラー."},
        KindCase{"IntOverflow", [] { RaiseIntOverflow(); }, "整数のオーバーフロー."},
        KindCase{"InvalidOp", [] { RaiseInvalidOp(); }, "不正な浮動小数点数演算命令."},
        KindCase{"ZeroDivide", [] { RaiseZeroDivide(); }, "0 による浮動小数点数除算."},
        KindCase{"Overflow", [] { RaiseOverflow(); }, "浮動小数点数のオーバーフロー."},
        KindCase{"OutOfMemory", [] { RaiseOutOfMemory(); }, "メモリが足りません."}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(ErrorKindTest, EachKindIsItsOwnType) {
    EXPECT_THROW(RaiseRangeError(), ERangeError);
    EXPECT_THROW(RaiseIntOverflow(), EIntOverflow);
    EXPECT_THROW(RaiseInvalidOp(), EInvalidOp);
    EXPECT_THROW(RaiseZeroDivide(), EZeroDivide);
    EXPECT_THROW(RaiseOverflow(), EOverflow);
    EXPECT_THROW(RaiseOutOfMemory(), EOutOfMemory);
    EXPECT_THROW(RaiseNotAFloat("x"), EConvertError);
}

TEST(ReportTextWithFullStopTest, AppendsAFullStopOnlyAfterCharactersAboveIt) {
    EXPECT_EQ(ReportTextWithFullStop(""), "");
    EXPECT_EQ(ReportTextWithFullStop("done."), "done.");
    EXPECT_EQ(ReportTextWithFullStop("a-"), "a-");
    EXPECT_EQ(ReportTextWithFullStop("a "), "a ");
    EXPECT_EQ(ReportTextWithFullStop("a!"), "a!");
    EXPECT_EQ(ReportTextWithFullStop("a/"), "a/.");
    EXPECT_EQ(ReportTextWithFullStop("abc"), "abc.");
}

}  // namespace
}  // namespace kc::base

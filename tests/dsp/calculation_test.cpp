// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/calculation.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "base/errors.h"

namespace kc::dsp {
namespace {

// The eight fields as a table of texts, recording every write-back in order.
class FakeFields : public CalcFields {
  public:
    std::map<CalcField, std::string> texts = {
        {CalcField::LowTapCount, "901"},  {CalcField::MidTapCount, "701"},
        {CalcField::HighTapCount, "301"}, {CalcField::LowCross, "300"},
        {CalcField::MidCrossLow, "300"},  {CalcField::MidCrossHigh, "2000"},
        {CalcField::HighCross, "2000"},   {CalcField::Attenuation, "144"}};
    bool adjust = false;
    std::vector<std::pair<CalcField, std::string>> writes;

    std::string Text(CalcField field) const override { return texts.at(field); }
    void SetTapCountText(CalcField field, const std::string& text) override {
        texts[field] = text;
        writes.emplace_back(field, text);
    }
    bool AdjustCoefficient() const override { return adjust; }

    // Short filters keep the tests quick where the numbers themselves do not matter.
    static FakeFields Short() {
        FakeFields fields;
        fields.texts[CalcField::LowTapCount] = "61";
        fields.texts[CalcField::MidTapCount] = "41";
        fields.texts[CalcField::HighTapCount] = "21";
        return fields;
    }
};

TEST(CrossoverCalculationTest, InitialTextsGiveTheInitialDesign) {
    FakeFields fields;
    const CalculationResult result = RunCrossoverCalculation(fields);
    const std::vector<std::pair<CalcField, std::string>> expectedWrites = {
        {CalcField::LowTapCount, "901"},
        {CalcField::MidTapCount, "701"},
        {CalcField::HighTapCount, "301"}};
    EXPECT_EQ(fields.writes, expectedWrites);
    EXPECT_EQ(result.taps.CommonLength, 901);
    EXPECT_NEAR(result.taps.LowTaps[449], 0.01360082, 5e-9);
    EXPECT_EQ(result.evaluation.CMax, FindCMax(*result.evaluation.store));
    EXPECT_EQ(result.cmaxLine, CMaxLine(result.evaluation.CMax));
    EXPECT_EQ(result.cmaxLine.rfind("振幅係数の最大値：CMax = 1.0", 0), 0u);
}

TEST(CrossoverCalculationTest, CountsAreMadeOddAndWrittenBack) {
    FakeFields fields = FakeFields::Short();
    fields.texts[CalcField::LowTapCount] = "60";
    fields.texts[CalcField::MidTapCount] = "$28";  // 40
    fields.texts[CalcField::HighTapCount] = "  007";
    const CalculationResult result = RunCrossoverCalculation(fields);
    EXPECT_EQ(fields.texts[CalcField::LowTapCount], "61");
    EXPECT_EQ(fields.texts[CalcField::MidTapCount], "41");
    EXPECT_EQ(fields.texts[CalcField::HighTapCount], "7");
    EXPECT_EQ(result.taps.CommonLength, 61);
}

TEST(CrossoverCalculationTest, AdjustStillConvertsTheOuterCutOffs) {
    FakeFields fields = FakeFields::Short();
    fields.adjust = true;
    fields.texts[CalcField::LowCross] = "9999";
    const CalculationResult result = RunCrossoverCalculation(fields);
    EXPECT_NEAR(result.taps.SumTaps[30], 1.0, 1e-15);
    fields.texts[CalcField::HighCross] = "2000.5";
    EXPECT_THROW(RunCrossoverCalculation(fields), base::EConvertError);
}

struct FailureCase {
    const char* name;
    CalcField field;
    std::string text;
    std::string message;
    std::vector<std::string> countsAfter;  // Low, Mid, High tap-count texts after the failure
};

class CrossoverCalculationFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(CrossoverCalculationFailureTest, StopsWithTheMessageAndKeepsEarlierWriteBacks) {
    const FailureCase& c = GetParam();
    FakeFields fields = FakeFields::Short();
    fields.texts[CalcField::LowTapCount] = "60";
    fields.texts[c.field] = c.text;
    try {
        RunCrossoverCalculation(fields);
        FAIL() << "no error";
    } catch (const base::Error& error) {
        EXPECT_EQ(std::string(error.what()), c.message);
    }
    EXPECT_EQ(fields.texts[CalcField::LowTapCount], c.countsAfter[0]);
    EXPECT_EQ(fields.texts[CalcField::MidTapCount], c.countsAfter[1]);
    EXPECT_EQ(fields.texts[CalcField::HighTapCount], c.countsAfter[2]);
}

INSTANTIATE_TEST_SUITE_P(Fields, CrossoverCalculationFailureTest,
                         ::testing::Values(FailureCase{"MidCountNotAnInteger",
                                                       CalcField::MidTapCount,
                                                       "4x",
                                                       "'4x' は整数ではありません",
                                                       {"61", "4x", "21"}},
                                           FailureCase{"LowCountHasTrailingBlank",
                                                       CalcField::LowTapCount,
                                                       "60 ",
                                                       "'60 ' は整数ではありません",
                                                       {"60 ", "41", "21"}},
                                           FailureCase{"CutOffNotAnInteger",
                                                       CalcField::MidCrossHigh,
                                                       "2000.0",
                                                       "'2000.0' は整数ではありません",
                                                       {"61", "41", "21"}},
                                           FailureCase{"AttenuationNotANumber",
                                                       CalcField::Attenuation,
                                                       "144dB",
                                                       "'144dB' は浮動小数点数ではありません",
                                                       {"61", "41", "21"}},
                                           FailureCase{"NegativeCount",
                                                       CalcField::HighTapCount,
                                                       "-5",
                                                       "範囲チェックエラー",
                                                       {"61", "41", "-3"}},
                                           FailureCase{"OneTapCount",
                                                       CalcField::MidTapCount,
                                                       "0",
                                                       "不正な浮動小数点数演算命令",
                                                       {"61", "1", "21"}},
                                           FailureCase{"CommonLengthTooLong",
                                                       CalcField::MidTapCount,
                                                       "268435456",
                                                       "範囲チェックエラー",
                                                       {"61", "268435457", "21"}},
                                           FailureCase{"LowCutOffZero",
                                                       CalcField::LowCross,
                                                       "0",
                                                       "0 による浮動小数点数除算",
                                                       {"61", "41", "21"}}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(CrossoverCalculationTest, BadCountsAreReportedBeforeABadAttenuation) {
    FakeFields fields = FakeFields::Short();
    fields.texts[CalcField::HighTapCount] = "-2";
    fields.texts[CalcField::Attenuation] = "x";
    EXPECT_THROW(RunCrossoverCalculation(fields), base::ERangeError);
}

}  // namespace
}  // namespace kc::dsp

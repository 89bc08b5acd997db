// SPDX-License-Identifier: GPL-3.0-or-later
// Every error row a user can reach from the fields: the exact message shown, what changed and
// what did not, the cursor afterwards, and a correct calculation on the next Calc.
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <functional>
#include <map>

#include "dsp/calculation.h"
#include "dsp/tap_arrays.h"
#include "form_fixture.h"

namespace kc::app {
namespace {

enum class Action { Calc, ToggleFrequencyAxis, ToggleAmplitudeAxis, Estimate };

struct ErrorRow {
    const char* name;
    std::map<std::string, std::string> texts;  // field name → text typed before the action
    Action action;
    std::string message;                       // as the error report shows it
    std::map<std::string, std::string> after;  // field or label name → text after the error
};

void PrintTo(const ErrorRow& row, std::ostream* out) {
    *out << row.name;
}

class WindowErrorTest : public FormTest, public testing::WithParamInterface<ErrorRow> {
  protected:
    // Short filters and one completed calculation first, so that there is a design to keep.
    void SetUp() override {
        UseShortFilters();
        form->Button1->click();
        ASSERT_TRUE(reports.empty());
        storeBefore_ = form->Store();
        pictureBefore_ = form->Graph().Picture();
        cmaxBefore_ = Text(form->Label21);
        lowTapsBefore_ = form->Taps().LowTaps;
    }

    QLineEdit* Field(const std::string& name) const {
        const std::map<std::string, QLineEdit*> fields = {
            {"Edit1", form->Edit1},  {"Edit2", form->Edit2}, {"Edit3", form->Edit3},
            {"Edit4", form->Edit4},  {"Edit5", form->Edit5}, {"Edit6", form->Edit6},
            {"Edit7", form->Edit7},  {"Edit8", form->Edit8}, {"Edit9", form->Edit9},
            {"Edit10", form->Edit10}};
        return fields.at(name);
    }

    std::string Shown(const std::string& name) const {
        if (name == "Label18") {
            return Text(form->Label18);
        }
        if (name == "Label20") {
            return Text(form->Label20);
        }
        return Text(Field(name));
    }

    void Perform(Action action) {
        switch (action) {
            case Action::Calc:
                form->Button1->click();
                break;
            case Action::ToggleFrequencyAxis:
                form->CheckBox1->click();
                break;
            case Action::ToggleAmplitudeAxis:
                form->CheckBox2->click();
                break;
            case Action::Estimate:
                form->Button5->click();
                break;
        }
    }

    dsp::ResponseStore storeBefore_;
    QImage pictureBefore_;
    std::string cmaxBefore_;
    std::vector<double> lowTapsBefore_;
};

TEST_P(WindowErrorTest, ShowsTheMessageKeepsTheDesignAndRecovers) {
    const ErrorRow& row = GetParam();
    for (const auto& [name, text] : row.texts) {
        Field(name)->setText(QString::fromStdString(text));
    }
    Perform(row.action);

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, row.message);
    EXPECT_EQ(reports[0].caption, form->Title().toStdString());
    EXPECT_FALSE(reports[0].busyCursorShown);
    EXPECT_FALSE(BusyCursorIsSet());
    for (const auto& [name, text] : row.after) {
        EXPECT_EQ(Shown(name), text) << name;
    }
    // The last completed design, its curves, its picture and its CMax line stay whole.
    EXPECT_EQ(form->Store().LowMag, storeBefore_.LowMag);
    EXPECT_EQ(form->Store().SumDb, storeBefore_.SumDb);
    EXPECT_EQ(form->Taps().LowTaps, lowTapsBefore_);
    EXPECT_EQ(form->Graph().Picture(), pictureBefore_);
    EXPECT_EQ(Text(form->Label21), cmaxBefore_);

    // Good texts again: the next Calc computes what a fresh calculation computes.
    reports.clear();
    for (const auto& [name, text] : std::map<std::string, std::string>{{"Edit1", "31"},
                                                                       {"Edit9", "21"},
                                                                       {"Edit10", "11"},
                                                                       {"Edit2", "500"},
                                                                       {"Edit5", "500"},
                                                                       {"Edit4", "3000"},
                                                                       {"Edit3", "3000"},
                                                                       {"Edit8", "144"}}) {
        Field(name)->setText(QString::fromStdString(text));
    }
    form->Button1->click();
    ASSERT_TRUE(reports.empty()) << reports[0].text;
    dsp::CrossoverParameters fresh;
    fresh.lowCount = 31;
    fresh.midCount = 21;
    fresh.highCount = 11;
    fresh.lowCrossHz = fresh.midCrossLowHz = 500.0;
    fresh.midCrossHighHz = fresh.highCrossHz = 3000.0;
    const dsp::CalculationResult expected = dsp::CalculateCrossover(fresh);
    EXPECT_EQ(form->Store().SumMag, expected.evaluation.store->SumMag);
    EXPECT_EQ(form->Store().HighDb, expected.evaluation.store->HighDb);
    EXPECT_EQ(Text(form->Label21), expected.cmaxLine);
}

const char* const kNotInteger = "' は整数ではありません.";
const char* const kNotFloat = "' は浮動小数点数ではありません.";

std::string NotInteger(const std::string& text) {
    return "'" + text + kNotInteger;
}

// An attenuation for the edges 0 and 1 Hz whose tap count truncates to 2147483647, the largest
// odd count: the odd count above it does not fit 32 bits.
std::string AttenuationForLargestOddCount() {
    const double transition = 1.0 / 22050.0 * M_PI;
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", 8.0 + 2147483646.5 * 2.285 * transition);
    return text;
}
std::string NotFloat(const std::string& text) {
    return "'" + text + kNotFloat;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, WindowErrorTest,
    testing::Values(
        // Conversions of the tap counts: the fields before the bad one are already rewritten.
        ErrorRow{"LowCountText",
                 {{"Edit1", "abc"}},
                 Action::Calc,
                 NotInteger("abc"),
                 {{"Edit1", "abc"}, {"Edit9", "41"}}},
        ErrorRow{"MidCountText",
                 {{"Edit1", "60"}, {"Edit9", "4.0"}, {"Edit10", "20"}},
                 Action::Calc,
                 NotInteger("4.0"),
                 {{"Edit1", "61"}, {"Edit10", "20"}}},
        ErrorRow{"HighCountText",
                 {{"Edit10", "20 "}},
                 Action::Calc,
                 NotInteger("20 "),
                 {{"Edit1", "61"}, {"Edit9", "41"}}},
        // Conversions of the cut-offs: all three counts are rewritten first.
        ErrorRow{"LowCutOffText",
                 {{"Edit2", "3e2"}, {"Edit10", "20"}},
                 Action::Calc,
                 NotInteger("3e2"),
                 {{"Edit10", "21"}}},
        ErrorRow{"MidLowCutOffText", {{"Edit5", ""}}, Action::Calc, NotInteger(""), {}},
        ErrorRow{"MidHighCutOffText", {{"Edit4", "2k"}}, Action::Calc, NotInteger("2k"), {}},
        ErrorRow{
            "HighCutOffText", {{"Edit3", "２０００"}}, Action::Calc, NotInteger("２０００"), {}},
        ErrorRow{"AttenuationText", {{"Edit8", "144dB"}}, Action::Calc, NotFloat("144dB"), {}},
        // The band-pass edges are read again as markers when an axis box redraws the graph.
        ErrorRow{"LowerMarkerText",
                 {{"Edit5", "300Hz"}},
                 Action::ToggleFrequencyAxis,
                 NotFloat("300Hz"),
                 {}},
        ErrorRow{
            "UpperMarkerText", {{"Edit4", "--"}}, Action::ToggleAmplitudeAxis, NotFloat("--"), {}},
        // Counts that cannot make a filter.
        ErrorRow{"NegativeCount",
                 {{"Edit9", "-2"}},
                 Action::Calc,
                 "範囲チェックエラー.",
                 {{"Edit9", "-1"}}},
        ErrorRow{"OneTapCount",
                 {{"Edit10", "0"}},
                 Action::Calc,
                 "不正な浮動小数点数演算命令.",
                 {{"Edit10", "1"}}},
        ErrorRow{"CommonLengthTooLong",
                 {{"Edit1", "268435456"}},
                 Action::Calc,
                 "範囲チェックエラー.",
                 {{"Edit1", "268435457"}}},
        ErrorRow{"LowCutOffZero", {{"Edit2", "0"}}, Action::Calc, "0 による浮動小数点数除算.", {}},
        // The estimate.
        ErrorRow{"EstimateText",
                 {{"Edit7", "9OO"}},
                 Action::Estimate,
                 NotFloat("9OO"),
                 {{"Label18", "CutOff Hz"}}},
        ErrorRow{"EstimateEqualEdges",
                 {{"Edit6", "500"}, {"Edit7", "500"}},
                 Action::Estimate,
                 "0 による浮動小数点数除算.",
                 {{"Label18", "CutOff     ：500Hz"}, {"Label20", "Ideal Taps"}}},
        ErrorRow{"EstimateEqualEdgesAtEightDecibels",
                 {{"Edit6", "500"}, {"Edit7", "500"}, {"Edit8", "8"}},
                 Action::Estimate,
                 "不正な浮動小数点数演算命令.",
                 {{"Label18", "CutOff     ：500Hz"}}},
        ErrorRow{"EstimateBeyondDouble",
                 {{"Edit6", "1e400"}},
                 Action::Estimate,
                 "浮動小数点数のオーバーフロー.",
                 {{"Label18", "CutOff Hz"}}},
        ErrorRow{"EstimateBeyondThirtyTwoBits",
                 {{"Edit6", "1000"}, {"Edit7", "1000.0001"}},
                 Action::Estimate,
                 "範囲チェックエラー.",
                 {{"Label18", "CutOff     ：1000Hz"}, {"Label20", "Ideal Taps"}}},
        ErrorRow{"EstimateLargestOddCount",
                 {{"Edit6", "0"}, {"Edit7", "1"}, {"Edit8", AttenuationForLargestOddCount()}},
                 Action::Estimate,
                 "整数のオーバーフロー.",
                 {{"Label18", "CutOff     ：0Hz"}}}),
    [](const auto& row) { return std::string(row.param.name); });

using OutOfMemoryTest = FormTest;

TEST_F(OutOfMemoryTest, UnobtainableArraysAreReportedAndTheDesignStays) {
    UseShortFilters();
    form->Button1->click();
    const dsp::ResponseStore storeBefore = form->Store();
    const std::string cmaxBefore = Text(form->Label21);

    // 20001 taps need 160 KB an array: more than the memory the design may have here.
    {
        const dsp::ScopedTapArrayMemoryLimit limit(std::size_t{64} * 1024);
        form->Edit1->setText("20000");
        form->Button1->click();
    }

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "メモリが足りません.");
    EXPECT_FALSE(reports[0].busyCursorShown);
    EXPECT_EQ(Text(form->Edit1), "20001");
    EXPECT_EQ(form->Store().MidDb, storeBefore.MidDb);
    EXPECT_EQ(form->Taps().CommonLength, 61);
    EXPECT_EQ(Text(form->Label21), cmaxBefore);

    reports.clear();
    form->Button1->click();  // the same texts succeed once the memory is there
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(form->Taps().CommonLength, 20001);
}

}  // namespace
}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/length_estimate.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>

#include "base/errors.h"

namespace kc::dsp {
namespace {

struct RecordedLabels : EstimateLabels {
    std::optional<std::string> cutOff;
    std::optional<std::string> taps;
    void SetCutOffCaption(const std::string& caption) override { cutOff = caption; }
    void SetIdealTapsCaption(const std::string& caption) override { taps = caption; }
};

struct EstimateCase {
    const char* name;
    const char* pass;
    const char* stop;
    const char* attenuation;
    const char* cutOff;
    const char* taps;
    int32_t rateHz = SampleRate;
};

class LengthEstimateTest : public ::testing::TestWithParam<EstimateCase> {};

TEST_P(LengthEstimateTest, WritesCutOffAndOddTapCount) {
    const EstimateCase& c = GetParam();
    RecordedLabels labels;
    RunLengthEstimate(c.pass, c.stop, c.attenuation, labels, c.rateHz);
    EXPECT_EQ(labels.cutOff, std::string("CutOff     ：") + c.cutOff + "Hz");
    EXPECT_EQ(labels.taps, std::string("Ideal Taps： ") + c.taps);
}

// M = (A − 8) / (2.285·|ωp − ωs|), ω = f/(R/2)·π with R = 44 100 unless the row says otherwise;
// taps = trunc(M + 1) made odd upwards (at 48 000 Hz M = 757.81, at 22 051 Hz 348.14).
INSTANTIATE_TEST_SUITE_P(
    Texts, LengthEstimateTest,
    ::testing::Values(EstimateCase{"Initial", "300", "900", "144", "600", "699"},
                      EstimateCase{"EdgesSwapped", "900", "300", "144", "600", "699"},
                      EstimateCase{"EvenCountGoesUpByOne", "300", "2000", "144", "1150", "247"},
                      EstimateCase{"NarrowTransition", "1000", "1100", "144", "1050", "4179"},
                      EstimateCase{"EightDecibels", "300", "900", "8", "600", "3"},
                      EstimateCase{"NegativeOrder", "300", "900", "0", "600", "-37"},
                      EstimateCase{"CutOffTruncatesUp", "300.4", "900", "144", "600", "699"},
                      EstimateCase{"CutOffTruncatesTowardZero", "-300.4", "-900", "144", "-600",
                                   "699"},
                      EstimateCase{"At48000Hz", "300", "900", "144", "600", "759", 48000},
                      EstimateCase{"AtOddRate", "300", "900", "144", "600", "351", 22051}),
    [](const auto& row) { return std::string(row.param.name); });

struct FailureCase {
    const char* name;
    const char* pass;
    const char* stop;
    const char* attenuation;
    std::function<void(const std::function<void()>&)> expectThrow;
    bool cutOffWritten;
    int32_t rateHz = SampleRate;
};

class LengthEstimateFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(LengthEstimateFailureTest, RaisesAndKeepsTheUnwrittenLabel) {
    const FailureCase& c = GetParam();
    RecordedLabels labels;
    c.expectThrow([&] { RunLengthEstimate(c.pass, c.stop, c.attenuation, labels, c.rateHz); });
    EXPECT_EQ(labels.cutOff.has_value(), c.cutOffWritten);
    EXPECT_FALSE(labels.taps.has_value());
}

template <typename E>
std::function<void(const std::function<void()>&)> Expect() {
    return [](const std::function<void()>& run) { EXPECT_THROW(run(), E); };
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LengthEstimateFailureTest,
    ::testing::Values(
        FailureCase{"NotANumber", "300", "abc", "144", Expect<base::EConvertError>(), false},
        FailureCase{"BeyondDouble", "1e400", "900", "144", Expect<base::EOverflow>(), false},
        FailureCase{"EqualEdges", "500", "500", "144", Expect<base::EZeroDivide>(), true},
        FailureCase{"EqualEdgesAtEightDecibels", "500", "500", "8", Expect<base::EInvalidOp>(),
                    true},
        FailureCase{"CountBeyondThirtyTwoBits", "1000", "1000.0001", "144",
                    Expect<base::ERangeError>(), true},
        FailureCase{"CutOffBeyondSixtyFourBits", "1e300", "1e300", "144",
                    Expect<base::EInvalidOp>(), false},
        FailureCase{"RateBelowTheRange", "300", "900", "144", Expect<base::ERangeError>(), false,
                    22049}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(LengthEstimateOverflowTest, LargestOddCountHasNoOddCountAbove) {
    // An attenuation chosen so that M + 1 truncates to 2147483647 with the edges 0 and 1 Hz:
    // the odd count above it does not fit 32 bits.
    const double transition = 1.0 / 22050.0 * M_PI;
    char attenuation[64];
    std::snprintf(attenuation, sizeof attenuation, "%.17g",
                  8.0 + 2147483646.5 * 2.285 * transition);
    RecordedLabels labels;
    EXPECT_THROW(RunLengthEstimate("0", "1", attenuation, labels), base::EIntOverflow);
    EXPECT_EQ(labels.cutOff, "CutOff     ：0Hz");
    EXPECT_FALSE(labels.taps.has_value());
}

}  // namespace
}  // namespace kc::dsp

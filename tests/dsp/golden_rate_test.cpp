// SPDX-License-Identifier: GPL-3.0-or-later
// The design and the evaluation at a rate other than the window's, against golden data that
// tests/golden/generate_golden.py wrote with --sample-rate 48000: the same formulas with 48 000 in
// place of 44 100, computed on its own in extended precision with the C library's sine and cosine.
// Taps must agree bit for bit, magnitudes within 1e-12, the CMax line to the character.
#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/evaluation.h"

namespace kc::dsp {
namespace {

// One design file: its parameters as the generator states them, then the four columns (low, mid,
// high, sum) of its taps and of its grid magnitudes.
struct GoldenAtRate {
    CrossoverParameters parameters;
    std::array<std::vector<double>, 4> taps;
    std::array<std::vector<double>, 4> magnitudes;
    std::string cmaxLine;
};

void ReadColumns(std::istream& in, std::size_t rows, std::array<std::vector<double>, 4>& columns) {
    for (std::size_t row = 0; row < rows; ++row) {
        for (auto& column : columns) {
            std::string number;
            in >> number;
            double value = 0.0;  // 17 significant digits read back as the same double
            const auto [end, error] =
                std::from_chars(number.data(), number.data() + number.size(), value);
            EXPECT_TRUE(error == std::errc() && end == number.data() + number.size()) << number;
            column.push_back(value);
        }
    }
}

GoldenAtRate ReadGoldenAtRate(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    GoldenAtRate golden;
    CrossoverParameters& p = golden.parameters;
    for (std::string text; std::getline(in, text);) {
        std::istringstream line(text);
        std::string key;
        std::size_t rows = 0;
        line >> key;
        if (key == "sample-rate") {
            line >> p.sampleRateHz;
        } else if (key == "tap-counts-typed") {
            for (int32_t* count : {&p.lowCount, &p.midCount, &p.highCount}) {
                line >> *count;
                *count = NormaliseTapCount(*count);
            }
        } else if (key == "cut-offs") {
            line >> p.lowCrossHz >> p.midCrossLowHz >> p.midCrossHighHz >> p.highCrossHz;
        } else if (key == "attenuation") {
            line >> p.attenuationDb;
        } else if (key == "adjust") {
            line >> p.adjustCoefficient;
        } else if (key == "cmax-line") {
            std::getline(line >> std::ws, golden.cmaxLine);
        } else if (key == "taps" && line >> rows) {
            ReadColumns(in, rows, golden.taps);
        } else if (key == "magnitudes" && line >> rows) {
            ReadColumns(in, rows, golden.magnitudes);
        }
    }
    return golden;
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct RateCase {
    const char* file;        // below tests/golden
    bool literalEvaluation;  // the direct sum is affordable for short designs only
};

class GoldenRateTest : public ::testing::TestWithParam<RateCase> {
  protected:
    void SetUp() override {
        golden_ = ReadGoldenAtRate(std::string(KC_GOLDEN_ROOT) + "/" + GetParam().file);
        ASSERT_EQ(golden_.parameters.sampleRateHz, 48000);
    }
    GoldenAtRate golden_;
};

TEST_P(GoldenRateTest, BothDesignsGiveTheGoldenTapsBitForBit) {
    for (const CrossoverTaps& taps :
         {DesignCrossover(golden_.parameters), DesignCrossoverLiteral(golden_.parameters)}) {
        EXPECT_EQ(taps.sampleRateHz, 48000);
        EXPECT_TRUE(SameBits(taps.LowTaps, golden_.taps[0]));
        EXPECT_TRUE(SameBits(taps.MidTaps, golden_.taps[1]));
        EXPECT_TRUE(SameBits(taps.HighTaps, golden_.taps[2]));
        EXPECT_TRUE(SameBits(taps.SumTaps, golden_.taps[3]));
    }
}

TEST_P(GoldenRateTest, EvaluationsGiveTheGoldenMagnitudes) {
    CrossoverTaps taps;
    taps.sampleRateHz = golden_.parameters.sampleRateHz;
    taps.CommonLength = static_cast<int32_t>(golden_.taps[0].size());
    taps.CommonCentre = taps.CommonLength / 2;
    taps.LowTaps = golden_.taps[0];
    taps.MidTaps = golden_.taps[1];
    taps.HighTaps = golden_.taps[2];
    taps.SumTaps = golden_.taps[3];
    std::vector<Evaluation> evaluations;
    evaluations.push_back(EvaluateResponses(taps));
    if (GetParam().literalEvaluation) {
        evaluations.push_back(EvaluateResponsesLiteral(taps));
    }
    for (const Evaluation& e : evaluations) {
        const ResponseStore& s = *e.store;
        const std::array<const Curve*, 4> curves = {&s.LowMag, &s.MidMag, &s.HighMag, &s.SumMag};
        for (std::size_t band = 0; band < 4; ++band) {
            ASSERT_EQ(golden_.magnitudes[band].size(), static_cast<std::size_t>(kGridPoints));
            for (std::size_t k = 1; k <= kGridPoints; ++k) {
                EXPECT_NEAR((*curves[band])[k], golden_.magnitudes[band][k - 1], 1e-12)
                    << "band " << band << " point " << k;
            }
        }
        EXPECT_EQ(CMaxLine(e.CMax), golden_.cmaxLine);
    }
}

// generate_golden.py --sample-rate 48000 --only NAME; its DESIGNS list says what each holds.
INSTANTIATE_TEST_SUITE_P(At48000Hz, GoldenRateTest,
                         ::testing::Values(RateCase{"48000/initial.txt", false},
                                           RateCase{"48000/middle-beta.txt", true}),
                         [](const auto& row) {
                             return row.param.literalEvaluation ? std::string("MiddleBeta")
                                                                : std::string("Initial");
                         });

}  // namespace
}  // namespace kc::dsp

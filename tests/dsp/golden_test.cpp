// SPDX-License-Identifier: GPL-3.0-or-later
// The design and the evaluation against golden data: tests/golden/generate_golden.py computed
// every tap and magnitude on its own, in extended precision with the C library's sine and cosine,
// and wrote them with 17 significant digits. Taps must agree bit for bit, magnitudes within 1e-12,
// the CMax line to the character.
#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <charconv>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "dsp/crossover.h"
#include "dsp/evaluation.h"

namespace kc::dsp {
namespace {

constexpr double kMagnitudeTolerance = 1e-12;

// One design as the generator wrote it. Band order everywhere: low, mid, high, sum.
struct GoldenDesign {
    CrossoverParameters parameters;  // the typed counts made odd
    std::array<std::vector<double>, 4> taps;
    std::array<std::vector<double>, 4> magnitudes;  // entry k − 1 for grid point k
    std::string cmaxLine;
};

double ParseDouble(const std::string& text) {
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    EXPECT_TRUE(error == std::errc() && end == text.data() + text.size()) << text;
    return value;
}

// Reads `count` lines of four numbers, one column per band.
void ReadColumns(std::istream& in, std::size_t count, std::array<std::vector<double>, 4>& bands) {
    for (std::size_t line = 0; line < count; ++line) {
        for (auto& band : bands) {
            std::string number;
            in >> number;
            band.push_back(ParseDouble(number));
        }
    }
}

void ReadSetting(std::istream& line, const std::string& key, GoldenDesign& design) {
    CrossoverParameters& p = design.parameters;
    if (key == "tap-counts-typed") {
        for (int32_t* count : {&p.lowCount, &p.midCount, &p.highCount}) {
            line >> *count;
            *count = NormaliseTapCount(*count);
        }
    } else if (key == "cut-offs") {
        line >> p.lowCrossHz >> p.midCrossLowHz >> p.midCrossHighHz >> p.highCrossHz;
    } else if (key == "attenuation") {
        std::string number;
        line >> number;
        p.attenuationDb = ParseDouble(number);
    } else if (key == "adjust") {
        line >> p.adjustCoefficient;
    } else if (key == "cmax-line") {
        std::getline(line >> std::ws, design.cmaxLine);
    }
}

GoldenDesign ReadGolden(const std::string& name) {
    std::ifstream in(std::string(KC_GOLDEN_DIR) + "/" + name + ".txt");
    EXPECT_TRUE(in) << "no golden data for " << name;
    GoldenDesign design;
    for (std::string text; std::getline(in, text);) {
        std::istringstream line(text);
        std::string key;
        line >> key;
        std::size_t count = 0;
        if (key == "taps" && line >> count) {
            ReadColumns(in, count, design.taps);
        } else if (key == "magnitudes" && line >> count) {
            ReadColumns(in, count, design.magnitudes);
        } else {
            ReadSetting(line, key, design);
        }
    }
    EXPECT_EQ(design.magnitudes[0].size(), static_cast<std::size_t>(kGridPoints)) << name;
    return design;
}

// Index of the first tap whose bit pattern differs (−0.0 differs from +0.0), or −1.
long FirstBitDifference(const std::vector<double>& taps, const std::vector<double>& golden) {
    if (taps.size() != golden.size()) {
        return 0;
    }
    for (std::size_t i = 0; i < taps.size(); ++i) {
        if (std::bit_cast<std::uint64_t>(taps[i]) != std::bit_cast<std::uint64_t>(golden[i])) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

std::array<const std::vector<double>*, 4> Bands(const CrossoverTaps& t) {
    return {&t.LowTaps, &t.MidTaps, &t.HighTaps, &t.SumTaps};
}

std::array<const Curve*, 4> Bands(const ResponseStore& s) {
    return {&s.LowMag, &s.MidMag, &s.HighMag, &s.SumMag};
}

constexpr const char* kBandNames[] = {"low", "mid", "high", "sum"};

void ExpectGoldenTaps(const CrossoverTaps& taps, const GoldenDesign& golden) {
    const auto bands = Bands(taps);
    for (std::size_t b = 0; b < 4; ++b) {
        const long i = FirstBitDifference(*bands[b], golden.taps[b]);
        EXPECT_EQ(i, -1) << kBandNames[b] << " tap " << i << ": "
                         << (i >= 0 && static_cast<std::size_t>(i) < bands[b]->size()
                                 ? (*bands[b])[static_cast<std::size_t>(i)]
                                 : 0.0);
    }
}

void ExpectGoldenMagnitudes(const Evaluation& evaluation, const GoldenDesign& golden) {
    const auto curves = Bands(*evaluation.store);
    for (std::size_t b = 0; b < 4; ++b) {
        for (std::size_t k = 1; k <= kGridPoints; ++k) {
            EXPECT_NEAR((*curves[b])[k], golden.magnitudes[b][k - 1], kMagnitudeTolerance)
                << kBandNames[b] << " at point " << k;
        }
    }
    EXPECT_EQ(CMaxLine(evaluation.CMax), golden.cmaxLine);
}

// The golden taps as a design, so that the evaluation is checked apart from the design.
CrossoverTaps GoldenTaps(const GoldenDesign& golden) {
    CrossoverTaps t;
    t.CommonLength = static_cast<int32_t>(golden.taps[0].size());
    t.CommonCentre = t.CommonLength / 2;
    t.LowTaps = golden.taps[0];
    t.MidTaps = golden.taps[1];
    t.HighTaps = golden.taps[2];
    t.SumTaps = golden.taps[3];
    return t;
}

struct GoldenCase {
    const char* name;
    bool literalEvaluation;  // the direct sum costs about 1.4 ms per tap: short designs only
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
    *os << c.name;
}

class GoldenDesignTest : public ::testing::TestWithParam<GoldenCase> {
  protected:
    void SetUp() override { golden_ = ReadGolden(GetParam().name); }
    GoldenDesign golden_;
};

TEST_P(GoldenDesignTest, BothDesignsGiveTheGoldenTapsBitForBit) {
    const CrossoverTaps fast = DesignCrossover(golden_.parameters);
    EXPECT_EQ(static_cast<std::size_t>(fast.CommonLength), golden_.taps[0].size());
    ExpectGoldenTaps(fast, golden_);
    ExpectGoldenTaps(DesignCrossoverLiteral(golden_.parameters), golden_);
}

TEST_P(GoldenDesignTest, EvaluationGivesTheGoldenMagnitudesAndCMaxLine) {
    const CrossoverTaps taps = GoldenTaps(golden_);
    ExpectGoldenMagnitudes(EvaluateResponses(taps), golden_);
    if (GetParam().literalEvaluation) {
        ExpectGoldenMagnitudes(EvaluateResponsesLiteral(taps), golden_);
    }
}

// The files of tests/golden/44100, written by generate_golden.py; its DESIGNS list says what each
// holds. "deep-stop-band" is the 444.9 dB design whose transform once gave exact zeros.
INSTANTIATE_TEST_SUITE_P(
    Designs, GoldenDesignTest,
    ::testing::Values(GoldenCase{"initial", false}, GoldenCase{"initial-adjusted", false},
                      GoldenCase{"middle-beta", true}, GoldenCase{"rectangular-even-counts", true},
                      GoldenCase{"long", false}, GoldenCase{"reversed-edges", true},
                      GoldenCase{"deep-stop-band", false}),
    [](const auto& row) {
        std::string name = row.param.name;
        std::erase(name, '-');
        return name;
    });

}  // namespace
}  // namespace kc::dsp

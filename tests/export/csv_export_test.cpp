// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/csv_export.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "support/csv_rows.h"

namespace kc::exporting {
namespace {

using testing_support::Cells;
using testing_support::Lines;

TEST(CsvExportTest, SeventeenDigitsGiveBackTheSameDouble) {
    for (double value : {0.1, -8.5247e-10, 1.0 / 3.0, 0.0, 1e-300, 0.013600816248}) {
        const std::string text = FormatSignificant17(value);
        EXPECT_EQ(std::strtod(text.c_str(), nullptr), value) << text;
    }
    EXPECT_EQ(FormatSignificant17(0.5), "0.5");
}

TEST(CsvExportTest, TapsHaveOneRowPerTap) {
    dsp::CrossoverTaps taps;
    taps.CommonLength = 3;
    taps.LowTaps = {0.25, 0.5, 0.25};
    taps.MidTaps = {-0.125, 0.0, -0.125};
    taps.HighTaps = {1e-20, 0.5, 1e-20};
    taps.SumTaps = {0.125, 1.0, 0.125};
    const auto lines = Lines(TapsCsv(taps));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "index,low,mid,high,sum");
    EXPECT_EQ(lines[1], "0,0.25,-0.125,9.9999999999999995e-21,0.125");
    EXPECT_EQ(lines[2], "1,0.5,0,0.5,1");
}

TEST(CsvExportTest, ResponseHasEveryGridPointAndDecibelLevels) {
    dsp::ResponseStore store;
    store.LowMag.fill(0.1);
    store.MidMag.fill(1.0);
    store.HighMag.fill(0.0);
    store.SumMag.fill(0.001);
    const auto lines = Lines(ResponseCsv(store));
    ASSERT_EQ(lines.size(), 951u);
    EXPECT_EQ(lines[0],
              "k,frequency_hz,low_mag,mid_mag,high_mag,sum_mag,low_db,mid_db,high_db,sum_db");
    const auto first = Cells(lines[1]);
    ASSERT_EQ(first.size(), 10u);
    EXPECT_EQ(first[0], "1");
    EXPECT_EQ(first[1], "2");
    EXPECT_EQ(std::strtod(first[6].c_str(), nullptr), -20.0);
    EXPECT_EQ(first[7], "0");
    EXPECT_EQ(first[8], "-inf");
    EXPECT_NEAR(std::strtod(first[9].c_str(), nullptr), -60.0, 1e-12);
    EXPECT_EQ(Cells(lines[950])[1], "10000");
    EXPECT_EQ(Cells(lines[501])[1], "1020");
}

}  // namespace
}  // namespace kc::exporting

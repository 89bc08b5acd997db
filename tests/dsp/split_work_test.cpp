// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/split_work.h"

#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <string>
#include <vector>

namespace kc::dsp {
namespace {

TEST(RunInTwoHalvesTest, VisitsEveryIndexOnce) {
    for (std::size_t count : {0u, 1u, 2u, 7u, 1000u}) {
        for (std::size_t minToSplit : {1u, 10000u}) {
            std::vector<std::atomic<int>> visits(count);
            RunInTwoHalves(count, minToSplit, [&](std::size_t begin, std::size_t end) {
                for (std::size_t i = begin; i < end; ++i) {
                    ++visits[i];
                }
            });
            for (std::size_t i = 0; i < count; ++i) {
                EXPECT_EQ(visits[i].load(), 1) << count << " " << minToSplit << " " << i;
            }
        }
    }
}

// The error that a single pass from index 0 would have met first: the first half's, when both
// halves fail.
TEST(RunInTwoHalvesTest, RaisesTheFirstHalfsErrorFirst) {
    // Fails at index 130, and at index 30 too when both halves are to fail.
    const auto failingWork = [](bool bothHalves) {
        return [bothHalves](std::size_t begin, std::size_t end) {
            for (std::size_t i = begin; i < end; ++i) {
                if (i == 130 || (bothHalves && i == 30)) {
                    throw std::runtime_error(std::to_string(i));
                }
            }
        };
    };
    for (std::size_t minToSplit : {1u, 10000u}) {
        try {
            RunInTwoHalves(200, minToSplit, failingWork(true));
            ADD_FAILURE() << "nothing raised";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "30");
        }
        try {
            RunInTwoHalves(200, minToSplit, failingWork(false));
            ADD_FAILURE() << "nothing raised";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(e.what(), "130");
        }
    }
}

}  // namespace
}  // namespace kc::dsp

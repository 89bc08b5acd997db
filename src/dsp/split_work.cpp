// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/split_work.h"

#include <exception>
#include <system_error>
#include <thread>

#include "base/float_checks.h"

namespace kc::dsp {

void RunInTwoHalves(std::size_t count, std::size_t minCountToSplit,
                    const std::function<void(std::size_t begin, std::size_t end)>& work) {
    if (count < minCountToSplit || count < 2) {
        work(0, count);
        return;
    }
    const std::size_t half = count / 2;
    std::exception_ptr secondError;
    std::thread second;
    try {
        second = std::thread([&] {
            // The extended-precision mode belongs to each thread: set it as start-up does.
            base::SetFloatingPointMode();
            try {
                work(half, count);
            } catch (...) {
                secondError = std::current_exception();
            }
        });
    } catch (const std::system_error&) {
        // No thread to be had: the caller does both halves.
        work(0, count);
        return;
    }
    std::exception_ptr firstError;
    try {
        work(0, half);
    } catch (...) {
        firstError = std::current_exception();
    }
    second.join();
    if (firstError) {
        std::rethrow_exception(firstError);
    }
    if (secondError) {
        std::rethrow_exception(secondError);
    }
}

}  // namespace kc::dsp

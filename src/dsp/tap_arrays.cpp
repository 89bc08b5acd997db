// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/tap_arrays.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstddef>
#include <fstream>
#include <new>
#include <string>

#include "base/errors.h"
#include "dsp/bands.h"
#include "dsp/crossover.h"
#include "dsp/kaiser.h"

namespace kc::dsp {
namespace {

// 8 bytes a tap must fit a signed 32-bit byte count: 2^28 taps no longer do.
constexpr int32_t kMaxArrayLength = (1 << 28) - 1;

void CheckArrayLength(int32_t length) {
    if (length < 0 || length > kMaxArrayLength) {
        base::RaiseRangeError();
    }
}

// Read by the design's threads while a test may set it: atomic.
std::atomic<std::size_t>& TapArrayMemoryLimit() {
    static std::atomic<std::size_t> limit{0};
    return limit;
}

// The memory the machine can give without swapping, in bytes: MemAvailable of /proc/meminfo, or
// the physical memory where that cannot be read.
std::size_t AvailableMemoryBytes() {
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    std::size_t kibibytes = 0;
    while (meminfo >> key >> kibibytes) {
        if (key == "MemAvailable:") {
            return kibibytes * 1024;
        }
        meminfo.ignore(64, '\n');
    }
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageBytes = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageBytes > 0
               ? static_cast<std::size_t>(pages) * static_cast<std::size_t>(pageBytes)
               : 0;
}

// A calculation and the windows that show it hold sixteen arrays of the common length at once:
// the four tap arrays, the evaluation's two transform arrays (real and half-complex), the window's
// copy of the four, the time response's four step series and two for the band being prepared.
// An array beyond a sixteenth of the available memory therefore counts as memory that cannot be
// obtained: the system would otherwise grant it on paper and end the process when the pages are
// touched, instead of the calculation reporting EOutOfMemory.
constexpr std::size_t kArraysHeldAtOnce = 16;

std::size_t EffectiveLimitBytes() {
    const std::size_t cap = TapArrayMemoryLimit().load();
    return cap != 0 ? cap : AvailableMemoryBytes() / kArraysHeldAtOnce;
}

}  // namespace

std::vector<double> AllocateTaps(int32_t length) {
    CheckArrayLength(length);
    const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(double);
    const std::size_t limit = EffectiveLimitBytes();
    if (limit != 0 && bytes > limit) {
        base::RaiseOutOfMemory();
    }
    try {
        return std::vector<double>(static_cast<std::size_t>(length), 0.0);
    } catch (const std::bad_alloc&) {
        base::RaiseOutOfMemory();
    }
}

std::size_t CalculationMemoryBytes(int32_t lowCount, int32_t midCount, int32_t highCount) {
    const auto length = static_cast<std::size_t>(std::max(Max3(lowCount, midCount, highCount), 0));
    return kArraysHeldAtOnce * length * sizeof(double);
}

void CheckCalculationMemory(int32_t lowCount, int32_t midCount, int32_t highCount) {
    const std::size_t cap = TapArrayMemoryLimit().load();
    const std::size_t available = cap != 0 ? cap * kArraysHeldAtOnce : AvailableMemoryBytes();
    if (available != 0 && CalculationMemoryBytes(lowCount, midCount, highCount) > available) {
        base::RaiseOutOfMemory();
    }
}

ScopedTapArrayMemoryLimit::ScopedTapArrayMemoryLimit(std::size_t bytes)
    : previousBytes_(TapArrayMemoryLimit().exchange(bytes)) {}

ScopedTapArrayMemoryLimit::~ScopedTapArrayMemoryLimit() {
    TapArrayMemoryLimit().store(previousBytes_);
}

// A common length too long is the longest band's error; a negative count its own band's.
void CheckTapArraySizes(int32_t lowCount, int32_t midCount, int32_t highCount) {
    const std::array<int32_t, 3> counts = {lowCount, midCount, highCount};
    const auto longest =
        static_cast<std::size_t>(std::max_element(counts.begin(), counts.end()) - counts.begin());
    base::RunMarkingWhere(kCurveNames[longest].place,
                          [&] { CheckArrayLength(Max3(lowCount, midCount, highCount)); });
    for (std::size_t band = 0; band < counts.size(); ++band) {
        base::RunMarkingWhere(kCurveNames[band].place, [&] { CheckArrayLength(counts[band]); });
    }
}

}  // namespace kc::dsp

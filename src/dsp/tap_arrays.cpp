#include "dsp/tap_arrays.h"

#include <atomic>
#include <cstddef>
#include <new>

#include "base/errors.h"
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

}  // namespace

std::vector<double> AllocateTaps(int32_t length) {
    CheckArrayLength(length);
    const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(double);
    const std::size_t limit = TapArrayMemoryLimit().load();
    if (limit != 0 && bytes > limit) {
        base::RaiseOutOfMemory();
    }
    try {
        return std::vector<double>(static_cast<std::size_t>(length), 0.0);
    } catch (const std::bad_alloc&) {
        base::RaiseOutOfMemory();
    }
}

ScopedTapArrayMemoryLimit::ScopedTapArrayMemoryLimit(std::size_t bytes)
    : previousBytes_(TapArrayMemoryLimit().exchange(bytes)) {}

ScopedTapArrayMemoryLimit::~ScopedTapArrayMemoryLimit() {
    TapArrayMemoryLimit().store(previousBytes_);
}

void CheckTapArraySizes(int32_t lowCount, int32_t midCount, int32_t highCount) {
    CheckArrayLength(Max3(lowCount, midCount, highCount));
    CheckArrayLength(lowCount);
    CheckArrayLength(midCount);
    CheckArrayLength(highCount);
}

}  // namespace kc::dsp

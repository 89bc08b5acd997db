// The tap arrays of a design: their size limits and their allocation, where memory that cannot be
// obtained becomes EOutOfMemory. Used by the reference and the fast design alike.
#pragma once

#include <cstdint>
#include <vector>

namespace kc::dsp {

// A zeroed array of `length` taps. Raises ERangeError for a negative length or one of 2^28 or
// more (its bytes would not fit a signed 32-bit count), EOutOfMemory when the memory cannot be
// obtained or lies beyond the cap of SetTapArrayMemoryLimit.
std::vector<double> AllocateTaps(int32_t length);

}  // namespace kc::dsp

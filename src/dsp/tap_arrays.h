// SPDX-License-Identifier: GPL-3.0-or-later
// The tap arrays of a design: their size limits and their allocation, where memory that cannot be
// obtained becomes EOutOfMemory. Used by the reference and the fast design alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kc::dsp {

// A zeroed array of `length` taps. Raises ERangeError for a negative length or one of 2^28 or
// more (its bytes would not fit a signed 32-bit count), EOutOfMemory when the memory cannot be
// obtained: beyond the cap that a ScopedTapArrayMemoryLimit sets, or without one, beyond a
// sixteenth of the memory the machine has available now.
std::vector<double> AllocateTaps(int32_t length);

// The bytes a calculation of these (odd, non-negative) counts holds at once together with the
// windows that show it: every array of the common length it makes, as AllocateTaps counts them
// (kArraysHeldAtOnce in tap_arrays.cpp names them).
std::size_t CalculationMemoryBytes(int32_t lowCount, int32_t midCount, int32_t highCount);

// Raises EOutOfMemory before anything is allocated when CalculationMemoryBytes exceeds the memory
// the machine has available now (or the cap of a ScopedTapArrayMemoryLimit for each of those
// arrays), so that a calculation too large for the machine is refused whole instead of failing
// at one of its later arrays, or being ended by the system when its pages are touched.
void CheckCalculationMemory(int32_t lowCount, int32_t midCount, int32_t highCount);

// Caps the memory of any one tap array of a design while it lives, in bytes (0: only the
// machine's limit, as without a cap), and puts the cap before it back when it goes. An array
// beyond the cap counts as memory that cannot be obtained and raises EOutOfMemory, so that a test
// reproduces an exhausted machine without exhausting one, and a test that fails halfway leaves no
// cap behind. The cap holds for the whole process, the design's threads included.
class ScopedTapArrayMemoryLimit {
  public:
    explicit ScopedTapArrayMemoryLimit(std::size_t bytes);
    ~ScopedTapArrayMemoryLimit();
    ScopedTapArrayMemoryLimit(const ScopedTapArrayMemoryLimit&) = delete;
    ScopedTapArrayMemoryLimit& operator=(const ScopedTapArrayMemoryLimit&) = delete;

  private:
    std::size_t previousBytes_;
};

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
// The one lock of FFTW's planner for the whole program: planning and destroying plans are not
// thread-safe in FFTW, executing a plan is.
#pragma once

#include <mutex>

namespace kc::dsp {

// Held while a plan is made or destroyed, by every library that uses FFTW. Recursive, so that a
// plan may be destroyed while it is held.
std::recursive_mutex& FftwPlannerMutex();

}  // namespace kc::dsp

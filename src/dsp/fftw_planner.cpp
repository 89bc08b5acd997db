// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/fftw_planner.h"

namespace kc::dsp {

std::recursive_mutex& FftwPlannerMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
// A named row of design parameters for the table-driven tests of the fast paths, and the error a
// call raises, for comparing two paths' errors.
#pragma once

#include <ostream>

#include "dsp/crossover.h"
#include "support/raised_error.h"

namespace kc::dsp {

struct DesignCase {
    const char* name;
    int32_t low, mid, high;
    double lowHz, midLowHz, midHighHz, highHz;
    double attenuationDb;
    bool adjust;
    int32_t rateHz = SampleRate;

    CrossoverParameters Parameters() const {
        CrossoverParameters p;
        p.lowCount = low;
        p.midCount = mid;
        p.highCount = high;
        p.lowCrossHz = lowHz;
        p.midCrossLowHz = midLowHz;
        p.midCrossHighHz = midHighHz;
        p.highCrossHz = highHz;
        p.attenuationDb = attenuationDb;
        p.adjustCoefficient = adjust;
        p.sampleRateHz = rateHz;
        return p;
    }
};

inline void PrintTo(const DesignCase& c, std::ostream* os) {
    *os << c.name;
}

using testing_support::RaisedError;
using testing_support::RaisedWhere;

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
// The design of the window's initial texts, with and without the adjust-coefficient box, each
// computed once per test program.
#pragma once

#include "dsp/crossover.h"

namespace kc::testing_support {

inline const dsp::CrossoverTaps& InitialDesign() {
    static const dsp::CrossoverTaps taps = dsp::DesignCrossover(dsp::CrossoverParameters{});
    return taps;
}

inline const dsp::CrossoverTaps& AdjustedInitialDesign() {
    static const dsp::CrossoverTaps taps = [] {
        dsp::CrossoverParameters p;
        p.adjustCoefficient = true;
        return dsp::DesignCrossover(p);
    }();
    return taps;
}

}  // namespace kc::testing_support

// SPDX-License-Identifier: GPL-3.0-or-later
// Evaluation of the crossover's magnitude responses on the 950-point frequency grid.
#pragma once

#include <memory>
#include <string>

#include "dsp/crossover.h"
#include "dsp/response_store.h"

namespace kc::dsp {

// A complete evaluation: a fresh store with all eight curves and CMax, the largest magnitude of
// the three band filters over the grid.
struct Evaluation {
    std::unique_ptr<ResponseStore> store;
    double CMax = 0.0;
};

// Evaluates the four tap arrays at every grid point by the direct sum at the taps' rate, each array
// in its own pass with its own sines and cosines, and fills a fresh store. ERangeError for a rate
// outside kMinSampleRateHz ... kMaxSampleRateHz. A band whose magnitude is exactly 0 at
// a point has no level there and raises EZeroDivide; nothing is returned then.
Evaluation EvaluateResponsesLiteral(const CrossoverTaps& taps);

// The evaluation the program uses: the store of EvaluateResponsesLiteral to within rounding (the
// magnitudes within about 1e-14 of it for filters of a few thousand taps), with the levels
// computed from the magnitudes in the same way, at any rate and length in a few milliseconds: each
// array's response at all 950 points comes from one FFT of the taps folded to the rate's period
// (GridTransform), whose cost grows with the rate, not with the taps. A magnitude that the FFT
// gives as exactly 0 (possible only deep in a stop band, some 300 dB down) is taken from the direct
// sum instead, so that it is never a false 0 and raises EZeroDivide only where the direct sum does;
// such a point costs what it costs the direct sum.
Evaluation EvaluateResponses(const CrossoverTaps& taps);

// The largest of LowMag, MidMag and HighMag over points 1 ... 950 (0.0 when all are 0).
double FindCMax(const ResponseStore& store);

// "振幅係数の最大値：CMax = " followed by CMax in the format "%5.6f".
std::string CMaxLine(double cmax);

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
// The tap formulas of the three bands, shared by the reference and the fast design: a band's tap
// at offset k from its centre from its Kaiser window value w, and for the fast design the taps at
// −k and +k at once. Each is evaluated in extended precision in the order written; the caller
// rounds it to double once.
#pragma once

#include "dsp/crossover.h"

namespace kc::dsp {

// One band's tap at offset k from its centre, given its window value w.
using TapFormula = long double (*)(long double w, long double k, const CrossoverParameters& p);

// Ideal low-pass of cut-off LowCross: sin(2π·k·fc/fs) / (π·k).
long double LowPassTap(long double w, long double k, const CrossoverParameters& p);

// Difference of the ideal low-passes at MidCrossHigh and MidCrossLow, as one product of a cosine
// (the band's centre) and a sine (its half width).
long double BandPassTap(long double w, long double k, const CrossoverParameters& p);

// The ideal low-pass of cut-off fs/2 − HighCross mirrored to the top of the spectrum by (−1)^k.
long double HighPassTap(long double w, long double k, const CrossoverParameters& p);

// The taps at offsets −k and +k (k > 0) of one band, from their own window values wLeft and
// wRight: the same bits as the band's TapFormula at −k and at +k, with each sine and cosine taken
// once for both.
struct TapPair {
    long double left;   // offset −k
    long double right;  // offset +k
};
using PairFormula = TapPair (*)(long double wLeft, long double wRight, long double k,
                                const CrossoverParameters& p);

TapPair LowPassPair(long double wLeft, long double wRight, long double k,
                    const CrossoverParameters& p);
TapPair BandPassPair(long double wLeft, long double wRight, long double k,
                     const CrossoverParameters& p);
TapPair HighPassPair(long double wLeft, long double wRight, long double k,
                     const CrossoverParameters& p);

}  // namespace kc::dsp

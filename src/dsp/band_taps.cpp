// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/band_taps.h"

#include <cmath>

#include "base/math_constants.h"

namespace kc::dsp {
namespace {

using base::kPi;
using base::kTwoPi;

// The design's rate as the formulas divide by it: a whole number, exact in extended precision.
long double Rate(const CrossoverParameters& p) {
    return static_cast<long double>(p.sampleRateHz);
}

}  // namespace

// Ideal low-pass of cut-off LowCross: sin(2π·k·fc/fs) / (π·k).
long double LowPassTap(long double w, long double k, const CrossoverParameters& p) {
    if (k == 0.0L) {
        return w * 2.0L * p.lowCrossHz / Rate(p);
    }
    return w * std::sin(k * kTwoPi * p.lowCrossHz / Rate(p)) / (kPi * k);
}

// Difference of the ideal low-passes at MidCrossHigh and MidCrossLow, as one product of a cosine
// (the band's centre) and a sine (its half width).
long double BandPassTap(long double w, long double k, const CrossoverParameters& p) {
    const long double high = p.midCrossHighHz;
    const long double low = p.midCrossLowHz;
    if (k == 0.0L) {
        return w * 2.0L * (high - low) / Rate(p);
    }
    return (2.0L * w / (kPi * k)) * std::cos(kPi * k * (high + low) / Rate(p)) *
           std::sin(kPi * k * (high - low) / Rate(p));
}

// The ideal low-pass of cut-off fs/2 − HighCross mirrored to the top of the spectrum by (−1)^k.
long double HighPassTap(long double w, long double k, const CrossoverParameters& p) {
    const long double passFraction = 1.0L - 2.0L * p.highCrossHz / Rate(p);
    if (k == 0.0L) {
        return w * passFraction;
    }
    const long double sign = std::fmod(k, 2.0L) == 0.0L ? 1.0L : -1.0L;
    return sign * w * std::sin(kPi * k * passFraction) / (kPi * k);
}

// The pair formulas: under k → −k every product and quotient with k in the formulas above only
// changes sign, exactly; std::sin of an extended argument is exactly odd and std::cos exactly even
// (the library reduces |x| and puts the sign back), and the signs cancel in pairs. So each sine and
// cosine is taken once for both taps, and each tap is still w times the other factors in the same
// order: the same bits as the formula above at −k and at +k.
TapPair LowPassPair(long double wLeft, long double wRight, long double k,
                    const CrossoverParameters& p) {
    const long double sine = std::sin(k * kTwoPi * p.lowCrossHz / Rate(p));
    const long double denominator = kPi * k;
    return {wLeft * sine / denominator, wRight * sine / denominator};
}

TapPair BandPassPair(long double wLeft, long double wRight, long double k,
                     const CrossoverParameters& p) {
    const long double high = p.midCrossHighHz;
    const long double low = p.midCrossLowHz;
    const long double cosine = std::cos(kPi * k * (high + low) / Rate(p));
    const long double sine = std::sin(kPi * k * (high - low) / Rate(p));
    const long double denominator = kPi * k;
    return {(2.0L * wLeft / denominator) * cosine * sine,
            (2.0L * wRight / denominator) * cosine * sine};
}

TapPair HighPassPair(long double wLeft, long double wRight, long double k,
                     const CrossoverParameters& p) {
    const long double passFraction = 1.0L - 2.0L * p.highCrossHz / Rate(p);
    const long double sign = std::fmod(k, 2.0L) == 0.0L ? 1.0L : -1.0L;
    const long double sine = std::sin(kPi * k * passFraction);
    const long double denominator = kPi * k;
    return {sign * wLeft * sine / denominator, sign * wRight * sine / denominator};
}

}  // namespace kc::dsp

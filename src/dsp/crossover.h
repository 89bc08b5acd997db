// SPDX-License-Identifier: GPL-3.0-or-later
// The design of the three crossover filters: a low-pass, a band-pass and a high-pass, each a
// Kaiser-windowed ideal filter, centred in arrays of one common length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "dsp/response_store.h"

namespace kc::dsp {

// The numbers of one design, already converted from the window's fields.
struct CrossoverParameters {
    // The initial design: the window's initial texts (initial_texts.h) converted as the
    // calculation converts its fields, the adjust-coefficient box cleared.
    CrossoverParameters();

    int32_t lowCount;       // taps of the low-pass (odd after normalisation)
    int32_t midCount;       // taps of the band-pass
    int32_t highCount;      // taps of the high-pass
    double lowCrossHz;      // LowCross: cut-off of the low-pass
    double midCrossLowHz;   // MidCrossLow: lower edge of the band-pass
    double midCrossHighHz;  // MidCrossHigh: upper edge of the band-pass
    double highCrossHz;     // HighCross: cut-off of the high-pass
    double attenuationDb;   // stop-band attenuation, gives β through KaiserBeta
    // Ties the outer cut-offs to the band-pass edges and corrects the mid band so that the three
    // bands add up to a unit impulse at CommonCentre (a pure delay).
    bool adjustCoefficient = false;
    // The sampling frequency the taps are designed for, whole Hz in kMinSampleRateHz ...
    // kMaxSampleRateHz (response_store.h); it stands wherever the tap formulas divide by the rate.
    int32_t sampleRateHz = SampleRate;
};

// The taps of one design. Every array has CommonLength entries; each band's centre tap sits at
// CommonCentre and the band is padded with zeros on both sides.
struct CrossoverTaps {
    int32_t sampleRateHz = SampleRate;  // the rate the taps were designed for, Hz
    int32_t CommonLength = 0;
    int32_t CommonCentre = 0;
    std::vector<double> LowTaps;
    std::vector<double> MidTaps;
    std::vector<double> HighTaps;
    std::vector<double> SumTaps;  // LowTaps + MidTaps + HighTaps, tap by tap
};

// A tap count made odd: 2·(v div 2) + 1 with truncating division (900 → 901, 0 and ±1 → 1,
// −2 → −1, −5 → −3).
int32_t NormaliseTapCount(int32_t v);

// Raises the errors that sizing the arrays for these counts raises, before any work is done:
// ERangeError for a negative count or a common length of 2^28 or more.
void CheckTapArraySizes(int32_t lowCount, int32_t midCount, int32_t highCount);

// Raises ERangeError for a rate outside kMinSampleRateHz ... kMaxSampleRateHz.
void CheckSampleRate(int64_t sampleRateHz);

// A normalised (odd) count designed for `fromRateHz`, scaled to `toRateHz` so that the filter
// keeps its length in time, its transition widths and its latency: the centre c = count div 2
// becomes c′ = c · toRate / fromRate rounded to the nearest whole number (halves up), never below
// 1, and the count 2·c′ + 1, so that every rate's latency is the first rate's within half a sample
// (901 taps at 44 100 Hz give 981 at 48 000 Hz, 1801 at 88 200 Hz and 3919 at 192 000 Hz; 3 taps
// stay 3 at any rate). At the same rate, and for a count below 3, the count stays as it is, so that
// the design reports what it reports at the first rate. ERangeError when the scaled count lies
// beyond the 32-bit range.
int32_t ScaledTapCount(int32_t count, int32_t fromRateHz, int32_t toRateHz);

// The same design at `toRateHz`: the cut-offs, attenuation and adjustment of `parameters`, its
// three counts scaled from its own rate with ScaledTapCount (an error names its band).
CrossoverParameters AtSampleRate(const CrossoverParameters& parameters, int32_t toRateHz);

// Designs the three bands for normalised (odd) counts. Raises ERangeError for an unsupported rate,
// for negative counts or a common length of 2^28 or more, EOutOfMemory when the arrays cannot be
// allocated, and EInvalidOp for a one-tap band (its window divides 0 by 0); an error of one band
// names it (kCurveNames in bands.h; the longest band for a common length too long). Each window
// value is computed afresh with KaiserWindow, one tap after the other; this is the reference
// design.
CrossoverTaps DesignCrossoverLiteral(const CrossoverParameters& parameters);

// The design the program uses: bit for bit the taps of DesignCrossoverLiteral, with the same
// errors, but each band's window prepared once (PreparedKaiserWindow), long designs spread over
// two cores, and no work arrays beyond the four results.
CrossoverTaps DesignCrossover(const CrossoverParameters& parameters);

}  // namespace kc::dsp

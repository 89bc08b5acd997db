// SPDX-License-Identifier: GPL-3.0-or-later
// The Kaiser window functions. Intermediates are extended precision (long double); each result
// is rounded to double once, where it is returned.
#pragma once

#include <cstdint>

namespace kc::dsp {

// n! as a double, each partial product rounded to double; 1.0 for n <= 0.
double Factorial(int32_t n);

// The zeroth-order modified Bessel function I0(x) as exactly 30 series terms beyond the constant
// 1, which is added last. Exact to double precision for |x| up to about 15; at x = 30 it falls
// short by about 2e-7 of its value (that truncated value is the one the design uses).
double BesselI0(double x);

// Kaiser's shape parameter β for a stop-band attenuation in dB: (A − 8.7)·0.1102 above 50 dB,
// 0.5842·(A − 21)^0.4 + 0.07886·(A − 21) from 21 to 50 dB, 0 below 21 dB.
double KaiserBeta(double attenuationDb);

// The Kaiser window I0(β·√(1 − (2n/M − 1)²)) / I0(β) at tap position n of a window of M + 1
// taps (M = number of taps less one). M = 0 raises EInvalidOp (0/0).
double KaiserWindow(int32_t M, double n, double beta);

// The Kaiser window of one filter of M + 1 taps and shape β, prepared once so that each tap costs
// at most one Bessel series: the denominator I0(β) is computed here, and the series takes its
// factorials from a table and builds each power of x/2 from the powers before it. Every value is
// bit for bit KaiserWindow(M, n, β); the arithmetic is the same, operation for operation.
class PreparedKaiserWindow {
  public:
    // Raises what KaiserWindow raises at the first tap: EInvalidOp for M = 0 (0/0), EOverflow when
    // I0(β) exceeds the double range.
    PreparedKaiserWindow(int32_t M, double beta);

    // The window value at tap position n (0 <= n <= M).
    double At(int32_t n) const;

    // Number of mirrored pairs (n, M − n) with n <= M − n: M/2 + 1.
    int32_t PairCount() const { return M_ / 2 + 1; }

    // Writes values[n] and values[M − n] for n = firstPair ... endPair − 1. The window value
    // depends on the tap only through the Bessel argument u = β·√(1 − (1 − 2n/M)²) rounded to
    // double, and u is mostly the same at n and M − n: the series is then computed once.
    void FillPairs(int32_t firstPair, int32_t endPair, double* values) const;

  private:
    double BesselArgument(int32_t n) const;
    double ValueAtArgument(double u) const;

    int32_t M_;
    double beta_;
    double denominator_;  // BesselI0(β)
};

// BesselI0(x), bit for bit, with the factorials from a table and the 30 powers of x/2 built by the
// same square-and-multiply steps, shared between the terms instead of repeated for each.
double FastBesselI0(double x);

// The largest of three integers.
int32_t Max3(int32_t a, int32_t b, int32_t c);

}  // namespace kc::dsp

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

// The largest of three integers.
int32_t Max3(int32_t a, int32_t b, int32_t c);

}  // namespace kc::dsp

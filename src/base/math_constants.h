// SPDX-License-Identifier: GPL-3.0-or-later
// Constants of the extended-precision arithmetic.
#pragma once

namespace kc::base {

// π to extended precision: the value of a 64-bit mantissa nearest to it.
inline constexpr long double kPi = 3.1415926535897932385L;

// 2π, exact as twice kPi (doubling only changes the exponent).
inline constexpr long double kTwoPi = 2.0L * kPi;

}  // namespace kc::base

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/kaiser.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstddef>

#include "base/errors.h"
#include "base/float_checks.h"

namespace kc::dsp {
namespace {

using base::StoreDouble;

constexpr int kBesselTerms = 30;

// base^exponent by square-and-multiply starting from 1, in extended precision. The order of the
// multiplications is fixed so that the result is the same bit pattern on every run.
long double IntegerPower(long double base, int exponent) {
    long double result = 1.0L;
    long double square = base;
    int remaining = exponent;
    while (remaining > 0) {
        while (remaining % 2 == 0) {
            remaining /= 2;
            square *= square;
        }
        --remaining;
        result *= square;
    }
    return result;
}

// Factorial(k) for k = 0 ... 30, the divisors of the Bessel series, as the extended values the
// series divides by.
const std::array<long double, kBesselTerms + 1>& FactorialTable() {
    static const std::array<long double, kBesselTerms + 1> table = [] {
        std::array<long double, kBesselTerms + 1> values{};
        for (int k = 0; k <= kBesselTerms; ++k) {
            values[static_cast<std::size_t>(k)] = Factorial(k);
        }
        return values;
    }();
    return table;
}

}  // namespace

double Factorial(int32_t n) {
    double value = 1.0;
    for (int32_t i = 1; i <= n; ++i) {
        value = StoreDouble(static_cast<long double>(value) * static_cast<long double>(i));
    }
    return value;
}

double BesselI0(double x) {
    // The series sum (x/2)^2k / (k!)^2 for k = 1 ... 30, accumulated in a double; the constant
    // term is added last so that small terms are not lost against it.
    double sum = 0.0;
    for (int k = 1; k <= kBesselTerms; ++k) {
        const long double half = static_cast<long double>(x) / 2.0L;
        const long double power = IntegerPower(half, k);
        const long double term = power / static_cast<long double>(Factorial(k));
        sum = StoreDouble(static_cast<long double>(sum) + term * term);
    }
    return StoreDouble(1.0L + static_cast<long double>(sum));
}

double KaiserBeta(double attenuationDb) {
    const long double a = attenuationDb;
    if (a > 50.0L) {
        return StoreDouble((a - 8.7L) * 0.1102L);
    }
    if (a < 21.0L) {
        return 0.0;
    }
    const long double excess = a - 21.0L;
    const long double power = excess == 0.0L ? 0.0L : std::exp(0.4L * base::CheckedLn(excess));
    return StoreDouble(0.5842L * power + 0.07886L * excess);
}

double KaiserWindow(int32_t M, double n, double beta) {
    const long double twoN = 2.0L * static_cast<long double>(n);
    const long double r = 1.0L - base::CheckedDivide(twoN, static_cast<long double>(M));
    const long double s = 1.0L - r * r;
    const double u = StoreDouble(static_cast<long double>(beta) * base::CheckedSqrt(s));
    const double numerator = BesselI0(u);
    const double denominator = BesselI0(beta);
    return StoreDouble(base::CheckedDivide(numerator, denominator));
}

double FastBesselI0(double x) {
    const auto& factorials = FactorialTable();
    const long double half = static_cast<long double>(x) / 2.0L;
    // IntegerPower(half, k) multiplies, from 1, the repeated squares half^(2^j) of the set bits of
    // k in ascending order, so its last factor is the square of k's top bit and what it multiplies
    // is exactly IntegerPower(half, k without that bit). Keeping every power lets each term reuse
    // the one before it: one multiplication a term, the same roundings.
    std::array<long double, 5> squares{};  // half^1, half^2, half^4, half^8, half^16
    squares[0] = half;
    for (std::size_t j = 1; j < squares.size(); ++j) {
        squares[j] = squares[j - 1] * squares[j - 1];
    }
    std::array<long double, kBesselTerms + 1> powers{};
    powers[0] = 1.0L;
    double sum = 0.0;
    for (unsigned k = 1; k <= kBesselTerms; ++k) {
        const unsigned topBit = std::bit_floor(k);
        powers[k] =
            powers[k - topBit] * squares[static_cast<std::size_t>(std::countr_zero(topBit))];
        const long double term = powers[k] / factorials[k];
        // Rounded to double as BesselI0 stores it, without its checks: every term is positive or
        // zero, so a sum that overflows stays infinite (and a NaN argument stays NaN) to the end,
        // where the final store raises the same error BesselI0 raises at that term.
        sum = static_cast<double>(static_cast<long double>(sum) + term * term);
    }
    return StoreDouble(1.0L + static_cast<long double>(sum));
}

PreparedKaiserWindow::PreparedKaiserWindow(int32_t M, double beta) : M_(M), beta_(beta) {
    // KaiserWindow's first tap divides 2·0 by M before anything else: 0/0 for a one-tap filter.
    if (M == 0) {
        base::RaiseInvalidOp();
    }
    denominator_ = FastBesselI0(beta);
}

double PreparedKaiserWindow::BesselArgument(int32_t n) const {
    // KaiserWindow's steps with the tap index converted to double as the design passes it.
    const long double twoN = 2.0L * static_cast<long double>(static_cast<double>(n));
    const long double r = 1.0L - base::CheckedDivide(twoN, static_cast<long double>(M_));
    const long double s = 1.0L - r * r;
    return StoreDouble(static_cast<long double>(beta_) * base::CheckedSqrt(s));
}

double PreparedKaiserWindow::ValueAtArgument(double u) const {
    const double numerator = FastBesselI0(u);
    return StoreDouble(base::CheckedDivide(numerator, denominator_));
}

double PreparedKaiserWindow::At(int32_t n) const {
    return ValueAtArgument(BesselArgument(n));
}

void PreparedKaiserWindow::FillPairs(int32_t firstPair, int32_t endPair, double* values) const {
    for (int32_t n = firstPair; n < endPair; ++n) {
        const double u = BesselArgument(n);
        const double w = ValueAtArgument(u);
        values[n] = w;
        const int32_t mirror = M_ - n;
        if (mirror != n) {
            // 1 − 2n/M and 1 − 2(M − n)/M are rounded separately and need not be exact
            // negatives, so the mirror's argument is formed afresh and only an equal one reuses w.
            const double mirrorU = BesselArgument(mirror);
            values[mirror] = mirrorU == u ? w : ValueAtArgument(mirrorU);
        }
    }
}

int32_t Max3(int32_t a, int32_t b, int32_t c) {
    int32_t result = a;
    if (b > result) {
        result = b;
    }
    if (!(result > c)) {
        result = c;
    }
    return result;
}

}  // namespace kc::dsp

#include "dsp/kaiser.h"

#include <cmath>

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

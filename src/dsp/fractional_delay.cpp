// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/fractional_delay.h"

#include <cmath>
#include <stdexcept>

#include "base/math_constants.h"
#include "dsp/kaiser.h"

namespace kc::dsp {

std::vector<double> FractionalDelayTaps(double fraction) {
    if (!(fraction > 0.0 && fraction < 1.0)) {
        throw std::invalid_argument("a fractional delay lies between 0 and 1 sample");
    }
    constexpr int32_t M = kFractionalDelayHalfLength;
    const long double pi = base::kPi;
    // sin(π·(k − f)) = −(−1)^k·sin(π·f) for a whole k: one sine for every tap, exact in sign.
    const long double sineOfFraction = std::sin(pi * fraction);
    const double windowDenominator = BesselI0(kFractionalDelayBeta);
    const long double halfWidth = M + 1;
    std::vector<double> taps(2 * M + 1);
    for (int32_t n = 0; n <= 2 * M; ++n) {
        const int32_t k = n - M;
        const long double t = k - static_cast<long double>(fraction);
        const long double sign = k % 2 == 0 ? -1.0L : 1.0L;
        const long double sinc = sign * sineOfFraction / (pi * t);
        const long double ratio = t / halfWidth;
        const auto argument =
            static_cast<double>(kFractionalDelayBeta * std::sqrt(1.0L - ratio * ratio));
        taps[static_cast<std::size_t>(n)] =
            static_cast<double>(sinc * BesselI0(argument) / windowDenominator);
    }
    return taps;
}

std::vector<double> DelayedConvolution(const std::vector<double>& taps,
                                       const std::vector<double>& filter, int64_t wholeSamples,
                                       std::size_t length) {
    std::vector<double> out(length, 0.0);
    if (taps.empty() || filter.empty()) {
        return out;
    }
    const std::size_t produced = taps.size() + filter.size() - 1;
    const auto shift = static_cast<std::size_t>(wholeSamples);
    if (shift + produced > length) {
        throw std::invalid_argument("the delayed convolution does not fit its length");
    }
    for (std::size_t i = 0; i < produced; ++i) {
        const std::size_t first = i >= taps.size() ? i - taps.size() + 1 : 0;
        const std::size_t last = std::min(i, filter.size() - 1);
        long double sum = 0.0L;
        for (std::size_t j = first; j <= last; ++j) {
            sum += static_cast<long double>(filter[j]) * taps[i - j];
        }
        out[shift + i] = static_cast<double>(sum);
    }
    return out;
}

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/continuation.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kc::acoustic {
namespace {

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;  // one past the last
};

Span EndSpan(const std::vector<double>& frequenciesHz, End end) {
    const std::size_t n = frequenciesHz.size();
    const double ratio = std::exp2(kEndSpanOctaves);
    if (end == End::Low) {
        std::size_t last = 2;
        while (last < n && frequenciesHz[last] <= frequenciesHz.front() * ratio) {
            ++last;
        }
        return {0, last};
    }
    std::size_t first = n - 2;
    while (first > 0 && frequenciesHz[first - 1] >= frequenciesHz.back() / ratio) {
        --first;
    }
    return {first, n};
}

// The slope of the least-squares line of y over x at the points of `span`, about their means so
// that large offsets (an unwrapped phase of many turns) lose nothing.
template <typename X>
double Slope(const std::vector<double>& y, Span span, X x) {
    double meanX = 0.0;
    double meanY = 0.0;
    const auto count = static_cast<double>(span.end - span.begin);
    for (std::size_t i = span.begin; i < span.end; ++i) {
        meanX += x(i) / count;
        meanY += y[i] / count;
    }
    double sxy = 0.0;
    double sxx = 0.0;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        sxy += (x(i) - meanX) * (y[i] - meanY);
        sxx += (x(i) - meanX) * (x(i) - meanX);
    }
    const double slope = sxx > 0.0 ? sxy / sxx : 0.0;
    return std::isfinite(slope) ? slope : 0.0;
}

}  // namespace

double EndSlopeDbPerOctave(const std::vector<double>& frequenciesHz,
                           const std::vector<double>& levelsDb, End end) {
    const Span span = EndSpan(frequenciesHz, end);
    const double slope = std::clamp(
        Slope(levelsDb, span, [&](std::size_t i) { return std::log2(frequenciesHz[i]); }),
        -kMaxEndSlopeDbPerOctave, kMaxEndSlopeDbPerOctave);
    return end == End::Low ? std::max(slope, 0.0) : std::min(slope, 0.0);
}

double EndGroupDelaySeconds(const std::vector<double>& frequenciesHz,
                            const std::vector<double>& phasesDeg, End end) {
    const Span span = EndSpan(frequenciesHz, end);
    return std::clamp(
        -Slope(phasesDeg, span, [&](std::size_t i) { return frequenciesHz[i]; }) / 360.0,
        -kMaxEndDelaySeconds, kMaxEndDelaySeconds);
}

}  // namespace kc::acoustic

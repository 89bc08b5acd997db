// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/group_delay.h"

#include <algorithm>
#include <complex>
#include <cstddef>

#include "base/math_constants.h"

namespace kc::acoustic {
namespace {

constexpr double kDegreesPerRadian = static_cast<double>(180.0L / base::kPi);
constexpr double kTwoPi = static_cast<double>(base::kTwoPi);

// The unwrapped phase in radians.
std::vector<double> UnwrappedRadians(const ComplexCurve& values) {
    std::vector<double> phases(values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        phases[i] = i == 0 ? std::arg(values[0])
                           : phases[i - 1] + std::arg(values[i] * std::conj(values[i - 1]));
    }
    return phases;
}

}  // namespace

std::vector<double> UnwrappedPhasesDeg(const ComplexCurve& values) {
    std::vector<double> phases = UnwrappedRadians(values);
    for (double& phase : phases) {
        phase *= kDegreesPerRadian;
    }
    return phases;
}

std::vector<double> GroupDelaysMs(const ComplexCurve& values,
                                  const std::vector<double>& frequenciesHz) {
    const std::size_t count = std::min(values.size(), frequenciesHz.size());
    std::vector<double> delays(count, 0.0);
    if (count < 2) {
        return delays;
    }
    const std::vector<double> phases = UnwrappedRadians(values);
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t before = i == 0 ? 0 : i - 1;
        const std::size_t after = i + 1 == count ? i : i + 1;
        const double turnHz = kTwoPi * (frequenciesHz[after] - frequenciesHz[before]);
        delays[i] = -(phases[after] - phases[before]) / turnHz * 1000.0;
    }
    return delays;
}

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/group_delay.h"

#include <algorithm>
#include <cmath>
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

// The phase step from point `from` to point `to` with the delay `referenceMs` taken out, radians.
static double PhaseStep(const ComplexCurve& values, const std::vector<double>& frequenciesHz,
                        std::size_t from, std::size_t to, double referenceMs) {
    const double turn = kTwoPi * (frequenciesHz[to] - frequenciesHz[from]) * referenceMs / 1000.0;
    return std::arg(values[to] * std::conj(values[from]) * std::polar(1.0, turn));
}

std::vector<double> GroupDelaysMs(const ComplexCurve& values,
                                  const std::vector<double>& frequenciesHz,
                                  const std::vector<double>& referenceMs) {
    const std::size_t count = std::min(values.size(), frequenciesHz.size());
    std::vector<double> delays(count, 0.0);
    if (count < 2) {
        return delays;
    }
    for (std::size_t i = 0; i < count; ++i) {
        const double reference = i < referenceMs.size() ? referenceMs[i] : 0.0;
        const std::size_t before = i == 0 ? 0 : i - 1;
        const std::size_t after = i + 1 == count ? i : i + 1;
        const double step = PhaseStep(values, frequenciesHz, before, i, reference) +
                            PhaseStep(values, frequenciesHz, i, after, reference);
        const double turnHz = kTwoPi * (frequenciesHz[after] - frequenciesHz[before]);
        delays[i] = reference - step / turnHz * 1000.0;
    }
    return delays;
}

std::array<std::vector<double>, dsp::kCurveCount> CurveGroupDelaysMs(
    const AcousticResponse& response, const Settings& settings) {
    const std::size_t count = response.frequenciesHz.size();
    std::array<std::vector<double>, dsp::kCurveCount> delays;
    std::vector<double> loudest(count, 0.0);
    for (std::size_t i = 0; i < count && i < response.sum.size(); ++i) {
        double largest = -1.0;
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            if (std::abs(response.bands[b][i]) > largest) {
                largest = std::abs(response.bands[b][i]);
                loudest[i] = settings[b].delayMs;
            }
        }
    }
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        delays[b] = GroupDelaysMs(response.bands[b], response.frequenciesHz,
                                  std::vector<double>(count, settings[b].delayMs));
    }
    delays[dsp::kSumCurve] = GroupDelaysMs(response.sum, response.frequenciesHz, loudest);
    return delays;
}

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
// The minimum phase of a magnitude-only driver against the phase of an analytic minimum-phase
// response (closed form).
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <vector>

#include "acoustic/minimum_phase.h"

namespace kc::acoustic {
namespace {

// A second-order Butterworth section at s = j·2π·f: high-pass or low-pass at cornerHz.
std::complex<double> Butterworth(double f, double cornerHz, bool highPass) {
    const std::complex<double> s(0.0, f / cornerHz);
    const std::complex<double> denominator = s * s + std::sqrt(2.0) * s + 1.0;
    return (highPass ? s * s : 1.0) / denominator;
}

// A woofer-like band: 2nd-order high-pass at 50 Hz times 2nd-order low-pass at 5 kHz, both
// minimum phase, given as its magnitude 10 Hz ... 20 kHz at 24 points an octave: the derived
// phase lies within 5° of arg H over 30 Hz ... 3 kHz (within 0.06° as it stands).
TEST(MinimumPhaseTest, MatchesAnAnalyticMinimumPhaseDriver) {
    std::vector<double> frequencies;
    std::vector<double> levels;
    for (double f = 10.0; f <= 20000.0; f *= std::exp2(1.0 / 24.0)) {
        const std::complex<double> h = Butterworth(f, 50.0, true) * Butterworth(f, 5000.0, false);
        frequencies.push_back(f);
        levels.push_back(20.0 * std::log10(std::abs(h)));
    }
    const std::vector<double> phases = MinimumPhaseDeg(frequencies, levels);
    double worst = 0.0;
    for (std::size_t i = 0; i < frequencies.size(); ++i) {
        const double f = frequencies[i];
        const std::complex<double> h = Butterworth(f, 50.0, true) * Butterworth(f, 5000.0, false);
        const double error = std::remainder(phases[i] - std::arg(h) * 180.0 / M_PI, 360.0);
        if (f >= 30.0 && f <= 3000.0) {
            worst = std::max(worst, std::fabs(error));
        }
    }
    EXPECT_LT(worst, 5.0);
}

}  // namespace
}  // namespace kc::acoustic

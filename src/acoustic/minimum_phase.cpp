// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/minimum_phase.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "acoustic/continuation.h"
#include "base/math_constants.h"

namespace kc::acoustic {
namespace {

constexpr double kLn2 = 0.69314718055994530942;
constexpr double kNepersPerDb = 0.11512925464970228420;  // ln 10 / 20
constexpr double kFinestStep = kLn2 / 96.0;              // of u = ln f
constexpr double kMostCells = 4096.0;                    // over the file's range
// How far beyond the file's ends the slopes are carried on the grid; the rest of the way to
// infinity is added in closed form (TailIntegral).
constexpr double kExtensionOctaves = 8.0;

// ln coth(v/2) for v > 0, without loss near 0 (where it grows like −ln(v/2)) nor far out.
double Kernel(double v) {
    return std::log1p(std::exp(-v)) - std::log(-std::expm1(-v));
}

// The four-point Gauss–Legendre rule on [a, b].
template <typename F>
double Gauss(F f, double a, double b) {
    constexpr std::array<double, 2> kNodes = {0.33998104358485626, 0.86113631159405258};
    constexpr std::array<double, 2> kWeights = {0.65214515486254614, 0.34785484513745386};
    const double mid = 0.5 * (a + b);
    const double half = 0.5 * (b - a);
    double sum = 0.0;
    for (std::size_t k = 0; k < kNodes.size(); ++k) {
        sum += kWeights[k] * (f(mid - half * kNodes[k]) + f(mid + half * kNodes[k]));
    }
    return half * sum;
}

// The mean of the kernel over each cell [m·h, (m+1)·h], m = 0 ... count−1 (by symmetry also
// [−(m+1)·h, −m·h]). The first cell holds the kernel's logarithmic singularity: −ln(v/2)
// integrates in closed form, the smooth rest ln((v/2)·coth(v/2)) by the rule.
std::vector<double> CellMeans(double h, std::size_t count) {
    std::vector<double> means(count);
    const double singular = h - h * std::log(h / 2.0);
    const double smooth = Gauss([](double v) { return Kernel(v) + std::log(v / 2.0); }, 0.0, h);
    means[0] = (singular + smooth) / h;
    for (std::size_t m = 1; m < count; ++m) {
        const double a = static_cast<double>(m) * h;
        means[m] = Gauss(Kernel, a, a + h) / h;
    }
    return means;
}

// ∫ from a to ∞ of ln coth(v/2) dv = 2·Σ over odd k of e^(−k·a)/k², for a ≥ several units.
double TailIntegral(double a) {
    double sum = 0.0;
    for (int k = 1; k <= 7; k += 2) {
        sum += std::exp(-k * a) / (k * k);
    }
    return 2.0 * sum;
}

// The log-magnitude in nepers on the grid: the file's levels interpolated over u, the end slopes
// beyond.
struct Grid {
    double start = 0.0;  // u of point 0
    double step = 0.0;
    std::size_t first = 0;  // the point at the file's first frequency
    std::size_t cells = 0;  // from there to the point at or after the last frequency
    std::vector<double> nepers;
    double lowSlope = 0.0;  // dA/du beyond the ends
    double highSlope = 0.0;
};

Grid MakeGrid(const std::vector<double>& frequenciesHz, const std::vector<double>& levelsDb) {
    Grid grid;
    const double uFirst = std::log(frequenciesHz.front());
    const double range = std::log(frequenciesHz.back()) - uFirst;
    grid.step = std::max(kFinestStep, range / kMostCells);
    grid.cells = std::max<std::size_t>(1, static_cast<std::size_t>(std::ceil(range / grid.step)));
    grid.first = static_cast<std::size_t>(std::ceil(kExtensionOctaves * kLn2 / grid.step));
    grid.start = uFirst - static_cast<double>(grid.first) * grid.step;
    const std::size_t points = grid.cells + 2 * grid.first + 1;
    const double perOctave = kNepersPerDb / kLn2;
    grid.lowSlope = EndSlopeDbPerOctave(frequenciesHz, levelsDb, End::Low) * perOctave;
    grid.highSlope = EndSlopeDbPerOctave(frequenciesHz, levelsDb, End::High) * perOctave;
    grid.nepers.resize(points);
    const std::size_t last = frequenciesHz.size() - 1;
    const double uLast = std::log(frequenciesHz.back());
    std::size_t k = 0;
    for (std::size_t j = 0; j < points; ++j) {
        const double u = grid.start + static_cast<double>(j) * grid.step;
        double db = 0.0;
        if (j <= grid.first) {
            db = levelsDb.front() + (u - uFirst) * grid.lowSlope / kNepersPerDb;
        } else if (u >= uLast) {
            db = levelsDb.back() + (u - uLast) * grid.highSlope / kNepersPerDb;
        } else {
            while (k + 1 < last && std::log(frequenciesHz[k + 1]) <= u) {
                ++k;
            }
            const double u0 = std::log(frequenciesHz[k]);
            const double span = std::log(frequenciesHz[k + 1]) - u0;
            const double t = span > 0.0 ? std::clamp((u - u0) / span, 0.0, 1.0) : 0.0;
            db = levelsDb[k] + t * (levelsDb[k + 1] - levelsDb[k]);
        }
        grid.nepers[j] = db * kNepersPerDb;
    }
    return grid;
}

}  // namespace

std::vector<double> MinimumPhaseDeg(const std::vector<double>& frequenciesHz,
                                    const std::vector<double>& levelsDb) {
    const Grid grid = MakeGrid(frequenciesHz, levelsDb);
    const std::size_t points = grid.nepers.size();
    std::vector<double> rise(points - 1);
    for (std::size_t j = 0; j + 1 < points; ++j) {
        rise[j] = grid.nepers[j + 1] - grid.nepers[j];
    }
    const std::vector<double> means = CellMeans(grid.step, points);
    const double lastU = static_cast<double>(points - 1) * grid.step;
    // The phase in radians at the grid points over the file's range: each cell's rise weighted
    // by the kernel's mean over it, cells above the point (m = j − i ≥ 0) and below it apart so
    // that the loops hold no branch.
    std::vector<double> phase(grid.cells + 1);
    for (std::size_t c = 0; c <= grid.cells; ++c) {
        const std::size_t i = grid.first + c;
        double sum = 0.0;
        for (std::size_t j = i; j + 1 < points; ++j) {
            sum += rise[j] * means[j - i];
        }
        for (std::size_t j = 0; j < i; ++j) {
            sum += rise[j] * means[i - j - 1];
        }
        const double u = static_cast<double>(i) * grid.step;
        sum += grid.lowSlope * TailIntegral(u) + grid.highSlope * TailIntegral(lastU - u);
        phase[c] = sum / static_cast<double>(base::kPi);
    }
    std::vector<double> degrees(frequenciesHz.size());
    const double toDegrees = static_cast<double>(180.0L / base::kPi);
    const double uFirst = std::log(frequenciesHz.front());
    for (std::size_t k = 0; k < frequenciesHz.size(); ++k) {
        const double position = (std::log(frequenciesHz[k]) - uFirst) / grid.step;
        const auto c = std::min(static_cast<std::size_t>(std::max(position, 0.0)), grid.cells - 1);
        const double t = std::clamp(position - static_cast<double>(c), 0.0, 1.0);
        degrees[k] = (phase[c] + t * (phase[c + 1] - phase[c])) * toDegrees;
    }
    for (std::size_t k = 1; k < degrees.size(); ++k) {
        degrees[k] = degrees[k - 1] + std::remainder(degrees[k] - degrees[k - 1], 360.0);
    }
    return degrees;
}

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/evaluation.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "base/errors.h"
#include "base/float_checks.h"
#include "base/math_constants.h"
#include "base/text_convert.h"
#include "dsp/bands.h"
#include "dsp/grid_transform.h"
#include "dsp/split_work.h"

namespace kc::dsp {
namespace {

using base::StoreDouble;

using base::kTwoPi;

// The floor under the sum's level: ε = 0.001 up to 1000 Hz, 0.0001 above.
long double SumEpsilon(int32_t k) {
    return k <= kFirstRunLastPoint ? 0.001L : 0.0001L;
}

// Magnitude of one array's response at `frequencyHz` by the direct sum at `sampleRateHz`, each
// term with its own sine and cosine of an angle formed in extended precision and rounded to
// double; the two accumulators are doubles rounded after every addition.
double DirectMagnitude(const std::vector<double>& taps, int32_t frequencyHz, int32_t sampleRateHz) {
    double re = 0.0;
    double im = 0.0;
    const auto rate = static_cast<long double>(sampleRateHz);
    for (std::size_t n = 0; n < taps.size(); ++n) {
        const long double theta =
            kTwoPi * static_cast<long double>(n) * static_cast<long double>(frequencyHz) / rate;
        const double cosine = static_cast<double>(std::cos(theta));
        const double sine = static_cast<double>(std::sin(theta));
        re = StoreDouble(re + static_cast<long double>(taps[n]) * cosine);
        im = StoreDouble(im + static_cast<long double>(taps[n]) * sine);
    }
    const long double re2 = static_cast<long double>(re) * re;
    const long double im2 = static_cast<long double>(im) * im;
    return StoreDouble(std::sqrt(re2 + im2));
}

// Normalised level of a magnitude: (20·log10(m) + 100) / 100; 0 raises EZeroDivide.
double Level(long double magnitude) {
    return StoreDouble((20.0L * base::CheckedLog10(magnitude) + 100.0L) / 100.0L);
}

// The four magnitudes whose levels point k stores: low, mid, high, and the sum with its floor.
std::array<long double, 4> LevelMagnitudes(const ResponseStore& store, int32_t k) {
    const auto i = static_cast<std::size_t>(k);
    return {store.LowMag[i], store.MidMag[i], store.HighMag[i],
            static_cast<long double>(store.SumMag[i]) + SumEpsilon(k)};
}

// Writes the four levels of point k from the magnitudes stored there.
void StoreLevels(ResponseStore& store, int32_t k) {
    const auto i = static_cast<std::size_t>(k);
    const std::array<long double, 4> magnitudes = LevelMagnitudes(store, k);
    store.LowDb[i] = Level(magnitudes[0]);
    store.MidDb[i] = Level(magnitudes[1]);
    store.HighDb[i] = Level(magnitudes[2]);
    store.SumDb[i] = Level(magnitudes[3]);
}

// Names in `error` the array whose level at point k raised it. Found only once an error has been
// raised, so that the 3800 levels of an evaluation cost nothing for it.
void NameFailingArray(base::Error& error, const ResponseStore& store, int32_t k) {
    const std::array<long double, 4> magnitudes = LevelMagnitudes(store, k);
    for (std::size_t array = 0; array < magnitudes.size(); ++array) {
        try {
            Level(magnitudes[array]);
        } catch (const base::Error&) {
            error.SetWhere(kCurveNames[array].place);
            return;
        }
    }
}

// The store's magnitude curves in the order of CurveTaps: low, mid, high, sum.
std::array<Curve*, kCurveCount> MagnitudeCurves(ResponseStore& store) {
    return {&store.LowMag, &store.MidMag, &store.HighMag, &store.SumMag};
}

// Writes the four magnitudes of point k, then the four levels from the stored magnitudes.
void StorePoint(ResponseStore& store, int32_t k,
                const std::array<double, kCurveCount>& magnitudes) {
    const auto curves = MagnitudeCurves(store);
    for (std::size_t curve = 0; curve < kCurveCount; ++curve) {
        (*curves[curve])[static_cast<std::size_t>(k)] = magnitudes[curve];
    }
    StoreLevels(store, k);
}

// A grid point of one array where the transform gave exactly 0.0. Deep in a stop band (some 300 dB)
// the transform's value is its own rounding error, and that can be an exact 0 where the direct sum
// gives some 1e-16; such a 0 would raise EZeroDivide where the direct sum raises nothing. Every
// other transform value is kept: it is not 0, so it raises nothing, and it lies within the
// transform's rounding error (a few ε times the taps' absolute sum, some 1e-15) of the exact
// modulus, far inside the 1e-12 the evaluation promises. So only these points cost a direct sum;
// at ordinary attenuations there are none, at any length.
struct ZeroPoint {
    const std::vector<double>* taps;
    double* magnitude;
    int32_t frequencyHz;
};

void CollectZeroPoints(const std::vector<double>& taps, Curve& magnitudes,
                       std::vector<ZeroPoint>& zeros) {
    const std::size_t before = zeros.size();
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        double& magnitude = magnitudes[static_cast<std::size_t>(k)];
        if (magnitude == 0.0) {
            zeros.push_back({&taps, &magnitude, FreqGrid(k)});
        }
    }
    const bool allZero = std::all_of(taps.begin(), taps.end(), [](double t) { return t == 0.0; });
    if (allZero) {
        zeros.resize(before);  // taps of zeros: every magnitude is exactly 0 by either sum
    }
}

// Below this many terms of the direct sum (about 2 ms of sines and cosines) the zero points
// are recomputed on one thread.
constexpr std::size_t kMinTermsToSplit = 8192;

// Recomputes every zero point by the direct sum, as the reference does, over two cores.
void RecomputeByDirectSum(const std::vector<ZeroPoint>& zeros, std::size_t length,
                          int32_t sampleRateHz) {
    const std::size_t minPointsToSplit = kMinTermsToSplit / std::max<std::size_t>(length, 1) + 1;
    RunInTwoHalves(zeros.size(), minPointsToSplit, [&](std::size_t begin, std::size_t end) {
        for (std::size_t i = begin; i < end; ++i) {
            *zeros[i].magnitude =
                DirectMagnitude(*zeros[i].taps, zeros[i].frequencyHz, sampleRateHz);
        }
    });
}

}  // namespace

Evaluation EvaluateResponsesLiteral(const CrossoverTaps& taps) {
    CheckSampleRate(taps.sampleRateHz);
    Evaluation result{std::make_unique<ResponseStore>(), 0.0};
    const int32_t rate = taps.sampleRateHz;
    const auto arrays = CurveTaps(taps);
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        const int32_t f = FreqGrid(k);
        try {
            std::array<double, kCurveCount> magnitudes{};
            for (std::size_t curve = 0; curve < kCurveCount; ++curve) {
                magnitudes[curve] = DirectMagnitude(*arrays[curve], f, rate);
            }
            StorePoint(*result.store, k, magnitudes);
        } catch (base::Error& error) {
            NameFailingArray(error, *result.store, k);
            throw;
        }
    }
    result.CMax = FindCMax(*result.store);
    return result;
}

Evaluation EvaluateResponses(const CrossoverTaps& taps) {
    Evaluation result{std::make_unique<ResponseStore>(), 0.0};
    ResponseStore& store = *result.store;
    GridTransform transform(taps.sampleRateHz);
    const auto arrays = CurveTaps(taps);
    const auto curves = MagnitudeCurves(store);
    // Two arrays a transform; an odd one out alone.
    std::size_t curve = 0;
    for (; curve + 1 < kCurveCount; curve += 2) {
        transform.Magnitudes(*arrays[curve], *arrays[curve + 1], *curves[curve],
                             *curves[curve + 1]);
    }
    if (curve < kCurveCount) {
        transform.Magnitudes(*arrays[curve], *curves[curve]);
    }
    std::vector<ZeroPoint> zeros;
    for (curve = 0; curve < kCurveCount; ++curve) {
        CollectZeroPoints(*arrays[curve], *curves[curve], zeros);
    }
    RecomputeByDirectSum(zeros, taps.SumTaps.size(), taps.sampleRateHz);
    // The levels as the direct sum computes them, point by point; the first magnitude of exactly
    // 0 raises EZeroDivide, naming its array, and the fresh store is dropped with it.
    int32_t k = 1;
    try {
        for (; k <= kGridPoints; ++k) {
            StoreLevels(store, k);
        }
    } catch (base::Error& error) {
        NameFailingArray(error, store, k);
        throw;
    }
    result.CMax = FindCMax(store);
    return result;
}

double FindCMax(const ResponseStore& store) {
    double cmax = 0.0;
    for (std::size_t k = 1; k <= kGridPoints; ++k) {
        for (double magnitude : {store.LowMag[k], store.MidMag[k], store.HighMag[k]}) {
            if (magnitude > cmax) {
                cmax = magnitude;
            }
        }
    }
    return cmax;
}

std::string CMaxLine(double cmax) {
    return "振幅係数の最大値：CMax = " + base::FormatFixed5_6(cmax);
}

}  // namespace kc::dsp

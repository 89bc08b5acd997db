#include "dsp/crossover.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <new>

#include "base/checked_int.h"
#include "base/errors.h"
#include "base/float_checks.h"
#include "base/math_constants.h"
#include "dsp/kaiser.h"
#include "dsp/response_store.h"
#include "dsp/split_work.h"

namespace kc::dsp {
namespace {

using base::CheckedAdd;
using base::CheckedMul;
using base::CheckedSub;
using base::kPi;
using base::kTwoPi;
using base::StoreDouble;

constexpr long double kRate = SampleRate;

// 8 bytes a tap must fit a signed 32-bit byte count: 2^28 taps no longer do.
constexpr int32_t kMaxArrayLength = (1 << 28) - 1;

void CheckArrayLength(int32_t length) {
    if (length < 0 || length > kMaxArrayLength) {
        base::RaiseRangeError();
    }
}

std::atomic<std::size_t>& TapArrayMemoryLimit() {
    static std::atomic<std::size_t> limit{0};
    return limit;
}

std::vector<double> AllocateTaps(int32_t length) {
    CheckArrayLength(length);
    const std::size_t bytes = static_cast<std::size_t>(length) * sizeof(double);
    const std::size_t limit = TapArrayMemoryLimit().load();
    if (limit != 0 && bytes > limit) {
        base::RaiseOutOfMemory();
    }
    try {
        return std::vector<double>(static_cast<std::size_t>(length), 0.0);
    } catch (const std::bad_alloc&) {
        base::RaiseOutOfMemory();
    }
}

// One band's tap at offset k from its centre, given its window value w. Each formula is
// evaluated in extended precision in the order written and rounded to double once.
using TapFormula = long double (*)(long double w, long double k, const CrossoverParameters& p);

// Ideal low-pass of cut-off LowCross: sin(2π·k·fc/fs) / (π·k).
long double LowPassTap(long double w, long double k, const CrossoverParameters& p) {
    if (k == 0.0L) {
        return w * 2.0L * p.lowCrossHz / kRate;
    }
    return w * std::sin(k * kTwoPi * p.lowCrossHz / kRate) / (kPi * k);
}

// Difference of the ideal low-passes at MidCrossHigh and MidCrossLow, as one product of a cosine
// (the band's centre) and a sine (its half width).
long double BandPassTap(long double w, long double k, const CrossoverParameters& p) {
    const long double high = p.midCrossHighHz;
    const long double low = p.midCrossLowHz;
    if (k == 0.0L) {
        return w * 2.0L * (high - low) / kRate;
    }
    return (2.0L * w / (kPi * k)) * std::cos(kPi * k * (high + low) / kRate) *
           std::sin(kPi * k * (high - low) / kRate);
}

// The ideal low-pass of cut-off fs/2 − HighCross mirrored to the top of the spectrum by (−1)^k.
long double HighPassTap(long double w, long double k, const CrossoverParameters& p) {
    const long double passFraction = 1.0L - 2.0L * p.highCrossHz / kRate;
    if (k == 0.0L) {
        return w * passFraction;
    }
    const long double sign = std::fmod(k, 2.0L) == 0.0L ? 1.0L : -1.0L;
    return sign * w * std::sin(kPi * k * passFraction) / (kPi * k);
}

// The taps at offsets −k and +k (k > 0) of one band, from their own window values, for the fast
// design. Under k → −k every product and quotient with k in the formulas above only changes sign,
// exactly; std::sin of an extended argument is exactly odd and std::cos exactly even (the library
// reduces |x| and puts the sign back), and the signs cancel in pairs. So each sine and cosine is
// taken once for both taps, and each tap is still w times the other factors in the same order:
// the same bits as the formula above at −k and at +k.
struct TapPair {
    long double left;   // offset −k
    long double right;  // offset +k
};
using PairFormula = TapPair (*)(long double wLeft, long double wRight, long double k,
                                const CrossoverParameters& p);

TapPair LowPassPair(long double wLeft, long double wRight, long double k,
                    const CrossoverParameters& p) {
    const long double sine = std::sin(k * kTwoPi * p.lowCrossHz / kRate);
    const long double denominator = kPi * k;
    return {wLeft * sine / denominator, wRight * sine / denominator};
}

TapPair BandPassPair(long double wLeft, long double wRight, long double k,
                     const CrossoverParameters& p) {
    const long double high = p.midCrossHighHz;
    const long double low = p.midCrossLowHz;
    const long double cosine = std::cos(kPi * k * (high + low) / kRate);
    const long double sine = std::sin(kPi * k * (high - low) / kRate);
    const long double denominator = kPi * k;
    return {(2.0L * wLeft / denominator) * cosine * sine,
            (2.0L * wRight / denominator) * cosine * sine};
}

TapPair HighPassPair(long double wLeft, long double wRight, long double k,
                     const CrossoverParameters& p) {
    const long double passFraction = 1.0L - 2.0L * p.highCrossHz / kRate;
    const long double sign = std::fmod(k, 2.0L) == 0.0L ? 1.0L : -1.0L;
    const long double sine = std::sin(kPi * k * passFraction);
    const long double denominator = kPi * k;
    return {sign * wLeft * sine / denominator, sign * wRight * sine / denominator};
}

// Designs one band of `count` taps (odd, positive) and places it centred in an array of the
// design's common length, zeros on both sides.
std::vector<double> DesignBand(int32_t count, const CrossoverTaps& layout, double beta,
                               TapFormula formula, const CrossoverParameters& p) {
    std::vector<double> design = AllocateTaps(count);
    std::vector<double> centred = AllocateTaps(layout.CommonLength);
    const int32_t centre = count / 2;
    const int32_t M = CheckedSub(count, 1);
    for (int32_t i = 0; i < count; ++i) {
        const double w = KaiserWindow(M, static_cast<double>(i), beta);
        const long double k = CheckedSub(i, centre);
        design[static_cast<std::size_t>(i)] = StoreDouble(formula(w, k, p));
    }
    const int32_t shift = CheckedSub(layout.CommonCentre, centre);
    for (int32_t j = 0; j < count; ++j) {
        centred[static_cast<std::size_t>(CheckedAdd(shift, j))] =
            design[static_cast<std::size_t>(j)];
    }
    return centred;
}

long double ExtendedSum(double a, double b, double c) {
    return (static_cast<long double>(a) + static_cast<long double>(b)) +
           static_cast<long double>(c);
}

void FormSum(CrossoverTaps& taps) {
    for (std::size_t i = 0; i < taps.SumTaps.size(); ++i) {
        taps.SumTaps[i] =
            StoreDouble(ExtendedSum(taps.LowTaps[i], taps.MidTaps[i], taps.HighTaps[i]));
    }
}

// Rewrites the mid band as the unit impulse at CommonCentre minus the other two bands, tap by
// tap, so that the three bands add up to a pure delay of CommonCentre samples.
void AdjustMidBandLiteral(CrossoverTaps& taps) {
    std::vector<double> unitImpulse = AllocateTaps(taps.CommonLength);
    unitImpulse[static_cast<std::size_t>(taps.CommonCentre)] = 1.0;
    for (std::size_t i = 0; i < taps.MidTaps.size(); ++i) {
        const long double corrected = (static_cast<long double>(taps.MidTaps[i]) + unitImpulse[i]) -
                                      static_cast<long double>(taps.SumTaps[i]);
        taps.MidTaps[i] = StoreDouble(corrected);
        taps.SumTaps[i] =
            StoreDouble(ExtendedSum(taps.LowTaps[i], taps.MidTaps[i], taps.HighTaps[i]));
    }
}

// The same rewrite without a unit-impulse array: the impulse's 0.0 and 1.0 enter the sum as the
// same extended values (adding the 0.0 also turns a −0.0 mid tap into +0.0, as the array does).
void AdjustMidBand(CrossoverTaps& taps) {
    const auto centre = static_cast<std::size_t>(taps.CommonCentre);
    for (std::size_t i = 0; i < taps.MidTaps.size(); ++i) {
        const long double impulse = i == centre ? 1.0L : 0.0L;
        const long double corrected = (static_cast<long double>(taps.MidTaps[i]) + impulse) -
                                      static_cast<long double>(taps.SumTaps[i]);
        taps.MidTaps[i] = StoreDouble(corrected);
        taps.SumTaps[i] =
            StoreDouble(ExtendedSum(taps.LowTaps[i], taps.MidTaps[i], taps.HighTaps[i]));
    }
}

// The parameters the bands are designed with: in adjust mode the outer cut-offs are the
// band-pass edges.
CrossoverParameters EffectiveParameters(const CrossoverParameters& parameters) {
    CrossoverParameters p = parameters;
    if (p.adjustCoefficient) {
        p.lowCrossHz = p.midCrossLowHz;
        p.highCrossHz = p.midCrossHighHz;
    }
    return p;
}

CrossoverTaps EmptyLayout(const CrossoverParameters& p) {
    CrossoverTaps taps;
    taps.CommonLength = Max3(p.lowCount, p.midCount, p.highCount);
    taps.CommonCentre = taps.CommonLength / 2;
    return taps;
}

// One band of the fast design: its prepared window and formula, and the array its taps go to,
// already sized and zero, at indices shift ... shift + count − 1.
struct BandPlan {
    int32_t count;
    int32_t centre;
    int32_t shift;
    PreparedKaiserWindow window;
    TapFormula formula;  // for the centre tap
    PairFormula pairFormula;
    std::vector<double>* target;
    // An earlier band of the same count: it has the same window at the same indices.
    const BandPlan* sameWindow;

    double* Slot() const { return target->data() + shift; }
};

// Sizes a band's array and prepares its window, raising what the literal design raises before
// its first tap (EOutOfMemory, EInvalidOp for one tap, EOverflow for an enormous β).
BandPlan PlanBand(int32_t count, TapFormula formula, PairFormula pairFormula,
                  std::vector<double>& target, const CrossoverTaps& layout, double beta,
                  const std::vector<BandPlan>& earlier) {
    target = AllocateTaps(layout.CommonLength);
    const int32_t centre = count / 2;
    const BandPlan* sameWindow = nullptr;
    for (const BandPlan& band : earlier) {
        if (band.count == count && sameWindow == nullptr) {
            sameWindow = &band;
        }
    }
    return BandPlan{count,
                    centre,
                    CheckedSub(layout.CommonCentre, centre),
                    PreparedKaiserWindow(CheckedSub(count, 1), beta),
                    formula,
                    pairFormula,
                    &target,
                    sameWindow};
}

// Calls work(band, first, last) for the part of [begin, end) that falls on each band, when the
// bands' index ranges, of size(band) indices each, are laid end to end.
template <typename Size, typename Work>
void ForEachBandPart(const std::vector<BandPlan>& bands, std::size_t begin, std::size_t end,
                     Size size, Work work) {
    std::size_t bandStart = 0;
    for (const BandPlan& band : bands) {
        const std::size_t bandEnd = bandStart + size(band);
        if (begin < bandEnd && end > bandStart) {
            work(band, static_cast<int32_t>(std::max(begin, bandStart) - bandStart),
                 static_cast<int32_t>(std::min(end, bandEnd) - bandStart));
        }
        bandStart = bandEnd;
    }
}

template <typename Size>
std::size_t TotalSize(const std::vector<BandPlan>& bands, Size size) {
    std::size_t total = 0;
    for (const BandPlan& band : bands) {
        total += size(band);
    }
    return total;
}

// Below this many Bessel series or tap formulas in all (a few milliseconds of work) the design
// stays on one thread: starting a second one, and on a busy machine waiting for a free core, then
// costs more than it saves.
constexpr std::size_t kMinWorkToSplit = 8192;

// Writes every band's window values into its slot: the mirrored pairs of each distinct count
// split over the two cores, then copies for the bands whose count came before.
void FillWindows(const std::vector<BandPlan>& bands) {
    const auto pairs = [](const BandPlan& band) {
        return band.sameWindow == nullptr ? static_cast<std::size_t>(band.window.PairCount()) : 0;
    };
    RunInTwoHalves(TotalSize(bands, pairs), kMinWorkToSplit,
                   [&](std::size_t begin, std::size_t end) {
                       ForEachBandPart(bands, begin, end, pairs,
                                       [](const BandPlan& band, int32_t first, int32_t last) {
                                           band.window.FillPairs(first, last, band.Slot());
                                       });
                   });
    for (const BandPlan& band : bands) {
        if (band.sameWindow != nullptr) {
            std::copy_n(band.sameWindow->Slot(), band.count, band.Slot());
        }
    }
}

// Turns the window values at offsets −j and +j of a band's centre into its taps.
void ApplyPairFormula(const BandPlan& band, int32_t j, const CrossoverParameters& p) {
    double* centre = band.Slot() + band.centre;
    if (j == 0) {
        *centre = StoreDouble(band.formula(*centre, 0.0L, p));
        return;
    }
    const TapPair taps = band.pairFormula(centre[-j], centre[j], j, p);
    centre[-j] = StoreDouble(taps.left);
    centre[j] = StoreDouble(taps.right);
}

// Turns the window value in each tap's place into the tap, the mirrored pairs of all bands split
// over the two cores.
void ApplyTapFormulas(const std::vector<BandPlan>& bands, const CrossoverParameters& p) {
    const auto pairs = [](const BandPlan& band) {
        return static_cast<std::size_t>(band.window.PairCount());
    };
    RunInTwoHalves(TotalSize(bands, pairs), kMinWorkToSplit,
                   [&](std::size_t begin, std::size_t end) {
                       ForEachBandPart(bands, begin, end, pairs,
                                       [&p](const BandPlan& band, int32_t first, int32_t last) {
                                           for (int32_t j = first; j < last; ++j) {
                                               ApplyPairFormula(band, j, p);
                                           }
                                       });
                   });
}

}  // namespace

void SetTapArrayMemoryLimit(std::size_t bytes) {
    TapArrayMemoryLimit().store(bytes);
}

int32_t NormaliseTapCount(int32_t v) {
    return CheckedAdd(CheckedMul(2, v / 2), 1);
}

void CheckTapArraySizes(int32_t lowCount, int32_t midCount, int32_t highCount) {
    CheckArrayLength(Max3(lowCount, midCount, highCount));
    CheckArrayLength(lowCount);
    CheckArrayLength(midCount);
    CheckArrayLength(highCount);
}

CrossoverTaps DesignCrossoverLiteral(const CrossoverParameters& parameters) {
    CheckTapArraySizes(parameters.lowCount, parameters.midCount, parameters.highCount);
    const CrossoverParameters p = EffectiveParameters(parameters);
    CrossoverTaps taps = EmptyLayout(p);
    taps.SumTaps = AllocateTaps(taps.CommonLength);

    const double beta = KaiserBeta(p.attenuationDb);
    taps.LowTaps = DesignBand(p.lowCount, taps, beta, LowPassTap, p);
    taps.MidTaps = DesignBand(p.midCount, taps, beta, BandPassTap, p);
    taps.HighTaps = DesignBand(p.highCount, taps, beta, HighPassTap, p);
    FormSum(taps);
    if (p.adjustCoefficient) {
        AdjustMidBandLiteral(taps);
    }
    return taps;
}

CrossoverTaps DesignCrossover(const CrossoverParameters& parameters) {
    CheckTapArraySizes(parameters.lowCount, parameters.midCount, parameters.highCount);
    const CrossoverParameters p = EffectiveParameters(parameters);
    CrossoverTaps taps = EmptyLayout(p);
    taps.SumTaps = AllocateTaps(taps.CommonLength);

    const double beta = KaiserBeta(p.attenuationDb);
    std::vector<BandPlan> bands;
    bands.reserve(3);  // the bands point at each other: no reallocation
    bands.push_back(PlanBand(p.lowCount, LowPassTap, LowPassPair, taps.LowTaps, taps, beta, bands));
    bands.push_back(
        PlanBand(p.midCount, BandPassTap, BandPassPair, taps.MidTaps, taps, beta, bands));
    bands.push_back(
        PlanBand(p.highCount, HighPassTap, HighPassPair, taps.HighTaps, taps, beta, bands));
    FillWindows(bands);
    ApplyTapFormulas(bands, p);
    FormSum(taps);
    if (p.adjustCoefficient) {
        AdjustMidBand(taps);
    }
    return taps;
}

}  // namespace kc::dsp

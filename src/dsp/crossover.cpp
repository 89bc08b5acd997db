// SPDX-License-Identifier: GPL-3.0-or-later
// The design the program uses: the reference design's taps bit for bit, with each band's window
// prepared once, the work spread over two cores and no work arrays beyond the results.
#include "dsp/crossover.h"

#include <algorithm>
#include <vector>

#include "base/checked_int.h"
#include "base/errors.h"
#include "base/float_checks.h"
#include "dsp/band_taps.h"
#include "dsp/bands.h"
#include "dsp/design_steps.h"
#include "dsp/kaiser.h"
#include "dsp/split_work.h"
#include "dsp/tap_arrays.h"

namespace kc::dsp {
namespace {

using base::CheckedSub;
using base::StoreDouble;

// Rewrites the mid band as the unit impulse at CommonCentre minus the other two bands, as the
// reference design does, but without its unit-impulse array: the impulse's 0.0 and 1.0 enter the
// sum as the same extended values (adding the 0.0 also turns a −0.0 mid tap into +0.0, as the
// array does).
void AdjustMidBand(CrossoverTaps& taps) {
    const auto centre = static_cast<std::size_t>(taps.CommonCentre);
    for (std::size_t i = 0; i < taps.MidTaps.size(); ++i) {
        const long double impulse = i == centre ? 1.0L : 0.0L;
        const long double corrected = (static_cast<long double>(taps.MidTaps[i]) + impulse) -
                                      static_cast<long double>(taps.SumTaps[i]);
        taps.MidTaps[i] = StoreDouble(corrected);
        StoreTapSum(taps, i);
    }
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

CrossoverTaps DesignCrossover(const CrossoverParameters& parameters) {
    CheckSampleRate(parameters.sampleRateHz);
    CheckTapArraySizes(parameters.lowCount, parameters.midCount, parameters.highCount);
    const CrossoverParameters p = EffectiveParameters(parameters);
    CrossoverTaps taps = EmptyLayout(p);
    taps.SumTaps = AllocateTaps(taps.CommonLength);

    const double beta = KaiserBeta(p.attenuationDb);
    std::vector<BandPlan> bands;
    bands.reserve(kBandCount);  // the bands point at each other: no reallocation
    const auto targets = BandTaps(taps);
    const auto plan = [&](std::size_t band, int32_t count, TapFormula formula,
                          PairFormula pairFormula) {
        bands.push_back(base::RunMarkingWhere(kCurveNames[band].place, [&] {
            return PlanBand(count, formula, pairFormula, *targets[band], taps, beta, bands);
        }));
    };
    plan(0, p.lowCount, LowPassTap, LowPassPair);
    plan(1, p.midCount, BandPassTap, BandPassPair);
    plan(2, p.highCount, HighPassTap, HighPassPair);
    FillWindows(bands);
    ApplyTapFormulas(bands, p);
    FormSum(taps);
    if (p.adjustCoefficient) {
        AdjustMidBand(taps);
    }
    return taps;
}

}  // namespace kc::dsp

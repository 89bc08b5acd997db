#include "dsp/design_steps.h"

#include <cstdint>

#include "base/checked_int.h"
#include "base/float_checks.h"
#include "dsp/kaiser.h"

namespace kc::dsp {

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

void StoreTapSum(CrossoverTaps& taps, std::size_t i) {
    const long double sum =
        (static_cast<long double>(taps.LowTaps[i]) + static_cast<long double>(taps.MidTaps[i])) +
        static_cast<long double>(taps.HighTaps[i]);
    taps.SumTaps[i] = base::StoreDouble(sum);
}

void FormSum(CrossoverTaps& taps) {
    for (std::size_t i = 0; i < taps.SumTaps.size(); ++i) {
        StoreTapSum(taps, i);
    }
}

int32_t NormaliseTapCount(int32_t v) {
    return base::CheckedAdd(base::CheckedMul(2, v / 2), 1);
}

}  // namespace kc::dsp

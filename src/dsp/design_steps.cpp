// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/design_steps.h"

#include <cstdint>

#include "base/checked_int.h"
#include "base/errors.h"
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
    taps.sampleRateHz = p.sampleRateHz;
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

void CheckSampleRate(int64_t sampleRateHz) {
    if (!IsSupportedSampleRate(sampleRateHz)) {
        base::RaiseRangeError();
    }
}

int32_t ScaledTapCount(int32_t count, int32_t fromRateHz, int32_t toRateHz) {
    CheckSampleRate(fromRateHz);
    CheckSampleRate(toRateHz);
    if (count < 1) {
        return count;
    }
    // In 64 bits: a count below 2^31 times a rate below 2^20 cannot overflow.
    const int64_t product = static_cast<int64_t>(count) * toRateHz;
    int64_t scaled = (product + fromRateHz - 1) / fromRateHz;
    if (scaled % 2 == 0) {
        ++scaled;
    }
    return base::NarrowToInt32(scaled);
}

CrossoverParameters AtSampleRate(const CrossoverParameters& parameters, int32_t toRateHz) {
    CrossoverParameters p = parameters;
    p.lowCount = ScaledTapCount(parameters.lowCount, parameters.sampleRateHz, toRateHz);
    p.midCount = ScaledTapCount(parameters.midCount, parameters.sampleRateHz, toRateHz);
    p.highCount = ScaledTapCount(parameters.highCount, parameters.sampleRateHz, toRateHz);
    p.sampleRateHz = toRateHz;
    return p;
}

}  // namespace kc::dsp

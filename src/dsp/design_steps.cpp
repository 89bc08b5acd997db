// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/design_steps.h"

#include <algorithm>
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
    if (count < 3 || fromRateHz == toRateHz) {
        return count;
    }
    // In 64 bits: a centre below 2^30 times twice a rate below 2^20 cannot overflow. The nearest
    // whole number, halves up: (2·c·to + from) div (2·from).
    const int64_t centre = count / 2;
    const int64_t scaled = (2 * centre * toRateHz + fromRateHz) / (2 * int64_t{fromRateHz});
    return base::NarrowToInt32(2 * std::max<int64_t>(scaled, 1) + 1);
}

CrossoverParameters AtSampleRate(const CrossoverParameters& parameters, int32_t toRateHz) {
    CrossoverParameters p = parameters;
    int32_t* counts[] = {&p.lowCount, &p.midCount, &p.highCount};
    for (std::size_t band = 0; band < 3; ++band) {
        *counts[band] = base::RunMarkingWhere(kArrayPlaces[band], [&] {
            return ScaledTapCount(*counts[band], parameters.sampleRateHz, toRateHz);
        });
    }
    p.sampleRateHz = toRateHz;
    return p;
}

}  // namespace kc::dsp

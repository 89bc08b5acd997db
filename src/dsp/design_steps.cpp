// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/design_steps.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "base/checked_int.h"
#include "base/errors.h"
#include "base/float_checks.h"
#include "dsp/bands.h"
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

namespace {

// The sum of tap i of the bands, low to high, in extended precision, stored.
void StoreTapSum(const std::array<const std::vector<double>*, kBandCount>& bands,
                 std::vector<double>& sumTaps, std::size_t i) {
    long double sum = static_cast<long double>((*bands[0])[i]);
    for (std::size_t band = 1; band < kBandCount; ++band) {
        sum += static_cast<long double>((*bands[band])[i]);
    }
    sumTaps[i] = base::StoreDouble(sum);
}

}  // namespace

void StoreTapSum(CrossoverTaps& taps, std::size_t i) {
    StoreTapSum(BandTaps(std::as_const(taps)), taps.SumTaps, i);
}

void FormSum(CrossoverTaps& taps) {
    const auto bands = BandTaps(std::as_const(taps));
    for (std::size_t i = 0; i < taps.SumTaps.size(); ++i) {
        StoreTapSum(bands, taps.SumTaps, i);
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
    for (std::size_t band = 0; band < kBandCount; ++band) {
        *counts[band] = base::RunMarkingWhere(kCurveNames[band].place, [&] {
            return ScaledTapCount(*counts[band], parameters.sampleRateHz, toRateHz);
        });
    }
    p.sampleRateHz = toRateHz;
    return p;
}

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/complex_response.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "base/math_constants.h"
#include "dsp/bands.h"
#include "dsp/split_work.h"

namespace kc::dsp {
namespace {

using base::kTwoPi;

// How many steps the rotation takes before cos(m·ω) and sin(m·ω) are computed afresh: each step
// errs by about 2ε, so the phasor stays within some 2e-13 of the true one (at 3923 taps the sums
// came within 60·ε·Σ|x| of an extended direct sum; every 256 steps was no closer and 25 % slower).
constexpr std::size_t kRestartInterval = 512;

struct CosSin {
    double cosine;
    double sine;
};

// cos and sin of 2π·turns: the whole turns taken off and the angle formed in extended precision,
// then rounded to double (an error of ε at most in an angle of at most π) for the double sine and
// cosine, which cost a fraction of the extended ones.
CosSin OfTurns(long double turns) {
    const auto theta = static_cast<double>(kTwoPi * (turns - std::nearbyint(turns)));
    return {std::cos(theta), std::sin(theta)};
}

// The pairs of taps at delay + m and delay − m (0 outside the array), m = 0 ... last: their sum,
// which multiplies cos(m·ω), and their difference, which multiplies −j·sin(m·ω). Entry 0 of
// `sums` is the tap at the delay itself.
struct TapPairs {
    std::vector<double> sums;
    std::vector<double> differences;
};

TapPairs PairAround(const std::vector<double>& taps, int64_t delay) {
    const auto length = static_cast<int64_t>(taps.size());
    const int64_t last = std::max<int64_t>(delay, length - 1 - delay);
    TapPairs pairs{std::vector<double>(static_cast<std::size_t>(std::max<int64_t>(last, 0) + 1)),
                   std::vector<double>(static_cast<std::size_t>(std::max<int64_t>(last, 0) + 1))};
    const auto at = [&](int64_t n) {
        return n >= 0 && n < length ? taps[static_cast<std::size_t>(n)] : 0.0;
    };
    pairs.sums[0] = at(delay);
    for (int64_t m = 1; m <= last; ++m) {
        const auto i = static_cast<std::size_t>(m);
        pairs.sums[i] = at(delay + m) + at(delay - m);
        pairs.differences[i] = at(delay + m) - at(delay - m);
    }
    return pairs;
}

// Eight frequencies side by side: every operation on a Lanes value works on all eight at once, and
// the compiler keeps them in vector registers.
constexpr std::size_t kLanes = 8;
using Lanes = double __attribute__((vector_size(kLanes * sizeof(double))));

// The delay-free response at up to eight frequencies, given as turns of e^(−jω) per tap; unused
// lanes hold 0 turns and are ignored.
void RespondAtLanes(const TapPairs& pairs, const std::array<long double, kLanes>& turnsPerTap,
                    Lanes& re, Lanes& im) {
    Lanes stepCosine{};
    Lanes stepSine{};
    for (std::size_t l = 0; l < kLanes; ++l) {
        const CosSin step = OfTurns(turnsPerTap[l]);
        stepCosine[l] = step.cosine;
        stepSine[l] = step.sine;
    }
    re = Lanes{} + pairs.sums[0];
    im = Lanes{};
    const std::size_t end = pairs.sums.size();
    for (std::size_t first = 1; first < end; first += kRestartInterval) {
        Lanes cosine{};
        Lanes sine{};
        for (std::size_t l = 0; l < kLanes; ++l) {
            const CosSin start = OfTurns(turnsPerTap[l] * static_cast<long double>(first));
            cosine[l] = start.cosine;
            sine[l] = start.sine;
        }
        const std::size_t last = std::min(end, first + kRestartInterval);
        for (std::size_t m = first; m < last; ++m) {
            re += pairs.sums[m] * cosine;
            im -= pairs.differences[m] * sine;
            const Lanes nextCosine = cosine * stepCosine - sine * stepSine;
            sine = sine * stepCosine + cosine * stepSine;
            cosine = nextCosine;
        }
    }
}

}  // namespace

std::vector<std::complex<double>> DelayFreeResponse(const std::vector<double>& taps,
                                                    int32_t delaySamples, int32_t sampleRateHz,
                                                    const std::vector<double>& frequenciesHz) {
    CheckSampleRate(sampleRateHz);
    const TapPairs pairs = PairAround(taps, delaySamples);
    std::vector<std::complex<double>> response(frequenciesHz.size());
    for (std::size_t first = 0; first < frequenciesHz.size(); first += kLanes) {
        std::array<long double, kLanes> turnsPerTap{};  // f/R: the turns of e^(−jω) per tap
        const std::size_t count = std::min(kLanes, frequenciesHz.size() - first);
        for (std::size_t l = 0; l < count; ++l) {
            turnsPerTap[l] = static_cast<long double>(frequenciesHz[first + l]) / sampleRateHz;
        }
        Lanes re{};
        Lanes im{};
        RespondAtLanes(pairs, turnsPerTap, re, im);
        for (std::size_t l = 0; l < count; ++l) {
            response[first + l] = {re[l], im[l]};
        }
    }
    return response;
}

CrossoverResponses DelayFreeResponses(const CrossoverTaps& taps,
                                      const std::vector<double>& frequenciesHz) {
    CrossoverResponses r;
    r.sampleRateHz = taps.sampleRateHz;
    r.delaySamples = taps.CommonCentre;
    r.frequenciesHz = frequenciesHz;
    const auto arrays = CurveTaps(taps);
    std::vector<std::complex<double>>* results[] = {&r.low, &r.mid, &r.high, &r.sum};
    // The four arrays are independent: two on each core.
    RunInTwoHalves(kCurveCount, 2, [&](std::size_t begin, std::size_t end) {
        for (std::size_t b = begin; b < end; ++b) {
            *results[b] =
                DelayFreeResponse(*arrays[b], taps.CommonCentre, taps.sampleRateHz, frequenciesHz);
        }
    });
    return r;
}

std::vector<double> LogSpacedFrequencies(double startHz, int32_t pointsPerOctave, double belowHz) {
    std::vector<double> frequencies;
    for (int32_t i = 0;; ++i) {
        const long double f = startHz * std::exp2(static_cast<long double>(i) /
                                                  static_cast<long double>(pointsPerOctave));
        if (!(f < belowHz)) {
            return frequencies;
        }
        frequencies.push_back(static_cast<double>(f));
    }
}

double PhaseDegrees(std::complex<double> delayFree, double frequencyHz, int32_t delaySamples,
                    int32_t sampleRateHz) {
    const long double delayTurns =
        static_cast<long double>(frequencyHz) * delaySamples / sampleRateHz;
    long double turns = std::atan2(static_cast<long double>(delayFree.imag()),
                                   static_cast<long double>(delayFree.real())) /
                            kTwoPi -
                        (delayTurns - std::floor(delayTurns));
    // Into (−½, ½] of a turn.
    turns -= std::ceil(turns - 0.5L);
    return static_cast<double>(360.0L * turns);
}

}  // namespace kc::dsp

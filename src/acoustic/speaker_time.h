// SPDX-License-Identifier: GPL-3.0-or-later
// The loudspeaker in the time domain: the impulse and step response that the acoustic model
// predicts for each band (driver × crossover × gain, polarity, delay) and for their sum, by an
// inverse FFT of their spectra on a uniform grid.
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "dsp/crossover.h"
#include "dsp/time_response.h"

namespace kc::acoustic {

// The transform's length for a design of `commonLength` taps at `sampleRateHz`: the power of two
// at least four times the design's length and at least 100 ms, so that the drivers' own delays
// and ringing fit in beside the crossover's.
int32_t SpeakerTransformLength(int32_t commonLength, int32_t sampleRateHz);

// What a design and its drivers fix at the grid's frequencies k·R/N, k = 0 ... N/2: each band's
// crossover response (its latency taken out) times its driver (each file interpolated as the
// acoustic view does, the ideal driver at IdealLevelDb), so that new gains, delays and polarities
// cost one multiplication a bin and band and four inverse FFTs. A measured driver has no response
// at DC (bin 0 is 0): the level its file's end slope continues to near 0 Hz would otherwise be a
// constant under the whole impulse, whose running sum reads as pre-ringing from the first sample.
class SpeakerTimeModel {
  public:
    // Nothing set: Evaluate gives an empty response.
    SpeakerTimeModel() = default;
    void Set(const dsp::CrossoverTaps& taps, const Drivers& drivers);
    bool IsSet() const { return length_ > 0; }

    // The four impulse responses (low, mid, high, sum) with t = 0 at the centre N/2, which is
    // where a band without driver delay has its centre tap, and their steps: a TimeResponse
    // that the time views draw and whose pre-ringing PreRingingFigures measures.
    dsp::TimeResponse Evaluate(const Settings& settings) const;

  private:
    int32_t length_ = 0;  // N
    int32_t sampleRateHz_ = dsp::SampleRate;
    std::array<std::vector<std::complex<double>>, dsp::kBandCount> spectra_;  // N/2 + 1 bins
};

}  // namespace kc::acoustic

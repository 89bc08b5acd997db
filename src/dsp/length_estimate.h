// SPDX-License-Identifier: GPL-3.0-or-later
// The filter length estimate: the cut-off halfway between a pass-band and a stop-band edge, and
// the odd number of taps that a Kaiser-window low-pass needs for that transition.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "dsp/response_store.h"

namespace kc::dsp {

// Where the estimate writes its two results.
class EstimateLabels {
  public:
    virtual ~EstimateLabels() = default;
    // "CutOff     ：" + the cut-off in whole hertz (truncated toward zero) + "Hz".
    virtual void SetCutOffCaption(const std::string& caption) = 0;
    // "Ideal Taps： " + the number of taps.
    virtual void SetIdealTapsCaption(const std::string& caption) = 0;
};

// Reads the pass-band edge, the stop-band edge (both Hz) and the attenuation (dB) from their texts
// and writes the two captions, the cut-off first. Kaiser's formula M = (A − 8) / (2.285·Δω) with
// Δω the transition width in radians per sample at `sampleRateHz` (the window's 44 100 Hz unless
// said otherwise); the taps are M + 1 truncated and made odd by going up. Errors: ERangeError,
// before anything is read, for a rate outside kMinSampleRateHz ... kMaxSampleRateHz; EConvertError
// for a text that is not a number, EOverflow for a value beyond the double range, EZeroDivide (or
// EInvalidOp when A is 8) for equal edges, EInvalidOp for a value beyond the 64-bit range,
// ERangeError for a count beyond 32 bits, EIntOverflow when the odd count would exceed it. A
// caption already written stays written.
void RunLengthEstimate(std::string_view passBandText, std::string_view stopBandText,
                       std::string_view attenuationText, EstimateLabels& labels,
                       int32_t sampleRateHz = SampleRate);

}  // namespace kc::dsp

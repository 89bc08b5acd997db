// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/length_estimate.h"

#include <cmath>
#include <cstdint>

#include "base/checked_int.h"
#include "base/float_checks.h"
#include "base/math_constants.h"
#include "base/text_convert.h"
#include "dsp/crossover.h"
#include "dsp/response_store.h"

namespace kc::dsp {
namespace {

using base::kPi;
using base::StoreDouble;

// A floating-point field text, converted and stored as a double.
double ReadFloatFieldAsDouble(std::string_view text) {
    return StoreDouble(base::StrToFloat(text));
}

// The edge frequency as an angular frequency in radians per sample, given the Nyquist frequency
// (half the rate, exact in extended precision for an odd rate too).
double AngularFrequency(double edgeHz, long double nyquistHz) {
    return StoreDouble(edgeHz / nyquistHz * kPi);
}

// n made odd by going up: n + 1 for an even n, n + 2 for an odd one (negative ones included).
int32_t OddTapsAbove(int32_t n) {
    return base::CheckedAdd(n, n % 2 == 0 ? 1 : 2);
}

}  // namespace

void RunLengthEstimate(std::string_view passBandText, std::string_view stopBandText,
                       std::string_view attenuationText, EstimateLabels& labels,
                       int32_t sampleRateHz) {
    CheckSampleRate(sampleRateHz);
    const long double nyquistHz = static_cast<long double>(sampleRateHz) / 2.0L;
    const double passHz = ReadFloatFieldAsDouble(passBandText);
    const double stopHz = ReadFloatFieldAsDouble(stopBandText);
    const double attenuationDb = ReadFloatFieldAsDouble(attenuationText);

    const double cutOffHz = StoreDouble((static_cast<long double>(passHz) + stopHz) / 2.0L);
    labels.SetCutOffCaption("CutOff     ：" + base::IntToStr(base::TruncToInt64(cutOffHz)) + "Hz");

    const double transition =
        StoreDouble(std::fabs(static_cast<long double>(AngularFrequency(passHz, nyquistHz)) -
                              AngularFrequency(stopHz, nyquistHz)));
    const double order = StoreDouble(
        base::CheckedDivide(static_cast<long double>(attenuationDb) - 8.0L, 2.285L * transition));
    const int32_t n =
        base::NarrowToInt32(base::TruncToInt64(static_cast<long double>(order) + 1.0L));
    labels.SetIdealTapsCaption("Ideal Taps： " + base::IntToStr(OddTapsAbove(n)));
}

}  // namespace kc::dsp

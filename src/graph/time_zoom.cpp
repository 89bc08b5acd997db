// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/time_zoom.h"

#include <algorithm>
#include <cmath>

namespace kc::graph {
namespace {

// [lo, hi] widened about its middle to `smallest` when it is narrower.
void Widen(double& lo, double& hi, double smallest) {
    if (hi - lo < smallest) {
        const double middle = (lo + hi) / 2.0;
        lo = middle - smallest / 2.0;
        hi = middle + smallest / 2.0;
    }
}

}  // namespace

TimeRange LimitedTimeRange(const TimeRange& range, int32_t sampleRateHz) {
    TimeRange limited = range;
    Widen(limited.tMinMs, limited.tMaxMs, kSmallestSpanTaps * 1000.0 / sampleRateHz);
    Widen(limited.yMin, limited.yMax,
          kSmallestAmplitudeSpan * std::max(1.0, std::fabs(limited.yMax)));
    return limited;
}

std::optional<TimeRange> ZoomedToBand(const PlotFrame& frame, const TimeRange& range,
                                      const PixelBand& band, int32_t sampleRateHz) {
    if (band.right - band.left < kSmallestZoomBandPixels ||
        band.bottom - band.top < kSmallestZoomBandPixels) {
        return std::nullopt;
    }
    return LimitedTimeRange({TimeOfX(frame, range, band.left), TimeOfX(frame, range, band.right),
                             ValueOfY(frame, range, band.bottom), ValueOfY(frame, range, band.top)},
                            sampleRateHz);
}

std::optional<TimeRange> ZoomedAbout(const PlotFrame& frame, const TimeRange& range, double x,
                                     double y, double factor, int32_t sampleRateHz) {
    if (!(factor > 0.0)) {
        return std::nullopt;
    }
    const double t = TimeOfX(frame, range, x);
    const double v = ValueOfY(frame, range, y);
    return LimitedTimeRange({t - (t - range.tMinMs) * factor, t + (range.tMaxMs - t) * factor,
                             v - (v - range.yMin) * factor, v + (range.yMax - v) * factor},
                            sampleRateHz);
}

// A tap lies in the range when its time does: the first index at or after tMinMs, the last at or
// before tMaxMs, both kept within the taps (clamped as doubles, so that a range far beyond the
// taps converts safely).
TapSpan VisibleTaps(const dsp::TimeResponse& response, const TimeRange& range) {
    const double tapsPerMs = response.sampleRateHz / 1000.0;
    const auto length = static_cast<double>(response.Length());
    return {static_cast<int32_t>(
                std::clamp(std::ceil(response.centre + range.tMinMs * tapsPerMs), 0.0, length)),
            static_cast<int32_t>(std::clamp(std::floor(response.centre + range.tMaxMs * tapsPerMs),
                                            -1.0, length - 1.0))};
}

std::optional<int32_t> TapAtPixel(const PlotFrame& frame, const TimeRange& range,
                                  const dsp::TimeResponse& response, double x) {
    if (!(x >= frame.left && x < frame.left + frame.width)) {
        return std::nullopt;
    }
    return NearestTap(response, TimeOfX(frame, range, x));
}

}  // namespace kc::graph

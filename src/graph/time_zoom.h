// SPDX-License-Identifier: GPL-3.0-or-later
// Zooming a time view and what it shows: the ranges a rubber band or the wheel gives, in pixels of
// the plot, the smallest range it keeps, the taps inside a range and the tap a pixel column reads
// out. No Qt: the time window only passes the pointer's pixels here.
#pragma once

#include <cstdint>
#include <optional>

#include "dsp/time_response.h"
#include "graph/time_plot.h"

namespace kc::graph {

// The smallest zoom: two taps across, and an amplitude span of this much times the larger of 1
// and |yMax| (what a double still resolves well).
inline constexpr double kSmallestSpanTaps = 2.0;
inline constexpr double kSmallestAmplitudeSpan = 1e-9;
// A rubber band narrower or lower than this, pixels, is a click and zooms nowhere.
inline constexpr double kSmallestZoomBandPixels = 4.0;

// `range`, each axis widened about its middle where it is narrower than the smallest zoom at
// sampleRateHz (> 0); unchanged otherwise.
TimeRange LimitedTimeRange(const TimeRange& range, int32_t sampleRateHz);

// A rectangle of pixels of the plot's picture: left <= right, top <= bottom.
struct PixelBand {
    double left = 0.0;
    double top = 0.0;
    double right = 0.0;
    double bottom = 0.0;
};

// The range a rubber band over the picture shows (its left and right edges become the times, its
// bottom and top the amplitudes), limited at sampleRateHz; nothing for a band narrower or lower
// than kSmallestZoomBandPixels.
std::optional<TimeRange> ZoomedToBand(const PlotFrame& frame, const TimeRange& range,
                                      const PixelBand& band, int32_t sampleRateHz);

// The range zoomed by `factor` about pixel (x, y), which keeps its time and amplitude (below 1
// zooms in), limited at sampleRateHz; nothing for a factor that is not above 0.
std::optional<TimeRange> ZoomedAbout(const PlotFrame& frame, const TimeRange& range, double x,
                                     double y, double factor, int32_t sampleRateHz);

// The taps whose times lie in `range`, first ... last (0 ... Length() − 1 at most); last < first
// when no tap does.
struct TapSpan {
    int32_t first = 0;
    int32_t last = -1;
    friend bool operator==(const TapSpan&, const TapSpan&) = default;
};
TapSpan VisibleTaps(const dsp::TimeResponse& response, const TimeRange& range);

// The tap that the readout names for pixel column x of the picture: the nearest to x's time, or
// nothing when x lies outside the frame's columns or no tap is near.
std::optional<int32_t> TapAtPixel(const PlotFrame& frame, const TimeRange& range,
                                  const dsp::TimeResponse& response, double x);

}  // namespace kc::graph

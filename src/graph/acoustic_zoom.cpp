// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/acoustic_zoom.h"

#include <algorithm>
#include <cmath>

namespace kc::graph {
namespace {

double LevelOfY(const PlotFrame& frame, const AcousticRange& range, double y) {
    const double rows = std::max(1, frame.height - 1);
    return range.topDb - (y - frame.top) / rows * (range.topDb - range.bottomDb);
}

bool CanZoom(const AcousticPlotInputs& inputs) {
    return !inputs.frequenciesHz.empty() && inputs.note.empty();
}

}  // namespace

AcousticRange LimitedAcousticRange(const AcousticRange& range) {
    AcousticRange limited = range;
    const double smallestRatio = std::exp2(kSmallestOctaves);
    if (!(range.lastHz / range.firstHz >= smallestRatio)) {
        const double middle = std::sqrt(range.firstHz * range.lastHz);
        limited.firstHz = middle / std::sqrt(smallestRatio);
        limited.lastHz = middle * std::sqrt(smallestRatio);
    }
    if (!(range.topDb - range.bottomDb >= kSmallestLevelSpanDb)) {
        const double middle = 0.5 * (range.topDb + range.bottomDb);
        limited.bottomDb = middle - 0.5 * kSmallestLevelSpanDb;
        limited.topDb = middle + 0.5 * kSmallestLevelSpanDb;
    }
    return limited;
}

std::optional<AcousticRange> AcousticZoomedToBand(const PlotFrame& frame,
                                                  const AcousticPlotInputs& inputs,
                                                  const PixelBand& band) {
    if (!CanZoom(inputs) || band.right - band.left < kSmallestZoomBandPixels ||
        band.bottom - band.top < kSmallestZoomBandPixels) {
        return std::nullopt;
    }
    const AcousticRange shown = ShownRange(inputs);
    const FrequencyAxis axis{shown.firstHz, shown.lastHz};
    return LimitedAcousticRange(
        {FrequencyOfX(frame, axis, band.left), FrequencyOfX(frame, axis, band.right),
         LevelOfY(frame, shown, band.bottom), LevelOfY(frame, shown, band.top)});
}

std::optional<AcousticRange> AcousticZoomedAbout(const PlotFrame& frame,
                                                 const AcousticPlotInputs& inputs, double x,
                                                 double y, double factor) {
    if (!CanZoom(inputs) || !(factor > 0.0) || !std::isfinite(factor)) {
        return std::nullopt;
    }
    const AcousticRange shown = ShownRange(inputs);
    const double hz = FrequencyOfX(frame, {shown.firstHz, shown.lastHz}, x);
    const double db = LevelOfY(frame, shown, y);
    return LimitedAcousticRange(
        {hz * std::pow(shown.firstHz / hz, factor), hz * std::pow(shown.lastHz / hz, factor),
         db + (shown.bottomDb - db) * factor, db + (shown.topDb - db) * factor});
}

}  // namespace kc::graph

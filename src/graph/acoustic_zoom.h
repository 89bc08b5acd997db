// SPDX-License-Identifier: GPL-3.0-or-later
// Zooming the acoustic plot: the part a rubber band or the wheel gives, in pixels of the plot,
// on its logarithmic frequency axis and its level axis, and the smallest part it keeps. No Qt:
// the view only passes the pointer's pixels here.
#pragma once

#include <optional>

#include "graph/acoustic_plot.h"
#include "graph/time_zoom.h"

namespace kc::graph {

// The smallest zoom: a twelfth of an octave across and 0.1 dB high.
inline constexpr double kSmallestOctaves = 1.0 / 12.0;
inline constexpr double kSmallestLevelSpanDb = 0.1;

// `range`, each axis widened about its middle (geometric for frequency) where it is narrower than
// the smallest zoom; unchanged otherwise.
AcousticRange LimitedAcousticRange(const AcousticRange& range);

// The part a rubber band over the picture shows (its left and right edges become the
// frequencies, its bottom and top the levels), limited; nothing for a band narrower or lower than
// kSmallestZoomBandPixels, or without frequencies to show.
std::optional<AcousticRange> AcousticZoomedToBand(const PlotFrame& frame,
                                                  const AcousticPlotInputs& inputs,
                                                  const PixelBand& band);

// The part zoomed by `factor` about pixel (x, y), which keeps its frequency and level (below 1
// zooms in), limited; nothing for a factor that is not above 0, or without frequencies.
std::optional<AcousticRange> AcousticZoomedAbout(const PlotFrame& frame,
                                                 const AcousticPlotInputs& inputs, double x,
                                                 double y, double factor);

}  // namespace kc::graph

// SPDX-License-Identifier: GPL-3.0-or-later
// Tracing one stored curve into the graph image as one connected line through all its points.
#pragma once

#include <cstdint>
#include <span>

#include "graph/canvas.h"

namespace kc::graph {

// Draws curve (entries 1 ... last; entry k belongs to grid point k of the frequency grid) on the
// linear frequency axis of an image width x height pixels: pen solid, blue when highlight is not
// 0, else black; from the start point (0, height div 6) one segment to each point in index order,
// 950 segments for last = 950; the pen is left black and solid. last must be at least 500. Every
// access checks its index against 0 ... last and the length of curve (ERangeError); the mappings
// raise as FreqToXLinear and ValueToY do.
void PlotCurveLinear(Canvas& image, int32_t width, int32_t height, std::span<const double> curve,
                     int32_t last, int32_t highlight);

// The same on the logarithmic frequency axis (FreqToXLog): the points below 10 Hz lie left of the
// image.
void PlotCurveLog(Canvas& image, int32_t width, int32_t height, std::span<const double> curve,
                  int32_t last, int32_t highlight);

}  // namespace kc::graph

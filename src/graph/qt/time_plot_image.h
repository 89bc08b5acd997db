// SPDX-License-Identifier: GPL-3.0-or-later
// The time view's picture on Qt: the window shows it and the command line writes it, alike.
#pragma once

#include <QFont>
#include <QImage>
#include <functional>

#include "graph/time_plot.h"

namespace kc::graph {

// Text widths and line height of `font`, as the picture's labels take them.
TextMetrics MetricsOf(const QFont& font);

// A white width x height picture (at least 1 x 1) that `draw` paints with black text in `font`:
// what the second window's pictures have in common.
QImage RenderOnWhite(int width, int height, const QFont& font,
                     const std::function<void(Canvas&, const TextMetrics&)>& draw);

// The picture of `inputs` (inputs.width x inputs.height pixels, RGB) with its labels in `font`.
QImage RenderTimePlot(const TimePlotInputs& inputs, const QFont& font);

}  // namespace kc::graph

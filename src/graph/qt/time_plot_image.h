// SPDX-License-Identifier: GPL-3.0-or-later
// The time view's picture on Qt: the window shows it and the command line writes it, alike.
#pragma once

#include <QFont>
#include <QImage>

#include "graph/time_plot.h"

namespace kc::graph {

// Text widths and line height of `font`, as the picture's labels take them.
TextMetrics MetricsOf(const QFont& font);

// The picture of `inputs` (inputs.width x inputs.height pixels, RGB) with its labels in `font`.
QImage RenderTimePlot(const TimePlotInputs& inputs, const QFont& font);

}  // namespace kc::graph

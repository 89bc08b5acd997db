// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic view's picture on Qt: the window shows it and the command line writes it, alike.
#pragma once

#include <QFont>
#include <QImage>

#include "graph/acoustic_plot.h"

namespace kc::graph {

// The picture of `inputs` (inputs.width x inputs.height pixels, RGB) with its labels in `font`.
QImage RenderAcousticPlot(const AcousticPlotInputs& inputs, const QFont& font);

}  // namespace kc::graph

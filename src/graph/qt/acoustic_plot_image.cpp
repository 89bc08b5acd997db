// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/qt/acoustic_plot_image.h"

#include "graph/qt/time_plot_image.h"

namespace kc::graph {

QImage RenderAcousticPlot(const AcousticPlotInputs& inputs, const QFont& font) {
    return RenderOnWhite(inputs.width, inputs.height, font,
                         [&inputs](Canvas& canvas, const TextMetrics& metrics) {
                             DrawAcousticPlot(canvas, inputs, metrics);
                         });
}

}  // namespace kc::graph

// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/qt/acoustic_plot_image.h"

#include <algorithm>

#include "graph/qt/qimage_canvas.h"
#include "graph/qt/time_plot_image.h"

namespace kc::graph {

QImage RenderAcousticPlot(const AcousticPlotInputs& inputs, const QFont& font) {
    QImage image(std::max(1, inputs.width), std::max(1, inputs.height), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QImageCanvas canvas(image);
        canvas.SetFont(font);
        canvas.SetTextColor(clBlack);
        DrawAcousticPlot(canvas, inputs, MetricsOf(font));
    }
    return image;
}

}  // namespace kc::graph

// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/qt/time_plot_image.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>
#include <iterator>

#include "graph/qt/qimage_canvas.h"

namespace kc::graph {

TextMetrics MetricsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    return {[metrics](std::string_view text) {
                return metrics.horizontalAdvance(QString::fromUtf8(text.data(), std::ssize(text)));
            },
            metrics.height()};
}

QImage RenderTimePlot(const TimePlotInputs& inputs, const QFont& font) {
    QImage image(std::max(1, inputs.width), std::max(1, inputs.height), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QImageCanvas canvas(image);
        canvas.SetFont(font);
        canvas.SetTextColor(clBlack);
        DrawTimePlot(canvas, inputs, MetricsOf(font));
    }
    return image;
}

}  // namespace kc::graph

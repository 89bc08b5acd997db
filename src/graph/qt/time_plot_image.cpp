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

QImage RenderOnWhite(int width, int height, const QFont& font,
                     const std::function<void(Canvas&, const TextMetrics&)>& draw) {
    QImage image(std::max(1, width), std::max(1, height), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QImageCanvas canvas(image);
        canvas.SetFont(font);
        canvas.SetTextColor(clBlack);
        draw(canvas, MetricsOf(font));
    }
    return image;
}

QImage RenderTimePlot(const TimePlotInputs& inputs, const QFont& font) {
    return RenderOnWhite(inputs.width, inputs.height, font,
                         [&inputs](Canvas& canvas, const TextMetrics& metrics) {
                             DrawTimePlot(canvas, inputs, metrics);
                         });
}

}  // namespace kc::graph

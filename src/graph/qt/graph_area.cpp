// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/qt/graph_area.h"

#include <QPainter>
#include <QPoint>
#include <cmath>

namespace kc::graph {
namespace {

constexpr int kAboveImage = 10;
constexpr int kBelowImage = 23;

// The device pixels of a logical rectangle at a device scale: every pixel it touches.
QRect DeviceRect(const QRect& logical, qreal scale) {
    const auto device = [scale](int v, double (*round)(double)) {
        return static_cast<int>(round(v * scale));
    };
    const int left = device(logical.left(), std::floor);
    const int top = device(logical.top(), std::floor);
    return QRect(left, top, device(logical.left() + logical.width(), std::ceil) - left,
                 device(logical.top() + logical.height(), std::ceil) - top);
}

}  // namespace

QRect GraphAreaRect(const GraphGeometry& geometry, int clientWidth) {
    return QRect(0, geometry.T - kAboveImage, clientWidth, kAboveImage + geometry.H + kBelowImage);
}

QImage ComposeGraphArea(const RetainedGraph& graph, const GraphGeometry& geometry,
                        const QColor& background) {
    const QImage& labels = graph.Labels();
    if (labels.isNull() || graph.Picture().isNull()) {
        return QImage();
    }
    // Composed at the device scale of the redraw, so that a high-resolution display gives a
    // picture of its own resolution.
    const qreal scale = labels.devicePixelRatio();
    QImage client(labels.size(), QImage::Format_RGB32);
    client.setDevicePixelRatio(scale);
    client.fill(background);
    {
        QPainter painter(&client);
        graph.Paint(painter, QPoint(geometry.L, geometry.T));
    }
    const int clientWidth = qRound(labels.deviceIndependentSize().width());
    QImage area = client.copy(DeviceRect(GraphAreaRect(geometry, clientWidth), scale));
    area.setDevicePixelRatio(scale);
    return area;
}

QImage RenderGraphArea(const GraphInputs& inputs, const dsp::ResponseStore& store,
                       const GraphAreaLook& look) {
    RetainedGraph retained(look.clientSize);
    retained.SetLabelFont(look.labelFont);
    retained.SetLabelColors(look.labelColor, look.background);
    DrawGraph(inputs, store, retained);
    return ComposeGraphArea(retained, inputs.geometry, look.background);
}

}  // namespace kc::graph

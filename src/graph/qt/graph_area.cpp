#include "graph/qt/graph_area.h"

#include <QPainter>
#include <QPoint>

namespace kc::graph {
namespace {

constexpr int kAboveImage = 10;
constexpr int kBelowImage = 23;

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
    QImage client(labels.size(), QImage::Format_RGB32);
    client.fill(background);
    {
        QPainter painter(&client);
        graph.Paint(painter, QPoint(geometry.L, geometry.T));
    }
    return client.copy(GraphAreaRect(geometry, client.width()));
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

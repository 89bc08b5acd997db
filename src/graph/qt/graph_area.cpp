#include "graph/qt/graph_area.h"

#include <QPainter>
#include <stdexcept>

#include "export/file_write.h"
#include "graph/qt/window_font.h"

namespace kc::graph {
namespace {

constexpr int kLabelPixels = 12;
constexpr int kAboveImage = 10;
constexpr int kBelowImage = 23;
const QColor kButtonFace(240, 240, 240);

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

QImage RenderGraphArea(const GraphInputs& inputs, const dsp::ResponseStore& store) {
    RetainedGraph retained(QSize(kMainClientWidth, kMainClientHeight));
    retained.SetLabelFont(WindowFont(kLabelPixels));
    retained.SetLabelColors(Qt::black, kButtonFace);
    DrawGraph(inputs, store, retained);
    return ComposeGraphArea(retained, inputs.geometry, kButtonFace);
}

void WritePngFile(const std::string& path, const QImage& image) {
    exporting::WriteFileAtomically(path, [&image](const std::string& temporary) {
        if (!image.save(QString::fromStdString(temporary), "PNG")) {
            throw std::runtime_error("the PNG could not be written");
        }
    });
}

void WriteGraphPng(const std::string& path, const GraphInputs& inputs,
                   const dsp::ResponseStore& store) {
    WritePngFile(path, RenderGraphArea(inputs, store));
}

}  // namespace kc::graph

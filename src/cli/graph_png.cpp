#include "cli/graph_png.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <stdexcept>

#include "export/file_write.h"
#include "graph/qt/retained_graph.h"

namespace kc::cli {
namespace {

// The window's client area, in which the labels lie around the image.
constexpr int kClientWidth = 674;
constexpr int kClientHeight = 599;
// The band of the client area that holds the image and its labels.
const QRect kGraphArea(0, 190, kClientWidth, 370);
const QColor kButtonFace(240, 240, 240);

QFont WindowFont() {
    QFont font;
    font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")});
    font.setPixelSize(12);
    return font;
}

QImage RenderGraphArea(const graph::GraphInputs& inputs, const dsp::ResponseStore& store) {
    graph::RetainedGraph retained(QSize(kClientWidth, kClientHeight));
    retained.SetLabelFont(WindowFont());
    retained.SetLabelColors(Qt::black, kButtonFace);
    graph::DrawGraph(inputs, store, retained);

    QImage client(kClientWidth, kClientHeight, QImage::Format_RGB32);
    client.fill(kButtonFace);
    {
        QPainter painter(&client);
        retained.Paint(painter, QPoint(inputs.geometry.L, inputs.geometry.T));
    }
    return client.copy(kGraphArea);
}

}  // namespace

void WriteGraphPng(const std::string& path, const graph::GraphInputs& inputs,
                   const dsp::ResponseStore& store) {
    const QImage image = RenderGraphArea(inputs, store);
    exporting::WriteFileAtomically(path, [&image](const std::string& temporary) {
        if (!image.save(QString::fromStdString(temporary), "PNG")) {
            throw std::runtime_error("the PNG could not be written");
        }
    });
}

}  // namespace kc::cli

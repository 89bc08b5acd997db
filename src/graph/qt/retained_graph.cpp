// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/qt/retained_graph.h"

#include <cstdint>
#include <utility>

namespace kc::graph {

RetainedGraph::RetainedGraph(QSize labelLayerSize) : labelLayerSize_(labelLayerSize) {}

RetainedGraph::~RetainedGraph() {
    EndPainting();
}

void RetainedGraph::SetLabelFont(const QFont& font) {
    labelFont_ = font;
}

void RetainedGraph::SetDeviceScale(qreal scale) {
    deviceScale_ = scale > 0.0 ? scale : 1.0;
}

void RetainedGraph::SetLabelColors(const QColor& text, const QColor& cells) {
    labelTextColor_ = text;
    labelCellColor_ = cells;
}

void RetainedGraph::Paint(QPainter& painter, QPoint imageTopLeft) const {
    if (!labels_.isNull()) {
        painter.drawImage(QPoint(0, 0), labels_);
    }
    if (!picture_.isNull()) {
        painter.drawImage(imageTopLeft, picture_);
    }
}

Canvas& RetainedGraph::BeginImage(int32_t width, int32_t height) {
    pictureCanvas_.reset();
    // A picture of no pixels stays a null image; its canvas then draws nothing.
    pendingPicture_ =
        width > 0 && height > 0
            ? QImage(DeviceSize(QSize(width, height), deviceScale_), QImage::Format_RGB32)
            : QImage();
    pendingPicture_.fill(Qt::white);
    pictureCanvas_ =
        std::make_unique<QImageCanvas>(pendingPicture_, QSize(width, height), deviceScale_);
    pictureBegun_ = true;
    return *pictureCanvas_;
}

Canvas& RetainedGraph::BeginLabels() {
    labelCanvas_.reset();
    // Every redraw starts from a clear layer instead of drawing over the labels shown now: a
    // blank is narrower than a digit in a proportional font, so the blanks of one mode's labels
    // do not always reach over the ends of the other mode's. Drawn opaquely, the labels still
    // paint their cells, blanks included, in the window's colour.
    pendingLabels_ =
        QImage(DeviceSize(labelLayerSize_, deviceScale_), QImage::Format_ARGB32_Premultiplied);
    pendingLabels_.fill(Qt::transparent);
    labelCanvas_ = std::make_unique<QImageCanvas>(pendingLabels_, labelLayerSize_, deviceScale_);
    labelCanvas_->SetFont(labelFont_);
    labelCanvas_->SetTextColor(FromQColor(labelTextColor_));
    labelCanvas_->SetBrushColor(FromQColor(labelCellColor_));
    labelsBegun_ = true;
    return *labelCanvas_;
}

void RetainedGraph::ShowRedraw() {
    EndPainting();
    // Held at the device scale, the pictures are shown at their logical size.
    if (pictureBegun_) {
        picture_ = std::exchange(pendingPicture_, QImage());
        picture_.setDevicePixelRatio(deviceScale_);
    }
    if (labelsBegun_) {
        labels_ = std::exchange(pendingLabels_, QImage());
        labels_.setDevicePixelRatio(deviceScale_);
    }
    pictureBegun_ = false;
    labelsBegun_ = false;
}

void RetainedGraph::DiscardRedraw() {
    EndPainting();
    pendingPicture_ = QImage();
    pendingLabels_ = QImage();
    pictureBegun_ = false;
    labelsBegun_ = false;
}

void RetainedGraph::EndPainting() {
    pictureCanvas_.reset();
    labelCanvas_.reset();
}

}  // namespace kc::graph

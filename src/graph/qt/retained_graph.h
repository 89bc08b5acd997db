// SPDX-License-Identifier: GPL-3.0-or-later
// The retained pictures of the graph on Qt: the image picture and the label layer that a window
// (or a tool that renders the graph to a file) shows, with the redraw protocol of GraphHost. A
// redraw draws into a fresh picture and a fresh, clear label layer; only a completed redraw
// replaces what is shown, so the label layer always holds exactly the last completed redraw's
// labels.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>
#include <QSize>
#include <cstdint>
#include <memory>

#include "graph/draw_graph.h"
#include "graph/qt/qimage_canvas.h"

namespace kc::graph {

// Implements the drawing part of GraphHost. The screen cursor and the message pump do nothing
// here; a window overrides them (and ShowRedraw, to schedule its repaint after calling this one).
class RetainedGraph : public GraphHost {
  public:
    // labelLayerSize: the window's client area in pixels (674 x 599 in the main window); the
    // labels lie in it, outside the image.
    explicit RetainedGraph(QSize labelLayerSize);
    ~RetainedGraph() override;
    RetainedGraph(const RetainedGraph&) = delete;
    RetainedGraph& operator=(const RetainedGraph&) = delete;

    // The labels' font, glyph colour and cell colour (the window's font, window-text and
    // button-face colours). Apply from the next redraw on.
    void SetLabelFont(const QFont& font);
    void SetLabelColors(const QColor& text, const QColor& cells);

    // The scale of the display that shows the graph: device pixels per logical pixel (2 on a
    // display scaled to 200 %). Applies from the next redraw on; 1 at first.
    void SetDeviceScale(qreal scale);
    qreal DeviceScale() const { return deviceScale_; }

    // The picture of the last completed redraw, W x H logical pixels (RGB) held at the device
    // scale of that redraw (its device pixel ratio); a null image before the first.
    const QImage& Picture() const { return picture_; }
    // The labels of the last completed redraw, the size of the client area, transparent wherever
    // no label has been drawn; held like the picture.
    const QImage& Labels() const { return labels_; }

    // Paints the label layer at the client area's origin and the picture with its top-left
    // corner at imageTopLeft (L, T), in client-area pixels.
    void Paint(QPainter& painter, QPoint imageTopLeft) const;

    Canvas& BeginImage(int32_t width, int32_t height) override;
    Canvas& BeginLabels() override;
    void ShowRedraw() override;
    void DiscardRedraw() override;
    void SetBusyCursor() override {}
    void SetDefaultCursor() override {}
    void ProcessMessages() override {}

  private:
    void EndPainting();

    QSize labelLayerSize_;
    qreal deviceScale_ = 1.0;
    QFont labelFont_;
    QColor labelTextColor_{Qt::black};
    QColor labelCellColor_{Qt::white};
    QImage picture_;
    QImage labels_;
    QImage pendingPicture_;
    QImage pendingLabels_;
    bool pictureBegun_ = false;
    bool labelsBegun_ = false;
    // Declared after the images they paint into, so that they end painting first.
    std::unique_ptr<QImageCanvas> pictureCanvas_;
    std::unique_ptr<QImageCanvas> labelCanvas_;
};

}  // namespace kc::graph

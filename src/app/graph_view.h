// SPDX-License-Identifier: GPL-3.0-or-later
// The graph on the window: Image1 showing the retained picture, and the redraw's host that
// schedules the repaint, sets the screen cursor and pumps the window's messages.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <utility>

#include "graph/qt/retained_graph.h"

namespace kc::app {

// The readout for pixel column x of the image (tooltip text), empty when there is none.
using ReadoutSource = std::function<QString(int x)>;

// Image1: shows the picture of the graph's last completed redraw, blank before the first. Resting
// the pointer on it shows the readout of the column under the pointer in a tooltip, which follows
// the pointer while it moves.
class GraphImage final : public QWidget {
  public:
    GraphImage(const graph::RetainedGraph& graph, QWidget* parent);

    void SetReadoutSource(ReadoutSource source) { readout_ = std::move(source); }

  protected:
    bool event(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

  private:
    void ShowReadout(QPoint position, QPoint globalPosition);

    const graph::RetainedGraph& graph_;
    ReadoutSource readout_;
};

// The retained graph of a window: a redraw draws at the window's device pixel ratio, and a
// completed one repaints the window (whose client area shows the label layer) and the image.
class WindowGraph final : public graph::RetainedGraph {
  public:
    // clientSize: the window's client area in pixels, where the labels lie.
    WindowGraph(QWidget& window, QSize clientSize);

    // The image widget to repaint with the window; set once it exists.
    void SetImage(QWidget* image) { image_ = image; }

    graph::Canvas& BeginImage(int32_t width, int32_t height) override;
    graph::Canvas& BeginLabels() override;
    void ShowRedraw() override;
    void SetBusyCursor() override;
    void SetDefaultCursor() override;
    void ProcessMessages() override;

  private:
    QWidget& window_;
    QWidget* image_ = nullptr;
};

}  // namespace kc::app

// The graph on the window: Image1 showing the retained picture, and the redraw's host that
// schedules the repaint, sets the screen cursor and pumps the window's messages.
#pragma once

#include <QWidget>

#include "graph/qt/retained_graph.h"

namespace kc::app {

// Image1: shows the picture of the graph's last completed redraw, blank before the first.
class GraphImage final : public QWidget {
  public:
    GraphImage(const graph::RetainedGraph& graph, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const graph::RetainedGraph& graph_;
};

// The retained graph of a window: a completed redraw repaints the window (whose client area
// shows the label layer) and the image.
class WindowGraph final : public graph::RetainedGraph {
  public:
    // clientSize: the window's client area in pixels, where the labels lie.
    WindowGraph(QWidget& window, QSize clientSize);

    // The image widget to repaint with the window; set once it exists.
    void SetImage(QWidget* image) { image_ = image; }

    void ShowRedraw() override;
    void SetBusyCursor() override;
    void SetDefaultCursor() override;
    void ProcessMessages() override;

  private:
    QWidget& window_;
    QWidget* image_ = nullptr;
};

}  // namespace kc::app

#include "app/graph_view.h"

#include <QCoreApplication>
#include <QPainter>

#include "app/screen_cursor.h"

namespace kc::app {

GraphImage::GraphImage(const graph::RetainedGraph& graph, QWidget* parent)
    : QWidget(parent), graph_(graph) {}

void GraphImage::paintEvent(QPaintEvent* /*event*/) {
    if (graph_.Picture().isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), graph_.Picture());
}

WindowGraph::WindowGraph(QWidget& window, QSize clientSize)
    : RetainedGraph(clientSize), window_(window) {}

void WindowGraph::ShowRedraw() {
    RetainedGraph::ShowRedraw();
    window_.update();
    if (image_ != nullptr) {
        image_->update();
    }
}

void WindowGraph::SetBusyCursor() {
    app::SetBusyCursor();
}

void WindowGraph::SetDefaultCursor() {
    app::SetDefaultCursor();
}

void WindowGraph::ProcessMessages() {
    QCoreApplication::processEvents();
}

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/graph_view.h"

#include <QCoreApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "app/screen_cursor.h"

namespace kc::app {

GraphImage::GraphImage(const graph::RetainedGraph& graph, QWidget* parent)
    : QWidget(parent), graph_(graph) {
    // Moves without a button pressed must arrive, so that a shown readout follows the pointer.
    setMouseTracking(true);
}

bool GraphImage::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        ShowReadout(help->pos(), help->globalPos());
        return true;
    }
    return QWidget::event(event);
}

void GraphImage::mouseMoveEvent(QMouseEvent* event) {
    if (QToolTip::isVisible()) {
        ShowReadout(event->position().toPoint(), event->globalPosition().toPoint());
    }
    QWidget::mouseMoveEvent(event);
}

void GraphImage::ShowReadout(QPoint position, QPoint globalPosition) {
    const QString text = readout_ ? readout_(position.x()) : QString();
    if (text.isEmpty()) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(globalPosition, text, this, rect());
}

void GraphImage::paintEvent(QPaintEvent* /*event*/) {
    if (graph_.Picture().isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), graph_.Picture());
}

WindowGraph::WindowGraph(QWidget& window, QSize clientSize)
    : RetainedGraph(clientSize), window_(window) {}

graph::Canvas& WindowGraph::BeginImage(int32_t width, int32_t height) {
    SetDeviceScale(window_.devicePixelRatioF());
    return RetainedGraph::BeginImage(width, height);
}

graph::Canvas& WindowGraph::BeginLabels() {
    SetDeviceScale(window_.devicePixelRatioF());
    return RetainedGraph::BeginLabels();
}

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

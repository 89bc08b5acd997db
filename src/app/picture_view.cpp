// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/picture_view.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>
#include <utility>

namespace kc::app {

PictureView::PictureView(QWidget* parent, PictureHandlers handlers, ReportingRunner runReporting)
    : QWidget(parent),
      handlers_(std::move(handlers)),
      runReporting_(std::move(runReporting)),
      band_(QRubberBand::Rectangle, this) {
    // Moves without a button pressed must arrive, so that the readout follows the pointer.
    setMouseTracking(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    // A click gives it the keyboard: Escape takes back a rubber band, other keys go to the view.
    setFocusPolicy(Qt::ClickFocus);
}

void PictureView::SetPicture(QImage picture) {
    picture_ = std::move(picture);
    update();
}

void PictureView::Run(const std::function<void()>& handler) const {
    if (handler) {
        runReporting_(handler);
    }
}

void PictureView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_);
}

void PictureView::resizeEvent(QResizeEvent* /*event*/) {
    Run(handlers_.render);
}

void PictureView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && handlers_.zoomToRect) {
        bandOrigin_ = event->position().toPoint();
        band_.setGeometry(QRect(bandOrigin_, QSize()));
        band_.show();
    }
}

void PictureView::mouseMoveEvent(QMouseEvent* event) {
    if (band_.isVisible()) {
        band_.setGeometry(QRect(bandOrigin_, event->position().toPoint()).normalized());
    }
    if (handlers_.readout) {
        const QPointF position = event->position();
        Run([this, position] { handlers_.readout(position); });
    }
}

void PictureView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && band_.isVisible()) {
        band_.hide();
        const QRectF pixels = QRectF(bandOrigin_, event->position()).normalized();
        Run([this, pixels] { handlers_.zoomToRect(pixels); });
    }
}

void PictureView::mouseDoubleClickEvent(QMouseEvent* /*event*/) {
    Run(handlers_.resetZoom);
}

void PictureView::wheelEvent(QWheelEvent* event) {
    if (!handlers_.zoomAt) {
        QWidget::wheelEvent(event);
        return;
    }
    const QPointF position = event->position();
    const double factor = std::pow(kZoomPerNotch, event->angleDelta().y() / 120.0);
    Run([this, position, factor] { handlers_.zoomAt(position, factor); });
}

void PictureView::leaveEvent(QEvent* /*event*/) {
    if (handlers_.readout) {
        Run([this] { handlers_.readout(std::nullopt); });
    }
}

void PictureView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && band_.isVisible()) {
        band_.hide();
        return;
    }
    bool handled = false;
    if (handlers_.keyPressed) {
        const int key = event->key();
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        Run([&] { handled = handlers_.keyPressed(key, modifiers); });
    }
    if (!handled) {
        QWidget::keyPressEvent(event);
    }
}

}  // namespace kc::app

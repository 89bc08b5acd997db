// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/picture_view.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QGuiApplication>
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
    // A click or Tab gives it the keyboard: Escape takes back a rubber band, the zoom keys zoom,
    // other keys go to the view.
    setFocusPolicy(Qt::StrongFocus);
    CreateMenu();
}

void PictureView::CreateMenu() {
    // A popup of its own, as the graph menu is; it takes the font of the plot's window.
    menu_ = std::make_unique<QMenu>();
    menu_->setFont(font());
    const auto add = [this](const char* name, const QString& text, std::function<void()> handler) {
        QAction* action = menu_->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setEnabled(static_cast<bool>(handler));
        connect(action, &QAction::triggered, this,
                [this, handler = std::move(handler)] { Run(handler); });
    };
    add("CopyPicture", QCoreApplication::translate("PictureView", "Copy"), [this] {
        if (!picture_.isNull()) {
            QGuiApplication::clipboard()->setImage(picture_);
        }
    });
    add("SavePicture", QCoreApplication::translate("PictureView", "Save PNG…"),
        handlers_.savePicture);
    add("SaveData", QCoreApplication::translate("PictureView", "Save CSV…"), handlers_.saveData);
}

void PictureView::PopupMenu(QPoint position) {
    menu_->popup(mapToGlobal(position));
    const QList<QAction*> actions = menu_->actions();
    for (QAction* action : actions) {
        if (action->isEnabled()) {
            menu_->setActiveAction(action);
            break;
        }
    }
}

// From the keyboard the menu opens over the middle of the picture.
void PictureView::contextMenuEvent(QContextMenuEvent* event) {
    PopupMenu(event->reason() == QContextMenuEvent::Mouse ? event->pos() : rect().center());
    event->accept();
}

QRectF PictureView::PlotArea() const {
    const QRectF area = handlers_.plotArea ? handlers_.plotArea() : QRectF(rect());
    return area.isEmpty() ? QRectF(rect()) : area;
}

// + (also = and the keypad's, without Shift) zooms in by a wheel notch about the middle, − out;
// an arrow shows the next tenth of the plot in its direction (the rubber band of the frame moved);
// 0 shows the whole.
bool PictureView::ZoomByKey(int key) {
    const QRectF area = PlotArea();
    switch (key) {
        case Qt::Key_Plus:
        case Qt::Key_Equal:
            if (!handlers_.zoomAt) {
                return false;
            }
            Run([this, area] { handlers_.zoomAt(area.center(), kZoomPerNotch); });
            return true;
        case Qt::Key_Minus:
        case Qt::Key_Underscore:
            if (!handlers_.zoomAt) {
                return false;
            }
            Run([this, area] { handlers_.zoomAt(area.center(), 1.0 / kZoomPerNotch); });
            return true;
        case Qt::Key_0:
            if (!handlers_.resetZoom) {
                return false;
            }
            Run(handlers_.resetZoom);
            return true;
        default:
            break;
    }
    QPointF shift;
    switch (key) {
        case Qt::Key_Left:
            shift = {-kPanPerKey * area.width(), 0.0};
            break;
        case Qt::Key_Right:
            shift = {kPanPerKey * area.width(), 0.0};
            break;
        case Qt::Key_Up:
            shift = {0.0, -kPanPerKey * area.height()};
            break;
        case Qt::Key_Down:
            shift = {0.0, kPanPerKey * area.height()};
            break;
        default:
            return false;
    }
    if (!handlers_.zoomToRect) {
        return false;
    }
    const QRectF moved = area.translated(shift);
    Run([this, moved] { handlers_.zoomToRect(moved); });
    return true;
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
    bool handled = event->modifiers() == Qt::NoModifier ||
                           event->modifiers() == Qt::KeypadModifier ||
                           event->modifiers() == Qt::ShiftModifier
                       ? ZoomByKey(event->key())
                       : false;
    if (!handled && handlers_.keyPressed) {
        const int key = event->key();
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        Run([&] { handled = handlers_.keyPressed(key, modifiers); });
    }
    if (!handled) {
        QWidget::keyPressEvent(event);
    }
}

}  // namespace kc::app

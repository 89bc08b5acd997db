// SPDX-License-Identifier: GPL-3.0-or-later
// A rendered picture on screen, the plot of a view: it shows the picture its view renders for the
// widget's size, tells the view where the pointer is for a readout, and turns the mouse into zoom
// requests (a rubber band with the left button, the wheel about the pointer, a double click back
// to the whole). The view keeps the numbers; this widget only passes pixels.
#pragma once

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QRubberBand>
#include <QWidget>
#include <functional>
#include <optional>

namespace kc::app {

// Runs a handler so that whatever it raises goes to the main window's error report.
using ReportingRunner = std::function<void(const std::function<void()>& handler)>;

// What the picture asks of its view. An empty handler is not offered: without zoomToRect no
// rubber band is drawn, without zoomAt the wheel scrolls on, and keys the view does not handle go
// on to the parent.
struct PictureHandlers {
    // The widget's size changed: render the picture for it (SetPicture).
    std::function<void()> render;
    // The pointer is at this pixel, or has left the picture (nothing).
    std::function<void(std::optional<QPointF> pixel)> readout;
    // A rubber band was drawn over these pixels (normalised, of any size).
    std::function<void(const QRectF& pixels)> zoomToRect;
    // One wheel turn: zoom by `factor` about the pixel (below 1 zooms in).
    std::function<void(QPointF pixel, double factor)> zoomAt;
    // A double click: the whole again.
    std::function<void()> resetZoom;
    // A key pressed while the picture has the focus (a click gives it); true when handled.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> keyPressed;
};

class PictureView final : public QWidget {
  public:
    // Zoom per notch of the wheel (120 units): forward zooms in by a fifth, backward out as much.
    static constexpr double kZoomPerNotch = 0.8;

    // Every handler runs through `runReporting`. The view names the widget and sets its size.
    PictureView(QWidget* parent, PictureHandlers handlers, ReportingRunner runReporting);

    // The picture shown from the top left corner, as rendered; null before the first.
    const QImage& Picture() const { return picture_; }
    void SetPicture(QImage picture);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Run(const std::function<void()>& handler) const;

    PictureHandlers handlers_;
    ReportingRunner runReporting_;
    QImage picture_;
    QRubberBand band_;
    QPoint bandOrigin_;
};

}  // namespace kc::app

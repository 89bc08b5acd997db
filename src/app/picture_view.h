// SPDX-License-Identifier: GPL-3.0-or-later
// A rendered picture on screen, the plot of a view: it shows the picture its view renders for the
// widget's size, tells the view where the pointer is for a readout, and turns the mouse and the
// keyboard into zoom requests (a rubber band with the left button, the wheel about the pointer, a
// double click back to the whole; with the focus, which Tab gives, + and − about the middle, the
// arrows to pan and 0 back to the whole). Its context menu (a right click, the Menu key or
// Shift+F10) copies the picture and saves it as PNG or its data as CSV. The view keeps the
// numbers; this widget only passes pixels.
#pragma once

#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QRubberBand>
#include <QWidget>
#include <functional>
#include <memory>
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
    // A key pressed while the picture has the focus (a click gives it); true when handled. The
    // zoom keys come first, where the view offers zoom.
    std::function<bool(int key, Qt::KeyboardModifiers modifiers)> keyPressed;
    // The pixels of the plot's frame inside the picture, about which the keys zoom and by which
    // the arrows pan; without it the whole picture.
    std::function<QRectF()> plotArea;
    // The context menu's "Save PNG…" and "Save CSV…" (each disabled without its handler); "Copy"
    // puts the picture on the clipboard.
    std::function<void()> savePicture;
    std::function<void()> saveData;
};

class PictureView final : public QWidget {
  public:
    // Zoom per notch of the wheel (120 units): forward zooms in by a fifth, backward out as much.
    static constexpr double kZoomPerNotch = 0.8;
    // An arrow key pans by this part of the plot's width or height.
    static constexpr double kPanPerKey = 0.1;

    // Every handler runs through `runReporting`. The view names the widget and sets its size.
    PictureView(QWidget* parent, PictureHandlers handlers, ReportingRunner runReporting);

    // The picture shown from the top left corner, as rendered; null before the first.
    const QImage& Picture() const { return picture_; }
    void SetPicture(QImage picture);

    // The context menu, its items named "CopyPicture", "SavePicture" and "SaveData".
    QMenu* Menu() const { return menu_.get(); }
    // Shows the context menu at `position` of the widget, its first enabled item active.
    void PopupMenu(QPoint position);

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
    void contextMenuEvent(QContextMenuEvent* event) override;

  private:
    void Run(const std::function<void()>& handler) const;
    void CreateMenu();
    QRectF PlotArea() const;
    // Zooms or pans for a zoom key; false for any other key or where the view offers no zoom.
    bool ZoomByKey(int key);

    PictureHandlers handlers_;
    ReportingRunner runReporting_;
    QImage picture_;
    QRubberBand band_;
    QPoint bandOrigin_;
    std::unique_ptr<QMenu> menu_;
};

}  // namespace kc::app

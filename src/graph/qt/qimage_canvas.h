// SPDX-License-Identifier: GPL-3.0-or-later
// The graph's Canvas on a QImage. Lines and rectangle outlines are set pixel by pixel by the
// program (LinePixels), so that a line crossing the image's edge keeps exactly its own pixels;
// Qt's painter fills the areas and draws the text.
//
// At a device scale of 1 every logical pixel is one image pixel: 1-pixel lines without
// antialiasing, a dotted pen that sets every other pixel, lines that leave out their end pixel,
// rectangles that stop short of their far corner, text without antialiasing. At another scale
// (a high-resolution display) the image holds device pixels and the same picture is drawn at the
// device's resolution: logical pixel v begins at device pixel floor(v · scale), lines run between
// those device points, each of their pixels a square of round(scale) device pixels (a dot is one
// such square, the gaps as long), and text is drawn smooth at the scaled size.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <cstdint>
#include <string_view>

#include "graph/canvas.h"
#include "graph/line_pixels.h"

namespace kc::graph {

// Qt's colour for a Canvas colour (both RGB).
QColor ToQColor(Color color);

// A Canvas colour for a Qt colour; alpha is dropped.
Color FromQColor(const QColor& color);

// The image size in device pixels for a logical size at a device scale: each side rounded up.
QSize DeviceSize(QSize logicalSize, qreal deviceScale);

class QImageCanvas final : public Canvas {
  public:
    // Paints into image, which must outlive the canvas, one image pixel per logical pixel;
    // painting ends with the canvas. A null image makes every operation do nothing. Pen black
    // and solid, brush white, text black, the painter's default font, current point (0, 0).
    explicit QImageCanvas(QImage& image);
    // The same for a picture of logicalSize at deviceScale (> 0): image holds
    // DeviceSize(logicalSize, deviceScale) device pixels (its own device pixel ratio is kept but
    // plays no part). Lines keep only their pixels inside the logical size; a device pixel row or
    // column that only part of a logical one fills is reached by the lines' width alone.
    QImageCanvas(QImage& image, QSize logicalSize, qreal deviceScale);
    ~QImageCanvas() override;
    QImageCanvas(const QImageCanvas&) = delete;
    QImageCanvas& operator=(const QImageCanvas&) = delete;

    // Font and colour of the glyphs of TextOut (the brush colour fills their cells).
    void SetFont(const QFont& font);
    void SetTextColor(Color color);

    void SetPenColor(Color color) override;
    void SetPenStyle(PenStyle style) override;
    void SetBrushColor(Color color) override;
    void MoveTo(int32_t x, int32_t y) override;
    void LineTo(int32_t x, int32_t y) override;
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override;
    void TextOut(int32_t x, int32_t y, std::string_view text) override;

  private:
    // Device pixel where logical coordinate v begins.
    int64_t ToDevice(int64_t v) const;
    // The line between two logical points, drawn with the pen.
    void DrawLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2);
    // A box of device pixels filled in colour, cut to the image.
    void FillDeviceBox(const PixelBox& box, const QColor& color);

    QImage* image_;
    qreal imagePixelRatio_;
    QPainter painter_;
    QColor penColor_{Qt::black};
    bool dotted_ = false;
    QColor brushColor_{Qt::white};
    QColor textColor_{Qt::black};
    int32_t currentX_ = 0;
    int32_t currentY_ = 0;
    QSize deviceSize_;
    QSize logicalSize_;
    qreal deviceScale_ = 1.0;
    int64_t lineWidth_ = 1;  // device pixels
};

}  // namespace kc::graph

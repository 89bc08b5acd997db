// The graph's Canvas on Qt's painter, drawing into a QImage with exact pixels: 1-pixel cosmetic
// pens without antialiasing, a dotted pen that sets every other pixel, lines that leave out
// their end pixel, rectangles that stop short of their far corner.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPen>
#include <QPoint>
#include <cstdint>
#include <string_view>

#include "graph/canvas.h"

namespace kc::graph {

// Qt's colour for a Canvas colour (both RGB).
QColor ToQColor(Color color);

// A Canvas colour for a Qt colour; alpha is dropped.
Color FromQColor(const QColor& color);

class QImageCanvas final : public Canvas {
  public:
    // Paints into image, which must outlive the canvas; painting ends with the canvas. A null
    // image makes every operation do nothing. Pen black and solid, brush white, text black, the
    // painter's default font, current point (0, 0).
    explicit QImageCanvas(QImage& image);
    ~QImageCanvas() override = default;
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
    void DrawLineWithoutEndPixel(QPoint start, QPoint end);

    QPainter painter_;
    QPen pen_;
    QColor brushColor_{Qt::white};
    QColor textColor_{Qt::black};
    QPoint current_;
    QSize imageSize_;
};

}  // namespace kc::graph

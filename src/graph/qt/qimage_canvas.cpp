#include "graph/qt/qimage_canvas.h"

#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace kc::graph {
namespace {

// A cosmetic pen is one pixel wide at any transformation; the flat cap adds no pixel beyond the
// ends of a line (which end Qt leaves out is handled in DrawLineWithoutEndPixel).
QPen MakePen() {
    QPen pen(Qt::black);
    pen.setWidth(1);
    pen.setCosmetic(true);
    pen.setCapStyle(Qt::FlatCap);
    pen.setJoinStyle(Qt::MiterJoin);
    return pen;
}

// Pulls a coordinate that lies beyond the image to just outside it, so that Qt's integer
// rectangle arithmetic cannot overflow; the pixels inside the image stay the same.
int32_t ClampToJustOutside(int64_t coordinate, int32_t extent) {
    return static_cast<int32_t>(std::clamp<int64_t>(coordinate, -1, int64_t{extent}));
}

}  // namespace

QColor ToQColor(Color color) {
    return QColor(color.r, color.g, color.b);
}

Color FromQColor(const QColor& color) {
    const QColor rgb = color.toRgb();
    return Color{static_cast<uint8_t>(rgb.red()), static_cast<uint8_t>(rgb.green()),
                 static_cast<uint8_t>(rgb.blue())};
}

QImageCanvas::QImageCanvas(QImage& image) : pen_(MakePen()), imageSize_(image.size()) {
    if (image.isNull()) {
        return;
    }
    painter_.begin(&image);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, false);
    painter_.setPen(pen_);
    painter_.setBrush(Qt::NoBrush);
}

void QImageCanvas::SetFont(const QFont& font) {
    if (painter_.isActive()) {
        painter_.setFont(font);
    }
}

void QImageCanvas::SetTextColor(Color color) {
    textColor_ = ToQColor(color);
}

void QImageCanvas::SetPenColor(Color color) {
    pen_.setColor(ToQColor(color));
    if (painter_.isActive()) {
        painter_.setPen(pen_);
    }
}

void QImageCanvas::SetPenStyle(PenStyle style) {
    if (style == PenStyle::psDot) {
        // One pixel on, one off; Qt's own dot line leaves two pixels off.
        pen_.setDashPattern({1.0, 1.0});
    } else {
        pen_.setStyle(Qt::SolidLine);
    }
    if (painter_.isActive()) {
        painter_.setPen(pen_);
    }
}

void QImageCanvas::SetBrushColor(Color color) {
    brushColor_ = ToQColor(color);
}

void QImageCanvas::MoveTo(int32_t x, int32_t y) {
    current_ = QPoint(x, y);
}

void QImageCanvas::LineTo(int32_t x, int32_t y) {
    const QPoint end(x, y);
    if (painter_.isActive() && end != current_) {
        DrawLineWithoutEndPixel(current_, end);
    }
    current_ = end;
}

void QImageCanvas::DrawLineWithoutEndPixel(QPoint start, QPoint end) {
    // Qt rasterises a line the same whichever way it runs: along the major axis (x when
    // |dx| >= |dy|) it keeps the pixel of the lower coordinate and leaves out the higher one.
    // Forwards that is the end pixel already. Backwards, the end's column (or row) is clipped
    // away and the start pixel, which Qt left out, is set on its own.
    const int64_t dx = int64_t{end.x()} - start.x();
    const int64_t dy = int64_t{end.y()} - start.y();
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    if ((xMajor && dx > 0) || (!xMajor && dy > 0)) {
        painter_.drawLine(start, end);
        return;
    }
    QRect beyondEnd(QPoint(0, 0), imageSize_);
    if (xMajor) {
        beyondEnd.setLeft(std::max(end.x() + 1, 0));
    } else {
        beyondEnd.setTop(std::max(end.y() + 1, 0));
    }
    painter_.setClipRect(beyondEnd);
    painter_.drawLine(start, end);
    painter_.setClipping(false);
    painter_.drawPoint(start);
}

void QImageCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!painter_.isActive() || x2 <= x1 || y2 <= y1) {
        return;
    }
    // The box covers x1 ... x2 − 1 and y1 ... y2 − 1; the outline runs on its outermost pixels.
    const QPoint first(ClampToJustOutside(x1, imageSize_.width()),
                       ClampToJustOutside(y1, imageSize_.height()));
    const QPoint last(ClampToJustOutside(int64_t{x2} - 1, imageSize_.width()),
                      ClampToJustOutside(int64_t{y2} - 1, imageSize_.height()));
    const QRect box(first, last);
    painter_.fillRect(box, brushColor_);
    // Qt strokes a rectangle one pixel wider and higher than its size, so the outline of the
    // pixels first ... last is the rectangle one smaller.
    painter_.drawRect(QRect(first, last - QPoint(1, 1)).normalized());
}

void QImageCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
    if (!painter_.isActive()) {
        return;
    }
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    const QFontMetrics metrics = painter_.fontMetrics();
    painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(qtext), metrics.height()), brushColor_);
    painter_.setPen(textColor_);
    painter_.drawText(QPoint(x, y + metrics.ascent()), qtext);
    painter_.setPen(pen_);
}

}  // namespace kc::graph

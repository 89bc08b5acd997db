// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph/qt/qimage_canvas.h"

#include <QFontMetrics>
#include <QRect>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace kc::graph {
namespace {

// A run of pixels of one line along its major axis, widened to the pen's width across it and
// lengthened by `beyond` pixels along it.
class RunFiller {
  public:
    RunFiller(bool xMajor, int64_t width, int64_t beyond)
        : xMajor_(xMajor), width_(width), beyond_(beyond) {}

    // Adds pixel (x, y); a run that it cannot extend goes to flush first.
    template <typename F>
    void Add(int64_t x, int64_t y, F&& flush) {
        const int64_t major = xMajor_ ? x : y;
        const int64_t minor = xMajor_ ? y : x;
        if (length_ > 0 && (minor != minor_ || major != major_ + length_)) {
            Flush(flush);
        }
        if (length_ == 0) {
            major_ = major;
            minor_ = minor;
        }
        ++length_;
    }

    // Hands the open run to flush as a box of pixels and starts afresh.
    template <typename F>
    void Flush(F&& flush) {
        if (length_ == 0) {
            return;
        }
        const PixelBox along{major_, minor_, major_ + length_ + beyond_, minor_ + width_};
        flush(xMajor_ ? along : PixelBox{along.top, along.left, along.bottom, along.right});
        length_ = 0;
    }

  private:
    bool xMajor_;
    int64_t width_;
    int64_t beyond_;
    int64_t major_ = 0;
    int64_t minor_ = 0;
    int64_t length_ = 0;
};

// A device scale of 1 draws with the logical pixels themselves.
bool IsUnitScale(qreal scale) {
    return scale == 1.0;
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

QSize DeviceSize(QSize logicalSize, qreal deviceScale) {
    if (IsUnitScale(deviceScale)) {
        return logicalSize;
    }
    return QSize(static_cast<int>(std::ceil(logicalSize.width() * deviceScale)),
                 static_cast<int>(std::ceil(logicalSize.height() * deviceScale)));
}

QImageCanvas::QImageCanvas(QImage& image) : QImageCanvas(image, image.size(), 1.0) {}

QImageCanvas::QImageCanvas(QImage& image, QSize logicalSize, qreal deviceScale)
    : image_(&image),
      imagePixelRatio_(image.devicePixelRatio()),
      deviceSize_(image.size()),
      logicalSize_(logicalSize),
      deviceScale_(deviceScale > 0.0 ? deviceScale : 1.0),
      lineWidth_(std::max<int64_t>(1, std::llround(deviceScale_))) {
    if (image.isNull()) {
        return;
    }
    // The image's own pixel ratio would scale the painter; every position here is in device
    // pixels already, and text is scaled explicitly. The ratio comes back when painting ends.
    image.setDevicePixelRatio(1.0);
    painter_.begin(&image);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setRenderHint(QPainter::TextAntialiasing, !IsUnitScale(deviceScale_));
    painter_.setPen(Qt::NoPen);
    painter_.setBrush(Qt::NoBrush);
}

QImageCanvas::~QImageCanvas() {
    if (painter_.isActive()) {
        painter_.end();
        image_->setDevicePixelRatio(imagePixelRatio_);
    }
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
    penColor_ = ToQColor(color);
}

void QImageCanvas::SetPenStyle(PenStyle style) {
    dotted_ = style == PenStyle::psDot;
}

void QImageCanvas::SetBrushColor(Color color) {
    brushColor_ = ToQColor(color);
}

void QImageCanvas::MoveTo(int32_t x, int32_t y) {
    currentX_ = x;
    currentY_ = y;
}

void QImageCanvas::LineTo(int32_t x, int32_t y) {
    if (painter_.isActive()) {
        DrawLine(currentX_, currentY_, x, y);
    }
    currentX_ = x;
    currentY_ = y;
}

int64_t QImageCanvas::ToDevice(int64_t v) const {
    if (IsUnitScale(deviceScale_)) {
        return v;
    }
    return static_cast<int64_t>(std::floor(static_cast<long double>(v) * deviceScale_));
}

void QImageCanvas::DrawLine(int64_t x1, int64_t y1, int64_t x2, int64_t y2) {
    const LinePixels line(ToDevice(x1), ToDevice(y1), ToDevice(x2), ToDevice(y2));
    // The pixels kept are those of the logical picture; a solid line sets a square of the pen's
    // width at each of them, so that lines meet without a notch at a corner, and a dot is one
    // such square.
    const PixelBox box{0, 0, ToDevice(logicalSize_.width()), ToDevice(logicalSize_.height())};
    RunFiller runs(line.XMajor(), lineWidth_, dotted_ ? 0 : lineWidth_ - 1);
    const auto fill = [this](const PixelBox& run) { FillDeviceBox(run, penColor_); };
    line.ForEachIn(box, [&](int64_t x, int64_t y, int64_t distance) {
        // Dots as long as the pen is wide, and gaps as long, counted from the start.
        if (!dotted_ || (distance / lineWidth_) % 2 == 0) {
            runs.Add(x, y, fill);
        }
    });
    runs.Flush(fill);
}

void QImageCanvas::FillDeviceBox(const PixelBox& box, const QColor& color) {
    const int64_t left = std::max<int64_t>(box.left, 0);
    const int64_t top = std::max<int64_t>(box.top, 0);
    const int64_t right = std::min<int64_t>(box.right, deviceSize_.width());
    const int64_t bottom = std::min<int64_t>(box.bottom, deviceSize_.height());
    if (left < right && top < bottom) {
        painter_.fillRect(QRect(static_cast<int>(left), static_cast<int>(top),
                                static_cast<int>(right - left), static_cast<int>(bottom - top)),
                          color);
    }
}

void QImageCanvas::Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!painter_.isActive() || x2 <= x1 || y2 <= y1) {
        return;
    }
    FillDeviceBox({ToDevice(x1), ToDevice(y1), ToDevice(x2), ToDevice(y2)}, brushColor_);
    // The outline runs on the outermost pixels x1 ... x2 − 1 and y1 ... y2 − 1, round the box.
    const int64_t right = int64_t{x2} - 1;
    const int64_t bottom = int64_t{y2} - 1;
    DrawLine(x1, y1, right, y1);
    DrawLine(right, y1, right, bottom);
    DrawLine(right, bottom, x1, bottom);
    DrawLine(x1, bottom, x1, y1);
}

void QImageCanvas::TextOut(int32_t x, int32_t y, std::string_view text) {
    if (!painter_.isActive()) {
        return;
    }
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    painter_.save();
    // Glyphs and cells are laid out in logical pixels and drawn at the device's resolution.
    painter_.scale(deviceScale_, deviceScale_);
    const QFontMetrics metrics = painter_.fontMetrics();
    painter_.fillRect(QRect(x, y, metrics.horizontalAdvance(qtext), metrics.height()), brushColor_);
    painter_.setPen(textColor_);
    painter_.drawText(QPoint(x, y + metrics.ascent()), qtext);
    painter_.restore();
}

}  // namespace kc::graph

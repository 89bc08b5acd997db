// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing surface that the graph is drawn on: exactly the operations the redraw needs.
// Coordinates are pixels, signed 32-bit; whatever falls outside the surface is clipped.
#pragma once

#include <cstdint>
#include <string_view>

namespace kc::graph {

// A colour as RGB.
struct Color {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend constexpr bool operator==(Color, Color) = default;
};

inline constexpr Color clWhite{255, 255, 255};
inline constexpr Color clBlack{0, 0, 0};
inline constexpr Color clRed{255, 0, 0};
inline constexpr Color clBlue{0, 0, 255};

// psSolid draws continuous lines; psDot dotted ones, 1 pixel wide.
enum class PenStyle { psSolid, psDot };

class Canvas {
  public:
    virtual ~Canvas() = default;

    // Pen colour and style apply to every later line until changed; the pen is 1 pixel wide.
    virtual void SetPenColor(Color color) = 0;
    virtual void SetPenStyle(PenStyle style) = 0;
    // Fill colour of later rectangles and of the cells behind text.
    virtual void SetBrushColor(Color color) = 0;
    // Makes (x, y) the current point; draws nothing.
    virtual void MoveTo(int32_t x, int32_t y) = 0;
    // Draws from the current point to (x, y), the end pixel excluded; (x, y) becomes current.
    virtual void LineTo(int32_t x, int32_t y) = 0;
    // Outlines with the pen and fills with the brush the pixels from (x1, y1) up to, but not
    // including, (x2, y2).
    virtual void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) = 0;
    // Draws UTF-8 text with the top-left corner of its first character cell at (x, y), the cells
    // filled opaquely with the brush colour.
    virtual void TextOut(int32_t x, int32_t y, std::string_view text) = 0;
};

}  // namespace kc::graph

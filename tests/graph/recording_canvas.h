// SPDX-License-Identifier: GPL-3.0-or-later
// A Canvas and a GraphHost that only record what is asked of them, in order.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "graph/canvas.h"
#include "graph/draw_graph.h"

namespace kc::graph::testing {

// One canvas operation: its name, its numbers (coordinates; r, g, b; 0 for psSolid and 1 for
// psDot) and, for TextOut, the text.
struct Call {
    std::string op;
    std::vector<int32_t> args;
    std::string text;
    friend bool operator==(const Call&, const Call&) = default;
    friend void PrintTo(const Call& call, std::ostream* out) {
        *out << call.op << '(';
        for (const int32_t arg : call.args) {
            *out << arg << ',';
        }
        *out << '"' << call.text << "\")";
    }
};

inline Call PenColor(Color c) {
    return {"PenColor", {c.r, c.g, c.b}, {}};
}
inline Call BrushColor(Color c) {
    return {"BrushColor", {c.r, c.g, c.b}, {}};
}
inline Call Style(PenStyle s) {
    return {"PenStyle", {s == PenStyle::psDot ? 1 : 0}, {}};
}
inline Call MoveTo(int32_t x, int32_t y) {
    return {"MoveTo", {x, y}, {}};
}
inline Call LineTo(int32_t x, int32_t y) {
    return {"LineTo", {x, y}, {}};
}
inline Call Text(int32_t x, int32_t y, std::string_view t) {
    return {"TextOut", {x, y}, std::string(t)};
}

class RecordingCanvas final : public Canvas {
  public:
    std::vector<Call> calls;

    void SetPenColor(Color color) override { calls.push_back(PenColor(color)); }
    void SetPenStyle(PenStyle style) override { calls.push_back(Style(style)); }
    void SetBrushColor(Color color) override { calls.push_back(BrushColor(color)); }
    void MoveTo(int32_t x, int32_t y) override { calls.push_back(testing::MoveTo(x, y)); }
    void LineTo(int32_t x, int32_t y) override { calls.push_back(testing::LineTo(x, y)); }
    void Rectangle(int32_t x1, int32_t y1, int32_t x2, int32_t y2) override {
        calls.push_back({"Rectangle", {x1, y1, x2, y2}, {}});
    }
    void TextOut(int32_t x, int32_t y, std::string_view text) override {
        calls.push_back(Text(x, y, text));
    }
};

// Records the host's events by name and hands out recording canvases.
class RecordingHost final : public GraphHost {
  public:
    std::vector<std::string> events;
    RecordingCanvas image;
    RecordingCanvas labels;

    Canvas& BeginImage(int32_t width, int32_t height) override {
        events.push_back("BeginImage " + std::to_string(width) + "x" + std::to_string(height));
        return image;
    }
    Canvas& BeginLabels() override {
        Record("BeginLabels");
        return labels;
    }
    void ShowRedraw() override { Record("ShowRedraw"); }
    void DiscardRedraw() override { Record("DiscardRedraw"); }
    void SetBusyCursor() override { Record("SetBusyCursor"); }
    void SetDefaultCursor() override { Record("SetDefaultCursor"); }
    void ProcessMessages() override { Record("ProcessMessages"); }

  private:
    void Record(const char* event) { events.emplace_back(event); }
};

}  // namespace kc::graph::testing

// SPDX-License-Identifier: GPL-3.0-or-later
// The full redraw of the response graph from the response store.
#pragma once

#include <cstdint>
#include <string>

#include "dsp/fields.h"
#include "dsp/response_store.h"
#include "graph/canvas.h"

namespace kc::graph {

// Size of the graph image and the position of its top-left corner in the window's client area,
// in pixels (593 x 337 at (48, 200) in the main window).
struct GraphGeometry {
    int32_t W = 593;
    int32_t H = 337;
    int32_t L = 48;
    int32_t T = 200;
};

// Everything the redraw reads from the window, read afresh for each redraw.
struct GraphInputs {
    GraphGeometry geometry;
    bool logFrequency = true;  // CheckBox1: logarithmic frequency axis (10 Hz ... 10 kHz)
    bool levelsInDb = true;    // CheckBox2: level curves labelled in dB, else magnitudes
    // Edit5: band-pass lower edge, marked in red
    std::string lowerEdgeText{dsp::InitialText(dsp::CalcField::MidCrossLow)};
    // Edit4: band-pass upper edge, marked in blue
    std::string upperEdgeText{dsp::InitialText(dsp::CalcField::MidCrossHigh)};
};

// What the redraw needs of its window. A redraw draws into a fresh picture and a fresh label
// layer and makes them visible only when it has completed, so that a failing redraw leaves the
// previous picture and labels on screen.
class GraphHost {
  public:
    virtual ~GraphHost() = default;

    // A fresh W x H picture for the image; its content is undefined until drawn.
    virtual Canvas& BeginImage(int32_t width, int32_t height) = 0;
    // A fresh, empty label layer in window client coordinates; it replaces the labels shown now
    // when the redraw completes, so that only the labels of the current axes stay visible.
    virtual Canvas& BeginLabels() = 0;
    // Shows the picture and the label layer of the redraw that has just completed.
    virtual void ShowRedraw() = 0;
    // Drops the picture and label layer of a redraw that failed.
    virtual void DiscardRedraw() = 0;

    virtual void SetBusyCursor() = 0;     // crAppStart
    virtual void SetDefaultCursor() = 0;  // crDefault
    // Handles every waiting window message once, then returns.
    virtual void ProcessMessages() = 0;
};

// Redraws the graph: frame, dotted grid, the two band-pass edge markers, the axis labels and the
// four curves chosen by the amplitude axis (the sum last, in blue). Errors (a marker text that is
// not a number, a coordinate beyond the 32-bit range) are raised as the named error kinds after
// the redraw has been discarded; the cursor is then left to the caller.
void DrawGraph(const GraphInputs& inputs, const dsp::ResponseStore& store, GraphHost& host);

}  // namespace kc::graph

// SPDX-License-Identifier: GPL-3.0-or-later
// The graph area of a window as one picture: the image with the axis labels around it, on the
// window's background. A window copies and saves what it shows; the command line renders the same
// picture headless from a response store.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>

#include "dsp/response_store.h"
#include "graph/draw_graph.h"
#include "graph/qt/retained_graph.h"

namespace kc::graph {

// What the graph area looks like in its window.
struct GraphAreaLook {
    QSize clientSize;   // the window's client area in pixels: the label layer, around the image
    QFont labelFont;    // the font of the axis labels
    QColor labelColor;  // the labels' glyphs
    QColor background;  // the window's background, which also fills the labels' cells
};

// The band of the window's client area that holds the image and its labels, in client pixels:
// the full client width, from 10 pixels above the image to 23 below it (the frequency labels
// hang below the image). 674 x 370 pixels at (0, 190) for the main window.
QRect GraphAreaRect(const GraphGeometry& geometry, int clientWidth);

// The last completed redraw of `graph` (label layer and picture, the picture placed at the
// geometry's L, T) on `background`, cut to GraphAreaRect; in device pixels at the device scale of
// that redraw, which is its device pixel ratio. A null image before the first redraw.
QImage ComposeGraphArea(const RetainedGraph& graph, const GraphGeometry& geometry,
                        const QColor& background);

// Redraws `store` headless as a window of that look would and returns its graph area. Raises
// what DrawGraph raises.
QImage RenderGraphArea(const GraphInputs& inputs, const dsp::ResponseStore& store,
                       const GraphAreaLook& look);

}  // namespace kc::graph

// The graph area of the main window as one picture: the image with the axis labels around it, on
// the window's background. The window copies and saves what it shows; the command line renders
// the same picture headless from a response store.
#pragma once

#include <QColor>
#include <QImage>
#include <QRect>
#include <string>

#include "dsp/response_store.h"
#include "graph/draw_graph.h"
#include "graph/qt/retained_graph.h"

namespace kc::graph {

// The main window's client area in pixels: the label layer's size, around the image.
inline constexpr int kMainClientWidth = 674;
inline constexpr int kMainClientHeight = 599;

// The band of the window's client area that holds the image and its labels, in client pixels:
// the full client width, from 10 pixels above the image to 23 below it (the frequency labels
// hang below the image). 674 x 370 pixels at (0, 190) for the main window.
QRect GraphAreaRect(const GraphGeometry& geometry, int clientWidth);

// The last completed redraw of `graph` (label layer and picture, the picture placed at the
// geometry's L, T) on `background`, cut to GraphAreaRect. A null image before the first redraw.
QImage ComposeGraphArea(const RetainedGraph& graph, const GraphGeometry& geometry,
                        const QColor& background);

// Redraws `store` headless as the main window would (the window font, black labels on the light
// grey of a button face, a 674 x 599 client area) and returns the graph area. Raises what
// DrawGraph raises.
QImage RenderGraphArea(const GraphInputs& inputs, const dsp::ResponseStore& store);

// Writes `image` to `path` as PNG, atomically: on failure nothing is left at `path` beyond what
// was there, and EFileWriteError names the file.
void WritePngFile(const std::string& path, const QImage& image);

// RenderGraphArea written by WritePngFile.
void WriteGraphPng(const std::string& path, const GraphInputs& inputs,
                   const dsp::ResponseStore& store);

}  // namespace kc::graph

// The response graph rendered headless, as the window draws it, into a PNG file.
#pragma once

#include <string>

#include "dsp/response_store.h"
#include "graph/draw_graph.h"

namespace kc::cli {

// Draws `store` with the window's redraw (frame, grid, markers, labels, curves) and writes the
// graph area with its axis labels, 674 x 370 pixels, to `path` as PNG (atomically).
void WriteGraphPng(const std::string& path, const graph::GraphInputs& inputs,
                   const dsp::ResponseStore& store);

}  // namespace kc::cli

// SPDX-License-Identifier: GPL-3.0-or-later
// Where the grid lines, the band-pass edge markers and the axis labels of the graph go, as pure
// functions of the geometry and the axis modes. Grid and marker positions are pixels inside the
// image; label positions are pixels of the window's client area.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "graph/draw_graph.h"

namespace kc::graph {

// y of the five dotted rows, top-down in drawing order: height − Trunc(height·i / 6) for
// i = 1 ... 5, the levels 0.2, 0.4, 0.6, 0.8 and 1.0 (281, 225, 169, 113, 57 for 337).
std::array<int32_t, 5> HorizontalGridRows(int32_t height);

// x of the nine dotted columns of the linear axis, one per 1 000 Hz from 1 000 to 9 000 Hz:
// Trunc(width / 10 · i) for i = 1 ... 9.
std::array<int32_t, 9> LinearGridColumns(int32_t width);

// The 26 frequencies of the logarithmic axis's dotted columns, Hz: 20 ... 90 in steps of 10,
// 100 ... 900 in steps of 100, 1 000 ... 9 000 in steps of 1 000. The edges (10 Hz and
// 10 000 Hz) get no column.
std::vector<int32_t> LogGridFrequencies();

// x of those 26 columns, by FreqToXLog.
std::vector<int32_t> LogGridColumns(int32_t width);

// x of a band-pass edge marker at frequencyHz on the chosen axis. On the logarithmic axis a
// frequency of 0 Hz or below lies left of the axis, like any below 10 Hz, and has no column:
// the result is empty. Raises as FreqToXLinear and FreqToXLog do otherwise.
std::optional<int32_t> MarkerX(long double frequencyHz, bool logFrequency, int32_t width);

// One axis label: the top-left corner of its first character cell in the window's client area
// and its text, blanks included (drawn opaquely, the blanks cover the other mode's labels).
struct GraphLabel {
    int32_t x = 0;
    int32_t y = 0;
    std::string_view text;
    friend bool operator==(const GraphLabel&, const GraphLabel&) = default;
};

// The four frequency labels below the image, in drawing order, for the chosen frequency axis.
std::array<GraphLabel, 4> FrequencyLabels(const GraphGeometry& geometry, bool logFrequency);

// The three amplitude labels left of the image, top to bottom: 1.0, 0.6 and 0.2, or 0 dB, −40 dB
// and −80 dB.
std::array<GraphLabel, 3> AmplitudeLabels(const GraphGeometry& geometry, bool levelsInDb);

}  // namespace kc::graph

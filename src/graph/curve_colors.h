// SPDX-License-Identifier: GPL-3.0-or-later
// The colours of the curves in every view of the second window and in the command line's
// pictures of them: each band in its own colour, the sum blue as in the main graph.
#pragma once

#include <array>

#include "dsp/bands.h"
#include "graph/canvas.h"

namespace kc::graph {

// Low, mid, high, sum (dsp/bands.h's order).
inline constexpr std::array<Color, dsp::kCurveCount> kCurveColors = {
    Color{176, 0, 0}, Color{0, 128, 0}, Color{128, 0, 176}, clBlue};

// The sum's phase and the cursor line: grey, apart from every curve.
inline constexpr Color kPhaseColor{128, 128, 128};
inline constexpr Color kCursorColor{96, 96, 96};

}  // namespace kc::graph

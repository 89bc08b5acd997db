// SPDX-License-Identifier: GPL-3.0-or-later
// The texts the estimate's own fields start with; the command line takes them as its defaults.
// The eight fields of the crossover calculation have theirs in their table (fields.h).
#pragma once

#include <string_view>

namespace kc::dsp::initial_texts {

inline constexpr std::string_view kPassBandEdge = "300";  // Edit6, the estimate's pass edge, Hz
inline constexpr std::string_view kStopBandEdge = "900";  // Edit7, the estimate's stop edge, Hz

}  // namespace kc::dsp::initial_texts

// SPDX-License-Identifier: GPL-3.0-or-later
// How a driver's file goes on beyond its ends: the slope of its level and the group delay of its
// phase at each end, estimated from the points near that end.
#pragma once

#include <vector>

namespace kc::acoustic {

enum class End { Low, High };

// The points an end's estimates use: those within this much of the end (at least the two end
// points).
inline constexpr double kEndSpanOctaves = 1.0 / 3.0;

// What the estimates are held within: no driver's response is steeper or later, and points a few
// units in the last place apart give no slope worth believing.
inline constexpr double kMaxEndSlopeDbPerOctave = 200.0;
inline constexpr double kMaxEndDelaySeconds = 1.0;

// The level's slope at `end` in dB per octave (within ±kMaxEndSlopeDbPerOctave): the least-squares
// line of level over log2 of the frequency through the points of the end's third of an octave,
// limited so that the level continued beyond the end never rises away from the file (at least 0 at
// the low end, at most 0 at the high end): a file that ends on a rise gives no licence to
// extrapolate the rise. frequenciesHz rising, at least 2 points.
double EndSlopeDbPerOctave(const std::vector<double>& frequenciesHz,
                           const std::vector<double>& levelsDb, End end);

// The group delay at `end` in seconds (within ±kMaxEndDelaySeconds), −(1/360)·dφ/df, from the
// least-squares line of the unwrapped phase (degrees) over the frequency through the same points.
double EndGroupDelaySeconds(const std::vector<double>& frequenciesHz,
                            const std::vector<double>& phasesDeg, End end);

}  // namespace kc::acoustic

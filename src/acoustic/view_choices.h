// SPDX-License-Identifier: GPL-3.0-or-later
// What the acoustic plot can show beside the levels: the choices of its right axis, the drivers
// alone, and the range of levels it spans. The window, the command line and design files share
// them.
#pragma once

#include "dsp/time_response.h"

namespace kc::acoustic {

// The right axis: nothing, the sum's phase, each band's phase and the sum's, or the group delay of
// each band and of the sum in ms (the crossover's latency taken out).
enum class RightAxis { None, SumPhase, BandPhases, GroupDelay };

// The levels the plot spans from its top, dB: the default and the range of the field.
inline constexpr double kDefaultLevelRangeDb = 60.0;
inline constexpr double kMinLevelRangeDb = 2.0;
inline constexpr double kMaxLevelRangeDb = 200.0;

// The choices a view keeps.
struct ViewChoices {
    RightAxis rightAxis = RightAxis::None;
    bool rawDrivers = false;  // each driver's own level (its file), without the crossover
    double levelRangeDb = kDefaultLevelRangeDb;
    // The speaker's predicted responses shown: impulse, impulse in dB or step.
    dsp::TimeSeriesKind speakerView = dsp::TimeSeriesKind::Impulse;
    bool operator==(const ViewChoices&) const = default;
};

}  // namespace kc::acoustic

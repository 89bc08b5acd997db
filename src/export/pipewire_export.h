// SPDX-License-Identifier: GPL-3.0-or-later
// A drop-in for PipeWire's pipewire.conf.d that loads a filter chain playing the crossover from
// its WAV files: a virtual stereo sink "Kaiser Crossover", each input copied to three builtin
// convolvers, and a playback stream of six channels.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "export/engine_config.h"
#include "export/export_kind.h"

namespace kc::exporting {

// The playback's six channel positions when none are given: a 5.1 card's order, so that output
// n is the card's channel n.
inline constexpr std::string_view kDefaultPipeWirePositions = "FL,FR,FC,LFE,RL,RR";

// What is wrong with a list of positions (six names of capitals and digits separated by commas,
// "FL,FR,FC,LFE,RL,RR"), empty when nothing is.
std::string PipeWirePositionsProblem(std::string_view positions);
// What is wrong with a target node's name (a quote or a backslash), empty when nothing is; an
// empty name is none.
std::string PipeWireTargetProblem(std::string_view target);

struct PipeWireSetup {
    // Each rate's band files (absolute: PipeWire opens them from its own working folder); with
    // several rates the convolver is given the list and takes the file whose rate is nearest
    // the graph's.
    std::vector<BandCoefficients> rates;
    std::vector<RateLatency> latencies;
    std::string positions{kDefaultPipeWirePositions};
    std::string target;  // the node to play to; empty: the session manager's choice
};

// The drop-in's text: context.modules with libpipewire-module-filter-chain, its graph (copy
// nodes "split_left", "split_right", convolvers "left_low" ... "right_high" with `filename` a
// string or a list and `channel`), the sink's capture.props (node.name "kaiser_crossover",
// media.class Audio/Sink, FL FR) and the playback.props (six channels at the positions, and
// target.object when a target is given).
std::string PipeWireDropIn(const PipeWireSetup& setup);

// Raises ExportRequestError when the request writes no WAV files.
void CheckPipeWireRequest(const ExportRequest& request);

void WritePipeWireDropIn(const SetWrite& write);

}  // namespace kc::exporting

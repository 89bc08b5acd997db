// SPDX-License-Identifier: GPL-3.0-or-later
// A configuration fragment for the CamillaDSP convolution engine that plays the crossover from its
// WAV files: stereo in, the three bands of each side out.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "dsp/bands.h"
#include "export/export_kind.h"

namespace kc::exporting {

// A path for each band, low to high.
using BandWavPaths = std::array<std::string, dsp::kBandCount>;

// The YAML of the fragment, following CamillaDSP's configuration format: `filters`, six `Conv`
// filters of `type: Wav` (left and right of each band, channel 0 of the band's file), a `mixer`
// from 2 inputs to 6 outputs (left low, mid, high on 0–2, right on 3–5) and the `pipeline` (the
// mixer, then each output's filter). `bandWavPaths` are the low, mid and high files as CamillaDSP
// is to open them (absolute; "$samplerate$" in place of the rate when files were written for
// several, which CamillaDSP replaces by the rate it runs at). Comments name the rates and their
// latencies.
std::string CamillaDspFragment(const BandWavPaths& bandWavPaths,
                               const std::vector<RateLatency>& rates);

// Raises ExportRequestError when the request asks for the fragment without the band WAV files it
// names (none, or the three bands in one file).
void CheckCamillaDspRequest(const ExportRequest& request);

// Writes the fragment of the export into its set, naming the band WAV files of the request.
void WriteCamillaDspFragment(const SetWrite& write);

// `text` as a double-quoted YAML scalar: backslash, quote and control characters escaped.
std::string YamlQuoted(const std::string& text);

}  // namespace kc::exporting

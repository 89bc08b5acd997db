// SPDX-License-Identifier: GPL-3.0-or-later
// An include file for Equalizer APO that plays the crossover from its WAV files on a six-channel
// device: the stereo input copied to six channels, then per rate an `If: sampleRate == R` block
// with a `Channel:` and a `Convolution:` line per band.
#pragma once

#include <string>
#include <vector>

#include "export/engine_config.h"
#include "export/export_kind.h"

namespace kc::exporting {

struct EqualizerApoRate {
    int32_t sampleRateHz = 44100;
    int32_t latencySamples = 0;
    BandCoefficients bands;  // the band WAV files as the include file names them
};

// The text: comments, `Copy:` (channels 4-6 from R, then 1-3 from L, so that no source is
// overwritten before it is read), and a block per rate: `If: sampleRate == R`, for each of the
// six channels `Channel: n` and `Convolution: FILE`, `EndIf:`; then `Channel: all`.
std::string EqualizerApoInclude(const std::vector<EqualizerApoRate>& rates);

// Raises ExportRequestError unless the request writes the WAV files one per band (Equalizer APO
// convolves a channel with a file's first channel).
void CheckEqualizerApoRequest(const ExportRequest& request);

void WriteEqualizerApoInclude(const SetWrite& write);

}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
// A complete configuration for the BruteFIR convolution engine at one rate, to be run as
// `brutefir -nodefault FILE` from its folder: every general setting, a partitioned filter length
// that covers the longest band, the three bands' coefficients from the raw or text files, a
// stereo input, six outputs and the six filters between them.
#pragma once

#include <cstdint>
#include <string>

#include "export/engine_config.h"
#include "export/export_kind.h"

namespace kc::exporting {

// BruteFIR's filter_length: the length of a partition (a power of two, at most the rate's chunk
// of samples) and how many partitions; blocks × count is at least `taps`, since BruteFIR cuts
// a filter off at its filter length without a word.
struct FilterPartition {
    int32_t blockSamples = 0;
    int32_t blocks = 0;
};
FilterPartition PartitionFor(int32_t taps, int32_t sampleRateHz);

struct BruteFirSetup {
    int32_t sampleRateHz = 44100;
    int32_t latencySamples = 0;
    int32_t longestTaps = 1;
    EngineDevice capture;
    EngineDevice playback;
    BandCoefficients bands;  // raw or text, as the configuration names them
};

// The configuration's text: the general settings (float_bits 64, sampling_rate, filter_length,
// ...), a coeff a band ("FLOAT64_LE", "FLOAT_LE" or "text"), the input "left", "right", the
// outputs "left_low" ... "right_high" and a filter each from its input to its output.
std::string BruteFirConfig(const BruteFirSetup& setup);

// Raises ExportRequestError when the request writes neither raw nor text files, or names one
// with a quote, which BruteFIR's strings cannot hold.
void CheckBruteFirRequest(const ExportRequest& request);

void WriteBruteFirConfig(const RateWrite& write);

}  // namespace kc::exporting

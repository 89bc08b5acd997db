// SPDX-License-Identifier: GPL-3.0-or-later
// A complete configuration for the CamillaDSP convolution engine at one rate: the devices (stereo
// capture, six-channel playback), the three bands' FIR filters from the exported files, a mixer
// from stereo to six channels and the pipeline, in the syntax of CamillaDSP 4, 3 or 2.
#pragma once

#include <string>

#include "export/engine_config.h"
#include "export/export_kind.h"

namespace kc::exporting {

// The major versions of CamillaDSP whose syntax a configuration can follow, as the choices of
// --camilladsp-version list them.
enum class CamillaDspVersion { V4, V3, V2 };

// What one configuration says.
struct CamillaDspSetup {
    CamillaDspVersion version = CamillaDspVersion::V4;
    int32_t sampleRateHz = 44100;
    int32_t latencySamples = 0;
    EngineDevice capture;
    EngineDevice playback;
    BandCoefficients bands;  // the files as the configuration names them
};

// The YAML: comments (the rate, the latency, the channels), `devices` (samplerate, chunksize, a
// capture of 2 channels and a playback of 6), `filters` (one Conv filter a band: type Wav with
// its channel, or Raw with its format), `mixers` (input 0 to outputs 0-2 and input 1 to 3-5, one
// mapping a destination) and the `pipeline` (the mixer, then the band's filter on each output:
// `channels: [n]` in versions 4 and 3, `channel: n` in 2). Version 4 spells the sample formats
// S32_LE, F32_LE, F64_LE and the file capture RawFile; 3 spells them S32LE, FLOAT32LE, FLOAT64LE
// with RawFile; 2 likewise, with File for both devices.
std::string CamillaDspConfig(const CamillaDspSetup& setup);

// Raises ExportRequestError when the request writes no coefficient files (WAV, raw or text) for
// the configuration to name.
void CheckCamillaDspRequest(const ExportRequest& request);

// Writes the configuration of one rate into its set: the WAV files when written, else the raw
// files, else the text files, named from the configuration's folder (PathFromConfig).
void WriteCamillaDspConfig(const RateWrite& write);

// `text` as a double-quoted YAML scalar: backslash, quote and control characters escaped.
std::string YamlQuoted(const std::string& text);

}  // namespace kc::exporting

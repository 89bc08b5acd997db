// SPDX-License-Identifier: GPL-3.0-or-later
// What the configurations of the convolution engines (CamillaDSP, BruteFIR, PipeWire's filter
// chain, Equalizer APO) share: the devices the user names, the coefficient files of the export
// they load, how a configuration names a file, and the chunk an engine processes at a time.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "dsp/bands.h"
#include "export/export_kind.h"

namespace kc::exporting {

// The sides of the stereo input; the outputs are each side's bands, the left side's first
// (left low, mid, high, right low, mid, high).
inline constexpr std::array<std::string_view, 2> kSides = {"left", "right"};
inline constexpr std::size_t kOutputCount = kSides.size() * dsp::kBandCount;
constexpr std::size_t SideOf(std::size_t output) {
    return output / dsp::kBandCount;
}
constexpr std::size_t BandOf(std::size_t output) {
    return output % dsp::kBandCount;
}
// "left_low": an output's name in the configurations.
std::string OutputName(std::size_t output);

// A capture or playback device as --capture and --playback name it: "alsa:DEVICE", or
// "file:PATH" for raw 32-bit float samples, little-endian and interleaved.
struct EngineDevice {
    enum class Type { Alsa, File };
    Type type = Type::Alsa;
    std::string name;  // the ALSA device ("hw:0"), or the file's path as the engine opens it
};
inline constexpr std::string_view kDefaultCapture = "alsa:hw:Loopback,1";
inline constexpr std::string_view kDefaultPlayback = "alsa:hw:0";

// What is wrong with a device text, in words that follow its key ("must be alsa:DEVICE or
// file:PATH"); empty when nothing is. A quote or a backslash is refused too: not every engine's
// file can hold one.
std::string DeviceTextProblem(std::string_view text);
// The device of a text that DeviceTextProblem passes.
EngineDevice ParseDevice(std::string_view text);

// The kind of coefficient file an engine loads.
enum class CoefficientFormat { Wav, RawFloat32, RawFloat64, Text };

// The files of the three bands at one rate, as the export writes them (paths as the request
// names them): low, mid, high, and the channel of each in its file (0, or 0, 1, 2 for the
// multichannel WAV file, which is then all three).
struct BandCoefficients {
    CoefficientFormat format = CoefficientFormat::Wav;
    std::array<std::string, dsp::kBandCount> files;
    std::array<int, dsp::kBandCount> channels{};
};

// The band files at `sampleRateHz` of the first of `kindIds` ("wav", "raw", "text") that the
// request writes; none when it writes none of them.
std::optional<BandCoefficients> CoefficientsAt(const ExportRequest& request, int32_t sampleRateHz,
                                               std::initializer_list<std::string_view> kindIds);

// Raises ExportRequestError, naming the engine, when the request writes none of `kindIds`.
void RequireCoefficients(const ExportRequest& request,
                         std::initializer_list<std::string_view> kindIds, std::string_view engine,
                         std::string_view needed);

// `file` as the configuration `configFile` names it: relative to the configuration's folder
// when it lies in it or below, else absolute (both lexically normal).
std::string PathFromConfig(const std::string& file, const std::string& configFile);

// The samples an engine processes at a time at a rate: 1024 up to 50 kHz, doubling with each
// doubling of the rate (2048 at 88.2 and 96 kHz, 4096 at 176.4 and 192 kHz, ...).
int32_t ChunkSamples(int32_t sampleRateHz);

// "every band is delayed by at least 490 samples (10.208 ms, the earliest band)" at a rate: the
// exported design's CommonCentre, which the alignment's delays add to.
std::string LatencyText(int32_t latencySamples, int32_t sampleRateHz);

}  // namespace kc::exporting

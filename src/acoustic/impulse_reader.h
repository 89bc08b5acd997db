// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a driver's impulse response from a WAV file (what measurement programs export as
// "impulse response"), and any driver file by what it holds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "acoustic/frd_reader.h"

namespace kc::acoustic {

// The longest gate the window offers, ms.
inline constexpr double kMaxGateMs = 10000.0;
// The most channels a file may have, and samples a channel (87 s at 48 kHz).
inline constexpr int32_t kMaxImpulseChannels = 64;
inline constexpr std::size_t kMaxImpulseFrames = std::size_t{1} << 22;

// How an impulse response is read.
struct ImpulseOptions {
    int32_t channel = 1;  // 1 ... the file's channels
    // The gate: the samples up to gateMs after the peak are kept, the rest dropped; 0 keeps the
    // whole file. The last tenth of what is kept after the peak fades out by a half Hann window.
    double gateMs = 0.0;
    bool operator==(const ImpulseOptions&) const = default;
};

// Whether `bytes` start as a WAV file does ("RIFF" ... "WAVE", or RF64 / BW64).
bool IsWavFile(std::string_view bytes);

// The response of the impulse response in the WAV file `bytes` called `name` (any format
// libsndfile reads, any rate from 1000 to 1 000 000 Hz): the chosen channel, gated, zero-padded to
// a power of two of at least half a second and transformed by FFT; kept at the FFT's bins above
// 0 Hz up to half the rate, thinned to 96 an octave (or every bin where they lie further apart,
// and wherever the phase has moved by 45°). The phase keeps the file's timing (the peak's delay
// included); `reading` names the rate, the channel, the gate and the time of the peak.
// EDriverFileError naming the file for anything it cannot read: no WAV, a channel it does not
// have, a gate out of 0 ... kMaxGateMs, fewer than 2 samples, a silent or non-finite channel.
DriverResponse ParseImpulseWav(std::string_view bytes, const std::string& name,
                               const ImpulseOptions& options);

// Reads the driver file at `path` (at most kMaxFrdBytes) by what it holds: a WAV file as an
// impulse response (ParseImpulseWav), anything else as text (ParseFrd).
DriverResponse ReadDriverFile(const std::string& path, const std::string& name,
                              const ImpulseOptions& options = {});

}  // namespace kc::acoustic

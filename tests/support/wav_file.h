// SPDX-License-Identifier: GPL-3.0-or-later
// Reading back a WAV file that an export wrote, whatever its sample format, and the format tag of
// its header.
#pragma once

#include <sndfile.h>

#include <cstdint>
#include <string>
#include <vector>

#include "support/file_bytes.h"

namespace kc::testing_support {

struct WavFile {
    bool opened = false;  // false when the file could not be opened as a sound file
    SF_INFO info{};
    std::vector<double> samples;  // every frame, the channels of a frame side by side, as doubles

    // Channel c of frame i.
    double At(std::size_t frame, std::size_t channel) const {
        return samples[frame * static_cast<std::size_t>(info.channels) + channel];
    }
};

inline WavFile ReadWav(const std::string& path) {
    WavFile wav;
    SNDFILE* file = sf_open(path.c_str(), SFM_READ, &wav.info);
    if (file == nullptr) {
        return wav;
    }
    wav.opened = true;
    wav.samples.resize(static_cast<std::size_t>(wav.info.frames * wav.info.channels));
    sf_readf_double(file, wav.samples.data(), wav.info.frames);
    sf_close(file);
    return wav;
}

// The format tag of a WAV file's "fmt " chunk (1 PCM, 3 IEEE float, 0xFFFE extensible), found by
// walking the RIFF chunks; −1 when the file has none.
inline int WavFormatTag(const std::string& path) {
    const std::string bytes = ReadBytes(path);
    const auto u32 = [&](std::size_t at) {
        uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) {
            value |= static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
        }
        return value;
    };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0) {
        return -1;
    }
    for (std::size_t at = 12; at + 10 <= bytes.size(); at += 8 + ((u32(at + 4) + 1) & ~1u)) {
        if (bytes.compare(at, 4, "fmt ") == 0) {
            return static_cast<unsigned char>(bytes[at + 8]) |
                   (static_cast<unsigned char>(bytes[at + 9]) << 8);
        }
    }
    return -1;
}

}  // namespace kc::testing_support

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/camilladsp_export.h"

#include <cstdio>

namespace kc::exporting {
namespace {

constexpr const char* kBands[] = {"low", "mid", "high"};
constexpr const char* kSides[] = {"left", "right"};
constexpr const char* kMixerName = "kc_stereo_to_3way";

std::string FilterName(int side, int band) {
    return std::string("kc_") + kSides[side] + "_" + kBands[band];
}

std::string Comments(const std::vector<CamillaDspRate>& rates) {
    std::string text =
        "# Kaiser Crossover: a three-way linear-phase crossover for CamillaDSP.\n"
        "# Merge these sections into a configuration whose capture device has 2 channels and\n"
        "# whose playback device has 6: left low, mid, high on 0-2, right low, mid, high on 3-5.\n";
    for (const CamillaDspRate& rate : rates) {
        text += "# At " + std::to_string(rate.sampleRateHz) + " Hz every band is delayed by " +
                std::to_string(rate.latencySamples) + " samples.\n";
    }
    return text;
}

std::string Filters(const std::array<std::string, 3>& bandWavPaths) {
    std::string text = "filters:\n";
    for (int side = 0; side < 2; ++side) {
        for (int band = 0; band < 3; ++band) {
            text += "  " + FilterName(side, band) +
                    ":\n"
                    "    type: Conv\n"
                    "    parameters:\n"
                    "      type: Wav\n"
                    "      filename: " +
                    YamlQuoted(bandWavPaths[static_cast<std::size_t>(band)]) +
                    "\n"
                    "      channel: 0\n";
        }
    }
    return text;
}

std::string Mixer() {
    std::string text = std::string("mixers:\n  ") + kMixerName +
                       ":\n"
                       "    channels:\n"
                       "      in: 2\n"
                       "      out: 6\n"
                       "    mapping:\n";
    for (int dest = 0; dest < 6; ++dest) {
        text += "      - dest: " + std::to_string(dest) +
                "\n"
                "        sources:\n"
                "          - channel: " +
                std::to_string(dest / 3) +
                "\n"
                "            gain: 0\n";
    }
    return text;
}

std::string Pipeline() {
    std::string text = std::string("pipeline:\n  - type: Mixer\n    name: ") + kMixerName + "\n";
    for (int side = 0; side < 2; ++side) {
        for (int band = 0; band < 3; ++band) {
            text += "  - type: Filter\n    channels: [" + std::to_string(side * 3 + band) +
                    "]\n    names:\n      - " + FilterName(side, band) + "\n";
        }
    }
    return text;
}

}  // namespace

std::string YamlQuoted(const std::string& text) {
    std::string quoted = "\"";
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (byte < 0x20 || byte == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02X", byte);
            quoted += escape;
        } else {
            quoted += c;  // UTF-8 passes as it is
        }
    }
    return quoted + "\"";
}

std::string CamillaDspFragment(const std::array<std::string, 3>& bandWavPaths,
                               const std::vector<CamillaDspRate>& rates) {
    return Comments(rates) + "\n" + Filters(bandWavPaths) + "\n" + Mixer() + "\n" + Pipeline();
}

}  // namespace kc::exporting

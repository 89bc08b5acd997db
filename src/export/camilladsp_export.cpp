// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/camilladsp_export.h"

#include <cstdio>
#include <filesystem>

#include "export/export_set.h"
#include "export/file_write.h"
#include "export/wav_export.h"

namespace kc::exporting {
namespace {

constexpr const char* kBands[] = {"low", "mid", "high"};
constexpr const char* kSides[] = {"left", "right"};
constexpr const char* kMixerName = "kc_stereo_to_3way";

std::string FilterName(int side, int band) {
    return std::string("kc_") + kSides[side] + "_" + kBands[band];
}

std::string Comments(const std::vector<RateLatency>& rates) {
    std::string text =
        "# Kaiser Crossover: a three-way linear-phase crossover for CamillaDSP.\n"
        "# Merge these sections into a configuration whose capture device has 2 channels and\n"
        "# whose playback device has 6: left low, mid, high on 0-2, right low, mid, high on 3-5.\n";
    for (const RateLatency& rate : rates) {
        text += "# At " + std::to_string(rate.sampleRateHz) +
                " Hz every band is delayed by at least " + std::to_string(rate.latencySamples) +
                " samples (the earliest band).\n";
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

// The band WAV files as the fragment names them: absolute, and with "$samplerate$" for the rate
// when the files were written for several rates.
std::array<std::string, 3> WavPaths(const SetWrite& write) {
    const ExportKind& wav = ExportKinds()[KindIndex("wav")];
    const KindRequest& request = write.request.Kind("wav");
    const std::string prefix = write.rates.size() > 1
                                   ? request.name
                                   : WithRate(request.name, write.rates.front().sampleRateHz);
    const std::vector<std::string> files = wav.files(wav, request, prefix);
    std::array<std::string, 3> paths;
    for (std::size_t band = 0; band < paths.size(); ++band) {
        std::string path = files.at(band);
        for (std::size_t at = path.find(kRatePlaceholder); at != std::string::npos;
             at = path.find(kRatePlaceholder, at)) {
            path.replace(at, kRatePlaceholder.size(), "$samplerate$");
        }
        paths[band] = std::filesystem::absolute(path).lexically_normal().string();
    }
    return paths;
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
                               const std::vector<RateLatency>& rates) {
    return Comments(rates) + "\n" + Filters(bandWavPaths) + "\n" + Mixer() + "\n" + Pipeline();
}

void CheckCamillaDspRequest(const ExportRequest& request) {
    const KindRequest& wav = request.Kind("wav");
    const std::size_t layout = ExportKinds()[KindIndex("wav")].ChoiceIndex(wav.options, 1);
    if (wav.name.empty() || static_cast<WavLayout>(layout) != WavLayout::Bands) {
        throw ExportRequestError(
            "The CamillaDSP fragment names the WAV files of the bands: it needs the WAV files "
            "written one per band.");
    }
}

void WriteCamillaDspFragment(const SetWrite& write) {
    write.set.WriteText(write.file, CamillaDspFragment(WavPaths(write), write.rates));
}

}  // namespace kc::exporting

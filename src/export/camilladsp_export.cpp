// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/camilladsp_export.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <string>

#include "dsp/bands.h"
#include "export/export_set.h"
#include "export/file_write.h"
#include "export/wav_export.h"

namespace kc::exporting {
namespace {

constexpr const char* kSides[] = {"left", "right"};
constexpr std::size_t kSideCount = std::size(kSides);
constexpr std::size_t kOutputCount = kSideCount * dsp::kBandCount;
constexpr const char* kMixerName = "kc_stereo_to_3way";

std::string FilterName(std::size_t side, std::size_t band) {
    return std::string("kc_") + kSides[side] + "_" + std::string(dsp::kCurveNames[band].id);
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

std::string Filters(const BandWavPaths& bandWavPaths) {
    std::string text = "filters:\n";
    for (std::size_t side = 0; side < kSideCount; ++side) {
        for (std::size_t band = 0; band < dsp::kBandCount; ++band) {
            text += "  " + FilterName(side, band) +
                    ":\n"
                    "    type: Conv\n"
                    "    parameters:\n"
                    "      type: Wav\n"
                    "      filename: " +
                    YamlQuoted(bandWavPaths[band]) +
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
                       "      in: " +
                       std::to_string(kSideCount) +
                       "\n"
                       "      out: " +
                       std::to_string(kOutputCount) +
                       "\n"
                       "    mapping:\n";
    for (std::size_t dest = 0; dest < kOutputCount; ++dest) {
        text += "      - dest: " + std::to_string(dest) +
                "\n"
                "        sources:\n"
                "          - channel: " +
                std::to_string(dest / dsp::kBandCount) +
                "\n"
                "            gain: 0\n";
    }
    return text;
}

std::string Pipeline() {
    std::string text = std::string("pipeline:\n  - type: Mixer\n    name: ") + kMixerName + "\n";
    for (std::size_t side = 0; side < kSideCount; ++side) {
        for (std::size_t band = 0; band < dsp::kBandCount; ++band) {
            text += "  - type: Filter\n    channels: [" +
                    std::to_string(side * dsp::kBandCount + band) + "]\n    names:\n      - " +
                    FilterName(side, band) + "\n";
        }
    }
    return text;
}

// The band WAV files as the fragment names them: absolute, and with "$samplerate$" for the rate
// when the files were written for several rates.
BandWavPaths WavPaths(const SetWrite& write) {
    const ExportKind& wav = ExportKinds()[KindIndex("wav")];
    const KindRequest& request = write.request.Kind("wav");
    const std::string prefix = write.rates.size() > 1
                                   ? request.name
                                   : WithRate(request.name, write.rates.front().sampleRateHz);
    const std::vector<std::string> files = wav.files(wav, request, prefix);
    BandWavPaths paths;
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

std::string CamillaDspFragment(const BandWavPaths& bandWavPaths,
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/camilladsp_export.h"

#include <cstdio>

#include "export/export_set.h"
#include "export/file_write.h"

namespace kc::exporting {
namespace {

constexpr const char* kMixerName = "kc_stereo_to_3way";

// The spellings that changed between the major versions.
struct VersionSyntax {
    const char* alsaFormat;
    const char* float32;
    const char* float64;
    const char* rawCapture;  // the device type that reads raw samples from a file
    bool channelList;        // a filter step's `channels: [n]` (else `channel: n`)
};

VersionSyntax SyntaxOf(CamillaDspVersion version) {
    switch (version) {
        case CamillaDspVersion::V4:
            return {"S32_LE", "F32_LE", "F64_LE", "RawFile", true};
        case CamillaDspVersion::V3:
            return {"S32LE", "FLOAT32LE", "FLOAT64LE", "RawFile", true};
        case CamillaDspVersion::V2:
            break;
    }
    return {"S32LE", "FLOAT32LE", "FLOAT64LE", "File", false};
}

std::string FilterName(std::size_t band) {
    return "kc_" + std::string(dsp::kCurveNames[band].id);
}

std::string Device(const char* role, const EngineDevice& device, std::size_t channels,
                   const VersionSyntax& syntax) {
    std::string text = std::string("  ") + role + ":\n";
    if (device.type == EngineDevice::Type::File) {
        const bool capture = std::string_view(role) == "capture";
        text += std::string("    type: ") + (capture ? syntax.rawCapture : "File") +
                "\n    channels: " + std::to_string(channels) +
                "\n    filename: " + YamlQuoted(device.name) + "\n    format: " + syntax.float32 +
                "\n";
    } else {
        text += "    type: Alsa\n    channels: " + std::to_string(channels) +
                "\n    device: " + YamlQuoted(device.name) + "\n    format: " + syntax.alsaFormat +
                "\n";
    }
    return text;
}

std::string Devices(const CamillaDspSetup& s, const VersionSyntax& syntax) {
    return "devices:\n  samplerate: " + std::to_string(s.sampleRateHz) +
           "\n  chunksize: " + std::to_string(ChunkSamples(s.sampleRateHz)) + "\n" +
           Device("capture", s.capture, kSides.size(), syntax) +
           Device("playback", s.playback, kOutputCount, syntax);
}

std::string FilterParameters(const BandCoefficients& bands, std::size_t band,
                             const VersionSyntax& syntax) {
    const std::string file = YamlQuoted(bands.files[band]);
    if (bands.format == CoefficientFormat::Wav) {
        return "      type: Wav\n      filename: " + file +
               "\n      channel: " + std::to_string(bands.channels[band]) + "\n";
    }
    const char* format = bands.format == CoefficientFormat::RawFloat32   ? syntax.float32
                         : bands.format == CoefficientFormat::RawFloat64 ? syntax.float64
                                                                         : "TEXT";
    return "      type: Raw\n      filename: " + file + "\n      format: " + format + "\n";
}

std::string Filters(const BandCoefficients& bands, const VersionSyntax& syntax) {
    std::string text = "filters:\n";
    for (std::size_t band = 0; band < dsp::kBandCount; ++band) {
        text += "  " + FilterName(band) + ":\n    type: Conv\n    parameters:\n" +
                FilterParameters(bands, band, syntax);
    }
    return text;
}

std::string Mixer() {
    std::string text = std::string("mixers:\n  ") + kMixerName +
                       ":\n"
                       "    channels:\n"
                       "      in: " +
                       std::to_string(kSides.size()) +
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
                std::to_string(SideOf(dest)) +
                "\n"
                "            gain: 0\n"
                "            inverted: false\n";
    }
    return text;
}

std::string Pipeline(const VersionSyntax& syntax) {
    std::string text = std::string("pipeline:\n  - type: Mixer\n    name: ") + kMixerName + "\n";
    for (std::size_t output = 0; output < kOutputCount; ++output) {
        const std::string channel = std::to_string(output);
        text += "  - type: Filter\n" +
                (syntax.channelList ? "    channels: [" + channel + "]\n"
                                    : "    channel: " + channel + "\n") +
                "    names:\n      - " + FilterName(BandOf(output)) + "\n";
    }
    return text;
}

int VersionNumber(CamillaDspVersion version) {
    return version == CamillaDspVersion::V4 ? 4 : version == CamillaDspVersion::V3 ? 3 : 2;
}

std::string Comments(const CamillaDspSetup& s) {
    return "# Kaiser Crossover: a three-way linear-phase crossover for CamillaDSP " +
           std::to_string(VersionNumber(s.version)) + " at " + std::to_string(s.sampleRateHz) +
           " Hz.\n"
           "# Stereo in; out: left low, mid, high on 0-2, right low, mid, high on 3-5.\n"
           "# At this rate " +
           LatencyText(s.latencySamples, s.sampleRateHz) + ".\n";
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

std::string CamillaDspConfig(const CamillaDspSetup& setup) {
    const VersionSyntax syntax = SyntaxOf(setup.version);
    return Comments(setup) + "\n" + Devices(setup, syntax) + "\n" + Filters(setup.bands, syntax) +
           "\n" + Mixer() + "\n" + Pipeline(syntax);
}

void CheckCamillaDspRequest(const ExportRequest& request) {
    RequireCoefficients(request, {"wav", "raw", "text"}, "CamillaDSP",
                        "the WAV, raw or text files");
}

void WriteCamillaDspConfig(const RateWrite& w) {
    const int32_t rate = w.design.taps.sampleRateHz;
    CamillaDspSetup setup;
    setup.version = static_cast<CamillaDspVersion>(w.kind.ChoiceIndex(w.request.options, 0));
    setup.sampleRateHz = rate;
    setup.latencySamples = w.design.taps.CommonCentre;
    setup.capture = ParseDevice(w.exportRequest.Option("capture"));
    setup.playback = ParseDevice(w.exportRequest.Option("playback"));
    setup.bands = CoefficientsAt(w.exportRequest, rate, {"wav", "raw", "text"}).value();
    for (std::string& file : setup.bands.files) {
        file = PathFromConfig(file, w.files[0]);
    }
    w.set.WriteText(w.files[0], CamillaDspConfig(setup));
}

}  // namespace kc::exporting

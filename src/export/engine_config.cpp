// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/engine_config.h"

#include <filesystem>

#include "base/text_convert.h"
#include "export/export_set.h"
#include "export/file_write.h"

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kAlsaPrefix = "alsa:";
constexpr std::string_view kFilePrefix = "file:";

CoefficientFormat RawFormatOf(const ExportRequest& request) {
    return request.Option("rawFormat") == "float64" ? CoefficientFormat::RawFloat64
                                                    : CoefficientFormat::RawFloat32;
}

}  // namespace

std::string OutputName(std::size_t output) {
    std::string name(kSides[SideOf(output)]);
    name += '_';
    name += dsp::kCurveNames[BandOf(output)].id;
    return name;
}

std::string DeviceTextProblem(std::string_view text) {
    const bool alsa = text.starts_with(kAlsaPrefix);
    if ((!alsa && !text.starts_with(kFilePrefix)) || text.size() == kAlsaPrefix.size() ||
        text.size() == kFilePrefix.size()) {
        return "must be alsa:DEVICE or file:PATH";
    }
    if (text.find_first_of("\"\\") != std::string_view::npos) {
        return "holds a quote or a backslash, which an engine's file cannot hold";
    }
    return {};
}

EngineDevice ParseDevice(std::string_view text) {
    if (text.starts_with(kFilePrefix)) {
        return {EngineDevice::Type::File, std::string(text.substr(kFilePrefix.size()))};
    }
    return {EngineDevice::Type::Alsa, std::string(text.substr(kAlsaPrefix.size()))};
}

std::optional<BandCoefficients> CoefficientsAt(const ExportRequest& request, int32_t sampleRateHz,
                                               std::initializer_list<std::string_view> kindIds) {
    for (const std::string_view id : kindIds) {
        const ExportKind& kind = ExportKinds()[KindIndex(id)];
        const KindRequest& asked = request.Kind(id);
        if (asked.name.empty()) {
            continue;
        }
        const std::vector<std::string> files =
            kind.files(kind, asked, WithRate(asked.name, sampleRateHz));
        BandCoefficients bands;
        bands.format = id == "wav"   ? CoefficientFormat::Wav
                       : id == "raw" ? RawFormatOf(request)
                                     : CoefficientFormat::Text;
        for (std::size_t band = 0; band < bands.files.size(); ++band) {
            const bool oneFile = files.size() == 1;  // the multichannel WAV file
            bands.files[band] = files.at(oneFile ? 0 : band);
            bands.channels[band] = oneFile ? static_cast<int>(band) : 0;
        }
        return bands;
    }
    return std::nullopt;
}

void RequireCoefficients(const ExportRequest& request,
                         std::initializer_list<std::string_view> kindIds, std::string_view engine,
                         std::string_view needed) {
    if (!CoefficientsAt(request, dsp::SampleRate, kindIds)) {
        throw ExportRequestError("The " + std::string(engine) +
                                 " configuration names the coefficient files it loads: it needs " +
                                 std::string(needed) + " written too.");
    }
}

std::string PathFromConfig(const std::string& file, const std::string& configFile) {
    const fs::path target = fs::absolute(file).lexically_normal();
    const fs::path folder = fs::absolute(configFile).lexically_normal().parent_path();
    const fs::path relative = target.lexically_relative(folder);
    if (!relative.empty() && *relative.begin() != "..") {
        return relative.string();
    }
    return target.string();
}

int32_t ChunkSamples(int32_t sampleRateHz) {
    int32_t chunk = 1024;
    for (int64_t limit = 50000; sampleRateHz > limit; limit *= 2) {
        chunk *= 2;
    }
    return chunk;
}

std::string LatencyText(int32_t latencySamples, int32_t sampleRateHz) {
    return "every band is delayed by at least " + std::to_string(latencySamples) + " samples (" +
           base::FixedPointText(1000.0 * latencySamples / sampleRateHz, 3) +
           " ms, the earliest band)";
}

}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/brutefir_export.h"

#include <algorithm>

#include "export/export_set.h"
#include "export/file_write.h"

namespace kc::exporting {
namespace {

constexpr int32_t kSmallestBlock = 64;

std::string Quoted(const std::string& text) {
    std::string quoted = "\"";  // a quote is refused before (CheckBruteFirRequest, the devices)
    quoted += text;
    quoted += '"';
    return quoted;
}

std::string General(const BruteFirSetup& s) {
    const FilterPartition p = PartitionFor(s.longestTaps, s.sampleRateHz);
    return "float_bits: 64;\n"
           "sampling_rate: " +
           std::to_string(s.sampleRateHz) +
           ";\n"
           "filter_length: " +
           std::to_string(p.blockSamples) + "," + std::to_string(p.blocks) +
           ";\n"
           "overflow_warnings: true;\n"
           "show_progress: false;\n"
           "max_dither_table_size: 0;\n"
           "allow_poll_mode: false;\n"
           "modules_path: \".\";\n"
           "powersave: false;\n"
           "monitor_rate: false;\n"
           "lock_memory: false;\n"
           "sdf_length: -1;\n"
           "safety_limit: 0;\n"
           "convolver_config: \"~/.brutefir_convolver\";\n";
}

const char* FormatOf(CoefficientFormat format) {
    return format == CoefficientFormat::RawFloat64   ? "FLOAT64_LE"
           : format == CoefficientFormat::RawFloat32 ? "FLOAT_LE"
                                                     : "text";
}

std::string Coeffs(const BandCoefficients& bands) {
    std::string text;
    for (std::size_t band = 0; band < dsp::kBandCount; ++band) {
        text += std::string("coeff \"") + std::string(dsp::kCurveNames[band].id) +
                "\" {\n    filename: " + Quoted(bands.files[band]) + ";\n    format: \"" +
                FormatOf(bands.format) +
                "\";\n    attenuation: 0.0;\n    blocks: -1;\n    skip: 0;\n"
                "    shared_mem: false;\n};\n";
    }
    return text;
}

std::string DeviceClause(const EngineDevice& device) {
    if (device.type == EngineDevice::Type::File) {
        return "\"file\" { path: " + Quoted(device.name) + "; }";
    }
    return "\"alsa\" { device: " + Quoted(device.name) + "; }";
}

// "n/0,1,...", "x,x,..." of n channels.
std::string Channels(std::size_t count) {
    std::string text = std::to_string(count) + "/";
    for (std::size_t i = 0; i < count; ++i) {
        text += i == 0 ? "" : ",";
        text += std::to_string(i);
    }
    return text;
}

std::string Repeated(const char* value, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        text += i == 0 ? "" : ",";
        text += value;
    }
    return text;
}

std::string Io(const char* structure, const std::string& names, const EngineDevice& device,
               std::size_t channels) {
    const char* sample = device.type == EngineDevice::Type::File ? "FLOAT_LE" : "S32_LE";
    std::string text = std::string(structure) + " " + names +
                       " {\n    device: " + DeviceClause(device) + ";\n    sample: \"" + sample +
                       "\";\n    channels: " + Channels(channels) +
                       ";\n    delay: " + Repeated("0", channels) +
                       ";\n    maxdelay: -1;\n    mute: " + Repeated("false", channels) + ";\n";
    if (std::string_view(structure) == "output") {
        text += "    dither: false;\n";
    }
    return text + "};\n";
}

// "left", "right" or "left_low", ... "right_high": the names of a structure's channels.
std::string Names(std::size_t count, std::string (*name)(std::size_t)) {
    std::string names;
    for (std::size_t i = 0; i < count; ++i) {
        names += i == 0 ? "" : ", ";
        names += Quoted(name(i));
    }
    return names;
}

std::string SideName(std::size_t side) {
    return std::string(kSides[side]);
}

std::string Inputs(const BruteFirSetup& s) {
    return Io("input", Names(kSides.size(), SideName), s.capture, kSides.size());
}

std::string Outputs(const BruteFirSetup& s) {
    return Io("output", Names(kOutputCount, OutputName), s.playback, kOutputCount);
}

std::string Filters() {
    std::string text;
    for (std::size_t output = 0; output < kOutputCount; ++output) {
        text += "filter " + Quoted(OutputName(output));
        text += " {\n    from_inputs: " + Quoted(SideName(SideOf(output)));
        text += ";\n    to_outputs: " + Quoted(OutputName(output));
        text += ";\n    coeff: " + Quoted(std::string(dsp::kCurveNames[BandOf(output)].id));
        text += ";\n    process: -1;\n    delay: 0;\n    crossfade: false;\n};\n";
    }
    return text;
}

}  // namespace

FilterPartition PartitionFor(int32_t taps, int32_t sampleRateHz) {
    int32_t block = kSmallestBlock;
    while (block < taps && block < ChunkSamples(sampleRateHz)) {
        block *= 2;
    }
    return {block, std::max(1, (taps + block - 1) / block)};
}

std::string BruteFirConfig(const BruteFirSetup& s) {
    return "# Kaiser Crossover: a three-way linear-phase crossover for BruteFIR at " +
           std::to_string(s.sampleRateHz) +
           " Hz.\n"
           "# Run it from this folder: brutefir -nodefault THIS-FILE\n"
           "# Stereo in; out: left low, mid, high on 0-2, right low, mid, high on 3-5.\n"
           "# At this rate " +
           LatencyText(s.latencySamples, s.sampleRateHz) + ".\n\n" + General(s) + "\n" +
           Coeffs(s.bands) + "\n" + Inputs(s) + "\n" + Outputs(s) + "\n" + Filters();
}

void CheckBruteFirRequest(const ExportRequest& request) {
    RequireCoefficients(request, {"raw", "text"}, "BruteFIR", "the raw or text files");
    for (const char* kind : {"raw", "text"}) {
        if (request.Kind(kind).name.find('"') != std::string::npos) {
            throw ExportRequestError(
                "The BruteFIR configuration cannot name a file whose name holds a quote.");
        }
    }
}

void WriteBruteFirConfig(const RateWrite& w) {
    const dsp::CrossoverTaps& taps = w.design.taps;
    BruteFirSetup setup;
    setup.sampleRateHz = taps.sampleRateHz;
    setup.latencySamples = taps.CommonCentre;
    setup.longestTaps = static_cast<int32_t>(
        std::max({taps.LowTaps.size(), taps.MidTaps.size(), taps.HighTaps.size()}));
    setup.capture = ParseDevice(w.exportRequest.Option("capture"));
    setup.playback = ParseDevice(w.exportRequest.Option("playback"));
    setup.bands = CoefficientsAt(w.exportRequest, taps.sampleRateHz, {"raw", "text"}).value();
    for (std::string& file : setup.bands.files) {
        file = PathFromConfig(file, w.files[0]);
    }
    w.set.WriteText(w.files[0], BruteFirConfig(setup));
}

}  // namespace kc::exporting

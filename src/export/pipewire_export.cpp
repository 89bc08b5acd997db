// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/pipewire_export.h"

#include <algorithm>
#include <filesystem>

#include "base/text_convert.h"
#include "export/export_set.h"
#include "export/file_write.h"

namespace kc::exporting {
namespace {

// A string as PipeWire's configuration reads it: quoted, with quote and backslash escaped.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

std::vector<std::string> Split(std::string_view text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        items.emplace_back(text.substr(start, comma - start));
        if (comma == text.size()) {
            return items;
        }
        start = comma + 1;
    }
}

std::string FileNames(const PipeWireSetup& s, std::size_t band) {
    if (s.rates.size() == 1) {
        return Quoted(s.rates[0].files[band]);
    }
    std::string list = "[";
    for (const BandCoefficients& rate : s.rates) {
        list += ' ';
        list += Quoted(rate.files[band]);
    }
    return list + " ]";
}

std::string SplitName(std::size_t side) {
    return "split_" + std::string(kSides[side]);
}

// A copy node a side, whose output feeds the side's convolvers, one a band.
std::string Nodes(const PipeWireSetup& s) {
    std::string text;
    for (std::size_t side = 0; side < kSides.size(); ++side) {
        text +=
            "                    { type = builtin label = copy name = " + SplitName(side) + " }\n";
    }
    for (std::size_t output = 0; output < kOutputCount; ++output) {
        const std::size_t band = BandOf(output);
        text +=
            "                    { type = builtin label = convolver name = " + OutputName(output) +
            " config = { filename = " + FileNames(s, band) +
            " channel = " + std::to_string(s.rates[0].channels[band]) + " } }\n";
    }
    return text;
}

std::string Links() {
    std::string text;
    for (std::size_t output = 0; output < kOutputCount; ++output) {
        text += "                    { output = \"" + SplitName(SideOf(output));
        text += ":Out\" input = \"" + OutputName(output) + ":In\" }\n";
    }
    return text;
}

std::string Inputs() {
    std::string text;
    for (std::size_t side = 0; side < kSides.size(); ++side) {
        text += " \"" + SplitName(side);
        text += ":In\"";
    }
    return text;
}

std::string Outputs() {
    std::string text;
    for (std::size_t output = 0; output < kOutputCount; ++output) {
        text += " \"";
        text += OutputName(output);
        text += ":Out\"";
    }
    return text;
}

std::string Positions(const std::string& positions) {
    std::string text;
    for (const std::string& position : Split(positions)) {
        text += ' ';
        text += position;
    }
    return text;
}

std::string Comments(const PipeWireSetup& s) {
    std::string text =
        "# Kaiser Crossover: a three-way linear-phase crossover for PipeWire's filter chain.\n"
        "# Put it into ~/.config/pipewire/pipewire.conf.d/ and restart PipeWire: a sink\n"
        "# \"Kaiser Crossover\" plays left low, mid, high, right low, mid, high on six channels.\n";
    for (const RateLatency& rate : s.latencies) {
        text += "# At " + std::to_string(rate.sampleRateHz) + " Hz " +
                LatencyText(rate.latencySamples, rate.sampleRateHz) + ".\n";
    }
    return text;
}

}  // namespace

std::string PipeWirePositionsProblem(std::string_view positions) {
    const std::vector<std::string> items = Split(positions);
    const auto isName = [](const std::string& item) {
        return !item.empty() && std::all_of(item.begin(), item.end(), [](char c) {
            return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        });
    };
    if (items.size() != kOutputCount || !std::all_of(items.begin(), items.end(), isName)) {
        return "must be six channel positions separated by commas, such as " +
               std::string(kDefaultPipeWirePositions);
    }
    return {};
}

std::string PipeWireTargetProblem(std::string_view target) {
    return target.find_first_of("\"\\") == std::string_view::npos
               ? std::string()
               : "holds a quote or a backslash, which a node's name cannot hold";
}

std::string PipeWireDropIn(const PipeWireSetup& s) {
    std::string playback =
        "                node.name = \"kaiser_crossover.output\"\n"
        "                node.passive = true\n"
        "                audio.channels = " +
        std::to_string(kOutputCount) +
        "\n"
        "                audio.position = [" +
        Positions(s.positions) + " ]\n";
    if (!s.target.empty()) {
        playback += "                target.object = " + Quoted(s.target) + "\n";
    }
    return Comments(s) +
           "context.modules = [\n"
           "    { name = libpipewire-module-filter-chain\n"
           "        args = {\n"
           "            node.description = \"Kaiser Crossover\"\n"
           "            media.name = \"Kaiser Crossover\"\n"
           "            filter.graph = {\n"
           "                nodes = [\n" +
           Nodes(s) +
           "                ]\n"
           "                links = [\n" +
           Links() +
           "                ]\n"
           "                inputs = [" +
           Inputs() +
           " ]\n"
           "                outputs = [" +
           Outputs() +
           " ]\n"
           "            }\n"
           "            capture.props = {\n"
           "                node.name = \"kaiser_crossover\"\n"
           "                media.class = Audio/Sink\n"
           "                audio.channels = 2\n"
           "                audio.position = [ FL FR ]\n"
           "            }\n"
           "            playback.props = {\n" +
           playback +
           "            }\n"
           "        }\n"
           "    }\n"
           "]\n";
}

void CheckPipeWireRequest(const ExportRequest& request) {
    RequireCoefficients(request, {"wav"}, "PipeWire", "the WAV files");
}

void WritePipeWireDropIn(const SetWrite& w) {
    PipeWireSetup setup;
    for (const RateLatency& rate : w.rates) {
        BandCoefficients bands = CoefficientsAt(w.request, rate.sampleRateHz, {"wav"}).value();
        for (std::string& file : bands.files) {
            file = std::filesystem::absolute(file).lexically_normal().string();
        }
        setup.rates.push_back(std::move(bands));
    }
    setup.latencies = w.rates;
    setup.positions = w.request.Option("pipeWirePositions");
    setup.target = w.request.Option("pipeWireTarget");
    w.set.WriteText(w.file, PipeWireDropIn(setup));
}

}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/export_kind.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "base/message_text.h"
#include "dsp/bands.h"
#include "export/brutefir_export.h"
#include "export/camilladsp_export.h"
#include "export/coefficient_files.h"
#include "export/csv_export.h"
#include "export/engine_config.h"
#include "export/equalizer_apo_export.h"
#include "export/export_set.h"
#include "export/file_write.h"
#include "export/frd_export.h"
#include "export/pipewire_export.h"
#include "export/wav_export.h"

namespace kc::exporting {
namespace {

// The choices of each option, in the order of the enumeration they stand for.
constexpr std::array<OptionChoice, 3> kWavFormats{{
    {"float32", "32-bit float"},
    {"float64", "64-bit float"},
    {"pcm24", "24-bit PCM"},
}};
constexpr std::array<OptionChoice, 2> kWavLayouts{{
    {"bands", "one file per band"},
    {"multichannel", "one three-channel file"},
}};
constexpr std::array<OptionChoice, 2> kRawFormats{{
    {"float32", "32-bit float (.raw)"},
    {"float64", "64-bit float (.dbl)"},
}};
constexpr std::array<OptionChoice, 2> kFrdPhases{{
    {"excess", "excess phase (latency taken out)"},
    {"full", "full phase"},
}};

constexpr std::array<OptionChoice, 3> kNormalizations{{
    {"none", "none"},
    {"peak", "peak gain to 0 dB"},
    {"worst-case", "worst-case gain to 0 dB"},
}};

constexpr std::array<KindOption, 2> kWavOptions{{
    {"wavFormat", "wav-format", "FORMAT", "float32 (default), float64 or pcm24.", kWavFormats},
    {"wavLayout", "wav-layout", "LAYOUT",
     "bands (default): a file per band; multichannel: one file, low, mid, high in channels 1-3.",
     kWavLayouts},
}};
constexpr std::array<KindOption, 1> kRawOptions{{
    {"rawFormat", "raw-format", "FORMAT", "float32 (.raw, default) or float64 (.dbl).",
     kRawFormats},
}};
constexpr std::array<OptionChoice, 3> kCamillaDspVersions{{
    {"4", "version 4"},
    {"3", "version 3"},
    {"2", "version 2"},
}};

// The devices are the CamillaDSP kind's options; the BruteFIR configuration uses them too.
constexpr std::array<KindOption, 3> kCamillaDspOptions{{
    {"camillaDspVersion", "camilladsp-version", "VERSION",
     "The CamillaDSP version whose syntax the configuration follows: 4 (default), 3 or 2.",
     kCamillaDspVersions},
    {.key = "capture",
     .cliOption = "capture",
     .valueName = "SPEC",
     .help = "The capture device of the CamillaDSP and BruteFIR configurations: alsa:DEVICE "
             "(default alsa:hw:Loopback,1) or file:PATH (raw 32-bit float, little-endian, "
             "interleaved).",
     .defaultText = kDefaultCapture,
     .label = "Capture device:",
     .problem = DeviceTextProblem},
    {.key = "playback",
     .cliOption = "playback",
     .valueName = "SPEC",
     .help = "The playback device of the CamillaDSP and BruteFIR configurations: alsa:DEVICE "
             "(default alsa:hw:0) or file:PATH.",
     .defaultText = kDefaultPlayback,
     .label = "Playback device:",
     .problem = DeviceTextProblem},
}};
constexpr std::array<KindOption, 2> kPipeWireOptions{{
    {.key = "pipeWirePositions",
     .cliOption = "pipewire-positions",
     .valueName = "LIST",
     .help = "The six channel positions of the PipeWire playback, for left low, mid, high, right "
             "low, mid, high (default FL,FR,FC,LFE,RL,RR).",
     .defaultText = kDefaultPipeWirePositions,
     .label = "PipeWire positions:",
     .problem = PipeWirePositionsProblem},
    {.key = "pipeWireTarget",
     .cliOption = "pipewire-target",
     .valueName = "NODE",
     .help = "The node the PipeWire playback goes to (default: the session manager's choice).",
     .label = "PipeWire target node:",
     .problem = PipeWireTargetProblem},
}};

constexpr std::array<KindOption, 1> kFrdOptions{{
    {"frdPhase", "frd-phase", "PHASE", "excess (default, latency taken out) or full.", kFrdPhases},
}};

// The option's value as the enumeration its choices stand for.
template <class Enum>
Enum ChoiceOf(const RateWrite& w, std::size_t option) {
    return static_cast<Enum>(w.kind.ChoiceIndex(w.request.options, option));
}

std::string SameName(std::string_view name) {
    return std::string(name);
}

std::vector<std::string> OneFile(const ExportKind& /*kind*/, const KindRequest& /*request*/,
                                 const std::string& name) {
    return {name};
}

// PREFIX-low, PREFIX-mid, PREFIX-high with the extension.
std::vector<std::string> BandFiles(const std::string& prefix, const std::string& extension) {
    std::vector<std::string> files;
    files.reserve(dsp::kBandCount);
    for (std::size_t band = 0; band < dsp::kBandCount; ++band) {
        std::string file = prefix;
        file += '-';
        file += dsp::kCurveNames[band].id;
        file += extension;
        files.push_back(std::move(file));
    }
    return files;
}

std::vector<std::string> WavFiles(const ExportKind& kind, const KindRequest& request,
                                  const std::string& prefix) {
    if (static_cast<WavLayout>(kind.ChoiceIndex(request.options, 1)) == WavLayout::Multichannel) {
        return {prefix + ".wav"};
    }
    return BandFiles(prefix, ".wav");
}

void WriteWav(const RateWrite& w) {
    const dsp::CrossoverTaps& t = w.design.taps;
    const auto format = ChoiceOf<WavSampleFormat>(w, 0);
    if (w.files.size() == 1) {  // the three bands as the channels of one file
        w.set.Write(w.files[0], [&](const std::string& temporary) {
            const auto bands = dsp::BandTaps(t);
            WriteWavChannels(temporary, {bands.begin(), bands.end()}, t.sampleRateHz, format);
        });
        return;
    }
    for (std::size_t band = 0; band < w.files.size(); ++band) {
        w.set.Write(w.files[band], [&](const std::string& temporary) {
            WriteWavChannels(temporary, {dsp::BandTaps(t)[band]}, t.sampleRateHz, format);
        });
    }
}

std::vector<std::string> RawFiles(const ExportKind& kind, const KindRequest& request,
                                  const std::string& prefix) {
    const auto format = static_cast<RawSampleFormat>(kind.ChoiceIndex(request.options, 0));
    std::string extension = ".";  // appended, not "." + ..., which GCC 12 warns of wrongly
    extension += RawExtension(format);
    return BandFiles(prefix, extension);
}

void WriteRaw(const RateWrite& w) {
    for (std::size_t band = 0; band < w.files.size(); ++band) {
        w.set.WriteText(w.files[band], RawSamples(*dsp::BandTaps(w.design.taps)[band],
                                                  ChoiceOf<RawSampleFormat>(w, 0)));
    }
}

void WriteCoefficientLines(const RateWrite& w) {
    for (std::size_t band = 0; band < w.files.size(); ++band) {
        w.set.WriteText(w.files[band], CoefficientLines(*dsp::BandTaps(w.design.taps)[band]));
    }
}

std::vector<std::string> TextFiles(const ExportKind& /*kind*/, const KindRequest& /*request*/,
                                   const std::string& prefix) {
    return BandFiles(prefix, ".txt");
}

std::vector<std::string> FrdFiles(const ExportKind& /*kind*/, const KindRequest& /*request*/,
                                  const std::string& prefix) {
    std::vector<std::string> files = BandFiles(prefix, ".frd");
    files.push_back(prefix + "-sum.frd");
    return files;
}

void WriteFrd(const RateWrite& w) {
    const std::array<std::string, 4> texts = FrdTexts(w.design, ChoiceOf<FrdPhase>(w, 0));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        w.set.WriteText(w.files[i], texts[i]);
    }
}

// The graph needs pictures, which only a front end has.
void WriteByFrontEnd(const RateWrite& w) {
    if (!w.frontEndWriter) {
        throw std::logic_error("no writer for the front end's files");
    }
    w.set.Write(w.files[0],
                [&](const std::string& temporary) { w.frontEndWriter(w.design, temporary); });
}

constexpr std::array<ExportKind, 11> kKinds{{
    {.id = "tapsCsv",
     .cliOption = "taps",
     .cliValueName = "FILE.csv",
     .help = "Write the taps as CSV.",
     .dialogLabel = "Taps as CSV (.csv)",
     .nameInDialog = [](std::string_view name) { return std::string(name) + ".csv"; },
     .files = OneFile,
     .writeRate = [](const RateWrite& w) { w.set.WriteText(w.files[0], TapsCsv(w.design.taps)); }},
    {.id = "responseCsv",
     .cliOption = "response",
     .cliValueName = "FILE.csv",
     .help = "Write the response as CSV.",
     .dialogLabel = "Response on the grid as CSV",
     .nameInDialog = [](std::string_view name) { return std::string(name) + "-response.csv"; },
     .files = OneFile,
     .writeRate =
         [](const RateWrite& w) {
             w.set.WriteText(w.files[0], ResponseCsv(*w.design.evaluation.store));
         }},
    {.id = "wav",
     .cliOption = "wav",
     .cliValueName = "PREFIX",
     .help = "Write PREFIX-low/mid/high.wav (or PREFIX.wav).",
     .dialogLabel = "WAV",
     .chosenAtFirst = true,
     .options = kWavOptions,
     .nameInDialog = SameName,
     .files = WavFiles,
     .writeRate = WriteWav},
    {.id = "raw",
     .cliOption = "raw",
     .cliValueName = "PREFIX",
     .help = "Write PREFIX-low/mid/high as headerless samples.",
     .dialogLabel = "Raw samples",
     .options = kRawOptions,
     .nameInDialog = SameName,
     .files = RawFiles,
     .writeRate = WriteRaw},
    {.id = "text",
     .cliOption = "text",
     .cliValueName = "PREFIX",
     .help = "Write PREFIX-low/mid/high.txt, a coefficient a line.",
     .dialogLabel = "Text, one coefficient a line (.txt)",
     .nameInDialog = SameName,
     .files = TextFiles,
     .writeRate = WriteCoefficientLines},
    {.id = "frd",
     .cliOption = "frd",
     .cliValueName = "PREFIX",
     .help = "Write PREFIX-low/mid/high/sum.frd.",
     .dialogLabel = "Responses as FRD",
     .options = kFrdOptions,
     .nameInDialog = SameName,
     .files = FrdFiles,
     .writeRate = WriteFrd},
    {.id = "camillaDsp",
     .cliOption = "camilladsp",
     .cliValueName = "FILE.yml",
     .help = "Write a complete CamillaDSP configuration at each rate naming the WAV (else raw or "
             "text) files, with --capture and --playback as its devices.",
     .dialogLabel = "CamillaDSP configuration (.yml)",
     .options = kCamillaDspOptions,
     .nameInDialog = [](std::string_view name) { return std::string(name) + ".yml"; },
     .files = OneFile,
     .check = CheckCamillaDspRequest,
     .writeRate = WriteCamillaDspConfig},
    {.id = "bruteFir",
     .cliOption = "brutefir",
     .cliValueName = "FILE.conf",
     .help = "Write a complete BruteFIR configuration at each rate naming the raw (else text) "
             "files (needs --raw or --text), with --capture and --playback as its devices.",
     .dialogLabel = "BruteFIR configuration (.conf)",
     .nameInDialog = [](std::string_view name) { return std::string(name) + "-brutefir.conf"; },
     .files = OneFile,
     .check = CheckBruteFirRequest,
     .writeRate = WriteBruteFirConfig},
    {.id = "pipeWire",
     .cliOption = "pipewire",
     .cliValueName = "FILE.conf",
     .help = "Write a drop-in for PipeWire's pipewire.conf.d: a sink \"Kaiser Crossover\" "
             "convolving with the WAV files (needs --wav), one list of files by rate.",
     .dialogLabel = "PipeWire filter chain (.conf)",
     .options = kPipeWireOptions,
     .scope = KindScope::PerSet,
     .noun = "PipeWire drop-in",
     .nameInDialog = [](std::string_view name) { return SetFileName(name, "-pipewire.conf"); },
     .files = OneFile,
     .check = CheckPipeWireRequest,
     .writeSet = WritePipeWireDropIn},
    {.id = "equalizerApo",
     .cliOption = "equalizer-apo",
     .cliValueName = "FILE.txt",
     .help = "Write an Equalizer APO include file convolving with the WAV files (needs --wav "
             "with the bands layout), a block per rate.",
     .dialogLabel = "Equalizer APO include file (.txt)",
     .scope = KindScope::PerSet,
     .noun = "Equalizer APO include file",
     .nameInDialog = [](std::string_view name) { return SetFileName(name, "-equalizer-apo.txt"); },
     .files = OneFile,
     .check = CheckEqualizerApoRequest,
     .writeSet = WriteEqualizerApoInclude},
    {.id = "plotPng",
     .cliOption = "plot",
     .cliValueName = "FILE.png",
     .help = "Write the graph as PNG.",
     .files = OneFile,
     .writeRate = WriteByFrontEnd},
}};

// A file name in a folder as the dialog's toolkit joins them: "folder/name", "./name" without a
// folder, one "/" at the end of the folder dropped.
std::string InFolder(std::string_view folder, const std::string& name) {
    std::string path(folder.empty() ? std::string_view(".") : folder);
    if (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    if (path.back() != '/') {
        path += '/';
    }
    path += name;
    return path;
}

}  // namespace

std::span<const OptionChoice> NormalizationChoices() {
    return kNormalizations;
}

Normalization NormalizationNamed(std::string_view name) {
    for (std::size_t i = 0; i < kNormalizations.size(); ++i) {
        if (kNormalizations[i].name == name) {
            return static_cast<Normalization>(i);
        }
    }
    throw ExportRequestError("The normalization '" + std::string(name) +
                             "' is none of none, peak or worst-case.");
}

std::span<const ExportKind> ExportKinds() {
    return kKinds;
}

std::size_t KindIndex(std::string_view id) {
    const auto* const found = std::find_if(kKinds.begin(), kKinds.end(),
                                           [id](const ExportKind& kind) { return kind.id == id; });
    if (found == kKinds.end()) {
        throw std::invalid_argument("no export kind '" + std::string(id) + "'");
    }
    return static_cast<std::size_t>(found - kKinds.begin());
}

std::size_t ExportKind::ChoiceIndex(const std::vector<std::string>& values,
                                    std::size_t option) const {
    const std::span<const OptionChoice> choices = options[option].choices;
    const std::string& value = values.at(option);
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (choices[i].name == value) {
            return i;
        }
    }
    throw ExportRequestError("The " + std::string(options[option].key) + " '" +
                             base::ShownText(value) + "' is none of its choices.");
}

void ExportKind::CheckOption(const std::vector<std::string>& values, std::size_t option) const {
    const KindOption& o = options[option];
    if (!o.IsText()) {
        ChoiceIndex(values, option);  // raises for a value of no choice
        return;
    }
    const std::string& value = values.at(option);
    std::string problem = base::HasControlCharacter(value) ? "holds a control character"
                          : o.problem != nullptr           ? o.problem(value)
                                                           : "";
    if (!problem.empty()) {
        throw ExportRequestError("The " + std::string(o.key) + " '" + base::ShownText(value) +
                                 "' " + problem + ".");
    }
}

ExportRequest::ExportRequest() {
    for (const ExportKind& kind : kKinds) {
        KindRequest request;
        for (const KindOption& option : kind.options) {
            request.options.emplace_back(option.Default());
        }
        kinds_.push_back(std::move(request));
    }
}

KindRequest& ExportRequest::Kind(std::string_view id) {
    return kinds_.at(KindIndex(id));
}

const KindRequest& ExportRequest::Kind(std::string_view id) const {
    return kinds_.at(KindIndex(id));
}

std::string& ExportRequest::Option(std::string_view key) {
    return const_cast<std::string&>(std::as_const(*this).Option(key));
}

const std::string& ExportRequest::Option(std::string_view key) const {
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        for (std::size_t o = 0; o < kKinds[k].options.size(); ++o) {
            if (kKinds[k].options[o].key == key) {
                return kinds_[k].options[o];
            }
        }
    }
    throw std::invalid_argument("no export option '" + std::string(key) + "'");
}

bool ExportRequest::WritesAnything() const {
    return std::any_of(kinds_.begin(), kinds_.end(),
                       [](const KindRequest& kind) { return !kind.name.empty(); });
}

KindChoices DefaultKindChoices() {
    const ExportRequest defaults;
    KindChoices choices;
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        choices.push_back({kKinds[k].chosenAtFirst, defaults.Kinds()[k].options});
    }
    return choices;
}

ExportRequest RequestInFolder(const KindChoices& choices, const std::string& folder,
                              std::string_view name) {
    ExportRequest request;
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        KindRequest& kind = request.Kinds()[k];
        kind.options = choices.at(k).options;
        if (choices[k].chosen && kKinds[k].OfferedInDialog()) {
            kind.name = InFolder(folder, kKinds[k].nameInDialog(name));
        }
    }
    return request;
}

ExportRequest RequestOfNames(const KindChoices& choices, const std::vector<std::string>& names) {
    ExportRequest request;
    for (std::size_t k = 0; k < kKinds.size(); ++k) {
        request.Kinds()[k] = {names.at(k), choices.at(k).options};
    }
    return request;
}

std::string SetFileName(std::string_view name, std::string_view extension) {
    std::string base(name);
    for (std::size_t at = base.find(kRatePlaceholder); at != std::string::npos;
         at = base.find(kRatePlaceholder, at)) {
        base.erase(at, kRatePlaceholder.size());
    }
    while (!base.empty() && (base.back() == '-' || base.back() == '_' || base.back() == '.')) {
        base.pop_back();
    }
    return (base.empty() ? std::string("crossover") : base) + std::string(extension);
}

}  // namespace kc::exporting

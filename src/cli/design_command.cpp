// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/design_command.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/look/window_look.h"
#include "base/text_convert.h"
#include "cli/acoustic_options.h"
#include "cli/align_option.h"
#include "cli/cli.h"
#include "cli/command_support.h"
#include "cli/correction_options.h"
#include "cli/export_options.h"
#include "cli/time_options.h"
#include "design_file/design_file.h"
#include "dsp/calculation.h"
#include "export/alignment.h"
#include "export/csv_export.h"
#include "export/export_set.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "graph/qt/graph_area.h"

namespace kc::cli {
namespace {

using dsp::CalcField;

// The option of each field of the window, with the field's initial text as its default.
struct FieldOption {
    CalcField field;
    QCommandLineOption option;
};

std::vector<FieldOption> FieldOptions() {
    std::vector<FieldOption> options;
    for (const dsp::FieldRow& row : dsp::kFields) {
        const QString initial = FromUtf8(row.initialText);
        options.push_back({row.field, QCommandLineOption(FromUtf8(row.option),
                                                         FromUtf8(row.help) + " (" + initial + ").",
                                                         "TEXT", initial)});
    }
    return options;
}

// The window's fields as option texts; the normalised tap counts are written back here.
class OptionFields : public dsp::CalcFields {
  public:
    std::map<CalcField, std::string> texts;
    bool adjust = false;

    std::string Text(CalcField field) const override { return texts.at(field); }
    void SetTapCountText(CalcField field, const std::string& text) override { texts[field] = text; }
    bool AdjustCoefficient() const override { return adjust; }
};

// The graph's options, which the command line adds to the export's files.
struct PlotOptions {
    bool linearFrequency = false;
    bool linearAmplitude = false;
};

// The largest |20·log10(SumMag)| over the grid: how far the summed crossover strays from 0 dB.
double LargestSumDeviationDb(const dsp::ResponseStore& store) {
    double largest = 0.0;
    for (int32_t k = 1; k <= dsp::kGridPoints; ++k) {
        largest =
            std::max(largest, std::fabs(20.0 * std::log10(store.SumMag[static_cast<size_t>(k)])));
    }
    return largest;
}

void PrintSummary(const dsp::CalculationResult& result) {
    const dsp::CrossoverParameters& p = result.parameters;
    const dsp::CrossoverTaps& taps = result.taps;
    PrintLine("Sample rate: " + base::IntToStr(taps.sampleRateHz) + " Hz");
    PrintLine("Tap counts: low " + base::IntToStr(p.lowCount) + ", mid " +
              base::IntToStr(p.midCount) + ", high " + base::IntToStr(p.highCount));
    PrintLine("Common length: " + base::IntToStr(taps.CommonLength) + " taps");
    char latency[96];
    std::snprintf(latency, sizeof latency, "Latency: %d samples (%.3f ms at %d Hz)",
                  taps.CommonCentre, 1000.0 * taps.CommonCentre / taps.sampleRateHz,
                  taps.sampleRateHz);
    PrintLine(latency);
    PrintLine(result.cmaxLine);
    PrintLine("Largest deviation of the sum from 0 dB: " +
              exporting::FormatSignificant17(LargestSumDeviationDb(*result.evaluation.store)) +
              " dB");
}

// What the export of one rate applies to the crossover, and what its taps can do to a signal.
void PrintExported(const exporting::ExportedRate& exported,
                   const exporting::ExportRequest& request) {
    const int32_t rate = exported.design.taps.sampleRateHz;
    PrintLine("Alignment: " + exporting::AlignmentText(request.alignment, exported.alignment));
    PrintLine("Normalization: " + exporting::NormalizationText(request.alignment.normalization,
                                                               exported.attenuationDb));
    PrintLine("Exported latency: " + exporting::LatencyText(exported.latency, rate));
    for (const std::string& line : exported.correctionLines) {
        PrintLine("Correction: " + line);
    }
    PrintLine("Exported taps: " + base::IntToStr(exported.design.taps.CommonLength));
    PrintLine("Peak gain: " + exporting::GainsText(exported.headroom.peakDb));
    PrintLine("Worst-case gain: " + exporting::GainsText(exported.headroom.worstCaseDb));
    if (exported.headroom.CanClip()) {
        PrintLine("Warning: " + exporting::ClipWarning());
    }
    if (!request.Kind("wav").name.empty() && request.Option("wavFormat") == "pcm24") {
        PrintLine("Note: " + exporting::Pcm24Note(&exported.design.taps));
    }
}

// The window's graph of one rate's responses, as a PNG file.
exporting::RateFileWriter PlotWriter(const OptionFields& fields, const PlotOptions& plot) {
    return [&fields, plot](const dsp::CalculationResult& design, const std::string& temporary) {
        graph::GraphInputs inputs;
        inputs.logFrequency = !plot.linearFrequency;
        inputs.levelsInDb = !plot.linearAmplitude;
        inputs.lowerEdgeText = fields.Text(CalcField::MidCrossLow);
        inputs.upperEdgeText = fields.Text(CalcField::MidCrossHigh);
        exporting::SavePng(
            graph::RenderGraphArea(inputs, *design.evaluation.store, app::MainWindowGraphLook()),
            temporary);
    };
}

// What the command writes: the export set at its rates, the time plots, the acoustic files and
// the design file; and what it reads, which none of them may replace.
struct DesignOutputs {
    std::vector<int32_t> rates;              // empty: the design's own rate
    int32_t countsRateHz = dsp::SampleRate;  // the rate the tap counts are meant at
    exporting::ExportRequest request;
    TimeOutputs time;
    AcousticRequest acoustic;
    bool align = false;                 // --align
    QString designFile;                 // --save-design
    design_file::Design givenDesign{};  // the design as given: texts, boxes and settings
    std::string readDesignFile;         // --design
};

// Every file the run writes, in the order they are written.
std::vector<std::string> AllOutputs(const exporting::ExportPlan& plan, const DesignOutputs& out,
                                    const AcousticRun& acoustic) {
    std::vector<std::string> files = plan.AllFiles();
    for (const std::vector<std::string>& more : {TimePlotFiles(out.time), acoustic.FileNames()}) {
        files.insert(files.end(), more.begin(), more.end());
    }
    if (!out.designFile.isEmpty()) {
        files.push_back(ToUtf8(out.designFile));
    }
    return files;
}

// The aligned settings in the acoustic request, the design as given and the export's alignment.
void TakeAlignment(const acoustic::Settings& aligned, DesignOutputs& out) {
    out.acoustic.settings = aligned;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        out.givenDesign.acoustic[b].band = aligned[b];
    }
    out.request.alignment = design_file::AlignmentOf(out.givenDesign);
}

// Designs at every rate (the counts as given at the counts' rate, scaled at every other), one at
// a time, printing each rate's summary and pre-ringing and writing its files; the first rate's
// design also gives the time plots and the acoustic files. Everything the run writes is one set,
// committed at the end: a failure anywhere leaves every file as it was. The driver files are read
// first and every target is checked before anything is designed: a bad one leaves no file. With
// --align the first rate's design is made once more before, for the alignment, which every rate's
// export then takes.
int RunDesign(OptionFields& fields, const PlotOptions& plot, DesignOutputs& out) {
    dsp::CrossoverParameters design = dsp::ReadCrossoverParameters(fields);
    design.sampleRateHz = out.countsRateHz;
    // The drivers are read first: the export's correction needs them to plan the latency.
    AcousticRun acoustic(out.acoustic, out.rates.empty() ? design.sampleRateHz : out.rates.front());
    const auto withDrivers = [&acoustic, &out] {
        out.request.alignment.correction.drivers = acoustic.Drivers();
        acoustic.Correct(out.request.alignment.correction);
    };
    withDrivers();
    exporting::ExportPlan plan = exporting::PlanExport(design, out.rates, out.request);
    std::optional<acoustic::AlignResult> aligned;
    if (out.align) {
        // The bands as they play: corrected when the design corrects them, to the same target.
        const acoustic::Correction& correction = out.request.alignment.correction;
        dsp::CalculationResult forAlignment;
        forAlignment.parameters = plan.rates.front().parameters;
        forAlignment.taps = DesignForAlignment(forAlignment.parameters);
        acoustic::TargetSettings target = correction.settings.target;
        if (correction.Active()) {
            acoustic::CorrectedDesign corrected = acoustic::CorrectDesign(forAlignment, correction);
            forAlignment.taps = std::move(corrected.taps);
            target.levelDb = corrected.targetLevelDb;
        }
        aligned = AlignDrivers(acoustic.DriverResponses(), forAlignment.taps, target,
                               out.acoustic.settings);
        TakeAlignment(aligned->settings, out);
        withDrivers();
        plan = exporting::PlanExport(design, out.rates, out.request);
    }
    std::vector<std::string> inputs = acoustic.DriverFiles();
    inputs.push_back(out.readDesignFile);
    exporting::AtomicFileSet set(AllOutputs(plan, out, acoustic), inputs);
    bool first = true;
    exporting::WriteExportRates(
        plan, set, PlotWriter(fields, plot),
        [&](const dsp::CalculationResult& result) {
            PrintSummary(result);
            PrintPreRinging(result, fields.adjust, out.time);
            if (std::exchange(first, false)) {
                acoustic.Evaluate(result);
                WriteTimePlots(result, fields.adjust, out.time, set);
                acoustic.Write(out.time.plotSize, set);
            }
        },
        [&](const exporting::ExportedRate& exported) { PrintExported(exported, out.request); });
    acoustic.PrintSummary();
    if (aligned) {
        for (const std::string& line : AlignedLines(*aligned)) {
            PrintLine(line);
        }
    }
    if (!out.designFile.isEmpty()) {
        const std::string path = ToUtf8(out.designFile);
        const std::string text = design_file::DesignFileText(out.givenDesign, path);
        set.Write(path, [&text](const std::string& temporary) {
            exporting::WriteBytes(temporary, text.data(), text.size());
        });
    }
    std::fflush(stdout);
    set.Commit();
    return kExitSuccess;
}

// Every option of the command.
struct DesignOptions {
    std::vector<FieldOption> fields = FieldOptions();
    QCommandLineOption adjust{"adjust",
                              "Tie the outer cut-offs to the band-pass edges and correct the "
                              "band-pass so that the bands sum to a delay."};
    ExportOptions exports;
    QCommandLineOption linearFrequency{"linear-frequency", "Plot a linear frequency axis."};
    QCommandLineOption linearAmplitude{"linear-amplitude", "Plot linear magnitudes."};
    TimeOptions time;
    AcousticOptions acoustic;
    AcousticViewOptions acousticViews;
    AlignOption align;
    CorrectionOptions correction;
    // Design files: --design gives every setting it holds, and the options given as well override
    // it; --save-design writes the design as given.
    QCommandLineOption design{"design",
                              "Take the texts, boxes, rates, formats, threshold and acoustic "
                              "settings from a design file.",
                              "FILE.kcx"};
    QCommandLineOption saveDesign{"save-design", "Write the design as given to a file.",
                                  "FILE.kcx"};

    void AddTo(QCommandLineParser& parser) const {
        for (const FieldOption& entry : fields) {
            parser.addOption(entry.option);
        }
        parser.addOption(adjust);
        parser.addOptions(exports.All());
        parser.addOptions({linearFrequency, linearAmplitude});
        time.AddTo(parser);
        acoustic.AddTo(parser);
        acousticViews.AddTo(parser);
        align.AddTo(parser);
        correction.AddTo(parser);
        parser.addOptions({design, saveDesign});
    }
};

// The design of the --design file (or the window's initial one) with the texts, the adjust box and
// the axes given on top. A file that is refused raises its error before anything is calculated
// or written.
design_file::Design GivenDesign(const QCommandLineParser& parser, const DesignOptions& options) {
    design_file::Design design;
    if (parser.isSet(options.design)) {
        design = design_file::ReadDesignFile(ToUtf8(parser.value(options.design)));
    }
    for (const FieldOption& entry : options.fields) {
        if (parser.isSet(entry.option)) {
            FieldText(design, entry.field) = ToUtf8(parser.value(entry.option));
        }
    }
    design.crossover.adjustCoefficient |= parser.isSet(options.adjust);
    design.graph.logFrequency &= !parser.isSet(options.linearFrequency);
    design.graph.logAmplitude &= !parser.isSet(options.linearAmplitude);
    return design;
}

// What to write, the export, time and acoustic settings of `design` taking the options given;
// nothing after printing a usage error.
std::optional<DesignOutputs> ReadOutputs(const QCommandLineParser& parser,
                                         const DesignOptions& options,
                                         design_file::Design& design) {
    DesignOutputs outputs;
    try {
        TakeExportOptions(parser, options.exports, design.exportSettings);
        outputs.rates = design.exportSettings.ratesHz;
        outputs.countsRateHz = design.exportSettings.countsRateHz;
        outputs.request = ReadRequest(parser, options.exports, design.exportSettings);
        exporting::CheckExportRequest(outputs.rates, outputs.request);
    } catch (const exporting::ExportRequestError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return std::nullopt;
    }
    const std::optional<TimeOutputs> time = options.time.Read(parser, design.time);
    const std::optional<AcousticRequest> acoustic = options.acoustic.Read(parser, design.acoustic);
    const std::optional<AcousticViewRequest> views =
        options.acousticViews.Read(parser, design.acousticView);
    if (!time || !acoustic || !views || !options.correction.Read(parser, design)) {
        return std::nullopt;
    }
    outputs.time = *time;
    outputs.acoustic = *acoustic;
    outputs.acoustic.views = *views;
    outputs.acoustic.choices = design.acousticView;
    outputs.acoustic.impulseDb = time->impulseDb;
    outputs.acoustic.thresholdDb = time->thresholdDb;
    outputs.align = options.align.IsSet(parser);
    if (outputs.align && std::all_of(acoustic->driverFiles.begin(), acoustic->driverFiles.end(),
                                     [](const QString& file) { return file.isEmpty(); })) {
        std::fprintf(stderr,
                     "--align needs a driver file (--driver-low, --driver-mid or "
                     "--driver-high, or a design file's).\n");
        return std::nullopt;
    }
    outputs.request.alignment = design_file::AlignmentOf(design);
    outputs.designFile = parser.value(options.saveDesign);
    outputs.readDesignFile = ToUtf8(parser.value(options.design));
    return outputs;
}

// The calculation's fields and the plot's axes from the given design.
int RunGivenDesign(const design_file::Design& design, DesignOutputs outputs) {
    OptionFields fields;
    for (const dsp::FieldRow& row : dsp::kFields) {
        fields.texts[row.field] = FieldText(design, row.field);
    }
    fields.adjust = design.crossover.adjustCoefficient;
    const PlotOptions plot{!design.graph.logFrequency, !design.graph.logAmplitude};
    outputs.givenDesign = design;
    return RunDesign(fields, plot, outputs);
}

}  // namespace

int RunDesignCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Designs the three-way Kaiser-window crossover and evaluates its responses.");
    const DesignOptions options;
    options.AddTo(parser);
    if (const int status = ParseCommandLine(parser, arguments); status >= 0) {
        return status;
    }
    return RunReportingErrors([&] {
        design_file::Design design = GivenDesign(parser, options);
        std::optional<DesignOutputs> outputs = ReadOutputs(parser, options, design);
        return outputs ? RunGivenDesign(design, std::move(*outputs)) : kExitUsage;
    });
}

}  // namespace kc::cli

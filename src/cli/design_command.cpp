#include "cli/design_command.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/look/window_look.h"
#include "base/text_convert.h"
#include "cli/acoustic_options.h"
#include "cli/cli.h"
#include "cli/command_support.h"
#include "cli/time_options.h"
#include "dsp/calculation.h"
#include "export/csv_export.h"
#include "export/export_set.h"
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
    const auto make = [](CalcField field, const char* name, const char* description) {
        const QString initial = FromUtf8(dsp::InitialText(field));
        return FieldOption{field, QCommandLineOption(name, description + (" (" + initial + ")."),
                                                     "TEXT", initial)};
    };
    return {make(CalcField::LowTapCount, "low-taps", "Taps of the low-pass"),
            make(CalcField::MidTapCount, "mid-taps", "Taps of the band-pass"),
            make(CalcField::HighTapCount, "high-taps", "Taps of the high-pass"),
            make(CalcField::LowCross, "low-cut", "Low-pass cut-off in Hz"),
            make(CalcField::MidCrossLow, "mid-low", "Band-pass lower edge in Hz"),
            make(CalcField::MidCrossHigh, "mid-high", "Band-pass upper edge in Hz"),
            make(CalcField::HighCross, "high-cut", "High-pass cut-off in Hz"),
            make(CalcField::Attenuation, "attenuation", "Stop-band attenuation in dB")};
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

// The window's graph of one rate's responses, as a PNG file.
exporting::RateFileWriter PlotWriter(const OptionFields& fields, const PlotOptions& plot) {
    return [&fields, plot](const dsp::CalculationResult& design, const std::string& temporary) {
        graph::GraphInputs inputs;
        inputs.logFrequency = !plot.linearFrequency;
        inputs.levelsInDb = !plot.linearAmplitude;
        inputs.lowerEdgeText = fields.Text(CalcField::MidCrossLow);
        inputs.upperEdgeText = fields.Text(CalcField::MidCrossHigh);
        const QImage image =
            graph::RenderGraphArea(inputs, *design.evaluation.store, app::MainWindowGraphLook());
        if (!image.save(QString::fromStdString(temporary), "PNG")) {
            throw std::runtime_error("the PNG could not be written");
        }
    };
}

// Designs at every rate (the first with the counts as given, the others with them scaled), prints
// each rate's summary and pre-ringing, then writes the whole set of files and the first rate's
// time plots and acoustic files. The driver files are read first: a bad one leaves no file.
int RunDesign(OptionFields& fields, const std::vector<int32_t>& rates,
              const exporting::ExportFormats& formats, const PlotOptions& plot,
              const TimeOutputs& timeOutputs, const AcousticRequest& acousticRequest) {
    dsp::CrossoverParameters design = dsp::ReadCrossoverParameters(fields);
    design.sampleRateHz = rates.front();
    const exporting::ExportPlan plan = exporting::PlanExport(design, rates, formats);
    std::vector<std::string> otherFiles = plan.AllFiles();
    otherFiles.push_back(ToUtf8(timeOutputs.impulsePlot));
    otherFiles.push_back(ToUtf8(timeOutputs.stepPlot));
    AcousticRun acoustic(acousticRequest, otherFiles, rates.front());
    const std::vector<dsp::CalculationResult> designs = exporting::DesignRates(plan);
    for (const dsp::CalculationResult& result : designs) {
        PrintSummary(result);
        PrintPreRinging(result, fields.adjust, timeOutputs);
    }
    acoustic.Evaluate(designs.front());
    std::fflush(stdout);
    exporting::WriteExportSet(plan, designs, PlotWriter(fields, plot));
    WriteTimePlots(designs.front(), fields.adjust, timeOutputs);
    acoustic.Write(timeOutputs.plotSize);
    return kExitSuccess;
}

// The export's options: the rates, the files and their formats.
struct ExportOptions {
    QCommandLineOption rates{"sample-rate",
                             "Sample rates in whole Hz, 22050 to 768000, separated by commas "
                             "(44100). With several, every name must hold {rate}.",
                             "RATE[,RATE...]", "44100"};
    QCommandLineOption taps{"taps", "Write the taps as CSV.", "FILE.csv"};
    QCommandLineOption response{"response", "Write the response as CSV.", "FILE.csv"};
    QCommandLineOption wav{"wav", "Write PREFIX-low/mid/high.wav (or PREFIX.wav).", "PREFIX"};
    QCommandLineOption wavFormat{"wav-format", "float32 (default), float64 or pcm24.", "FORMAT",
                                 "float32"};
    QCommandLineOption wavLayout{"wav-layout",
                                 "bands (default): a file per band; multichannel: one file, "
                                 "low, mid, high in channels 1-3.",
                                 "LAYOUT", "bands"};
    QCommandLineOption raw{"raw", "Write PREFIX-low/mid/high as headerless samples.", "PREFIX"};
    QCommandLineOption rawFormat{"raw-format", "float32 (.raw, default) or float64 (.dbl).",
                                 "FORMAT", "float32"};
    QCommandLineOption text{"text", "Write PREFIX-low/mid/high.txt, a coefficient a line.",
                            "PREFIX"};
    QCommandLineOption frd{"frd", "Write PREFIX-low/mid/high/sum.frd.", "PREFIX"};
    QCommandLineOption frdPhase{"frd-phase", "excess (default, latency taken out) or full.",
                                "PHASE", "excess"};
    QCommandLineOption camillaDsp{"camilladsp",
                                  "Write a CamillaDSP configuration fragment naming the WAV "
                                  "files (needs --wav with the bands layout).",
                                  "FILE.yml"};
    QCommandLineOption plot{"plot", "Write the graph as PNG.", "FILE.png"};

    QList<QCommandLineOption> All() const {
        return {rates,     taps, response, wav,      wavFormat,  wavLayout, raw,
                rawFormat, text, frd,      frdPhase, camillaDsp, plot};
    }
};

// The value of a choice option among `choices`, each with what it stands for.
template <typename T>
T Choice(const QCommandLineParser& parser, const QCommandLineOption& option,
         std::initializer_list<std::pair<const char*, T>> choices) {
    const QString value = parser.value(option);
    for (const auto& [text, choice] : choices) {
        if (value == QLatin1String(text)) {
            return choice;
        }
    }
    std::string names;
    std::size_t index = 0;
    for (const auto& [text, choice] : choices) {
        names += (index == 0 ? "" : index + 1 == choices.size() ? " or " : ", ");
        names += text;
        ++index;
    }
    throw exporting::ExportRequestError("--" + ToUtf8(option.names().constFirst()) + " takes " +
                                        names + ", not '" + ToUtf8(value) + "'.");
}

exporting::ExportFormats ReadFormats(const QCommandLineParser& parser, const ExportOptions& o) {
    using exporting::WavSampleFormat;
    exporting::ExportFormats f;
    f.tapsCsv = ToUtf8(parser.value(o.taps));
    f.responseCsv = ToUtf8(parser.value(o.response));
    f.wavPrefix = ToUtf8(parser.value(o.wav));
    f.wavFormat = Choice(parser, o.wavFormat,
                         {std::pair{"float32", WavSampleFormat::Float32},
                          {"float64", WavSampleFormat::Float64},
                          {"pcm24", WavSampleFormat::Pcm24}});
    f.wavLayout = Choice(parser, o.wavLayout,
                         {std::pair{"bands", exporting::WavLayout::Bands},
                          {"multichannel", exporting::WavLayout::Multichannel}});
    f.rawPrefix = ToUtf8(parser.value(o.raw));
    f.rawFormat = Choice(parser, o.rawFormat,
                         {std::pair{"float32", exporting::RawSampleFormat::Float32},
                          {"float64", exporting::RawSampleFormat::Float64}});
    f.textPrefix = ToUtf8(parser.value(o.text));
    f.frdPrefix = ToUtf8(parser.value(o.frd));
    f.frdPhase = Choice(
        parser, o.frdPhase,
        {std::pair{"excess", exporting::FrdPhase::Excess}, {"full", exporting::FrdPhase::Full}});
    f.camillaDsp = ToUtf8(parser.value(o.camillaDsp));
    f.plotPng = ToUtf8(parser.value(o.plot));
    return f;
}

}  // namespace

int RunDesignCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Designs the three-way Kaiser-window crossover and evaluates its responses.");
    const std::vector<FieldOption> fieldOptions = FieldOptions();
    for (const FieldOption& entry : fieldOptions) {
        parser.addOption(entry.option);
    }
    const QCommandLineOption adjust("adjust",
                                    "Tie the outer cut-offs to the band-pass edges and "
                                    "correct the band-pass so that the bands sum to a delay.");
    const ExportOptions exportOptions;
    const QCommandLineOption linearFrequency("linear-frequency", "Plot a linear frequency axis.");
    const QCommandLineOption linearAmplitude("linear-amplitude", "Plot linear magnitudes.");
    parser.addOption(adjust);
    parser.addOptions(exportOptions.All());
    parser.addOptions({linearFrequency, linearAmplitude});
    const TimeOptions timeOptions;
    timeOptions.AddTo(parser);
    const AcousticOptions acousticOptions;
    acousticOptions.AddTo(parser);
    if (const int status = ParseCommandLine(parser, arguments); status >= 0) {
        return status;
    }
    std::vector<int32_t> rates;
    exporting::ExportFormats formats;
    try {
        rates = exporting::ParseRates(ToUtf8(parser.value(exportOptions.rates)));
        formats = ReadFormats(parser, exportOptions);
        exporting::CheckExportRequest(rates, formats);
    } catch (const exporting::ExportRequestError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return kExitUsage;
    }
    const std::optional<TimeOutputs> timeOutputs = timeOptions.Read(parser);
    const std::optional<AcousticRequest> acousticRequest = acousticOptions.Read(parser);
    if (!timeOutputs || !acousticRequest) {
        return kExitUsage;
    }
    OptionFields fields;
    for (const FieldOption& entry : fieldOptions) {
        fields.texts[entry.field] = ToUtf8(parser.value(entry.option));
    }
    fields.adjust = parser.isSet(adjust);
    const PlotOptions plot{parser.isSet(linearFrequency), parser.isSet(linearAmplitude)};
    return RunReportingErrors(
        [&] { return RunDesign(fields, rates, formats, plot, *timeOutputs, *acousticRequest); });
}

}  // namespace kc::cli

#include "cli/design_command.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/look/window_look.h"
#include "base/text_convert.h"
#include "cli/cli.h"
#include "cli/command_support.h"
#include "cli/time_options.h"
#include "dsp/calculation.h"
#include "export/csv_export.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "export/wav_export.h"
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

struct Outputs {
    QString taps;
    QString response;
    QString wavPrefix;
    exporting::WavSampleFormat wavFormat = exporting::WavSampleFormat::Float32;
    QString plot;
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

void PrintSummary(const OptionFields& fields, const dsp::CalculationResult& result) {
    const dsp::CrossoverTaps& taps = result.taps;
    PrintLine("Tap counts: low " + fields.Text(CalcField::LowTapCount) + ", mid " +
              fields.Text(CalcField::MidTapCount) + ", high " +
              fields.Text(CalcField::HighTapCount));
    PrintLine("Common length: " + base::IntToStr(taps.CommonLength) + " taps");
    char latency[96];
    std::snprintf(latency, sizeof latency, "Latency: %d samples (%.3f ms at %d Hz)",
                  taps.CommonCentre, 1000.0 * taps.CommonCentre / dsp::SampleRate, dsp::SampleRate);
    PrintLine(latency);
    PrintLine(result.cmaxLine);
    PrintLine("Largest deviation of the sum from 0 dB: " +
              exporting::FormatSignificant17(LargestSumDeviationDb(*result.evaluation.store)) +
              " dB");
}

void WriteOutputs(const Outputs& out, const OptionFields& fields,
                  const dsp::CalculationResult& result) {
    const dsp::ResponseStore& store = *result.evaluation.store;
    if (!out.taps.isEmpty()) {
        exporting::WriteTextFile(ToUtf8(out.taps), exporting::TapsCsv(result.taps));
    }
    if (!out.response.isEmpty()) {
        exporting::WriteTextFile(ToUtf8(out.response), exporting::ResponseCsv(store));
    }
    if (!out.wavPrefix.isEmpty()) {
        exporting::WriteBandWavs(ToUtf8(out.wavPrefix), result.taps, out.wavFormat);
    }
    if (!out.plot.isEmpty()) {
        graph::GraphInputs inputs;
        inputs.logFrequency = !out.linearFrequency;
        inputs.levelsInDb = !out.linearAmplitude;
        inputs.lowerEdgeText = fields.Text(CalcField::MidCrossLow);
        inputs.upperEdgeText = fields.Text(CalcField::MidCrossHigh);
        exporting::WritePngFile(ToUtf8(out.plot),
                                graph::RenderGraphArea(inputs, store, app::MainWindowGraphLook()));
    }
}

int RunDesign(OptionFields& fields, const Outputs& outputs, const TimeOutputs& timeOutputs) {
    const dsp::CalculationResult result = dsp::RunCrossoverCalculation(fields);
    PrintSummary(fields, result);
    PrintPreRinging(result, fields.adjust, timeOutputs);
    std::fflush(stdout);
    WriteOutputs(outputs, fields, result);
    WriteTimePlots(result, fields.adjust, timeOutputs);
    return kExitSuccess;
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
    const QCommandLineOption taps("taps", "Write the taps as CSV.", "FILE.csv");
    const QCommandLineOption response("response", "Write the response as CSV.", "FILE.csv");
    const QCommandLineOption wav("wav", "Write PREFIX-low/mid/high.wav.", "PREFIX");
    const QCommandLineOption wavFormat("wav-format", "float32 (default) or float64.", "FORMAT",
                                       "float32");
    const QCommandLineOption plot("plot", "Write the graph as PNG.", "FILE.png");
    const QCommandLineOption linearFrequency("linear-frequency", "Plot a linear frequency axis.");
    const QCommandLineOption linearAmplitude("linear-amplitude", "Plot linear magnitudes.");
    parser.addOptions(
        {adjust, taps, response, wav, wavFormat, plot, linearFrequency, linearAmplitude});
    const TimeOptions timeOptions;
    timeOptions.AddTo(parser);
    if (const int status = ParseCommandLine(parser, arguments); status >= 0) {
        return status;
    }
    const QString format = parser.value(wavFormat);
    if (format != "float32" && format != "float64") {
        std::fprintf(stderr, "--wav-format takes float32 or float64.\n");
        return kExitUsage;
    }
    const std::optional<TimeOutputs> timeOutputs = timeOptions.Read(parser);
    if (!timeOutputs) {
        return kExitUsage;
    }
    OptionFields fields;
    for (const FieldOption& entry : fieldOptions) {
        fields.texts[entry.field] = ToUtf8(parser.value(entry.option));
    }
    fields.adjust = parser.isSet(adjust);
    Outputs outputs{parser.value(taps),
                    parser.value(response),
                    parser.value(wav),
                    format == "float64" ? exporting::WavSampleFormat::Float64
                                        : exporting::WavSampleFormat::Float32,
                    parser.value(plot),
                    parser.isSet(linearFrequency),
                    parser.isSet(linearAmplitude)};
    return RunReportingErrors([&] { return RunDesign(fields, outputs, *timeOutputs); });
}

}  // namespace kc::cli

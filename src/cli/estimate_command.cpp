// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/estimate_command.h"

#include <QCommandLineParser>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/command_support.h"
#include "dsp/fields.h"
#include "dsp/length_estimate.h"
#include "export/export_set.h"

namespace kc::cli {
namespace {

// Prints each caption as soon as the estimate writes it, so that a failure after the cut-off
// still shows the cut-off, as the window does.
class PrintedLabels : public dsp::EstimateLabels {
  public:
    void SetCutOffCaption(const std::string& caption) override { PrintLine(caption); }
    void SetIdealTapsCaption(const std::string& caption) override { PrintLine(caption); }
};

}  // namespace

int RunEstimateCommand(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Estimates the cut-off and the odd number of taps of a Kaiser-window low-pass filter.");
    const QCommandLineOption pass("pass", "Pass-band edge in Hz.", "TEXT");
    const QCommandLineOption stop("stop", "Stop-band edge in Hz.", "TEXT");
    const QString initialAttenuation = FromUtf8(dsp::InitialText(dsp::CalcField::Attenuation));
    const QCommandLineOption attenuation(
        "attenuation", "Stop-band attenuation in dB (" + initialAttenuation + ").", "TEXT",
        initialAttenuation);
    const QCommandLineOption rate("sample-rate",
                                  "Sample rate in whole Hz, 22050 to 768000 (44100); the "
                                  "transition is measured against half of it.",
                                  "RATE", "44100");
    parser.addOptions({pass, stop, attenuation, rate});
    if (const int status = ParseCommandLine(parser, arguments); status >= 0) {
        return status;
    }
    if (!parser.isSet(pass) || !parser.isSet(stop)) {
        std::fprintf(stderr, "Both --pass and --stop are needed.\n\n%s",
                     ToUtf8(CommandHelpText(parser, arguments)).c_str());
        return kExitUsage;
    }
    std::vector<int32_t> rates;
    try {
        rates = exporting::ParseRates(ToUtf8(parser.value(rate)));
    } catch (const exporting::ExportRequestError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return kExitUsage;
    }
    if (rates.size() != 1) {
        std::fprintf(stderr, "The estimate takes one sample rate.\n");
        return kExitUsage;
    }
    return RunReportingErrors([&] {
        PrintedLabels labels;
        dsp::RunLengthEstimate(ToUtf8(parser.value(pass)), ToUtf8(parser.value(stop)),
                               ToUtf8(parser.value(attenuation)), labels, rates.front());
        return kExitSuccess;
    });
}

}  // namespace kc::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/acoustic_options.h"

#include <QImage>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "app/look/window_look.h"
#include "base/message_text.h"
#include "base/text_convert.h"
#include "cli/command_support.h"
#include "export/acoustic_csv.h"
#include "export/acoustic_frd.h"
#include "export/export_set.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "graph/qt/acoustic_plot_image.h"
#include "graph/qt/time_plot_image.h"
#include "graph/time_plot.h"

namespace kc::cli {
namespace {

QString BandOption(const char* what, std::size_t band) {
    return QString::fromLatin1(what) + '-' + QString::fromLatin1(dsp::kCurveNames[band].id.data());
}

}  // namespace

bool AcousticRequest::Wanted() const {
    return !frdPrefix.isEmpty() || !plot.isEmpty() || views.Wanted() ||
           std::any_of(driverFiles.begin(), driverFiles.end(),
                       [](const QString& file) { return !file.isEmpty(); });
}

AcousticOptions::AcousticOptions()
    : frd_("acoustic",
           "Write the acoustic responses (drivers with the crossover, gain, delay and polarity) "
           "as PREFIX-low/mid/high/sum.frd, the latency taken out; of the first rate's design.",
           "PREFIX"),
      plot_("acoustic-plot", "Write the acoustic levels as PNG (size as --plot-size).",
            "FILE.png") {
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const QString band = QString::fromLatin1(dsp::kCurveNames[b].id.data());
        bands_.push_back(BandOptions{
            QCommandLineOption(BandOption("driver", b),
                               "Driver of the " + band +
                                   " band: a text file (FRD, a text or CSV export: frequency Hz, "
                                   "magnitude dB and phase degrees, or magnitude only, given "
                                   "its minimum phase) or an impulse response (WAV); ideal "
                                   "without one.",
                               "FILE.frd|FILE.txt|FILE.csv|FILE.wav"),
            QCommandLineOption(
                BandOption("channel", b),
                "Channel of the " + band + " band's impulse-response WAV, 1 to 64 (1).", "N", "1"),
            QCommandLineOption(BandOption("gate", b),
                               "Gate of the " + band +
                                   " band's impulse response in ms after its peak, 0 to 10000 "
                                   "(0: the whole file).",
                               "MS", "0"),
            QCommandLineOption(BandOption("gain", b),
                               "Gain of the " + band + " band in dB, -40 to 20 (0).", "DB", "0"),
            QCommandLineOption(BandOption("delay", b),
                               "Delay of the " + band + " band in ms, -20 to 20 (0).", "MS", "0"),
            QCommandLineOption(BandOption("invert", b),
                               "Invert the polarity of the " + band + " band.")});
    }
}

void AcousticOptions::AddTo(QCommandLineParser& parser) const {
    for (const BandOptions& band : bands_) {
        parser.addOptions(
            {band.driver, band.channel, band.gate, band.gain, band.delay, band.invert});
    }
    parser.addOptions({frd_, plot_});
}

std::optional<AcousticRequest> AcousticOptions::Read(
    const QCommandLineParser& parser, design_file::AcousticSettings& settings) const {
    // A number option given puts its value in `target`; false after a usage error.
    const auto take = [&parser](const QCommandLineOption& option, double lowest, double highest,
                                const char* range, double& target) {
        if (!parser.isSet(option)) {
            return true;
        }
        const std::optional<double> value = NumberIn(parser.value(option), lowest, highest);
        if (!value) {
            std::fprintf(stderr, "--%s takes %s, not '%s'.\n",
                         ToUtf8(option.names().constFirst()).c_str(), range,
                         ToUtf8(parser.value(option)).c_str());
            return false;
        }
        target = *value;
        return true;
    };
    AcousticRequest request;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const BandOptions& options = bands_[b];
        design_file::DriverSettings& band = settings[b];
        if (parser.isSet(options.driver)) {
            band.driverFile = ToUtf8(parser.value(options.driver));
        }
        double channel = band.impulse.channel;
        if (!take(options.channel, 1.0, acoustic::kMaxImpulseChannels, "a channel from 1 to 64",
                  channel)) {
            return std::nullopt;
        }
        if (channel != std::floor(channel)) {
            std::fprintf(stderr, "--%s takes a channel from 1 to 64, not '%s'.\n",
                         ToUtf8(options.channel.names().constFirst()).c_str(),
                         ToUtf8(parser.value(options.channel)).c_str());
            return std::nullopt;
        }
        if (!take(options.gate, 0.0, acoustic::kMaxGateMs, "ms from 0 to 10000",
                  band.impulse.gateMs) ||
            !take(options.gain, acoustic::kMinGainDb, acoustic::kMaxGainDb, "dB from -40 to 20",
                  band.band.gainDb) ||
            !take(options.delay, acoustic::kMinDelayMs, acoustic::kMaxDelayMs, "ms from -20 to 20",
                  band.band.delayMs)) {
            return std::nullopt;
        }
        band.band.inverted |= parser.isSet(options.invert);
        band.impulse.channel = static_cast<int32_t>(channel);
        request.driverFiles[b] = FromUtf8(band.driverFile);
        request.impulse[b] = band.impulse;
        request.settings[b] = band.band;
    }
    request.frdPrefix = parser.value(frd_);
    request.plot = parser.value(plot_);
    return request;
}

AcousticRun::AcousticRun(const AcousticRequest& request, int32_t rateHz)
    : request_(request), rateHz_(rateHz) {
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const std::string path = ToUtf8(request.driverFiles[b]);
        if (!path.empty()) {
            drivers_[b] = acoustic::ReadDriverFile(path, path, request.impulse[b]);
        }
    }
    shared_ = std::make_shared<const acoustic::Drivers>(drivers_);
}

std::vector<std::string> AcousticRun::FileNames() const {
    std::vector<std::string> names;
    if (!request_.frdPrefix.isEmpty()) {
        const auto frd =
            exporting::AcousticFrdNames(exporting::WithRate(ToUtf8(request_.frdPrefix), rateHz_));
        names.assign(frd.begin(), frd.end());
    }
    if (!request_.plot.isEmpty()) {
        names.push_back(exporting::WithRate(ToUtf8(request_.plot), rateHz_));
    }
    for (const QString& file : request_.views.Files()) {
        names.push_back(exporting::WithRate(ToUtf8(file), rateHz_));
    }
    return names;
}

// The acoustic plot as the window draws it: the choices, and with a correction its target line
// and each band's correction.
graph::AcousticPlotInputs AcousticRun::PlotInputs(QSize plotSize) const {
    graph::AcousticPlotInputs inputs =
        graph::AcousticPlotInputsOf(model_, response_, request_.settings);
    inputs.choices = request_.choices;
    if (correction_.Active()) {
        inputs.targetDb = acoustic::TargetLevelsDb(correction_.settings.target, targetLevelDb_,
                                                   response_.frequenciesHz);
        inputs.correctionDb = correctionsDb_;
    }
    inputs.width = plotSize.width();
    inputs.height = plotSize.height();
    return inputs;
}

void AcousticRun::Evaluate(const dsp::CalculationResult& design) {
    if (!request_.Wanted()) {
        return;
    }
    model_.SetDrivers(drivers_);
    // The speaker's impulse and step follow the taps the sum is predicted with.
    auto taps = std::make_shared<const dsp::CrossoverTaps>(design.taps);
    if (correction_.Active()) {
        acoustic::CorrectedDesign corrected = acoustic::CorrectDesign(design, correction_);
        targetLevelDb_ = corrected.targetLevelDb;
        correctionsDb_ = corrected.correctionsDb;
        taps = std::make_shared<const dsp::CrossoverTaps>(std::move(corrected.taps));
    }
    model_.SetDesign(taps);
    model_.CheckFrequencies();
    model_.Evaluate(request_.settings, response_);
    if (!request_.views.impulsePlot.isEmpty() || !request_.views.stepPlot.isEmpty()) {
        speaker_.Set(*taps, drivers_);
    }
    evaluated_ = true;
}

std::vector<std::string> AcousticRun::DriverFiles() const {
    std::vector<std::string> files;
    for (const QString& file : request_.driverFiles) {
        if (!file.isEmpty()) {
            files.push_back(ToUtf8(file));
        }
    }
    return files;
}

void AcousticRun::PrintSummary() const {
    if (!evaluated_) {
        return;
    }
    const std::vector<double> levels = acoustic::LevelsDb(response_.sum);
    const auto [lowest, highest] = std::minmax_element(levels.begin(), levels.end());
    PrintLine("Acoustic sum: " + base::FixedPointText(*lowest, 2) + " ... " +
              base::FixedPointText(*highest, 2) + " dB from " +
              base::FixedPointText(response_.frequenciesHz.front(), 3) + " to " +
              base::FixedPointText(response_.frequenciesHz.back(), 3) + " Hz (" +
              std::to_string(levels.size()) + " frequencies)");
    if (correction_.Active()) {
        PrintLine("Acoustic sum: " +
                  acoustic::DeviationText(response_, correction_.settings.target, targetLevelDb_));
    }
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        if (drivers_[b] && !acoustic::IsPlainFrd(*drivers_[b])) {
            PrintLine(std::string(dsp::kCurveNames[b].id) + " driver: " +
                      base::EscapedText(drivers_[b]->name) + ": " + drivers_[b]->reading);
            for (const std::string& warning : drivers_[b]->warnings) {
                PrintLine("  warning: " + warning);
            }
        }
    }
    const std::string continued =
        acoustic::ContinuedText(acoustic::ContinuedStretches(drivers_, response_));
    if (!continued.empty()) {
        PrintLine("Acoustic sum: " + continued);
    }
    if (speaker_.IsSet()) {
        const dsp::TimeResponse response = speaker_.Evaluate(request_.settings);
        PrintLine("Speaker " +
                  dsp::PreRingingLine(dsp::PreRingingFigures(response, request_.thresholdDb),
                                      request_.thresholdDb));
    }
}

void AcousticRun::Write(QSize plotSize, exporting::AtomicFileSet& files) const {
    if (!evaluated_) {
        return;
    }
    const std::vector<std::string> names = FileNames();
    std::size_t next = 0;
    if (!request_.frdPrefix.isEmpty()) {
        const auto texts = exporting::AcousticFrdTexts(model_, request_.settings, response_);
        for (const std::string& text : texts) {
            files.Write(names[next++], [&text](const std::string& temporary) {
                exporting::WriteBytes(temporary, text.data(), text.size());
            });
        }
    }
    if (!request_.plot.isEmpty()) {
        const QImage image = graph::RenderAcousticPlot(PlotInputs(plotSize),
                                                       app::WindowFont(app::kWindowFontPixels));
        files.Write(names[next++], [&image](const std::string& temporary) {
            exporting::SavePng(image, temporary);
        });
    }
    WriteViews(plotSize, names, next, files);
}

void AcousticRun::WriteViews(QSize plotSize, const std::vector<std::string>& names,
                             std::size_t next, exporting::AtomicFileSet& files) const {
    const auto writePng = [&](const QImage& image) {
        files.Write(names[next++], [&image](const std::string& temporary) {
            exporting::SavePng(image, temporary);
        });
    };
    const AcousticViewRequest& views = request_.views;
    if (!views.csv.isEmpty()) {
        const std::string text = exporting::AcousticCsvText(response_, request_.settings);
        files.Write(names[next++], [&text](const std::string& temporary) {
            exporting::WriteBytes(temporary, text.data(), text.size());
        });
    }
    const QFont font = app::WindowFont(app::kWindowFontPixels);
    if (!views.impulsePlot.isEmpty() || !views.stepPlot.isEmpty()) {
        const dsp::TimeResponse response = speaker_.Evaluate(request_.settings);
        const auto figures = dsp::PreRingingFigures(response, request_.thresholdDb);
        for (const bool step : {false, true}) {
            if ((step ? views.stepPlot : views.impulsePlot).isEmpty()) {
                continue;
            }
            graph::TimePlotInputs inputs;
            inputs.response = &response;
            inputs.kind = step                 ? dsp::TimeSeriesKind::Step
                          : request_.impulseDb ? dsp::TimeSeriesKind::ImpulseDb
                                               : dsp::TimeSeriesKind::Impulse;
            inputs.range = graph::RingingTimeRange(response, inputs.kind, figures);
            inputs.thresholdDb = request_.thresholdDb;
            inputs.preRinging = figures;
            inputs.title = graph::SpeakerTitle(inputs.kind);
            inputs.width = plotSize.width();
            inputs.height = plotSize.height();
            writePng(graph::RenderTimePlot(inputs, font));
        }
    }
    if (!views.groupDelayPlot.isEmpty()) {
        graph::AcousticPlotInputs inputs = PlotInputs(plotSize);
        inputs.choices.rightAxis = acoustic::RightAxis::GroupDelay;
        writePng(graph::RenderAcousticPlot(inputs, font));
    }
}

}  // namespace kc::cli

// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/time_options.h"

#include <QRegularExpression>
#include <cstdio>

#include "app/look/window_look.h"
#include "cli/command_support.h"
#include "dsp/time_response.h"
#include "export/qt/png_export.h"
#include "graph/qt/time_plot_image.h"
#include "graph/time_plot.h"

namespace kc::cli {
namespace {

constexpr int kSmallestPlotWidth = 200;
constexpr int kSmallestPlotHeight = 150;
constexpr int kLargestPlotSide = 8192;

std::optional<QSize> PlotSizeOf(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,5})x([0-9]{1,5})$"));
    const QRegularExpressionMatch match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QSize size(match.captured(1).toInt(), match.captured(2).toInt());
    if (size.width() < kSmallestPlotWidth || size.height() < kSmallestPlotHeight ||
        size.width() > kLargestPlotSide || size.height() > kLargestPlotSide) {
        return std::nullopt;
    }
    return size;
}

std::optional<int> ThresholdOf(const QString& text) {
    bool whole = false;
    const int db = text.toInt(&whole);
    if (!whole || db < dsp::kMinPreRingingDb || db > dsp::kMaxPreRingingDb) {
        return std::nullopt;
    }
    return db;
}

void WritePlot(const QString& path, const dsp::TimeResponse& response, dsp::TimeSeriesKind kind,
               const TimeOutputs& outputs, exporting::AtomicFileSet& set) {
    graph::TimePlotInputs inputs;
    inputs.response = &response;
    inputs.kind = kind;
    inputs.range = graph::FullTimeRange(response, kind, inputs.shown);
    inputs.thresholdDb = outputs.thresholdDb;
    inputs.preRinging = dsp::PreRingingFigures(response, outputs.thresholdDb);
    inputs.width = outputs.plotSize.width();
    inputs.height = outputs.plotSize.height();
    const QImage image = graph::RenderTimePlot(inputs, app::WindowFont(app::kWindowFontPixels));
    set.Write(ToUtf8(path),
              [&image](const std::string& temporary) { exporting::SavePng(image, temporary); });
}

}  // namespace

TimeOptions::TimeOptions()
    : impulsePlot_("impulse-plot", "Write the impulse responses as PNG.", "FILE.png"),
      stepPlot_("step-plot", "Write the step responses as PNG.", "FILE.png"),
      timeDb_("time-db", "Plot the impulse responses in dB (floor -160 dB)."),
      plotSize_("plot-size", "Size of the impulse, step and acoustic plots (800x480).", "WxH",
                "800x480"),
      preRingingDb_("pre-ringing-db",
                    "Pre-ringing threshold, dB below the largest magnitude of each band's step "
                    "response, 20 to 160 (60).",
                    "N", "60") {}

void TimeOptions::AddTo(QCommandLineParser& parser) const {
    parser.addOptions({impulsePlot_, stepPlot_, timeDb_, plotSize_, preRingingDb_});
}

std::optional<TimeOutputs> TimeOptions::Read(const QCommandLineParser& parser,
                                             design_file::TimeSettings& settings) const {
    const std::optional<QSize> size = PlotSizeOf(parser.value(plotSize_));
    if (!size) {
        std::fprintf(stderr, "--plot-size takes WxH, from %dx%d to %dx%d pixels.\n",
                     kSmallestPlotWidth, kSmallestPlotHeight, kLargestPlotSide, kLargestPlotSide);
        return std::nullopt;
    }
    if (parser.isSet(preRingingDb_)) {
        const std::optional<int> threshold = ThresholdOf(parser.value(preRingingDb_));
        if (!threshold) {
            std::fprintf(stderr, "--pre-ringing-db takes a whole number of dB from %d to %d.\n",
                         dsp::kMinPreRingingDb, dsp::kMaxPreRingingDb);
            return std::nullopt;
        }
        settings.preRingingDb = *threshold;
    }
    settings.impulseDb |= parser.isSet(timeDb_);
    return TimeOutputs{parser.value(impulsePlot_), parser.value(stepPlot_), settings.impulseDb,
                       *size, settings.preRingingDb};
}

void PrintPreRinging(const dsp::CalculationResult& result, bool adjusted,
                     const TimeOutputs& outputs) {
    const dsp::TimeResponse response = dsp::MakeTimeResponse(result.taps, adjusted);
    PrintLine(dsp::PreRingingLine(dsp::PreRingingFigures(response, outputs.thresholdDb),
                                  outputs.thresholdDb));
}

std::vector<std::string> TimePlotFiles(const TimeOutputs& outputs) {
    std::vector<std::string> files;
    for (const QString& plot : {outputs.impulsePlot, outputs.stepPlot}) {
        if (!plot.isEmpty()) {
            files.push_back(ToUtf8(plot));
        }
    }
    return files;
}

void WriteTimePlots(const dsp::CalculationResult& result, bool adjusted, const TimeOutputs& outputs,
                    exporting::AtomicFileSet& set) {
    if (outputs.impulsePlot.isEmpty() && outputs.stepPlot.isEmpty()) {
        return;
    }
    const dsp::TimeResponse response = dsp::MakeTimeResponse(result.taps, adjusted);
    if (!outputs.impulsePlot.isEmpty()) {
        WritePlot(outputs.impulsePlot, response,
                  outputs.impulseDb ? dsp::TimeSeriesKind::ImpulseDb : dsp::TimeSeriesKind::Impulse,
                  outputs, set);
    }
    if (!outputs.stepPlot.isEmpty()) {
        WritePlot(outputs.stepPlot, response, dsp::TimeSeriesKind::Step, outputs, set);
    }
}

}  // namespace kc::cli

// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's time-domain options: the impulse and step plots and the pre-ringing line
// of the summary.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QSize>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "design_file/design_file.h"
#include "dsp/calculation.h"
#include "dsp/time_response.h"
#include "export/file_write.h"

namespace kc::cli {

// What the options ask for.
struct TimeOutputs {
    QString impulsePlot;  // PNG of the impulse responses, empty for none
    QString stepPlot;     // PNG of the step responses, empty for none
    bool impulseDb = false;
    QSize plotSize{800, 480};
    int thresholdDb = dsp::kDefaultPreRingingDb;
};

class TimeOptions {
  public:
    TimeOptions();
    void AddTo(QCommandLineParser& parser) const;
    // Puts the threshold and the dB view of the options given over `settings` (a design file's,
    // or the defaults) and gives the outputs asked for with them; nothing after printing a usage
    // error for a bad size or threshold.
    std::optional<TimeOutputs> Read(const QCommandLineParser& parser,
                                    design_file::TimeSettings& settings) const;

  private:
    QCommandLineOption impulsePlot_;
    QCommandLineOption stepPlot_;
    QCommandLineOption timeDb_;
    QCommandLineOption plotSize_;
    QCommandLineOption preRingingDb_;
};

// Prints "Pre-ringing (-60 dB): low ... ms, mid ..., high ..., sum ... ms" for the design.
void PrintPreRinging(const dsp::CalculationResult& result, bool adjusted,
                     const TimeOutputs& outputs);

// The plots asked for, as the files they are written to.
std::vector<std::string> TimePlotFiles(const TimeOutputs& outputs);

// Writes the plots asked for into `set` (TimePlotFiles among its targets), the whole design at
// outputs.plotSize in the window's font.
void WriteTimePlots(const dsp::CalculationResult& result, bool adjusted, const TimeOutputs& outputs,
                    exporting::AtomicFileSet& set);

}  // namespace kc::cli

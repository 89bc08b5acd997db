// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's acoustic options: the driver files, each band's gain, delay and polarity,
// and the FRD files and the picture of the acoustic responses.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QSize>
#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "acoustic/correction.h"
#include "acoustic/speaker_time.h"
#include "acoustic/view_choices.h"
#include "cli/acoustic_view_options.h"
#include "design_file/design_file.h"
#include "dsp/calculation.h"
#include "export/file_write.h"
#include "graph/acoustic_plot.h"

namespace kc::cli {

// What the options ask for.
struct AcousticRequest {
    std::array<QString, dsp::kBandCount> driverFiles;  // empty: the ideal driver
    std::array<acoustic::ImpulseOptions, dsp::kBandCount> impulse;
    acoustic::Settings settings;
    QString frdPrefix;              // PREFIX-low/mid/high/sum.frd, empty for none
    QString plot;                   // PNG, empty for none
    AcousticViewRequest views;      // CSV, the speaker's impulse and step, the group delay
    acoustic::ViewChoices choices;  // of the plots
    bool impulseDb = false;         // the speaker's impulse in dB
    int thresholdDb = dsp::kDefaultPreRingingDb;

    // Whether any option of the acoustic view was given.
    bool Wanted() const;
};

class AcousticOptions {
  public:
    AcousticOptions();
    void AddTo(QCommandLineParser& parser) const;
    // Puts each band's driver file, gain, delay and polarity of the options given over
    // `settings` (a design file's, or the defaults) and gives the request with them; nothing after
    // printing a usage error for a gain or delay out of its range.
    std::optional<AcousticRequest> Read(const QCommandLineParser& parser,
                                        design_file::AcousticSettings& settings) const;

  private:
    struct BandOptions {
        QCommandLineOption driver;
        QCommandLineOption channel;
        QCommandLineOption gate;
        QCommandLineOption gain;
        QCommandLineOption delay;
        QCommandLineOption invert;
    };
    std::vector<BandOptions> bands_;  // low, mid, high
    QCommandLineOption frd_;
    QCommandLineOption plot_;
};

// The acoustic part of one design command. The driver files are read when it is made, before
// anything is designed or written; the responses follow the design; the files come last.
class AcousticRun {
  public:
    // Reads the driver files (EDriverFileError naming a bad one as given, and its line); the
    // outputs are named for `rateHz`.
    AcousticRun(const AcousticRequest& request, int32_t rateHz);

    // The crossover of `design` with the drivers and the responses for the request's settings;
    // nothing when no acoustic option was given. EDriverFileError when the files share no
    // frequency below half the design's rate.
    void Evaluate(const dsp::CalculationResult& design);
    // Prints "Acoustic sum: ... dB from ... to ... Hz (N frequencies)" after an evaluation, with
    // a correction how far the sum strays from the target, then each driver file's reading and
    // warnings and where the sum rests on continued data, and the speaker's pre-ringing when its
    // impulse or step is plotted.
    void PrintSummary() const;

    // The files it writes, and the driver files it read (which no output may replace).
    std::vector<std::string> FileNames() const;
    std::vector<std::string> DriverFiles() const;
    // The drivers read, shared with the export's correction.
    std::shared_ptr<const acoustic::Drivers> Drivers() const { return shared_; }
    // The correction the responses follow (acoustic::CorrectDesign), before Evaluate.
    void Correct(const acoustic::Correction& correction) { correction_ = correction; }
    const acoustic::Drivers& DriverResponses() const { return drivers_; }

    // Writes the FRD files and the picture asked for (plotSize pixels, in the window's font)
    // into `files`, which has FileNames among its targets.
    void Write(QSize plotSize, exporting::AtomicFileSet& files) const;

  private:
    const AcousticRequest& request_;
    int32_t rateHz_;
    acoustic::Drivers drivers_;
    std::shared_ptr<const acoustic::Drivers> shared_;
    acoustic::Correction correction_;
    double targetLevelDb_ = 0.0;
    std::array<std::vector<double>, dsp::kBandCount> correctionsDb_;
    acoustic::AcousticModel model_;
    acoustic::AcousticResponse response_;
    acoustic::SpeakerTimeModel speaker_;
    bool evaluated_ = false;

    graph::AcousticPlotInputs PlotInputs(QSize plotSize) const;
    void WriteViews(QSize plotSize, const std::vector<std::string>& names, std::size_t next,
                    exporting::AtomicFileSet& files) const;
};

}  // namespace kc::cli

// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's views of the loudspeaker beyond its FRD files: the responses as CSV
// (level, phase and group delay of each band and of the sum), the speaker's predicted impulse and
// step responses and the group delay as PNG, and the acoustic plot's choices (right axis, drivers
// alone, level range).
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <optional>
#include <string>
#include <vector>

#include "acoustic/view_choices.h"

namespace kc::cli {

// What the options ask for.
struct AcousticViewRequest {
    QString csv;             // empty for none
    QString impulsePlot;     // PNG of the speaker's impulse responses
    QString stepPlot;        // PNG of the speaker's step responses
    QString groupDelayPlot;  // PNG of the acoustic levels with the group delay on the right

    // Whether any of these files was asked for.
    bool Wanted() const;
    // The files, `withRate` naming each for the run's rate, in the order Write takes them.
    std::vector<QString> Files() const;
};

class AcousticViewOptions {
  public:
    AcousticViewOptions();
    void AddTo(QCommandLineParser& parser) const;
    // Puts the choices of the options given over `choices` (a design file's, or the defaults) and
    // gives the files asked for; nothing after printing a usage error.
    std::optional<AcousticViewRequest> Read(const QCommandLineParser& parser,
                                            acoustic::ViewChoices& choices) const;

  private:
    QCommandLineOption csv_;
    QCommandLineOption impulsePlot_;
    QCommandLineOption stepPlot_;
    QCommandLineOption groupDelayPlot_;
    QCommandLineOption rightAxis_;
    QCommandLineOption rawDrivers_;
    QCommandLineOption levelRange_;
};

}  // namespace kc::cli

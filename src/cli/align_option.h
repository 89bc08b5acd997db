// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's --align: the gains, delays and polarities that bring the acoustic sum of
// the drivers closest to the target, found on the first rate's design before anything is
// exported, so that the export, the acoustic files and the saved design all take them.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <optional>
#include <string>
#include <vector>

#include "acoustic/auto_align.h"
#include "acoustic/target.h"
#include "dsp/crossover.h"

namespace kc::cli {

class AlignOption {
  public:
    void AddTo(QCommandLineParser& parser) const { parser.addOption(align_); }
    bool IsSet(const QCommandLineParser& parser) const { return parser.isSet(align_); }

  private:
    QCommandLineOption align_{
        "align",
        "Set each band's gain, delay (within 2 ms of the mid band's) and polarity so that the "
        "acoustic sum of the drivers comes closest to the target; the export, the acoustic files "
        "and --save-design take them. Needs a driver file."};
};

// The crossover of `parameters` that the alignment works on: the calculation's errors (its
// memory check first) as the export raises them, naming the rate.
dsp::CrossoverTaps DesignForAlignment(const dsp::CrossoverParameters& parameters);

// The alignment of `drivers` with the bands of `taps` (a crossover's, or corrected ones) to
// `target`; `current` gives the deviation before. EDriverFileError when the files share no
// frequency below half the rate.
acoustic::AlignResult AlignDrivers(const acoustic::Drivers& drivers, const dsp::CrossoverTaps& taps,
                                   const acoustic::TargetSettings& target,
                                   const acoustic::Settings& current);

// The summary's lines: "Aligned: ..." with the settings, "Aligned: mean deviation ...".
std::vector<std::string> AlignedLines(const acoustic::AlignResult& result);

}  // namespace kc::cli

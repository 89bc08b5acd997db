// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's driver correction options: which bands, the target, the limits and the
// correction's taps.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "design_file/design_file.h"

namespace kc::cli {

class CorrectionOptions {
  public:
    CorrectionOptions();
    void AddTo(QCommandLineParser& parser) const;
    // Puts the options given over `design`'s correction (--correct: every band with a driver
    // file); false after printing a usage error for a value out of its range.
    bool Read(const QCommandLineParser& parser, design_file::Design& design) const;

  private:
    bool ReadFilter(const QCommandLineParser& parser, design_file::CorrectionFileSettings& c) const;

    QCommandLineOption correct_;
    QCommandLineOption targetDb_;
    QCommandLineOption targetTilt_;
    QCommandLineOption maxBoostDb_;
    QCommandLineOption smoothing_;
    QCommandLineOption correctPhase_;
    QCommandLineOption taps_;
};

}  // namespace kc::cli

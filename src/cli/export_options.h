// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's options of the export (export/export_set.h): the rates, and per kind of
// file (export/export_kind.h) the option of its name and those of its settings, read into an
// export request.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>
#include <vector>

#include "design_file/design_file.h"
#include "export/export_set.h"

namespace kc::cli {

// The design command's options of the export: the rates, the files and their formats.
struct ExportOptions {
    ExportOptions();

    QCommandLineOption rates{"sample-rate",
                             "Sample rates in whole Hz, 22050 to 768000, separated by commas "
                             "(44100). With several, every name must hold {rate}.",
                             "RATE[,RATE...]", "44100"};
    QCommandLineOption countsRate{"counts-rate",
                                  "The rate in whole Hz the tap counts are meant at (44100, the "
                                  "window's); every --sample-rate scales them from there.",
                                  "RATE", "44100"};
    QCommandLineOption noAlignment{
        "no-alignment",
        "Export the pure crossover: without it every exported coefficient set gets each band's "
        "--gain-*, --invert-* and --delay-* (delays from the earliest band, a fraction of a "
        "sample by a Kaiser-windowed sinc)."};
    QCommandLineOption normalize{"normalize",
                                 "none (default), peak or worst-case: one attenuation for every "
                                 "band, so that the largest peak gain (largest |H(f)|) or "
                                 "worst-case gain (sum of |taps|) of the bands is at most 0 dB.",
                                 "MODE", "none"};
    // One per kind of exporting::ExportKinds(), in its order: the option of its name, and one
    // for each of its options.
    std::vector<QCommandLineOption> kindNames;
    std::vector<std::vector<QCommandLineOption>> kindSettings;

    // The rates, then each kind's name followed by its settings.
    QList<QCommandLineOption> All() const;
};

// Puts the rates, the counts' rate and the kinds' settings (formats, layouts, phases) of the
// options given over those of a design file (or the defaults). ExportRequestError, with a message
// naming the option, for rates that cannot be read or a choice that is not one of its own.
void TakeExportOptions(const QCommandLineParser& parser, const ExportOptions& o,
                       design_file::ExportSettings& settings);

// The files the options name, with the kinds' settings of `settings`.
exporting::ExportRequest ReadRequest(const QCommandLineParser& parser, const ExportOptions& o,
                                     const design_file::ExportSettings& settings);

}  // namespace kc::cli

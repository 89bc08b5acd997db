// SPDX-License-Identifier: GPL-3.0-or-later
// The design command's options of the export (export/export_set.h): the rates, the files and
// their formats, read into an export request.
#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QList>

#include "design_file/design_file.h"
#include "export/export_set.h"

namespace kc::cli {

// The design command's options of the export: the rates, the files and their formats.
struct ExportOptions {
    QCommandLineOption rates{"sample-rate",
                             "Sample rates in whole Hz, 22050 to 768000, separated by commas "
                             "(44100). With several, every name must hold {rate}.",
                             "RATE[,RATE...]", "44100"};
    QCommandLineOption countsRate{"counts-rate",
                                  "The rate in whole Hz the tap counts are meant at (44100, the "
                                  "window's); every --sample-rate scales them from there.",
                                  "RATE", "44100"};
    QCommandLineOption taps{"taps", "Write the taps as CSV.", "FILE.csv"};
    QCommandLineOption response{"response", "Write the response as CSV.", "FILE.csv"};
    QCommandLineOption wav{"wav", "Write PREFIX-low/mid/high.wav (or PREFIX.wav).", "PREFIX"};
    QCommandLineOption wavFormat{"wav-format", "float32 (default), float64 or pcm24.", "FORMAT",
                                 "float32"};
    QCommandLineOption wavLayout{"wav-layout",
                                 "bands (default): a file per band; multichannel: one file, "
                                 "low, mid, high in channels 1-3.",
                                 "LAYOUT", "bands"};
    QCommandLineOption raw{"raw", "Write PREFIX-low/mid/high as headerless samples.", "PREFIX"};
    QCommandLineOption rawFormat{"raw-format", "float32 (.raw, default) or float64 (.dbl).",
                                 "FORMAT", "float32"};
    QCommandLineOption text{"text", "Write PREFIX-low/mid/high.txt, a coefficient a line.",
                            "PREFIX"};
    QCommandLineOption frd{"frd", "Write PREFIX-low/mid/high/sum.frd.", "PREFIX"};
    QCommandLineOption frdPhase{"frd-phase", "excess (default, latency taken out) or full.",
                                "PHASE", "excess"};
    QCommandLineOption camillaDsp{"camilladsp",
                                  "Write a CamillaDSP configuration fragment naming the WAV "
                                  "files (needs --wav with the bands layout).",
                                  "FILE.yml"};
    QCommandLineOption plot{"plot", "Write the graph as PNG.", "FILE.png"};

    QList<QCommandLineOption> All() const {
        return {rates, countsRate, taps, response, wav,      wavFormat,  wavLayout,
                raw,   rawFormat,  text, frd,      frdPhase, camillaDsp, plot};
    }
};

// Puts the rates, the counts' rate and the formats, layouts and phases of the options given over
// those of a design file (or the defaults). ExportRequestError, with a message naming the option,
// for rates that cannot be read or a choice that is not one of its own.
void TakeExportOptions(const QCommandLineParser& parser, const ExportOptions& o,
                       design_file::ExportSettings& settings);

// The files the options name, with the formats, layouts and phases of `settings`.
exporting::ExportFormats ReadFormats(const QCommandLineParser& parser, const ExportOptions& o,
                                     const design_file::ExportSettings& settings);

}  // namespace kc::cli

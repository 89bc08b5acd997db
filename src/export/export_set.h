// SPDX-License-Identifier: GPL-3.0-or-later
// The set of files one export writes, at one rate or several, made the same way by the command line
// and by the window's export dialog: which files, their names, the design at each rate, and the
// writing of the whole set at once.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "dsp/calculation.h"
#include "export/alignment.h"
#include "export/export_kind.h"
#include "export/file_write.h"

namespace kc::exporting {

// The mark in a name that each rate replaces with its whole hertz: "xo-{rate}" is xo-48000.
inline constexpr std::string_view kRatePlaceholder = "{rate}";

// Whether `name` is one file name for the files of a folder chosen elsewhere (the export dialog's
// and design files' name): no "/" or "\" that would make it a path, no ".." that could lead out
// of the folder.
bool IsOneFileName(std::string_view name);
// What such a name must be, for messages.
inline constexpr std::string_view kOneFileNameRule =
    "must be one file name, without \"/\", \"\\\" or \"..\"";

// A choice's name as design files spell it, and what it stands for.
template <class T>
struct NamedChoice {
    std::string_view name;
    T value;
};

// A request that cannot be carried out as it stands; nothing is written. The message says why.
class ExportRequestError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// An error of one rate of an export: the calculation's message with its full stop, then the rate
// and, where known, the part of the design it arose in: "0 による浮動小数点数除算. (22050 Hz,
// high band)".
class ERateError : public base::Error {
  public:
    ERateError(const base::Error& cause, int32_t sampleRateHz);
};

// One rate of an export, known before anything is designed.
struct RatePlan {
    dsp::CrossoverParameters parameters;  // the design at this rate: its counts scaled
    // The latency every exported band has: CommonCentre, half the longest band's taps less one,
    // plus the fractional-delay filter's M when the alignment has one.
    int32_t latencySamples = 0;
    double latencyMs = 0.0;
    RateAlignment alignment;         // the request's at this rate
    ExportLatency latency;           // of each exported band and of the sum
    std::vector<std::string> files;  // this rate's files, in the order they are written
};

struct ExportPlan {
    ExportRequest request;
    std::vector<RatePlan> rates;
    std::vector<std::string>
        setFiles;  // the files for every rate (KindScope::PerSet), written last

    // Every file of the export, in the order written.
    std::vector<std::string> AllFiles() const;
};

// The rates of a text such as "44100,48000": whole hertz from 22050 to 768000, separated by
// commas. ExportRequestError for any other text.
std::vector<int32_t> ParseRates(std::string_view text);

// `pattern` with every {rate} replaced by the rate.
std::string WithRate(const std::string& pattern, int32_t sampleRateHz);

// Raises ExportRequestError when the request cannot be carried out, as PlanExport does; what it
// checks does not depend on the design.
void CheckExportRequest(const std::vector<int32_t>& ratesHz, const ExportRequest& request);

// Checks a request and lays out its export. `design` holds the counts for the rate they are meant
// at (design.sampleRateHz, 44 100 Hz unless the request names another): that rate keeps them,
// every other rate of `ratesHz` gets the same cut-offs with the counts scaled to it
// (AtSampleRate), so that every rate's filters have the same length in time and latency; no rate
// at all means the design's own. ExportRequestError when a rate lies outside 22050 ... 768000 or
// is given twice, several rates meet a name of a per-rate kind without {rate}, the name of a file
// for every rate holds {rate}, a kind's own check fails (ExportKind::check), an option's value is
// none of its choices, or two files would have one name. ERateError (of ERangeError) when a
// scaled count leaves the 32-bit range.
ExportPlan PlanExport(const dsp::CrossoverParameters& design, const std::vector<int32_t>& ratesHz,
                      const ExportRequest& request);

// Sees each rate's design once it is made, before its files are written: a front end prints it,
// or writes files of its own from it into the same set.
using RateObserver = std::function<void(const dsp::CalculationResult& design)>;
// Sees each rate as it is exported (export/alignment.h), after the crossover's design.
using ExportObserver = std::function<void(const ExportedRate& exported)>;

// Designs and evaluates the plan's rates one at a time, in their order, raising what the
// calculation raises, and writes each rate's files into `set` before the next rate is designed,
// so that the memory held is about one rate's design however many rates there are; the files for
// every rate come last. Every kind writes the taps as exported (ExportRate: the request's
// alignment and normalisation applied); the response store and the graph stay the crossover's.
// `set` must have every file of the plan (AllFiles) among its targets; `designed` sees each
// crossover design first, `exported` then the rate as exported. `plotWriter` writes the files that
// only a front end can make (the graph as PNG); it is needed when the request names any.
void WriteExportRates(const ExportPlan& plan, AtomicFileSet& set,
                      const RateFileWriter& plotWriter = {}, const RateObserver& designed = {},
                      const ExportObserver& exported = {});

// The plan's files as one AtomicFileSet of their own, written by WriteExportRates and committed:
// EFileWriteError, naming the file and the reason, leaves none of the set written and every file
// it would have replaced as it was. No file of the plan may be one of `inputs`.
void WriteExportSet(const ExportPlan& plan, const RateFileWriter& plotWriter = {},
                    const std::vector<std::string>& inputs = {});

}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
// The set of files one export writes, at one rate or several, made the same way by the command line
// and by the window's export dialog: which files, their names, the design at each rate, and the
// writing of the whole set at once.
#pragma once

#include <array>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"
#include "dsp/calculation.h"
#include "export/coefficient_files.h"
#include "export/file_write.h"
#include "export/frd_export.h"
#include "export/wav_export.h"

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

enum class WavLayout {
    Bands,         // PREFIX-low.wav, PREFIX-mid.wav, PREFIX-high.wav, one channel each
    Multichannel,  // PREFIX.wav with low, mid and high in channels 1, 2 and 3
};

// A choice's name as the command line's options and design files spell it, and what it stands for.
template <class T>
struct NamedChoice {
    std::string_view name;
    T value;
};
inline constexpr std::array<NamedChoice<WavSampleFormat>, 3> kWavFormatNames{{
    {"float32", WavSampleFormat::Float32},
    {"float64", WavSampleFormat::Float64},
    {"pcm24", WavSampleFormat::Pcm24},
}};
inline constexpr std::array<NamedChoice<WavLayout>, 2> kWavLayoutNames{{
    {"bands", WavLayout::Bands},
    {"multichannel", WavLayout::Multichannel},
}};
inline constexpr std::array<NamedChoice<RawSampleFormat>, 2> kRawFormatNames{{
    {"float32", RawSampleFormat::Float32},
    {"float64", RawSampleFormat::Float64},
}};
inline constexpr std::array<NamedChoice<FrdPhase>, 2> kFrdPhaseNames{{
    {"excess", FrdPhase::Excess},
    {"full", FrdPhase::Full},
}};

// What to write. An empty name writes nothing of its kind; a prefix gets "-low", "-mid", "-high"
// (and "-sum" for FRD) and the extension. Every name may hold {rate}.
struct ExportFormats {
    std::string tapsCsv;      // the taps of the four arrays, TapsCsv
    std::string responseCsv;  // the grid's magnitudes and levels, ResponseCsv
    std::string wavPrefix;
    WavSampleFormat wavFormat = WavSampleFormat::Float32;
    WavLayout wavLayout = WavLayout::Bands;
    std::string rawPrefix;  // .raw (float32) or .dbl (float64)
    RawSampleFormat rawFormat = RawSampleFormat::Float32;
    std::string textPrefix;  // .txt, one coefficient a line
    std::string frdPrefix;   // .frd, low, mid, high and sum
    FrdPhase frdPhase = FrdPhase::Excess;
    // The CamillaDSP fragment: one file for every rate (so it takes no {rate}), naming the band WAV
    // files, which it needs.
    std::string camillaDsp;
    // The graph of each rate as a PNG, which a front end with pictures writes (RateFileWriter).
    std::string plotPng;

    bool WritesAnything() const;
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
    int32_t latencySamples = 0;           // CommonCentre, half the longest band's taps less one
    double latencyMs = 0.0;
    std::vector<std::string> files;  // this rate's files, in the order they are written
};

struct ExportPlan {
    ExportFormats formats;
    std::vector<RatePlan> rates;
    std::string camillaDsp;  // the fragment's file, written after every rate's, or empty

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
void CheckExportRequest(const std::vector<int32_t>& ratesHz, const ExportFormats& formats);

// Checks a request and lays out its export. `design` holds the counts for the rate they are meant
// at (design.sampleRateHz, 44 100 Hz unless the request names another): that rate keeps them,
// every other rate of `ratesHz` gets the same cut-offs with the counts scaled to it
// (AtSampleRate), so that every rate's filters have the same length in time and latency; no rate
// at all means the design's own. ExportRequestError when a rate lies outside 22050 ... 768000 or
// is given twice, several rates meet a name without {rate} (the fragment's excepted), the
// CamillaDSP fragment lacks band WAV files or holds {rate}, or two files would have one name.
// ERateError (of ERangeError) when a scaled count leaves the 32-bit range.
ExportPlan PlanExport(const dsp::CrossoverParameters& design, const std::vector<int32_t>& ratesHz,
                      const ExportFormats& formats);

// Writes a front end's own file of one rate into the temporary path it is given.
using RateFileWriter =
    std::function<void(const dsp::CalculationResult& design, const std::string& temporaryPath)>;

// Sees each rate's design once it is made, before its files are written: a front end prints it,
// or writes files of its own from it into the same set.
using RateObserver = std::function<void(const dsp::CalculationResult& design)>;

// Designs and evaluates the plan's rates one at a time, in their order, raising what the
// calculation raises, and writes each rate's files into `set` before the next rate is designed,
// so that the memory held is about one rate's design however many rates there are; the
// CamillaDSP fragment comes last. `set` must have every file of the plan (AllFiles) among its
// targets; `designed` sees each design first. `plotWriter` writes the plan's PNG files; it is
// needed when formats.plotPng is set.
void WriteExportRates(const ExportPlan& plan, AtomicFileSet& set,
                      const RateFileWriter& plotWriter = {}, const RateObserver& designed = {});

// The plan's files as one AtomicFileSet of their own, written by WriteExportRates and committed:
// EFileWriteError, naming the file and the reason, leaves none of the set written and every file
// it would have replaced as it was. No file of the plan may be one of `inputs`.
void WriteExportSet(const ExportPlan& plan, const RateFileWriter& plotWriter = {},
                    const std::vector<std::string>& inputs = {});

}  // namespace kc::exporting

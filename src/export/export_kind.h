// SPDX-License-Identifier: GPL-3.0-or-later
// The kinds of file an export writes, each described once, in one table (ExportKinds): how design
// files, the command line and the export dialog name it and its options, whether it is written at
// every rate or once for the whole set, the files it makes of its name, and its writer. The export
// set, the design file's keys, the command line's options and help and the dialog's rows all loop
// over the table, so that a new kind is its writer and one row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "acoustic/correction.h"
#include "dsp/calculation.h"

namespace kc::exporting {

class AtomicFileSet;
struct ExportKind;

// One value of a choice: as design files and the command line spell it, and as the dialog offers
// it.
struct OptionChoice {
    std::string_view name;   // "pcm24"
    std::string_view label;  // "24-bit PCM"
};

// A setting of a kind beyond the name of its files: a choice among named values (a sample format,
// a layout, a version of an engine), or a free text (a device of an engine) that its own rule
// checks. The first choice, or the default text, is the default.
struct KindOption {
    std::string_view key;        // the design file's key in "export", unique among all kinds
    std::string_view cliOption;  // the command line's option, without "--"
    std::string_view valueName;  // what the help calls its value
    std::string_view help;       // the command line's help text
    std::span<const OptionChoice> choices{};  // none: a free text
    // A free text: its default, its label in the dialog's form, and its rule: what is wrong with a
    // value (empty when nothing is), in words that follow its key ("must start with ...").
    std::string_view defaultText{};
    std::string_view label{};
    std::string (*problem)(std::string_view value) = nullptr;

    bool IsText() const { return choices.empty(); }
    // The first choice's name, or the default text.
    std::string_view Default() const { return IsText() ? defaultText : choices.front().name; }
};

enum class KindScope {
    PerRate,  // files of each rate; with several rates their names hold {rate}
    PerSet,   // one file for every rate, written after them; its name takes no {rate}
};

// What an export asks of one kind: the name its files are made of (a file, or a prefix that gets
// "-low", ... and an extension; it may hold {rate}), empty to write none, and the value of each of
// the kind's options, in their order.
struct KindRequest {
    std::string name;
    std::vector<std::string> options;
    bool operator==(const KindRequest&) const = default;
};

// One attenuation for every band of an export, so that no exported band can raise a signal above
// full scale by the measure chosen: none, the largest of the bands' peak gains (largest |H(f)|)
// or of their worst-case gains (Σ|h|), brought down to 0 dB when above it.
enum class Normalization { None, Peak, WorstCase };
// "none", "peak", "worst-case" with the dialog's labels, in the enumeration's order.
std::span<const OptionChoice> NormalizationChoices();
// The choice named `name`; ExportRequestError for a name of none.
Normalization NormalizationNamed(std::string_view name);

// What every exported coefficient set gets beyond the crossover (export/alignment.h applies it):
// with `apply`, each band's gain, polarity and delay (the acoustic view's settings), the delays
// taken from the earliest band; and the normalisation.
struct ExportAlignment {
    bool apply = true;
    acoustic::Settings bands{};
    Normalization normalization = Normalization::None;
    // The driver correction each band's taps go through before the alignment.
    acoustic::Correction correction;
    bool operator==(const ExportAlignment&) const = default;
};

// What an export writes: a request for every kind of the table, in its order.
class ExportRequest {
  public:
    // Nothing to write; every option at its default.
    ExportRequest();

    // The request of the kind with this id, or of the option with this key (the kind's request
    // holds its value); std::invalid_argument for an id or a key that no kind has.
    KindRequest& Kind(std::string_view id);
    const KindRequest& Kind(std::string_view id) const;
    std::string& Option(std::string_view key);
    const std::string& Option(std::string_view key) const;

    const std::vector<KindRequest>& Kinds() const { return kinds_; }
    std::vector<KindRequest>& Kinds() { return kinds_; }
    // Whether any kind has a name.
    bool WritesAnything() const;

    // The alignment of every kind's taps.
    ExportAlignment alignment;

  private:
    std::vector<KindRequest> kinds_;
};

// Whether a kind is chosen, as the export dialog and design files keep it, and its options.
struct KindChoice {
    bool chosen = false;
    std::vector<std::string> options;
    bool operator==(const KindChoice&) const = default;
};
// One per kind of the table, in its order; a kind that the dialog does not offer stays unchosen.
using KindChoices = std::vector<KindChoice>;

// Every kind as the dialog starts: the kinds chosen at first (the WAV files), every option at its
// default.
KindChoices DefaultKindChoices();

// Writes a front end's own file of one rate into the temporary path it is given (the graph as a
// PNG, which needs pictures).
using RateFileWriter =
    std::function<void(const dsp::CalculationResult& design, const std::string& temporaryPath)>;

// What a kind's writer of one rate gets: the whole request, the rate's design, its own request,
// its files at this rate (as its `files` names them), and the set to write them into.
struct RateWrite {
    const ExportRequest& exportRequest;  // the whole request: a configuration names other files
    const dsp::CalculationResult& design;
    const ExportKind& kind;
    const KindRequest& request;
    const std::vector<std::string>& files;
    const RateFileWriter& frontEndWriter;
    AtomicFileSet& set;
};

// A rate of the export as a file for every rate names it: the rate and the delay every exported
// band has there (the crossover's CommonCentre, plus the fractional-delay filter's when the
// alignment has one; the earliest band's), and the length of the exported taps.
struct RateLatency {
    int32_t sampleRateHz;
    int32_t latencySamples;
    int32_t tapCount = 0;
};

// What a kind's writer of one file for every rate gets: the whole request (a configuration names
// the files of other kinds), its own request, every rate of the export, its file and the set.
struct SetWrite {
    const ExportRequest& request;
    const KindRequest& kindRequest;
    const std::vector<RateLatency>& rates;
    const std::string& file;
    AtomicFileSet& set;
};

// One kind of file. A kind that the dialog does not offer (no dialogLabel) is not kept in design
// files either: they keep the dialog's settings.
struct ExportKind {
    std::string_view id{};            // the design file's key of its box ("wav")
    std::string_view cliOption{};     // the command line's option of its name ("wav")
    std::string_view cliValueName{};  // "PREFIX", "FILE.csv": the help's name of the value
    std::string_view help{};          // the command line's help text
    std::string_view dialogLabel{};   // the text of its box in the dialog; empty: not offered
    bool chosenAtFirst = false;       // checked in a dialog that no design has set
    std::span<const KindOption> options{};
    KindScope scope = KindScope::PerRate;
    // What its one file is called in messages (a kind of KindScope::PerSet).
    std::string_view noun{};
    // The file name in the dialog's folder that the dialog's one name gives ("xo-{rate}" is
    // "xo-{rate}.csv" for the taps, the prefix itself for the WAV files).
    std::string (*nameInDialog)(std::string_view name) = nullptr;
    // Its files from its name with the rate put in (a kind of KindScope::PerSet: its one file).
    std::vector<std::string> (*files)(const ExportKind& kind, const KindRequest& request,
                                      const std::string& name) = nullptr;
    // Raises ExportRequestError when the request cannot be carried out for reasons of this kind
    // (the fragment needs the band WAV files); nullptr when there are none.
    void (*check)(const ExportRequest& request) = nullptr;
    // Writes its files of one rate (KindScope::PerRate) or its one file (KindScope::PerSet).
    void (*writeRate)(const RateWrite& write) = nullptr;
    void (*writeSet)(const SetWrite& write) = nullptr;

    bool OfferedInDialog() const { return !dialogLabel.empty(); }
    // The index of the choice that values[option] (the values of the kind's options) names;
    // ExportRequestError, naming the option, for a value that is none of its choices.
    std::size_t ChoiceIndex(const std::vector<std::string>& values, std::size_t option) const;
    // Raises ExportRequestError, naming the option and quoting the value escaped, when
    // values[option] is none of its choices or breaks its rule.
    void CheckOption(const std::vector<std::string>& values, std::size_t option) const;
};

// Every kind, in the order of the command line's help, of design files' keys and of the dialog's
// rows; a kind's files of one rate are written in this order too.
std::span<const ExportKind> ExportKinds();
// The index of the kind with this id in ExportKinds(); std::invalid_argument when none has it.
std::size_t KindIndex(std::string_view id);

// The request of the export dialog (and of a design's settings): every chosen kind named by its
// nameInDialog of `name`, in `folder` ("folder/name"; "./name" without a folder), with the
// options of `choices`.
ExportRequest RequestInFolder(const KindChoices& choices, const std::string& folder,
                              std::string_view name);
// The request of the command line: the name of each kind as its option gave it (`names`, one per
// kind; empty when not given), with the options of `choices`.
ExportRequest RequestOfNames(const KindChoices& choices, const std::vector<std::string>& names);

// The name of a file for every rate in the dialog's folder: the dialog's name without {rate} and
// the "-", "_" or "." before it, and `extension` ("crossover" when nothing else is left).
std::string SetFileName(std::string_view name, std::string_view extension);

}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
// Design files (.kcx): a crossover design as the window holds it, in JSON, so that it can be
// reopened, shared and scripted. The file keeps the field texts exactly as typed, not numbers, so
// that reopening gives the same conversions and the same messages. docs/design-file.md describes
// every key; no Qt.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "acoustic/impulse_reader.h"
#include "acoustic/view_choices.h"
#include "base/errors.h"
#include "dsp/calculation.h"
#include "dsp/fields.h"
#include "dsp/initial_texts.h"
#include "dsp/response_store.h"
#include "dsp/time_response.h"
#include "export/export_kind.h"

namespace kc::design_file {

// The "format" every design file names, and the newest "version" this program reads and writes.
// Keys that later features add are additions within a version: an older reader ignores them and
// a newer one gives their defaults to files without them. Only a change that an older reader would
// misread raises the version.
inline constexpr std::string_view kFormatName = "kaiser-crossover-design";
inline constexpr int kVersion = 1;
// Larger files are refused unread: a design is a few hundred bytes.
inline constexpr std::size_t kMaxFileBytes = 1024 * 1024;
// The longest text a key holds: what the window's fields hold.
inline constexpr std::size_t kMaxTextBytes = 32767;

// The crossover fields (Edit1, Edit9, Edit10, Edit2, Edit5, Edit4, Edit3, Edit8) and the
// adjust-coefficient box; the attenuation field is also the estimate's third input.
struct CrossoverSettings {
    std::string lowTaps{dsp::InitialText(dsp::CalcField::LowTapCount)};
    std::string midTaps{dsp::InitialText(dsp::CalcField::MidTapCount)};
    std::string highTaps{dsp::InitialText(dsp::CalcField::HighTapCount)};
    std::string lowCut{dsp::InitialText(dsp::CalcField::LowCross)};
    std::string midLow{dsp::InitialText(dsp::CalcField::MidCrossLow)};
    std::string midHigh{dsp::InitialText(dsp::CalcField::MidCrossHigh)};
    std::string highCut{dsp::InitialText(dsp::CalcField::HighCross)};
    std::string attenuation{dsp::InitialText(dsp::CalcField::Attenuation)};
    bool adjustCoefficient = false;
    bool operator==(const CrossoverSettings&) const = default;
};

// The filter length estimate's own fields (Edit6, Edit7).
struct EstimateSettings {
    std::string passBand{dsp::initial_texts::kPassBandEdge};
    std::string stopBand{dsp::initial_texts::kStopBandEdge};
    bool operator==(const EstimateSettings&) const = default;
};

// The graph's axis boxes (CheckBox1, CheckBox2).
struct GraphSettings {
    bool logFrequency = true;
    bool logAmplitude = true;
    bool operator==(const GraphSettings&) const = default;
};

// The export dialog's settings (export/export_kind.h, export/export_set.h): for every kind of
// file whether it is chosen and its options, the rates, and the name of the files, which may hold
// {rate}. The folder belongs to the machine, not to the design, and is not kept.
struct ExportSettings {
    exporting::KindChoices kinds = exporting::DefaultKindChoices();
    // Whole hertz, kMinSampleRateHz ... kMaxSampleRateHz, none twice; empty when none is chosen.
    std::vector<int32_t> ratesHz{dsp::SampleRate};
    std::string name{"crossover-{rate}"};
    // The rate the tap counts are meant at (kMinSampleRateHz ... kMaxSampleRateHz): every rate
    // scales them from there. The window's rate unless a design says otherwise.
    int32_t countsRateHz = dsp::SampleRate;
    // Whether the acoustic view's gains, delays and polarities go into the exported taps, and the
    // normalisation (a name of exporting::NormalizationChoices()).
    bool alignment = true;
    std::string normalize{"none"};
    bool operator==(const ExportSettings&) const = default;
};

// The time-response window's view: the pre-ringing threshold in dB below the largest magnitude of
// each band's step response (kMinPreRingingDb ... kMaxPreRingingDb), the step or the impulse
// responses, the latter in dB.
struct TimeSettings {
    int32_t preRingingDb = dsp::kDefaultPreRingingDb;
    bool step = false;
    bool impulseDb = false;
    bool operator==(const TimeSettings&) const = default;
};

// A band of the acoustic view: the driver's file (empty for the ideal driver), how an impulse
// response in it is read (channel, gate) and the band's gain (kMinGainDb ... kMaxGainDb), delay
// (kMinDelayMs ... kMaxDelayMs) and polarity.
struct DriverSettings {
    std::string driverFile;
    acoustic::BandSettings band;
    acoustic::ImpulseOptions impulse{};
    bool operator==(const DriverSettings&) const = default;
};
using AcousticSettings = std::array<DriverSettings, dsp::kBandCount>;  // low, mid, high

// The driver correction as the file keeps it (acoustic/correction.h): which bands, the target, the
// limits and each band's correction taps (0: the band's own count).
struct CorrectionFileSettings {
    std::array<bool, dsp::kBandCount> bands{};
    std::array<int32_t, dsp::kBandCount> taps{};
    bool defaultTargetLevel = true;  // the least sensitive driver's level within its band
    double targetDb = 0.0;           // the target's level when not the default
    double targetTiltDbPerOctave = 0.0;
    double maxBoostDb = acoustic::kDefaultMaxBoostDb;
    double smoothingOctaves = acoustic::kDefaultSmoothingOctaves;
    bool correctPhase = true;
    bool operator==(const CorrectionFileSettings&) const = default;
};

// The tabs of the time and acoustic window, in their order.
enum class WindowTab { Time, Acoustic, Speaker };

// The time and acoustic window: whether it was open and which of its tabs was shown.
struct WindowSettings {
    bool open = false;
    WindowTab tab = WindowTab::Time;
    bool operator==(const WindowSettings&) const = default;
};

// A whole design; a default one is the window as it starts. A feature that keeps settings in the
// file adds a section here and its keys in design_file.cpp (VisitKeys).
struct Design {
    CrossoverSettings crossover;
    EstimateSettings estimate;
    GraphSettings graph;
    ExportSettings exportSettings;
    TimeSettings time;
    AcousticSettings acoustic;
    acoustic::ViewChoices acousticView;  // the acoustic plot's right axis, drivers alone, range
    CorrectionFileSettings correction;
    WindowSettings window;
    bool operator==(const Design&) const = default;
};

// Whether two designs differ in more than how the windows were left (WindowSettings): what
// "changed since saved" asks.
bool DiffersInContent(const Design& a, const Design& b);

// The alignment of an export of `design`: its acoustic settings, its export's box and
// normalisation.
exporting::ExportAlignment AlignmentOf(const Design& design);
// The correction settings of `design`, the correction taps meant at its counts' rate.
acoustic::CorrectionSettings CorrectionOf(const Design& design);

// The text of one of the crossover calculation's fields.
const std::string& FieldText(const Design& design, dsp::CalcField field);
std::string& FieldText(Design& design, dsp::CalcField field);

// A design file was refused; the message names the file and the key or line at fault.
class EDesignFileError : public base::Error {
  public:
    EDesignFileError(const std::string& path, const std::string& reason);
};

// The design held by `content`, a design file's whole text; `path` only names the file in a
// refusal. Unknown keys are ignored and a missing key keeps its default. Raises EDesignFileError
// for UTF-16 text, a text that is not JSON (naming the line), a key of the wrong type or a value
// out of its range (naming the key), a text with a control character or longer than
// kMaxTextBytes ("export.name holds a control character"), an export name that is not one file
// name (with "/", "\" or ".."), a "format" other than kFormatName or a "version" above
// kVersion. Nothing of a refused file is kept. The driver files stay as the file writes them.
Design ParseDesign(std::string_view content, const std::string& path);

// Reads and parses the design file at `path`: a file that cannot be read, that is no regular
// file (a FIFO, a device, a folder: refused at once, unread) or that is larger than
// kMaxFileBytes, is refused like a broken one. A relative driver file is taken relative to the
// folder of `path` and given as a path from there (ResolvedPath).
Design ReadDesignFile(const std::string& path);

// The design file's text: JSON indented by two blanks, keys in a fixed order, UTF-8, ending in a
// line break.
std::string DesignJson(const Design& design);

// The text of `design` as a design file at `path` holds it: DesignJson with each driver file
// relative to the folder of `path` (RelativePath).
std::string DesignFileText(const Design& design, const std::string& path);

// Writes DesignFileText(design, path) to `path` atomically (exporting::WriteTextFile): a failure
// raises EFileWriteError and leaves `path` as it was; `path` may not be one of `inputs`.
void WriteDesignFile(const std::string& path, const Design& design,
                     const std::vector<std::string>& inputs = {});

// `file` (absolute, or relative to the working folder) as a path relative to the folder of the
// design file `designPath`, with "/" between names ("drivers/woofer.frd", "../woofer.frd"); the
// absolute path where there is no relative one (another root). Empty stays empty.
std::string RelativePath(const std::string& file, const std::string& designPath);
// `stored`, as a design file at `designPath` names a file, as a path that names it from the
// working folder: a relative one joined to the design file's folder. Empty stays empty.
std::string ResolvedPath(const std::string& stored, const std::string& designPath);

}  // namespace kc::design_file

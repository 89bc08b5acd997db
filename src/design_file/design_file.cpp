// SPDX-License-Identifier: GPL-3.0-or-later
#include "design_file/design_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <span>
#include <utility>

#include "base/file_read.h"
#include "base/message_text.h"
#include "export/export_set.h"
#include "export/file_write.h"

namespace kc::design_file {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using OrderedJson = nlohmann::ordered_json;

// The names of the time window's two views.
constexpr std::array<exporting::NamedChoice<bool>, 2> kTimeViewNames{{
    {"impulse", false},
    {"step", true},
}};

// The names of the acoustic plot's right axes.
constexpr std::array<exporting::NamedChoice<acoustic::RightAxis>, 4> kRightAxisNames{{
    {"none", acoustic::RightAxis::None},
    {"sumPhase", acoustic::RightAxis::SumPhase},
    {"bandPhases", acoustic::RightAxis::BandPhases},
    {"groupDelay", acoustic::RightAxis::GroupDelay},
}};

// The names of the speaker's predicted responses.
constexpr std::array<exporting::NamedChoice<dsp::TimeSeriesKind>, 3> kSpeakerViewNames{{
    {"impulse", dsp::TimeSeriesKind::Impulse},
    {"impulseDb", dsp::TimeSeriesKind::ImpulseDb},
    {"step", dsp::TimeSeriesKind::Step},
}};

// The names of the time and acoustic window's tabs.
constexpr std::array<exporting::NamedChoice<WindowTab>, 3> kWindowTabNames{{
    {"time", WindowTab::Time},
    {"acoustic", WindowTab::Acoustic},
    {"speaker", WindowTab::Speaker},
}};

// Per kind the dialog offers its box and its options, then the rates, the counts' rate and the
// name.
template <class Keys, class DesignT>
void VisitExportKeys(Keys& section, DesignT& design) {
    auto& settings = design.exportSettings;
    const std::span<const exporting::ExportKind> kinds = exporting::ExportKinds();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        if (!kinds[k].OfferedInDialog()) {
            continue;
        }
        auto& choice = settings.kinds.at(k);
        section.Flag(kinds[k].id, choice.chosen);
        for (std::size_t o = 0; o < kinds[k].options.size(); ++o) {
            const exporting::KindOption& option = kinds[k].options[o];
            if (option.IsText()) {
                section.OptionText(option, choice.options.at(o));
            } else {
                section.Choice(option.key, choice.options.at(o), option.choices);
            }
        }
    }
    section.Rates("rates", settings.ratesHz);
    section.Whole("countsRate", settings.countsRateHz, dsp::kMinSampleRateHz,
                  dsp::kMaxSampleRateHz);
    section.FileName("name", settings.name);
    section.Flag("alignment", settings.alignment);
    section.Choice("normalize", settings.normalize, exporting::NormalizationChoices());
}

// Every key of a design file below "format" and "version", in the order they are written. The
// reader and the writer both walk this one list, so that a key is named once: a feature that
// keeps settings adds its section (or keys) here, with their defaults in the Design structs, and
// describes them in docs/design-file.md.
template <class Keys, class DesignT>
void VisitKeys(Keys& keys, DesignT& design) {
    keys.Section("crossover", [&design](auto& section) {
        for (const dsp::FieldRow& row : dsp::kFields) {
            section.Text(row.designKey, FieldText(design, row.field));
        }
        section.Flag("adjustCoefficient", design.crossover.adjustCoefficient);
    });
    keys.Section("estimate", [&design](auto& section) {
        section.Text("passBand", design.estimate.passBand);
        section.Text("stopBand", design.estimate.stopBand);
    });
    keys.Section("graph", [&design](auto& section) {
        section.Flag("logFrequency", design.graph.logFrequency);
        section.Flag("logAmplitude", design.graph.logAmplitude);
    });
    keys.Section("export", [&design](auto& section) { VisitExportKeys(section, design); });
    keys.Section("time", [&design](auto& section) {
        section.Whole("preRingingDb", design.time.preRingingDb, dsp::kMinPreRingingDb,
                      dsp::kMaxPreRingingDb);
        section.Choice("view", design.time.step, kTimeViewNames);
        section.Flag("impulseDb", design.time.impulseDb);
    });
    keys.Section("acoustic", [&design](auto& section) {
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            section.Section(dsp::kCurveNames[b].id, [&driver = design.acoustic[b]](auto& band) {
                band.Text("driverFile", driver.driverFile);
                band.Whole("channel", driver.impulse.channel, 1, acoustic::kMaxImpulseChannels);
                band.Number("gateMs", driver.impulse.gateMs, 0.0, acoustic::kMaxGateMs);
                band.Number("gainDb", driver.band.gainDb, acoustic::kMinGainDb,
                            acoustic::kMaxGainDb);
                band.Number("delayMs", driver.band.delayMs, acoustic::kMinDelayMs,
                            acoustic::kMaxDelayMs);
                band.Flag("inverted", driver.band.inverted);
            });
        }
    });
    keys.Section("acousticView", [&design](auto& section) {
        section.Choice("rightAxis", design.acousticView.rightAxis, kRightAxisNames);
        section.Flag("rawDrivers", design.acousticView.rawDrivers);
        section.Number("levelRangeDb", design.acousticView.levelRangeDb, acoustic::kMinLevelRangeDb,
                       acoustic::kMaxLevelRangeDb);
        section.Choice("speakerView", design.acousticView.speakerView, kSpeakerViewNames);
    });
    keys.Section("correction", [&c = design.correction](auto& section) {
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            section.Section(dsp::kCurveNames[b].id, [&c, b](auto& band) {
                band.Flag("correct", c.bands[b]);
                band.Whole("taps", c.taps[b], 0, acoustic::kMaxCorrectionTaps);
            });
        }
        section.Flag("defaultTargetLevel", c.defaultTargetLevel);
        section.Number("targetDb", c.targetDb, acoustic::kMinTargetLevelDb,
                       acoustic::kMaxTargetLevelDb);
        section.Number("targetTiltDbPerOctave", c.targetTiltDbPerOctave,
                       acoustic::kMinTargetTiltDbPerOctave, acoustic::kMaxTargetTiltDbPerOctave);
        section.Number("maxBoostDb", c.maxBoostDb, acoustic::kMinMaxBoostDb,
                       acoustic::kMaxMaxBoostDb);
        section.Number("smoothingOctaves", c.smoothingOctaves, acoustic::kMinSmoothingOctaves,
                       acoustic::kMaxSmoothingOctaves);
        section.Flag("correctPhase", c.correctPhase);
    });
    keys.Section("window", [&design](auto& section) {
        section.Flag("open", design.window.open);
        section.Choice("tab", design.window.tab, kWindowTabNames);
    });
}

// Whether `value` is a whole number (of any JSON number type) from lowest to highest.
bool IsWholeIn(const Json& value, int32_t lowest, int32_t highest) {
    if (!value.is_number_integer() ||
        (value.is_number_unsigned() &&
         value.get<std::uint64_t>() > static_cast<std::uint64_t>(INT64_MAX))) {
        return false;
    }
    const auto whole = value.get<std::int64_t>();
    return whole >= lowest && whole <= highest;
}

// A value of the file as a message quotes it: as JSON writes it (control characters escaped),
// and shortened.
std::string Dump(const Json& value) {
    return base::ShownText(value.dump());
}

// A bound of a range as messages give it ("-40", "0.5"), whatever the locale.
std::string NumberText(double value) {
    std::array<char, 32> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value);
    return std::string(text.data(), result.ptr);
}

// "\"a\", \"b\" or \"c\"" of anything with a name: NamedChoice, OptionChoice.
template <class Named>
std::string ChoicesText(std::span<const Named> names) {
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == names.size() ? " or " : ", ");
        text += '"';
        text += names[i].name;
        text += '"';
    }
    return text;
}

// The entry of `names` named `text`, or nullptr.
template <class Named>
const Named* FindNamed(std::span<const Named> names, const std::string& text) {
    const auto found = std::find_if(names.begin(), names.end(),
                                    [&text](const auto& named) { return named.name == text; });
    return found == names.end() ? nullptr : &*found;
}

// Reads the keys of one JSON object into a design: a missing key leaves its default, a key of
// another type than its own refuses the file, naming the key with its section
// ("crossover.lowTaps").
class KeyReader {
  public:
    KeyReader(const Json& object, std::string prefix, const std::string& path)
        : object_(object), prefix_(std::move(prefix)), path_(path) {}

    template <class Body>
    void Section(std::string_view key, Body&& body) const {
        if (const Json* value = Find(key, &Json::is_object, "a JSON object")) {
            KeyReader section(*value, prefix_ + std::string(key) + ".", path_);
            std::forward<Body>(body)(section);
        }
    }

    // Checked where it enters: no control character (a NUL would cut a path short, an escape
    // would drive the terminal a message goes to), and no longer than a field holds.
    void Text(std::string_view key, std::string& target) const {
        if (const Json* value = Find(key, &Json::is_string, "a JSON string")) {
            const auto& text = value->get_ref<const std::string&>();
            if (base::HasControlCharacter(text)) {
                RefuseText(key, "holds a control character");
            }
            if (text.size() > kMaxTextBytes) {
                RefuseText(key, "is longer than " + std::to_string(kMaxTextBytes) + " bytes");
            }
            target = text;
        }
    }

    // A text that names files inside a folder chosen elsewhere (exporting::IsOneFileName).
    void FileName(std::string_view key, std::string& target) const {
        std::string name;
        Text(key, name);
        if (!exporting::IsOneFileName(name)) {
            RefuseText(key, std::string(exporting::kOneFileNameRule));
        }
        if (Has(key)) {
            target = std::move(name);
        }
    }

    // A free text of an export kind, held to the option's rule too.
    void OptionText(const exporting::KindOption& option, std::string& target) const {
        std::string text = target;
        Text(option.key, text);
        if (option.problem != nullptr) {
            if (const std::string problem = option.problem(text); !problem.empty()) {
                RefuseText(option.key, problem);
            }
        }
        target = std::move(text);
    }

    void Flag(std::string_view key, bool& target) const {
        if (const Json* value = Find(key, &Json::is_boolean, "true or false")) {
            target = value->get<bool>();
        }
    }

    void Whole(std::string_view key, int32_t& target, int32_t lowest, int32_t highest) const {
        if (const Json* value = Find(key, &Json::is_number, "a JSON number")) {
            if (!IsWholeIn(*value, lowest, highest)) {
                Refuse(key, "must be a whole number from " + std::to_string(lowest) + " to " +
                                std::to_string(highest) + ", not " + Dump(*value));
            }
            target = value->get<int32_t>();
        }
    }

    void Number(std::string_view key, double& target, double lowest, double highest) const {
        if (const Json* value = Find(key, &Json::is_number, "a JSON number")) {
            const auto number = value->get<double>();
            if (!(number >= lowest && number <= highest)) {
                Refuse(key, "must be from " + NumberText(lowest) + " to " + NumberText(highest) +
                                ", not " + Dump(*value));
            }
            target = number;
        }
    }

    template <class T, std::size_t N>
    void Choice(std::string_view key, T& target,
                const std::array<exporting::NamedChoice<T>, N>& names) const {
        if (const auto* found =
                FindChoice(key, std::span<const exporting::NamedChoice<T>>(names))) {
            target = found->value;
        }
    }

    void Choice(std::string_view key, std::string& target,
                std::span<const exporting::OptionChoice> choices) const {
        if (const auto* found = FindChoice(key, choices)) {
            target = std::string(found->name);
        }
    }

    // Whole hertz in the range of rates, none twice.
    void Rates(std::string_view key, std::vector<int32_t>& target) const {
        if (const Json* value = Find(key, &Json::is_array, "a JSON array")) {
            std::vector<int32_t> rates;
            for (const Json& rate : *value) {
                if (!IsWholeIn(rate, dsp::kMinSampleRateHz, dsp::kMaxSampleRateHz)) {
                    Refuse(key, "must hold whole numbers of hertz from " +
                                    std::to_string(dsp::kMinSampleRateHz) + " to " +
                                    std::to_string(dsp::kMaxSampleRateHz) + ", not " + Dump(rate));
                }
                if (std::find(rates.begin(), rates.end(), rate.get<int32_t>()) != rates.end()) {
                    Refuse(key, "holds " + Dump(rate) + " twice");
                }
                rates.push_back(rate.get<int32_t>());
            }
            target = std::move(rates);
        }
    }

  private:
    [[noreturn]] void Refuse(std::string_view key, const std::string& reason) const {
        throw EDesignFileError(path_, "key \"" + prefix_ + std::string(key) + "\" " + reason);
    }

    // "export.name holds a control character": a text's fault, named by its key alone.
    [[noreturn]] void RefuseText(std::string_view key, const std::string& reason) const {
        throw EDesignFileError(path_, prefix_ + std::string(key) + " " + reason);
    }

    // The choice named by the value of `key`, nullptr when the object has none; a value that
    // names none of them refuses the file.
    template <class Named>
    const Named* FindChoice(std::string_view key, std::span<const Named> names) const {
        const Json* value = Find(key, &Json::is_string, "a JSON string");
        if (value == nullptr) {
            return nullptr;
        }
        const Named* found = FindNamed(names, value->get_ref<const std::string&>());
        if (found == nullptr) {
            Refuse(key, "must be " + ChoicesText(names));
        }
        return found;
    }

    bool Has(std::string_view key) const { return object_.find(std::string(key)) != object_.end(); }

    // The value of `key`, nullptr when the object has none; a value for which isExpectedType
    // does not hold refuses the file.
    const Json* Find(std::string_view key, bool (Json::*isExpectedType)() const noexcept,
                     const char* expected) const {
        const auto found = object_.find(std::string(key));
        if (found == object_.end()) {
            return nullptr;
        }
        if (!((*found).*isExpectedType)()) {
            Refuse(key, std::string("must be ") + expected + ", not a JSON " + found->type_name());
        }
        return &*found;
    }

    const Json& object_;
    std::string prefix_;
    const std::string& path_;
};

// Writes the keys of one JSON object in the order they are visited.
class KeyWriter {
  public:
    explicit KeyWriter(OrderedJson& object) : object_(object) {}

    template <class Body>
    void Section(std::string_view key, Body&& body) {
        OrderedJson section = OrderedJson::object();
        KeyWriter writer(section);
        std::forward<Body>(body)(writer);
        object_[std::string(key)] = std::move(section);
    }

    void Text(std::string_view key, const std::string& value) { object_[std::string(key)] = value; }
    void FileName(std::string_view key, const std::string& value) {
        object_[std::string(key)] = value;
    }
    void OptionText(const exporting::KindOption& option, const std::string& value) {
        object_[std::string(option.key)] = value;
    }
    void Flag(std::string_view key, bool value) { object_[std::string(key)] = value; }
    void Whole(std::string_view key, int32_t value, int32_t /*lowest*/, int32_t /*highest*/) {
        object_[std::string(key)] = value;
    }
    void Number(std::string_view key, double value, double /*lowest*/, double /*highest*/) {
        object_[std::string(key)] = value;
    }
    template <class T, std::size_t N>
    void Choice(std::string_view key, T value,
                const std::array<exporting::NamedChoice<T>, N>& names) {
        const auto found = std::find_if(names.begin(), names.end(), [value](const auto& named) {
            return named.value == value;
        });
        object_[std::string(key)] =
            std::string(found != names.end() ? found->name : names.front().name);
    }
    void Choice(std::string_view key, const std::string& value,
                std::span<const exporting::OptionChoice> /*choices*/) {
        object_[std::string(key)] = value;
    }
    void Rates(std::string_view key, const std::vector<int32_t>& rates) {
        object_[std::string(key)] = rates;
    }

  private:
    OrderedJson& object_;
};

// A reader of the JSON parser's events that builds nothing and keeps where the first error arose
// and why; the document is built by a second parse once the text is known to be JSON.
class ErrorLocator final : public nlohmann::json_sax<Json> {
  public:
    bool null() override { return true; }
    bool boolean(bool /*value*/) override { return true; }
    bool number_integer(number_integer_t /*value*/) override { return true; }
    bool number_unsigned(number_unsigned_t /*value*/) override { return true; }
    bool number_float(number_float_t /*value*/, const string_t& /*text*/) override { return true; }
    bool string(string_t& /*value*/) override { return true; }
    bool binary(binary_t& /*value*/) override { return true; }
    bool start_object(std::size_t /*elements*/) override { return true; }
    bool key(string_t& /*value*/) override { return true; }
    bool end_object() override { return true; }
    bool start_array(std::size_t /*elements*/) override { return true; }
    bool end_array() override { return true; }
    bool parse_error(std::size_t charactersRead, const std::string& /*lastToken*/,
                     const Json::exception& error) override {
        errorOffset = charactersRead;
        errorText = error.what();
        return false;
    }

    std::size_t errorOffset = 0;
    std::string errorText;
};

// The line (from 1) of the character at which the parser stopped: the last one it read. A line
// ends with LF, CRLF or a CR alone, as editors save them.
std::size_t LineAt(std::string_view content, std::size_t charactersRead) {
    const std::size_t end = std::min(content.size(), charactersRead > 0 ? charactersRead - 1 : 0);
    std::size_t line = 1;
    for (std::size_t i = 0; i < end; ++i) {
        const bool crAlone =
            content[i] == '\r' && (i + 1 >= content.size() || content[i + 1] != '\n');
        line += content[i] == '\n' || crAlone ? 1 : 0;
    }
    return line;
}

// The parser's message without its identifier, its own position and the text it last read
// (which may hold anything the file does).
std::string ParserProblem(const std::string& message) {
    std::string problem = message.substr(std::min(message.size(), message.find("] ") + 2));
    if (const std::size_t column = problem.find(", column "); column != std::string::npos) {
        problem.erase(0, std::min(problem.size(), problem.find(": ", column) + 2));
    }
    return problem.substr(0, problem.find("; last read:"));
}

Json ParseJson(std::string_view content, const std::string& path) {
    ErrorLocator locator;
    if (!Json::sax_parse(content.begin(), content.end(), &locator)) {
        throw EDesignFileError(
            path, "not valid JSON at line " + std::to_string(LineAt(content, locator.errorOffset)) +
                      ": " + base::EscapedText(ParserProblem(locator.errorText)));
    }
    return Json::parse(content.begin(), content.end());
}

void CheckFormatAndVersion(const Json& root, const std::string& path) {
    if (!root.is_object()) {
        throw EDesignFileError(path, std::string("not a design: the file holds a JSON ") +
                                         root.type_name() + ", not an object");
    }
    const auto format = root.find("format");
    if (format == root.end() || !format->is_string() || format->get<std::string>() != kFormatName) {
        throw EDesignFileError(
            path, "not a design: key \"format\" must be \"" + std::string(kFormatName) + "\"");
    }
    const auto version = root.find("version");
    if (version == root.end() || !version->is_number_integer()) {
        throw EDesignFileError(path, "key \"version\" must be a whole number");
    }
    if (version->is_number_unsigned() && version->get<std::uint64_t>() > kVersion) {
        throw EDesignFileError(path, "version " + Dump(*version) +
                                         " is newer than this program reads (" +
                                         std::to_string(kVersion) + ")");
    }
    if (version->get<std::int64_t>() < 1) {
        throw EDesignFileError(path, "version " + Dump(*version) + " does not exist");
    }
}

// The whole file, refused unread when it is no regular file (a FIFO would block for ever) or
// larger than kMaxFileBytes, so that no more is ever held.
std::string ReadBounded(const std::string& path) {
    try {
        return base::ReadRegularFile(path, kMaxFileBytes);
    } catch (const base::EFileReadError& error) {
        if (error.kind() == base::EFileReadError::Kind::TooLarge) {
            throw EDesignFileError(path, "larger than 1 MB (" + std::to_string(kMaxFileBytes) +
                                             " bytes); a design file is far smaller");
        }
        throw EDesignFileError(path, error.what());
    }
}

}  // namespace

bool DiffersInContent(const Design& a, const Design& b) {
    Design aLikeB = a;
    aLikeB.window = b.window;
    return aLikeB != b;
}

exporting::ExportAlignment AlignmentOf(const Design& design) {
    exporting::ExportAlignment alignment;
    alignment.apply = design.exportSettings.alignment;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        alignment.bands[b] = design.acoustic[b].band;
    }
    alignment.normalization = exporting::NormalizationNamed(design.exportSettings.normalize);
    alignment.correction.settings = CorrectionOf(design);
    return alignment;
}

acoustic::CorrectionSettings CorrectionOf(const Design& design) {
    const CorrectionFileSettings& c = design.correction;
    acoustic::CorrectionSettings settings;
    settings.bands = c.bands;
    settings.taps = c.taps;
    settings.tapsRateHz = design.exportSettings.countsRateHz;
    if (!c.defaultTargetLevel) {
        settings.target.levelDb = c.targetDb;
    }
    settings.target.tiltDbPerOctave = c.targetTiltDbPerOctave;
    settings.maxBoostDb = c.maxBoostDb;
    settings.smoothingOctaves = c.smoothingOctaves;
    settings.correctPhase = c.correctPhase;
    return settings;
}

const std::string& FieldText(const Design& design, dsp::CalcField field) {
    const CrossoverSettings& crossover = design.crossover;
    switch (field) {
        case dsp::CalcField::LowTapCount:
            return crossover.lowTaps;
        case dsp::CalcField::MidTapCount:
            return crossover.midTaps;
        case dsp::CalcField::HighTapCount:
            return crossover.highTaps;
        case dsp::CalcField::LowCross:
            return crossover.lowCut;
        case dsp::CalcField::MidCrossLow:
            return crossover.midLow;
        case dsp::CalcField::MidCrossHigh:
            return crossover.midHigh;
        case dsp::CalcField::HighCross:
            return crossover.highCut;
        case dsp::CalcField::Attenuation:
            return crossover.attenuation;
    }
    return crossover.attenuation;  // not reached: every field is listed above
}

std::string& FieldText(Design& design, dsp::CalcField field) {
    return const_cast<std::string&>(FieldText(std::as_const(design), field));
}

EDesignFileError::EDesignFileError(const std::string& path, const std::string& reason)
    : base::Error(base::FileMessage(path, "を読み込めません", reason)) {}

Design ParseDesign(std::string_view content, const std::string& path) {
    if (base::LooksLikeUtf16(content)) {
        throw EDesignFileError(path, std::string(base::kUtf16Refusal));
    }
    const Json root = ParseJson(content, path);
    CheckFormatAndVersion(root, path);
    Design design;
    const KeyReader reader(root, "", path);
    VisitKeys(reader, design);
    return design;
}

Design ReadDesignFile(const std::string& path) {
    Design design = ParseDesign(ReadBounded(path), path);
    for (DriverSettings& driver : design.acoustic) {
        driver.driverFile = ResolvedPath(driver.driverFile, path);
    }
    return design;
}

std::string DesignJson(const Design& design) {
    OrderedJson root = OrderedJson::object();
    root["format"] = std::string(kFormatName);
    root["version"] = kVersion;
    KeyWriter writer(root);
    VisitKeys(writer, design);
    return root.dump(2) + "\n";
}

std::string DesignFileText(const Design& design, const std::string& path) {
    Design written = design;
    for (DriverSettings& driver : written.acoustic) {
        driver.driverFile = RelativePath(driver.driverFile, path);
    }
    return DesignJson(written);
}

void WriteDesignFile(const std::string& path, const Design& design,
                     const std::vector<std::string>& inputs) {
    exporting::WriteTextFile(path, DesignFileText(design, path), inputs);
}

// Lexically, as the names stand: a design and its drivers are moved or shared as a folder, and a
// link should not make the path leave it.
std::string RelativePath(const std::string& file, const std::string& designPath) {
    if (file.empty()) {
        return file;
    }
    const fs::path absolute = fs::absolute(fs::path(file)).lexically_normal();
    const fs::path folder = fs::absolute(fs::path(designPath)).parent_path().lexically_normal();
    const fs::path relative = absolute.lexically_relative(folder);
    return (relative.empty() ? absolute : relative).generic_string();
}

std::string ResolvedPath(const std::string& stored, const std::string& designPath) {
    if (stored.empty() || fs::path(stored).is_absolute()) {
        return stored;
    }
    return (fs::path(designPath).parent_path() / stored).lexically_normal().string();
}

}  // namespace kc::design_file

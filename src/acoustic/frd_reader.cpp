// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/frd_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <system_error>

#include "base/file_read.h"
#include "base/message_text.h"

namespace kc::acoustic {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// A piece of the file as a message shows it (base::ShownText): escaped and shortened, so that
// garbage makes a readable message.
std::string Shown(std::string_view text) {
    return base::ShownText(text);
}

[[noreturn]] void RefuseSize(const std::string& name, std::uintmax_t bytes) {
    throw EDriverFileError(base::EscapedText(name) + ": " + std::to_string(bytes) +
                           " bytes, more than the 16 MB (" + std::to_string(kMaxFrdBytes) +
                           " bytes) a driver file may hold");
}

// Where the reader is: the file's name and the line, for the messages.
struct Place {
    const std::string& name;
    int32_t line = 0;

    [[noreturn]] void Refuse(const std::string& what) const {
        throw EDriverFileError(base::EscapedText(name) + ":" + std::to_string(line) + ": " + what);
    }
};

// The values of one data line, the first three kept, all counted.
struct Values {
    std::array<std::string_view, 3> first{};
    std::size_t count = 0;
    char separator = ' ';

    void Add(std::string_view value) {
        if (count < first.size()) {
            first[count] = value;
        }
        ++count;
    }
};

// Splits at `separator`, blanks around it allowed.
Values SplitAt(char separator, std::string_view line, const Place& place) {
    Values values;
    values.separator = separator;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        const std::string_view value = Trimmed(line.substr(start, end - start));
        if (value.empty()) {
            place.Refuse("value " + std::to_string(values.count + 1) + " is empty");
        }
        if (std::any_of(value.begin(), value.end(), IsBlank)) {
            place.Refuse(std::string("mixes '") + separator + "' and blanks between values");
        }
        values.Add(value);
        if (end == std::string_view::npos) {
            return values;
        }
        start = end + 1;
    }
}

// Splits at a comma or a semicolon, blanks around it allowed, or else at runs of blanks.
Values SplitValues(std::string_view line, const Place& place) {
    const bool comma = line.find(',') != std::string_view::npos;
    const bool semicolon = line.find(';') != std::string_view::npos;
    if (comma && semicolon) {
        place.Refuse("mixes ',' and ';' between values (the decimal point is '.', not ',')");
    }
    if (comma || semicolon) {
        return SplitAt(comma ? ',' : ';', line, place);
    }
    Values values;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i])) {
            ++i;
        }
        if (i > start) {
            values.Add(line.substr(start, i - start));
        }
    }
    return values;
}

void CheckValueCount(const Values& values, const Place& place) {
    if (values.count == 3) {
        return;
    }
    if (values.count == 1) {
        place.Refuse(
            "holds one value; a line needs frequency (Hz), magnitude (dB) and phase "
            "(degrees)");
    }
    if (values.count == 2) {
        place.Refuse(
            "has no phase column (frequency and magnitude only): a sum without phase "
            "would mislead");
    }
    std::string what = "holds " + std::to_string(values.count) +
                       " values where 3 belong (frequency Hz, magnitude dB, phase degrees)";
    if (values.separator == ',') {
        what += "; is ',' a decimal comma? The decimal point is '.'";
    }
    place.Refuse(what);
}

// A number as from_chars reads it in any locale ("." as the point, an exponent allowed), with
// one optional leading "+"; nothing when the text is not wholly a number within double's range.
std::optional<double> NumberOf(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

// Whether `text` is wholly a number that lies beyond double's range ("1e309").
bool IsOutOfRange(std::string_view text) {
    if (text.size() > 1 && text.front() == '+' && text[1] != '-') {
        text.remove_prefix(1);
    }
    double value = 0.0;
    const auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    return error == std::errc::result_out_of_range && end == text.data() + text.size();
}

double FiniteValue(std::string_view text, const char* what, const Place& place) {
    const std::optional<double> value = NumberOf(text);
    if (!value && IsOutOfRange(text)) {
        place.Refuse(std::string(what) + " " + Shown(text) + " is out of range");
    }
    if (!value) {
        place.Refuse(std::string(what) + " '" + Shown(text) + "' is not a number");
    }
    if (!std::isfinite(*value)) {
        place.Refuse(std::string(what) + " " + Shown(text) + " is not a finite number");
    }
    return *value;
}

// The points read so far, with the text of the last frequency for the message of the next.
struct Reading {
    DriverResponse driver;
    std::string lastFrequencyText;
    int32_t lastDataLine = 0;
};

void ReadPoint(const Values& values, const Place& place, Reading& reading) {
    const std::string_view fText = values.first[0];
    const double f = FiniteValue(fText, "frequency", place);
    if (!(f > 0.0)) {
        place.Refuse("frequency " + Shown(fText) + " is not positive");
    }
    std::vector<double>& frequencies = reading.driver.frequenciesHz;
    if (!frequencies.empty() && !(f > frequencies.back())) {
        place.Refuse("frequency " + Shown(fText) + " does not rise above " +
                     reading.lastFrequencyText);
    }
    const double level = FiniteValue(values.first[1], "magnitude", place);
    if (std::fabs(level) > kMaxFrdLevelDb) {
        place.Refuse("magnitude " + Shown(values.first[1]) + " dB lies outside -1000 ... 1000 dB");
    }
    const double phase = FiniteValue(values.first[2], "phase", place);
    if (std::fabs(phase) > kMaxFrdPhaseDeg) {
        place.Refuse("phase " + Shown(values.first[2]) +
                     " lies outside -10000000 ... 10000000 degrees");
    }
    frequencies.push_back(f);
    reading.driver.levelsDb.push_back(level);
    reading.driver.phasesDeg.push_back(phase);
    reading.lastFrequencyText = Shown(fText);
    reading.lastDataLine = place.line;
}

void ReadLine(std::string_view line, const Place& place, Reading& reading) {
    const std::string_view content = Trimmed(line);
    if (content.empty() || content.front() == '*' || content.front() == '#' ||
        content.front() == ';' || content.front() == '"') {
        return;
    }
    const Values values = SplitValues(content, place);
    // A line that does not start with a number is no data line with too few values: a heading
    // without its comment mark, or no text at all.
    if (!NumberOf(values.first[0]) && !IsOutOfRange(values.first[0])) {
        place.Refuse("frequency '" + Shown(values.first[0]) + "' is not a number");
    }
    CheckValueCount(values, place);
    ReadPoint(values, place, reading);
}

// Each phase moved by whole turns to within 180° of the one before: files give the phase wrapped
// into ±180° or unwrapped, and the interpolation needs it continuous. The step is reduced with
// remainder, which is exact, so no rounding of a quotient can leave a step above half a turn.
void Unwrap(std::vector<double>& phasesDeg) {
    for (std::size_t i = 1; i < phasesDeg.size(); ++i) {
        phasesDeg[i] = phasesDeg[i - 1] + std::remainder(phasesDeg[i] - phasesDeg[i - 1], 360.0);
    }
}

}  // namespace

DriverResponse ParseFrd(std::string_view text, const std::string& name) {
    if (text.size() > kMaxFrdBytes) {
        RefuseSize(name, text.size());
    }
    if (base::LooksLikeUtf16(text)) {
        throw EDriverFileError(base::EscapedText(name) + ": " + std::string(base::kUtf16Refusal));
    }
    if (text.starts_with(kByteOrderMark)) {
        text.remove_prefix(kByteOrderMark.size());
    }
    Reading reading;
    reading.driver.name = name;
    Place place{name};
    std::size_t start = 0;
    while (start < text.size()) {
        ++place.line;
        if (place.line > kMaxFrdLines) {
            place.Refuse("more than " + std::to_string(kMaxFrdLines) + " lines");
        }
        // A line ends with LF, CRLF or a CR alone (as older measurement programs save them).
        std::size_t end = text.find_first_of("\r\n", start);
        end = end == std::string_view::npos ? text.size() : end;
        ReadLine(text.substr(start, end - start), place, reading);
        start = end + (text.substr(end).starts_with("\r\n") ? 2 : 1);
    }
    const std::size_t points = reading.driver.frequenciesHz.size();
    if (points < 2) {
        place.line = points == 1 ? reading.lastDataLine : std::max(place.line, 1);
        place.Refuse(points == 1 ? "only one point; at least 2 are needed"
                                 : "no data: at least 2 lines of frequency, magnitude and phase "
                                   "are needed");
    }
    Unwrap(reading.driver.phasesDeg);
    return std::move(reading.driver);
}

DriverResponse ReadFrdFile(const std::string& path, const std::string& name) {
    std::string text;
    try {
        text = base::ReadRegularFile(path, kMaxFrdBytes);
    } catch (const base::EFileReadError& error) {
        if (error.kind() == base::EFileReadError::Kind::TooLarge) {
            RefuseSize(name, error.bytes());
        }
        throw EDriverFileError(base::EscapedText(name) + ": cannot be read (" + error.what() + ")");
    }
    return ParseFrd(text, name);
}

}  // namespace kc::acoustic

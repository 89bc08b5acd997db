// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/frd_reader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <system_error>

#include "acoustic/minimum_phase.h"
#include "base/file_read.h"
#include "base/message_text.h"
#include "base/text_convert.h"

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
    bool decimalComma = false;  // a comma in a value is its decimal point

    void Add(std::string_view value) {
        if (count < first.size()) {
            first[count] = value;
        }
        ++count;
    }
};

// Splits at `separator`, blanks around it allowed; one separator at the end of the line is no
// value (spreadsheets write one).
Values SplitAt(char separator, std::string_view line, const Place& place) {
    Values values;
    values.separator = separator;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = line.find(separator, start);
        const std::string_view value = Trimmed(line.substr(start, end - start));
        if (value.empty() && end == std::string_view::npos && values.count > 0) {
            return values;
        }
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

// Calls `visit` with each run of non-blank characters of the line, in order.
template <typename Visit>
void ForEachWord(std::string_view line, Visit visit) {
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
            visit(line.substr(start, i - start));
        }
    }
}

Values SplitAtBlanks(std::string_view line) {
    Values values;
    ForEachWord(line, [&](std::string_view word) { values.Add(word); });
    return values;
}

// Whether a line with commas and blanks has the blanks between its values and the commas inside
// them ("10,5 -3,2 45,0"), rather than commas between values with blanks around them
// ("10, -3.2, 45").
bool HasDecimalCommasBetweenBlanks(std::string_view line) {
    std::size_t words = 0;
    bool commaAtAnEnd = false;
    ForEachWord(line, [&](std::string_view word) {
        commaAtAnEnd = commaAtAnEnd || word.front() == ',' || word.back() == ',';
        ++words;
    });
    return !commaAtAnEnd && words >= 2;
}

// Splits at semicolons (commas in values are decimal commas), at commas, or else at runs of
// blanks (commas in values decimal commas again).
Values SplitValues(std::string_view line, const Place& place) {
    const bool comma = line.find(',') != std::string_view::npos;
    if (line.find(';') != std::string_view::npos) {
        Values values = SplitAt(';', line, place);
        values.decimalComma = comma;
        return values;
    }
    if (comma && !HasDecimalCommasBetweenBlanks(line)) {
        return SplitAt(',', line, place);
    }
    Values values = SplitAtBlanks(line);
    values.decimalComma = comma;
    return values;
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

// The text from_chars reads: a decimal comma becomes the point. A value with both is refused:
// "1.000,5" is a thousands separator, which no measurement file needs.
std::string NumberText(std::string_view text, bool decimalComma, const char* what,
                       const Place& place) {
    std::string number(text);
    if (decimalComma && number.find(',') != std::string::npos) {
        if (number.find('.') != std::string::npos) {
            place.Refuse(std::string(what) + " '" + Shown(text) +
                         "' mixes a decimal comma and a point");
        }
        std::replace(number.begin(), number.end(), ',', '.');
    }
    return number;
}

double FiniteValue(std::string_view shownText, bool decimalComma, const char* what,
                   const Place& place) {
    const std::string text = NumberText(shownText, decimalComma, what, place);
    const std::optional<double> value = NumberOf(text);
    if (!value && IsOutOfRange(text)) {
        place.Refuse(std::string(what) + " " + Shown(shownText) + " is out of range");
    }
    if (!value) {
        place.Refuse(std::string(what) + " '" + Shown(shownText) + "' is not a number");
    }
    if (!std::isfinite(*value)) {
        place.Refuse(std::string(what) + " " + Shown(shownText) + " is not a finite number");
    }
    return *value;
}

// The points read so far, with the text of the last frequency for the message of the next.
struct Reading {
    DriverResponse driver;
    std::string lastFrequencyText;
    int32_t lastDataLine = 0;
    int32_t firstDataLine = 0;
    std::size_t columns = 0;  // of the first data line; every other has as many
    std::string header;       // the last line of words before the data, if any
    int32_t headerLines = 0;
    bool decimalComma = false;
};

void CheckValueCount(const Values& values, const Place& place, const Reading& reading) {
    if (values.count == 1) {
        place.Refuse(
            "holds one value; a line needs frequency (Hz) and magnitude (dB), and phase "
            "(degrees) where the file has it");
    }
    if (reading.columns != 0 && values.count != reading.columns) {
        place.Refuse("holds " + std::to_string(values.count) + " values where line " +
                     std::to_string(reading.firstDataLine) + " holds " +
                     std::to_string(reading.columns));
    }
}

void ReadPoint(const Values& values, const Place& place, Reading& reading) {
    const std::string_view fText = values.first[0];
    const double f = FiniteValue(fText, values.decimalComma, "frequency", place);
    if (!(f > 0.0)) {
        place.Refuse("frequency " + Shown(fText) + " is not positive");
    }
    std::vector<double>& frequencies = reading.driver.frequenciesHz;
    if (!frequencies.empty() && !(f > frequencies.back())) {
        place.Refuse("frequency " + Shown(fText) + " does not rise above " +
                     reading.lastFrequencyText);
    }
    const double level = FiniteValue(values.first[1], values.decimalComma, "magnitude", place);
    if (std::fabs(level) > kMaxFrdLevelDb) {
        place.Refuse("magnitude " + Shown(values.first[1]) + " dB lies outside -1000 ... 1000 dB");
    }
    if (values.count >= 3) {
        const double phase = FiniteValue(values.first[2], values.decimalComma, "phase", place);
        if (std::fabs(phase) > kMaxFrdPhaseDeg) {
            place.Refuse("phase " + Shown(values.first[2]) +
                         " lies outside -10000000 ... 10000000 degrees");
        }
        reading.driver.phasesDeg.push_back(phase);
    }
    frequencies.push_back(f);
    reading.driver.levelsDb.push_back(level);
    reading.lastFrequencyText = Shown(fText);
    reading.lastDataLine = place.line;
    reading.decimalComma = reading.decimalComma || values.decimalComma;
}

// A header: lines of words before the data, such as "Freq(Hz) SPL(dB) Phase(deg)",
// "Frequency;Magnitude" or an older export's "Dated: 05-Mar-2005 17:53:56": each starts with a
// letter, its first word is no number ("inf", "nan" are) and it holds no control character but
// tabs.
bool IsHeader(std::string_view content) {
    // An ASCII letter, whatever the locale.
    const auto lower = static_cast<unsigned char>(content.front() | 0x20);
    if (lower < 'a' || lower > 'z') {
        return false;
    }
    const std::string_view word = content.substr(0, content.find_first_of(" \t,;"));
    if (NumberOf(word) || IsOutOfRange(word)) {
        return false;
    }
    return std::none_of(content.begin(), content.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return c != '\t' && (u < 0x20 || u == 0x7F);
    });
}

void ReadLine(std::string_view line, const Place& place, Reading& reading) {
    const std::string_view content = Trimmed(line);
    if (content.empty() || content.front() == '*' || content.front() == '#' ||
        content.front() == ';' || content.front() == '"') {
        return;
    }
    if (reading.columns == 0 && IsHeader(content)) {
        reading.header = std::string(content);
        ++reading.headerLines;
        return;
    }
    const Values values = SplitValues(content, place);
    // A line that does not start with a number is no data line with too few values: a heading
    // among the data, or no text at all.
    if (!NumberOf(NumberText(values.first[0], values.decimalComma, "frequency", place)) &&
        !IsOutOfRange(values.first[0])) {
        place.Refuse("frequency '" + Shown(values.first[0]) + "' is not a number");
    }
    CheckValueCount(values, place, reading);
    if (reading.columns == 0) {
        reading.columns = values.count;
        reading.firstDataLine = place.line;
    }
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

std::string HzText(double hz) {
    return hz >= 1000.0 ? base::FixedPointText(hz / 1000.0, 2) + " kHz"
                        : base::FixedPointText(hz, 1) + " Hz";
}

// The first place where the unwrapped phase steps by more than kMaxPhaseStepDeg, and how many
// such places there are: a warning, since such a file's phase between the points is a guess.
void WarnOfPhaseSteps(DriverResponse& driver) {
    const std::vector<double>& phases = driver.phasesDeg;
    std::size_t first = 0;
    std::size_t count = 0;
    for (std::size_t i = 1; i < phases.size(); ++i) {
        if (std::fabs(phases[i] - phases[i - 1]) > kMaxPhaseStepDeg) {
            first = count == 0 ? i : first;
            ++count;
        }
    }
    if (count == 0) {
        return;
    }
    std::string warning = "the phase steps by " +
                          base::FixedPointText(std::fabs(phases[first] - phases[first - 1]), 0) +
                          "° between " + HzText(driver.frequenciesHz[first - 1]) + " and " +
                          HzText(driver.frequenciesHz[first]);
    if (count > 1) {
        warning += " (and at " + std::to_string(count - 1) + " more points)";
    }
    warning += ": the points are too far apart for its delay, the phase from " +
               HzText(driver.frequenciesHz[first - 1]) + " up may be wrong";
    driver.warnings.push_back(std::move(warning));
}

std::string ColumnsText(std::size_t columns) {
    if (columns == 2) {
        return "columns 1-2 (frequency, magnitude): minimum phase derived";
    }
    std::string text = "columns 1-3";
    if (columns > 3) {
        text += " of " + std::to_string(columns);
    }
    return text + " (frequency, magnitude, phase)";
}

std::string ReadingText(const Reading& reading, std::string_view encoding) {
    std::string text = "text, " + ColumnsText(reading.columns);
    if (reading.decimalComma) {
        text += ", decimal commas";
    }
    if (!reading.header.empty()) {
        text += ", header '" + base::ShownText(reading.header, 40) + "'";
        if (reading.headerLines > 1) {
            text += " (last of " + std::to_string(reading.headerLines) + " lines)";
        }
    }
    if (!encoding.empty()) {
        text += ", " + std::string(encoding);
    }
    return text;
}

void AppendUtf8(std::string& out, uint32_t codePoint) {
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// UTF-16 text after its mark as UTF-8; a surrogate without its partner becomes U+FFFD, which no
// number holds, so that a data line with one is refused as not a number and a comment keeps it.
std::string Utf8OfUtf16(std::string_view bytes, bool bigEndian) {
    const auto unitAt = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return bigEndian ? static_cast<uint32_t>(a << 8 | b) : static_cast<uint32_t>(b << 8 | a);
    };
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        uint32_t unit = unitAt(i);
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < bytes.size() && unitAt(i + 2) >= 0xDC00 &&
            unitAt(i + 2) < 0xE000) {
            unit = 0x10000 + ((unit - 0xD800) << 10) + (unitAt(i + 2) - 0xDC00);
            i += 2;
        } else if (unit >= 0xD800 && unit < 0xE000) {
            unit = 0xFFFD;
        }
        AppendUtf8(out, unit);
    }
    return out;
}

}  // namespace

bool IsPlainFrd(const DriverResponse& driver) {
    return driver.kind == DriverKind::FrequencyResponse && !driver.minimumPhase &&
           driver.warnings.empty() &&
           (driver.reading.empty() || driver.reading == "text, " + ColumnsText(3));
}

std::string KindText(const DriverResponse& driver) {
    std::string text = driver.kind == DriverKind::ImpulseResponse ? "impulse response"
                       : driver.minimumPhase ? "magnitude only: minimum phase derived"
                                             : "measured phase";
    const std::size_t warnings = driver.warnings.size();
    if (warnings > 0) {
        text += ", " + std::to_string(warnings) + (warnings == 1 ? " warning" : " warnings");
    }
    return text;
}

DriverResponse ParseFrd(std::string_view text, const std::string& name) {
    if (text.size() > kMaxFrdBytes) {
        RefuseSize(name, text.size());
    }
    std::string decoded;
    std::string_view encoding;
    if (text.starts_with("\xFF\xFE") || text.starts_with("\xFE\xFF")) {
        const bool bigEndian = text.starts_with("\xFE\xFF");
        if (text.size() % 2 != 0) {
            throw EDriverFileError(base::EscapedText(name) +
                                   ": UTF-16 text of an odd number of bytes (cut short?)");
        }
        decoded = Utf8OfUtf16(text.substr(2), bigEndian);
        text = decoded;
        encoding = bigEndian ? "UTF-16BE" : "UTF-16LE";
    } else if (base::LooksLikeUtf16(text)) {
        throw EDriverFileError(base::EscapedText(name) +
                               ": UTF-16 without a byte-order mark is not read: save the file as "
                               "UTF-8, or as UTF-16 with its mark");
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
                                 : "no data: at least 2 lines of frequency and magnitude (and "
                                   "phase) are needed");
    }
    DriverResponse& driver = reading.driver;
    if (reading.columns == 2) {
        driver.phasesDeg = MinimumPhaseDeg(driver.frequenciesHz, driver.levelsDb);
        driver.minimumPhase = true;
    } else {
        Unwrap(driver.phasesDeg);
        WarnOfPhaseSteps(driver);
    }
    driver.reading = ReadingText(reading, encoding);
    return std::move(reading.driver);
}

std::string ReadDriverBytes(const std::string& path, const std::string& name) {
    try {
        return base::ReadRegularFile(path, kMaxFrdBytes);
    } catch (const base::EFileReadError& error) {
        if (error.kind() == base::EFileReadError::Kind::TooLarge) {
            RefuseSize(name, error.bytes());
        }
        throw EDriverFileError(base::EscapedText(name) + ": cannot be read (" + error.what() + ")");
    }
}

DriverResponse ReadFrdFile(const std::string& path, const std::string& name) {
    return ParseFrd(ReadDriverBytes(path, name), name);
}

}  // namespace kc::acoustic

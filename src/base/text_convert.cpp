// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/text_convert.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <limits>
#include <system_error>
#include <utility>

#include "base/errors.h"

namespace kc::base {
namespace {

std::string& SeparatorSetting() {
    static std::string separator = ".";
    return separator;
}

bool IsDecimalDigit(char c) {
    return c >= '0' && c <= '9';
}

int HexDigitValue(char c) {
    if (IsDecimalDigit(c)) {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Reads a text from left to right; every reader below fails through the caller's raise function.
struct Cursor {
    std::string_view text;
    std::size_t pos = 0;

    bool AtEnd() const { return pos >= text.size(); }
    char Peek(std::size_t ahead = 0) const {
        return pos + ahead < text.size() ? text[pos + ahead] : '\0';
    }
    void SkipBlanks() {
        while (!AtEnd() && text[pos] == ' ') {
            ++pos;
        }
    }
    // Consumes "+" or "-" when present; returns true for "-".
    bool TakeSign() {
        const char c = Peek();
        if (c == '+' || c == '-') {
            ++pos;
            return c == '-';
        }
        return false;
    }
};

bool StartsHexadecimal(Cursor& in) {
    const char c = in.Peek();
    if (c == '$' || c == 'x' || c == 'X') {
        in.pos += 1;
        return true;
    }
    if (c == '0' && (in.Peek(1) == 'x' || in.Peek(1) == 'X')) {
        in.pos += 2;
        return true;
    }
    return false;
}

// Hexadecimal digits up to the end; the pattern must fit 32 bits (leading zeros do not count).
bool ReadHexPattern(Cursor& in, uint32_t& pattern) {
    uint64_t value = 0;
    if (in.AtEnd()) {
        return false;
    }
    for (; !in.AtEnd(); ++in.pos) {
        const int digit = HexDigitValue(in.Peek());
        if (digit < 0) {
            return false;
        }
        value = value * 16 + static_cast<uint64_t>(digit);
        if (value > 0xFFFFFFFFull) {
            return false;
        }
    }
    pattern = static_cast<uint32_t>(value);
    return true;
}

// Decimal digits up to the end; the magnitude may be at most `limit`.
bool ReadDecimalMagnitude(Cursor& in, uint64_t limit, uint64_t& magnitude) {
    uint64_t value = 0;
    if (in.AtEnd()) {
        return false;
    }
    for (; !in.AtEnd(); ++in.pos) {
        const char c = in.Peek();
        if (!IsDecimalDigit(c)) {
            return false;
        }
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) {
            return false;
        }
    }
    magnitude = value;
    return true;
}

// Ten to the power n (n >= 0). Powers up to 10^27 are exact in extended precision and are formed
// by exact multiplications; larger ones come from powl, infinite beyond the extended range.
long double PowerOfTen(int n) {
    if (n <= 27) {
        long double power = 1.0L;
        for (int i = 0; i < n; ++i) {
            power *= 10.0L;
        }
        return power;
    }
    return std::pow(10.0L, static_cast<long double>(n));
}

// mantissa * 10^exponent in extended precision, with the result infinite on overflow.
long double ScaleByPowerOfTen(long double mantissa, int64_t exponent) {
    if (mantissa == 0.0L) {
        return 0.0L;
    }
    if (exponent >= 0) {
        return mantissa * PowerOfTen(static_cast<int>(exponent));
    }
    // Very small scales are applied in steps so that a long mantissa is not lost to an infinite
    // divisor before it has been divided.
    constexpr int64_t kStep = 4000;
    while (-exponent > kStep && mantissa != 0.0L) {
        mantissa /= PowerOfTen(static_cast<int>(kStep));
        exponent += kStep;
    }
    return mantissa / PowerOfTen(static_cast<int>(-exponent));
}

struct DecimalNumber {
    long double mantissa = 0.0L;  // all mantissa digits as one integer
    int64_t fractionDigits = 0;   // digits read after the separator
    int64_t exponent = 0;         // signed exponent after "E"
};

// Digits, an optional separator and more digits; true when at least one digit or the separator
// was read.
bool ReadMantissa(Cursor& in, DecimalNumber& number) {
    bool readSomething = false;
    for (; IsDecimalDigit(in.Peek()); ++in.pos) {
        number.mantissa = number.mantissa * 10.0L + static_cast<long double>(in.Peek() - '0');
        readSomething = true;
    }
    const std::string& separator = DecimalSeparator();
    if (!in.AtEnd() && in.text.substr(in.pos).starts_with(separator)) {
        in.pos += separator.size();
        readSomething = true;
        for (; IsDecimalDigit(in.Peek()); ++in.pos) {
            number.mantissa = number.mantissa * 10.0L + static_cast<long double>(in.Peek() - '0');
            ++number.fractionDigits;
        }
    }
    return readSomething;
}

// "E" or "e", an optional sign and digits (none counts as 0); digits are read until their value
// reaches 500, so that the exponent stays small whatever the text holds.
void ReadExponent(Cursor& in, DecimalNumber& number) {
    if (in.Peek() != 'E' && in.Peek() != 'e') {
        return;
    }
    ++in.pos;
    const bool negative = in.TakeSign();
    int64_t value = 0;
    for (; IsDecimalDigit(in.Peek()) && value < 500; ++in.pos) {
        value = value * 10 + (in.Peek() - '0');
    }
    number.exponent = negative ? -value : value;
}

}  // namespace

int32_t StrToInt(std::string_view text) {
    Cursor in{text};
    in.SkipBlanks();
    const bool negative = in.TakeSign();
    if (StartsHexadecimal(in)) {
        uint32_t pattern = 0;
        if (!ReadHexPattern(in, pattern)) {
            RaiseNotAnInteger(text);
        }
        const uint32_t signedPattern = negative ? 0u - pattern : pattern;
        return static_cast<int32_t>(signedPattern);
    }
    const uint64_t limit = negative ? 2147483648ull : 2147483647ull;
    uint64_t magnitude = 0;
    if (!ReadDecimalMagnitude(in, limit, magnitude)) {
        RaiseNotAnInteger(text);
    }
    const int64_t value =
        negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return static_cast<int32_t>(value);
}

long double StrToFloat(std::string_view text) {
    Cursor in{text};
    in.SkipBlanks();
    const bool negative = in.TakeSign();
    DecimalNumber number;
    if (!ReadMantissa(in, number)) {
        RaiseNotAFloat(text);
    }
    ReadExponent(in, number);
    in.SkipBlanks();
    if (!in.AtEnd()) {
        RaiseNotAFloat(text);
    }
    const long double value =
        ScaleByPowerOfTen(number.mantissa, number.exponent - number.fractionDigits);
    if (!std::isfinite(value)) {
        RaiseNotAFloat(text);
    }
    return negative ? -value : value;
}

std::string IntToStr(int64_t value) {
    return std::to_string(value);
}

namespace {

// Adds one to a string of decimal digits, growing it on a carry out of the top digit.
void IncrementDigits(std::string& digits) {
    for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
        if (*it != '9') {
            ++*it;
            return;
        }
        *it = '0';
    }
    digits.insert(digits.begin(), '1');
}

// The value times 10^6 as a string of decimal digits, rounded by the rule of FormatFixed5_6.
std::string MillionthsDigits(double magnitude) {
    // 18 significant digits: d.ddddddddddddddddde±x, rounded to nearest from the binary value.
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                      std::chars_format::scientific, 17);
    const std::string_view form(buffer.data(),
                                static_cast<std::size_t>(result.ptr - buffer.data()));
    const std::size_t ePos = form.find('e');
    std::string significant(1, form[0]);
    significant.append(form.substr(2, ePos - 2));
    const int exponent = std::atoi(std::string(form.substr(ePos + 1)).c_str());

    // Digits kept: those before the point (exponent + 1) and six after it.
    const int kept = exponent + 1 + 6;
    const int available = static_cast<int>(significant.size());
    if (kept < 0) {
        return "0";
    }
    std::string digits = significant.substr(0, static_cast<std::size_t>(std::min(kept, available)));
    if (kept > available) {
        digits.append(static_cast<std::size_t>(kept - available), '0');
    } else if (significant[static_cast<std::size_t>(kept)] >= '5') {
        IncrementDigits(digits);
    }
    return digits.empty() ? "0" : digits;
}

}  // namespace

std::string FixedPointText(double value, int decimals) {
    // Room for the 309 integer digits of the largest double, its sign and the decimals.
    std::array<char, 400> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value,
                                      std::chars_format::fixed, decimals);
    std::string text(digits.data(), result.ec == std::errc() ? result.ptr : digits.data());
    if (text.starts_with('-') && text.find_first_not_of("-0.") == std::string::npos) {
        text.erase(0, 1);
    }
    return text;
}

std::string WithDecimalSeparator(std::string text) {
    const std::size_t point = text.find('.');
    if (point != std::string::npos) {
        text.replace(point, 1, DecimalSeparator());
    }
    return text;
}

std::string FormatFixed5_6(double value) {
    if (std::isnan(value)) {
        return "  NAN";
    }
    if (std::isinf(value)) {
        return value < 0 ? " -INF" : "  INF";
    }
    const std::string millionths = MillionthsDigits(std::fabs(value));
    // At least one digit before the separator: 0.000001 is "0000001" millionths.
    std::string digits(millionths.size() < 7 ? 7 - millionths.size() : 0, '0');
    digits.append(millionths);
    const bool isZero = digits.find_first_not_of('0') == std::string::npos;
    std::string text = (std::signbit(value) && !isZero) ? "-" : "";
    const std::size_t integerDigits = digits.size() - 6;
    text.append(digits, 0, integerDigits);
    text.append(DecimalSeparator());
    text.append(digits, integerDigits, 6);
    // Six decimals make every text at least eight characters long: the width of five never pads.
    return text;
}

const std::string& DecimalSeparator() {
    return SeparatorSetting();
}

void SetDecimalSeparator(std::string separator) {
    SeparatorSetting() = separator.empty() ? std::string(".") : std::move(separator);
}

ScopedDecimalSeparator::ScopedDecimalSeparator(std::string separator)
    : previous_(DecimalSeparator()) {
    SetDecimalSeparator(std::move(separator));
}

ScopedDecimalSeparator::~ScopedDecimalSeparator() {
    SetDecimalSeparator(std::move(previous_));
}

std::string LocaleDecimalSeparator() {
    locale_t locale = newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (locale == static_cast<locale_t>(nullptr)) {
        return ".";
    }
    const char* radix = nl_langinfo_l(RADIXCHAR, locale);
    std::string separator = (radix != nullptr && radix[0] != '\0') ? radix : ".";
    freelocale(locale);
    return separator;
}

}  // namespace kc::base

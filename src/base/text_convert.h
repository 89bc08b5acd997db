// SPDX-License-Identifier: GPL-3.0-or-later
// Conversions between field texts (UTF-8) and numbers. These are the only ways in which a field
// text becomes a number and a number becomes a text, so that every field accepts and rejects
// exactly the same forms.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kc::base {

// Integer conversion: leading blanks (U+0020 only), one optional sign directly before the number,
// then either decimal digits in -2147483648 ... 2147483647 or a hexadecimal number introduced by
// "$", "x", "X", "0x" or "0X" with at most eight significant digits that give the 32-bit pattern
// directly. Nothing may follow. Raises EConvertError ("'text' は整数ではありません") otherwise.
int32_t StrToInt(std::string_view text);

// Floating-point conversion: blanks, an optional sign, decimal digits with an optional decimal
// separator (the one of DecimalSeparator()), an optional exponent (its digits are read until their
// value reaches 500), trailing blanks. The result is extended precision; it may lie beyond the
// double range (StoreDouble then raises EOverflow). A text that does not follow the grammar, or
// whose value overflows the extended range, raises EConvertError
// ("'text' は浮動小数点数ではありません").
long double StrToFloat(std::string_view text);

// Plain decimal: a leading "-" for negatives, no plus sign, padding or grouping.
std::string IntToStr(int64_t value);

// The format "%5.6f": fixed point with six decimals after DecimalSeparator(), at least five
// characters wide. The digits come from the value's 18-significant-digit decimal form, cut after
// the sixth decimal, a remainder of one half or more rounding the magnitude up; a value that
// rounds to zero is written without a sign.
std::string FormatFixed5_6(double value);

// `value` in fixed-point notation with `decimals` digits after a full stop, whatever the locale:
// what files and command-line summaries hold. A value that rounds to zero has no minus sign
// ("0.00", not "-0.00").
std::string FixedPointText(double value, int decimals);

// `text` with its first full stop replaced by DecimalSeparator(): a number as the window shows it.
std::string WithDecimalSeparator(std::string text);

// The decimal separator used by both conversions and by FormatFixed5_6. A full stop until set.
const std::string& DecimalSeparator();

// Fixes the decimal separator for the rest of the run; an empty text means a full stop.
void SetDecimalSeparator(std::string separator);

// Sets the decimal separator (as SetDecimalSeparator) while it lives and puts the one before it
// back when it goes, so that a test that fails halfway leaves no separator behind.
class ScopedDecimalSeparator {
  public:
    explicit ScopedDecimalSeparator(std::string separator);
    ~ScopedDecimalSeparator();
    ScopedDecimalSeparator(const ScopedDecimalSeparator&) = delete;
    ScopedDecimalSeparator& operator=(const ScopedDecimalSeparator&) = delete;

  private:
    std::string previous_;
};

// The decimal separator of the user's locale (LC_ALL / LC_NUMERIC / LANG), or a full stop where
// the locale gives none or cannot be loaded. Does not change the process's locale.
std::string LocaleDecimalSeparator();

}  // namespace kc::base

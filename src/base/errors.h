// SPDX-License-Identifier: GPL-3.0-or-later
// The error kinds of Kaiser Crossover. Every fault that a calculation, a conversion or a redraw
// meets is raised as one of these, each with its fixed Japanese message (UTF-8). Only the
// application's error report turns them into something the user sees.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace kc::base {

// Common base of every error kind; what() is the UTF-8 message shown to the user.
class Error : public std::runtime_error {
  public:
    explicit Error(const std::string& message) : std::runtime_error(message) {}

    // The part of a design the error arose in ("high band"), where the code that met it knows,
    // else empty. It is not part of what(), so that the window shows its messages as they are; an
    // export names it after the message.
    const std::string& Where() const { return where_; }
    // Sets Where() unless it is set already: the innermost code that knows the part names it.
    void SetWhere(std::string_view where) {
        if (where_.empty()) {
            where_ = where;
        }
    }

  private:
    std::string where_;
};

// Runs work() and returns what it returns; an Error it raises gets `where` as its Where() (unless
// it has one) and is raised on.
template <class Work>
decltype(auto) RunMarkingWhere(std::string_view where, Work&& work) {
    try {
        return std::forward<Work>(work)();
    } catch (Error& error) {
        error.SetWhere(where);
        throw;
    }
}

// A field text is not an integer or not a floating-point number. Text() is the text as it was
// read, which the message quotes whole (a front end that shows texts from files shortens it).
class EConvertError : public Error {
  public:
    using Error::Error;
    EConvertError(const std::string& message, std::string_view text)
        : Error(message), text_(text) {}
    const std::string& Text() const { return text_; }

  private:
    std::string text_;
};

// An index outside a resizable array, or a truncation result beyond the 32-bit range.
class ERangeError : public Error {
  public:
    ERangeError();
};

// A signed 32-bit addition, subtraction or multiplication left the 32-bit range.
class EIntOverflow : public Error {
  public:
    EIntOverflow();
};

// 0/0, infinity minus infinity, square root or logarithm of a negative number, or truncation of a
// value outside the signed 64-bit range.
class EInvalidOp : public Error {
  public:
    EInvalidOp();
};

// A finite non-zero number divided by zero, or the logarithm of zero.
class EZeroDivide : public Error {
  public:
    EZeroDivide();
};

// A floating-point result too large for its destination.
class EOverflow : public Error {
  public:
    EOverflow();
};

// The memory for a tap array cannot be obtained.
class EOutOfMemory : public Error {
  public:
    EOutOfMemory();
};

namespace messages {
inline constexpr std::string_view kNotAnInteger = "'%s' は整数ではありません";
inline constexpr std::string_view kNotAFloat = "'%s' は浮動小数点数ではありません";
inline constexpr std::string_view kRangeError = "範囲チェックエラー";
inline constexpr std::string_view kIntOverflow = "整数のオーバーフロー";
inline constexpr std::string_view kInvalidOp = "不正な浮動小数点数演算命令";
inline constexpr std::string_view kZeroDivide = "0 による浮動小数点数除算";
inline constexpr std::string_view kOverflow = "浮動小数点数のオーバーフロー";
inline constexpr std::string_view kOutOfMemory = "メモリが足りません";
}  // namespace messages

// The integer conversion's failure, quoting the whole text as it was read.
[[noreturn]] void RaiseNotAnInteger(std::string_view text);

// The floating-point conversion's failure, quoting the whole text as it was read.
[[noreturn]] void RaiseNotAFloat(std::string_view text);

// An index outside its array, or a value that does not fit the 32 bits it must go into.
[[noreturn]] void RaiseRangeError();
// A signed 32-bit sum, difference or product beyond the 32-bit range.
[[noreturn]] void RaiseIntOverflow();
// 0/0, ∞/∞, a NaN, the root or logarithm of a negative number, a truncation beyond 64 bits.
[[noreturn]] void RaiseInvalidOp();
// A finite non-zero number divided by zero, or the logarithm of zero.
[[noreturn]] void RaiseZeroDivide();
// A floating-point result beyond the range of its destination.
[[noreturn]] void RaiseOverflow();
// Memory for a tap array (or the evaluation's work arrays) that cannot be obtained.
[[noreturn]] void RaiseOutOfMemory();

// The message as the error report shows it, with its full stop appended: a "." is added when the
// message is not empty and its last character's code is above that of the full stop (46).
std::string ReportTextWithFullStop(std::string_view message);

}  // namespace kc::base

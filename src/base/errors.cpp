// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/errors.h"

namespace kc::base {
namespace {

std::string Quote(std::string_view pattern, std::string_view text) {
    std::string message(pattern);
    message.replace(message.find("%s"), 2, text);
    return message;
}

}  // namespace

ERangeError::ERangeError() : Error(std::string(messages::kRangeError)) {}
EIntOverflow::EIntOverflow() : Error(std::string(messages::kIntOverflow)) {}
EInvalidOp::EInvalidOp() : Error(std::string(messages::kInvalidOp)) {}
EZeroDivide::EZeroDivide() : Error(std::string(messages::kZeroDivide)) {}
EOverflow::EOverflow() : Error(std::string(messages::kOverflow)) {}
EOutOfMemory::EOutOfMemory() : Error(std::string(messages::kOutOfMemory)) {}

void RaiseNotAnInteger(std::string_view text) {
    throw EConvertError(Quote(messages::kNotAnInteger, text), text);
}

void RaiseNotAFloat(std::string_view text) {
    throw EConvertError(Quote(messages::kNotAFloat, text), text);
}

void RaiseRangeError() {
    throw ERangeError();
}
void RaiseIntOverflow() {
    throw EIntOverflow();
}
void RaiseInvalidOp() {
    throw EInvalidOp();
}
void RaiseZeroDivide() {
    throw EZeroDivide();
}
void RaiseOverflow() {
    throw EOverflow();
}
void RaiseOutOfMemory() {
    throw EOutOfMemory();
}

std::string ReportTextWithFullStop(std::string_view message) {
    std::string text(message);
    // Compared as the code of the last character: every byte of a multi-byte UTF-8 character is
    // above 0x7F, so a Japanese ending counts as greater than the full stop, as it should.
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') {
        text += '.';
    }
    return text;
}

}  // namespace kc::base

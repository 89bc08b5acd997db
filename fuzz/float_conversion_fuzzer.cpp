// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the floating-point conversion of field texts: every text either converts to a finite
// extended value or fails with the conversion error quoting it whole; a value that fits a double
// converts back from its shortest decimal text to within rounding.
#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/errors.h"
#include "base/float_checks.h"
#include "base/text_convert.h"

namespace {

void CheckRoundTrip(long double value) {
    if (!(std::fabs(value) <= 1.7e308L)) {
        return;  // beyond the double range: storing raises EOverflow, checked elsewhere
    }
    const double stored = kc::base::StoreDouble(value);
    std::array<char, 64> buffer{};
    const auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), stored).ptr;
    const long double back = kc::base::StrToFloat(std::string(buffer.data(), end));
    // The conversion scales in extended precision and rounds twice; a few units in the last
    // place of a double are the most it may lose.
    if (std::fabs(back - stored) > 4e-16L * std::fabs(static_cast<long double>(stored)) + 1e-300L) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kc::base::SetDecimalSeparator(".");
    const std::string text(reinterpret_cast<const char*>(data), size);
    long double value = 0.0L;
    try {
        value = kc::base::StrToFloat(text);
    } catch (const kc::base::EConvertError& error) {
        // what() is a C string: a text holding a NUL byte shows up to that byte.
        const std::string expected = "'" + text + "' は浮動小数点数ではありません";
        if (std::string(error.what()) != expected.c_str()) {
            std::abort();
        }
        return 0;
    }
    if (!std::isfinite(value)) {
        std::abort();
    }
    CheckRoundTrip(value);
    return 0;
}

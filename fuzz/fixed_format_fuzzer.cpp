// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the "%5.6f" formatting: any double gives digits, the separator and exactly six
// decimals (or INF/NAN), and the text converts back to within half a millionth.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/text_convert.h"

namespace {

bool HasFixedShape(const std::string& text) {
    std::size_t i = text.starts_with('-') ? 1 : 0;
    const std::size_t point = text.find('.');
    if (point == std::string::npos || point == i || text.size() - point - 1 != 6) {
        return false;
    }
    for (; i < text.size(); ++i) {
        if (i != point && (text[i] < '0' || text[i] > '9')) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size != sizeof(double)) {
        return 0;
    }
    kc::base::SetDecimalSeparator(".");
    double value = 0.0;
    std::memcpy(&value, data, sizeof value);
    const std::string text = kc::base::FormatFixed5_6(value);
    if (!std::isfinite(value)) {
        return 0;
    }
    if (!HasFixedShape(text)) {
        std::abort();
    }
    const long double back = kc::base::StrToFloat(text);
    const long double allowed = 5.0000001e-7L + 1e-16L * std::fabs(static_cast<long double>(value));
    if (std::fabs(back - value) > allowed) {
        std::abort();
    }
    return 0;
}

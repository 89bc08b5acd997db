// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the integer conversion of field texts: every text either converts or fails with the
// conversion error quoting it whole, and a converted value survives a round trip through its
// decimal text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/errors.h"
#include "base/text_convert.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    int32_t value = 0;
    try {
        value = kc::base::StrToInt(text);
    } catch (const kc::base::EConvertError& error) {
        // what() is a C string: a text holding a NUL byte shows up to that byte.
        const std::string expected = "'" + text + "' は整数ではありません";
        if (std::string(error.what()) != expected.c_str()) {
            std::abort();
        }
        return 0;
    }
    if (kc::base::StrToInt(kc::base::IntToStr(value)) != value) {
        std::abort();
    }
    return 0;
}

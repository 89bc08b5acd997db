// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the design file reader: every content either gives a design or is refused with the
// design file error naming the file, in valid UTF-8 (it goes into a message box); a design that
// was read is written and read back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "design_file/design_file.h"

namespace {

constexpr std::string_view kRefusalStart = "'fuzz.kcx' を読み込めません: ";

// Whether `text` is well-formed UTF-8 (no overlong forms, surrogates or values above U+10FFFF).
bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80   ? 1
                                   : lead < 0xC2 ? 0
                                   : lead < 0xE0 ? 2
                                   : lead < 0xF0 ? 3
                                   : lead < 0xF5 ? 4
                                                 : 0;
        if (length == 0 || i + length > text.size()) {
            return false;
        }
        unsigned value = length == 1 ? lead : lead & (0x7Fu >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0u) != 0x80u) {
                return false;
            }
            value = (value << 6u) | (next & 0x3Fu);
        }
        const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
        if (overlong || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
            return false;
        }
        i += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    kc::design_file::Design design;
    try {
        design = kc::design_file::ParseDesign(content, "fuzz.kcx");
    } catch (const kc::design_file::EDesignFileError& error) {
        const std::string_view message = error.what();
        if (message.substr(0, kRefusalStart.size()) != kRefusalStart || !IsUtf8(message)) {
            std::abort();
        }
        return 0;
    }
    if (kc::design_file::ParseDesign(kc::design_file::DesignJson(design), "again.kcx") != design) {
        std::abort();
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the design file reader: every content either gives a design or is refused with the
// design file error naming the file, in valid UTF-8 without a control character (it goes into a
// message box and onto a terminal), whatever the file's name; a design that was read holds no
// control character in any text, an export name that is one file name, and is written and read
// back unchanged. An input whose first byte is below 0x20 gives that many of the next bytes as
// the file's name (a path may hold anything), the rest as the content.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "base/message_text.h"
#include "design_file/design_file.h"
#include "export/export_set.h"

namespace {

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

// Every text a design holds, as the reader checked it.
bool TextsAreClean(const kc::design_file::Design& design) {
    const auto& c = design.crossover;
    for (const std::string* text :
         {&c.lowTaps, &c.midTaps, &c.highTaps, &c.lowCut, &c.midLow, &c.midHigh, &c.highCut,
          &c.attenuation, &design.estimate.passBand, &design.estimate.stopBand,
          &design.exportSettings.name, &design.acoustic[0].driverFile,
          &design.acoustic[1].driverFile, &design.acoustic[2].driverFile}) {
        if (kc::base::HasControlCharacter(*text) || text->size() > kc::design_file::kMaxTextBytes) {
            return false;
        }
    }
    return kc::exporting::IsOneFileName(design.exportSettings.name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view content(reinterpret_cast<const char*>(data), size);
    std::string name = "fuzz.kcx";
    if (!content.empty() && static_cast<unsigned char>(content.front()) < 0x20) {
        const std::size_t length = std::min<std::size_t>(content.front(), content.size() - 1);
        name = std::string(content.substr(1, length));
        content.remove_prefix(1 + length);
    }
    kc::design_file::Design design;
    try {
        design = kc::design_file::ParseDesign(content, name);
    } catch (const kc::design_file::EDesignFileError& error) {
        const std::string_view message = error.what();
        const std::string start = "'" + kc::base::EscapedText(name) + "' を読み込めません: ";
        if (!message.starts_with(start) || !IsUtf8(message) ||
            kc::base::HasControlCharacter(message)) {
            std::abort();
        }
        return 0;
    }
    if (!TextsAreClean(design) ||
        kc::design_file::ParseDesign(kc::design_file::DesignJson(design), "again.kcx") != design) {
        std::abort();
    }
    return 0;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/message_text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <new>

#include "base/errors.h"

namespace kc::base {
namespace {

constexpr std::string_view kEllipsis = "…";

// The length of the well-formed UTF-8 character at the start of `text` (no overlong form, no
// surrogate, nothing above U+10FFFF) and its code point; a length of 0 for a malformed byte.
struct Utf8Character {
    std::size_t length = 0;
    char32_t codePoint = 0;
};

// The length of the character a byte leads, 0 for a byte that leads none.
std::size_t LengthLedBy(unsigned char lead) {
    return lead < 0x80   ? 1
           : lead < 0xC2 ? 0
           : lead < 0xE0 ? 2
           : lead < 0xF0 ? 3
           : lead < 0xF5 ? 4
                         : 0;
}

Utf8Character DecodeUtf8(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = LengthLedBy(lead);
    if (length == 0 || length > text.size()) {
        return {};
    }
    char32_t value = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(text[k]);
        if ((next & 0xC0u) != 0x80u) {
            return {};
        }
        value = (value << 6u) | (next & 0x3Fu);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    if (overlong || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF) {
        return {};
    }
    return {length, value};
}

// C0, DEL and C1: the characters a terminal takes as commands.
bool IsControl(char32_t codePoint) {
    return codePoint < 0x20 || (codePoint >= 0x7F && codePoint <= 0x9F);
}

void AppendEscaped(std::string_view bytes, std::string& shown) {
    for (const char byte : bytes) {
        std::array<char, 8> escaped{};
        std::snprintf(escaped.data(), escaped.size(), "\\x%02X", static_cast<unsigned char>(byte));
        shown += escaped.data();
    }
}

// Escapes `text` character by character, up to `maxCharacters` of them; "…" when more followed.
std::string Escape(std::string_view text, std::size_t maxCharacters) {
    std::string shown;
    std::size_t characters = 0;
    while (!text.empty()) {
        if (characters == maxCharacters) {
            return shown + std::string(kEllipsis);
        }
        const Utf8Character c = DecodeUtf8(text);
        const std::size_t length = std::max<std::size_t>(c.length, 1);
        if (c.length == 0 || IsControl(c.codePoint)) {
            AppendEscaped(text.substr(0, length), shown);
        } else {
            shown += text.substr(0, length);
        }
        text.remove_prefix(length);
        ++characters;
    }
    return shown;
}

}  // namespace

bool HasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 0x20 || byte == 0x7F;
    });
}

std::string ShownText(std::string_view text, std::size_t maxCharacters) {
    return Escape(text, maxCharacters);
}

std::string EscapedText(std::string_view text) {
    return Escape(text, text.size());
}

// Built by appending: GCC 12 warns wrongly (-Wrestrict) about a chain of + on strings here.
std::string FileMessage(std::string_view path, std::string_view failure, std::string_view reason) {
    std::string text = "'";
    text += EscapedText(path);
    text += "' ";
    text += failure;
    text += ": ";
    text += reason;
    return text;
}

// Without a mark, UTF-16 of Latin text has a NUL in every other byte; four characters decide,
// since no UTF-8 text of a design or a measurement holds a NUL there.
bool LooksLikeUtf16(std::string_view content) {
    if (content.starts_with("\xFF\xFE") || content.starts_with("\xFE\xFF")) {
        return true;
    }
    constexpr std::size_t kBytesLooked = 8;
    if (content.size() < kBytesLooked) {
        return false;
    }
    const auto alternates = [&content](std::size_t nulParity) {
        for (std::size_t i = 0; i < kBytesLooked; ++i) {
            if ((content[i] == '\0') != (i % 2 == nulParity)) {
                return false;
            }
        }
        return true;
    };
    return alternates(0) || alternates(1);
}

std::string ErrorText(const std::exception& error) {
    if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
        return std::string(messages::kOutOfMemory);
    }
    return error.what();
}

}  // namespace kc::base

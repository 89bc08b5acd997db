// SPDX-License-Identifier: GPL-3.0-or-later
// Texts that come from others (design files, driver files, names and paths typed or given on the
// command line) as they are checked where they enter and as messages show them: a message never
// carries a control character from a file to a terminal or a message box, and never a text of
// unbounded length.
#pragma once

#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

namespace kc::base {

// How much of a text from a file a message shows.
inline constexpr std::size_t kShownCharacters = 60;

// Whether `text` holds a control character: U+0000 ... U+001F or U+007F (NUL, tab, line breaks
// and escape among them). Such a character has no place in a field text, a name or a path: a NUL
// cuts a path short where the system reads it, an escape drives the terminal.
bool HasControlCharacter(std::string_view text);

// `text` as a message shows it: each character that is printable UTF-8 as it stands, every
// control character (U+0000 ... U+001F, U+007F ... U+009F) and every byte that is not part of a
// well-formed UTF-8 character as \xNN, cut after `maxCharacters` characters with "…" appended.
std::string ShownText(std::string_view text, std::size_t maxCharacters = kShownCharacters);

// `text` with every control character and malformed byte escaped as ShownText does, but whole:
// for paths and messages whose length is bounded already.
std::string EscapedText(std::string_view text);

// "'PATH' FAILURE: REASON", the path escaped (EscapedText): the message of a file that could not
// be read or written.
std::string FileMessage(std::string_view path, std::string_view failure, std::string_view reason);

// Whether `content` (the start of a file) is UTF-16 text: a UTF-16 byte-order mark, or a NUL
// beside every other byte of its first characters, as a text editor's "Unicode" saves it.
bool LooksLikeUtf16(std::string_view content);

// The reason a UTF-16 file is refused, for the messages of every reader.
inline constexpr std::string_view kUtf16Refusal = "UTF-16 is not read: save the file as UTF-8";

// The message of an error as the program shows it: its own text, except for memory that could
// not be obtained (std::bad_alloc from anywhere), which gets the out-of-memory message of the
// program's error kinds.
std::string ErrorText(const std::exception& error);

}  // namespace kc::base

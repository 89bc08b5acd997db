// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a whole file that others made (a design, a driver measurement): only a regular file is
// read, it is refused at once when it is anything else (a FIFO would block the program for ever,
// a device would never end), and never more than a bound is held.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kc::base {

// Why a file was not read. what() is the reason as a message gives it after the file's name:
// the system's text ("No such file or directory"), "not a regular file but a FIFO", ...
class EFileReadError : public std::runtime_error {
  public:
    enum class Kind {
        System,      // the system refused to open or read it; what() is its reason
        NotRegular,  // a FIFO, a device, a socket or a folder
        TooLarge,    // more than the bound; bytes() says how many it holds (at least)
    };
    EFileReadError(Kind kind, const std::string& reason, std::uintmax_t bytes = 0)
        : std::runtime_error(reason), kind_(kind), bytes_(bytes) {}
    Kind kind() const { return kind_; }
    std::uintmax_t bytes() const { return bytes_; }

  private:
    Kind kind_;
    std::uintmax_t bytes_;
};

// What a file that is not a regular one is, for messages: "a folder", "a FIFO", "a device",
// "a socket"; `mode` is the st_mode of its status.
const char* FileKindText(unsigned mode);

// The whole content of the regular file at `path`, at most `maxBytes`. The file is opened without
// waiting (a FIFO without a writer does not block) and examined before a byte is read; it is
// then read to its end, whatever size it reported (files of /proc and /sys report none or a
// page, a file may shrink or grow meanwhile). Raises EFileReadError.
std::string ReadRegularFile(const std::string& path, std::size_t maxBytes);

}  // namespace kc::base

// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/file_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

namespace kc::base {
namespace {

[[noreturn]] void RaiseSystemError(int error) {
    throw EFileReadError(EFileReadError::Kind::System, std::strerror(error));
}

// Closes the descriptor when the reading ends, however it ends.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() { ::close(fd_); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

void CheckIsRegular(int fd, std::size_t maxBytes) {
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        RaiseSystemError(errno);
    }
    if (!S_ISREG(status.st_mode)) {
        throw EFileReadError(EFileReadError::Kind::NotRegular,
                             std::string("not a regular file but ") + FileKindText(status.st_mode));
    }
    if (static_cast<std::uintmax_t>(status.st_size) > maxBytes) {
        throw EFileReadError(EFileReadError::Kind::TooLarge, "too large",
                             static_cast<std::uintmax_t>(status.st_size));
    }
}

}  // namespace

const char* FileKindText(unsigned mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "no file of data";
}

std::string ReadRegularFile(const std::string& path, std::size_t maxBytes) {
    if (path.find('\0') != std::string::npos) {
        RaiseSystemError(EINVAL);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        RaiseSystemError(errno);
    }
    const Descriptor file(fd);
    CheckIsRegular(file.get(), maxBytes);
    std::string content;
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(file.get(), buffer.data(), buffer.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            RaiseSystemError(errno);
        }
        if (count == 0) {
            return content;
        }
        content.append(buffer.data(), static_cast<std::size_t>(count));
        if (content.size() > maxBytes) {
            throw EFileReadError(EFileReadError::Kind::TooLarge, "too large", content.size());
        }
    }
}

}  // namespace kc::base

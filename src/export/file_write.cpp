// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/file_write.h"

#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <random>
#include <stdexcept>

namespace kc::exporting {
namespace {

// A name beside the target, so that the final rename stays on one file system and is atomic.
std::string TemporaryPathFor(const std::string& path) {
    std::random_device device;
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(device() % 1000000);
}

std::runtime_error SystemError() {
    return std::runtime_error(std::strerror(errno));
}

}  // namespace

EFileWriteError::EFileWriteError(const std::string& path, const std::string& reason)
    : base::Error("'" + path + "' を書き込めません: " + reason) {}

AtomicFileSet::~AtomicFileSet() {
    for (const Staged& file : staged_) {
        std::remove(file.temporary.c_str());
    }
}

void AtomicFileSet::Add(const std::string& path, const FileWriter& writeTo) {
    const std::string temporary = TemporaryPathFor(path);
    try {
        writeTo(temporary);
    } catch (const std::exception& error) {
        std::remove(temporary.c_str());
        throw EFileWriteError(path, error.what());
    }
    staged_.push_back({path, temporary});
}

void AtomicFileSet::Commit() {
    while (!staged_.empty()) {
        const Staged& file = staged_.front();
        if (std::rename(file.temporary.c_str(), file.path.c_str()) != 0) {
            // The destructor removes this temporary and the ones after it.
            throw EFileWriteError(file.path, std::strerror(errno));
        }
        staged_.erase(staged_.begin());
    }
}

void WriteFileAtomically(const std::string& path, const FileWriter& writeTo) {
    AtomicFileSet set;
    set.Add(path, writeTo);
    set.Commit();
}

void WriteBytes(const std::string& path, const char* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        throw SystemError();
    }
    const bool written = std::fwrite(data, 1, size, file) == size && std::fflush(file) == 0;
    const int writeErrno = errno;
    if (std::fclose(file) != 0 && written) {
        throw SystemError();
    }
    if (!written) {
        errno = writeErrno;
        throw SystemError();
    }
}

void WriteTextFile(const std::string& path, const std::string& content) {
    WriteFileAtomically(path, [&content](const std::string& temporary) {
        WriteBytes(temporary, content.data(), content.size());
    });
}

void ReportOversizedWritesAsErrors() {
    std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace kc::exporting

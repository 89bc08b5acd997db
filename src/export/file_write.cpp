#include "export/file_write.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fstream>
#include <random>
#include <stdexcept>

namespace kc::exporting {
namespace {

// A name beside the target, so that the final rename stays on one file system and is atomic.
std::string TemporaryPathFor(const std::string& path) {
    std::random_device device;
    return path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(device() % 1000000);
}

}  // namespace

EFileWriteError::EFileWriteError(const std::string& path, const std::string& reason)
    : base::Error("'" + path + "' を書き込めません: " + reason) {}

void WriteFileAtomically(const std::string& path,
                         const std::function<void(const std::string& temporaryPath)>& writeTo) {
    const std::string temporary = TemporaryPathFor(path);
    try {
        writeTo(temporary);
    } catch (const std::exception& error) {
        std::remove(temporary.c_str());
        throw EFileWriteError(path, error.what());
    }
    if (std::rename(temporary.c_str(), path.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        std::remove(temporary.c_str());
        throw EFileWriteError(path, reason);
    }
}

void WriteTextFile(const std::string& path, const std::string& content) {
    WriteFileAtomically(path, [&content](const std::string& temporary) {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) {
            throw std::runtime_error(std::strerror(errno));
        }
        out << content;
        out.flush();
        if (!out) {
            throw std::runtime_error("write failed");
        }
    });
}

}  // namespace kc::exporting

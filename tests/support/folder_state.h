// SPDX-License-Identifier: GPL-3.0-or-later
// What a folder holds, hidden files included, as a failed or interrupted write must leave it: each
// entry's name with its kind, mode and a checksum of its bytes.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

#include "support/file_bytes.h"

namespace kc::testing_support {

// FNV-1a, 64 bits: any changed byte changes it.
inline std::uint64_t Checksum(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    }
    return hash;
}

// Name → "file 644 <checksum>", "folder", "link -> target" or "other".
inline std::map<std::string, std::string> FolderState(const std::filesystem::path& folder) {
    std::map<std::string, std::string> state;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string path = entry.path().string();
        struct stat status {};
        ::lstat(path.c_str(), &status);
        std::string& shown = state[entry.path().filename().string()];
        if (S_ISLNK(status.st_mode)) {
            shown = "link -> " + std::filesystem::read_symlink(entry.path()).string();
        } else if (S_ISDIR(status.st_mode)) {
            shown = "folder";
        } else if (S_ISREG(status.st_mode)) {
            char mode[8];
            std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(status.st_mode & 07777));
            shown = std::string("file ") + mode + " " + std::to_string(Checksum(ReadBytes(path)));
        } else {
            shown = "other";
        }
    }
    return state;
}

}  // namespace kc::testing_support

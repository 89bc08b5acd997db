// SPDX-License-Identifier: GPL-3.0-or-later
// The whole content of a file that a test wrote or an export left, as bytes.
#pragma once

#include <cstdio>
#include <string>

namespace kc::testing_support {

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return bytes;
    }
    char buffer[65536];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) {
        bytes.append(buffer, n);
    }
    std::fclose(file);
    return bytes;
}

}  // namespace kc::testing_support

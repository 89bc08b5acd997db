// SPDX-License-Identifier: GPL-3.0-or-later
// Splitting CSV text into lines and a line into cells, for tests that read exported files.
#pragma once

#include <istream>
#include <sstream>
#include <string>
#include <vector>

namespace kc::testing_support {

// The lines of a stream, without their line ends.
inline std::vector<std::string> Lines(std::istream& in) {
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

inline std::vector<std::string> Lines(const std::string& text) {
    std::istringstream in(text);
    return Lines(in);
}

// The comma-separated cells of one line.
inline std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) {
        cells.push_back(cell);
    }
    return cells;
}

}  // namespace kc::testing_support

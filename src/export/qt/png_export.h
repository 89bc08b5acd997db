// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures written as PNG files, through the same atomic write as the other exports.
#pragma once

#include <QImage>
#include <string>

namespace kc::exporting {

// Saves `image` to `path` as PNG as it stands (a temporary file of an atomic write, say); raises
// std::runtime_error when it cannot.
void SavePng(const QImage& image, const std::string& path);

// Writes `image` to `path` as PNG, atomically: on failure nothing is left at `path` beyond what
// was there, and EFileWriteError names the file.
void WritePngFile(const std::string& path, const QImage& image);

}  // namespace kc::exporting

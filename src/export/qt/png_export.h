// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures written as PNG files, through the same atomic write as the other exports.
#pragma once

#include <QImage>
#include <string>
#include <vector>

namespace kc::exporting {

// Saves `image` to `path` as PNG as it stands (a temporary file of an atomic write, say); raises
// std::runtime_error with the reason when it cannot.
void SavePng(const QImage& image, const std::string& path);

// Writes `image` to `path` as PNG, atomically: on failure nothing is left at `path` beyond what
// was there, and EFileWriteError names the file. `path` may not be one of `inputs`.
void WritePngFile(const std::string& path, const QImage& image,
                  const std::vector<std::string>& inputs = {});

}  // namespace kc::exporting

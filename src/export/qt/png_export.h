// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures as PNG files, written into the temporaries of an atomic write (export/file_write.h).
#pragma once

#include <QImage>
#include <string>

namespace kc::exporting {

// Saves `image` to `path` as PNG as it stands (a temporary file of an atomic write, say); raises
// std::runtime_error with the reason when it cannot.
void SavePng(const QImage& image, const std::string& path);

}  // namespace kc::exporting

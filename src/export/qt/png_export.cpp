// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/qt/png_export.h"

#include <QString>
#include <stdexcept>

#include "export/file_write.h"

namespace kc::exporting {

void SavePng(const QImage& image, const std::string& path) {
    if (!image.save(QString::fromStdString(path), "PNG")) {
        throw std::runtime_error("the PNG could not be written");
    }
}

void WritePngFile(const std::string& path, const QImage& image) {
    WriteFileAtomically(path,
                        [&image](const std::string& temporary) { SavePng(image, temporary); });
}

}  // namespace kc::exporting

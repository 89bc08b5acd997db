// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/qt/png_export.h"

#include <QBuffer>
#include <QByteArray>
#include <stdexcept>

#include "export/file_write.h"

namespace kc::exporting {

// Encoded in memory and written as bytes, so that a failed write names the system's reason (a
// full disk, a file-size limit) instead of the toolkit's bare failure.
void SavePng(const QImage& image, const std::string& path) {
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw std::runtime_error("the picture cannot be encoded as PNG");
    }
    WriteBytes(path, encoded.constData(), static_cast<std::size_t>(encoded.size()));
}

}  // namespace kc::exporting

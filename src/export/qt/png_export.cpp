#include "export/qt/png_export.h"

#include <QString>
#include <stdexcept>

#include "export/file_write.h"

namespace kc::exporting {

void WritePngFile(const std::string& path, const QImage& image) {
    WriteFileAtomically(path, [&image](const std::string& temporary) {
        if (!image.save(QString::fromStdString(temporary), "PNG")) {
            throw std::runtime_error("the PNG could not be written");
        }
    });
}

}  // namespace kc::exporting

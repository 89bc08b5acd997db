// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/dropped_files.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>
#include <algorithm>
#include <array>

#include "app/design_document.h"
#include "dsp/bands.h"

namespace kc::app {

bool HasDriverExtension(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    constexpr std::array<const char*, 4> kExtensions = {"frd", "txt", "csv", "wav"};
    return std::ranges::any_of(kExtensions, [&suffix](const char* extension) {
        return suffix.compare(QLatin1String(extension), Qt::CaseInsensitive) == 0;
    });
}

QStringList DroppedDriverFiles(const QMimeData* mime) {
    QStringList paths;
    if (mime == nullptr || !mime->hasUrls()) {
        return paths;
    }
    for (const QUrl& url : mime->urls()) {
        const QString path = url.toLocalFile();
        if (path.isEmpty() || !HasDriverExtension(path)) {
            return {};
        }
        paths.append(path);
    }
    return paths.size() <= static_cast<qsizetype>(dsp::kBandCount) ? paths : QStringList();
}

DroppedFiles ClassifyDrop(const QMimeData* mime) {
    const QString design = DesignFileIn(mime);
    if (!design.isEmpty()) {
        return {DropKind::Design, {design}};
    }
    QStringList drivers = DroppedDriverFiles(mime);
    if (!drivers.isEmpty()) {
        return {DropKind::Drivers, std::move(drivers)};
    }
    return {};
}

}  // namespace kc::app

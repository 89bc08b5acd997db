// SPDX-License-Identifier: GPL-3.0-or-later
// What a drag carries, by kind, so that both windows route it alike: one design file (.kcx)
// opens the design, one to three driver files go to the acoustic view.
#pragma once

#include <QString>
#include <QStringList>

class QMimeData;

namespace kc::app {

// Whether a file's name ends as a driver file's does (the acoustic view's chooser and the command
// line's: .frd, .txt, .csv, .wav, any case).
bool HasDriverExtension(const QString& path);

// The local paths of the dragged URLs when every one is a local driver file and there are one to
// as many as bands; empty otherwise.
QStringList DroppedDriverFiles(const QMimeData* mime);

enum class DropKind { Nothing, Design, Drivers };

struct DroppedFiles {
    DropKind kind = DropKind::Nothing;
    QStringList paths;  // the design file, or the driver files
};

// The design file (DesignFileIn) or the driver files a drag carries; Nothing for anything else.
DroppedFiles ClassifyDrop(const QMimeData* mime);

}  // namespace kc::app

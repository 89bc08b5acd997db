// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/screen_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace kc::app {

void SetBusyCursor() {
    // Qt keeps a stack of override cursors; one entry stands for crAppStart, so a nested busy
    // request only replaces its shape and one restore always brings the default back.
    if (QGuiApplication::overrideCursor() == nullptr) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::BusyCursor));
    } else {
        QGuiApplication::changeOverrideCursor(QCursor(Qt::BusyCursor));
    }
}

void SetDefaultCursor() {
    while (QGuiApplication::overrideCursor() != nullptr) {
        QGuiApplication::restoreOverrideCursor();
    }
}

bool BusyCursorIsSet() {
    return QGuiApplication::overrideCursor() != nullptr;
}

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/first_start_hint.h"

#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <utility>

namespace kc::app {

namespace {
const QString kUsedKey = QStringLiteral("hints/graphMenuUsed");
}  // namespace

FirstStartHint::FirstStartHint(QString settingsPath) : settingsPath_(std::move(settingsPath)) {
    if (!settingsPath_.isEmpty()) {
        used_ = QSettings(settingsPath_, QSettings::IniFormat).value(kUsedKey, false).toBool();
    }
}

QString FirstStartHint::Text() const {
    if (used_) {
        return {};
    }
    return QCoreApplication::translate(
        "FirstStartHint",
        "Right-click the graph (or press the Menu key) for its menu: copy, save and export, "
        "open and save design files (Ctrl+O, Ctrl+S); Ctrl+T shows the time and acoustic "
        "window.");
}

// QSettings writes its file whole through a temporary beside it, so a crash leaves the old one.
void FirstStartHint::Used() {
    if (used_) {
        return;
    }
    used_ = true;
    QSettings settings(settingsPath_, QSettings::IniFormat);
    settings.setValue(kUsedKey, true);
    settings.sync();
}

QString FirstStartHint::StandardPath() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    return folder.isEmpty() ? QString() : QDir(folder).filePath(QStringLiteral("first-start.ini"));
}

}  // namespace kc::app

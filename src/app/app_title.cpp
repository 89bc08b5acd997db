// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/app_title.h"

#include <QCoreApplication>
#include <QString>
#include <iterator>

namespace kc::app {

std::string TitleFromExecutablePath(std::string_view executablePath) {
    const QString path = QString::fromUtf8(executablePath.data(), std::ssize(executablePath));
    QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    const qsizetype fullStop = name.indexOf(QLatin1Char('.'));
    if (fullStop >= 0) {
        name.truncate(fullStop);
    }
    if (name.isEmpty()) {
        return {};
    }
    return (name.left(1) + name.mid(1).toLower()).toStdString();
}

std::string ApplicationTitle() {
    return TitleFromExecutablePath(QCoreApplication::applicationFilePath().toStdString());
}

}  // namespace kc::app

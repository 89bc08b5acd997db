// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace kc::app {

QString FilterSuffix(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([^ )]+)"));
    const QRegularExpressionMatch match = pattern.match(filter);
    return match.hasMatch() ? match.captured(1) : QString();
}

QString WithSuffix(const QString& path, const QString& suffix) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty()) {
        return path;
    }
    return path + QLatin1Char('.') + suffix;
}

ChosenFile ChooseSaveFileName(QWidget* owner, const QString& caption, const QStringList& filters) {
    // The desktop's own dialog keeps a list of recent files; the toolkit's dialog keeps its
    // folder history only in settings that live no longer than this run (see RunApplication).
    // Starting in the current folder every time, it shows nothing of earlier choices.
    QFileDialog dialog(owner, caption, QDir::currentPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The export asks once about every file it would replace, which may be more than this one.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(FilterSuffix(filters.value(0)));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog](const QString& filter) { dialog.setDefaultSuffix(FilterSuffix(filter)); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return {dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

ChosenFile ChooseOpenFileName(QWidget* owner, const QString& caption, const QStringList& filters) {
    QFileDialog dialog(owner, caption, QDir::currentPath());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return {dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()};
}

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/file_chooser.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

namespace kc::app {

namespace {

// What the dialogs of this run start from (only the window's thread opens dialogs).
struct DialogFolders {
    QString designFile;
    QString lastChosenFile;
};

DialogFolders& Folders() {
    static DialogFolders folders;
    return folders;
}

ChosenFile Remembered(const ChosenFile& chosen) {
    if (!chosen.path.isEmpty()) {
        Folders().lastChosenFile = chosen.path;
    }
    return chosen;
}

}  // namespace

QString StartFolder(const QString& designFile, const QString& lastChosenFile) {
    for (const QString& file : {designFile, lastChosenFile}) {
        if (!file.isEmpty()) {
            const QDir folder = QFileInfo(file).absoluteDir();
            if (folder.exists()) {
                return folder.absolutePath();
            }
        }
    }
    return QDir::currentPath();
}

void SetDesignFileForDialogs(const QString& designFile) {
    Folders().designFile = designFile;
}

QString DialogStartFolder() {
    return StartFolder(Folders().designFile, Folders().lastChosenFile);
}

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
    QFileDialog dialog(owner, caption, DialogStartFolder());
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
    return Remembered({dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()});
}

ChosenFile ChooseOpenFileName(QWidget* owner, const QString& caption, const QStringList& filters) {
    QFileDialog dialog(owner, caption, DialogStartFolder());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(filters);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return Remembered({dialog.selectedFiles().constFirst(), dialog.selectedNameFilter()});
}

}  // namespace kc::app

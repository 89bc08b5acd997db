// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/replace_question.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace kc::app {

bool AskToReplaceFiles(QWidget* owner, const QString& caption, const QStringList& existing) {
    QStringList shown;
    for (const QString& path : existing) {
        shown << QDir::toNativeSeparators(path);
    }
    QMessageBox box(QMessageBox::Warning, caption,
                    QStringLiteral("次のファイルを置き換えますか？  Replace these files?"),
                    QMessageBox::Yes | QMessageBox::No, owner);
    // A long list (an export at several rates writes dozens of files) shows its first files and
    // the whole list under the box's details.
    constexpr qsizetype kFilesShown = 8;
    box.setInformativeText(shown.mid(0, kFilesShown).join(QLatin1Char('\n')) +
                           (shown.size() > kFilesShown
                                ? QStringLiteral("\n… (%1 files in all)").arg(shown.size())
                                : QString()));
    if (shown.size() > kFilesShown) {
        box.setDetailedText(shown.join(QLatin1Char('\n')));
    }
    box.setDefaultButton(QMessageBox::No);
    box.setWindowModality(Qt::ApplicationModal);
    return box.exec() == QMessageBox::Yes;
}

QStringList ExistingFiles(const QStringList& paths) {
    QStringList existing;
    for (const QString& path : paths) {
        if (QFileInfo::exists(path)) {
            existing << path;
        }
    }
    return existing;
}

bool MayWriteFiles(const ReplaceQuestion& question, QWidget* owner, const QString& caption,
                   const QStringList& paths) {
    const QStringList existing = ExistingFiles(paths);
    return existing.isEmpty() || question(owner, caption, existing);
}

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/replace_question.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <utility>

#include "app/transient_note.h"

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

std::string LocalFileName(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

WriteGuard::WriteGuard(QWidget* owner, QString caption, ReplaceQuestion question,
                       std::function<void(const QString& text)> say)
    : owner_(owner),
      caption_(std::move(caption)),
      question_(std::move(question)),
      say_(std::move(say)),
      wrote_([say = say_](const QStringList& paths) { say(WrittenFilesNote(paths)); }) {}

bool WriteGuard::Write(const std::vector<std::string>& files,
                       const std::vector<std::string>& inputs, const Filler& fill, Ask ask) const {
    exporting::AtomicFileSet set(files, inputs);
    QStringList paths;
    for (const std::string& file : files) {
        paths << QFile::decodeName(file.c_str());
    }
    const QStringList existing = ExistingFiles(paths);
    if (ask == Ask::BeforeReplacing && !existing.isEmpty() &&
        !question_(owner_, caption_, existing)) {
        return false;
    }
    fill(set);
    set.Commit();
    wrote_(paths);
    return true;
}

bool WriteGuard::WriteFile(const QString& path, const std::vector<std::string>& inputs,
                           const exporting::FileWriter& write, Ask ask) const {
    const std::string file = LocalFileName(path);
    return Write(
        {file}, inputs, [&](exporting::AtomicFileSet& set) { set.Write(file, write); }, ask);
}

void WriteGuard::Say(const QString& text) const {
    say_(text);
}

WriteGuard WriteGuard::AskingWith(ReplaceQuestion question) const {
    WriteGuard guard = *this;
    if (question) {
        guard.question_ = std::move(question);
    }
    return guard;
}

WriteGuard WriteGuard::SayingWrittenWith(WrittenNote wrote) const {
    WriteGuard guard = *this;
    guard.wrote_ = std::move(wrote);
    return guard;
}

}  // namespace kc::app

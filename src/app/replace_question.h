// SPDX-License-Identifier: GPL-3.0-or-later
// The question an export asks before it replaces files, made replaceable so that tests answer
// it, and the guard that every file the window writes goes through: the files checked and locked
// as one set, one question naming all the files it would replace, and a note of what was written.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "export/file_write.h"

namespace kc::app {

// Asks whether the existing files `existing` (full paths, at least one) may be replaced; true
// replaces them all, false writes nothing.
using ReplaceQuestion =
    std::function<bool(QWidget* owner, const QString& caption, const QStringList& existing)>;

// The toolkit's modal question over owner, captioned caption: "次のファイルを置き換えますか？
// Replace these files?" and each file on a line of its own, with the buttons Yes and No, No
// being the default.
bool AskToReplaceFiles(QWidget* owner, const QString& caption, const QStringList& existing);

// The files among paths that exist now, in the order given.
QStringList ExistingFiles(const QStringList& paths);

// A path as the window shows it, as the system names the file.
std::string LocalFileName(const QString& path);

// How a window writes files: each write is one exporting::AtomicFileSet, so that every target is
// checked (and its folder locked) before the user is asked anything: a file that may not be
// written is refused at once, and what the question names is what will be replaced. Then one
// question names every target that exists, the files are written and committed together, and
// the window says what was written. Copies share the window's question and note.
class WriteGuard {
  public:
    using Filler = std::function<void(exporting::AtomicFileSet& set)>;
    using WrittenNote = std::function<void(const QStringList& paths)>;
    enum class Ask {
        BeforeReplacing,  // the question, when a target exists
        Never,            // the design's own file, saved again
    };

    // Asks `question` over `owner` with `caption`; says what was written with
    // say(WrittenFilesNote(paths)) (transient_note.h).
    WriteGuard(QWidget* owner, QString caption, ReplaceQuestion question,
               std::function<void(const QString& text)> say);

    // Writes `files` (as the system names them) as one set, none of which may be one of
    // `inputs`: checks them all (EFileWriteError naming the first that cannot be written; nothing
    // is asked or written), asks once before replacing those that exist, lets `fill` write each
    // into the set, commits it and says what was written. False, with nothing written, when the
    // user keeps the files; a failure raises EFileWriteError with every file as it was.
    bool Write(const std::vector<std::string>& files, const std::vector<std::string>& inputs,
               const Filler& fill, Ask ask = Ask::BeforeReplacing) const;
    // Write for one file, given as the window shows it, that `write` fills.
    bool WriteFile(const QString& path, const std::vector<std::string>& inputs,
                   const exporting::FileWriter& write, Ask ask = Ask::BeforeReplacing) const;

    // Says `text` where the guard says what was written (a note of something else done, such as
    // the graph copied).
    void Say(const QString& text) const;

    // This guard asking `question` instead (when it is set), or saying what was written with
    // `wrote` instead of the window's note (the export dialog, in its own status line).
    WriteGuard AskingWith(ReplaceQuestion question) const;
    WriteGuard SayingWrittenWith(WrittenNote wrote) const;

  private:
    QWidget* owner_;
    QString caption_;
    ReplaceQuestion question_;
    std::function<void(const QString& text)> say_;
    WrittenNote wrote_;
};

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
// The question an export asks before it replaces files, made replaceable so that tests answer
// it. Every export of the window asks it once, naming all the files it would replace.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

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

// Whether an export may write `paths`: true when none of them exists, else the answer of
// `question` about those that do, asked once over owner.
bool MayWriteFiles(const ReplaceQuestion& question, QWidget* owner, const QString& caption,
                   const QStringList& paths);

}  // namespace kc::app

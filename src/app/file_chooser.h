// SPDX-License-Identifier: GPL-3.0-or-later
// The choice of a file to write or to read, made replaceable so that tests name the file instead
// of a user.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace kc::app {

// A file chosen for writing: its path and the name filter that was selected for it (one of the
// filters offered). An empty path when the user cancelled.
struct ChosenFile {
    QString path;
    QString filter;
};

// Asks for the name of a file to write, offering the name filters ("Text (*.ext)") in this order.
using FileNameChooser =
    std::function<ChosenFile(QWidget* owner, const QString& caption, const QStringList& filters)>;

// The folder a file dialog starts in: that of the design file, while the window has one, else
// that of the file last chosen in a dialog of this run, else the working folder. Both empty
// give the working folder.
QString StartFolder(const QString& designFile, const QString& lastChosenFile);
// The program's dialogs start in StartFolder of the design file named here (empty: none) and of
// the file last chosen in one of them.
void SetDesignFileForDialogs(const QString& designFile);
QString DialogStartFolder();

// The standard save dialog of the toolkit (its own widgets, not the desktop's), modal over owner,
// starting in DialogStartFolder(). It adds the selected filter's extension to a name without one.
// It does not ask before overwriting: the export asks once about every file it would replace.
ChosenFile ChooseSaveFileName(QWidget* owner, const QString& caption, const QStringList& filters);

// The standard open dialog of the toolkit, modal over owner, starting in DialogStartFolder(), for
// an existing file.
ChosenFile ChooseOpenFileName(QWidget* owner, const QString& caption, const QStringList& filters);

// The extension of a name filter's first pattern, without the dot: "png" for "PNG (*.png)";
// empty when it has none.
QString FilterSuffix(const QString& filter);

// path with ".suffix" appended when its file name has no extension.
QString WithSuffix(const QString& path, const QString& suffix);

}  // namespace kc::app

// The choice of a file to read, made replaceable so that tests name the file instead of a user.
#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>

namespace kc::app {

// Asks for an existing file to read, offering the name filters in this order; an empty path when
// the user cancelled.
using OpenFileChooser =
    std::function<QString(QWidget* owner, const QString& caption, const QStringList& filters)>;

// The toolkit's own open dialog (not the desktop's), modal over owner, starting in the current
// folder.
QString ChooseOpenFileName(QWidget* owner, const QString& caption, const QStringList& filters);

}  // namespace kc::app

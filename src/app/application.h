// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shut-down of the window: from the application object to the end of the message
// loop.
#pragma once

#include <QApplication>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <string>

#include "app/error_report.h"

namespace kc::app {

// Creates the application object. Where the toolkit cannot start (a display that is named but
// cannot be opened, no usable platform plugin) it would abort; instead failureLine is printed on
// standard error and the process ends at once with exit code 1. The toolkit's own messages while
// it starts are held back and printed only once it has started.
std::unique_ptr<QApplication> StartApplication(int& argc, char** argv,
                                               const std::string& failureLine);

// The program's icon, 32 x 32 pixels and larger.
QIcon ApplicationIcon();

// The top-left corner for a window whose frame is frameSize, in a screen's available area:
// centred where the window fits, and at the area's left or top edge along a side where it does
// not, so that the title bar is always on the screen.
QPoint WindowPlacement(const QRect& available, const QSize& frameSize);

// What the command line asks of the window, once the toolkit has taken its own options.
struct StartRequest {
    QString designPath;   // a design file to open once the window shows; empty for none
    int exitStatus = -1;  // 0 or more: exit at once with it (after help, version or a usage error)
};

// Reads `arguments` (the program's name first): at most one design file, or --help or --version,
// which print their text. A usage that is not understood prints its error and the usage to
// standard error and gives exit status 2.
StartRequest ParseStartArguments(const QStringList& arguments);

// Creates the main window Form1, shows it centred in the screen's available area and runs the
// message loop until it is closed; errors leaving its handlers go to reporter and the loop goes on.
// A designPath opens once the loop runs, as a drop on the window would: a file that is missing or
// refused is reported and the window stays, with its initial design. Returns the exit code, 0 after
// a normal close. Needs the application object.
int RunApplication(ErrorReporter reporter = ShowErrorBox, const QString& designPath = {});

}  // namespace kc::app

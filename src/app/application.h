// Start-up and shut-down of the window: from the application object to the end of the message
// loop.
#pragma once

#include <QApplication>
#include <QIcon>
#include <QPoint>
#include <QRect>
#include <QSize>
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

// Creates the main window Form1, shows it centred in the screen's available area and runs the
// message loop until it is closed; errors leaving its handlers go to reporter and the loop goes on.
// Returns the exit code, 0 after a normal close. Needs the application object.
int RunApplication(ErrorReporter reporter = ShowErrorBox);

}  // namespace kc::app

// Start-up and shut-down of the window: from the application object to the end of the message
// loop.
#pragma once

#include <QIcon>

#include "app/error_report.h"

namespace kc::app {

// The program's icon, 32 x 32 pixels and larger.
QIcon ApplicationIcon();

// Creates the main window Form1, shows it centred on the screen and runs the message loop until it
// is closed; errors leaving its handlers go to reporter and the loop goes on. Returns the exit
// code, 0 after a normal close. Needs the application object.
int RunApplication(ErrorReporter reporter = ShowErrorBox);

}  // namespace kc::app

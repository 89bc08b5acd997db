// SPDX-License-Identifier: GPL-3.0-or-later
// The screen cursor of the whole application.
#pragma once

namespace kc::app {

// crAppStart: the busy cursor (an arrow with an hourglass or spinner) over every window of the
// program until SetDefaultCursor. Setting it twice does not stack.
void SetBusyCursor();

// crDefault: the normal cursor of each control again.
void SetDefaultCursor();

// True while the busy cursor is set.
bool BusyCursorIsSet();

}  // namespace kc::app

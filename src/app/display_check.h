// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the program can open its window at all, checked before the toolkit starts, so that a
// missing display gives one clear line instead of a toolkit abort.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace kc::app {

// Reads an environment variable: its value, or nullptr when it is not set.
using EnvironmentLookup = std::function<const char*(const char* name)>;

// True when a display is named (DISPLAY or WAYLAND_DISPLAY not empty) or a toolkit platform is
// chosen explicitly (QT_QPA_PLATFORM set, for example to "offscreen").
bool HasGraphicalDisplay(const EnvironmentLookup& lookup);

// The line printed when there is no display.
inline constexpr std::string_view kNoDisplayMessage =
    "kaiser-crossover: a graphical display is needed (set DISPLAY or WAYLAND_DISPLAY, or run it "
    "inside a desktop session)";

// The line printed when a display is named but cannot be opened: the names that were set
// (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM), then the advice of kNoDisplayMessage.
std::string UnreachableDisplayMessage(const EnvironmentLookup& lookup);

}  // namespace kc::app

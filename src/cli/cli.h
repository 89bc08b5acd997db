// SPDX-License-Identifier: GPL-3.0-or-later
// The command-line companion: the window's calculation and estimate without a display, with
// exports of the coefficients, the response and the graph.
#pragma once

#include <QStringList>

namespace kc::cli {

// Exit statuses: 0 success, 1 an error of the calculation or of writing a file (its message on
// standard error as the window's error report shows it), 2 a usage error.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitError = 1;
inline constexpr int kExitUsage = 2;

// Runs the command line `arguments` (the program's name first) and returns the exit status.
int Run(const QStringList& arguments);

}  // namespace kc::cli

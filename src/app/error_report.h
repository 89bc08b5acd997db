// SPDX-License-Identifier: GPL-3.0-or-later
// The error report: the one place where an error that left a window handler becomes visible.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>
#include <string_view>

namespace kc::app {

// Shows one error to the user: caption (the application title) and text (the message with its
// full stop). The program's reporter is ShowErrorBox; tests put a recorder in its place.
using ErrorReporter =
    std::function<void(QWidget* owner, const QString& caption, const QString& text)>;

// A modal message box over owner with the stop (critical) icon and one OK button; returns when
// the user has closed it. The program's windows take no input meanwhile but are still repainted.
void ShowErrorBox(QWidget* owner, const QString& caption, const QString& text);

// Reports an error message: cancels a mouse capture, brings the default cursor back (so that the
// idle program never looks busy) and passes the caption and the message, with a "." appended by
// the report's rule, to the reporter.
void ReportError(const ErrorReporter& reporter, QWidget* owner, const QString& caption,
                 std::string_view message);

}  // namespace kc::app

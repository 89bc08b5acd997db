// SPDX-License-Identifier: GPL-3.0-or-later
// What the commands share: parsing with usage errors, and reporting errors as the window does.
#pragma once

#include <QCommandLineParser>
#include <QStringList>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kc::cli {

// Parses `arguments` with `parser` (which gets --help added). Returns -1 when the command should
// run, otherwise the exit status to return at once: 0 after printing help, kExitUsage after
// printing the parser's error and the usage to standard error.
int ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments);

// The parser's help with its usage line naming the program by its file name and the command,
// "Usage: kaiser-crossover-cli design [options]"; arguments[0] is "PROGRAM COMMAND".
QString CommandHelpText(const QCommandLineParser& parser, const QStringList& arguments);

// Runs `body`; an error of the program's kinds (or any other exception) is printed to standard
// error with the error report's full stop rule and gives kExitError.
int RunReportingErrors(const std::function<int()>& body);

void PrintLine(const std::string& line);

std::string ToUtf8(const QString& text);

QString FromUtf8(std::string_view text);

// A whole option text as a number ("." as the point, whatever the locale) within [lowest,
// highest]; nothing otherwise.
std::optional<double> NumberIn(const QString& text, double lowest, double highest);

}  // namespace kc::cli

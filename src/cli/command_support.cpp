// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_support.h"

#include <QFileInfo>
#include <cstdio>
#include <exception>
#include <iterator>

#include "base/errors.h"
#include "cli/cli.h"

namespace kc::cli {

std::string ToUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

QString FromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), std::ssize(text));
}

void PrintLine(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
}

QString CommandHelpText(const QCommandLineParser& parser, const QStringList& arguments) {
    const QString programAndCommand = arguments.value(0);
    const QString program = programAndCommand.section(QLatin1Char(' '), 0, -2);
    const QString command = programAndCommand.section(QLatin1Char(' '), -1);
    const QString help = parser.helpText();
    return "Usage: " + QFileInfo(program).fileName() + " " + command + " [options]" +
           help.mid(help.indexOf(QLatin1Char('\n')));
}

int ParseCommandLine(QCommandLineParser& parser, const QStringList& arguments) {
    const QCommandLineOption help = parser.addHelpOption();
    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        std::fputs(ToUtf8(CommandHelpText(parser, arguments)).c_str(), stdout);
        return kExitSuccess;
    }
    QString problem = parsed ? QString() : parser.errorText();
    if (parsed && !parser.positionalArguments().isEmpty()) {
        problem = "Unexpected argument: " + parser.positionalArguments().first();
    }
    if (problem.isEmpty()) {
        return -1;
    }
    std::fprintf(stderr, "%s\n\n%s", ToUtf8(problem).c_str(),
                 ToUtf8(CommandHelpText(parser, arguments)).c_str());
    return kExitUsage;
}

int RunReportingErrors(const std::function<int()>& body) {
    try {
        return body();
    } catch (const std::exception& error) {
        std::fflush(stdout);
        std::fprintf(stderr, "%s\n", base::ReportTextWithFullStop(error.what()).c_str());
        return kExitError;
    }
}

}  // namespace kc::cli

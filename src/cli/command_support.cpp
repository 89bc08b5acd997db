// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/command_support.h"

#include <QFileInfo>
#include <charconv>
#include <cstdio>
#include <exception>
#include <iterator>

#include "base/errors.h"
#include "base/message_text.h"
#include "cli/cli.h"

namespace kc::cli {
namespace {

// Every text an option is given is checked where it enters: a control character has no place in
// a field text, a name or a path (a NUL would cut a file name short, an escape would reach the
// terminal in a message).
QString OptionWithControlCharacter(const QCommandLineParser& parser) {
    for (const QString& name : parser.optionNames()) {
        for (const QString& value : parser.values(name)) {
            if (base::HasControlCharacter(ToUtf8(value))) {
                return "--" + name + " holds a control character.";
            }
        }
    }
    return {};
}

// The window's message, with the text it quotes shortened (a field text from a design file may
// be thousands of characters long) and anything that would drive the terminal escaped.
std::string TerminalText(const std::exception& error) {
    std::string message = base::ErrorText(error);
    if (const auto* convert = dynamic_cast<const base::EConvertError*>(&error)) {
        const std::size_t at = message.find(convert->Text());
        if (!convert->Text().empty() && at != std::string::npos) {
            message.replace(at, convert->Text().size(), base::ShownText(convert->Text()));
        }
    }
    return base::EscapedText(base::ReportTextWithFullStop(message));
}

}  // namespace

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
    if (parsed && problem.isEmpty()) {
        problem = OptionWithControlCharacter(parser);
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
        std::fprintf(stderr, "%s\n", TerminalText(error).c_str());
        return kExitError;
    }
}

std::optional<double> NumberIn(const QString& text, double lowest, double highest) {
    const std::string utf8 = ToUtf8(text);
    const char* first = utf8.data() + (utf8.starts_with('+') ? 1 : 0);
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, utf8.data() + utf8.size(), value);
    if (error != std::errc() || end != utf8.data() + utf8.size() || !(value >= lowest) ||
        !(value <= highest)) {
        return std::nullopt;
    }
    return value;
}

}  // namespace kc::cli

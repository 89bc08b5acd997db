// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli.h"

#include <QCoreApplication>
#include <cstdio>

#include "cli/command_support.h"
#include "cli/design_command.h"
#include "cli/estimate_command.h"

namespace kc::cli {
namespace {

constexpr const char* kUsage =
    "Usage: kaiser-crossover-cli design [options]\n"
    "  or:  kaiser-crossover-cli estimate --pass HZ --stop HZ [options]\n"
    "  or:  kaiser-crossover-cli --help | --version\n"
    "Designs a three-way linear-phase FIR crossover with the Kaiser window, prints its summary "
    "and\n"
    "writes its coefficients, responses and pictures at any sample rate (design), or estimates "
    "the\n"
    "filter length for a transition band (estimate), without a display.\n"
    "Run 'kaiser-crossover-cli COMMAND --help' for the options of a command.\n";

}  // namespace

int Run(const QStringList& arguments) {
    const QString command = arguments.value(1);
    if (command == "--help" || command == "-h") {
        std::fputs(kUsage, stdout);
        return kExitSuccess;
    }
    if (command == "--version" || command == "-v") {
        PrintLine("kaiser-crossover-cli " + ToUtf8(QCoreApplication::applicationVersion()));
        return kExitSuccess;
    }
    // The command's own parser sees "PROGRAM COMMAND" as the program name, then its options.
    const QStringList rest = QStringList{arguments.value(0) + " " + command} + arguments.mid(2);
    if (command == "design") {
        return RunDesignCommand(rest);
    }
    if (command == "estimate") {
        return RunEstimateCommand(rest);
    }
    std::fprintf(stderr, "%s%s", command.isEmpty() ? "" : "Unknown command.\n", kUsage);
    return kExitUsage;
}

}  // namespace kc::cli

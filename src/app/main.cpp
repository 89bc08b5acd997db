// SPDX-License-Identifier: GPL-3.0-or-later
// Kaiser Crossover: starts the window, with the design file named on the command line, and runs
// it until it is closed.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <iterator>

#include "app/application.h"
#include "app/display_check.h"
#include "base/float_checks.h"
#include "base/text_convert.h"
#include "base/version.h"
#include "export/file_write.h"

int main(int argc, char* argv[]) {
    const auto environment = [](const char* name) -> const char* { return std::getenv(name); };
    if (!kc::app::HasGraphicalDisplay(environment)) {
        std::fprintf(stderr, "%s\n", kc::app::kNoDisplayMessage.data());
        return EXIT_FAILURE;
    }
    kc::base::SetFloatingPointMode();
    kc::exporting::ReportOversizedWritesAsErrors();
    kc::base::SetDecimalSeparator(kc::base::LocaleDecimalSeparator());
    // A display that is named but cannot be opened ends the program the same way, with exit code 1.
    const auto application =
        kc::app::StartApplication(argc, argv, kc::app::UnreachableDisplayMessage(environment));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.kaisercrossover.KaiserCrossover"));
    QGuiApplication::setWindowIcon(kc::app::ApplicationIcon());
    QCoreApplication::setApplicationVersion(
        QString::fromUtf8(kc::base::kVersion.data(), std::ssize(kc::base::kVersion)));
    // The toolkit has taken its own options (-platform, -display, ...) out of the arguments.
    const kc::app::StartRequest start = kc::app::ParseStartArguments(QCoreApplication::arguments());
    if (start.exitStatus >= 0) {
        return start.exitStatus;
    }
    return kc::app::RunApplication(kc::app::ShowErrorBox, start.designPath);
}

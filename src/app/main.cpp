// Kaiser Crossover: starts the window and runs it until it is closed.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/application.h"
#include "app/display_check.h"
#include "base/float_checks.h"
#include "base/text_convert.h"
#include "export/file_write.h"

int main(int argc, char* argv[]) {
    if (!kc::app::HasGraphicalDisplay([](const char* name) { return std::getenv(name); })) {
        std::fprintf(stderr, "%s\n", kc::app::kNoDisplayMessage.data());
        return EXIT_FAILURE;
    }
    kc::base::SetFloatingPointMode();
    kc::exporting::ReportOversizedWritesAsErrors();
    kc::base::SetDecimalSeparator(kc::base::LocaleDecimalSeparator());
    QApplication application(argc, argv);
    QGuiApplication::setDesktopFileName(QStringLiteral("kaiser-crossover"));
    QGuiApplication::setWindowIcon(kc::app::ApplicationIcon());
    return kc::app::RunApplication();
}

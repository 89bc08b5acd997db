// SPDX-License-Identifier: GPL-3.0-or-later
// kaiser-crossover-cli: the crossover calculation and the length estimate on the command line.
#include <QGuiApplication>
#include <QString>
#include <cstdio>
#include <iterator>
#include <string>

#include "base/float_checks.h"
#include "base/message_text.h"
#include "base/text_convert.h"
#include "base/version.h"
#include "cli/cli.h"
#include "export/file_write.h"

namespace {

// Standard error carries the program's own messages only: the toolkit's notes about its
// environment (a missing runtime folder, fonts) are not for the user of a command line.
void KeepToolkitNotesOffStandardError(QtMsgType type, const QMessageLogContext& /*context*/,
                                      const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

}  // namespace

int main(int argc, char** argv) {
    qInstallMessageHandler(KeepToolkitNotesOffStandardError);
    // The graph is rendered into images only; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    QCoreApplication::setApplicationName("kaiser-crossover-cli");
    QCoreApplication::setApplicationVersion(
        QString::fromUtf8(kc::base::kVersion.data(), std::ssize(kc::base::kVersion)));
    kc::base::SetFloatingPointMode();
    kc::exporting::ReportOversizedWritesAsErrors();
    // A second run writing into the same folder waits for the first, saying so.
    kc::exporting::WaitForOtherWriters([](const std::string& folder) {
        std::fprintf(stderr, "Waiting for another run writing into '%s'...\n",
                     kc::base::EscapedText(folder).c_str());
    });
    kc::base::SetDecimalSeparator(kc::base::LocaleDecimalSeparator());
    return kc::cli::Run(QCoreApplication::arguments());
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QtGlobal>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/first_start_hint.h"
#include "app/main_form.h"
#include "app/translation.h"
#include "base/float_checks.h"

// The icons are compiled into the static library; a resource there must be registered by name,
// from the global namespace, before its first use.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(kaiser_crossover);
}

namespace kc::app {
namespace {

// The toolkit's messages while it starts, and the line that stands for them if it cannot.
struct StartMessages {
    struct Held {
        QtMsgType type;
        QByteArray category;
        QString text;
    };
    std::vector<Held> held;
    std::string failureLine;
};
StartMessages* startMessages = nullptr;

// A fatal message of the toolkit would abort the process; the program ends with its own line.
void HoldStartMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", startMessages->failureLine.c_str());
        std::fflush(stderr);
        std::_Exit(EXIT_FAILURE);
    }
    startMessages->held.push_back({type, QByteArray(context.category), text});
}

// Moves a top-level window (its frame, once the window system has given it one) to the place
// that WindowPlacement gives on the window's screen.
void PlaceOnScreen(QWidget& window) {
    const QScreen* screen = window.screen();
    if (screen == nullptr) {
        return;
    }
    window.move(WindowPlacement(screen->availableGeometry(), window.frameGeometry().size()));
}

}  // namespace

QPoint WindowPlacement(const QRect& available, const QSize& frameSize) {
    const auto start = [](int areaStart, int areaLength, int windowLength) {
        return areaStart + std::max(0, (areaLength - windowLength) / 2);
    };
    return QPoint(start(available.left(), available.width(), frameSize.width()),
                  start(available.top(), available.height(), frameSize.height()));
}

std::unique_ptr<QApplication> StartApplication(int& argc, char** argv,
                                               const std::string& failureLine) {
    StartMessages messages{{}, failureLine};
    startMessages = &messages;
    const QtMessageHandler previous = qInstallMessageHandler(HoldStartMessage);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(previous);
    startMessages = nullptr;
    for (const StartMessages::Held& message : messages.held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    return application;
}

QIcon ApplicationIcon() {
    RegisterIconResources();
    QIcon icon;
    for (const int size : {32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/kaiser-crossover/kaiser-crossover-%1.png").arg(size),
                     QSize(size, size));
    }
    return icon;
}

StartRequest ParseStartArguments(const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Designs a three-way Kaiser-window FIR crossover and shows its frequency response."));
    parser.addPositionalArgument(QStringLiteral("design"),
                                 QStringLiteral("A design file (.kcx) to open."),
                                 QStringLiteral("[FILE.kcx]"));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QString problem;
    if (!parser.parse(arguments)) {
        problem = parser.errorText();
    } else if (parser.positionalArguments().size() > 1) {
        problem = QStringLiteral("Only one design file can be opened.");
    } else if (parser.isSet(help) || parser.isSet(version)) {
        const QString text = parser.isSet(help) ? parser.helpText()
                                                : QCoreApplication::applicationName() + ' ' +
                                                      QCoreApplication::applicationVersion() + '\n';
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return {QString(), 0};
    }
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n\n%s", problem.toLocal8Bit().constData(),
                     parser.helpText().toLocal8Bit().constData());
        return {QString(), 2};
    }
    return {parser.positionalArguments().value(0), -1};
}

int RunApplication(ErrorReporter reporter, const QString& designPath) {
    // The program keeps nothing between runs, but the toolkit's file dialog writes its folder
    // history into the user's settings when it closes; those settings go to a folder that is
    // removed when the run ends.
    const QTemporaryDir runSettings;
    if (runSettings.isValid()) {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, runSettings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, runSettings.path());
    }
    // Texts of the added windows in the language of the locale (the main window's stay as they
    // are).
    const ScopedTranslation translation{QLocale()};
    TForm1 window(std::move(reporter));
    window.UseFirstStartHint(FirstStartHint(FirstStartHint::StandardPath()));
    PlaceOnScreen(window);
    window.show();
    // The frame (title bar and borders) is known only once the window is shown; placed again
    // with it, the title bar stays on the screen.
    QTimer::singleShot(0, &window, [&window] { PlaceOnScreen(window); });
    // Creating a native window may load libraries that change the floating-point control word.
    base::SetFloatingPointMode();
    if (!designPath.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, designPath] { window.OpenDesign(designPath); });
    }
    return QApplication::exec();
}

}  // namespace kc::app

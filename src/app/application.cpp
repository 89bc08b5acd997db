#include "app/application.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <utility>

#include "app/main_form.h"
#include "base/float_checks.h"

// The icons are compiled into the static library; a resource there must be registered by name,
// from the global namespace, before its first use.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(kaiser_crossover);
}

namespace kc::app {
namespace {

void CentreOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    window.move(available.center() - QPoint(window.width() / 2, window.height() / 2));
}

}  // namespace

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
    TForm1 window(std::move(reporter));
    CentreOnScreen(window);
    window.show();
    // Creating a native window may load libraries that change the floating-point control word.
    base::SetFloatingPointMode();
    if (!designPath.isEmpty()) {
        QTimer::singleShot(0, &window, [&window, designPath] { window.OpenDesign(designPath); });
    }
    return QApplication::exec();
}

}  // namespace kc::app

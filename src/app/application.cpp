#include "app/application.h"

#include <QApplication>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
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

int RunApplication(ErrorReporter reporter) {
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
    return QApplication::exec();
}

}  // namespace kc::app

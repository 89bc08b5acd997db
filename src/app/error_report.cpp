// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/error_report.h"

#include <QMessageBox>
#include <string>

#include "app/screen_cursor.h"
#include "base/errors.h"

namespace kc::app {

void ShowErrorBox(QWidget* owner, const QString& caption, const QString& text) {
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owner);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void ReportError(const ErrorReporter& reporter, QWidget* owner, const QString& caption,
                 std::string_view message) {
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    SetDefaultCursor();
    const std::string text = base::ReportTextWithFullStop(message);
    reporter(owner, caption, QString::fromStdString(text));
}

}  // namespace kc::app

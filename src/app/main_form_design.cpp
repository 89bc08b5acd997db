// SPDX-License-Identifier: GPL-3.0-or-later
// The window's part in design files: closing, drops and opening from the command line.
#include <QCloseEvent>
#include <QDropEvent>
#include <QLineEdit>

#include "app/main_form.h"

namespace kc::app {

void TForm1::OpenDesign(const QString& path) {
    RunReportingErrors([this, &path] {
        if (document_->MayDiscard()) {
            document_->Open(path);
        }
    });
}

// A failed save on closing is reported and keeps the window open.
void TForm1::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    RunReportingErrors([this, &mayClose] { mayClose = document_->MayDiscard(); });
    if (!mayClose) {
        event->ignore();
    }
}

// The edit fields take dropped text themselves; a design file must reach the window past them.
void TForm1::AcceptDesignDrops() {
    setAcceptDrops(true);
    installEventFilter(this);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        edit->installEventFilter(this);
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QWidget::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const QString path = DesignFileIn(drop->mimeData());
    if (path.isEmpty()) {
        return QWidget::eventFilter(watched, event);
    }
    drop->acceptProposedAction();
    // Opened after the drop has ended, so that the calculation and any question or error box do
    // not keep the program the file came from waiting for the drop to finish.
    if (type == QEvent::Drop) {
        QMetaObject::invokeMethod(
            this, [this, path] { OpenDesign(path); }, Qt::QueuedConnection);
    }
    return true;
}

}  // namespace kc::app

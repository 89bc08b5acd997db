// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/transient_note.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>

namespace kc::app {

TransientNote::TransientNote(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
    hide();
    timer_.setSingleShot(true);
    timer_.setInterval(kShownMilliseconds);
    connect(&timer_, &QTimer::timeout, this, &QWidget::hide);
}

void TransientNote::Show(const QString& text) {
    fullText_ = text;
    setToolTip(text);
    Fit();
    show();
    timer_.start();
}

void TransientNote::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    Fit();
}

void TransientNote::Fit() {
    setText(fontMetrics().elidedText(fullText_, Qt::ElideMiddle, width()));
}

QString WrittenFilesNote(const QStringList& paths) {
    const QString folder = QFileInfo(paths.value(0)).absolutePath();
    QStringList names;
    for (const QString& path : paths) {
        const QFileInfo file(path);
        names << (file.absolutePath() == folder ? file.fileName() : QString());
    }
    const QString written = names.contains(QString())
                                ? QDir::toNativeSeparators(paths.join(QStringLiteral(", ")))
                                : names.join(QStringLiteral(", ")) + QStringLiteral(" in ") +
                                      QDir::toNativeSeparators(folder);
    return QStringLiteral("書き出しました  Wrote ") + written;
}

}  // namespace kc::app

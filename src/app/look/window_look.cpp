// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/look/window_look.h"

#include <QFontInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QString>
#include <QStringList>

namespace kc::app {
namespace {

constexpr int kFallbackStretchPercent = 94;

}  // namespace

QFont WindowFont(int pixelSize) {
    const QString designFace = QStringLiteral("ＭＳ Ｐゴシック");
    QFont font;
    font.setFamilies({designFace, QStringLiteral("IPAPGothic")});
    font.setPixelSize(pixelSize);
    font.setStyleHint(QFont::SansSerif);
    // IPA P Gothic's Latin letters run about 8 % wider than the design face's, which would put
    // "StopBand Attenuation" under Edit8 and the estimate's long heading over its frame;
    // condensed a little, every caption keeps to the room the window gives it.
    if (QFontInfo(font).family() != designFace) {
        font.setStretch(kFallbackStretchPercent);
    }
    return font;
}

graph::GraphAreaLook MainWindowGraphLook() {
    const QPalette palette = QGuiApplication::palette();
    return {QSize(kMainClientWidth, kMainClientHeight), WindowFont(kWindowFontPixels),
            palette.color(QPalette::WindowText), palette.color(QPalette::Window)};
}

}  // namespace kc::app

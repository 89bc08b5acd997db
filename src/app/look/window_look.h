// SPDX-License-Identifier: GPL-3.0-or-later
// The look of the main window that the graph area shares: its client size, its font and its
// system colours. Qt GUI only, no widgets, so that the command line renders the graph area
// exactly as the window shows it.
#pragma once

#include <QColor>
#include <QFont>
#include <QSize>

#include "graph/qt/graph_area.h"

namespace kc::app {

// The main window's client area in pixels.
inline constexpr int kMainClientWidth = 674;
inline constexpr int kMainClientHeight = 599;

// Pixel sizes of the window font: the window's captions and the graph's labels, and the heading.
inline constexpr int kWindowFontPixels = 12;
inline constexpr int kHeadingFontPixels = 16;

// The window font: "ＭＳ Ｐゴシック" at pixelSize pixels, falling back to IPA P Gothic (the
// Japanese proportional Gothic face of Debian's fonts-ipafont-gothic) where it is not installed.
// Needs the application object (the face actually chosen is looked up).
QFont WindowFont(int pixelSize);

// The graph area as the main window shows it: the client area, the window font, and the
// system's window-text and button-face colours (clWindowText, clBtnFace) from the application's
// palette. Needs the application object.
graph::GraphAreaLook MainWindowGraphLook();

}  // namespace kc::app

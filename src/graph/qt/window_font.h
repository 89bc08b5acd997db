// The font of the main window and of its graph labels, shared by the window and by the tools that
// render the graph headless, so that a saved graph carries the labels the window shows.
#pragma once

#include <QFont>

namespace kc::graph {

// The window font: "ＭＳ Ｐゴシック" at pixelSize pixels, falling back to IPA P Gothic (the
// Japanese proportional Gothic face of Debian's fonts-ipafont-gothic) where it is not installed.
// Needs the application object (the face actually chosen is looked up).
QFont WindowFont(int pixelSize);

}  // namespace kc::graph

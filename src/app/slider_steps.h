// SPDX-License-Identifier: GPL-3.0-or-later
// A slider whose wheel moves it by its single step per notch (the toolkit moves it by several,
// as many as the desktop scrolls lines), so that a gain moves by 0.1 dB and a delay by 0.01 ms a
// notch whatever the desktop's setting.
#pragma once

#include <QObject>

class QSlider;

namespace kc::app {

class OneStepWheel final : public QObject {
  public:
    // Watches `slider`, whose child it becomes.
    explicit OneStepWheel(QSlider* slider);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QSlider* slider_;
    // Angle not yet turned into a step (high-resolution wheels send parts of a notch).
    int pendingAngle_ = 0;
};

}  // namespace kc::app

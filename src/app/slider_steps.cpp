// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/slider_steps.h"

#include <QSlider>
#include <QWheelEvent>

namespace kc::app {

namespace {
// The angle of one notch of a common wheel, eighths of a degree.
constexpr int kNotchAngle = 120;
}  // namespace

OneStepWheel::OneStepWheel(QSlider* slider) : QObject(slider), slider_(slider) {
    slider->installEventFilter(this);
}

// Forward (away from the user) raises the value, as the toolkit's wheel does.
bool OneStepWheel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != slider_ || event->type() != QEvent::Wheel) {
        return QObject::eventFilter(watched, event);
    }
    const auto* wheel = static_cast<QWheelEvent*>(event);
    pendingAngle_ +=
        wheel->angleDelta().y() != 0 ? wheel->angleDelta().y() : wheel->angleDelta().x();
    const int notches = pendingAngle_ / kNotchAngle;
    pendingAngle_ -= notches * kNotchAngle;
    if (notches != 0) {
        slider_->setValue(slider_->value() + notches * slider_->singleStep());
    }
    event->accept();
    return true;
}

}  // namespace kc::app

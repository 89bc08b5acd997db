// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic view's driver correction controls: per band a "Correct" box and the correction's
// taps, the target's level and tilt, the boost limit, the smoothing and whether the phase is
// corrected. They show the session's correction settings and change them.
#pragma once

#include <QWidget>
#include <array>

#include "app/picture_view.h"
#include "dsp/bands.h"

class QCheckBox;
class QDoubleSpinBox;
class QSpinBox;

namespace kc::app {

class DesignSession;

class CorrectionControls final : public QWidget {
  public:
    CorrectionControls(QWidget* parent, DesignSession& session, ReportingRunner runReporting);

    // Shows the session's correction settings, without changing them.
    void Follow();

  private:
    void Connect();

    DesignSession& session_;
    ReportingRunner runReporting_;
    std::array<QCheckBox*, dsp::kBandCount> correct_{};
    std::array<QSpinBox*, dsp::kBandCount> taps_{};
    QCheckBox* ownTarget_ = nullptr;
    QDoubleSpinBox* targetDb_ = nullptr;
    QDoubleSpinBox* tilt_ = nullptr;
    QDoubleSpinBox* maxBoost_ = nullptr;
    QDoubleSpinBox* smoothing_ = nullptr;
    QCheckBox* correctPhase_ = nullptr;
};

}  // namespace kc::app

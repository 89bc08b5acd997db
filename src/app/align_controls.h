// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic view's "Align" button and what it found: the gains, delays and polarities that
// bring the acoustic sum closest to the target (acoustic/auto_align.h), written into the
// session's acoustic settings, with the deviation before and after beside the button.
#pragma once

#include <QWidget>
#include <functional>

#include "acoustic/acoustic_model.h"
#include "acoustic/target.h"
#include "app/picture_view.h"

class QLabel;
class QPushButton;

namespace kc::app {

class DesignSession;

class AlignControls final : public QWidget {
  public:
    // Aligns `model` (the view's: the session's drivers and design) to the target that `target`
    // gives and writes the result into `session`; errors go to `runReporting`.
    AlignControls(QWidget* parent, DesignSession& session, const acoustic::AcousticModel& model,
                  std::function<acoustic::TargetSettings()> target, ReportingRunner runReporting);

    // Aligns every band in one change of the session; nothing without a design or a driver file.
    void Align();
    // Enables the button where there is something to align: a design and a driver file.
    void FollowModel();

  private:
    DesignSession& session_;
    const acoustic::AcousticModel& model_;
    std::function<acoustic::TargetSettings()> target_;
    QPushButton* button_ = nullptr;
    QLabel* result_ = nullptr;
};

}  // namespace kc::app

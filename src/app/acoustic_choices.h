// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic view's choices of what its plot shows beside the levels: the right axis (nothing,
// the sum's phase, each band's phase, group delay), the drivers alone, and the range of levels.
// A row of controls that shows the design session's choices and changes them.
#pragma once

#include <QWidget>

#include "acoustic/view_choices.h"
#include "app/picture_view.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;

namespace kc::app {

class DesignSession;

class AcousticChoices final : public QWidget {
  public:
    AcousticChoices(QWidget* parent, DesignSession& session, ReportingRunner runReporting);

    // The session's choices into the controls, their signals blocked.
    void Follow();

  private:
    void Store();

    DesignSession& session_;
    ReportingRunner runReporting_;
    QComboBox* rightAxis_ = nullptr;
    QCheckBox* rawDrivers_ = nullptr;
    QDoubleSpinBox* levelRange_ = nullptr;
};

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/align_controls.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <utility>

#include "acoustic/auto_align.h"
#include "app/design_session.h"

namespace kc::app {
namespace {

QString HzText(double hz) {
    return hz >= 1000.0 ? QString::number(hz / 1000.0, 'f', 2) + QStringLiteral(" kHz")
                        : QString::number(hz, 'f', 1) + QStringLiteral(" Hz");
}

}  // namespace

AlignControls::AlignControls(QWidget* parent, DesignSession& session,
                             const acoustic::AcousticModel& model,
                             std::function<acoustic::TargetSettings()> target,
                             ReportingRunner runReporting)
    : QWidget(parent), session_(session), model_(model), target_(std::move(target)) {
    setObjectName(QStringLiteral("AlignControls"));
    button_ = new QPushButton(QCoreApplication::translate("AlignControls", "Align"), this);
    button_->setObjectName(QStringLiteral("Align"));
    button_->setAutoDefault(false);
    button_->setToolTip(QCoreApplication::translate(
        "AlignControls",
        "Sets each band's gain, delay (within 2 ms of the mid band's) and polarity so "
        "that the sum comes closest to the target where the drivers' data lie"));
    result_ = new QLabel(this);
    result_->setObjectName(QStringLiteral("AlignResult"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(button_);
    layout->addWidget(result_, 1);
    connect(button_, &QPushButton::clicked, this,
            [this, run = std::move(runReporting)] { run([this] { Align(); }); });
    FollowModel();
}

void AlignControls::FollowModel() {
    const auto& files = model_.DriverFiles();
    button_->setEnabled(model_.HasDesign() && !model_.Frequencies().empty() &&
                        std::any_of(files.begin(), files.end(),
                                    [](const auto& driver) { return driver.has_value(); }));
}

void AlignControls::Align() {
    FollowModel();
    if (!button_->isEnabled()) {
        return;
    }
    acoustic::Settings current;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        current[b] = session_.Design().acoustic[b].band;
    }
    const acoustic::AlignResult result =
        acoustic::Align(acoustic::AlignInputsOf(model_, target_()), current);
    session_.Edit([&result](design_file::Design& design) {
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            design.acoustic[b].band = result.settings[b];
        }
    });
    result_->setText(
        QCoreApplication::translate("AlignControls", "Mean deviation from the target %1 → %2 dB")
            .arg(result.deviationBeforeDb, 0, 'f', 2)
            .arg(result.deviationAfterDb, 0, 'f', 2));
    result_->setToolTip(QCoreApplication::translate(
                            "AlignControls", "Target %1 dB, measured over %2 … %3 (%4 points)")
                            .arg(result.targetLevelDb, 0, 'f', 2)
                            .arg(HzText(result.firstHz), HzText(result.lastHz))
                            .arg(result.points));
}

}  // namespace kc::app

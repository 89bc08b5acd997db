// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/acoustic_choices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <array>

#include "app/design_session.h"

namespace kc::app {
namespace {

// The right axes in the order the box lists them.
constexpr std::array kRightAxes = {acoustic::RightAxis::None, acoustic::RightAxis::SumPhase,
                                   acoustic::RightAxis::BandPhases,
                                   acoustic::RightAxis::GroupDelay};

}  // namespace

AcousticChoices::AcousticChoices(QWidget* parent, DesignSession& session,
                                 ReportingRunner runReporting)
    : QWidget(parent), session_(session), runReporting_(std::move(runReporting)) {
    rightAxis_ = new QComboBox(this);
    rightAxis_->setObjectName(QStringLiteral("RightAxis"));
    rightAxis_->addItems({QCoreApplication::translate("AcousticChoices", "No right axis"),
                          QCoreApplication::translate("AcousticChoices", "Phase of the sum"),
                          QCoreApplication::translate("AcousticChoices", "Phase of each band"),
                          QCoreApplication::translate("AcousticChoices", "Group delay (ms)")});
    rightAxis_->setToolTip(QCoreApplication::translate(
        "AcousticChoices",
        "What the right axis shows: the sum's phase, each band's phase and "
        "the sum's, or the group delay of each band and of the sum in ms, "
        "the crossover's latency taken out"));
    rawDrivers_ =
        new QCheckBox(QCoreApplication::translate("AcousticChoices", "Drivers alone"), this);
    rawDrivers_->setObjectName(QStringLiteral("RawDrivers"));
    rawDrivers_->setToolTip(QCoreApplication::translate(
        "AcousticChoices", "Each driver's own level, from its file without the crossover"));
    levelRange_ = new QDoubleSpinBox(this);
    levelRange_->setObjectName(QStringLiteral("LevelRange"));
    levelRange_->setRange(acoustic::kMinLevelRangeDb, acoustic::kMaxLevelRangeDb);
    levelRange_->setDecimals(0);
    levelRange_->setSuffix(QStringLiteral(" dB"));
    levelRange_->setKeyboardTracking(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(rightAxis_);
    layout->addWidget(rawDrivers_);
    layout->addWidget(new QLabel(QCoreApplication::translate("AcousticChoices", "Range:"), this));
    layout->addWidget(levelRange_);
    Follow();
    const auto store = [this] { runReporting_([this] { Store(); }); };
    connect(rightAxis_, &QComboBox::currentIndexChanged, this, store);
    connect(rawDrivers_, &QCheckBox::toggled, this, store);
    connect(levelRange_, &QDoubleSpinBox::valueChanged, this, store);
}

void AcousticChoices::Follow() {
    const acoustic::ViewChoices& choices = session_.Design().acousticView;
    const QSignalBlocker blockers[] = {QSignalBlocker(rightAxis_), QSignalBlocker(rawDrivers_),
                                       QSignalBlocker(levelRange_)};
    for (std::size_t i = 0; i < kRightAxes.size(); ++i) {
        if (kRightAxes[i] == choices.rightAxis) {
            rightAxis_->setCurrentIndex(static_cast<int>(i));
        }
    }
    rawDrivers_->setChecked(choices.rawDrivers);
    levelRange_->setValue(choices.levelRangeDb);
}

void AcousticChoices::Store() {
    const int index = rightAxis_->currentIndex();
    const acoustic::ViewChoices choices{
        kRightAxes.at(index < 0 ? 0 : static_cast<std::size_t>(index)), rawDrivers_->isChecked(),
        levelRange_->value()};
    session_.Edit([&choices](design_file::Design& design) { design.acousticView = choices; });
}

}  // namespace kc::app

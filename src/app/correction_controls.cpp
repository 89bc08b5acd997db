// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/correction_controls.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <functional>
#include <utility>

#include "acoustic/correction.h"
#include "app/design_session.h"

namespace kc::app {
namespace {

QString Named(const char* what, std::size_t band) {
    return QString::fromLatin1(what) + QString::fromLatin1(dsp::kCurveNames[band].title);
}

QDoubleSpinBox* Box(QWidget* parent, const char* name, double lowest, double highest, int decimals,
                    const QString& suffix) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setRange(lowest, highest);
    box->setDecimals(decimals);
    box->setSingleStep(decimals >= 2 ? 0.01 : 0.1);
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

}  // namespace

CorrectionControls::CorrectionControls(QWidget* parent, DesignSession& session,
                                       ReportingRunner runReporting)
    : QWidget(parent), session_(session), runReporting_(std::move(runReporting)) {
    setObjectName(QStringLiteral("Correction"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(
        new QLabel(QCoreApplication::translate("CorrectionControls", "Correct"), this));
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        correct_[b] = new QCheckBox(QString::fromLatin1(dsp::kCurveNames[b].title), this);
        correct_[b]->setObjectName(Named("Correct", b));
        correct_[b]->setToolTip(QCoreApplication::translate(
            "CorrectionControls", "Bring this band's driver to the target in level and phase"));
        taps_[b] = new QSpinBox(this);
        taps_[b]->setObjectName(Named("CorrectionTaps", b));
        taps_[b]->setRange(0, acoustic::kMaxCorrectionTaps);
        taps_[b]->setSingleStep(2);
        taps_[b]->setSpecialValueText(
            QCoreApplication::translate("CorrectionControls", "band's taps"));
        taps_[b]->setKeyboardTracking(false);
        taps_[b]->setToolTip(QCoreApplication::translate(
            "CorrectionControls",
            "Taps of the correction (odd): it follows nothing narrower than "
            "the rate divided by them"));
        layout->addWidget(correct_[b]);
        layout->addWidget(taps_[b]);
    }
    ownTarget_ = new QCheckBox(QCoreApplication::translate("CorrectionControls", "Target"), this);
    ownTarget_->setObjectName(QStringLiteral("OwnTargetLevel"));
    ownTarget_->setToolTip(QCoreApplication::translate(
        "CorrectionControls", "Off: the least sensitive driver's level within its band"));
    targetDb_ = Box(this, "TargetLevel", acoustic::kMinTargetLevelDb, acoustic::kMaxTargetLevelDb,
                    1, QStringLiteral(" dB"));
    tilt_ = Box(this, "TargetTilt", acoustic::kMinTargetTiltDbPerOctave,
                acoustic::kMaxTargetTiltDbPerOctave, 1,
                QCoreApplication::translate("CorrectionControls", " dB/oct"));
    tilt_->setToolTip(
        QCoreApplication::translate("CorrectionControls", "Tilt of the target about 1 kHz"));
    maxBoost_ = Box(this, "MaxBoost", acoustic::kMinMaxBoostDb, acoustic::kMaxMaxBoostDb, 1,
                    QStringLiteral(" dB"));
    maxBoost_->setToolTip(QCoreApplication::translate("CorrectionControls",
                                                      "The most the correction lifts a driver"));
    smoothing_ =
        Box(this, "Smoothing", acoustic::kMinSmoothingOctaves, acoustic::kMaxSmoothingOctaves, 3,
            QCoreApplication::translate("CorrectionControls", " oct"));
    smoothing_->setToolTip(QCoreApplication::translate(
        "CorrectionControls",
        "Smoothing of the driver before it is inverted, so that narrow dips "
        "are not filled"));
    correctPhase_ = new QCheckBox(QCoreApplication::translate("CorrectionControls", "Phase"), this);
    correctPhase_->setObjectName(QStringLiteral("CorrectPhase"));
    correctPhase_->setToolTip(QCoreApplication::translate(
        "CorrectionControls", "Take out the driver's minimum phase as well as its level"));
    layout->addWidget(ownTarget_);
    layout->addWidget(targetDb_);
    layout->addWidget(tilt_);
    layout->addWidget(new QLabel(QCoreApplication::translate("CorrectionControls", "Boost"), this));
    layout->addWidget(maxBoost_);
    layout->addWidget(
        new QLabel(QCoreApplication::translate("CorrectionControls", "Smoothing"), this));
    layout->addWidget(smoothing_);
    layout->addWidget(correctPhase_);
    layout->addStretch(1);
    Follow();
    Connect();
}

void CorrectionControls::Connect() {
    // Each control writes its own setting into the session.
    const auto edit = [this](std::function<void(design_file::CorrectionFileSettings&)> change) {
        return [this, change = std::move(change)] {
            runReporting_([this, &change] {
                session_.Edit([&](design_file::Design& design) { change(design.correction); });
            });
        };
    };
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        connect(correct_[b], &QCheckBox::toggled, this,
                edit([this, b](auto& c) { c.bands[b] = correct_[b]->isChecked(); }));
        connect(taps_[b], &QSpinBox::valueChanged, this,
                edit([this, b](auto& c) { c.taps[b] = taps_[b]->value(); }));
    }
    connect(ownTarget_, &QCheckBox::toggled, this,
            edit([this](auto& c) { c.defaultTargetLevel = !ownTarget_->isChecked(); }));
    connect(targetDb_, &QDoubleSpinBox::valueChanged, this,
            edit([this](auto& c) { c.targetDb = targetDb_->value(); }));
    connect(tilt_, &QDoubleSpinBox::valueChanged, this,
            edit([this](auto& c) { c.targetTiltDbPerOctave = tilt_->value(); }));
    connect(maxBoost_, &QDoubleSpinBox::valueChanged, this,
            edit([this](auto& c) { c.maxBoostDb = maxBoost_->value(); }));
    connect(smoothing_, &QDoubleSpinBox::valueChanged, this,
            edit([this](auto& c) { c.smoothingOctaves = smoothing_->value(); }));
    connect(correctPhase_, &QCheckBox::toggled, this,
            edit([this](auto& c) { c.correctPhase = correctPhase_->isChecked(); }));
}

void CorrectionControls::Follow() {
    const design_file::CorrectionFileSettings& c = session_.Design().correction;
    const QSignalBlocker blockers[] = {QSignalBlocker(ownTarget_), QSignalBlocker(targetDb_),
                                       QSignalBlocker(tilt_),      QSignalBlocker(maxBoost_),
                                       QSignalBlocker(smoothing_), QSignalBlocker(correctPhase_)};
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const QSignalBlocker correct(correct_[b]);
        const QSignalBlocker taps(taps_[b]);
        correct_[b]->setChecked(c.bands[b]);
        taps_[b]->setValue(c.taps[b]);
    }
    ownTarget_->setChecked(!c.defaultTargetLevel);
    targetDb_->setValue(c.targetDb);
    targetDb_->setEnabled(!c.defaultTargetLevel);
    tilt_->setValue(c.targetTiltDbPerOctave);
    maxBoost_->setValue(c.maxBoostDb);
    smoothing_->setValue(c.smoothingOctaves);
    correctPhase_->setChecked(c.correctPhase);
}

}  // namespace kc::app

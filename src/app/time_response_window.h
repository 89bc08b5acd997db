// SPDX-License-Identifier: GPL-3.0-or-later
// The time-response window: the impulse and step responses of the last completed calculation,
// with zoom, a readout under the pointer, the pre-ringing figures and exports of the view. One
// instance beside the main window, non-modal; the main window hands it every completed design.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "app/acoustic_view.h"
#include "app/file_chooser.h"
#include "app/replace_question.h"
#include "app/transient_note.h"
#include "dsp/crossover.h"
#include "dsp/time_response.h"
#include "graph/time_plot.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace kc::app {

class TimePlotView;

class TimeResponseWindow final : public QWidget {
  public:
    // A window of its own over `owner` (it closes with it). Exports ask `chooser` for the file
    // and `replaceQuestion` before they replace one, and say in the window what they wrote.
    TimeResponseWindow(QWidget* owner, FileNameChooser chooser, ReplaceQuestion replaceQuestion,
                       ReportingRunner runReporting);
    ~TimeResponseWindow() override;
    TimeResponseWindow(const TimeResponseWindow&) = delete;
    TimeResponseWindow& operator=(const TimeResponseWindow&) = delete;

    // Shows a completed design (adjusted: its bands add up to a unit impulse) over its whole
    // length, with the figures for the threshold now set, and redraws; the acoustic view follows.
    void Follow(const dsp::CrossoverTaps& taps, bool adjusted);

    // The "Acoustic" tab: drivers, their levels and their sum with the design's crossover.
    AcousticView& Acoustic() const { return *acoustic_; }

    // What is shown: the series, the visible range, the picture, the figures' line.
    dsp::TimeSeriesKind Kind() const;
    const graph::TimeRange& Range() const { return range_; }
    const QImage& Picture() const { return picture_; }
    bool HasDesign() const { return response_.has_value(); }
    const dsp::TimeResponse& Response() const { return *response_; }
    const std::array<dsp::PreRinging, dsp::kTimeCurves>& Figures() const { return figures_; }
    int ThresholdDb() const;
    QString ReadoutText() const;

    // The view that design files keep: the threshold (dB below each band's largest tap), the step
    // or the impulse responses, the latter in dB. Setting it redraws.
    bool StepShown() const;
    bool ImpulseInDb() const;
    void SetView(int thresholdDb, bool step, bool impulseDb);

    // Zooming, in pixels of the plot: to a rectangle (a rubber band), by `factor` about a point
    // (the wheel; below 1 zooms in), back to the whole design.
    void ZoomToRect(const QRectF& pixels);
    void ZoomAt(QPointF pixel, double factor);
    void ResetZoom();
    // The readout for the pointer at `pixel` of the plot; an empty point clears it.
    void ShowReadoutAt(std::optional<QPointF> pixel);

    // Writes the picture shown as PNG, or the visible taps' series as CSV, to a chosen file.
    void SavePicture();
    void SaveData();

    // Redraws the picture at the plot's size now.
    void Render();

    // Runs an event's handler so that whatever it raises goes to the main window's error report.
    void RunReporting(const std::function<void()>& handler) const { runReporting_(handler); }

  private:
    void CreateControls();
    void CreateTabs(QWidget* timePage);
    void ConnectControls();
    graph::PlotFrame Frame() const;
    void SetRange(const graph::TimeRange& range);
    void KindChanged();
    void UpdateFigures();
    void UpdateEnabled();
    std::array<bool, dsp::kTimeCurves> Shown() const;

    FileNameChooser chooser_;
    // Asks once before an export replaces files, and says in the window what it wrote.
    WriteGuard guard_;
    ReportingRunner runReporting_;
    QRadioButton* impulseButton_ = nullptr;
    QRadioButton* stepButton_ = nullptr;
    QCheckBox* dbBox_ = nullptr;
    std::array<QCheckBox*, dsp::kTimeCurves> curveBoxes_{};
    QSpinBox* thresholdBox_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QPushButton* pngButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    TimePlotView* plot_ = nullptr;
    QLabel* figuresLabel_ = nullptr;
    QLabel* adjustNote_ = nullptr;
    QLabel* readout_ = nullptr;
    TransientNote* note_ = nullptr;
    AcousticView* acoustic_ = nullptr;

    std::optional<dsp::TimeResponse> response_;
    std::array<dsp::PreRinging, dsp::kTimeCurves> figures_{};
    graph::TimeRange range_;
    QImage picture_;
};

}  // namespace kc::app

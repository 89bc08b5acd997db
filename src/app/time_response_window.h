// SPDX-License-Identifier: GPL-3.0-or-later
// The time-response window: the impulse and step responses of the last completed calculation,
// with zoom, a readout under the pointer, the pre-ringing figures and exports of the view. One
// instance beside the main window, non-modal; it shows the design session's latest calculation
// and time settings, and its controls change the session.
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
#include "app/picture_view.h"
#include "app/replace_question.h"
#include "app/transient_note.h"
#include "design_file/design_file.h"
#include "dsp/crossover.h"
#include "dsp/time_response.h"
#include "graph/time_plot.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

class QTabWidget;

namespace kc::app {

class DesignSession;
class SpeakerTimeView;

// The window's tabs, in their order (as the design file names them).
using ViewTab = design_file::WindowTab;

class TimeResponseWindow final : public QWidget {
  public:
    // A window of its own over `owner` (it closes with it), showing `session`. Exports ask
    // `chooser` for the file and `replaceQuestion` before they replace one, and say in the window
    // what they wrote.
    TimeResponseWindow(QWidget* owner, DesignSession& session, FileNameChooser chooser,
                       ReplaceQuestion replaceQuestion, ReportingRunner runReporting);
    ~TimeResponseWindow() override;
    TimeResponseWindow(const TimeResponseWindow&) = delete;
    TimeResponseWindow& operator=(const TimeResponseWindow&) = delete;

    // The "Acoustic" tab: drivers, their levels and their sum with the design's crossover.
    AcousticView& Acoustic() const { return *acoustic_; }
    // The "Speaker in time" tab: the predicted impulse and step of the drivers with the crossover.
    SpeakerTimeView& Speaker() const { return *speaker_; }
    // The tab shown, and showing one.
    ViewTab CurrentView() const;
    void ShowView(ViewTab tab);
    // Whether the window is open, into the session.
    void StoreWindowState(bool open);
    // What opens a design file dropped on the window (the main window's OpenDesign); until it is
    // set such a drop is refused.
    void SetDesignOpener(std::function<void(const QString& path)> open) {
        openDesign_ = std::move(open);
    }

    // What is shown: the series, the visible range, the picture, the figures' line.
    dsp::TimeSeriesKind Kind() const;
    const graph::TimeRange& Range() const { return range_; }
    const QImage& Picture() const;
    bool HasDesign() const { return response_.has_value(); }
    const dsp::TimeResponse& Response() const { return *response_; }
    const std::array<dsp::PreRinging, dsp::kCurveCount>& Figures() const { return figures_; }
    // The pre-ringing threshold, dB below each band's largest step magnitude (the session's).
    int ThresholdDb() const;
    QString ReadoutText() const;
    // The tap the cursor line stands at (the pointer's), or nothing.
    std::optional<int32_t> CursorTap() const { return cursorTap_; }

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

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    // Shown and closed, and the tab shown, go into the session (the design file keeps them).
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // A design file dropped anywhere opens; driver files dropped outside the acoustic view go to
    // it (which takes those dropped on it itself), shown.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateControls();
    void ConnectKeys();
    void AcceptDrops();
    void StoreTab();
    bool InAcousticView(const QObject* object) const;
    // The plot whose menu the keyboard opens, or nullptr when none is shown.
    PictureView* MenuPlot() const;
    void CreateTabs(QWidget* timePage);
    void ConnectControls();
    void ConnectSession();
    // The session's latest calculation, shown over its whole length with the figures for the
    // threshold set; and its time settings, into the controls when they differ from those shown.
    void FollowResult();
    void FollowSettings();
    // The view's controls as they now stand, into the session, and back.
    void StoreSettings();
    void SetControls(const design_file::TimeSettings& settings);
    graph::PlotFrame Frame() const;
    void SetRange(const graph::TimeRange& range);
    void KindChanged();
    void UpdateFigures();
    void UpdateEnabled();
    std::array<bool, dsp::kCurveCount> Shown() const;

    DesignSession& session_;
    FileNameChooser chooser_;
    // Asks once before an export replaces files, and says in the window what it wrote.
    WriteGuard guard_;
    ReportingRunner runReporting_;
    QRadioButton* impulseButton_ = nullptr;
    QRadioButton* stepButton_ = nullptr;
    QCheckBox* dbBox_ = nullptr;
    std::array<QCheckBox*, dsp::kCurveCount> curveBoxes_{};
    QSpinBox* thresholdBox_ = nullptr;
    QPushButton* resetButton_ = nullptr;
    QPushButton* pngButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    PictureView* plot_ = nullptr;
    QLabel* figuresLabel_ = nullptr;
    QLabel* adjustNote_ = nullptr;
    QLabel* readout_ = nullptr;
    TransientNote* note_ = nullptr;
    AcousticView* acoustic_ = nullptr;
    SpeakerTimeView* speaker_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    std::function<void(const QString& path)> openDesign_;

    std::optional<dsp::TimeResponse> response_;
    std::array<dsp::PreRinging, dsp::kCurveCount> figures_{};
    graph::TimeRange range_;
    // The tap under the pointer, drawn as the cursor line with its readout.
    std::optional<int32_t> cursorTap_;
    // The time settings the controls and the picture show.
    design_file::TimeSettings shownSettings_;
};

}  // namespace kc::app

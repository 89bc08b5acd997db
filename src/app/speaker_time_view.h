// SPDX-License-Identifier: GPL-3.0-or-later
// The speaker in time: the impulse or step response that the acoustic view predicts for each
// band (driver × crossover × gain, delay, polarity) and for their sum, with the sum's own
// pre-ringing figure, zoom and a cursor line with its readout. A tab of the time-response window;
// it follows the design session and is evaluated only while shown.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "acoustic/speaker_time.h"
#include "app/file_chooser.h"
#include "app/picture_view.h"
#include "app/replace_question.h"
#include "dsp/time_response.h"
#include "graph/time_plot.h"

class QComboBox;
class QLabel;

namespace kc::app {

class DesignSession;

class SpeakerTimeView final : public QWidget {
  public:
    // The taps to predict with (the acoustic view's: each corrected band with its correction),
    // null without a design.
    using TapsSource = std::function<std::shared_ptr<const dsp::CrossoverTaps>()>;

    // Its plot's PNG and CSV ask `chooser` for the file and write through `guard`.
    SpeakerTimeView(QWidget* parent, DesignSession& session, TapsSource shownTaps,
                    FileNameChooser chooser, WriteGuard guard, ReportingRunner runReporting);

    // What is shown: the series (the session's acousticView.speakerView), the visible range, the
    // responses and their pre-ringing.
    dsp::TimeSeriesKind Kind() const;
    const graph::TimeRange& Range() const { return range_; }
    bool HasResponse() const { return response_.has_value(); }
    const dsp::TimeResponse& Response() const { return *response_; }
    const std::array<dsp::PreRinging, dsp::kCurveCount>& Figures() const { return figures_; }
    QString FiguresText() const;
    const QImage& Picture() const { return plot_->Picture(); }

    // Zooming, in pixels of the plot, as the time view does.
    void ZoomToRect(const QRectF& pixels);
    void ZoomAt(QPointF pixel, double factor);
    void ResetZoom();
    // The cursor line and readout for the pointer at `pixel`; an empty point clears them.
    void ShowReadoutAt(std::optional<QPointF> pixel);

    // The responses for the session's design, drivers and settings now (when shown), and the
    // picture.
    void Update();

    // Writes the picture shown as PNG, or the visible part of the series as CSV, to a chosen file.
    void SavePicture();
    void SaveData();
    void Render();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // The design or the drivers changed: the model afresh when shown, else when next shown.
    void ModelChanged();
    void SettingsChanged();
    void StoreKind();
    graph::PlotFrame Frame() const;

    DesignSession& session_;
    TapsSource shownTaps_;
    FileNameChooser chooser_;
    WriteGuard guard_;
    ReportingRunner runReporting_;
    QComboBox* kindBox_ = nullptr;
    PictureView* plot_ = nullptr;
    QLabel* figuresLabel_ = nullptr;

    acoustic::SpeakerTimeModel model_;
    bool modelStale_ = true;
    std::shared_ptr<const dsp::CrossoverTaps> modelTaps_;  // what model_ was set from
    std::optional<dsp::TimeResponse> response_;
    acoustic::Settings shownSettings_{};
    int32_t shownThresholdDb_ = dsp::kDefaultPreRingingDb;
    dsp::TimeSeriesKind shownKind_ = dsp::TimeSeriesKind::Impulse;
    std::array<dsp::PreRinging, dsp::kCurveCount> figures_{};
    graph::TimeRange range_;
    std::optional<int32_t> cursorTap_;
};

}  // namespace kc::app

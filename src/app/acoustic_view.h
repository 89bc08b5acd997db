// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic view: per band a driver file, gain, delay and polarity, and the predicted level of
// each band and of their sum over log frequency (on the right axis the phases or the group delay
// on request, the drivers alone too), with zoom, a readout under the pointer and an FRD export. It
// lives in the time-response window and shows the session's drivers, settings and latest
// calculation; its controls change the session.
#pragma once

#include <QImage>
#include <QPointF>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "acoustic/correction.h"
#include "app/file_chooser.h"
#include "app/picture_view.h"
#include "app/replace_question.h"
#include "dsp/crossover.h"
#include "graph/acoustic_plot.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;
class QSlider;
class QSpinBox;
class QToolButton;

namespace kc::app {

class AcousticChoices;
class AlignControls;
class CorrectionControls;
class DesignSession;

class AcousticView final : public QWidget {
  public:
    // Shows `session` and changes it. Exports ask `saveChooser` for the file and write through
    // `guard` (its window's); driver files come from ChooseOpenFileName until SetOpenChooser
    // replaces it.
    AcousticView(QWidget* parent, DesignSession& session, FileNameChooser saveChooser,
                 ReportingRunner runReporting, WriteGuard guard);
    ~AcousticView() override;
    AcousticView(const AcousticView&) = delete;
    AcousticView& operator=(const AcousticView&) = delete;

    void SetOpenChooser(FileNameChooser chooser) { openChooser_ = std::move(chooser); }

    // Loads the driver file at `path` (text or impulse-response WAV) as the band's driver;
    // EDriverFileError (naming the file and the line) leaves everything as it was. ClearDriver
    // makes the band's driver ideal again.
    void LoadDriver(acoustic::Band band, const QString& path);
    void ClearDriver(acoustic::Band band);
    // Asks for a file and loads it.
    void ChooseDriver(acoustic::Band band);
    // Dropped files: one onto a band's row is that band's driver; three elsewhere are the drivers
    // of low, mid and high in the order of their centre frequencies. All load or none.
    void DropFiles(std::optional<acoustic::Band> band, const QStringList& paths);

    // Writes PREFIX-low/mid/high/sum.frd of the responses shown, to a chosen name.
    void ExportFrd();
    // Writes the picture shown as PNG, to a chosen name.
    void SavePicture();
    void SaveData();

    // The session's driver files as the system names them, the ideal drivers left out: what no
    // export may replace.
    std::vector<std::string> DriverFiles() const;

    // The band settings of the session, and what they give.
    acoustic::Settings CurrentSettings() const;
    const acoustic::AcousticModel& Model() const { return model_; }
    // The taps the view predicts with: the design's, each corrected band with its correction;
    // null without a design. The speaker's time view and the exports follow the same taps.
    std::shared_ptr<const dsp::CrossoverTaps> ShownTaps() const { return shownTaps_; }
    const acoustic::AcousticResponse& Response() const { return response_; }
    const graph::AcousticPlotInputs& PlotInputs() const { return inputs_; }
    const QImage& Picture() const;
    QString ReadoutText() const;

    // The readout for the pointer at `pixel` of the plot; an empty point clears it.
    void ShowReadoutAt(std::optional<QPointF> pixel);
    // The responses for the settings now, and the picture: what every change of gain, delay or
    // polarity runs (the crossover and the files are not evaluated again).
    void UpdateResponses();
    // Redraws the picture at the plot's size.
    void Render();

    // Zooming, in pixels of the plot: to a rectangle (a rubber band), by `factor` about a point
    // (the wheel; below 1 zooms in), back to the whole. New drivers show the whole again.
    void ZoomToRect(const QRectF& pixels);
    void ZoomAt(QPointF pixel, double factor);
    void ResetZoom();
    // The part shown: the zoom's, else the whole.
    graph::AcousticRange ShownRange() const { return graph::ShownRange(inputs_); }

  protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    struct BandRow {
        QWidget* row = nullptr;
        QPushButton* file = nullptr;
        QLabel* name = nullptr;
        QLabel* kind = nullptr;  // what the file is and what was derived
        QToolButton* clear = nullptr;
        QSpinBox* channel = nullptr;  // of an impulse response
        QDoubleSpinBox* gate = nullptr;
        QSlider* gainSlider = nullptr;
        QDoubleSpinBox* gain = nullptr;
        QSlider* delaySlider = nullptr;
        QDoubleSpinBox* delay = nullptr;
        QCheckBox* invert = nullptr;
    };

    void CreateControls();
    QWidget* CreateBandRow(acoustic::Band band);
    void ConnectBandRow(acoustic::Band band);
    void ConnectSession();
    // The session's latest calculation, drivers and settings, each into the model and the
    // controls when it differs from what is shown.
    void FollowResult();
    void FollowDrivers();
    void FollowSettings();
    void ShowBandSettings(std::size_t band, const acoustic::BandSettings& settings);
    void ShowImpulseOptions(std::size_t band);
    void ChangeImpulseOptions(acoustic::Band band);
    void ShowDrivers();
    // The session's calculation into the model, each band through its correction when the
    // design corrects it.
    void ApplyDesign();
    acoustic::TargetSettings AlignmentTarget() const;
    QString StatusText() const;
    graph::PlotFrame Frame() const;
    std::optional<acoustic::Band> BandRowAt(QPoint position) const;

    DesignSession& session_;
    FileNameChooser saveChooser_;
    WriteGuard guard_;
    FileNameChooser openChooser_ = ChooseOpenFileName;
    ReportingRunner runReporting_;
    std::array<BandRow, dsp::kBandCount> rows_{};
    AcousticChoices* choices_ = nullptr;
    QPushButton* exportButton_ = nullptr;
    AlignControls* align_ = nullptr;
    QLabel* range_ = nullptr;
    PictureView* plot_ = nullptr;
    QLabel* readout_ = nullptr;
    CorrectionControls* correction_ = nullptr;

    acoustic::AcousticModel model_;
    // The band settings the controls show.
    acoustic::Settings shownSettings_{};
    acoustic::AcousticResponse response_;
    // The correction the model's design went through, and what it made.
    acoustic::CorrectionSettings shownCorrection_{};
    // The correction's figures; its taps are moved into shownTaps_.
    std::optional<acoustic::CorrectedDesign> corrected_;
    std::shared_ptr<const dsp::CrossoverTaps> shownTaps_;
    graph::AcousticPlotInputs inputs_;
    std::optional<std::size_t> readoutIndex_;
    std::optional<graph::AcousticRange> zoom_;
};

}  // namespace kc::app

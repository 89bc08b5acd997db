// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/speaker_time_view.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

#include "app/design_session.h"
#include "export/csv_export.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "graph/qt/time_plot_image.h"
#include "graph/time_zoom.h"

namespace kc::app {
namespace {

constexpr std::array kKinds = {dsp::TimeSeriesKind::Impulse, dsp::TimeSeriesKind::ImpulseDb,
                               dsp::TimeSeriesKind::Step};

acoustic::Settings SettingsOf(const design_file::Design& design) {
    acoustic::Settings settings{};
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        settings[b] = design.acoustic[b].band;
    }
    return settings;
}

}  // namespace

SpeakerTimeView::SpeakerTimeView(QWidget* parent, DesignSession& session, TapsSource shownTaps,
                                 FileNameChooser chooser, WriteGuard guard,
                                 ReportingRunner runReporting)
    : QWidget(parent),
      session_(session),
      shownTaps_(std::move(shownTaps)),
      chooser_(std::move(chooser)),
      guard_(std::move(guard)),
      runReporting_(std::move(runReporting)) {
    setObjectName(QStringLiteral("SpeakerTime"));
    kindBox_ = new QComboBox(this);
    kindBox_->setObjectName(QStringLiteral("SpeakerKind"));
    kindBox_->addItems({QCoreApplication::translate("SpeakerTimeView", "Impulse"),
                        QCoreApplication::translate("SpeakerTimeView", "Impulse in dB"),
                        QCoreApplication::translate("SpeakerTimeView", "Step")});
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QCoreApplication::translate("SpeakerTimeView", "View:"), this));
    top->addWidget(kindBox_);
    top->addStretch();
    PictureHandlers handlers;
    handlers.render = [this] { Render(); };
    handlers.readout = [this](std::optional<QPointF> pixel) { ShowReadoutAt(pixel); };
    handlers.zoomToRect = [this](const QRectF& pixels) { ZoomToRect(pixels); };
    handlers.zoomAt = [this](QPointF pixel, double factor) { ZoomAt(pixel, factor); };
    handlers.resetZoom = [this] { ResetZoom(); };
    handlers.savePicture = [this] { SavePicture(); };
    handlers.saveData = [this] { SaveData(); };
    plot_ = new PictureView(this, std::move(handlers), runReporting_);
    plot_->setObjectName(QStringLiteral("SpeakerPlot"));
    plot_->setMinimumSize(480, 300);
    figuresLabel_ = new QLabel(this);
    figuresLabel_->setObjectName(QStringLiteral("SpeakerFigures"));
    figuresLabel_->setToolTip(QString::fromUtf8(dsp::kPreRingingDefinition.data(),
                                                qsizetype(dsp::kPreRingingDefinition.size())));
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(plot_, 1);
    layout->addWidget(figuresLabel_);
    const auto reporting = [this](void (SpeakerTimeView::*handler)()) {
        return [this, handler] { runReporting_([this, handler] { (this->*handler)(); }); };
    };
    connect(kindBox_, &QComboBox::currentIndexChanged, this,
            reporting(&SpeakerTimeView::StoreKind));
    connect(&session_, &DesignSession::resultChanged, this,
            reporting(&SpeakerTimeView::ModelChanged));
    connect(&session_, &DesignSession::driversChanged, this,
            reporting(&SpeakerTimeView::ModelChanged));
    connect(&session_, &DesignSession::designChanged, this,
            reporting(&SpeakerTimeView::SettingsChanged));
    SettingsChanged();
}

dsp::TimeSeriesKind SpeakerTimeView::Kind() const {
    return shownKind_;
}

QString SpeakerTimeView::FiguresText() const {
    return figuresLabel_->text();
}

void SpeakerTimeView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    runReporting_([this] { Update(); });
}

void SpeakerTimeView::ModelChanged() {
    modelStale_ = true;
    if (isVisible()) {
        Update();
    }
}

// The session keeps the series shown; the view follows it in SettingsChanged.
void SpeakerTimeView::StoreKind() {
    const dsp::TimeSeriesKind kind =
        kKinds.at(static_cast<std::size_t>(std::max(0, kindBox_->currentIndex())));
    session_.Edit([kind](design_file::Design& d) { d.acousticView.speakerView = kind; });
}

void SpeakerTimeView::SettingsChanged() {
    const design_file::Design& design = session_.Design();
    if (design.acousticView.speakerView != shownKind_) {
        shownKind_ = design.acousticView.speakerView;
        const QSignalBlocker blocker(kindBox_);
        for (std::size_t i = 0; i < kKinds.size(); ++i) {
            if (kKinds[i] == shownKind_) {
                kindBox_->setCurrentIndex(static_cast<int>(i));
            }
        }
        ResetZoom();
    }
    if (SettingsOf(design) != shownSettings_ || design.time.preRingingDb != shownThresholdDb_ ||
        shownTaps_() != modelTaps_) {
        if (isVisible()) {
            Update();
        }
    }
}

void SpeakerTimeView::Update() {
    const auto taps = shownTaps_();
    if (!taps) {
        response_.reset();
        figuresLabel_->setText(QCoreApplication::translate(
            "SpeakerTimeView", "No design yet: press Calc in the main window."));
        Render();
        return;
    }
    modelStale_ = modelStale_ || taps != modelTaps_;
    const bool fresh = modelStale_ || !response_;
    if (modelStale_) {
        model_.Set(*taps, session_.Drivers());
        modelTaps_ = taps;
        modelStale_ = false;
    }
    shownSettings_ = SettingsOf(session_.Design());
    shownThresholdDb_ = session_.Design().time.preRingingDb;
    response_ = model_.Evaluate(shownSettings_);
    figures_ = dsp::PreRingingFigures(*response_, shownThresholdDb_);
    figuresLabel_->setText(
        QString::fromStdString(dsp::PreRingingLine(figures_, shownThresholdDb_) +
                               " (the speaker's prediction: the drivers' own ringing is in it)"));
    if (fresh) {
        cursorTap_.reset();
        range_ = graph::RingingTimeRange(*response_, Kind(), figures_);
    }
    Render();
}

graph::PlotFrame SpeakerTimeView::Frame() const {
    return graph::TimePlotFrame(plot_->width(), plot_->height(), graph::MetricsOf(font()).height);
}

void SpeakerTimeView::ZoomToRect(const QRectF& pixels) {
    if (!response_) {
        return;
    }
    if (const auto range = graph::ZoomedToBand(
            Frame(), range_, {pixels.left(), pixels.top(), pixels.right(), pixels.bottom()},
            response_->sampleRateHz)) {
        range_ = *range;
        Render();
    }
}

void SpeakerTimeView::ZoomAt(QPointF pixel, double factor) {
    if (!response_) {
        return;
    }
    if (const auto range = graph::ZoomedAbout(Frame(), range_, pixel.x(), pixel.y(), factor,
                                              response_->sampleRateHz)) {
        range_ = *range;
        Render();
    }
}

void SpeakerTimeView::ResetZoom() {
    if (response_) {
        range_ = graph::RingingTimeRange(*response_, Kind(), figures_);
    }
    cursorTap_.reset();
    Render();
}

void SpeakerTimeView::ShowReadoutAt(std::optional<QPointF> pixel) {
    const std::optional<int32_t> tap =
        response_ && pixel ? graph::TapAtPixel(Frame(), range_, *response_, pixel->x())
                           : std::nullopt;
    if (tap != cursorTap_) {
        cursorTap_ = tap;
        Render();
    }
}

void SpeakerTimeView::Render() {
    graph::TimePlotInputs inputs;
    inputs.response = response_ ? &*response_ : nullptr;
    inputs.kind = Kind();
    inputs.range = range_;
    inputs.thresholdDb = shownThresholdDb_;
    inputs.preRinging = figures_;
    inputs.cursorTap = cursorTap_;
    inputs.title = graph::SpeakerTitle(inputs.kind);
    inputs.width = plot_->width();
    inputs.height = plot_->height();
    plot_->SetPicture(graph::RenderTimePlot(inputs, font()));
}

void SpeakerTimeView::SavePicture() {
    if (!response_) {
        return;
    }
    const ChosenFile chosen = chooser_(
        this, QCoreApplication::translate("SpeakerTimeView", "Save the speaker's response as PNG"),
        {QCoreApplication::translate("TimeResponseWindow", "PNG image (*.png)")});
    if (!chosen.path.isEmpty()) {
        guard_.WriteFile(
            WithSuffix(chosen.path, QStringLiteral("png")), session_.DriverFiles(),
            [this](const std::string& temporary) { exporting::SavePng(Picture(), temporary); });
    }
}

// The samples whose times lie in the visible range, as the time view writes its own.
void SpeakerTimeView::SaveData() {
    if (!response_) {
        return;
    }
    const ChosenFile chosen = chooser_(
        this, QCoreApplication::translate("SpeakerTimeView", "Save the speaker's response as CSV"),
        {QCoreApplication::translate("TimeResponseWindow", "CSV, one row per tap (*.csv)")});
    if (chosen.path.isEmpty()) {
        return;
    }
    const graph::TapSpan taps = graph::VisibleTaps(*response_, range_);
    const std::string text = exporting::TimeSeriesCsv(*response_, Kind(), taps.first, taps.last);
    guard_.WriteFile(WithSuffix(chosen.path, QStringLiteral("csv")), session_.DriverFiles(),
                     exporting::ContentWriter(text));
}

}  // namespace kc::app

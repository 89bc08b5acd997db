// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/acoustic_view.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "app/acoustic_choices.h"
#include "app/align_controls.h"
#include "app/correction_controls.h"
#include "app/design_session.h"
#include "app/dropped_files.h"
#include "app/slider_steps.h"
#include "dsp/bands.h"
#include "export/acoustic_csv.h"
#include "export/acoustic_frd.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "graph/acoustic_zoom.h"
#include "graph/qt/acoustic_plot_image.h"
#include "graph/qt/time_plot_image.h"

namespace kc::app {

namespace {

using acoustic::Band;

// The file dialogs' name filters, in the language of the window.
QString DriverFilter() {
    return QCoreApplication::translate(
        "AcousticView",
        "Driver files: FRD, text and CSV exports, impulse-response WAV (*.frd *.txt *.csv *.wav)");
}

QString AllFilesFilter() {
    return QCoreApplication::translate("AcousticView", "All files (*)");
}

QString ExportFilter() {
    return QCoreApplication::translate("AcousticView",
                                       "FRD, one file per band and the sum (*.frd)");
}

// Slider steps: 0.1 dB of gain, 0.01 ms of delay.
constexpr double kGainStepsPerDb = 10.0;
constexpr double kDelayStepsPerMs = 100.0;

// "Low", "Mid", "High".
QString Title(Band band) {
    return QString::fromLatin1(dsp::kCurveNames[static_cast<std::size_t>(band)].title);
}

QString Named(const char* what, Band band) {
    return QString::fromLatin1(what) + Title(band);
}

QDoubleSpinBox* MakeSpinBox(QWidget* parent, const QString& name, double lowest, double highest,
                            int decimals, const QString& suffix) {
    auto* box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setRange(lowest, highest);
    box->setDecimals(decimals);
    box->setSingleStep(std::pow(10.0, -decimals));
    box->setSuffix(suffix);
    box->setKeyboardTracking(false);
    return box;
}

QSlider* MakeSlider(QWidget* parent, const QString& name, double lowest, double highest,
                    double stepsPerUnit) {
    auto* slider = new QSlider(Qt::Horizontal, parent);
    slider->setObjectName(name);
    slider->setRange(static_cast<int>(std::lround(lowest * stepsPerUnit)),
                     static_cast<int>(std::lround(highest * stepsPerUnit)));
    slider->setValue(0);
    // One step (0.1 dB, 0.01 ms) for an arrow key and a wheel notch, ten for Page Up and Down.
    slider->setSingleStep(1);
    slider->setPageStep(10);
    new OneStepWheel(slider);
    slider->setMinimumWidth(160);
    return slider;
}

QString HzText(double hz) {
    return hz >= 1000.0 ? QString::number(hz / 1000.0, 'g', 4) + QStringLiteral(" kHz")
                        : QString::number(hz, 'g', 4) + QStringLiteral(" Hz");
}

}  // namespace

AcousticView::AcousticView(QWidget* parent, DesignSession& session, FileNameChooser saveChooser,
                           ReportingRunner runReporting, WriteGuard guard)
    : QWidget(parent),
      session_(session),
      saveChooser_(std::move(saveChooser)),
      guard_(std::move(guard)),
      runReporting_(std::move(runReporting)) {
    setObjectName(QStringLiteral("Acoustic"));
    setAcceptDrops(true);
    CreateControls();
    // The drivers before the design, so that the crossover is evaluated once, at their
    // frequencies.
    model_.SetDrivers(session_.Drivers());
    ApplyDesign();
    shownSettings_ = CurrentSettings();
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        ShowBandSettings(b, shownSettings_[b]);
    }
    ShowDrivers();
    UpdateResponses();
    ConnectSession();
}

AcousticView::~AcousticView() = default;

void AcousticView::CreateControls() {
    auto* layout = new QVBoxLayout(this);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        layout->addWidget(CreateBandRow(static_cast<Band>(b)));
        ConnectBandRow(static_cast<Band>(b));
    }
    choices_ = new AcousticChoices(this, session_, runReporting_);
    correction_ = new CorrectionControls(this, session_, runReporting_);
    layout->addWidget(correction_);
    exportButton_ =
        new QPushButton(QCoreApplication::translate("AcousticView", "Export FRD…"), this);
    exportButton_->setObjectName(QStringLiteral("ExportAcoustic"));
    exportButton_->setAutoDefault(false);
    range_ = new QLabel(this);
    range_->setObjectName(QStringLiteral("AcousticRange"));
    align_ = new AlignControls(
        this, session_, model_, [this] { return AlignmentTarget(); }, runReporting_);
    layout->addWidget(align_);
    // The choices and the export on one line, what the files span on the next, so that neither
    // widens the window.
    auto* actions = new QHBoxLayout;
    actions->addWidget(choices_);
    actions->addSpacing(16);
    actions->addWidget(exportButton_);
    actions->addStretch();
    layout->addLayout(actions);
    layout->addWidget(range_);
    PictureHandlers handlers;
    handlers.render = [this] { Render(); };
    handlers.readout = [this](std::optional<QPointF> pixel) { ShowReadoutAt(pixel); };
    handlers.zoomToRect = [this](const QRectF& pixels) { ZoomToRect(pixels); };
    handlers.zoomAt = [this](QPointF pixel, double factor) { ZoomAt(pixel, factor); };
    handlers.resetZoom = [this] { ResetZoom(); };
    handlers.savePicture = [this] { SavePicture(); };
    handlers.saveData = [this] { SaveData(); };
    plot_ = new PictureView(this, std::move(handlers), runReporting_);
    plot_->setObjectName(QStringLiteral("AcousticPlot"));
    plot_->setMinimumSize(480, 260);
    layout->addWidget(plot_, 1);
    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("AcousticReadout"));
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(readout_);
    const auto reporting = [this](void (AcousticView::*handler)()) {
        return [this, handler] { runReporting_([this, handler] { (this->*handler)(); }); };
    };
    connect(exportButton_, &QPushButton::clicked, this, reporting(&AcousticView::ExportFrd));
}

QWidget* AcousticView::CreateBandRow(Band band) {
    BandRow& r = rows_[static_cast<std::size_t>(band)];
    r.row = new QWidget(this);
    r.row->setObjectName(Named("BandRow", band));
    auto* title = new QLabel(Title(band), r.row);
    title->setMinimumWidth(32);
    r.file = new QPushButton(QCoreApplication::translate("AcousticView", "File…"), r.row);
    r.file->setObjectName(Named("DriverFile", band));
    r.file->setAutoDefault(false);
    r.name = new QLabel(r.row);
    r.name->setObjectName(Named("DriverName", band));
    r.name->setMinimumWidth(120);
    r.clear = new QToolButton(r.row);
    r.clear->setObjectName(Named("ClearDriver", band));
    r.clear->setText(QStringLiteral("×"));
    r.clear->setToolTip(QCoreApplication::translate(
        "AcousticView", "Ideal driver (0°, at the measured drivers' level)"));
    r.kind = new QLabel(r.row);
    r.kind->setObjectName(Named("DriverKind", band));
    r.channel = new QSpinBox(r.row);
    r.channel->setObjectName(Named("Channel", band));
    r.channel->setRange(1, acoustic::kMaxImpulseChannels);
    r.channel->setPrefix(QCoreApplication::translate("AcousticView", "ch "));
    r.channel->setKeyboardTracking(false);
    r.channel->setToolTip(
        QCoreApplication::translate("AcousticView", "The channel of an impulse-response WAV"));
    r.gate = MakeSpinBox(r.row, Named("Gate", band), 0.0, acoustic::kMaxGateMs, 1,
                         QStringLiteral(" ms"));
    r.gate->setSpecialValueText(QCoreApplication::translate("AcousticView", "whole file"));
    r.gate->setToolTip(QCoreApplication::translate(
        "AcousticView",
        "The gate of an impulse response: what is kept after its peak, the last "
        "tenth faded out"));
    r.gainSlider = MakeSlider(r.row, Named("GainSlider", band), acoustic::kMinGainDb,
                              acoustic::kMaxGainDb, kGainStepsPerDb);
    r.gain = MakeSpinBox(r.row, Named("Gain", band), acoustic::kMinGainDb, acoustic::kMaxGainDb, 1,
                         QStringLiteral(" dB"));
    r.delaySlider = MakeSlider(r.row, Named("DelaySlider", band), acoustic::kMinDelayMs,
                               acoustic::kMaxDelayMs, kDelayStepsPerMs);
    r.delay = MakeSpinBox(r.row, Named("Delay", band), acoustic::kMinDelayMs, acoustic::kMaxDelayMs,
                          2, QStringLiteral(" ms"));
    r.invert = new QCheckBox(QCoreApplication::translate("AcousticView", "Invert"), r.row);
    r.invert->setObjectName(Named("Invert", band));
    auto* layout = new QHBoxLayout(r.row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : {static_cast<QWidget*>(title), static_cast<QWidget*>(r.file)}) {
        layout->addWidget(widget);
    }
    layout->addWidget(r.name, 1);
    layout->addWidget(r.kind);
    layout->addWidget(r.clear);
    layout->addWidget(r.channel);
    layout->addWidget(new QLabel(QCoreApplication::translate("AcousticView", "Gate"), r.row));
    layout->addWidget(r.gate);
    layout->addWidget(new QLabel(QCoreApplication::translate("AcousticView", "Gain"), r.row));
    layout->addWidget(r.gainSlider);
    layout->addWidget(r.gain);
    layout->addWidget(new QLabel(QCoreApplication::translate("AcousticView", "Delay"), r.row));
    layout->addWidget(r.delaySlider);
    layout->addWidget(r.delay);
    layout->addWidget(r.invert);
    return r.row;
}

// A slider moves its box, whose change goes into the session; the box moves its slider without
// a second change.
void AcousticView::ConnectBandRow(Band band) {
    const auto b = static_cast<std::size_t>(band);
    const BandRow& r = rows_[b];
    const auto reporting = [this](std::function<void()> handler) {
        return [this, handler = std::move(handler)] { runReporting_(handler); };
    };
    connect(r.file, &QPushButton::clicked, this, reporting([this, band] { ChooseDriver(band); }));
    connect(r.clear, &QToolButton::clicked, this, reporting([this, band] { ClearDriver(band); }));
    connect(r.channel, &QSpinBox::valueChanged, this,
            reporting([this, band] { ChangeImpulseOptions(band); }));
    connect(r.gate, &QDoubleSpinBox::valueChanged, this,
            reporting([this, band] { ChangeImpulseOptions(band); }));
    const auto couple = [&](QSlider* slider, QDoubleSpinBox* box, double stepsPerUnit,
                            double acoustic::BandSettings::*setting) {
        connect(slider, &QSlider::valueChanged, this,
                [box, stepsPerUnit](int steps) { box->setValue(steps / stepsPerUnit); });
        connect(box, &QDoubleSpinBox::valueChanged, this,
                reporting([this, slider, box, stepsPerUnit, setting, b] {
                    const QSignalBlocker blocker(slider);
                    slider->setValue(static_cast<int>(std::lround(box->value() * stepsPerUnit)));
                    session_.Edit([&](design_file::Design& design) {
                        design.acoustic[b].band.*setting = box->value();
                    });
                }));
    };
    // A typed gain or delay applies as it is typed, not only after Enter.
    for (QDoubleSpinBox* box : {r.gain, r.delay}) {
        box->setKeyboardTracking(true);
    }
    couple(r.gainSlider, r.gain, kGainStepsPerDb, &acoustic::BandSettings::gainDb);
    couple(r.delaySlider, r.delay, kDelayStepsPerMs, &acoustic::BandSettings::delayMs);
    connect(r.invert, &QCheckBox::toggled, this, reporting([this, b, invert = r.invert] {
                session_.Edit([&](design_file::Design& design) {
                    design.acoustic[b].band.inverted = invert->isChecked();
                });
            }));
}

void AcousticView::ConnectSession() {
    const auto reporting = [this](void (AcousticView::*handler)()) {
        return [this, handler] { runReporting_([this, handler] { (this->*handler)(); }); };
    };
    connect(&session_, &DesignSession::resultChanged, this, reporting(&AcousticView::FollowResult));
    connect(&session_, &DesignSession::driversChanged, this,
            reporting(&AcousticView::FollowDrivers));
    connect(&session_, &DesignSession::designChanged, this,
            reporting(&AcousticView::FollowSettings));
}

void AcousticView::FollowResult() {
    ApplyDesign();
    UpdateResponses();
}

// The corrected bands are aligned to the target they were corrected to.
acoustic::TargetSettings AcousticView::AlignmentTarget() const {
    acoustic::TargetSettings target = design_file::CorrectionOf(session_.Design()).target;
    if (corrected_) {
        target.levelDb = corrected_->targetLevelDb;
    }
    return target;
}

void AcousticView::ApplyDesign() {
    shownCorrection_ = design_file::CorrectionOf(session_.Design());
    corrected_.reset();
    shownTaps_ = session_.Taps();
    if (!session_.Result()) {
        return;
    }
    const acoustic::Correction correction{
        shownCorrection_, std::make_shared<const acoustic::Drivers>(session_.Drivers())};
    if (correction.Active()) {
        corrected_ = acoustic::CorrectDesign(*session_.Result(), correction);
        shownTaps_ = std::make_shared<const dsp::CrossoverTaps>(std::move(corrected_->taps));
    }
    model_.SetDesign(shownTaps_);
}

// The session checked the files' frequencies at the design's rate, which the model has too.
void AcousticView::FollowDrivers() {
    model_.SetDrivers(session_.Drivers());
    zoom_.reset();
    ApplyDesign();
    ShowDrivers();
    UpdateResponses();
}

void AcousticView::FollowSettings() {
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        ShowImpulseOptions(b);
    }
    if (session_.Design().acousticView != inputs_.choices) {
        choices_->Follow();
        Render();
    }
    correction_->Follow();
    if (design_file::CorrectionOf(session_.Design()) != shownCorrection_) {
        ApplyDesign();
        UpdateResponses();
    }
    const acoustic::Settings settings = CurrentSettings();
    if (settings == shownSettings_) {
        return;
    }
    shownSettings_ = settings;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        ShowBandSettings(b, settings[b]);
    }
    UpdateResponses();
}

void AcousticView::LoadDriver(Band band, const QString& path) {
    session_.SetDriverFile(band, path);
}

void AcousticView::ClearDriver(Band band) {
    session_.SetDriverFile(band, QString());
}

// A refused channel or gate puts the controls back to what the session keeps.
void AcousticView::ChangeImpulseOptions(Band band) {
    const auto b = static_cast<std::size_t>(band);
    const acoustic::ImpulseOptions options{rows_[b].channel->value(), rows_[b].gate->value()};
    try {
        session_.SetImpulseOptions(band, options);
    } catch (...) {
        ShowImpulseOptions(b);
        throw;
    }
}

void AcousticView::ShowImpulseOptions(std::size_t band) {
    const BandRow& r = rows_[band];
    const acoustic::ImpulseOptions& options = session_.Design().acoustic[band].impulse;
    const QSignalBlocker blockers[] = {QSignalBlocker(r.channel), QSignalBlocker(r.gate)};
    r.channel->setValue(options.channel);
    r.gate->setValue(options.gateMs);
    const auto& driver = model_.DriverFiles()[band];
    const bool impulse = driver && driver->kind == acoustic::DriverKind::ImpulseResponse;
    r.channel->setEnabled(impulse);
    r.gate->setEnabled(impulse);
}

// Sets the boxes and their sliders without a change of the session: they show it.
void AcousticView::ShowBandSettings(std::size_t band, const acoustic::BandSettings& settings) {
    const BandRow& r = rows_[band];
    const QSignalBlocker blockers[] = {QSignalBlocker(r.gain), QSignalBlocker(r.gainSlider),
                                       QSignalBlocker(r.delay), QSignalBlocker(r.delaySlider),
                                       QSignalBlocker(r.invert)};
    // A box that shows the value already keeps its text: it may be the one being typed in, whose
    // value applies as it is typed.
    for (const auto& [box, value] :
         {std::pair{r.gain, settings.gainDb}, std::pair{r.delay, settings.delayMs}}) {
        if (box->value() != box->valueFromText(box->textFromValue(value))) {
            box->setValue(value);
        }
    }
    r.gainSlider->setValue(static_cast<int>(std::lround(r.gain->value() * kGainStepsPerDb)));
    r.delaySlider->setValue(static_cast<int>(std::lround(r.delay->value() * kDelayStepsPerMs)));
    r.invert->setChecked(settings.inverted);
}

void AcousticView::ChooseDriver(Band band) {
    const QString caption =
        QCoreApplication::translate("AcousticView", "Driver of the %1 band")
            .arg(QString::fromLatin1(dsp::kCurveNames[static_cast<std::size_t>(band)].id));
    const QString path = openChooser_(this, caption, {DriverFilter(), AllFilesFilter()}).path;
    if (!path.isEmpty()) {
        LoadDriver(band, path);
    }
}

void AcousticView::DropFiles(std::optional<Band> band, const QStringList& paths) {
    if (band && paths.size() == 1) {
        LoadDriver(*band, paths.constFirst());
        return;
    }
    if (band || paths.size() != static_cast<qsizetype>(dsp::kBandCount)) {
        throw std::runtime_error(
            "Drop one driver file (.frd, .txt, .csv, .wav) onto a band's row, or the three "
            "drivers at once onto the plot");
    }
    session_.SetDriverFilesByFrequency(paths);
}

void AcousticView::ExportFrd() {
    if (!model_.HasDesign() || model_.Frequencies().empty()) {
        return;
    }
    const ChosenFile chosen = saveChooser_(
        this, QCoreApplication::translate("AcousticView", "Export acoustic responses as FRD"),
        {ExportFilter()});
    if (chosen.path.isEmpty()) {
        return;
    }
    QString prefix = chosen.path;
    if (QFileInfo(prefix).suffix().compare("frd", Qt::CaseInsensitive) == 0) {
        prefix.chop(4);
    }
    const std::string localPrefix = QFile::encodeName(prefix).toStdString();
    const std::array<std::string, 4> names = exporting::AcousticFrdNames(localPrefix);
    const std::array<std::string, 4> texts =
        exporting::AcousticFrdTexts(model_, CurrentSettings(), response_);
    guard_.Write({names.begin(), names.end()}, DriverFiles(), [&](exporting::AtomicFileSet& set) {
        for (std::size_t i = 0; i < names.size(); ++i) {
            set.WriteText(names[i], texts[i]);
        }
    });
}

void AcousticView::SavePicture() {
    if (Picture().isNull()) {
        return;
    }
    const ChosenFile chosen = saveChooser_(
        this, QCoreApplication::translate("AcousticView", "Save acoustic response as PNG"),
        {QCoreApplication::translate("AcousticView", "PNG image (*.png)")});
    if (chosen.path.isEmpty()) {
        return;
    }
    const QImage picture = Picture();
    guard_.WriteFile(
        WithSuffix(chosen.path, QStringLiteral("png")), DriverFiles(),
        [&picture](const std::string& temporary) { exporting::SavePng(picture, temporary); });
}

// Each band's and the sum's level, phase and group delay, as --acoustic-csv writes them.
void AcousticView::SaveData() {
    if (response_.sum.empty()) {
        return;
    }
    const ChosenFile chosen = saveChooser_(
        this, QCoreApplication::translate("AcousticView", "Save acoustic response as CSV"),
        {QCoreApplication::translate("AcousticView", "CSV, one row per frequency (*.csv)")});
    if (chosen.path.isEmpty()) {
        return;
    }
    const std::string text = exporting::AcousticCsvText(response_, CurrentSettings());
    guard_.WriteFile(WithSuffix(chosen.path, QStringLiteral("csv")), DriverFiles(),
                     exporting::ContentWriter(text));
}

std::vector<std::string> AcousticView::DriverFiles() const {
    return session_.DriverFiles();
}

acoustic::Settings AcousticView::CurrentSettings() const {
    acoustic::Settings settings;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        settings[b] = session_.Design().acoustic[b].band;
    }
    return settings;
}

const QImage& AcousticView::Picture() const {
    return plot_->Picture();
}

QString AcousticView::ReadoutText() const {
    return readout_->text();
}

void AcousticView::ShowReadoutAt(std::optional<QPointF> pixel) {
    const graph::PlotFrame frame =
        graph::AcousticPlotFrame(plot_->width(), plot_->height(), graph::MetricsOf(font()).height);
    readoutIndex_ = pixel ? graph::FrequencyIndexAtPixel(frame, inputs_, pixel->x()) : std::nullopt;
    readout_->setText(
        readoutIndex_ ? QString::fromStdString(graph::AcousticReadoutText(inputs_, *readoutIndex_))
                      : QString());
}

void AcousticView::UpdateResponses() {
    model_.Evaluate(CurrentSettings(), response_);
    inputs_ = graph::AcousticPlotInputsOf(model_, response_, CurrentSettings());
    if (corrected_ && inputs_.note.empty()) {
        inputs_.targetDb = acoustic::TargetLevelsDb(
            shownCorrection_.target, corrected_->targetLevelDb, response_.frequenciesHz);
        inputs_.correctionDb = corrected_->correctionsDb;
    }
    if (readoutIndex_ && *readoutIndex_ < inputs_.frequenciesHz.size() && inputs_.note.empty()) {
        readout_->setText(
            QString::fromStdString(graph::AcousticReadoutText(inputs_, *readoutIndex_)));
    } else {
        readoutIndex_.reset();
        readout_->clear();
    }
    exportButton_->setEnabled(inputs_.note.empty() && model_.HasDesign());
    align_->FollowModel();
    range_->setText(StatusText());
    Render();
}

void AcousticView::ZoomToRect(const QRectF& pixels) {
    const auto range = graph::AcousticZoomedToBand(
        Frame(), inputs_, {pixels.left(), pixels.top(), pixels.right(), pixels.bottom()});
    if (range) {
        zoom_ = range;
        Render();
    }
}

void AcousticView::ZoomAt(QPointF pixel, double factor) {
    const auto range = graph::AcousticZoomedAbout(Frame(), inputs_, pixel.x(), pixel.y(), factor);
    if (range) {
        zoom_ = range;
        Render();
    }
}

void AcousticView::ResetZoom() {
    zoom_.reset();
    Render();
}

graph::PlotFrame AcousticView::Frame() const {
    return graph::AcousticPlotFrame(plot_->width(), plot_->height(),
                                    graph::MetricsOf(font()).height);
}

void AcousticView::Render() {
    inputs_.choices = session_.Design().acousticView;
    inputs_.zoom = zoom_;
    inputs_.width = plot_->width();
    inputs_.height = plot_->height();
    plot_->SetPicture(graph::RenderAcousticPlot(inputs_, font()));
}

void AcousticView::ShowDrivers() {
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const auto& driver = model_.DriverFiles()[b];
        const BandRow& r = rows_[b];
        const QString path =
            QFile::decodeName(QByteArray::fromStdString(session_.Design().acoustic[b].driverFile));
        if (driver) {
            r.name->setText(QString::fromStdString(driver->name));
            QString tip = QCoreApplication::translate("AcousticView", "%1\n%2 points, %3 … %4\n%5")
                              .arg(path)
                              .arg(driver->frequenciesHz.size())
                              .arg(HzText(driver->FirstHz()), HzText(driver->LastHz()),
                                   QString::fromStdString(driver->reading));
            for (const std::string& warning : driver->warnings) {
                tip += QStringLiteral("\n⚠ ") + QString::fromStdString(warning);
            }
            r.name->setToolTip(tip);
            r.kind->setText(QString::fromStdString(acoustic::KindText(*driver)));
            r.kind->setToolTip(tip);
        } else if (!path.isEmpty()) {
            r.name->setText(QFileInfo(path).fileName() +
                            QCoreApplication::translate("AcousticView", " (not loaded)"));
            r.name->setToolTip(path + QCoreApplication::translate(
                                          "AcousticView", "\nThe ideal driver stands in for it."));
            r.kind->clear();
        } else {
            r.name->setText(QCoreApplication::translate("AcousticView", "ideal driver (%1 dB, 0°)")
                                .arg(acoustic::IdealLevelDb(model_.DriverFiles()), 0, 'f', 1));
            r.name->setToolTip(QCoreApplication::translate(
                "AcousticView",
                "With a measured driver loaded, an ideal band takes the mean of the measured "
                "drivers' median levels."));
            r.kind->clear();
        }
        r.clear->setEnabled(driver.has_value() || !path.isEmpty());
        ShowImpulseOptions(b);
    }
}

// The frequencies, where the sum rests on continued data, and the drivers' warnings.
QString AcousticView::StatusText() const {
    const std::vector<double>& f = model_.Frequencies();
    if (f.empty()) {
        return {};
    }
    QString text =
        QCoreApplication::translate("AcousticView",
                                    "%1 … %2, %3 points (48 per octave). Drop driver files (.frd, "
                                    ".txt, .csv, .wav) onto a band's row, or all three onto the "
                                    "plot.")
            .arg(HzText(f.front()), HzText(f.back()))
            .arg(f.size());
    const std::string continued =
        acoustic::ContinuedText(acoustic::ContinuedStretches(model_.DriverFiles(), response_));
    if (!continued.empty()) {
        text += QCoreApplication::translate("AcousticView", " Dashed: beyond a file's ends; ") +
                QString::fromStdString(continued) + '.';
    }
    if (corrected_ && !response_.sum.empty()) {
        text += QStringLiteral("\n") +
                QCoreApplication::translate(
                    "AcousticView",
                    "Corrected: the sum %1. Dashed black: the target; dashed in a band's colour: "
                    "its correction about the target.")
                    .arg(QString::fromStdString(acoustic::DeviationText(
                        response_, shownCorrection_.target, corrected_->targetLevelDb)));
        for (const std::string& line : acoustic::CorrectionLines(*corrected_)) {
            text += QStringLiteral("\n") + QString::fromStdString(line);
        }
    }
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const auto& driver = model_.DriverFiles()[b];
        if (driver) {
            for (const std::string& warning : driver->warnings) {
                text += QStringLiteral("\n⚠ %1: %2")
                            .arg(Title(static_cast<Band>(b)), QString::fromStdString(warning));
            }
        }
    }
    return text;
}

std::optional<Band> AcousticView::BandRowAt(QPoint position) const {
    for (const QWidget* widget = childAt(position); widget != nullptr && widget != this;
         widget = widget->parentWidget()) {
        for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
            if (widget == rows_[b].row) {
                return static_cast<Band>(b);
            }
        }
    }
    return std::nullopt;
}

void AcousticView::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedDriverFiles(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void AcousticView::dropEvent(QDropEvent* event) {
    const QStringList paths = DroppedDriverFiles(event->mimeData());
    if (paths.isEmpty()) {
        return;
    }
    event->acceptProposedAction();
    const std::optional<Band> band = BandRowAt(event->position().toPoint());
    runReporting_([this, band, paths] { DropFiles(band, paths); });
}

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/time_response_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QRubberBand>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <cmath>
#include <utility>

#include "app/look/window_look.h"
#include "export/csv_export.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "graph/qt/time_plot_image.h"
#include "graph/time_zoom.h"

namespace kc::app {

// The plot: shows the window's picture; a drag with the left button draws a rubber band that
// zooms to it, the wheel zooms about the pointer, a double click shows the whole design again,
// and the pointer's tap is read out while it moves.
class TimePlotView final : public QWidget {
  public:
    TimePlotView(TimeResponseWindow& window, QWidget* parent)
        : QWidget(parent), window_(window), band_(QRubberBand::Rectangle, this) {
        setObjectName(QStringLiteral("TimePlot"));
        setMouseTracking(true);
        setMinimumSize(480, 300);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    }

  protected:
    void paintEvent(QPaintEvent* /*event*/) override {
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), window_.Picture());
    }
    void resizeEvent(QResizeEvent* /*event*/) override {
        window_.RunReporting([this] { window_.Render(); });
    }
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            origin_ = event->position().toPoint();
            band_.setGeometry(QRect(origin_, QSize()));
            band_.show();
        }
    }
    void mouseMoveEvent(QMouseEvent* event) override {
        if (band_.isVisible()) {
            band_.setGeometry(QRect(origin_, event->position().toPoint()).normalized());
        }
        const QPointF position = event->position();
        window_.RunReporting([this, position] { window_.ShowReadoutAt(position); });
    }
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && band_.isVisible()) {
            band_.hide();
            const QRectF band = QRectF(origin_, event->position()).normalized();
            window_.RunReporting([this, band] { window_.ZoomToRect(band); });
        }
    }
    void mouseDoubleClickEvent(QMouseEvent* /*event*/) override {
        window_.RunReporting([this] { window_.ResetZoom(); });
    }
    void wheelEvent(QWheelEvent* event) override {
        // One notch (120) zooms in by a fifth; backwards out by as much.
        const QPointF position = event->position();
        const double factor = std::pow(0.8, event->angleDelta().y() / 120.0);
        window_.RunReporting([this, position, factor] { window_.ZoomAt(position, factor); });
    }
    void leaveEvent(QEvent* /*event*/) override {
        window_.RunReporting([this] { window_.ShowReadoutAt(std::nullopt); });
    }

  private:
    TimeResponseWindow& window_;
    QRubberBand band_;
    QPoint origin_;
};

namespace {

const QString kPngFilter = QStringLiteral("PNG image (*.png)");
const QString kCsvFilter = QStringLiteral("CSV, one row per tap (*.csv)");

QCheckBox* MakeCurveBox(QWidget* parent, std::string_view name) {
    QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    auto* box = new QCheckBox(text.left(1).toUpper() + text.mid(1), parent);
    box->setObjectName(QStringLiteral("Show") + box->text());
    box->setChecked(true);
    return box;
}

}  // namespace

TimeResponseWindow::TimeResponseWindow(QWidget* owner, FileNameChooser chooser,
                                       ReplaceQuestion replaceQuestion,
                                       ReportingRunner runReporting)
    : QWidget(owner, Qt::Window),
      chooser_(std::move(chooser)),
      replaceQuestion_(std::move(replaceQuestion)),
      runReporting_(std::move(runReporting)) {
    setObjectName(QStringLiteral("TimeResponse"));
    setWindowTitle(QStringLiteral("Time and acoustic response"));
    setFont(WindowFont(kWindowFontPixels));
    CreateControls();
    ConnectControls();
    resize(880, 620);
    UpdateFigures();
    UpdateEnabled();
}

TimeResponseWindow::~TimeResponseWindow() = default;

void TimeResponseWindow::CreateControls() {
    impulseButton_ = new QRadioButton(QStringLiteral("Impulse"), this);
    impulseButton_->setObjectName(QStringLiteral("Impulse"));
    impulseButton_->setChecked(true);
    stepButton_ = new QRadioButton(QStringLiteral("Step"), this);
    stepButton_->setObjectName(QStringLiteral("Step"));
    dbBox_ = new QCheckBox(QStringLiteral("dB"), this);
    dbBox_->setObjectName(QStringLiteral("ImpulseDb"));
    auto* views = new QHBoxLayout;
    views->addWidget(new QLabel(QStringLiteral("View:"), this));
    views->addWidget(impulseButton_);
    views->addWidget(stepButton_);
    views->addWidget(dbBox_);
    views->addSpacing(24);
    views->addWidget(new QLabel(QStringLiteral("Show:"), this));
    for (std::size_t curve = 0; curve < dsp::kTimeCurves; ++curve) {
        curveBoxes_[curve] = MakeCurveBox(this, dsp::kTimeCurveNames[curve]);
        views->addWidget(curveBoxes_[curve]);
    }
    views->addStretch();
    thresholdBox_ = new QSpinBox(this);
    thresholdBox_->setObjectName(QStringLiteral("Threshold"));
    thresholdBox_->setRange(dsp::kMinPreRingingDb, dsp::kMaxPreRingingDb);
    thresholdBox_->setValue(dsp::kDefaultPreRingingDb);
    thresholdBox_->setPrefix(QStringLiteral("-"));
    thresholdBox_->setSuffix(QStringLiteral(" dB"));
    const QString definition =
        QString::fromUtf8(dsp::kPreRingingDefinition.data(),
                          static_cast<qsizetype>(dsp::kPreRingingDefinition.size()));
    thresholdBox_->setToolTip(definition);
    resetButton_ = new QPushButton(QStringLiteral("Reset zoom"), this);
    pngButton_ = new QPushButton(QStringLiteral("Save PNG…"), this);
    csvButton_ = new QPushButton(QStringLiteral("Save CSV…"), this);
    auto* actions = new QHBoxLayout;
    actions->addWidget(new QLabel(QStringLiteral("Pre-ringing threshold:"), this));
    actions->addWidget(thresholdBox_);
    actions->addSpacing(24);
    for (QPushButton* button : {resetButton_, pngButton_, csvButton_}) {
        button->setAutoDefault(false);
        actions->addWidget(button);
    }
    actions->addStretch();
    plot_ = new TimePlotView(*this, this);
    figuresLabel_ = new QLabel(this);
    figuresLabel_->setObjectName(QStringLiteral("Figures"));
    figuresLabel_->setToolTip(definition);
    adjustNote_ = new QLabel(this);
    adjustNote_->setObjectName(QStringLiteral("AdjustNote"));
    readout_ = new QLabel(this);
    readout_->setObjectName(QStringLiteral("Readout"));
    readout_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* timePage = new QWidget(this);
    auto* layout = new QVBoxLayout(timePage);
    layout->addLayout(views);
    layout->addLayout(actions);
    layout->addWidget(plot_, 1);
    for (QLabel* label : {figuresLabel_, adjustNote_}) {
        layout->addWidget(label);
    }
    layout->addWidget(readout_);
    CreateTabs(timePage);
}

// The time views on one tab, the acoustic view on another.
void TimeResponseWindow::CreateTabs(QWidget* timePage) {
    acoustic_ = new AcousticView(this, chooser_, runReporting_,
                                 {[this](const QStringList& paths) { return MayWrite(paths); },
                                  [this](const QStringList& paths) { Wrote(paths); }});
    auto* tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("Views"));
    tabs->addTab(timePage, QStringLiteral("Time"));
    tabs->addTab(acoustic_, QStringLiteral("Acoustic"));
    // The note of a finished export, below both tabs, in a line of its own that keeps its height
    // when the note goes, so that a note never changes the plots' size.
    auto* noteLine = new QWidget(this);
    noteLine->setFixedHeight(QFontMetrics(font()).height() + 2);
    note_ = new TransientNote(noteLine);
    note_->setObjectName(QStringLiteral("Note"));
    auto* noteLayout = new QHBoxLayout(noteLine);
    noteLayout->setContentsMargins(0, 0, 0, 0);
    noteLayout->addWidget(note_);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(tabs);
    outer->addWidget(noteLine);
}

void TimeResponseWindow::ConnectControls() {
    const auto reporting = [this](void (TimeResponseWindow::*handler)()) {
        return [this, handler] { runReporting_([this, handler] { (this->*handler)(); }); };
    };
    connect(impulseButton_, &QRadioButton::toggled, this,
            reporting(&TimeResponseWindow::KindChanged));
    connect(dbBox_, &QCheckBox::toggled, this, reporting(&TimeResponseWindow::KindChanged));
    for (QCheckBox* box : curveBoxes_) {
        connect(box, &QCheckBox::toggled, this, reporting(&TimeResponseWindow::Render));
    }
    connect(thresholdBox_, &QSpinBox::valueChanged, this,
            reporting(&TimeResponseWindow::UpdateFigures));
    connect(resetButton_, &QPushButton::clicked, this, reporting(&TimeResponseWindow::ResetZoom));
    connect(pngButton_, &QPushButton::clicked, this, reporting(&TimeResponseWindow::SavePicture));
    connect(csvButton_, &QPushButton::clicked, this, reporting(&TimeResponseWindow::SaveData));
}

void TimeResponseWindow::Follow(const dsp::CrossoverTaps& taps, bool adjusted) {
    acoustic_->Follow(taps);
    response_ = dsp::MakeTimeResponse(taps, adjusted);
    range_ = graph::FullTimeRange(*response_, Kind(), Shown());
    readout_->clear();
    UpdateEnabled();
    UpdateFigures();
}

dsp::TimeSeriesKind TimeResponseWindow::Kind() const {
    if (stepButton_->isChecked()) {
        return dsp::TimeSeriesKind::Step;
    }
    return dbBox_->isChecked() ? dsp::TimeSeriesKind::ImpulseDb : dsp::TimeSeriesKind::Impulse;
}

int TimeResponseWindow::ThresholdDb() const {
    return thresholdBox_->value();
}

bool TimeResponseWindow::StepShown() const {
    return stepButton_->isChecked();
}

bool TimeResponseWindow::ImpulseInDb() const {
    return dbBox_->isChecked();
}

void TimeResponseWindow::SetView(int thresholdDb, bool step, bool impulseDb) {
    (step ? stepButton_ : impulseButton_)->setChecked(true);
    dbBox_->setChecked(impulseDb);
    thresholdBox_->setValue(thresholdDb);
}

QString TimeResponseWindow::ReadoutText() const {
    return readout_->text();
}

std::array<bool, dsp::kTimeCurves> TimeResponseWindow::Shown() const {
    std::array<bool, dsp::kTimeCurves> shown{};
    for (std::size_t curve = 0; curve < dsp::kTimeCurves; ++curve) {
        shown[curve] = curveBoxes_[curve]->isChecked();
    }
    return shown;
}

graph::PlotFrame TimeResponseWindow::Frame() const {
    return graph::TimePlotFrame(plot_->width(), plot_->height(), graph::MetricsOf(font()).height);
}

void TimeResponseWindow::SetRange(const graph::TimeRange& range) {
    range_ = range;
    Render();
}

void TimeResponseWindow::ZoomToRect(const QRectF& pixels) {
    if (!response_) {
        return;
    }
    const auto range = graph::ZoomedToBand(
        Frame(), range_, {pixels.left(), pixels.top(), pixels.right(), pixels.bottom()},
        response_->sampleRateHz);
    if (range) {
        SetRange(*range);
    }
}

void TimeResponseWindow::ZoomAt(QPointF pixel, double factor) {
    if (!response_) {
        return;
    }
    const auto range =
        graph::ZoomedAbout(Frame(), range_, pixel.x(), pixel.y(), factor, response_->sampleRateHz);
    if (range) {
        SetRange(*range);
    }
}

void TimeResponseWindow::ResetZoom() {
    if (response_) {
        range_ = graph::FullTimeRange(*response_, Kind(), Shown());
    }
    Render();
}

void TimeResponseWindow::ShowReadoutAt(std::optional<QPointF> pixel) {
    const std::optional<int32_t> tap =
        response_ && pixel ? graph::TapAtPixel(Frame(), range_, *response_, pixel->x())
                           : std::nullopt;
    readout_->setText(tap ? QString::fromStdString(graph::TimeReadoutText(*response_, Kind(), *tap))
                          : QString());
}

void TimeResponseWindow::SavePicture() {
    if (!response_) {
        return;
    }
    const ChosenFile chosen =
        chooser_(this, QStringLiteral("Save time response as PNG"), {kPngFilter});
    const QString path = WithSuffix(chosen.path, QStringLiteral("png"));
    if (!chosen.path.isEmpty() && MayWrite({path})) {
        exporting::WritePngFile(path.toStdString(), picture_, Acoustic().DriverFiles());
        Wrote({path});
    }
}

bool TimeResponseWindow::MayWrite(const QStringList& paths) {
    return MayWriteFiles(replaceQuestion_, this, windowTitle(), paths);
}

void TimeResponseWindow::Wrote(const QStringList& paths) {
    note_->Show(WrittenFilesNote(paths));
}

// The taps whose times lie in the visible range.
void TimeResponseWindow::SaveData() {
    if (!response_) {
        return;
    }
    const ChosenFile chosen =
        chooser_(this, QStringLiteral("Save time response as CSV"), {kCsvFilter});
    const QString path = WithSuffix(chosen.path, QStringLiteral("csv"));
    if (chosen.path.isEmpty() || !MayWrite({path})) {
        return;
    }
    const graph::TapSpan taps = graph::VisibleTaps(*response_, range_);
    exporting::WriteTextFile(path.toStdString(),
                             exporting::TimeSeriesCsv(*response_, Kind(), taps.first, taps.last),
                             Acoustic().DriverFiles());
    Wrote({path});
}

void TimeResponseWindow::Render() {
    graph::TimePlotInputs inputs;
    inputs.response = response_ ? &*response_ : nullptr;
    inputs.kind = Kind();
    inputs.shown = Shown();
    inputs.range = range_;
    inputs.thresholdDb = ThresholdDb();
    inputs.preRinging = figures_;
    inputs.width = plot_->width();
    inputs.height = plot_->height();
    picture_ = graph::RenderTimePlot(inputs, font());
    plot_->update();
}

// A new series keeps the time span shown and fits the amplitude to it afresh.
void TimeResponseWindow::KindChanged() {
    dbBox_->setEnabled(impulseButton_->isChecked());
    if (response_) {
        graph::TimeRange range = graph::FullTimeRange(*response_, Kind(), Shown());
        range.tMinMs = range_.tMinMs;
        range.tMaxMs = range_.tMaxMs;
        range_ = range;
    }
    readout_->clear();
    Render();
}

void TimeResponseWindow::UpdateFigures() {
    if (!response_) {
        figuresLabel_->setText(QStringLiteral("No design yet: press Calc in the main window."));
        adjustNote_->clear();
        Render();
        return;
    }
    figures_ = dsp::PreRingingFigures(*response_, ThresholdDb());
    figuresLabel_->setText(QString::fromStdString(dsp::PreRingingLine(figures_, ThresholdDb())));
    adjustNote_->setText(response_->adjusted
                             ? QStringLiteral("Adjust coefficient is on: the three bands add up "
                                              "to a unit impulse at the centre tap, so the sum "
                                              "does not ring (0 ms).")
                             : QString());
    Render();
}

void TimeResponseWindow::UpdateEnabled() {
    for (QPushButton* button : {resetButton_, pngButton_, csvButton_}) {
        button->setEnabled(response_.has_value());
    }
}

}  // namespace kc::app

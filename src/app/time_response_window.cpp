// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/time_response_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

#include "app/design_session.h"
#include "app/dropped_files.h"
#include "app/look/window_look.h"
#include "app/speaker_time_view.h"
#include "export/csv_export.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "graph/qt/time_plot_image.h"
#include "graph/time_zoom.h"

namespace kc::app {

namespace {

QString PngFilter() {
    return QCoreApplication::translate("TimeResponseWindow", "PNG image (*.png)");
}

QString CsvFilter() {
    return QCoreApplication::translate("TimeResponseWindow", "CSV, one row per tap (*.csv)");
}

// The window's title, which its replace question has as caption too.
QString WindowTitle() {
    return QCoreApplication::translate("TimeResponseWindow", "Time and acoustic response");
}

QCheckBox* MakeCurveBox(QWidget* parent, std::string_view name) {
    QString text = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
    auto* box = new QCheckBox(text.left(1).toUpper() + text.mid(1), parent);
    box->setObjectName(QStringLiteral("Show") + box->text());
    box->setChecked(true);
    return box;
}

dsp::TimeSeriesKind KindOf(const design_file::TimeSettings& settings) {
    if (settings.step) {
        return dsp::TimeSeriesKind::Step;
    }
    return settings.impulseDb ? dsp::TimeSeriesKind::ImpulseDb : dsp::TimeSeriesKind::Impulse;
}

}  // namespace

TimeResponseWindow::TimeResponseWindow(QWidget* owner, DesignSession& session,
                                       FileNameChooser chooser, ReplaceQuestion replaceQuestion,
                                       ReportingRunner runReporting)
    : QWidget(owner, Qt::Window),
      session_(session),
      chooser_(std::move(chooser)),
      guard_(this, WindowTitle(), std::move(replaceQuestion),
             [this](const QString& text) { note_->Show(text); }),
      runReporting_(std::move(runReporting)) {
    setObjectName(QStringLiteral("TimeResponse"));
    setWindowTitle(WindowTitle());
    setFont(WindowFont(kWindowFontPixels));
    CreateControls();
    ShowView(session_.Design().window.tab);
    shownSettings_ = session_.Design().time;
    SetControls(shownSettings_);
    ConnectControls();
    ConnectSession();
    resize(880, 620);
    ConnectKeys();
    AcceptDrops();
    if (session_.Result()) {
        FollowResult();
    } else {
        UpdateFigures();
        UpdateEnabled();
    }
}

TimeResponseWindow::~TimeResponseWindow() = default;

void TimeResponseWindow::CreateControls() {
    impulseButton_ =
        new QRadioButton(QCoreApplication::translate("TimeResponseWindow", "Impulse"), this);
    impulseButton_->setObjectName(QStringLiteral("Impulse"));
    impulseButton_->setChecked(true);
    stepButton_ = new QRadioButton(QCoreApplication::translate("TimeResponseWindow", "Step"), this);
    stepButton_->setObjectName(QStringLiteral("Step"));
    dbBox_ = new QCheckBox(QStringLiteral("dB"), this);
    dbBox_->setObjectName(QStringLiteral("ImpulseDb"));
    auto* views = new QHBoxLayout;
    views->addWidget(new QLabel(QCoreApplication::translate("TimeResponseWindow", "View:"), this));
    views->addWidget(impulseButton_);
    views->addWidget(stepButton_);
    views->addWidget(dbBox_);
    views->addSpacing(24);
    views->addWidget(new QLabel(QCoreApplication::translate("TimeResponseWindow", "Show:"), this));
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
        curveBoxes_[curve] = MakeCurveBox(this, dsp::kCurveNames[curve].id);
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
    resetButton_ =
        new QPushButton(QCoreApplication::translate("TimeResponseWindow", "Reset zoom"), this);
    pngButton_ =
        new QPushButton(QCoreApplication::translate("TimeResponseWindow", "Save PNG…"), this);
    csvButton_ =
        new QPushButton(QCoreApplication::translate("TimeResponseWindow", "Save CSV…"), this);
    auto* actions = new QHBoxLayout;
    actions->addWidget(new QLabel(
        QCoreApplication::translate("TimeResponseWindow", "Pre-ringing threshold:"), this));
    actions->addWidget(thresholdBox_);
    actions->addSpacing(24);
    for (QPushButton* button : {resetButton_, pngButton_, csvButton_}) {
        button->setAutoDefault(false);
        actions->addWidget(button);
    }
    actions->addStretch();
    PictureHandlers handlers;
    handlers.render = [this] { Render(); };
    handlers.readout = [this](std::optional<QPointF> pixel) { ShowReadoutAt(pixel); };
    handlers.zoomToRect = [this](const QRectF& pixels) { ZoomToRect(pixels); };
    handlers.zoomAt = [this](QPointF pixel, double factor) { ZoomAt(pixel, factor); };
    handlers.resetZoom = [this] { ResetZoom(); };
    handlers.plotArea = [this] {
        const graph::PlotFrame frame = Frame();
        return QRectF(frame.left, frame.top, frame.width, frame.height);
    };
    handlers.savePicture = [this] { SavePicture(); };
    handlers.saveData = [this] { SaveData(); };
    plot_ = new PictureView(this, std::move(handlers), runReporting_);
    plot_->setObjectName(QStringLiteral("TimePlot"));
    plot_->setMinimumSize(480, 300);
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
    acoustic_ = new AcousticView(this, session_, chooser_, runReporting_, guard_);
    tabs_ = new QTabWidget(this);
    QTabWidget* tabs = tabs_;
    tabs->setObjectName(QStringLiteral("Views"));
    tabs->addTab(timePage, QCoreApplication::translate("TimeResponseWindow", "Time"));
    tabs->addTab(acoustic_, QCoreApplication::translate("TimeResponseWindow", "Acoustic"));
    speaker_ = new SpeakerTimeView(
        this, session_, [this] { return acoustic_->ShownTaps(); }, chooser_, guard_, runReporting_);
    tabs->addTab(speaker_, QCoreApplication::translate("TimeResponseWindow", "Speaker in time"));
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

// Ctrl+W closes the window (Escape too, in keyPressEvent, so that a rubber band or an open list
// takes it first); the Menu key and Shift+F10 open the context menu of the plot with the focus,
// else of the plot on the tab shown.
void TimeResponseWindow::ConnectKeys() {
    auto* close = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_W), this);
    close->setContext(Qt::WindowShortcut);
    connect(close, &QShortcut::activated, this, &QWidget::close);
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        // Opened once the key has been handled: a popup opened inside the shortcut's dispatch
        // takes the key's own release as its first event.
        connect(shortcut, &QShortcut::activated, this, [this] {
            if (PictureView* plot = MenuPlot()) {
                QMetaObject::invokeMethod(
                    plot, [plot] { plot->PopupMenu(plot->rect().center()); }, Qt::QueuedConnection);
            }
        });
    }
}

PictureView* TimeResponseWindow::MenuPlot() const {
    if (auto* focused = dynamic_cast<PictureView*>(focusWidget())) {
        return focused;
    }
    // PictureView has no meta-object of its own, so findChildren<PictureView*> would return any
    // widget; the type is checked here.
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        auto* plot = dynamic_cast<PictureView*>(child);
        if (plot != nullptr && plot->isVisible()) {
            return plot;
        }
    }
    return nullptr;
}

ViewTab TimeResponseWindow::CurrentView() const {
    return static_cast<ViewTab>(std::max(0, tabs_->currentIndex()));
}

void TimeResponseWindow::ShowView(ViewTab tab) {
    tabs_->setCurrentIndex(static_cast<int>(tab));
}

// The fields and boxes take dropped text themselves; files must reach the window past them.
void TimeResponseWindow::AcceptDrops() {
    setAcceptDrops(true);
    installEventFilter(this);
    const QList<QWidget*> children = findChildren<QWidget*>();
    for (QWidget* child : children) {
        if (child->acceptDrops()) {
            child->installEventFilter(this);
        }
    }
}

bool TimeResponseWindow::InAcousticView(const QObject* object) const {
    for (; object != nullptr; object = object->parent()) {
        if (object == acoustic_) {
            return true;
        }
    }
    return false;
}

bool TimeResponseWindow::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QWidget::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const DroppedFiles dropped = ClassifyDrop(drop->mimeData());
    const bool taken = (dropped.kind == DropKind::Design && openDesign_) ||
                       (dropped.kind == DropKind::Drivers && !InAcousticView(watched));
    if (!taken) {
        return QWidget::eventFilter(watched, event);
    }
    drop->acceptProposedAction();
    // After the drop has ended, so that a question or an error box does not keep the program the
    // files came from waiting.
    if (type == QEvent::Drop) {
        QMetaObject::invokeMethod(
            this,
            [this, dropped] {
                runReporting_([this, &dropped] {
                    if (dropped.kind == DropKind::Design) {
                        openDesign_(dropped.paths.constFirst());
                        return;
                    }
                    ShowView(ViewTab::Acoustic);
                    acoustic_->DropFiles(std::nullopt, dropped.paths);
                });
            },
            Qt::QueuedConnection);
    }
    return true;
}

// Showing and closing say only whether the window is open: a design opened just now shows the
// window before the window shows that design's tab.
void TimeResponseWindow::StoreWindowState(bool open) {
    session_.Edit([open](design_file::Design& design) { design.window.open = open; });
}

void TimeResponseWindow::StoreTab() {
    const ViewTab tab = CurrentView();
    session_.Edit([tab](design_file::Design& design) { design.window.tab = tab; });
}

void TimeResponseWindow::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous()) {
        runReporting_([this] { StoreWindowState(true); });
    }
}

void TimeResponseWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    runReporting_([this] { StoreWindowState(false); });
}

void TimeResponseWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TimeResponseWindow::ConnectControls() {
    const auto reporting = [this](void (TimeResponseWindow::*handler)()) {
        return [this, handler] { runReporting_([this, handler] { (this->*handler)(); }); };
    };
    connect(tabs_, &QTabWidget::currentChanged, this,
            [this] { runReporting_([this] { StoreTab(); }); });
    connect(impulseButton_, &QRadioButton::toggled, this,
            reporting(&TimeResponseWindow::StoreSettings));
    connect(dbBox_, &QCheckBox::toggled, this, reporting(&TimeResponseWindow::StoreSettings));
    for (QCheckBox* box : curveBoxes_) {
        connect(box, &QCheckBox::toggled, this, reporting(&TimeResponseWindow::Render));
    }
    connect(thresholdBox_, &QSpinBox::valueChanged, this,
            reporting(&TimeResponseWindow::StoreSettings));
    connect(resetButton_, &QPushButton::clicked, this, reporting(&TimeResponseWindow::ResetZoom));
    connect(pngButton_, &QPushButton::clicked, this, reporting(&TimeResponseWindow::SavePicture));
    connect(csvButton_, &QPushButton::clicked, this, reporting(&TimeResponseWindow::SaveData));
}

void TimeResponseWindow::ConnectSession() {
    const auto reporting = [this](void (TimeResponseWindow::*handler)()) {
        return [this, handler] { runReporting_([this, handler] { (this->*handler)(); }); };
    };
    connect(&session_, &DesignSession::resultChanged, this,
            reporting(&TimeResponseWindow::FollowResult));
    connect(&session_, &DesignSession::designChanged, this,
            reporting(&TimeResponseWindow::FollowSettings));
}

// Adjusted as the calculation read the box: its bands add up to a unit impulse.
void TimeResponseWindow::FollowResult() {
    const std::shared_ptr<const dsp::CalculationResult>& result = session_.Result();
    response_ = dsp::MakeTimeResponse(session_.Taps(), result->parameters.adjustCoefficient);
    range_ = graph::FullTimeRange(*response_, Kind(), Shown());
    readout_->clear();
    cursorTap_.reset();
    UpdateEnabled();
    UpdateFigures();
}

void TimeResponseWindow::StoreSettings() {
    const design_file::TimeSettings settings{thresholdBox_->value(), stepButton_->isChecked(),
                                             dbBox_->isChecked()};
    session_.Edit([&settings](design_file::Design& design) { design.time = settings; });
}

// A new series refits the amplitude; a new threshold gives new figures.
void TimeResponseWindow::FollowSettings() {
    const ViewTab tab = session_.Design().window.tab;
    if (tab != CurrentView()) {
        const QSignalBlocker blocker(tabs_);
        ShowView(tab);
    }
    const design_file::TimeSettings settings = session_.Design().time;
    if (settings == shownSettings_) {
        return;
    }
    const bool kindChanged = KindOf(settings) != KindOf(shownSettings_);
    const bool thresholdChanged = settings.preRingingDb != shownSettings_.preRingingDb;
    shownSettings_ = settings;
    SetControls(settings);
    if (kindChanged) {
        KindChanged();
    }
    if (thresholdChanged) {
        UpdateFigures();
    }
}

// Without signals: the controls show the session, they do not change it.
void TimeResponseWindow::SetControls(const design_file::TimeSettings& settings) {
    const QSignalBlocker blockers[] = {QSignalBlocker(impulseButton_), QSignalBlocker(stepButton_),
                                       QSignalBlocker(dbBox_), QSignalBlocker(thresholdBox_)};
    (settings.step ? stepButton_ : impulseButton_)->setChecked(true);
    dbBox_->setChecked(settings.impulseDb);
    dbBox_->setEnabled(!settings.step);
    thresholdBox_->setValue(settings.preRingingDb);
}

dsp::TimeSeriesKind TimeResponseWindow::Kind() const {
    return KindOf(session_.Design().time);
}

int TimeResponseWindow::ThresholdDb() const {
    return session_.Design().time.preRingingDb;
}

const QImage& TimeResponseWindow::Picture() const {
    return plot_->Picture();
}

QString TimeResponseWindow::ReadoutText() const {
    return readout_->text();
}

std::array<bool, dsp::kCurveCount> TimeResponseWindow::Shown() const {
    std::array<bool, dsp::kCurveCount> shown{};
    for (std::size_t curve = 0; curve < dsp::kCurveCount; ++curve) {
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
    if (tap != cursorTap_) {
        cursorTap_ = tap;
        Render();
    }
}

void TimeResponseWindow::SavePicture() {
    if (!response_) {
        return;
    }
    const ChosenFile chosen = chooser_(
        this, QCoreApplication::translate("TimeResponseWindow", "Save time response as PNG"),
        {PngFilter()});
    const QString path = WithSuffix(chosen.path, QStringLiteral("png"));
    if (!chosen.path.isEmpty()) {
        guard_.WriteFile(path, Acoustic().DriverFiles(), [this](const std::string& temporary) {
            exporting::SavePng(Picture(), temporary);
        });
    }
}

// The taps whose times lie in the visible range.
void TimeResponseWindow::SaveData() {
    if (!response_) {
        return;
    }
    const ChosenFile chosen = chooser_(
        this, QCoreApplication::translate("TimeResponseWindow", "Save time response as CSV"),
        {CsvFilter()});
    const QString path = WithSuffix(chosen.path, QStringLiteral("csv"));
    if (chosen.path.isEmpty()) {
        return;
    }
    const graph::TapSpan taps = graph::VisibleTaps(*response_, range_);
    const std::string text = exporting::TimeSeriesCsv(*response_, Kind(), taps.first, taps.last);
    guard_.WriteFile(path, Acoustic().DriverFiles(), exporting::ContentWriter(text));
}

void TimeResponseWindow::Render() {
    graph::TimePlotInputs inputs;
    inputs.response = response_ ? &*response_ : nullptr;
    inputs.kind = Kind();
    inputs.shown = Shown();
    inputs.range = range_;
    inputs.thresholdDb = ThresholdDb();
    inputs.preRinging = figures_;
    inputs.cursorTap = cursorTap_;
    inputs.width = plot_->width();
    inputs.height = plot_->height();
    plot_->SetPicture(graph::RenderTimePlot(inputs, font()));
}

// A new series keeps the time span shown and fits the amplitude to it afresh.
void TimeResponseWindow::KindChanged() {
    if (response_) {
        graph::TimeRange range = graph::FullTimeRange(*response_, Kind(), Shown());
        range.tMinMs = range_.tMinMs;
        range.tMaxMs = range_.tMaxMs;
        range_ = range;
    }
    readout_->clear();
    cursorTap_.reset();
    Render();
}

void TimeResponseWindow::UpdateFigures() {
    if (!response_) {
        figuresLabel_->setText(QCoreApplication::translate(
            "TimeResponseWindow", "No design yet: press Calc in the main window."));
        adjustNote_->clear();
        Render();
        return;
    }
    figures_ = dsp::PreRingingFigures(*response_, ThresholdDb());
    figuresLabel_->setText(QString::fromStdString(dsp::PreRingingLine(figures_, ThresholdDb())));
    adjustNote_->setText(
        response_->adjusted
            ? QCoreApplication::translate("TimeResponseWindow",
                                          "Adjust coefficient is on: the three bands add up "
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

// SPDX-License-Identifier: GPL-3.0-or-later
// The second window's views of the design and the loudspeaker, driven headless: the time view's
// cursor line, the acoustic view's right axis, drivers alone, level range and zoom, and the
// speaker's predicted impulse and step; their pictures against the command line's.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLayout>
#include <QProcess>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "app/acoustic_view.h"
#include "app/speaker_time_view.h"
#include "app/time_response_window.h"
#include "form_fixture.h"
#include "graph/acoustic_plot.h"
#include "graph/qt/time_plot_image.h"
#include "graph/time_zoom.h"

namespace kc::app {
namespace {

QString Example(const char* name) {
    return QStringLiteral(KC_DRIVER_EXAMPLES) + '/' + QString::fromLatin1(name);
}

class ViewsTest : public SavingFormTest {
  protected:
    void SetUp() override {
        SavingFormTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        form->Image1Menu().Action("TimeResponse")->trigger();
        Window().Acoustic().SetOpenChooser([this](QWidget*, const QString&, const QStringList&) {
            return ChosenFile{open, {}};
        });
    }

    TimeResponseWindow& Window() const { return *form->TimeResponse(); }
    AcousticView& Acoustic() const { return Window().Acoustic(); }

    void Show(QWidget* page) const {
        Window().findChild<QTabWidget*>("Views")->setCurrentWidget(page);
    }

    template <typename T>
    T* Child(const QString& name) const {
        T* child = Window().findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }

    void LoadExamples() {
        for (const auto& [band, file] :
             {std::pair{"Low", "woofer.frd"}, std::pair{"Mid", "midrange.frd"},
              std::pair{"High", "tweeter.frd"}}) {
            open = Example(file);
            Child<QPushButton>(QStringLiteral("DriverFile") + band)->click();
        }
        ASSERT_TRUE(reports.empty()) << reports.front().text;
    }

    // The command line's picture of `option` (at 800x480, the examples as drivers).
    QImage CliPicture(const QString& option) const {
        const QString png = folder.filePath("cli.png");
        QProcess cli;
        cli.start(QStringLiteral(KC_CLI_PATH),
                  QStringList{"design", "--driver-low", Example("woofer.frd"), "--driver-mid",
                              Example("midrange.frd"), "--driver-high", Example("tweeter.frd"),
                              option, png});
        EXPECT_TRUE(cli.waitForFinished(120000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        return QImage(png).convertToFormat(QImage::Format_RGB32);
    }

    QString open;
};

// The pointer over the time plot puts the cursor line at the tap the readout names and changes
// the picture; leaving the plot takes it away.
TEST_F(ViewsTest, TimeCursorLineFollowsThePointer) {
    UseShortFilters();
    Calculate();
    QWidget* plot = Child<QWidget>("TimePlot");
    const QImage before = Window().Picture();
    const graph::PlotFrame frame = graph::TimePlotFrame(plot->width(), plot->height(),
                                                        graph::MetricsOf(Window().font()).height);
    const QPoint at(frame.left + frame.width / 3, frame.top + 20);
    QTest::mouseMove(plot, at);
    EXPECT_EQ(Window().CursorTap(),
              graph::TapAtPixel(frame, Window().Range(), Window().Response(), at.x()));
    ASSERT_TRUE(Window().CursorTap());
    EXPECT_NE(Window().Picture(), before);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(plot, &leave);
    EXPECT_FALSE(Window().CursorTap());
    EXPECT_EQ(Window().Picture(), before);
}

// Each right axis, the drivers alone and the level range go into the session (and so the design
// file) and the picture; none leaves the picture as it was.
TEST_F(ViewsTest, AcousticChoicesReachTheSessionAndThePicture) {
    Show(&Acoustic());
    Calculate();
    LoadExamples();
    const QImage plain = Acoustic().Picture();
    auto* axis = Child<QComboBox>("RightAxis");
    const acoustic::RightAxis axes[] = {acoustic::RightAxis::SumPhase,
                                        acoustic::RightAxis::BandPhases,
                                        acoustic::RightAxis::GroupDelay};
    for (int i = 1; i <= 3; ++i) {
        axis->setCurrentIndex(i);
        EXPECT_EQ(form->Session().Design().acousticView.rightAxis, axes[i - 1]) << i;
        EXPECT_EQ(Acoustic().PlotInputs().choices.rightAxis, axes[i - 1]) << i;
        EXPECT_NE(Acoustic().Picture(), plain) << i;
    }
    axis->setCurrentIndex(0);
    EXPECT_EQ(Acoustic().Picture(), plain);
    Child<QCheckBox>("RawDrivers")->setChecked(true);
    EXPECT_TRUE(form->Session().Design().acousticView.rawDrivers);
    EXPECT_NE(Acoustic().Picture(), plain);
    Child<QDoubleSpinBox>("LevelRange")->setValue(6.0);
    const graph::AcousticRange shown = Acoustic().ShownRange();
    EXPECT_DOUBLE_EQ(shown.topDb - shown.bottomDb, 6.0);
    // A design opened with other choices shows them in the controls.
    form->Session().Edit([](design_file::Design& d) { d.acousticView = {}; });
    EXPECT_EQ(axis->currentIndex(), 0);
    EXPECT_FALSE(Child<QCheckBox>("RawDrivers")->isChecked());
    EXPECT_DOUBLE_EQ(Child<QDoubleSpinBox>("LevelRange")->value(), 60.0);
}

// The wheel zooms the acoustic plot about the pointer on both axes; a double click shows the
// whole again, and so do new drivers.
TEST_F(ViewsTest, AcousticPlotZoomsAndResets) {
    Show(&Acoustic());
    Calculate();
    QWidget* plot = Child<QWidget>("AcousticPlot");
    const graph::AcousticRange whole = Acoustic().ShownRange();
    const QPointF middle(plot->width() / 2.0, plot->height() / 2.0);
    QWheelEvent wheel(middle, plot->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(plot, &wheel);
    const graph::AcousticRange zoomed = Acoustic().ShownRange();
    EXPECT_NEAR(std::log(zoomed.lastHz / zoomed.firstHz),
                0.8 * std::log(whole.lastHz / whole.firstHz), 1e-9);
    EXPECT_NEAR(zoomed.topDb - zoomed.bottomDb, 0.8 * (whole.topDb - whole.bottomDb), 1e-9);
    QTest::mouseDClick(plot, Qt::LeftButton, {}, middle.toPoint());
    EXPECT_EQ(Acoustic().ShownRange(), whole);
    Acoustic().ZoomAt(middle, 0.5);
    LoadExamples();
    EXPECT_NE(Acoustic().ShownRange(), zoomed);
    EXPECT_EQ(Acoustic().ShownRange(), graph::ShownRange(Acoustic().PlotInputs()));
    EXPECT_FALSE(Acoustic().PlotInputs().zoom);
}

// The speaker's tab follows the design, the drivers and a gain, with its own pre-ringing line.
TEST_F(ViewsTest, SpeakerTabFollowsTheDesignDriversAndSettings) {
    SpeakerTimeView& speaker = Window().Speaker();
    Show(&speaker);
    EXPECT_FALSE(speaker.HasResponse());
    Calculate();
    ASSERT_TRUE(speaker.HasResponse());
    EXPECT_EQ(speaker.FiguresText().toStdString().rfind("Pre-ringing (-60 dB): low ", 0), 0u);
    const std::vector<double> ideal(speaker.Response().impulse[dsp::kSumCurve].begin(),
                                    speaker.Response().impulse[dsp::kSumCurve].end());
    LoadExamples();
    const std::vector<double> measured(speaker.Response().impulse[dsp::kSumCurve].begin(),
                                       speaker.Response().impulse[dsp::kSumCurve].end());
    EXPECT_NE(measured, ideal);
    const std::vector<double> mid(speaker.Response().impulse[1].begin(),
                                  speaker.Response().impulse[1].end());
    Child<QDoubleSpinBox>("GainMid")->setValue(-6.0);
    const auto& quieter = speaker.Response().impulse[1];
    ASSERT_EQ(quieter.size(), mid.size());
    const auto peak = static_cast<std::size_t>(
        std::max_element(mid.begin(), mid.end(),
                         [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
        mid.begin());
    EXPECT_NEAR(quieter[peak] / mid[peak], std::pow(10.0, -6.0 / 20.0), 1e-9);
    // The series shown is the session's, as a design file keeps it.
    Child<QComboBox>("SpeakerKind")->setCurrentIndex(2);
    EXPECT_EQ(form->Session().Design().acousticView.speakerView, dsp::TimeSeriesKind::Step);
    EXPECT_EQ(speaker.Kind(), dsp::TimeSeriesKind::Step);
    form->Session().Edit([](design_file::Design& d) {
        d.acousticView.speakerView = dsp::TimeSeriesKind::ImpulseDb;
    });
    EXPECT_EQ(Child<QComboBox>("SpeakerKind")->currentIndex(), 1);
    // A corrected band is predicted with its correction, as the acoustic view and the export are.
    const std::vector<double> uncorrected(speaker.Response().impulse[1].begin(),
                                          speaker.Response().impulse[1].end());
    Child<QCheckBox>("CorrectMid")->setChecked(true);
    EXPECT_NE(std::vector<double>(speaker.Response().impulse[1].begin(),
                                  speaker.Response().impulse[1].end()),
              uncorrected);
}

// The window's speaker impulse and group-delay pictures are the command line's, pixel for pixel.
TEST_F(ViewsTest, SpeakerAndGroupDelayPicturesEqualTheCommandLines) {
    Calculate();
    LoadExamples();
    SpeakerTimeView& speaker = Window().Speaker();
    Show(&speaker);
    speaker.findChild<QWidget*>("SpeakerPlot")->setFixedSize(800, 480);
    Window().layout()->activate();
    speaker.Render();
    ASSERT_EQ(speaker.Picture().size(), QSize(800, 480));
    EXPECT_EQ(CliPicture("--acoustic-impulse-plot"), speaker.Picture());

    Show(&Acoustic());
    Child<QComboBox>("RightAxis")->setCurrentIndex(3);
    Acoustic().findChild<QWidget*>("AcousticPlot")->setFixedSize(800, 480);
    Window().layout()->activate();
    Acoustic().Render();
    ASSERT_EQ(Acoustic().Picture().size(), QSize(800, 480));
    EXPECT_EQ(CliPicture("--group-delay-plot"), Acoustic().Picture());
}

}  // namespace
}  // namespace kc::app

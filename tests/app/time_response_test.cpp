// SPDX-License-Identifier: GPL-3.0-or-later
// The time-response window: opened from the graph menu and with Ctrl+T, following completed
// calculations, zooming, the readout, the exports, and its picture against the command line's.
#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMouseEvent>
#include <QProcess>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

#include "app/time_response_window.h"
#include "dsp/time_response.h"
#include "export/csv_export.h"
#include "form_fixture.h"
#include "graph/qt/time_plot_image.h"

namespace kc::app {
namespace {

class TimeResponseTest : public SavingFormTest {
  protected:
    TimeResponseWindow& Open() {
        form->Image1Menu().Action("TimeResponse")->trigger();
        EXPECT_NE(form->TimeResponse(), nullptr);
        return *form->TimeResponse();
    }

    QWidget* Plot() const { return form->TimeResponse()->findChild<QWidget*>("TimePlot"); }

    std::string Label(const char* name) const {
        return form->TimeResponse()->findChild<QLabel*>(name)->text().toStdString();
    }

    graph::PlotFrame Frame() const {
        return graph::TimePlotFrame(Plot()->width(), Plot()->height(),
                                    graph::MetricsOf(form->TimeResponse()->font()).height);
    }
};

TEST_F(TimeResponseTest, MenuItemAndCtrlTShowOneNonModalWindow) {
    QAction* item = form->Image1Menu().Action("TimeResponse");
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text().toStdString(), "Time response…");
    EXPECT_TRUE(item->isEnabled());
    TimeResponseWindow& window = Open();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isWindow());
    EXPECT_EQ(window.windowModality(), Qt::NonModal);
    EXPECT_EQ(Label("Figures"), "No design yet: press Calc in the main window.");
    window.close();

    form->show();
    QApplication::setActiveWindow(form.get());
    QTest::keyClick(form->Edit1, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(form->TimeResponse(), &window);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(form->findChildren<QWidget*>("TimeResponse").size(), 1);
    EXPECT_TRUE(reports.empty());
}

TEST_F(TimeResponseTest, FollowsEveryCompletedCalculationOnly) {
    TimeResponseWindow& window = Open();
    UseShortFilters();
    Calculate();
    const auto expected = dsp::PreRingingFigures(dsp::MakeTimeResponse(form->Taps(), false), 60);
    EXPECT_EQ(window.Response().Length(), 61);
    EXPECT_EQ(window.Figures()[0].firstIndex, expected[0].firstIndex);
    EXPECT_EQ(Label("Figures"), dsp::PreRingingLine(expected, 60));
    EXPECT_EQ(Label("AdjustNote"), "");

    form->Edit9->setText("abc");  // a failed calculation leaves the window as it was
    form->Button1->click();
    ASSERT_EQ(reports.size(), 1u);
    reports.clear();
    EXPECT_EQ(window.Response().Length(), 61);
    EXPECT_EQ(Label("Figures"), dsp::PreRingingLine(expected, 60));

    form->Edit9->setText("41");
    form->Edit1->setText("81");
    form->CheckBox3->setChecked(true);
    Calculate();
    EXPECT_EQ(window.Response().Length(), 81);
    EXPECT_TRUE(window.Response().adjusted);
    EXPECT_EQ(window.Figures()[3].ms, 0.0);
    EXPECT_NE(Label("AdjustNote").find("unit impulse"), std::string::npos);
    EXPECT_NE(Label("Figures").find("sum 0.000 ms"), std::string::npos);
}

TEST_F(TimeResponseTest, ThresholdChangesTheFigures) {
    TimeResponseWindow& window = Open();
    Calculate();
    const auto at60 = window.Figures();
    window.findChild<QSpinBox*>("Threshold")->setValue(120);
    EXPECT_EQ(Label("Figures").rfind("Pre-ringing (-120 dB): low ", 0), 0u) << Label("Figures");
    for (std::size_t curve = 0; curve < 3; ++curve) {
        EXPECT_GT(window.Figures()[curve].ms, at60[curve].ms) << curve;
    }
}

TEST_F(TimeResponseTest, WheelRubberBandAndDoubleClickZoom) {
    TimeResponseWindow& window = Open();
    UseShortFilters();
    Calculate();
    const graph::TimeRange full = window.Range();
    const graph::PlotFrame frame = Frame();
    const QPointF middle(frame.left + frame.width / 2.0, frame.top + frame.height / 2.0);
    QWheelEvent wheel(middle, Plot()->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(Plot(), &wheel);
    EXPECT_NEAR(window.Range().tMaxMs - window.Range().tMinMs, 0.8 * (full.tMaxMs - full.tMinMs),
                1e-9);

    QTest::mouseDClick(Plot(), Qt::LeftButton, {}, middle.toPoint());
    EXPECT_EQ(window.Range(), full);

    const QPoint from(frame.left + 100, frame.top + 50);
    const QPoint to(frame.left + 300, frame.top + 150);
    QTest::mousePress(Plot(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), Plot()->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Plot(), &move);
    QTest::mouseRelease(Plot(), Qt::LeftButton, {}, to);
    EXPECT_NEAR(window.Range().tMinMs, graph::TimeOfX(frame, full, from.x()), 1e-9);
    EXPECT_NEAR(window.Range().tMaxMs, graph::TimeOfX(frame, full, to.x()), 1e-9);
    EXPECT_NEAR(window.Range().yMax, graph::ValueOfY(frame, full, from.y()), 1e-9);
    EXPECT_NEAR(window.Range().yMin, graph::ValueOfY(frame, full, to.y()), 1e-9);
}

// Escape while a rubber band is drawn takes it back: releasing the button then zooms nowhere.
TEST_F(TimeResponseTest, EscapeTakesBackTheRubberBand) {
    TimeResponseWindow& window = Open();
    UseShortFilters();
    Calculate();
    const graph::TimeRange full = window.Range();
    const QPoint from(Frame().left + 100, Frame().top + 50);
    const QPoint to(Frame().left + 300, Frame().top + 150);
    QTest::mousePress(Plot(), Qt::LeftButton, {}, from);
    QMouseEvent move(QEvent::MouseMove, QPointF(to), Plot()->mapToGlobal(QPointF(to)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(Plot(), &move);
    QTest::keyClick(Plot(), Qt::Key_Escape);
    QTest::mouseRelease(Plot(), Qt::LeftButton, {}, to);
    EXPECT_EQ(window.Range(), full);
    EXPECT_TRUE(reports.empty());
}

TEST_F(TimeResponseTest, ReadoutNamesTheTapUnderThePointer) {
    TimeResponseWindow& window = Open();
    UseShortFilters();
    Calculate();
    const double centreX = graph::XOfTime(Frame(), window.Range(), 0.0);
    QTest::mouseMove(Plot(), QPoint(static_cast<int>(centreX), Frame().top + 20));
    EXPECT_EQ(window.ReadoutText().toStdString(),
              graph::TimeReadoutText(window.Response(), dsp::TimeSeriesKind::Impulse, 30));
    EXPECT_EQ(window.ReadoutText().toStdString().rfind("t = 0.0000 ms, tap 30: low ", 0), 0u);
}

TEST_F(TimeResponseTest, ExportsThePictureAndTheSeriesShown) {
    TimeResponseWindow& window = Open();
    UseShortFilters();
    Calculate();
    window.findChild<QRadioButton*>("Step")->setChecked(true);
    answer = folder.filePath("step");
    window.SavePicture();
    EXPECT_EQ(QImage(answer + ".png").convertToFormat(QImage::Format_RGB32), window.Picture());
    window.SaveData();
    QFile csv(answer + ".csv");
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_EQ(csv.readAll().toStdString(),
              exporting::TimeSeriesCsv(window.Response(), dsp::TimeSeriesKind::Step, 0, 60));
    EXPECT_TRUE(reports.empty());
    EXPECT_TRUE(replaceQuestions.empty());
    // Saving over the picture asks first; answered No, the file stays as it was.
    window.findChild<QRadioButton*>("Impulse")->setChecked(true);
    window.SavePicture();
    ASSERT_EQ(replaceQuestions.size(), 1u);
    EXPECT_EQ(replaceQuestions[0], QStringList{answer + ".png"});
    EXPECT_NE(QImage(answer + ".png").convertToFormat(QImage::Format_RGB32), window.Picture());
}

// The window's picture at the command line's plot size is the command line's picture, pixel for
// pixel, for the impulse in dB and the step of the initial design.
TEST_F(TimeResponseTest, PictureEqualsTheCommandLinesPlot) {
    TimeResponseWindow& window = Open();
    Calculate();
    Plot()->setFixedSize(800, 480);
    window.layout()->activate();
    ASSERT_EQ(Plot()->size(), QSize(800, 480));
    const QString impulse = folder.filePath("impulse.png");
    const QString step = folder.filePath("step.png");
    QProcess cli;
    cli.start(QStringLiteral(KC_CLI_PATH), {"design", "--impulse-plot", impulse, "--time-db",
                                            "--step-plot", step, "--plot-size", "800x480"});
    ASSERT_TRUE(cli.waitForFinished(120000));
    ASSERT_EQ(cli.exitCode(), 0);
    window.findChild<QCheckBox*>("ImpulseDb")->setChecked(true);
    EXPECT_EQ(QImage(impulse).convertToFormat(QImage::Format_RGB32), window.Picture());
    window.findChild<QRadioButton*>("Step")->setChecked(true);
    EXPECT_EQ(QImage(step).convertToFormat(QImage::Format_RGB32), window.Picture());
}

}  // namespace
}  // namespace kc::app

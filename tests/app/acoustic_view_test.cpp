// SPDX-License-Identifier: GPL-3.0-or-later
// The acoustic view of the time-response window: driver files from the chooser and by drag and
// drop, the controls acting on the responses at once, a bad file changing nothing, the FRD
// export, and its picture against the command line's.
#include <sndfile.h>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QFile>
#include <QLabel>
#include <QLayout>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

#include <cmath>
#include <complex>

#include "acoustic/auto_align.h"
#include "app/acoustic_view.h"
#include "app/design_session.h"
#include "export/acoustic_frd.h"
#include "form_fixture.h"
#include "graph/qt/time_plot_image.h"

namespace kc::app {
namespace {

using acoustic::Band;

QString Example(const char* name) {
    return QStringLiteral(KC_DRIVER_EXAMPLES) + '/' + QString::fromLatin1(name);
}

class AcousticViewTest : public SavingFormTest {
  protected:
    void SetUp() override {
        SavingFormTest::SetUp();
        if (HasFatalFailure()) {
            return;
        }
        form->Image1Menu().Action("TimeResponse")->trigger();
        form->TimeResponse()->findChild<QTabWidget*>("Views")->setCurrentWidget(&View());
        View().SetOpenChooser([this](QWidget*, const QString&, const QStringList&) {
            return ChosenFile{open, {}};
        });
    }

    AcousticView& View() const { return form->TimeResponse()->Acoustic(); }

    template <typename T>
    T* Child(const QString& name) const {
        T* child = View().findChild<T*>(name);
        EXPECT_NE(child, nullptr) << name.toStdString();
        return child;
    }

    void Choose(const char* band, const QString& path) {
        open = path;
        Child<QPushButton>(QStringLiteral("DriverFile") + band)->click();
    }

    void LoadExamples() {
        Choose("Low", Example("woofer.frd"));
        Choose("Mid", Example("midrange.frd"));
        Choose("High", Example("tweeter.frd"));
        ASSERT_TRUE(reports.empty()) << reports.front().text;
    }

    std::string DriverName(Band band) const {
        const auto& driver = View().Model().Driver(band);
        return driver ? driver->name : "ideal";
    }

    void Drop(QWidget* onto, const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls.append(QUrl::fromLocalFile(path));
        }
        QMimeData mime;
        mime.setUrls(urls);
        const QPoint at = onto->mapTo(&View(), onto->rect().center());
        // The toolkit delivers a drop only to the widget that accepted the drag's entry.
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&View(), &enter);
        ASSERT_TRUE(enter.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&View(), &drop);
    }

    QString open;
};

// Each control against the responses before it: gain scales, delay turns the phase by 2π·f·τ,
// polarity negates, and only the band it belongs to.
TEST_F(AcousticViewTest, ControlsActOnTheirBandAtOnce) {
    EXPECT_EQ(View().PlotInputs().note, "No design yet: press Calc in the main window.");
    EXPECT_FALSE(Child<QPushButton>("ExportAcoustic")->isEnabled());
    UseShortFilters();
    Calculate();
    LoadExamples();
    EXPECT_EQ(DriverName(Band::Low), "woofer.frd");
    EXPECT_EQ(DriverName(Band::High), "tweeter.frd");
    EXPECT_TRUE(Child<QPushButton>("ExportAcoustic")->isEnabled());
    const acoustic::AcousticResponse before = View().Response();
    ASSERT_EQ(before.frequenciesHz.front(), 10.0);  // the files' common range

    Child<QDoubleSpinBox>("GainMid")->setValue(-6.0);
    Child<QSlider>("DelaySliderHigh")->setValue(100);  // 0.01 ms a step
    EXPECT_EQ(Child<QDoubleSpinBox>("DelayHigh")->value(), 1.0);
    Child<QCheckBox>("InvertLow")->setChecked(true);
    const acoustic::AcousticResponse& after = View().Response();
    for (std::size_t i = 0; i < before.frequenciesHz.size(); i += 11) {
        const double f = before.frequenciesHz[i];
        const std::complex<double> delay = std::polar(1.0, -2.0 * M_PI * f * 0.001);
        EXPECT_LT(std::abs(after.bands[0][i] + before.bands[0][i]),
                  1e-12 * std::abs(before.bands[0][i]))
            << f;
        EXPECT_LT(std::abs(after.bands[1][i] - std::pow(10.0, -0.3) * before.bands[1][i]),
                  1e-12 * std::abs(before.bands[1][i]))
            << f;
        EXPECT_LT(std::abs(after.bands[2][i] - delay * before.bands[2][i]),
                  1e-9 * std::abs(before.bands[2][i]))
            << f;
    }
    EXPECT_EQ(View().Picture().size(), View().findChild<QWidget*>("AcousticPlot")->size());

    QWidget* plot = View().findChild<QWidget*>("AcousticPlot");
    const graph::PlotFrame frame = graph::AcousticPlotFrame(plot->width(), plot->height(),
                                                            graph::MetricsOf(View().font()).height);
    const double x = graph::XOfFrequency(frame, graph::AxisOf(after.frequenciesHz), 1000.0);
    QTest::mouseMove(plot, QPoint(static_cast<int>(x), frame.top + 20));
    const auto index = graph::NearestFrequency(
        after.frequenciesHz,
        graph::FrequencyOfX(frame, graph::AxisOf(after.frequenciesHz), static_cast<int>(x)));
    EXPECT_EQ(View().ReadoutText().toStdString(),
              graph::AcousticReadoutText(View().PlotInputs(), *index));
}

// "Align" waits for a design and a driver; then it puts the gains, delays and polarities into the
// session, the controls show them, and the example drivers' sum comes much nearer the target.
TEST_F(AcousticViewTest, AlignWritesTheAlignedSettingsIntoTheSession) {
    auto* align = Child<QPushButton>("Align");
    EXPECT_FALSE(align->isEnabled());
    UseShortFilters();
    Calculate();
    EXPECT_FALSE(align->isEnabled());  // ideal drivers only
    LoadExamples();
    ASSERT_TRUE(align->isEnabled());
    const acoustic::AlignInputs inputs = acoustic::AlignInputsOf(View().Model(), {});
    const double before = acoustic::MeanDeviationDb(inputs, View().CurrentSettings());
    align->click();
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    const acoustic::Settings aligned = View().CurrentSettings();
    EXPECT_NE(aligned, acoustic::Settings{});
    EXPECT_LT(acoustic::MeanDeviationDb(inputs, aligned), before - 3.0);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const QString band = QString::fromLatin1(dsp::kCurveNames[b].title.data());
        EXPECT_NEAR(Child<QDoubleSpinBox>("Gain" + band)->value(), aligned[b].gainDb, 0.05);
        EXPECT_NEAR(Child<QDoubleSpinBox>("Delay" + band)->value(), aligned[b].delayMs, 0.005);
        EXPECT_EQ(Child<QCheckBox>("Invert" + band)->isChecked(), aligned[b].inverted);
    }
    EXPECT_FALSE(Child<QLabel>("AlignResult")->text().isEmpty());
}

TEST_F(AcousticViewTest, BadFileIsReportedAndChangesNothing) {
    UseShortFilters();
    Calculate();
    Choose("Low", Example("woofer.frd"));
    const QImage picture = View().Picture();
    const QString bad = folder.filePath("bad.frd");
    QFile file(bad);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("* falling\n100 0 0\n200 0 0\n100 0 0\n");
    file.close();
    Choose("Low", bad);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "bad.frd:4: frequency 100 does not rise above 200.");
    EXPECT_EQ(DriverName(Band::Low), "woofer.frd");
    EXPECT_EQ(View().Picture(), picture);
}

TEST_F(AcousticViewTest, DropsOneFileOntoARowOrAllThreeOntoThePlot) {
    UseShortFilters();
    Calculate();
    View().window()->layout()->activate();
    Drop(View().findChild<QWidget*>("BandRowMid"), {Example("tweeter.frd")});
    EXPECT_EQ(DriverName(Band::Mid), "tweeter.frd");
    EXPECT_EQ(DriverName(Band::Low), "ideal");

    // In any order, the three go to the bands by where their sound lies.
    QWidget* plot = View().findChild<QWidget*>("AcousticPlot");
    Drop(plot, {Example("tweeter.frd"), Example("woofer.frd"), Example("midrange.frd")});
    EXPECT_EQ(DriverName(Band::Low), "woofer.frd");
    EXPECT_EQ(DriverName(Band::Mid), "midrange.frd");
    EXPECT_EQ(DriverName(Band::High), "tweeter.frd");
    ASSERT_TRUE(reports.empty()) << reports.front().text;

    Drop(plot, {Example("woofer.frd"), Example("midrange.frd")});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(
        reports[0].text,
        "Drop one driver file (.frd, .txt, .csv, .wav) onto a band's row, or the three drivers at "
        "once onto the plot.");
}

// A data sheet's magnitude (.txt) and an impulse response (.wav) dropped onto their rows: each
// row says what the file is and what was derived; the gate and channel go into the design and
// read the file again, a channel the file lacks is refused and shown as it was.
TEST_F(AcousticViewTest, TextAndImpulseFilesDroppedOnTheRowsSayWhatTheyAre) {
    UseShortFilters();
    Calculate();
    View().window()->layout()->activate();
    const QString sheet = folder.filePath("sheet.txt");
    QFile text(sheet);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("Frequency;SPL\n20;80,5\n200;88\n2000;86\n");
    text.close();
    const QString wav = folder.filePath("tweeter-ir.wav");
    SF_INFO info{};
    info.samplerate = 48000;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    SNDFILE* file = sf_open(wav.toLocal8Bit().constData(), SFM_WRITE, &info);
    ASSERT_NE(file, nullptr);
    std::vector<float> samples(4800, 0.0F);
    samples[48] = 1.0F;
    samples[49] = -0.5F;
    sf_writef_float(file, samples.data(), static_cast<sf_count_t>(samples.size()));
    sf_close(file);

    Drop(View().findChild<QWidget*>("BandRowLow"), {sheet});
    Drop(View().findChild<QWidget*>("BandRowHigh"), {wav});
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_EQ(Child<QLabel>("DriverKindLow")->text(), "magnitude only: minimum phase derived");
    EXPECT_EQ(Child<QLabel>("DriverKindHigh")->text(), "impulse response");
    EXPECT_FALSE(Child<QDoubleSpinBox>("GateLow")->isEnabled());
    ASSERT_TRUE(Child<QDoubleSpinBox>("GateHigh")->isEnabled());
    Child<QDoubleSpinBox>("GateHigh")->setValue(5.0);
    EXPECT_EQ(form->Session().Design().acoustic[2].impulse.gateMs, 5.0);
    EXPECT_NE(View().Model().Driver(Band::High)->reading.find("gate 5.00 ms after the peak"),
              std::string::npos);
    Child<QSpinBox>("ChannelHigh")->setValue(2);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "tweeter-ir.wav: has no channel 2 (it has 1)");
    EXPECT_EQ(Child<QSpinBox>("ChannelHigh")->value(), 1);
    EXPECT_EQ(form->Session().Design().acoustic[2].impulse.channel, 1);
}

TEST_F(AcousticViewTest, ExportWritesTheFourFilesOfTheResponsesShown) {
    UseShortFilters();
    Calculate();
    LoadExamples();
    Child<QDoubleSpinBox>("GainHigh")->setValue(-2.5);
    answer = folder.filePath("ac.frd");
    Child<QPushButton>("ExportAcoustic")->click();
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    const auto texts =
        exporting::AcousticFrdTexts(View().Model(), View().CurrentSettings(), View().Response());
    const char* names[] = {"ac-low.frd", "ac-mid.frd", "ac-high.frd", "ac-sum.frd"};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        QFile file(folder.filePath(names[i]));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << names[i];
        EXPECT_EQ(file.readAll().toStdString(), texts[i]) << names[i];
    }
    EXPECT_TRUE(replaceQuestions.empty());
    // Exporting over them asks once, naming the four; answered No, they stay as they were.
    Child<QDoubleSpinBox>("GainHigh")->setValue(0.0);
    Child<QPushButton>("ExportAcoustic")->click();
    ASSERT_EQ(replaceQuestions.size(), 1u);
    EXPECT_EQ(replaceQuestions[0].size(), 4);
    QFile high(folder.filePath("ac-high.frd"));
    ASSERT_TRUE(high.open(QIODevice::ReadOnly));
    EXPECT_EQ(high.readAll().toStdString(), texts[2]);
}

// The same drivers and settings give the same picture in the window and from the command line.
TEST_F(AcousticViewTest, PictureEqualsTheCommandLinesPlot) {
    Calculate();
    LoadExamples();
    Child<QDoubleSpinBox>("GainMid")->setValue(-2.0);
    Child<QCheckBox>("InvertHigh")->setChecked(true);
    QWidget* plot = View().findChild<QWidget*>("AcousticPlot");
    plot->setFixedSize(800, 480);
    View().window()->layout()->activate();
    ASSERT_EQ(View().Picture().size(), QSize(800, 480));
    const QString png = folder.filePath("acoustic.png");
    QProcess cli;
    cli.start(QStringLiteral(KC_CLI_PATH),
              {"design", "--driver-low", Example("woofer.frd"), "--driver-mid",
               Example("midrange.frd"), "--driver-high", Example("tweeter.frd"), "--gain-mid", "-2",
               "--invert-high", "--acoustic-plot", png});
    ASSERT_TRUE(cli.waitForFinished(120000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(QImage(png).convertToFormat(QImage::Format_RGB32), View().Picture());
}

}  // namespace
}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's --plot writes the graph area that the window shows, pixel for pixel,
// background included.
#include <QClipboard>
#include <QGuiApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <ostream>

#include "form_fixture.h"

namespace kc::app {
namespace {

// One design typed into the window and given to the command line, on the chosen axes.
struct PlotCase {
    const char* name;
    const char* counts[3];  // Edit1, Edit9, Edit10: --low-taps, --mid-taps, --high-taps
    const char* edges[2];   // Edit5, Edit4: --mid-low, --mid-high
    bool adjust;            // CheckBox3: --adjust
    bool logFrequency;      // CheckBox1, else --linear-frequency
    bool levelsInDb;        // CheckBox2, else --linear-amplitude
    friend void PrintTo(const PlotCase& row, std::ostream* out) { *out << row.name; }
};

class PlotMatchesWindowTest : public FormTest, public ::testing::WithParamInterface<PlotCase> {
  protected:
    // The window's graph area after Calc and the axis boxes, as its copy item gives it.
    QImage WindowGraphArea(const PlotCase& row) {
        form->Edit1->setText(row.counts[0]);
        form->Edit9->setText(row.counts[1]);
        form->Edit10->setText(row.counts[2]);
        form->Edit5->setText(row.edges[0]);
        form->Edit4->setText(row.edges[1]);
        form->CheckBox3->setChecked(row.adjust);
        form->Button1->click();
        form->CheckBox1->setChecked(row.logFrequency);
        form->CheckBox2->setChecked(row.levelsInDb);
        form->Image1Menu().Action("CopyGraph")->trigger();
        return QGuiApplication::clipboard()->image();
    }

    // The picture that kaiser-crossover-cli design --plot writes for the same design and axes.
    QImage CommandLinePlot(const PlotCase& row) const {
        const QString path = folder.filePath(QStringLiteral("plot.png"));
        QStringList arguments = {"design",      "--low-taps",  row.counts[0], "--mid-taps",
                                 row.counts[1], "--high-taps", row.counts[2], "--mid-low",
                                 row.edges[0],  "--mid-high",  row.edges[1],  "--plot",
                                 path};
        if (row.adjust) {
            arguments << "--adjust";
        }
        if (!row.logFrequency) {
            arguments << "--linear-frequency";
        }
        if (!row.levelsInDb) {
            arguments << "--linear-amplitude";
        }
        QProcess cli;
        cli.start(QStringLiteral(KC_CLI_PATH), arguments);
        EXPECT_TRUE(cli.waitForFinished(120000));
        EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
        return QImage(path);
    }

    QTemporaryDir folder;
};

TEST_P(PlotMatchesWindowTest, CommandLinePlotIsTheWindowsGraphAreaPixelForPixel) {
    const QImage window = WindowGraphArea(GetParam()).convertToFormat(QImage::Format_RGB32);
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    const QImage plot = CommandLinePlot(GetParam()).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(window.size(), QSize(674, 370));
    ASSERT_EQ(plot.size(), window.size());
    // The top-left corner lies above the image and its labels: the window's own background.
    const QRgb background = form->palette().color(QPalette::Window).rgb();
    EXPECT_EQ(window.pixel(0, 0), background);
    EXPECT_EQ(plot.pixel(0, 0), background);
    int differing = 0;
    for (int y = 0; y < window.height(); ++y) {
        for (int x = 0; x < window.width(); ++x) {
            differing += window.pixel(x, y) != plot.pixel(x, y) ? 1 : 0;
        }
    }
    EXPECT_EQ(differing, 0);
}

INSTANTIATE_TEST_SUITE_P(Designs, PlotMatchesWindowTest,
                         ::testing::Values(PlotCase{"InitialDesignLogarithmicAxes",
                                                    {"901", "701", "301"},
                                                    {"300", "2000"},
                                                    false,
                                                    true,
                                                    true},
                                           PlotCase{"AdjustedShortDesignLinearAxes",
                                                    {"61", "41", "21"},
                                                    {"250", "2500"},
                                                    true,
                                                    false,
                                                    false}),
                         [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kc::app

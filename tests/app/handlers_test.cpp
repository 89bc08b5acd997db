// SPDX-License-Identifier: GPL-3.0-or-later
// The handlers of the main window driven through its controls, with the error report recorded.
#include "dsp/evaluation.h"
#include "form_fixture.h"

namespace kc::app {
namespace {

constexpr QRgb kRed = qRgb(255, 0, 0);
constexpr QRgb kBlue = qRgb(0, 0, 255);

// The graph draws its markers as full-height columns; curves cross a column in a few pixels only.
bool HasMarker(const QImage& picture, int x, QRgb rgb) {
    return CountInColumn(picture, x, rgb) > picture.height() / 2;
}

using CalcButtonTest = FormTest;

TEST_F(CalcButtonTest, InitialTextsGiveTheInitialDesignAndGraph) {
    form->Edit1->setText("900");  // made odd and written back
    form->Button1->click();

    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_EQ(Text(form->Edit1), "901");
    EXPECT_EQ(Text(form->Edit9), "701");
    EXPECT_EQ(Text(form->Edit10), "301");
    EXPECT_EQ(form->Taps().CommonLength, 901);
    // The CMax line is the one of the stored curves; with the initial design CMax is 1.0....
    EXPECT_EQ(Text(form->Label21), dsp::CMaxLine(dsp::FindCMax(form->Store())));
    EXPECT_EQ(Text(form->Label21).rfind("振幅係数の最大値：CMax = 1.0", 0), 0u);
    EXPECT_GE(form->Label21->width(), form->Label21->sizeHint().width());

    // Logarithmic axes: the band-pass edges 300 Hz and 2000 Hz lie at x = 291 and 454.
    const QImage& picture = form->Graph().Picture();
    ASSERT_EQ(picture.size(), QSize(593, 337));
    EXPECT_TRUE(HasMarker(picture, 291, kRed));
    EXPECT_TRUE(HasMarker(picture, 454, kBlue));
    // The sum curve (blue) runs near 0 dB across the graph, about a sixth below the top.
    EXPECT_GT(CountInColumn(picture, 100, kBlue), 0);
    // The label "10000Hz" below the image's right end is on the window's label layer.
    const QImage& labels = form->Graph().Labels();
    int inkPixels = 0;
    for (int y = 537; y < 549; ++y) {
        for (int x = 621; x < 660; ++x) {
            const QRgb pixel = labels.pixel(x, y);
            inkPixels += qAlpha(pixel) == 255 && qGray(pixel) < 128 ? 1 : 0;
        }
    }
    EXPECT_GT(inkPixels, 0);
    EXPECT_FALSE(BusyCursorIsSet());
}

TEST_F(CalcButtonTest, FailingCalculationKeepsTheLastDesign) {
    UseShortFilters();
    form->Button1->click();
    ASSERT_TRUE(reports.empty());
    const dsp::ResponseStore storeBefore = form->Store();
    const QImage pictureBefore = form->Graph().Picture();
    const std::string cmaxBefore = Text(form->Label21);

    // A low-pass cut-off of 0 Hz has no level at all: the evaluation fails at its first point.
    form->Edit2->setText("0");
    form->Button1->click();

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "0 による浮動小数点数除算.");
    EXPECT_FALSE(reports[0].busyCursorShown);
    EXPECT_FALSE(BusyCursorIsSet());
    EXPECT_EQ(form->Store().LowMag, storeBefore.LowMag);
    EXPECT_EQ(form->Store().SumDb, storeBefore.SumDb);
    EXPECT_EQ(form->Graph().Picture(), pictureBefore);
    EXPECT_EQ(Text(form->Label21), cmaxBefore);
}

TEST_F(CalcButtonTest, ErrorsAreReportedUnderTheTitle) {
    struct Case {
        const char* edit1;
        const char* edit9;
        const char* message;
        const char* edit1After;  // a count read before the failure stays rewritten
    };
    const Case cases[] = {
        {"abc", "701", "'abc' は整数ではありません.", "abc"},
        {"900", "7.0", "'7.0' は整数ではありません.", "901"},
        {"-5", "701", "範囲チェックエラー.", "-3"},
    };
    for (const Case& c : cases) {
        reports.clear();
        form->Edit1->setText(c.edit1);
        form->Edit9->setText(c.edit9);
        form->Button1->click();
        ASSERT_EQ(reports.size(), 1u) << c.edit1;
        // The title of this test program by the title rule: its file name up to the first full
        // stop, lower case after the first letter.
        EXPECT_EQ(reports[0].caption, "app_tests");
        EXPECT_EQ(reports[0].caption, form->Title().toStdString());
        EXPECT_EQ(reports[0].text, c.message);
        EXPECT_FALSE(reports[0].busyCursorShown) << c.edit1;
        EXPECT_EQ(Text(form->Edit1), c.edit1After);
    }
    EXPECT_FALSE(BusyCursorIsSet());
    EXPECT_TRUE(form->Graph().Picture().isNull());
    EXPECT_EQ(Text(form->Label21), "振幅の最大値：CMax =");
}

using AxisBoxTest = FormTest;

TEST_F(AxisBoxTest, TogglingRedrawsWithoutRecomputing) {
    UseShortFilters();
    form->Button1->click();
    const QImage logPicture = form->Graph().Picture();
    const std::string cmax = Text(form->Label21);
    const std::vector<double> lowTaps = form->Taps().LowTaps;

    form->CheckBox1->click();  // linear frequency axis: the edges lie at x = 17 and 118
    const QImage& linearPicture = form->Graph().Picture();
    EXPECT_TRUE(HasMarker(linearPicture, 17, kRed));
    EXPECT_TRUE(HasMarker(linearPicture, 118, kBlue));
    EXPECT_FALSE(HasMarker(linearPicture, 291, kRed));
    EXPECT_EQ(Text(form->Label21), cmax);
    EXPECT_EQ(form->Taps().LowTaps, lowTaps);

    form->CheckBox1->click();
    EXPECT_EQ(form->Graph().Picture(), logPicture);
    form->CheckBox2->click();  // magnitudes instead of levels: other curves, same markers
    EXPECT_NE(form->Graph().Picture(), logPicture);
    EXPECT_TRUE(HasMarker(form->Graph().Picture(), 291, kRed));
    EXPECT_TRUE(reports.empty());
}

TEST_F(AxisBoxTest, BeforeAnyCalculationDrawsTheEmptyGraph) {
    form->CheckBox2->click();
    ASSERT_TRUE(reports.empty());
    const QImage& picture = form->Graph().Picture();
    ASSERT_EQ(picture.size(), QSize(593, 337));
    EXPECT_TRUE(HasMarker(picture, 291, kRed));
    EXPECT_EQ(Text(form->Label21), "振幅の最大値：CMax =");
}

TEST_F(AxisBoxTest, FailingRedrawKeepsThePictureAndRestoresTheCursor) {
    form->CheckBox1->click();
    const QImage before = form->Graph().Picture();
    form->Edit5->setText("x");
    form->CheckBox1->click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "'x' は浮動小数点数ではありません.");
    EXPECT_FALSE(reports[0].busyCursorShown);
    EXPECT_FALSE(BusyCursorIsSet());
    EXPECT_EQ(form->Graph().Picture(), before);
}

using CouplingBoxTest = FormTest;

TEST_F(CouplingBoxTest, CouplesTheOuterCutOffsToTheBandPassEdges) {
    form->Edit5->setText("250");
    form->Edit4->setText("2500");
    form->CheckBox3->click();
    EXPECT_EQ(Text(form->Edit2), "250");
    EXPECT_EQ(Text(form->Edit3), "2500");
    for (const QLineEdit* edit : {form->Edit2, form->Edit3}) {
        EXPECT_TRUE(edit->isReadOnly());
        EXPECT_EQ(edit->palette().color(QPalette::Base), Color3DLight());
    }

    // While coupled, the outer fields follow every change of the edges at once.
    form->Edit5->setText("400");
    form->Edit4->setText("3000");
    EXPECT_EQ(Text(form->Edit2), "400");
    EXPECT_EQ(Text(form->Edit3), "3000");

    form->CheckBox3->click();
    for (const QLineEdit* edit : {form->Edit2, form->Edit3}) {
        EXPECT_FALSE(edit->isReadOnly());
        EXPECT_EQ(edit->palette().color(QPalette::Base), ColorWhite());
    }
    EXPECT_EQ(Text(form->Edit2), "400");
    EXPECT_EQ(Text(form->Edit3), "3000");
    form->Edit5->setText("500");  // freed: no longer follows
    EXPECT_EQ(Text(form->Edit2), "400");
    EXPECT_TRUE(reports.empty());
}

using EstimateButtonTest = FormTest;

TEST_F(EstimateButtonTest, ShowsCutOffAndTapsAndReportsEqualEdges) {
    form->Button5->click();
    ASSERT_TRUE(reports.empty());
    EXPECT_EQ(Text(form->Label18), "CutOff     ：600Hz");
    EXPECT_EQ(Text(form->Label20), "Ideal Taps： 699");

    // Equal edges: the cut-off is written, then Kaiser's formula divides by a zero width.
    form->Edit6->setText("500");
    form->Edit7->setText("500");
    form->Button5->click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "0 による浮動小数点数除算.");
    EXPECT_EQ(Text(form->Label18), "CutOff     ：500Hz");
    EXPECT_EQ(Text(form->Label20), "Ideal Taps： 699");
    // The estimate touches neither the design nor the graph.
    EXPECT_EQ(form->Taps().CommonLength, 0);
    EXPECT_TRUE(form->Graph().Picture().isNull());
}

}  // namespace
}  // namespace kc::app

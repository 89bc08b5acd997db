// SPDX-License-Identifier: GPL-3.0-or-later
// The design session: what changes it and what it says when, the one shared copy of a
// calculation's taps, and a design opened without any window to hold its settings.
#include "app/design_session.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QSpinBox>

#include "design_file/design_file.h"
#include "form_fixture.h"
#include "support/raised_error.h"

namespace kc::app {
namespace {

QString Example(const char* name) {
    return QStringLiteral(KC_DRIVER_EXAMPLES) + '/' + QString::fromLatin1(name);
}

class DesignSessionTest : public FormTest {
  protected:
    DesignSession& Session() { return form->Session(); }
};

// A field's text, a box, another window's control: each change is one designChanged, a text set
// again none; only a completed calculation is a new result.
TEST_F(DesignSessionTest, SaysWhenTheDesignOrTheResultChanged) {
    UseShortFilters();
    form->Button1->click();
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    QSignalSpy design(&Session(), &DesignSession::designChanged);
    QSignalSpy result(&Session(), &DesignSession::resultChanged);
    form->Edit6->setText("250");
    EXPECT_EQ(Session().Design().estimate.passBand, "250");
    form->Edit6->setText("250");
    form->CheckBox2->click();
    EXPECT_FALSE(Session().Design().graph.logAmplitude);
    EXPECT_EQ(design.count(), 2);
    form->TimeResponse()->findChild<QSpinBox*>("Threshold")->setValue(90);
    EXPECT_EQ(Session().Design().time.preRingingDb, 90);
    EXPECT_EQ(design.count(), 3);
    EXPECT_EQ(result.count(), 0);

    const auto first = Session().Result();
    form->Button1->click();
    ASSERT_EQ(result.count(), 1);
    EXPECT_EQ(design.count(), 3);  // the counts written back are the texts already there
    EXPECT_NE(Session().Result(), first);
    const auto second = Session().Result();
    form->Edit9->setText("abc");
    form->Button1->click();
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(result.count(), 1);
    EXPECT_EQ(Session().Result(), second);
}

// The window, the time window and the acoustic view read the one copy the calculation made.
TEST_F(DesignSessionTest, TapsAreSharedNotCopied) {
    UseShortFilters();
    form->Button1->click();
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    const dsp::CrossoverTaps& taps = Session().Result()->taps;
    EXPECT_EQ(Session().Taps().get(), &taps);
    EXPECT_EQ(&form->Taps(), &taps);
    const dsp::TimeResponse& time = form->TimeResponse()->Response();
    EXPECT_EQ(time.taps.get(), &taps);
    EXPECT_EQ(time.impulse[0].data(), taps.LowTaps.data());
    EXPECT_EQ(time.impulse[3].data(), taps.SumTaps.data());
}

TEST_F(DesignSessionTest, DriverFilesChangeTheDesignAndTheDriversOrNothing) {
    QSignalSpy design(&Session(), &DesignSession::designChanged);
    QSignalSpy drivers(&Session(), &DesignSession::driversChanged);
    Session().SetDriverFile(acoustic::Band::Low, Example("woofer.frd"));
    EXPECT_EQ(Session().Design().acoustic[0].driverFile,
              QFileInfo(Example("woofer.frd")).absoluteFilePath().toStdString());
    ASSERT_TRUE(Session().Drivers()[0].has_value());
    EXPECT_EQ(Session().Drivers()[0]->name, "woofer.frd");
    EXPECT_EQ(design.count(), 1);
    EXPECT_EQ(drivers.count(), 1);

    const design_file::Design before = Session().Design();
    EXPECT_EQ(testing_support::RaisedMessage(
                  [&] { Session().SetDriverFile(acoustic::Band::Mid, Example("missing.frd")); }),
              "missing.frd: cannot be read (No such file or directory)");
    EXPECT_EQ(Session().Design(), before);
    EXPECT_EQ(design.count(), 1);
    EXPECT_EQ(drivers.count(), 1);

    Session().SetDriverFile(acoustic::Band::Low, QString());
    EXPECT_FALSE(Session().Drivers()[0].has_value());
    EXPECT_EQ(Session().Design(), design_file::Design{});
    EXPECT_EQ(drivers.count(), 2);
}

// Opening puts the design into the session; the time window, made only when asked for, shows it.
TEST_F(DesignSessionTest, OpenedDesignNeedsNoWindowToHoldItsSettings) {
    design_file::Design design;
    design.crossover.lowTaps = "61";
    design.crossover.midTaps = "41";
    design.crossover.highTaps = "21";
    design.time = {120, true, false};
    design.acoustic[2] = {KC_DRIVER_EXAMPLES "/tweeter.frd", {-2.0, 0.5, true}};
    QTemporaryDir folder;
    const QString path = folder.filePath("time.kcx");
    design_file::WriteDesignFile(path.toStdString(), design);
    form->OpenDesign(path);
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_EQ(Session().Design(), design);
    EXPECT_TRUE(form->findChildren<QWidget*>("TimeResponse").empty());
    EXPECT_TRUE(Session().Drivers()[2].has_value());

    TimeResponseWindow& window = *form->TimeResponse();
    EXPECT_EQ(window.Kind(), dsp::TimeSeriesKind::Step);
    EXPECT_EQ(window.findChild<QSpinBox*>("Threshold")->value(), 120);
    EXPECT_EQ(window.Acoustic().Model().Driver(acoustic::Band::High)->name, "tweeter.frd");
    EXPECT_EQ(window.Acoustic().CurrentSettings()[2], design.acoustic[2].band);
    EXPECT_FALSE(form->Document().Changed());
}

}  // namespace
}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
// The time and acoustic window behaving as the main window does: its keys, the plots' keyboard
// zoom and menus, the sliders' steps, drops routed by kind, the export dialog beside it, the
// design file keeping how it was left, its language by locale and the first-start hint.
#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUrl>
#include <QWheelEvent>

#include "app/first_start_hint.h"
#include "app/picture_view.h"
#include "app/time_response_window.h"
#include "app/translation.h"
#include "form_fixture.h"

namespace kc::app {
namespace {

QString Example(const char* name) {
    return QStringLiteral(KC_DRIVER_EXAMPLES) + '/' + QString::fromLatin1(name);
}

class SecondWindowTest : public FormTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        DesignDialogs dialogs;
        dialogs.chooseOpen = [this](QWidget*, const QString& caption, const QStringList&) {
            asked.push_back(caption);
            return ChosenFile{};
        };
        form = std::make_unique<TForm1>(
            Recorder(),
            [this](QWidget*, const QString& caption, const QStringList& filters) {
                asked.push_back(caption);
                return ChosenFile{saveAnswer, filters.value(0)};
            },
            [](QWidget*, const QString&, const QStringList&) { return true; }, dialogs);
        UseShortFilters();
        form->Button1->click();
        form->ShowTimeResponse();
        Window().resize(640, 480);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Window()));
        QApplication::setActiveWindow(&Window());
    }

    TimeResponseWindow& Window() const { return *form->TimeResponse(); }
    PictureView* TimePlot() const { return Window().findChild<PictureView*>("TimePlot"); }

    void Drop(QWidget* target, const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) {
            urls.append(QUrl::fromLocalFile(path));
        }
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        enter.ignore();
        QApplication::sendEvent(target, &enter);
        ASSERT_TRUE(enter.isAccepted()) << target->objectName().toStdString();
        QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(target, &drop);
        QCoreApplication::sendPostedEvents();
    }

    QTemporaryDir folder;
    QString saveAnswer;
    QStringList asked;  // the captions of the file dialogs asked for
};

TEST_F(SecondWindowTest, KeysActAsInTheMainWindow) {
    enum class Then { Asked, Closed, PlotMenu };
    struct Press {
        QKeyCombination keys;
        Then then;
        const char* what;  // the dialog asked for
    };
    const Press presses[] = {
        {QKeyCombination(Qt::ShiftModifier, Qt::Key_F10), Then::PlotMenu, ""},
        {QKeyCombination(Qt::Key_Menu), Then::PlotMenu, ""},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_S), Then::Asked, "Save design as"},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_O), Then::Asked, "Open design"},
        {QKeyCombination(Qt::ControlModifier, Qt::Key_W), Then::Closed, ""},
        {QKeyCombination(Qt::Key_Escape), Then::Closed, ""},
    };
    for (const Press& press : presses) {
        SCOPED_TRACE(QKeySequence(press.keys).toString().toStdString());
        form->ShowTimeResponse();
        QApplication::setActiveWindow(&Window());
        asked.clear();
        QWidget* focused = Window().findChild<QRadioButton*>("Step");
        focused->setFocus();
        QTest::keyClick(focused, press.keys.key(), press.keys.keyboardModifiers());
        QCoreApplication::sendPostedEvents();
        EXPECT_EQ(Window().isVisible(), press.then != Then::Closed);
        EXPECT_EQ(asked, press.then == Then::Asked ? QStringList{press.what} : QStringList{});
        EXPECT_EQ(TimePlot()->Menu()->isVisible(), press.then == Then::PlotMenu);
        TimePlot()->Menu()->hide();
    }
    EXPECT_TRUE(reports.empty());
}

// Every plot's menu offers Copy, Save PNG and Save CSV, and its CSV is written where chosen.
TEST_F(SecondWindowTest, EveryPlotsMenuCopiesAndSavesItsPictureAndData) {
    const std::pair<const char*, ViewTab> plots[] = {{"TimePlot", ViewTab::Time},
                                                     {"AcousticPlot", ViewTab::Acoustic},
                                                     {"SpeakerPlot", ViewTab::Speaker}};
    for (const auto& [name, tab] : plots) {
        SCOPED_TRACE(name);
        Window().ShowView(tab);
        auto* plot = Window().findChild<PictureView*>(QString::fromLatin1(name));
        ASSERT_NE(plot, nullptr);
        for (const char* item : {"CopyPicture", "SavePicture", "SaveData"}) {
            auto* action = plot->Menu()->findChild<QAction*>(QString::fromLatin1(item));
            ASSERT_NE(action, nullptr) << item;
            EXPECT_TRUE(action->isEnabled()) << item;
        }
        saveAnswer = folder.filePath(QString::fromLatin1(name) + QStringLiteral(".csv"));
        plot->Menu()->findChild<QAction*>(QStringLiteral("SaveData"))->trigger();
        EXPECT_GT(QFileInfo(saveAnswer).size(), 100);
    }
    EXPECT_TRUE(reports.empty()) << reports.front().text;
}

// A wheel notch is a fifth of the span, an arrow a tenth of it, 0 the whole again.
TEST_F(SecondWindowTest, PlotTakesTabFocusAndZoomsWithKeys) {
    PictureView* plot = TimePlot();
    EXPECT_TRUE(plot->focusPolicy() & Qt::TabFocus);
    plot->setFocus();
    const graph::TimeRange full = Window().Range();
    const double span = full.tMaxMs - full.tMinMs;
    QTest::keyClick(plot, Qt::Key_Plus);
    const graph::TimeRange zoomed = Window().Range();
    EXPECT_NEAR(zoomed.tMaxMs - zoomed.tMinMs, PictureView::kZoomPerNotch * span, 1e-9 * span);
    QTest::keyClick(plot, Qt::Key_Right);
    const double zoomedSpan = zoomed.tMaxMs - zoomed.tMinMs;
    EXPECT_NEAR(Window().Range().tMinMs - zoomed.tMinMs, PictureView::kPanPerKey * zoomedSpan,
                1e-9 * span);
    EXPECT_NEAR(Window().Range().tMaxMs - Window().Range().tMinMs, zoomedSpan, 1e-9 * span);
    QTest::keyClick(plot, Qt::Key_0);
    EXPECT_EQ(Window().Range(), full);
    EXPECT_TRUE(reports.empty());
}

// A typed value counts without Enter; a wheel notch over a slider is one step of its box.
TEST_F(SecondWindowTest, TypedValuesApplyAndTheWheelMovesOneStep) {
    Window().ShowView(ViewTab::Acoustic);
    auto* gain = Window().findChild<QDoubleSpinBox*>("GainMid");
    gain->setFocus();
    gain->selectAll();
    QTest::keyClicks(gain, "-2.5");
    EXPECT_EQ(gain->text(), "-2.5 dB");
    EXPECT_DOUBLE_EQ(form->Session().Design().acoustic[1].band.gainDb, -2.5);
    auto* slider = Window().findChild<QSlider*>("DelaySliderHigh");
    const QPointF middle = QRectF(slider->rect()).center();
    QWheelEvent wheel(middle, slider->mapToGlobal(middle), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(slider, &wheel);
    EXPECT_DOUBLE_EQ(form->Session().Design().acoustic[2].band.delayMs, 0.01);
    EXPECT_TRUE(reports.empty());
}

TEST_F(SecondWindowTest, DropsGoWhereTheirKindBelongs) {
    // Driver files on the main window: the acoustic view, shown, loads them by frequency.
    Window().ShowView(ViewTab::Time);
    Window().hide();
    Drop(form.get(), {Example("tweeter.frd"), Example("woofer.frd"), Example("midrange.frd")});
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Window().CurrentView(), ViewTab::Acoustic);
    EXPECT_EQ(form->Session().Design().acoustic[0].driverFile,
              QFile::encodeName(Example("woofer.frd")).toStdString());

    // A design file on the second window's time tab opens in the main window.
    design_file::Design design;
    design.crossover.lowTaps = "41";
    const QString path = folder.filePath("dropped.kcx");
    design_file::WriteDesignFile(QFile::encodeName(path).toStdString(), design);
    Window().ShowView(ViewTab::Time);
    Drop(&Window(), {path});
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_EQ(form->Document().Path(), path);
    EXPECT_EQ(Text(form->Edit1), "41");
}

// A second opening brings the one dialog forward; a calculation while it is open is what it
// then exports.
TEST_F(SecondWindowTest, ExportDialogLeavesTheWindowsUsable) {
    form->Image1Menu().UseExportDialog(StandardExportQuestions(), ShowExportDialog);
    form->Image1Menu().Action("ExportCoefficients")->trigger();
    form->Image1Menu().Action("ExportCoefficients")->trigger();
    const QList<ExportDialog*> dialogs = form->findChildren<ExportDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    EXPECT_TRUE(dialogs[0]->isVisible());
    EXPECT_FALSE(dialogs[0]->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    form->Edit1->setText("81");
    form->Button1->click();
    EXPECT_EQ(dialogs[0]->Table->topLevelItem(0)->text(1), "81");
    dialogs[0]->reject();
    EXPECT_TRUE(reports.empty());
}

// How the window was left goes into the design file, is shown again when it is opened, and alone
// is no change to ask about.
TEST_F(SecondWindowTest, DesignFileKeepsWhetherTheWindowWasOpenAndItsTab) {
    saveAnswer = folder.filePath("left.kcx");
    Window().ShowView(ViewTab::Speaker);
    form->Image1Menu().Action("SaveDesignAs")->trigger();
    const design_file::Design saved =
        design_file::ReadDesignFile(QFile::encodeName(saveAnswer).toStdString());
    EXPECT_EQ(saved.window, (design_file::WindowSettings{true, ViewTab::Speaker}));
    Window().ShowView(ViewTab::Time);
    EXPECT_FALSE(form->Document().Changed());

    Window().close();
    form->OpenDesign(saveAnswer);
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_TRUE(Window().isVisible());
    EXPECT_EQ(Window().CurrentView(), ViewTab::Speaker);
}

// Under a Japanese locale the added windows speak Japanese, the main window's texts stay.
TEST(LanguageTest, AddedWindowsFollowTheLocaleTheMainWindowStays) {
    struct Case {
        QLocale locale;
        const char* title;
        const char* tab;
        const char* menuItem;
    };
    const Case cases[] = {
        {QLocale(QLocale::Japanese, QLocale::Japan), "時間応答と音響特性", "音響",
         "グラフをコピー"},
        {QLocale(QLocale::English, QLocale::UnitedStates), "Time and acoustic response", "Acoustic",
         "Copy graph"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        const ScopedTranslation translation(c.locale);
        EXPECT_EQ(translation.Installed(), c.locale.language() == QLocale::Japanese);
        TForm1 window([](QWidget*, const QString&, const QString&) {});
        window.CreatedTimeResponse();
        EXPECT_EQ(window.TimeResponse()->windowTitle().toStdString(), c.title);
        EXPECT_EQ(window.TimeResponse()->findChild<QTabWidget*>("Views")->tabText(1).toStdString(),
                  c.tab);
        EXPECT_EQ(window.Image1Menu().Action("CopyGraph")->text().toStdString(), c.menuItem);
        EXPECT_EQ(window.Button1->text().toStdString(), "フィルタ特性計算Calc");
        EXPECT_EQ(window.Label12->text().toStdString(),
                  "Calculation of filter length(Taps) for reference");
    }
}

TEST(FirstStartHintTest, ShownOnTheGraphUntilTheMenuIsFirstUsedThenNeverAgain) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QString settings = folder.filePath("first-start.ini");
    TForm1 window([](QWidget*, const QString&, const QString&) {});
    window.UseFirstStartHint(FirstStartHint(settings));
    const QString hint = window.GraphTooltipAt(100);
    EXPECT_TRUE(hint.contains("Ctrl+T") && hint.contains("design files") && hint.contains("menu"))
        << hint.toStdString();
    window.Image1Menu().Popup(QPoint(10, 10));
    window.Image1Menu().Menu()->hide();
    EXPECT_EQ(window.GraphTooltipAt(100), "");
    EXPECT_EQ(FirstStartHint(settings).Text(), "");
    EXPECT_EQ(FirstStartHint().Text(), "");  // without settings, never
}

TEST(FileChooserTest, DialogsStartBesideTheDesignElseTheLastChoice) {
    QTemporaryDir design;
    QTemporaryDir last;
    ASSERT_TRUE(design.isValid() && last.isValid());
    const QString designFile = design.filePath("a.kcx");
    const QString lastFile = last.filePath("b.frd");
    struct Case {
        QString designFile, lastFile, folder;
    };
    const Case cases[] = {
        {designFile, lastFile, design.path()},
        {QString(), lastFile, last.path()},
        {design.filePath("gone/a.kcx"), lastFile, last.path()},
        {QString(), QString(), QDir::currentPath()},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StartFolder(c.designFile, c.lastFile), QDir(c.folder).absolutePath())
            << c.designFile.toStdString();
    }
}

}  // namespace
}  // namespace kc::app

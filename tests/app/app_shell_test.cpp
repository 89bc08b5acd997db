// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up and shut-down, the title rule, the display check and the real message box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <map>
#include <string>
#include <vector>

#include "app/app_title.h"
#include "app/application.h"
#include "app/display_check.h"
#include "app/main_form.h"
#include "design_file/design_file.h"

namespace kc::app {
namespace {

TEST(ApplicationTitleTest, FileNameCutAtTheFirstFullStopInLowerCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"ABC.DEF.EXE", "Abc"},
        {"abc.exe", "abc"},
        {"/usr/bin/kaiser-crossover", "kaiser-crossover"},
        {"/opt/Kaiser.Tools/KAISER-Crossover", "Kaiser-crossover"},  // a folder's stop is not cut
        {"./x", "x"},
        {"/usr/bin/.hidden", ""},
    };
    for (const auto& [path, title] : cases) {
        EXPECT_EQ(TitleFromExecutablePath(path), title) << path;
    }
}

TEST(DisplayCheckTest, NeedsADisplayOrAChosenPlatform) {
    using Environment = std::map<std::string, std::string>;
    const std::pair<Environment, bool> cases[] = {
        {{}, false},
        {{{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, false},
        {{{"DISPLAY", ":0"}}, true},
        {{{"WAYLAND_DISPLAY", "wayland-0"}}, true},
        {{{"QT_QPA_PLATFORM", "offscreen"}}, true},
        {{{"HOME", "/root"}}, false},
    };
    for (const auto& [variables, expected] : cases) {
        const Environment& environment = variables;  // a lambda may not capture a binding (clang)
        const auto lookup = [&environment](const char* name) -> const char* {
            const auto found = environment.find(name);
            return found == environment.end() ? nullptr : found->second.c_str();
        };
        EXPECT_EQ(HasGraphicalDisplay(lookup), expected) << environment.size();
    }
}

// Centred where the window fits; where it does not (a scaled display), at the area's left or top
// edge, so that the title bar is on the screen.
TEST(WindowPlacementTest, KeepsTheTitleBarInTheAvailableArea) {
    const struct {
        QRect available;
        QSize frame;
        QPoint expected;
    } cases[] = {
        {{0, 0, 1280, 1024}, {674, 599}, {303, 212}},
        {{0, 0, 640, 512}, {674, 599}, {0, 0}},     // 1280 x 1024 at a scale of 2
        {{0, 0, 853, 682}, {674, 599}, {89, 41}},   // at a scale of 1.5
        {{0, 30, 640, 482}, {600, 630}, {20, 30}},  // a panel at the top; only the width fits
        {{1280, 0, 1920, 1080}, {674, 599}, {1903, 240}},  // a second screen
    };
    for (const auto& row : cases) {
        EXPECT_EQ(WindowPlacement(row.available, row.frame), row.expected)
            << row.available.width() << 'x' << row.available.height();
    }
}

TEST(ErrorBoxTest, IsAModalStopBoxWithOneOkButton) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    std::string caption;
    std::string text;
    bool modal = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        icon = box->icon();
        buttons = box->standardButtons();
        caption = box->windowTitle().toStdString();
        text = box->text().toStdString();
        modal = box->isModal();
        box->accept();
    });
    ShowErrorBox(nullptr, "kaiser-crossover", "'abc' は整数ではありません.");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    EXPECT_EQ(caption, "kaiser-crossover");
    EXPECT_EQ(text, "'abc' は整数ではありません.");
    EXPECT_TRUE(modal);
}

TEST(RunApplicationTest, ClosingTheWindowEndsWithExitCodeZeroAfterErrors) {
    int reportCount = 0;
    bool shown = false;
    QTimer::singleShot(0, [&shown] {
        ASSERT_NE(Form1, nullptr);
        shown = Form1->isVisible();
        Form1->Edit1->setText("abc");
        Form1->Button1->click();
        Form1->Button1->click();
        Form1->close();
    });
    const int exitCode =
        RunApplication([&reportCount](QWidget*, const QString&, const QString&) { ++reportCount; });
    EXPECT_EQ(exitCode, 0);
    EXPECT_TRUE(shown);
    EXPECT_EQ(reportCount, 2);
    EXPECT_EQ(Form1, nullptr);
}

TEST(StartArgumentsTest, TakeOneDesignFileAtMost) {
    struct Row {
        QStringList arguments;
        QString designPath;
        int exitStatus;
    };
    const Row rows[] = {
        {{"kaiser-crossover"}, "", -1},
        {{"kaiser-crossover", "d.kcx"}, "d.kcx", -1},
        {{"kaiser-crossover", "a.kcx", "b.kcx"}, "", 2},
        {{"kaiser-crossover", "--bogus"}, "", 2},
        {{"kaiser-crossover", "--version"}, "", 0},
    };
    for (const Row& row : rows) {
        const StartRequest start = ParseStartArguments(row.arguments);
        EXPECT_EQ(start.designPath, row.designPath) << row.arguments.join(' ').toStdString();
        EXPECT_EQ(start.exitStatus, row.exitStatus) << row.arguments.join(' ').toStdString();
    }
}

// A design named at start opens once the window shows; a missing one is reported in the window,
// which keeps its initial design.
TEST(RunApplicationTest, OpensTheDesignNamedAtStartOrReportsIt) {
    const QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    design_file::Design design;
    design.crossover.lowTaps = "61";
    design.estimate.stopBand = "1200";
    const QString saved = folder.filePath("start.kcx");
    design_file::WriteDesignFile(saved.toStdString(), design);
    for (const QString& path : {saved, folder.filePath("missing.kcx")}) {
        std::vector<std::string> reports;
        std::string stopBand;
        bool shown = false;
        bool graphShown = false;
        // Looks once the window has opened the design or reported it.
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (Form1 == nullptr || (Form1->Document().Path().isEmpty() && reports.empty())) {
                return;
            }
            poll.stop();
            shown = Form1->isVisible();
            graphShown = Form1->GraphShown();
            stopBand = Form1->Edit7->text().toStdString();
            Form1->close();
        });
        poll.start(10);
        const int exitCode = RunApplication(
            [&reports](QWidget*, const QString&, const QString& text) {
                reports.push_back(text.toStdString());
            },
            path);
        EXPECT_EQ(exitCode, 0);
        EXPECT_TRUE(shown);
        if (path == saved) {
            EXPECT_TRUE(reports.empty());
            EXPECT_TRUE(graphShown);
            EXPECT_EQ(stopBand, "1200");
        } else {
            ASSERT_EQ(reports.size(), 1u);
            EXPECT_EQ(reports[0],
                      "'" + path.toStdString() + "' を読み込めません: No such file or directory.");
            EXPECT_FALSE(graphShown);
            EXPECT_EQ(stopBand, "900");
        }
    }
}

TEST(ApplicationIconTest, HasA32PixelPictureAndLarger) {
    const QIcon icon = ApplicationIcon();
    const QList<QSize> sizes = icon.availableSizes();
    EXPECT_TRUE(sizes.contains(QSize(32, 32)));
    EXPECT_TRUE(sizes.contains(QSize(256, 256)));
    EXPECT_EQ(icon.pixmap(32, 32).size(), QSize(32, 32));
}

}  // namespace
}  // namespace kc::app

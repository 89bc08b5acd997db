// SPDX-License-Identifier: GPL-3.0-or-later
// A main window whose error report records instead of showing a box.
#pragma once

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "app/main_form.h"
#include "app/screen_cursor.h"

namespace kc::app {

// One error report as the window made it.
struct RecordedReport {
    std::string caption;
    std::string text;
    bool busyCursorShown = false;  // the busy cursor was still set when the report was made
};

class FormTest : public testing::Test {
  protected:
    void TearDown() override { SetDefaultCursor(); }

    std::string Text(const QLineEdit* edit) const { return edit->text().toStdString(); }
    std::string Text(const QLabel* label) const { return label->text().toStdString(); }

    // Short filters keep a calculation quick where its numbers do not matter.
    void UseShortFilters() {
        form->Edit1->setText("61");
        form->Edit9->setText("41");
        form->Edit10->setText("21");
    }

    // A reporter that appends to `reports`.
    ErrorReporter Recorder() {
        return [this](QWidget* /*owner*/, const QString& caption, const QString& text) {
            reports.push_back({caption.toStdString(), text.toStdString(), BusyCursorIsSet()});
        };
    }

    std::vector<RecordedReport> reports;
    std::unique_ptr<TForm1> form = std::make_unique<TForm1>(Recorder());
};

// A window for tests that save: its file chooser answers `answer`, and its replace question is
// recorded and answered No.
class SavingFormTest : public FormTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        form = std::make_unique<TForm1>(
            Recorder(),
            [this](QWidget*, const QString&, const QStringList& filters) {
                return ChosenFile{answer, filters.value(0)};
            },
            [this](QWidget*, const QString&, const QStringList& existing) {
                replaceQuestions.push_back(existing);
                return false;
            });
    }

    void Calculate() {
        form->Button1->click();
        ASSERT_TRUE(reports.empty()) << reports.front().text;
    }

    QTemporaryDir folder;
    QString answer;
    std::vector<QStringList> replaceQuestions;  // each answered No
};

// Pixels of one column of an image that have exactly the given colour.
inline int CountInColumn(const QImage& image, int x, QRgb rgb) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        count += (image.pixel(x, y) & 0xFFFFFFu) == (rgb & 0xFFFFFFu) ? 1 : 0;
    }
    return count;
}

}  // namespace kc::app

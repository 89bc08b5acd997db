// SPDX-License-Identifier: GPL-3.0-or-later
// Enter in a field runs the Calc of the field's group; Enter on a Calc button presses it.
#include <QApplication>
#include <QKeyEvent>

#include "form_fixture.h"

namespace kc::app {
namespace {

using EnterKeyTest = FormTest;

void PressKey(QWidget* control, Qt::Key key) {
    QKeyEvent press(QEvent::KeyPress, key,
                    key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
    QApplication::sendEvent(control, &press);
}

// A tap count of 60 that Calc makes odd shows that the crossover calculation ran; the cut-off
// line that replaces "CutOff Hz" shows that the estimate ran.
TEST_F(EnterKeyTest, EachGroupRunsItsOwnCalc) {
    UseShortFilters();
    struct Case {
        QLineEdit* edit;
        Qt::Key key;
        bool crossover;
    };
    const Case cases[] = {
        {form->Edit1, Qt::Key_Return, true},  {form->Edit9, Qt::Key_Return, true},
        {form->Edit10, Qt::Key_Return, true}, {form->Edit2, Qt::Key_Return, true},
        {form->Edit5, Qt::Key_Return, true},  {form->Edit4, Qt::Key_Return, true},
        {form->Edit3, Qt::Key_Enter, true},   {form->Edit6, Qt::Key_Return, false},
        {form->Edit7, Qt::Key_Return, false}, {form->Edit8, Qt::Key_Enter, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.edit->objectName().toStdString());
        form->Edit1->setText("60");
        SetCaption(form->Label18, "CutOff Hz");
        PressKey(row.edit, row.key);
        EXPECT_EQ(Text(form->Edit1), row.crossover ? "61" : "60");
        EXPECT_EQ(Text(form->Label18), row.crossover ? "CutOff Hz" : "CutOff     ：600Hz");
    }
    EXPECT_TRUE(reports.empty());
}

// Enter and keypad Enter on a focused Calc button press it, as Space does.
TEST_F(EnterKeyTest, PressesAFocusedCalcButton) {
    UseShortFilters();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
        form->Edit1->setText("60");
        SetCaption(form->Label18, "CutOff Hz");
        PressKey(form->Button1, key);
        EXPECT_EQ(Text(form->Edit1), "61") << key;
        EXPECT_EQ(Text(form->Label18), "CutOff Hz") << key;
        PressKey(form->Button5, key);
        EXPECT_EQ(Text(form->Label18), "CutOff     ：600Hz") << key;
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(EnterKeyTest, ErrorsGoToTheReport) {
    form->Edit9->setText("abc");
    PressKey(form->Edit10, Qt::Key_Return);
    form->Edit7->setText("x");
    PressKey(form->Edit6, Qt::Key_Return);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0].text, "'abc' は整数ではありません.");
    EXPECT_EQ(reports[0].caption, form->Title().toStdString());
    EXPECT_FALSE(reports[0].busyCursorShown);
    EXPECT_FALSE(BusyCursorIsSet());
    EXPECT_EQ(reports[1].text, "'x' は浮動小数点数ではありません.");
}

}  // namespace
}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as it is created: texts, states, places, tab order and fonts.
#include <QFontInfo>
#include <QFrame>

#include "form_fixture.h"

namespace kc::app {
namespace {

using MainFormTest = FormTest;

TEST_F(MainFormTest, StartsWithTheInitialTextsAndStates) {
    const std::vector<std::pair<QLineEdit*, std::string>> fields = {
        {form->Edit1, "901"}, {form->Edit2, "300"}, {form->Edit3, "2000"}, {form->Edit4, "2000"},
        {form->Edit5, "300"}, {form->Edit6, "300"}, {form->Edit7, "900"},  {form->Edit8, "144"},
        {form->Edit9, "701"}, {form->Edit10, "301"}};
    for (const auto& [edit, text] : fields) {
        EXPECT_EQ(Text(edit), text) << edit->objectName().toStdString();
        EXPECT_EQ(edit->isReadOnly(), edit == form->Edit8) << edit->objectName().toStdString();
    }
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_TRUE(form->CheckBox2->isChecked());
    EXPECT_FALSE(form->CheckBox3->isChecked());
    EXPECT_EQ(form->Edit8->palette().color(QPalette::Base), Color3DLight());
    EXPECT_NE(Color3DLight(), ColorWhite());
    EXPECT_EQ(Text(form->Label21), "振幅の最大値：CMax =");
    EXPECT_EQ(Text(form->Label18), "CutOff Hz");
    EXPECT_EQ(Text(form->Label20), "Ideal Taps");
    EXPECT_EQ(form->windowTitle().toStdString(),
              "Frequency Response of FIR (Kaiser window) filter Ver1.1");
    EXPECT_EQ(form->size(), QSize(674, 599));
    EXPECT_EQ(Form1, form.get());
    // No calculation and no drawing at start: a blank image, an empty design, a zero store.
    EXPECT_TRUE(form->Graph().Picture().isNull());
    EXPECT_EQ(form->Taps().CommonLength, 0);
    EXPECT_EQ(form->Store().SumDb, dsp::Curve{});
    EXPECT_TRUE(reports.empty());
}

TEST_F(MainFormTest, TabOrderFollowsTheFieldOrder) {
    const TForm1& f = *form;
    const std::vector<QWidget*> expected = {
        f.Button1, f.Edit1, f.Edit2, f.CheckBox1, f.CheckBox2, f.Edit3,  f.Edit4,    f.Edit5,
        f.Edit6,   f.Edit7, f.Edit8, f.Button5,   f.Edit9,     f.Edit10, f.CheckBox3};
    std::vector<QWidget*> chain;
    QWidget* widget = f.Button1;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget != form.get()) {
            chain.push_back(widget);
        }
        widget = widget->nextInFocusChain();
    } while (widget != f.Button1 && chain.size() < 40);
    EXPECT_EQ(chain, expected);
    // A read-only field still takes focus, so that its text can be selected and copied.
    EXPECT_TRUE(f.Edit8->isReadOnly());
    EXPECT_TRUE((f.Edit8->focusPolicy() & Qt::TabFocus) != 0);
}

TEST_F(MainFormTest, UsesTheWindowFaceOrItsFallback) {
    const std::string face = QFontInfo(form->font()).family().toStdString();
    EXPECT_TRUE(face == "ＭＳ Ｐゴシック" || face == "IPAPGothic") << face;
    EXPECT_EQ(form->Label1->font().pixelSize(), 12);
    EXPECT_EQ(form->Edit1->font().pixelSize(), 12);
    EXPECT_EQ(form->CheckBox1->font().pixelSize(), 12);
    EXPECT_EQ(form->Label6->font().pixelSize(), 16);
}

// Rectangle of a control in the window's client coordinates.
QRect InClient(const QWidget* control, const QWidget* window) {
    return QRect(control->mapTo(window, QPoint(0, 0)), control->size());
}

// With the font actually in use (the fallback on a machine without the design face), no caption
// runs under another control or out of the frame it stands in.
TEST_F(MainFormTest, NoCaptionIsHiddenByAnotherControl) {
    form->Button5->click();  // the longest estimate captions
    form->Label21->setText("振幅係数の最大値：CMax = 1.000000");
    form->Label21->adjustSize();
    const QList<QLabel*> labels = form->findChildren<QLabel*>();
    std::vector<QWidget*> others;
    for (QWidget* widget : form->findChildren<QWidget*>()) {
        if (qobject_cast<QFrame*>(widget) == nullptr || qobject_cast<QLabel*>(widget) != nullptr) {
            others.push_back(widget);  // everything but the bevels and the group box
        }
    }
    for (const QLabel* label : labels) {
        const QRect rect = InClient(label, form.get());
        const std::string name = label->objectName().toStdString();
        EXPECT_GE(label->width(), label->sizeHint().width()) << name;
        EXPECT_TRUE(form->rect().contains(rect)) << name;
        for (const QFrame* bevel : {form->Bevel5, form->Bevel6}) {
            if (bevel->geometry().contains(rect.topLeft())) {
                EXPECT_TRUE(bevel->geometry().adjusted(2, 2, -2, -2).contains(rect)) << name;
            }
        }
        for (const QWidget* other : others) {
            if (other != label && !other->isAncestorOf(label)) {
                EXPECT_FALSE(rect.intersects(InClient(other, form.get())))
                    << name << " and " << other->objectName().toStdString();
            }
        }
    }
    for (const QCheckBox* box : {form->CheckBox1, form->CheckBox2, form->CheckBox3}) {
        EXPECT_LE(box->sizeHint().width(), box->width()) << box->objectName().toStdString();
    }
    for (const QPushButton* button : {form->Button1, form->Button5}) {
        EXPECT_LT(button->fontMetrics().horizontalAdvance(button->text()), button->width() - 4)
            << button->objectName().toStdString();
    }
}

}  // namespace
}  // namespace kc::app

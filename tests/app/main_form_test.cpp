// The main window as it is created: texts, states, places, tab order and fonts.
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>

#include "app/graph_view.h"
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

TEST_F(MainFormTest, ControlsStandAtTheirPlaces) {
    struct Place {
        QWidget* control;
        QRect geometry;  // labels size themselves, so only their top-left corner counts
    };
    const TForm1& f = *form;
    const Place places[] = {{f.Label1, {344, 64, 0, 0}},        {f.Label3, {152, 88, 0, 0}},
                            {f.Label4, {152, 136, 0, 0}},       {f.Image1, {48, 200, 593, 337}},
                            {f.Label21, {72, 568, 0, 0}},       {f.Label6, {32, 8, 0, 0}},
                            {f.Label9, {152, 112, 0, 0}},       {f.Bevel5, {144, 32, 257, 153}},
                            {f.Label7, {320, 40, 0, 0}},        {f.Label8, {496, 80, 0, 0}},
                            {f.Label16, {496, 104, 0, 0}},      {f.Label17, {440, 128, 0, 0}},
                            {f.Label18, {440, 152, 0, 0}},      {f.Label20, {440, 168, 0, 0}},
                            {f.Bevel6, {408, 32, 257, 153}},    {f.Label23, {416, 40, 0, 0}},
                            {f.Label2, {176, 64, 0, 0}},        {f.Label5, {608, 80, 0, 0}},
                            {f.Label10, {608, 104, 0, 0}},      {f.Label11, {608, 128, 0, 0}},
                            {f.Label12, {416, 56, 0, 0}},       {f.Label13, {160, 40, 0, 0}},
                            {f.Label14, {288, 112, 0, 0}},      {f.Label15, {288, 136, 0, 0}},
                            {f.Label19, {224, 88, 0, 0}},       {f.Button1, {8, 72, 121, 73}},
                            {f.Edit1, {336, 80, 41, 20}},       {f.Edit2, {176, 80, 41, 20}},
                            {f.GroupBox1, {344, 552, 241, 41}}, {f.CheckBox1, {8, 16, 105, 17}},
                            {f.CheckBox2, {128, 16, 105, 17}},  {f.Edit3, {240, 128, 41, 20}},
                            {f.Edit4, {240, 104, 41, 20}},      {f.Edit5, {176, 104, 41, 20}},
                            {f.Edit6, {560, 72, 41, 20}},       {f.Edit7, {560, 96, 41, 20}},
                            {f.Edit8, {560, 120, 41, 20}},      {f.Button5, {584, 144, 33, 33}},
                            {f.Edit9, {336, 104, 41, 20}},      {f.Edit10, {336, 128, 41, 20}},
                            {f.CheckBox3, {208, 160, 177, 17}}};
    for (const Place& place : places) {
        const QRect actual = place.control->geometry();
        const std::string name = place.control->objectName().toStdString();
        EXPECT_EQ(actual.topLeft(), place.geometry.topLeft()) << name;
        if (!place.geometry.size().isNull()) {
            EXPECT_EQ(actual.size(), place.geometry.size()) << name;
        }
    }
    // The window creates its controls in this order, which is also their stacking order.
    const QObjectList& children = form->children();
    EXPECT_LT(children.indexOf(f.Image1), children.indexOf(f.Bevel5));
    EXPECT_LT(children.indexOf(f.Bevel6), children.indexOf(f.Button1));
    EXPECT_LT(children.indexOf(f.Edit10), children.indexOf(f.CheckBox3));
}

TEST_F(MainFormTest, ResizingMovesNoControl) {
    const QRect before = form->Edit8->geometry();
    form->resize(900, 800);
    EXPECT_EQ(form->Edit8->geometry(), before);
    EXPECT_EQ(form->Image1->geometry(), QRect(48, 200, 593, 337));
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
            if (other != label && other->isAncestorOf(label) == false) {
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

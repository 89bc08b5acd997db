// SPDX-License-Identifier: GPL-3.0-or-later
// The handlers of the main window.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <string>

#include "app/graph_view.h"
#include "app/main_form.h"
#include "app/screen_cursor.h"
#include "dsp/calculation.h"
#include "dsp/length_estimate.h"
#include "graph/draw_graph.h"

namespace kc::app {
namespace {

std::string TextOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}

// Checking the adjust-coefficient box: the outer cut-off field shows the band-pass edge and is
// locked.
void CoupleField(QLineEdit* outer, const QLineEdit* edge) {
    outer->setText(edge->text());
    SetFieldBackground(outer, Color3DLight());
    outer->setReadOnly(true);
}

void FreeField(QLineEdit* outer) {
    SetFieldBackground(outer, ColorWhite());
    outer->setReadOnly(false);
}

// The eight fields of the crossover calculation on the window.
class FormCalcFields final : public dsp::CalcFields {
  public:
    explicit FormCalcFields(TForm1& form) : form_(form) {}

    std::string Text(dsp::CalcField field) const override { return TextOf(form_.FieldEdit(field)); }

    void SetTapCountText(dsp::CalcField field, const std::string& text) override {
        form_.FieldEdit(field)->setText(QString::fromStdString(text));
    }

    bool AdjustCoefficient() const override { return form_.CheckBox3->isChecked(); }

  private:
    TForm1& form_;
};

// The two result labels of the estimate on the window.
class FormEstimateLabels final : public dsp::EstimateLabels {
  public:
    explicit FormEstimateLabels(TForm1& form) : form_(form) {}
    void SetCutOffCaption(const std::string& caption) override {
        SetCaption(form_.Label18, caption);
    }
    void SetIdealTapsCaption(const std::string& caption) override {
        SetCaption(form_.Label20, caption);
    }

  private:
    TForm1& form_;
};

}  // namespace

void TForm1::Button1Click() {
    SetBusyCursor();
    FormCalcFields fields(*this);
    // Only a completed calculation replaces the session's, so that a failing one leaves the last
    // design, its curves and its CMax line whole; the other windows follow it from there.
    session_->SetResult(dsp::RunCrossoverCalculation(fields));
    graphMenu_->Update();
    SetCaption(Label21, session_->Result()->cmaxLine);
    RedrawGraph();
}

void TForm1::Button5Click() {
    FormEstimateLabels labels(*this);
    dsp::RunLengthEstimate(TextOf(Edit6), TextOf(Edit7), TextOf(Edit8), labels);
}

void TForm1::CheckBox1Click() {
    RedrawGraph();
}

void TForm1::CheckBox2Click() {
    RedrawGraph();
}

void TForm1::CheckBox3Click() {
    if (CheckBox3->isChecked()) {
        CoupleField(Edit2, Edit5);
        CoupleField(Edit3, Edit4);
    } else {
        FreeField(Edit2);
        FreeField(Edit3);
    }
}

// While coupled, the outer cut-off fields always show the cut-offs the calculation uses.
void TForm1::Edit5Change() {
    if (CheckBox3->isChecked()) {
        Edit2->setText(Edit5->text());
    }
}

void TForm1::Edit4Change() {
    if (CheckBox3->isChecked()) {
        Edit3->setText(Edit4->text());
    }
}

// The constructor creates every control with its initial text and state, and nothing is computed
// or drawn before the first Calc: there is nothing left for the creation handler to do.
void TForm1::FormCreate() {}

// The session (with the taps and the response store) and the pictures are members and go with the
// window; nothing else is held that the destruction handler would release.
void TForm1::FormDestroy() {}

void TForm1::RedrawGraph() {
    graph::GraphInputs inputs;
    inputs.geometry = {Image1->width(), Image1->height(), Image1->x(), Image1->y()};
    inputs.logFrequency = CheckBox1->isChecked();
    inputs.levelsInDb = CheckBox2->isChecked();
    inputs.lowerEdgeText = TextOf(Edit5);
    inputs.upperEdgeText = TextOf(Edit4);
    graph::DrawGraph(inputs, Store(), *graph_);
    shownLogFrequency_ = inputs.logFrequency;
    shownLevelsInDb_ = inputs.levelsInDb;
    graphMenu_->Update();
}

}  // namespace kc::app

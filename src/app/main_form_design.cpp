// SPDX-License-Identifier: GPL-3.0-or-later
// The window's part in design files: its fields and boxes kept in the design session, closing,
// drops and opening from the command line.
#include <QCheckBox>
#include <QCloseEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <string>

#include "app/main_form.h"

namespace kc::app {
namespace {

std::string TextOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}

void SetText(QLineEdit* edit, const std::string& text) {
    edit->setText(QString::fromStdString(text));
    edit->setCursorPosition(0);
}

// The fields that follow a band-pass edge while the adjust box couples them (Edit5Change,
// Edit4Change).
bool IsOuterCutOff(dsp::CalcField field) {
    return field == dsp::CalcField::LowCross || field == dsp::CalcField::HighCross;
}

// The parts of a design that the main window's fields and boxes show.
bool SameFields(const design_file::Design& a, const design_file::Design& b) {
    return a.crossover == b.crossover && a.estimate == b.estimate && a.graph == b.graph;
}

}  // namespace

design_file::Design DesignShown(const TForm1& form) {
    return form.Session().Design();
}

// Every field and box, after its own handler: the session holds what the window shows, also of a
// calculation that rewrote the tap counts. Called while the window has no other children with
// fields (the time window comes later).
void TForm1::ConnectSession() {
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        connect(edit, &QLineEdit::textChanged, this, [this] { StoreFields(); });
    }
    for (QCheckBox* box : findChildren<QCheckBox*>()) {
        connect(box, &QCheckBox::toggled, this, [this] { StoreFields(); });
    }
    connect(session_.get(), &DesignSession::designChanged, this, [this] { ShowSessionFields(); });
    StoreFields();
}

// Each of the eight fields is the window's child of the name its row gives.
QLineEdit* TForm1::FieldEdit(dsp::CalcField field) const {
    return findChild<QLineEdit*>(QString::fromLatin1(dsp::FieldRowOf(field).windowName),
                                 Qt::FindDirectChildrenOnly);
}

void TForm1::ReadFields(design_file::Design& design) const {
    for (const dsp::FieldRow& row : dsp::kFields) {
        design_file::FieldText(design, row.field) = TextOf(FieldEdit(row.field));
    }
    design.crossover.adjustCoefficient = CheckBox3->isChecked();
    design.estimate.passBand = TextOf(Edit6);
    design.estimate.stopBand = TextOf(Edit7);
    design.graph.logFrequency = CheckBox1->isChecked();
    design.graph.logAmplitude = CheckBox2->isChecked();
}

void TForm1::StoreFields() {
    if (!showingSessionFields_) {
        session_->Edit([this](design_file::Design& design) { ReadFields(design); });
    }
}

// Only a design that the fields do not show yet is written into them (the window's own changes
// are there already). The axis boxes are set without their redraw (the calculation that follows an
// opening draws); the adjust box couples or frees the outer fields as a click would, and the outer
// cut-offs come after the band-pass edges so that they show the design's texts also while coupled.
void TForm1::ShowSessionFields() {
    design_file::Design shown;
    ReadFields(shown);
    const design_file::Design design = session_->Design();
    if (showingSessionFields_ || SameFields(shown, design)) {
        return;
    }
    showingSessionFields_ = true;
    {
        const QSignalBlocker frequencyAxis(CheckBox1);
        const QSignalBlocker amplitudeAxis(CheckBox2);
        CheckBox1->setChecked(design.graph.logFrequency);
        CheckBox2->setChecked(design.graph.logAmplitude);
    }
    CheckBox3->setChecked(design.crossover.adjustCoefficient);
    for (const bool outerCutOffs : {false, true}) {
        for (const dsp::FieldRow& row : dsp::kFields) {
            if (IsOuterCutOff(row.field) == outerCutOffs) {
                SetText(FieldEdit(row.field), design_file::FieldText(design, row.field));
            }
        }
    }
    SetText(Edit6, design.estimate.passBand);
    SetText(Edit7, design.estimate.stopBand);
    showingSessionFields_ = false;
    StoreFields();
}

void TForm1::OpenDesign(const QString& path) {
    RunReportingErrors([this, &path] {
        if (document_->MayDiscard()) {
            document_->Open(path);
        }
    });
}

// A failed save on closing is reported and keeps the window open.
void TForm1::closeEvent(QCloseEvent* event) {
    bool mayClose = false;
    RunReportingErrors([this, &mayClose] { mayClose = document_->MayDiscard(); });
    if (!mayClose) {
        event->ignore();
    }
}

// The edit fields take dropped text themselves; a design file or driver files must reach the
// window past them.
void TForm1::AcceptDesignDrops() {
    setAcceptDrops(true);
    installEventFilter(this);
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        edit->installEventFilter(this);
    }
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) {
        return QWidget::eventFilter(watched, event);
    }
    auto* drop = static_cast<QDropEvent*>(event);
    const DroppedFiles dropped = ClassifyDrop(drop->mimeData());
    if (dropped.kind == DropKind::Nothing) {
        return QWidget::eventFilter(watched, event);
    }
    drop->acceptProposedAction();
    // Opened after the drop has ended, so that the calculation and any question or error box do
    // not keep the program the file came from waiting for the drop to finish.
    if (type == QEvent::Drop) {
        QMetaObject::invokeMethod(
            this, [this, dropped] { OpenDropped(dropped); }, Qt::QueuedConnection);
    }
    return true;
}

// Driver files go to the acoustic view, shown: three by their centre frequencies.
void TForm1::OpenDropped(const DroppedFiles& dropped) {
    if (dropped.kind == DropKind::Design) {
        OpenDesign(dropped.paths.constFirst());
        return;
    }
    RunReportingErrors([this, &dropped] {
        ShowTimeResponse();
        timeWindow_->ShowView(ViewTab::Acoustic);
        timeWindow_->Acoustic().DropFiles(std::nullopt, dropped.paths);
    });
}

}  // namespace kc::app

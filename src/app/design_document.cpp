// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/design_document.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QUrl>
#include <array>
#include <string>
#include <utility>

#include "app/app_title.h"
#include "app/main_form.h"
#include "dsp/calculation.h"
#include "dsp/tap_arrays.h"

namespace kc::app {
namespace {

std::string TextOf(const QLineEdit* edit) {
    return edit->text().toStdString();
}

void SetText(QLineEdit* edit, const std::string& text) {
    edit->setText(QString::fromStdString(text));
    edit->setCursorPosition(0);
}

// The path as the file system names it, and back.
std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

QString FromLocalPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The time window's view and the acoustic view's bands as the window shows them; without the
// window, they stay as it would start.
void ReadTimeWindow(const TForm1& form, design_file::Design& design) {
    const TimeResponseWindow* window = form.TimeResponse();
    if (window == nullptr) {
        return;
    }
    design.time = {window->ThresholdDb(), window->StepShown(), window->ImpulseInDb()};
    const AcousticView& view = window->Acoustic();
    const acoustic::Settings settings = view.CurrentSettings();
    for (std::size_t b = 0; b < acoustic::kBands; ++b) {
        design.acoustic[b] = {LocalPath(view.DriverPaths()[b]), settings[b]};
    }
}

// The window is created (unseen) only when it is needed: when the design's settings are not those
// it starts with.
std::string ShowTimeWindowSettings(TForm1& form, const design_file::Design& design) {
    const design_file::Design initial;
    if (form.TimeResponse() == nullptr && design.time == initial.time &&
        design.acoustic == initial.acoustic) {
        return {};
    }
    TimeResponseWindow& window = form.CreatedTimeResponse();
    window.SetView(design.time.preRingingDb, design.time.step, design.time.impulseDb);
    std::array<QString, acoustic::kBands> paths;
    acoustic::Settings settings;
    for (std::size_t b = 0; b < acoustic::kBands; ++b) {
        paths[b] = FromLocalPath(design.acoustic[b].driverFile);
        settings[b] = design.acoustic[b].band;
    }
    try {
        window.Acoustic().ApplySettings(paths, settings);
    } catch (const acoustic::EDriverFileError& error) {
        return error.what();
    }
    return {};
}

// The design's field texts as the calculation reads them.
class DesignFields final : public dsp::CalcFields {
  public:
    explicit DesignFields(const design_file::Design& design) : design_(design) {}
    std::string Text(dsp::CalcField field) const override {
        return design_file::FieldText(design_, field);
    }
    void SetTapCountText(dsp::CalcField /*field*/, const std::string& /*text*/) override {}
    bool AdjustCoefficient() const override { return design_.crossover.adjustCoefficient; }

  private:
    const design_file::Design& design_;
};

}  // namespace

QString LargeCalculationCost(const design_file::Design& design) {
    DesignFields fields(design);
    dsp::CrossoverParameters p;
    try {
        p = dsp::ReadCrossoverParameters(fields);
    } catch (const std::exception&) {
        return {};  // the calculation reports it
    }
    const auto bytes =
        static_cast<double>(dsp::CalculationMemoryBytes(p.lowCount, p.midCount, p.highCount));
    const double seconds = dsp::EstimatedCalculationSeconds(p);
    if (bytes <= kLargeCalculationBytes && seconds <= kLargeCalculationSeconds) {
        return {};
    }
    return QStringLiteral("low %1, mid %2 and high %3 taps: about %4 GB of memory and %5 s")
        .arg(p.lowCount)
        .arg(p.midCount)
        .arg(p.highCount)
        .arg(bytes / 1e9, 0, 'f', 1)
        .arg(seconds, 0, 'f', 0);
}

bool AskToCalculateLargeDesign(QWidget* owner, const QString& fileName, const QString& cost) {
    QMessageBox box(
        QMessageBox::Question, QString::fromStdString(ApplicationTitle()),
        QStringLiteral("The design in %1 has %2. Calculate it now?").arg(fileName, cost),
        QMessageBox::Yes | QMessageBox::No, owner);
    box.setInformativeText(
        QStringLiteral("No opens the design without calculating it; Calc calculates it later."));
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

SaveChoice AskToSaveDesign(QWidget* owner, const QString& fileName) {
    QMessageBox box(QMessageBox::Question, QString::fromStdString(ApplicationTitle()),
                    QStringLiteral("The design in %1 has changed. Save it?").arg(fileName),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, owner);
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
        case QMessageBox::Save:
            return SaveChoice::Save;
        case QMessageBox::Discard:
            return SaveChoice::Discard;
        default:
            return SaveChoice::Cancel;
    }
}

QString DesignFileFilter() {
    return QStringLiteral("Kaiser Crossover design (*.kcx)");
}

QString DesignFileIn(const QMimeData* data) {
    if (data == nullptr || data->urls().size() != 1 || !data->urls().constFirst().isLocalFile()) {
        return {};
    }
    const QString path = data->urls().constFirst().toLocalFile();
    return QFileInfo(path).suffix().compare(QLatin1String("kcx"), Qt::CaseInsensitive) == 0
               ? path
               : QString();
}

design_file::Design DesignShown(const TForm1& form) {
    design_file::Design design;
    design_file::CrossoverSettings& crossover = design.crossover;
    crossover.lowTaps = TextOf(form.Edit1);
    crossover.midTaps = TextOf(form.Edit9);
    crossover.highTaps = TextOf(form.Edit10);
    crossover.lowCut = TextOf(form.Edit2);
    crossover.midLow = TextOf(form.Edit5);
    crossover.midHigh = TextOf(form.Edit4);
    crossover.highCut = TextOf(form.Edit3);
    crossover.attenuation = TextOf(form.Edit8);
    crossover.adjustCoefficient = form.CheckBox3->isChecked();
    design.estimate.passBand = TextOf(form.Edit6);
    design.estimate.stopBand = TextOf(form.Edit7);
    design.graph.logFrequency = form.CheckBox1->isChecked();
    design.graph.logAmplitude = form.CheckBox2->isChecked();
    design.exportSettings = form.Image1Menu().ExportChoices();
    ReadTimeWindow(form, design);
    return design;
}

// The axis boxes are set without their redraw (the calculation that follows an opening draws);
// the adjust box couples or frees the outer fields as a click would.
std::string ShowDesign(TForm1& form, const design_file::Design& design) {
    {
        const QSignalBlocker frequencyAxis(form.CheckBox1);
        const QSignalBlocker amplitudeAxis(form.CheckBox2);
        form.CheckBox1->setChecked(design.graph.logFrequency);
        form.CheckBox2->setChecked(design.graph.logAmplitude);
    }
    const design_file::CrossoverSettings& crossover = design.crossover;
    form.CheckBox3->setChecked(crossover.adjustCoefficient);
    SetText(form.Edit5, crossover.midLow);
    SetText(form.Edit4, crossover.midHigh);
    SetText(form.Edit2, crossover.lowCut);
    SetText(form.Edit3, crossover.highCut);
    SetText(form.Edit1, crossover.lowTaps);
    SetText(form.Edit9, crossover.midTaps);
    SetText(form.Edit10, crossover.highTaps);
    SetText(form.Edit8, crossover.attenuation);
    SetText(form.Edit6, design.estimate.passBand);
    SetText(form.Edit7, design.estimate.stopBand);
    form.Image1Menu().SetExportChoices(design.exportSettings);
    return ShowTimeWindowSettings(form, design);
}

DesignDocument::DesignDocument(TForm1& form, FileNameChooser chooseSave, DesignDialogs dialogs)
    : form_(form), chooseSave_(std::move(chooseSave)), dialogs_(std::move(dialogs)) {}

QString DesignDocument::FileName() const {
    return QFileInfo(path_).fileName();
}

bool DesignDocument::Changed() const {
    return !path_.isEmpty() && DesignShown(form_) != saved_;
}

// A driver file that cannot be loaded is no reason to refuse the rest: the design opens, the band
// keeps the file's name with the ideal driver in its place (so that saving keeps the name), and
// the error is reported after the calculation.
void DesignDocument::Open(const QString& path) {
    const design_file::Design design = design_file::ReadDesignFile(LocalPath(path));
    const std::string driverProblems = ShowDesign(form_, design);
    const QString cost = LargeCalculationCost(design);
    if (cost.isEmpty() || dialogs_.askCalculate(&form_, QFileInfo(path).fileName(), cost)) {
        form_.Button1->click();
    }
    // The file becomes the window's only now: a close while the calculation handles waiting
    // messages has nothing of the user's to lose. The calculation writes the normalised tap
    // counts back, and the acoustic view keeps its own steps of gain and delay; those are no
    // changes of the user's.
    path_ = QFileInfo(path).absoluteFilePath();
    saved_ = DesignShown(form_);
    form_.Image1Menu().Update();
    if (!driverProblems.empty()) {
        throw acoustic::EDriverFileError(driverProblems);
    }
}

void DesignDocument::OpenChosen() {
    if (!MayDiscard()) {
        return;
    }
    const ChosenFile chosen =
        dialogs_.chooseOpen(&form_, QStringLiteral("Open design"),
                            {DesignFileFilter(), QStringLiteral("All files (*)")});
    if (!chosen.path.isEmpty()) {
        Open(chosen.path);
    }
}

void DesignDocument::Save() {
    if (path_.isEmpty()) {
        SaveAs();
    } else {
        SaveTo(path_, WriteGuard::Ask::Never);
    }
}

// Another file than the design's own is replaced only when the user agrees.
void DesignDocument::SaveAs() {
    const ChosenFile chosen =
        chooseSave_(&form_, QStringLiteral("Save design as"), {DesignFileFilter()});
    const QString path = WithSuffix(chosen.path, QStringLiteral("kcx"));
    if (!chosen.path.isEmpty()) {
        SaveTo(path, WriteGuard::Ask::BeforeReplacing);
    }
}

bool DesignDocument::MayDiscard() {
    if (!Changed()) {
        return true;
    }
    switch (dialogs_.askSave(&form_, FileName())) {
        case SaveChoice::Save:
            SaveTo(path_, WriteGuard::Ask::Never);
            return true;
        case SaveChoice::Discard:
            return true;
        case SaveChoice::Cancel:
            return false;
    }
    return false;  // not reached: every answer is listed above
}

void DesignDocument::SaveTo(const QString& path, WriteGuard::Ask ask) {
    const design_file::Design design = DesignShown(form_);
    std::vector<std::string> drivers;
    for (const design_file::DriverSettings& driver : design.acoustic) {
        if (!driver.driverFile.empty()) {
            drivers.push_back(driver.driverFile);
        }
    }
    const std::string text = design_file::DesignFileText(design, LocalPath(path));
    if (!form_.Guard().WriteFile(path, drivers, exporting::ContentWriter(text), ask)) {
        return;
    }
    path_ = QFileInfo(path).absoluteFilePath();
    saved_ = design;
    form_.Image1Menu().Update();
}

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/design_document.h"

#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QUrl>
#include <string>
#include <utility>

#include "app/app_title.h"
#include "app/design_session.h"
#include "app/graph_menu.h"
#include "dsp/calculation.h"
#include "dsp/tap_arrays.h"

namespace kc::app {
namespace {

// The path as the file system names it.
std::string LocalPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
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

DesignDocument::DesignDocument(DesignSession& session, GraphMenuHost& window,
                               std::function<void()> calculate, FileNameChooser chooseSave,
                               DesignDialogs dialogs)
    : session_(session),
      window_(window),
      calculate_(std::move(calculate)),
      chooseSave_(std::move(chooseSave)),
      dialogs_(std::move(dialogs)) {}

QString DesignDocument::FileName() const {
    return QFileInfo(path_).fileName();
}

bool DesignDocument::Changed() const {
    return !path_.isEmpty() && design_file::DiffersInContent(session_.Design(), saved_);
}

// A driver file that cannot be loaded is no reason to refuse the rest: the design opens, the band
// keeps the file's name with the ideal driver in its place (so that saving keeps the name), and
// the error is reported after the calculation.
void DesignDocument::Open(const QString& path) {
    design_file::Design design = design_file::ReadDesignFile(LocalPath(path));
    const QString cost = LargeCalculationCost(design);
    const std::string driverProblems = session_.Replace(std::move(design));
    if (cost.isEmpty() ||
        dialogs_.askCalculate(window_.MenuOwner(), QFileInfo(path).fileName(), cost)) {
        calculate_();
    }
    // The file becomes the window's only now: a close while the calculation handles waiting
    // messages has nothing of the user's to lose. The calculation writes the normalised tap
    // counts back; that is no change of the user's.
    Saved(path, session_.Design());
    if (!driverProblems.empty()) {
        throw acoustic::EDriverFileError(driverProblems);
    }
}

void DesignDocument::OpenChosen() {
    if (!MayDiscard()) {
        return;
    }
    const ChosenFile chosen =
        dialogs_.chooseOpen(window_.MenuOwner(), QStringLiteral("Open design"),
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
        chooseSave_(window_.MenuOwner(), QStringLiteral("Save design as"), {DesignFileFilter()});
    const QString path = WithSuffix(chosen.path, QStringLiteral("kcx"));
    if (!chosen.path.isEmpty()) {
        SaveTo(path, WriteGuard::Ask::BeforeReplacing);
    }
}

bool DesignDocument::MayDiscard() {
    if (!Changed()) {
        return true;
    }
    switch (dialogs_.askSave(window_.MenuOwner(), FileName())) {
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

// The design's driver files are inputs that the design file may not replace.
void DesignDocument::SaveTo(const QString& path, WriteGuard::Ask ask) {
    const design_file::Design design = session_.Design();
    const std::string text = design_file::DesignFileText(design, LocalPath(path));
    if (!window_.Guard().WriteFile(path, session_.DriverFiles(), exporting::ContentWriter(text),
                                   ask)) {
        return;
    }
    Saved(path, design);
}

void DesignDocument::Saved(const QString& path, const design_file::Design& design) {
    path_ = QFileInfo(path).absoluteFilePath();
    SetDesignFileForDialogs(path_);
    saved_ = design;
    emit fileChanged();
}

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
// The export dialog of the graph menu's "Export coefficients…": the file kinds, the rates, the
// folder and a name with {rate}, and before anything is written a table of each rate's counts,
// latency and files. It is a front end of the export set (export/export_set.h), as the command
// line is.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/replace_question.h"
#include "design_file/design_file.h"
#include "dsp/crossover.h"
#include "export/export_set.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTreeWidget;

namespace kc::app {

// The folder to export into, starting at `current`; empty when the user cancelled.
using FolderChooser = std::function<QString(QWidget* owner, const QString& current)>;

// The questions the dialog asks, made replaceable so that tests answer them instead of a user.
struct ExportQuestions {
    // Asked instead of the window's question before files are replaced, when set.
    ReplaceQuestion replaceFiles;
    FolderChooser chooseFolder;
};

// The toolkit's folder dialog, and no replace question of its own: the dialog writes through the
// window's guard (replace_question.h).
ExportQuestions StandardExportQuestions();

class ExportDialog : public QDialog {
  public:
    // The rates offered with a box each; 44 100 Hz is the design on screen and checked at first.
    static const std::vector<int32_t> kOfferedRates;

    // `design`: the numbers of the design on screen, at 44 100 Hz; the rates scale its counts from
    // the counts' rate of `settings` (44 100 Hz unless a design file says otherwise).
    // The controls start from `settings` and `folder`; Browse asks `chooseFolder`. The export
    // writes through `guard` (its question; what was written the dialog says itself), run by
    // `runReportingErrors` so that what it raises goes to the window's report.
    ExportDialog(QWidget* owner, const dsp::CrossoverParameters& design,
                 const design_file::ExportSettings& settings, const QString& folder,
                 FolderChooser chooseFolder, const WriteGuard& guard,
                 std::function<void(const std::function<void()>&)> runReportingErrors);

    // The settings as the controls now say them, for the next opening and the design file: the
    // rates checked, then the other rates that can be read, each once; the name typed when it is
    // one file name, else the one the dialog started with.
    design_file::ExportSettings Settings() const;

    // The request as the controls now say it, and its plan; an empty plan (no rates) and the
    // reason in `problem` when it cannot be carried out: among others a folder, name or rate text
    // with a control character, or a name that is not one file name in the folder. No rate
    // checked means the design's own.
    exporting::ExportPlan Plan(QString* problem) const;

    // What the Export button does: plans, asks once before replacing files, designs and writes
    // the rates one at a time as one set; says in the dialog what was written. False when nothing
    // was written.
    bool Export();

    // The files the window has read, which the export may not replace.
    void SetInputFiles(std::vector<std::string> files) { inputFiles_ = std::move(files); }
    // The design to export, after a new calculation while the dialog is open.
    void SetDesign(const dsp::CrossoverParameters& design);
    // Each band's gain, delay and polarity (the acoustic view's), which the alignment applies.
    void SetBandSettings(const acoustic::Settings& bands);
    // The driver correction each band's taps go through (the acoustic view's).
    void SetCorrection(acoustic::Correction correction) { correction_ = std::move(correction); }

    // A row of the file kinds (exporting::ExportKinds(), those the dialog offers): the kind's box
    // and per option a choice beside it or, for a free text (a device), a field in the form below
    // the folder and the name; each named after the design file's key ("Wav", "WavFormat",
    // "Capture"). Per option one of `choices` and `texts` is nullptr.
    struct KindRow {
        std::size_t kind = 0;  // its index in ExportKinds()
        QCheckBox* box = nullptr;
        std::vector<QComboBox*> choices;
        std::vector<QLineEdit*> texts;
    };
    std::vector<KindRow> KindRows;
    // The row of the kind with this id; std::invalid_argument when the dialog offers none.
    const KindRow& Row(std::string_view kindId) const;

    // The controls of the kinds the dialog has always offered, named for tests; a kind added to
    // the table has its row only.
    QCheckBox* TapsCsv = nullptr;
    QCheckBox* ResponseCsv = nullptr;
    QCheckBox* Wav = nullptr;
    QComboBox* WavFormat = nullptr;  // 32-bit float, 64-bit float, 24-bit PCM
    QComboBox* WavLayout = nullptr;  // one file per band, one three-channel file
    QCheckBox* Raw = nullptr;
    QComboBox* RawFormat = nullptr;  // 32-bit float (.raw), 64-bit float (.dbl)
    QCheckBox* Text = nullptr;
    QCheckBox* Frd = nullptr;
    QComboBox* FrdPhase = nullptr;  // excess, full
    // The other controls, named for tests.
    QCheckBox* Alignment = nullptr;     // the acoustic view's gains, delays, polarities applied
    QComboBox* Normalize = nullptr;     // exporting::NormalizationChoices()
    std::vector<QCheckBox*> RateBoxes;  // one per kOfferedRates entry
    QLineEdit* OtherRates = nullptr;    // further rates, "RATE[,RATE…]"
    QSpinBox* CountsRate = nullptr;     // the rate the tap counts are meant at, Hz
    QLineEdit* Folder = nullptr;
    QPushButton* BrowseButton = nullptr;
    QLineEdit* Name = nullptr;
    // A row per rate (rate, counts, latency in samples and ms) with a row per band and the sum
    // below it (latency, peak and worst-case gain of what is exported), then a line per file,
    // each file with its full path.
    QTreeWidget* Table = nullptr;
    // The alignment applied, the normalisation, a warning when a band can clip and what 24-bit PCM
    // costs when it is chosen.
    QLabel* Notes = nullptr;
    QLabel* Status = nullptr;  // why the request cannot be carried out, or what was written
    QPushButton* ExportButton = nullptr;

  private:
    QWidget* CreateFileKinds();
    QWidget* CreateRates();
    QWidget* CreateDestination();
    QLineEdit* MakeOptionField(const exporting::KindOption& option);
    QWidget* CreateAlignment();
    void Connect();
    void ShowSettings(const design_file::ExportSettings& settings);
    // Refreshes the table, the status and the Export button from the controls.
    void Refresh();
    void ShowPlan(const exporting::ExportPlan& plan);
    void ShowNotes(const exporting::ExportPlan& plan);
    // The exported rate's figures (headroom, normalisation), designed once for each rate and
    // alignment; none for a design too large to be designed while typing, or one that fails.
    struct Figures {
        dsp::CrossoverParameters parameters;
        exporting::ExportAlignment alignment;
        bool known = false;
        exporting::Headroom headroom;
        double attenuationDb = 0.0;
        std::string pcm24Note;  // with the design's own rounding errors when known
        std::vector<std::string> correctionLines;  // the driver correction's figures, when known
    };
    const Figures& FiguresOf(const exporting::RatePlan& rate,
                             const exporting::ExportAlignment& alignment) const;
    exporting::ExportRequest Request() const;
    std::vector<int32_t> Rates() const;
    void Browse();
    // The status line after `paths` were written.
    void SayWritten(const QStringList& paths);

    dsp::CrossoverParameters design_;
    exporting::KindChoices startingKinds_;  // kept by Settings for a text that breaks its rule
    acoustic::Correction correction_;
    acoustic::Settings bands_{};
    mutable std::vector<Figures> figures_;
    std::string startingName_;  // kept by Settings while the name typed is not one file name
    std::vector<std::string> inputFiles_;
    FolderChooser chooseFolder_;
    WriteGuard guard_;
    std::function<void(const std::function<void()>&)> runReportingErrors_;
};

// Runs an export dialog: the program shows it and returns, so that both windows stay usable while
// it is open; tests fill it in and press its buttons. A dialog not shown when the runner returns
// is over.
using ExportDialogRunner = std::function<void(ExportDialog& dialog)>;

// Shows the dialog without blocking any window, in front.
void ShowExportDialog(ExportDialog& dialog);

}  // namespace kc::app

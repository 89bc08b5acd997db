// SPDX-License-Identifier: GPL-3.0-or-later
// The main window of Kaiser Crossover, TForm1, and its one instance Form1: the crossover fields
// with the Calc button, the graph with its axis boxes, the adjust-coefficient box and the filter
// length estimate. The handlers only read fields, call the calculation or the redraw and write
// the results back; every error that leaves one goes to the error report.
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/design_session.h"
#include "app/dropped_files.h"
#include "app/error_report.h"
#include "app/file_chooser.h"
#include "app/first_start_hint.h"
#include "app/graph_menu.h"
#include "app/replace_question.h"
#include "app/time_response_window.h"
#include "dsp/crossover.h"
#include "dsp/fields.h"
#include "dsp/response_store.h"
#include "graph/qt/retained_graph.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kc::app {

class GraphImage;
class TransientNote;
class WindowGraph;

// cl3DLight, the background of read-only fields: the light shade of 3-D frames, kept apart from
// the white of editable fields.
QColor Color3DLight();

// clWhite, the background of fields made editable again.
inline QColor ColorWhite() {
    return QColor(255, 255, 255);
}

// Sets an edit field's background colour.
void SetFieldBackground(QLineEdit* edit, const QColor& color);

// Replaces a label's caption (UTF-8) and fits the label to it.
void SetCaption(QLabel* label, const std::string& caption);

class TForm1 : public QWidget, private GraphMenuHost {
  public:
    // Creates the window with every control, its initial texts and states; Form1 refers to it
    // before FormCreate runs. Errors leaving a handler go to reporter; the graph menu's exports
    // ask chooser for the file to write and replaceQuestion before they replace files, its
    // design items also designDialogs.
    explicit TForm1(ErrorReporter reporter = ShowErrorBox,
                    FileNameChooser chooser = ChooseSaveFileName,
                    ReplaceQuestion replaceQuestion = AskToReplaceFiles,
                    DesignDialogs designDialogs = {});
    ~TForm1() override;
    TForm1(const TForm1&) = delete;
    TForm1& operator=(const TForm1&) = delete;

    // The controls, in the order the window creates them (also their stacking order).
    QLabel* Label1 = nullptr;
    QLabel* Label3 = nullptr;
    QLabel* Label4 = nullptr;
    GraphImage* Image1 = nullptr;
    QLabel* Label21 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label9 = nullptr;
    QFrame* Bevel5 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label8 = nullptr;
    QLabel* Label16 = nullptr;
    QLabel* Label17 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* Label20 = nullptr;
    QFrame* Bevel6 = nullptr;
    QLabel* Label23 = nullptr;
    QLabel* Label2 = nullptr;
    QLabel* Label5 = nullptr;
    QLabel* Label10 = nullptr;
    QLabel* Label11 = nullptr;
    QLabel* Label12 = nullptr;
    QLabel* Label13 = nullptr;
    QLabel* Label14 = nullptr;
    QLabel* Label15 = nullptr;
    QLabel* Label19 = nullptr;
    QPushButton* Button1 = nullptr;
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLineEdit* Edit6 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QPushButton* Button5 = nullptr;
    QLineEdit* Edit9 = nullptr;
    QLineEdit* Edit10 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    // The window's field of one of the eight fields (dsp::kFields names it).
    QLineEdit* FieldEdit(dsp::CalcField field) const;
    // The note between the frames and the graph that says for a while what an export wrote.
    TransientNote* Note = nullptr;

    // The handlers. Each may raise the program's error kinds; the window calls them through the
    // error report.
    void Button1Click();    // the crossover calculation and the redraw
    void Button5Click();    // the filter length estimate
    void CheckBox1Click();  // redraws with the frequency axis now chosen
    void CheckBox2Click();  // redraws with the amplitude axis now chosen
    void CheckBox3Click();  // couples or frees the outer cut-off fields
    void Edit5Change();     // a coupled Edit2 follows the band-pass lower edge
    void Edit4Change();     // a coupled Edit3 follows the band-pass upper edge
    void FormCreate();
    void FormDestroy();

    // The graph menu, the context menu of Image1: the graph to the clipboard or a PNG file, the
    // last calculation's taps and responses to files (graph_menu.h).
    GraphMenu& Image1Menu() const { return *graphMenu_; }

    // Shows `hint` on the graph's tooltip (above the readout) until the graph's menu is first
    // used; the window starts without one.
    void UseFirstStartHint(FirstStartHint hint) { hint_ = std::move(hint); }
    // The graph's tooltip for pixel column x: the hint while it is due, then the readout.
    QString GraphTooltipAt(int x) const;

    // The time-response window (graph menu "Time response…" or Ctrl+T), shown in front. It is
    // created, unseen, at its first use, and shows the session from then on: its latest
    // calculation, the time view and the acoustic view's drivers and settings. Never null.
    void ShowTimeResponse() override;
    TimeResponseWindow* TimeResponse() { return &CreatedTimeResponse(); }
    TimeResponseWindow& CreatedTimeResponse();

    // The tooltip text for pixel column x of Image1: the nearest grid point on the frequency axis
    // of the graph shown and the last calculation's magnitudes there, as its amplitude axis shows
    // them (levels in dB or magnitudes). Empty before the first
    // completed calculation or while no graph is shown.
    QString ReadoutAt(int x) const;

    // The design the window works on: the fields' texts and boxes as they stand, the other
    // windows' settings, the drivers and the latest completed calculation (design_session.h).
    DesignSession& Session() override { return *session_; }
    const DesignSession& Session() const { return *session_; }
    // The program's state: the numbers, the taps and the responses of the last successful
    // calculation, the session's (the initial texts' numbers, an empty design and an all-zero
    // store before the first).
    const dsp::CrossoverParameters& DesignParameters() const override;
    const dsp::CrossoverTaps& Taps() const override;
    const dsp::ResponseStore& Store() const override;
    // Whether a calculation has completed (the taps and the store hold a design).
    bool HasCalculation() const override { return session_->Result() != nullptr; }
    // Whether a graph is shown (a redraw has completed), and the graph area as shown: the image
    // and its labels on the window's background, a null image while no graph is shown.
    bool GraphShown() const override;
    QImage GraphAreaImage() const override;
    // The graph's retained picture and label layer.
    const graph::RetainedGraph& Graph() const;
    // The caption of the error report's message box.
    const QString& Title() const { return title_; }

    // The window's design file (design_document.h).
    DesignDocument& Document() override { return *document_; }
    std::vector<std::string> InputFiles() const override;
    // Opens a design file as a drop on the window or the command line does: after offering to save
    // a changed design; a refusal goes to the error report.
    void OpenDesign(const QString& path);

    // What every file the window writes goes through: one question before files are replaced,
    // and a note next to the graph that says for a while what was written.
    const WriteGuard& Guard() const override { return guard_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    // Closing asks before a changed design file is left unsaved.
    void closeEvent(QCloseEvent* event) override;
    // A design file dropped anywhere on the window, its fields included, opens; driver files go
    // to the acoustic view.
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void CreateCrossoverControls();
    void CreateEstimateControls();
    void CreateInputControls();
    void CreateAxisGroup();
    void SetTabOrder();
    void ConnectHandlers();
    void ConnectEnterKeys();
    // The fields and boxes keep the session's design: each change of one goes into it, and a
    // design that the session was given (an opened file) is shown in them.
    void ConnectSession();
    void ReadFields(design_file::Design& design) const;
    void StoreFields();
    void ShowSessionFields();
    void CreateGraphMenu(FileNameChooser chooser);
    void AcceptDesignDrops();
    void OpenDropped(const DroppedFiles& dropped);
    void FollowWindowSettings();
    void RunHandler(void (TForm1::*handler)());
    QWidget* MenuOwner() override { return this; }
    void RunReportingErrors(const std::function<void()>& handler) override;
    void RedrawGraph();

    ErrorReporter reporter_;
    ReplaceQuestion replaceQuestion_;
    QString title_;
    WriteGuard guard_;
    // Before every window that observes it, so that it goes after them.
    std::unique_ptr<DesignSession> session_;
    std::unique_ptr<WindowGraph> graph_;
    // While the fields show the session's design, their changes do not go back into it.
    bool showingSessionFields_ = false;
    // The axes of the graph shown (those of the last completed redraw, which a failed redraw
    // leaves on screen whatever CheckBox1 and CheckBox2 now say).
    bool shownLogFrequency_ = true;
    bool shownLevelsInDb_ = true;
    std::unique_ptr<DesignDocument> document_;
    std::unique_ptr<GraphMenu> graphMenu_;
    // The time-response window and its file chooser.
    FileNameChooser timeChooser_;
    std::unique_ptr<TimeResponseWindow> timeWindow_;
    FirstStartHint hint_;
};

// The one main window, set while it exists.
extern TForm1* Form1;

}  // namespace kc::app

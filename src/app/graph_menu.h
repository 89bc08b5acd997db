// SPDX-License-Identifier: GPL-3.0-or-later
// The graph menu, the context menu of the graph image: its items, the rule that enables each, and
// their handlers (copying and saving the graph, exporting the last calculation's taps and
// responses, opening and saving design files). The window hosts it and tells it when its state
// has changed. It opens with a right click on the image, or with the Menu key or Shift+F10
// anywhere in the window.
#pragma once

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "app/design_document.h"
#include "app/export_dialog.h"
#include "app/file_chooser.h"
#include "app/replace_question.h"
#include "dsp/crossover.h"
#include "dsp/response_store.h"

namespace kc::app {

class DesignSession;

// What the graph menu reads of the window that hosts it.
class GraphMenuHost {
  public:
    virtual ~GraphMenuHost() = default;
    // The window, over which the file dialogs open.
    virtual QWidget* MenuOwner() = 0;
    // Whether a graph is shown (a redraw has completed).
    virtual bool GraphShown() const = 0;
    // The graph area as the window shows it, a null image while no graph is shown.
    virtual QImage GraphAreaImage() const = 0;
    // Whether a calculation has completed, and its taps and responses.
    virtual bool HasCalculation() const = 0;
    virtual const dsp::CrossoverParameters& DesignParameters() const = 0;
    virtual const dsp::CrossoverTaps& Taps() const = 0;
    virtual const dsp::ResponseStore& Store() const = 0;
    // Runs a handler so that whatever it raises goes to the window's error report.
    virtual void RunReportingErrors(const std::function<void()>& handler) = 0;
    // Shows the time-response window (one instance), in front.
    virtual void ShowTimeResponse() = 0;
    // What every file the window writes goes through: the checks, the one question before files
    // are replaced, and the note next to the graph that says what was written
    // (replace_question.h).
    virtual const WriteGuard& Guard() const = 0;
    // The window's design file, and the design it keeps (design_session.h).
    virtual DesignDocument& Document() = 0;
    virtual DesignSession& Session() = 0;
    // The files the window has read (its design file, the drivers of the acoustic view), which
    // no export may replace.
    virtual std::vector<std::string> InputFiles() const = 0;
};

// When an item can be chosen.
enum class EnabledWhen {
    Always,
    GraphShown,      // a graph is shown
    HasCalculation,  // a calculation has completed
};

// Why an item whose rule does not hold is disabled, its tooltip: "Calc first" (in the
// language of the window, as every text of the menu).
QString DisabledReason(EnabledWhen rule);

// The menu owns its actions. Adding an item takes a row in GraphMenu::kItems (graph_menu.cpp):
// object name, text (English, marked for translation, translations/), EnabledWhen
// rule, handler and optionally a shortcut, and the handler as a member function below; a rule
// that reads more of the window adds an EnabledWhen value, its reason in DisabledReason and a
// GraphMenuHost question. A row without a handler is a separator. An export writes through
// host.Guard(), which asks before it replaces files and says what was written.
class GraphMenu {
  public:
    // Creates the menu with every item (objects named after the items, for tests) in the font of
    // the host's window, each enabled by its rule for the host's state now. The file items ask
    // `chooser` for the file to write.
    GraphMenu(GraphMenuHost& host, FileNameChooser chooser);
    ~GraphMenu();
    GraphMenu(const GraphMenu&) = delete;
    GraphMenu& operator=(const GraphMenu&) = delete;

    // How "Export coefficients…" asks its questions and runs its dialog (shown without blocking
    // either window, with the toolkit's boxes, unless a test says otherwise). Without a replace
    // question of its own, it asks the host's guard's, as the window's other exports do.
    void UseExportDialog(ExportQuestions questions, ExportDialogRunner run);

    // The export dialog's settings, the host's session's: it starts from them and gives them
    // back when it closes, so that they last for the window's session and go into design files.
    // The folder lasts for the session only (it starts where the file dialogs start).
    const design_file::ExportSettings& ExportChoices() const;
    void SetExportChoices(const design_file::ExportSettings& settings);

    // Opens the menu at a right click on `image`, and over the image's middle at the Menu key or
    // Shift+F10 anywhere in the image's window, its first enabled item then active; the items'
    // shortcuts work anywhere in the image's window.
    void AttachTo(QWidget* image);
    // The items' shortcuts (Ctrl+O, Ctrl+S, Ctrl+T) work in `window` too, another window of the
    // program.
    void ShareShortcutsWith(QWidget* window);
    // Enables each item by its rule, for the host's state now (a disabled item's tooltip says
    // why), and names the design file.
    void Update();
    // Updates the items and shows the menu at globalPosition.
    void Popup(QPoint globalPosition);

    QMenu* Menu() const { return menu_.get(); }
    // The item with this object name, or nullptr.
    QAction* Action(const char* objectName) const;

  private:
    struct Item;
    static const Item kItems[];

    bool Holds(EnabledWhen rule) const;
    void Choose(const Item& item);
    void PopupFromKeyboard(QWidget* image);

    // The handlers, one per item.
    void CopyGraph();
    void SaveGraph();
    void ExportCoefficients();
    // The session's bands and input files, and with newDesign its latest calculation, into the
    // open export dialog.
    void FollowSessionInExportDialog(bool newDesign);
    void FinishExportDialog();
    void ExportResponse();
    void ShowTimeResponse();
    void OpenDesign();
    void SaveDesign();
    void SaveDesignAs();

    GraphMenuHost& host_;
    FileNameChooser chooser_;
    ExportQuestions exportQuestions_ = StandardExportQuestions();
    ExportDialogRunner runExportDialog_ = ShowExportDialog;
    // Empty until the export dialog was first closed: DialogStartFolder() then.
    QString exportFolder_;
    // The export dialog while it is open (one at a time), which follows the session's design.
    QPointer<ExportDialog> exportDialog_;
    // A popup of its own, not a control in the window's client area.
    std::unique_ptr<QMenu> menu_;
    // Each item with its action, in menu order.
    std::vector<std::pair<const Item*, QAction*>> actions_;
};

}  // namespace kc::app

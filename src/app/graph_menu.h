// The graph menu, the context menu of the graph image: its items, the rule that enables each, and
// their handlers (copying and saving the graph, exporting the last calculation's taps and
// responses). The window hosts it and tells it when its state has changed.
#pragma once

#include <QAction>
#include <QImage>
#include <QMenu>
#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "app/export_dialog.h"
#include "app/file_chooser.h"
#include "dsp/crossover.h"
#include "dsp/response_store.h"

namespace kc::app {

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
};

// When an item can be chosen.
enum class EnabledWhen {
    Always,
    GraphShown,      // a graph is shown
    HasCalculation,  // a calculation has completed
};

// The menu owns its actions. Adding an item takes a row in GraphMenu::kItems (graph_menu.cpp):
// object name, text, EnabledWhen rule and handler, and the handler as a member function below; a
// rule that reads more of the window adds an EnabledWhen value and a GraphMenuHost question.
class GraphMenu {
  public:
    // Creates the menu with every item (objects named after the items, for tests), each enabled
    // by its rule for the host's state now. The file items ask `chooser` for the file to write.
    GraphMenu(GraphMenuHost& host, FileNameChooser chooser);
    ~GraphMenu();
    GraphMenu(const GraphMenu&) = delete;
    GraphMenu& operator=(const GraphMenu&) = delete;

    // How "Export coefficients…" asks its questions and runs its dialog (modally, with the
    // toolkit's boxes, unless a test says otherwise).
    void UseExportDialog(ExportQuestions questions, ExportDialogRunner run);

    // Opens the menu at a right click (or the menu key) on `image`.
    void AttachTo(QWidget* image);
    // Enables each item by its rule, for the host's state now.
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

    // The handlers, one per item.
    void CopyGraph();
    void SaveGraph();
    void ExportCoefficients();
    void ExportResponse();

    GraphMenuHost& host_;
    FileNameChooser chooser_;
    ExportQuestions exportQuestions_ = StandardExportQuestions();
    ExportDialogRunner runExportDialog_ = RunExportDialogModally;
    // A popup of its own, not a control in the window's client area.
    std::unique_ptr<QMenu> menu_;
    // Each item with its action, in menu order.
    std::vector<std::pair<const Item*, QAction*>> actions_;
};

}  // namespace kc::app

// SPDX-License-Identifier: GPL-3.0-or-later
// The window's design file: opening one into the design session, saving the session's design to
// one, and asking before a changed design is closed or replaced. The window has a design file
// once a design was opened or saved; until then it behaves as it always did.
#pragma once

#include <QObject>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

#include "app/file_chooser.h"
#include "app/replace_question.h"
#include "design_file/design_file.h"

class QMimeData;

namespace kc::app {

class DesignSession;
class GraphMenuHost;
class TForm1;

// The answer to "save the changed design?".
enum class SaveChoice { Save, Discard, Cancel };

// Asks whether to save the changed design in the file fileName (without folder).
using SaveQuestion = std::function<SaveChoice(QWidget* owner, const QString& fileName)>;

// A modal question box over owner with the buttons Save, Discard and Cancel (Escape cancels).
SaveChoice AskToSaveDesign(QWidget* owner, const QString& fileName);

// Asks whether to calculate at once the design just opened from fileName (without folder), whose
// calculation `cost` describes (its counts, memory and time); true to calculate it.
using CalculateQuestion =
    std::function<bool(QWidget* owner, const QString& fileName, const QString& cost)>;

// A modal question box over owner with the buttons Yes (calculate) and No (open only; No is the
// default and Escape).
bool AskToCalculateLargeDesign(QWidget* owner, const QString& fileName, const QString& cost);

// Beyond either of these a design file's calculation is asked for before it starts: it would
// keep the window busy, or take much of the machine's memory.
inline constexpr double kLargeCalculationBytes = 1e9;
inline constexpr double kLargeCalculationSeconds = 2.0;

// "low 100000001, mid 100000001 and high 100000001 taps: about 38.4 GB of memory and 300 s",
// or nothing when the design's texts give a calculation within both bounds or none at all (a
// text that does not convert is reported by the calculation itself).
QString LargeCalculationCost(const design_file::Design& design);

// What the window asks the user about design files; tests put recorders in their place.
struct DesignDialogs {
    FileNameChooser chooseOpen = ChooseOpenFileName;
    SaveQuestion askSave = AskToSaveDesign;
    CalculateQuestion askCalculate = AskToCalculateLargeDesign;
};

// The name filter of design files in the file dialogs.
QString DesignFileFilter();

// The local design file (.kcx, any case) that a drag carries, or an empty string when it carries
// anything else or more than one file.
QString DesignFileIn(const QMimeData* data);

// The design that the window shows, its session's: the fields and boxes with their texts exactly
// as they stand, the export dialog's settings, and the time window's view and acoustic bands
// (driver files as absolute paths), or those it starts with while it was not opened.
design_file::Design DesignShown(const TForm1& form);

class DesignDocument final : public QObject {
    Q_OBJECT

  public:
    // The document of `session` in `window`, whose questions open over window.MenuOwner() and
    // which writes through window.Guard(); `calculate` runs Calc as its button
    // does. Save as asks chooseSave for the file to write.
    DesignDocument(DesignSession& session, GraphMenuHost& window, std::function<void()> calculate,
                   FileNameChooser chooseSave, DesignDialogs dialogs);

    // The design file's absolute path and its file name, empty while the window has none.
    const QString& Path() const { return path_; }
    QString FileName() const;
    // Whether the window has a design file and the session's design is another than was last
    // opened or saved there (how the windows were left aside).
    bool Changed() const;

    // Reads `path` whole, gives its design to the session (whose windows show it) and calculates
    // (whose errors go to the error report as usual), after asking when the calculation would be
    // large (LargeCalculationCost; No opens the design without calculating it); the file becomes
    // the window's design file. A refused file raises EDesignFileError and changes nothing. Driver
    // files that cannot be loaded leave their bands with the ideal driver, and EDriverFileError
    // names them once the rest is open.
    void Open(const QString& path);
    // After MayDiscard, asks which design file to open and opens it.
    void OpenChosen();
    // Writes the design shown to the design file, or asks for one as SaveAs when there is none.
    // A failed write raises EFileWriteError and leaves the file and the document as they were.
    void Save();
    void SaveAs();
    // Whether the design shown may be closed or replaced: at once when it has not changed,
    // otherwise as the user answers (Save writes it first; Cancel keeps it).
    bool MayDiscard();

  signals:
    // The design file became another one (Path and FileName changed), or was saved.
    void fileChanged();

  private:
    // Writes the design shown to `path` through the window's guard, asking as `ask` says.
    void SaveTo(const QString& path, WriteGuard::Ask ask);
    void Saved(const QString& path, const design_file::Design& design);

    DesignSession& session_;
    GraphMenuHost& window_;
    std::function<void()> calculate_;
    FileNameChooser chooseSave_;
    DesignDialogs dialogs_;
    QString path_;
    // The session's design when it was last opened (after its calculation) or saved.
    design_file::Design saved_;
};

}  // namespace kc::app

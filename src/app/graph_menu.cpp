// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/graph_menu.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QShortcut>
#include <QString>
#include <QStringList>
#include <string>

#include "app/design_session.h"
#include "export/csv_export.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"

namespace kc::app {
namespace {

QString PngFilter() {
    return QCoreApplication::translate("GraphMenu", "PNG image (*.png)");
}

QString ResponseCsvFilter() {
    return QCoreApplication::translate("GraphMenu", "CSV, one row per grid point (*.csv)");
}

}  // namespace

QString DisabledReason(EnabledWhen rule) {
    switch (rule) {
        case EnabledWhen::Always:
            return QString();
        case EnabledWhen::GraphShown:
        case EnabledWhen::HasCalculation:
            return QCoreApplication::translate("GraphMenu", "Calc first");
    }
    return QString();  // not reached: every rule is listed above
}

struct GraphMenu::Item {
    const char* objectName;
    const char* text;
    EnabledWhen enabledWhen;
    void (GraphMenu::*handler)();
    const char* shortcut = nullptr;
};

// The items in menu order. A new item is one row here and its handler below.
const GraphMenu::Item GraphMenu::kItems[] = {
    {"CopyGraph", QT_TRANSLATE_NOOP("GraphMenu", "Copy graph"), EnabledWhen::GraphShown,
     &GraphMenu::CopyGraph},
    {"SaveGraph", QT_TRANSLATE_NOOP("GraphMenu", "Save graph as PNG…"), EnabledWhen::GraphShown,
     &GraphMenu::SaveGraph},
    {"ExportCoefficients", QT_TRANSLATE_NOOP("GraphMenu", "Export coefficients…"),
     EnabledWhen::HasCalculation, &GraphMenu::ExportCoefficients},
    {"ExportResponse", QT_TRANSLATE_NOOP("GraphMenu", "Export response as CSV…"),
     EnabledWhen::HasCalculation, &GraphMenu::ExportResponse},
    {"TimeResponse", QT_TRANSLATE_NOOP("GraphMenu", "Time response…"), EnabledWhen::Always,
     &GraphMenu::ShowTimeResponse, "Ctrl+T"},
    {nullptr, nullptr, EnabledWhen::Always, nullptr},
    {"OpenDesign", QT_TRANSLATE_NOOP("GraphMenu", "Open design…"), EnabledWhen::Always,
     &GraphMenu::OpenDesign, "Ctrl+O"},
    {"SaveDesign", QT_TRANSLATE_NOOP("GraphMenu", "Save design"), EnabledWhen::Always,
     &GraphMenu::SaveDesign, "Ctrl+S"},
    {"SaveDesignAs", QT_TRANSLATE_NOOP("GraphMenu", "Save design as…"), EnabledWhen::Always,
     &GraphMenu::SaveDesignAs},
};

GraphMenu::GraphMenu(GraphMenuHost& host, FileNameChooser chooser)
    : host_(host), chooser_(std::move(chooser)), menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName(QStringLiteral("GraphMenu"));
    // A popup of its own does not inherit the window's font.
    menu_->setFont(host_.MenuOwner()->font());
    menu_->setToolTipsVisible(true);
    for (const Item& item : kItems) {
        if (item.handler == nullptr) {
            menu_->addSeparator();
            continue;
        }
        QAction* action = menu_->addAction(QCoreApplication::translate("GraphMenu", item.text));
        action->setObjectName(QString::fromLatin1(item.objectName));
        if (item.shortcut != nullptr) {
            action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
        }
        QObject::connect(action, &QAction::triggered, menu_.get(), [this, &item] {
            host_.RunReportingErrors([this, &item] { Choose(item); });
        });
        actions_.emplace_back(&item, action);
    }
    Update();
}

// An export dialog still open goes with the menu, before the window it belongs to.
GraphMenu::~GraphMenu() {
    delete exportDialog_.data();
}

void GraphMenu::UseExportDialog(ExportQuestions questions, ExportDialogRunner run) {
    exportQuestions_ = std::move(questions);
    runExportDialog_ = std::move(run);
}

const design_file::ExportSettings& GraphMenu::ExportChoices() const {
    return host_.Session().Design().exportSettings;
}

void GraphMenu::SetExportChoices(const design_file::ExportSettings& settings) {
    host_.Session().Edit(
        [&settings](design_file::Design& design) { design.exportSettings = settings; });
}

void GraphMenu::AttachTo(QWidget* image) {
    image->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(image, &QWidget::customContextMenuRequested, menu_.get(),
                     [this, image](QPoint position) { Popup(image->mapToGlobal(position)); });
    // Window shortcuts come before the focused control, so a field's own edit menu does not
    // take these keys; the items' own shortcuts work anywhere in the window as well.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
        auto* shortcut = new QShortcut(keys, image->window());
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, menu_.get(),
                         [this, image] { PopupFromKeyboard(image); });
    }
    for (const auto& [item, action] : actions_) {
        if (item->shortcut != nullptr) {
            image->addAction(action);
        }
    }
}

void GraphMenu::ShareShortcutsWith(QWidget* window) {
    for (const auto& [item, action] : actions_) {
        if (item->shortcut != nullptr) {
            window->addAction(action);
        }
    }
}

void GraphMenu::PopupFromKeyboard(QWidget* image) {
    Popup(image->mapToGlobal(image->rect().center()));
    for (const auto& [item, action] : actions_) {
        if (action->isEnabled()) {
            menu_->setActiveAction(action);
            break;
        }
    }
}

// "Save design" names the window's design file, if it has one.
void GraphMenu::Update() {
    const QString designName = host_.Document().FileName();
    for (const auto& [item, action] : actions_) {
        const bool enabled = Holds(item->enabledWhen);
        action->setEnabled(enabled);
        action->setToolTip(enabled ? QString() : DisabledReason(item->enabledWhen));
        if (item->handler == &GraphMenu::SaveDesign) {
            QString text = QCoreApplication::translate("GraphMenu", item->text);
            if (!designName.isEmpty()) {
                text += QStringLiteral(" (%1)").arg(QString(designName).replace('&', "&&"));
            }
            action->setText(text);
        }
    }
}

void GraphMenu::Popup(QPoint globalPosition) {
    Update();
    menu_->popup(globalPosition);
}

QAction* GraphMenu::Action(const char* objectName) const {
    return menu_->findChild<QAction*>(QString::fromLatin1(objectName));
}

bool GraphMenu::Holds(EnabledWhen rule) const {
    switch (rule) {
        case EnabledWhen::Always:
            return true;
        case EnabledWhen::GraphShown:
            return host_.GraphShown();
        case EnabledWhen::HasCalculation:
            return host_.HasCalculation();
    }
    return false;  // not reached: every rule is listed above
}

// An item whose rule does not hold does nothing, even when its action was left enabled.
void GraphMenu::Choose(const Item& item) {
    if (Holds(item.enabledWhen)) {
        (this->*item.handler)();
    }
}

void GraphMenu::CopyGraph() {
    const QImage image = host_.GraphAreaImage();
    if (!image.isNull()) {
        QGuiApplication::clipboard()->setImage(image);
        host_.Guard().Say(QCoreApplication::translate("GraphMenu", "Copied the graph"));
    }
}

void GraphMenu::SaveGraph() {
    const QImage image = host_.GraphAreaImage();
    if (image.isNull()) {
        return;
    }
    const ChosenFile chosen =
        chooser_(host_.MenuOwner(), QCoreApplication::translate("GraphMenu", "Save graph as PNG"),
                 {PngFilter()});
    if (chosen.path.isEmpty()) {
        return;
    }
    const QString path = WithSuffix(chosen.path, QStringLiteral("png"));
    host_.Guard().WriteFile(path, host_.InputFiles(), [&image](const std::string& temporary) {
        exporting::SavePng(image, temporary);
    });
}

// One dialog for every file kind and rate, on the design shown; it writes through the export set
// as the command line does.
// A second "Export coefficients…" brings the open dialog to the front. While it is open it exports
// the session's latest calculation with its bands' settings and inputs; closing it keeps its
// choices for the next opening and the design file.
void GraphMenu::ExportCoefficients() {
    if (ExportDialog* open = exportDialog_.data(); open != nullptr) {
        open->raise();
        open->activateWindow();
        return;
    }
    auto* dialog = new ExportDialog(
        host_.MenuOwner(), host_.DesignParameters(), ExportChoices(),
        exportFolder_.isEmpty() ? DialogStartFolder() : exportFolder_,
        exportQuestions_.chooseFolder, host_.Guard().AskingWith(exportQuestions_.replaceFiles),
        [this](const std::function<void()>& run) { host_.RunReportingErrors(run); });
    exportDialog_ = dialog;
    FollowSessionInExportDialog(true);
    DesignSession& session = host_.Session();
    const auto follow = [this](bool newDesign) {
        return [this, newDesign] {
            host_.RunReportingErrors([this, newDesign] { FollowSessionInExportDialog(newDesign); });
        };
    };
    QObject::connect(&session, &DesignSession::resultChanged, dialog, follow(true));
    for (const auto signal : {&DesignSession::designChanged, &DesignSession::driversChanged}) {
        QObject::connect(&session, signal, dialog, follow(false));
    }
    QObject::connect(dialog, &QDialog::finished, menu_.get(), [this] { FinishExportDialog(); });
    runExportDialog_(*dialog);
    if (exportDialog_.data() == dialog && !dialog->isVisible()) {
        FinishExportDialog();
    }
}

void GraphMenu::FollowSessionInExportDialog(bool newDesign) {
    ExportDialog* dialog = exportDialog_.data();
    if (dialog == nullptr) {
        return;
    }
    if (newDesign) {
        dialog->SetDesign(host_.DesignParameters());
    }
    dialog->SetInputFiles(host_.InputFiles());
    const exporting::ExportAlignment alignment = design_file::AlignmentOf(host_.Session().Design());
    dialog->SetCorrection({alignment.correction.settings,
                           std::make_shared<const acoustic::Drivers>(host_.Session().Drivers())});
    dialog->SetBandSettings(alignment.bands);
}

void GraphMenu::FinishExportDialog() {
    ExportDialog* dialog = exportDialog_.data();
    if (dialog == nullptr) {
        return;
    }
    exportDialog_ = nullptr;
    SetExportChoices(dialog->Settings());
    exportFolder_ = dialog->Folder->text();
    dialog->deleteLater();
}

void GraphMenu::ExportResponse() {
    const ChosenFile chosen = chooser_(
        host_.MenuOwner(), QCoreApplication::translate("GraphMenu", "Export response as CSV"),
        {ResponseCsvFilter()});
    if (chosen.path.isEmpty()) {
        return;
    }
    const QString path = WithSuffix(chosen.path, QStringLiteral("csv"));
    const std::string text = exporting::ResponseCsv(host_.Store());
    host_.Guard().WriteFile(path, host_.InputFiles(), exporting::ContentWriter(text));
}

void GraphMenu::ShowTimeResponse() {
    host_.ShowTimeResponse();
}

void GraphMenu::OpenDesign() {
    host_.Document().OpenChosen();
}

void GraphMenu::SaveDesign() {
    host_.Document().Save();
}

void GraphMenu::SaveDesignAs() {
    host_.Document().SaveAs();
}

}  // namespace kc::app

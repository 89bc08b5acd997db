#include "app/graph_menu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QString>
#include <QStringList>
#include <string>

#include "export/csv_export.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"

namespace kc::app {
namespace {

const QString kPngFilter = QStringLiteral("PNG image (*.png)");
const QString kResponseCsvFilter = QStringLiteral("CSV, one row per grid point (*.csv)");

}  // namespace

struct GraphMenu::Item {
    const char* objectName;
    const char* text;
    EnabledWhen enabledWhen;
    void (GraphMenu::*handler)();
};

// The items in menu order. A new item is one row here and its handler below.
const GraphMenu::Item GraphMenu::kItems[] = {
    {"CopyGraph", "Copy graph", EnabledWhen::GraphShown, &GraphMenu::CopyGraph},
    {"SaveGraph", "Save graph as PNG…", EnabledWhen::GraphShown, &GraphMenu::SaveGraph},
    {"ExportCoefficients", "Export coefficients…", EnabledWhen::HasCalculation,
     &GraphMenu::ExportCoefficients},
    {"ExportResponse", "Export response as CSV…", EnabledWhen::HasCalculation,
     &GraphMenu::ExportResponse},
};

GraphMenu::GraphMenu(GraphMenuHost& host, FileNameChooser chooser)
    : host_(host), chooser_(std::move(chooser)), menu_(std::make_unique<QMenu>()) {
    menu_->setObjectName(QStringLiteral("GraphMenu"));
    for (const Item& item : kItems) {
        QAction* action = menu_->addAction(QString::fromUtf8(item.text));
        action->setObjectName(QString::fromLatin1(item.objectName));
        QObject::connect(action, &QAction::triggered, menu_.get(), [this, &item] {
            host_.RunReportingErrors([this, &item] { Choose(item); });
        });
        actions_.emplace_back(&item, action);
    }
    Update();
}

GraphMenu::~GraphMenu() = default;

void GraphMenu::UseExportDialog(ExportQuestions questions, ExportDialogRunner run) {
    exportQuestions_ = std::move(questions);
    runExportDialog_ = std::move(run);
}

void GraphMenu::AttachTo(QWidget* image) {
    image->setContextMenuPolicy(Qt::CustomContextMenu);
    QObject::connect(image, &QWidget::customContextMenuRequested, menu_.get(),
                     [this, image](QPoint position) { Popup(image->mapToGlobal(position)); });
}

void GraphMenu::Update() {
    for (const auto& [item, action] : actions_) {
        action->setEnabled(Holds(item->enabledWhen));
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
    }
}

void GraphMenu::SaveGraph() {
    const QImage image = host_.GraphAreaImage();
    if (image.isNull()) {
        return;
    }
    const ChosenFile chosen =
        chooser_(host_.MenuOwner(), QStringLiteral("Save graph as PNG"), {kPngFilter});
    if (chosen.path.isEmpty()) {
        return;
    }
    exporting::WritePngFile(WithSuffix(chosen.path, QStringLiteral("png")).toStdString(), image);
}

// One dialog for every file kind and rate, on the design shown; it writes through the export set
// as the command line does.
void GraphMenu::ExportCoefficients() {
    ExportDialog dialog(
        host_.MenuOwner(), host_.DesignParameters(), exportQuestions_,
        [this](const std::function<void()>& run) { host_.RunReportingErrors(run); });
    runExportDialog_(dialog);
}

void GraphMenu::ExportResponse() {
    const ChosenFile chosen =
        chooser_(host_.MenuOwner(), QStringLiteral("Export response as CSV"), {kResponseCsvFilter});
    if (chosen.path.isEmpty()) {
        return;
    }
    exporting::WriteTextFile(WithSuffix(chosen.path, QStringLiteral("csv")).toStdString(),
                             exporting::ResponseCsv(host_.Store()));
}

}  // namespace kc::app

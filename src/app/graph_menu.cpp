// The graph menu of the main window: copying and saving the graph, exporting the last
// calculation's taps and responses, and the readout under the pointer.
#include <QAction>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>

#include "app/graph_readout.h"
#include "app/graph_view.h"
#include "app/main_form.h"
#include "export/csv_export.h"
#include "export/file_write.h"
#include "export/qt/png_export.h"
#include "export/wav_export.h"
#include "graph/qt/graph_area.h"

namespace kc::app {
namespace {

const QString kPngFilter = QStringLiteral("PNG image (*.png)");
const QString kTapsCsvFilter = QStringLiteral("CSV, one row per tap (*.csv)");
const QString kWav32Filter = QStringLiteral("WAV, 32-bit float, one file per band (*.wav)");
const QString kWav64Filter = QStringLiteral("WAV, 64-bit float, one file per band (*.wav)");
const QString kResponseCsvFilter = QStringLiteral("CSV, one row per grid point (*.csv)");

enum class CoefficientFormat { Csv, Wav32, Wav64 };

// A name's own extension decides (a user may type "taps.csv" with a WAV filter selected); a name
// without one follows the selected filter.
CoefficientFormat CoefficientFormatFor(const ChosenFile& chosen) {
    const QString suffix = QFileInfo(chosen.path).suffix().toLower();
    const bool wav = suffix == QLatin1String("wav") ||
                     (suffix != QLatin1String("csv") && FilterSuffix(chosen.filter) == "wav");
    if (!wav) {
        return CoefficientFormat::Csv;
    }
    return chosen.filter == kWav64Filter ? CoefficientFormat::Wav64 : CoefficientFormat::Wav32;
}

// The prefix of the three band files for a chosen name: "xo.wav" gives xo-low.wav, xo-mid.wav
// and xo-high.wav beside it.
std::string WavPrefixFor(const QString& path) {
    const bool hasWavSuffix = QFileInfo(path).suffix().compare("wav", Qt::CaseInsensitive) == 0;
    return (hasWavSuffix ? path.chopped(4) : path).toStdString();
}

QAction* AddMenuItem(QMenu* menu, const char* objectName, const char* text) {
    QAction* action = menu->addAction(QString::fromUtf8(text));
    action->setObjectName(QString::fromLatin1(objectName));
    return action;
}

}  // namespace

void TForm1::CreateGraphMenu() {
    graphMenu_ = std::make_unique<QMenu>();
    graphMenu_->setObjectName(QStringLiteral("GraphMenu"));
    struct Item {
        const char* objectName;
        const char* text;
        void (TForm1::*handler)();
    };
    const Item items[] = {
        {"CopyGraph", "Copy graph", &TForm1::CopyGraphClick},
        {"SaveGraph", "Save graph as PNG…", &TForm1::SaveGraphClick},
        {"ExportCoefficients", "Export coefficients…", &TForm1::ExportCoefficientsClick},
        {"ExportResponse", "Export response as CSV…", &TForm1::ExportResponseClick}};
    for (const Item& item : items) {
        QAction* action = AddMenuItem(graphMenu_.get(), item.objectName, item.text);
        const auto handler = item.handler;
        connect(action, &QAction::triggered, this, [this, handler] { RunHandler(handler); });
    }
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Image1, &QWidget::customContextMenuRequested, this,
            [this](QPoint position) { ShowGraphMenu(position); });
    Image1->SetReadoutSource([this](int x) { return ReadoutAt(x); });
    UpdateGraphMenu();
}

void TForm1::UpdateGraphMenu() {
    const bool graphShown = !graph_->Picture().isNull();
    const QList<QAction*> actions = graphMenu_->actions();
    actions[0]->setEnabled(graphShown);
    actions[1]->setEnabled(graphShown);
    actions[2]->setEnabled(calculated_);
    actions[3]->setEnabled(calculated_);
}

void TForm1::ShowGraphMenu(QPoint position) {
    UpdateGraphMenu();
    graphMenu_->popup(Image1->mapToGlobal(position));
}

QImage TForm1::GraphAreaImage() const {
    const graph::GraphGeometry geometry{Image1->width(), Image1->height(), Image1->x(),
                                        Image1->y()};
    return graph::ComposeGraphArea(*graph_, geometry, palette().color(QPalette::Window));
}

void TForm1::CopyGraphClick() {
    const QImage image = GraphAreaImage();
    if (!image.isNull()) {
        QGuiApplication::clipboard()->setImage(image);
    }
}

void TForm1::SaveGraphClick() {
    const QImage image = GraphAreaImage();
    if (image.isNull()) {
        return;
    }
    const ChosenFile chosen = chooser_(this, QStringLiteral("Save graph as PNG"), {kPngFilter});
    if (chosen.path.isEmpty()) {
        return;
    }
    exporting::WritePngFile(WithSuffix(chosen.path, QStringLiteral("png")).toStdString(), image);
}

void TForm1::ExportCoefficientsClick() {
    if (!calculated_) {
        return;
    }
    const ChosenFile chosen = chooser_(this, QStringLiteral("Export coefficients"),
                                       {kTapsCsvFilter, kWav32Filter, kWav64Filter});
    if (chosen.path.isEmpty()) {
        return;
    }
    switch (CoefficientFormatFor(chosen)) {
        case CoefficientFormat::Csv:
            exporting::WriteTextFile(WithSuffix(chosen.path, QStringLiteral("csv")).toStdString(),
                                     exporting::TapsCsv(taps_));
            break;
        case CoefficientFormat::Wav32:
            exporting::WriteBandWavs(WavPrefixFor(chosen.path), taps_,
                                     exporting::WavSampleFormat::Float32);
            break;
        case CoefficientFormat::Wav64:
            exporting::WriteBandWavs(WavPrefixFor(chosen.path), taps_,
                                     exporting::WavSampleFormat::Float64);
            break;
    }
}

void TForm1::ExportResponseClick() {
    if (!calculated_) {
        return;
    }
    const ChosenFile chosen =
        chooser_(this, QStringLiteral("Export response as CSV"), {kResponseCsvFilter});
    if (chosen.path.isEmpty()) {
        return;
    }
    exporting::WriteTextFile(WithSuffix(chosen.path, QStringLiteral("csv")).toStdString(),
                             exporting::ResponseCsv(*store_));
}

QString TForm1::ReadoutAt(int x) const {
    if (!calculated_ || graph_->Picture().isNull()) {
        return QString();
    }
    const int32_t k = NearestGridPoint(x, shownLogFrequency_, graph_->Picture().width());
    return QString::fromStdString(ReadoutText(*store_, k));
}

}  // namespace kc::app

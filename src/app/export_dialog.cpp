// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/export_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>

#include "base/errors.h"
#include "base/message_text.h"
#include "dsp/calculation.h"
#include "export/alignment.h"

namespace kc::app {
namespace {

using exporting::ExportPlan;

QString FromStd(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "wavFormat" as an object name: "WavFormat".
QString ObjectName(std::string_view key) {
    const QString name = FromStd(key);
    return name.left(1).toUpper() + name.mid(1);
}

QCheckBox* MakeBox(const QString& objectName, const QString& text, bool checked) {
    auto* box = new QCheckBox(text);
    box->setObjectName(objectName);
    box->setChecked(checked);
    return box;
}

QComboBox* MakeChoice(const QString& objectName, const QStringList& items) {
    auto* choice = new QComboBox;
    choice->setObjectName(objectName);
    choice->addItems(items);
    return choice;
}

// A box and its choices on one line.
QWidget* BoxWithChoices(QWidget* box, const std::vector<QComboBox*>& choices) {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(box);
    for (QWidget* choice : choices) {
        if (choice != nullptr) {
            layout->addWidget(choice);
        }
    }
    layout->addStretch();
    return row;
}

QString ChooseFolder(QWidget* owner, const QString& current) {
    return QFileDialog::getExistingDirectory(
        owner, QCoreApplication::translate("ExportDialog", "Export into folder"), current,
        QFileDialog::DontUseNativeDialog | QFileDialog::ShowDirsOnly);
}

// The texts typed are checked where they enter, before any becomes a path.
void CheckTypedTexts(const QLineEdit* folder, const QLineEdit* name, const QLineEdit* otherRates) {
    const std::pair<const QLineEdit*, const char*> fields[] = {
        {folder, "folder"}, {name, "name"}, {otherRates, "list of other rates"}};
    for (const auto& [edit, what] : fields) {
        if (base::HasControlCharacter(edit->text().toStdString())) {
            throw exporting::ExportRequestError(std::string("The ") + what +
                                                " holds a control character.");
        }
    }
    if (!exporting::IsOneFileName(name->text().toStdString())) {
        throw exporting::ExportRequestError("The name " + std::string(exporting::kOneFileNameRule) +
                                            ".");
    }
}

// A free text's field as settings keep it: the default when empty, the text typed when it keeps
// the option's rule, else `starting` (a design file would be refused for it); while the dialog is
// open, its status says what is wrong.
std::string TextOfField(const exporting::KindOption& option, const QLineEdit* field,
                        const std::string& starting) {
    const std::string typed = field->text().toStdString();
    if (typed.empty()) {
        return std::string(option.defaultText);
    }
    const bool keeps = !base::HasControlCharacter(typed) &&
                       (option.problem == nullptr || option.problem(typed).empty());
    return keeps ? typed : starting;
}

}  // namespace

ExportQuestions StandardExportQuestions() {
    return {nullptr, ChooseFolder};
}

void ShowExportDialog(ExportDialog& dialog) {
    dialog.setWindowModality(Qt::NonModal);
    dialog.show();
    dialog.raise();
    dialog.activateWindow();
}

const std::vector<int32_t> ExportDialog::kOfferedRates = {44100, 48000,  88200,
                                                          96000, 176400, 192000};

ExportDialog::ExportDialog(QWidget* owner, const dsp::CrossoverParameters& design,
                           const design_file::ExportSettings& settings, const QString& folder,
                           FolderChooser chooseFolder, const WriteGuard& guard,
                           std::function<void(const std::function<void()>&)> runReportingErrors)
    : QDialog(owner),
      design_(design),
      chooseFolder_(std::move(chooseFolder)),
      guard_(guard.SayingWrittenWith([this](const QStringList& paths) { SayWritten(paths); })),
      runReportingErrors_(std::move(runReportingErrors)) {
    setObjectName(QStringLiteral("ExportDialog"));
    setWindowTitle(QCoreApplication::translate("ExportDialog", "Export coefficients"));
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    top->addWidget(CreateFileKinds());
    top->addWidget(CreateRates());
    layout->addLayout(top);
    layout->addWidget(CreateDestination());
    layout->addWidget(CreateAlignment());
    Table = new QTreeWidget;
    Table->setObjectName(QStringLiteral("Table"));
    Table->setHeaderLabels({"Rate (Hz)", "Low taps", "Mid taps", "High taps", "Latency (samples)",
                            "Latency (ms)", "Peak gain (dB)", "Worst case (dB)"});
    Table->headerItem()->setToolTip(
        6, QCoreApplication::translate(
               "ExportDialog", "The largest gain of the exported filter over frequency, |H(f)|."));
    Table->headerItem()->setToolTip(
        7, QCoreApplication::translate(
               "ExportDialog",
               "The sum of the magnitudes of the exported taps: the largest output "
               "of a signal of full scale. Above 0 dB such a signal can clip."));
    Table->setRootIsDecorated(false);
    Table->setSelectionMode(QAbstractItemView::NoSelection);
    layout->addWidget(Table, 1);
    Notes = new QLabel;
    Notes->setObjectName(QStringLiteral("Notes"));
    Notes->setWordWrap(true);
    Notes->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Notes);
    Status = new QLabel;
    Status->setObjectName(QStringLiteral("Status"));
    Status->setWordWrap(true);
    Status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(Status);
    // In the dialog before the default is set, so that the dialog knows its default button.
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    ExportButton = buttons->addButton(QCoreApplication::translate("ExportDialog", "Export"),
                                      QDialogButtonBox::ActionRole);
    ExportButton->setObjectName(QStringLiteral("ExportButton"));
    ExportButton->setDefault(true);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    ShowSettings(settings);
    startingKinds_ = settings.kinds;
    startingName_ = settings.name;
    Folder->setText(folder);
    Connect();
    Refresh();
    resize(760, 780);  // room for the table below the engines' fields
    Name->setFocus();
}

QWidget* ExportDialog::CreateFileKinds() {
    auto* group = new QGroupBox(QCoreApplication::translate("ExportDialog", "Files"));
    auto* layout = new QVBoxLayout(group);
    const std::span<const exporting::ExportKind> kinds = exporting::ExportKinds();
    for (std::size_t k = 0; k < kinds.size(); ++k) {
        if (!kinds[k].OfferedInDialog()) {
            continue;
        }
        KindRow row{
            k, MakeBox(ObjectName(kinds[k].id), FromStd(kinds[k].dialogLabel), false), {}, {}};
        for (const exporting::KindOption& option : kinds[k].options) {
            QStringList labels;
            for (const exporting::OptionChoice& choice : option.choices) {
                labels << FromStd(choice.label);
            }
            row.choices.push_back(option.IsText() ? nullptr
                                                  : MakeChoice(ObjectName(option.key), labels));
            row.texts.push_back(option.IsText() ? MakeOptionField(option) : nullptr);
        }
        layout->addWidget(BoxWithChoices(row.box, row.choices));
        KindRows.push_back(std::move(row));
    }
    TapsCsv = Row("tapsCsv").box;
    ResponseCsv = Row("responseCsv").box;
    Wav = Row("wav").box;
    WavFormat = Row("wav").choices.at(0);
    WavLayout = Row("wav").choices.at(1);
    Raw = Row("raw").box;
    RawFormat = Row("raw").choices.at(0);
    Text = Row("text").box;
    Frd = Row("frd").box;
    FrdPhase = Row("frd").choices.at(0);
    return group;
}

QWidget* ExportDialog::CreateRates() {
    auto* group = new QGroupBox(QCoreApplication::translate("ExportDialog", "Sample rates"));
    auto* layout = new QVBoxLayout(group);
    for (int32_t rate : kOfferedRates) {
        const QString text =
            rate == dsp::SampleRate
                ? QCoreApplication::translate("ExportDialog", "%1 Hz (the design shown)").arg(rate)
                : QStringLiteral("%1 Hz").arg(rate);
        QCheckBox* box = MakeBox(QStringLiteral("Rate%1").arg(rate), text, rate == dsp::SampleRate);
        RateBoxes.push_back(box);
        layout->addWidget(box);
    }
    OtherRates = new QLineEdit;
    OtherRates->setObjectName(QStringLiteral("OtherRates"));
    OtherRates->setPlaceholderText(QCoreApplication::translate("ExportDialog", "e.g. 32000,64000"));
    CountsRate = new QSpinBox;
    CountsRate->setObjectName(QStringLiteral("CountsRate"));
    CountsRate->setRange(dsp::kMinSampleRateHz, dsp::kMaxSampleRateHz);
    CountsRate->setSuffix(QStringLiteral(" Hz"));
    CountsRate->setToolTip(QCoreApplication::translate(
        "ExportDialog",
        "The rate the window's tap counts are meant at. At 44100 Hz, the window's rate, the "
        "design shown is exported as it is and every other rate scales its counts so that the "
        "filters keep their length in time and their latency; at another rate every rate, "
        "44100 Hz too, scales them from there."));
    auto* other = new QFormLayout;
    other->addRow(QCoreApplication::translate("ExportDialog", "Other:"), OtherRates);
    other->addRow(QCoreApplication::translate("ExportDialog", "Tap counts at:"), CountsRate);
    layout->addLayout(other);
    layout->addStretch();
    return group;
}

QWidget* ExportDialog::CreateDestination() {
    auto* box = new QWidget;
    auto* form = new QFormLayout(box);
    form->setContentsMargins(0, 0, 0, 0);
    Folder = new QLineEdit;
    Folder->setObjectName(QStringLiteral("Folder"));
    BrowseButton = new QPushButton(QCoreApplication::translate("ExportDialog", "Browse…"));
    BrowseButton->setObjectName(QStringLiteral("BrowseButton"));
    BrowseButton->setAutoDefault(false);
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(Folder, 1);
    folderRow->addWidget(BrowseButton);
    form->addRow(QCoreApplication::translate("ExportDialog", "Folder:"), folderRow);
    Name = new QLineEdit;
    Name->setObjectName(QStringLiteral("Name"));
    Name->setToolTip(QCoreApplication::translate(
        "ExportDialog", "{rate} is replaced by each rate in whole hertz."));
    form->addRow(QCoreApplication::translate("ExportDialog", "Name:"), Name);
    for (const KindRow& row : KindRows) {
        const exporting::ExportKind& kind = exporting::ExportKinds()[row.kind];
        for (std::size_t o = 0; o < row.texts.size(); ++o) {
            if (row.texts[o] != nullptr) {
                form->addRow(FromStd(kind.options[o].label), row.texts[o]);
            }
        }
    }
    return box;
}

// A free text's field: its default as the placeholder, its help as the tooltip.
QLineEdit* ExportDialog::MakeOptionField(const exporting::KindOption& option) {
    auto* field = new QLineEdit;
    field->setObjectName(ObjectName(option.key));
    field->setPlaceholderText(FromStd(option.defaultText));
    field->setToolTip(FromStd(option.help));
    return field;
}

QWidget* ExportDialog::CreateAlignment() {
    auto* row = new QWidget;
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    Alignment =
        MakeBox(QStringLiteral("Alignment"),
                QCoreApplication::translate(
                    "ExportDialog", "Apply each band's gain, delay and polarity (acoustic view)"),
                true);
    Alignment->setToolTip(QCoreApplication::translate(
        "ExportDialog",
        "Gain and polarity multiply the taps; the delays, from the earliest band, are whole "
        "samples and a Kaiser-windowed sinc for the fraction. Clear it to export the pure "
        "crossover."));
    QStringList labels;
    for (const exporting::OptionChoice& choice : exporting::NormalizationChoices()) {
        labels << FromStd(choice.label);
    }
    Normalize = MakeChoice(QStringLiteral("Normalize"), labels);
    Normalize->setToolTip(QCoreApplication::translate(
        "ExportDialog",
        "One attenuation for every band, so that the largest peak or worst-case gain of the "
        "bands is 0 dB."));
    layout->addWidget(Alignment);
    layout->addWidget(new QLabel(QCoreApplication::translate("ExportDialog", "Normalize:")));
    layout->addWidget(Normalize);
    layout->addStretch();
    return row;
}

void ExportDialog::SetDesign(const dsp::CrossoverParameters& design) {
    design_ = design;
    figures_.clear();
    Refresh();
}

void ExportDialog::SetBandSettings(const acoustic::Settings& bands) {
    if (bands == bands_) {
        return;
    }
    bands_ = bands;
    Refresh();
}

void ExportDialog::Connect() {
    for (QCheckBox* box : findChildren<QCheckBox*>()) {
        connect(box, &QCheckBox::toggled, this, [this] { Refresh(); });
    }
    for (QComboBox* choice : findChildren<QComboBox*>()) {
        connect(choice, &QComboBox::currentIndexChanged, this, [this] { Refresh(); });
    }
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {  // the rates, folder, name, devices
        connect(edit, &QLineEdit::textChanged, this, [this] { Refresh(); });
    }
    connect(CountsRate, &QSpinBox::valueChanged, this, [this] { Refresh(); });
    connect(BrowseButton, &QPushButton::clicked, this, [this] { Browse(); });
    connect(ExportButton, &QPushButton::clicked, this, [this] { Export(); });
}

void ExportDialog::ShowSettings(const design_file::ExportSettings& settings) {
    for (const KindRow& row : KindRows) {
        const exporting::KindChoice& choice = settings.kinds.at(row.kind);
        const exporting::ExportKind& kind = exporting::ExportKinds()[row.kind];
        row.box->setChecked(choice.chosen);
        for (std::size_t o = 0; o < row.choices.size(); ++o) {
            if (row.choices[o] != nullptr) {
                row.choices[o]->setCurrentIndex(
                    static_cast<int>(kind.ChoiceIndex(choice.options, o)));
            } else {
                row.texts[o]->setText(FromStd(choice.options.at(o)));
            }
        }
    }
    QStringList others;
    for (const int32_t rate : settings.ratesHz) {
        const auto offered = std::find(kOfferedRates.begin(), kOfferedRates.end(), rate);
        if (offered == kOfferedRates.end()) {
            others << QString::number(rate);
        }
    }
    for (std::size_t i = 0; i < kOfferedRates.size(); ++i) {
        RateBoxes[i]->setChecked(std::find(settings.ratesHz.begin(), settings.ratesHz.end(),
                                           kOfferedRates[i]) != settings.ratesHz.end());
    }
    OtherRates->setText(others.join(','));
    CountsRate->setValue(settings.countsRateHz);
    Name->setText(FromStd(settings.name));
    Alignment->setChecked(settings.alignment);
    Normalize->setCurrentIndex(static_cast<int>(exporting::NormalizationNamed(settings.normalize)));
}

// An other rate that cannot be read is left out; while the dialog is open, its status says why.
design_file::ExportSettings ExportDialog::Settings() const {
    design_file::ExportSettings settings;
    for (const KindRow& row : KindRows) {
        exporting::KindChoice& choice = settings.kinds.at(row.kind);
        const exporting::ExportKind& kind = exporting::ExportKinds()[row.kind];
        choice.chosen = row.box->isChecked();
        for (std::size_t o = 0; o < row.choices.size(); ++o) {
            if (row.choices[o] != nullptr) {
                const auto index = static_cast<std::size_t>(row.choices[o]->currentIndex());
                choice.options.at(o) = std::string(kind.options[o].choices[index].name);
            } else {
                choice.options.at(o) = TextOfField(kind.options[o], row.texts[o],
                                                   startingKinds_.at(row.kind).options.at(o));
            }
        }
    }
    settings.ratesHz.clear();
    const auto add = [&rates = settings.ratesHz](int32_t rate) {
        if (std::find(rates.begin(), rates.end(), rate) == rates.end()) {
            rates.push_back(rate);
        }
    };
    for (std::size_t i = 0; i < kOfferedRates.size(); ++i) {
        if (RateBoxes[i]->isChecked()) {
            add(kOfferedRates[i]);
        }
    }
    for (const QString& item : OtherRates->text().split(',')) {
        try {
            add(exporting::ParseRates(item.trimmed().toStdString()).front());
        } catch (const exporting::ExportRequestError&) {
            continue;  // left out
        }
    }
    // A name that could not be exported is not kept either: a design file would be refused for it.
    const std::string typed = Name->text().toStdString();
    settings.name = !base::HasControlCharacter(typed) && exporting::IsOneFileName(typed)
                        ? typed
                        : startingName_;
    settings.countsRateHz = CountsRate->value();
    settings.alignment = Alignment->isChecked();
    settings.normalize = std::string(
        exporting::NormalizationChoices()[static_cast<std::size_t>(Normalize->currentIndex())]
            .name);
    return settings;
}

std::vector<int32_t> ExportDialog::Rates() const {
    std::vector<int32_t> rates;
    for (std::size_t i = 0; i < kOfferedRates.size(); ++i) {
        if (RateBoxes[i]->isChecked()) {
            rates.push_back(kOfferedRates[i]);
        }
    }
    const std::string other = OtherRates->text().trimmed().toStdString();
    if (!other.empty()) {
        for (int32_t rate : exporting::ParseRates(other)) {
            rates.push_back(rate);
        }
    }
    return rates;
}

// The free texts as typed (empty: the default), so that the plan says what is wrong with one.
exporting::ExportRequest ExportDialog::Request() const {
    const design_file::ExportSettings settings = Settings();
    exporting::KindChoices kinds = settings.kinds;
    for (const KindRow& row : KindRows) {
        const exporting::ExportKind& kind = exporting::ExportKinds()[row.kind];
        for (std::size_t o = 0; o < row.texts.size(); ++o) {
            if (row.texts[o] != nullptr) {
                const std::string typed = row.texts[o]->text().toStdString();
                kinds.at(row.kind).options.at(o) =
                    typed.empty() ? std::string(kind.options[o].defaultText) : typed;
            }
        }
    }
    exporting::ExportRequest request =
        exporting::RequestInFolder(kinds, Folder->text().toStdString(), Name->text().toStdString());
    request.alignment = {settings.alignment, bands_,
                         exporting::NormalizationNamed(settings.normalize), correction_};
    return request;
}

const ExportDialog::KindRow& ExportDialog::Row(std::string_view kindId) const {
    const std::size_t kind = exporting::KindIndex(kindId);
    const auto found = std::find_if(KindRows.begin(), KindRows.end(),
                                    [kind](const KindRow& row) { return row.kind == kind; });
    if (found == KindRows.end()) {
        throw std::invalid_argument("the dialog offers no " + std::string(kindId));
    }
    return *found;
}

ExportPlan ExportDialog::Plan(QString* problem) const {
    try {
        CheckTypedTexts(Folder, Name, OtherRates);
        const exporting::ExportRequest request = Request();
        if (!request.WritesAnything()) {
            throw exporting::ExportRequestError("Choose the files to write.");
        }
        if (Name->text().trimmed().isEmpty()) {
            throw exporting::ExportRequestError("Give the files a name.");
        }
        dsp::CrossoverParameters design = design_;
        design.sampleRateHz = CountsRate->value();
        return exporting::PlanExport(design, Rates(), request);
    } catch (const std::exception& error) {  // a request error, or counts beyond 32 bits
        *problem = QString::fromUtf8(error.what());
        return {};
    }
}

void ExportDialog::Refresh() {
    QString problem;
    const ExportPlan plan = Plan(&problem);
    ShowPlan(plan);
    ShowNotes(plan);
    ExportButton->setEnabled(!plan.rates.empty());
    Status->setText(problem);
}

// A row per rate with its counts and latency, and below it a line per file it writes; the
// fragment, one file for every rate, in a row of its own.
void ExportDialog::ShowPlan(const ExportPlan& plan) {
    Table->clear();
    const auto addFiles = [](QTreeWidgetItem* row, const std::vector<std::string>& files) {
        for (const std::string& file : files) {
            const QString path = QFileInfo(FromStd(file)).absoluteFilePath();
            auto* line = new QTreeWidgetItem(row, {"    " + QDir::toNativeSeparators(path)});
            line->setFirstColumnSpanned(true);
        }
        row->setExpanded(true);
    };
    for (const exporting::RatePlan& rate : plan.rates) {
        const dsp::CrossoverParameters& p = rate.parameters;
        auto* row = new QTreeWidgetItem(
            Table, {QString::number(p.sampleRateHz), QString::number(p.lowCount),
                    QString::number(p.midCount), QString::number(p.highCount),
                    QString::number(rate.latencySamples), QString::number(rate.latencyMs, 'f', 3)});
        const Figures& figures = FiguresOf(rate, plan.request.alignment);
        for (std::size_t band = 0; band < dsp::kCurveCount; ++band) {
            const bool sum = band == dsp::kSumCurve;
            const double samples = sum ? rate.latency.sumSamples : rate.latency.bandSamples[band];
            const auto gain = [&figures, band](const auto& gains) {
                return figures.known ? QString::number(gains[band], 'f', 2) : QStringLiteral("–");
            };
            new QTreeWidgetItem(row, {"  " + FromStd(dsp::kCurveNames[band].place),
                                      {},
                                      {},
                                      {},
                                      FromStd(exporting::SamplesText(samples)),
                                      QString::number(1000.0 * samples / p.sampleRateHz, 'f', 3),
                                      gain(figures.headroom.peakDb),
                                      gain(figures.headroom.worstCaseDb)});
        }
        addFiles(row, rate.files);
    }
    if (!plan.setFiles.empty()) {
        auto* row =
            new QTreeWidgetItem(Table, {QCoreApplication::translate("ExportDialog", "every rate")});
        row->setFirstColumnSpanned(true);
        addFiles(row, plan.setFiles);
    }
    for (int column = 0; column < Table->columnCount(); ++column) {
        Table->resizeColumnToContents(column);
    }
}

const ExportDialog::Figures& ExportDialog::FiguresOf(
    const exporting::RatePlan& rate, const exporting::ExportAlignment& alignment) const {
    const dsp::CrossoverParameters& p = rate.parameters;
    const auto same = [&p, &alignment](const Figures& f) {
        const dsp::CrossoverParameters& q = f.parameters;
        return f.alignment == alignment && q.sampleRateHz == p.sampleRateHz &&
               q.lowCount == p.lowCount && q.midCount == p.midCount && q.highCount == p.highCount &&
               q.lowCrossHz == p.lowCrossHz && q.midCrossLowHz == p.midCrossLowHz &&
               q.midCrossHighHz == p.midCrossHighHz && q.highCrossHz == p.highCrossHz &&
               q.attenuationDb == p.attenuationDb && q.adjustCoefficient == p.adjustCoefficient;
    };
    const auto found = std::find_if(figures_.begin(), figures_.end(), same);
    if (found != figures_.end()) {
        return *found;
    }
    Figures figures{p, alignment, false, {}, 0.0, exporting::Pcm24Note(nullptr), {}};
    // A design that takes long is not designed while the dialog is being filled in.
    constexpr double kLongestSeconds = 0.2;
    if (dsp::EstimatedCalculationSeconds(p) <= kLongestSeconds) {
        try {
            const exporting::ExportedRate exported =
                exporting::ExportRate(dsp::CalculateCrossover(p), alignment);
            figures.headroom = exported.headroom;
            figures.attenuationDb = exported.attenuationDb;
            figures.pcm24Note = exporting::Pcm24Note(&exported.design.taps);
            figures.correctionLines = exported.correctionLines;
            figures.known = true;
        } catch (const std::exception&) {
            figures.known = false;  // the export says why
        }
    }
    if (figures_.size() >= 64) {
        figures_.clear();  // the rates and alignments of long ago
    }
    figures_.push_back(figures);
    return figures_.back();
}

// What the export applies and what its taps can do, for the first rate (every rate has the same
// filters in time).
void ExportDialog::ShowNotes(const ExportPlan& plan) {
    if (plan.rates.empty()) {
        Notes->clear();
        return;
    }
    const exporting::ExportAlignment& alignment = plan.request.alignment;
    const exporting::RatePlan& first = plan.rates.front();
    const Figures& figures = FiguresOf(first, alignment);
    QStringList lines;
    lines << "Alignment: " + FromStd(exporting::AlignmentText(alignment, first.alignment));
    lines << "Normalization: " +
                 FromStd(
                     exporting::NormalizationText(alignment.normalization, figures.attenuationDb)) +
                 (plan.rates.size() > 1 ? QCoreApplication::translate("ExportDialog", " (at %1 Hz)")
                                              .arg(first.parameters.sampleRateHz)
                                        : QString());
    for (const std::string& line : figures.correctionLines) {
        lines << "Correction: " + FromStd(line);
    }
    if (figures.known && figures.headroom.CanClip()) {
        lines << "Warning: " + FromStd(exporting::ClipWarning());
    }
    const exporting::KindRequest& wav = plan.request.Kind("wav");
    if (!wav.name.empty() && plan.request.Option("wavFormat") == "pcm24") {
        lines << "Note: " + FromStd(figures.pcm24Note);
    }
    Notes->setText(lines.join('\n'));
}

bool ExportDialog::Export() {
    QString problem;
    const ExportPlan plan = Plan(&problem);
    if (plan.rates.empty()) {
        Status->setText(problem);
        return false;
    }
    std::optional<bool> written;  // none when the export failed
    runReportingErrors_([&] {
        written = guard_.Write(
            plan.AllFiles(), inputFiles_,
            [&plan](exporting::AtomicFileSet& set) { exporting::WriteExportRates(plan, set); });
    });
    if (!written) {
        Status->setText(
            QCoreApplication::translate("ExportDialog", "The export failed (see the message)."));
    } else if (!*written) {
        Status->setText(QCoreApplication::translate("ExportDialog", "Nothing was written."));
    }
    return written.value_or(false);
}

void ExportDialog::SayWritten(const QStringList& paths) {
    const QString folder = QDir::toNativeSeparators(Folder->text());
    Status->setText(paths.size() == 1
                        ? QCoreApplication::translate(
                              "ExportDialog", "Wrote 1 file to %1, as the table lists them.")
                              .arg(folder)
                        : QCoreApplication::translate(
                              "ExportDialog", "Wrote %1 files to %2, as the table lists them.")
                              .arg(paths.size())
                              .arg(folder));
}

void ExportDialog::Browse() {
    const QString folder = chooseFolder_(this, Folder->text());
    if (!folder.isEmpty()) {
        Folder->setText(folder);
    }
}

}  // namespace kc::app

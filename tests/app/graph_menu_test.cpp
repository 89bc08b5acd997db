// SPDX-License-Identifier: GPL-3.0-or-later
// The graph menu's copy, save and export items with the file dialog and the export dialog's
// questions replaced, and the readout tooltip of the graph.
#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QKeyCombination>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QTreeWidget>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "acoustic/correction.h"
#include "app/export_dialog.h"
#include "app/graph_view.h"
#include "app/transient_note.h"
#include "design_file/design_file.h"
#include "dsp/crossover.h"
#include "export/csv_export.h"
#include "form_fixture.h"
#include "graph/graph_readout.h"
#include "support/file_bytes.h"
#include "support/wav_file.h"

namespace kc::app {
namespace {

const char* const kMenuItems[] = {"CopyGraph", "SaveGraph", "ExportCoefficients", "ExportResponse"};

// One question the window asked of the file chooser.
struct Question {
    QString caption;
    QStringList filters;
};

class GraphMenuTest : public FormTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        form = std::make_unique<TForm1>(
            Recorder(),
            [this](QWidget*, const QString& caption, const QStringList& filters) {
                questions.push_back({caption, filters});
                ChosenFile chosen = answer;
                if (!chosen.path.isEmpty()) {
                    chosen.filter = filters.value(answerFilterIndex);
                }
                return chosen;
            },
            [this](QWidget*, const QString& caption, const QStringList& existing) {
                EXPECT_EQ(caption, form->Title());
                replaceQuestions.push_back(existing);
                return replaceAnswer;
            });
        // The export dialog asks the window's replace question above.
        form->Image1Menu().UseExportDialog(
            {nullptr, [](QWidget*, const QString& current) { return current; }},
            [this](ExportDialog& dialog) {
                ++dialogsRun;
                fillIn(dialog);
            });
    }

    QAction* Item(const char* name) const { return form->Image1Menu().Action(name); }

    void Calculate() {
        UseShortFilters();
        form->Button1->click();
        ASSERT_TRUE(reports.empty()) << reports.front().text;
    }

    // Makes the chooser answer with `name` in the test folder and the filter offered at
    // filterIndex.
    void Answer(const QString& name, int filterIndex = 0) {
        answer = {folder.filePath(name), QString()};
        answerFilterIndex = filterIndex;
    }

    void Choose(const char* item) {
        QAction* action = Item(item);
        ASSERT_NE(action, nullptr) << item;
        ASSERT_TRUE(action->isEnabled()) << item;
        action->trigger();
    }

    std::string ReadFile(const QString& name) const {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name.toStdString();
        return file.readAll().toStdString();
    }

    void WriteFile(const QString& name, const QByteArray& content) const {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
        file.write(content);
    }

    QTemporaryDir folder;
    ChosenFile answer;
    int answerFilterIndex = 0;
    std::vector<Question> questions;
    // The export dialog: what the user does in it (nothing: it is closed), and the one question it
    // may ask, whether to replace the files it names.
    std::function<void(ExportDialog&)> fillIn = [](ExportDialog&) {};
    int dialogsRun = 0;
    bool replaceAnswer = false;
    std::vector<QStringList> replaceQuestions;
};

// The items speak both languages as the window's captions do, in the window's font, and a
// disabled item says why.
TEST_F(GraphMenuTest, ItemsNeedAGraphOrACalculation) {
    const char* const texts[] = {"Copy graph", "Save graph as PNG…", "Export coefficients…",
                                 "Export response as CSV…"};
    EXPECT_EQ(form->Image1Menu().Menu()->font(), form->font());
    for (std::size_t i = 0; i < std::size(kMenuItems); ++i) {
        ASSERT_NE(Item(kMenuItems[i]), nullptr) << kMenuItems[i];
        EXPECT_EQ(Item(kMenuItems[i])->text().toStdString(), texts[i]);
        EXPECT_FALSE(Item(kMenuItems[i])->isEnabled()) << kMenuItems[i];
        EXPECT_EQ(Item(kMenuItems[i])->toolTip().toStdString(), "Calc first");
    }
    // A redraw before any calculation shows a graph of the all-zero store: it can be copied,
    // but there are no taps or responses to export.
    form->CheckBox1->click();
    EXPECT_TRUE(Item("CopyGraph")->isEnabled());
    EXPECT_TRUE(Item("SaveGraph")->isEnabled());
    EXPECT_FALSE(Item("ExportCoefficients")->isEnabled());
    EXPECT_FALSE(Item("ExportResponse")->isEnabled());
    // An export item left enabled by mistake still does nothing without a calculation.
    for (const char* item : {"ExportCoefficients", "ExportResponse"}) {
        Item(item)->setEnabled(true);
        Item(item)->trigger();
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_EQ(dialogsRun, 0);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());

    Calculate();
    for (const char* item : kMenuItems) {
        EXPECT_TRUE(Item(item)->isEnabled()) << item;
    }
}

// The Menu key and Shift+F10 open the menu wherever the focus is, a field included (whose own
// edit menu would otherwise take them); resting the pointer on a disabled item shows why.
TEST_F(GraphMenuTest, KeysOpenTheMenuAnywhereInTheWindow) {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    QMenu* menu = form->Image1Menu().Menu();
    // The tooltip that the menu shows for the item under the pointer; empty when none.
    const auto tooltipOver = [menu](QAction* item) {
        const QPoint middle = menu->actionGeometry(item).center();
        QHelpEvent help(QEvent::ToolTip, middle, menu->mapToGlobal(middle));
        QCoreApplication::sendEvent(menu, &help);
        const QString text = QToolTip::isVisible() ? QToolTip::text() : QString();
        QToolTip::hideText();
        return text.toStdString();
    };
    const std::pair<QWidget*, QKeyCombination> presses[] = {
        {form->Edit1, QKeyCombination(Qt::Key_Menu)},
        {form->Button1, QKeyCombination(Qt::ShiftModifier, Qt::Key_F10)},
        {form->CheckBox2, QKeyCombination(Qt::Key_Menu)},
    };
    for (const auto& [focused, keys] : presses) {
        SCOPED_TRACE(focused->objectName().toStdString());
        focused->setFocus();
        QTest::keyClick(focused, keys.key(), keys.keyboardModifiers());
        EXPECT_TRUE(menu->isVisible());
        menu->hide();
    }
    QTest::keyClick(form->Edit2, Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(tooltipOver(Item("CopyGraph")), "Calc first");
    menu->hide();

    // With a calculation the items say nothing more, and the first is active, so that Enter
    // chooses it.
    Calculate();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form->Edit2, Qt::Key_Menu);
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->activeAction(), Item("CopyGraph"));
    EXPECT_EQ(tooltipOver(Item("ExportResponse")), "");
    menu->hide();
}

// An export that would replace files asks once, naming every one of them; nothing is written
// unless the answer is yes. A finished export says in the window what it wrote.
// The export dialog's own question is tested with the dialog below.
TEST_F(GraphMenuTest, ExportsAskBeforeReplacingAndSayWhatTheyWrote) {
    Calculate();
    Answer("response");  // a new file needs no question; the note names it
    Choose("ExportResponse");
    EXPECT_TRUE(replaceQuestions.empty());
    EXPECT_TRUE(form->Note->isVisibleTo(form.get()));
    const QString written = "書き出しました  Wrote response.csv in " +
                            QDir::toNativeSeparators(QFileInfo(folder.path()).absoluteFilePath());
    EXPECT_EQ(form->Note->FullText(), written);

    WriteFile("response.csv", "old");
    Choose("ExportResponse");  // answered no: the file stays as it was
    ASSERT_EQ(replaceQuestions.size(), 1u);
    EXPECT_EQ(replaceQuestions[0], QStringList{folder.filePath("response.csv")});
    EXPECT_EQ(ReadFile("response.csv"), "old");

    replaceAnswer = true;
    Choose("ExportResponse");
    EXPECT_EQ(replaceQuestions.size(), 2u);
    EXPECT_EQ(ReadFile("response.csv"), exporting::ResponseCsv(form->Store()));
    EXPECT_TRUE(reports.empty());
}

TEST_F(GraphMenuTest, CopyAndSaveGiveTheGraphAreaAsShown) {
    Calculate();
    Choose("CopyGraph");
    const QImage copied = QGuiApplication::clipboard()->image();
    ASSERT_EQ(copied.size(), QSize(674, 370));
    // The image lies at (48, 200) of the client area, which the graph area starts at y = 190.
    const QImage& picture = form->Graph().Picture();
    EXPECT_EQ(copied.copy(48, 10, 593, 337).convertToFormat(QImage::Format_RGB32),
              picture.convertToFormat(QImage::Format_RGB32));

    Answer("graph");  // no extension: ".png" is added
    Choose("SaveGraph");
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0].caption.toStdString(), "Save graph as PNG");
    EXPECT_TRUE(questions[0].filters.value(0).endsWith("(*.png)"));
    const QImage saved(folder.filePath("graph.png"));
    EXPECT_EQ(saved.convertToFormat(QImage::Format_RGB32),
              copied.convertToFormat(QImage::Format_RGB32));
    EXPECT_TRUE(reports.empty());
}

TEST_F(GraphMenuTest, ResponseExportEqualsTheLibrarysCsv) {
    Calculate();
    Answer("response");
    Choose("ExportResponse");
    EXPECT_EQ(ReadFile("response.csv"), exporting::ResponseCsv(form->Store()));
    EXPECT_TRUE(reports.empty());
}

using testing_support::ReadWav;
using testing_support::WavFile;

std::vector<double> ReadDoubles(const QString& path) {
    const std::string bytes = testing_support::ReadBytes(path.toStdString());
    std::vector<double> values(bytes.size() / sizeof(double));
    std::memcpy(values.data(), bytes.data(), values.size() * sizeof(double));
    return values;
}

// Fills the export dialog in: the test folder, a name, CSV taps, 64-bit raw files and 48 000 Hz
// beside the 44 100 Hz of the design shown.
void AskForTwoRates(ExportDialog& d, const QString& folder) {
    d.Folder->setText(folder);
    d.Name->setText(QStringLiteral("xo-{rate}"));
    d.Wav->setChecked(false);
    d.TapsCsv->setChecked(true);
    d.Raw->setChecked(true);
    d.RawFormat->setCurrentIndex(1);   // 64-bit float (.dbl)
    d.RateBoxes[1]->setChecked(true);  // 48 000 Hz
}

TEST_F(GraphMenuTest, ExportDialogShowsEachRateThenWritesTheLibrarysFiles) {
    Calculate();  // 61, 41 and 21 taps
    QStringList table;
    QString status;
    fillIn = [&](ExportDialog& d) {
        AskForTwoRates(d, folder.path());
        for (int row = 0; row < d.Table->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = d.Table->topLevelItem(row);
            QStringList cells;
            for (int column = 0; column < 6; ++column) {
                cells << item->text(column);
            }
            for (int line = 0; line < item->childCount(); ++line) {
                if (item->child(line)->isFirstColumnSpanned()) {  // a file, not a band's figures
                    cells << item->child(line)->text(0).trimmed();
                }
            }
            table << cells.join(' ');
        }
        d.ExportButton->click();
        status = d.Status->text();
    };
    Choose("ExportCoefficients");
    ASSERT_EQ(dialogsRun, 1);
    // At 48 000 Hz the centres 30, 20, 10 times 48000/44100: 32.7 → 33, 21.8 → 22, 10.9 → 11, so
    // 67, 45 and 23 taps; latency 33 samples = 0.6875 ms.
    // Each file with its full path, so that the table shows where it goes.
    const auto in = [this](const QStringList& names) {
        QStringList paths;
        for (const QString& name : names) {
            paths << QDir::toNativeSeparators(folder.filePath(name));
        }
        return paths.join(' ');
    };
    EXPECT_EQ(
        table,
        QStringList({"44100 61 41 21 30 0.680 " + in({"xo-44100.csv", "xo-44100-low.dbl",
                                                      "xo-44100-mid.dbl", "xo-44100-high.dbl"}),
                     "48000 67 45 23 33 0.688 " + in({"xo-48000.csv", "xo-48000-low.dbl",
                                                      "xo-48000-mid.dbl", "xo-48000-high.dbl"})}));
    EXPECT_TRUE(status.startsWith("Wrote 8 files")) << status.toStdString();
    EXPECT_TRUE(replaceQuestions.empty());
    EXPECT_TRUE(reports.empty());
    // 44 100 Hz is the design on screen, bit for bit; 48 000 Hz the same cut-offs redesigned.
    EXPECT_EQ(ReadFile("xo-44100.csv"), exporting::TapsCsv(form->Taps()));
    EXPECT_EQ(ReadDoubles(folder.filePath("xo-44100-mid.dbl")), form->Taps().MidTaps);
    const dsp::CrossoverTaps at48k =
        dsp::DesignCrossover(dsp::AtSampleRate(form->DesignParameters(), 48000));
    EXPECT_EQ(ReadDoubles(folder.filePath("xo-48000-low.dbl")), at48k.LowTaps);
    EXPECT_EQ(ReadFile("xo-48000.csv"), exporting::TapsCsv(at48k));
}

// Every file of a folder and its bytes, by name.
std::map<QString, std::string> FolderFiles(const QString& path) {
    std::map<QString, std::string> files;
    for (const QString& name : QDir(path).entryList(QDir::Files)) {
        files[name] = testing_support::ReadBytes(QDir(path).filePath(name).toStdString());
    }
    return files;
}

// The dialog offers every engine's configuration and the devices, and writes what the command
// line writes for the same texts (which the export set makes of them: RequestOfNames).
TEST_F(GraphMenuTest, ExportDialogWritesTheEnginesConfigurationsAsTheCommandLine) {
    Calculate();
    QString refused;
    fillIn = [&](ExportDialog& d) {
        AskForTwoRates(d, folder.path());
        d.Wav->setChecked(true);
        for (const char* kind : {"camillaDsp", "bruteFir", "pipeWire", "equalizerApo"}) {
            d.Row(kind).box->setChecked(true);
        }
        d.findChild<QComboBox*>("CamillaDspVersion")->setCurrentIndex(2);  // version 2
        auto* capture = d.findChild<QLineEdit*>("Capture");
        capture->setText(QStringLiteral("hw:0"));
        refused = d.Status->text();
        EXPECT_FALSE(d.ExportButton->isEnabled());
        capture->setText(QStringLiteral("file:in.raw"));
        d.findChild<QLineEdit*>("Playback")->setText(QStringLiteral("alsa:hw:CARD=Six"));
        d.findChild<QLineEdit*>("PipeWireTarget")->setText(QStringLiteral("speakers"));
        d.ExportButton->click();
    };
    Choose("ExportCoefficients");
    EXPECT_EQ(refused.toStdString(), "The capture 'hw:0' must be alsa:DEVICE or file:PATH.");
    const std::map<QString, std::string> fromDialog = FolderFiles(folder.path());
    // 2 × (CSV, 3 WAV, 3 raw, CamillaDSP, BruteFIR), the drop-in and the include file.
    EXPECT_EQ(fromDialog.size(), 20u);
    for (const auto& entry : fromDialog) {
        QFile::remove(folder.filePath(entry.first));
    }

    std::vector<std::string> names(exporting::ExportKinds().size());
    const auto name = [&](const char* kind, const char* file) {
        names[exporting::KindIndex(kind)] = folder.filePath(file).toStdString();
    };
    name("tapsCsv", "xo-{rate}.csv");
    name("wav", "xo-{rate}");
    name("raw", "xo-{rate}");
    name("camillaDsp", "xo-{rate}.yml");
    name("bruteFir", "xo-{rate}-brutefir.conf");
    name("pipeWire", "xo-pipewire.conf");
    name("equalizerApo", "xo-equalizer-apo.txt");
    exporting::ExportRequest request =
        exporting::RequestOfNames(exporting::DefaultKindChoices(), names);
    request.Option("rawFormat") = "float64";
    request.Option("camillaDspVersion") = "2";
    request.Option("capture") = "file:in.raw";
    request.Option("playback") = "alsa:hw:CARD=Six";
    request.Option("pipeWireTarget") = "speakers";
    exporting::WriteExportSet(
        exporting::PlanExport(form->DesignParameters(), {44100, 48000}, request));
    const std::map<QString, std::string> fromLibrary = FolderFiles(folder.path());
    ASSERT_EQ(fromLibrary.size(), fromDialog.size());
    for (const auto& [file, bytes] : fromDialog) {
        const auto other = fromLibrary.find(file);
        ASSERT_NE(other, fromLibrary.end()) << file.toStdString();
        EXPECT_TRUE(other->second == bytes) << file.toStdString();  // byte for byte
    }
}

// The acoustic view's settings go into what the dialog exports, and its table says so; cleared,
// the box exports the pure crossover.
TEST_F(GraphMenuTest, ExportDialogAppliesTheAcousticViewsBandSettings) {
    Calculate();  // 61, 41 and 21 taps
    form->Session().Edit([](design_file::Design& d) {
        d.acoustic[2].band = {-6.0, 0.0, true};  // the high band 6 dB down, inverted
        d.acoustic[0].band.delayMs = 1.0;        // 44.1 samples: a fraction through the sinc
    });
    QStringList bandRows;
    QString notes;
    QString laterNotes;
    bool boxChecked = false;
    fillIn = [&](ExportDialog& d) {
        boxChecked = d.Alignment->isChecked();
        AskForTwoRates(d, folder.path());
        d.RateBoxes[1]->setChecked(false);
        const QTreeWidgetItem* rate = d.Table->topLevelItem(0);
        for (int line = 0; line < 4; ++line) {
            bandRows << rate->child(line)->text(0).trimmed() + " " + rate->child(line)->text(4);
        }
        notes = d.Notes->text();
        d.ExportButton->click();
        d.Alignment->setChecked(false);
        d.Name->setText(QStringLiteral("pure-{rate}"));
        d.ExportButton->click();
        // The normalisation and 24-bit PCM are said before anything is written.
        d.Normalize->setCurrentIndex(2);  // worst case
        d.Wav->setChecked(true);
        d.WavFormat->setCurrentIndex(2);  // 24-bit PCM
        laterNotes = d.Notes->text();
    };
    Choose("ExportCoefficients");
    // 30 samples of the crossover, 32 of the fractional-delay filter, 44.1 of the low band's delay.
    EXPECT_TRUE(boxChecked);
    EXPECT_EQ(bandRows, QStringList({"low band 106.100", "mid band 62", "high band 62", "sum 62"}));
    EXPECT_TRUE(notes.contains("high -6.0 dB 0.000 ms inverted")) << notes.toStdString();
    const std::vector<double> high = ReadDoubles(folder.filePath("xo-44100-high.dbl"));
    const std::vector<double> crossoverHigh = form->Taps().HighTaps;
    ASSERT_EQ(high.size(), crossoverHigh.size() + 64 + 44);
    const double gain = -std::pow(10.0, -6.0 / 20.0);
    for (std::size_t n = 0; n < crossoverHigh.size(); ++n) {  // the mid and high bands: 32 later
        EXPECT_NEAR(high[n + 32], gain * crossoverHigh[n], 1e-15) << n;
    }
    EXPECT_EQ(ReadDoubles(folder.filePath("pure-44100-high.dbl")), crossoverHigh);
    EXPECT_TRUE(laterNotes.contains("Normalization: worst-case, -")) << laterNotes.toStdString();
    EXPECT_TRUE(laterNotes.contains("24-bit PCM rounds every tap")) << laterNotes.toStdString();
    EXPECT_TRUE(reports.empty());
}

// With the bands corrected in the acoustic view, the dialog writes the corrected taps: each band
// the crossover convolved with its correction, as the view shows them, and says so in its notes.
TEST_F(GraphMenuTest, ExportDialogWritesTheCorrectedBands) {
    Calculate();  // 61, 41 and 21 taps
    const char* names[] = {"woofer.frd", "midrange.frd", "tweeter.frd"};
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        form->Session().SetDriverFile(static_cast<dsp::Band>(b),
                                      QStringLiteral(KC_DRIVER_EXAMPLES "/") + names[b]);
    }
    form->Session().Edit([](design_file::Design& d) { d.correction.bands = {true, true, true}; });
    QString notes;
    fillIn = [&](ExportDialog& d) {
        AskForTwoRates(d, folder.path());
        d.RateBoxes[1]->setChecked(false);
        notes = d.Notes->text();
        d.ExportButton->click();
    };
    Choose("ExportCoefficients");
    const acoustic::Correction correction{
        design_file::CorrectionOf(form->Session().Design()),
        std::make_shared<const acoustic::Drivers>(form->Session().Drivers())};
    const acoustic::CorrectedDesign expected =
        acoustic::CorrectDesign(*form->Session().Result(), correction);
    EXPECT_EQ(ReadDoubles(folder.filePath("xo-44100-low.dbl")), expected.taps.LowTaps);
    EXPECT_EQ(ReadDoubles(folder.filePath("xo-44100-high.dbl")), expected.taps.HighTaps);
    EXPECT_NE(expected.taps.HighTaps.size(), form->Taps().HighTaps.size());
    EXPECT_TRUE(notes.contains("Correction: target")) << notes.toStdString();
    EXPECT_TRUE(reports.empty());
}

// Counts meant at 48 000 Hz: that rate keeps them, 44 100 Hz scales the centres 30, 20, 10 by
// 44100/48000 (27.6 → 28, 18.4 → 18, 9.2 → 9); the next opening keeps the setting.
TEST_F(GraphMenuTest, TapCountsRateKeepsItsCountsAndScalesTheOthers) {
    Calculate();  // 61, 41 and 21 taps
    QStringList counts;
    fillIn = [&](ExportDialog& d) {
        AskForTwoRates(d, folder.path());
        d.CountsRate->setValue(48000);
        for (int row = 0; row < d.Table->topLevelItemCount(); ++row) {
            const QTreeWidgetItem* item = d.Table->topLevelItem(row);
            counts << item->text(0) + ' ' + item->text(1) + ' ' + item->text(2) + ' ' +
                          item->text(3);
        }
    };
    Choose("ExportCoefficients");
    EXPECT_EQ(counts, QStringList({"44100 57 37 19", "48000 61 41 21"}));
    int reopenedAt = 0;
    fillIn = [&](ExportDialog& d) { reopenedAt = d.CountsRate->value(); };
    Choose("ExportCoefficients");
    EXPECT_EQ(reopenedAt, 48000);
}

TEST_F(GraphMenuTest, ReplacingFilesAsksOnceNamingThemAll) {
    Calculate();
    for (const char* name : {"xo-44100.csv", "xo-48000-high.dbl"}) {
        std::ofstream(folder.filePath(name).toStdString()) << "old";
    }
    QString status;
    fillIn = [&](ExportDialog& d) {
        AskForTwoRates(d, folder.path());
        d.ExportButton->click();
        status = d.Status->text();
    };
    Choose("ExportCoefficients");  // answered no: nothing is written
    ASSERT_EQ(replaceQuestions.size(), 1u);
    EXPECT_EQ(replaceQuestions[0],
              QStringList({folder.filePath("xo-44100.csv"), folder.filePath("xo-48000-high.dbl")}));
    EXPECT_EQ(status.toStdString(), "Nothing was written.");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 2);
    EXPECT_EQ(ReadFile("xo-44100.csv"), "old");

    replaceAnswer = true;
    Choose("ExportCoefficients");
    EXPECT_EQ(replaceQuestions.size(), 2u);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files).size(), 8);
    EXPECT_EQ(ReadFile("xo-44100.csv"), exporting::TapsCsv(form->Taps()));
    EXPECT_TRUE(reports.empty());
}

TEST_F(GraphMenuTest, ExportDialogRefusesWhatItCannotWrite) {
    Calculate();
    fillIn = [&](ExportDialog& d) {
        AskForTwoRates(d, folder.path());
        d.Name->setText(QStringLiteral("xo"));  // two rates, one name
        EXPECT_FALSE(d.ExportButton->isEnabled());
        EXPECT_TRUE(d.Status->text().contains("{rate}")) << d.Status->text().toStdString();
        EXPECT_EQ(d.Table->topLevelItemCount(), 0);
        d.Name->setText(QStringLiteral("xo-{rate}"));
        d.OtherRates->setText(QStringLiteral("96 kHz"));
        EXPECT_FALSE(d.ExportButton->isEnabled());
        d.OtherRates->setText(QStringLiteral("96000"));
        EXPECT_TRUE(d.ExportButton->isEnabled());
        EXPECT_EQ(d.Table->topLevelItemCount(), 3);
        d.Folder->setText(folder.filePath("missing-folder"));
        d.ExportButton->click();
        EXPECT_EQ(d.Status->text().toStdString(), "The export failed (see the message).");
    };
    Choose("ExportCoefficients");
    ASSERT_EQ(reports.size(), 1u);  // the window's error report names the first file
    EXPECT_NE(reports[0].text.find(folder.filePath("missing-folder/xo-44100.csv").toStdString()),
              std::string::npos)
        << reports[0].text;
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(GraphMenuTest, WriteFailureIsReportedNamingTheFile) {
    Calculate();
    for (const char* item : {"SaveGraph", "ExportResponse"}) {
        SCOPED_TRACE(item);
        reports.clear();
        Answer("missing-folder/out.dat");
        Choose(item);
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].caption, form->Title().toStdString());
        // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on the chained operator+.
        std::string named = "'";
        named += answer.path.toStdString();
        named += "' を書き込めません: ";
        EXPECT_EQ(reports[0].text.rfind(named, 0), 0u) << reports[0].text;
        EXPECT_EQ(reports[0].text.back(), '.');
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
}

TEST_F(GraphMenuTest, CancelledDialogWritesNothing) {
    Calculate();
    answer = {};
    fillIn = [this](ExportDialog& d) { d.Folder->setText(folder.path()); };  // then closed
    for (const char* item : {"SaveGraph", "ExportCoefficients", "ExportResponse"}) {
        Choose(item);
    }
    EXPECT_EQ(questions.size(), 2u);
    EXPECT_EQ(dialogsRun, 1);
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
    EXPECT_TRUE(reports.empty());
}

using GraphReadoutTest = FormTest;

std::string FirstLine(const QString& text) {
    return text.section('\n', 0, 0).toStdString();
}

TEST_F(GraphReadoutTest, ShowsNothingBeforeTheFirstCalculation) {
    form->CheckBox2->click();  // a graph of the all-zero store is shown
    EXPECT_TRUE(form->ReadoutAt(395).isEmpty());
    QHelpEvent help(QEvent::ToolTip, QPoint(395, 100), form->Image1->mapToGlobal(QPoint(395, 100)));
    QCoreApplication::sendEvent(form->Image1, &help);
    EXPECT_FALSE(QToolTip::isVisible());
}

TEST_F(GraphReadoutTest, FollowsTheFrequencyAxisOfTheGraphShown) {
    UseShortFilters();
    form->Button1->click();
    ASSERT_TRUE(reports.empty());
    // Logarithmic axis: 1000 Hz lies in column 395.
    EXPECT_EQ(form->ReadoutAt(395).toStdString(), graph::ReadoutText(form->Store(), 500, true));
    QHelpEvent help(QEvent::ToolTip, QPoint(395, 100), form->Image1->mapToGlobal(QPoint(395, 100)));
    QCoreApplication::sendEvent(form->Image1, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(FirstLine(QToolTip::text()), "1000 Hz");
    QToolTip::hideText();

    // Linear axis: 1000 Hz in column 59; column 395 now holds 6660 Hz.
    form->CheckBox1->click();
    EXPECT_EQ(FirstLine(form->ReadoutAt(59)), "1000 Hz");
    EXPECT_EQ(FirstLine(form->ReadoutAt(395)), "6660 Hz");

    // The linear amplitude axis shows magnitudes, and so does the readout.
    EXPECT_EQ(form->ReadoutAt(59).toStdString(), graph::ReadoutText(form->Store(), 500, true));
    form->CheckBox2->click();
    EXPECT_EQ(form->ReadoutAt(59).toStdString(), graph::ReadoutText(form->Store(), 500, false));

    // A redraw that fails leaves the linear graph on screen; the readout stays with it.
    form->Edit5->setText("abc");
    form->CheckBox1->click();
    form->CheckBox2->click();
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(form->ReadoutAt(59).toStdString(), graph::ReadoutText(form->Store(), 500, false));
}

}  // namespace
}  // namespace kc::app

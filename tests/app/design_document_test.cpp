// SPDX-License-Identifier: GPL-3.0-or-later
// Design files in the window: saving and reopening gives the same texts and the same calculation,
// opening fills the fields and calculates, a refused file changes nothing, closing or replacing a
// changed design asks first, and a design file dropped on the window opens. The dialogs answer
// as the tests say.
#include <sys/stat.h>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QDoubleSpinBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QUrl>
#include <algorithm>
#include <bit>
#include <cstdint>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/design_document.h"
#include "design_file/design_file.h"
#include "form_fixture.h"
#include "support/file_bytes.h"

namespace kc::app {
namespace {

using design_file::Design;

// Whether two runs of doubles are the same bit for bit (-0.0 is not 0.0 here).
template <class Doubles>
bool SameBits(const Doubles& a, const Doubles& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](double x, double y) {
        return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(y);
    });
}

bool SameBits(const dsp::ResponseStore& a, const dsp::ResponseStore& b) {
    return SameBits(a.LowMag, b.LowMag) && SameBits(a.MidMag, b.MidMag) &&
           SameBits(a.HighMag, b.HighMag) && SameBits(a.SumMag, b.SumMag) &&
           SameBits(a.LowDb, b.LowDb) && SameBits(a.MidDb, b.MidDb) &&
           SameBits(a.HighDb, b.HighDb) && SameBits(a.SumDb, b.SumDb);
}

class DesignDocumentTest : public FormTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder.isValid());
        form = MakeForm();
    }

    // A window whose file dialogs and save question answer from the members below.
    std::unique_ptr<TForm1> MakeForm() {
        DesignDialogs dialogs;
        dialogs.chooseOpen = [this](QWidget*, const QString&, const QStringList& filters) {
            openQuestions.push_back(filters.value(0));
            return ChosenFile{openAnswer, filters.value(0)};
        };
        dialogs.askSave = [this](QWidget*, const QString& fileName) {
            saveQuestions.push_back(fileName);
            return saveAnswer;
        };
        dialogs.askCalculate = [this](QWidget*, const QString& fileName, const QString& cost) {
            calculateQuestions.push_back(fileName + ": " + cost);
            return false;
        };
        FileNameChooser saveAs = [this](QWidget*, const QString& caption, const QStringList& f) {
            saveAsQuestions.push_back(caption + " " + f.join(';'));
            return ChosenFile{saveAsAnswer, f.value(0)};
        };
        ReplaceQuestion replace = [this](QWidget*, const QString&, const QStringList& existing) {
            replaceQuestions.push_back(existing);
            return false;
        };
        return std::make_unique<TForm1>(Recorder(), saveAs, replace, dialogs);
    }

    QString Path(const char* name) const { return folder.filePath(QString::fromLatin1(name)); }

    static void Choose(TForm1& window, const char* item) {
        QAction* action = window.Image1Menu().Action(item);
        ASSERT_NE(action, nullptr) << item;
        action->trigger();
    }
    void SaveAs(TForm1& window, const QString& path) {
        saveAsAnswer = path;
        Choose(window, "SaveDesignAs");
    }
    void Open(TForm1& window, const QString& path) {
        openAnswer = path;
        Choose(window, "OpenDesign");
    }
    // Writes `design` as a design file, with short filters unless it says otherwise.
    QString WriteDesign(const char* name, const Design& design) const {
        design_file::WriteDesignFile(Path(name).toStdString(), design);
        return Path(name);
    }
    // Runs the graph menu's export dialog, which `use` fills in before it closes.
    static void ExportDialogThen(TForm1& window, const std::function<void(ExportDialog&)>& use) {
        window.Image1Menu().UseExportDialog(
            {nullptr, [](QWidget*, const QString& current) { return current; }}, use);
        Choose(window, "ExportCoefficients");
    }
    static Design ShortDesign() {
        Design design;
        design.crossover.lowTaps = "61";
        design.crossover.midTaps = "41";
        design.crossover.highTaps = "21";
        return design;
    }

    QTemporaryDir folder;
    QString openAnswer;
    QString saveAsAnswer;
    SaveChoice saveAnswer = SaveChoice::Cancel;
    std::vector<QString> openQuestions;
    std::vector<QString> saveQuestions;
    std::vector<QString> saveAsQuestions;
    std::vector<QStringList> replaceQuestions;  // each answered No
    std::vector<QString> calculateQuestions;    // each answered No
};

struct RoundTrip {
    const char* what;
    std::function<void(TForm1&)> type;  // what the user typed and clicked before Calc
};

TEST_F(DesignDocumentTest, SavedAndReopenedDesignGivesTheSameTextsAndCalculation) {
    const RoundTrip rows[] = {
        {"initial design", [](TForm1&) {}},
        {"adjusted, coupled",
         [](TForm1& w) {
             w.Edit1->setText("60");
             w.Edit5->setText("250");
             w.Edit4->setText("2500");
             w.CheckBox3->click();
         }},
        {"texts as typed, linear axes",
         [](TForm1& w) {
             w.Edit1->setText("  60");
             w.Edit9->setText("$29");
             w.Edit10->setText("x15");
             w.Edit2->setText("+300");
             w.Edit6->setText("1.5e2");
             w.Edit7->setText(" 900 ");
             w.CheckBox1->click();
             w.CheckBox2->click();
         }},
        {"another attenuation",
         [](TForm1& w) {
             w.Edit1->setText("61");
             w.Edit8->setText("100");
         }},
        {"failing calculation", [](TForm1& w) { w.Edit9->setText("abc"); }},
    };
    for (const RoundTrip& row : rows) {
        SCOPED_TRACE(row.what);
        reports.clear();
        std::unique_ptr<TForm1> saved = MakeForm();
        row.type(*saved);
        saved->Button1->click();
        QFile::remove(Path("round.kcx"));  // the previous row's: replacing it would ask
        SaveAs(*saved, Path("round.kcx"));
        std::unique_ptr<TForm1> reopened = MakeForm();
        Open(*reopened, Path("round.kcx"));

        EXPECT_EQ(DesignShown(*reopened), DesignShown(*saved));
        ASSERT_EQ(reopened->HasCalculation(), saved->HasCalculation());
        const dsp::CrossoverTaps& a = saved->Taps();
        const dsp::CrossoverTaps& b = reopened->Taps();
        EXPECT_TRUE(SameBits(a.LowTaps, b.LowTaps) && SameBits(a.MidTaps, b.MidTaps) &&
                    SameBits(a.HighTaps, b.HighTaps) && SameBits(a.SumTaps, b.SumTaps));
        EXPECT_TRUE(SameBits(saved->Store(), reopened->Store()));
        EXPECT_EQ(Text(reopened->Label21), Text(saved->Label21));
        EXPECT_EQ(reopened->Graph().Picture(), saved->Graph().Picture());
        // A calculation that fails fails alike, once in each window.
        if (!saved->HasCalculation()) {
            ASSERT_EQ(reports.size(), 2u);
            EXPECT_EQ(reports[1].text, reports[0].text);
        } else {
            EXPECT_TRUE(reports.empty()) << reports.front().text;
        }
    }
}

// The export dialog's settings, the time window's view and the acoustic view's drivers, gains,
// delays and polarities are saved and reopened; a change of one alone is a change of the design.
TEST_F(DesignDocumentTest, ExportTimeAndAcousticSettingsAreSavedAndReopened) {
    ASSERT_TRUE(QDir(folder.path()).mkpath("drivers"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(KC_DRIVER_EXAMPLES) + "/woofer.frd",
                            Path("drivers/woofer.frd")));
    std::unique_ptr<TForm1> saved = MakeForm();
    saved->Button1->click();
    ExportDialogThen(*saved, [](ExportDialog& d) {
        d.Frd->setChecked(true);
        d.FrdPhase->setCurrentIndex(1);
        d.RateBoxes[1]->setChecked(true);
        d.OtherRates->setText("32000, x");  // the rate that cannot be read is left out
        d.Name->setText("mine-{rate}");
    });
    TimeResponseWindow& time = saved->CreatedTimeResponse();
    time.findChild<QSpinBox*>("Threshold")->setValue(90);
    time.findChild<QRadioButton*>("Step")->setChecked(true);
    time.Acoustic().LoadDriver(acoustic::Band::Low, Path("drivers/woofer.frd"));
    time.Acoustic().findChild<QDoubleSpinBox*>("GainMid")->setValue(-3.5);
    time.Acoustic().findChild<QCheckBox*>("InvertHigh")->setChecked(true);
    SaveAs(*saved, Path("settings.kcx"));

    std::unique_ptr<TForm1> reopened = MakeForm();
    Open(*reopened, Path("settings.kcx"));
    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_EQ(DesignShown(*reopened), DesignShown(*saved));
    ASSERT_NE(reopened->TimeResponse(), nullptr);
    EXPECT_FALSE(reopened->TimeResponse()->isVisible());  // set, not opened
    EXPECT_EQ(reopened->TimeResponse()->Kind(), dsp::TimeSeriesKind::Step);
    EXPECT_EQ(reopened->TimeResponse()->ThresholdDb(), 90);
    EXPECT_EQ(Text(reopened->TimeResponse()->findChild<QLabel*>("Figures")),
              Text(time.findChild<QLabel*>("Figures")));
    EXPECT_EQ(reopened->TimeResponse()->Acoustic().Response().sum, time.Acoustic().Response().sum);
    design_file::ExportSettings offered;
    ExportDialogThen(*reopened, [&offered](ExportDialog& d) { offered = d.Settings(); });
    EXPECT_EQ(offered, saved->Image1Menu().ExportChoices());
    EXPECT_EQ(offered.ratesHz, (std::vector<int32_t>{44100, 48000, 32000}));
    EXPECT_EQ(offered.name, "mine-{rate}");

    EXPECT_FALSE(reopened->Document().Changed());
    ExportDialogThen(*reopened, [](ExportDialog& d) { d.Raw->setChecked(true); });
    EXPECT_TRUE(reopened->Document().Changed());
    Open(*reopened, Path("settings.kcx"));  // answered Cancel: the change stays
    EXPECT_EQ(saveQuestions, std::vector<QString>{"settings.kcx"});
    saveAnswer = SaveChoice::Discard;
    Open(*reopened, Path("settings.kcx"));
    EXPECT_FALSE(reopened->Document().Changed());
    reopened->TimeResponse()->findChild<QSpinBox*>("Threshold")->setValue(100);
    EXPECT_TRUE(reopened->Document().Changed());
}

// A driver file that cannot be loaded is reported; the rest of the design opens, and saving keeps
// the file's name.
TEST_F(DesignDocumentTest, DriverThatCannotBeLoadedIsReportedAndTheRestOpens) {
    Design design = ShortDesign();
    design.acoustic[0].driverFile = Path("gone.frd").toStdString();
    design.acoustic[2] = {KC_DRIVER_EXAMPLES "/tweeter.frd", {-2.0, 0.5, true}};
    design.time.preRingingDb = 100;
    Open(*form, WriteDesign("partial.kcx", design));

    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text, "gone.frd: cannot be read (No such file or directory)");
    EXPECT_TRUE(form->HasCalculation());
    EXPECT_EQ(form->Document().FileName(), "partial.kcx");
    EXPECT_FALSE(form->Document().Changed());
    const AcousticView& view = form->TimeResponse()->Acoustic();
    EXPECT_FALSE(view.Model().Driver(acoustic::Band::Low).has_value());
    EXPECT_TRUE(view.Model().Driver(acoustic::Band::High).has_value());
    EXPECT_EQ(Text(view.findChild<QLabel*>("DriverNameLow")), "gone.frd (not loaded)");
    EXPECT_EQ(form->TimeResponse()->ThresholdDb(), 100);
    Choose(*form, "SaveDesign");
    EXPECT_EQ(design_file::ReadDesignFile(Path("partial.kcx").toStdString()), design);
}

TEST_F(DesignDocumentTest, OpeningFillsTheFieldsAsSavedThenCalculates) {
    // Written by hand: the outer cut-offs differ from the band-pass edges although coupled.
    Design design = ShortDesign();
    design.crossover = {"60", "41", "21", "100", "250", "2500", "9000", "144", true};
    design.estimate.stopBand = "1200";
    design.graph.logFrequency = false;
    Open(*form, WriteDesign("hand.kcx", design));

    ASSERT_TRUE(reports.empty()) << reports.front().text;
    EXPECT_EQ(openQuestions, std::vector<QString>{DesignFileFilter()});
    EXPECT_EQ(Text(form->Edit1), "61");  // Calc ran and wrote the odd count back
    EXPECT_EQ(Text(form->Edit2), "100");
    EXPECT_EQ(Text(form->Edit3), "9000");
    EXPECT_TRUE(form->Edit2->isReadOnly());
    EXPECT_EQ(Text(form->Edit7), "1200");
    EXPECT_FALSE(form->CheckBox1->isChecked());
    EXPECT_TRUE(form->GraphShown());
    dsp::CrossoverParameters p;
    p.lowCount = 61;
    p.midCount = 41;
    p.highCount = 21;
    p.midCrossLowHz = 250;
    p.midCrossHighHz = 2500;
    p.adjustCoefficient = true;
    EXPECT_TRUE(SameBits(form->Taps().MidTaps, dsp::CalculateCrossover(p).taps.MidTaps));
    EXPECT_EQ(form->Image1Menu().Action("SaveDesign")->text().toStdString(),
              "Save design (hand.kcx)");
    EXPECT_FALSE(form->Document().Changed());  // the written-back count is no change
}

TEST_F(DesignDocumentTest, RefusedFileIsReportedAndChangesNothing) {
    form->Edit7->setText("1000");
    const Design before = DesignShown(*form);
    QFile file(Path("broken.kcx"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(
        "{\n  \"format\": \"kaiser-crossover-design\",\n  \"version\": 1,\n  \"crossover\": "
        "{\"lowTaps\": 61,\n");
    file.close();
    Open(*form, Path("broken.kcx"));

    ASSERT_EQ(reports.size(), 1u);
    // Cut short after its fourth line: the parser stops at the end, on line 5.
    EXPECT_EQ(reports[0].text,
              "'" + Path("broken.kcx").toStdString() +
                  "' を読み込めません: not valid JSON at line 5: syntax error while "
                  "parsing object key - unexpected end of input; expected string "
                  "literal.");
    EXPECT_EQ(DesignShown(*form), before);
    EXPECT_FALSE(form->HasCalculation());
    EXPECT_TRUE(form->Document().Path().isEmpty());
}

struct CloseCase {
    const char* what;
    bool opened;        // a design file was opened
    bool changed;       // and a field changed since
    SaveChoice answer;  // the answer to the save question
    bool asked;
    bool closed;
    const char* stopBandInFile;
};

TEST_F(DesignDocumentTest, ClosingAsksOnlyForAChangedDesignFile) {
    const CloseCase cases[] = {
        {"no design file", false, true, SaveChoice::Cancel, false, true, "900"},
        {"unchanged", true, false, SaveChoice::Cancel, false, true, "900"},
        {"cancel", true, true, SaveChoice::Cancel, true, false, "900"},
        {"discard", true, true, SaveChoice::Discard, true, true, "900"},
        {"save", true, true, SaveChoice::Save, true, true, "1000"},
    };
    for (const CloseCase& row : cases) {
        SCOPED_TRACE(row.what);
        const QString path = WriteDesign("close.kcx", ShortDesign());
        form = MakeForm();
        saveQuestions.clear();
        if (row.opened) {
            Open(*form, path);
        }
        if (row.changed) {
            form->Edit7->setText("1000");
        }
        saveAnswer = row.answer;
        EXPECT_EQ(form->close(), row.closed);
        EXPECT_EQ(saveQuestions,
                  row.asked ? std::vector<QString>{"close.kcx"} : std::vector<QString>{});
        EXPECT_EQ(design_file::ReadDesignFile(path.toStdString()).estimate.stopBand,
                  row.stopBandInFile);
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(DesignDocumentTest, OpeningOverAChangedDesignAsksFirst) {
    Open(*form, WriteDesign("first.kcx", ShortDesign()));
    form->Edit7->setText("1000");
    saveAnswer = SaveChoice::Cancel;
    Open(*form, WriteDesign("second.kcx", Design{}));
    EXPECT_EQ(saveQuestions, std::vector<QString>{"first.kcx"});
    EXPECT_EQ(openQuestions.size(), 1u);  // the open dialog of the first file only
    EXPECT_EQ(Text(form->Edit7), "1000");
    EXPECT_EQ(form->Document().FileName(), "first.kcx");
}

TEST_F(DesignDocumentTest, SaveAsksForAFileOnceThenWritesThere) {
    EXPECT_EQ(form->Image1Menu().Action("OpenDesign")->shortcut(), QKeySequence("Ctrl+O"));
    EXPECT_EQ(form->Image1Menu().Action("SaveDesign")->shortcut(), QKeySequence("Ctrl+S"));
    saveAsAnswer = Path("mine");  // no extension: ".kcx" is added
    Choose(*form, "SaveDesign");
    EXPECT_EQ(saveAsQuestions,
              std::vector<QString>{"Save design as Kaiser Crossover design (*.kcx)"});
    EXPECT_EQ(design_file::ReadDesignFile(Path("mine.kcx").toStdString()), Design{});
    EXPECT_EQ(form->Image1Menu().Action("SaveDesign")->text().toStdString(),
              "Save design (mine.kcx)");

    form->Edit6->setText("250");
    EXPECT_TRUE(form->Document().Changed());
    Choose(*form, "SaveDesign");
    EXPECT_EQ(saveAsQuestions.size(), 1u);
    EXPECT_EQ(design_file::ReadDesignFile(Path("mine.kcx").toStdString()).estimate.passBand, "250");
    EXPECT_FALSE(form->Document().Changed());
    EXPECT_TRUE(replaceQuestions.empty());  // saving to the design's own file asks nothing

    // Saving as another existing file asks first; answered No, that file stays as it was.
    const QString other = WriteDesign("other.kcx", ShortDesign());
    SaveAs(*form, other);
    ASSERT_EQ(replaceQuestions.size(), 1u);
    EXPECT_EQ(replaceQuestions[0], QStringList{other});
    EXPECT_EQ(design_file::ReadDesignFile(other.toStdString()), ShortDesign());
    EXPECT_EQ(form->Document().FileName(), "mine.kcx");

    // A failed write is reported naming the file, and the design file stays the old one.
    SaveAs(*form, Path("missing-folder/other.kcx"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].text.rfind(
                  "'" + Path("missing-folder/other.kcx").toStdString() + "' を書き込めません: ", 0),
              0u)
        << reports[0].text;
    EXPECT_EQ(form->Document().FileName(), "mine.kcx");
}

TEST_F(DesignDocumentTest, DesignFileDroppedOnTheWindowOrAFieldOpens) {
    const QString path = WriteDesign("dropped.KCX", ShortDesign());
    const QString other = Path("notes.odt");
    for (const QString& file : {other, path}) {
        SCOPED_TRACE(file.toStdString());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        data.setText(QUrl::fromLocalFile(file).toString());  // as file managers also offer
        for (QWidget* target :
             {static_cast<QWidget*>(form.get()), static_cast<QWidget*>(form->Edit1)}) {
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &data, Qt::LeftButton,
                                  Qt::NoModifier);
            enter.ignore();
            QCoreApplication::sendEvent(target, &enter);
            if (file == path) {
                EXPECT_TRUE(enter.isAccepted());
            } else if (target == form.get()) {
                EXPECT_FALSE(enter.isAccepted());  // the field itself takes the text, as always
            }
        }
        if (file == path) {
            QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(form->Edit1, &drop);
            EXPECT_EQ(Text(form->Edit1), "901");  // opened once the drop has ended
            QCoreApplication::sendPostedEvents();
        }
    }
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(Text(form->Edit1), "61");
    EXPECT_EQ(form->Document().FileName(), "dropped.KCX");
    EXPECT_TRUE(form->HasCalculation());
}

struct HostileDesign {
    const char* what;
    std::string exportSection;  // the file's "export" object, or empty
    std::string crossoverSection;
    std::string refusal;  // the end of the report (a closing quote gets no full stop)
};

// A shared design can never make the window write where the user did not ask: a hostile one is
// refused when it is opened, naming its key, nothing of it is applied, and the export that
// follows writes into the folder chosen in the dialog only. The victim, a file of the user's
// that the design names, stays as it was.
TEST_F(DesignDocumentTest, HostileDesignIsRefusedAndTheExportWritesOnlyIntoTheFolder) {
    QTemporaryDir elsewhere;
    const std::string victim = elsewhere.filePath("notes.txt").toStdString();
    const HostileDesign designs[] = {
        {"NUL after a path", R"({"name": ")" + victim + R"(\u0000"})", "",
         "export.name holds a control character."},
        {"name leaving the folder", R"({"name": "../../x-{rate}"})", "",
         "export.name must be one file name, without \"/\", \"\\\" or \"..\""},
        {"terminal escape in a field", "", R"({"lowTaps": "\u001b[2J61"})",
         "crossover.lowTaps holds a control character."},
    };
    for (const HostileDesign& row : designs) {
        SCOPED_TRACE(row.what);
        { std::ofstream(victim) << "the user's notes"; }
        QFile file(Path("hostile.kcx"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        std::string content = R"({"format": "kaiser-crossover-design", "version": 1)";
        if (!row.exportSection.empty()) {
            content += R"(, "export": )" + row.exportSection;
        }
        if (!row.crossoverSection.empty()) {
            content += R"(, "crossover": )" + row.crossoverSection;
        }
        file.write((content + "}").c_str());
        file.close();
        reports.clear();
        const Design before = DesignShown(*form);
        Open(*form, Path("hostile.kcx"));
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_TRUE(reports[0].text.ends_with(row.refusal)) << reports[0].text;
        EXPECT_EQ(DesignShown(*form), before);

        UseShortFilters();
        form->Button1->click();
        QTemporaryDir chosen;
        ExportDialogThen(*form, [&chosen](ExportDialog& d) {
            d.Folder->setText(chosen.path());
            d.ExportButton->click();
        });
        EXPECT_EQ(testing_support::ReadBytes(victim), "the user's notes");
        EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                  QStringList{"notes.txt"});
        EXPECT_EQ(QDir(chosen.path()).entryList(QDir::Files).size(), 3);  // crossover-44100-*.wav
    }
}

// A FIFO named as a design is refused at once instead of blocking the window for ever.
TEST_F(DesignDocumentTest, FifoAsADesignIsRefusedAtOnce) {
    ASSERT_EQ(::mkfifo(Path("pipe.kcx").toLocal8Bit().constData(), 0600), 0);
    Open(*form, Path("pipe.kcx"));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(reports[0].text.ends_with("を読み込めません: not a regular file but a FIFO."))
        << reports[0].text;
}

// Names typed into the export dialog are checked as a design file's are: the status says why
// and nothing is written.
TEST_F(DesignDocumentTest, ExportDialogRefusesNamesThatAreNoFileNameInTheFolder) {
    UseShortFilters();
    form->Button1->click();
    const QString names[] = {"../x-{rate}", "/tmp/x-{rate}", "a\\b", QString("x") + QChar(0) + "y",
                             "x\ny"};
    for (const QString& name : names) {
        QString status;
        bool exportEnabled = true;
        ExportDialogThen(*form, [&](ExportDialog& d) {
            d.Folder->setText(folder.path());
            d.Name->setText(name);
            exportEnabled = d.ExportButton->isEnabled();
            d.Export();
            status = d.Status->text();
        });
        EXPECT_FALSE(exportEnabled) << name.toStdString();
        EXPECT_TRUE(status.startsWith("The name ")) << status.toStdString();
        // Nor is it kept for a design file, which would be refused for it.
        EXPECT_EQ(form->Image1Menu().ExportChoices().name, "crossover-{rate}");
    }
    EXPECT_TRUE(QDir(folder.path()).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(reports.empty());
}

// Opening a design whose calculation would take gigabytes or many seconds asks first, naming
// the counts; No opens it without calculating. A small design is calculated without a question.
TEST_F(DesignDocumentTest, LargeDesignAsksBeforeItIsCalculated) {
    Design large = ShortDesign();
    large.crossover.lowTaps = large.crossover.midTaps = large.crossover.highTaps = "100000000";
    Open(*form, WriteDesign("large.kcx", large));
    ASSERT_EQ(calculateQuestions.size(), 1u);
    // 16 arrays of 100 000 001 doubles: 12.8 GB; 3 × 100 000 001 taps at 1 µs a tap: 300 s.
    EXPECT_EQ(calculateQuestions[0].toStdString(),
              "large.kcx: low 100000001, mid 100000001 and high 100000001 taps: about 12.8 GB "
              "of memory and 300 s");
    EXPECT_FALSE(form->HasCalculation());
    EXPECT_EQ(Text(form->Edit1), "100000000");
    EXPECT_TRUE(reports.empty());

    Open(*form, WriteDesign("small.kcx", ShortDesign()));
    EXPECT_EQ(calculateQuestions.size(), 1u);
    EXPECT_TRUE(form->HasCalculation());
}

}  // namespace
}  // namespace kc::app

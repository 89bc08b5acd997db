// The graph menu's copy, save and export items with the file dialog replaced, and the readout
// tooltip of the graph.
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolTip>
#include <vector>

#include "app/graph_readout.h"
#include "app/graph_view.h"
#include "export/csv_export.h"
#include "export/wav_export.h"
#include "form_fixture.h"
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
            Recorder(), [this](QWidget*, const QString& caption, const QStringList& filters) {
                questions.push_back({caption, filters});
                ChosenFile chosen = answer;
                if (!chosen.path.isEmpty()) {
                    chosen.filter = filters.value(answerFilterIndex);
                }
                return chosen;
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

    QTemporaryDir folder;
    ChosenFile answer;
    int answerFilterIndex = 0;
    std::vector<Question> questions;
};

TEST_F(GraphMenuTest, ItemsNeedAGraphOrACalculation) {
    const char* const texts[] = {"Copy graph", "Save graph as PNG…", "Export coefficients…",
                                 "Export response as CSV…"};
    for (std::size_t i = 0; i < std::size(kMenuItems); ++i) {
        ASSERT_NE(Item(kMenuItems[i]), nullptr) << kMenuItems[i];
        EXPECT_EQ(Item(kMenuItems[i])->text().toStdString(), texts[i]);
        EXPECT_FALSE(Item(kMenuItems[i])->isEnabled()) << kMenuItems[i];
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
    EXPECT_TRUE(QDir(folder.path()).isEmpty());

    Calculate();
    for (const char* item : kMenuItems) {
        EXPECT_TRUE(Item(item)->isEnabled()) << item;
    }
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

struct CoefficientCase {
    const char* typed;    // the name given in the dialog
    int filterIndex;      // the filter selected: 0 CSV, 1 WAV 32-bit, 2 WAV 64-bit
    const char* written;  // the CSV file, or the prefix of the three WAV files
    bool wav;
    exporting::WavSampleFormat format;
};

TEST_F(GraphMenuTest, CoefficientExportsEqualTheLibrarysFiles) {
    Calculate();
    const CoefficientCase cases[] = {
        {"taps.csv", 0, "taps.csv", false, {}},
        {"plain", 0, "plain.csv", false, {}},
        {"typed.csv", 1, "typed.csv", false, {}},  // the name's own extension decides
        {"xo.wav", 1, "xo", true, exporting::WavSampleFormat::Float32},
        {"xo64", 2, "xo64", true, exporting::WavSampleFormat::Float64},
    };
    for (const CoefficientCase& row : cases) {
        SCOPED_TRACE(row.typed);
        questions.clear();
        Answer(row.typed, row.filterIndex);
        Choose("ExportCoefficients");
        ASSERT_EQ(questions.size(), 1u);
        ASSERT_EQ(questions[0].filters.size(), 3);
        if (!row.wav) {
            EXPECT_EQ(ReadFile(row.written), exporting::TapsCsv(form->Taps()));
            continue;
        }
        const QString reference = folder.filePath(QStringLiteral("reference"));
        exporting::WriteBandWavs(reference.toStdString(), form->Taps(), row.format);
        for (const char* band : {"-low.wav", "-mid.wav", "-high.wav"}) {
            const WavFile written =
                ReadWav(folder.filePath(row.written + QString(band)).toStdString());
            const WavFile expected = ReadWav((reference + band).toStdString());
            ASSERT_FALSE(expected.samples.empty()) << band;
            EXPECT_EQ(written.info.format, expected.info.format) << band;
            EXPECT_EQ(written.info.samplerate, 44100) << band;
            EXPECT_EQ(written.samples, expected.samples) << band;
        }
    }
    EXPECT_TRUE(reports.empty());
}

TEST_F(GraphMenuTest, WriteFailureIsReportedNamingTheFile) {
    Calculate();
    for (const char* item : {"SaveGraph", "ExportCoefficients", "ExportResponse"}) {
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
    for (const char* item : {"SaveGraph", "ExportCoefficients", "ExportResponse"}) {
        Choose(item);
    }
    EXPECT_EQ(questions.size(), 3u);
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
    EXPECT_EQ(form->ReadoutAt(395).toStdString(), ReadoutText(form->Store(), 500));
    QHelpEvent help(QEvent::ToolTip, QPoint(395, 100), form->Image1->mapToGlobal(QPoint(395, 100)));
    QCoreApplication::sendEvent(form->Image1, &help);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(FirstLine(QToolTip::text()), "1000 Hz");
    QToolTip::hideText();

    // Linear axis: 1000 Hz in column 59; column 395 now holds 6660 Hz.
    form->CheckBox1->click();
    EXPECT_EQ(FirstLine(form->ReadoutAt(59)), "1000 Hz");
    EXPECT_EQ(FirstLine(form->ReadoutAt(395)), "6660 Hz");

    // A redraw that fails leaves the linear graph on screen; the readout stays with it.
    form->Edit5->setText("abc");
    form->CheckBox1->click();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_TRUE(form->CheckBox1->isChecked());
    EXPECT_EQ(FirstLine(form->ReadoutAt(59)), "1000 Hz");
}

}  // namespace
}  // namespace kc::app

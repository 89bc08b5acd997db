// SPDX-License-Identifier: GPL-3.0-or-later
// Ten thousand seeded random events on the real window: clicks on every control, texts of the
// kinds people type and mistype into every field, the three check boxes, Enter and Space, the
// graph menu from the mouse and the keyboard with its dialogs answered at random. After every
// event: the cursor is the default one, no dialog is left open, an error box appeared exactly
// when the handler that ran failed (judged by a fresh calculation, estimate or redraw of the
// texts as they stood), and after a completed Calc the taps, the store, the CMax line and the
// rewritten tap counts equal a fresh calculation of the field texts; after a failed one they are
// those of the last design. Leaks are AddressSanitizer's to find (./scripts/sanitize.sh).
//
// The seed is printed; KC_RANDOM_SEED=<seed> replays a run and KC_RANDOM_EVENTS=<n> sets the
// number of events. Under AddressSanitizer the run stops after 50 s and says how many ran.
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <chrono>
#include <iostream>
#include <random>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/graph_view.h"
#include "dsp/calculation.h"
#include "dsp/length_estimate.h"
#include "dsp/tap_arrays.h"
#include "form_fixture.h"
#include "graph/qt/retained_graph.h"

namespace kc::app {
namespace {

// Texts people type into the three kinds of field, and texts they mistype.
const char* const kTapTexts[] = {"61",  "41",  "21",   "101", "31", "7",   "3",   "1",   "901",
                                 "701", "301", "1001", "900", "60", "+41", "$3D", "0x15"};
const char* const kTapSlips[] = {"0",   "-5", "2147483647", "2147483648", " 61", "61 ",
                                 "6.1", "",   "abc",        "９０１",     "1e3", "--1"};
const char* const kFrequencyTexts[] = {"300",  "2000", "250", "2500", "1000", "50",
                                       "8000", "900",  "5",   "500",  "3000", "150"};
const char* const kFrequencySlips[] = {"20000", "22050",       "0",   "-300", "44100",
                                       "300.5", " 300",        "3O0", "",     "1e4",
                                       "$12C",  "99999999999", "1,5"};
const char* const kAttenuationTexts[] = {"144", "100", "60", "40", "21", "1.5e2", " 144 "};
const char* const kAttenuationSlips[] = {"0", "-10", "1e400", "1e4999", "abc", "", "144,5", "."};

// What an event makes the window do, as far as it can fail.
enum class Effect { None, Calc, Estimate, Redraw, Export };

// The chooser's next answer.
enum class Answer { Cancel, NewFile, UsedFile, MissingFolder };

// The eight texts of the crossover calculation, as a fresh calculation reads and rewrites them.
class TextFields final : public dsp::CalcFields {
  public:
    TextFields(std::array<std::string, 8> texts, bool adjust)
        : texts_(std::move(texts)), adjust_(adjust) {}
    std::string Text(dsp::CalcField field) const override { return texts_.at(Index(field)); }
    void SetTapCountText(dsp::CalcField field, const std::string& text) override {
        texts_.at(Index(field)) = text;
    }
    bool AdjustCoefficient() const override { return adjust_; }
    const std::string& operator[](dsp::CalcField field) const { return texts_.at(Index(field)); }

  private:
    static std::size_t Index(dsp::CalcField field) { return static_cast<std::size_t>(field); }
    std::array<std::string, 8> texts_;
    bool adjust_;
};

class NoLabels final : public dsp::EstimateLabels {
  public:
    void SetCutOffCaption(const std::string& /*caption*/) override {}
    void SetIdealTapsCaption(const std::string& /*caption*/) override {}
};

// Every value of the eight curves equal (they are finite: a level of a zero magnitude is an
// error, not −∞).
bool SameStore(const dsp::ResponseStore& a, const dsp::ResponseStore& b) {
    using dsp::ResponseStore;
    constexpr std::array curves = {&ResponseStore::LowMag, &ResponseStore::HighMag,
                                   &ResponseStore::MidMag, &ResponseStore::MidDb,
                                   &ResponseStore::LowDb,  &ResponseStore::HighDb,
                                   &ResponseStore::SumMag, &ResponseStore::SumDb};
    return std::ranges::all_of(curves, [&](auto curve) { return a.*curve == b.*curve; });
}

bool SameTaps(const dsp::CrossoverTaps& a, const dsp::CrossoverTaps& b) {
    return a.CommonLength == b.CommonLength && a.CommonCentre == b.CommonCentre &&
           a.LowTaps == b.LowTaps && a.MidTaps == b.MidTaps && a.HighTaps == b.HighTaps;
}

uint64_t SeedFromEnvironment() {
    bool given = false;
    const qulonglong seed = qEnvironmentVariable("KC_RANDOM_SEED").toULongLong(&given);
    return given ? seed : std::random_device{}();
}

int EventCountFromEnvironment() {
    bool given = false;
    const int count = qEnvironmentVariableIntValue("KC_RANDOM_EVENTS", &given);
    return given ? count : 10000;
}

#ifdef __SANITIZE_ADDRESS__
constexpr double kSecondsBound = 50.0;
#else
constexpr double kSecondsBound = 1e9;
#endif

class RandomInputTest : public FormTest {
  protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        form = std::make_unique<TForm1>(
            Recorder(),
            [this](QWidget*, const QString&, const QStringList& filters) {
                return Choose(filters);
            },
            [this](QWidget*, const QString&, const QStringList&) { return Coin(); },
            NoDesignOpens());
        form->Image1Menu().UseExportDialog(
            {nullptr, [](QWidget*, const QString& current) { return current; }},
            [this](ExportDialog& dialog) { FillInExportDialog(dialog); });
        form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    }

    // Opening a design runs a calculation of texts that the run cannot know before the event: the
    // open dialog is cancelled (and so is the question about a changed design), while saving
    // design files takes part like the other writes.
    static DesignDialogs NoDesignOpens() {
        DesignDialogs dialogs;
        dialogs.chooseOpen = [](QWidget*, const QString&, const QStringList&) {
            return ChosenFile{};
        };
        dialogs.askSave = [](QWidget*, const QString&) { return SaveChoice::Cancel; };
        return dialogs;
    }

    // The export dialog as the last answer says: closed, or the taps as CSV into the test's folder
    // (the same name each time, so that a later export asks to replace it) or into a folder that
    // does not exist.
    void FillInExportDialog(ExportDialog& dialog) const {
        if (answer_ == Answer::Cancel) {
            return;
        }
        dialog.TapsCsv->setChecked(true);
        dialog.Folder->setText(answer_ == Answer::MissingFolder
                                   ? folder_.filePath(QStringLiteral("missing"))
                                   : folder_.path());
        dialog.Export();
    }

    bool Coin() { return std::bernoulli_distribution(0.5)(random_); }
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    template <typename T>
    const T& Pick(std::span<const T> items) {
        return items[static_cast<std::size_t>(Below(static_cast<int>(items.size())))];
    }

    ChosenFile Choose(const QStringList& filters) {
        const QString filter = filters.value(Below(static_cast<int>(filters.size())));
        switch (answer_) {
            case Answer::Cancel:
                return {};
            case Answer::NewFile:
                return {folder_.filePath(QStringLiteral("new%1").arg(++fileCount_)), filter};
            case Answer::UsedFile:
                return {folder_.filePath(QStringLiteral("used%1").arg(Below(3))), filter};
            case Answer::MissingFolder:
                return {folder_.filePath(QStringLiteral("missing/out")), filter};
        }
        return {};
    }

    // The texts of the crossover calculation as the window shows them now.
    TextFields CalcTexts() const {
        return TextFields(
            {Text(form->Edit1), Text(form->Edit9), Text(form->Edit10), Text(form->Edit2),
             Text(form->Edit5), Text(form->Edit4), Text(form->Edit3), Text(form->Edit8)},
            form->CheckBox3->isChecked());
    }

    graph::GraphInputs GraphInputsNow(bool logFrequency, bool levelsInDb) const {
        graph::GraphInputs inputs;
        inputs.logFrequency = logFrequency;
        inputs.levelsInDb = levelsInDb;
        inputs.lowerEdgeText = Text(form->Edit5);
        inputs.upperEdgeText = Text(form->Edit4);
        return inputs;
    }

    static bool RedrawFails(const graph::GraphInputs& inputs, const dsp::ResponseStore& store) {
        graph::RetainedGraph fresh(QSize(674, 599));
        try {
            graph::DrawGraph(inputs, store, fresh);
        } catch (...) {
            return true;
        }
        return false;
    }

    // Types text into a field key by key, over what it holds, as a user would.
    void Type(QLineEdit* edit, const QString& text) {
        edit->setFocus();
        QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
        for (const QChar character : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
            QApplication::sendEvent(edit, &press);
        }
    }

    QLineEdit* AnyField() {
        QLineEdit* const fields[] = {form->Edit1, form->Edit2, form->Edit3, form->Edit4,
                                     form->Edit5, form->Edit6, form->Edit7, form->Edit8,
                                     form->Edit9, form->Edit10};
        return fields[Below(10)];
    }

    // Mostly what the field asks for, now and then a slip, so that many calculations complete.
    std::span<const char* const> TextsFor(const QLineEdit* edit) {
        const bool slip = Below(10) == 0;
        if (edit == form->Edit1 || edit == form->Edit9 || edit == form->Edit10) {
            return slip ? std::span<const char* const>(kTapSlips) : kTapTexts;
        }
        if (edit == form->Edit8) {
            return slip ? std::span<const char* const>(kAttenuationSlips) : kAttenuationTexts;
        }
        return slip ? std::span<const char* const>(kFrequencySlips) : kFrequencyTexts;
    }

    Effect TypeOrMistype() {
        QLineEdit* edit = AnyField();
        if (Below(5) > 0) {
            Type(edit, QString::fromUtf8(Pick(TextsFor(edit))));
            return Effect::None;
        }
        // A slip: a character deleted, or one too many at the cursor.
        edit->setFocus();
        edit->setCursorPosition(Below(static_cast<int>(edit->text().size()) + 1));
        static constexpr std::array kSlips = {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_0,
                                              Qt::Key_Period,    Qt::Key_Space,  Qt::Key_Minus};
        QTest::keyClick(edit, Pick(std::span<const Qt::Key>(kSlips)));
        return Effect::None;
    }

    QWidget* AnyControl() {
        QWidget* const controls[] = {form->Button1,   form->Button5,   form->CheckBox1,
                                     form->CheckBox2, form->CheckBox3, AnyField()};
        return controls[Below(6)];
    }

    // A click presses a button or toggles a box; in a field it only moves the focus there.
    Effect ClickControl() {
        QWidget* control = AnyControl();
        const auto* box = qobject_cast<QCheckBox*>(control);
        const bool checkedBefore = box != nullptr && box->isChecked();
        const Effect effect =
            qobject_cast<QLineEdit*>(control) != nullptr ? Effect::None : EffectOf(control);
        QTest::mouseClick(control, Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
        EXPECT_TRUE(box == nullptr || box->isChecked() != checkedBefore) << "the click missed";
        return effect;
    }

    // Enter on a focused button or field, Space on a focused button or box; Enter on a box
    // does nothing.
    Effect PressKeyOnControl() {
        QWidget* control = AnyControl();
        control->setFocus();
        const bool field = qobject_cast<QLineEdit*>(control) != nullptr;
        const bool box = qobject_cast<QCheckBox*>(control) != nullptr;
        if (!field && Coin()) {
            QTest::keyClick(control, Qt::Key_Space);
            return EffectOf(control);
        }
        const bool keypad = Coin();
        QTest::keyClick(control, keypad ? Qt::Key_Enter : Qt::Key_Return,
                        keypad ? Qt::KeypadModifier : Qt::NoModifier);
        return box ? Effect::None : EffectOf(control);
    }

    // What pressing a control runs: a Calc button or Enter in one of its fields.
    Effect EffectOf(const QWidget* control) const {
        const QWidget* const crossover[] = {form->Button1, form->Edit1, form->Edit9, form->Edit10,
                                            form->Edit2,   form->Edit5, form->Edit4, form->Edit3};
        const QWidget* const estimate[] = {form->Button5, form->Edit6, form->Edit7, form->Edit8};
        if (std::find(std::begin(crossover), std::end(crossover), control) != std::end(crossover)) {
            return Effect::Calc;
        }
        if (std::find(std::begin(estimate), std::end(estimate), control) != std::end(estimate)) {
            return Effect::Estimate;
        }
        return control == form->CheckBox1 || control == form->CheckBox2 ? Effect::Redraw
                                                                        : Effect::None;
    }

    // The menu from a key or a right click, closed again, or one of its enabled items chosen.
    Effect UseGraphMenu() {
        QMenu* menu = form->Image1Menu().Menu();
        switch (Below(3)) {
            case 0:
                form->activateWindow();
                if (Coin()) {
                    QTest::keyClick(FocusedControl(), Qt::Key_Menu);
                } else {
                    QTest::keyClick(FocusedControl(), Qt::Key_F10, Qt::ShiftModifier);
                }
                break;
            case 1: {
                const QPoint at(Below(593), Below(337));
                QContextMenuEvent click(QContextMenuEvent::Mouse, at,
                                        form->Image1->mapToGlobal(at));
                QApplication::sendEvent(form->Image1, &click);
                break;
            }
            default: {
                const QList<QAction*> actions = menu->actions();
                QAction* action = actions[Below(static_cast<int>(actions.size()))];
                if (!action->isEnabled()) {
                    return Effect::None;
                }
                answer_ = static_cast<Answer>(Below(4));
                // Saving the design to its own file asks for no file.
                const QString name = action->objectName();
                const bool asksForAFile =
                    name != QLatin1String("SaveDesign") || form->Document().Path().isEmpty();
                const bool writes = asksForAFile && (name.startsWith(QLatin1String("Save")) ||
                                                     name.startsWith(QLatin1String("Export")));
                action->trigger();
                return writes && answer_ == Answer::MissingFolder ? Effect::Export : Effect::None;
            }
        }
        menu->hide();
        return Effect::None;
    }

    Effect HoverOverGraph() {
        const QPoint at(Below(593), Below(337));
        QHelpEvent help(QEvent::ToolTip, at, form->Image1->mapToGlobal(at));
        QApplication::sendEvent(form->Image1, &help);
        return Effect::None;
    }

    QWidget* FocusedControl() const {
        QWidget* focused = QApplication::focusWidget();
        return focused != nullptr ? focused : form.get();
    }

    Effect NextEvent() {
        switch (Below(12)) {
            case 0:
            case 1:
            case 2:
            case 3:
                return TypeOrMistype();
            case 4:
            case 5:
            case 6:
                return ClickControl();
            case 7:
            case 8:
                return PressKeyOnControl();
            case 9:
                QTest::keyClick(FocusedControl(), Qt::Key_Tab);
                return Effect::None;
            case 10:
                return UseGraphMenu();
            default:
                return HoverOverGraph();
        }
    }

    std::mt19937_64 random_;
    QTemporaryDir folder_;
    Answer answer_ = Answer::Cancel;
    int fileCount_ = 0;
};

TEST_F(RandomInputTest, TenThousandEventsKeepTheWindowSound) {
    const uint64_t seed = SeedFromEnvironment();
    random_.seed(seed);
    const int eventCount = EventCountFromEnvironment();
    std::cout << "[ random   ] seed " << seed << " (replay with KC_RANDOM_SEED=" << seed << ")\n";
    RecordProperty("seed", std::to_string(seed));
    // Slips add digits to tap counts; a count of a hundred million would take gigabytes and half
    // a minute. Beyond half a million taps an array counts as memory that cannot be obtained, in
    // the window and in the fresh calculation alike.
    const dsp::ScopedTapArrayMemoryLimit tapMemory(std::size_t{4} << 20);
    const auto started = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    };
    int ran = 0;
    int calculations = 0;
    // Per effect (None, Calc, Estimate, Redraw, Export): how often it ran, and failed.
    std::array<int, 5> runs{};
    std::array<int, 5> failures{};
    for (; ran < eventCount && elapsed() < kSecondsBound; ++ran) {
        SCOPED_TRACE(testing::Message() << "seed " << seed << ", event " << ran);
        // What the event will run is known before it runs; its outcome is judged by a fresh
        // calculation from the texts as they stand now.
        const TextFields texts = CalcTexts();
        const dsp::ResponseStore storeBefore = form->Store();
        const dsp::CrossoverTaps tapsBefore = form->Taps();
        const bool logBefore = form->CheckBox1->isChecked();
        const bool dbBefore = form->CheckBox2->isChecked();
        const std::size_t reportsBefore = reports.size();
        const std::string estimateTexts[] = {Text(form->Edit6), Text(form->Edit7),
                                             Text(form->Edit8)};

        const Effect effect = NextEvent();
        QCoreApplication::processEvents();

        bool fails = effect == Effect::Export;
        if (effect == Effect::Calc) {
            TextFields fresh = texts;
            try {
                const dsp::CalculationResult result = dsp::RunCrossoverCalculation(fresh);
                ++calculations;
                ASSERT_TRUE(SameStore(form->Store(), *result.evaluation.store));
                ASSERT_TRUE(SameTaps(form->Taps(), result.taps));
                ASSERT_EQ(Text(form->Label21), result.cmaxLine);
                ASSERT_EQ(Text(form->Edit1), fresh[dsp::CalcField::LowTapCount]);
                ASSERT_EQ(Text(form->Edit9), fresh[dsp::CalcField::MidTapCount]);
                ASSERT_EQ(Text(form->Edit10), fresh[dsp::CalcField::HighTapCount]);
                fails = RedrawFails(GraphInputsNow(logBefore, dbBefore), *result.evaluation.store);
            } catch (const std::exception&) {
                fails = true;
                ASSERT_TRUE(SameStore(form->Store(), storeBefore));
                ASSERT_TRUE(SameTaps(form->Taps(), tapsBefore));
            }
        } else if (effect == Effect::Estimate) {
            NoLabels labels;
            try {
                dsp::RunLengthEstimate(estimateTexts[0], estimateTexts[1], estimateTexts[2],
                                       labels);
            } catch (const std::exception&) {
                fails = true;
            }
        } else if (effect == Effect::Redraw) {
            fails = RedrawFails(
                GraphInputsNow(form->CheckBox1->isChecked(), form->CheckBox2->isChecked()),
                form->Store());
        }
        if (effect != Effect::Calc) {
            ASSERT_TRUE(SameStore(form->Store(), storeBefore));
        }
        ++runs.at(static_cast<std::size_t>(effect));
        failures.at(static_cast<std::size_t>(effect)) += fails ? 1 : 0;
        ASSERT_EQ(reports.size() - reportsBefore, fails ? 1u : 0u)
            << (reports.size() > reportsBefore ? reports.back().text : std::string("no report"));
        ASSERT_FALSE(BusyCursorIsSet());
        ASSERT_EQ(QApplication::activeModalWidget(), nullptr);
        ASSERT_TRUE(form->isVisible());
    }
    std::cout << "[ random   ] " << ran << " events in " << elapsed() << " s; calculations "
              << runs[1] << " (" << calculations << " completed, " << failures[1]
              << " reported), estimates " << runs[2] << " (" << failures[2]
              << " reported), redraws " << runs[3] << " (" << failures[3]
              << " reported), failing exports " << runs[4] << "\n";
    RecordProperty("events", ran);
    EXPECT_GT(calculations, 0);
    EXPECT_GT(failures[1], 0);
}

}  // namespace
}  // namespace kc::app

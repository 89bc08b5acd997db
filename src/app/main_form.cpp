// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/main_form.h"

#include <QAction>
#include <QCheckBox>
#include <QFile>
#include <QFrame>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <functional>
#include <iterator>
#include <string_view>
#include <utility>

#include "app/app_title.h"
#include "app/graph_view.h"
#include "app/look/window_look.h"
#include "app/transient_note.h"
#include "base/message_text.h"
#include "dsp/fields.h"
#include "dsp/initial_texts.h"
#include "graph/graph_readout.h"
#include "graph/qt/graph_area.h"

namespace kc::app {

TForm1* Form1 = nullptr;

namespace {

namespace initial_texts = dsp::initial_texts;

constexpr int kEditWidth = 41;
constexpr int kEditHeight = 20;

// A label sizes itself to its caption in its font, like the window's labels always do.
QLabel* MakeLabel(QWidget* parent, const char* name, int left, int top, const char* caption) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setText(QString::fromUtf8(caption));
    label->move(left, top);
    label->adjustSize();
    return label;
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int left, int top, std::string_view text) {
    auto* edit = new QLineEdit(QString::fromUtf8(text.data(), std::ssize(text)), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setGeometry(left, top, kEditWidth, kEditHeight);
    edit->setCursorPosition(0);
    return edit;
}

QPushButton* MakeButton(QWidget* parent, const char* name, QRect geometry, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, QRect geometry, const char* caption,
                        bool checked) {
    auto* box = new QCheckBox(QString::fromUtf8(caption), parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(geometry);
    box->setChecked(checked);
    return box;
}

// A bevel is only a lowered frame: it takes neither focus nor clicks from the controls in it.
QFrame* MakeBevel(QWidget* parent, const char* name, QRect geometry) {
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(QString::fromLatin1(name));
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(geometry);
    bevel->setAttribute(Qt::WA_TransparentForMouseEvents);
    return bevel;
}

// Enter and keypad Enter press a focused push button, as Space does. (Qt leaves them to a dialog's
// default button, and the window is not a dialog.)
class EnterPressesButton final : public QObject {
  public:
    explicit EnterPressesButton(QPushButton* button) : QObject(button), button_(button) {
        button->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == button_ && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                button_->click();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QPushButton* button_;
};

}  // namespace

void SetFieldBackground(QLineEdit* edit, const QColor& color) {
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, color);
    edit->setPalette(palette);
}

void SetCaption(QLabel* label, const std::string& caption) {
    label->setText(QString::fromStdString(caption));
    label->adjustSize();
}

// Qt's own palettes (Fusion among them) make their light 3-D shade pure white, the same as an
// editable field; the classic light grey keeps a locked field recognisable.
QColor Color3DLight() {
    return QColor(227, 227, 227);
}

TForm1::TForm1(ErrorReporter reporter, FileNameChooser chooser, ReplaceQuestion replaceQuestion,
               DesignDialogs designDialogs)
    : reporter_(std::move(reporter)),
      replaceQuestion_(std::move(replaceQuestion)),
      title_(QString::fromStdString(ApplicationTitle())),
      guard_(this, title_, replaceQuestion_, [this](const QString& text) { Note->Show(text); }),
      session_(std::make_unique<DesignSession>()),
      graph_(std::make_unique<WindowGraph>(*this, QSize(kMainClientWidth, kMainClientHeight))) {
    Form1 = this;
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Frequency Response of FIR (Kaiser window) filter Ver1.1"));
    setFont(WindowFont(kWindowFontPixels));
    resize(kMainClientWidth, kMainClientHeight);
    CreateCrossoverControls();
    CreateEstimateControls();
    CreateInputControls();
    // Above the graph, below the two frames: it covers no control and none of the graph.
    Note = new TransientNote(this);
    Note->setObjectName(QStringLiteral("Note"));
    Note->setGeometry(48, 186, 593, 14);
    SetTabOrder();
    graph_->SetImage(Image1);
    graph_->SetLabelFont(font());
    graph_->SetLabelColors(palette().color(QPalette::WindowText),
                           palette().color(QPalette::Window));
    GraphMenuHost& host = *this;
    document_ = std::make_unique<DesignDocument>(
        *session_, host, [this] { Button1->click(); }, chooser, std::move(designDialogs));
    CreateGraphMenu(std::move(chooser));
    ConnectHandlers();
    ConnectSession();
    connect(session_.get(), &DesignSession::designChanged, this,
            [this] { RunReportingErrors([this] { FollowWindowSettings(); }); });
    ConnectEnterKeys();
    AcceptDesignDrops();
    FormCreate();
}

TForm1::~TForm1() {
    FormDestroy();
    if (Form1 == this) {
        Form1 = nullptr;
    }
}

const graph::RetainedGraph& TForm1::Graph() const {
    return *graph_;
}

void TForm1::CreateCrossoverControls() {
    Label1 = MakeLabel(this, "Label1", 344, 64, "NTap");
    Label3 = MakeLabel(this, "Label3", 152, 88, "Low");
    Label4 = MakeLabel(this, "Label4", 152, 136, "High");
    Image1 = new GraphImage(*graph_, this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(48, 200, 593, 337);
    Label21 = MakeLabel(this, "Label21", 72, 568, "振幅の最大値：CMax =");
    Label6 = MakeLabel(this, "Label6", 32, 8, "");
    Label6->setFont(WindowFont(kHeadingFontPixels));
    SetCaption(Label6,
               "カイザー窓を用いたFIRフィルタの周波数特性(サンプリング周波数が44.1KHzの場合）");
    Label9 = MakeLabel(this, "Label9", 152, 112, "Mid");
    Bevel5 = MakeBevel(this, "Bevel5", QRect(144, 32, 257, 153));
    Label7 = MakeLabel(this, "Label7", 320, 40, "タップ数指定");
}

void TForm1::CreateEstimateControls() {
    Label8 = MakeLabel(this, "Label8", 496, 80, "PassBand");
    Label16 = MakeLabel(this, "Label16", 496, 104, "StopBand");
    Label17 = MakeLabel(this, "Label17", 440, 128, "StopBand Attenuation");
    Label18 = MakeLabel(this, "Label18", 440, 152, "CutOff Hz");
    Label20 = MakeLabel(this, "Label20", 440, 168, "Ideal Taps");
    Bevel6 = MakeBevel(this, "Bevel6", QRect(408, 32, 257, 153));
    Label23 = MakeLabel(this, "Label23", 416, 40, "カイザー窓推薦Tap数(参考)");
    Label2 = MakeLabel(this, "Label2", 176, 64, "Cross Hz");
    Label5 = MakeLabel(this, "Label5", 608, 80, "Hz");
    Label10 = MakeLabel(this, "Label10", 608, 104, "Hz");
    Label11 = MakeLabel(this, "Label11", 608, 128, "dB");
    Label12 =
        MakeLabel(this, "Label12", 416, 56, "Calculation of filter length(Taps) for reference");
    Label13 = MakeLabel(this, "Label13", 160, 40, "クロス周波数指定");
    Label14 = MakeLabel(this, "Label14", 288, 112, "Hz");
    Label15 = MakeLabel(this, "Label15", 288, 136, "Hz");
    Label19 = MakeLabel(this, "Label19", 224, 88, "Hz");
}

void TForm1::CreateInputControls() {
    Button1 = MakeButton(this, "Button1", QRect(8, 72, 121, 73), "フィルタ特性計算Calc");
    Edit1 = MakeEdit(this, "Edit1", 336, 80, dsp::InitialText(dsp::CalcField::LowTapCount));
    Edit2 = MakeEdit(this, "Edit2", 176, 80, dsp::InitialText(dsp::CalcField::LowCross));
    CreateAxisGroup();
    Edit3 = MakeEdit(this, "Edit3", 240, 128, dsp::InitialText(dsp::CalcField::HighCross));
    Edit4 = MakeEdit(this, "Edit4", 240, 104, dsp::InitialText(dsp::CalcField::MidCrossHigh));
    Edit5 = MakeEdit(this, "Edit5", 176, 104, dsp::InitialText(dsp::CalcField::MidCrossLow));
    Edit6 = MakeEdit(this, "Edit6", 560, 72, initial_texts::kPassBandEdge);
    Edit7 = MakeEdit(this, "Edit7", 560, 96, initial_texts::kStopBandEdge);
    Edit8 = MakeEdit(this, "Edit8", 560, 120, dsp::InitialText(dsp::CalcField::Attenuation));
    Edit8->setReadOnly(true);
    SetFieldBackground(Edit8, Color3DLight());
    Button5 = MakeButton(this, "Button5", QRect(584, 144, 33, 33), "Calc");
    Edit9 = MakeEdit(this, "Edit9", 336, 104, dsp::InitialText(dsp::CalcField::MidTapCount));
    Edit10 = MakeEdit(this, "Edit10", 336, 128, dsp::InitialText(dsp::CalcField::HighTapCount));
    CheckBox3 = MakeCheckBox(this, "CheckBox3", QRect(208, 160, 177, 17),
                             "係数調整  adjust coefficient", false);
}

void TForm1::CreateAxisGroup() {
    GroupBox1 = new QGroupBox(QStringLiteral("グラフ軸"), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(344, 552, 241, 41);
    CheckBox1 = MakeCheckBox(GroupBox1, "CheckBox1", QRect(8, 16, 105, 17), "周波数対数表示", true);
    CheckBox2 = MakeCheckBox(GroupBox1, "CheckBox2", QRect(128, 16, 105, 17), "音圧対数表示", true);
}

void TForm1::SetTabOrder() {
    const QWidget* order[] = {Button1, Edit1, Edit2, CheckBox1, CheckBox2, Edit3,  Edit4,    Edit5,
                              Edit6,   Edit7, Edit8, Button5,   Edit9,     Edit10, CheckBox3};
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
    }
}

void TForm1::ConnectHandlers() {
    connect(Button1, &QPushButton::clicked, this, [this] { RunHandler(&TForm1::Button1Click); });
    connect(Button5, &QPushButton::clicked, this, [this] { RunHandler(&TForm1::Button5Click); });
    connect(CheckBox1, &QCheckBox::toggled, this, [this] { RunHandler(&TForm1::CheckBox1Click); });
    connect(CheckBox2, &QCheckBox::toggled, this, [this] { RunHandler(&TForm1::CheckBox2Click); });
    connect(CheckBox3, &QCheckBox::toggled, this, [this] { RunHandler(&TForm1::CheckBox3Click); });
    connect(Edit5, &QLineEdit::textChanged, this, [this] { RunHandler(&TForm1::Edit5Change); });
    connect(Edit4, &QLineEdit::textChanged, this, [this] { RunHandler(&TForm1::Edit4Change); });
}

// Enter in a field runs the Calc of the field's group, as a click on its button would, through
// the same error report; Enter on a focused Calc button presses it.
void TForm1::ConnectEnterKeys() {
    new EnterPressesButton(Button1);
    new EnterPressesButton(Button5);
    for (QLineEdit* edit : {Edit1, Edit9, Edit10, Edit2, Edit5, Edit4, Edit3}) {
        connect(edit, &QLineEdit::returnPressed, this,
                [this] { RunHandler(&TForm1::Button1Click); });
    }
    for (QLineEdit* edit : {Edit6, Edit7, Edit8}) {
        connect(edit, &QLineEdit::returnPressed, this,
                [this] { RunHandler(&TForm1::Button5Click); });
    }
}

// The graph menu opens on Image1, whose tooltip shows the readout under the pointer.
void TForm1::CreateGraphMenu(FileNameChooser chooser) {
    GraphMenuHost& host = *this;
    timeChooser_ = chooser;
    graphMenu_ = std::make_unique<GraphMenu>(host, std::move(chooser));
    graphMenu_->AttachTo(Image1);
    connect(document_.get(), &DesignDocument::fileChanged, this, [this] { graphMenu_->Update(); });
    Image1->SetReadoutSource([this](int x) { return GraphTooltipAt(x); });
    // Opening the menu or choosing an item (its shortcuts too) is its use.
    connect(graphMenu_->Menu(), &QMenu::aboutToShow, this, [this] { hint_.Used(); });
    const QList<QAction*> actions = graphMenu_->Menu()->actions();
    for (QAction* action : actions) {
        connect(action, &QAction::triggered, this, [this] { hint_.Used(); });
    }
}

QString TForm1::GraphTooltipAt(int x) const {
    const QString hint = hint_.Text();
    const QString readout = ReadoutAt(x);
    if (hint.isEmpty() || readout.isEmpty()) {
        return hint.isEmpty() ? readout : hint;
    }
    return hint + QLatin1Char('\n') + readout;
}

TimeResponseWindow& TForm1::CreatedTimeResponse() {
    if (!timeWindow_) {
        timeWindow_ = std::make_unique<TimeResponseWindow>(
            this, *session_, timeChooser_, replaceQuestion_,
            [this](const std::function<void()>& handler) { RunReportingErrors(handler); });
        graphMenu_->ShareShortcutsWith(timeWindow_.get());
        timeWindow_->SetDesignOpener([this](const QString& path) { OpenDesign(path); });
    }
    return *timeWindow_;
}

// An opened design shows the time window as it was left (its own showing and closing write the
// same settings, which then hold already). A design that says closed leaves an open window open,
// and the session is told so.
void TForm1::FollowWindowSettings() {
    const bool open = session_->Design().window.open;
    const bool shown = timeWindow_ && timeWindow_->isVisible();
    if (open && !shown) {
        ShowTimeResponse();
    } else if (!open && shown) {
        timeWindow_->StoreWindowState(true);
    }
}

void TForm1::ShowTimeResponse() {
    CreatedTimeResponse();
    timeWindow_->show();
    timeWindow_->raise();
    timeWindow_->activateWindow();
}

void TForm1::RunHandler(void (TForm1::*handler)()) {
    RunReportingErrors([this, handler] { (this->*handler)(); });
}

// Qt must not see an exception pass through its event handling, so every handler runs here and
// whatever it raises ends in the error report; the message loop then goes on.
void TForm1::RunReportingErrors(const std::function<void()>& handler) {
    try {
        handler();
    } catch (const std::exception& error) {
        ReportError(reporter_, this, title_, base::ErrorText(error));
    } catch (...) {
        ReportError(reporter_, this, title_, "unknown error");
    }
}

std::vector<std::string> TForm1::InputFiles() const {
    std::vector<std::string> files;
    if (!document_->Path().isEmpty()) {
        files.push_back(QFile::encodeName(document_->Path()).toStdString());
    }
    const std::vector<std::string> drivers = session_->DriverFiles();
    files.insert(files.end(), drivers.begin(), drivers.end());
    return files;
}

bool TForm1::GraphShown() const {
    return !graph_->Picture().isNull();
}

QImage TForm1::GraphAreaImage() const {
    const graph::GraphGeometry geometry{Image1->width(), Image1->height(), Image1->x(),
                                        Image1->y()};
    return graph::ComposeGraphArea(*graph_, geometry, palette().color(QPalette::Window));
}

QString TForm1::ReadoutAt(int x) const {
    if (!HasCalculation() || !GraphShown()) {
        return QString();
    }
    const int32_t pictureWidth = qRound(graph_->Picture().deviceIndependentSize().width());
    const int32_t k = graph::NearestGridPoint(x, shownLogFrequency_, pictureWidth);
    return QString::fromStdString(graph::ReadoutText(Store(), k, shownLevelsInDb_));
}

// Before the first calculation: the initial texts' numbers, no taps, an all-zero store.
const dsp::CrossoverParameters& TForm1::DesignParameters() const {
    static const dsp::CrossoverParameters initial;
    return HasCalculation() ? session_->Result()->parameters : initial;
}

const dsp::CrossoverTaps& TForm1::Taps() const {
    static const dsp::CrossoverTaps none;
    return HasCalculation() ? session_->Result()->taps : none;
}

const dsp::ResponseStore& TForm1::Store() const {
    static const dsp::ResponseStore zeros;
    return HasCalculation() ? *session_->Result()->evaluation.store : zeros;
}

void TForm1::paintEvent(QPaintEvent* /*event*/) {
    if (graph_->Labels().isNull()) {
        return;
    }
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), graph_->Labels());
}

}  // namespace kc::app

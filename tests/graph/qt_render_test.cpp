// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "dsp/crossover.h"
#include "dsp/evaluation.h"
#include "dsp/response_store.h"
#include "graph/draw_graph.h"
#include "graph/qt/qimage_canvas.h"
#include "graph/qt/retained_graph.h"

namespace kc::graph {
namespace {

const QColor kButtonFace(240, 240, 240);
const QSize kClientArea(674, 599);
const QPoint kImageTopLeft(48, 200);

// Painting text into a QImage needs a QGuiApplication; one lives for the whole run, on the
// offscreen platform unless another is chosen.
class QtRenderTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (QGuiApplication::instance() != nullptr) {
            return;
        }
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "graph_qt_tests";
        static char* argv[] = {name, nullptr};
        new QGuiApplication(argc, argv);  // kept until the process ends
    }
};

// One character per pixel: '.' white, '#' black, 'r' red, 'b' blue, '?' anything else.
char PixelChar(const QImage& image, int x, int y) {
    const QRgb rgb = image.pixel(x, y) & 0xFFFFFF;
    switch (rgb) {
        case 0xFFFFFF:
            return '.';
        case 0x000000:
            return '#';
        case 0xFF0000:
            return 'r';
        case 0x0000FF:
            return 'b';
        default:
            return '?';
    }
}

std::string RowText(const QImage& image, int y) {
    std::string row;
    for (int x = 0; x < image.width(); ++x) {
        row += PixelChar(image, x, y);
    }
    return row;
}

std::string ColumnText(const QImage& image, int x) {
    std::string column;
    for (int y = 0; y < image.height(); ++y) {
        column += PixelChar(image, x, y);
    }
    return column;
}

QImage WhiteImage(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

int CountPixels(const QImage& image, char pixel) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const std::string row = RowText(image, y);
        count += static_cast<int>(std::count(row.begin(), row.end(), pixel));
    }
    return count;
}

// Whatever the direction, a line sets its start pixel, leaves out its end pixel and sets one
// pixel per step along its longer axis (fewer where it leaves the image).
TEST_F(QtRenderTest, LinesLeaveOutTheirEndPixelInEveryDirection) {
    const struct {
        QPoint start;
        QPoint end;
        int pixels;
    } lines[] = {{{1, 1}, {6, 1}, 5},
                 {{6, 1}, {1, 1}, 5},
                 {{9, 1}, {9, 6}, 5},
                 {{9, 6}, {9, 1}, 5},
                 {{1, 1}, {10, 5}, 9},
                 {{10, 5}, {1, 1}, 9},
                 {{2, 0}, {5, 7}, 7},
                 {{5, 7}, {2, 0}, 7},
                 {{6, 1}, {1, 6}, 5},
                 {{1, 6}, {6, 1}, 5},
                 {{1, 1}, {6, 6}, 5},
                 {{6, 6}, {1, 1}, 5},
                 {{3, 3}, {4, 3}, 1},
                 {{3, 3}, {3, 3}, 0},
                 {{-20, 3}, {5, 3}, 5},
                 {{5, 3}, {-20, 3}, 6},
                 {{5, -2000000000}, {5, 2000000000}, 8}};
    for (const auto& line : lines) {
        QImage image = WhiteImage(12, 8);
        {
            QImageCanvas canvas(image);
            canvas.MoveTo(line.start.x(), line.start.y());
            canvas.LineTo(line.end.x(), line.end.y());
        }
        SCOPED_TRACE(testing::Message() << line.start.x() << ',' << line.start.y() << " -> "
                                        << line.end.x() << ',' << line.end.y());
        EXPECT_EQ(CountPixels(image, '#'), line.pixels);
        if (image.rect().contains(line.start) && line.pixels > 0) {
            EXPECT_EQ(PixelChar(image, line.start.x(), line.start.y()), '#');
        }
        if (image.rect().contains(line.end)) {
            EXPECT_EQ(PixelChar(image, line.end.x(), line.end.y()), '.');
        }
    }
}

// The pixels of a line that the canvas keeps inside a small image, against the same line drawn
// whole by Qt's own painter into an image large enough to hold it (so that Qt clips nothing),
// with the canvas's rule at the ends: the start pixel set, the end pixel left out.
std::set<std::pair<int, int>> WholeLineInside(QImage& large, QPoint offset, QPoint start,
                                              QPoint end, QSize small) {
    QPainter painter(&large);
    painter.setRenderHint(QPainter::Antialiasing, false);
    QPen pen(Qt::black);
    pen.setCosmetic(true);
    painter.setPen(pen);
    painter.drawLine(start + offset, end + offset);  // Qt leaves out the end that is higher
    painter.end();
    std::set<std::pair<int, int>> pixels;
    for (int y = 0; y < small.height(); ++y) {
        for (int x = 0; x < small.width(); ++x) {
            if (PixelChar(large, x + offset.x(), y + offset.y()) == '#') {
                pixels.insert({x, y});
            }
        }
    }
    large.fill(Qt::white);
    pixels.erase({end.x(), end.y()});
    if (QRect(QPoint(0, 0), small).contains(start)) {
        pixels.insert({start.x(), start.y()});
    }
    return pixels;
}

TEST_F(QtRenderTest, LinesCrossingTheEdgeKeepExactlyTheirOwnPixels) {
    const QSize small(40, 30);
    const QPoint offset(300, 300);
    QImage large = WhiteImage(640, 630);
    std::mt19937 random(17);
    std::uniform_int_distribution<int> coordinate(-300, 330);
    int compared = 0;
    while (compared < 3000) {
        const QPoint a(coordinate(random), coordinate(random));
        const QPoint b(coordinate(random), coordinate(random));
        const QRect inside(QPoint(0, 0), small);
        // Lines that reach outside and pass over the image.
        if ((inside.contains(a) && inside.contains(b)) ||
            !QRect(a, b).normalized().intersects(inside)) {
            continue;
        }
        for (const auto& [start, end] : {std::pair(a, b), std::pair(b, a)}) {
            QImage image = WhiteImage(small.width(), small.height());
            {
                QImageCanvas canvas(image);
                canvas.MoveTo(start.x(), start.y());
                canvas.LineTo(end.x(), end.y());
            }
            std::set<std::pair<int, int>> drawn;
            for (int y = 0; y < small.height(); ++y) {
                for (int x = 0; x < small.width(); ++x) {
                    if (PixelChar(image, x, y) == '#') {
                        drawn.insert({x, y});
                    }
                }
            }
            ASSERT_EQ(drawn, WholeLineInside(large, offset, start, end, small))
                << start.x() << ',' << start.y() << " -> " << end.x() << ',' << end.y();
            ++compared;
        }
    }
}

TEST_F(QtRenderTest, RectangleStopsShortOfItsFarCorner) {
    QImage image = WhiteImage(8, 6);
    QImage beyond = WhiteImage(3, 2);
    {
        QImageCanvas canvas(image);
        canvas.SetBrushColor(clRed);
        canvas.Rectangle(1, 1, 6, 5);
        QImageCanvas beyondCanvas(beyond);
        beyondCanvas.SetBrushColor(clBlue);
        beyondCanvas.Rectangle(-5, -1, 2147483647, 2147483647);  // outline outside the image
    }
    const std::vector<std::string> expected = {"........", ".#####..", ".#rrr#..",
                                               ".#rrr#..", ".#####..", "........"};
    for (int y = 0; y < image.height(); ++y) {
        EXPECT_EQ(RowText(image, y), expected[static_cast<std::size_t>(y)]) << y;
    }
    EXPECT_EQ(RowText(beyond, 0), "bbb");
    EXPECT_EQ(RowText(beyond, 1), "bbb");
}

TEST_F(QtRenderTest, TextCellsAreFilledWithTheBrushColour) {
    QImage image = WhiteImage(60, 30);
    {
        QImageCanvas canvas(image);
        canvas.SetBrushColor(clRed);
        canvas.TextOut(2, 3, "   ");  // blanks: nothing but their cells
    }
    const QFontMetrics metrics{QFont()};
    EXPECT_EQ(CountPixels(image, 'r'), metrics.horizontalAdvance("   ") * metrics.height());
    EXPECT_EQ(PixelChar(image, 2, 3), 'r');
    EXPECT_EQ(PixelChar(image, 1, 3), '.');
    EXPECT_EQ(PixelChar(image, 2, 2), '.');
}

// A graph of the main window's geometry, its labels in a 12-pixel Japanese proportional Gothic
// (the installed stand-in for the window font), black on the button face.
std::unique_ptr<RetainedGraph> WindowGraph() {
    auto graph = std::make_unique<RetainedGraph>(kClientArea);
    QFont font("IPAPGothic");
    font.setPixelSize(12);
    graph->SetLabelFont(font);
    graph->SetLabelColors(Qt::black, kButtonFace);
    return graph;
}

// The client area as the window shows it: button face, labels, and the picture at (L, T).
QImage ClientArea(const RetainedGraph& graph) {
    QImage window(kClientArea, QImage::Format_RGB32);
    window.fill(kButtonFace);
    QPainter painter(&window);
    graph.Paint(painter, kImageTopLeft);
    return window;
}

GraphInputs Axes(bool logFrequency, bool levelsInDb) {
    GraphInputs inputs;
    inputs.logFrequency = logFrequency;
    inputs.levelsInDb = levelsInDb;
    return inputs;
}

struct PictureCase {
    const char* name;
    bool logFrequency;
    int red;
    int blue;
    std::vector<int> columns;  // the dotted columns, the one under a marker included
    friend void PrintTo(const PictureCase& picture, std::ostream* out) { *out << picture.name; }
};

// Worked out by hand from the grid and marker formulas for 593 x 337 and the texts "300" and
// "2000"; the store is the one before the first calculation, so no curve shows inside the image
// apart from the sum's opening stroke on the left edge.
class RetainedPictureTest : public QtRenderTest,
                            public ::testing::WithParamInterface<PictureCase> {};

TEST_P(RetainedPictureTest, GridMarkersAndFrameLandOnTheirPixels) {
    const PictureCase& expected = GetParam();
    auto graph = WindowGraph();
    DrawGraph(Axes(expected.logFrequency, true), dsp::ResponseStore{}, *graph);
    const QImage& picture = graph->Picture();
    ASSERT_EQ(picture.size(), QSize(593, 337));

    EXPECT_EQ(ColumnText(picture, expected.red), std::string(337, 'r'));
    EXPECT_EQ(ColumnText(picture, expected.blue), std::string(337, 'b'));
    const auto isColumn = [&](int x) {
        return std::find(expected.columns.begin(), expected.columns.end(), x) !=
               expected.columns.end();
    };
    const std::vector<int> rows = {281, 225, 169, 113, 57};
    for (int y = 1; y < 336; ++y) {
        const bool isRow = std::find(rows.begin(), rows.end(), y) != rows.end();
        for (int x = 1; x < 592; ++x) {
            // Dotted lines set their even pixels: rows from x = 0, columns from y = 0; the solid
            // markers lie over both.
            const bool dotted = (isRow && x % 2 == 0) || (isColumn(x) && y % 2 == 0);
            ASSERT_EQ(PixelChar(picture, x, y), x == expected.red    ? 'r'
                                                : x == expected.blue ? 'b'
                                                : dotted             ? '#'
                                                                     : '.')
                << x << ',' << y;
        }
    }
    // The frame, under the markers and the sum's opening stroke from (0, 56).
    EXPECT_EQ(ColumnText(picture, 592), std::string(337, '#'));
    const std::string left = ColumnText(picture, 0);
    EXPECT_EQ(left.substr(0, 56), std::string(56, '#'));
    EXPECT_EQ(left.substr(56),
              expected.logFrequency ? 'b' + std::string(280, '#') : std::string(281, 'b'));
    std::string top = RowText(picture, 0);
    top[static_cast<std::size_t>(expected.red)] = top[static_cast<std::size_t>(expected.blue)] =
        '#';
    EXPECT_EQ(top, std::string(593, '#'));
}

INSTANTIATE_TEST_SUITE_P(
    InitialTexts, RetainedPictureTest,
    ::testing::Values(
        PictureCase{
            "BothBoxesChecked", true, 291, 454, {59,  94,  119, 138, 153, 167, 178, 188, 197,
                                                 257, 291, 316, 335, 351, 364, 376, 386, 395,
                                                 454, 489, 514, 533, 549, 562, 573, 583}},
        PictureCase{
            "BothBoxesCleared", false, 17, 118, {59, 118, 177, 237, 296, 355, 415, 474, 533}}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

// On a scaled display the picture is drawn at the device's resolution: logical pixel v begins at
// device pixel floor(v · scale), and every line is round(scale) device pixels wide; the dots of
// the grid are squares as wide as the lines, with gaps as long, from the line's start on.
class ScaledPictureTest : public QtRenderTest, public ::testing::WithParamInterface<double> {};

TEST_P(ScaledPictureTest, LinesAreEvenAndOneLogicalPixelWide) {
    const double scale = GetParam();
    const int width = static_cast<int>(std::lround(scale));
    const auto device = [scale](int v) { return static_cast<int>(std::floor(v * scale)); };
    auto graph = WindowGraph();
    graph->SetDeviceScale(scale);
    DrawGraph(Axes(true, true), dsp::ResponseStore{}, *graph);
    const QImage& picture = graph->Picture();
    EXPECT_EQ(picture.size(), QSize(static_cast<int>(std::ceil(593 * scale)),
                                    static_cast<int>(std::ceil(337 * scale))));
    EXPECT_EQ(picture.devicePixelRatio(), scale);

    // The dotted row at y = 281 between the columns at x = 59 and 94.
    const int row = device(281);
    for (int x = device(60); x < device(94); ++x) {
        const bool dot = (x / width) % 2 == 0;
        for (int y = row - 1; y <= row + width; ++y) {
            const bool inRow = y >= row && y < row + width;
            ASSERT_EQ(PixelChar(picture, x, y), dot && inRow ? '#' : '.') << x << ',' << y;
        }
    }
    // The red marker at x = 291 runs down the whole height, width device pixels wide.
    const int markerColumn = device(291);
    for (int x = markerColumn - 1; x <= markerColumn + width; ++x) {
        const bool inMarker = x >= markerColumn && x < markerColumn + width;
        EXPECT_EQ(ColumnText(picture, x) == std::string(picture.height(), 'r'), inMarker) << x;
    }
    // The frame's corners are closed: its right and bottom edges meet.
    const QPoint corner(device(592), device(336));
    for (int dy = 0; dy < width; ++dy) {
        for (int dx = 0; dx < width; ++dx) {
            EXPECT_EQ(PixelChar(picture, corner.x() + dx, corner.y() + dy), '#') << dx << ',' << dy;
        }
    }
    // The labels' glyphs are smooth: their edges blend into the cells.
    const QImage labels = graph->Labels().convertToFormat(QImage::Format_RGB32);
    int blended = 0;
    for (int y = device(537); y < device(550); ++y) {
        for (int x = device(621); x < device(660); ++x) {
            const int gray = qGray(labels.pixel(x, y));
            blended += gray > 0 && gray < qGray(kButtonFace.rgb()) ? 1 : 0;
        }
    }
    EXPECT_GT(blended, 0);
}

INSTANTIATE_TEST_SUITE_P(DeviceScales, ScaledPictureTest, ::testing::Values(1.5, 2.0));

TEST_F(QtRenderTest, FailedRedrawLeavesThePreviousPictureAndLabels) {
    auto graph = WindowGraph();
    DrawGraph(Axes(true, true), dsp::ResponseStore{}, *graph);
    const QImage picture = graph->Picture().copy();
    const QImage labels = graph->Labels().copy();
    GraphInputs failing = Axes(false, false);
    failing.lowerEdgeText = "abc";
    EXPECT_THROW(DrawGraph(failing, dsp::ResponseStore{}, *graph), base::EConvertError);
    EXPECT_EQ(graph->Picture(), picture);
    EXPECT_EQ(graph->Labels(), labels);
    // And a redraw after it works on the kept pictures as usual.
    DrawGraph(Axes(false, false), dsp::ResponseStore{}, *graph);
    EXPECT_NE(graph->Labels(), labels);
}

// After a toggle the client area shows only the labels of the mode now shown, whatever the
// widths of the blanks and digits of the font.
TEST_F(QtRenderTest, ToggledAxesShowOnlyTheLabelsOfTheModeNowShown) {
    const std::pair<GraphInputs, GraphInputs> toggles[] = {
        {Axes(true, true), Axes(false, true)},
        {Axes(true, true), Axes(true, false)},
    };
    for (const auto& [before, after] : toggles) {
        auto toggled = WindowGraph();
        DrawGraph(before, dsp::ResponseStore{}, *toggled);
        DrawGraph(after, dsp::ResponseStore{}, *toggled);
        auto fresh = WindowGraph();
        DrawGraph(after, dsp::ResponseStore{}, *fresh);
        EXPECT_EQ(ClientArea(*toggled), ClientArea(*fresh))
            << before.logFrequency << before.levelsInDb << " -> " << after.logFrequency
            << after.levelsInDb;
    }
}

// Leaves a picture of the client area after a calculation with the initial texts, for anyone to
// look at, and checks what the design must show: the blue sum near 0 dB all along the axis
// (within about ±2.5 dB: rows 50 ... 64; without the adjustment it bulges by up to about 1 dB at
// the crossovers) and the band curves in black where the empty graph is white.
TEST_F(QtRenderTest, InitialDesignIsRenderedToTheBuildTree) {
    const dsp::Evaluation evaluation =
        dsp::EvaluateResponses(dsp::DesignCrossover(dsp::CrossoverParameters{}));
    auto graph = WindowGraph();
    DrawGraph(GraphInputs{}, *evaluation.store, *graph);
    auto empty = WindowGraph();
    DrawGraph(GraphInputs{}, dsp::ResponseStore{}, *empty);
    EXPECT_TRUE(ClientArea(*graph).save(KC_GRAPH_PNG_PATH)) << KC_GRAPH_PNG_PATH;

    const QImage& picture = graph->Picture();
    for (int x = 1; x < 592; ++x) {
        const std::string nearZeroDb = ColumnText(picture, x).substr(50, 15);
        EXPECT_NE(nearZeroDb.find('b'), std::string::npos) << x;
    }
    int bandPixels = 0;
    for (int y = 0; y < 337; ++y) {
        for (int x = 0; x < 593; ++x) {
            const bool bandOnly =
                PixelChar(picture, x, y) == '#' && PixelChar(empty->Picture(), x, y) == '.';
            bandPixels += bandOnly ? 1 : 0;
        }
    }
    EXPECT_GT(bandPixels, 300);
}

}  // namespace
}  // namespace kc::graph

// The chart functions shared by the comparison histogram and the feedstuff sheet's graph:
// the scale for any data, its labels, the geometry of the grid, the bars and whiskers, and
// the histogram's page as drawn for the preview and for the printer.
#include "views/chart/chart.h"

#include "tests/views/chart/chart_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

namespace lysora {
namespace {

using testing::ChartPages;
using testing::ChartRecorder;
using testing::Figure;

ChartScale Scale(std::vector<ChartBar> bars) { return CALCULERECHELLE(bars); }

void ExpectScale(const ChartScale& scale, int p1, int p2, int step)
{
    EXPECT_EQ(scale.P1, p1);
    EXPECT_EQ(scale.P2, p2);
    EXPECT_EQ(scale.step, step);
}

TEST(ChartScale, SpansTheBarsOnStepsOfTenOrOne)
{
    // Means +- deviations from 3.2 to 87.
    ExpectScale(Scale({{"A", 5.2, 2}, {"B", 80, 7}, {"C", 40, 0}}), 0, 90, 10);
    // Exactly 10 at the top: tens, and the top is a step above.
    ExpectScale(Scale({{"A", 8, 2}}), 0, 20, 10);
    // Everything below 10: ones, grid lines every half.
    ExpectScale(Scale({{"A", 2, 0.5}, {"B", 7.5, 1}}), 0, 9, 1);
    ExpectScale(Scale({{"A", 9.9, 0}}), 8, 10, 1); // 9.9 stays below 10
}

TEST(ChartScale, HoldsEveryBarWhateverTheData)
{
    // All zeros (missing values): one step.
    ExpectScale(Scale({{"A", 0, 0}, {"B", 0, 0}}), 0, 1, 1);
    // One bar standing on a step would start flat: the scale starts a step lower.
    ExpectScale(Scale({{"A", 50, 0}}), 40, 60, 10);
    ExpectScale(Scale({{"A", 5, 0}}), 4, 6, 1);
    // A deviation larger than its mean goes below zero.
    ExpectScale(Scale({{"A", 2, 5}}), -3, 8, 1);
    // Below zero the bottom is cut toward zero: -13 gives -10.
    ExpectScale(Scale({{"A", 20, 33}}), -10, 60, 10);
    // Tens below zero too, even when nothing reaches 10 above it.
    ExpectScale(Scale({{"A", -50, 0}}), -50, 10, 10);
    // A deviation counts by its size; values that are no number count as 0.
    ExpectScale(Scale({{"A", 40, -5}}), 30, 50, 10);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    ExpectScale(Scale({{"A", nan, std::numeric_limits<double>::infinity()}}), 0, 1, 1);
    // No bars at all: still a scale with a height.
    const ChartScale none = Scale({});
    EXPECT_GT(none.P2, none.P1);
}

TEST(ChartScale, LargeValuesTakeTheNextStepOfTheOneTwoFiveSeries)
{
    // 0 to 1000: tens would draw 203 grid lines, hundreds draw 23.
    ExpectScale(Scale({{"A", 0, 0}, {"B", 1000, 0}}), 0, 1100, 100);
    // Crude protein in g/kg beside a small value: tens 157 lines, hundreds 19.
    ExpectScale(Scale({{"A", 96, 4}, {"B", 850, 12}}), 0, 900, 100);
    // Up to 119 the tens draw 25 lines; from 120 on, twenties.
    ExpectScale(Scale({{"A", 0.5, 0}, {"B", 119, 0}}), 0, 120, 10);
    ExpectScale(Scale({{"A", 0.5, 0}, {"B", 120, 0}}), 0, 140, 20);
    // Small values below and above zero: twos instead of ones.
    ExpectScale(Scale({{"A", -9, 0}, {"B", 9, 0}}), -8, 10, 2);
    // Whatever the top, at most 25 lines, on a step of the series, above every bar.
    for (int top = 1; top <= 200000; top = top * 3 / 2 + 1) {
        const ChartScale scale = Scale({{"A", 0.5, 0}, {"B", double(top), 0}});
        EXPECT_LE((scale.P2 - scale.P1) * 2 / scale.step + 1, 25) << top;
        EXPECT_GT(scale.P2, top) << top;
        int lead = scale.step;
        while (lead % 10 == 0)
            lead /= 10;
        EXPECT_TRUE(lead == 1 || lead == 2 || lead == 5) << scale.step;
    }
}

TEST(ChartScale, ThirtyBarsWithManyDecimals)
{
    std::vector<ChartBar> bars;
    for (int i = 0; i < 30; ++i)
        bars.push_back({"F" + std::to_string(i), 10.123456 + i * 2.987654, 1.0 / 3});
    const ChartScale scale = CALCULERECHELLE(bars);
    ExpectScale(scale, 0, 100, 10);
    for (const ChartBar& bar : bars) {
        EXPECT_GE(bar.mean - bar.sd, scale.P1);
        EXPECT_LT(bar.mean + bar.sd, scale.P2);
    }
}

TEST(ChartScale, LabelsAreWholeOrOneDecimalWithAPoint)
{
    EXPECT_EQ(ScaleLabel(2.5), "2.5");
    EXPECT_EQ(ScaleLabel(10), "10");
    EXPECT_EQ(ScaleLabel(0), "0");
    EXPECT_EQ(ScaleLabel(-2.5), "-2.5");
    EXPECT_EQ(ScaleLabel(-3), "-3");
    EXPECT_EQ(ScaleLabel(3.995), "4");
    EXPECT_EQ(ScaleLabel(3.004), "3");
    EXPECT_EQ(ScaleLabel(12.34), "12.3");
}

TEST(ChartGeometry, MapsSlotsAndValuesWithoutDividingByZero)
{
    ChartGeometry chart{200, 400, 2650, 1200, 0, 90, 10};
    EXPECT_DOUBLE_EQ(chart.N2X(0), 200);
    EXPECT_DOUBLE_EQ(chart.N2X(10), 2850);
    EXPECT_DOUBLE_EQ(chart.N2X(1), 465);
    EXPECT_DOUBLE_EQ(chart.P2Y(90), 400);
    EXPECT_DOUBLE_EQ(chart.P2Y(0), 1600);
    EXPECT_DOUBLE_EQ(chart.P2Y(45), 1000);
    ChartGeometry empty{200, 400, 2650, 1200, 5, 5, 0};
    EXPECT_TRUE(std::isfinite(empty.N2X(1)));
    EXPECT_DOUBLE_EQ(empty.P2Y(3), 1600);
}

class ChartDrawing : public ::testing::Test {
protected:
    ChartDrawing() : pages(std::make_shared<ChartPages>()), pl(nullptr, "Chart", true, std::make_unique<ChartRecorder>(pages)) {}
    std::shared_ptr<ChartPages> pages;
    PL pl;
};

TEST_F(ChartDrawing, ScaleHasAGridLineAndALabelEveryHalfStep)
{
    ChartGeometry chart{200, 400, 2650, 1200, 0, 10, 4};
    DESSINERECHELLES(chart, pl, 1);
    ASSERT_EQ(pages->figures.size(), 1u);
    EXPECT_EQ(pl.M_LEFT, 10); // the margin is given back

    std::vector<Figure> lines = pages->Of(0, Figure::Line);
    // 21 grid lines, the axis and the border, 5 ticks.
    ASSERT_EQ(lines.size(), 21u + 2u + 5u);
    for (int k = 0; k <= 20; ++k) {
        const int y = 1600 - k * 60;
        EXPECT_EQ(lines[std::size_t(k)].x1, 190);
        EXPECT_EQ(lines[std::size_t(k)].x2, 2850);
        EXPECT_EQ(lines[std::size_t(k)].y1, y);
        EXPECT_EQ(lines[std::size_t(k)].y2, y);
    }
    EXPECT_EQ(lines[21].x1, 200); // left axis, bottom to top
    EXPECT_EQ(lines[21].y1, 1600);
    EXPECT_EQ(lines[21].y2, 400);
    EXPECT_EQ(lines[22].x1, 2850); // right border
    const int edges[] = {200, 863, 1525, 2188, 2850}; // the slot edges, rounded
    for (int n = 0; n <= 4; ++n) {
        const Figure& tick = lines[std::size_t(23 + n)];
        EXPECT_EQ(tick.x1, edges[n]) << n;
        EXPECT_EQ(tick.y1, 1600);
        EXPECT_EQ(tick.y2, 1610);
    }

    const std::vector<CellBox>& cells = pages->cells[0];
    ASSERT_EQ(cells.size(), 22u);
    EXPECT_EQ(cells.front().text, "0");
    EXPECT_EQ(cells[1].text, "0.5");
    EXPECT_EQ(cells[5].text, "2.5");
    EXPECT_EQ(cells[20].text, "10");
    for (int k = 0; k <= 20; ++k) {
        const CellBox& label = cells[std::size_t(k)];
        EXPECT_EQ(label.align, kCellRight);
        EXPECT_EQ(label.left, 0); // in the margin, 18 mm wide
        EXPECT_EQ(label.right, 180);
        EXPECT_EQ(-label.top, (1600 - k * 60) - 30); // centred on its line
    }
    EXPECT_EQ(cells.back().text, "%");
    EXPECT_EQ(cells.back().left, 150);
    EXPECT_EQ(-cells.back().top, 320);
}

TEST_F(ChartDrawing, BarFillsTheMiddleOfItsSlotWithAWhiskerOfOneDeviation)
{
    ChartGeometry chart{200, 400, 2000, 1000, 0, 100, 4};
    DESSINERBARRE(chart, pl, 2, 50, 10);
    std::vector<Figure> bars = pages->Of(0, Figure::Rectangle);
    ASSERT_EQ(bars.size(), 1u);
    // Slot 2 runs from 700 to 1200.
    EXPECT_EQ(bars[0].x1, 825);
    EXPECT_EQ(bars[0].x2, 1075);
    EXPECT_EQ(bars[0].y1, 1400); // the bottom of the scale
    EXPECT_EQ(bars[0].y2, 900);  // 50 of 100
    std::vector<Figure> whisker = pages->Of(0, Figure::Line);
    ASSERT_EQ(whisker.size(), 3u);
    EXPECT_EQ(whisker[0].x1, 950);
    EXPECT_EQ(whisker[0].y1, 800); // 60
    EXPECT_EQ(whisker[0].y2, 1000); // 40
    EXPECT_EQ(whisker[1].x1, 935);
    EXPECT_EQ(whisker[1].x2, 965);
    EXPECT_EQ(whisker[1].y1, 800);
    EXPECT_EQ(whisker[2].y1, 1000);
}

TEST_F(ChartDrawing, MissingValueIsAFlatBarWithoutWhisker)
{
    ChartGeometry chart{200, 400, 2000, 1000, 0, 100, 4};
    DESSINERBARRE(chart, pl, 1, 0, 0);
    std::vector<Figure> bars = pages->Of(0, Figure::Rectangle);
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].y1, bars[0].y2);
    EXPECT_TRUE(pages->Of(0, Figure::Line).empty());
}

HistogramPage Page(int count)
{
    HistogramPage page{"Comparison of raw nutrients", "Lysine", {}, {"Lysora", "Sample data", "07/12/26 10:00:00"}, 0x78F0FF};
    for (int i = 1; i <= count; ++i)
        page.bars.push_back({"Feed" + std::to_string(i), i * 1.5, i % 3 == 0 ? 0 : 0.75});
    return page;
}

TEST_F(ChartDrawing, HistogramWithoutBarsDrawsNothing)
{
    const ChartGeometry chart = DrawHistogram(pl, Page(0), ChartOutput::Preview);
    EXPECT_EQ(chart.NB, 0);
    pl.CLOSE();
    EXPECT_EQ(pl.PageCount(), 0);
    EXPECT_TRUE(pages->figures.empty());
}

TEST_F(ChartDrawing, HistogramPageForThePreviewTurnsItsLabelsUpward)
{
    const ChartGeometry chart = DrawHistogram(pl, Page(4), ChartOutput::Preview);
    pl.CLOSE();
    ASSERT_EQ(pl.PageCount(), 1);
    EXPECT_EQ(chart.NB, 4);
    EXPECT_EQ(chart.X, 200);
    EXPECT_EQ(chart.Y, 400);
    const std::vector<std::string> texts = pages->Texts(0);
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Comparison of raw nutrients");
    EXPECT_EQ(texts[1], "Lysine");
    EXPECT_EQ(pages->cells[0][0].font_height, 60);
    EXPECT_EQ(pages->cells[0][0].right - pages->cells[0][0].left, 2700);
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Lysora"), texts.end()); // the footer
    EXPECT_NE(std::find(texts.begin(), texts.end(), "07/12/26 10:00:00"), texts.end());

    std::vector<Figure> bars = pages->Of(0, Figure::Rectangle);
    ASSERT_EQ(bars.size(), 4u);
    for (const Figure& bar : bars)
        EXPECT_EQ(bar.fill, 0x78F0FFu);
    std::vector<Figure> labels = pages->Of(0, Figure::Text);
    ASSERT_EQ(labels.size(), 4u);
    EXPECT_TRUE(pages->Of(0, Figure::VerticalText).empty());
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(labels[std::size_t(i)].text, "Feed" + std::to_string(i + 1));
        EXPECT_EQ(labels[std::size_t(i)].escapement, 900);
        EXPECT_EQ(labels[std::size_t(i)].font_height, 45);
        EXPECT_EQ(labels[std::size_t(i)].y1, 1620); // 2 mm under the axis
        const double middle = chart.N2X(i + 0.5);
        EXPECT_NEAR(labels[std::size_t(i)].x1, middle + 20, 2);
    }
}

TEST_F(ChartDrawing, HistogramPageForThePrinterDrawsLabelsAsPictures)
{
    DrawHistogram(pl, Page(30), ChartOutput::Printer);
    pl.CLOSE();
    ASSERT_EQ(pl.PageCount(), 1);
    EXPECT_TRUE(pages->Of(0, Figure::Text).empty());
    std::vector<Figure> labels = pages->Of(0, Figure::VerticalText);
    ASSERT_EQ(labels.size(), 30u);
    EXPECT_EQ(labels.front().escapement, -900);
    EXPECT_EQ(labels.front().font_height, 40);
    std::vector<Figure> bars = pages->Of(0, Figure::Rectangle);
    ASSERT_EQ(bars.size(), 30u);
    for (std::size_t i = 1; i < bars.size(); ++i) // side by side, inside the plot
        EXPECT_GT(bars[i].x1, bars[i - 1].x2);
    EXPECT_LT(bars.back().x2, 2850);
    // Every third bar has no deviation: 20 whiskers, each with two caps 3 mm wide.
    std::size_t caps = 0;
    for (const Figure& line : pages->Of(0, Figure::Line))
        caps += line.x2 - line.x1 == 30 ? 1 : 0;
    EXPECT_EQ(caps, 2u * 20u);
}

TEST_F(ChartDrawing, LongLabelsStopAboveTheFooterOnScreenAndOnPaper)
{
    HistogramPage page = Page(3);
    page.bars[0].label = "Dr\xEA" "ches de brasserie d\xE9shydrat\xE9" "es"; // 33 characters
    page.bars[1].label = "Wheat bran";
    page.bars[2].label = "Feed with a name cut after a blank";
    for (ChartOutput output : {ChartOutput::Preview, ChartOutput::Printer}) {
        DrawHistogram(pl, page, output);
        pl.FORMFEED();
    }
    pl.CLOSE();
    ASSERT_EQ(pl.PageCount(), 2);
    const std::vector<Figure> shown[2] = {pages->Of(0, Figure::Text), pages->Of(1, Figure::VerticalText)};
    for (const std::vector<Figure>& labels : shown) {
        ASSERT_EQ(labels.size(), 3u);
        // From 162 mm down to 1 mm above the footer's 192 mm, at 22 tenths a character.
        EXPECT_EQ(labels[0].text, "Dr\xEA" "ches de\x85");
        EXPECT_EQ(labels[1].text, "Wheat bran");
        EXPECT_EQ(labels[2].text, "Feed with a\x85"); // no blank before the ellipsis
        for (const Figure& label : labels)
            EXPECT_LE(label.y1 + int(label.text.size()) * 45 / 2, 1910) << label.text;
    }
}

TEST_F(ChartDrawing, SheetGraphLabelsEachSlotInACentredCellUnderTheAxis)
{
    HistogramPage page = Page(7);
    page.geometry = kSheetGraphGeometry;
    page.labels = ChartLabels::Horizontal;
    for (ChartOutput output : {ChartOutput::Preview, ChartOutput::Printer}) {
        const ChartGeometry chart = DrawHistogram(pl, page, output);
        pl.FORMFEED();
        EXPECT_EQ(chart.Y, 450);
        EXPECT_EQ(chart.NB, 7);
        const std::size_t at = pages->figures.size() - 1;
        // No turned texts, for the screen or the printer: the labels are cells.
        EXPECT_TRUE(pages->Of(at, Figure::Text).empty());
        EXPECT_TRUE(pages->Of(at, Figure::VerticalText).empty());
        const std::vector<Figure> bars = pages->Of(at, Figure::Rectangle);
        ASSERT_EQ(bars.size(), 7u);
        for (int i = 1; i <= 7; ++i) {
            const std::string label = "Feed" + std::to_string(i);
            const auto cell = std::find_if(pages->cells[at].begin(), pages->cells[at].end(),
                                           [&](const CellBox& c) { return c.text == label; });
            ASSERT_NE(cell, pages->cells[at].end()) << label;
            // The slot is 378.57 tenths wide: a cell of 37 mm from the slot's left edge,
            // its text centred, 2 mm under the axis (1650).
            EXPECT_NEAR(cell->left, chart.N2X(i - 1), 1) << label;
            EXPECT_EQ(cell->right - cell->left, 370) << label;
            EXPECT_EQ(cell->align, kCellCentred) << label;
            EXPECT_EQ(-cell->top, 1670) << label;
            // Its bar stands over the middle of the same slot.
            const Figure& bar = bars[std::size_t(i - 1)];
            EXPECT_NEAR((bar.x1 + bar.x2) / 2.0, chart.N2X(i - 0.5), 1) << label;
            EXPECT_EQ(bar.y1, 1650) << label;
        }
    }
    pl.CLOSE();
    EXPECT_EQ(pl.PageCount(), 2);
}

} // namespace
} // namespace lysora

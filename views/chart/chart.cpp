// Bar charts on a page layout (see chart.h).
#include "views/chart/chart.h"

#include "base/display_number.h"
#include "base/text.h"

#include <algorithm>
#include <cmath>

namespace lysora {
namespace {

// Values beyond this are no measurement: they are held at it, so that rounding stays
// defined and the scale finite.
constexpr double kLargestValue = 1e6;

double Finite(double v)
{
    if (!std::isfinite(v))
        return 0;
    return std::clamp(v, -kLargestValue, kLargestValue);
}

int Whole(double v) { return int(std::lround(Finite(v))); }

// More grid lines than this (one every half step) merge their labels into a black band.
constexpr int kMostGridLines = 25;

// The histogram's vertical labels: their font height (the turned screen font, the larger of
// the two outputs) and the gap they keep above the page footer, in tenths of a millimetre.
constexpr int kLabelGap = 10;

int LabelHeight(const PL& pl) { return Whole((pl.FONT_SIZE + 0.5) * 10); }

int GridLines(const ChartScale& scale) { return (scale.P2 - scale.P1) * 2 / scale.step + 1; }

// The step after step in the series 1, 2, 5, 10, 20, 50, 100...
int NextStep(int step)
{
    int decade = 1;
    while (step >= decade * 10)
        decade *= 10;
    const int lead = step / decade;
    return (lead < 2 ? 2 : lead < 5 ? 5 : 10) * decade;
}

// The scale from lo to hi (whole numbers) on steps of step.
ChartScale OnStep(int lo, int hi, int step)
{
    ChartScale scale;
    scale.step = step;
    // A lowest bar standing exactly on a step would start flat at the bottom of the scale,
    // like a missing value: the scale then starts one step lower. Below zero the bottom is
    // cut toward zero (the lowest whisker may cross the axis).
    const int bottom = lo > 0 ? lo - 1 : lo;
    scale.P1 = bottom / step * step; // C++ division truncates toward zero
    scale.P2 = (hi + step) / step * step;
    if (scale.P2 <= scale.P1) // no bars
        scale.P2 = scale.P1 + step;
    return scale;
}

} // namespace

double ChartGeometry::N2X(double n) const { return X + n * W / std::max(NB, 1); }

double ChartGeometry::P2Y(double v) const
{
    if (P2 == P1)
        return Y + H;
    return Y + (P2 - Finite(v)) * H / (P2 - P1);
}

ChartScale CALCULERECHELLE(const std::vector<ChartBar>& bars)
{
    // Whole numbers are taken downwards, so that the scale holds every bar: P2 is always
    // above the highest value and P1, for values from zero up, at or below the lowest.
    int lo = 100, hi = 0;
    for (const ChartBar& bar : bars) {
        const double mean = Finite(bar.mean), sd = std::fabs(Finite(bar.sd));
        hi = std::max(hi, int(std::floor(mean + sd)));
        lo = std::min(lo, int(std::floor(mean - sd)));
    }
    // Tens for values of tens, below zero as above it: ones there would put the grid lines
    // closer than their labels are high. Values beyond about a hundred take a coarser step.
    ChartScale scale = OnStep(lo, hi, hi >= 10 || lo <= -10 ? 10 : 1);
    while (GridLines(scale) > kMostGridLines)
        scale = OnStep(lo, hi, NextStep(scale.step));
    return scale;
}

std::string ScaleLabel(double v)
{
    return NumberText(v, 1, '.');
}

void DESSINERECHELLES(const ChartGeometry& chart, PL& pl, int step)
{
    step = std::max(step, 1);
    const int left = chart.X, right = chart.X + chart.W;
    const int bottom = Whole(chart.P2Y(chart.P1)), top = Whole(chart.P2Y(chart.P2));
    // The labels stand left of the axis, inside the left margin.
    const double margin = pl.M_LEFT;
    pl.M_LEFT = 0;
    const int lines = std::max(0, (chart.P2 - chart.P1) * 2 / step);
    for (int k = 0; k <= lines; ++k) {
        const double v = chart.P1 + k * step / 2.0;
        const double y = chart.P2Y(v);
        pl.LINE(left - 10, Whole(y), right, Whole(y));
        pl.XY(chart.X / 10 - 20, y / 10 - 3);
        pl.OUT(Row{CELL(18, 6, ScaleLabel(v), "R")});
    }
    pl.M_LEFT = margin;
    pl.LINE(left, bottom, left, top);
    pl.LINE(right, bottom, right, top);
    for (int n = 0; n <= chart.NB; ++n) {
        const int x = Whole(chart.N2X(n));
        pl.LINE(x, bottom, x, bottom + 10);
    }
    pl.XY(chart.X / 10 - 5, chart.Y / 10 - 8);
    pl.OUT(Row{CELL(10, 6, std::string("%"), "C")});
}

void DESSINERBARRE(const ChartGeometry& chart, PL& pl, int i, double mean, double sd)
{
    const double start = chart.N2X(i - 1), slot = chart.N2X(i) - start;
    const int x1 = Whole(start + slot * 0.25), x2 = Whole(start + slot * 0.75);
    const int base = Whole(chart.P2Y(chart.P1)), top = Whole(chart.P2Y(mean));
    const int mid = Whole(start + slot / 2);
    const int dsd = Whole(chart.P2Y(0) - chart.P2Y(std::fabs(Finite(sd))));
    pl.RECTANGLE(x1, base, x2, top);
    if (Finite(sd) == 0)
        return;
    pl.LINE(mid, top - dsd, mid, top + dsd);
    pl.LINE(mid - 15, top - dsd, mid + 15, top - dsd);
    pl.LINE(mid - 15, top + dsd, mid + 15, top + dsd);
}

std::string FittedText(const PL& pl, const std::string& text, int height, int room)
{
    if (pl.TEXTLENGTH(text, height) <= room)
        return text;
    std::string cut = text;
    while (!cut.empty()) {
        cut.pop_back();
        const std::string shown = Trim(cut) + "\x85"; // the ellipsis
        if (pl.TEXTLENGTH(shown, height) <= room)
            return shown;
    }
    return {};
}

void TRAITERMAT(const ChartGeometry& chart, PL& pl, int i, const ChartBar& bar, ChartOutput output)
{
    DESSINERBARRE(chart, pl, i, bar.mean, bar.sd);
    pl.XY(chart.N2X(i - 1) / 10, chart.P2Y(chart.P1) / 10 + 2);
    const int slot = Whole(chart.N2X(i) - chart.N2X(i - 1));
    // The label reads down from under the axis and stops short of the page footer, the
    // same on screen and on paper.
    const int height = LabelHeight(pl);
    const std::string label = FittedText(pl, bar.label, height, kFooterTop * 10 - kLabelGap - Whole(pl.Y));
    if (output == ChartOutput::Preview)
        pl.TEXTOUT(pl.X + slot / 2 + Whole(pl.FONT_SIZE * 5), pl.Y, label, height, 900);
    else
        pl.VTEXTOUT(pl.X + slot / 2, pl.Y, label);
}

void TRAITERNUTRIMENT(const ChartGeometry& chart, PL& pl, int i, const ChartBar& bar)
{
    DESSINERBARRE(chart, pl, i, bar.mean, bar.sd);
    pl.XY(chart.N2X(i - 1) / 10, chart.P2Y(chart.P1) / 10 + 2);
    const int width = int(chart.N2X(i) - chart.N2X(i - 1)) / 10;
    pl.OUT(Row{CELL(width, 6, bar.label, "C")});
}

ChartGeometry DrawHistogram(PL& pl, const HistogramPage& page, ChartOutput output)
{
    ChartGeometry chart = page.geometry;
    if (page.bars.empty())
        return chart;
    pl.FONT_SIZE = 6;
    pl.OUT(Row{CELL(270, 8, page.title, "C")});
    pl.OUT(Row{CELL(270, 8, page.nutrient, "C")});
    pl.FONT_SIZE = 4;
    chart.NB = int(page.bars.size());
    const ChartScale scale = CALCULERECHELLE(page.bars);
    chart.P1 = scale.P1;
    chart.P2 = scale.P2;
    DESSINERECHELLES(chart, pl, scale.step);
    pl.FILL(page.fill);
    for (int i = 1; i <= chart.NB; ++i) {
        const ChartBar& bar = page.bars[std::size_t(i - 1)];
        if (page.labels == ChartLabels::Horizontal)
            TRAITERNUTRIMENT(chart, pl, i, bar);
        else
            TRAITERMAT(chart, pl, i, bar, output);
    }
    pl.FILL(std::nullopt);
    PIEDPAGE(pl, page.footer);
    return chart;
}

} // namespace lysora

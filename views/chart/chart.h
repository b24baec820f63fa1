// Bar charts on a page layout: the scale of a set of bars, the grid lines and labels of the
// scale, the axes, one bar with its deviation whisker, and the comparison histogram's page
// (one bar per feedstuff, its short name written vertically under the bar).
//
// Geometry is in tenths of a millimetre from the paper's top-left corner, y downwards. A
// chart is a plot rectangle (X, Y, W, H) holding NB equal bar slots side by side and a
// value scale from P1 at the bottom to P2 at the top. The feedstuff sheet's graph and the
// comparison histogram share everything here with their own rectangles.
//
// No division by zero: a chart without bars has one slot, a scale without height maps
// every value to the bottom. Bars with no value (0, 0) are drawn flat and without whisker.
#pragma once

#include "print/pl.h"
#include "print/value_table.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lysora {

// One bar: its label, the mean and the standard deviation of its value.
struct ChartBar {
    std::string label;
    double mean = 0;
    double sd = 0;
};

struct ChartScale {
    int P1 = 0;   // lowest value of the scale
    int P2 = 0;   // highest value of the scale
    int step = 1; // 10, or 1 for small values, coarser for large ones; grid lines every half step
};

struct ChartGeometry {
    int X = 0, Y = 0, W = 0, H = 0; // the plot rectangle
    int P1 = 0, P2 = 0;             // the scale
    int NB = 0;                     // the number of bars

    // x of the left edge of bar slot n + 1 (n = 0 ... NB).
    double N2X(double n) const;
    // y of the value v: P2 at the top (Y), P1 at the bottom (Y + H).
    double P2Y(double v) const;
};

// The scale of the bars: from the lowest mean - deviation (but never above 100) to the
// highest mean + deviation (but never below 0), each taken to the whole number below, on
// steps of 10 (1 when the values lie between -10 and 10). P2 is the next step above the
// highest; P1 the step below the lowest, cut toward zero below zero. A deviation counts by
// its size. Where that would draw more than 25 grid lines (values beyond about a hundred),
// the step is the first of the series 2, 5, 10, 20, 50, 100... that draws at most 25.
ChartScale CALCULERECHELLE(const std::vector<ChartBar>& bars);

// text as it fits in room tenths of a millimetre at height (tenths) in the layout's face:
// whole, or cut with an ellipsis ("\x85"); whole when the layout's drawer does not measure.
std::string FittedText(const PL& pl, const std::string& text, int height, int room);

// The label of a scale value: a whole number when v is within 0.01 of one, else one
// decimal; always "." as decimal point.
std::string ScaleLabel(double v);

// The scale: a grid line and a right-aligned label every half step from P1 to P2, the left
// axis and the right border, a tick under the axis at every slot edge, and "%" above the
// labels.
void DESSINERECHELLES(const ChartGeometry& chart, PL& pl, int step);

// Bar i (1-based): a rectangle over the middle half of its slot from the bottom of the
// scale to the mean, filled with the layout's current fill; when sd is not 0, a whisker of
// plus and minus sd with 3 mm caps.
void DESSINERBARRE(const ChartGeometry& chart, PL& pl, int i, double mean, double sd);

// The comparison histogram's vertical labels: on screen drawn in a turned font; for the
// printer each is drawn as a picture (VTEXTOUT), as printers do not all turn fonts.
enum class ChartOutput { Preview, Printer };

// How the bars are labelled: the histogram's feedstuffs vertically under each bar (long
// names, many bars), the sheet graph's nutrients in one line centred under each slot.
enum class ChartLabels { Vertical, Horizontal };

// The plot rectangles of the comparison histogram and of the feedstuff sheet's graph.
inline constexpr ChartGeometry kHistogramGeometry{200, 400, 2650, 1200, 0, 0, 0};
inline constexpr ChartGeometry kSheetGraphGeometry{200, 450, 2650, 1200, 0, 0, 0};

// A chart page: two title lines over the chart, the bars, the page footer.
struct HistogramPage {
    std::string title;    // "Comparaison des teneurs brutes" ...
    std::string nutrient; // the second line: the nutrient's long name, or the feedstuff's name
    std::vector<ChartBar> bars;
    PageFooter footer;
    std::uint32_t fill = 0; // the bars' colour, 0x00BBGGRR
    ChartGeometry geometry = kHistogramGeometry;
    ChartLabels labels = ChartLabels::Vertical;
};

// Feedstuff i (1-based): its bar, and its label written vertically under its slot.
void TRAITERMAT(const ChartGeometry& chart, PL& pl, int i, const ChartBar& bar, ChartOutput output);

// Nutrient i (1-based) of the sheet graph: its bar, and its short name in a centred cell as
// wide as its slot, 2 mm under the axis.
void TRAITERNUTRIMENT(const ChartGeometry& chart, PL& pl, int i, const ChartBar& bar);

// Lays a chart page out on pl (a landscape layout): the two title lines, the scale, the
// bars in the page's geometry with its labels, and the page footer. Answers the geometry
// used; nothing is drawn without bars.
ChartGeometry DrawHistogram(PL& pl, const HistogramPage& page, ChartOutput output);

} // namespace lysora

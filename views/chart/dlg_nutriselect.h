// DLG_NUTRISELECT: the small dialog in which the nutrient of a comparison histogram is
// chosen. On OK it closes and the chart of the chosen nutrient (one bar per feedstuff of
// the comparison, the current value type) is drawn on a landscape page and shown in the
// print preview. Printing from that preview draws the chart again for the printer (PL2).
//
// The comparison table that opens it is its owner and stays disabled while it is open.
#pragma once

#include "framework/dlg.h"
#include "views/chart/chart.h"

#include <optional>
#include <string>
#include <vector>

namespace lysora {

// What a histogram draws: kept by the dialog, and by the layout of its preview for
// printing, which may come after the dialog is gone.
struct HistogramRequest {
    Symbol valueType;
    std::string nutrient;
    std::vector<std::string> feedstuffs; // feedstuff codes, selection order
};

class DLG_NUTRISELECT : public DLG {
public:
    // INIT: owner the comparison table; the nutrients to which the value type applies
    // (codes and short names) and the feedstuff codes in selection order.
    DLG_NUTRISELECT(DLG* owner, Symbol valueType, std::vector<std::string> codes, std::vector<std::string> shortNames,
                    std::vector<std::string> matKeys);

    void ONCMD(Symbol sym) override;
    // Closes the dialog, then draws the chart and shows its preview.
    bool OK() override;
    // Draws the chart of the chosen nutrient and shows it in the preview.
    void IMPRIMERGRAPHE();

    double N2X(double n) const { return chart_.N2X(n); }
    double P2Y(double v) const { return chart_.P2Y(v); }
    const ChartGeometry& Chart() const { return chart_; }
    // What the dialog draws: the chosen nutrient (the first one when none is chosen).
    HistogramRequest Request();

private:
    std::string Chosen(); // the code the list shows, empty when none
    Symbol valueType_;
    std::vector<std::string> codes_, shortNames_, matKeys_;
    ChartGeometry chart_ = kHistogramGeometry;
};

// Opens the histogram of the comparison table owner for its value type, the nutrients to
// which the type applies (codes and short names) and its feedstuffs (codes, selection
// order). Without a nutrient or a feedstuff there is nothing to chart: nothing opens.
void OUVRIRHISTOGRAMME(DLG* owner, Symbol valueType, const std::vector<std::string>& codes,
                       const std::vector<std::string>& shortNames, const std::vector<std::string>& matKeys);

// Draws a chart page in the bars' header colour on a landscape layout titled title, owned
// by owner, and shows it: for the preview, in a preview whose printing draws the page again
// for the printer; for the printer, printed at once. Answers the geometry drawn; none when
// the page has no bars (nothing is drawn or shown) or the layout failed.
std::optional<ChartGeometry> PreviewChart(WIN* owner, const std::string& title, HistogramPage page,
                                          ChartOutput output = ChartOutput::Preview);

// Draws the chart of request on a landscape layout owned by owner and shows it: for the
// preview, in a preview whose printing draws the chart again; for the printer (owner then
// the preview), printed at once. Answers the geometry drawn; none when there was nothing to
// draw or the layout failed.
std::optional<ChartGeometry> IMPRIMERGRAPHE(WIN* owner, const HistogramRequest& request,
                                            ChartOutput output = ChartOutput::Preview);

} // namespace lysora

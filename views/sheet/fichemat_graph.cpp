// The feedstuff sheet's bar graph (see dlg_fichemat.h).
#include "views/sheet/dlg_fichemat.h"

#include "base/text.h"
#include "services/strings.h"
#include "views/chart/dlg_nutriselect.h"
#include "views/chart/histogram.h"

namespace lysora {

void DLG_FICHEMAT::IMPRIMERGRAPHE(int row, const std::vector<std::string>& codes,
                                  const std::vector<std::string>& names, Symbol key)
{
    // The permanent nutrient is charted for the two digestibilities only.
    const bool digestibility = key == Symbol("COMPDIG_A") || key == Symbol("COMPDIG_V");
    HistogramPage page;
    page.bars = data_->GraphBars(row, codes, names, digestibility);
    chart_ = kSheetGraphGeometry;
    if (page.bars.empty())
        return;
    page.title = LIB(key);
    page.nutrient = OutputTitle();
    page.footer = CurrentPageFooter();
    page.geometry = kSheetGraphGeometry;
    page.labels = ChartLabels::Horizontal;
    DOEVENTS();
    WAITCURSOR(true);
    chart_ = PreviewChart(this, LIB(Symbol("HISTOGRAMME")), std::move(page)).value_or(kSheetGraphGeometry);
    WAITCURSOR(false);
}

} // namespace lysora

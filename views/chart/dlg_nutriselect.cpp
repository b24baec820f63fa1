// DLG_NUTRISELECT and the drawing of the comparison histogram (see dlg_nutriselect.h).
#include "views/chart/dlg_nutriselect.h"

#include "base/text.h"
#include "data/domain.h"
#include "print/metafile_win32.h"
#include "print/preview_win32.h"
#include "services/colours.h"
#include "services/screen.h"
#include "services/strings.h"
#include "views/chart/histogram.h"

#include <memory>

namespace lysora {
namespace {

const Symbol& NUTRI()
{
    static const Symbol sym("NUTRI");
    return sym;
}

// The dialog's background: a coloured band above a white one, the colour as near the
// accent as the screen's depth allows.
std::string Background(int bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8: return "Cr255g255 R245:50:r255g255 Cw255 @0:50 R245:39:w255";
    case 16: return "Cr255g192 R245:50:r255g192 Cw255 @0:50 R245:39:w255";
    default: return "Cr255g184 R245:50:r255g184 Cw255 @0:50 R245:39:w255";
    }
}

} // namespace

DLG_NUTRISELECT::DLG_NUTRISELECT(DLG* owner, Symbol valueType, std::vector<std::string> codes,
                                 std::vector<std::string> shortNames, std::vector<std::string> matKeys)
    : DLG(owner, GKT_DIALOG, LIB(Symbol("HISTOGRAMME"))), valueType_(valueType), codes_(std::move(codes)),
      shortNames_(std::move(shortNames)), matKeys_(std::move(matKeys))
{
    LBL(Symbol(), LIB(Symbol("CHOIXNUTRI")) + " :");
    X(155).FLD(NUTRI(), std::make_shared<DOM_CARLST>(100, false, codes_, shortNames_));
    if (WIN* list = FLD(NUTRI()))
        list->MOVE(WIN::kKeep, WIN::kKeep, 70, 200);
    XY(45, 60).CMD(cmd::OK, LIB(Symbol("OK")), 70, std::nullopt, "#Ok");
    XY(130, 60).CMD(cmd::CLOSE, LIB(Symbol("ANNULER")), 70, std::nullopt, "#" + LIB(Symbol("BTANNULER")));
    if (!codes_.empty())
        FLDSET(NUTRI(), codes_.front());
    BKTEXT(Background(NBBPP()));
    const COLORREF accent = COULEURACCENT();
    SETCOLOR(GetRValue(accent), GetGValue(accent), GetBValue(accent));
    CENTER(245, 115);
    BLOQUER();
}

std::string DLG_NUTRISELECT::Chosen()
{
    // The list's value follows what it shows once checked.
    if (auto* list = dynamic_cast<lysora::FLD*>(FLD(NUTRI())))
        list->VALIDATE();
    return AllTrim(FLDGET(NUTRI()).Text());
}

void DLG_NUTRISELECT::ONCMD(Symbol sym)
{
    if (sym == NUTRI() && !codes_.empty() && Chosen().empty())
        FLDSET(NUTRI(), codes_.front());
}

HistogramRequest DLG_NUTRISELECT::Request()
{
    std::string nutrient = Chosen();
    if (nutrient.empty() && !codes_.empty())
        nutrient = codes_.front();
    return {valueType_, nutrient, matKeys_};
}

bool DLG_NUTRISELECT::OK()
{
    // The request is taken first: once closed, the dialog may be released at any time.
    const HistogramRequest request = Request();
    WIN* comparison = PARENT();
    CLOSE();
    DOEVENTS();
    WAITCURSOR(true);
    lysora::IMPRIMERGRAPHE(comparison, request);
    WAITCURSOR(false);
    return true;
}

void DLG_NUTRISELECT::IMPRIMERGRAPHE()
{
    chart_ = lysora::IMPRIMERGRAPHE(PARENT(), Request()).value_or(kHistogramGeometry);
}

std::optional<ChartGeometry> PreviewChart(WIN* owner, const std::string& title, HistogramPage page, ChartOutput output)
{
    if (page.bars.empty())
        return std::nullopt;
    page.fill = COULEURENTETE();
    if (output == ChartOutput::Printer) {
        PL pl(owner, title, true, NewMetafileDrawer());
        const ChartGeometry chart = DrawHistogram(pl, page, output);
        if (!pl.CLOSE() || !PRINT(pl))
            return std::nullopt;
        return chart;
    }
    // Printing from the preview draws the chart again, for the printer, on a layout owned
    // by the preview.
    auto pl = std::make_shared<PL2>(owner, title, true, NewMetafileDrawer(), [title, page](PL2& shown) {
        WIN* preview = shown.PREVIEW_DLG ? static_cast<WIN*>(shown.PREVIEW_DLG) : shown.OWNER;
        return PreviewChart(preview, title, page, ChartOutput::Printer).has_value();
    });
    const ChartGeometry chart = DrawHistogram(*pl, page, output);
    if (!pl->CLOSE() || pl->PageCount() == 0)
        return std::nullopt;
    OpenPreview(pl);
    return chart;
}

std::optional<ChartGeometry> IMPRIMERGRAPHE(WIN* owner, const HistogramRequest& request, ChartOutput output)
{
    return PreviewChart(owner, LIB(Symbol("HISTOGRAMME")),
                        ReadHistogram(request.valueType, request.nutrient, request.feedstuffs), output);
}

void OUVRIRHISTOGRAMME(DLG* owner, Symbol valueType, const std::vector<std::string>& codes,
                       const std::vector<std::string>& shortNames, const std::vector<std::string>& matKeys)
{
    if (codes.empty() || matKeys.empty())
        return;
    std::vector<std::string> names = shortNames;
    names.resize(codes.size()); // a missing short name shows blank rather than shifting the list
    auto dialog = std::make_unique<DLG_NUTRISELECT>(owner, valueType, codes, names, matKeys);
    WIN::Adopt(std::move(dialog))->SHOW();
}

} // namespace lysora

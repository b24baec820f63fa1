// The comparison histogram's data (see histogram.h).
#include "views/chart/histogram.h"

#include "base/text.h"
#include "data/dbsel.h"
#include "data/domain_text.h"
#include "services/reftables.h"
#include "services/strings.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>

namespace lysora {
namespace {

constexpr std::size_t kNutriKeyWidth = 5; // nutrient codes are padded to this in keys

std::string Trimmed(DBSEL& selection, const char* field) { return AllTrim(selection.Get(Symbol(field)).Text()); }

double Number(DBSEL& selection, const std::string& field)
{
    const double v = selection.Get(Symbol(field)).Number();
    return std::isfinite(v) ? v : 0;
}

// The key of a feedstuff code in the orders that start with it; empty when the code is no
// number.
std::string FeedstuffKey(DBSEL& selection, const std::string& code)
{
    const std::string trimmed = AllTrim(code);
    const DOM* domain = selection.FLDOBJ(Symbol("MATIERE"));
    if (trimmed.empty() || !domain || trimmed.find_first_not_of("0123456789") != std::string::npos)
        return {};
    return domain->ORDVAL(Value(Val(trimmed)));
}

} // namespace

PageFooter CurrentPageFooter()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    char time[16];
    std::snprintf(time, sizeof time, "%02d:%02d:%02d", local.tm_hour, local.tm_min, local.tm_sec);
    const DonneesGenerales& general = DONNEESGENERALES();
    return {general.titre, general.copyright,
            DToC(Date::FromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday)) + " " + time};
}

HistogramPage ReadHistogram(Symbol valueType, const std::string& nutrient, const std::vector<std::string>& keys)
{
    HistogramPage page;
    page.title = LIB(Symbol("COMP" + valueType.Name()));
    page.footer = CurrentPageFooter();
    std::string nutriKey = AllTrim(nutrient);
    nutriKey.resize(std::max(nutriKey.size(), kNutriKeyWidth), ' ');

    DBSEL nutrients(AreaRef(TABLENUTRI()), Symbol("NUTRI"));
    if (nutrients.SEEK(nutriKey))
        page.nutrient = Trimmed(nutrients, "LONG");
    DBSEL values(AreaRef("valeurs"), Symbol("MAT_NUTRI"));
    DBSEL feedstuffs(AreaRef(TABLEMAT()), Symbol("MATIERE"));
    const std::string meanField = valueType.Name(), deviationField = "E_" + valueType.Name();
    const std::size_t count = std::min(keys.size(), kHistogramMaxFeedstuffs);
    for (std::size_t i = 0; i < count; ++i) {
        ChartBar bar;
        const std::string key = FeedstuffKey(feedstuffs, keys[i]);
        if (!key.empty() && feedstuffs.SEEK(key))
            bar.label = Trimmed(feedstuffs, "COURT");
        if (!key.empty() && values.SEEK(key + nutriKey)) {
            bar.mean = Number(values, meanField);
            bar.sd = Number(values, deviationField);
        }
        page.bars.push_back(bar);
    }
    return page;
}

} // namespace lysora

// The comparison histogram's data, read from the tables: for one nutrient and one value
// type, one bar per chosen feedstuff (its short name, the mean and the standard deviation),
// the titles of the page and its footer texts. Portable: the tables only.
#pragma once

#include "base/symbol.h"
#include "views/chart/chart.h"

#include <cstddef>
#include <string>
#include <vector>

namespace lysora {

// At most this many feedstuffs are charted, the first ones in selection order (the
// comparison table warns before).
inline constexpr std::size_t kHistogramMaxFeedstuffs = 30;

// The page footer as printed now: the software title and the legal notice of the current
// language, today's date and the time.
PageFooter CurrentPageFooter();

// The page of the histogram of nutrient for the feedstuffs of keys (feedstuff codes as
// text), value type TB, TB16G, DIG_A, DIG_V or TDIG_V. A feedstuff missing from the
// feedstuff table has an empty label; one without a value record a bar of 0 and no
// deviation. The bar colour is left to the caller.
HistogramPage ReadHistogram(Symbol valueType, const std::string& nutrient, const std::vector<std::string>& keys);

} // namespace lysora

// The comparison of feedstuffs without any window: the value types offered, the choice kept
// in the settings file ("Val", "ListeMat", "ListeNutri") and read back, the cross table's
// rows read from the reference tables, the nutrients a value type applies to, and the
// semicolon text of the spreadsheet export. DLG_COMPMATSELECT and DLG_COMPMAT are the
// windows over this.
//
// Rows follow the grid's layout: one array per feedstuff, element 1 its trimmed name,
// element k+1 the value of nutrient k: nil when the value type does not apply to the
// nutrient, 0 when the pair has no record in the value table.
#pragma once

#include "base/symbol.h"
#include "base/value.h"
#include "data/domain.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// The five value types in list order (TB, TB16G, DIG_A, DIG_V, TDIG_V); each is also the
// string-table key of its label and the name of its field in the value and nutrient tables.
const std::vector<std::string>& TYPESVALEUR();
inline constexpr std::string_view kTypeParDefaut = "TB";
// The domain of the value-type drop-down list: the codes shown by their labels in the
// current language.
DomPtr DOMTYPEVALEUR();

// ---- The choice kept in the settings file ----
struct ComparisonChoice {
    std::string valueType;             // a code of TYPESVALEUR
    std::vector<double> feedstuffs;    // feedstuff keys, list order
    std::vector<std::string> nutrients; // nutrient codes, list order
};
// Writes "Val", "ListeMat" (keys as trimmed numbers joined with ",") and "ListeNutri".
void SAVEINI(const ComparisonChoice& choice);
// "Val" as written, or TB when it names no value type (missing, empty, unknown).
std::string SavedValueType();
// The 0-based lines of keys (resp. codes) named in "ListeMat" (resp. "ListeNutri"), in the
// order they are named, each once. Tokens naming nothing in the list, and tokens that are
// not whole keys, are skipped.
std::vector<std::size_t> SavedFeedstuffLines(const std::vector<double>& keys);
std::vector<std::size_t> SavedNutrientLines(const std::vector<std::string>& codes);
// The same from a given text (the parsing behind the two above).
std::vector<std::size_t> FeedstuffLinesOf(std::string list, const std::vector<double>& keys);
std::vector<std::size_t> NutrientLinesOf(std::string list, const std::vector<std::string>& codes);

// ---- The lists of the selection ----
// A list box's content: the texts shown, and per line the key (feedstuffs: a number;
// nutrients: a code) and, for nutrients, the short name.
struct SelectionList {
    std::vector<std::string> texts;
    std::vector<Value> keys;
    std::vector<std::string> courts;
};
// Feedstuffs in name order (text LIBELLE, key MATIERE).
SelectionList FeedstuffList();
// Nutrients in ORDRE order (text the long name, key NUTRI, short name COURT), the
// permanent nutrient first whatever its order.
SelectionList NutrientList(std::string_view permanentNutrient);

// ---- The cross table ----
// CREERLIGNES: one row per feedstuff key (a key missing from the feedstuff table gives an
// empty title and no values), one value per nutrient code.
Value CREERLIGNES(std::string_view valueType, const std::vector<double>& feedstuffs,
                  const std::vector<std::string>& nutrients);

// The nutrients among codes (with their short names) to which the value type applies, in
// their order: what the histogram may draw.
struct NutrientColumns {
    std::vector<std::string> codes, courts;
};
NutrientColumns NutrientsCarrying(std::string_view valueType, const std::vector<std::string>& codes,
                                  const std::vector<std::string>& courts);

// ---- The spreadsheet export ----
// The semicolon text of a table: the header line ";" + each column title, then per row its
// title and ";" + each cell by the number display rule with decimalSeparator ("-" for 0,
// nothing for nil); every line ends with CR LF.
std::string SemicolonText(const std::vector<std::string>& columns, const Value& rows, char decimalSeparator);


} // namespace lysora

// The user's own batch of a feedstuff: its crude protein and dry matter as analysed on
// arrival (% as fed, each optional), and the sheet's values adjusted to it.
//
// The tables' amino-acid profile in g/16 g N varies far less between batches than the
// contents do, so a batch's amino acids are predicted from its crude protein:
//   amino-acid content = g/16 g N x batch crude protein / 100,
//   standardised digestible content = that content x standardised digestibility / 100.
// A batch dry matter scales every other as-fed content (the proximate analysis, and the amino
// acids too when no crude protein is given) by batch dry matter / table dry matter. Profiles,
// digestibilities and numbers of values stay the table's; the deviations of an adjusted
// content are left blank, since a table's deviation does not describe a computed value.
// Adjusted values are rounded to two decimals, as the tables store theirs.
//
// No window here: the sheet, its exports and the host tests share these rules.
#pragma once

#include "base/value.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

struct Batch {
    std::optional<double> proteine;     // crude protein, % as fed
    std::optional<double> matiereSeche; // dry matter, % as fed
    bool Empty() const { return !proteine && !matiereSeche; }
    bool operator==(const Batch&) const = default;
};

// Why a batch entry was refused; a string-table key (LOTNONNUMERIQUE ...), empty when valid.
struct BatchCheck {
    std::string key;
    int field = 0; // 1 crude protein, 2 dry matter, 0 both or none
    bool Ok() const { return key.empty(); }
};

// Reads the dialog's two texts (blank: not given) written with the user's decimal separator
// (a "." is taken too). Each given value must be a number with 0 < value <= 100, and a crude
// protein must stay below the dry matter. On a refusal `batch` is left as it was.
BatchCheck ReadBatch(std::string_view proteine, std::string_view matiereSeche, char decimalSeparator, Batch& batch);

// The batch as the settings file keeps it ("38.5;88", "38.5;", ";88"), and back: a text that
// is not exactly such a batch, or not a valid one, gives none.
std::string BatchSetting(const Batch& batch);
std::optional<Batch> BatchFromSetting(std::string_view setting);
// The settings key of a feedstuff's batch ("Lot12").
std::string BatchKey(int matiere);

// A value with two decimals and the given separator, as the marker line and the dialog show
// a batch: 38.5 -> "38,50".
std::string BatchNumber(double value, char decimalSeparator);

// The marker line of an adjusted sheet and of its outputs' titles: lead ("Adjusted to your
// batch:") then each given value with its nutrient's short name, two decimals and the
// separator: "Adjusted to your batch: CP 38.50 %, DM 88.00 %". Empty for an empty batch.
std::string BatchMarker(const Batch& batch, std::string_view lead, std::string_view proteinName,
                        std::string_view dryMatterName, char decimalSeparator);

// The dry matter's nutrient code in the tables (crude protein is the permanent nutrient).
inline constexpr std::string_view kDryMatterCode = "DM";

// What a nutrient is to the adjustment.
enum class NutrientKind { CrudeProtein, DryMatter, AminoAcid, OtherContent };

// The table's crude protein and dry matter of the feedstuff (0 when it has none).
struct BatchBasis {
    double proteine = 0;
    double matiereSeche = 0;
};

// Adjusts one nutrient's eleven cells, in value-field order (TB, E_TB, TB16G, ..., NB_VAL:
// nil where the nutrient does not carry the type, 0 where its record is missing), to the
// batch. A missing record stays 0; an empty batch changes nothing.
void AdjustToBatch(std::vector<Value>& cells, NutrientKind kind, const Batch& batch, const BatchBasis& basis);

} // namespace lysora

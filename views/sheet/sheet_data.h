// The records behind the feedstuff sheet, without a window: the feedstuff selection in
// alphabetical order with its navigation rules, the look-ups by name and by code, and the
// value rows of one nutrient group for the current feedstuff (CREERLIGNES). The sheet shows
// what this gives; the benchmark and the host tests drive it directly.
//
// The feedstuff, nutrient and value tables of the current language must be open.
#pragma once

#include "base/value.h"
#include "data/dbsel.h"
#include "views/chart/chart.h"
#include "views/sheet/batch.h"
#include "views/sheet/sheet_exports.h"

#include <optional>
#include <string>
#include <vector>

namespace lysora {

// What the sheet shows of the current feedstuff.
struct FeedstuffShown {
    int matiere = 0;        // MATIERE, 0 when none
    std::string libelle;    // trimmed LIBELLE
    std::string definition; // trimmed DEFINITION
};

class SheetData {
public:
    SheetData(); // the feedstuff selection in LIBELLE order, on its first record

    bool Eof() const { return feedstuffs_.Eof(); }
    // The current feedstuff; all empty at end of file.
    FeedstuffShown Current();

    // Navigation; each answers whether the sheet is to show the current feedstuff.
    bool PREMIER();
    bool PRECEDENT(); // on the first record stays there (and shows it again)
    bool SUIVANT();   // past the last record goes back to it and shows nothing new
    bool DERNIER();

    // Moves to the feedstuff of that name; false, not moving, when there is none.
    bool FindName(std::string_view libelle);
    // Moves to the feedstuff remembered by its code as the setting holds it ("12"); false,
    // not moving, when the text is empty, not a whole code, or names no feedstuff.
    bool FindCode(std::string_view setting);

    // CREERLIGNES: eleven rows in value-field order, each { title, cell 1 ... cell n } for
    // the n nutrient codes: the value field of the value record when the nutrient carries
    // that entry and the record exists, 0 when it carries the entry but the record is
    // missing, nil when it does not carry it or its code is not in the nutrient table. Every
    // cell is nil at end of file.
    Value CREERLIGNES(const std::vector<std::string>& codes);

    // The bars of the sheet graph of value row `row` (a mean entry of the value-field list,
    // 1-based) for the current feedstuff and the nutrients `codes` (short names `names`),
    // in their order: { short name, the row's field, the next field (its deviation) } from
    // the value record, or { short name, 0, 0 } when the record is missing. A nutrient not
    // in the nutrient table, or not carrying the row's entry, has no bar; the permanent
    // nutrient has one only when `withPermanent`. None at end of file or for a row with no
    // deviation after it.
    std::vector<ChartBar> GraphBars(int row, const std::vector<std::string>& codes,
                                    const std::vector<std::string>& names, bool withPermanent);

    // GETVALEURS: the formulation export's items of feedstuff `matiere`, nutrients in code
    // order: for each nutrient with a value record, each type of `types` (numbered from 1)
    // that the nutrient carries, its value (0 included).
    std::vector<OlvanItem> GETVALEURS(int matiere, const std::vector<Symbol>& types);

    // The user's batch of feedstuff `matiere`: while that feedstuff is the current one, the
    // rows, the graph bars and the formulation items above give its values adjusted to the
    // batch (an empty batch: the table's values).
    void SetBatch(int matiere, const Batch& batch);
    // The batch of the current feedstuff; empty when it has none.
    Batch CurrentBatch();
    // The table's crude protein and dry matter of the current feedstuff (0 when none).
    BatchBasis Basis();

private:
    // The eleven cells of one nutrient (the nutrient selection on it) for the feedstuff of
    // feedstuffKey: nil where the nutrient does not carry the type, 0 where no record holds
    // the value; adjusted to the batch on that basis when one is given.
    std::vector<Value> Cells(const std::string& feedstuffKey, const std::string& nutrientKey,
                             const std::optional<BatchBasis>& basis);
    // The basis of the current feedstuff's batch; none when it has no batch.
    std::optional<BatchBasis> BatchInForce();
    NutrientKind KindOf(const std::string& code) const;

    DBSEL feedstuffs_; // order LIBELLE
    DBSEL nutrients_;  // order NUTRI
    DBSEL values_;     // order MAT_NUTRI
    int batchMatiere_ = 0; // the feedstuff batch_ belongs to
    Batch batch_;
};

} // namespace lysora

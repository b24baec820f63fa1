// SheetData (see sheet_data.h).
#include "views/sheet/sheet_data.h"

#include "base/text.h"
#include "data/domain_text.h"
#include "services/reftables.h"
#include "services/strings.h"

#include <algorithm>
#include <cmath>

namespace lysora {
namespace {

const Symbol kMatiere("MATIERE"), kLibelle("LIBELLE"), kDefinition("DEFINITION"), kNutri("NUTRI");

// The seek key of a value of one field of the selection's table, as its order stores it:
// the domain's key form, a text padded to the field's width so that the seek is exact
// rather than a match on the first characters.
std::string KeyOf(const DBSEL& selection, Symbol field, const Value& value)
{
    const DOM* dom = selection.FLDOBJ(field);
    if (!dom)
        return value.Text();
    std::string key = dom->ORDVAL(value);
    if (dom->TYP() == "C" && int(key.size()) < dom->LEN())
        key.resize(std::size_t(dom->LEN()), ' ');
    return key;
}

// The code the "Mat" setting holds: a whole number from 1 up; none for anything else.
std::optional<int> SettingCode(std::string_view setting)
{
    const std::string text = AllTrim(setting);
    if (text.empty())
        return std::nullopt;
    const double number = Val(text);
    if (!(number >= 1 && number <= 9999) || number != std::floor(number))
        return std::nullopt;
    return int(number);
}

} // namespace

SheetData::SheetData()
    : feedstuffs_(AreaRef(TABLEMAT()), kLibelle), nutrients_(AreaRef(TABLENUTRI()), kNutri),
      values_(AreaRef("valeurs"), Symbol("MAT_NUTRI"))
{
    feedstuffs_.GOTOP();
}

FeedstuffShown SheetData::Current()
{
    if (feedstuffs_.Eof())
        return {};
    return {int(feedstuffs_.Get(kMatiere).Number()), AllTrim(feedstuffs_.Get(kLibelle).Text()),
            AllTrim(feedstuffs_.Get(kDefinition).Text())};
}

bool SheetData::PREMIER() { return feedstuffs_.GOTOP(); }

bool SheetData::PRECEDENT()
{
    if (feedstuffs_.Eof())
        return false;
    feedstuffs_.SKIP(-1);
    return !feedstuffs_.Eof();
}

bool SheetData::SUIVANT()
{
    if (feedstuffs_.Eof())
        return false;
    const std::int32_t remembered = feedstuffs_.RECNO();
    if (feedstuffs_.SKIP(1))
        return true;
    feedstuffs_.GOTO(remembered);
    return false;
}

bool SheetData::DERNIER() { return feedstuffs_.GOBOTTOM(); }

bool SheetData::FindName(std::string_view libelle)
{
    const std::int32_t remembered = feedstuffs_.RECNO();
    if (AllTrim(libelle).empty() || !feedstuffs_.SEEK(KeyOf(feedstuffs_, kLibelle, Value(AllTrim(libelle))))) {
        feedstuffs_.GOTO(remembered);
        return false;
    }
    return true;
}

bool SheetData::FindCode(std::string_view setting)
{
    const std::optional<int> code = SettingCode(setting);
    if (!code)
        return false;
    DBSEL byCode(AreaRef(TABLEMAT()), kMatiere);
    if (!byCode.SEEK(KeyOf(byCode, kMatiere, Value(*code))))
        return false;
    return FindName(byCode.Get(kLibelle).Text());
}

Value SheetData::CREERLIGNES(const std::vector<std::string>& codes)
{
    const std::vector<Symbol>& fields = CHAMPSVALEURS();
    const std::vector<std::string>& titles = TITRESVALEURS();

    // cells[j][i]: nutrient j, entry i (0-based); nil unless found below.
    std::vector<std::vector<Value>> cells(codes.size(), std::vector<Value>(fields.size()));
    if (!feedstuffs_.Eof()) {
        // One state of the tables for the whole table of values, checked for other users'
        // changes once rather than at each seek.
        const auto feedstuffsBurst = feedstuffs_.Burst(), nutrientsBurst = nutrients_.Burst(),
                   valuesBurst = values_.Burst();
        const std::string feedstuffKey = KeyOf(values_, kMatiere, feedstuffs_.Get(kMatiere));
        const std::optional<BatchBasis> basis = BatchInForce();
        for (std::size_t j = 0; j < codes.size(); ++j) {
            const std::string code = KeyOf(nutrients_, kNutri, Value(AllTrim(codes[j])));
            if (nutrients_.SEEK(code)) // else not a nutrient of the table: nothing to show
                cells[j] = Cells(feedstuffKey, code, basis);
        }
    }

    ValueArray rows;
    rows.reserve(fields.size());
    for (std::size_t i = 0; i < fields.size(); ++i) {
        ValueArray row;
        row.reserve(codes.size() + 1);
        row.push_back(Value(i < titles.size() ? titles[i] : fields[i].Name()));
        for (std::size_t j = 0; j < codes.size(); ++j)
            row.push_back(std::move(cells[j][i]));
        rows.push_back(Value(std::move(row)));
    }
    return Value(std::move(rows));
}

std::vector<Value> SheetData::Cells(const std::string& feedstuffKey, const std::string& nutrientKey,
                                    const std::optional<BatchBasis>& basis)
{
    const std::vector<Symbol>& fields = CHAMPSVALEURS();
    std::vector<Value> cells(fields.size());
    const bool found = values_.SEEK(feedstuffKey + nutrientKey);
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (VALEURSUPPORTEE(nutrients_, int(i + 1))) {
            // A field without a finite number counts as a value of 0.
            const double v = found ? values_.Get(fields[i]).Number() : 0.0;
            cells[i] = Value(std::isfinite(v) ? v : 0.0);
        }
    if (basis)
        AdjustToBatch(cells, KindOf(AllTrim(nutrientKey)), batch_, *basis);
    return cells;
}

void SheetData::SetBatch(int matiere, const Batch& batch)
{
    batchMatiere_ = matiere;
    batch_ = batch;
}

Batch SheetData::CurrentBatch()
{
    const bool current = !feedstuffs_.Eof() && batchMatiere_ != 0 && int(feedstuffs_.Get(kMatiere).Number()) == batchMatiere_;
    return current ? batch_ : Batch{};
}

std::optional<BatchBasis> SheetData::BatchInForce()
{
    if (CurrentBatch().Empty())
        return std::nullopt;
    return Basis();
}

NutrientKind SheetData::KindOf(const std::string& code) const
{
    const DonneesGenerales& general = DONNEESGENERALES();
    if (code == AllTrim(general.nutriPermanent))
        return NutrientKind::CrudeProtein;
    if (code == kDryMatterCode)
        return NutrientKind::DryMatter;
    for (const GroupeNutriments* group : {&general.aae, &general.aane})
        for (const std::string& amino : group->codes)
            if (AllTrim(amino) == code)
                return NutrientKind::AminoAcid;
    return NutrientKind::OtherContent;
}

BatchBasis SheetData::Basis()
{
    BatchBasis basis;
    if (feedstuffs_.Eof())
        return basis;
    const std::string feedstuffKey = KeyOf(values_, kMatiere, feedstuffs_.Get(kMatiere));
    auto content = [&](std::string_view code) {
        const double v = values_.SEEK(feedstuffKey + KeyOf(values_, kNutri, Value(code)))
                             ? values_.Get(Symbol("TB")).Number()
                             : 0.0;
        return std::isfinite(v) ? v : 0.0;
    };
    basis.proteine = content(AllTrim(DONNEESGENERALES().nutriPermanent));
    basis.matiereSeche = content(kDryMatterCode);
    return basis;
}

std::vector<ChartBar> SheetData::GraphBars(int row, const std::vector<std::string>& codes,
                                           const std::vector<std::string>& names, bool withPermanent)
{
    std::vector<ChartBar> bars;
    const std::vector<Symbol>& fields = CHAMPSVALEURS();
    if (feedstuffs_.Eof() || row < 1 || std::size_t(row) >= fields.size())
        return bars;
    const std::string permanent = AllTrim(DONNEESGENERALES().nutriPermanent);
    const std::string feedstuffKey = KeyOf(values_, kMatiere, feedstuffs_.Get(kMatiere));
    const std::optional<BatchBasis> basis = BatchInForce();
    for (std::size_t j = 0; j < codes.size(); ++j) {
        const std::string trimmed = AllTrim(codes[j]);
        if (!withPermanent && trimmed == permanent)
            continue;
        const std::string code = KeyOf(nutrients_, kNutri, Value(trimmed));
        if (!nutrients_.SEEK(code) || !VALEURSUPPORTEE(nutrients_, row))
            continue;
        const std::vector<Value> cells = Cells(feedstuffKey, code, basis);
        // A blank deviation (an adjusted content's) draws no whisker.
        bars.push_back({j < names.size() ? AllTrim(names[j]) : std::string(), cells[std::size_t(row - 1)].Number(),
                        cells[std::size_t(row)].Number()});
    }
    return bars;
}

std::vector<OlvanItem> SheetData::GETVALEURS(int matiere, const std::vector<Symbol>& types)
{
    std::vector<OlvanItem> items;
    const std::vector<Symbol>& fields = CHAMPSVALEURS();
    const std::string feedstuffKey = KeyOf(values_, kMatiere, Value(matiere));
    const bool current = !feedstuffs_.Eof() && int(feedstuffs_.Get(kMatiere).Number()) == matiere;
    const std::optional<BatchBasis> basis = current ? BatchInForce() : std::nullopt;
    const auto nutrientsBurst = nutrients_.Burst(), valuesBurst = values_.Burst();
    for (bool on = nutrients_.GOTOP(); on; on = nutrients_.SKIP(1)) {
        const std::string code = AllTrim(nutrients_.Get(kNutri).Text());
        const std::string nutrientKey = KeyOf(values_, kNutri, Value(code));
        if (!values_.SEEK(feedstuffKey + nutrientKey))
            continue;
        const std::vector<Value> cells = Cells(feedstuffKey, nutrientKey, basis);
        for (std::size_t k = 0; k < types.size(); ++k) {
            const auto field = std::find(fields.begin(), fields.end(), types[k]);
            if (nutrients_.Get(types[k]).Text() == "O" && field != fields.end())
                items.push_back({std::to_string(k + 1) + code, cells[std::size_t(field - fields.begin())].Number()});
        }
    }
    return items;
}

} // namespace lysora

// The comparison of feedstuffs without any window (see comparison.h).
#include "views/comparison/comparison.h"

#include "base/display_number.h"
#include "base/text.h"
#include "data/dbsel.h"
#include "data/domain_text.h"
#include "services/settings.h"
#include "services/strings.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <optional>

namespace lysora {
namespace {

constexpr int kMatWidth = 4;   // a feedstuff key in an index key: right-aligned in 4
constexpr int kNutriWidth = 5; // a nutrient code in an index key: padded to 5

std::string MatKey(double key) { return Str(key, kMatWidth); }

std::string NutriKey(std::string_view code)
{
    std::string key(code);
    if (key.size() < std::size_t(kNutriWidth))
        key.resize(kNutriWidth, ' ');
    return key;
}

std::string TextField(DBSEL& selection, const char* field) { return AllTrim(selection.Get(Symbol(field)).Text()); }

// Whether the value type applies to the nutrient: the nutrient is in the table and its flag
// field named like the type holds "O".
bool Carries(DBSEL& nutrients, std::string_view valueType, std::string_view code)
{
    return nutrients.SEEK(NutriKey(code)) && nutrients.Get(Symbol(valueType)).Text() == "O";
}

// A whole feedstuff key written as text ("12", " 7 "); nothing for any other text.
std::optional<double> WholeKey(std::string_view token)
{
    const std::string text = AllTrim(token);
    long long number = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, number);
    if (text.empty() || error != std::errc() || at != end)
        return std::nullopt;
    return double(number);
}

template <class Key, class Parse>
std::vector<std::size_t> LinesOf(std::string list, const std::vector<Key>& keys, Parse parse)
{
    std::vector<std::size_t> lines;
    while (!list.empty()) {
        const auto key = parse(NEXTTOKEN(list, ","));
        if (!key)
            continue;
        const auto found = std::find(keys.begin(), keys.end(), *key);
        if (found == keys.end())
            continue;
        const std::size_t line = std::size_t(found - keys.begin());
        if (std::find(lines.begin(), lines.end(), line) == lines.end())
            lines.push_back(line);
    }
    return lines;
}

} // namespace

const std::vector<std::string>& TYPESVALEUR()
{
    static const std::vector<std::string> types{"TB", "TB16G", "DIG_A", "DIG_V", "TDIG_V"};
    return types;
}

DomPtr DOMTYPEVALEUR()
{
    std::vector<std::string> labels;
    for (const std::string& code : TYPESVALEUR())
        labels.push_back(LIB(Symbol(code)));
    return std::make_shared<DOM_CARLST>(100, false, TYPESVALEUR(), labels);
}

void SAVEINI(const ComparisonChoice& choice)
{
    std::string mat, nutri;
    for (double key : choice.feedstuffs)
        mat += (mat.empty() ? "" : ",") + AllTrim(Str(key, 10));
    for (const std::string& code : choice.nutrients)
        nutri += (nutri.empty() ? "" : ",") + code;
    PUTPARAM(kParams, kKeyVal, choice.valueType);
    PUTPARAM(kParams, kKeyListeMat, mat);
    PUTPARAM(kParams, kKeyListeNutri, nutri);
}

std::string SavedValueType()
{
    const std::string saved = GETPARAM(kParams, kKeyVal);
    const std::vector<std::string>& types = TYPESVALEUR();
    return std::find(types.begin(), types.end(), saved) != types.end() ? saved : std::string(kTypeParDefaut);
}

std::vector<std::size_t> FeedstuffLinesOf(std::string list, const std::vector<double>& keys)
{
    return LinesOf(std::move(list), keys, WholeKey);
}

std::vector<std::size_t> NutrientLinesOf(std::string list, const std::vector<std::string>& codes)
{
    return LinesOf(std::move(list), codes, [](const std::string& token) {
        // Codes are stored trimmed; an empty token names nothing.
        return token.empty() ? std::nullopt : std::optional<std::string>(token);
    });
}

std::vector<std::size_t> SavedFeedstuffLines(const std::vector<double>& keys)
{
    return FeedstuffLinesOf(GETPARAM(kParams, kKeyListeMat), keys);
}

std::vector<std::size_t> SavedNutrientLines(const std::vector<std::string>& codes)
{
    return NutrientLinesOf(GETPARAM(kParams, kKeyListeNutri), codes);
}

SelectionList FeedstuffList()
{
    SelectionList list;
    DBSEL feedstuffs(AreaRef(TABLEMAT()), Symbol("LIBELLE"));
    for (feedstuffs.GOTOP(); !feedstuffs.Eof(); feedstuffs.SKIP(1)) {
        list.texts.push_back(TextField(feedstuffs, "LIBELLE"));
        list.keys.push_back(feedstuffs.Get(Symbol("MATIERE")));
    }
    return list;
}

SelectionList NutrientList(std::string_view permanentNutrient)
{
    SelectionList list;
    DBSEL nutrients(AreaRef(TABLENUTRI()), Symbol("ORDRE"));
    for (nutrients.GOTOP(); !nutrients.Eof(); nutrients.SKIP(1)) {
        std::string code = TextField(nutrients, "NUTRI");
        std::string text = TextField(nutrients, "LONG");
        std::string court = TextField(nutrients, "COURT");
        const bool first = code == permanentNutrient;
        list.texts.insert(first ? list.texts.begin() : list.texts.end(), std::move(text));
        list.keys.insert(first ? list.keys.begin() : list.keys.end(), Value(std::move(code)));
        list.courts.insert(first ? list.courts.begin() : list.courts.end(), std::move(court));
    }
    return list;
}

Value CREERLIGNES(std::string_view valueType, const std::vector<double>& feedstuffs,
                  const std::vector<std::string>& nutrients)
{
    DBSEL mat(AreaRef(TABLEMAT()), Symbol("MATIERE"));
    DBSEL nutri(AreaRef(TABLENUTRI()), Symbol("NUTRI"));
    DBSEL values(AreaRef("valeurs"), Symbol("MAT_NUTRI"));
    const Symbol field(valueType);
    // The rows are read from one state of the tables, checked for other users' changes
    // once rather than at each of their many seeks.
    const auto matBurst = mat.Burst(), nutriBurst = nutri.Burst(), valuesBurst = values.Burst();

    // Whether the type applies to a nutrient does not depend on the feedstuff: each
    // nutrient is sought once, not once per row.
    std::vector<std::string> keys(nutrients.size());
    for (std::size_t k = 0; k < nutrients.size(); ++k)
        if (Carries(nutri, valueType, nutrients[k]))
            keys[k] = NutriKey(nutrients[k]);

    ValueArray rows;
    rows.reserve(feedstuffs.size());
    for (double key : feedstuffs) {
        ValueArray row(nutrients.size() + 1);
        const std::string matKey = MatKey(key);
        if (mat.SEEK(matKey)) {
            row[0] = Value(TextField(mat, "LIBELLE"));
            for (std::size_t k = 0; k < nutrients.size(); ++k)
                if (!keys[k].empty())
                    row[k + 1] = values.SEEK(matKey + keys[k]) ? values.Get(field) : Value(0);
        } else {
            row[0] = Value(std::string());
        }
        rows.emplace_back(std::move(row));
    }
    return Value(std::move(rows));
}

NutrientColumns NutrientsCarrying(std::string_view valueType, const std::vector<std::string>& codes,
                                  const std::vector<std::string>& courts)
{
    NutrientColumns kept;
    DBSEL nutri(AreaRef(TABLENUTRI()), Symbol("NUTRI"));
    for (std::size_t k = 0; k < codes.size(); ++k)
        if (Carries(nutri, valueType, codes[k])) {
            kept.codes.push_back(codes[k]);
            kept.courts.push_back(k < courts.size() ? courts[k] : std::string());
        }
    return kept;
}

std::string SemicolonText(const std::vector<std::string>& columns, const Value& rows, char decimalSeparator)
{
    std::string text;
    for (const std::string& title : columns)
        text += ";" + title;
    text += "\r\n";
    for (const Value& row : rows.Array()) {
        const ValueArray& cells = row.Array();
        text += cells.empty() ? std::string() : cells[0].Text();
        for (std::size_t k = 1; k <= columns.size(); ++k)
            text += ";" + (k < cells.size() ? DisplayNumber(cells[k], decimalSeparator) : std::string());
        text += "\r\n";
    }
    return text;
}

} // namespace lysora

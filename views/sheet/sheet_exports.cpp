// The sheet's export texts (see sheet_exports.h).
#include "views/sheet/sheet_exports.h"

#include "base/display_number.h"
#include "base/text.h"

#include <cstdio>

namespace lysora {
namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::size_t kOlvanNameLength = 50;

// The cell of element `element` of row `row` of a rows array; nil when it has none.
const Value& CellOf(const Value& rows, std::size_t row, std::size_t element)
{
    static const Value none;
    if (!rows.IsArray() || row >= rows.Array().size())
        return none;
    const Value& line = rows.Array()[row];
    return line.IsArray() && element < line.Array().size() ? line.Array()[element] : none;
}

// The first nutrient of every group but the first is the permanent one, shown once.
std::size_t FirstColumn(std::size_t group) { return group == 0 ? 0 : 1; }

} // namespace

std::string SpreadsheetText(const std::string& name, const std::string& definition,
                            const std::vector<ExportGroup>& groups, char decimalSeparator)
{
    std::string text = name + kLineEnd + definition + kLineEnd + kLineEnd;
    for (std::size_t g = 0; g < groups.size(); ++g)
        for (std::size_t j = FirstColumn(g); j < groups[g].courts.size(); ++j)
            text += ";" + groups[g].courts[j];
    text += kLineEnd;
    const Value& titles = groups.empty() ? Value() : groups.front().rows;
    const std::size_t rowCount = titles.IsArray() ? titles.Array().size() : 0;
    for (std::size_t i = 0; i < rowCount; ++i) {
        text += CellOf(titles, i, 0).Text();
        for (std::size_t g = 0; g < groups.size(); ++g)
            for (std::size_t j = FirstColumn(g); j < groups[g].courts.size(); ++j)
                text += ";" + DisplayNumber(CellOf(groups[g].rows, i, j + 1), decimalSeparator);
        text += kLineEnd;
    }
    return text;
}

std::string OlvanText(int code, const std::string& name, const std::vector<OlvanItem>& items, const std::string& note)
{
    std::string text = std::string("Matieres Premieres  - OLVAN 2 - (c) OLVAN-FORMULATION") +
                       (note.empty() ? std::string() : " - " + note) + kLineEnd;
    if (code == 0)
        return text;
    text += "01\t" + std::to_string(code) + "\t" + AllTrim(name).substr(0, kOlvanNameLength) + kLineEnd;
    text += "02\t" + std::to_string(items.size()) + kLineEnd;
    for (const OlvanItem& item : items)
        text += "03\t" + item.identifier + "\t" + NumberText(item.value, kValueDecimals, '.') + kLineEnd;
    return text;
}

} // namespace lysora

// Selections as data objects and tables as code lists (see table_data.h).
#include "framework/table_data.h"

#include "data/domain_text.h"

namespace lysora {

int SelectionData::IndexOf(Symbol field) const
{
    const std::vector<Symbol>& fields = selection_.FLDSYM();
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (fields[i] == field)
            return int(i);
    return -1;
}

bool SelectionData::Has(Symbol field) const { return IndexOf(field) >= 0; }

DomPtr SelectionData::FLDOBJ(Symbol field) const
{
    int index = IndexOf(field);
    return index < 0 ? nullptr : selection_.FLDOBJ()[std::size_t(index)];
}

TableCodes::TableCodes(Symbol table, Symbol order, Symbol codeField, Symbol textField)
    : table_(table), order_(order), codeField_(codeField), textField_(textField)
{
}

std::optional<std::string> TableCodes::Describe(std::string_view paddedCode)
{
    if (!DBSEL::ISOPEN(table_))
        return std::nullopt; // the table is not open: no code can be found
    DBSEL selection(table_, order_);
    if (!selection.SEEK(paddedCode))
        return std::nullopt;
    Value text = selection.Get(textField_);
    if (text.IsText() || text.IsNil())
        return AllTrim(text.Text());
    DOM* domain = selection.FLDOBJ(textField_);
    return domain ? AllTrim(domain->STR(text)) : std::string();
}

} // namespace lysora

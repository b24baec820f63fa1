// DOM_CARTBL (see domain_cartbl.h).
#include "data/domain_cartbl.h"

#include "data/dbsel.h"
#include "data/domain_text.h"

namespace lysora {
namespace {

// A field of the selection's record as list text: trimmed text, or the field's own STR.
std::string ListText(DBSEL& selection, Symbol field)
{
    Value value = selection.Get(field);
    if (value.IsText() || value.IsNil())
        return AllTrim(value.Text());
    DOM* domain = selection.FLDOBJ(field);
    return domain ? AllTrim(domain->STR(value)) : std::string();
}

} // namespace

DOM_CARTBL::DOM_CARTBL(int len, bool notnull, Symbol table, Symbol order, Symbol valueField,
                       Symbol textField, int width)
    : DOM_CARLST(len, notnull, {}, {}, width),
      table_(table), order_(order), valueField_(valueField), textField_(textField)
{
}

bool DOM_CARTBL::LOAD()
{
    if (loaded_)
        return true;
    if (!DBSEL::ISOPEN(table_))
        return false;
    DBSEL selection(table_, order_);
    std::vector<std::string> values, texts;
    for (bool onRecord = selection.GOTOP(); onRecord; onRecord = selection.SKIP(1)) {
        values.push_back(ListText(selection, valueField_));
        texts.push_back(ListText(selection, textField_));
    }
    SetLists(std::move(values), std::move(texts));
    loaded_ = true;
    return true;
}

bool DOM_CARTBL::REFRESH()
{
    loaded_ = false;
    return LOAD();
}

Value DOM_CARTBL::VAL(std::string_view text)
{
    LOAD();
    return DOM_CARLST::VAL(text);
}

std::string DOM_CARTBL::STR(const Value& value)
{
    std::string trimmed = AllTrim(value.Text());
    LOAD();
    return DOM_CARLST::STR(Value(trimmed));
}

} // namespace lysora

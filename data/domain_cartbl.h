// DOM_CARTBL: a character field chosen from a list read from a table, its values from one
// field and their texts from another, in the order of one index order. The lists are read
// through a selection the first time they are needed and again on REFRESH.
#pragma once

#include "data/domain.h"

namespace lysora {

class DOM_CARTBL : public DOM_CARLST {
public:
    // length, mandatory, and the table (its alias), the order, the value and text fields;
    // width of the drop-down list (0: the list rule decides).
    DOM_CARTBL(int len, bool notnull, Symbol table, Symbol order, Symbol valueField, Symbol textField,
               int width = 0);

    // Reads the lists unless they are read already; false (lists left empty, read again
    // next time) while the table is not open.
    bool LOAD();
    bool REFRESH(); // reads the lists again

    Value VAL(std::string_view text) override;
    // The text of the trimmed value.
    std::string STR(const Value& value) override;
    void LoadLists() override { LOAD(); }

private:
    Symbol table_, order_, valueField_, textField_;
    bool loaded_ = false;
};

} // namespace lysora

// The tables behind dialogs: a table selection as a dialog's data object (DLG:DATA), and a
// table's codes and descriptions for a table-code control (CTL_TBL).
#pragma once

#include "data/dbsel.h"
#include "framework/code_table.h"
#include "framework/data_object.h"

namespace lysora {

// The current record of a selection: its fields by name, their domains and captions, and
// the selection's COMMIT. The selection must outlive the dialog that uses it.
class SelectionData : public DataObject {
public:
    explicit SelectionData(DBSEL& selection) : selection_(selection) {}
    bool Has(Symbol field) const override;
    Value Get(Symbol field) override { return selection_.Get(field); }
    bool Put(Symbol field, const Value& value) override { return selection_.Put(field, value); }
    DomPtr FLDOBJ(Symbol field) const override;
    std::string FLDTXT(Symbol field) const override { return selection_.FLDTXT(field); }
    bool HasCommit() const override { return true; }
    bool COMMIT() override { return selection_.COMMIT(); }
    DBSEL& Selection() { return selection_; }

private:
    int IndexOf(Symbol field) const; // -1 when the table has no such field
    DBSEL& selection_;
};

// Codes sought in one order of an open table; the description is the text field of the
// record found, trimmed.
class TableCodes : public CodeTable {
public:
    TableCodes(Symbol table, Symbol order, Symbol codeField, Symbol textField);
    std::optional<std::string> Describe(std::string_view paddedCode) override;
    Symbol CodeField() const { return codeField_; }
    Symbol TextField() const { return textField_; }
    Symbol Table() const { return table_; }
    Symbol Order() const { return order_; }

private:
    Symbol table_, order_, codeField_, textField_;
};

} // namespace lysora

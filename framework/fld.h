// Field controls: the windows that edit one value of a domain. Each keeps the last valid
// value (__VALUE), checks its text against its domain (the checks themselves are the
// portable ones of domain_edit.h) and reports an error as text, empty when valid; the
// dialog shows it. CONTROL is DOM:CONTROL, which picks and sizes the control of a domain.
//
// CTL_TBL reads its table through a CodeTable; its "..." button opens the standard
// field-browse dialog through a hook that stays empty until that dialog exists.
#pragma once

#include "data/domain.h"
#include "framework/code_table.h"
#include "framework/control_plan.h"
#include "framework/domain_edit.h"
#include "framework/win.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lysora {

class FLD : public WIN {
public:
    explicit FLD(WIN* parent, int type = GKT_EDIT);

    virtual Value GET() { return value_; }
    virtual void SET(const Value& value);
    // Checks the control's text; empty when valid (the value is then kept), else the error.
    virtual std::string VALIDATE();
    void SETICON() override {}
    void ONCREATE() override;
    // True for a control reached through a table (FLDX): its command opens a browse.
    virtual bool IsTableControl() const { return false; }

    const DomPtr& Domain() const { return dom_; } // __DOM
    void SetDomain(DomPtr dom) { dom_ = std::move(dom); }
    bool Mandatory() const { return dom_ && dom_->NOTNULL(); }

    int NBCAR = 0;       // maximum number of characters typed
    std::string PICTURE; // input picture, kept for the controls that use one

protected:
    // The text the control shows for a value.
    virtual std::string TextOf(const Value& value);
    // Shows a check's outcome: the value kept when valid (or when the text is blank), the
    // normalised text shown; answers the error.
    std::string Apply(const FieldCheck& check, bool blank);

    Value value_; // __VALUE
    DomPtr dom_;  // __DOM
};

class EDIT : public FLD {
public:
    explicit EDIT(WIN* parent) : FLD(parent, GKT_EDIT) {}
    void ONCREATE() override; // the text limit is NBCAR
};

class EDIT_NUM : public EDIT {
public:
    using EDIT::EDIT;
    std::string VALIDATE() override;

protected:
    std::string TextOf(const Value& value) override;
};

class EDIT_DAT : public EDIT {
public:
    using EDIT::EDIT;
    std::string VALIDATE() override;

protected:
    std::string TextOf(const Value& value) override;
};

class EDIT_CARNUM : public EDIT {
public:
    using EDIT::EDIT;
    std::string VALIDATE() override;
    int LEN = 10, DEC = 0;

protected:
    std::string TextOf(const Value& value) override;
};

// Drop-down list: the value list and the text list shown for it.
class COMBO : public FLD {
public:
    explicit COMBO(WIN* parent) : FLD(parent, GKT_COMBO) {}
    void SETLIST(std::vector<std::string> values, std::vector<std::string> texts = {});
    void SET(const Value& value) override;
    std::string VALIDATE() override;
    void ONCREATE() override;
    std::string SelectedText() const;

private:
    const std::vector<std::string>& Shown() const { return texts_.empty() ? values_ : texts_; }
    void Select(int index);
    std::vector<std::string> values_, texts_;
    int selected_ = -1;
};

// Check box holding "O" (checked) or "N".
class CTL_BOOL : public FLD {
public:
    explicit CTL_BOOL(WIN* parent) : FLD(parent, GKT_CHECKBOX) {}
    Value GET() override;
    void SET(const Value& value) override;
    std::string VALIDATE() override;
};

// Colour box holding "r<red>g<green>b<blue>".
class CTL_COLOR : public FLD {
public:
    explicit CTL_COLOR(WIN* parent) : FLD(parent, GKT_COLORBOX) {}
    Value GET() override;
};

// A code edit, its description and a "..." button that browses the table.
class CTL_TBL : public FLD {
public:
    CTL_TBL(WIN* parent, int codeLen, std::shared_ptr<CodeTable> table, bool mandatory = false,
            std::string_view bitmap = {});
    // Codes sought in an order of an open table; fields: the code field, then the field
    // that describes the code (the code itself when there is none).
    CTL_TBL(WIN* parent, int codeLen, Symbol table, Symbol order, const std::vector<Symbol>& fields,
            bool mandatory = false, std::string_view bitmap = {});

    bool IsTableControl() const override { return true; }
    WIN& SHOW(int nShow = SW_SHOW) override;
    void Display(int nShow) override;
    void SET(const Value& value) override;
    std::string VALIDATE() override;
    void ONCMD(Symbol sym) override; // the "..." button
    void ID(Symbol sym) override;
    std::vector<HWND> Windows() const override; // the code edit, its description, "..."
    std::string Description() const { return description_.GETTEXT(); }
    int CodeLength() const { return codeLen_; }
    const std::shared_ptr<CodeTable>& Codes() const { return table_; }

    // Opens the field-browse dialog on the control; empty until that dialog is built.
    static std::function<void(CTL_TBL&)>& BrowseHook();

private:
    void Describe(const std::optional<std::string>& text);
    int codeLen_;
    std::shared_ptr<CodeTable> table_;
    bool mandatory_;
    FLD description_;
    std::unique_ptr<WIN> button_;
};

// DOM:CONTROL: the control of a domain on parent, sized by the domain; with factory, a
// control of that class instead of the domain's own.
using ControlFactory = std::function<std::unique_ptr<FLD>(WIN* parent)>;
std::unique_ptr<FLD> CONTROL(const DomPtr& dom, WIN* parent, std::string_view picture = {},
                             const ControlFactory& factory = {});

} // namespace lysora

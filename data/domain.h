// Domains: the table-schema description of one data field (type letter, width, decimals,
// mandatory flag, the form its values take), with text conversion, validation, index keys and
// print width. The table declarations attach one domain to each field.
//
// Which control edits a field, and how wide, is the dialog framework's business
// (framework/control_plan.h): it reads what a domain says here. The table-backed list domain
// DOM_CARTBL is in domain_cartbl.h (it reads a table).
#pragma once

#include "base/symbol.h"
#include "base/value.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lysora {

// The messages of the domains and their field controls, French as all framework messages.
inline constexpr std::string_view kSaisieObligatoire = "Saisie obligatoire";
inline constexpr std::string_view kValeurTrop = "Valeur trop ";
inline constexpr std::string_view kDateIncorrecte = "Date incorrecte";
inline constexpr std::string_view kNonTrouve = "Non trouvé";

// The form a domain's values take beyond their type letter.
enum class ValueForm {
    Plain,     // as the type letter says
    UpperCase, // text kept in upper case
    Lines,     // text of several lines
    Colour,    // "r<red>g<green>b<blue>"
    Flag,      // one-character flag, "O" or "N"
    List,      // one of a list of values (DOM_CARLST)
};

class DOM {
public:
    // type letter "C", "N", "L" or "D"; length; decimals; input required.
    explicit DOM(std::string typ, int len = 8, int dec = 0, bool notnull = false);
    virtual ~DOM() = default;

    const std::string& TYP() const { return typ_; }
    int LEN() const { return len_; }
    int DEC() const { return dec_; }
    bool NOTNULL() const { return notnull_; }
    bool NUM() const { return num_; }   // a character field that holds a number
    bool SPIN() const { return spin_; } // kept for the controls; no control uses it yet
    // The empty value of the type: "" / 0 / false / the empty date.
    Value EmptyValue() const;
    // The error text left by the last VAL; empty when there was none.
    const std::string& Error() const { return error_; }

    // Error text for a value; empty when valid ("Saisie obligatoire" for an empty value of
    // a mandatory domain).
    virtual std::string VALIDATE(const Value& value) const;
    // Text to value; sets or clears the error text.
    virtual Value VAL(std::string_view text);
    // Value to text.
    virtual std::string STR(const Value& value);
    // Index expression of the field named field.
    virtual std::string ORDKEY(Symbol field) const;
    // Key form of a value, for seeking in an order built with ORDKEY.
    virtual std::string ORDVAL(const Value& value) const;
    // Printed column width for a character width c.
    double PRINTCOLWIDTH(double c) const;
    virtual ValueForm Form() const { return ValueForm::Plain; }

protected:
    void SetError(std::string_view text) { error_ = text; }
    void SetNum(bool num) { num_ = num; }

private:
    std::string typ_;
    int len_;
    int dec_;
    bool notnull_;
    std::string error_;
    bool num_ = false;
    bool spin_ = false;
};

// Character field; "Saisie obligatoire" from VAL when mandatory and the text is empty.
class DOM_CAR : public DOM {
public:
    explicit DOM_CAR(int len, bool notnull = false);
    Value VAL(std::string_view text) override;
};

// Character field typed in upper case.
class DOM_UPPER : public DOM_CAR {
public:
    using DOM_CAR::DOM_CAR;
    ValueForm Form() const override { return ValueForm::UpperCase; }
};

// Character field edited on several lines.
class DOM_TXT : public DOM_CAR {
public:
    using DOM_CAR::DOM_CAR;
    ValueForm Form() const override { return ValueForm::Lines; }
};

// Colour held as text, "r<red>g<green>b<blue>" ("r0g0b0" is black).
class DOM_COLOR : public DOM_CAR {
public:
    using DOM_CAR::DOM_CAR;
    ValueForm Form() const override { return ValueForm::Colour; }
};

// One-character flag edited with a check box ("O" or "N").
class DOM_BOOL : public DOM_CAR {
public:
    explicit DOM_BOOL(int len = 1);
    ValueForm Form() const override { return ValueForm::Flag; }
};

// Character field chosen from a list of values, each shown by its text.
class DOM_CARLST : public DOM_CAR {
public:
    // values and their texts (no texts: the values show as themselves); width 0 lets the
    // control width rule decide.
    DOM_CARLST(int len, bool notnull, std::vector<std::string> values,
               std::vector<std::string> texts = {}, int width = 0);

    // The value whose text is exactly the text; empty when none.
    Value VAL(std::string_view text) override;
    // The text of the value (exact match); empty when none.
    std::string STR(const Value& value) override;
    ValueForm Form() const override { return ValueForm::List; }
    // Reads the lists where they come from elsewhere (a table); the lists given stay.
    virtual void LoadLists() {}

    const std::vector<std::string>& Values() const { return values_; }
    const std::vector<std::string>& Texts() const { return texts_; }
    // The width asked for the drop-down list; 0 when the list rule decides.
    int ListWidth() const { return width_; }

protected:
    void SetLists(std::vector<std::string> values, std::vector<std::string> texts);

private:
    std::vector<std::string> values_;
    std::vector<std::string> texts_;
    int width_;
};

// "O" or "N", shown as "Oui" or "Non".
class DOM_OUINON : public DOM_CARLST {
public:
    DOM_OUINON();
};

// Character field with its own decimals and field symbol; NUM marks a number kept as text.
class DOM_ : public DOM {
public:
    DOM_(int len, int dec, Symbol fld = {}, bool num = false);
    Symbol FLD() const { return fld_; }

private:
    Symbol fld_;
};

// A number kept in a character field, edited with EDIT_CARNUM.
class DOM_CARNUM : public DOM_ {
public:
    DOM_CARNUM(int len, int dec = 0);
};

class DOM_NUM : public DOM {
public:
    DOM_NUM(int len, int dec = 0, bool notnull = false);
    Value VAL(std::string_view text) override;
};

class DOM_DAT : public DOM {
public:
    explicit DOM_DAT(bool notnull = false);
    // CToD; "Date incorrecte" when a non-empty text is not a date.
    Value VAL(std::string_view text) override;
    // Empty for nil and for the empty date, else DToC.
    std::string STR(const Value& value) override;
};

using DomPtr = std::shared_ptr<DOM>;

} // namespace lysora

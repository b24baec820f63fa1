// What the field controls do with text, without any window: the checks of a plain field,
// EDIT_NUM, EDIT_DAT and EDIT_CARNUM when their text is validated, the text each shows for a
// value, and the "O"/"N" flag of CTL_BOOL. The controls of the dialog framework pass their
// window text in and show the text that comes back.
#pragma once

#include "data/domain.h"

#include <string>
#include <string_view>

namespace lysora {

// Outcome of validating a control's text: an error text (empty: valid), the value the
// control keeps when valid, and the text it shows afterwards.
struct FieldCheck {
    std::string error;
    Value value;
    std::string text;

    bool Valid() const { return error.empty(); }
};

// FLD and EDIT: the domain's VALIDATE of the text; when valid the value is the text.
FieldCheck CheckFieldText(const DOM& dom, std::string_view text);
// FLD and EDIT: the trimmed text of a character value, empty for nil, else the domain's STR.
std::string ShowFieldValue(DOM& dom, const Value& value);

// EDIT_NUM: empty text gives nil ("Saisie obligatoire" when mandatory); otherwise the number
// read (user's decimal separator accepted) must fit the domain's LEN and DEC, else
// "Valeur trop petite" when the text holds "-", "Valeur trop grande" otherwise.
FieldCheck CheckNumText(const DOM& dom, std::string_view text);
// EDIT_NUM: the number with the domain's LEN and DEC, trimmed; empty for nil.
std::string ShowNumValue(const DOM& dom, const Value& value);

// EDIT_DAT: empty text gives the empty date ("Saisie obligatoire" when mandatory); a text
// without "/" is read as DDMMYY (DDMMYYYY also works); a text with "/" as typed. Not a
// date: "Date incorrecte"; else the text is rewritten in the normal form dd/mm/yy.
FieldCheck CheckDateText(const DOM& dom, std::string_view text);
// EDIT_DAT: DToC of the date; empty for nil and the empty date.
std::string ShowDateValue(const Value& value);

// EDIT_CARNUM with its own len and dec: the trimmed text; unless empty or "-", read as a
// number and rewritten with len and dec, left-trimmed; "Valeur trop grande" when it does
// not fit.
FieldCheck CheckCarNumText(int len, int dec, std::string_view text);
// EDIT_CARNUM: a text normalised as above, a number formatted, anything else empty.
std::string ShowCarNumValue(int len, int dec, const Value& value);

// CTL_BOOL: "O" for true or for a text among o, O, y, Y, t, T (blanks ignored); else "N".
std::string BoolFlag(const Value& value);

} // namespace lysora

// The text side of the field controls (see domain_edit.h).
#include "framework/domain_edit.h"

#include "data/domain_text.h"

#include <algorithm>

namespace lysora {
namespace {

bool DoesNotFit(const std::string& formatted) { return formatted.find('*') != std::string::npos; }

// The EDIT_CARNUM form of a text: empty and "-" stay, any other text becomes its number
// with len and dec, left-trimmed.
std::string CarNumForm(int len, int dec, const std::string& trimmed)
{
    if (trimmed.empty() || trimmed == "-")
        return trimmed;
    return LTrim(Str(ValTyped(trimmed), len, dec));
}

} // namespace

FieldCheck CheckFieldText(const DOM& dom, std::string_view text)
{
    FieldCheck check{dom.VALIDATE(Value(text)), Value(), std::string(text)};
    if (check.Valid())
        check.value = Value(text);
    return check;
}

std::string ShowFieldValue(DOM& dom, const Value& value)
{
    if (value.IsNil())
        return {};
    if (value.IsText())
        return AllTrim(value.Text());
    return dom.STR(value);
}

FieldCheck CheckNumText(const DOM& dom, std::string_view text)
{
    FieldCheck check{{}, Value(), std::string(text)};
    if (AllTrim(text).empty()) {
        if (dom.NOTNULL())
            check.error = kSaisieObligatoire;
        return check;
    }
    double number = ValTyped(text);
    if (DoesNotFit(Str(number, dom.LEN(), dom.DEC()))) {
        bool negative = text.find('-') != std::string_view::npos;
        check.error = std::string(kValeurTrop) + (negative ? "petite" : "grande");
        return check;
    }
    check.value = Value(number);
    return check;
}

std::string ShowNumValue(const DOM& dom, const Value& value)
{
    return value.IsNumber() ? AllTrim(Str(value.Number(), dom.LEN(), dom.DEC())) : std::string();
}

FieldCheck CheckDateText(const DOM& dom, std::string_view text)
{
    FieldCheck check{{}, Value(Date{}), std::string(text)};
    std::string typed = AllTrim(text);
    if (IsBlankDateText(typed)) {
        if (dom.NOTNULL())
            check.error = kSaisieObligatoire;
        return check;
    }
    if (typed.find('/') == std::string::npos)
        typed = typed.substr(0, 2) + "/" + typed.substr(std::min<std::size_t>(2, typed.size()), 2) +
                "/" + typed.substr(std::min<std::size_t>(4, typed.size()));
    Date date = CToD(typed);
    if (date.IsEmpty()) {
        check.error = kDateIncorrecte;
        check.value = Value();
        return check;
    }
    check.value = Value(date);
    check.text = DToC(date);
    return check;
}

std::string ShowDateValue(const Value& value) { return DToC(value.GetDate()); }

FieldCheck CheckCarNumText(int len, int dec, std::string_view text)
{
    FieldCheck check{{}, Value(), std::string(text)};
    std::string form = CarNumForm(len, dec, AllTrim(text));
    if (DoesNotFit(form)) {
        check.error = std::string(kValeurTrop) + "grande";
        return check;
    }
    check.value = Value(form);
    check.text = form;
    return check;
}

std::string ShowCarNumValue(int len, int dec, const Value& value)
{
    if (value.IsText())
        return CarNumForm(len, dec, AllTrim(value.Text()));
    if (value.IsNumber())
        return LTrim(Str(value.Number(), len, dec));
    return {};
}

std::string BoolFlag(const Value& value)
{
    if (value.IsLogical())
        return value.Logical() ? "O" : "N";
    std::string flag = AllTrim(value.Text());
    return flag.size() == 1 && std::string_view("oOyYtT").find(flag[0]) != std::string_view::npos ? "O"
                                                                                                : "N";
}

} // namespace lysora

// The domain family (see domain.h): conversions, validation and index keys.
#include "data/domain.h"

#include "data/domain_text.h"

#include <algorithm>

namespace lysora {
namespace {

// Empty in the runtime's sense: nil, a blank text, 0, false, the empty date, an empty array.
bool IsEmptyValue(const Value& value)
{
    switch (value.GetType()) {
    case Value::Type::Nil: return true;
    case Value::Type::Number: return value.Number() == 0;
    case Value::Type::Text: return AllTrim(value.Text()).empty();
    case Value::Type::Logical: return !value.Logical();
    case Value::Type::Date: return value.GetDate().IsEmpty();
    case Value::Type::Symbol: return value.GetSymbol().IsNull();
    case Value::Type::Array: return value.Array().empty();
    }
    return true;
}

// "O" and "Y" read as true; so do the words "Oui" and "Yes", so that the text STR shows
// for true reads back as true.
bool IsYesText(std::string_view text)
{
    std::string word = AllTrim(text);
    for (char& c : word)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return word == "O" || word == "Y" || word == "OUI" || word == "YES";
}

} // namespace

DOM::DOM(std::string typ, int len, int dec, bool notnull)
    : typ_(std::move(typ)), len_(len), dec_(dec), notnull_(notnull)
{
}

Value DOM::EmptyValue() const
{
    if (typ_ == "N")
        return Value(0);
    if (typ_ == "L")
        return Value(false);
    if (typ_ == "D")
        return Value(Date{});
    return Value("");
}

std::string DOM::VALIDATE(const Value& value) const
{
    if (notnull_ && IsEmptyValue(value))
        return std::string(kSaisieObligatoire);
    return {};
}

Value DOM::VAL(std::string_view text)
{
    error_.clear();
    if (typ_ == "N")
        return Value(ValTyped(text));
    if (typ_ == "D")
        return Value(CToD(text));
    if (typ_ == "L")
        return Value(IsYesText(text));
    return Value(text);
}

std::string DOM::STR(const Value& value)
{
    if (typ_ == "N")
        return value.IsNumber() ? Str(value.Number(), len_, dec_) : std::string();
    if (typ_ == "D")
        return DToC(value.GetDate());
    if (typ_ == "L")
        return value.Logical() ? "Oui" : "Non";
    return value.Text();
}

std::string DOM::ORDKEY(Symbol field) const
{
    const std::string& name = field.Name();
    if (typ_ == "N")
        return "str(" + name + "," + StrInt(len_) + "," + StrInt(dec_) + ")";
    if (typ_ == "D")
        return "dtos(" + name + ")";
    if (typ_ == "L")
        return "if(" + name + ",'Y','N' )";
    return name;
}

std::string DOM::ORDVAL(const Value& value) const
{
    if (typ_ == "N")
        return Str(value.Number(), len_, dec_);
    if (typ_ == "D")
        return value.GetDate().ToDtos();
    if (typ_ == "L")
        return value.Logical() ? "Y" : "N";
    return value.Text();
}

double DOM::PRINTCOLWIDTH(double c) const { return (len_ + 1) * 0.6 * c; }

DOM_CAR::DOM_CAR(int len, bool notnull) : DOM("C", len, 0, notnull) {}

Value DOM_CAR::VAL(std::string_view text)
{
    SetError(NOTNULL() && AllTrim(text).empty() ? kSaisieObligatoire : "");
    return Value(text);
}

DOM_BOOL::DOM_BOOL(int len) : DOM_CAR(len) {}

DOM_CARLST::DOM_CARLST(int len, bool notnull, std::vector<std::string> values,
                       std::vector<std::string> texts, int width)
    : DOM_CAR(len, notnull), values_(std::move(values)), texts_(std::move(texts)), width_(width)
{
}

void DOM_CARLST::SetLists(std::vector<std::string> values, std::vector<std::string> texts)
{
    values_ = std::move(values);
    texts_ = std::move(texts);
}

Value DOM_CARLST::VAL(std::string_view text)
{
    std::string value;
    if (texts_.empty()) {
        value = text;
    } else {
        // A text list shorter than the values leaves the last values without a text.
        std::size_t n = std::min(values_.size(), texts_.size());
        for (std::size_t i = 0; i < n; ++i)
            if (texts_[i] == text) {
                value = values_[i];
                break;
            }
    }
    SetError(NOTNULL() && AllTrim(value).empty() ? kSaisieObligatoire : "");
    return Value(value);
}

std::string DOM_CARLST::STR(const Value& value)
{
    const std::string& wanted = value.Text();
    if (texts_.empty())
        return wanted;
    std::size_t n = std::min(values_.size(), texts_.size());
    for (std::size_t i = 0; i < n; ++i)
        if (values_[i] == wanted)
            return texts_[i];
    return {};
}

DOM_OUINON::DOM_OUINON() : DOM_CARLST(1, false, {"O", "N"}, {"Oui", "Non"}) {}

DOM_::DOM_(int len, int dec, Symbol fld, bool num) : DOM("C", len, dec), fld_(fld)
{
    SetNum(num);
}

DOM_CARNUM::DOM_CARNUM(int len, int dec) : DOM_(len, dec, {}, true) {}

DOM_NUM::DOM_NUM(int len, int dec, bool notnull) : DOM("N", len, dec, notnull) {}

Value DOM_NUM::VAL(std::string_view text)
{
    SetError("");
    return Value(ValTyped(text));
}

DOM_DAT::DOM_DAT(bool notnull) : DOM("D", 8, 0, notnull) {}

Value DOM_DAT::VAL(std::string_view text)
{
    Date date = CToD(text);
    SetError(date.IsEmpty() && !IsBlankDateText(text) ? kDateIncorrecte : "");
    return Value(date);
}

std::string DOM_DAT::STR(const Value& value)
{
    return value.IsDate() ? DToC(value.GetDate()) : std::string();
}

} // namespace lysora

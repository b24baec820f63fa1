// The domain family (see domain.h): conversions, validation, index keys and control plans.
#include "framework/domain.h"

#include "framework/domain_text.h"

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

int RoundControlWidth(int width)
{
    width = (width + 19) / 20 * 20;
    return std::min(width, 300);
}

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

ControlSpec DOM::PlanControl()
{
    ControlSpec spec;
    int width = 0;
    if (typ_ == "N") {
        spec.kind = ControlClass::EDIT_NUM;
        width = len_ * 10 + 10;
        spec.nbcar = len_;
    } else if (typ_ == "L") {
        width = 50;
        spec.nbcar = 3;
    } else if (typ_ == "D") {
        spec.kind = ControlClass::EDIT_DAT;
        width = 80;
        spec.nbcar = 10;
    } else {
        spec.kind = num_ ? ControlClass::EDIT_CARNUM : ControlClass::EDIT;
        width = len_ * 10 + 10;
        spec.nbcar = len_;
    }
    if (num_)
        width = len_ * 7 + 10;
    spec.width = RoundControlWidth(width);
    return spec;
}

DOM_CAR::DOM_CAR(int len, bool notnull) : DOM("C", len, 0, notnull) {}

Value DOM_CAR::VAL(std::string_view text)
{
    SetError(NOTNULL() && AllTrim(text).empty() ? kSaisieObligatoire : "");
    return Value(text);
}

ControlSpec DOM_UPPER::PlanControl()
{
    ControlSpec spec = DOM_CAR::PlanControl();
    spec.upperCase = true;
    return spec;
}

ControlSpec DOM_TXT::PlanControl()
{
    ControlSpec spec = DOM_CAR::PlanControl();
    spec.multiLine = true;
    spec.height = 48;
    return spec;
}

ControlSpec DOM_COLOR::PlanControl()
{
    ControlSpec spec = DOM_CAR::PlanControl();
    spec.kind = ControlClass::CTL_COLOR;
    return spec;
}

DOM_BOOL::DOM_BOOL(int len) : DOM_CAR(len) {}

ControlSpec DOM_BOOL::PlanControl()
{
    ControlSpec spec = DOM_CAR::PlanControl();
    spec.kind = ControlClass::CTL_BOOL;
    return spec;
}

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

ControlSpec DOM_CARLST::PlanControl()
{
    ControlSpec spec = DOM_CAR::PlanControl();
    spec.kind = ControlClass::COMBO;
    if (width_ > 0) {
        spec.width = width_;
    } else {
        spec.width = RoundControlWidth(LEN() * 10 + 20);
        if (!texts_.empty())
            spec.width = std::max(spec.width, 250);
    }
    return spec;
}

DOM_OUINON::DOM_OUINON() : DOM_CARLST(1, false, {"O", "N"}, {"Oui", "Non"}) {}

DOM_::DOM_(int len, int dec, Symbol fld, bool num) : DOM("C", len, dec), fld_(fld)
{
    SetNum(num);
}

ControlSpec DOM_::PlanControl()
{
    ControlSpec spec = DOM::PlanControl();
    spec.len = LEN();
    spec.dec = DEC();
    return spec;
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

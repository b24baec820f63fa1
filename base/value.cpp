#include "base/value.h"

namespace lysora {
namespace {

// Julian day number of a proleptic Gregorian date (Fliegel and Van Flandern).
std::int32_t JulianDay(int y, int m, int d)
{
    return (1461 * (y + 4800 + (m - 14) / 12)) / 4 + (367 * (m - 2 - 12 * ((m - 14) / 12))) / 12 -
           (3 * ((y + 4900 + (m - 14) / 12) / 100)) / 4 + d - 32075;
}

} // namespace

Date Date::FromYmd(int year, int month, int day)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31)
        return {};
    Date date{JulianDay(year, month, day)};
    int y, m, d;
    date.ToYmd(y, m, d);
    return (y == year && m == month && d == day) ? date : Date{}; // refuses 31 April and so on
}

void Date::ToYmd(int& year, int& month, int& day) const
{
    if (this->day == 0) {
        year = month = day = 0;
        return;
    }
    long l = this->day + 68569;
    long n = (4 * l) / 146097;
    l = l - (146097 * n + 3) / 4;
    long i = (4000 * (l + 1)) / 1461001;
    l = l - (1461 * i) / 4 + 31;
    long j = (80 * l) / 2447;
    day = int(l - (2447 * j) / 80);
    l = j / 11;
    month = int(j + 2 - 12 * l);
    year = int(100 * (n - 49) + i + l);
}

std::string Date::ToDtos() const
{
    if (day == 0)
        return std::string(8, ' ');
    int y, m, d;
    ToYmd(y, m, d);
    std::string text(8, '0');
    int parts[3] = {y, m, d};
    int widths[3] = {4, 2, 2};
    std::size_t pos = 8;
    for (int k = 2; k >= 0; --k)
        for (int w = 0; w < widths[k]; ++w, parts[k] /= 10)
            text[--pos] = char('0' + parts[k] % 10);
    return text;
}

Date Date::FromDtos(std::string_view text)
{
    if (text.size() != 8)
        return {};
    int parts[3] = {0, 0, 0};
    for (std::size_t i = 0; i < 8; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return {};
        int& part = parts[i < 4 ? 0 : i < 6 ? 1 : 2];
        part = part * 10 + (text[i] - '0');
    }
    return FromYmd(parts[0], parts[1], parts[2]);
}

Value::Value(const Value& other) = default;
Value::Value(Value&& other) noexcept = default;
Value& Value::operator=(const Value& other) = default;
Value& Value::operator=(Value&& other) noexcept = default;
Value::~Value() = default;

double Value::Number() const
{
    const double* n = std::get_if<double>(&v_);
    return n ? *n : 0.0;
}

const std::string& Value::Text() const
{
    static const std::string empty;
    const std::string* s = std::get_if<std::string>(&v_);
    return s ? *s : empty;
}

bool Value::Logical() const
{
    const bool* b = std::get_if<bool>(&v_);
    return b && *b;
}

Date Value::GetDate() const
{
    const lysora::Date* d = std::get_if<lysora::Date>(&v_);
    return d ? *d : lysora::Date{};
}

Symbol Value::GetSymbol() const
{
    const lysora::Symbol* s = std::get_if<lysora::Symbol>(&v_);
    return s ? *s : lysora::Symbol{};
}

const ValueArray& Value::Array() const
{
    static const ValueArray empty;
    const auto* a = std::get_if<std::shared_ptr<ValueArray>>(&v_);
    return a ? **a : empty;
}

ValueArray& Value::Array()
{
    if (!IsArray())
        v_ = std::make_shared<ValueArray>();
    return *std::get<std::shared_ptr<ValueArray>>(v_);
}

bool operator==(const Value& a, const Value& b)
{
    if (a.GetType() != b.GetType())
        return false;
    if (a.IsArray())
        return a.Array() == b.Array();
    return a.v_ == b.v_;
}

} // namespace lysora

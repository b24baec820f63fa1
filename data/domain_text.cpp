// Text conversions of the domains (see domain_text.h). Scientific notation is not read by
// Val: typed numbers and stored numeric fields never use it.
#include "data/domain_text.h"

#include "base/display_number.h"

#include <cmath>
#include <cstdio>

namespace lysora {
namespace {

char gDecimalSeparator = '.';
int gDateEpoch = 1900;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

} // namespace

char DecimalSeparator() { return gDecimalSeparator; }
void SetDecimalSeparator(char separator) { gDecimalSeparator = separator ? separator : '.'; }

int DateEpoch() { return gDateEpoch; }
void SetDateEpoch(int year) { gDateEpoch = year; }

std::string Str(double number, int len, int dec)
{
    if (len < 1)
        len = 1;
    if (dec < 0)
        dec = 0;
    const std::string text = dec > 15 ? std::string() : FixedText(number, dec);
    if (text.empty() || text.size() > std::size_t(len))
        return std::string(std::size_t(len), '*');
    return std::string(std::size_t(len) - text.size(), ' ') + text;
}

std::string StrInt(long long number) { return std::to_string(number); }

double Val(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        negative = text[i++] == '-';
    double number = 0;
    while (i < text.size() && IsDigit(text[i]))
        number = number * 10 + (text[i++] - '0');
    if (i < text.size() && text[i] == '.') {
        double place = 0.1;
        for (++i; i < text.size() && IsDigit(text[i]); ++i, place /= 10)
            number += (text[i] - '0') * place;
    }
    return negative ? -number : number;
}

double ValTyped(std::string_view text)
{
    std::string copy(text);
    if (gDecimalSeparator != '.')
        for (char& c : copy)
            if (c == gDecimalSeparator)
                c = '.';
    return Val(copy);
}

std::string DToC(Date date)
{
    if (date.IsEmpty())
        return {};
    int y, m, d;
    date.ToYmd(y, m, d);
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%02d/%02d/%02d", d, m, y % 100);
    return buffer;
}

Date CToD(std::string_view text)
{
    // Three groups of digits, day, month and year, split by anything that is not a digit.
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    int part = -1;
    bool inDigits = false;
    for (char c : text) {
        if (IsDigit(c)) {
            if (!inDigits && ++part > 2)
                return {};
            inDigits = true;
            if (++digits[part] > 4)
                return {};
            parts[part] = parts[part] * 10 + (c - '0');
        } else {
            inDigits = false;
        }
    }
    if (part != 2)
        return {};
    int year = parts[2];
    if (digits[2] <= 2) {
        int century = gDateEpoch - gDateEpoch % 100;
        year += century;
        if (year < gDateEpoch)
            year += 100;
    }
    return Date::FromYmd(year, parts[1], parts[0]);
}

bool IsBlankDateText(std::string_view text)
{
    for (char c : text)
        if (c != ' ' && c != '/')
            return false;
    return true;
}

} // namespace lysora

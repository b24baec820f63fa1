// The number display rule (see display_number.h).
#include "base/display_number.h"

#include <charconv>
#include <cmath>

namespace lysora {

std::string NumberText(double number, char decimalSeparator)
{
    if (!std::isfinite(number))
        return {};
    if (number == 0)
        number = 0; // no "-0"
    char buffer[64];
    // The shortest text that reads back as the same number: 12.3 stays "12.3", never
    // "12.300000000000001"; whole numbers come out without a decimal point.
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, number, std::chars_format::fixed);
    if (error != std::errc())
        return {};
    std::string text(buffer, end);
    for (char& c : text)
        if (c == '.')
            c = decimalSeparator;
    return text;
}

std::string DisplayNumber(const Value& value, char decimalSeparator)
{
    if (!value.IsNumber())
        return {};
    if (value.Number() == 0)
        return "-";
    return NumberText(value.Number(), decimalSeparator);
}

} // namespace lysora

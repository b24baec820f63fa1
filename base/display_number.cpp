// The number display rule (see display_number.h).
#include "base/display_number.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lysora {

std::string FixedText(double number, int decimals)
{
    decimals = std::max(0, std::min(decimals, 15));
    if (!std::isfinite(number))
        return {};
    // Round the decimal value as written, not its binary approximation.
    const double scale = std::pow(10.0, decimals);
    double scaled = number * scale;
    scaled = std::round(scaled + std::copysign(std::fabs(scaled) * 1e-12, scaled));
    if (scaled == 0)
        scaled = 0; // no "-0.00"
    char buffer[400]; // room for the largest double written out in full
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, scaled / scale);
    return buffer;
}

std::string NumberText(double number, int decimals, char decimalSeparator)
{
    std::string text = FixedText(number, decimals);
    const std::size_t point = text.find('.');
    if (point == std::string::npos)
        return text;
    if (text.find_first_not_of('0', point + 1) == std::string::npos)
        text.resize(point); // a whole number
    else
        text[point] = decimalSeparator;
    return text;
}

std::string DisplayNumber(const Value& value, char decimalSeparator)
{
    if (!value.IsNumber())
        return {};
    if (value.Number() == 0)
        return "-";
    return NumberText(value.Number(), kValueDecimals, decimalSeparator);
}

} // namespace lysora

// CELL construction and text resolution.
#include "print/cell.h"

namespace lysora {

CellBorders::CellBorders(std::string_view letters)
{
    const std::string_view sides = "LTRB";
    for (std::size_t i = 0; i < sides.size(); ++i)
        if (letters.find(sides[i]) != std::string_view::npos)
            widths_[i] = 1;
}

CELL::CELL(int w, int h, CellText text, std::string_view format, CellBorders borders)
    : W(w), H(h), TXT(std::move(text))
{
    auto has = [&](char letter) { return format.find(letter) != std::string_view::npos; };
    FMT = has('C') ? kCellCentred : has('R') ? kCellRight : kCellLeft;
    BOLD = has('B');
    ITALIC = has('I');
    UNDERLINED = has('U');
    const std::array<int, 4>& widths = borders.Widths();
    B_LEFT = std::int16_t(widths[0]);
    B_TOP = std::int16_t(widths[1]);
    B_RIGHT = std::int16_t(widths[2]);
    B_BOTTOM = std::int16_t(widths[3]);
}

std::string CELL::Text() const
{
    if (const auto* text = std::get_if<std::string>(&TXT))
        return *text;
    if (const auto* lines = std::get_if<std::vector<std::string>>(&TXT)) {
        std::string joined;
        for (std::size_t i = 0; i < lines->size(); ++i) {
            if (i > 0)
                joined += '\r';
            joined += (*lines)[i];
        }
        return joined;
    }
    const auto& make = std::get<std::function<std::string()>>(TXT);
    return make ? make() : std::string();
}

CELL_FONT::CELL_FONT(int w, int h, CellText text, std::string_view format, CellBorders borders, bool shade,
                     std::int32_t font, std::int16_t trait)
    : CELL(w, h, std::move(text), format, borders)
{
    G_GRISE = shade ? 1 : 0;
    CELL_LF = font;
    TRAIT = trait;
}

} // namespace lysora

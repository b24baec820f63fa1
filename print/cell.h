// CELL: one table cell of a printed document (sizes in millimetres, border widths in tenths
// of a millimetre), and the row and block types the page layout takes. CELL_FONT adds the
// presentation the RTF writer understands (shading, border width, font number); a plain cell
// answers 0 for all three, so both fit in one row type.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace lysora {

// Text of a cell: a string, lines joined with carriage return (code 13), or a function
// called when the cell is drawn.
using CellText = std::variant<std::string, std::vector<std::string>, std::function<std::string()>>;

// Borders as given to INIT: four widths (left, top, right, bottom), letters "L", "T", "R",
// "B" giving that side a width of 1, or one width for all four sides. The default: none.
class CellBorders {
public:
    CellBorders() = default;
    CellBorders(std::array<int, 4> widths) : widths_(widths) {}
    CellBorders(int all) : widths_{all, all, all, all} {}
    CellBorders(std::string_view letters);
    CellBorders(const char* letters) : CellBorders(std::string_view(letters)) {}
    const std::array<int, 4>& Widths() const { return widths_; }

private:
    std::array<int, 4> widths_{};
};

enum : std::uint16_t { kCellLeft = 0, kCellCentred = 1, kCellRight = 2 };

class CELL {
public:
    // INIT: width and height (mm), text, format letters ("C" centred, else "R" right-aligned;
    // "B" bold, "I" italic, "U" underlined; case-sensitive), borders.
    CELL(int w, int h, CellText text = std::string(), std::string_view format = {}, CellBorders borders = {});

    // The text to draw: lines joined with code 13, a function's result.
    std::string Text() const;

    int W = 0, H = 0;
    CellText TXT;
    std::uint16_t FMT = kCellLeft;
    std::int16_t B_LEFT = 0, B_TOP = 0, B_RIGHT = 0, B_BOTTOM = 0;
    bool BOLD = false, ITALIC = false, UNDERLINED = false;

    // RTF presentation, 0 for a plain cell (see CELL_FONT).
    std::int16_t G_GRISE = 0; // 1: shaded
    std::int16_t TRAIT = 0;   // border width in units of 5 twips; 0: the default
    std::int32_t CELL_LF = 0; // font number; 0: the document's font
};

// A cell with shading, font number and border width: set when the argument is given.
class CELL_FONT : public CELL {
public:
    CELL_FONT(int w, int h, CellText text, std::string_view format, CellBorders borders, bool shade,
              std::int32_t font = 0, std::int16_t trait = 0);
};

using Row = std::vector<CELL>;
using Block = std::vector<Row>;

} // namespace lysora

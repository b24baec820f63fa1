// Printed value tables: the functions the comparison table and the feedstuff sheet print
// and export with. They work on a grid's data (column titles, and rows whose first element
// is the row title and the others the values) and on any page layout, printed (PL) or RTF
// (PL_RTF).
#pragma once

#include "base/value.h"
#include "framework/command.h"
#include "print/pl.h"
#include "print/pl_rtf.h"

#include <string>
#include <vector>

namespace lysora {

// The buttons of the views that show a value table: print it, export it.
namespace cmd {
inline constexpr Command IMPRIMERVALEURS{"IMPRIMERVALEURS"};
inline constexpr Command EXPORTER{"EXPORTER"};
} // namespace cmd

using TableRow = std::vector<Value>;

// The footer texts of a printed page, in the current language.
struct PageFooter {
    std::string software; // the software title
    std::string notice;   // the legal notice
    std::string stamp;    // today's date, a blank and the time
};

// A cell's text by the number display rule: nil blank, 0 "-", any other number its text
// without blanks (whole values without decimals) with "." replaced by the decimal
// separator; a text as it stands.
std::string DisplayText(const Value& value, char decimalSeparator);

// Top of the page footer's first line, in millimetres from the top of a landscape page.
inline constexpr int kFooterTop = 192;

// The page footer: software title and legal notice at (10, 192) mm, the stamp at
// (255, 198) mm, in 3.5 mm characters.
void PIEDPAGE(PL& pl, const PageFooter& footer);

// One value table: an optional title, the header line, then one line per row with the
// values of columns offset + 1 ... offset + cols. On a printed layout a line that would go
// below 182 mm ends the page with the footer and repeats the header line on the next.
void IMPRIMERTABLEAU(PL& pl, const std::vector<std::string>& cols, const std::vector<TableRow>& rows,
                     const std::string& title, const PageFooter& footer, int offset = 0, int titleWidth = 45);

// The page header of a comparison print: one centred band 270 mm wide, 8 mm high, in 6 mm
// characters.
void TITREEDITION(PL& pl, const std::string& text);

// A comparison table as printed and exported: the title band, then the columns in blocks
// of at most 19, each block followed by a 10 mm gap.
struct ComparisonPrint {
    std::string title;                // "Comparaison des teneurs brutes"...
    std::vector<std::string> columns; // nutrient short names
    std::vector<TableRow> rows;       // the grid's rows in their on-screen order
    PageFooter footer;
};

// The body of IMPRIMERVALEURS: the table laid out on a landscape page layout, footer
// included; the caller closes, previews or prints it.
void IMPRIMERVALEURS(PL& pl, const ComparisonPrint& table);

// The RTF export: false when the file could not be written (already shown).
bool EXPORTRTF(const std::string& file, const ComparisonPrint& table, RtfMessages messages = {});

} // namespace lysora

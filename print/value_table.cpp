// Printed value tables (see value_table.h).
#include "print/value_table.h"

#include "base/display_number.h"
#include "data/domain_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace lysora {
namespace {

constexpr int kBlockColumns = 19;
// Below this distance from the top of the page (tenths of a millimetre) a printed table
// line leaves no room for the footer.
constexpr int kLastLineY = 1820;

Row HeaderLine(const std::vector<std::string>& cols, int titleWidth, int valueWidth)
{
    Row line{CELL(titleWidth, 5, std::string(), "", 2)};
    for (const std::string& title : cols)
        line.emplace_back(valueWidth, 5, title, "C", 2);
    return line;
}

void BreakBeforeLine(PL& pl, const PageFooter& footer, const Row* header)
{
    if (pl.RTF() || pl.Y <= kLastLineY)
        return;
    PIEDPAGE(pl, footer);
    pl.FORMFEED();
    if (header)
        pl.OUT(*header);
}

// The blocks of at most 19 columns, each through IMPRIMERTABLEAU, then a gap of 10 mm.
void PrintBlocks(PL& pl, const ComparisonPrint& table, int titleWidth)
{
    for (std::size_t i = 0; i < table.columns.size(); i += kBlockColumns) {
        const std::size_t count = std::min<std::size_t>(kBlockColumns, table.columns.size() - i);
        std::vector<std::string> cols(table.columns.begin() + long(i), table.columns.begin() + long(i + count));
        IMPRIMERTABLEAU(pl, cols, table.rows, std::string(), table.footer, int(i), titleWidth);
        pl.OUT(10.0);
    }
}

} // namespace

std::string DisplayText(const Value& value, char decimalSeparator)
{
    return value.IsText() ? value.Text() : DisplayNumber(value, decimalSeparator);
}

void PIEDPAGE(PL& pl, const PageFooter& footer)
{
    // The footer is placed by hand inside the bottom margin (the stamp ends 7 mm above a
    // landscape sheet's edge): without the margin for the time being, or the stamp would
    // begin a page of its own.
    const double size = pl.FONT_SIZE, bottom = pl.M_BOTTOM;
    pl.FONT_SIZE = 3.5;
    pl.M_BOTTOM = 0;
    pl.XY(10, kFooterTop);
    pl.OUT(Row{CELL(100, 5, footer.software)});
    pl.OUT(Row{CELL(140, 5, footer.notice)});
    pl.XY(255, 198);
    pl.OUT(Row{CELL(100, 5, footer.stamp)});
    pl.FONT_SIZE = size;
    pl.M_BOTTOM = bottom;
}

void IMPRIMERTABLEAU(PL& pl, const std::vector<std::string>& cols, const std::vector<TableRow>& rows,
                     const std::string& title, const PageFooter& footer, int offset, int titleWidth)
{
    pl.FONT_SIZE = 4;
    if (!title.empty()) {
        pl.OUT(Row{CELL(100, 5, title)});
        pl.OUT(4.0);
    }
    pl.FONT_SIZE = pl.RTF() ? 3.2 : 3;
    const int valueWidth = pl.RTF() ? 12 : 10;
    const char separator = DecimalSeparator();
    const Row header = HeaderLine(cols, titleWidth, valueWidth);
    BreakBeforeLine(pl, footer, nullptr);
    pl.OUT(header);
    for (const TableRow& row : rows) {
        Row line{CELL(titleWidth, 5, row.empty() ? std::string() : DisplayText(row[0], separator), "", 2)};
        for (std::size_t k = 1; k <= cols.size(); ++k) {
            const std::size_t at = k + std::size_t(offset);
            line.emplace_back(valueWidth, 5, at < row.size() ? DisplayText(row[at], separator) : std::string(), "C", 2);
        }
        BreakBeforeLine(pl, footer, &header);
        pl.OUT(line);
    }
}

void TITREEDITION(PL& pl, const std::string& text)
{
    pl.PAGE_TETE = Block{Row{CELL(270, 8, text, "C")}};
    pl.FONT_SIZE_TETE = 6;
}

void IMPRIMERVALEURS(PL& pl, const ComparisonPrint& table)
{
    TITREEDITION(pl, table.title);
    PrintBlocks(pl, table, 80);
    PIEDPAGE(pl, table.footer);
    pl.CLOSE();
}

bool EXPORTRTF(const std::string& file, const ComparisonPrint& table, RtfMessages messages)
{
    PL_RTF rtf(nullptr, file, true, false, std::move(messages));
    if (!rtf.OK)
        return false;
    TITREEDITION(rtf, table.title);
    PrintBlocks(rtf, table, 45);
    return rtf.CLOSE();
}

} // namespace lysora

// PL_RTF (see pl_rtf.h).
#include "print/pl_rtf.h"

#include "base/messages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lysora {
namespace {

// Twips for a length in millimetres, rounded to an even number.
long EvenTwips(double millimetres) { return std::lround(millimetres * 56.7 / 2) * 2; }

// RTF font size (half-points) of a character height in millimetres, even.
long HalfPoints(double millimetres) { return std::lround(millimetres * 5.67 / 2) * 2; }

// The text as RTF: "\", "{" and "}" escaped, CR LF turned into a paragraph.
std::string RtfText(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\\par ";
            ++i;
        } else if (c == '\\' || c == '{' || c == '}') {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

PL_RTF::PL_RTF(WIN* owner, std::string file, bool landscape, bool autoHeight, RtfMessages messages)
    : PL(owner, landscape), path_(std::move(file)), autoHeight_(autoHeight), messages_(std::move(messages))
{
    FONT_NAME = "Arial";
    out_ = std::fopen(path_.c_str(), "wb");
    if (!out_) {
        ShowMessage(messages_.createFailed + " " + path_, messages_.title, kMbOk | kMbIconStop);
        return;
    }
    OK = true;
    std::string head = "{\\rtf1\\ansi \\deff4\\deflang1033{\\fonttbl";
    head += "{\\f4\\froman\\fcharset0\\fprq2 Arial;}";
    head += "}";
    head += "{\\stylesheet{\\f4\\lang1036 \\snext0 Normal;}{\\*\\cs10 \\additive Default Paragraph Font;}}";
    head += landscape ? "\\paperh11907\\paperw16840" : "\\paperw11907\\paperh16840";
    head += "\\margl567\\margr567\\margt567\\margb567";
    head += "\\widowctrl\\prcolbl\\sprsspbf\\brkfrm\\hyphcaps0 \\sectd ";
    if (landscape)
        head += "\\lndscpsxn\\psz9 ";
    head += "\\pard\\plain \\f4\\lang1036 ";
    Line(head);
}

PL_RTF::~PL_RTF()
{
    if (out_)
        std::fclose(out_);
}

void PL_RTF::Line(const std::string& text)
{
    if (!out_)
        return;
    std::fputs(text.c_str(), out_);
    std::fputs("\r\n", out_);
}

bool PL_RTF::CLOSE()
{
    if (!out_)
        return false;
    Line("\\pard }");
    const bool written = !std::ferror(out_);
    const bool closed = std::fclose(out_) == 0;
    out_ = nullptr;
    // Nothing more reaches the file: the last page gets no break and no footers.
    PL::CLOSE();
    if (!written || !closed) {
        std::remove(path_.c_str()); // a cut document would open as a shorter, whole-looking one
        ShowMessage(messages_.writeFailed + " " + path_, messages_.title, kMbOk | kMbIconStop);
        return false;
    }
    return true;
}

void PL_RTF::_PAGE_END()
{
    if (X == -1)
        return;
    PL::_PAGE_END(); // the footers; an RTF document has no page drawer to end
    Line("\\pard\\page \\pard {\\fs4 \\par}");
}

void PL_RTF::_OUT(double gap)
{
    Y += int(std::lround(gap * 10));
    Line("\\pard {\\fs" + std::to_string(long(std::floor(gap * 5.67 / 2)) * 2 - 4) + " \\par }");
}

std::string PL_RTF::CellText(const CELL& cell) const
{
    const std::string text = RtfText(cell.Text());
    if (cell.CELL_LF == 0)
        return "{\\f4\\fs" + std::to_string(HalfPoints(FONT_SIZE)) + " " + text + "}";
    std::string style;
    if (cell.BOLD)
        style += "\\b";
    if (cell.UNDERLINED)
        style += "\\ul";
    if (cell.ITALIC)
        style += "\\i";
    return "{" + style + "\\f" + std::to_string(4 + cell.CELL_LF) + "\\fs" + std::to_string(HalfPoints(FONT_SIZE)) + " " +
           text + "}";
}

void PL_RTF::_OUT(const Row& row, bool fixed)
{
    if (row.empty())
        return;
    if (!fixed)
        BreakBeforeRow(row);
    X = std::max(X, int(std::lround(M_LEFT * 10)));

    const bool hairline = row.front().H == 0;
    std::string definition;
    if (hairline)
        definition = "\\trowd \\trgaph70\\trrh-10\\trleft-70 ";
    else if (autoHeight_)
        definition = "\\trowd \\trgaph70\\trleft-70 ";
    else
        // A minimum height: a text that wraps (a long feedstuff name in its title cell)
        // makes the row taller instead of losing its second line.
        definition = "\\trowd \\trgaph70\\trrh" + std::to_string(EvenTwips(row.front().H)) + "\\trleft-70 ";
    long right = 0;
    int tallest = 0;
    for (const CELL& cell : row) {
        const std::string w = std::to_string(cell.TRAIT != 0 ? cell.TRAIT * 5 : 15);
        if (hairline) {
            definition += "\\clbrdrt\\brdrs\\brdrw15 ";
        } else {
            if (cell.B_LEFT > 0)
                definition += "\\clbrdrl\\brdrs\\brdrw" + w + " ";
            if (cell.B_RIGHT > 0)
                definition += "\\clbrdrr\\brdrs\\brdrw" + w + " ";
            if (cell.B_TOP > 0)
                definition += "\\clbrdrt\\brdrs\\brdrw" + w + " ";
            if (cell.B_BOTTOM > 0)
                definition += "\\clbrdrb\\brdrs\\brdrw" + w + " ";
            if (cell.G_GRISE == 1)
                definition += "\\clshdng2000 ";
        }
        right += EvenTwips(cell.W);
        definition += "\\cellx" + std::to_string(right);
        tallest = std::max(tallest, cell.H);
    }
    Line(definition);
    for (const CELL& cell : row) {
        const char* start = cell.FMT == kCellCentred ? "\\pard \\qc\\intbl "
                            : cell.FMT == kCellRight ? "\\pard \\qr\\intbl "
                                                     : "\\pard \\ql\\intbl ";
        Line(start + CellText(cell) + "\\cell ");
    }
    Line("\\pard \\intbl \\row");
    X = 0;
    Y += tallest * 10;
}

} // namespace lysora

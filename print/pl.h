// PL: the page layout of a printed document. The caller places itself on the page in
// millimetres and hands over rows of cells; PL breaks pages, repeats the page and list
// headers and footers, and has each page drawn by a page drawer (on Windows a memory
// metafile). A finished page's bytes are appended to the spool file and only its offset and
// size stay in memory. The spool file is created with the layout and erased with it.
//
// Coordinates are kept in tenths of a millimetre. The drawer receives them as the metafile
// wants them: x from the paper's left edge, y the negated distance from its top edge.
//
// Headers and footers are drawn without the page-break test: a footer that did not fit
// would otherwise end the page it is ending, and a header taller than the page would begin
// pages for ever. The list header is drawn only where the row that follows it fits, so
// that it never stands alone at the bottom of a page.
#pragma once

#include "print/cell.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lysora {

class WIN;
class PREVIEW;

// One cell as the drawer draws it, every coordinate in tenths of a millimetre.
struct CellBox {
    int left = 0, top = 0, right = 0, bottom = 0; // top = -distance from the paper's top
    int text_x = 0, text_y = 0;                   // reference point of the text
    std::uint16_t align = kCellLeft;              // the cell's FMT
    std::string text;
    int font_height = 0;   // tenths of a millimetre
    int font_escapement = 0; // tenths of a degree
    bool bold = false, italic = false, underlined = false;
    std::string font_name;
    std::array<int, 4> borders{}; // left, top, right, bottom line widths
};

// A text drawn outside cells (the labels of a chart), coordinates as for CellBox.
struct TextRun {
    int x = 0, y = 0;        // reference point: the text's top-left corner before rotation
    std::string text;
    int font_height = 0;     // tenths of a millimetre
    int font_escapement = 0; // tenths of a degree, counter-clockwise
    std::string font_name;
};

// Draws pages. Each failure is reported by the drawer itself. Besides cells, a page may
// hold the figures of a chart (lines, filled rectangles, turned texts); a drawer that only
// lays out text (a test's recorder) may leave them out.
class PageDrawer {
public:
    virtual ~PageDrawer() = default;
    // Starts recording a page; false when that failed.
    virtual bool Begin() = 0;
    virtual void Draw(const CellBox& cell) = 0;
    // Ends the page and returns its bytes; empty when they could not be had.
    virtual std::vector<unsigned char> End() = 0;

    // A line from (x1, y1) to (x2, y2) with the default pen.
    virtual void Line(int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) {}
    // A rectangle outlined with the default pen and filled with the current fill.
    virtual void Rectangle(int /*x1*/, int /*y1*/, int /*x2*/, int /*y2*/) {}
    // The fill of the rectangles that follow, as 0x00BBGGRR; none: the default (white).
    virtual void Fill(std::optional<std::uint32_t> /*rgb*/) {}
    // A text in a font turned by its escapement.
    virtual void Text(const TextRun& /*run*/) {}
    // A text reading downwards, drawn as a picture 50 x 350 tenths wide and high whose top
    // centre is (x, y), for printers that do not turn fonts.
    virtual void VerticalText(const TextRun& /*run*/) {}
    // The length of the run's text along its line, in tenths of a millimetre, as its font
    // draws it; 0 when this drawer does not measure.
    virtual int TextLength(const TextRun& /*run*/) { return 0; }
};

class PL {
public:
    // INIT: owner window, title, landscape, and the drawer of the pages (on Windows
    // NewMetafileDrawer()). Creates the spool file.
    PL(WIN* owner, std::string title, bool landscape, std::unique_ptr<PageDrawer> drawer);
    virtual ~PL();
    PL(const PL&) = delete;
    PL& operator=(const PL&) = delete;

    void XY(double x, double y);
    void OUT(double gap);
    void OUT(const Row& row);
    void OUT(const Block& block);
    void FORMFEED();
    // Ends the open page; true when every page reached the spool file.
    virtual bool CLOSE();
    virtual bool RTF() const { return false; }

    // ---- Figures, in tenths of a millimetre from the paper's top-left corner (y down);
    // each begins a page when none is open ----
    void LINE(int x1, int y1, int x2, int y2);
    // Outlined, and filled with the fill set by FILL.
    void RECTANGLE(int x1, int y1, int x2, int y2);
    // The fill of the rectangles that follow (0x00BBGGRR); none: white again.
    void FILL(std::optional<std::uint32_t> rgb);
    // Text in the layout's face, height in tenths, turned by escapement (tenths of a degree).
    void TEXTOUT(int x, int y, const std::string& text, int height, int escapement);
    // Text reading downwards from (x, y), centred on x, in the layout's font: drawn as a
    // picture, so that it prints turned on any printer.
    void VTEXTOUT(int x, int y, const std::string& text);
    // The length of text in the layout's face at height (tenths), in tenths of a millimetre;
    // 0 when the pages' drawer does not measure.
    int TEXTLENGTH(const std::string& text, int height) const;

    // Printing a document from its preview: a layout that draws its document again for
    // the printer (PL2) does so and answers whether it printed; the others answer nothing
    // and their spooled pages are printed.
    virtual std::optional<bool> PrintAgain() { return std::nullopt; }

    // Page count (the length of FILESIZE).
    int PageCount() const { return int(FILESIZE.size()); }
    // The spool file is usable: created and every finished page written in full.
    bool SpoolOk() const { return FILE != nullptr && !writeFailed_; }
    // Reads page n (1-based) back from the spool file; false when it cannot be read in full.
    bool ReadPage(int n, std::vector<unsigned char>& bytes);

    // ---- State, named as the system names it ----
    int PAGE = 0;
    int X = -1, Y = 0; // tenths of a millimetre; X = -1: no page open
    double M_LEFT = 10, M_TOP = 10, M_RIGHT = 10, M_BOTTOM = 10; // millimetres
    int MAX_X = 2100, MAX_Y = 2970;
    Block PAGE_TETE, PAGE_PIED, LIST_TETE, LIST_PIED;
    std::FILE* FILE = nullptr;
    std::string FILENAME;
    std::vector<std::uint64_t> FILEPOS, FILESIZE;
    std::string LIB;
    bool LIST_ISED = false;
    bool LANDSCAPE = false;
    WIN* OWNER = nullptr;
    double FONT_SIZE = 3.5, FONT_SIZE_TETE = 5, FONT_ORIENT = 0;
    std::string FONT_NAME = "Arial";
    PREVIEW* PREVIEW_DLG = nullptr;

protected:
    // For writers that make no spool file (PL_RTF): the defaults only.
    PL(WIN* owner, bool landscape);

    // The drawing steps.
    virtual void _PAGE_BEGIN();
    virtual void _PAGE_END();
    virtual void _OUT(double gap);
    // A row; a header or footer row (fixed) has no page-break test.
    virtual void _OUT(const Row& row, bool fixed);
    void _OUT(const Block& block, bool fixed);
    // Draws the header block with the header font size.
    void DrawPageHeader();
    // The height of a block, each row as high as its tallest cell (tenths of a millimetre).
    static int BlockHeight(const Block& block);
    // Where a body row starts on a new page: below the top margin, the page header and the
    // list header (tenths of a millimetre from the top edge).
    int BodyTop() const;
    // The page-break test before a row whose first cell is h mm high, drawn `above` tenths
    // below the current position: true when it would cross the bottom margin and a new page
    // would start it higher. A row that fits on no page stays where it is, so that it costs
    // no empty page.
    bool BreakHelps(int above, int h) const;
    // Before a body row: a new page, with the list header repeated, when the row would cross
    // the bottom margin (BreakHelps).
    void BreakBeforeRow(const Row& row);

private:
    void AppendPage(const std::vector<unsigned char>& bytes);
    // The drawer of the open page (begun when none is open); null without a drawer.
    PageDrawer* Figures();

    std::unique_ptr<PageDrawer> drawer_;
    std::uint64_t end_ = 0; // where the next page goes
    bool writeFailed_ = false;
};

// PL2: a layout whose printing from the preview draws the document again, for the printer,
// instead of printing the pages the preview shows (the chart's vertical labels are drawn
// differently on paper). The redraw receives this layout, whose preview (PREVIEW_DLG) owns
// the new document.
class PL2 : public PL {
public:
    using Redraw = std::function<bool(PL2&)>;
    PL2(WIN* owner, std::string title, bool landscape, std::unique_ptr<PageDrawer> drawer, Redraw redraw);
    std::optional<bool> PrintAgain() override;

private:
    Redraw redraw_;
};

} // namespace lysora

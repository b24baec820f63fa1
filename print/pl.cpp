// PL (see pl.h): page breaks, headers and footers, cell geometry, the spool file.
#include "print/pl.h"

#include "base/messages.h"
#include "print/spool_name.h"
#include "print/spool.h"

#include <algorithm>
#include <cmath>

namespace lysora {
namespace {

int Tenths(double millimetres) { return int(std::lround(millimetres * 10)); }

// The rendering of one cell at (x, y) tenths from the paper's left and top edges.
CellBox Place(const CELL& cell, int x, int y, double fontSize, double fontOrient, const std::string& fontName)
{
    CellBox box;
    box.left = x;
    box.top = -y;
    box.right = x + cell.W * 10;
    box.bottom = -(y + cell.H * 10);
    box.text = cell.Text();
    box.align = cell.FMT;
    box.font_height = Tenths(fontSize);
    box.font_escapement = Tenths(fontOrient);
    box.bold = cell.BOLD;
    box.italic = cell.ITALIC;
    box.underlined = cell.UNDERLINED;
    box.font_name = fontName;
    // One line of text centred vertically; an inset of 1.5 mm on the aligned side.
    box.text_y = box.top - int(std::lround((cell.H - fontSize) * 0.5 * 10));
    if (cell.FMT == kCellRight)
        box.text_x = box.right - 15;
    else if (cell.FMT == kCellCentred)
        box.text_x = (box.left + box.right) >> 1;
    else
        box.text_x = box.left + 15;
    box.borders = {cell.B_LEFT, cell.B_TOP, cell.B_RIGHT, cell.B_BOTTOM};
    return box;
}

} // namespace

PL::PL(WIN* owner, bool landscape) : LANDSCAPE(landscape), OWNER(owner)
{
    MAX_X = landscape ? 2970 : 2100;
    MAX_Y = landscape ? 2100 : 2970;
}

PL::PL(WIN* owner, std::string title, bool landscape, std::unique_ptr<PageDrawer> drawer)
    : PL(owner, landscape)
{
    LIB = std::move(title);
    drawer_ = std::move(drawer);
    FILENAME = TMPNAME("MTX");
    if (!FILENAME.empty())
        FILE = std::fopen(FILENAME.c_str(), "w+b");
    if (!FILE)
        ShowMessage("Impossible de créer le fichier d'impression " + FILENAME, "Erreur", kMbOk | kMbIconStop);
}

PL::~PL()
{
    if (FILE)
        std::fclose(FILE);
    if (!FILENAME.empty())
        std::remove(FILENAME.c_str());
}

void PL::XY(double x, double y)
{
    if (X == -1)
        _PAGE_BEGIN();
    X = Tenths(x);
    Y = Tenths(y);
}

void PL::OUT(double gap)
{
    if (X == -1)
        _PAGE_BEGIN();
    _OUT(gap);
}

void PL::OUT(const Row& row)
{
    if (row.empty())
        return;
    if (X == -1)
        _PAGE_BEGIN();
    if (!LIST_ISED && !LIST_TETE.empty()) {
        // The list header goes only where the row fits after it; else both go on a new page.
        if (BreakHelps(BlockHeight(LIST_TETE), row.front().H)) {
            FORMFEED();
            _PAGE_BEGIN();
        }
        LIST_ISED = true;
        _OUT(LIST_TETE, true);
    }
    _OUT(row, false);
}

void PL::OUT(const Block& block)
{
    for (const Row& row : block)
        OUT(row);
}

void PL::FORMFEED() { _PAGE_END(); }

bool PL::CLOSE()
{
    if (X != -1)
        _PAGE_END();
    return SpoolOk();
}

void PL::DrawPageHeader()
{
    const double bodySize = FONT_SIZE;
    FONT_SIZE = FONT_SIZE_TETE;
    _OUT(PAGE_TETE, true);
    FONT_SIZE = bodySize;
}

void PL::_PAGE_BEGIN()
{
    ++PAGE;
    if (drawer_)
        drawer_->Begin(); // a failure is reported by the drawer; the page's layout goes on
    X = std::max(X, Tenths(M_LEFT));
    Y = std::max(Y, Tenths(M_TOP));
    DrawPageHeader();
    LIST_ISED = false;
}

void PL::_PAGE_END()
{
    if (X == -1)
        return;
    if (LIST_ISED)
        _OUT(LIST_PIED, true);
    _OUT(PAGE_PIED, true);
    if (drawer_)
        AppendPage(drawer_->End());
    X = -1;
    Y = 0;
    LIST_ISED = false;
}

void PL::AppendPage(const std::vector<unsigned char>& bytes)
{
    if (bytes.empty() || !FILE)
        return;
    // A page is added only once all its bytes are in the file; after a failed write the
    // next page goes where this one began, so offsets and sizes keep matching the file.
    if (std::fseek(FILE, long(end_), SEEK_SET) != 0 || std::fwrite(bytes.data(), 1, bytes.size(), FILE) != bytes.size() ||
        std::fflush(FILE) != 0) {
        if (!writeFailed_)
            ShowMessage("Erreur écriture du fichier d'impression " + FILENAME, "_Page_End", kMbOk | kMbIconStop);
        writeFailed_ = true;
        return;
    }
    FILEPOS.push_back(end_);
    FILESIZE.push_back(bytes.size());
    end_ += bytes.size();
}

PageDrawer* PL::Figures()
{
    if (X == -1)
        _PAGE_BEGIN();
    return drawer_.get();
}

void PL::LINE(int x1, int y1, int x2, int y2)
{
    if (PageDrawer* drawer = Figures())
        drawer->Line(x1, -y1, x2, -y2);
}

void PL::RECTANGLE(int x1, int y1, int x2, int y2)
{
    if (PageDrawer* drawer = Figures())
        drawer->Rectangle(x1, -y1, x2, -y2);
}

void PL::FILL(std::optional<std::uint32_t> rgb)
{
    if (PageDrawer* drawer = Figures())
        drawer->Fill(rgb);
}

void PL::TEXTOUT(int x, int y, const std::string& text, int height, int escapement)
{
    if (PageDrawer* drawer = Figures())
        drawer->Text({x, -y, text, height, escapement, FONT_NAME});
}

void PL::VTEXTOUT(int x, int y, const std::string& text)
{
    if (PageDrawer* drawer = Figures())
        drawer->VerticalText({x, -y, text, Tenths(FONT_SIZE), -900, FONT_NAME});
}

int PL::TEXTLENGTH(const std::string& text, int height) const
{
    return drawer_ ? drawer_->TextLength({0, 0, text, height, 0, FONT_NAME}) : 0;
}

PL2::PL2(WIN* owner, std::string title, bool landscape, std::unique_ptr<PageDrawer> drawer, Redraw redraw)
    : PL(owner, std::move(title), landscape, std::move(drawer)), redraw_(std::move(redraw))
{
}

std::optional<bool> PL2::PrintAgain()
{
    if (!redraw_)
        return std::nullopt;
    return redraw_(*this);
}

bool PL::ReadPage(int n, std::vector<unsigned char>& bytes)
{
    bytes.clear();
    if (n < 1 || n > PageCount())
        return false;
    return ReadSpoolPage(FILE, FILEPOS[std::size_t(n - 1)], FILESIZE[std::size_t(n - 1)], bytes);
}

void PL::_OUT(double gap) { Y += Tenths(gap); }

int PL::BlockHeight(const Block& block)
{
    int height = 0;
    for (const Row& row : block) {
        int tallest = 0;
        for (const CELL& cell : row)
            tallest = std::max(tallest, cell.H * 10);
        height += tallest;
    }
    return height;
}

int PL::BodyTop() const { return Tenths(M_TOP) + BlockHeight(PAGE_TETE) + BlockHeight(LIST_TETE); }

bool PL::BreakHelps(int above, int h) const
{
    const int top = Y + above;
    return top + h * 10 > MAX_Y - Tenths(M_BOTTOM) && top > BodyTop();
}

void PL::_OUT(const Block& block, bool fixed)
{
    for (const Row& row : block)
        _OUT(row, fixed);
}

void PL::BreakBeforeRow(const Row& row)
{
    if (!BreakHelps(0, row.front().H))
        return;
    FORMFEED();
    _PAGE_BEGIN();
    if (!LIST_TETE.empty()) {
        LIST_ISED = true;
        _OUT(LIST_TETE, true);
    }
}

void PL::_OUT(const Row& row, bool fixed)
{
    if (row.empty())
        return;
    if (!fixed)
        BreakBeforeRow(row);
    X = std::max(X, Tenths(M_LEFT));
    int bottom = Y;
    for (const CELL& cell : row) {
        if (drawer_)
            drawer_->Draw(Place(cell, X, Y, FONT_SIZE, FONT_ORIENT, FONT_NAME));
        X += cell.W * 10;
        bottom = std::max(bottom, Y + cell.H * 10);
    }
    X = 0;
    Y = bottom;
}

} // namespace lysora

// Pages as memory metafiles (see metafile_win32.h). The metafile records no mapping mode:
// its coordinates are tenths of a millimetre with y negative downward, for playing under
// MM_LOMETRIC with the origin at the paper's top-left corner.
#include "print/metafile_win32.h"

#include "base/messages.h"
#include "print/spool.h"

namespace lysora {
namespace {

// Size of the picture a vertical text is drawn in, in pixels of the picture and in tenths
// of a millimetre on the page alike: 5 mm across, 35 mm down.
constexpr int kVerticalTextWidth = 50, kVerticalTextHeight = 350;

HFONT TurnedFont(const TextRun& run)
{
    return CreateFontA(run.font_height, 0, run.font_escapement, run.font_escapement, 0, FALSE, FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                       run.font_name.c_str());
}

class MetafileDrawer final : public PageDrawer {
public:
    ~MetafileDrawer() override
    {
        if (dc_)
            DeleteMetaFile(CloseMetaFile(dc_));
        DropFill();
    }

    bool Begin() override
    {
        if (dc_)
            DeleteMetaFile(CloseMetaFile(dc_));
        dc_ = CreateMetaFileA(nullptr);
        if (!dc_)
            ShowMessage("Erreur CreateMetaFile", "_Page_Begin");
        return dc_ != nullptr;
    }

    void Draw(const CellBox& cell) override
    {
        if (!dc_)
            return;
        HFONT font = CreateFontA(cell.font_height, 0, cell.font_escapement, cell.font_escapement,
                                 cell.bold ? FW_BOLD : 0, cell.italic, cell.underlined, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                                 cell.font_name.c_str());
        HGDIOBJ previous = SelectObject(dc_, font);
        RECT box = {cell.left, cell.top, cell.right, cell.bottom};
        SetTextAlign(dc_, cell.align == kCellRight ? TA_RIGHT : cell.align == kCellCentred ? TA_CENTER : TA_LEFT);
        ExtTextOutA(dc_, cell.text_x, cell.text_y, ETO_CLIPPED, &box, cell.text.data(), UINT(cell.text.size()), nullptr);
        SetTextAlign(dc_, TA_LEFT);
        const POINT corners[4][2] = {
            {{cell.left, cell.top}, {cell.left, cell.bottom}},
            {{cell.left, cell.top}, {cell.right, cell.top}},
            {{cell.right, cell.top}, {cell.right, cell.bottom}},
            {{cell.left, cell.bottom}, {cell.right, cell.bottom}},
        };
        for (int side = 0; side < 4; ++side) {
            if (cell.borders[side] > 0)
                StraightLine(cell.borders[side], corners[side][0], corners[side][1]);
        }
        if (previous)
            SelectObject(dc_, previous);
        DeleteObject(font);
    }

    void Line(int x1, int y1, int x2, int y2) override
    {
        if (dc_)
            StraightLine(1, {x1, y1}, {x2, y2});
    }

    void Rectangle(int x1, int y1, int x2, int y2) override
    {
        if (!dc_)
            return;
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
        HGDIOBJ previousPen = SelectObject(dc_, pen);
        // The fill is selected for each rectangle: a played metafile starts with the
        // target's brush, whatever was selected when the page began.
        HGDIOBJ previousBrush = SelectObject(dc_, fill_ ? HGDIOBJ(fill_) : GetStockObject(WHITE_BRUSH));
        ::Rectangle(dc_, x1, y1, x2, y2);
        SelectObject(dc_, previousBrush);
        SelectObject(dc_, previousPen);
        DeleteObject(pen);
    }

    void Fill(std::optional<std::uint32_t> rgb) override
    {
        DropFill();
        if (rgb)
            fill_ = CreateSolidBrush(COLORREF(*rgb));
    }

    void Text(const TextRun& run) override
    {
        if (!dc_)
            return;
        HFONT font = TurnedFont(run);
        HGDIOBJ previous = SelectObject(dc_, font);
        TextOutA(dc_, run.x, run.y, run.text.data(), int(run.text.size()));
        SelectObject(dc_, previous);
        DeleteObject(font);
    }

    void VerticalText(const TextRun& run) override
    {
        if (!dc_)
            return;
        // The text is drawn turned in a black-and-white picture of its own, reading
        // downwards from its top right, and the picture is copied onto the page: printers
        // print pictures as they are, where some do not turn fonts.
        HDC memory = CreateCompatibleDC(nullptr);
        HBITMAP picture = memory ? CreateCompatibleBitmap(memory, kVerticalTextWidth, kVerticalTextHeight) : nullptr;
        HFONT font = TurnedFont(run);
        if (memory && picture && font) {
            HGDIOBJ previousPicture = SelectObject(memory, picture);
            HGDIOBJ previousFont = SelectObject(memory, font);
            PatBlt(memory, 0, 0, kVerticalTextWidth, kVerticalTextHeight, WHITENESS);
            TextOutA(memory, kVerticalTextWidth - 5, 0, run.text.data(), int(run.text.size()));
            // The page's y axis points up: a negative height puts the picture's top row at
            // the top.
            StretchBlt(dc_, run.x - kVerticalTextWidth / 2, run.y, kVerticalTextWidth, -kVerticalTextHeight, memory,
                       0, 0, kVerticalTextWidth, kVerticalTextHeight, SRCCOPY);
            SelectObject(memory, previousFont);
            SelectObject(memory, previousPicture);
        }
        if (font)
            DeleteObject(font);
        if (picture)
            DeleteObject(picture);
        if (memory)
            DeleteDC(memory);
    }

    int TextLength(const TextRun& run) override
    {
        // Measured unturned on a memory context, whose pixels stand for the page's tenths
        // of a millimetre as the vertical text's picture does.
        HDC memory = CreateCompatibleDC(nullptr);
        TextRun flat = run;
        flat.font_escapement = 0;
        HFONT font = memory ? TurnedFont(flat) : nullptr;
        SIZE size{};
        if (font) {
            HGDIOBJ previous = SelectObject(memory, font);
            GetTextExtentPoint32A(memory, run.text.data(), int(run.text.size()), &size);
            SelectObject(memory, previous);
            DeleteObject(font);
        }
        if (memory)
            DeleteDC(memory);
        return int(size.cx);
    }

    std::vector<unsigned char> End() override
    {
        std::vector<unsigned char> bytes;
        DropFill();
        if (!dc_)
            return bytes;
        HMETAFILE metafile = CloseMetaFile(dc_);
        dc_ = nullptr;
        if (!metafile) {
            ShowMessage("Erreur CloseMetaFile", "_Page_End");
            return bytes;
        }
        const UINT size = GetMetaFileBitsEx(metafile, 0, nullptr);
        if (size == 0) {
            ShowMessage("Erreur GetMetaFileBits 1", "_Page_End");
        } else {
            bytes.resize(size);
            if (GetMetaFileBitsEx(metafile, size, bytes.data()) != size) {
                ShowMessage("Erreur GetMetaFileBits 2", "_Page_End");
                bytes.clear();
            }
        }
        DeleteMetaFile(metafile);
        return bytes;
    }

private:
    // A solid black line of that width (tenths of a millimetre), its pen made for it.
    void StraightLine(int width, POINT from, POINT to)
    {
        HPEN pen = CreatePen(PS_SOLID, width, RGB(0, 0, 0));
        HGDIOBJ previous = SelectObject(dc_, pen);
        MoveToEx(dc_, from.x, from.y, nullptr);
        LineTo(dc_, to.x, to.y);
        SelectObject(dc_, previous);
        DeleteObject(pen);
    }

    void DropFill()
    {
        if (fill_)
            DeleteObject(fill_);
        fill_ = nullptr;
    }

    HDC dc_ = nullptr;
    HBRUSH fill_ = nullptr;
};

} // namespace

std::unique_ptr<PageDrawer> NewMetafileDrawer() { return std::make_unique<MetafileDrawer>(); }

HMETAFILE MetafileFromBytes(const std::vector<unsigned char>& bytes, std::string* fault)
{
    std::string why = SpoolPageFault(bytes.data(), bytes.size());
    HMETAFILE metafile = why.empty() ? SetMetaFileBitsEx(UINT(bytes.size()), bytes.data()) : nullptr;
    if (why.empty() && !metafile)
        why = "métafichier refusé par le système";
    if (fault)
        *fault = why;
    return metafile;
}

} // namespace lysora

// Pages as memory metafiles (see metafile_win32.h). The metafile records no mapping mode:
// its coordinates are tenths of a millimetre with y negative downward, for playing under
// MM_LOMETRIC with the origin at the paper's top-left corner.
#include "print/metafile_win32.h"

#include "base/messages.h"
#include "print/spool.h"

namespace lysora {
namespace {

class MetafileDrawer final : public PageDrawer {
public:
    ~MetafileDrawer() override
    {
        if (dc_)
            DeleteMetaFile(CloseMetaFile(dc_));
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
            if (cell.borders[side] <= 0)
                continue;
            HPEN pen = CreatePen(PS_SOLID, cell.borders[side], RGB(0, 0, 0));
            HGDIOBJ oldPen = SelectObject(dc_, pen);
            MoveToEx(dc_, corners[side][0].x, corners[side][0].y, nullptr);
            LineTo(dc_, corners[side][1].x, corners[side][1].y);
            SelectObject(dc_, oldPen);
            DeleteObject(pen);
        }
        if (previous)
            SelectObject(dc_, previous);
        DeleteObject(font);
    }

    std::vector<unsigned char> End() override
    {
        std::vector<unsigned char> bytes;
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
    HDC dc_ = nullptr;
};

} // namespace

std::unique_ptr<PageDrawer> NewMetafileDrawer() { return std::make_unique<MetafileDrawer>(); }

HMETAFILE MetafileFromBytes(const std::vector<unsigned char>& bytes)
{
    if (!IsWholeMetafile(bytes.data(), bytes.size()))
        return nullptr;
    return SetMetaFileBitsEx(UINT(bytes.size()), bytes.data());
}

} // namespace lysora

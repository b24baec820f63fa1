// Test helper (Windows): a page played on a memory device context, as a white picture of
// one pixel per millimetre, read back pixel by pixel.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lysora::testing {

// A white bitmap of the page at one pixel per millimetre, with the page played on it.
class PagePicture {
public:
    explicit PagePicture(HMETAFILE page, int widthMm = 210, int heightMm = 297) : w_(widthMm), h_(heightMm)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = w_;
        info.bmiHeader.biHeight = -h_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        dc_ = CreateCompatibleDC(nullptr);
        bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(dc_, bitmap_);
        RECT all = {0, 0, w_, h_};
        FillRect(dc_, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetMapMode(dc_, MM_ANISOTROPIC);
        SetWindowExtEx(dc_, 10, 10, nullptr);
        SetViewportExtEx(dc_, 1, -1, nullptr);
        PlayMetaFile(dc_, page);
        GdiFlush();
    }
    ~PagePicture()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    bool Dark(int x, int y) const { return (bits_[y * w_ + x] & 0xFFFFFF) < 0x808080; }

private:
    int w_, h_;
    HDC dc_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    std::uint32_t* bits_ = nullptr;
};

} // namespace lysora::testing

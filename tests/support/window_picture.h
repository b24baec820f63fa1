// Test helper of the Windows tests: pictures of windows for the README and the help pages.
// With LYSORA_SCREENSHOTS naming a folder, SaveScreenshot writes what a window's client area
// shows there as NAME.bmp (24-bit); without it, it does nothing.
#pragma once

#include "tests/support/window_queue.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <string>

namespace lysora::testing {

// Saves what a window's client area shows as a 24-bit BMP file.
inline void SaveWindow(HWND hwnd, const std::string& path)
{
    RECT r;
    GetClientRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    HDC window = GetDC(hwnd);
    BitBlt(dc, 0, 0, w, h, window, 0, 0, SRCCOPY);
    ReleaseDC(hwnd, window);
    GdiFlush();
    const DWORD stride = DWORD((w * 3 + 3) & ~3), size = stride * DWORD(h);
    BITMAPFILEHEADER file{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                          DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), std::streamsize(size));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

// The window redrawn whole, then saved as NAME.bmp in the LYSORA_SCREENSHOTS folder.
inline void SaveScreenshot(HWND hwnd, const std::string& name)
{
    const char* folder = std::getenv("LYSORA_SCREENSHOTS");
    if (!folder)
        return;
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Pump();
    SaveWindow(hwnd, std::string(folder) + "\\" + name + ".bmp");
}

} // namespace lysora::testing

// Test helper of the Windows tests: a pixel of a window's client area as the window shows it
// now, with no redraw asked for, so that a test sees whether a change was painted by itself.
#pragma once

#include <windows.h>

namespace lysora::testing {

inline COLORREF ShownPixel(HWND hwnd, int x, int y)
{
    HDC dc = GetDC(hwnd);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
}

} // namespace lysora::testing

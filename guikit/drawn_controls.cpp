// The two controls the library draws itself: the check box ("GKT-CHECKBOX", state in the
// window text, "Y" or empty) and the colour box ("GKT-COLORBOX", colour in the window text as
// colour components, chosen with the system colour dialog). Both report focus changes and
// hand keys to the parent like the wrapped controls, and notify the parent of every change
// with WM_COMMAND (wParam 0x10000, lParam = the control).
#include "guikit/internal.h"
#include "guikit/out_parse.h"

#include <commdlg.h>

#include <cstdio>

namespace guikit {
namespace {

constexpr WPARAM kChangeNotification = 0x10000;
constexpr int kColourTextMax = 49;

void NotifyChange(HWND hwnd)
{
    SendMessageA(GetParent(hwnd), WM_COMMAND, kChangeNotification, reinterpret_cast<LPARAM>(hwnd));
}

// Messages both drawn controls handle alike; false when the control decides.
bool CommonDrawnMessage(Win* win, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, BOOL erase, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_CREATE:
        Notify(win, WM_CREATE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win));
        return true;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        ReportFocus(hwnd, win, msg == WM_SETFOCUS);
        InvalidateRect(hwnd, nullptr, erase);
        return true;
    case WM_ENABLE: InvalidateRect(hwnd, nullptr, erase); return true;
    case WM_SETTEXT:
        // The text is the state: a new one, however it comes, is drawn at once.
        *result = DefWindowProcA(hwnd, msg, wparam, lparam);
        InvalidateRect(hwnd, nullptr, erase);
        return true;
    case WM_KEYDOWN:
    case WM_SYSCHAR: *result = SendMessageA(GetParent(hwnd), msg, wparam, lparam); return true;
    case GKTM_PARENTSIZE: FollowParentSize(win, lparam); return true;
    default: return false;
    }
}

// Size the drawing is laid out on: the requested size, or the resolved one when the request
// is relative to the parent (a negative number of pixels is no size to draw with).
SIZE DrawnSize(const Win* win)
{
    SIZE size;
    size.cx = win->req_w < 0 ? win->w : win->req_w;
    size.cy = win->req_h < 0 ? win->h : win->req_h;
    return size;
}

void FillArea(HDC dc, int left, int top, int right, int bottom, HBRUSH brush)
{
    RECT r = {left, top, right, bottom};
    FillRect(dc, &r, brush);
}

// ---- check box ------------------------------------------------------------------------

bool IsChecked(HWND hwnd)
{
    char text[2] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text[0] == 'Y' || text[0] == 'O';
}

void SetChecked(HWND hwnd, bool checked)
{
    if (IsChecked(hwnd) == checked) return;
    SetWindowTextA(hwnd, checked ? "Y" : "");
    NotifyChange(hwnd);
}

void PaintCheckBox(Win* win, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const SIZE size = DrawnSize(win);
    const int w = size.cx, h = size.cy;
    const bool enabled = IsWindowEnabled(hwnd);
    const bool focused = GetFocus() == hwnd;
    int tick_colour;
    if (enabled) {
        FillArea(dc, 1, 1, w - 5, h - 5, GetSysColorBrush(focused ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        tick_colour = focused ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT;
    } else {
        FillArea(dc, 0, 0, w - 4, h - 4, DisabledBrush() ? DisabledBrush() : GetSysColorBrush(COLOR_BTNFACE));
        tick_colour = COLOR_GRAYTEXT;
    }
    if (IsChecked(hwnd)) {
        HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(tick_colour));
        HGDIOBJ old = SelectObject(dc, pen);
        for (int i = -1; i <= 1; ++i) {
            MoveToEx(dc, 2, h / 2 - 2 + i, nullptr);
            LineTo(dc, w / 2 - 5, h - 9 + i);
            LineTo(dc, w - 7, 3 + i);
        }
        SelectObject(dc, old);
        DeleteObject(pen);
    }
    EndPaint(hwnd, &ps);
}

// ---- colour box -----------------------------------------------------------------------

COLORREF BoxColour(HWND hwnd)
{
    char text[kColourTextMax + 1] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    const char* p = text;
    return ReadOutColour(p);
}

void PaintColorBox(Win* win, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const SIZE size = DrawnSize(win);
    const int w = size.cx, h = size.cy;
    HBRUSH swatch = CreateSolidBrush(BoxColour(hwnd));
    FillArea(dc, 3, 3, w - 20, h - 5, swatch);
    DeleteObject(swatch);

    FillArea(dc, w - 15, 0, w - 1, h, GetSysColorBrush(COLOR_BTNFACE));
    RECT bevel = {w - 16, 0, w - 16 + 13, h - 3};
    DrawEdge(dc, &bevel, BDR_RAISEDINNER, BF_RECT);
    HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ old = SelectObject(dc, black);
    for (int i = 0; i <= 2; ++i) {
        MoveToEx(dc, w - 10, 4 + i, nullptr);
        LineTo(dc, w - 7, 4 + i);
    }
    for (int i = 0; i <= 3; ++i) {
        MoveToEx(dc, w - 12 + i, 7 + i, nullptr);
        LineTo(dc, w - 5 - i, 7 + i);
    }
    MoveToEx(dc, w - 12, 12, nullptr);
    LineTo(dc, w - 5, 12);
    SelectObject(dc, old);
    DeleteObject(black);

    if (GetFocus() == hwnd) {
        // Dotted frame: every other pixel in the window-frame colour, the others in the window colour.
        const COLORREF frame = GetSysColor(COLOR_WINDOWFRAME), window = GetSysColor(COLOR_WINDOW);
        const int fw = w - 20, fh = h - 5;
        for (int x = 0; x < fw; ++x) {
            SetPixel(dc, 1 + x, 1, x % 2 ? window : frame);
            SetPixel(dc, 1 + x, fh, x % 2 ? window : frame);
        }
        for (int y = 0; y < fh; ++y) {
            SetPixel(dc, 1, 1 + y, y % 2 ? window : frame);
            SetPixel(dc, fw, 1 + y, y % 2 ? window : frame);
        }
    }
    EndPaint(hwnd, &ps);
}

void ChooseBoxColour(HWND hwnd)
{
    static COLORREF custom[16];
    for (int k = 0; k < 16; ++k) {
        const int level = 255 - 16 * k;
        custom[k] = RGB(level, level, level);
    }
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = GetParent(hwnd);
    cc.rgbResult = BoxColour(hwnd);
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT | CC_FULLOPEN;
    if (ChooseColorA(&cc)) {
        char text[kColourTextMax + 1];
        std::snprintf(text, sizeof text, "r%ug%ub%u", static_cast<unsigned>(GetRValue(cc.rgbResult)),
                      static_cast<unsigned>(GetGValue(cc.rgbResult)), static_cast<unsigned>(GetBValue(cc.rgbResult)));
        SetWindowTextA(hwnd, text);
        NotifyChange(hwnd);
    }
    SetFocus(hwnd);
}

} // namespace
} // namespace guikit

using namespace guikit;

GUIKIT_API LRESULT CALLBACK CheckBox_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = ControlRecord(hwnd, msg, lparam);
    if (!win) return DefWindowProcA(hwnd, msg, wparam, lparam);
    LRESULT result;
    if (CommonDrawnMessage(win, hwnd, msg, wparam, lparam, FALSE, &result)) return result;
    switch (msg) {
    case WM_PAINT: PaintCheckBox(win, hwnd); return 0;
    case WM_CHAR:
        switch (wparam) {
        case VK_RETURN: SendMessageA(GetParent(hwnd), msg, wparam, lparam); break;
        case ' ': SetChecked(hwnd, !IsChecked(hwnd)); break;
        case 'N':
        case 'n': SetChecked(hwnd, false); break;
        case 'O':
        case 'o': SetChecked(hwnd, true); break;
        default: break;
        }
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        SetChecked(hwnd, !IsChecked(hwnd));
        return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

GUIKIT_API LRESULT CALLBACK ColorBox_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = ControlRecord(hwnd, msg, lparam);
    if (!win) return DefWindowProcA(hwnd, msg, wparam, lparam);
    LRESULT result;
    if (CommonDrawnMessage(win, hwnd, msg, wparam, lparam, TRUE, &result)) return result;
    switch (msg) {
    case WM_PAINT: PaintColorBox(win, hwnd); return 0;
    case WM_CHAR:
        if (wparam == VK_RETURN) SendMessageA(GetParent(hwnd), msg, wparam, lparam);
        return 0;
    case WM_LBUTTONDOWN: ChooseBoxColour(hwnd); return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

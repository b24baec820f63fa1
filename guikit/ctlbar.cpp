// The toolbar strip of frame windows (CtlBar): buttons made of bitmap resources of the
// program's instance, drawn raised, drawn sunken while the left button holds one down, and
// reporting their command on release wherever the pointer then is.
#include "guikit/internal.h"

#include <cstdlib>

namespace guikit {
namespace {

constexpr int kStripWidth = 2048;

CtlBar* BarOf(Win* win)
{
    if (!win->ctlbar) {
        auto* bar = static_cast<CtlBar*>(std::calloc(1, sizeof(CtlBar)));
        if (!bar) return nullptr;
        bar->owner = win;
        bar->next_x = 4;
        bar->margin = 2;
        bar->height = 30;
        bar->pressed = -1;
        win->ctlbar = bar;
    }
    return win->ctlbar;
}

// Adds a button; false when the bitmap is missing (reported) or the bar is full.
bool AddButton(CtlBar* bar, HINSTANCE instance, int command, const char* bitmap_name)
{
    HBITMAP bitmap = LoadBitmapA(instance, bitmap_name);
    if (!bitmap) {
        ShowBox(nullptr, "Bitmap non trouvé", bitmap_name, MB_OK);
        return false;
    }
    if (bar->count >= GKT_CTLBAR_MAX_BUTTONS) {
        Trace("toolbar full");
        DeleteObject(bitmap);
        return false;
    }
    BITMAP info = {};
    GetObjectA(bitmap, sizeof info, &info);
    CtlBarButton& button = bar->buttons[bar->count];
    button.x = bar->next_x;
    button.width = info.bmWidth;
    button.height = info.bmHeight;
    button.command = command;
    button.bitmap = bitmap;
    bar->next_x += info.bmWidth + 5;
    const int height = info.bmHeight + 2 * bar->margin + 5;
    bar->height = bar->count == 0 || height > bar->height ? height : bar->height;
    ++bar->count;
    return true;
}

void Line(HDC dc, int x1, int y1, int x2, int y2)
{
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
}

// A bevel one pixel deep at (x, y) of size w x h: light top and left, dark bottom and right.
void Bevel(HDC dc, int x, int y, int w, int h, COLORREF light, COLORREF dark)
{
    HPEN light_pen = CreatePen(PS_SOLID, 1, light);
    HPEN dark_pen = CreatePen(PS_SOLID, 1, dark);
    HGDIOBJ old = SelectObject(dc, light_pen);
    Line(dc, x, y + h - 1, x, y);
    Line(dc, x, y, x + w, y);
    SelectObject(dc, dark_pen);
    Line(dc, x + w - 1, y + 1, x + w - 1, y + h);
    Line(dc, x, y + h - 1, x + w, y + h - 1);
    SelectObject(dc, old);
    DeleteObject(light_pen);
    DeleteObject(dark_pen);
}

void Blit(HDC dc, HBITMAP bitmap, int x, int y, int w, int h)
{
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(dc, x, y, w, h, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kBlack = RGB(0, 0, 0);

void PaintButton(HDC dc, const CtlBar* bar, const CtlBarButton& b, bool pressed)
{
    const int m = bar->margin;
    if (pressed) {
        Bevel(dc, b.x, m + 1, b.width + 1, b.height + 1, kBlack, kWhite);
        Blit(dc, b.bitmap, b.x + 2, m + 3, b.width, b.height);
        return;
    }
    HPEN black = CreatePen(PS_SOLID, 1, kBlack);
    HGDIOBJ old_pen = SelectObject(dc, black);
    HGDIOBJ old_brush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, b.x - 1, m, b.x + b.width + 2, m + b.height + 3);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(black);
    Bevel(dc, b.x, m + 1, b.width + 1, b.height + 1, kWhite, kBlack);
    Blit(dc, b.bitmap, b.x + 1, m + 2, b.width, b.height);
}

} // namespace

void FreeCtlBar(Win* win)
{
    CtlBar* bar = win->ctlbar;
    if (!bar) return;
    for (int i = 0; i < bar->count; ++i) DeleteObject(bar->buttons[i].bitmap);
    std::free(bar);
    win->ctlbar = nullptr;
}

void PaintCtlBar(Win* win, HDC dc)
{
    const CtlBar* bar = win->ctlbar;
    RECT strip = {0, 0, kStripWidth, bar->height};
    FillRect(dc, &strip, GetSysColorBrush(COLOR_BTNFACE));
    HPEN black = CreatePen(PS_SOLID, 1, kBlack);
    HGDIOBJ old = SelectObject(dc, black);
    Line(dc, 0, 0, kStripWidth, 0);
    Line(dc, 0, bar->height - 1, kStripWidth, bar->height - 1);
    SelectObject(dc, old);
    DeleteObject(black);
    for (int i = 0; i < bar->count; ++i) PaintButton(dc, bar, bar->buttons[i], false);
}

void CtlBarPress(Win* win, int x, int y)
{
    CtlBar* bar = win->ctlbar;
    if (bar->pressed != -1) return;
    for (int i = 0; i < bar->count; ++i) {
        const CtlBarButton& b = bar->buttons[i];
        if (x > b.x && x < b.x + b.width + 2 && y > bar->margin && y < bar->margin + b.height + 2) {
            bar->pressed = i;
            HDC dc = GetDC(win->hwnd);
            PaintButton(dc, bar, b, true);
            ReleaseDC(win->hwnd, dc);
            return;
        }
    }
}

void CtlBarRelease(Win* win)
{
    CtlBar* bar = win->ctlbar;
    if (bar->pressed == -1) return;
    const CtlBarButton& b = bar->buttons[bar->pressed];
    bar->pressed = -1;
    RECT area = {b.x, bar->margin, b.x + b.width + 4, bar->margin + b.height + 4};
    InvalidateRect(win->hwnd, &area, TRUE);
    Notify(win, WM_COMMAND, static_cast<WPARAM>(b.command), 0);
}

} // namespace guikit

using namespace guikit;

GUIKIT_API int __stdcall Win_CtlBarAdd(Win* win, int command, const char* bitmap_name)
{
    if (!win) return 0;
    CtlBar* bar = BarOf(win);
    if (!bar) return 0;
    AddButton(bar, win->app ? win->app->instance : nullptr, command, bitmap_name ? bitmap_name : "");
    win->ctlbar_height = bar->height;
    return 0;
}

GUIKIT_API int __stdcall Win_CtlBarSepar(Win* win, int gap)
{
    if (!win) return 0;
    bool created = win->ctlbar == nullptr;
    CtlBar* bar = BarOf(win);
    if (!bar) return 0;
    bar->next_x += gap;
    if (created) win->ctlbar_height = bar->height;
    return 0;
}

// _Out: carries out drawing-command texts with GDI, and the module list searched for bitmap
// names (__Out_RegisterBitmapInstance). The commands are read by ParseOut (out_parse.h);
// this file keeps the cursor, measures texts and bitmaps, and creates and releases every pen,
// brush, font, memory DC and bitmap within the command that needs it.
#include "guikit/internal.h"
#include "guikit/out_parse.h"

#include <cstdio>
#include <cstring>

namespace guikit {
namespace {

constexpr int kMaxModules = 32;
HINSTANCE modules[kMaxModules];

int WrapAdd(int a, int b) { return static_cast<int>(static_cast<unsigned>(a) + static_cast<unsigned>(b)); }

HBITMAP LoadFromModules(const char* name)
{
    if (!*name) return nullptr;
    for (HINSTANCE module : modules) {
        if (!module) break;
        if (HBITMAP bitmap = LoadBitmapA(module, name)) return bitmap;
    }
    return nullptr;
}

class GdiDevice final : public OutDevice {
public:
    GdiDevice(HDC dc, int x, int y) : dc_(dc), x_(x), y_(y) {}

    void Draw(const OutOp& op) override
    {
        switch (op.kind) {
        case OutOpKind::Move:
            cx_ = op.x;
            cy_ = op.y;
            break;
        case OutOpKind::Rect: Rectangle(op); break;
        case OutOpKind::Text: Text(op); break;
        case OutOpKind::Bitmap: Bitmap(op); break;
        case OutOpKind::Bar: Bar(op); break;
        case OutOpKind::Unknown: {
            char text[32];
            std::snprintf(text, sizeof text, "Commande '%c' ???", op.unknown);
            ShowBox(nullptr, text, "Out()", MB_OK);
            break;
        }
        }
    }

private:
    int X() const { return WrapAdd(x_, cx_); }
    int Y() const { return WrapAdd(y_, cy_); }

    void Fill(int w, int h, COLORREF colour)
    {
        RECT r = {X(), Y(), WrapAdd(X(), w), WrapAdd(Y(), h)};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc_, &r, brush);
        DeleteObject(brush);
    }

    void Rectangle(const OutOp& op)
    {
        if (op.fill) Fill(op.w, op.h, op.fill_colour);
        HPEN pen = CreatePen(PS_SOLID, 1, op.colour);
        HGDIOBJ old = SelectObject(dc_, pen);
        int left = X(), top = Y(), right = WrapAdd(left, op.w), bottom = WrapAdd(top, op.h);
        MoveToEx(dc_, left, top, nullptr);
        LineTo(dc_, right, top);
        LineTo(dc_, right, bottom);
        LineTo(dc_, left, bottom);
        LineTo(dc_, left, top);
        SelectObject(dc_, old);
        DeleteObject(pen);
        cx_ = WrapAdd(cx_, op.w);
    }

    void Text(const OutOp& op)
    {
        HFONT font = nullptr;
        HGDIOBJ old = nullptr;
        if (op.font) {
            LOGFONTA lf = {};
            lf.lfHeight = op.font->height;
            lf.lfWeight = op.font->weight;
            lf.lfItalic = op.font->italic;
            lf.lfUnderline = op.font->underline;
            std::memcpy(lf.lfFaceName, op.font->face, sizeof lf.lfFaceName);
            font = CreateFontIndirectA(&lf);
            if (font) old = SelectObject(dc_, font);
        }
        RECT r = {X(), Y(), X(), Y()};
        const UINT format = DT_LEFT | DT_TOP | DT_NOCLIP;
        DrawTextA(dc_, op.text, -1, &r, format | DT_CALCRECT);
        int width = r.right - r.left;
        RECT at = {X(), Y(), X(), Y()};
        DrawTextA(dc_, op.text, -1, &at, format);
        if (font) {
            SelectObject(dc_, old);
            DeleteObject(font);
        }
        cx_ = WrapAdd(cx_, width);
    }

    void Bitmap(const OutOp& op)
    {
        HBITMAP bitmap = LoadFromModules(op.text);
        if (!bitmap) {
            // The cursor stays where it was: nothing was drawn.
            ShowBox(nullptr, "Ressource non trouvée", op.text, MB_OK);
            return;
        }
        BITMAP info = {};
        GetObjectA(bitmap, sizeof info, &info);
        HDC memory = CreateCompatibleDC(dc_);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc_, X(), Y(), info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
        cx_ = WrapAdd(cx_, info.bmWidth);
    }

    void Bar(const OutOp& op)
    {
        Fill(op.w, op.h, op.colour);
        cx_ = WrapAdd(cx_, op.w);
    }

    HDC dc_;
    int x_, y_;
    int cx_ = 0, cy_ = 0;
};

} // namespace
} // namespace guikit

using namespace guikit;

GUIKIT_API int __stdcall _Out(HDC dc, int x, int y, int w, int h, const char* commands)
{
    SetBkMode(dc, TRANSPARENT);
    GdiDevice device(dc, x, y);
    ParseOut(commands, w, h, device);
    return 0;
}

GUIKIT_API int __stdcall __Out_RegisterBitmapInstance(HINSTANCE instance)
{
    for (HINSTANCE& slot : modules) {
        if (!slot) {
            slot = instance;
            return 0;
        }
    }
    ShowBox(nullptr, "ERREUR Trop de modules", "__Out_RegisterBitmapInstance()", MB_OK);
    return 1;
}

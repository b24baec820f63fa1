// DOM_BITMAP and FLD_BITMAP (see fld_bitmap.h).
#include "views/picture/fld_bitmap.h"

#include "framework/subclass.h"

#include <cstdint>
#include <optional>

namespace lysora {

namespace {

constexpr int kBorder = 2; // each side of the sunken border (WS_EX_CLIENTEDGE)
// The window property holding the procedure the field replaced.
constexpr const char* kReplacedProc = "Lysora.FLD_BITMAP.Proc";

// Whether a visible sibling made after the picture covers the screen point. Siblings made
// later lie below it in the z-order and are painted after it, so they are what the user
// sees there (a background picture under a dialog's buttons and labels).
bool DrawnOverAt(HWND picture, POINT screen)
{
    for (HWND sibling = GetWindow(picture, GW_HWNDNEXT); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        RECT place;
        if (IsWindowVisible(sibling) && GetWindowRect(sibling, &place) && PtInRect(&place, screen))
            return true;
    }
    return false;
}

} // namespace

// ---- DOM_BITMAP ---------------------------------------------------------------------

DOM_BITMAP::DOM_BITMAP(std::string_view cName) : DOM_CAR(kNameLength), default_(cName) {}

std::unique_ptr<FLD_BITMAP> DOM_BITMAP::CONTROL(WIN* owner) const
{
    auto field = std::make_unique<FLD_BITMAP>(owner);
    if (!default_.empty())
        field->SET(Value(default_));
    return field;
}

// ---- FLD_BITMAP ---------------------------------------------------------------------

FLD_BITMAP::FLD_BITMAP(WIN* owner) : FLD(owner, GKT_LABEL) {}

FLD_BITMAP::~FLD_BITMAP()
{
    // The window goes first, so that it paints nothing from a freed picture.
    DestroyWindowNow();
    FREEBITMAP();
}

void FLD_BITMAP::SET(const Value& value)
{
    value_ = value;
    FREEBITMAP();
    if (std::string name = value.Text(); !name.empty())
        LOADBITMAP(name);
    FITTOIMAGE();
}

void FLD_BITMAP::RELIEF(bool relief)
{
    relief_ = relief;
    if (relief && Record())
        Record()->ex_style |= WS_EX_CLIENTEDGE;
}

bool FLD_BITMAP::LOADBITMAP(std::string_view cName)
{
    bmp::Picture picture = bmp::LoadPicture(cName, GetModuleHandleA(nullptr));
    if (!picture)
        return false;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    ReleaseDC(nullptr, screen);
    if (!memory)
        return false;
    memoryDcBitmap_ = SelectObject(memory, picture.Bitmap());
    memoryDc_ = memory;
    picture_ = std::move(picture);
    return true;
}

void FLD_BITMAP::FREEBITMAP()
{
    if (memoryDc_) {
        SelectObject(memoryDc_, memoryDcBitmap_);
        DeleteDC(memoryDc_);
    }
    memoryDc_ = nullptr;
    memoryDcBitmap_ = nullptr;
    picture_ = bmp::Picture(); // deletes the bitmap and the palette; L = H = 0
}

SIZE FLD_BITMAP::FittedSize(int width, int height, bool relief)
{
    const bool framed = relief && width > 0 && height > 0;
    const int extra = framed ? 2 * kBorder : 0;
    return {width + extra, height + extra};
}

void FLD_BITMAP::FITTOIMAGE()
{
    const SIZE size = FittedSize(L(), H(), relief_);
    // The requested size too: a window created later, or laid out again when its dialog is
    // resized, keeps the picture's size.
    if (Win* record = Record()) {
        record->req_w = record->w = size.cx;
        record->req_h = record->h = size.cy;
    }
    if (!Exists())
        return;
    RECT place;
    GetWindowRect(HANDLE(), &place);
    MapWindowPoints(nullptr, GetParent(HANDLE()), reinterpret_cast<POINT*>(&place), 2);
    MoveWindow(HANDLE(), place.left, place.top, size.cx, size.cy, TRUE);
    InvalidateRect(HANDLE(), nullptr, FALSE);
}

void FLD_BITMAP::ONCREATE()
{
    FLD::ONCREATE();
    SubclassControl(HANDLE(), kReplacedProc, &Proc);
    FITTOIMAGE();
}

void FLD_BITMAP::ONPAINT(HDC dc)
{
    if (!memoryDc_)
        return;
    HPALETTE previous = nullptr;
    if (picture_.Palette()) {
        previous = SelectPalette(dc, picture_.Palette(), TRUE);
        RealizePalette(dc);
    }
    BitBlt(dc, 0, 0, L(), H(), memoryDc_, 0, 0, SRCCOPY);
    if (previous)
        SelectPalette(dc, previous, TRUE);
}

LRESULT CALLBACK FLD_BITMAP::Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    WNDPROC replaced = ReplacedProcedure(hwnd, msg, kReplacedProc);
    if (!replaced)
        return DefWindowProcA(hwnd, msg, wparam, lparam);
    if (auto* field = dynamic_cast<FLD_BITMAP*>(WIN::FromHandle(hwnd)); field && field->HANDLE() == hwnd)
        if (std::optional<LRESULT> handled = field->OnMessage(hwnd, msg, lparam))
            return *handled;
    return CallWindowProcA(replaced, hwnd, msg, wparam, lparam);
}

std::optional<LRESULT> FLD_BITMAP::OnMessage(HWND hwnd, UINT msg, LPARAM lparam)
{
    switch (msg) {
    case WM_ERASEBKGND: return 1; // the picture covers the window
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        ONPAINT(dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_SETTEXT: return TRUE;       // a picture shows no text, and keeps its size
    case WM_NCHITTEST:
        // The picture takes the mouse (a plain label would let it through), except where a
        // control is drawn over it: that control's click.
        return DrawnOverAt(hwnd, POINT{short(LOWORD(lparam)), short(HIWORD(lparam))}) ? HTTRANSPARENT : HTCLIENT;
    case WM_LBUTTONDBLCLK:
        // Then on to the label's procedure, as any click (the field may be gone by then).
        if (WIN* dialog = PARENT(); dialog && Record())
            dialog->ONCMD(Symbol::FromId(std::uint16_t(Record()->command)));
        return std::nullopt;
    default: return std::nullopt;
    }
}

} // namespace lysora

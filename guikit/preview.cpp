// The print preview windows "GKT-PRINTPREVIEW" (type 15, top level) and
// "GKT-PRINTPREVIEWMDI" (type 11, MDI child): a row of buttons (page navigation, print,
// zoom, close), a zoom list, two scroll bars and a view in which one page is drawn on a
// dark background at the chosen zoom. The library draws the sheet; the page content is the
// owner's, drawn on the prepared device context it receives with WM_PAINT (wParam).
//
// Scroll steps are converted from pixels to page units, so that Page Down moves the page by
// exactly one view height at every zoom. The landscape flag is stored for the owner and not
// read here.
#include "guikit/internal.h"

namespace guikit {
namespace {

constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 22;
constexpr int kViewTop = 23;
constexpr int kZoomButton = 198;
constexpr int kZoomList = 199;
constexpr int kDefaultZoom = 3; // 100 %

struct ZoomLevel {
    const char* text;
    double factor; // applied to the page extent
};
const ZoomLevel kZoomLevels[] = {
    {"400 %", 0.25}, {"200 %", 0.5}, {"150 %", 0.667}, {"100 %", 1}, {"75 %", 1.333}, {"50 %", 2},
};
constexpr int kZoomCount = sizeof kZoomLevels / sizeof kZoomLevels[0];

struct ButtonSpec {
    const char* text;
    int id;
    int x;
};
const ButtonSpec kButtons[] = {
    {"<<", 101, 0}, {"<", 102, 80}, {">", 103, 160}, {">>", 104, 240},
    {"Impression", 105, 320}, {"Zoom", kZoomButton, 400}, {"Fermer", 200, 480},
};

WinPreview* PreviewOf(Win* win)
{
    return win && (win->type == GKT_PREVIEW || win->type == GKT_PREVIEWMDI) ? reinterpret_cast<WinPreview*>(win)
                                                                              : nullptr;
}

double ZoomFactor(const WinPreview* p)
{
    return kZoomLevels[p->zoom_index >= 0 && p->zoom_index < kZoomCount ? p->zoom_index : kDefaultZoom].factor;
}

// Width of the view in pixels that the page width (at 100 %) fills.
int ViewScale(const WinPreview* p)
{
    RECT client;
    GetClientRect(p->win.hwnd, &client);
    int scale = client.right - p->vscroll_width - 10;
    return scale > 1 ? scale : 1;
}

void ViewSize(const WinPreview* p, int* w, int* h)
{
    RECT client;
    GetClientRect(p->win.hwnd, &client);
    *w = client.right - p->vscroll_width;
    *h = client.bottom - p->hscroll_height - kViewTop + 1;
}

HWND Child(HWND parent, const char* cls, const char* text, DWORD style, int x, int y, int w, int h, int id, Win* win)
{
    HWND child = CreateWindowExA(0, cls, text, WS_CHILD | style, x, y, w, h, parent,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 win->app ? win->app->instance : GetModuleHandleA(nullptr), nullptr);
    HFONT font = win->app && win->app->font ? win->app->font : SharedFont();
    if (child) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

void CreateControls(WinPreview* p, HWND hwnd)
{
    for (const ButtonSpec& b : kButtons) {
        Child(hwnd, "BUTTON", b.text, WS_VISIBLE | WS_GROUP | WS_TABSTOP, b.x, 0, kButtonWidth, kButtonHeight, b.id,
              &p->win);
    }
    p->zoom_list = Child(hwnd, "LISTBOX", "", WS_BORDER | LBS_NOTIFY, 400, 23, 80, 82, kZoomList, &p->win);
    for (const ZoomLevel& level : kZoomLevels) SendMessageA(p->zoom_list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(level.text));
    SendMessageA(p->zoom_list, LB_SETCURSEL, static_cast<WPARAM>(p->zoom_index), 0);
    p->vscroll = Child(hwnd, "SCROLLBAR", "", WS_VISIBLE | SBS_VERT, 0, 0, 0, 0, 0, &p->win);
    p->hscroll = Child(hwnd, "SCROLLBAR", "", WS_VISIBLE | SBS_HORZ, 0, 0, 0, 0, 0, &p->win);
}

void Layout(WinPreview* p, int cw, int ch)
{
    const int view_w = cw - p->vscroll_width;
    const int view_h = ch - p->hscroll_height - 22;
    MoveWindow(p->vscroll, view_w, kViewTop, p->vscroll_width, view_h + 1, TRUE);
    SetScrollRange(p->vscroll, SB_CTL, 0, p->page_height, FALSE);
    SetScrollPos(p->vscroll, SB_CTL, p->v_pos, TRUE);
    MoveWindow(p->hscroll, 0, ch - p->hscroll_height, view_w + 1, p->hscroll_height, TRUE);
    SetScrollRange(p->hscroll, SB_CTL, 0, p->page_width, FALSE);
    p->h_pos = 0;
    SetScrollPos(p->hscroll, SB_CTL, 0, TRUE);
}

void Paint(WinPreview* p, HWND hwnd)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    const int saved = SaveDC(dc);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    HFONT font = CreateBoldFont();
    SelectObject(dc, pen);
    SelectObject(dc, font);
    SetBkMode(dc, TRANSPARENT);
    MoveToEx(dc, 0, 22, nullptr);
    LineTo(dc, 1000, 22);

    int view_w, view_h;
    ViewSize(p, &view_w, &view_h);
    IntersectClipRect(dc, 0, kViewTop, view_w, kViewTop + view_h);
    const int scale = ViewScale(p);
    const int extent = static_cast<int>(p->page_width * ZoomFactor(p));
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowExtEx(dc, extent > 0 ? extent : 1, extent > 0 ? extent : 1, nullptr);
    SetViewportExtEx(dc, scale, -scale, nullptr);
    SetViewportOrgEx(dc, 5, 27, nullptr);
    SetWindowOrgEx(dc, p->h_pos, -p->v_pos, nullptr);

    HBRUSH dark = CreateSolidBrush(RGB(0x40, 0x40, 0x40));
    RECT background = {-1000, 10000, 15000, -6000};
    FillRect(dc, &background, dark);
    DeleteObject(dark);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    RECT sheet = {0, 0, p->page_width, -p->page_height};
    FillRect(dc, &sheet, white);
    DeleteObject(white);
    SetTextColor(dc, RGB(0, 0, 0));
    Notify(&p->win, WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);

    RestoreDC(dc, saved);
    DeleteObject(font);
    DeleteObject(pen);
    EndPaint(hwnd, &ps);
}

// WM_HSCROLL / WM_VSCROLL: line and page steps of a tenth of the view and the whole view.
void Scroll(WinPreview* p, HWND hwnd, bool vertical, WPARAM wparam)
{
    SetFocus(hwnd);
    int view_w, view_h;
    ViewSize(p, &view_w, &view_h);
    const double units_per_pixel = p->page_width * ZoomFactor(p) / ViewScale(p);
    const int page = static_cast<int>((vertical ? view_h : view_w) * units_per_pixel);
    const int line = page / 10 > 0 ? page / 10 : 1;
    int* pos = vertical ? &p->v_pos : &p->h_pos;
    const int max = vertical ? p->page_height : p->page_width;
    int next = *pos;
    switch (LOWORD(wparam)) {
    case SB_LINEUP: next -= line; break;
    case SB_LINEDOWN: next += line; break;
    case SB_PAGEUP: next -= page; break;
    case SB_PAGEDOWN: next += page; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: next = HIWORD(wparam); break;
    case SB_TOP: next = 0; break;
    case SB_BOTTOM: next = max; break;
    case SB_ENDSCROLL: return;
    default: MessageBeep(0); return;
    }
    if (next < 0) next = 0;
    if (next > max) next = max;
    if (next == *pos) return;
    *pos = next;
    SetScrollPos(vertical ? p->vscroll : p->hscroll, SB_CTL, next, TRUE);
    InvalidateRect(hwnd, nullptr, FALSE);
}

void Command(WinPreview* p, HWND hwnd, WPARAM wparam, LPARAM lparam)
{
    const int id = LOWORD(wparam), code = HIWORD(wparam);
    if (id == kZoomList) {
        if (code != LBN_SELCHANGE) return;
        const LRESULT chosen = SendMessageA(p->zoom_list, LB_GETCURSEL, 0, 0);
        if (chosen >= 0 && chosen < kZoomCount) p->zoom_index = static_cast<int>(chosen);
        ShowWindow(p->zoom_list, SW_HIDE);
    } else if (code > 1) {
        return;
    } else if (id == kZoomButton) {
        ShowWindow(p->zoom_list, SW_SHOW);
        SetFocus(p->zoom_list);
        return;
    } else {
        Notify(&p->win, WM_COMMAND, wparam, lparam);
        // The owner may have closed the window: nothing of it may be touched then.
        if (!IsWindow(hwnd) || RecordOf(hwnd) != &p->win) return;
    }
    InvalidateRect(hwnd, nullptr, TRUE);
    SetFocus(hwnd); // keys (Escape, scrolling) reach the preview again
}

void Key(HWND hwnd, WPARAM key)
{
    switch (key) {
    case VK_ESCAPE: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case VK_PRIOR: PostMessageA(hwnd, WM_VSCROLL, SB_PAGEUP, 0); break;
    case VK_NEXT: PostMessageA(hwnd, WM_VSCROLL, SB_PAGEDOWN, 0); break;
    case VK_UP: PostMessageA(hwnd, WM_VSCROLL, SB_LINEUP, 0); break;
    case VK_DOWN: PostMessageA(hwnd, WM_VSCROLL, SB_LINEDOWN, 0); break;
    case VK_LEFT: PostMessageA(hwnd, WM_HSCROLL, SB_LINELEFT, 0); break;
    case VK_RIGHT: PostMessageA(hwnd, WM_HSCROLL, SB_LINERIGHT, 0); break;
    default: break;
    }
}

// The messages of both classes; false leaves the message to the default procedure.
bool PreviewMessage(WinPreview* p, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result)
{
    Win* win = &p->win;
    *result = 0;
    switch (msg) {
    case WM_CREATE:
        if (win->owner && win->owner->hwnd && IsWindow(win->owner->hwnd)) EnableWindow(win->owner->hwnd, FALSE);
        Notify(win, WM_CREATE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win));
        CreateControls(p, hwnd);
        return true;
    case WM_DESTROY:
        if (win->owner && win->owner->hwnd) EnableWindow(win->owner->hwnd, TRUE);
        Destroyed(win);
        return false;
    case WM_CLOSE:
        if (Notify(win, GKTM_CANCLOSE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win))) return true;
        if (win->owner && win->owner->hwnd) EnableWindow(win->owner->hwnd, TRUE);
        return false;
    case WM_SIZE:
        win->client_width = LOWORD(lparam);
        Layout(p, LOWORD(lparam), HIWORD(lparam));
        InvalidateRect(hwnd, nullptr, TRUE);
        return false;
    case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE) SetFocus(hwnd);
        return false;
    case WM_PAINT: Paint(p, hwnd); return true;
    case WM_COMMAND: Command(p, hwnd, wparam, lparam); return true;
    case WM_KEYDOWN: Key(hwnd, wparam); return true;
    case WM_HSCROLL:
    case WM_VSCROLL: Scroll(p, hwnd, msg == WM_VSCROLL, wparam); return true;
    case WM_HELP: Notify(win, msg, wparam, lparam); *result = 1; return true;
    default: return false;
    }
}

} // namespace

void PreviewDefaults(Win* win)
{
    WinPreview* p = PreviewOf(win);
    if (!p) return;
    p->page_width = 2100;
    p->page_height = 2970;
    p->zoom_index = kDefaultZoom;
    p->vscroll_width = GetSystemMetrics(SM_CXVSCROLL);
    p->hscroll_height = GetSystemMetrics(SM_CYHSCROLL);
}

bool RegisterPreviewClasses(HINSTANCE instance)
{
    return RegisterLibraryClass(instance, "GKT-PRINTPREVIEW", PrintPreview_Proc, COLOR_WINDOW) &&
           RegisterLibraryClass(instance, "GKT-PRINTPREVIEWMDI", PrintPreviewMDI_Proc, COLOR_WINDOW);
}

} // namespace guikit

using namespace guikit;

GUIKIT_API void __stdcall Print_WH(Win* win, int width, int height)
{
    WinPreview* p = PreviewOf(win);
    if (!p || width <= 0 || height <= 0) return;
    p->page_width = width;
    p->page_height = height;
    if (win->hwnd) {
        RECT client;
        GetClientRect(win->hwnd, &client);
        Layout(p, client.right, client.bottom);
        InvalidateRect(win->hwnd, nullptr, TRUE);
    }
}

GUIKIT_API int __stdcall Print_LandScape(Win* win, int flag)
{
    if (WinPreview* p = PreviewOf(win)) p->landscape = flag;
    return flag;
}

GUIKIT_API LRESULT CALLBACK PrintPreview_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = msg == WM_NCCREATE ? AttachFromCreate(hwnd, lparam) : RecordOf(hwnd);
    WinPreview* p = PreviewOf(win);
    LRESULT result;
    if (p && PreviewMessage(p, hwnd, msg, wparam, lparam, &result)) return result;
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

GUIKIT_API LRESULT CALLBACK PrintPreviewMDI_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        win = reinterpret_cast<Win*>(static_cast<MDICREATESTRUCTA*>(create->lpCreateParams)->lParam);
        Attach(hwnd, win);
        if (win) SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(win->ex_style | WS_EX_MDICHILD));
    } else {
        win = RecordOf(hwnd);
    }
    WinPreview* p = PreviewOf(win);
    LRESULT result;
    if (p && PreviewMessage(p, hwnd, msg, wparam, lparam, &result)) return result;
    return DefMDIChildProcA(hwnd, msg, wparam, lparam);
}

// The three frame window procedures: Dlg_Proc (dialogs and the main dialog window),
// MDIChild_Proc (MDI children and fixed top-level windows) and MDI_Proc (the MDI frame), with
// what they share: layout messages to the children, background and status strip painting,
// keyboard navigation between tab stops, Alt+letter activation, focus bookkeeping and repair.
// A toolbar given to a dialog or MDI child is drawn and run as the MDI frame's is, so that
// the strip it reserves is never left blank.
#include "guikit/internal.h"

#include <commctrl.h>

#include <cstring>

namespace guikit {
namespace {

// ---- children and tab stops -----------------------------------------------------------

bool IsTabStop(HWND hwnd)
{
    return (GetWindowLongA(hwnd, GWL_STYLE) & WS_TABSTOP) && IsWindowEnabled(hwnd) && IsWindowVisible(hwnd);
}

// The first child that can take the focus: a visible, enabled tab stop.
HWND FirstTabStop(HWND frame)
{
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsTabStop(child)) return child;
    }
    return nullptr;
}

// The direct child of frame that holds hwnd (hwnd itself, or an ancestor); null when none.
HWND DirectChild(HWND frame, HWND hwnd)
{
    while (hwnd && GetParent(hwnd) != frame) {
        if (!(GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD)) return nullptr;
        hwnd = GetParent(hwnd);
    }
    return hwnd;
}

// The next (or previous) tab stop after start among frame's children, wrapping to the first
// (or last) child when wrap is set; null when the search comes back to start or runs out.
// Without a start, the search begins at the first (or last) child itself.
HWND FindTabStop(HWND frame, HWND start, bool forward, bool wrap)
{
    const UINT step = forward ? GW_HWNDNEXT : GW_HWNDPREV;
    HWND first = GetWindow(frame, GW_CHILD);
    if (!first) return nullptr;
    HWND edge = forward ? first : GetWindow(first, GW_HWNDLAST);
    HWND candidate = start ? GetWindow(start, step) : edge;
    bool wrapped = start == nullptr;
    while (candidate != start || !start) {
        if (!candidate) {
            if (!wrap || wrapped) return nullptr;
            wrapped = true;
            candidate = edge;
            continue;
        }
        if (IsTabStop(candidate)) return candidate;
        candidate = GetWindow(candidate, step);
        if (!start && !candidate) return nullptr;
    }
    return nullptr;
}

void MoveFocus(HWND frame, bool forward, bool wrap)
{
    HWND target = FindTabStop(frame, DirectChild(frame, GetFocus()), forward, wrap);
    if (target) SetFocus(target);
}

// After a child reported the focus: a disabled focus window hands it to the next tab stop;
// no focus at all hands it on from the child: to the next tab stop as well, so that typing
// never goes to a hidden or disabled window, or to the window after the child when the dialog
// has no other tab stop.
void RepairFocus(HWND frame, HWND child)
{
    HWND focus = GetFocus();
    if (focus && !IsWindowEnabled(focus)) {
        Trace("focus on a disabled window");
        HWND target = FindTabStop(frame, DirectChild(frame, focus), true, true);
        if (target) SetFocus(target);
    } else if (!focus && child) {
        Trace("focus lost");
        HWND next = FindTabStop(frame, DirectChild(frame, child), true, true);
        if (!next) next = GetWindow(child, GW_HWNDNEXT);
        if (next) SetFocus(next);
    }
}

void SendToChildren(HWND frame, UINT msg, WPARAM wparam, LPARAM lparam)
{
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        SendMessageA(child, msg, wparam, lparam);
    }
}

// Alt+letter: the first visible, enabled child whose "&" letter matches reports its command.
bool ActivateByLetter(Win* win, HWND frame, WPARAM key)
{
    char wanted = static_cast<char>(key);
    if (wanted >= 'a' && wanted <= 'z') wanted = static_cast<char>(wanted - 'a' + 'A');
    char lower = wanted >= 'A' && wanted <= 'Z' ? static_cast<char>(wanted - 'A' + 'a') : wanted;
    for (HWND child = GetWindow(frame, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child) || !IsWindowEnabled(child)) continue;
        char text[100];
        GetWindowTextA(child, text, sizeof text);
        const char* amp = std::strchr(text, '&');
        if (!amp || (amp[1] != wanted && amp[1] != lower)) continue;
        if (Win* record = RecordOf(child)) Notify(win, WM_COMMAND, static_cast<WPARAM>(record->command), 0);
        return true;
    }
    return false;
}

// ---- painting -------------------------------------------------------------------------

void Line(HDC dc, HPEN pen, int x1, int y1, int x2, int y2)
{
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, old);
}

// A box one pixel deep: black top and left edges, white bottom and right ones.
void SunkenBox(HDC dc, int x, int y, int w, int h)
{
    HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    Line(dc, black, x, y + h - 1, x, y);
    Line(dc, black, x, y, x + w, y);
    Line(dc, white, x + w - 1, y + 1, x + w - 1, y + h);
    Line(dc, white, x + 1, y + h - 1, x + w, y + h - 1);
    DeleteObject(black);
    DeleteObject(white);
}

void PaintStatusStrip(Win* win, HDC dc)
{
    RECT client;
    GetClientRect(win->hwnd, &client);
    const int top = win->ctlbar_height + win->usable_height;
    const int width = win->client_width;
    RECT strip = {0, top, client.right, client.bottom};
    HBRUSH grey = CreateSolidBrush(RGB(192, 192, 192));
    FillRect(dc, &strip, grey);
    DeleteObject(grey);
    HPEN white = CreatePen(PS_SOLID, 1, RGB(255, 255, 255));
    HGDIOBJ old = SelectObject(dc, white);
    MoveToEx(dc, 0, client.bottom, nullptr);
    LineTo(dc, 0, top);
    LineTo(dc, width, top);
    SelectObject(dc, old);
    DeleteObject(white);
    const int box_h = win->statusbar_height - 4;
    SunkenBox(dc, 4, top + 2, width - 60, box_h);
    SunkenBox(dc, width - 53, top + 2, 50, box_h);
    COLORREF old_colour = SetTextColor(dc, RGB(0, 0, 0));
    TextOutA(dc, 6, top + 4, "Message", 7);
    SetTextColor(dc, old_colour);
}

// WM_PAINT of every frame: the paint DC gets a window-frame pen, a window brush, the shared
// bold MS Sans Serif 8 font, a transparent background and the window-text colour.
void PaintFrame(Win* win, HWND hwnd, bool with_text)
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_WINDOWFRAME));
    HBRUSH brush = CreateSolidBrush(GetSysColor(COLOR_WINDOW));
    HGDIOBJ old_pen = SelectObject(dc, pen);
    HGDIOBJ old_brush = SelectObject(dc, brush);
    HGDIOBJ old_font = SelectObject(dc, SharedFont());
    int old_mode = SetBkMode(dc, TRANSPARENT);
    COLORREF old_colour = SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));

    if (win->ctlbar) PaintCtlBar(win, dc);
    if (win->statusbar_height > 0) PaintStatusStrip(win, dc);
    if (with_text && win->command_text) {
        RECT client;
        GetClientRect(hwnd, &client);
        _Out(dc, 0, 0, client.right, client.bottom, win->command_text);
    }

    SetTextColor(dc, old_colour);
    SetBkMode(dc, old_mode);
    SelectObject(dc, old_font);
    SelectObject(dc, old_brush);
    SelectObject(dc, old_pen);
    DeleteObject(brush);
    DeleteObject(pen);
    EndPaint(hwnd, &ps);
}

LRESULT EraseBackground(Win* win, HWND hwnd, HDC dc)
{
    RECT client;
    GetClientRect(hwnd, &client);
    FillRect(dc, &client, win->bk_brush ? win->bk_brush : GetSysColorBrush(COLOR_BTNFACE));
    return 1;
}

// ---- messages shared by the frames ----------------------------------------------------

void Created(Win* win, HWND hwnd)
{
    if (win->owner && win->owner->hwnd && IsWindow(win->owner->hwnd)) EnableWindow(win->owner->hwnd, FALSE);
    Notify(win, WM_CREATE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win));
}

void Moved(Win* win, HWND hwnd, WPARAM wparam, LPARAM lparam)
{
    win->x = static_cast<short>(LOWORD(lparam));
    win->y = static_cast<short>(HIWORD(lparam));
    SendToChildren(hwnd, GKTM_PARENTMOVE, wparam, lparam);
}

void Sized(Win* win, LPARAM lparam)
{
    win->client_width = LOWORD(lparam);
    win->usable_height = HIWORD(lparam) - win->ctlbar_height - win->statusbar_height;
}

// WM_KEYDOWN of dialogs and MDI children.
void NavigationKey(Win* win, HWND hwnd, WPARAM key)
{
    switch (key) {
    case VK_ESCAPE: PostMessageA(hwnd, WM_CLOSE, 0, 0); break;
    case VK_TAB: MoveFocus(hwnd, GetKeyState(VK_SHIFT) >= 0, true); break;
    case VK_DOWN: MoveFocus(hwnd, true, false); break;
    case VK_UP: MoveFocus(hwnd, false, false); break;
    case VK_PRIOR: Notify(win, WM_CHAR, GKT_CHAR_PAGEUP, 0); break;
    case VK_NEXT: Notify(win, WM_CHAR, GKT_CHAR_PAGEDOWN, 0); break;
    default: break;
    }
}

bool TabNotification(Win* win, const NMHDR* header, LRESULT* result)
{
    if (header->code != static_cast<UINT>(TCN_SELCHANGING) && header->code != static_cast<UINT>(TCN_SELCHANGE)) {
        return false;
    }
    WORD high = header->code == static_cast<UINT>(TCN_SELCHANGING) ? GKT_TAB_SELCHANGING : GKT_TAB_SELCHANGE;
    *result = Notify(win, WM_COMMAND, MAKEWPARAM(header->idFrom, high), reinterpret_cast<LPARAM>(header->hwndFrom));
    return true;
}

// WM_NOTIFY of dialogs: tooltip texts, tab selection, spin clicks.
LRESULT DialogNotify(Win* win, LPARAM lparam)
{
    auto* header = reinterpret_cast<NMHDR*>(lparam);
    LRESULT result = 0;
    if (TabNotification(win, header, &result)) return result;
    if (header->code == static_cast<UINT>(TTN_NEEDTEXTA)) {
        std::strcpy(reinterpret_cast<NMTTDISPINFOA*>(lparam)->szText, "Test");
    } else if (header->code == static_cast<UINT>(TTN_NEEDTEXTW)) {
        std::memcpy(reinterpret_cast<NMTTDISPINFOW*>(lparam)->szText, L"Test", sizeof L"Test");
    } else if (header->code == static_cast<UINT>(UDN_DELTAPOS)) {
        auto* updown = reinterpret_cast<NMUPDOWN*>(lparam);
        auto buddy = reinterpret_cast<HWND>(SendMessageA(header->hwndFrom, UDM_GETBUDDY, 0, 0));
        if (buddy) SetFocus(buddy);
        if (buddy && GetFocus() == buddy) {
            Notify(win, GKTM_SPIN, reinterpret_cast<WPARAM>(buddy), static_cast<LPARAM>(updown->iDelta));
        }
    }
    return 0;
}

// Messages handled alike by dialogs and MDI children; false when the frame decides.
bool CommonFrameMessage(Win* win, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result)
{
    *result = 0;
    switch (msg) {
    case WM_ERASEBKGND: *result = EraseBackground(win, hwnd, reinterpret_cast<HDC>(wparam)); return true;
    case WM_PAINT: PaintFrame(win, hwnd, true); return true;
    case WM_DRAWITEM: {
        // The control draws itself; a menu item's "window" is a menu handle and is left alone.
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
        if (item->CtlType != ODT_MENU) *result = SendMessageA(item->hwndItem, WM_DRAWITEM, wparam, lparam);
        return true;
    }
    case WM_HELP: Notify(win, msg, wparam, lparam); *result = 1; return true;
    case WM_CHAR: Notify(win, msg, wparam, lparam); return true;
    case WM_RBUTTONDOWN: Notify(win, WM_CHAR, GKT_CHAR_RBUTTON, 0); return true;
    case WM_SYSCHAR: return ActivateByLetter(win, hwnd, wparam);
    case WM_COMMAND:
        if (HIWORD(wparam) <= 1) Notify(win, msg, wparam, lparam);
        return false;
    case WM_TIMER: Notify(win, msg, wparam, lparam); return true;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        *result = SendMessageA(reinterpret_cast<HWND>(lparam), GKTM_CTLCOLOR, wparam, lparam);
        return *result != 0;
    case GKTM_CHILDFOCUS:
        win->focused_child = reinterpret_cast<HWND>(wparam);
        Notify(win, msg, wparam, lparam);
        RepairFocus(hwnd, reinterpret_cast<HWND>(wparam));
        return true;
    case GKTM_CHILDBLUR: Notify(win, msg, wparam, lparam); return true;
    case WM_LBUTTONDOWN:
        if (!win->ctlbar || win->ctlbar_height <= 0) return false;
        CtlBarPress(win, static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
        SetCapture(hwnd);
        return true;
    case WM_LBUTTONUP:
        if (!win->ctlbar) return false;
        if (GetCapture() == hwnd) ReleaseCapture();
        CtlBarRelease(win);
        return true;
    default: return false;
    }
}

// Creation, destruction, move and resize of dialogs and MDI children; true when handled (the
// frame then goes on with its default processing, except after WM_DESTROY for dialogs).
bool WindowLifeMessage(Win* win, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    switch (msg) {
    case WM_CREATE: Created(win, hwnd); return true;
    case WM_DESTROY:
        // However the window goes (closed, destroyed with its parent, an MDI child or fixed
        // window that has no close handling), the owner it disabled is usable again.
        if (win->owner && win->owner->hwnd) EnableWindow(win->owner->hwnd, TRUE);
        Destroyed(win);
        return true;
    case WM_MOVE: Moved(win, hwnd, wparam, lparam); return true;
    case WM_SIZE:
        Sized(win, lparam);
        SendToChildren(hwnd, GKTM_PARENTSIZE, wparam, lparam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return true;
    default: return false;
    }
}

} // namespace

bool RegisterFrameClasses(HINSTANCE instance)
{
    return RegisterLibraryClass(instance, "GKT-DLG", Dlg_Proc, COLOR_WINDOW) &&
           RegisterLibraryClass(instance, "GKT-MDICHILD", MDIChild_Proc, COLOR_WINDOW) &&
           RegisterLibraryClass(instance, "GKT-MDI", MDI_Proc, COLOR_WINDOW);
}

} // namespace guikit

using namespace guikit;

GUIKIT_API LRESULT CALLBACK Dlg_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = msg == WM_NCCREATE ? AttachFromCreate(hwnd, lparam) : RecordOf(hwnd);
    if (!win) return DefWindowProcA(hwnd, msg, wparam, lparam);

    LRESULT result;
    if (CommonFrameMessage(win, hwnd, msg, wparam, lparam, &result)) return result;
    if (WindowLifeMessage(win, hwnd, msg, wparam, lparam)) {
        return msg == WM_DESTROY ? 0 : DefWindowProcA(hwnd, msg, wparam, lparam);
    }
    switch (msg) {
    case WM_ACTIVATE:
        if (LOWORD(wparam) == WA_INACTIVE) {
            if (win->close_on_deactivate) PostMessageA(hwnd, WM_CLOSE, 0, 0);
            break;
        } else {
            HWND target = win->focused_child && IsWindow(win->focused_child) ? win->focused_child
                                                                              : FirstTabStop(hwnd);
            // A dialog without tab stops keeps the focus itself, so its keys still arrive.
            SetFocus(target ? target : hwnd);
            return 0;
        }
    case WM_CLOSE: {
        if (Notify(win, GKTM_CANCLOSE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win))) return 0;
        if (win->owner && win->owner->hwnd) EnableWindow(win->owner->hwnd, TRUE);
        if (HWND parent = GetParent(hwnd)) SetActiveWindow(parent);
        if (win->type == GKT_MAINDIALOG) PostQuitMessage(0);
        break;
    }
    case WM_NOTIFY: return DialogNotify(win, lparam);
    case WM_KEYDOWN: NavigationKey(win, hwnd, wparam); return 0;
    default: break;
    }
    return DefWindowProcA(hwnd, msg, wparam, lparam);
}

GUIKIT_API LRESULT CALLBACK MDIChild_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    // Windows made by WM_MDICREATE carry the record in the MDI creation structure; a fixed
    // top-level window (type 5) has it as its plain creation parameter.
    const bool mdi = (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD) != 0;
    auto default_proc = [&] {
        return mdi ? DefMDIChildProcA(hwnd, msg, wparam, lparam) : DefWindowProcA(hwnd, msg, wparam, lparam);
    };
    Win* win;
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
        if (mdi) {
            win = reinterpret_cast<Win*>(static_cast<MDICREATESTRUCTA*>(create->lpCreateParams)->lParam);
            Attach(hwnd, win);
            if (win) SetWindowLongA(hwnd, GWL_EXSTYLE, static_cast<LONG>(win->ex_style | WS_EX_MDICHILD));
        } else {
            win = AttachFromCreate(hwnd, lparam);
        }
    } else {
        win = RecordOf(hwnd);
    }
    if (!win) return default_proc();

    LRESULT result;
    if (CommonFrameMessage(win, hwnd, msg, wparam, lparam, &result)) return result;
    if (WindowLifeMessage(win, hwnd, msg, wparam, lparam)) return default_proc();
    switch (msg) {
    case WM_NCACTIVATE:
        if (wparam) {
            HWND target = win->focused_child ? win->focused_child : FirstTabStop(hwnd);
            PostMessageA(hwnd, GKTM_REFOCUS, reinterpret_cast<WPARAM>(target), 0);
        }
        break;
    case GKTM_REFOCUS:
        if (GetFocus() == hwnd && wparam && IsWindow(reinterpret_cast<HWND>(wparam))) {
            SetFocus(reinterpret_cast<HWND>(wparam));
        }
        return 0;
    case WM_NOTIFY: {
        TabNotification(win, reinterpret_cast<NMHDR*>(lparam), &result);
        return result;
    }
    case WM_KEYDOWN:
        if (wparam == VK_F4 && GetKeyState(VK_CONTROL) < 0) {
            PostMessageA(hwnd, WM_CLOSE, 0, 0);
        } else {
            NavigationKey(win, hwnd, wparam);
        }
        return 0;
    default: break;
    }
    return default_proc();
}

GUIKIT_API LRESULT CALLBACK MDI_Proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = msg == WM_NCCREATE ? AttachFromCreate(hwnd, lparam) : RecordOf(hwnd);
    HWND client = win ? win->mdi_client : nullptr;
    if (!win) return DefFrameProcA(hwnd, nullptr, msg, wparam, lparam);

    switch (msg) {
    case WM_CREATE: {
        CLIENTCREATESTRUCT ccs = {nullptr, 10000};
        client = CreateWindowExA(0, "MDICLIENT", nullptr,
                                 WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_VSCROLL | WS_HSCROLL | MDIS_ALLCHILDSTYLES,
                                 0, 0, 0, 0, hwnd, reinterpret_cast<HMENU>(1),
                                 win->app ? win->app->instance : nullptr, &ccs);
        SetWindowLongPtrA(hwnd, GKT_EXTRA_MDICLIENT, reinterpret_cast<LONG_PTR>(client));
        win->mdi_client = client;
        return 0;
    }
    case WM_DESTROY:
        Destroyed(win);
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        Sized(win, lparam);
        if (client) MoveWindow(client, 0, win->ctlbar_height, win->client_width, win->usable_height, TRUE);
        return 0;
    case WM_PAINT: PaintFrame(win, hwnd, false); return 0;
    case WM_CLOSE:
        if (Notify(win, GKTM_CANCLOSE, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win))) return 0;
        break;
    case WM_COMMAND: Notify(win, msg, wparam, lparam); break;
    case WM_TIMER: Notify(win, msg, wparam, lparam); return 0;
    case WM_HELP: Notify(win, msg, wparam, lparam); return 1;
    case WM_LBUTTONDOWN:
        if (win->ctlbar && win->ctlbar_height > 0) {
            CtlBarPress(win, static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
        }
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == hwnd) ReleaseCapture();
        if (win->ctlbar) CtlBarRelease(win);
        return 0;
    default: break;
    }
    return DefFrameProcA(hwnd, client, msg, wparam, lparam);
}

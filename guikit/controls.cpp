// The wrapped system controls: "GKT-BUTTON", "GKT-STATIC", "GKT-EDIT" and "GKT-COMBO" are
// registered from the system classes with the library's procedures, which attach the record,
// report focus changes to the parent, hand navigation keys to the parent dialog, follow the
// parent's size, answer colours from the record or the disabled colour, and pass everything
// else to the system procedure. Owner-drawn buttons paint their command text.
#include "guikit/internal.h"

namespace guikit {
namespace {

WNDPROC button_proc, static_proc, edit_proc, combo_proc;

LRESULT System(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    return proc ? CallWindowProcA(proc, hwnd, msg, wparam, lparam) : DefWindowProcA(hwnd, msg, wparam, lparam);
}

LRESULT ToParent(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    HWND parent = GetParent(hwnd);
    return parent ? SendMessageA(parent, msg, wparam, lparam) : 0;
}

// Registers the library class name from the system class system_name; remembers the
// system procedure in *system. The system procedure keeps its own extra bytes; the library's
// slots come after them.
bool RegisterWrapped(HINSTANCE instance, const char* system_name, const char* name, WNDPROC proc, WNDPROC* system)
{
    WNDCLASSA wc = {};
    if (!GetClassInfoA(nullptr, system_name, &wc)) {
        ShowBox(nullptr, "Erreur GetClassInfo()", "", MB_OK);
        return false;
    }
    *system = wc.lpfnWndProc;
    const int system_bytes = wc.cbWndExtra;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.lpszClassName = name;
    wc.cbWndExtra = system_bytes + GKT_EXTRA_BYTES;
    wc.style &= ~CS_GLOBALCLASS;
    return RegisterOnce(wc, system_bytes);
}

// Colour answer of edits and drop-down lists (GKTM_CTLCOLOR, wparam = the DC).
LRESULT ColourAnswer(Win* win, HWND hwnd, WPARAM wparam)
{
    HDC dc = reinterpret_cast<HDC>(wparam);
    const bool enabled = IsWindowEnabled(hwnd);
    if (win->bk_brush && enabled) {
        SetTextColor(dc, win->text_color);
        SetBkColor(dc, win->bk_color);
        return reinterpret_cast<LRESULT>(win->bk_brush);
    }
    if (!enabled && DisabledBrush()) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
        SetBkColor(dc, DisabledColour());
        return reinterpret_cast<LRESULT>(DisabledBrush());
    }
    return 0;
}

// A label's colours: its own when set, else its parent record's, else the system's.
LRESULT LabelColourAnswer(Win* win, WPARAM wparam)
{
    const Win* source = win->bk_brush ? win : (win->parent && win->parent->bk_brush ? win->parent : nullptr);
    if (!source) return 0;
    HDC dc = reinterpret_cast<HDC>(wparam);
    SetTextColor(dc, source->text_color);
    SetBkColor(dc, source->bk_color);
    return reinterpret_cast<LRESULT>(source->bk_brush);
}

bool IsNavigationKey(WPARAM key)
{
    return key == VK_TAB || key == VK_ESCAPE || key == VK_PRIOR || key == VK_NEXT || key == VK_UP || key == VK_DOWN;
}

// Messages every wrapper handles alike; false when the wrapper decides.
bool CommonControlMessage(Win* win, HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result)
{
    switch (msg) {
    case WM_SYSCHAR: *result = ToParent(hwnd, msg, wparam, lparam); return true;
    case GKTM_PARENTSIZE: FollowParentSize(win, lparam); *result = 0; return true;
    default: return false;
    }
}

// ---- owner-drawn button face ----------------------------------------------------------

void DrawButtonFace(Win* win, const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    const bool pressed = (item->itemState & ODS_SELECTED) != 0;
    if (pressed) {
        DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
    } else {
        HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
        HPEN black = CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
        HPEN shadow = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
        HGDIOBJ old = SelectObject(dc, light);
        MoveToEx(dc, r.left, r.bottom - 1, nullptr);
        LineTo(dc, r.left, r.top);
        LineTo(dc, r.right - 1, r.top);
        SelectObject(dc, black);
        LineTo(dc, r.right - 1, r.bottom - 1);
        LineTo(dc, r.left - 1, r.bottom - 1);
        SelectObject(dc, shadow);
        MoveToEx(dc, r.right - 2, r.top + 1, nullptr);
        LineTo(dc, r.right - 2, r.bottom - 2);
        LineTo(dc, r.left, r.bottom - 2);
        SelectObject(dc, old);
        DeleteObject(light);
        DeleteObject(black);
        DeleteObject(shadow);
    }
    if (win->command_text) {
        int origin = pressed ? 3 : 2;
        _Out(dc, r.left + origin, r.top + origin, 0, 0, win->command_text);
    }
    if (item->itemState & ODS_FOCUS) {
        RECT focus = {r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
        DrawFocusRect(dc, &focus);
    }
}

// The button wrapper; not an export.
LRESULT CALLBACK Button_WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = ControlRecord(hwnd, msg, lparam);
    if (!win) return System(button_proc, hwnd, msg, wparam, lparam);
    LRESULT result;
    if (CommonControlMessage(win, hwnd, msg, wparam, lparam, &result)) return result;
    switch (msg) {
    case WM_SETFOCUS:
        if (GetFocus() != hwnd) return 0;
        ReportFocus(hwnd, win, true);
        if (GetFocus() != hwnd) {
            PostMessageA(hwnd, WM_KILLFOCUS, 0, 0);
            return 0;
        }
        break;
    case WM_KILLFOCUS: ReportFocus(hwnd, win, false); break;
    case WM_KEYDOWN:
        if (IsNavigationKey(wparam)) return ToParent(hwnd, msg, wparam, lparam);
        if (wparam == VK_RETURN) wparam = VK_SPACE; // Enter presses the focused button
        break;
    case WM_KEYUP:
        if (wparam == VK_RETURN) wparam = VK_SPACE;
        break;
    case WM_LBUTTONUP:
        if (GetFocus() != hwnd) return 0;
        break;
    case WM_LBUTTONDBLCLK: msg = WM_LBUTTONDOWN; break; // a double click is two clicks
    case WM_DRAWITEM: DrawButtonFace(win, reinterpret_cast<const DRAWITEMSTRUCT*>(lparam)); return 1;
    default: break;
    }
    return System(button_proc, hwnd, msg, wparam, lparam);
}

} // namespace

bool RegisterControlClasses(HINSTANCE instance)
{
    return RegisterWrapped(instance, "BUTTON", "GKT-BUTTON", Button_WndProc, &button_proc) &&
           RegisterWrapped(instance, "STATIC", "GKT-STATIC", _Static_WndProc, &static_proc) &&
           RegisterWrapped(instance, "EDIT", "GKT-EDIT", _Edit_WndProc, &edit_proc) &&
           RegisterWrapped(instance, "COMBOBOX", "GKT-COMBO", _Combo_WndProc, &combo_proc) &&
           RegisterLibraryClass(instance, "GKT-CHECKBOX", CheckBox_Proc, COLOR_WINDOW) &&
           RegisterLibraryClass(instance, "GKT-COLORBOX", ColorBox_Proc, COLOR_WINDOW);
}

} // namespace guikit

using namespace guikit;

GUIKIT_API LRESULT CALLBACK _Static_WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = ControlRecord(hwnd, msg, lparam);
    if (!win) return System(static_proc, hwnd, msg, wparam, lparam);
    switch (msg) {
    case WM_SYSCHAR: return ToParent(hwnd, msg, wparam, lparam);
    case WM_SETTEXT: {
        // The label takes the width of its new text (+1) and a height of 22.
        const char* text = reinterpret_cast<const char*>(lparam);
        if (!text) text = "";
        HDC dc = GetDC(hwnd);
        HGDIOBJ old = win->app && win->app->font ? SelectObject(dc, win->app->font) : nullptr;
        SIZE size = {};
        GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
        if (old) SelectObject(dc, old);
        ReleaseDC(hwnd, dc);
        SetWindowPos(hwnd, nullptr, 0, 0, size.cx + 1, 22, SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOZORDER);
        break;
    }
    case GKTM_CTLCOLOR: return LabelColourAnswer(win, wparam);
    default: break;
    }
    return System(static_proc, hwnd, msg, wparam, lparam);
}

GUIKIT_API LRESULT CALLBACK _Edit_WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = ControlRecord(hwnd, msg, lparam);
    if (!win) return System(edit_proc, hwnd, msg, wparam, lparam);
    LRESULT result;
    if (CommonControlMessage(win, hwnd, msg, wparam, lparam, &result)) return result;
    const bool multiline = (GetWindowLongA(hwnd, GWL_STYLE) & ES_MULTILINE) != 0;
    switch (msg) {
    case WM_SETFOCUS:
        ReportFocus(hwnd, win, true);
        if (GetFocus() != hwnd) return 0;
        SendMessageA(hwnd, EM_SETSEL, 0, -1);
        break;
    case WM_KILLFOCUS:
        SendMessageA(hwnd, EM_SETSEL, static_cast<WPARAM>(-1), 0);
        ReportFocus(hwnd, win, false);
        break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (IsNavigationKey(wparam) && !(multiline && (wparam == VK_UP || wparam == VK_DOWN))) {
            return ToParent(hwnd, msg, wparam, lparam);
        }
        break;
    case WM_CHAR:
        if (wparam == VK_TAB || wparam == VK_ESCAPE) return 0;
        if (wparam == VK_RETURN && !multiline) {
            ToParent(hwnd, msg, wparam, lparam); // the dialog's Enter key
            return 0;
        }
        // The keypad's decimal key (scan code 0x53) types the program's decimal character.
        if (wparam == '.' && ((lparam >> 16) & 0xFF) == 0x53 && win->app && win->app->decimal_char) {
            wparam = static_cast<WPARAM>(static_cast<unsigned char>(win->app->decimal_char));
        }
        break;
    case GKTM_CTLCOLOR: return ColourAnswer(win, hwnd, wparam);
    default: break;
    }
    return System(edit_proc, hwnd, msg, wparam, lparam);
}

GUIKIT_API LRESULT CALLBACK _Combo_WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    Win* win = ControlRecord(hwnd, msg, lparam);
    if (!win) return System(combo_proc, hwnd, msg, wparam, lparam);
    LRESULT result;
    if (CommonControlMessage(win, hwnd, msg, wparam, lparam, &result)) return result;
    switch (msg) {
    case WM_SETFOCUS:
        ReportFocus(hwnd, win, true);
        if (GetFocus() != hwnd) return 0;
        break;
    case WM_KILLFOCUS: ReportFocus(hwnd, win, false); break;
    case WM_KEYDOWN:
    case WM_KEYUP:
        if (wparam == VK_DELETE) {
            if (msg == WM_KEYDOWN) {
                // Cleared like a selection change, so the dialog reacts alike.
                SendMessageA(hwnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
                ToParent(hwnd, WM_COMMAND, 0x10000, reinterpret_cast<LPARAM>(hwnd));
            }
            return 0;
        }
        if (wparam == VK_TAB || wparam == VK_RETURN || wparam == VK_ESCAPE) return ToParent(hwnd, msg, wparam, lparam);
        if ((wparam == VK_PRIOR || wparam == VK_NEXT || wparam == VK_UP || wparam == VK_DOWN) &&
            !SendMessageA(hwnd, CB_GETDROPPEDSTATE, 0, 0)) {
            return ToParent(hwnd, msg, wparam, lparam);
        }
        break;
    case WM_CHAR:
        if (wparam < 32) {
            ToParent(hwnd, msg, wparam, lparam);
            return 0;
        }
        break;
    case GKTM_PARENTMOVE: SendMessageA(hwnd, CB_SHOWDROPDOWN, FALSE, 0); return 0;
    case GKTM_CTLCOLOR: return ColourAnswer(win, hwnd, wparam);
    default: break;
    }
    return System(combo_proc, hwnd, msg, wparam, lparam);
}

// Application object, window registry and message loop: library load and unload, the
// library-wide font and disabled colour, window classes, Win records and the record
// attached to each window, the callback protocol, destruction with auto delete, Loop_Main,
// and the one message-box path.
//
// There is no table of windows: the record pointer lives in the window's extra data. A
// window is taken as the library's only when its class is one the library registered, so a
// foreign window never has its extra bytes read as a record. The wrapped system controls keep
// the system class's own extra bytes first; the library's slots follow them.
//
// Loading the library creates nothing: the shared font, the common controls and the classes
// come with the first App_New, outside the loader's lock.
#include "guikit/internal.h"

#include <commctrl.h>

#include <cstdlib>

namespace guikit {
namespace {

HFONT shared_font;
HBRUSH disabled_brush;
COLORREF disabled_colour;
GktMessageBoxFn message_box;
int app_count; // application objects alive; the shared objects go with the last one

// The classes registered by the library, each with the offset of the library's slots in its
// windows' extra data; a window of any other class has no record.
struct LibraryClass {
    ATOM atom;
    int base;
};
constexpr int kMaxClasses = 16;
LibraryClass classes[kMaxClasses];
int class_count;

void RememberClass(ATOM atom, int base)
{
    if (atom == 0) return;
    for (int i = 0; i < class_count; ++i) {
        if (classes[i].atom == atom) {
            classes[i].base = base;
            return;
        }
    }
    if (class_count < kMaxClasses) classes[class_count++] = {atom, base};
}

// The offset of the library's slots in the window's extra data; -1 for a foreign window.
int SlotBase(HWND hwnd)
{
    ATOM atom = static_cast<ATOM>(GetClassWord(hwnd, GCW_ATOM));
    for (int i = 0; i < class_count; ++i) {
        if (classes[i].atom == atom) return classes[i].base;
    }
    return -1;
}

std::size_t RecordSize(int type)
{
    switch (type) {
    case GKT_BROWSE: return sizeof(WinBrw);
    case GKT_PREVIEWMDI:
    case GKT_PREVIEW: return sizeof(WinPreview);
    default: return sizeof(Win);
    }
}

} // namespace

int ShowBox(HWND owner, const char* text, const char* caption, UINT style)
{
    if (message_box) return message_box(owner, text, caption, style);
    return MessageBoxA(owner, text, caption, style);
}

HFONT CreateBoldFont()
{
    return CreateFontA(-8, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif");
}

HFONT SharedFont() { return shared_font; }
HBRUSH DisabledBrush() { return disabled_brush; }
COLORREF DisabledColour() { return disabled_colour; }

Win* RecordOf(HWND hwnd)
{
    int base = hwnd ? SlotBase(hwnd) : -1;
    if (base < 0) return nullptr;
    return reinterpret_cast<Win*>(GetWindowLongPtrA(hwnd, base + GKT_EXTRA_RECORD));
}

void Attach(HWND hwnd, Win* win)
{
    int base = SlotBase(hwnd);
    if (base < 0) return;
    SetWindowLongPtrA(hwnd, base + GKT_EXTRA_RECORD, reinterpret_cast<LONG_PTR>(win));
    if (win) win->hwnd = hwnd;
}

void Detach(HWND hwnd) { Attach(hwnd, nullptr); }

Win* AttachFromCreate(HWND hwnd, LPARAM lparam)
{
    auto* create = reinterpret_cast<CREATESTRUCTA*>(lparam);
    Win* win = static_cast<Win*>(create->lpCreateParams);
    Attach(hwnd, win);
    return win;
}

Win* ControlRecord(HWND hwnd, UINT msg, LPARAM lparam)
{
    if (msg == WM_NCCREATE) return AttachFromCreate(hwnd, lparam);
    Win* win = RecordOf(hwnd);
    if (win && msg == WM_DESTROY) {
        Destroyed(win);
        return nullptr;
    }
    return win;
}

LRESULT Notify(Win* win, UINT msg, WPARAM wparam, LPARAM lparam)
{
    if (!win || !win->callback) return 0;
    return CallWindowProcA(win->callback, win->hwnd, msg, wparam, lparam);
}

void Destroyed(Win* win)
{
    HWND hwnd = win->hwnd;
    Notify(win, WM_DESTROY, reinterpret_cast<WPARAM>(hwnd), reinterpret_cast<LPARAM>(win));
    win->hwnd = nullptr;
    win->mdi_client = nullptr;
    win->focused_child = nullptr;
    // Later messages of this window (WM_NCDESTROY...) find no record.
    Detach(hwnd);
    if (win->auto_delete) Win_Del(win);
}

void ReportFocus(HWND control, Win* win, bool gained)
{
    HWND parent = GetParent(control);
    if (!parent) return;
    SendMessageA(parent, gained ? GKTM_CHILDFOCUS : GKTM_CHILDBLUR, reinterpret_cast<WPARAM>(control),
                 reinterpret_cast<LPARAM>(win));
}

bool RegisterLibraryClass(HINSTANCE instance, const char* name, WNDPROC proc, int background)
{
    WNDCLASSA wc = {};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = proc;
    wc.cbWndExtra = GKT_EXTRA_BYTES;
    wc.hInstance = instance;
    wc.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    wc.lpszClassName = name;
    return RegisterOnce(wc, 0);
}

bool RegisterOnce(const WNDCLASSA& wc, int slot_base)
{
    // A second application object of the same program finds its classes already there.
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) return false;
    WNDCLASSA registered;
    ATOM atom = static_cast<ATOM>(GetClassInfoA(wc.hInstance, wc.lpszClassName, &registered));
    RememberClass(atom, slot_base);
    return atom != 0;
}

} // namespace guikit

using namespace guikit;

GUIKIT_API int __stdcall Test(void) { return 999; }

GUIKIT_API GktMessageBoxFn __stdcall Gkt_SetMessageBox(GktMessageBoxFn show)
{
    GktMessageBoxFn previous = message_box;
    message_box = show;
    return previous;
}

GUIKIT_API App* __stdcall App_New(HINSTANCE instance)
{
    auto* app = static_cast<App*>(std::calloc(1, sizeof(App)));
    if (!app) return nullptr;
    if (app_count++ == 0) {
        InitCommonControls();
        shared_font = CreateBoldFont();
    }
    app->instance = instance;
    app->font = CreateBoldFont();
    if (!RegisterFrameClasses(instance) || !RegisterControlClasses(instance) ||
        !RegisterPreviewClasses(instance) || !RegisterBrowseClass(instance)) {
        ShowBox(nullptr, "Erreur RegisterClass()", "", MB_OK);
        App_Delete(app);
        return nullptr;
    }
    return app;
}

GUIKIT_API void __stdcall App_Delete(App* app)
{
    if (!app) return;
    if (app->font) DeleteObject(app->font);
    std::free(app);
    if (--app_count > 0) return;
    if (shared_font) DeleteObject(shared_font);
    if (disabled_brush) DeleteObject(disabled_brush);
    shared_font = nullptr;
    disabled_brush = nullptr;
}

GUIKIT_API Win* __stdcall Win_New(App* app, int type)
{
    auto* win = static_cast<Win*>(std::calloc(1, RecordSize(type)));
    if (!win) return nullptr;
    win->app = app;
    Win_ParamSetDefault(win, nullptr, type);
    PreviewDefaults(win);
    BrowseDefaults(win);
    return win;
}

GUIKIT_API int __stdcall Win_Del(Win* win)
{
    if (!win) return 0;
    // A record freed while its window still exists is detached first, so that the window's
    // later messages find no record instead of freed memory.
    if (win->hwnd && RecordOf(win->hwnd) == win) Detach(win->hwnd);
    std::free(win->command_text);
    if (win->bk_brush) DeleteObject(win->bk_brush);
    FreeCtlBar(win);
    FreeBrowseColumns(win);
    std::free(win);
    return 0;
}

GUIKIT_API INT_PTR __stdcall Win_Ptr(HWND hwnd) { return reinterpret_cast<INT_PTR>(RecordOf(hwnd)); }

GUIKIT_API int __stdcall Win_Handle2Link(HWND hwnd)
{
    Win* win = RecordOf(hwnd);
    return win ? win->link : -1;
}

GUIKIT_API HFONT __stdcall GetFont(void) { return shared_font; }

// The system hands the mouse wheel to the window that has the focus; users expect it to turn
// the control under the pointer (a list, a grid, a browse), as its scroll bar would. A
// window of this thread under the pointer takes it; one that does not scroll passes it on to
// its parent, as the system does.
static void AimWheelAtPointer(MSG* msg)
{
    if (msg->message != WM_MOUSEWHEEL) return;
    const POINT at = {static_cast<short>(LOWORD(msg->lParam)), static_cast<short>(HIWORD(msg->lParam))};
    HWND under = WindowFromPoint(at);
    if (under && GetWindowThreadProcessId(under, nullptr) == GetCurrentThreadId()) msg->hwnd = under;
}

GUIKIT_API int __stdcall Loop_Main(int flag)
{
    (void)flag; // accepted for the callers that pass it; the loop does not depend on it
    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        AimWheelAtPointer(&msg);
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

GUIKIT_API HBRUSH __stdcall SetColorOnDisable(COLORREF colour)
{
    if (disabled_brush) DeleteObject(disabled_brush);
    disabled_brush = CreateSolidBrush(colour);
    disabled_colour = colour;
    return disabled_brush;
}

GUIKIT_API void __stdcall SetWhiteOnDisable(int on)
{
    if (on) SetColorOnDisable(RGB(255, 255, 255));
}

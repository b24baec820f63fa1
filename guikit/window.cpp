// Window creation, layout units and the record commands: per-type defaults, geometry
// resolution against the parent, creation (ordinary and MDI child), Win_Show, move, enable,
// activation, texts, background command text and colours.
#include "guikit/geometry.h"
#include "guikit/internal.h"

#include <cstdlib>
#include <cstring>

namespace guikit {
namespace {

struct TypeDefaults {
    const char* class_name;
    DWORD style;
    DWORD ex_style;
    int w, h; // CW_USEDEFAULT: the system's default
    bool shared_font;
};

constexpr int kDefault = CW_USEDEFAULT;
constexpr DWORD kFrameStyle = WS_CLIPCHILDREN | WS_OVERLAPPEDWINDOW;
constexpr DWORD kEditStyle = WS_CHILD | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL | ES_AUTOVSCROLL;

// Indexed by window type; entry 0 stands for every unknown type (class and style empty).
const TypeDefaults kTypes[] = {
    {nullptr, 0, 0, kDefault, kDefault, false},
    {"GKT-MDI", kFrameStyle, 0, kDefault, kDefault, false},
    {"GKT-DLG", kFrameStyle, 0, kDefault, kDefault, false},
    {"GKT-DLG", WS_POPUP | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, kDefault, kDefault, false},
    {"GKT-MDICHILD", WS_OVERLAPPEDWINDOW, 0, kDefault, kDefault, false},
    {"GKT-MDICHILD", WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU, WS_EX_DLGMODALFRAME, kDefault, kDefault, false},
    {"GKT-BUTTON", WS_CHILD | WS_GROUP | WS_TABSTOP, 0, 100, 22, true},
    {"GKT-STATIC", WS_CHILD, 0, 100, 22, true},
    {"GKT-EDIT", kEditStyle, WS_EX_CLIENTEDGE, 100, 20, true},
    {"GKT-BRW", WS_CHILD | WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP, 0, 100, 100, true},
    {"GKT-COMBO", WS_CHILD | WS_BORDER | WS_VSCROLL | WS_GROUP | WS_TABSTOP | CBS_DROPDOWNLIST, 0, 100, 100, true},
    {"GKT-PRINTPREVIEWMDI", kFrameStyle, 0, kDefault, kDefault, false},
    {"GKT-EDIT", kEditStyle | ES_MULTILINE | ES_WANTRETURN, WS_EX_CLIENTEDGE, 100, 20, true},
    {"GKT-CHECKBOX", WS_CHILD | WS_CLIPSIBLINGS | WS_GROUP | WS_TABSTOP, WS_EX_CLIENTEDGE, 20, 20, true},
    {"GKT-COLORBOX", WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER | WS_GROUP | WS_TABSTOP, 0, 100, 20, true},
    {"GKT-PRINTPREVIEW", kFrameStyle, 0, kDefault, kDefault, false},
};
constexpr int kTypeCount = sizeof kTypes / sizeof kTypes[0];

bool HasDefault(int value) { return value == CW_USEDEFAULT; }

// Reference size of a window at creation: its parent's resolved size when known, else 0 x 0.
void CreationReference(const Win* win, int* w, int* h)
{
    *w = *h = 0;
    const Win* parent = win->parent;
    if (parent && !HasDefault(parent->w) && !HasDefault(parent->h)) {
        *w = parent->w;
        *h = parent->h;
    }
}

void SendClientSize(HWND hwnd)
{
    RECT client;
    GetClientRect(hwnd, &client);
    SendMessageA(hwnd, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
}

void ResolveForCreation(Win* win)
{
    int ref_w, ref_h;
    CreationReference(win, &ref_w, &ref_h);
    Resolve(win, ref_w, ref_h);
}

} // namespace

bool IsMdiChildType(int type) { return type == GKT_MDICHILD || type == GKT_PREVIEWMDI; }

void Resolve(Win* win, int ref_w, int ref_h)
{
    Geometry g = ResolveGeometry({win->req_x, win->req_y, win->req_w, win->req_h}, ref_w, ref_h);
    win->x = g.x;
    win->y = g.y;
    win->w = g.w;
    win->h = g.h;
}

void FollowParentSize(Win* win, LPARAM parent_size)
{
    Resolve(win, LOWORD(parent_size), HIWORD(parent_size));
    MoveWindow(win->hwnd, win->x, win->y, win->w, win->h, TRUE);
}

HWND CreateRecordWindow(Win* win)
{
    HWND parent = win->parent ? win->parent->hwnd : nullptr;
    HWND hwnd = nullptr;
    HINSTANCE instance = win->app ? win->app->instance : nullptr;
    if (IsMdiChildType(win->type)) {
        win->mdi_client = parent ? reinterpret_cast<HWND>(GetWindowLongPtrA(parent, GKT_EXTRA_MDICLIENT)) : nullptr;
        if (win->mdi_client) {
            MDICREATESTRUCTA mdi = {};
            mdi.szClass = win->class_name;
            mdi.szTitle = "";
            mdi.hOwner = instance;
            mdi.x = win->x;
            mdi.y = win->y;
            mdi.cx = win->w;
            mdi.cy = win->h;
            mdi.style = win->style;
            mdi.lParam = reinterpret_cast<LPARAM>(win);
            hwnd = reinterpret_cast<HWND>(SendMessageA(win->mdi_client, WM_MDICREATE, 0, reinterpret_cast<LPARAM>(&mdi)));
        }
    } else if (win->class_name) {
        HMENU menu = win->type == GKT_BUTTON ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(win->command))
                                             : win->menu_or_id;
        hwnd = CreateWindowExA(win->ex_style, win->class_name, "", win->style, win->x, win->y, win->w, win->h,
                               parent, menu, instance, win);
    }
    if (!hwnd) {
        win->hwnd = nullptr;
        ShowBox(nullptr, "Erreur Création", "CreateWindow()", MB_OK);
        return nullptr;
    }
    win->hwnd = hwnd;
    SendClientSize(hwnd);
    if (win->font) SendMessageA(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(win->font), FALSE);
    return hwnd;
}

// Win_Show's work; see the flags in guikit.h.
static int ShowRecord(Win* win, int flags)
{
    if (flags & GKT_SHOW_CLOSE) {
        HWND hwnd = win->hwnd;
        if (!hwnd) return 0;
        SendMessageA(hwnd, WM_CLOSE, 0, 0);
        // An accepted close destroyed the window, which cleared the record or, with auto
        // delete, freed it: the record is not touched again.
        if (!IsWindow(hwnd)) return 0;
        // Refused: forgotten all the same. The window that stays is detached from the record,
        // since the caller may free the record and the window must not reach it afterwards.
        if (RecordOf(hwnd) == win) Detach(hwnd);
        win->hwnd = nullptr;
        return 0;
    }
    if (!win->hwnd) {
        ResolveForCreation(win);
        if (!CreateRecordWindow(win)) return 0;
        if (flags == GKT_SHOW_CREATE) return 0;
    }
    EnableWindow(win->hwnd, (flags & GKT_SHOW_DISABLE) == 0);
    if (flags == GKT_SHOW_DISABLE) return 0;
    if (IsMdiChildType(win->type) || win->type == GKT_MAINDIALOG || win->type == GKT_DIALOG) {
        SendClientSize(win->hwnd);
    }
    ShowWindow(win->hwnd, flags & 0xF);
    if (IsMdiChildType(win->type) && (flags & 0xF) == SW_SHOW && win->mdi_client) {
        SendMessageA(win->mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(win->hwnd), 0);
    }
    return 0;
}

} // namespace guikit

using namespace guikit;

GUIKIT_API int __stdcall Win_ParamSetDefault(Win* win, HINSTANCE, int type)
{
    if (!win) return 0;
    win->req_x = win->req_y = win->req_w = win->req_h = CW_USEDEFAULT;
    win->type = type;
    const TypeDefaults& d = kTypes[type > 0 && type < kTypeCount ? type : 0];
    win->class_name = d.class_name;
    win->style = d.style;
    win->ex_style = d.ex_style;
    win->req_w = d.w;
    win->req_h = d.h;
    win->font = d.shared_font ? SharedFont() : nullptr;
    return 0;
}

GUIKIT_API INT_PTR __stdcall Win_Create(Win* win)
{
    if (!win) return 0;
    ResolveForCreation(win);
    return reinterpret_cast<INT_PTR>(CreateRecordWindow(win));
}

GUIKIT_API INT_PTR __stdcall _Win_Create(Win* win)
{
    if (!win) return 0;
    return reinterpret_cast<INT_PTR>(CreateRecordWindow(win));
}

GUIKIT_API int __stdcall Win_Show(Win* win, int flags)
{
    if (!win) return 0;
    return ShowRecord(win, flags);
}

GUIKIT_API int __stdcall Win_Move(Win* win, BOOL repaint)
{
    if (win && win->hwnd) MoveWindow(win->hwnd, win->x, win->y, win->w, win->h, repaint);
    return 0;
}

GUIKIT_API int __stdcall Win_Enable(Win* win, BOOL enable)
{
    if (!win || !win->hwnd) return 0;
    EnableWindow(win->hwnd, enable);
    return IsMdiChildType(win->type) && enable ? 1 : 0;
}

GUIKIT_API int __stdcall Win_SetActive(Win* win)
{
    if (!win || !win->hwnd) return 0;
    if (IsMdiChildType(win->type)) {
        if (win->mdi_client) SendMessageA(win->mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(win->hwnd), 0);
    } else {
        SetActiveWindow(win->hwnd);
    }
    return 0;
}

GUIKIT_API int __stdcall Win_SetText(HWND hwnd, const char* text)
{
    return static_cast<int>(SendMessageA(hwnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")));
}

GUIKIT_API char* __stdcall Win_SetBkText(Win* win, const char* commands)
{
    if (!win) return nullptr;
    std::free(win->command_text);
    win->command_text = nullptr;
    if (commands) {
        std::size_t size = std::strlen(commands) + 1;
        win->command_text = static_cast<char*>(std::malloc(size));
        if (win->command_text) std::memcpy(win->command_text, commands, size);
    }
    return win->command_text;
}

GUIKIT_API COLORREF __stdcall Win_SetColor(Win* win, COLORREF background, COLORREF text)
{
    if (!win) return text;
    if (win->bk_brush) DeleteObject(win->bk_brush);
    win->bk_brush = CreateSolidBrush(background);
    win->bk_color = background;
    win->text_color = text;
    return text;
}

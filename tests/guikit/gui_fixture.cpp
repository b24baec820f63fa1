// Test fixture of the Windows tests (see gui_fixture.h).
#include "tests/guikit/gui_fixture.h"

#include <algorithm>

namespace guikit_test {

LRESULT g_refuse_close = 0;
void (*g_event_hook)(const Event&) = nullptr;

namespace {

std::vector<Box> g_boxes;
std::vector<Event> g_events;

int __stdcall RecordBox(HWND, const char* text, const char* caption, UINT)
{
    g_boxes.push_back({text ? text : "", caption ? caption : ""});
    return IDOK;
}

LRESULT CALLBACK RecordingCallback(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam)
{
    g_events.push_back({hwnd, msg, wparam, lparam});
    if (g_event_hook) g_event_hook(g_events.back());
    if (msg == GKTM_CANCLOSE) return g_refuse_close;
    return 0;
}

} // namespace

App* TheApp()
{
    static App* app = [] {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        App* created = App_New(instance);
        __Out_RegisterBitmapInstance(instance);
        return created;
    }();
    return app;
}

void GuiTest::SetUp()
{
    ASSERT_NE(TheApp(), nullptr);
    Gkt_SetMessageBox(RecordBox);
    g_boxes.clear();
    g_events.clear();
    g_events.reserve(4096);
    g_refuse_close = 0;
    SetKeyDown(VK_SHIFT, false);
    SetKeyDown(VK_CONTROL, false);
}

void GuiTest::TearDown()
{
    g_refuse_close = 0;
    g_event_hook = nullptr;
    SetKeyDown(VK_SHIFT, false);
    SetKeyDown(VK_CONTROL, false);
    // Top-level windows first: their children go with them.
    for (Win* win : records_) {
        if (win->parent == nullptr && win->hwnd) DestroyWindow(win->hwnd);
    }
    for (Win* win : records_) {
        if (win->hwnd) DestroyWindow(win->hwnd);
    }
    Pump();
    for (Win* win : records_) Win_Del(win);
    records_.clear();
    EXPECT_TRUE(g_boxes.empty()) << "unexpected message box: " << (g_boxes.empty() ? "" : g_boxes[0].text);
    Gkt_SetMessageBox(nullptr);
}

Win* GuiTest::NewWin(int type, Win* parent, int x, int y, int w, int h, int command)
{
    Win* win = Win_New(TheApp(), type);
    win->callback = RecordingCallback;
    win->parent = parent;
    if (x != CW_USEDEFAULT) win->req_x = x;
    if (y != CW_USEDEFAULT) win->req_y = y;
    if (w != CW_USEDEFAULT) win->req_w = w;
    if (h != CW_USEDEFAULT) win->req_h = h;
    win->command = command;
    win->menu_or_id = reinterpret_cast<HMENU>(static_cast<INT_PTR>(command));
    records_.push_back(win);
    return win;
}

Win* GuiTest::NewDialog(int w, int h)
{
    Win* dialog = NewWin(GKT_DIALOG, nullptr, 50, 50, w, h);
    Win_Show(dialog, SW_SHOW);
    SetForegroundWindow(dialog->hwnd);
    Pump();
    return dialog;
}

Win* GuiTest::NewChild(Win* parent, int type, int x, int y, int w, int h, int command)
{
    Win* child = NewWin(type, parent, x, y, w, h, command);
    child->style |= WS_VISIBLE;
    Win_Create(child);
    return child;
}

std::vector<Box> GuiTest::TakeBoxes()
{
    std::vector<Box> taken;
    taken.swap(g_boxes);
    return taken;
}

std::vector<Event> GuiTest::EventsOf(UINT msg) const
{
    std::vector<Event> found;
    std::copy_if(g_events.begin(), g_events.end(), std::back_inserter(found),
                 [msg](const Event& e) { return e.msg == msg; });
    return found;
}

void GuiTest::ClearEvents() { g_events.clear(); }

void GuiTest::Pump()
{
    MSG msg;
    for (int round = 0; round < 3; ++round) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue; // tests look for it explicitly
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(10);
    }
}

void GuiTest::SetKeyDown(int vk, bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

RECT GuiTest::ChildRect(HWND child)
{
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

COLORREF GuiTest::PixelOf(HWND hwnd, int x, int y)
{
    RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    HDC dc = GetDC(hwnd);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return colour;
}

} // namespace guikit_test

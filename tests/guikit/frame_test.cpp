// Application object, registry and frame windows on real windows: records and their
// defaults, geometry anchored to a resizing parent, Win_Show flags, close refused through
// the callback, modal owners, the message loop, keyboard navigation, Alt+letter, right click
// and Page Down as WM_CHAR, auto delete, the toolbar, the status strip and backgrounds.
#include "tests/guikit/gui_fixture.h"
#include "tests/support/heap_check.h"

#include <commctrl.h>
#include <malloc.h>

#include <cstdlib>
#include <cstring>

namespace guikit_test {
namespace {

using Registry = GuiTest;
using Frames = GuiTest;
using Toolbar = GuiTest;

TEST_F(Registry, LoadCheckAndSharedFont)
{
    EXPECT_EQ(::Test(), 999);
    HFONT font = GetFont();
    ASSERT_NE(font, nullptr);
    LOGFONTA lf = {};
    GetObjectA(font, sizeof lf, &lf);
    EXPECT_EQ(lf.lfHeight, -8);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_STREQ(lf.lfFaceName, "MS Sans Serif");
    EXPECT_EQ(TheApp()->decimal_char, 0);
}

TEST_F(Registry, NewRecordsCarryTheDefaultsOfTheirType)
{
    Win* edit = NewWin(GKT_EDIT);
    EXPECT_STREQ(edit->class_name, "GKT-EDIT");
    EXPECT_EQ(edit->req_x, CW_USEDEFAULT);
    EXPECT_EQ(edit->req_w, 100);
    EXPECT_EQ(edit->req_h, 20);
    EXPECT_EQ(edit->ex_style, static_cast<DWORD>(WS_EX_CLIENTEDGE));
    EXPECT_EQ(edit->font, GetFont());
    EXPECT_EQ(edit->app, TheApp());
    EXPECT_EQ(edit->hwnd, nullptr);

    Win* multi = NewWin(GKT_MULTIEDIT);
    EXPECT_TRUE(multi->style & ES_MULTILINE);
    EXPECT_TRUE(multi->style & ES_WANTRETURN);

    Win* dialog = NewWin(GKT_DIALOG);
    EXPECT_STREQ(dialog->class_name, "GKT-DLG");
    EXPECT_EQ(dialog->req_w, CW_USEDEFAULT);
    EXPECT_EQ(dialog->font, nullptr);
    EXPECT_EQ(dialog->ex_style, static_cast<DWORD>(WS_EX_DLGMODALFRAME));

    Win* odd = NewWin(42);
    EXPECT_EQ(odd->class_name, nullptr);
    EXPECT_EQ(odd->style, 0u);
    EXPECT_EQ(odd->type, 42);
    EXPECT_EQ(Win_Create(odd), 0);
    auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Erreur Création");
    EXPECT_EQ(boxes[0].caption, "CreateWindow()");
    EXPECT_EQ(odd->hwnd, nullptr);

    // Browse and preview records are larger and zeroed beyond the common part.
    Win* preview = Win_New(TheApp(), GKT_PREVIEW);
    EXPECT_EQ(reinterpret_cast<WinPreview*>(preview)->landscape, 0);
    EXPECT_EQ(Win_Del(preview), 0);
    EXPECT_EQ(Win_Del(nullptr), 0);
}

TEST_F(Registry, WindowLeadsBackToItsRecordButAForeignWindowHasNone)
{
    Win* dialog = NewDialog();
    dialog->link = 77;
    EXPECT_EQ(Win_Ptr(dialog->hwnd), reinterpret_cast<INT_PTR>(dialog));
    EXPECT_EQ(Win_Handle2Link(dialog->hwnd), 77);
    EXPECT_EQ(GetWindowLongPtrA(dialog->hwnd, GKT_EXTRA_RECORD), reinterpret_cast<LONG_PTR>(dialog));

    // A system dialog has more than 16 extra bytes: they must not be read as a record.
    HWND foreign = CreateWindowExA(0, "#32770", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    SetWindowLongPtrA(foreign, GKT_EXTRA_RECORD, 0x1234);
    EXPECT_EQ(Win_Ptr(foreign), 0);
    EXPECT_EQ(Win_Handle2Link(foreign), -1);
    DestroyWindow(foreign);
    EXPECT_EQ(Win_Handle2Link(nullptr), -1);
}

TEST_F(Registry, CallbackSeesCreationAndDestructionAndTheRecordIsCleared)
{
    Win* dialog = NewDialog();
    HWND hwnd = dialog->hwnd;
    auto created = EventsOf(WM_CREATE);
    ASSERT_EQ(created.size(), 1u);
    EXPECT_EQ(created[0].hwnd, hwnd);
    EXPECT_EQ(created[0].wparam, reinterpret_cast<WPARAM>(hwnd));
    EXPECT_EQ(created[0].lparam, reinterpret_cast<LPARAM>(dialog));

    DestroyWindow(hwnd);
    auto destroyed = EventsOf(WM_DESTROY);
    ASSERT_EQ(destroyed.size(), 1u);
    EXPECT_EQ(destroyed[0].lparam, reinterpret_cast<LPARAM>(dialog));
    EXPECT_EQ(dialog->hwnd, nullptr);
    EXPECT_EQ(dialog->mdi_client, nullptr);
    EXPECT_EQ(dialog->focused_child, nullptr);
}

using lysora::testing::IsAllocated;

TEST_F(Registry, AutoDeleteReleasesTheRecordWithItsWindow)
{
    Win* kept = Win_New(TheApp(), GKT_DIALOG);
    Win* dropped = Win_New(TheApp(), GKT_DIALOG);
    dropped->auto_delete = 1;
    Win_SetBkText(dropped, "R1:1");
    ASSERT_NE(Win_Create(kept), 0);
    ASSERT_NE(Win_Create(dropped), 0);
    ASSERT_TRUE(IsAllocated(kept));
    ASSERT_TRUE(IsAllocated(dropped));
    HWND kept_hwnd = kept->hwnd;
    DestroyWindow(dropped->hwnd);
    DestroyWindow(kept_hwnd);
    EXPECT_FALSE(IsAllocated(dropped));
    EXPECT_TRUE(IsAllocated(kept));
    EXPECT_EQ(kept->hwnd, nullptr);
    Win_Del(kept);
}

// A block of a record's size taken while a dialog's children are being destroyed, just after
// the dialog's own auto-delete record was freed: the allocator hands that record back, so a
// late write into the freed record shows in the block.
void* g_late_block = nullptr;

void TakeFreedRecord(const Event& event)
{
    if (event.msg != WM_DESTROY || g_late_block) return;
    g_late_block = std::malloc(sizeof(Win));
    std::memset(g_late_block, 0xAB, sizeof(Win));
}

TEST_F(Registry, AcceptedShowCloseLeavesTheFreedAutoDeleteRecordAlone)
{
    Win* dropped = Win_New(TheApp(), GKT_DIALOG);
    dropped->auto_delete = 1;
    dropped->req_w = 200;
    dropped->req_h = 100;
    ASSERT_NE(Win_Create(dropped), 0);
    HWND hwnd = dropped->hwnd;
    NewChild(dropped, GKT_LABEL, 10, 10, 50, 20);
    g_late_block = nullptr;
    g_event_hook = TakeFreedRecord;

    Win_Show(dropped, GKT_SHOW_CLOSE);

    g_event_hook = nullptr;
    EXPECT_FALSE(IsWindow(hwnd));
    ASSERT_EQ(g_late_block, static_cast<void*>(dropped)) << "the allocator did not reuse the freed record";
    const auto* late = static_cast<const Win*>(g_late_block);
    EXPECT_EQ(reinterpret_cast<UINT_PTR>(late->hwnd), static_cast<UINT_PTR>(~UINT_PTR(0) / 0xFF * 0xAB))
        << "Win_Show wrote into the record freed by the close";
    std::free(g_late_block);
}

TEST_F(Registry, WrappedControlsKeepTheSystemClassBytesAndTheirRecordAfterThem)
{
    Win* dialog = NewDialog();
    const struct {
        const char* system;
        const char* wrapped;
        int type;
    } classes[] = {{"BUTTON", "GKT-BUTTON", GKT_BUTTON}, {"EDIT", "GKT-EDIT", GKT_EDIT},
                   {"STATIC", "GKT-STATIC", GKT_LABEL}, {"COMBOBOX", "GKT-COMBO", GKT_COMBO}};
    for (const auto& c : classes) {
        WNDCLASSA system = {}, wrapped = {};
        ASSERT_TRUE(GetClassInfoA(nullptr, c.system, &system));
        ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), c.wrapped, &wrapped));
        EXPECT_EQ(wrapped.cbWndExtra, system.cbWndExtra + GKT_EXTRA_BYTES) << c.wrapped;
        Win* control = NewChild(dialog, c.type, 10, 10, 100, 20, 5);
        EXPECT_EQ(GetWindowLongPtrA(control->hwnd, system.cbWndExtra + GKT_EXTRA_RECORD),
                  reinterpret_cast<LONG_PTR>(control))
            << c.wrapped;
        EXPECT_EQ(Win_Ptr(control->hwnd), reinterpret_cast<INT_PTR>(control)) << c.wrapped;
    }
}

TEST_F(Frames, ActivationNeverFocusesADisabledControl)
{
    Win* dialog = NewDialog();
    Win* disabled = NewChild(dialog, GKT_EDIT, 10, 10, 100, 20, 1);
    Win* enabled = NewChild(dialog, GKT_EDIT, 10, 40, 100, 20, 2);
    EnableWindow(disabled->hwnd, FALSE);
    SetFocus(nullptr);
    ClearEvents();
    SendMessageA(dialog->hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    Pump();
    EXPECT_EQ(GetFocus(), enabled->hwnd);
    for (const Event& event : EventsOf(GKTM_CHILDFOCUS))
        EXPECT_NE(event.wparam, reinterpret_cast<WPARAM>(disabled->hwnd)) << "the disabled edit got the focus";
}

TEST_F(Frames, ChildrenAnchoredRightAndBottomFollowTheParent)
{
    Win* dialog = NewWin(GKT_DIALOG, nullptr, 50, 50, 400, 300);
    Win_Show(dialog, GKT_SHOW_CREATE);
    Win* right = NewChild(dialog, GKT_BUTTON, -110, 10, 100, 22, 11);
    Win* stretched = NewChild(dialog, GKT_EDIT, 10, -30, -10, 20, 12);
    Win* label = NewChild(dialog, GKT_LABEL, -110, 40, 100, 22, 13);
    Win_Show(dialog, SW_SHOW);
    Pump();

    RECT client;
    GetClientRect(dialog->hwnd, &client);
    EXPECT_EQ(dialog->client_width, client.right);
    EXPECT_EQ(ChildRect(right->hwnd).left, client.right - 110);
    EXPECT_EQ(ChildRect(right->hwnd).right - ChildRect(right->hwnd).left, 100);
    EXPECT_EQ(ChildRect(stretched->hwnd).left, 10);
    EXPECT_EQ(ChildRect(stretched->hwnd).right, client.right - 10);
    EXPECT_EQ(ChildRect(stretched->hwnd).top, client.bottom - 30);

    SetWindowPos(dialog->hwnd, nullptr, 0, 0, 500, 350, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    GetClientRect(dialog->hwnd, &client);
    EXPECT_EQ(ChildRect(right->hwnd).left, client.right - 110);
    EXPECT_EQ(right->x, client.right - 110);
    EXPECT_EQ(ChildRect(stretched->hwnd).right, client.right - 10);
    EXPECT_EQ(ChildRect(stretched->hwnd).top, client.bottom - 30);
    // Labels keep their place.
    EXPECT_EQ(ChildRect(label->hwnd).left, 400 - 110);
}

TEST_F(Frames, TopLevelRelativePositionHasNoReference)
{
    Win* dialog = NewWin(GKT_DIALOG, nullptr, -110, 20, 100, 80);
    ASSERT_NE(Win_Create(dialog), 0);
    RECT r;
    GetWindowRect(dialog->hwnd, &r);
    EXPECT_EQ(r.left, -110);
    EXPECT_EQ(dialog->w, 100);
}

TEST_F(Frames, ShowFlagsCreateOnlyDisableOnlyAndClose)
{
    Win* created = NewWin(GKT_DIALOG, nullptr, 10, 10, 200, 100);
    EXPECT_EQ(Win_Show(created, GKT_SHOW_CREATE), 0);
    ASSERT_NE(created->hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(created->hwnd));
    EXPECT_TRUE(IsWindowEnabled(created->hwnd));

    Win* disabled = NewWin(GKT_DIALOG, nullptr, 10, 10, 200, 100);
    Win_Show(disabled, GKT_SHOW_DISABLE);
    ASSERT_NE(disabled->hwnd, nullptr);
    EXPECT_FALSE(IsWindowVisible(disabled->hwnd));
    EXPECT_FALSE(IsWindowEnabled(disabled->hwnd));

    Win_Show(disabled, SW_SHOW | GKT_SHOW_DISABLE);
    EXPECT_TRUE(IsWindowVisible(disabled->hwnd));
    EXPECT_FALSE(IsWindowEnabled(disabled->hwnd));
    Win_Show(disabled, SW_SHOW);
    EXPECT_TRUE(IsWindowEnabled(disabled->hwnd));
    Win_Show(disabled, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(disabled->hwnd));

    HWND hwnd = created->hwnd;
    Win_Show(created, GKT_SHOW_CLOSE);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(created->hwnd, nullptr);
}

TEST_F(Frames, CloseRefusedByTheCallbackKeepsTheDialogOpen)
{
    Win* dialog = NewDialog();
    HWND hwnd = dialog->hwnd;
    g_refuse_close = 1;
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    SendMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(EventsOf(GKTM_CANCLOSE).size(), 2u);
    EXPECT_EQ(EventsOf(GKTM_CANCLOSE)[0].lparam, reinterpret_cast<LPARAM>(dialog));

    g_refuse_close = 0;
    SendMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 0);
    Pump();
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Frames, RefusedCloseThroughShowForgetsTheWindowBothWays)
{
    Win* dialog = NewDialog();
    HWND hwnd = dialog->hwnd;
    g_refuse_close = 1;
    Win_Show(dialog, GKT_SHOW_CLOSE);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(dialog->hwnd, nullptr);
    // The window left open no longer reaches the record, which its owner may now free.
    EXPECT_EQ(Win_Ptr(hwnd), 0);
    ClearEvents();
    DestroyWindow(hwnd);
    EXPECT_TRUE(EventsOf(WM_DESTROY).empty());
}

TEST_F(Frames, RecordFreedBeforeItsWindowIsDetached)
{
    Win* dialog = Win_New(TheApp(), GKT_DIALOG);
    ASSERT_NE(Win_Create(dialog), 0);
    HWND hwnd = dialog->hwnd;
    Win_Del(dialog);
    EXPECT_EQ(Win_Ptr(hwnd), 0);
    SendMessageA(hwnd, WM_CLOSE, 0, 0); // default processing only
    EXPECT_FALSE(IsWindow(hwnd));
}

TEST_F(Frames, FixedWindowGivesItsOwnerBackWhenDestroyed)
{
    Win* owner = NewDialog();
    Win* fixed = NewWin(GKT_FIXEDWINDOW, nullptr, 80, 80, 200, 100);
    fixed->owner = owner;
    Win_Show(fixed, SW_SHOW);
    EXPECT_FALSE(IsWindowEnabled(owner->hwnd));
    EXPECT_EQ(Win_Ptr(fixed->hwnd), reinterpret_cast<INT_PTR>(fixed));
    SendMessageA(fixed->hwnd, WM_KEYDOWN, VK_ESCAPE, 0); // closes without asking
    Pump();
    EXPECT_EQ(fixed->hwnd, nullptr);
    EXPECT_TRUE(EventsOf(GKTM_CANCLOSE).empty());
    EXPECT_TRUE(IsWindowEnabled(owner->hwnd));
}

TEST_F(Frames, OwnerIsDisabledWhileTheDialogIsOpen)
{
    Win* owner = NewDialog();
    Win* modal = NewWin(GKT_DIALOG, nullptr, 80, 80, 200, 100);
    modal->owner = owner;
    Win_Show(modal, SW_SHOW);
    Pump();
    EXPECT_FALSE(IsWindowEnabled(owner->hwnd));
    SendMessageA(modal->hwnd, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(modal->hwnd, nullptr);
    EXPECT_TRUE(IsWindowEnabled(owner->hwnd));
}

bool TakeQuit(WPARAM* code)
{
    MSG msg;
    if (!PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) return false;
    *code = msg.wParam;
    return true;
}

TEST_F(Frames, MainDialogEndsTheLoopWhenItsCloseIsAccepted)
{
    Win* main = NewWin(GKT_MAINDIALOG, nullptr, 10, 10, 300, 200);
    Win_Show(main, SW_SHOW);
    PostMessageA(main->hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(Loop_Main(1), 0);
    EXPECT_EQ(main->hwnd, nullptr);

    PostQuitMessage(7);
    EXPECT_EQ(Loop_Main(0), 7);
}

TEST_F(Frames, MdiFrameRefusesOrEndsTheLoop)
{
    Win* frame = NewWin(GKT_MDIFRAME, nullptr, 0, 0, 500, 400);
    Win_Show(frame, SW_SHOW);
    ASSERT_NE(frame->mdi_client, nullptr);
    EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongPtrA(frame->hwnd, GKT_EXTRA_MDICLIENT)), frame->mdi_client);
    EXPECT_TRUE(EventsOf(WM_CREATE).empty()); // the frame does not report its creation

    g_refuse_close = 1;
    SendMessageA(frame->hwnd, WM_CLOSE, 0, 0);
    EXPECT_NE(frame->hwnd, nullptr);
    WPARAM code;
    EXPECT_FALSE(TakeQuit(&code));

    g_refuse_close = 0;
    PostMessageA(frame->hwnd, WM_CLOSE, 0, 0);
    EXPECT_EQ(Loop_Main(0), 0);
    EXPECT_EQ(frame->hwnd, nullptr);
}

TEST_F(Frames, MdiChildClosesOnCtrlF4WithoutAsking)
{
    Win* frame = NewWin(GKT_MDIFRAME, nullptr, 0, 0, 600, 450);
    Win_Show(frame, SW_SHOW);
    Win* child = NewWin(GKT_MDICHILD, frame, 10, 10, 300, 200);
    Win_Show(child, SW_SHOW);
    Pump();
    ASSERT_NE(child->hwnd, nullptr);
    EXPECT_EQ(child->mdi_client, frame->mdi_client);
    EXPECT_EQ(GetParent(child->hwnd), frame->mdi_client);
    EXPECT_EQ(Win_Ptr(child->hwnd), reinterpret_cast<INT_PTR>(child));
    EXPECT_EQ(Win_Enable(child, TRUE), 1);

    g_refuse_close = 1;
    SetKeyDown(VK_CONTROL, true);
    SendMessageA(child->hwnd, WM_KEYDOWN, VK_F4, 0);
    SetKeyDown(VK_CONTROL, false);
    Pump();
    EXPECT_EQ(child->hwnd, nullptr);
    EXPECT_TRUE(EventsOf(GKTM_CANCLOSE).empty());
    g_refuse_close = 0;
    DestroyWindow(frame->hwnd);
    WPARAM code;
    EXPECT_TRUE(TakeQuit(&code)); // destroying the frame posts the quit message
    EXPECT_EQ(code, 0u);
}

TEST_F(Frames, MdiChildGivesTheFocusBackToItsChildOnActivation)
{
    Win* frame = NewWin(GKT_MDIFRAME, nullptr, 0, 0, 600, 450);
    Win_Show(frame, SW_SHOW);
    SetForegroundWindow(frame->hwnd);
    Win* first = NewWin(GKT_MDICHILD, frame, 10, 10, 250, 150);
    Win_Show(first, SW_SHOW);
    Win* a = NewChild(first, GKT_EDIT, 10, 10, 100, 20, 1);
    Win* b = NewChild(first, GKT_EDIT, 10, 40, 100, 20, 2);
    Win* second = NewWin(GKT_MDICHILD, frame, 280, 10, 250, 150);
    Win_Show(second, SW_SHOW);
    Pump();
    Win_SetActive(first);
    Pump();
    SetFocus(b->hwnd);
    EXPECT_EQ(first->focused_child, b->hwnd);
    Win_SetActive(second);
    Pump();
    EXPECT_EQ(SendMessageA(frame->mdi_client, WM_MDIGETACTIVE, 0, 0), reinterpret_cast<LRESULT>(second->hwnd));
    Win_SetActive(first);
    Pump();
    EXPECT_EQ(GetFocus(), b->hwnd);
    (void)a;
    DestroyWindow(frame->hwnd);
    WPARAM code;
    EXPECT_TRUE(TakeQuit(&code));
}

TEST_F(Frames, RightClickAndPageKeysReachTheCallbackAsCharacters)
{
    Win* dialog = NewDialog();
    SendMessageA(dialog->hwnd, WM_RBUTTONDOWN, 0, MAKELPARAM(10, 10));
    SendMessageA(dialog->hwnd, WM_KEYDOWN, VK_NEXT, 0);
    SendMessageA(dialog->hwnd, WM_KEYDOWN, VK_PRIOR, 0);
    SendMessageA(dialog->hwnd, WM_CHAR, 'x', 0);
    auto chars = EventsOf(WM_CHAR);
    ASSERT_EQ(chars.size(), 4u);
    EXPECT_EQ(chars[0].wparam, 0x400u);
    EXPECT_EQ(chars[0].lparam, 0);
    EXPECT_EQ(chars[1].wparam, 0x2200u);
    EXPECT_EQ(chars[2].wparam, 0x2100u);
    EXPECT_EQ(chars[3].wparam, static_cast<WPARAM>('x'));
}

TEST_F(Frames, CommandsTimersAndHelpReachTheCallback)
{
    Win* dialog = NewDialog();
    SendMessageA(dialog->hwnd, WM_COMMAND, MAKEWPARAM(5, 0), 0);
    SendMessageA(dialog->hwnd, WM_COMMAND, MAKEWPARAM(6, 1), 0);
    SendMessageA(dialog->hwnd, WM_COMMAND, MAKEWPARAM(7, EN_CHANGE), 0);
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 2u); // only notification codes 0 and 1
    EXPECT_EQ(LOWORD(commands[1].wparam), 6);
    SendMessageA(dialog->hwnd, WM_TIMER, 100, 0);
    EXPECT_EQ(EventsOf(WM_TIMER).size(), 1u);
    HELPINFO help = {};
    help.cbSize = sizeof help;
    EXPECT_EQ(SendMessageA(dialog->hwnd, WM_HELP, 0, reinterpret_cast<LPARAM>(&help)), 1);
    EXPECT_EQ(EventsOf(WM_HELP).size(), 1u);
}

TEST_F(Frames, NotificationsTooltipTabsAndSpin)
{
    Win* dialog = NewDialog();
    NMTTDISPINFOA tip = {};
    tip.hdr.code = TTN_NEEDTEXTA;
    SendMessageA(dialog->hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&tip));
    EXPECT_STREQ(tip.szText, "Test");

    NMHDR tab = {dialog->hwnd, 9, static_cast<UINT>(TCN_SELCHANGING)};
    SendMessageA(dialog->hwnd, WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&tab));
    tab.code = TCN_SELCHANGE;
    SendMessageA(dialog->hwnd, WM_NOTIFY, 9, reinterpret_cast<LPARAM>(&tab));
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].wparam, MAKEWPARAM(9, GKT_TAB_SELCHANGING));
    EXPECT_EQ(commands[1].wparam, MAKEWPARAM(9, GKT_TAB_SELCHANGE));
    EXPECT_EQ(commands[1].lparam, reinterpret_cast<LPARAM>(dialog->hwnd));

    Win* edit = NewChild(dialog, GKT_EDIT, 10, 10, 80, 20, 3);
    HWND spin = CreateWindowExA(0, UPDOWN_CLASSA, "", WS_CHILD | WS_VISIBLE, 95, 10, 16, 20, dialog->hwnd, nullptr,
                                nullptr, nullptr);
    SendMessageA(spin, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit->hwnd), 0);
    NMUPDOWN step = {};
    step.hdr = {spin, 0, static_cast<UINT>(UDN_DELTAPOS)};
    step.iDelta = -1;
    SendMessageA(dialog->hwnd, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&step));
    auto spins = EventsOf(GKTM_SPIN);
    ASSERT_EQ(spins.size(), 1u);
    EXPECT_EQ(spins[0].wparam, reinterpret_cast<WPARAM>(edit->hwnd));
    EXPECT_EQ(spins[0].lparam, -1);
    EXPECT_EQ(GetFocus(), edit->hwnd);
}

// Tab stops of a dialog: an edit, a hidden edit, a disabled button, a button, an edit.
struct TabStops {
    Win* first;
    Win* hidden;
    Win* disabled;
    Win* second;
    Win* last;
};

class KeyboardTest : public GuiTest {
protected:
    TabStops MakeTabStops(Win* dialog)
    {
        TabStops t;
        t.first = NewChild(dialog, GKT_EDIT, 10, 10, 100, 20, 1);
        t.hidden = NewChild(dialog, GKT_EDIT, 10, 40, 100, 20, 2);
        ShowWindow(t.hidden->hwnd, SW_HIDE);
        t.disabled = NewChild(dialog, GKT_BUTTON, 10, 70, 100, 22, 3);
        EnableWindow(t.disabled->hwnd, FALSE);
        t.second = NewChild(dialog, GKT_BUTTON, 10, 100, 100, 22, 4);
        t.last = NewChild(dialog, GKT_EDIT, 10, 130, 100, 20, 5);
        return t;
    }
};

TEST_F(KeyboardTest, TabAndArrowsMoveBetweenEnabledVisibleTabStops)
{
    Win* dialog = NewDialog();
    TabStops t = MakeTabStops(dialog);
    SetFocus(t.first->hwnd);
    ASSERT_EQ(GetFocus(), t.first->hwnd);
    // Keys reach the dialog through the focused control, as a user's would.
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), t.second->hwnd);
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), t.last->hwnd);
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), t.first->hwnd); // wraps to the first

    SetKeyDown(VK_SHIFT, true);
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 0);
    SetKeyDown(VK_SHIFT, false);
    EXPECT_EQ(GetFocus(), t.last->hwnd); // Shift+Tab wraps to the last

    SendMessageA(GetFocus(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(GetFocus(), t.last->hwnd); // Down stops at the last
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(GetFocus(), t.second->hwnd);
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(GetFocus(), t.first->hwnd);
    SendMessageA(GetFocus(), WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(GetFocus(), t.first->hwnd); // Up stops at the first
    EXPECT_EQ(dialog->focused_child, t.first->hwnd);
}

// A callback that disables (or drops the focus of) a child as soon as it reports the focus.
HWND g_disable_on_focus, g_drop_focus_of;
void DisableOrDrop(const Event& e)
{
    if (e.msg != GKTM_CHILDFOCUS) return;
    if (reinterpret_cast<HWND>(e.wparam) == g_disable_on_focus) EnableWindow(g_disable_on_focus, FALSE);
    if (reinterpret_cast<HWND>(e.wparam) == g_drop_focus_of) SetFocus(nullptr);
}

TEST_F(KeyboardTest, FocusIsRepairedWhenTheCallbackDisablesOrDropsIt)
{
    Win* dialog = NewDialog();
    TabStops t = MakeTabStops(dialog);
    g_event_hook = DisableOrDrop;

    // Focus on a window that is then disabled: it goes to the next enabled tab stop.
    SetFocus(t.last->hwnd);
    g_disable_on_focus = t.second->hwnd;
    ClearEvents();
    SetFocus(t.second->hwnd);
    Pump();
    EXPECT_EQ(GetFocus(), t.last->hwnd);
    auto focus = EventsOf(GKTM_CHILDFOCUS);
    ASSERT_FALSE(focus.empty());
    EXPECT_EQ(focus[0].wparam, reinterpret_cast<WPARAM>(t.second->hwnd));
    EXPECT_EQ(focus[0].lparam, reinterpret_cast<LPARAM>(t.second));
    EXPECT_FALSE(EventsOf(GKTM_CHILDBLUR).empty());

    // Focus dropped altogether: it goes on to the next usable tab stop, past the hidden
    // edit and the two disabled buttons.
    g_drop_focus_of = t.first->hwnd;
    SetFocus(t.first->hwnd);
    Pump();
    EXPECT_EQ(GetFocus(), t.last->hwnd);
    g_event_hook = nullptr;
    g_disable_on_focus = g_drop_focus_of = nullptr;
}

TEST_F(KeyboardTest, ReactivationRestoresTheRememberedChild)
{
    Win* dialog = NewDialog();
    Win* a = NewChild(dialog, GKT_EDIT, 10, 10, 100, 20, 1);
    Win* b = NewChild(dialog, GKT_EDIT, 10, 40, 100, 20, 2);
    SetFocus(b->hwnd);
    SendMessageA(dialog->hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    SetFocus(nullptr);
    SendMessageA(dialog->hwnd, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(GetFocus(), b->hwnd);
    (void)a;
}

TEST_F(KeyboardTest, CloseOnDeactivate)
{
    Win* dialog = NewDialog();
    dialog->close_on_deactivate = 1;
    SendMessageA(dialog->hwnd, WM_ACTIVATE, WA_INACTIVE, 0);
    Pump();
    EXPECT_EQ(dialog->hwnd, nullptr);
}

TEST_F(KeyboardTest, AltLetterReportsTheMatchingChildsCommand)
{
    Win* dialog = NewDialog();
    Win* hidden = NewChild(dialog, GKT_BUTTON, 10, 10, 100, 22, 30);
    Win_SetText(hidden->hwnd, "&Nom caché");
    ShowWindow(hidden->hwnd, SW_HIDE);
    Win* label = NewChild(dialog, GKT_LABEL, 10, 40, 100, 22, 31);
    Win_SetText(label->hwnd, "Le &nom");
    Win* button = NewChild(dialog, GKT_BUTTON, 10, 70, 100, 22, 32);
    Win_SetText(button->hwnd, "&Ok");

    EXPECT_EQ(SendMessageA(dialog->hwnd, WM_SYSCHAR, 'n', 0), 0);
    SendMessageA(dialog->hwnd, WM_SYSCHAR, 'O', 0);
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].wparam, 31u); // the hidden child is skipped
    EXPECT_EQ(commands[0].lparam, 0);
    EXPECT_EQ(commands[1].wparam, 32u);

    // From inside a control, Alt+letter goes to the dialog as well.
    ClearEvents();
    SendMessageA(button->hwnd, WM_SYSCHAR, 'o', 0);
    SendMessageA(dialog->hwnd, WM_SYSCHAR, 'z', 0);
    ASSERT_EQ(EventsOf(WM_COMMAND).size(), 1u);
}

TEST_F(Frames, BackgroundBrushCommandTextAndStatusStripArePainted)
{
    Win* dialog = NewWin(GKT_DIALOG, nullptr, 50, 50, 300, 200);
    dialog->statusbar_height = 20;
    Win_SetColor(dialog, RGB(0, 0, 255), RGB(255, 255, 255));
    EXPECT_STREQ(Win_SetBkText(dialog, "@20:10 R30:20:r255"), "@20:10 R30:20:r255");
    Win_Show(dialog, SW_SHOW);
    Pump();
    RECT client;
    GetClientRect(dialog->hwnd, &client);
    EXPECT_EQ(dialog->usable_height, client.bottom - 20);
    EXPECT_EQ(PixelOf(dialog->hwnd, 100, 60), RGB(0, 0, 255));
    EXPECT_EQ(PixelOf(dialog->hwnd, 30, 20), RGB(255, 0, 0));
    // Status strip: light grey, a sunken box from x = 4 with black top edge.
    const int top = client.bottom - 20;
    EXPECT_EQ(PixelOf(dialog->hwnd, client.right - 58, top + 10), RGB(192, 192, 192));
    EXPECT_EQ(PixelOf(dialog->hwnd, 20, top + 2), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(dialog->hwnd, 20, top), RGB(255, 255, 255));

    Win_SetBkText(dialog, nullptr);
    EXPECT_EQ(dialog->command_text, nullptr);
}

TEST_F(Toolbar, ButtonsAreLaidOutFromTheirBitmaps)
{
    Win* frame = NewWin(GKT_MDIFRAME, nullptr, 0, 0, 500, 300);
    Win_CtlBarSepar(frame, 6);
    EXPECT_EQ(frame->ctlbar_height, 30);
    Win_CtlBarAdd(frame, 101, "tool16");
    Win_CtlBarAdd(frame, 102, "tool16");
    Win_CtlBarAdd(frame, 103, "missing");
    auto boxes = TakeBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Bitmap non trouvé");
    EXPECT_EQ(boxes[0].caption, "missing");
    CtlBar* bar = frame->ctlbar;
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->owner, frame);
    EXPECT_EQ(bar->count, 2);
    EXPECT_EQ(bar->buttons[0].x, 10);
    EXPECT_EQ(bar->buttons[0].width, 16);
    EXPECT_EQ(bar->buttons[1].x, 31);
    EXPECT_EQ(bar->height, 14 + 9);
    EXPECT_EQ(frame->ctlbar_height, 23);
    EXPECT_EQ(bar->pressed, -1);
}

TEST_F(Toolbar, PressDrawsSunkenAndReleaseAnywhereSendsTheCommand)
{
    Win* frame = NewWin(GKT_MDIFRAME, nullptr, 0, 0, 500, 300);
    frame->statusbar_height = 20;
    Win_CtlBarAdd(frame, 101, "tool16");
    Win_CtlBarAdd(frame, 102, "tool16");
    Win_Show(frame, SW_SHOW);
    Pump();
    const CtlBar* bar = frame->ctlbar;
    const int x = bar->buttons[1].x;
    // Raised: white top edge, bitmap at (x + 1, margin + 2).
    EXPECT_EQ(PixelOf(frame->hwnd, x + 4, bar->margin + 1), RGB(255, 255, 255));
    EXPECT_EQ(PixelOf(frame->hwnd, x + 1, bar->margin + 2), RGB(0, 0, 255));
    RECT client;
    GetClientRect(frame->hwnd, &client);
    RECT mdi;
    GetWindowRect(frame->mdi_client, &mdi);
    EXPECT_EQ(mdi.bottom - mdi.top, client.bottom - 23 - 20);

    SendMessageA(frame->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x + 5, bar->margin + 5));
    EXPECT_EQ(bar->pressed, 1);
    EXPECT_TRUE(EventsOf(WM_COMMAND).empty());
    HDC dc = GetDC(frame->hwnd);
    EXPECT_EQ(GetPixel(dc, x + 4, bar->margin + 1), RGB(0, 0, 0)); // sunken: black top edge
    EXPECT_EQ(GetPixel(dc, x + 2, bar->margin + 3), RGB(0, 0, 255));
    ReleaseDC(frame->hwnd, dc);

    SendMessageA(frame->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(400, 250));
    EXPECT_EQ(bar->pressed, -1);
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wparam, 102u);
    EXPECT_EQ(commands[0].lparam, 0);

    // A press outside every button presses nothing.
    SendMessageA(frame->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(300, 5));
    SendMessageA(frame->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
    EXPECT_EQ(EventsOf(WM_COMMAND).size(), 1u);
}

TEST_F(Toolbar, DialogsRunTheirToolbarToo)
{
    Win* dialog = NewWin(GKT_DIALOG, nullptr, 50, 50, 300, 200);
    Win_CtlBarAdd(dialog, 201, "tool16");
    Win_Show(dialog, SW_SHOW);
    Pump();
    const CtlBar* bar = dialog->ctlbar;
    EXPECT_EQ(PixelOf(dialog->hwnd, bar->buttons[0].x + 1, bar->margin + 2), RGB(0, 0, 255));
    SendMessageA(dialog->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(bar->buttons[0].x + 3, 6));
    SendMessageA(dialog->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(3, 150));
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wparam, 201u);
}

} // namespace
} // namespace guikit_test

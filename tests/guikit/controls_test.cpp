// The library's controls inside a real dialog: Enter on buttons, edits and lists, navigation
// keys handed to the dialog, the drop-down list's Delete, the check box's keys and clicks,
// the label's growth, colour answers with the disabled colour, owner-drawn faces, the colour
// box's swatch and its colour dialog.
#include "tests/guikit/gui_fixture.h"
#include "tests/support/shown_pixel.h"

#include <string>

namespace guikit_test {
namespace {

using Controls = GuiTest;

std::string TextOf(HWND hwnd)
{
    char text[256] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

TEST_F(Controls, EnterPressesTheFocusedButton)
{
    Win* dialog = NewDialog();
    Win* button = NewChild(dialog, GKT_BUTTON, 10, 10, 100, 22, 44);
    EXPECT_EQ(GetDlgCtrlID(button->hwnd), 44); // buttons take their command as identifier
    SetFocus(button->hwnd);
    ClearEvents();
    SendMessageA(button->hwnd, WM_KEYDOWN, VK_RETURN, 0);
    SendMessageA(button->hwnd, WM_KEYUP, VK_RETURN, 0);
    Pump();
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wparam, MAKEWPARAM(44, BN_CLICKED));
    EXPECT_EQ(commands[0].lparam, reinterpret_cast<LPARAM>(button->hwnd));
}

TEST_F(Controls, MouseReleaseCountsOnlyOnTheFocusedButton)
{
    Win* dialog = NewDialog();
    Win* button = NewChild(dialog, GKT_BUTTON, 10, 10, 100, 22, 45);
    Win* edit = NewChild(dialog, GKT_EDIT, 10, 40, 100, 20, 46);
    SetFocus(edit->hwnd);
    ClearEvents();
    SendMessageA(button->hwnd, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    EXPECT_TRUE(EventsOf(WM_COMMAND).empty());
}

TEST_F(Controls, EnterInASingleLineEditGoesToTheDialogAndInAMultiLineEditAddsALine)
{
    Win* dialog = NewDialog();
    Win* single = NewChild(dialog, GKT_EDIT, 10, 10, 100, 20, 1);
    Win* multi = NewChild(dialog, GKT_MULTIEDIT, 10, 40, 100, 60, 2);
    SendMessageA(single->hwnd, WM_CHAR, VK_RETURN, 0);
    SendMessageA(single->hwnd, WM_CHAR, VK_TAB, 0);
    SendMessageA(single->hwnd, WM_CHAR, VK_ESCAPE, 0);
    auto chars = EventsOf(WM_CHAR);
    ASSERT_EQ(chars.size(), 1u);
    EXPECT_EQ(chars[0].wparam, static_cast<WPARAM>(VK_RETURN));
    EXPECT_EQ(TextOf(single->hwnd), "");

    ClearEvents();
    SendMessageA(multi->hwnd, WM_CHAR, 'a', 0);
    SendMessageA(multi->hwnd, WM_CHAR, VK_RETURN, 0);
    SendMessageA(multi->hwnd, WM_CHAR, 'b', 0);
    EXPECT_TRUE(EventsOf(WM_CHAR).empty());
    EXPECT_EQ(TextOf(multi->hwnd), "a\r\nb");
}

TEST_F(Controls, ArrowsMoveTheFocusFromASingleLineEditButNotFromAMultiLineOne)
{
    Win* dialog = NewDialog();
    Win* single = NewChild(dialog, GKT_EDIT, 10, 10, 100, 20, 1);
    Win* multi = NewChild(dialog, GKT_MULTIEDIT, 10, 40, 100, 60, 2);
    SetFocus(single->hwnd);
    SendMessageA(single->hwnd, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(GetFocus(), multi->hwnd);
    SendMessageA(multi->hwnd, WM_KEYDOWN, VK_UP, 0);
    EXPECT_EQ(GetFocus(), multi->hwnd);
    SendMessageA(multi->hwnd, WM_KEYDOWN, VK_TAB, 0);
    EXPECT_EQ(GetFocus(), single->hwnd); // Tab wraps
}

TEST_F(Controls, EditSelectsItsTextOnFocusAndTypesTheDecimalCharacter)
{
    Win* dialog = NewDialog();
    Win* edit = NewChild(dialog, GKT_EDIT, 10, 10, 100, 20, 1);
    Win* other = NewChild(dialog, GKT_EDIT, 10, 40, 100, 20, 2);
    Win_SetText(edit->hwnd, "12");
    SetFocus(other->hwnd);
    SetFocus(edit->hwnd);
    DWORD start = 0, end = 0;
    SendMessageA(edit->hwnd, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 2u);

    SendMessageA(edit->hwnd, EM_SETSEL, 2, 2);
    const LPARAM keypad_decimal = 0x53 << 16 | 1;
    SendMessageA(edit->hwnd, WM_CHAR, '.', keypad_decimal); // decimal character 0: a dot
    TheApp()->decimal_char = ',';
    SendMessageA(edit->hwnd, WM_CHAR, '.', keypad_decimal);
    SendMessageA(edit->hwnd, WM_CHAR, '.', 0x34 << 16 | 1); // the main keyboard's dot stays
    TheApp()->decimal_char = 0;
    EXPECT_EQ(TextOf(edit->hwnd), "12.,.");
}

TEST_F(Controls, DeleteClearsTheDropDownListAndNotifiesTheDialog)
{
    Win* dialog = NewDialog();
    Win* combo = NewChild(dialog, GKT_COMBO, 10, 10, 120, 100, 7);
    SendMessageA(combo->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Blé"));
    SendMessageA(combo->hwnd, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Maïs"));
    SendMessageA(combo->hwnd, CB_SETCURSEL, 1, 0);
    ClearEvents();
    SendMessageA(combo->hwnd, WM_KEYDOWN, VK_DELETE, 0);
    SendMessageA(combo->hwnd, WM_KEYUP, VK_DELETE, 0);
    EXPECT_EQ(SendMessageA(combo->hwnd, CB_GETCURSEL, 0, 0), CB_ERR);
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].wparam, 0x10000u);
    EXPECT_EQ(commands[0].lparam, reinterpret_cast<LPARAM>(combo->hwnd));

    // Control characters go to the dialog; Page Down too while the list is closed.
    ClearEvents();
    SendMessageA(combo->hwnd, WM_CHAR, VK_RETURN, 0);
    SendMessageA(combo->hwnd, WM_KEYDOWN, VK_NEXT, 0);
    auto chars = EventsOf(WM_CHAR);
    ASSERT_EQ(chars.size(), 2u);
    EXPECT_EQ(chars[0].wparam, static_cast<WPARAM>(VK_RETURN));
    EXPECT_EQ(chars[1].wparam, static_cast<WPARAM>(GKT_CHAR_PAGEDOWN));
}

TEST_F(Controls, CheckBoxKeysAndClicksChangeItsTextAndNotifyOnce)
{
    Win* dialog = NewDialog();
    Win* box = NewChild(dialog, GKT_CHECKBOX, 10, 10, 20, 20, 8);
    EXPECT_EQ(EventsOf(WM_CREATE).size(), 2u); // the dialog's and the box's
    ClearEvents();
    SendMessageA(box->hwnd, WM_CHAR, 'o', 0);
    EXPECT_EQ(TextOf(box->hwnd), "Y");
    EXPECT_EQ(EventsOf(WM_COMMAND).size(), 1u);
    SendMessageA(box->hwnd, WM_CHAR, 'O', 0); // already checked: no change
    EXPECT_EQ(EventsOf(WM_COMMAND).size(), 1u);
    SendMessageA(box->hwnd, WM_CHAR, 'n', 0);
    EXPECT_EQ(TextOf(box->hwnd), "");
    SendMessageA(box->hwnd, WM_CHAR, ' ', 0);
    EXPECT_EQ(TextOf(box->hwnd), "Y");
    SendMessageA(box->hwnd, WM_CHAR, 'x', 0);
    EXPECT_EQ(TextOf(box->hwnd), "Y");
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 3u);
    EXPECT_EQ(commands[2].wparam, 0x10000u);
    EXPECT_EQ(commands[2].lparam, reinterpret_cast<LPARAM>(box->hwnd));

    SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    EXPECT_EQ(TextOf(box->hwnd), "");
    EXPECT_EQ(GetFocus(), box->hwnd);
    // A text beginning with "O" also reads as checked.
    Win_SetText(box->hwnd, "Oui");
    SendMessageA(box->hwnd, WM_CHAR, ' ', 0);
    EXPECT_EQ(TextOf(box->hwnd), "");
}

TEST_F(Controls, CheckBoxDrawsItsTickInTheFocusColours)
{
    Win* dialog = NewDialog();
    Win* box = NewChild(dialog, GKT_CHECKBOX, 10, 10, 20, 20, 8);
    Win* edit = NewChild(dialog, GKT_EDIT, 10, 40, 100, 20, 9);
    Win_SetText(box->hwnd, "Y");
    SetFocus(edit->hwnd);
    EXPECT_EQ(PixelOf(box->hwnd, 12, 12), GetSysColor(COLOR_WINDOW));
    // The tick passes through (w/2 - 5, h - 9) = (5, 11).
    EXPECT_EQ(PixelOf(box->hwnd, 5, 11), GetSysColor(COLOR_WINDOWTEXT));
    SetFocus(box->hwnd);
    EXPECT_EQ(PixelOf(box->hwnd, 12, 12), GetSysColor(COLOR_HIGHLIGHT));
    EXPECT_EQ(PixelOf(box->hwnd, 5, 11), GetSysColor(COLOR_HIGHLIGHTTEXT));
}

using lysora::testing::ShownPixel;

TEST_F(Controls, DrawnControlsShowANewTextAsSoonAsTheQueueRuns)
{
    Win* dialog = NewDialog();
    Win* box = NewChild(dialog, GKT_CHECKBOX, 10, 10, 20, 20, 8);
    Win* colour = NewChild(dialog, GKT_COLORBOX, 10, 40, 100, 20, 9);
    Win* edit = NewChild(dialog, GKT_EDIT, 10, 70, 100, 20, 10);
    SetFocus(edit->hwnd);
    Win_SetText(colour->hwnd, "r255g0b0");
    Pump();
    ASSERT_EQ(ShownPixel(box->hwnd, 5, 11), GetSysColor(COLOR_WINDOW));
    ASSERT_EQ(ShownPixel(colour->hwnd, 20, 8), RGB(255, 0, 0));

    // What a dialog's LOAD or FLDSET does to the controls of an open dialog.
    Win_SetText(box->hwnd, "Y");
    Win_SetText(colour->hwnd, "r0g0b255");
    Pump();
    EXPECT_EQ(ShownPixel(box->hwnd, 5, 11), GetSysColor(COLOR_WINDOWTEXT)) << "the tick is not drawn";
    EXPECT_EQ(ShownPixel(colour->hwnd, 20, 8), RGB(0, 0, 255)) << "the old colour is still shown";

    Win_SetText(box->hwnd, "");
    Pump();
    EXPECT_EQ(ShownPixel(box->hwnd, 5, 11), GetSysColor(COLOR_WINDOW)) << "the old tick is still shown";
}

TEST_F(Controls, LabelGrowsToItsTextAndKeepsItsPlace)
{
    Win* dialog = NewDialog();
    Win* label = NewChild(dialog, GKT_LABEL, 15, 30, 40, 10, 0);
    const char* text = "Matière première de référence";
    Win_SetText(label->hwnd, text);
    HDC dc = GetDC(label->hwnd);
    HGDIOBJ old = SelectObject(dc, TheApp()->font);
    SIZE size;
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &size);
    SelectObject(dc, old);
    ReleaseDC(label->hwnd, dc);
    RECT r = ChildRect(label->hwnd);
    EXPECT_EQ(r.left, 15);
    EXPECT_EQ(r.top, 30);
    EXPECT_EQ(r.right - r.left, size.cx + 1);
    EXPECT_EQ(r.bottom - r.top, 22);
}

TEST_F(Controls, ColourAnswersComeFromTheRecordOrTheDisabledColour)
{
    Win* dialog = NewDialog();
    Win* edit = NewChild(dialog, GKT_EDIT, 10, 10, 100, 20, 1);
    Win* plain = NewChild(dialog, GKT_EDIT, 10, 40, 100, 20, 2);
    Win* label = NewChild(dialog, GKT_LABEL, 10, 70, 100, 22, 3);
    HDC dc = CreateCompatibleDC(nullptr);
    auto answer = [&](Win* control) {
        return SendMessageA(control->hwnd, GKTM_CTLCOLOR, reinterpret_cast<WPARAM>(dc),
                            reinterpret_cast<LPARAM>(control->hwnd));
    };
    Win_SetColor(edit, RGB(255, 255, 192), RGB(0, 0, 128));
    // The dialog passes the control's answer on.
    EXPECT_EQ(SendMessageA(dialog->hwnd, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(edit->hwnd)),
              reinterpret_cast<LRESULT>(edit->bk_brush));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 128));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 192));
    EXPECT_EQ(answer(plain), 0); // system colours
    EXPECT_EQ(answer(label), 0);

    SetWhiteOnDisable(1);
    HBRUSH grey = SetColorOnDisable(RGB(230, 230, 230));
    SetWhiteOnDisable(0); // nothing changes
    EnableWindow(edit->hwnd, FALSE);
    EnableWindow(plain->hwnd, FALSE);
    EXPECT_EQ(SendMessageA(dialog->hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(plain->hwnd)),
              reinterpret_cast<LRESULT>(grey));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_GRAYTEXT));
    EXPECT_EQ(GetBkColor(dc), RGB(230, 230, 230));
    EXPECT_EQ(answer(edit), reinterpret_cast<LRESULT>(grey)); // disabled wins over the record

    // The label takes its parent's colours when it has none of its own.
    Win_SetColor(dialog, RGB(255, 255, 0), RGB(128, 0, 0));
    EXPECT_EQ(answer(label), reinterpret_cast<LRESULT>(dialog->bk_brush));
    EXPECT_EQ(GetTextColor(dc), RGB(128, 0, 0));
    Win_SetColor(label, RGB(0, 255, 0), RGB(0, 0, 0));
    EXPECT_EQ(answer(label), reinterpret_cast<LRESULT>(label->bk_brush));

    SetWhiteOnDisable(1);
    EXPECT_EQ(SendMessageA(dialog->hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(plain->hwnd)),
              SendMessageA(dialog->hwnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                           reinterpret_cast<LPARAM>(edit->hwnd)));
    EXPECT_EQ(GetBkColor(dc), RGB(255, 255, 255));
    DeleteDC(dc);
}

TEST_F(Controls, OwnerDrawnButtonPaintsItsCommandText)
{
    Win* dialog = NewDialog();
    Win* button = NewWin(GKT_BUTTON, dialog, 10, 10, 100, 30, 50);
    button->style |= WS_VISIBLE | BS_OWNERDRAW;
    Win_SetBkText(button, "R20:10:r255");
    Win_Create(button);
    // The face starts at (2, 2); the raised frame's black right edge is at x = right - 1.
    EXPECT_EQ(PixelOf(button->hwnd, 12, 7), RGB(255, 0, 0));
    EXPECT_EQ(PixelOf(button->hwnd, 99, 15), RGB(0, 0, 0));
    EXPECT_EQ(PixelOf(button->hwnd, 0, 15), GetSysColor(COLOR_BTNHIGHLIGHT));
}

TEST_F(Controls, ControlsFollowTheParentsSize)
{
    Win* dialog = NewDialog(400, 300);
    Win* edit = NewChild(dialog, GKT_EDIT, 10, 10, -10, 20, 1);
    Win* box = NewChild(dialog, GKT_COLORBOX, -110, 40, 100, 20, 2);
    SetWindowPos(dialog->hwnd, nullptr, 0, 0, 520, 300, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    RECT client;
    GetClientRect(dialog->hwnd, &client);
    EXPECT_EQ(ChildRect(edit->hwnd).right, client.right - 10);
    EXPECT_EQ(ChildRect(box->hwnd).left, client.right - 110);
}

TEST_F(Controls, StretchedColourBoxDrawsOverItsWholeWidth)
{
    Win* dialog = NewDialog(400, 300);
    Win* box = NewChild(dialog, GKT_COLORBOX, 10, 10, -10, 20, 2);
    Win_SetText(box->hwnd, "g255");
    SetWindowPos(dialog->hwnd, nullptr, 0, 0, 520, 300, SWP_NOMOVE | SWP_NOZORDER);
    Pump();
    ASSERT_GT(box->w, 400);
    EXPECT_EQ(PixelOf(box->hwnd, box->w - 25, 8), RGB(0, 255, 0));
    EXPECT_EQ(PixelOf(box->hwnd, box->w - 8, 12), RGB(0, 0, 0)); // the arrow at the right end
}

TEST_F(Controls, ColourBoxShowsItsColourAsASwatch)
{
    Win* dialog = NewDialog();
    Win* box = NewChild(dialog, GKT_COLORBOX, 10, 10, 100, 20, 2);
    Win_SetText(box->hwnd, "r255g0b0");
    EXPECT_EQ(PixelOf(box->hwnd, 20, 8), RGB(255, 0, 0));
    Win_SetText(box->hwnd, "w128r127");
    EXPECT_EQ(PixelOf(box->hwnd, 20, 8), RGB(255, 128, 128));
    EXPECT_EQ(PixelOf(box->hwnd, 100 - 8, 12), RGB(0, 0, 0)); // the arrow's base line
}

BOOL CALLBACK FindSystemDialog(HWND hwnd, LPARAM found)
{
    char name[16] = {};
    GetClassNameA(hwnd, name, sizeof name);
    if (lstrcmpA(name, "#32770") != 0 || !IsWindowVisible(hwnd)) return TRUE;
    *reinterpret_cast<HWND*>(found) = hwnd;
    return FALSE;
}

// Confirms the colour dialog as soon as it is open.
void CALLBACK ConfirmColourDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND dialog = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindSystemDialog, reinterpret_cast<LPARAM>(&dialog));
    if (!dialog) return;
    KillTimer(nullptr, timer);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

TEST_F(Controls, ColourDialogRewritesTheTextInComponentForm)
{
    Win* dialog = NewDialog();
    Win* box = NewChild(dialog, GKT_COLORBOX, 10, 10, 100, 20, 2);
    Win_SetText(box->hwnd, "w64b128");
    UINT_PTR timer = SetTimer(nullptr, 0, 100, ConfirmColourDialog);
    ClearEvents();
    SendMessageA(box->hwnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    KillTimer(nullptr, timer);
    EXPECT_EQ(TextOf(box->hwnd), "r64g64b192");
    EXPECT_EQ(GetFocus(), box->hwnd);
    auto commands = EventsOf(WM_COMMAND);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].lparam, reinterpret_cast<LPARAM>(box->hwnd));
}

} // namespace
} // namespace guikit_test

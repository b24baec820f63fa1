// Test helper of the Windows tests that drive another program as its user does: mouse and
// keyboard events put into the system's input (SendInput) at screen positions, so that the
// program's windows find what lies under the pointer, take the focus and the keys as they
// would from a real mouse and keyboard. Also what the user sees there: a window's screen
// rectangle, a rectangle a control reports in the other process's memory, a picture's
// fingerprint. Windows build only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace lysora::test::input {

POINT CentreOf(const RECT& r);
RECT ScreenRect(HWND hwnd);
POINT CentreOf(HWND hwnd);

// A left click (or a double click) at a screen point, with keys such as VK_CONTROL held.
void ClickAt(POINT at, std::initializer_list<WORD> held = {});
void DoubleClickAt(POINT at);
// A left click at the centre of a window.
void Click(HWND hwnd);
// The left button pressed at from, moved to to in steps, released there.
void Drag(POINT from, POINT to);
// Wheel notches with the pointer at a screen point; positive turns towards the user (down).
void Wheel(POINT at, int notches);
// A key pressed and released, with keys such as VK_MENU or VK_SHIFT held.
void Key(WORD vk, std::initializer_list<WORD> held = {});
// Types the text key by key (letters, digits and the punctuation of a path).
void Type(const std::string& text);

// A rectangle a control writes into a RECT whose address goes with the message (such as
// TCM_GETITEMRECT, which the system does not carry between processes), asked in the
// control's own process and mapped to the screen.
RECT RemoteClientRect(HANDLE process, HWND control, UINT msg, WPARAM wparam);
// Where a list box (or a drop-down list's list) shows its line, on the screen.
RECT ListLineRect(HWND list, int line);
// The text of a line of a list box or of a drop-down list, in the program's characters.
std::string LineText(HWND control, int line, bool combo);

// What the screen shows in a rectangle.
struct Picture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels; // rows from the top, 0x00RRGGBB
    std::uint64_t Hash() const;        // changes when the drawing does
    int CountOf(COLORREF colour) const;
};
Picture PictureOf(const RECT& r);

} // namespace lysora::test::input

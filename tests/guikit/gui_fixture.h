// Shared by the Windows tests of guikit32: one application object for the process, a
// recorder in place of every message box, a recording callback for window records, helpers
// that make dialogs and controls, pump the queue and read pixels back. Every window a test
// makes is destroyed and every record freed when the test ends.
#pragma once

#include "guikit/guikit.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace guikit_test {

App* TheApp();

struct Box {
    std::string text, caption;
};

struct Event {
    HWND hwnd;
    UINT msg;
    WPARAM wparam;
    LPARAM lparam;
};

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A record with the recording callback; top-level ones are tracked for clean-up.
    Win* NewWin(int type, Win* parent = nullptr, int x = CW_USEDEFAULT, int y = CW_USEDEFAULT,
                int w = CW_USEDEFAULT, int h = CW_USEDEFAULT, int command = 0);
    // A shown dialog of type 3 with the given window size at (50, 50).
    Win* NewDialog(int w = 400, int h = 300);
    // A visible child created in parent.
    Win* NewChild(Win* parent, int type, int x, int y, int w, int h, int command = 0);

    // Removes and returns the message boxes shown since the last call.
    std::vector<Box> TakeBoxes();
    // Events received by the recording callback with message msg.
    std::vector<Event> EventsOf(UINT msg) const;
    void ClearEvents();

    // Processes every pending message.
    static void Pump();
    // Keyboard state of Shift / Ctrl as GetKeyState reads it.
    static void SetKeyDown(int vk, bool down);
    // Position of a child window in its parent's client area.
    static RECT ChildRect(HWND child);
    // Colour of a pixel of the window's client area, after painting what is pending.
    static COLORREF PixelOf(HWND hwnd, int x, int y);

    std::vector<Win*> records_;
};

// Answer of the recording callback to GKTM_CANCLOSE (nonzero refuses).
extern LRESULT g_refuse_close;
// Called by the recording callback after it recorded an event; reset after every test.
extern void (*g_event_hook)(const Event&);

} // namespace guikit_test

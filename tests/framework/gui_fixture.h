// What every in-process window test of the framework shares: the application object,
// a recorder in place of message boxes (the framework's and the engine's), and a pump for
// the posted messages. No box is ever shown, so no test waits on one.
#pragma once

#include "tests/support/message_recorder.h"

#include "base/messages.h"
#include "framework/dlg.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lysora::testing {

using Box = ShownMessage;
using BoxRecorder = MessageRecorder;

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Dispatches every message waiting in the queue.
    static void Pump();
    // Pumps for about ms milliseconds (timers).
    static void PumpFor(int ms);
    // The texts of the recorded boxes, in order.
    std::vector<std::string> Texts() const;

    BoxRecorder boxes;
};

template <class T>
BOOL CALLBACK CollectDialog(HWND hwnd, LPARAM list)
{
    if (auto* dialog = dynamic_cast<T*>(WIN::FromHandle(hwnd)); dialog && IsWindow(hwnd))
        reinterpret_cast<std::vector<T*>*>(list)->push_back(dialog);
    return TRUE;
}

// Every top-level window of the thread that a framework object of class T owns.
template <class T>
std::vector<T*> OpenDialogs()
{
    std::vector<T*> found;
    EnumThreadWindows(GetCurrentThreadId(), &CollectDialog<T>, reinterpret_cast<LPARAM>(&found));
    return found;
}

// The window of a dialog element, null when it has none.
HWND ElementWindow(const DLG& dialog, const char* sym);

} // namespace lysora::testing

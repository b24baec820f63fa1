// Test helpers of the Windows tests: run the messages waiting in the queue, and a window's
// outer size.
#pragma once

#include <windows.h>

namespace lysora::testing {

inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

inline SIZE WindowSize(HWND hwnd)
{
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

} // namespace lysora::testing

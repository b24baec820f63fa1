// Input as the user gives it, for the Windows tests: key presses and mouse clicks injected
// through SendInput, so that they reach whatever window has the focus or lies under the
// pointer, as real input does (not a message sent to a chosen window). Each call lets the
// windows handle what it injected before it returns.
#pragma once

#include "tests/support/window_queue.h"

#include <windows.h>

#include <initializer_list>
#include <string_view>
#include <vector>

namespace lysora::testing {

// Presses and releases vk, with the modifier keys (VK_MENU, VK_CONTROL, VK_SHIFT) held down.
inline void PressKey(WORD vk, std::initializer_list<WORD> modifiers = {})
{
    std::vector<INPUT> inputs;
    auto key = [&](WORD code, bool up) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = code;
        input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        inputs.push_back(input);
    };
    for (WORD modifier : modifiers)
        key(modifier, false);
    key(vk, false);
    key(vk, true);
    for (auto it = modifiers.end(); it != modifiers.begin();)
        key(*--it, true);
    SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT));
    Pump();
}

// Types text into the focused window, character by character.
inline void TypeText(std::string_view text)
{
    for (char c : text) {
        const SHORT mapped = VkKeyScanA(c);
        if (mapped == -1)
            continue;
        if (HIBYTE(mapped) & 1)
            PressKey(LOBYTE(mapped), {VK_SHIFT});
        else
            PressKey(LOBYTE(mapped));
    }
}

// A left click at the centre of a window, where the screen shows it.
inline void ClickWindow(HWND hwnd)
{
    RECT rect{};
    GetWindowRect(hwnd, &rect);
    const int x = (rect.left + rect.right) / 2, y = (rect.top + rect.bottom) / 2;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT inputs[3]{};
    for (INPUT& input : inputs) {
        input.type = INPUT_MOUSE;
        input.mi.dx = LONG((x * 65535LL) / (w - 1));
        input.mi.dy = LONG((y * 65535LL) / (h - 1));
    }
    inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    inputs[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, inputs, sizeof(INPUT));
    Pump();
}

} // namespace lysora::testing

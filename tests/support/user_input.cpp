// Input as the user gives it (see user_input.h).
#include "tests/support/user_input.h"

#include <vector>

namespace lysora::test::input {
namespace {

constexpr DWORD kSettleMs = 60; // lets the program take each event before the next

void Send(std::vector<INPUT> events)
{
    SendInput(UINT(events.size()), events.data(), sizeof(INPUT));
    Sleep(kSettleMs);
}

INPUT KeyEvent(WORD vk, bool up)
{
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = WORD(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

INPUT MouseEvent(DWORD flags, POINT at = {}, DWORD data = 0)
{
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    if (flags & MOUSEEVENTF_ABSOLUTE) {
        in.mi.dx = LONG(at.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1));
        in.mi.dy = LONG(at.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1));
    }
    return in;
}

void MoveTo(POINT at) { Send({MouseEvent(MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, at)}); }

void Held(std::initializer_list<WORD> held, bool up)
{
    for (WORD vk : held)
        Send({KeyEvent(vk, up)});
}

} // namespace

POINT CentreOf(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

RECT ScreenRect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    return r;
}

POINT CentreOf(HWND hwnd) { return CentreOf(ScreenRect(hwnd)); }

void ClickAt(POINT at, std::initializer_list<WORD> held)
{
    MoveTo(at);
    Held(held, false);
    Send({MouseEvent(MOUSEEVENTF_LEFTDOWN)});
    Send({MouseEvent(MOUSEEVENTF_LEFTUP)});
    Held(held, true);
}

void DoubleClickAt(POINT at)
{
    MoveTo(at);
    Send({MouseEvent(MOUSEEVENTF_LEFTDOWN), MouseEvent(MOUSEEVENTF_LEFTUP), MouseEvent(MOUSEEVENTF_LEFTDOWN),
          MouseEvent(MOUSEEVENTF_LEFTUP)});
}

void Click(HWND hwnd) { ClickAt(CentreOf(hwnd)); }

void Drag(POINT from, POINT to)
{
    MoveTo(from);
    Send({MouseEvent(MOUSEEVENTF_LEFTDOWN)});
    constexpr int kSteps = 5;
    for (int i = 1; i <= kSteps; ++i)
        MoveTo({from.x + (to.x - from.x) * i / kSteps, from.y + (to.y - from.y) * i / kSteps});
    Send({MouseEvent(MOUSEEVENTF_LEFTUP)});
}

void Wheel(POINT at, int notches)
{
    MoveTo(at);
    Send({MouseEvent(MOUSEEVENTF_WHEEL, {}, DWORD(-notches * WHEEL_DELTA))});
}

void Key(WORD vk, std::initializer_list<WORD> held)
{
    Held(held, false);
    Send({KeyEvent(vk, false), KeyEvent(vk, true)});
    Held(held, true);
}

void Type(const std::string& text)
{
    for (char c : text) {
        const SHORT key = VkKeyScanA(c);
        if (key == -1)
            continue;
        if (key & 0x100)
            Key(WORD(key & 0xFF), {VK_SHIFT});
        else
            Key(WORD(key & 0xFF));
    }
}

RECT RemoteClientRect(HANDLE process, HWND control, UINT msg, WPARAM wparam)
{
    RECT r{};
    void* remote = VirtualAllocEx(process, nullptr, sizeof r, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote)
        return r;
    SendMessageA(control, msg, wparam, reinterpret_cast<LPARAM>(remote));
    ReadProcessMemory(process, remote, &r, sizeof r, nullptr);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    MapWindowPoints(control, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT ListLineRect(HWND list, int line)
{
    const int height = int(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    const int top = int(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
    RECT r{};
    GetClientRect(list, &r);
    r.top = (line - top) * height;
    r.bottom = r.top + height;
    MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::string LineText(HWND control, int line, bool combo)
{
    // Asked in wide characters, which the system carries between processes whole.
    wchar_t wide[512] = {};
    SendMessageW(control, combo ? CB_GETLBTEXT : LB_GETTEXT, WPARAM(line), reinterpret_cast<LPARAM>(wide));
    char text[512] = {};
    WideCharToMultiByte(1252, 0, wide, -1, text, sizeof text, nullptr, nullptr);
    return text;
}

Picture PictureOf(const RECT& r)
{
    Picture picture{r.right - r.left, r.bottom - r.top, {}};
    if (picture.width <= 0 || picture.height <= 0)
        return picture;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), picture.width, -picture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    BitBlt(dc, 0, 0, picture.width, picture.height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const auto* first = static_cast<const std::uint32_t*>(bits);
    picture.pixels.assign(first, first + std::size_t(picture.width) * std::size_t(picture.height));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return picture;
}

std::uint64_t Picture::Hash() const
{
    std::uint64_t hash = 1469598103934665603ULL;
    for (std::uint32_t pixel : pixels)
        hash = (hash ^ (pixel & 0xFFFFFF)) * 1099511628211ULL;
    return hash;
}

int Picture::CountOf(COLORREF colour) const
{
    // The DIB holds blue, green, red from the low byte up.
    const std::uint32_t wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    int count = 0;
    for (std::uint32_t pixel : pixels)
        count += (pixel & 0xFFFFFF) == wanted;
    return count;
}

} // namespace lysora::test::input

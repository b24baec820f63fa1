// Lysora.exe entry point. Proves at start that guikit32.dll is there and answers, then
// shows the main window until the user closes it.
#include <windows.h>

#include "guikit/guikit.h"

namespace {

LRESULT CALLBACK MainProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(wnd, &ps);
        RECT rc;
        GetClientRect(wnd, &rc);
        DrawTextA(dc, "Lysora - amino acids and ileal digestibility of pig feedstuffs", -1, &rc,
                  DT_CENTER | DT_VCENTER | DT_SINGLELINE);
        EndPaint(wnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(wnd, msg, wp, lp);
}

} // namespace

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int show)
{
    if (Test() != 999) {
        MessageBoxA(nullptr, "guikit32.dll ne répond pas", "Erreur", MB_ICONSTOP);
        return 1;
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = MainProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "LysoraMain";
    RegisterClassA(&wc);
    HWND wnd = CreateWindowA("LysoraMain", "Lysora", WS_OVERLAPPEDWINDOW, 40, 40, 640, 400,
                             nullptr, nullptr, inst, nullptr);
    ShowWindow(wnd, show);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// DOEVENTS (see doevents_win32.h).
#include "base/doevents_win32.h"

#include <windows.h>

namespace lysora {

void DOEVENTS()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // The program is ending: the quit goes back for the main loop, which ends on it.
            PostQuitMessage(int(msg.wParam));
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace lysora

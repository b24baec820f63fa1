// DOEVENTS (see doevents_win32.h).
#include "base/doevents_win32.h"

#include <windows.h>

namespace lysora {

void DOEVENTS()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace lysora

// The screen's colour depth from the desktop's device context.
#include "services/screen.h"

#include <windows.h>

namespace lysora {

int NBBPP()
{
    HDC dc = GetDC(nullptr);
    if (!dc)
        return 0;
    int bits = GetDeviceCaps(dc, BITSPIXEL);
    ReleaseDC(nullptr, dc);
    return bits;
}

} // namespace lysora

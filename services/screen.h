// The screen's colour depth (Windows build only: the host has no screen).
#pragma once

namespace lysora {

// Bits per pixel of the screen (BITSPIXEL of the desktop's device context).
int NBBPP();

} // namespace lysora

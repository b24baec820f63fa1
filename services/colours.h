// The program-wide colours, chosen by the screen's depth: the accent behind the comparison
// dialogs, the light header colour of the graphs, and a solid brush of it for the grids'
// header cells, chosen on first use. The choice by depth is portable; the colours and the
// brush themselves exist in the Windows build only.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace lysora {

struct Rgb {
    std::uint8_t red = 0, green = 0, blue = 0;
    bool operator==(const Rgb&) const = default;
};

// The accent colour (background of the comparison dialogs) and the light header colour
// (grid headers, graph drawings) for a screen depth. On an 8-bit screen the accent is
// palette-relative, so that it maps to the nearest colour of the realised palette.
struct StartColours {
    Rgb accent;
    bool accentPaletteRelative = false;
    Rgb header;
};
StartColours ColoursForDepth(int bitsPerPixel);

#ifdef _WIN32
// Chooses the colours again for the current screen depth (at start); the brush is made
// once.
void ChooseProgramColours();
// Deletes the brush (at the program's end, once nothing paints with it).
void ReleaseProgramColours();

COLORREF COULEURACCENT(); // background of the comparison dialogs
COLORREF COULEURENTETE(); // light header colour of the graphs
HBRUSH BROSSEENTETE();    // solid brush of the header colour: the grid's header cells
#endif

} // namespace lysora

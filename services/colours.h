// The program-wide colours, chosen by the screen's depth: the accent behind the comparison
// dialogs, the light header colour of the graphs, and a solid brush of it for the grids'
// header cells, chosen on first use. Windows build only; the choice by depth is
// ColoursForDepth (program.h).
#pragma once

#include <windows.h>

namespace lysora {

// Chooses the colours again for the current screen depth (at start); the brush is made
// once.
void ChooseProgramColours();
// Deletes the brush (at the program's end, once nothing paints with it).
void ReleaseProgramColours();

COLORREF COULEURACCENT(); // background of the comparison dialogs
COLORREF COULEURENTETE(); // light header colour of the graphs
HBRUSH BROSSEENTETE();    // solid brush of the header colour: the grid's header cells

} // namespace lysora

// What every view takes from the program's start: the program-wide colours by screen depth,
// the header brush on the grids and the preview's button texts in the current language.
// START sets them first; programs that show the views without START (test and sample
// tools) call the same. Windows build only.
#pragma once

namespace lysora {

void SETCOULEURS();

} // namespace lysora

// START: the program's spine from process start to the end of the message loop. It sets the
// program-wide values (colours by screen depth and the header brush through SETCOULEURS, the
// program icon, the number, collation, date and directory settings), reads the language,
// shows the intro and runs the GUI engine's message loop; when the loop ends it deletes the
// header brush. Windows build only.
#pragma once

#include "framework/win.h"

#include <string>
#include <string_view>

namespace lysora {

// Runs the program: returns when the message loop has ended (or at once when the language
// in the settings file is invalid, after its message). The GUI engine's application object
// exists and the program's module is registered for bitmap lookup before the call.
void START();

// Loads the icon resource of that name from the program's module into the program icon.
void SETICON(std::string_view name);

// The program icon START sets, for every window. The colours are in colours.h.
HICON ICONEPROGRAMME();
// The full path of a picture file shipped beside the program: named so, it is found
// whatever the working directory.
std::string FICHIERIMAGE(std::string_view file);

} // namespace lysora

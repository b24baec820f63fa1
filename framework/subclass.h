// Fields that paint or click differently from their engine control replace its window
// procedure. The replaced procedure is kept in a window property, so it stays with the
// window: its last messages, after the field object let go of it, still reach it.
#pragma once

#include "framework/winapi.h"

namespace lysora {

// Installs proc on hwnd (once) and lets the window's class report double clicks.
void SubclassControl(HWND hwnd, const char* property, WNDPROC proc);
// Installs proc on hwnd (once), leaving its class as it is.
void SubclassWindow(HWND hwnd, const char* property, WNDPROC proc);
// The procedure proc replaced, for passing msg on; the property goes with WM_NCDESTROY.
// Null when the window was never subclassed.
WNDPROC ReplacedProcedure(HWND hwnd, UINT msg, const char* property);

} // namespace lysora

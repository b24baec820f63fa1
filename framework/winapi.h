// The one place where the framework includes the Windows headers. They define macros named
// like the system's own methods (ERROR, DELETE, TRANSPARENT); the framework never uses those
// macros, so they are undone here, once, before any framework class is declared.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>

#include "guikit/guikit.h"

#undef ERROR
#undef DELETE
#undef TRANSPARENT
#undef OUT // the page layout's OUT

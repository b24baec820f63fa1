// The library's load check.
#include "guikit/guikit.h"

GUIKIT_API int __stdcall Test(void) { return 999; }

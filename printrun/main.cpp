// PrintRun.exe entry point: the print program started by Lysora on a spool file.
#include <windows.h>

#include "guikit/guikit.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return Test() == 999 ? 0 : 1;
}

// PrintRun.exe entry point: the print program started by Lysora on a spool file.
#include "printrun/printrun.h"

#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return lysora::printrun::Run(GetCommandLineA());
}

// setup.exe: the launcher on the distribution medium. It makes sure the installer's
// settings file "Vor.ini" names a scratch directory, starts "_setup.exe" beside it and
// ends at once. No window, no messages, exit code 0 whatever happens: the installer
// reports its own problems.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // A bare file name: the profile functions look in the system's Windows directory.
    static const char kProfile[] = "Vor.ini";
    static const char kSection[] = "CA_APPS";
    static const char kKey[] = "PATH";

    char path[30];
    GetPrivateProfileStringA(kSection, kKey, "", path, sizeof path, kProfile);
    if (path[0] == '\0')
        WritePrivateProfileStringA(kSection, kKey, "C:\\TEMP", kProfile);

    WinExec("_setup.exe", SW_SHOW);
    return 0;
}

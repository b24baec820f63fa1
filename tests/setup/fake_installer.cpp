// Stands in for "_setup.exe": writes "installer-started" in its own folder and ends.
#include <windows.h>

#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = std::strrchr(path, '\\');
    if (n == 0 || !slash)
        return 1;
    std::strcpy(slash + 1, "installer-started");
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return 1;
    // Record the show state the launcher asked for.
    char text[16];
    int len = wsprintfA(text, "%d", show);
    DWORD written;
    WriteFile(f, text, len, &written, nullptr);
    CloseHandle(f);
    return 0;
}

// Shared by the tests of the distribution medium (the launcher and the installer): files of
// the build, processes started and waited for, windows of another process found by their
// class and caption. Windows build only.
#pragma once

#include <windows.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

namespace lysora::test {

// The folder of the running test program (the build's bin\), with a trailing backslash.
inline std::string ModuleFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1);
}

// The build's distribution medium: setup.exe, _setup.exe, README.txt.
inline std::string MediumFolder() { return ModuleFolder() + "..\\medium\\"; }

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

inline bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A program may still be ending after it let go of its window: retry until the file is free.
inline void RemoveWhenFree(const std::string& path)
{
    for (int i = 0; i < 100 && Exists(path) && !DeleteFileA(path.c_str()); ++i)
        Sleep(50);
}

// Starts a command line; the process, or null handles when it could not start.
inline PROCESS_INFORMATION StartProcess(std::string commandLine)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return {};
    CloseHandle(pi.hThread);
    pi.hThread = nullptr;
    return pi;
}

// Runs a command line to its end and returns its exit code; 0xFFFFFFFF when it could not
// start or overran the limit (then it is killed).
inline DWORD RunToEnd(const std::string& commandLine, DWORD limitMs = 60000)
{
    PROCESS_INFORMATION pi = StartProcess(commandLine);
    if (!pi.hProcess)
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFF;
    if (WaitForSingleObject(pi.hProcess, limitMs) == WAIT_OBJECT_0)
        GetExitCodeProcess(pi.hProcess, &code);
    else
        TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hProcess);
    return code;
}

inline std::string ClassOf(HWND hwnd)
{
    char name[256] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

inline std::string TextOf(HWND hwnd)
{
    char text[256] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

struct WindowSearch {
    const std::function<bool(HWND)>* wanted;
    HWND found;
};

// EnumWindows callback (a named stdcall function: a lambda does not convert on 32-bit).
inline BOOL CALLBACK MatchWindow(HWND hwnd, LPARAM data)
{
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == GetCurrentProcessId() || !IsWindowVisible(hwnd) || !(*search->wanted)(hwnd))
        return TRUE;
    search->found = hwnd;
    return FALSE;
}

// A visible top-level window of another process that matches, polled for up to limitMs.
inline HWND WaitForWindow(const std::function<bool(HWND)>& wanted, DWORD limitMs = 20000)
{
    for (DWORD waited = 0; waited <= limitMs; waited += 100) {
        WindowSearch search{&wanted, nullptr};
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found)
            return search.found;
        Sleep(100);
    }
    return nullptr;
}

// Ends the process that owns a window (a window left open would keep the test's display busy).
inline void KillOwnerOf(HWND hwnd)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process)
        return;
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

} // namespace lysora::test

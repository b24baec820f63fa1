// ShowHelp and the system's help launcher (see help_win32.h).
#include "services/help_win32.h"

#include "base/messages.h"
#include "services/help.h"
#include "services/strings.h"

#include <shellapi.h>

namespace lysora {
namespace {

bool IsFile(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

class SystemHelpLauncher final : public HelpLauncher {
public:
    bool WinHelp(HWND owner, const std::string& hlpFile, unsigned command, unsigned long data) override
    {
        // Without the viewer WinHelpA still "succeeds" on some systems and shows nothing,
        // so look for it first: winhlp32.exe in the Windows folder.
        char windows[MAX_PATH] = {};
        const UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
        if (length == 0 || length >= MAX_PATH || !IsFile(std::string(windows) + "\\winhlp32.exe") || !IsFile(hlpFile))
            return false;
        return WinHelpA(owner, hlpFile.c_str(), command, data) != FALSE;
    }

    bool OpenPage(HWND owner, const std::string& page) override
    {
        if (!IsFile(page))
            return false;
        // ShellExecuteA answers a value above 32 when the browser was started.
        const HINSTANCE result = ShellExecuteA(owner, "open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) > 32;
    }
};

SystemHelpLauncher gSystemLauncher;
HelpLauncher* gLauncher = &gSystemLauncher;

} // namespace

HelpLauncher* SetHelpLauncher(HelpLauncher* launcher)
{
    HelpLauncher* previous = gLauncher;
    gLauncher = launcher ? launcher : &gSystemLauncher;
    return previous;
}

void ShowHelp(HWND owner, const std::string& hlpFile, unsigned command, unsigned long data)
{
    if (gLauncher->WinHelp(owner, hlpFile, command, data))
        return;
    const std::string page = HelpPagePath(hlpFile, command, data);
    if (!page.empty() && gLauncher->OpenPage(owner, page))
        return;
    ShowMessage(LIB(Symbol("ERREURAIDE")) + "\n" + (page.empty() ? hlpFile : page), LIB(Symbol("ERREUR")),
                kMbIconStop);
}

} // namespace lysora

// PrintRun as a second process (see printrun_runner.h).
#include "tests/print/printrun_runner.h"

#include <algorithm>

namespace lysora::testing {
namespace {

// Control identifiers of the system's print dialog: the printer list, the page-range
// button and its two edits.
constexpr int kPrinterList = 0x0473;
constexpr int kPageRangeButton = 0x0422;
constexpr int kFromEdit = 0x0480;
constexpr int kToEdit = 0x0481;

struct Search {
    DWORD process;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectDialogs(HWND hwnd, LPARAM lparam)
{
    auto* search = reinterpret_cast<Search*>(lparam);
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    char cls[64] = "";
    GetClassNameA(hwnd, cls, sizeof cls);
    if (process == search->process && IsWindowVisible(hwnd) && std::string(cls) == "#32770")
        search->found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK LongestStatic(HWND child, LPARAM lparam)
{
    auto* text = reinterpret_cast<std::string*>(lparam);
    char cls[32] = "", buffer[1024] = "";
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0) {
        GetWindowTextA(child, buffer, sizeof buffer);
        if (std::string(buffer).size() > text->size())
            *text = buffer;
    }
    return TRUE;
}

SeenDialog Describe(HWND dialog)
{
    SeenDialog seen;
    char caption[256] = "";
    GetWindowTextA(dialog, caption, sizeof caption);
    seen.caption = caption;
    seen.printDialog = GetDlgItem(dialog, kFromEdit) != nullptr;
    if (!seen.printDialog)
        EnumChildWindows(dialog, LongestStatic, reinterpret_cast<LPARAM>(&seen.text));
    return seen;
}

void DefaultAnswer(HWND dialog, const SeenDialog& seen)
{
    PostMessageA(dialog, WM_COMMAND, seen.printDialog ? IDCANCEL : IDOK, 0);
}

} // namespace

PrintRunResult RunPrintRun(const std::string& arguments, const DialogHandler& handler, DWORD timeoutMs)
{
    PrintRunResult result;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string line = "PrintRun.exe " + arguments;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return result;
    CloseHandle(info.hThread);
    std::vector<HWND> answered;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(info.hProcess, 50) == WAIT_TIMEOUT) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
        if (GetTickCount() - start > timeoutMs) {
            result.timedOut = true;
            TerminateProcess(info.hProcess, 99);
            WaitForSingleObject(info.hProcess, 5000);
            break;
        }
        Search search{info.dwProcessId, {}};
        EnumWindows(CollectDialogs, reinterpret_cast<LPARAM>(&search));
        for (HWND dialog : search.found) {
            if (std::find(answered.begin(), answered.end(), dialog) != answered.end())
                continue;
            Sleep(100); // let the dialog finish its initialisation
            answered.push_back(dialog);
            SeenDialog seen = Describe(dialog);
            result.dialogs.push_back(seen);
            (handler ? handler : DialogHandler(DefaultAnswer))(dialog, seen);
        }
    }
    GetExitCodeProcess(info.hProcess, &result.exitCode);
    CloseHandle(info.hProcess);
    return result;
}

void AnswerPrintDialog(int from, int to, const bool* done)
{
    const DWORD start = GetTickCount();
    while (!*done && GetTickCount() - start < 60000) {
        HWND dialog = nullptr;
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            char cls[16] = "";
            GetClassNameA(w, cls, sizeof cls);
            if (owner != GetCurrentProcessId() && IsWindowVisible(w) && std::string(cls) == "#32770" &&
                GetDlgItem(w, 0x0480)) {
                dialog = w;
                break;
            }
        }
        if (dialog) {
            Sleep(200);
            ChoosePagesAndPrint(dialog, from, to);
            return;
        }
        Sleep(50);
    }
}

void ChoosePagesAndPrint(HWND printDialog, int from, int to, const std::string& printer)
{
    if (!printer.empty()) {
        HWND list = GetDlgItem(printDialog, kPrinterList);
        SendMessageA(list, CB_SELECTSTRING, WPARAM(-1), reinterpret_cast<LPARAM>(printer.c_str()));
        SendMessageA(printDialog, WM_COMMAND, MAKEWPARAM(kPrinterList, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
    }
    SendMessageA(GetDlgItem(printDialog, kPageRangeButton), BM_CLICK, 0, 0);
    SetDlgItemInt(printDialog, kFromEdit, UINT(from), FALSE);
    SetDlgItemInt(printDialog, kToEdit, UINT(to), FALSE);
    PostMessageA(printDialog, WM_COMMAND, IDOK, 0);
}

} // namespace lysora::testing

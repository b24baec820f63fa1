// ProgramCopy (see program_runner.h).
#include "program_runner.h"

#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>

namespace lysora::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kBoxClass = "#32770";
constexpr int kBoxTextId = 0xFFFF; // the static text of a message box
constexpr auto kPollStep = 50ms;

// The files a copy of the program needs beside it, from the build's bin/ folder (the test's
// working directory).
bool IsShipped(const fs::path& file)
{
    const std::string name = file.filename().string();
    const std::string ext = file.extension().string();
    return name == "Lysora.exe" || name == "guikit32.dll" || ext == ".dbf" || ext == ".cdx" || ext == ".bmp";
}

fs::path UniqueRoot()
{
    static std::atomic<int> counter{0};
    return fs::temp_directory_path() /
           ("lysora_copy_" + std::to_string(GetCurrentProcessId()) + "_" + std::to_string(counter++));
}

struct TopLevelSearch {
    DWORD pid;
    bool boxes;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM data)
{
    auto& search = *reinterpret_cast<TopLevelSearch*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search.pid && IsWindowVisible(hwnd) && (ProgramCopy::ClassOf(hwnd) == kBoxClass) == search.boxes)
        search.found.push_back(hwnd);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND hwnd, LPARAM data)
{
    reinterpret_cast<std::vector<HWND>*>(data)->push_back(hwnd);
    return TRUE;
}

} // namespace

bool Eventually(const std::function<bool()>& holds, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!holds()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(kPollStep);
    }
    return true;
}

ProgramCopy::ProgramCopy(const std::string& folder) : root_(UniqueRoot()), dir_(root_ / folder)
{
    fs::remove_all(root_);
    fs::create_directories(dir_);
    for (const fs::directory_entry& entry : fs::directory_iterator(fs::current_path()))
        if (entry.is_regular_file() && IsShipped(entry.path()))
            fs::copy_file(entry.path(), dir_ / entry.path().filename());
}

ProgramCopy::~ProgramCopy()
{
    if (process_.hProcess) {
        if (Running()) {
            TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 5000);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void ProgramCopy::WriteLanguage(const std::string& value) const
{
    WritePrivateProfileStringA("Params", "Langue", value.c_str(), PathOf("Lysora.ini").c_str());
}

std::optional<std::string> ProgramCopy::SettingsBytes() const
{
    std::ifstream in(PathOf("Lysora.ini"), std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string ProgramCopy::ReadLanguage() const
{
    char value[64] = {};
    GetPrivateProfileStringA("Params", "Langue", "", value, sizeof value, PathOf("Lysora.ini").c_str());
    return value;
}

bool ProgramCopy::Start()
{
    std::string commandLine = "\"" + PathOf("Lysora.exe") + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    return CreateProcessA(PathOf("Lysora.exe").c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          dir_.string().c_str(), &startup, &process_) != FALSE;
}

bool ProgramCopy::Running() const
{
    return process_.hProcess && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> ProgramCopy::WaitExit(std::chrono::milliseconds limit)
{
    if (!process_.hProcess)
        return std::nullopt;
    if (WaitForSingleObject(process_.hProcess, DWORD(limit.count())) != WAIT_OBJECT_0) {
        TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 5000);
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

std::vector<HWND> ProgramCopy::TopLevel(bool boxes) const
{
    TopLevelSearch search{process_.dwProcessId, boxes, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::vector<HWND> ProgramCopy::Windows() const { return TopLevel(false); }

std::optional<BoxSeen> ProgramCopy::TakeBox(int answer)
{
    std::vector<HWND> boxes = TopLevel(true);
    if (boxes.empty())
        return std::nullopt;
    HWND box = boxes.front();
    BoxSeen seen{Text(box), Text(GetDlgItem(box, kBoxTextId))};
    // Answered as the user would with that button, then gone before the next look.
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
    for (int i = 0; i < 100 && IsWindow(box) && IsWindowVisible(box); ++i)
        std::this_thread::sleep_for(kPollStep);
    return seen;
}

std::optional<BoxSeen> ProgramCopy::WaitBox(std::chrono::milliseconds limit, int answer)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        if (!Windows().empty())
            showedWindow_ = true;
        if (std::optional<BoxSeen> box = TakeBox(answer))
            return box;
        if (!Running())
            return TakeBox(answer);
        std::this_thread::sleep_for(kPollStep);
    } while (std::chrono::steady_clock::now() < end);
    return std::nullopt;
}

HWND ProgramCopy::WaitDialogBox(std::chrono::milliseconds limit) const
{
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        if (std::vector<HWND> boxes = TopLevel(true); !boxes.empty())
            return boxes.front();
        std::this_thread::sleep_for(kPollStep);
    } while (Running() && std::chrono::steady_clock::now() < end);
    return nullptr;
}

HWND ProgramCopy::WaitWindow(const std::function<bool(HWND)>& wanted, std::chrono::milliseconds limit)
{
    const auto end = std::chrono::steady_clock::now() + limit;
    do {
        for (HWND hwnd : Windows()) {
            showedWindow_ = true;
            if (wanted(hwnd))
                return hwnd;
        }
        if (std::optional<BoxSeen> box = TakeBox())
            meanwhile_.push_back(*box);
        else if (!Running())
            return nullptr;
        std::this_thread::sleep_for(kPollStep);
    } while (std::chrono::steady_clock::now() < end);
    return nullptr;
}

HWND ProgramCopy::Focus() const
{
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(process_.dwThreadId, &info) ? info.hwndFocus : nullptr;
}

std::string ProgramCopy::Text(HWND hwnd)
{
    if (!hwnd)
        return {};
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string ProgramCopy::ClassOf(HWND hwnd)
{
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::vector<HWND> ProgramCopy::Children(HWND parent)
{
    std::vector<HWND> children;
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND ProgramCopy::ChildWithText(HWND parent, const std::string& text)
{
    for (HWND child : Children(parent))
        if (Text(child) == text)
            return child;
    return nullptr;
}

std::string ProgramCopy::Shown() const
{
    std::string shown = "on screen:";
    for (bool boxes : {false, true})
        for (HWND window : TopLevel(boxes))
            shown += " [" + Text(window) + "]";
    shown += "; boxes closed meanwhile:";
    for (const BoxSeen& box : meanwhile_)
        shown += " [" + box.caption + ": " + box.text + "]";
    return shown;
}

void ProgramCopy::Click(HWND button)
{
    PostMessageA(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

} // namespace lysora::test

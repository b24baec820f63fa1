// The build's real installer, _setup.exe from its distribution medium, run silently into
// scratch folders as an administrator deploying Lysora would: what it installs, the program
// it installs starting, the uninstaller, and an upgrade over an earlier installation. The
// installation is per user, so every test first clears what an earlier run may have left in
// this user's registry and Start menu.
#include "medium_test_support.h"

#include <shlobj.h>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace lysora::test {
namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Lysora";
const char kSettings[] = "[Params]\r\nLangue=FRA\r\nMat=12\r\nListeMat=3,7\r\n";

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

std::string MenuFolder() { return ShellFolder(CSIDL_PROGRAMS) + "\\Lysora"; }

// A value of the uninstall entry; nothing when the key or the value is missing.
std::string UninstallValue(const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char value[MAX_PATH] = "";
    DWORD size = sizeof value - 1;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? value : "<no value>";
}

bool UninstallKeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The names of the files the installer ships, as the build listed them.
std::vector<std::string> ShippedNames()
{
    std::istringstream lines(ReadFile(ModuleFolder() + "..\\installer\\shipped.txt"));
    std::vector<std::string> names;
    for (std::string name; std::getline(lines, name);)
        if (!name.empty())
            names.push_back(name);
    return names;
}

std::set<std::string> FolderContents(const std::string& folder)
{
    std::set<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.insert(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return names;
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override
    {
        ForgetInstallation();
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        static int serial = 0;
        scratch_ = std::string(tmp) + "lysora-installer-" + std::to_string(GetCurrentProcessId()) + "-" +
                   std::to_string(++serial);
        CreateDirectoryA(scratch_.c_str(), nullptr);
        // A space in the path, as in most users' folders.
        dir_ = scratch_ + "\\My Lysora";
        ASSERT_TRUE(Exists(MediumFolder() + "_setup.exe")) << "the build made no installer";
        shipped_ = ShippedNames();
        ASSERT_FALSE(shipped_.empty());
    }

    void TearDown() override
    {
        if (Exists(Dir("Uninstall.exe")))
            UninstallAndWait();
        ForgetInstallation();
        DeleteTree(scratch_);
    }

    // What an earlier, interrupted run may have left for this user.
    static void ForgetInstallation()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, kUninstallKey);
        DeleteTree(MenuFolder());
    }

    static void DeleteTree(const std::string& folder)
    {
        for (const std::string& name : FolderContents(folder)) {
            std::string path = folder + "\\" + name;
            if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(path);
            else
                RemoveWhenFree(path);
        }
        RemoveDirectoryA(folder.c_str());
    }

    std::string Dir(const std::string& name) const { return dir_ + "\\" + name; }

    // The installer run silently; /D must come last and without quotes.
    static std::string InstallerCommand() { return "\"" + MediumFolder() + "_setup.exe\""; }
    DWORD Install(const std::string& folder) { return RunToEnd(InstallerCommand() + " /S /D=" + folder); }
    DWORD InstallWhereItWasBefore() { return RunToEnd(InstallerCommand() + " /S"); }

    // The uninstaller copies itself away and returns at once: wait until its work is done,
    // the entry gone being its last step.
    void UninstallAndWait()
    {
        ASSERT_EQ(RunToEnd("\"" + Dir("Uninstall.exe") + "\" /S"), 0u);
        for (int i = 0; i < 300 && (UninstallKeyExists() || Exists(Dir("Uninstall.exe"))); ++i)
            Sleep(100);
        ASSERT_FALSE(UninstallKeyExists()) << "the uninstaller did not finish in 30 s";
    }

    void ExpectShippedFilesAsBuilt()
    {
        for (const std::string& name : shipped_)
            EXPECT_TRUE(ReadFile(Dir(name)) == ReadFile(ModuleFolder() + name)) << name << " missing or different";
    }

    std::string scratch_, dir_;
    std::vector<std::string> shipped_;
};

TEST_F(Installer, InstallsEveryShippedFileWithShortcutsAndUninstallEntry)
{
    ASSERT_EQ(Install(dir_), 0u);

    for (const char* deliverable : {"Lysora.exe", "guikit32.dll", "PrintRun.exe", "matFRA.dbf", "valeurs.cdx",
                                    "accueil.bmp"})
        EXPECT_TRUE(Exists(Dir(deliverable))) << deliverable;
    ExpectShippedFilesAsBuilt();
    std::set<std::string> expected(shipped_.begin(), shipped_.end());
    expected.insert("Uninstall.exe");
    EXPECT_EQ(FolderContents(dir_), expected) << "files beyond the shipped ones and the uninstaller";

    EXPECT_TRUE(Exists(MenuFolder() + "\\Lysora.lnk"));
    EXPECT_EQ(FolderContents(MenuFolder()).size(), 2u) << "the program and the uninstaller";
    EXPECT_EQ(UninstallValue("DisplayName"), "Lysora");
    EXPECT_EQ(UninstallValue("DisplayVersion"), LYSORA_VERSION);
    EXPECT_EQ(UninstallValue("InstallLocation"), dir_);
    EXPECT_EQ(UninstallValue("UninstallString"), "\"" + Dir("Uninstall.exe") + "\"");
}

TEST_F(Installer, InstalledProgramStartsAndShowsItsIntro)
{
    ASSERT_EQ(Install(dir_), 0u);
    PROCESS_INFORMATION program = StartProcess("\"" + Dir("Lysora.exe") + "\"");
    ASSERT_TRUE(program.hProcess);
    HWND intro = WaitForWindow([&](HWND hwnd) {
        DWORD pid = 0;
        GetWindowThreadProcessId(hwnd, &pid);
        return pid == program.dwProcessId && ClassOf(hwnd) == "GKT-DLG" && TextOf(hwnd) == "Lysora";
    });
    EXPECT_TRUE(intro) << "no intro from the installed program";
    TerminateProcess(program.hProcess, 0);
    WaitForSingleObject(program.hProcess, 5000);
    CloseHandle(program.hProcess);
}

TEST_F(Installer, UninstallRemovesWhatItInstalledAndKeepsTheSettings)
{
    ASSERT_EQ(Install(dir_), 0u);
    WriteFile(Dir("Lysora.ini"), kSettings);

    UninstallAndWait();

    EXPECT_EQ(FolderContents(dir_), std::set<std::string>{"Lysora.ini"});
    EXPECT_EQ(ReadFile(Dir("Lysora.ini")), kSettings);
    EXPECT_FALSE(Exists(MenuFolder())) << "Start-menu folder left behind";
}

TEST_F(Installer, UninstallWithoutSettingsRemovesTheFolder)
{
    ASSERT_EQ(Install(dir_), 0u);
    UninstallAndWait();
    EXPECT_FALSE(Exists(dir_));
}

// A second run over an installation whose program files are older or missing: it goes to the
// folder of the first (no /D given), replaces the programs and leaves the settings alone.
TEST_F(Installer, SecondInstallUpgradesInPlaceAndKeepsTheSettings)
{
    ASSERT_EQ(Install(dir_), 0u);
    WriteFile(Dir("Lysora.ini"), kSettings);
    WriteFile(Dir("Lysora.exe"), "an older program");
    DeleteFileA(Dir("matENG.dbf").c_str());
    const std::string defaultFolder = ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Lysora";
    const bool defaultExisted = Exists(defaultFolder);

    ASSERT_EQ(InstallWhereItWasBefore(), 0u);

    EXPECT_EQ(ReadFile(Dir("Lysora.ini")), kSettings);
    ExpectShippedFilesAsBuilt();
    EXPECT_EQ(UninstallValue("InstallLocation"), dir_);
    EXPECT_EQ(Exists(defaultFolder), defaultExisted) << "the upgrade went to the default folder";
}

} // namespace
} // namespace lysora::test

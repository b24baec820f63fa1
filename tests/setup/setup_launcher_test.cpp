// setup.exe run as a user runs it: from a folder holding it and (or not) "_setup.exe",
// against the real "Vor.ini" of the Windows directory, which is saved and put back.
#include "medium_test_support.h"

#include <gtest/gtest.h>

namespace lysora::test {
namespace {

std::string VorIniPath()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\Vor.ini";
}

class SetupLauncher : public ::testing::Test {
protected:
    void SetUp() override
    {
        ini_ = VorIniPath();
        hadIni_ = Exists(ini_);
        if (hadIni_)
            savedIni_ = ReadFile(ini_);
        DeleteFileA(ini_.c_str());

        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        // A folder of its own for each test: nothing left by one test can disturb the next.
        static int serial = 0;
        folder_ = std::string(tmp) + "lysora-setup-" + std::to_string(GetCurrentProcessId()) + "-" +
                  std::to_string(++serial) + "\\";
        CreateDirectoryA(folder_.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((ModuleFolder() + "setup.exe").c_str(), (folder_ + "setup.exe").c_str(), FALSE));
    }

    void TearDown() override
    {
        RemoveWhenFree(folder_ + "setup.exe");
        RemoveWhenFree(folder_ + "_setup.exe");
        RemoveWhenFree(folder_ + "installer-started");
        RemoveDirectoryA(folder_.c_str());
        DeleteFileA(ini_.c_str());
        if (hadIni_)
            WriteFile(ini_, savedIni_);
    }

    // The stand-in installer, or the build's real one from its medium.
    void PlaceInstaller(const std::string& installer = ModuleFolder() + "fake_installer.exe")
    {
        ASSERT_TRUE(CopyFileA(installer.c_str(), (folder_ + "_setup.exe").c_str(), FALSE));
    }

    // Runs setup.exe from its folder (the current directory is elsewhere, as when a user
    // double-clicks it from another folder) and returns its exit code.
    DWORD RunLauncher() { return RunToEnd("\"" + folder_ + "setup.exe\"", 20000); }

    // The launcher does not wait for the installer: poll for its mark.
    std::string WaitForInstallerMark()
    {
        std::string mark = folder_ + "installer-started";
        for (int i = 0; i < 200 && !Exists(mark); ++i)
            Sleep(50);
        Sleep(50);
        return Exists(mark) ? ReadFile(mark) : std::string();
    }

    std::string IniValue()
    {
        char value[260];
        GetPrivateProfileStringA("CA_APPS", "PATH", "<none>", value, sizeof value, "Vor.ini");
        return value;
    }

    std::string ini_, savedIni_, folder_;
    bool hadIni_ = false;
};

TEST_F(SetupLauncher, WithoutVorIniWritesScratchDirectoryAndStartsInstaller)
{
    PlaceInstaller();
    EXPECT_EQ(RunLauncher(), 0u);
    EXPECT_TRUE(Exists(ini_));
    EXPECT_EQ(IniValue(), "C:\\TEMP");
    EXPECT_EQ(WaitForInstallerMark(), "5") << "installer not started with SW_SHOW";
}

TEST_F(SetupLauncher, NonEmptyPathIsLeftAloneByteForByte)
{
    const std::string original = "; installer settings\r\n[CA_APPS]\r\nPATH=D:\\SCRATCH\\VERY\\LONG\\DIRECTORY\\NAME\\X\r\n";
    WriteFile(ini_, original);
    PlaceInstaller();
    EXPECT_EQ(RunLauncher(), 0u);
    EXPECT_EQ(ReadFile(ini_), original);
    EXPECT_EQ(WaitForInstallerMark(), "5");
}

TEST_F(SetupLauncher, EmptyPathIsReplaced)
{
    WriteFile(ini_, "[CA_APPS]\r\nPATH=\r\nOTHER=keep\r\n");
    PlaceInstaller();
    EXPECT_EQ(RunLauncher(), 0u);
    EXPECT_EQ(IniValue(), "C:\\TEMP");
    char other[32];
    GetPrivateProfileStringA("CA_APPS", "OTHER", "", other, sizeof other, "Vor.ini");
    EXPECT_STREQ(other, "keep");
}

TEST_F(SetupLauncher, MissingInstallerEndsSilentlyWithZero)
{
    EXPECT_EQ(RunLauncher(), 0u);
    EXPECT_EQ(IniValue(), "C:\\TEMP");
    EXPECT_FALSE(Exists(folder_ + "installer-started"));
}

// The medium as shipped: the launcher starts the real installer, whose first page shows.
TEST_F(SetupLauncher, StartsTheRealInstallerBesideIt)
{
    PlaceInstaller(MediumFolder() + "_setup.exe");
    EXPECT_EQ(RunLauncher(), 0u);
    HWND page = WaitForWindow([](HWND hwnd) {
        return ClassOf(hwnd) == "#32770" && TextOf(hwnd).find("Lysora " LYSORA_VERSION) != std::string::npos;
    });
    ASSERT_TRUE(page) << "no installer window";
    KillOwnerOf(page);
}

} // namespace
} // namespace lysora::test

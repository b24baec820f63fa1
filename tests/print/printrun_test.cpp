// PrintRun.exe as the second process it is: started by hand it does nothing; a hostile
// command line, a missing spool file, or a file whose length disagrees with the page sizes
// each end with a clear message and a failure code, and the owner window is usable again
// however the run ends. Printing itself is checked against a real printer queue by
// print_outside_readers_test.
#include "print/metafile_win32.h"
#include "print/spool.h"
#include "tests/print/crafted_pages.h"
#include "tests/print/printrun_runner.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace lysora {
namespace {

using testing::RunPrintRun;

// A disabled top-level window of this process, standing for Lysora's main window.
class DisabledOwner {
public:
    DisabledOwner()
    {
        hwnd_ = CreateWindowExA(0, "STATIC", "Owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        EnableWindow(hwnd_, FALSE);
    }
    ~DisabledOwner() { DestroyWindow(hwnd_); }
    HWND Handle() const { return hwnd_; }
    std::string Field() const { return std::to_string(reinterpret_cast<std::uintptr_t>(hwnd_)); }

private:
    HWND hwnd_;
};

// A real two-page spool file, written as Lysora writes it; erased with the object.
struct SpoolFile {
    PL pl{nullptr, "Spool", false, NewMetafileDrawer()};
    SpoolFile()
    {
        for (int i = 0; i < 2; ++i) {
            pl.OUT(Row{CELL(50, 10, "page " + std::to_string(i + 1), "", 1)});
            pl.FORMFEED();
        }
        std::fflush(pl.FILE);
    }
    std::string Arguments(const std::string& owner, std::uint64_t extraOnLastPage = 0) const
    {
        std::vector<std::uint64_t> sizes = pl.FILESIZE;
        sizes.back() += extraOnLastPage;
        return PrintCommandLine(std::stoull(owner), "Test", pl.FILENAME, false, sizes).substr(13);
    }
};

TEST(PrintRunProcess, StartedByHandItEndsWithoutAWord)
{
    auto result = RunPrintRun("");
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_TRUE(result.dialogs.empty());
}

TEST(PrintRunProcess, HostileCommandLinesEndWithAMessage)
{
    DisabledOwner owner;
    const std::string lines[] = {
        ";" + owner.Field() + ";t;spool.tmp;N;99999999;1",
        ";" + owner.Field() + ";t;spool.tmp;N;2;100",
        ";not a handle;t;spool.tmp;N;1;100",
        ";" + owner.Field() + ";t;spool.tmp;N;1;-5",
        ";" + std::string(5000, '9'),
    };
    for (const std::string& line : lines) {
        auto result = RunPrintRun(line);
        EXPECT_FALSE(result.timedOut) << line;
        EXPECT_EQ(result.exitCode, 1u) << line;
        ASSERT_EQ(result.dialogs.size(), 1u) << line;
        EXPECT_EQ(result.dialogs[0].caption, "Erreur");
        EXPECT_EQ(result.dialogs[0].text.rfind("Ligne de commande d'impression invalide : ", 0), 0u)
            << result.dialogs[0].text;
    }
}

TEST(PrintRunProcess, MissingSpoolFileIsReportedAndTheOwnerEnabled)
{
    DisabledOwner owner;
    const std::string missing = (std::filesystem::current_path() / "no_such_spool.tmp").string();
    auto result = RunPrintRun(";" + owner.Field() + ";Test;" + missing + ";N;1;100");
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_EQ(result.dialogs.size(), 1u);
    EXPECT_EQ(result.dialogs[0].text, "Impossible d'ouvrir le fichier d'impression " + missing);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
}

TEST(PrintRunProcess, PageSizesThatDisagreeWithTheFileAreRefusedBeforePrinting)
{
    DisabledOwner owner;
    SpoolFile spool;
    for (std::uint64_t extra : {std::uint64_t(2), std::uint64_t(0) - 2}) {
        EnableWindow(owner.Handle(), FALSE);
        auto result = RunPrintRun(spool.Arguments(owner.Field(), extra));
        EXPECT_EQ(result.exitCode, 1u);
        ASSERT_EQ(result.dialogs.size(), 1u);
        EXPECT_NE(result.dialogs[0].text.find("ne correspond pas aux tailles de page"), std::string::npos)
            << result.dialogs[0].text;
        EXPECT_FALSE(result.dialogs[0].printDialog);
        EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    }
}

TEST(PrintRunProcess, HostilePagesAreRefusedBeforeThePrinterWithoutACrash)
{
    DisabledOwner owner;
    const std::string path = (std::filesystem::current_path() / "hostile_spool.tmp").string();
    for (const testing::HostilePage& hostile : testing::HostilePages()) {
        const std::vector<unsigned char> page = hostile.page.Bytes();
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(page.data()), std::streamsize(page.size()));
        const std::uint64_t size = page.size();
        const std::string line = PrintCommandLine(std::stoull(owner.Field()), "Hostile", path, false, {size}).substr(13);
        EnableWindow(owner.Handle(), FALSE);
        auto result = RunPrintRun(line, [](HWND dialog, const testing::SeenDialog& seen) {
            if (seen.printDialog)
                testing::ChoosePagesAndPrint(dialog, 1, 1);
            else
                PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        });
        EXPECT_FALSE(result.timedOut) << hostile.what;
        EXPECT_EQ(result.exitCode, 1u) << hostile.what; // a crash ends with an exception code
        ASSERT_EQ(result.dialogs.size(), 2u) << hostile.what;
        EXPECT_TRUE(result.dialogs[0].printDialog);
        EXPECT_EQ(result.dialogs[1].text.rfind("Erreur lecture fichier : page 1, enregistrement 1 (fonction 0x", 0), 0u)
            << result.dialogs[1].text;
        EXPECT_NE(result.dialogs[1].text.find(hostile.fault), std::string::npos) << result.dialogs[1].text;
        EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    }
    std::filesystem::remove(path);
}

TEST(PrintRunProcess, OwnerThatIsNoWindowIsLeftAlone)
{
    SpoolFile spool;
    // A handle value that names no window: the run goes on to its checks without using it.
    auto result = RunPrintRun(spool.Arguments("4294967295", 4));
    EXPECT_EQ(result.exitCode, 1u);
    ASSERT_EQ(result.dialogs.size(), 1u);
}

} // namespace
} // namespace lysora

// A debug copy is any copy of the program whose path holds "DBG": this test program copies
// itself with the shipped tables under a folder named "DBG" and under one named "dbg", and
// runs each copy, which reports its own debug flag and how OPENDB opened its tables.
#include "services/opendb.h"
#include "services/program_dir.h"
#include "services/reftables.h"
#include "tests/support/program_dir_fixture.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#ifdef _WIN32
#include <process.h>
#endif

namespace lysora {
namespace {

namespace fs = std::filesystem;

constexpr const char* kReport = "debug_copy_report.txt";
constexpr const char* kChildFilter = "--gtest_filter=DebugCopyChild.*";

// Runs the copy of this program with the child's filter; its exit code.
int RunChild(const fs::path& exe)
{
#ifdef _WIN32
    const std::string path = exe.string();
    return int(_spawnl(_P_WAIT, path.c_str(), path.c_str(), kChildFilter, nullptr));
#else
    return std::system(("'" + exe.string() + "' " + kChildFilter + " >/dev/null").c_str());
#endif
}

TEST(DebugCopyChild, ReportsItsFlagAndTableAccess)
{
    const fs::path exe = ExecutablePath();
    if (!fs::exists(exe.parent_path() / "debug_copy.marker"))
        GTEST_SKIP() << "runs only in a copy made by DebugCopy";
    SETPROGRAMDIR(ExecutableDirectory());
    test::MessageRecorder messages;
    ASSERT_TRUE(OPENDB());
    const std::optional<bool> readOnly = BASEPROGRAMME()->READONLY();
    BASEPROGRAMME()->CLOSE();
    test::WriteFile((exe.parent_path() / kReport).string(),
                    std::string("debug=") + (_DEBUG() ? "1" : "0") +
                        " readonly=" + (readOnly ? (*readOnly ? "1" : "0") : "closed"));
}

TEST(DebugCopy, OnlyACopyUnderUpperCaseDBGOpensTheTablesWritable)
{
    const fs::path self = ExecutablePath();
    ASSERT_FALSE(self.empty());
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (const char* folder : {"DBG", "dbg"}) {
        SCOPED_TRACE(folder);
        // Separate roots: file names do not differ by case alone on every system.
        const fs::path root = fs::temp_directory_path() / ("lysora_debug_copy_" + std::to_string(stamp) + folder);
        const fs::path dir = root / folder;
        fs::create_directories(dir);
        fs::copy_file(self, dir / self.filename());
        for (const fs::directory_entry& entry : fs::directory_iterator(self.parent_path()))
            if (entry.path().extension() == ".dbf" || entry.path().extension() == ".cdx")
                fs::copy_file(entry.path(), dir / entry.path().filename());
        test::WriteFile((dir / "debug_copy.marker").string(), "");

        EXPECT_EQ(RunChild(dir / self.filename()), 0);
        const std::string expected = std::string(folder) == "DBG" ? "debug=1 readonly=0" : "debug=0 readonly=1";
        EXPECT_EQ(test::ReadFile((dir / kReport).string()), expected);
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
}

} // namespace
} // namespace lysora

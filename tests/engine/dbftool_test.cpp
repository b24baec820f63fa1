// The maintenance tools on real files: dbftool's structure, CSV dump in a tag's order, a
// check that finds a damaged tag, and a repair that mends it and a record count the file
// cannot hold; maketables failing on a full disk. Host build only (runs ./dbftool and
// ./maketables).
#include "tests/engine/engine_test_util.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace lysora::engine::test {
namespace {

struct Result {
    int status;
    std::string out;
};

Result Shell(const std::string& command) {
    Result r{-1, {}};
    std::FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (!pipe) return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) r.out.append(buf, n);
    int status = ::pclose(pipe);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

Result Tool(const std::string& args) { return Shell("./dbftool " + args); }

TEST(DbfTool, StructureDumpCheckAndRepair) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    for (int i = 0; i < 2000; ++i) AppendValue(2000 - i, i % 2 ? "LYS" : "MET", i % 100 / 4.0);
    ASSERT_TRUE(DBAPPEND() && FIELDPUT(1, Value(5)) && FIELDPUT(2, Value("a,\"b")));
    DBCLOSEAREA();

    Result r = Tool("structure " + path);
    EXPECT_EQ(0, r.status);
    EXPECT_NE(std::string::npos, r.out.find("2001 records"));
    EXPECT_NE(std::string::npos, r.out.find("MAT_NUTRI  key str(MATIERE,4,0)+NUTRI (9 bytes), 2001 keys"));
    EXPECT_NE(std::string::npos, r.out.find("TB         N   6  2"));

    r = Tool("dump " + path + ".dbf mat_nutri");
    EXPECT_EQ(0, r.status);
    EXPECT_EQ(0u, r.out.find("MATIERE,NUTRI,NB_VAL,TB\n1,LYS,0,24.75\n2,MET,0,24.50\n3,LYS,0,24.25\n"));
    EXPECT_NE(std::string::npos, r.out.find("\n5,LYS,0,23.75\n5,\"a,\"\"b\",0,0.00\n"));
    EXPECT_EQ(1, Tool("dump " + path + " NOSUCH").status);

    r = Tool("check " + path);
    EXPECT_EQ(0, r.status) << r.out;

    // Scramble the keys of one leaf page of the tag. After a repair the index is written
    // whole: the first page after the directory (1024-1535) and the tag header (1536-2559)
    // is a leaf, and the last page of the file is its root.
    r = Tool("repair " + path);
    EXPECT_EQ(0, r.status) << r.out;
    {
        std::fstream cdx(path + ".cdx", std::ios::in | std::ios::out | std::ios::binary);
        cdx.seekp(2560 + 511);
        cdx.put('\x01');
        cdx.seekp(2560 + 500);
        cdx.put('\x7F');
    }
    r = Tool("check " + path);
    EXPECT_NE(0, r.status) << r.out;
    EXPECT_FALSE(r.out.empty());
    r = Tool("repair " + path);
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("1 tags rebuilt over 2001 records"));
    r = Tool("check " + path);
    EXPECT_EQ(0, r.status) << r.out;

    EXPECT_EQ(1, Tool("check " + dir.Path("missing")).status);
    EXPECT_EQ(2, Tool("frobnicate " + path).status);
    EXPECT_EQ(2, Tool("reindex " + path).status);
}

// A header that counts a record the file lost (written before the record reached the
// disk) makes the table unopenable; repair cuts the count to the whole records there.
TEST(DbfTool, RepairCutsACountTheFileCannotHold) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    for (int i = 1; i <= 40; ++i) AppendValue(i, "LYS", i);
    ASSERT_TRUE(DBCLOSEAREA());
    {
        std::fstream dbf(path + ".dbf", std::ios::in | std::ios::out | std::ios::binary);
        dbf.seekp(4);
        dbf.put(char(42));
    }
    EXPECT_EQ(1, Tool("check " + path).status);
    Result r = Tool("repair " + path);
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("1 tags rebuilt over 40 records")) << r.out;
    r = Tool("check " + path);
    EXPECT_EQ(0, r.status) << r.out;
}

// A change interrupted on files that cannot be written afterwards (write-protected, or on
// read-only media): the tools read the table as it was before the change, say that it
// needs a writable open, and change nothing on disk; a writable open then undoes it.
TEST(DbfTool, ReadsAWriteProtectedTableAsItWasBeforeAnInterruptedChange) {
    ScratchDir dir;
    std::string path = dir.Path("valeurs");
    CreateValuesTable(path);
    ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
    for (int i = 1; i <= 50; ++i) AppendValue(i, "LYS", i);
    ASSERT_TRUE(DBCLOSEAREA());
    const std::string committed = Tool("dump " + path + " mat_nutri").out;
    ASSERT_NE(std::string::npos, committed.find("\n3,LYS,0,3.00\n")) << committed;
    const std::string before = Slurp(path + ".dbf"), index = Slurp(path + ".cdx");
    // A change stopped when its journal is written and the record part-way.
    for (std::uint64_t budget = 141; budget < 400 && Slurp(path + ".dbf") == before; ++budget) {
        Spit(path + ".dbf", before);
        Spit(path + ".cdx", index);
        std::filesystem::remove(path + ".jnl");
        auto plan = std::make_shared<FaultPlan>();
        SetFileWrapper([plan](std::unique_ptr<File> f, const std::string&) { return FaultyFile(std::move(f), plan); });
        ASSERT_TRUE(DBUSEAREA(true, "DBFCDX", path, "", false, false));
        ASSERT_TRUE(DBGOTO(3) && FIELDPUT(4, Value(53.0)));
        plan->byteBudget = budget;
        EXPECT_FALSE(DBCOMMIT());
        DBCLOSEAREA();
        SetFileWrapper({});
    }
    ASSERT_NE(before, Slurp(path + ".dbf")) << "the change must have reached the table part-way";
    ASSERT_TRUE(std::filesystem::exists(path + ".jnl"));

    // Write-protected files; root writes through any mode, so the reader runs as nobody then.
    namespace fs = std::filesystem;
    fs::permissions(dir.Path(""), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    for (const char* ext : {".dbf", ".cdx", ".jnl"})
        fs::permissions(path + ext, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const std::string reader = ::geteuid() == 0 ? "setpriv --reuid=65534 --regid=65534 --clear-groups " : "";
    const std::string onDisk[3] = {Slurp(path + ".dbf"), Slurp(path + ".cdx"), Slurp(path + ".jnl")};
    Result r = Shell(reader + "./dbftool dump " + path + " mat_nutri");
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.out.find(committed)) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("interrupted")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("writable")) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("dbftool repair")) << r.out;
    r = Shell(reader + "./dbftool check " + path);
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("1 tags agree with 50 records")) << r.out;
    EXPECT_EQ(onDisk[0], Slurp(path + ".dbf"));
    EXPECT_EQ(onDisk[1], Slurp(path + ".cdx"));
    EXPECT_EQ(onDisk[2], Slurp(path + ".jnl"));
    EXPECT_EQ(1, Shell(reader + "./dbftool repair " + path).status);

    for (const char* ext : {".dbf", ".cdx", ".jnl"})
        fs::permissions(path + ext, fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    r = Tool("repair " + path);
    EXPECT_EQ(0, r.status) << r.out;
    EXPECT_FALSE(fs::exists(path + ".jnl"));
    r = Tool("dump " + path + " mat_nutri");
    EXPECT_EQ(committed, r.out);
}

// Under a file-size limit (writes beyond it fail, as on a full disk) maketables must say
// so and exit with a failure, never report tables it could not write.
TEST(MakeTables, AFullDiskIsAFailure) {
    ScratchDir dir;
    std::string out = dir.Path("tables");
    std::string make = std::string("./maketables ") + LYSORA_TABLES_DIR + " " + out;
    Result r = Shell("mkdir -p " + out + " && " + make);
    ASSERT_EQ(0, r.status) << r.out;
    r = Shell("mkdir -p " + out + " && (trap '' XFSZ; ulimit -f 120; exec " + make + ")");
    EXPECT_NE(0, r.status) << r.out;
    EXPECT_NE(std::string::npos, r.out.find("valeurs")) << r.out;
    EXPECT_EQ(std::string::npos, r.out.find("written to")) << r.out;
}

} // namespace
} // namespace lysora::engine::test

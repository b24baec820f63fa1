// TMPNAME, and the file test it is checked with.
#include "print/spool_name.h"

#include "data/engine/file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace lysora {
namespace {

using engine::FileExists;

TEST(Files, TmpNameCreatesANewFileEachTime)
{
    std::string first = TMPNAME("LYSPRINT");
    std::string second = TMPNAME("LYSPRINT");
    ASSERT_FALSE(first.empty());
    ASSERT_FALSE(second.empty());
    EXPECT_NE(first, second);
    EXPECT_TRUE(FileExists(first));
    EXPECT_TRUE(FileExists(second));
    std::string name = std::filesystem::path(first).filename().string();
    EXPECT_EQ(name.substr(0, 3), "LYS") << name;
    EXPECT_EQ(name.find('\0'), std::string::npos);
    std::remove(first.c_str());
    std::remove(second.c_str());
    EXPECT_FALSE(FileExists(first));
}

TEST(Files, FoldersAreNotFiles)
{
    EXPECT_FALSE(FileExists("."));
    EXPECT_FALSE(FileExists("no such file.dbf"));
}

} // namespace
} // namespace lysora

// Shared by the tests of the services and above: a private program directory that is removed
// afterwards, a message recorder, and whole-file helpers.
#pragma once

#include "base/messages.h"
#include "services/settings.h"
#include "tests/support/message_recorder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace lysora::test {

using RecordedMessage = testing::ShownMessage;
using MessageRecorder = testing::MessageRecorder;

// A fresh empty directory made the program directory for the test's lifetime.
class ProgramDirFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<int> counter{0};
        dir_ = std::filesystem::temp_directory_path() /
               ("lysora_app_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
                std::to_string(counter++) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
        previous_ = PROGRAMDIR();
        SETPROGRAMDIR(dir_.string());
    }
    void TearDown() override
    {
        SETPROGRAMDIR(previous_);
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    std::string PathOf(const std::string& name) const { return (dir_ / name).string(); }

    std::filesystem::path dir_;
    std::string previous_;
};

inline void WriteFile(const std::string& path, const std::string& contents)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << contents;
}

inline std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

} // namespace lysora::test

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/file_write.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kc::exporting {
namespace {

namespace fs = std::filesystem;

class FileWriteTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() /
            ("kc-file-write-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Read(const fs::path& path) const {
        std::ifstream in(path);
        std::stringstream content;
        content << in.rdbuf();
        return content.str();
    }
    std::size_t FileCount() const {
        return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {}));
    }

    fs::path folder_;
};

TEST_F(FileWriteTest, WritesTheWholeContent) {
    const fs::path target = folder_ / "taps.csv";
    WriteTextFile(target.string(), "index,low\n0,1\n");
    EXPECT_EQ(Read(target), "index,low\n0,1\n");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(FileWriteTest, FailedWriteKeepsTheOldFileAndLeavesNoTemporary) {
    const fs::path target = folder_ / "response.csv";
    WriteTextFile(target.string(), "old");
    try {
        WriteFileAtomically(target.string(), [](const std::string& temporary) {
            std::ofstream(temporary) << "half";
            throw std::runtime_error("disk full");
        });
        FAIL() << "no error";
    } catch (const EFileWriteError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "'" + target.string() + "' を書き込めません: disk full");
    }
    EXPECT_EQ(Read(target), "old");
    EXPECT_EQ(FileCount(), 1u);
}

TEST_F(FileWriteTest, MissingFolderIsAnErrorNamingTheFile) {
    const fs::path target = folder_ / "missing" / "taps.csv";
    try {
        WriteTextFile(target.string(), "x");
        FAIL() << "no error";
    } catch (const EFileWriteError& error) {
        EXPECT_NE(std::string(error.what()).find(target.string()), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(target));
    EXPECT_EQ(FileCount(), 0u);
}

TEST_F(FileWriteTest, FailedRenameRemovesTheCompleteTemporary) {
    // A folder in the target's place: the content is written in full, the rename onto it fails.
    const fs::path target = folder_ / "taps.csv";
    fs::create_directories(target / "inside");
    try {
        WriteTextFile(target.string(), "index,low\n");
        FAIL() << "no error";
    } catch (const EFileWriteError& error) {
        EXPECT_EQ(std::string(error.what()),
                  "'" + target.string() + "' を書き込めません: " + std::strerror(EISDIR));
    }
    EXPECT_TRUE(fs::is_directory(target / "inside"));
    EXPECT_EQ(FileCount(), 1u);
}

}  // namespace
}  // namespace kc::exporting

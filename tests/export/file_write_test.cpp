// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/file_write.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "base/message_text.h"
#include "support/folder_state.h"

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

struct RefusedTarget {
    const char* what;
    std::function<std::string(const fs::path& folder)> make;  // the target, with what it needs
    std::string reason;                                       // part of the message
};

// Every target is checked before anything is written: a refused one leaves every file of the
// folder as it was, the good target beside it included, and no temporary.
TEST_F(FileWriteTest, TargetsThatCannotBeWrittenAreRefusedBeforeAnythingIsWritten) {
    const RefusedTarget cases[] = {
        // The C functions would cut the name at the NUL and write onto notes.txt.
        {"NUL in the name",
         [](const fs::path& f) { return (f / "notes.txt").string() + std::string(1, '\0'); },
         "the name holds a control character"},
        {"folder in the way",
         [](const fs::path& f) {
             fs::create_directory(f / "xo-mid.wav");
             return (f / "xo-mid.wav").string();
         },
         std::strerror(EISDIR)},
        {"FIFO in the way",
         [](const fs::path& f) {
             ::mkfifo((f / "pipe").c_str(), 0600);
             return (f / "pipe").string();
         },
         "not a regular file but a FIFO"},
        {"read-only file",
         [](const fs::path& f) {
             std::ofstream(f / "kept.csv") << "kept";
             fs::permissions(f / "kept.csv", fs::perms::owner_read | fs::perms::group_read);
             return (f / "kept.csv").string();
         },
         "read-only"},
        {"an input", [](const fs::path& f) { return (f / "woofer.frd").string(); }, "reads"},
        {"an input through a link",
         [](const fs::path& f) {
             fs::create_symlink("woofer.frd", f / "link.frd");
             return (f / "link.frd").string();
         },
         "reads"},
        {"the good target spelt again",
         [](const fs::path& f) { return (f / "sub" / ".." / "good.csv").string(); }, "two outputs"},
    };
    for (const RefusedTarget& c : cases) {
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "sub");
        std::ofstream(folder_ / "good.csv") << "old";
        std::ofstream(folder_ / "woofer.frd") << "10 0 0\n20 0 0\n";
        const std::string target = c.make(folder_);
        const auto before = testing_support::FolderState(folder_);
        const std::string good = (folder_ / "good.csv").string();
        try {
            AtomicFileSet set({good, target}, {(folder_ / "woofer.frd").string()});
            for (const std::string& path : {good, target}) {
                set.Write(path,
                          [](const std::string& temporary) { WriteBytes(temporary, "new", 3); });
            }
            set.Commit();
            ADD_FAILURE() << c.what << ": written";
        } catch (const EFileWriteError& error) {
            EXPECT_NE(std::string(error.what()).find(c.reason), std::string::npos)
                << c.what << ": " << error.what();
            EXPECT_FALSE(base::HasControlCharacter(error.what())) << c.what;
        }
        EXPECT_EQ(testing_support::FolderState(folder_), before) << c.what;
    }
}

// Another run holds the folder: the set is refused at once (the window must not hang).
TEST_F(FileWriteTest, FolderThatAnotherRunWritesIntoIsRefused) {
    const int held = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    EXPECT_THROW(WriteTextFile((folder_ / "taps.csv").string(), "x"), EFileWriteError);
    ::close(held);
    WriteTextFile((folder_ / "taps.csv").string(), "x");
    EXPECT_EQ(Read(folder_ / "taps.csv"), "x");
}

// A rename that fails in the middle of the commit (a folder put in a target's place after the
// checks) puts back every file renamed before it: the folder is as it was before the commit.
TEST_F(FileWriteTest, CommitThatFailsHalfwayPutsEveryOldFileBack) {
    std::ofstream(folder_ / "a.wav") << "old a";
    std::ofstream(folder_ / "c.wav") << "old c";
    const std::vector<std::string> targets = {
        (folder_ / "a.wav").string(), (folder_ / "b.wav").string(), (folder_ / "c.wav").string()};
    AtomicFileSet set(targets);
    for (const std::string& target : targets) {
        set.Write(target, [](const std::string& temporary) { WriteBytes(temporary, "new", 3); });
    }
    fs::remove(folder_ / "c.wav");
    fs::create_directories(folder_ / "c.wav" / "inside");
    std::map<std::string, std::string> before = testing_support::FolderState(folder_);
    std::erase_if(before, [](const auto& entry) { return entry.first.starts_with("."); });
    EXPECT_THROW(set.Commit(), EFileWriteError);
    EXPECT_EQ(testing_support::FolderState(folder_), before);
    EXPECT_EQ(Read(folder_ / "a.wav"), "old a");
}

// The replaced file keeps its mode; a new one gets the umask's; a link is written through.
TEST_F(FileWriteTest, ModesAndLinksAreKept) {
    const mode_t mask = ::umask(022);
    ::umask(mask);
    std::ofstream(folder_ / "private.csv") << "old";
    fs::permissions(folder_ / "private.csv", fs::perms::owner_read | fs::perms::owner_write);
    std::ofstream(folder_ / "real.kcx") << "old";
    fs::create_symlink("real.kcx", folder_ / "link.kcx");
    fs::create_symlink("made.kcx", folder_ / "dangling.kcx");
    for (const char* name : {"private.csv", "new.csv", "link.kcx", "dangling.kcx"}) {
        WriteTextFile((folder_ / name).string(), "new");
    }
    const auto state = testing_support::FolderState(folder_);
    const std::string written = " " + std::to_string(testing_support::Checksum("new"));
    char newMode[8];
    std::snprintf(newMode, sizeof newMode, "%o", static_cast<unsigned>(0666 & ~mask));
    EXPECT_EQ(state.at("private.csv"), "file 600" + written);
    EXPECT_EQ(state.at("new.csv"), "file " + std::string(newMode) + written);
    EXPECT_EQ(state.at("link.kcx"), "link -> real.kcx");
    EXPECT_EQ(state.at("real.kcx").substr(state.at("real.kcx").find(' ', 5)), written);
    EXPECT_EQ(state.at("dangling.kcx"), "link -> made.kcx");
    EXPECT_EQ(Read(folder_ / "made.kcx"), "new");
    EXPECT_EQ(state.size(), 6u);  // no temporary, no file kept aside
}

}  // namespace
}  // namespace kc::exporting

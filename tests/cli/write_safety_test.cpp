// SPDX-License-Identifier: GPL-3.0-or-later
// What one run of the command line writes is one set: a hostile request, a failure anywhere, a
// full or read-only disk, a signal or a second run at once leave every old file byte-identical
// and no temporary behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/folder_state.h"
#include "support/program_run.h"

namespace {

namespace fs = std::filesystem;

using kc::testing_support::FolderState;
using kc::testing_support::Outcome;

fs::path NewFolder(const std::string& name) {
    fs::path folder =
        fs::temp_directory_path() / ("kc-safety-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
    return folder;
}

// The CLI run in `folder`, with the names of the arguments relative to it.
Outcome RunIn(const fs::path& folder, const QStringList& arguments,
              const std::function<void()>& inChild = {}) {
    return kc::testing_support::RunProgram(QStringLiteral(KC_CLI_PATH),
                                           QStringList{"design"} + arguments,
                                           {{}, inChild, QString::fromStdString(folder.string())});
}

void Write(const fs::path& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

const std::string kDesignHeader = R"({"format": "kaiser-crossover-design", "version": 1)";
const std::string kDriver = "* a driver\n20 0 0\n20000 0 0\n";

struct HostileRequest {
    const char* name;
    std::function<void(const fs::path& folder)> setUp;
    QStringList arguments;
    int status;
    std::string reason;  // part of standard error
};

void PrintTo(const HostileRequest& row, std::ostream* out) {
    *out << row.name;
}

class HostileRequestTest : public ::testing::TestWithParam<HostileRequest> {};

// Nothing of the folder changes, and standard error holds no control character but its line end.
TEST_P(HostileRequestTest, ChangesNothingAndSaysWhy) {
    const fs::path folder = NewFolder(GetParam().name);
    Write(folder / "xo-low.wav", "OLD");
    Write(folder / "woofer.frd", kDriver);
    GetParam().setUp(folder);
    const auto before = FolderState(folder);
    const Outcome outcome = RunIn(folder, GetParam().arguments);
    EXPECT_EQ(outcome.status, GetParam().status) << outcome.err;
    EXPECT_NE(outcome.err.find(GetParam().reason), std::string::npos) << outcome.err;
    EXPECT_LT(outcome.err.find('\n'), 400u) << outcome.err;
    EXPECT_EQ(outcome.err.find('\x1b'), std::string::npos);
    EXPECT_EQ(FolderState(folder), before);
    fs::remove_all(folder);
}

void Nothing(const fs::path& /*folder*/) {}

INSTANTIATE_TEST_SUITE_P(
    Found, HostileRequestTest,
    ::testing::Values(
        HostileRequest{"DirectoryInTheWay",
                       [](const fs::path& f) { fs::create_directories(f / "xo-mid.wav"); },
                       {"--wav", "xo", "--taps", "t.csv"},
                       1,
                       "'xo-mid.wav' を書き込めません: Is a directory"},
        HostileRequest{"TapsOntoTheDriver",
                       Nothing,
                       {"--driver-low", "woofer.frd", "--taps", "woofer.frd"},
                       1,
                       "a file this run reads"},
        HostileRequest{"TapsOntoTheDesign",
                       [](const fs::path& f) { Write(f / "b.kcx", kDesignHeader + "}"); },
                       {"--design", "b.kcx", "--taps", "b.kcx"},
                       1,
                       "a file this run reads"},
        HostileRequest{"TwoPlotsOnOneFile",
                       Nothing,
                       {"--plot", "x.png", "--impulse-plot", "x.png"},
                       1,
                       "two outputs"},
        HostileRequest{"LaterTimePlotFails",
                       Nothing,
                       {"--wav", "xo", "--impulse-plot", "gone/i.png"},
                       1,
                       "'gone/i.png' を書き込めません: its folder cannot be written into: No such "
                       "file or directory"},
        HostileRequest{"LaterAcousticFilesFail",
                       Nothing,
                       {"--wav", "xo", "--acoustic", "gone/ac"},
                       1,
                       "No such file or directory"},
        HostileRequest{"LaterDesignFileFails",
                       Nothing,
                       {"--wav", "xo", "--save-design", "gone/x.kcx"},
                       1,
                       "No such file or directory"},
        HostileRequest{"FifoAsTheDesign",
                       [](const fs::path& f) { ::mkfifo((f / "f.kcx").c_str(), 0600); },
                       {"--design", "f.kcx", "--wav", "xo"},
                       1,
                       "not a regular file but a FIFO"},
        HostileRequest{"EscapeInADesignField",
                       [](const fs::path& f) {
                           Write(f / "e.kcx",
                                 kDesignHeader +
                                     R"(, "crossover": {"lowTaps": "\u001b[2J\u001b]0;x\u0007"}})");
                       },
                       {"--design", "e.kcx", "--wav", "xo"},
                       1,
                       "crossover.lowTaps holds a control character"},
        HostileRequest{"EscapeInAnOption",
                       Nothing,
                       {"--mid-taps", "\x1b[2J", "--wav", "xo"},
                       2,
                       "--mid-taps holds a control character."},
        HostileRequest{"LineBreakInADriverPath",
                       Nothing,
                       {"--driver-low", "woofer\n.frd", "--wav", "xo"},
                       2,
                       "--driver-low holds a control character."},
        HostileRequest{"AHundredThousandCharacters",
                       Nothing,
                       {"--mid-taps", QString(100000, 'x'), "--wav", "xo"},
                       1,
                       "'" + std::string(60, 'x') + "…' は整数ではありません."}),
    [](const auto& row) { return std::string(row.param.name); });

// "rates": [] in a design means the design's own rate, as the documentation says.
TEST(WriteSafetyTest, DesignWithoutRatesExportsItsOwnRate) {
    const fs::path folder = NewFolder("no-rates");
    Write(folder / "r.kcx", kDesignHeader + R"(, "export": {"rates": []}})");
    const Outcome outcome = RunIn(folder, {"--design", "r.kcx", "--low-taps", "31", "--wav", "xo"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_NE(outcome.out.find("Sample rate: 44100 Hz"), std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "xo-mid.wav"));
    fs::remove_all(folder);
}

// How a failed commit was brought about, on a folder holding old files.
// (A folder in the way is a row of HostileRequestTest.)
enum class Fault { FileSizeLimit, FullTmpfs, ReadOnlyFolder };

struct FailedCommit {
    const char* name;
    Fault fault;
};

void PrintTo(const FailedCommit& row, std::ostream* out) {
    *out << row.name;
}

class FailedCommitTest : public ::testing::TestWithParam<FailedCommit> {
  protected:
    static constexpr const char* kInside = "KC_SAFETY_INSIDE_NAMESPACE";

    // Whether the fault needs a file system of its own: a small tmpfs, mounted in a user and
    // mount namespace of a child, so that neither root nor anything else is needed. A read-only
    // folder needs one only for root, whom a mode does not stop.
    bool NeedsOwnMount() const {
        return GetParam().fault == Fault::FullTmpfs ||
               (GetParam().fault == Fault::ReadOnlyFolder && ::geteuid() == 0);
    }

    // Runs this very test again in a child that has the tmpfs mounted on `folder`; its exit
    // status says how it went.
    int RunInsideNamespace(const fs::path& folder) const {
        const pid_t child = ::fork();
        if (child == 0) {
            const uid_t uid = ::geteuid();
            const gid_t gid = ::getegid();
            if (::unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) {
                ::_exit(77);
            }
            std::ofstream("/proc/self/setgroups") << "deny";
            std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
            std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
            if (::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0) {
                ::_exit(77);
            }
            const std::string filter =
                std::string("--gtest_filter=") +
                ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "." +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
            ::setenv(kInside, folder.c_str(), 1);
            const char* arguments[] = {"/proc/self/exe", filter.c_str(), nullptr};
            ::execv("/proc/self/exe", const_cast<char**>(arguments));
            ::_exit(127);
        }
        int status = 0;
        ::waitpid(child, &status, 0);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

// Every old file byte-identical, mode included, and no temporary or file kept aside left.
TEST_P(FailedCommitTest, LeavesEveryOldFileAsItWas) {
    const char* inside = std::getenv(kInside);
    const fs::path folder = inside != nullptr ? fs::path(inside) : NewFolder(GetParam().name);
    if (inside == nullptr && NeedsOwnMount()) {
        const int status = RunInsideNamespace(folder);
        fs::remove_all(folder);
        if (status == 77) {
            GTEST_SKIP() << "no user and mount namespace here to mount a tmpfs in";
        }
        EXPECT_EQ(status, 0) << "the run inside the namespace failed";
        return;
    }
    for (const char* name : {"xo-low.wav", "xo-mid.wav", "xo-high.wav", "t.csv"}) {
        Write(folder / name, std::string("OLD ") + name);
    }
    std::function<void()> inChild;
    switch (GetParam().fault) {
        case Fault::FileSizeLimit:  // the text files, 22 KB each, pass the limit
            inChild = [] {
                const rlimit limit{16384, 16384};
                setrlimit(RLIMIT_FSIZE, &limit);
            };
            break;
        case Fault::FullTmpfs:  // 64 KB hold the WAV files, not the text files too
            break;
        case Fault::ReadOnlyFolder:
            if (inside != nullptr) {
                ASSERT_EQ(::mount("none", folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
                          0);
            } else {
                fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
            }
            break;
    }
    const auto before = FolderState(folder);
    const Outcome outcome =
        RunIn(folder, {"--wav", "xo", "--text", "xo", "--taps", "t.csv"}, inChild);
    EXPECT_EQ(outcome.status, 1) << outcome.err;
    EXPECT_FALSE(outcome.err.empty());
    EXPECT_EQ(FolderState(folder), before) << outcome.err;
    if (inside == nullptr) {
        fs::permissions(folder, fs::perms::owner_all);
        fs::remove_all(folder);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FailedCommitTest,
                         ::testing::Values(FailedCommit{"FileSizeLimit", Fault::FileSizeLimit},
                                           FailedCommit{"FullTmpfs", Fault::FullTmpfs},
                                           FailedCommit{"ReadOnlyFolder", Fault::ReadOnlyFolder}),
                         [](const auto& row) { return std::string(row.param.name); });

class InterruptTest : public ::testing::TestWithParam<int> {};

// A signal in the middle of a long export removes the temporaries and ends the program with the
// signal (the shell's 128 + signal); the old files stay.
TEST_P(InterruptTest, RemovesTheTemporariesAndEndsWithTheSignal) {
    const int signal = GetParam();
    const fs::path folder = NewFolder("signal-" + std::to_string(signal));
    Write(folder / "big-352800-low.txt", "OLD");
    const auto before = FolderState(folder);
    const std::string prefix = (folder / "big-{rate}").string();
    const char* arguments[] = {
        KC_CLI_PATH, "design",       "--low-taps", "100001",        "--mid-taps",
        "100001",    "--high-taps",  "100001",     "--sample-rate", "352800,384000,705600,768000",
        "--text",    prefix.c_str(), nullptr};
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    for (const int s : {SIGINT, SIGTERM, SIGHUP}) {
        sigaddset(&defaults, s);
    }
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = posix_spawn(&child, KC_CLI_PATH, &files, &attributes,
                                    const_cast<char**>(arguments), environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attributes);
    ASSERT_EQ(spawned, 0);
    // Once a temporary is there the writing has begun; the commit is seconds away.
    bool writing = false;
    for (int i = 0; i < 6000 && !writing; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        for (const auto& [name, state] : FolderState(folder)) {
            writing |= name.ends_with(".tmp");
        }
    }
    EXPECT_TRUE(writing);
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status)) << status;
    EXPECT_EQ(WTERMSIG(status), signal);
    EXPECT_EQ(FolderState(folder), before);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Signals, InterruptTest, ::testing::Values(SIGINT, SIGTERM, SIGHUP),
                         [](const auto& row) { return std::string(sigabbrev_np(row.param)); });

// A second run writing into the folder waits until the first is done, and says so.
TEST(WriteSafetyTest, SecondWriterOfAFolderWaitsForTheFirst) {
    const fs::path folder = NewFolder("lock");
    const int held = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    QProcess run;
    run.setWorkingDirectory(QString::fromStdString(folder.string()));
    run.start(QStringLiteral(KC_CLI_PATH), {"design", "--low-taps", "31", "--taps", "t.csv"});
    ASSERT_TRUE(run.waitForStarted());
    EXPECT_FALSE(run.waitForFinished(1500));
    EXPECT_FALSE(fs::exists(folder / "t.csv"));
    ::close(held);
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 0);
    EXPECT_NE(run.readAllStandardError().toStdString().find("Waiting for another run"),
              std::string::npos);
    EXPECT_TRUE(fs::exists(folder / "t.csv"));
    fs::remove_all(folder);
}

}  // namespace

// SPDX-License-Identifier: GPL-3.0-or-later
// Texts from others as messages show them, and files from others as they are read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <new>
#include <string>

#include "base/file_read.h"
#include "base/message_text.h"

namespace kc::base {
namespace {

namespace fs = std::filesystem;

struct ShownCase {
    const char* what;
    std::string text;
    std::string shown;
};

TEST(MessageTextTest, ShowsPrintableTextAndEscapesTheRestWithinSixtyCharacters) {
    const ShownCase cases[] = {
        {"plain", "woofer.frd", "woofer.frd"},
        {"Japanese stays readable", "ウーファー.frd", "ウーファー.frd"},
        {"terminal escape", "\x1b[2J\x1b]0;x\x07", "\\x1B[2J\\x1B]0;x\\x07"},
        {"line break and NUL", std::string("a\nb\0c", 5), "a\\x0Ab\\x00c"},
        {"C1 control (a terminal's CSI)",
         "a\xC2\x9B"
         "2J",
         "a\\xC2\\x9B2J"},
        {"malformed UTF-8", "\xFF\xC3(", "\\xFF\\xC3("},
        {"sixty characters whole", std::string(60, 'x'), std::string(60, 'x')},
        {"cut after sixty", std::string(500000, 'x'), std::string(60, 'x') + "…"},
    };
    for (const ShownCase& c : cases) {
        EXPECT_EQ(ShownText(c.text), c.shown) << c.what;
    }
    EXPECT_EQ(EscapedText(std::string(100, 'y') + "\n"), std::string(100, 'y') + "\\x0A");
    EXPECT_TRUE(HasControlCharacter(std::string("notes.txt\0", 10)));
    EXPECT_TRUE(HasControlCharacter("\x7F"));
    EXPECT_FALSE(HasControlCharacter("xo-{rate} 九 é"));
}

TEST(MessageTextTest, RecognisesUtf16AndTheOutOfMemoryError) {
    EXPECT_TRUE(LooksLikeUtf16("\xFF\xFE{"));
    EXPECT_TRUE(
        LooksLikeUtf16(std::string("1\0"
                                   "0\0 \0"
                                   "0\0",
                                   8)));
    EXPECT_TRUE(
        LooksLikeUtf16(std::string("\0"
                                   "1\0"
                                   "0\0 \0"
                                   "0",
                                   8)));
    EXPECT_FALSE(LooksLikeUtf16("10 0 0\n20 0 0\n"));
    EXPECT_FALSE(LooksLikeUtf16("\xEF\xBB\xBF{}"));
    EXPECT_EQ(ErrorText(std::bad_alloc()), "メモリが足りません");
    EXPECT_EQ(ErrorText(std::runtime_error("disk full")), "disk full");
}

struct ReadCase {
    const char* what;
    std::string path;
    EFileReadError::Kind kind;
    std::string reason;  // the start of the reason
};

TEST(FileReadTest, OnlyRegularFilesAreReadAndTheReasonIsNamed) {
    const fs::path fifo = fs::temp_directory_path() / ("kc-read-fifo-" + std::to_string(getpid()));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const ReadCase cases[] = {
        // A FIFO without a writer would block a plain open for ever.
        {"FIFO", fifo.string(), EFileReadError::Kind::NotRegular, "not a regular file but a FIFO"},
        {"folder", "/", EFileReadError::Kind::NotRegular, "not a regular file but a folder"},
        {"device", "/dev/null", EFileReadError::Kind::NotRegular,
         "not a regular file but a device"},
        {"missing", "/nonexistent/x.kcx", EFileReadError::Kind::System, "No such file"},
        // A regular file whose reading fails: the system's reason, not a bare "cannot be read".
        {"unreadable", "/proc/self/mem", EFileReadError::Kind::System, "Input/output error"},
        {"too large", "/proc/self/exe", EFileReadError::Kind::TooLarge, "too large"},
    };
    for (const ReadCase& c : cases) {
        try {
            ReadRegularFile(c.path, 4096);
            ADD_FAILURE() << c.what << ": read";
        } catch (const EFileReadError& error) {
            EXPECT_EQ(error.kind(), c.kind) << c.what;
            EXPECT_TRUE(std::string(error.what()).starts_with(c.reason))
                << c.what << ": " << error.what();
        }
    }
    fs::remove(fifo);
    // Files of /proc report a size of 0 and hold more: read to their end.
    EXPECT_NE(ReadRegularFile("/proc/self/status", 1 << 20).find("Umask:"), std::string::npos);
}

}  // namespace
}  // namespace kc::base

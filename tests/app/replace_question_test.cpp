// SPDX-License-Identifier: GPL-3.0-or-later
// The write guard of the window's exports: every target is checked before the user is asked, so
// that nobody is asked to replace a file that would then be refused, and the folder stays locked
// from the question to the commit, so that what the question names is what is replaced.
#include "app/replace_question.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "app/transient_note.h"
#include "support/file_bytes.h"

namespace kc::app {
namespace {

class WriteGuardTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(folder.isValid()); }

    QString Make(const QString& name, const QByteArray& content) const {
        QFile file(folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
        return file.fileName();
    }

    // Asks the recorded question, answered with `answer` after running `whileAsked`.
    WriteGuard Guard(
        bool answer, const std::function<void()>& whileAsked = [] {}) {
        return {nullptr, QStringLiteral("caption"),
                [this, answer, whileAsked](QWidget*, const QString&, const QStringList& existing) {
                    questions.push_back(existing);
                    whileAsked();
                    return answer;
                },
                [this](const QString& text) { notes << text; }};
    }

    QTemporaryDir folder;
    std::vector<QStringList> questions;
    QStringList notes;
};

TEST_F(WriteGuardTest, FilesThatMayNotBeWrittenAreRefusedWithoutAQuestion) {
    const QString kept = Make(QStringLiteral("kept.csv"), "kept");
    std::filesystem::permissions(LocalFileName(kept), std::filesystem::perms::owner_read);
    const QString driver = Make(QStringLiteral("woofer.frd"), "driver");
    const std::pair<QString, std::vector<std::string>> refused[] = {
        {kept, {}}, {driver, {LocalFileName(driver)}}};
    for (const auto& [path, inputs] : refused) {
        EXPECT_THROW(Guard(true).WriteFile(path, inputs, exporting::ContentWriter("new")),
                     exporting::EFileWriteError)
            << path.toStdString();
    }
    EXPECT_TRUE(questions.empty());
    EXPECT_TRUE(notes.isEmpty());
    EXPECT_EQ(testing_support::ReadBytes(LocalFileName(kept)), "kept");
    EXPECT_EQ(testing_support::ReadBytes(LocalFileName(driver)), "driver");
}

TEST_F(WriteGuardTest, TheFolderStaysLockedFromTheQuestionToTheCommit) {
    const QString old = Make(QStringLiteral("a.csv"), "old");
    const std::string other = LocalFileName(folder.filePath(QStringLiteral("b.csv")));
    const WriteGuard guard = Guard(true, [&other] {
        EXPECT_THROW(exporting::WriteTextFile(other, "meanwhile"), exporting::EFileWriteError);
    });
    EXPECT_TRUE(guard.WriteFile(old, {}, exporting::ContentWriter("new")));
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], QStringList{old});
    EXPECT_EQ(testing_support::ReadBytes(LocalFileName(old)), "new");
    EXPECT_FALSE(QFile::exists(QFile::decodeName(other.c_str())));
    EXPECT_EQ(notes, QStringList{WrittenFilesNote({old})});
}

}  // namespace
}  // namespace kc::app

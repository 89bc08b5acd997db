// SPDX-License-Identifier: GPL-3.0-or-later
// The decimal separator of the user's locale, as start-up reads it from the environment.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "base/text_convert.h"
#include "support/comma_locale.h"

namespace kc::base {
namespace {

namespace fs = std::filesystem;

struct LocaleCase {
    const char* name;
    const char* variable;
    const char* locale;
    const char* separator;
};

void PrintTo(const LocaleCase& c, std::ostream* os) {
    *os << c.name;
}

constexpr const char* kLocaleVariables[] = {"LC_ALL", "LC_NUMERIC", "LANG", "LOCPATH"};

class LocaleDecimalSeparatorTest : public ::testing::TestWithParam<LocaleCase> {
  protected:
    static void SetUpTestSuite() {
        folder_ = fs::temp_directory_path() / ("kc-locale-test-" + std::to_string(::getpid()));
        compiled_ = testing_support::CompileCommaLocale(folder_);
    }
    static void TearDownTestSuite() { fs::remove_all(folder_); }

    // Each case starts from an environment that names no locale but the compiled one's folder.
    void SetUp() override {
        for (std::size_t i = 0; i < std::size(kLocaleVariables); ++i) {
            const char* value = std::getenv(kLocaleVariables[i]);
            saved_[i] = value != nullptr ? std::optional<std::string>(value) : std::nullopt;
            ::unsetenv(kLocaleVariables[i]);
        }
        ::setenv("LOCPATH", folder_.c_str(), 1);
    }
    void TearDown() override {
        for (std::size_t i = 0; i < std::size(kLocaleVariables); ++i) {
            if (saved_[i]) {
                ::setenv(kLocaleVariables[i], saved_[i]->c_str(), 1);
            } else {
                ::unsetenv(kLocaleVariables[i]);
            }
        }
    }

    static fs::path folder_;
    static bool compiled_;
    std::optional<std::string> saved_[std::size(kLocaleVariables)];
};

fs::path LocaleDecimalSeparatorTest::folder_;
bool LocaleDecimalSeparatorTest::compiled_ = false;

TEST_P(LocaleDecimalSeparatorTest, IsTheLocalesOrAFullStop) {
    ASSERT_TRUE(compiled_) << "localedef could not compile the test locale";
    ::setenv(GetParam().variable, GetParam().locale, 1);
    EXPECT_EQ(LocaleDecimalSeparator(), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(
    Environments, LocaleDecimalSeparatorTest,
    ::testing::Values(LocaleCase{"CommaFromLcAll", "LC_ALL", testing_support::kCommaLocale, ","},
                      LocaleCase{"CommaFromLcNumeric", "LC_NUMERIC", testing_support::kCommaLocale,
                                 ","},
                      LocaleCase{"CommaFromLang", "LANG", testing_support::kCommaLocale, ","},
                      LocaleCase{"FullStopOfC", "LC_ALL", "C", "."},
                      LocaleCase{"FullStopForAnUnknownLocale", "LC_ALL", "xx_NOWHERE", "."}),
    [](const auto& row) { return std::string(row.param.name); });

}  // namespace
}  // namespace kc::base

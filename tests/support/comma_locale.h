// SPDX-License-Identifier: GPL-3.0-or-later
// A locale whose decimal separator is a comma, compiled for the tests with glibc's localedef, so
// that no installed locale is needed (the charmap it reads comes with Debian's locales package).
#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace kc::testing_support {

// Its name; with LOCPATH naming the folder it was compiled into, LC_ALL=kc_comma selects it.
inline constexpr const char* kCommaLocale = "kc_comma";

// Compiles kc_comma (decimal point ",", only its number format defined) into `folder`; true when
// the compiled number format is there.
inline bool CompileCommaLocale(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    const std::filesystem::path source = folder / "kc_comma.def";
    std::ofstream(source) << "LC_NUMERIC\ndecimal_point \",\"\nthousands_sep \".\"\n"
                             "grouping 3;3\nEND LC_NUMERIC\n";
    // -c: write the locale although every other category is left undefined (it warns of each
    // and exits with 1, so its status says nothing).
    const std::string command = "localedef -c -f ANSI_X3.4-1968 -i '" + source.string() + "' '" +
                                (folder / kCommaLocale).string() + "' >/dev/null 2>&1";
    [[maybe_unused]] const int status = std::system(command.c_str());
    return std::filesystem::exists(folder / kCommaLocale / "LC_NUMERIC");
}

}  // namespace kc::testing_support

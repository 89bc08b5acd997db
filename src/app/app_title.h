// SPDX-License-Identifier: GPL-3.0-or-later
// The application title: the caption of the error report's message box.
#pragma once

#include <string>
#include <string_view>

namespace kc::app {

// The title for an executable path: the file name without its folder, cut at its first full
// stop, every character after the first in lower case ("/opt/ABC.DEF.EXE" gives "Abc",
// "abc.exe" gives "abc", "kaiser-crossover" stays as it is). Path and result are UTF-8.
std::string TitleFromExecutablePath(std::string_view executablePath);

// The title of the running program, from the executable's path; needs the application object.
std::string ApplicationTitle();

}  // namespace kc::app

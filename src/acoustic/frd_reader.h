// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a driver's measured response from an FRD text file: one line per frequency with the
// frequency in Hz, the magnitude in dB and the phase in degrees.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"

namespace kc::acoustic {

// The most a driver file may hold.
inline constexpr std::size_t kMaxFrdBytes = 16u * 1024u * 1024u;
inline constexpr int32_t kMaxFrdLines = 100000;
// Magnitudes and phases beyond these are no measurement; they are refused rather than let a level
// overflow or a phase lose its precision.
inline constexpr double kMaxFrdLevelDb = 1000.0;
inline constexpr double kMaxFrdPhaseDeg = 1e7;

// A driver file that cannot be loaded. The message names the file and, where the fault lies in a
// line, the line: "woofer.frd:17: frequency 120 does not rise above 125".
class EDriverFileError : public base::Error {
  public:
    using base::Error::Error;
};

// A driver's response as its file gives it.
struct DriverResponse {
    std::string name;                   // as messages and legends show the file
    std::vector<double> frequenciesHz;  // at least 2, positive, finite and strictly rising
    std::vector<double> levelsDb;       // within ±kMaxFrdLevelDb
    // Unwrapped: each differs from the one before by at most 180°; the first as the file gives it.
    std::vector<double> phasesDeg;

    double FirstHz() const { return frequenciesHz.front(); }
    double LastHz() const { return frequenciesHz.back(); }
};

// Reads the text of an FRD file called `name`. A line holds three numbers (frequency, magnitude,
// phase) separated by blanks (spaces, tabs) or by one comma or one semicolon, each with blanks
// around it or not; "." is the decimal point and a number may carry an exponent. Blank lines and
// lines whose first character other than a blank is "*", "#", ";" or '"' are comments, anywhere.
// A UTF-8 byte-order mark and LF, CRLF or CR line ends are accepted. At most kMaxFrdBytes and
// kMaxFrdLines. Anything else raises EDriverFileError, among others for UTF-16 text, a line without
// phase, a separator mixed with another, a decimal comma, NaN or infinity, a number beyond the
// double range ("out of range"), a frequency that is not positive or does not rise, and fewer
// than two points. Messages show the name and the file's texts escaped (base::ShownText).
DriverResponse ParseFrd(std::string_view text, const std::string& name);

// Reads the file at `path` (at most kMaxFrdBytes) and parses it as ParseFrd does, messages naming
// it `name`. EDriverFileError also when it cannot be read (with the system's reason) or is no
// regular file (refused at once, unread).
DriverResponse ReadFrdFile(const std::string& path, const std::string& name);

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a driver's measured response from a text file (FRD, or the text and CSV exports of
// measurement programs): one line per frequency with the frequency in Hz, the magnitude in dB
// and, where the file has it, the phase in degrees.
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
// A phase that steps by more than this between neighbouring points is undersampled: the points
// are too far apart for the driver's delay, and the unwrapped phase between them may be wrong.
inline constexpr double kMaxPhaseStepDeg = 90.0;

// A driver file that cannot be loaded. The message names the file and, where the fault lies in a
// line, the line: "woofer.frd:17: frequency 120 does not rise above 125".
class EDriverFileError : public base::Error {
  public:
    using base::Error::Error;
};

// What the file was.
enum class DriverKind { FrequencyResponse, ImpulseResponse };

// A driver's response as its file gives it.
struct DriverResponse {
    std::string name;                   // as messages and legends show the file
    std::vector<double> frequenciesHz;  // at least 2, positive, finite and strictly rising
    std::vector<double> levelsDb;       // within ±kMaxFrdLevelDb
    // Unwrapped: each differs from the one before by at most 180°; the first as the file gives it.
    std::vector<double> phasesDeg;
    DriverKind kind = DriverKind::FrequencyResponse;
    // The file had no phase: phasesDeg is the minimum phase derived from the magnitude.
    bool minimumPhase = false;
    // How the file was read, for the band's row: "text, columns 1-3 of 4 (frequency, magnitude,
    // phase), decimal commas", "impulse response 48000 Hz, ...".
    std::string reading{};
    // What the user should know about the data ("the phase steps by 121° at 12.3 kHz ...").
    std::vector<std::string> warnings{};

    double FirstHz() const { return frequenciesHz.front(); }
    double LastHz() const { return frequenciesHz.back(); }
};

// What the band's row says of a driver: "measured phase", "magnitude only: minimum phase
// derived" or "impulse response", with ", 1 warning" where it has warnings.
std::string KindText(const DriverResponse& driver);

// Whether the file was a tidy FRD file: three columns, the phase measured, no warning (or a
// response made in memory, with no reading); such a file needs no word on how it was read.
bool IsPlainFrd(const DriverResponse& driver);

// Reads the text of a driver file called `name`. Encodings: UTF-8 with or without its byte-order
// mark, UTF-16 (little or big endian) with its mark; UTF-16 without a mark is refused. Lines end
// with LF, CRLF or CR. Blank lines and lines whose first character other than a blank is "*",
// "#", ";" or '"' are comments, anywhere; lines of words before the data ("Freq(Hz) SPL(dB)
// Phase(deg)", "Dated: 05-Mar-2005") are its header. A data line holds two or more values separated
// by blanks (spaces, tabs), commas or semicolons (blanks around them allowed, one trailing
// separator ignored); where the separator is not a comma, a decimal comma is read as a decimal
// point. The first value is the frequency, the second the magnitude, the third the phase; further
// columns are ignored. Files of two columns are magnitude only: their phase is the minimum phase of
// the magnitude (MinimumPhaseDeg), and `minimumPhase` says so. Every data line has the same number
// of values. A phase stepping by more than kMaxPhaseStepDeg between neighbours adds a warning
// naming the frequency. At most kMaxFrdBytes and kMaxFrdLines. Anything else raises
// EDriverFileError, among others a line of one value, NaN or infinity, a number beyond the double
// range ("out of range"), a frequency that is not positive or does not rise, and fewer than two
// points. Messages show the name and the file's texts escaped (base::ShownText).
DriverResponse ParseFrd(std::string_view text, const std::string& name);

// Reads the file at `path` (at most kMaxFrdBytes) and parses it as ParseFrd does, messages naming
// it `name`. EDriverFileError also when it cannot be read (with the system's reason) or is no
// regular file (refused at once, unread).
DriverResponse ReadFrdFile(const std::string& path, const std::string& name);

// The file's bytes (at most kMaxFrdBytes), EDriverFileError naming it `name` when it cannot be
// read or is no regular file.
std::string ReadDriverBytes(const std::string& path, const std::string& name);

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
// Taps as the plain files that convolution engines and DSP boards read besides WAV: headerless
// little-endian samples and text with one coefficient a line.
#pragma once

#include <string>
#include <vector>

namespace kc::exporting {

// Float32: 4-byte IEEE floats (each tap rounded to the nearest float), in ".raw" files. Float64:
// 8-byte doubles as they are, in ".dbl" files.
enum class RawSampleFormat { Float32, Float64 };

// The taps as headerless little-endian samples of the format.
std::string RawSamples(const std::vector<double>& taps, RawSampleFormat format);

// "raw" or "dbl".
std::string RawExtension(RawSampleFormat format);

// One coefficient a line with 17 significant digits and a full stop whatever the locale, each
// reading back as the same double.
std::string CoefficientLines(const std::vector<double>& taps);

}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
// The texts the window's fields start with; the command line takes them as its defaults and the
// initial design is the one they give.
#pragma once

#include <string_view>

namespace kc::dsp::initial_texts {

inline constexpr std::string_view kLowTapCount = "901";    // Edit1, taps of the low-pass
inline constexpr std::string_view kMidTapCount = "701";    // Edit9, taps of the band-pass
inline constexpr std::string_view kHighTapCount = "301";   // Edit10, taps of the high-pass
inline constexpr std::string_view kLowCross = "300";       // Edit2, low-pass cut-off, Hz
inline constexpr std::string_view kMidCrossLow = "300";    // Edit5, band-pass lower edge, Hz
inline constexpr std::string_view kMidCrossHigh = "2000";  // Edit4, band-pass upper edge, Hz
inline constexpr std::string_view kHighCross = "2000";     // Edit3, high-pass cut-off, Hz
// Edit8, the stop-band attenuation in dB, read by the crossover and by the estimate.
inline constexpr std::string_view kAttenuation = "144";
inline constexpr std::string_view kPassBandEdge = "300";  // Edit6, the estimate's pass edge, Hz
inline constexpr std::string_view kStopBandEdge = "900";  // Edit7, the estimate's stop edge, Hz

}  // namespace kc::dsp::initial_texts

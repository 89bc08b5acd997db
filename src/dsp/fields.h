// SPDX-License-Identifier: GPL-3.0-or-later
// The eight fields of the crossover calculation in one table: the window's field, the design
// file's key, the command line's option and its help, and the text the field starts with. The
// window, the design file, the command line and the initial design loop over it.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace kc::dsp {

// The eight fields the calculation reads, in the order it reads them.
enum class CalcField {
    LowTapCount,   // taps of the low-pass, made odd and written back
    MidTapCount,   // taps of the band-pass, made odd and written back
    HighTapCount,  // taps of the high-pass, made odd and written back
    LowCross,      // low-pass cut-off, Hz (integer)
    MidCrossLow,   // band-pass lower edge, Hz (integer)
    MidCrossHigh,  // band-pass upper edge, Hz (integer)
    HighCross,     // high-pass cut-off, Hz (integer)
    Attenuation,   // stop-band attenuation, dB (floating point); also the estimate's third input
};
inline constexpr std::size_t kFieldCount = 8;

// What one field is called where it appears.
struct FieldRow {
    CalcField field;
    std::string_view windowName;   // the window's field ("Edit1")
    std::string_view designKey;    // its key in the design file's "crossover" section
    std::string_view option;       // the command line's option, without "--"
    std::string_view help;         // the option's help, before " (initial text)."
    std::string_view initialText;  // the text the field starts with
};

// In the order of CalcField.
inline constexpr std::array<FieldRow, kFieldCount> kFields = {{
    {CalcField::LowTapCount, "Edit1", "lowTaps", "low-taps", "Taps of the low-pass", "901"},
    {CalcField::MidTapCount, "Edit9", "midTaps", "mid-taps", "Taps of the band-pass", "701"},
    {CalcField::HighTapCount, "Edit10", "highTaps", "high-taps", "Taps of the high-pass", "301"},
    {CalcField::LowCross, "Edit2", "lowCut", "low-cut", "Low-pass cut-off in Hz", "300"},
    {CalcField::MidCrossLow, "Edit5", "midLow", "mid-low", "Band-pass lower edge in Hz", "300"},
    {CalcField::MidCrossHigh, "Edit4", "midHigh", "mid-high", "Band-pass upper edge in Hz", "2000"},
    {CalcField::HighCross, "Edit3", "highCut", "high-cut", "High-pass cut-off in Hz", "2000"},
    {CalcField::Attenuation, "Edit8", "attenuation", "attenuation", "Stop-band attenuation in dB",
     "144"},
}};

constexpr const FieldRow& FieldRowOf(CalcField field) {
    return kFields[static_cast<std::size_t>(field)];
}

// The text the field starts with in the window.
constexpr std::string_view InitialText(CalcField field) {
    return FieldRowOf(field).initialText;
}

static_assert(
    [] {
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (static_cast<std::size_t>(kFields[i].field) != i) {
                return false;
            }
        }
        return true;
    }(),
    "row i of kFields describes CalcField i");

}  // namespace kc::dsp

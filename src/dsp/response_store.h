// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency grid and the store of the last calculation's responses.
#pragma once

#include <array>
#include <cstdint>

namespace kc::dsp {

// The window's sampling frequency, Hz: its calculation and graph are at this rate, and it is the
// default rate of every design and evaluation.
inline constexpr int32_t SampleRate = 44100;

// The Nyquist frequency, half the sampling frequency, Hz.
inline constexpr int32_t kNyquistHz = SampleRate / 2;

// The whole-hertz rates a design may be made for (the exports' rates): every grid frequency lies
// below half of the lowest.
inline constexpr int32_t kMinSampleRateHz = 22050;
inline constexpr int32_t kMaxSampleRateHz = 768000;

// Whether `sampleRateHz` lies in kMinSampleRateHz ... kMaxSampleRateHz.
constexpr bool IsSupportedSampleRate(int64_t sampleRateHz) {
    return sampleRateHz >= kMinSampleRateHz && sampleRateHz <= kMaxSampleRateHz;
}

// Number of grid points; points are numbered 1 ... kGridPoints.
inline constexpr int32_t kGridPoints = 950;

// Last point of the first run of the grid (2 Hz steps up to 1000 Hz).
inline constexpr int32_t kFirstRunLastPoint = 500;

// Frequency in whole hertz of grid point k (1 <= k <= 950): 2·k up to point 500, then
// (k − 500)·20 + 1000, so 2, 4, ..., 1000, 1020, 1040, ..., 10000 Hz.
constexpr int32_t FreqGrid(int32_t k) {
    return k <= kFirstRunLastPoint ? 2 * k : (k - kFirstRunLastPoint) * 20 + 1000;
}

// One curve: entry k belongs to grid point k; entry 0 is never used and stays 0.0.
using Curve = std::array<double, kGridPoints + 1>;

// Magnitudes are linear amplitude ratios (1.0 = unity gain). Levels are normalised:
// (20·log10(magnitude) + 100) / 100, so 0 dB is 1.0 and −100 dB is 0.0, not clamped. SumDb adds
// ε = 0.001 (points 1 ... 500) or 0.0001 (points 501 ... 950) to the magnitude before the
// logarithm. Every entry is 0.0 until the first calculation.
struct ResponseStore {
    Curve LowMag{};
    Curve HighMag{};
    Curve MidMag{};
    Curve MidDb{};
    Curve LowDb{};
    Curve HighDb{};
    Curve SumMag{};
    Curve SumDb{};
};

}  // namespace kc::dsp

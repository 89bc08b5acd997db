// SPDX-License-Identifier: GPL-3.0-or-later
// Taps as WAV files, the impulse responses a convolver loads: each band as a mono file, or the
// three bands as the channels of one file, at the design's rate. The header is the plain one, with
// the format tag 3 (float) or 1 (PCM), never the extensible one that some engines reject.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kc::exporting {

// Float32: each tap as the nearest float. Float64: the taps as they are. Pcm24: 24-bit integers,
// each tap rounded to the nearest step of 2^−23 (1.0 is full scale, 2^23; beyond it is clipped).
enum class WavSampleFormat { Float32, Float64, Pcm24 };

// How the bands go into files.
enum class WavLayout {
    Bands,         // PREFIX-low.wav, PREFIX-mid.wav, PREFIX-high.wav, one channel each
    Multichannel,  // PREFIX.wav with low, mid and high in channels 1, 2 and 3
};

// A tap as a 24-bit PCM file holds it, read back as a fraction of full scale: the nearest step of
// 2^−23, clipped to −1 ... 1 − 2^−23.
double Pcm24Value(double tap);

// The largest gain (dsp::PeakGain) of what 24-bit PCM changes in `taps`: the error that the
// rounding adds to the band's response at any frequency, and so how deep its stop band can reach.
double Pcm24ErrorGain(const std::vector<double>& taps, int32_t sampleRateHz);

// Writes the channels (of equal length; channel c of frame i is channels[c][i]) at sampleRateHz to
// the file at `path` directly; throws std::runtime_error with libsndfile's reason when it cannot.
void WriteWavChannels(const std::string& path,
                      const std::vector<const std::vector<double>*>& channels, int32_t sampleRateHz,
                      WavSampleFormat format);

}  // namespace kc::exporting

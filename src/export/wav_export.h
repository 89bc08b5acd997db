// Each band's taps as a mono WAV file at 44 100 Hz, the impulse response a convolver loads.
#pragma once

#include <string>
#include <vector>

#include "dsp/crossover.h"

namespace kc::exporting {

enum class WavSampleFormat { Float32, Float64 };

// Writes `samples` as a mono 44 100 Hz WAV file of the given sample format, atomically.
void WriteWav(const std::string& path, const std::vector<double>& samples, WavSampleFormat format);

// Writes PREFIX-low.wav, PREFIX-mid.wav and PREFIX-high.wav from LowTaps, MidTaps and HighTaps.
void WriteBandWavs(const std::string& prefix, const dsp::CrossoverTaps& taps,
                   WavSampleFormat format);

}  // namespace kc::exporting

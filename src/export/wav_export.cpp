// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/wav_export.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <stdexcept>

#include "dsp/headroom.h"

namespace kc::exporting {
namespace {

int Subtype(WavSampleFormat format) {
    switch (format) {
        case WavSampleFormat::Float32:
            return SF_FORMAT_FLOAT;
        case WavSampleFormat::Float64:
            return SF_FORMAT_DOUBLE;
        case WavSampleFormat::Pcm24:
            return SF_FORMAT_PCM_24;
    }
    return SF_FORMAT_FLOAT;  // not reached: every format is listed above
}

// The frames of the channels, interleaved as libsndfile takes them.
std::vector<double> Interleaved(const std::vector<const std::vector<double>*>& channels) {
    const std::size_t frames = channels.empty() ? 0 : channels.front()->size();
    std::vector<double> samples(frames * channels.size());
    for (std::size_t c = 0; c < channels.size(); ++c) {
        if (channels[c]->size() != frames) {
            throw std::invalid_argument("channels of different lengths");
        }
        for (std::size_t i = 0; i < frames; ++i) {
            samples[i * channels.size() + c] = (*channels[c])[i];
        }
    }
    return samples;
}

constexpr double kFullScale = 8388608.0;  // 2^23

// The step of 2^−23 nearest to a sample (libsndfile's own conversion floors to the step below,
// which biases every tap the same way), clipped to the range.
double Pcm24Step(double sample) {
    const double step = std::nearbyint(sample * kFullScale);
    return std::clamp(step, -kFullScale, kFullScale - 1.0);
}

// A sample as a 24-bit integer, left-justified in 32 bits as libsndfile's integer writing takes
// it.
int32_t Pcm24Sample(double sample) {
    return static_cast<int32_t>(Pcm24Step(sample)) * 256;
}

sf_count_t WriteFrames(SNDFILE* file, const std::vector<double>& samples, sf_count_t frames,
                       WavSampleFormat format) {
    if (format != WavSampleFormat::Pcm24) {
        return sf_writef_double(file, samples.data(), frames);
    }
    std::vector<int32_t> integers(samples.size());
    std::transform(samples.begin(), samples.end(), integers.begin(), Pcm24Sample);
    return sf_writef_int(file, integers.data(), frames);
}

}  // namespace

double Pcm24Value(double tap) {
    return Pcm24Step(tap) / kFullScale;
}

double Pcm24ErrorGain(const std::vector<double>& taps, int32_t sampleRateHz) {
    std::vector<double> error(taps.size());
    std::transform(taps.begin(), taps.end(), error.begin(),
                   [](double tap) { return Pcm24Value(tap) - tap; });
    return dsp::PeakGain(error, sampleRateHz);
}

void WriteWavChannels(const std::string& path,
                      const std::vector<const std::vector<double>*>& channels, int32_t sampleRateHz,
                      WavSampleFormat format) {
    const std::vector<double> samples = Interleaved(channels);
    SF_INFO info{};
    info.samplerate = sampleRateHz;
    info.channels = static_cast<int>(channels.size());
    // SF_FORMAT_WAV, not SF_FORMAT_WAVEX: libsndfile then writes the plain format tag for any
    // number of channels.
    info.format = SF_FORMAT_WAV | Subtype(format);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error(sf_strerror(nullptr));
    }
    // Without the PEAK chunk that libsndfile adds to float files, whose time stamp would make
    // every run's bytes differ: the same design gives the same file.
    sf_command(file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    const auto frames = static_cast<sf_count_t>(channels.empty() ? 0 : channels.front()->size());
    const sf_count_t written = WriteFrames(file, samples, frames, format);
    const std::string error = written == frames ? "" : sf_strerror(file);
    if (sf_close(file) != 0 && error.empty()) {
        throw std::runtime_error("closing the file failed");
    }
    if (!error.empty()) {
        throw std::runtime_error(error);
    }
}

}  // namespace kc::exporting

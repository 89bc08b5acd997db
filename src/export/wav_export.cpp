#include "export/wav_export.h"

#include <sndfile.h>

#include <stdexcept>

#include "dsp/response_store.h"
#include "export/file_write.h"

namespace kc::exporting {
namespace {

void WriteSamples(const std::string& path, const std::vector<double>& samples,
                  WavSampleFormat format) {
    SF_INFO info{};
    info.samplerate = dsp::SampleRate;
    info.channels = 1;
    info.format =
        SF_FORMAT_WAV | (format == WavSampleFormat::Float64 ? SF_FORMAT_DOUBLE : SF_FORMAT_FLOAT);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (file == nullptr) {
        throw std::runtime_error(sf_strerror(nullptr));
    }
    const auto count = static_cast<sf_count_t>(samples.size());
    const sf_count_t written = sf_write_double(file, samples.data(), count);
    const std::string error = written == count ? "" : sf_strerror(file);
    if (sf_close(file) != 0 && error.empty()) {
        throw std::runtime_error("closing the file failed");
    }
    if (!error.empty()) {
        throw std::runtime_error(error);
    }
}

}  // namespace

void WriteWav(const std::string& path, const std::vector<double>& samples, WavSampleFormat format) {
    WriteFileAtomically(
        path, [&](const std::string& temporary) { WriteSamples(temporary, samples, format); });
}

void WriteBandWavs(const std::string& prefix, const dsp::CrossoverTaps& taps,
                   WavSampleFormat format) {
    WriteWav(prefix + "-low.wav", taps.LowTaps, format);
    WriteWav(prefix + "-mid.wav", taps.MidTaps, format);
    WriteWav(prefix + "-high.wav", taps.HighTaps, format);
}

}  // namespace kc::exporting

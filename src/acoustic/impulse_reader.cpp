// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/impulse_reader.h"

#include <fftw3.h>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "base/math_constants.h"
#include "base/message_text.h"
#include "base/text_convert.h"
#include "dsp/grid_transform.h"

namespace kc::acoustic {
namespace {

constexpr int32_t kLowestRateHz = 1000;
constexpr int32_t kHighestRateHz = 1000000;
constexpr double kPointsPerOctave = 96.0;
constexpr double kPhaseStepDeg = 45.0;
constexpr double kFloorDb = -300.0;

[[noreturn]] void Refuse(const std::string& name, const std::string& what) {
    throw EDriverFileError(base::EscapedText(name) + ": " + what);
}

// libsndfile reading from the bytes in memory: the file was read once, checked as a regular file
// of bounded size, and is not opened again by name.
struct Memory {
    std::string_view bytes;
    sf_count_t position = 0;
};

sf_count_t Length(void* user) {
    return static_cast<sf_count_t>(static_cast<Memory*>(user)->bytes.size());
}

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    auto* memory = static_cast<Memory*>(user);
    const auto size = static_cast<sf_count_t>(memory->bytes.size());
    sf_count_t target = offset;
    if (whence == SEEK_CUR) {
        target = memory->position + offset;
    } else if (whence == SEEK_END) {
        target = size + offset;
    }
    if (target < 0 || target > size) {
        return -1;
    }
    memory->position = target;
    return target;
}

sf_count_t Read(void* destination, sf_count_t count, void* user) {
    auto* memory = static_cast<Memory*>(user);
    const auto size = static_cast<sf_count_t>(memory->bytes.size());
    const sf_count_t n =
        std::clamp<sf_count_t>(size - memory->position, 0, std::max<sf_count_t>(count, 0));
    std::memcpy(destination, memory->bytes.data() + memory->position, static_cast<std::size_t>(n));
    memory->position += n;
    return n;
}

sf_count_t Write(const void* /*data*/, sf_count_t /*count*/, void* /*user*/) {
    return 0;
}

sf_count_t Tell(void* user) {
    return static_cast<Memory*>(user)->position;
}

struct SndfileCloser {
    void operator()(SNDFILE* file) const { sf_close(file); }
};

struct Samples {
    std::vector<double> values;  // the chosen channel
    int32_t rateHz = 0;
    int32_t channels = 0;
};

Samples ReadChannel(std::string_view bytes, const std::string& name, int32_t channel) {
    Memory memory{bytes};
    SF_VIRTUAL_IO io{Length, Seek, Read, Write, Tell};
    SF_INFO info{};
    const std::unique_ptr<SNDFILE, SndfileCloser> file(
        sf_open_virtual(&io, SFM_READ, &info, &memory));
    if (!file) {
        Refuse(name,
               "is no WAV file that can be read (" + base::ShownText(sf_strerror(nullptr)) + ")");
    }
    if (info.samplerate < kLowestRateHz || info.samplerate > kHighestRateHz) {
        Refuse(name, "has a sample rate of " + std::to_string(info.samplerate) +
                         " Hz; an impulse response needs 1000 ... 1000000 Hz");
    }
    if (info.channels < 1 || info.channels > kMaxImpulseChannels) {
        Refuse(name, "has " + std::to_string(info.channels) + " channels, more than " +
                         std::to_string(kMaxImpulseChannels));
    }
    if (channel < 1 || channel > info.channels) {
        Refuse(name, "has no channel " + std::to_string(channel) + " (it has " +
                         std::to_string(info.channels) + ")");
    }
    // The header's frame count is not trusted: the frames are read in blocks, the chosen
    // channel kept, up to kMaxImpulseFrames.
    Samples samples;
    samples.rateHz = info.samplerate;
    samples.channels = info.channels;
    constexpr sf_count_t kBlockFrames = 4096;
    std::vector<double> block(static_cast<std::size_t>(kBlockFrames) *
                              static_cast<std::size_t>(info.channels));
    for (;;) {
        const sf_count_t read = sf_readf_double(file.get(), block.data(), kBlockFrames);
        for (sf_count_t i = 0; i < read; ++i) {
            samples.values.push_back(
                block[static_cast<std::size_t>(i * info.channels + channel - 1)]);
        }
        if (samples.values.size() > kMaxImpulseFrames) {
            Refuse(name,
                   "holds more than " + std::to_string(kMaxImpulseFrames) + " samples a channel");
        }
        if (read < kBlockFrames) {
            break;
        }
    }
    if (samples.values.size() < 2) {
        Refuse(name, "holds fewer than 2 samples");
    }
    if (!std::all_of(samples.values.begin(), samples.values.end(),
                     [](double v) { return std::isfinite(v); })) {
        Refuse(name, "holds a sample that is not a finite number");
    }
    return samples;
}

std::size_t PeakIndex(const std::vector<double>& values) {
    return static_cast<std::size_t>(
        std::max_element(values.begin(), values.end(),
                         [](double a, double b) { return std::fabs(a) < std::fabs(b); }) -
        values.begin());
}

// The samples kept by the gate, the last tenth after the peak faded out by a half Hann window.
std::vector<double> Gated(const std::vector<double>& values, std::size_t peak, double gateMs,
                          int32_t rateHz) {
    std::size_t end = values.size();
    if (gateMs > 0.0) {
        const auto after = static_cast<std::size_t>(std::llround(gateMs * rateHz / 1000.0));
        end = std::min(end, peak + std::max<std::size_t>(after, 1) + 1);
    }
    std::vector<double> kept(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(end));
    const std::size_t fade = std::max<std::size_t>((end - peak) / 10, 1);
    for (std::size_t i = 0; i < fade && i < end; ++i) {
        // From 1 at the fade's start to 0 after the last sample.
        const double x = static_cast<double>(i + 1) / static_cast<double>(fade + 1);
        kept[end - fade + i] *= 0.5 * (1.0 + std::cos(static_cast<double>(base::kPi) * x));
    }
    return kept;
}

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};

// The spectrum of `samples` zero-padded to `length` (a power of two): bins 0 ... length/2.
std::vector<std::complex<double>> Spectrum(const std::vector<double>& samples, std::size_t length) {
    const std::unique_ptr<double, FftwFree> input(
        static_cast<double*>(fftw_malloc(sizeof(double) * length)));
    const std::size_t bins = length / 2 + 1;
    const std::unique_ptr<fftw_complex, FftwFree> output(
        static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * bins)));
    if (!input || !output) {
        throw std::bad_alloc();
    }
    fftw_plan plan = nullptr;
    {
        const std::lock_guard<std::recursive_mutex> lock(dsp::PlannerMutex());
        plan = fftw_plan_dft_r2c_1d(static_cast<int>(length), input.get(), output.get(),
                                    FFTW_ESTIMATE);
    }
    if (plan == nullptr) {
        throw std::bad_alloc();
    }
    std::fill(input.get(), input.get() + length, 0.0);
    std::copy(samples.begin(), samples.end(), input.get());
    fftw_execute(plan);
    {
        const std::lock_guard<std::recursive_mutex> lock(dsp::PlannerMutex());
        fftw_destroy_plan(plan);
    }
    std::vector<std::complex<double>> spectrum(bins);
    for (std::size_t k = 0; k < bins; ++k) {
        spectrum[k] = {output.get()[k][0], output.get()[k][1]};
    }
    return spectrum;
}

std::size_t FftLength(std::size_t samples, int32_t rateHz) {
    std::size_t length = 2;
    while (length < samples || length < static_cast<std::size_t>(rateHz) / 2) {
        length *= 2;
    }
    return length;
}

// The bins above 0 Hz as a driver: level, phase unwrapped over every bin, then thinned.
void FillResponse(const std::vector<std::complex<double>>& spectrum, double binHz,
                  DriverResponse& driver) {
    const double toDegrees = static_cast<double>(180.0L / base::kPi);
    const double ratio = std::exp2(1.0 / kPointsPerOctave);
    double phase = 0.0;
    double keptHz = 0.0;
    double keptPhase = 0.0;
    for (std::size_t k = 1; k < spectrum.size(); ++k) {
        const double raw = std::arg(spectrum[k]) * toDegrees;
        phase = k == 1 ? raw : phase + std::remainder(raw - phase, 360.0);
        const double hz = static_cast<double>(k) * binHz;
        const bool last = k + 1 == spectrum.size();
        if (k > 1 && !last && hz < keptHz * ratio && std::fabs(phase - keptPhase) < kPhaseStepDeg) {
            continue;
        }
        const double magnitude = std::abs(spectrum[k]);
        driver.frequenciesHz.push_back(hz);
        driver.levelsDb.push_back(magnitude > 0.0 ? std::max(20.0 * std::log10(magnitude), kFloorDb)
                                                  : kFloorDb);
        driver.phasesDeg.push_back(phase);
        keptHz = hz;
        keptPhase = phase;
    }
}

std::string MsText(double ms) {
    return base::FixedPointText(ms, 2) + " ms";
}

}  // namespace

bool IsWavFile(std::string_view bytes) {
    return bytes.size() >= 12 &&
           (bytes.starts_with("RIFF") || bytes.starts_with("RF64") || bytes.starts_with("BW64")) &&
           bytes.substr(8, 4) == "WAVE";
}

DriverResponse ParseImpulseWav(std::string_view bytes, const std::string& name,
                               const ImpulseOptions& options) {
    if (!(options.gateMs >= 0.0 && options.gateMs <= kMaxGateMs)) {
        Refuse(name, "gate " + base::FixedPointText(options.gateMs, 2) +
                         " ms lies outside 0 ... 10000 ms");
    }
    const Samples samples = ReadChannel(bytes, name, options.channel);
    const std::size_t peak = PeakIndex(samples.values);
    if (samples.values[peak] == 0.0) {
        Refuse(name, "channel " + std::to_string(options.channel) + " is silent");
    }
    const std::vector<double> kept = Gated(samples.values, peak, options.gateMs, samples.rateHz);
    const std::size_t length = FftLength(kept.size(), samples.rateHz);
    DriverResponse driver;
    driver.name = name;
    driver.kind = DriverKind::ImpulseResponse;
    FillResponse(Spectrum(kept, length),
                 static_cast<double>(samples.rateHz) / static_cast<double>(length), driver);
    const double rate = samples.rateHz;
    driver.reading = "impulse response, " + std::to_string(samples.rateHz) + " Hz, channel " +
                     std::to_string(options.channel) + " of " + std::to_string(samples.channels) +
                     ", peak at " + MsText(1000.0 * static_cast<double>(peak) / rate) + ", " +
                     (options.gateMs > 0.0 ? "gate " + MsText(options.gateMs) + " after the peak"
                                           : std::string("the whole file")) +
                     " (" + MsText(1000.0 * static_cast<double>(kept.size()) / rate) + ")";
    return driver;
}

DriverResponse ReadDriverFile(const std::string& path, const std::string& name,
                              const ImpulseOptions& options) {
    const std::string bytes = ReadDriverBytes(path, name);
    return IsWavFile(bytes) ? ParseImpulseWav(bytes, name, options) : ParseFrd(bytes, name);
}

}  // namespace kc::acoustic

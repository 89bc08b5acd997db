// SPDX-License-Identifier: GPL-3.0-or-later
#include "acoustic/speaker_time.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <mutex>

#include "base/math_constants.h"
#include "dsp/grid_transform.h"

namespace kc::acoustic {
namespace {

struct FftwFree {
    void operator()(void* p) const { fftw_free(p); }
};
using RealBuffer = std::unique_ptr<double[], FftwFree>;
using ComplexBuffer = std::unique_ptr<fftw_complex[], FftwFree>;

RealBuffer RealArray(std::size_t count) {
    auto* data = static_cast<double*>(fftw_malloc(sizeof(double) * count));
    if (data == nullptr) {
        throw std::bad_alloc();
    }
    return RealBuffer(data);
}

ComplexBuffer ComplexArray(std::size_t count) {
    auto* data = static_cast<fftw_complex*>(fftw_malloc(sizeof(fftw_complex) * count));
    if (data == nullptr) {
        throw std::bad_alloc();
    }
    return ComplexBuffer(data);
}

// One plan made, run and destroyed under the planner's lock for making and destroying.
template <typename Make>
void RunPlan(Make make) {
    fftw_plan plan = nullptr;
    {
        const std::lock_guard<std::recursive_mutex> lock(dsp::PlannerMutex());
        plan = make();
    }
    if (plan == nullptr) {
        throw std::bad_alloc();
    }
    fftw_execute(plan);
    const std::lock_guard<std::recursive_mutex> lock(dsp::PlannerMutex());
    fftw_destroy_plan(plan);
}

// The spectrum of `taps` with tap `centre` at time 0: the band's response, latency taken out.
std::vector<std::complex<double>> DelayFreeSpectrum(const std::vector<double>& taps, int32_t centre,
                                                    int32_t length) {
    const auto n = static_cast<std::size_t>(length);
    RealBuffer input = RealArray(n);
    std::fill(input.get(), input.get() + n, 0.0);
    for (std::size_t i = 0; i < taps.size(); ++i) {
        const auto shifted = (static_cast<int64_t>(i) - centre) % length;
        input[static_cast<std::size_t>(shifted < 0 ? shifted + length : shifted)] += taps[i];
    }
    const std::size_t bins = n / 2 + 1;
    ComplexBuffer output = ComplexArray(bins);
    RunPlan([&] { return fftw_plan_dft_r2c_1d(length, input.get(), output.get(), FFTW_ESTIMATE); });
    std::vector<std::complex<double>> spectrum(bins);
    for (std::size_t k = 0; k < bins; ++k) {
        spectrum[k] = {output[k][0], output[k][1]};
    }
    return spectrum;
}

// The impulse of a spectrum of N/2 + 1 bins, t = 0 moved to sample N/2.
std::vector<double> CentredImpulse(const std::vector<std::complex<double>>& spectrum,
                                   int32_t length) {
    const auto n = static_cast<std::size_t>(length);
    ComplexBuffer input = ComplexArray(spectrum.size());
    for (std::size_t k = 0; k < spectrum.size(); ++k) {
        input[k][0] = spectrum[k].real();
        input[k][1] = spectrum[k].imag();
    }
    RealBuffer output = RealArray(n);
    RunPlan([&] { return fftw_plan_dft_c2r_1d(length, input.get(), output.get(), FFTW_ESTIMATE); });
    std::vector<double> impulse(n);
    const std::size_t half = n / 2;
    for (std::size_t i = 0; i < n; ++i) {
        impulse[(i + half) % n] = output[i] / static_cast<double>(length);
    }
    return impulse;
}

}  // namespace

int32_t SpeakerTransformLength(int32_t commonLength, int32_t sampleRateHz) {
    const int64_t wanted = std::max<int64_t>(4 * int64_t{commonLength}, sampleRateHz / 10);
    int64_t length = 1024;
    while (length < wanted) {
        length *= 2;
    }
    return static_cast<int32_t>(length);
}

void SpeakerTimeModel::Set(const dsp::CrossoverTaps& taps, const Drivers& drivers) {
    const int32_t length = SpeakerTransformLength(taps.CommonLength, taps.sampleRateHz);
    const std::size_t bins = static_cast<std::size_t>(length) / 2 + 1;
    std::vector<double> frequenciesHz(bins);
    for (std::size_t k = 0; k < bins; ++k) {
        frequenciesHz[k] = static_cast<double>(k) * taps.sampleRateHz / length;
    }
    // Bin 0 takes the ideal driver's level (a spectrum's DC is real), a measured driver none.
    frequenciesHz[0] = frequenciesHz[1];
    const double ideal = std::pow(10.0, IdealLevelDb(drivers) / 20.0);
    const auto bandTaps = dsp::BandTaps(taps);
    std::array<std::vector<std::complex<double>>, dsp::kBandCount> spectra;
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        spectra[b] = DelayFreeSpectrum(*bandTaps[b], taps.CommonCentre, length);
        const ComplexCurve driver =
            drivers[b] ? InterpolateDriver(*drivers[b], frequenciesHz) : ComplexCurve(bins, ideal);
        for (std::size_t k = 0; k < bins; ++k) {
            spectra[b][k] *= k == 0 ? std::complex<double>(drivers[b] ? 0.0 : driver[k].real())
                             : k + 1 == bins ? std::complex<double>(driver[k].real())
                                             : driver[k];
        }
    }
    spectra_ = std::move(spectra);
    length_ = length;
    sampleRateHz_ = taps.sampleRateHz;
}

dsp::TimeResponse SpeakerTimeModel::Evaluate(const Settings& settings) const {
    auto curves = std::make_shared<dsp::CrossoverTaps>();
    if (length_ == 0) {
        return dsp::MakeTimeResponse(std::move(curves), false);
    }
    const std::size_t bins = spectra_[0].size();
    std::vector<std::complex<double>> sum(bins, 0.0);
    std::vector<std::complex<double>> band(bins);
    const auto arrays = dsp::BandTaps(*curves);
    for (std::size_t b = 0; b < dsp::kBandCount; ++b) {
        const double gain =
            std::pow(10.0, settings[b].gainDb / 20.0) * (settings[b].inverted ? -1.0 : 1.0);
        const long double delaySeconds = static_cast<long double>(settings[b].delayMs) / 1000.0L;
        for (std::size_t k = 0; k < bins; ++k) {
            // e^(−j·2π·f·τ), its whole turns taken off in extended precision first.
            const long double turns =
                static_cast<long double>(k) * sampleRateHz_ / length_ * delaySeconds;
            const auto angle = static_cast<double>(-base::kTwoPi * (turns - std::nearbyint(turns)));
            band[k] = spectra_[b][k] * std::polar(gain, angle);
            sum[k] += band[k];
        }
        *arrays[b] = CentredImpulse(band, length_);
    }
    curves->SumTaps = CentredImpulse(sum, length_);
    curves->CommonLength = length_;
    curves->CommonCentre = length_ / 2;
    curves->sampleRateHz = sampleRateHz_;
    return dsp::MakeTimeResponse(std::move(curves), false);
}

}  // namespace kc::acoustic

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/headroom.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <mutex>

#include "base/errors.h"
#include "dsp/complex_response.h"
#include "dsp/crossover.h"
#include "dsp/grid_transform.h"

namespace kc::dsp {
namespace {

struct FftwFree {
    void operator()(void* memory) const { fftw_free(memory); }
};

// The FFT's length: a power of two of at least four points a tap, and at least 1024.
std::size_t TransformLength(std::size_t taps) {
    std::size_t length = 1024;
    while (length < 4 * taps) {
        length *= 2;
    }
    return length;
}

// The bin (0 ... N/2) where |H| of an N-point FFT of the taps is largest.
std::size_t LargestBin(const std::vector<double>& taps, std::size_t length) {
    const std::unique_ptr<double, FftwFree> input(fftw_alloc_real(length));
    const std::size_t bins = length / 2 + 1;
    const std::unique_ptr<fftw_complex, FftwFree> output(fftw_alloc_complex(bins));
    if (!input || !output) {
        base::RaiseOutOfMemory();
    }
    fftw_plan plan = nullptr;
    {
        const std::lock_guard<std::recursive_mutex> lock(PlannerMutex());
        plan = fftw_plan_dft_r2c_1d(static_cast<int>(length), input.get(), output.get(),
                                    FFTW_ESTIMATE);
    }
    if (plan == nullptr) {
        base::RaiseOutOfMemory();
    }
    std::copy(taps.begin(), taps.end(), input.get());
    std::fill(input.get() + taps.size(), input.get() + length, 0.0);
    fftw_execute(plan);
    {
        const std::lock_guard<std::recursive_mutex> lock(PlannerMutex());
        fftw_destroy_plan(plan);
    }
    std::size_t largest = 0;
    double largestPower = -1.0;
    for (std::size_t k = 0; k < bins; ++k) {
        const double power =
            output.get()[k][0] * output.get()[k][0] + output.get()[k][1] * output.get()[k][1];
        if (power > largestPower) {
            largestPower = power;
            largest = k;
        }
    }
    return largest;
}

}  // namespace

double PeakGain(const std::vector<double>& taps, int32_t sampleRateHz) {
    CheckSampleRate(sampleRateHz);
    if (taps.empty()) {
        return 0.0;
    }
    const std::size_t length = TransformLength(taps.size());
    const double binHz = static_cast<double>(sampleRateHz) / static_cast<double>(length);
    const double nyquistHz = sampleRateHz / 2.0;
    // The peak lies within a bin of the largest bin; 16 direct sums a step narrow it down by 8
    // each time.
    double centreHz = static_cast<double>(LargestBin(taps, length)) * binHz;
    double halfSpanHz = binHz;
    double peak = 0.0;
    constexpr int kPoints = 17;
    for (int round = 0; round < 4; ++round) {
        std::vector<double> frequencies;
        for (int i = 0; i < kPoints; ++i) {
            const double f = centreHz + halfSpanHz * (2.0 * i / (kPoints - 1) - 1.0);
            frequencies.push_back(std::clamp(f, 0.0, nyquistHz));
        }
        const std::vector<std::complex<double>> values =
            DelayFreeResponse(taps, 0, sampleRateHz, frequencies);
        for (std::size_t i = 0; i < values.size(); ++i) {
            if (std::abs(values[i]) >= peak) {
                peak = std::abs(values[i]);
                centreHz = frequencies[i];
            }
        }
        halfSpanHz /= 8.0;
    }
    return peak;
}

double WorstCaseGain(const std::vector<double>& taps) {
    long double sum = 0.0L;
    for (const double tap : taps) {
        sum += std::fabs(static_cast<long double>(tap));
    }
    return static_cast<double>(sum);
}

}  // namespace kc::dsp

// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/grid_transform.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <list>
#include <mutex>

#include "base/errors.h"
#include "base/float_checks.h"
#include "base/math_constants.h"
#include "dsp/crossover.h"

namespace kc::dsp {

// It is recursive so that a plan may be destroyed while the lock is held (a plan made before a
// failure in the same constructor, a length dropped from the cache).
std::recursive_mutex& PlannerMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

namespace {

std::size_t BinCount(std::size_t length) {
    return length / 2 + 1;
}

// Every grid point's bin f·N/R lies in the half spectrum, below N/2 + 1, when f < R/2: 10 000 Hz is
// bin 5 000 of 5 513 at 22 050 Hz (N = 11 025) and bin 10 000 of 11 026 at 22 051 Hz.
constexpr bool EveryGridFrequencyIsEvenAndInRange() {
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        if (FreqGrid(k) % 2 != 0 || FreqGrid(k) >= kMinSampleRateHz / 2) {
            return false;
        }
    }
    return true;
}
static_assert(EveryGridFrequencyIsEvenAndInRange(),
              "the folding to R/2 taps needs even frequencies below half the lowest rate");

template <typename T>
struct FftwDeleter {
    void operator()(T* memory) const { fftw_free(memory); }
};
using RealArray = std::unique_ptr<double, FftwDeleter<double>>;
using ComplexArray = std::unique_ptr<fftw_complex, FftwDeleter<fftw_complex>>;

RealArray AllocateReal(std::size_t length) {
    RealArray array(fftw_alloc_real(length));
    if (!array) {
        base::RaiseOutOfMemory();
    }
    return array;
}

ComplexArray AllocateComplex(std::size_t count) {
    ComplexArray array(fftw_alloc_complex(count));
    if (!array) {
        base::RaiseOutOfMemory();
    }
    return array;
}

struct PlanDestroyer {
    void operator()(fftw_plan_s* plan) const {
        const std::lock_guard<std::recursive_mutex> lock(PlannerMutex());
        fftw_destroy_plan(plan);
    }
};
using Plan = std::unique_ptr<fftw_plan_s, PlanDestroyer>;

Plan CheckedPlan(fftw_plan plan) {
    if (plan == nullptr) {
        base::RaiseOutOfMemory();
    }
    return Plan(plan);
}

// The largest prime factor of n (1 for n = 1).
std::size_t LargestPrimeFactor(std::size_t n) {
    std::size_t largest = 1;
    for (std::size_t p = 2; p * p <= n; ++p) {
        for (; n % p == 0; n /= p) {
            largest = p;
        }
    }
    return n > 1 ? n : largest;
}

// The largest prime that FFTW transforms with a straight-line codelet of its own.
constexpr std::size_t kLargestCodeletPrime = 13;

bool HasPrimeFactorBeyondCodelets(std::size_t length) {
    return LargestPrimeFactor(length) > kLargestCodeletPrime;
}

// The padded length of the chirp-z transform: the smallest 2^a·3^b·5^c not below `minimum` with
// a ≤ 10. FFTW's estimated plans of lengths with a high power of two run about twice as long as
// those of mixed factors here (786 432 = 2^18·3 points take 12 ms, 800 000 = 2^8·5^5 take 6 ms).
std::size_t PaddedLength(std::size_t minimum) {
    constexpr std::size_t kLargestPowerOfTwo = std::size_t{1} << 10;
    std::size_t best = std::numeric_limits<std::size_t>::max();
    for (std::size_t fives = 1; fives < best; fives *= 5) {
        for (std::size_t odd = fives; odd < best; odd *= 3) {
            for (std::size_t twos = 1; twos <= kLargestPowerOfTwo && odd * twos < best; twos *= 2) {
                if (odd * twos >= minimum) {
                    best = odd * twos;
                }
            }
        }
    }
    return best;
}

// Bin f·N/R of grid point k, a whole number for every grid frequency (see the header).
std::size_t GridBin(int32_t k, std::size_t length, int32_t sampleRateHz) {
    return static_cast<std::size_t>(int64_t{FreqGrid(k)} * static_cast<int64_t>(length) /
                                    sampleRateHz);
}

// Writes taps folded modulo `length` into out[0], out[stride], ..., out[(length − 1)·stride]: tap
// n adds to entry n mod N; a filter of N taps or fewer is copied as it is.
void Fold(const std::vector<double>& taps, std::size_t length, double* out, std::size_t stride) {
    const std::size_t head = std::min(taps.size(), length);
    for (std::size_t n = 0; n < head; ++n) {
        out[n * stride] = taps[n];
    }
    for (std::size_t n = head; n < length; ++n) {
        out[n * stride] = 0.0;
    }
    for (std::size_t start = length; start < taps.size(); start += length) {
        const std::size_t end = std::min(taps.size(), start + length);
        for (std::size_t n = start; n < end; ++n) {
            out[(n - start) * stride] += taps[n];
        }
    }
}

// A complex double, multiplied without the library's checks for infinities (which cost a call per
// product): every value here is finite.
struct Phasor {
    double re;
    double im;
};

Phasor Times(Phasor a, Phasor b) {
    return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re};
}

// e^(−jπ·r/N) for a whole r from 0 to 2N − 1, as the product of two table entries: r = hi·S + lo
// with S a power of two near √(2N), e^(−jπ·hi·S/N) · e^(−jπ·lo/N). Two tables of about √(2N)
// entries each instead of one of 2N, each entry from the library's extended sine and cosine of an
// exactly reduced angle, so the product errs by a few units of the last place.
class HalfTurnPhasor {
  public:
    explicit HalfTurnPhasor(std::size_t length) : length_(length) {
        while ((std::size_t{1} << (2 * fineBits_)) < 2 * length) {
            ++fineBits_;
        }
        fine_ = Table(std::size_t{1} << fineBits_, 1);
        coarse_ = Table((2 * length >> fineBits_) + 1, std::size_t{1} << fineBits_);
    }

    Phasor operator()(std::size_t r) const {
        return Times(coarse_[r >> fineBits_], fine_[r & ((std::size_t{1} << fineBits_) - 1)]);
    }

    // e^(−jπ·t²/N), the chirp at t, its square reduced modulo 2N in integers.
    Phasor Chirp(int64_t t) const {
        const auto period = static_cast<int64_t>(2 * length_);
        const int64_t reduced = (t % period) * (t % period) % period;
        return (*this)(static_cast<std::size_t>(reduced));
    }

  private:
    std::vector<Phasor> Table(std::size_t entries, std::size_t step) const {
        std::vector<Phasor> table(entries);
        for (std::size_t i = 0; i < entries; ++i) {
            const std::size_t r = i * step % (2 * length_);
            const long double angle = base::kPi * static_cast<long double>(r) / length_;
            table[i] = {static_cast<double>(std::cos(angle)),
                        -static_cast<double>(std::sin(angle))};
        }
        return table;
    }

    std::size_t length_;
    int fineBits_ = 0;
    std::vector<Phasor> fine_;
    std::vector<Phasor> coarse_;
};

// At most this many lengths keep their plans: a run uses one or a few rates, replanning costs a few
// milliseconds, and the chirp-z plans of the largest lengths hold some 23 MB each.
constexpr std::size_t kKeptLengths = 2;

}  // namespace

// What every transform of one length needs, made once and shared.
//
// The chirp-z transform (Bluestein's algorithm): with c(t) = e^(−jπ·t²/N), the identity
// n·k = (n² + k² − (k − n)²)/2 gives X[k] = Σ x[n]·e^(−j2π·n·k/N) = c(k)·Σ (x[n]·c(n))·conj(c(k −
// n)), a linear convolution. The grid needs bins 1 ... K (K = 5000 or 10 000) and, to take two real
// arrays apart from one complex sequence, the bins −K ... −1 too: k − n then runs over
// −(N − 1) − K ... K, N + 2K values, so a circular convolution of M ≥ N + 2K points, by FFTs, gives
// them all. M has the factors 2, 3 and 5 only (PaddedLength); the spectrum of conj(c) laid out
// modulo M is computed once, divided by M for the inverse transform.
struct GridTransform::LengthPlan {
    LengthPlan(std::size_t transformLength, std::size_t highestGridBin)
        : length(transformLength),
          highestBin(highestGridBin),
          chirpZ(HasPrimeFactorBeyondCodelets(transformLength)) {
        if (!chirpZ) {
            RealArray input = AllocateReal(length);
            ComplexArray output = AllocateComplex(BinCount(length));
            real = CheckedPlan(fftw_plan_dft_r2c_1d(static_cast<int>(length), input.get(),
                                                    output.get(), FFTW_ESTIMATE));
            return;
        }
        paddedLength = PaddedLength(length + 2 * highestBin);
        phasor = std::make_unique<HalfTurnPhasor>(length);
        spectrum = AllocateComplex(paddedLength);
        const int size = static_cast<int>(paddedLength);
        fftw_complex* s = spectrum.get();
        forward = CheckedPlan(fftw_plan_dft_1d(size, s, s, FFTW_FORWARD, FFTW_ESTIMATE));
        backward = CheckedPlan(fftw_plan_dft_1d(size, s, s, FFTW_BACKWARD, FFTW_ESTIMATE));
        std::fill_n(&s[0][0], 2 * paddedLength, 0.0);
        const auto lowest = -static_cast<int64_t>(length - 1 + highestBin);
        for (int64_t d = lowest; d <= static_cast<int64_t>(highestBin); ++d) {
            const Phasor c = phasor->Chirp(d);
            const auto at = static_cast<std::size_t>(d < 0 ? d + size : d);
            s[at][0] = c.re;
            s[at][1] = -c.im;
        }
        fftw_execute_dft(forward.get(), s, s);
        const double scale = 1.0 / static_cast<double>(paddedLength);
        for (std::size_t i = 0; i < paddedLength; ++i) {
            s[i][0] *= scale;
            s[i][1] *= scale;
        }
    }

    std::size_t length;
    std::size_t highestBin;
    bool chirpZ;
    Plan real;  // the real FFT of `length` points
    // The chirp-z transform's padded length, its transforms in place, the spectrum and the chirp.
    std::size_t paddedLength = 0;
    Plan forward;
    Plan backward;
    ComplexArray spectrum;
    std::unique_ptr<HalfTurnPhasor> phasor;
};

struct GridTransform::WorkArrays {
    explicit WorkArrays(const LengthPlan& plan) {
        if (plan.chirpZ) {
            sequence = AllocateComplex(plan.paddedLength);
        } else {
            folded = AllocateReal(plan.length);
            bins = AllocateComplex(BinCount(plan.length));
        }
    }
    RealArray folded;
    ComplexArray bins;
    ComplexArray sequence;  // the chirp-z transform's, in place
};

GridTransform::GridTransform(int32_t sampleRateHz)
    : sampleRateHz_(sampleRateHz),
      length_(static_cast<std::size_t>(TransformLength(sampleRateHz))) {
    CheckSampleRate(sampleRateHz);
    plan_ = SharedPlan(length_, GridBin(kGridPoints, length_, sampleRateHz));
    work_ = std::make_unique<WorkArrays>(*plan_);
}

GridTransform::~GridTransform() = default;

bool GridTransform::UsesChirpZ() const {
    return plan_->chirpZ;
}

void GridTransform::Magnitudes(const std::vector<double>& taps, Curve& magnitudes) {
    if (plan_->chirpZ) {
        Curve unused{};
        ChirpZMagnitudes(taps, {}, magnitudes, unused);
    } else {
        RealMagnitudes(taps, magnitudes);
    }
}

void GridTransform::Magnitudes(const std::vector<double>& first, const std::vector<double>& second,
                               Curve& firstMagnitudes, Curve& secondMagnitudes) {
    if (plan_->chirpZ) {
        ChirpZMagnitudes(first, second, firstMagnitudes, secondMagnitudes);
    } else {
        RealMagnitudes(first, firstMagnitudes);
        RealMagnitudes(second, secondMagnitudes);
    }
}

void GridTransform::RealMagnitudes(const std::vector<double>& taps, Curve& magnitudes) {
    double* folded = work_->folded.get();
    Fold(taps, length_, folded, 1);
    fftw_execute_dft_r2c(plan_->real.get(), folded, work_->bins.get());
    const fftw_complex* bins = work_->bins.get();
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        const fftw_complex& bin = bins[GridBin(k, length_, sampleRateHz_)];
        const long double re2 = static_cast<long double>(bin[0]) * bin[0];
        const long double im2 = static_cast<long double>(bin[1]) * bin[1];
        magnitudes[static_cast<std::size_t>(k)] = base::StoreDouble(std::sqrt(re2 + im2));
    }
}

// The two arrays are the real and imaginary parts of z = u + j·v, whose transform is U + j·V; since
// u and v are real, U[k] = (Z[k] + conj(Z[−k]))/2 and V[k] = (Z[k] − conj(Z[−k]))/(2j).
void GridTransform::ChirpZMagnitudes(const std::vector<double>& first,
                                     const std::vector<double>& second, Curve& firstMagnitudes,
                                     Curve& secondMagnitudes) {
    const LengthPlan& plan = *plan_;
    fftw_complex* z = work_->sequence.get();
    Fold(first, length_, &z[0][0], 2);
    Fold(second, length_, &z[0][1], 2);
    // z[n]·c(n), n² kept modulo 2N as n grows: (n + 1)² = n² + 2n + 1.
    std::size_t square = 0;
    for (std::size_t n = 0; n < length_; ++n) {
        const Phasor product = Times({z[n][0], z[n][1]}, (*plan.phasor)(square));
        z[n][0] = product.re;
        z[n][1] = product.im;
        square += 2 * n + 1;
        if (square >= 2 * length_) {
            square -= 2 * length_;
        }
    }
    std::fill_n(&z[length_][0], 2 * (plan.paddedLength - length_), 0.0);
    fftw_execute_dft(plan.forward.get(), z, z);
    const fftw_complex* spectrum = plan.spectrum.get();
    for (std::size_t i = 0; i < plan.paddedLength; ++i) {
        const Phasor product = Times({z[i][0], z[i][1]}, {spectrum[i][0], spectrum[i][1]});
        z[i][0] = product.re;
        z[i][1] = product.im;
    }
    fftw_execute_dft(plan.backward.get(), z, z);
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        const std::size_t bin = GridBin(k, length_, sampleRateHz_);
        const Phasor chirp = plan.phasor->Chirp(static_cast<int64_t>(bin));
        const Phasor up = Times(chirp, {z[bin][0], z[bin][1]});
        const std::size_t mirror = plan.paddedLength - bin;
        const Phasor down = Times(chirp, {z[mirror][0], z[mirror][1]});
        const auto magnitude = [](long double re, long double im) {
            return base::StoreDouble(std::sqrt(re * re + im * im));
        };
        const auto i = static_cast<std::size_t>(k);
        firstMagnitudes[i] = magnitude((static_cast<long double>(up.re) + down.re) / 2.0L,
                                       (static_cast<long double>(up.im) - down.im) / 2.0L);
        secondMagnitudes[i] = magnitude((static_cast<long double>(up.im) + down.im) / 2.0L,
                                        (static_cast<long double>(down.re) - up.re) / 2.0L);
    }
}

std::shared_ptr<const GridTransform::LengthPlan> GridTransform::SharedPlan(std::size_t length,
                                                                           std::size_t highestBin) {
    // The lock first: made before the list, it outlives the list's plans at the end of the run.
    std::recursive_mutex& mutex = PlannerMutex();
    static std::list<std::shared_ptr<const LengthPlan>> recent;  // newest first
    const std::lock_guard<std::recursive_mutex> lock(mutex);
    for (auto entry = recent.begin(); entry != recent.end(); ++entry) {
        if ((*entry)->length == length && (*entry)->highestBin == highestBin) {
            recent.splice(recent.begin(), recent, entry);
            return recent.front();
        }
    }
    recent.push_front(std::make_shared<const LengthPlan>(length, highestBin));
    if (recent.size() > kKeptLengths) {
        recent.pop_back();  // its transforms keep it while they last
    }
    return recent.front();
}

}  // namespace kc::dsp

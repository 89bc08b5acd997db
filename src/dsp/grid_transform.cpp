// SPDX-License-Identifier: GPL-3.0-or-later
#include "dsp/grid_transform.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "base/errors.h"
#include "base/float_checks.h"
#include "dsp/crossover.h"

namespace kc::dsp {
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

ComplexArray AllocateComplex(std::size_t length) {
    ComplexArray array(fftw_alloc_complex(BinCount(length)));
    if (!array) {
        base::RaiseOutOfMemory();
    }
    return array;
}

// The plans made in the run, one per length, destroyed at its end.
class PlanCache {
  public:
    PlanCache() = default;
    ~PlanCache() {
        for (const auto& [length, plan] : plans_) {
            fftw_destroy_plan(plan);
        }
    }
    PlanCache(const PlanCache&) = delete;
    PlanCache& operator=(const PlanCache&) = delete;

    fftw_plan& operator[](std::size_t length) { return plans_[length]; }

  private:
    std::map<std::size_t, fftw_plan> plans_;
};

// The plan of the real transform of `length` points, made on its first use and kept for the run.
// Estimated, not measured: measuring costs a third of a second once and gains nothing at these
// lengths, and an estimated plan is the same on every run, so the last bits of the results are
// too. The planner is not thread-safe, hence the lock; executing a plan on other arrays of the
// same alignment (fftw_alloc gives every array the same) is.
fftw_plan TransformPlan(std::size_t length) {
    static std::mutex planMutex;
    static PlanCache plans;
    const std::lock_guard<std::mutex> lock(planMutex);
    fftw_plan& plan = plans[length];
    if (plan == nullptr) {
        RealArray input = AllocateReal(length);
        ComplexArray output = AllocateComplex(length);
        plan = fftw_plan_dft_r2c_1d(static_cast<int>(length), input.get(), output.get(),
                                    FFTW_ESTIMATE);
        if (plan == nullptr) {
            base::RaiseOutOfMemory();
        }
    }
    return plan;
}

// The prime factors of n in ascending order, with multiplicity.
std::vector<std::size_t> PrimeFactors(std::size_t n) {
    std::vector<std::size_t> factors;
    for (std::size_t p = 2; p * p <= n; ++p) {
        for (; n % p == 0; n /= p) {
            factors.push_back(p);
        }
    }
    if (n > 1) {
        factors.push_back(n);
    }
    return factors;
}

// The largest prime that FFTW transforms with a straight-line codelet of its own.
constexpr std::size_t kLargestCodeletPrime = 13;

bool HasPrimeFactorBeyondCodelets(std::size_t length) {
    return PrimeFactors(length).back() > kLargestCodeletPrime;
}

// The relative error, in units of 8·ε, of the whole output vector of a transform of `length`
// points (see RoundingErrorBound): log2 N levels of butterflies, each a scaled unitary map, and
// for every prime factor p above 13, which FFTW does by Rader's algorithm (a cyclic convolution of
// p − 1 points by a forward transform, a product with the transformed twiddles and an inverse
// transform), the levels of those two transforms and of the product.
long double NormwiseLevels(std::size_t length) {
    long double levels = std::ceil(std::log2(static_cast<long double>(length)));
    for (std::size_t p : PrimeFactors(length)) {
        if (p > kLargestCodeletPrime) {
            levels += 2.0L * NormwiseLevels(p - 1) + 1.0L;
        }
    }
    return levels;
}

}  // namespace

struct GridTransform::WorkArrays {
    explicit WorkArrays(std::size_t length)
        : folded(AllocateReal(length)), bins(AllocateComplex(length)) {}
    RealArray folded;
    ComplexArray bins;
};

GridTransform::GridTransform(int32_t sampleRateHz)
    : length_(static_cast<std::size_t>(TransformLength(sampleRateHz))) {
    CheckSampleRate(sampleRateHz);
    work_ = std::make_unique<WorkArrays>(length_);
}

GridTransform::~GridTransform() = default;

void GridTransform::Magnitudes(const std::vector<double>& taps, Curve& magnitudes) {
    double* folded = work_->folded.get();
    // Tap n adds to folded[n mod N]; a filter of N taps or fewer is copied as it is.
    const std::size_t head = std::min(taps.size(), length_);
    std::copy(taps.begin(), taps.begin() + static_cast<std::ptrdiff_t>(head), folded);
    std::fill(folded + head, folded + length_, 0.0);
    for (std::size_t start = length_; start < taps.size(); start += length_) {
        const std::size_t end = std::min(taps.size(), start + length_);
        for (std::size_t n = start; n < end; ++n) {
            folded[n - start] += taps[n];
        }
    }
    fftw_execute_dft_r2c(TransformPlan(length_), folded, work_->bins.get());
    const fftw_complex* bins = work_->bins.get();
    // Grid frequency f falls on bin f·N/R: f/2 for an even rate, f for an odd one.
    const std::size_t frequenciesPerBin = length_ % 2 == 0 ? 2 : 1;
    for (int32_t k = 1; k <= kGridPoints; ++k) {
        const fftw_complex& bin = bins[static_cast<std::size_t>(FreqGrid(k)) / frequenciesPerBin];
        const long double re2 = static_cast<long double>(bin[0]) * bin[0];
        const long double im2 = static_cast<long double>(bin[1]) * bin[1];
        magnitudes[static_cast<std::size_t>(k)] = base::StoreDouble(std::sqrt(re2 + im2));
    }
}

double GridTransform::RoundingErrorBound(const std::vector<double>& taps) const {
    // Every output X_f = Σ x[n]·e^(−j2π·n·f/N) of a Cooley-Tukey transform is reached from each
    // input along one chain of about log2 N butterfly levels (a radix-r step counting as about
    // log2 r of them), each multiplying by a twiddle of modulus one. The values that one level
    // combines on the way to X_f come from disjoint sets of inputs, so their moduli add up to at
    // most Σ|x|; the level's roundings (the complex product with a twiddle that is itself rounded,
    // the additions) err by a few units ε = 2^−53 of those moduli and are carried to X_f with gain
    // one. So |X̂_f − X_f| ≤ c·log2(N)·ε·Σ|x|; c = 8 leaves a wide margin (on 100 random designs of
    // 100 to 400 dB the largest error seen was 6.1·ε·Σ|x|; c·log2 N is 120 at 44 100 Hz). Folding
    // a longer filter adds one rounding of at most ε·Σ|x| per wrap, and the modulus its own last
    // rounding: one more ε·Σ|x| per started block of N taps.
    long double absoluteSum = 0.0L;
    long double squareSum = 0.0L;
    for (double tap : taps) {
        absoluteSum += std::fabs(static_cast<long double>(tap));
        squareSum += static_cast<long double>(tap) * tap;
    }
    constexpr long double kUnitRoundoff = 0x1p-53L;
    const std::size_t startedBlocks = (taps.size() + length_ - 1) / length_;  // rounded up
    const auto blocks = static_cast<long double>(startedBlocks);
    if (!HasPrimeFactorBeyondCodelets(length_)) {
        const long double levels = std::ceil(std::log2(static_cast<long double>(length_)));
        return static_cast<double>((8.0L * levels + blocks) * kUnitRoundoff * absoluteSum);
    }
    // A prime factor above 13 goes through Rader's convolution, where one input reaches an output
    // through every point of the convolution: the chain argument fails, but the normwise one holds.
    // Every stage is a scaled unitary map whose roundings err by a few ε of its output's norm, so
    // ‖X̂ − X‖₂ ≤ 8·levels·ε·‖X‖₂ = 8·levels·ε·√N·‖y‖₂ (Parseval) for the folded taps y, and
    // ‖y‖₂ ≤ √blocks·‖x‖₂. No output errs by more than the whole error vector's norm.
    const long double lengthRoot = std::sqrt(static_cast<long double>(length_));
    const long double foldedNorm = std::sqrt(blocks * squareSum);
    return static_cast<double>(
        (8.0L * NormwiseLevels(length_) * lengthRoot * foldedNorm + blocks * absoluteSum) *
        kUnitRoundoff);
}

}  // namespace kc::dsp

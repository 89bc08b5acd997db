// SPDX-License-Identifier: GPL-3.0-or-later
// The alignment that goes into every exported coefficient set, so that a convolver plays what the
// acoustic view predicts: each band's gain and polarity multiply its taps; the delays, taken from
// the earliest band (whose delay becomes 0), are whole samples plus, where a fraction of a sample
// is left, a Kaiser-windowed sinc (dsp/fractional_delay.h) that every band then goes through, so
// that all keep the same latency beyond their delays. Then one attenuation for every band when
// the export normalises, and what the exported taps can do to a signal of full scale.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "dsp/bands.h"
#include "dsp/calculation.h"
#include "export/export_kind.h"

namespace kc::exporting {

// The alignment at one rate, known before the design.
struct RateAlignment {
    int32_t sampleRateHz = dsp::SampleRate;
    std::array<double, dsp::kBandCount> gains{1.0, 1.0, 1.0};  // 10^(dB/20), negative when inverted
    std::array<int64_t, dsp::kBandCount> wholeSamples{};  // of the delay from the earliest band
    std::array<double, dsp::kBandCount> fractions{};      // of a sample, [0, 1)
    // M of the fractional-delay filter that every band goes through, 0 when no fraction is left.
    int32_t filterHalfLength = 0;

    // Whether the taps stay as the crossover made them (no gain, delay or polarity to apply).
    bool Neutral() const;
    // What band b's delay adds to the crossover's latency, in samples: M + whole + fraction.
    double AddedDelaySamples(std::size_t band) const;
    // How much longer the exported taps are than the crossover's: 2M + the largest whole delay.
    int64_t AddedLength() const;
};

// The alignment of `alignment` at `sampleRateHz`: without `apply`, none. A delay within 1e-9 of a
// whole number of samples counts as whole, so that 0.5 ms at 48 000 Hz is 24 samples, not 23 and
// a fraction just below 1.
RateAlignment AlignmentAt(const ExportAlignment& alignment, int32_t sampleRateHz);

// The latency of what is exported at one rate, in samples from the first tap: each band's centre
// (the crossover's CommonCentre plus its added delay) and the sum's, the latency every band has
// (the earliest band's).
struct ExportLatency {
    std::array<double, dsp::kBandCount> bandSamples{};
    double sumSamples = 0.0;
};
ExportLatency LatencyAt(const RateAlignment& alignment, int32_t commonCentre);

// What the exported taps can do to a signal, in dB, for low, mid, high and their sum: the peak
// gain (largest |H(f)|) and the worst-case gain (Σ|h|). The bands are what a convolver plays into
// the amplifiers; the sum, which no output carries, is stated beside them (a band inverted makes
// it large without any band clipping), so the warning and the normalisation go by the bands.
struct Headroom {
    std::array<double, dsp::kCurveCount> peakDb{};
    std::array<double, dsp::kCurveCount> worstCaseDb{};
    // Whether a band's worst-case gain exceeds 0 dB: a signal of full scale can clip.
    bool CanClip() const;
};

// One rate as it is exported.
struct ExportedRate {
    // The crossover's design with the taps as exported: each band aligned and normalised, their
    // sum, CommonLength the exported length and CommonCentre the sum's latency (the latency that
    // an FRD file's excess phase takes out). The parameters and the response store stay the
    // crossover's.
    dsp::CalculationResult design;
    RateAlignment alignment;
    double attenuationDb = 0.0;  // of the normalisation, 0 or negative
    ExportLatency latency;
    Headroom headroom;  // of the taps as exported
    // The driver correction's figures (target, each band's), when the export corrects.
    std::vector<std::string> correctionLines;
};

// The crossover's design of one rate as the export writes it: each band through its driver
// correction (acoustic::CorrectDesign) when the alignment has one, then aligned and normalised.
// ERangeError when the exported length would reach 2^31 taps.
ExportedRate ExportRate(dsp::CalculationResult crossover, const ExportAlignment& alignment);

// The alignment as the summary and the export dialog state it at a rate: "low 0.0 dB 0.000 ms,
// mid 0.0 dB 0.000 ms inverted, high -2.0 dB 0.050 ms", with "(fractions of a sample by a 65-tap
// Kaiser-windowed sinc: 32 samples more latency)" where the rate has a fraction; or that the
// pure crossover is exported.
std::string AlignmentText(const ExportAlignment& alignment, const RateAlignment& atRate);
// "low 481 samples (10.907 ms), ..., sum 481 samples (10.907 ms)".
std::string LatencyText(const ExportLatency& latency, int32_t sampleRateHz);
// "low 0.00 dB, mid 0.00 dB, high -2.00 dB, sum 0.12 dB" of one of Headroom's arrays.
std::string GainsText(const std::array<double, dsp::kCurveCount>& gainsDb);
// The warning when a worst-case gain exceeds 0 dB, and what the normalisation says.
std::string ClipWarning();
std::string NormalizationText(Normalization normalization, double attenuationDb);

// A number of samples as the summary and the dialog show it: whole, or with three decimals.
std::string SamplesText(double samples);

// What 24-bit PCM files cost, said whenever they are chosen: the figures measured on the initial
// design and, with `taps`, the largest rounding error of each of its bands (Pcm24ErrorGain), which
// bounds their stop bands.
std::string Pcm24Note(const dsp::CrossoverTaps* taps);

}  // namespace kc::exporting

// SPDX-License-Identifier: GPL-3.0-or-later
#include "export/frd_export.h"
#include "base/text_convert.h"

#include <array>
#include <cmath>

namespace kc::exporting {
namespace {

constexpr double kStartHz = 10.0;
constexpr int32_t kPointsPerOctave = 48;
constexpr double kFloorDb = -300.0;

std::string Fixed6(double value) {
    return base::FixedPointText(value, 6);
}

// The phase as written: −180 after rounding is the same direction as 180, which the half-open
// range keeps.
std::string PhaseText(double degrees) {
    const std::string text = Fixed6(degrees);
    return text == "-180.000000" ? "180.000000" : text;
}

double MagnitudeDb(std::complex<double> value) {
    const double magnitude = std::abs(value);
    return magnitude < 1e-15 ? kFloorDb : 20.0 * std::log10(magnitude);
}

std::string LatencyLine(const dsp::CrossoverResponses& r, FrdPhase phase) {
    return "* Latency: " + std::to_string(r.delaySamples) + " samples (" +
           base::FixedPointText(1000.0 * r.delaySamples / r.sampleRateHz, 3) + " ms), " +
           (phase == FrdPhase::Excess ? "taken out of the phase (excess phase)\n"
                                      : "kept in the phase (full phase)\n");
}

}  // namespace

std::vector<double> FrdFrequencies(int32_t sampleRateHz) {
    return dsp::LogSpacedFrequencies(kStartHz, kPointsPerOctave, sampleRateHz / 2.0);
}

std::string FrdText(const std::string& heading, const dsp::CrossoverResponses& r,
                    const std::vector<std::complex<double>>& band, FrdPhase phase) {
    std::string text = "* " + heading + "\n";
    text += "* Sample rate: " + std::to_string(r.sampleRateHz) + " Hz\n";
    text += LatencyLine(r, phase);
    text += "* Frequency/Hz Magnitude/dB Phase/degrees\n";
    const int32_t delay = phase == FrdPhase::Excess ? 0 : r.delaySamples;
    for (std::size_t i = 0; i < band.size(); ++i) {
        const double f = r.frequenciesHz[i];
        text += Fixed6(f) + ' ' + Fixed6(MagnitudeDb(band[i])) + ' ' +
                PhaseText(dsp::PhaseDegrees(band[i], f, delay, r.sampleRateHz)) + '\n';
    }
    return text;
}

std::string FrdDataLines(const std::vector<double>& frequenciesHz,
                         const std::vector<std::complex<double>>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const double f = frequenciesHz[i];
        text += Fixed6(f) + ' ' + Fixed6(MagnitudeDb(values[i])) + ' ' +
                PhaseText(dsp::PhaseDegrees(values[i], f, 0, dsp::SampleRate)) + '\n';
    }
    return text;
}

std::array<std::string, 4> FrdTexts(const dsp::CalculationResult& design, FrdPhase phase) {
    const dsp::CrossoverTaps& taps = design.taps;
    const dsp::CrossoverResponses r =
        dsp::DelayFreeResponses(taps, FrdFrequencies(taps.sampleRateHz));
    const dsp::CrossoverParameters& p = design.parameters;
    const std::string common = " taps in " + std::to_string(taps.CommonLength);
    return {FrdText("Kaiser Crossover low-pass, " + std::to_string(p.lowCount) + common, r, r.low,
                    phase),
            FrdText("Kaiser Crossover band-pass, " + std::to_string(p.midCount) + common, r, r.mid,
                    phase),
            FrdText("Kaiser Crossover high-pass, " + std::to_string(p.highCount) + common, r,
                    r.high, phase),
            FrdText("Kaiser Crossover sum of the three bands, " +
                        std::to_string(taps.CommonLength) + " taps",
                    r, r.sum, phase)};
}

}  // namespace kc::exporting

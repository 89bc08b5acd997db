// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency-response data (FRD) files of a design: what loudspeaker simulation programs read to
// combine the crossover with measured drivers.
#pragma once

#include <array>
#include <complex>
#include <string>
#include <vector>

#include "dsp/calculation.h"
#include "dsp/complex_response.h"

namespace kc::exporting {

// Excess: the phase with the latency the bands share (CommonCentre samples) taken out, so that a
// linear-phase band shows 0° or 180°. Full: the phase of the taps as they are, latency included.
enum class FrdPhase { Excess, Full };

// The FRD frequencies at a rate: 48 a octave from 10 Hz, 10·2^(i/48), up to the highest below half
// the rate.
std::vector<double> FrdFrequencies(int32_t sampleRateHz);

// The texts of the four files of a design, low, mid, high and sum. Each starts with a few "*"
// comment lines (what it is, the rate, the taps, the latency taken out or kept), then has one line
// per frequency, "frequency magnitude_dB phase_deg", separated by blanks, with a full stop as the
// decimal point whatever the locale and six decimals: the magnitude 20·log10|H| (−300 for a
// magnitude below 1e-15, where a logarithm has no use), the phase in (−180, 180].
std::array<std::string, 4> FrdTexts(const dsp::CalculationResult& design, FrdPhase phase);

// One band's text from its responses (as FrdTexts writes each).
std::string FrdText(const std::string& heading, const dsp::CrossoverResponses& responses,
                    const std::vector<std::complex<double>>& band, FrdPhase phase);

// The data lines of an FRD text for responses given as they are (no delay to put back): one line
// "frequency magnitude_dB phase_deg" per value, formatted as FrdText formats them.
std::string FrdDataLines(const std::vector<double>& frequenciesHz,
                         const std::vector<std::complex<double>>& values);

}  // namespace kc::exporting

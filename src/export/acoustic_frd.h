// SPDX-License-Identifier: GPL-3.0-or-later
// FRD files of the acoustic responses: each band (driver, crossover, gain, polarity and delay)
// and their sum, the crossover's latency taken out of the phase.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "acoustic/acoustic_model.h"
#include "dsp/bands.h"

namespace kc::exporting {

// PREFIX-low.frd, PREFIX-mid.frd, PREFIX-high.frd and PREFIX-sum.frd.
std::array<std::string, dsp::kCurveCount> AcousticFrdNames(const std::string& prefix);

// The texts of those four files: "*" lines saying what the file holds, each band's driver file
// (or the ideal driver), gain, delay and polarity, the rate and the latency taken out; then one
// line per frequency of `response` as FrdDataLines writes it.
std::array<std::string, dsp::kCurveCount> AcousticFrdTexts(
    const acoustic::AcousticModel& model, const acoustic::Settings& settings,
    const acoustic::AcousticResponse& response);

// Writes the four texts to their names as one AtomicFileSet: all or none; none of them may be one
// of `inputs` (the driver files).
void WriteAcousticFrd(const std::string& prefix,
                      const std::array<std::string, dsp::kCurveCount>& texts,
                      const std::vector<std::string>& inputs = {});

}  // namespace kc::exporting

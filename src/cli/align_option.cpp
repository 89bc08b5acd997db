// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/align_option.h"

#include "base/errors.h"
#include "dsp/tap_arrays.h"
#include "export/export_set.h"

namespace kc::cli {

dsp::CrossoverTaps DesignForAlignment(const dsp::CrossoverParameters& parameters) {
    try {
        // The export's design checks the memory first too (CalculateCrossover).
        dsp::CheckCalculationMemory(parameters.lowCount, parameters.midCount, parameters.highCount);
        return dsp::DesignCrossover(parameters);
    } catch (const base::Error& error) {
        throw exporting::ERateError(error, parameters.sampleRateHz);
    }
}

acoustic::AlignResult AlignDrivers(const acoustic::Drivers& drivers, const dsp::CrossoverTaps& taps,
                                   const acoustic::TargetSettings& target,
                                   const acoustic::Settings& current) {
    acoustic::AcousticModel model;
    model.SetDrivers(drivers);
    model.SetDesign(taps);
    model.CheckFrequencies();
    return acoustic::Align(acoustic::AlignInputsOf(model, target), current);
}

std::vector<std::string> AlignedLines(const acoustic::AlignResult& result) {
    return {"Aligned: " + acoustic::AlignedSettingsText(result.settings),
            "Aligned: " + acoustic::AlignedDeviationText(result)};
}

}  // namespace kc::cli

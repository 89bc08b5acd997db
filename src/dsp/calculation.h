// SPDX-License-Identifier: GPL-3.0-or-later
// The calculation behind the crossover's Calc button, from the field texts to a complete design
// and evaluation, without any window: the window implements CalcFields.
#pragma once

#include <string>
#include <string_view>

#include "dsp/crossover.h"
#include "dsp/evaluation.h"
#include "dsp/fields.h"

namespace kc::dsp {

// What the calculation needs of its window.
class CalcFields {
  public:
    virtual ~CalcFields() = default;
    virtual std::string Text(CalcField field) const = 0;
    // Replaces a tap-count field's text with its normalised count, at once.
    virtual void SetTapCountText(CalcField field, const std::string& text) = 0;
    // The adjust-coefficient state.
    virtual bool AdjustCoefficient() const = 0;
};

// A completed calculation: the numbers it was designed from, the taps, the fresh response store
// with CMax, and the CMax line.
struct CalculationResult {
    CrossoverParameters parameters;
    CrossoverTaps taps;
    Evaluation evaluation;
    std::string cmaxLine;
};

// Reads the tap counts one field at a time, making each odd and writing it back before the next
// is read; then the four cut-offs, the attenuation; designs and evaluates. Any error is raised at
// the point where it arises (the tap-count fields already rewritten stay so) and nothing else of
// the program's state is touched: the caller replaces its taps and store only with a result.
CalculationResult RunCrossoverCalculation(CalcFields& fields);

// The reading part of RunCrossoverCalculation alone: the fields converted in the same order, with
// the same errors and the same tap-count texts written back, into the numbers of a design at the
// window's rate.
CrossoverParameters ReadCrossoverParameters(CalcFields& fields);

// The same from converted numbers (the design proper and the evaluation), at their rate.
// EOutOfMemory before anything is made when the whole calculation would not fit the memory
// available (CheckCalculationMemory).
CalculationResult CalculateCrossover(const CrossoverParameters& parameters);

// Roughly how long CalculateCrossover takes for these counts on two cores, in seconds: what a
// window says before it starts a calculation that keeps it busy. Measured: 3 × 1 000 001 taps
// were designed and evaluated in 2.8 s; the time grows at least in proportion to the taps.
inline constexpr double kCalculationSecondsPerTap = 1e-6;
double EstimatedCalculationSeconds(const CrossoverParameters& parameters);

}  // namespace kc::dsp
